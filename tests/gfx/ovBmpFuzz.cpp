// libFuzzer entry for the BMP decoder: any bytes must give a sound picture or an
// error naming the file, never a crash or an out-of-bounds read.
#include "gfx/ovImage.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ovResult<ovImage> result = ovDecodeBmp(data, size, "fuzz.bmp");
    if (result.ok()) {
        const size_t expected =
            static_cast<size_t>(result.value().width) * static_cast<size_t>(result.value().height);
        if (result.value().width <= 0 || result.value().height <= 0 ||
            result.value().pixels.size() != expected)
            std::abort();
    } else if (result.reason().find("fuzz.bmp") == std::string::npos) {
        std::abort();
    }
    return 0;
}
