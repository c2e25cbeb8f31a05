// Draws every picture the program shows, for a screen rectangle (480 x 536, the
// 480 x 640 window's, unless told), into OUT/images/wm5, and the click sound into
// OUT/sounds: the pictures that ship beside the executable. The program draws the same
// pictures for its own screen at start.
#include "ovWavWriter.h"
#include "pictures/ovPictureSet.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    ovPictureSize size;
    if (argc == 3) {
        char x = 0, extra = 0;
        if (std::sscanf(argv[2], "%d%c%d%c", &size.width, &x, &size.height, &extra) != 3 || x != 'x' ||
            size.width <= 0 || size.height <= 0 || size.width > 8192 || size.height > 8192) {
            std::fprintf(stderr, "ov_picturegen: the size is WIDTHxHEIGHT, as 720x1207, not '%s'\n", argv[2]);
            return 2;
        }
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: ov_picturegen OUTPUT_FOLDER [WIDTHxHEIGHT]\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path images = out / "images" / "wm5";
    std::error_code ec;
    fs::create_directories(images, ec);
    if (!ec)
        fs::create_directories(out / "sounds", ec);
    if (ec) {
        std::fprintf(stderr, "ov_picturegen: cannot create folders under %s: %s\n", argv[1],
                     ec.message().c_str());
        return 1;
    }
    int failures = ovDrawPictures(images, size);
    constexpr int kSampleRate = 22050;
    const ovResult<> click =
        ovWriteWav((out / "sounds" / "open.wav").string(), ovMakeClick(kSampleRate), kSampleRate);
    if (!click) {
        std::fprintf(stderr, "ov_picturegen: %s\n", click.reason().c_str());
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
