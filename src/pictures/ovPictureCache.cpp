#include "pictures/ovPictureCache.h"

#include "pictures/ovPictureSet.h"
#include "system/ovPaths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr const char* kStampName = "version";

std::string readStamp(const fs::path& folder) {
    std::ifstream in(folder / kStampName);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

// Every picture is there, and the stamp names this version.
bool current(const fs::path& folder, const std::string& version) {
    if (readStamp(folder) != version)
        return false;
    std::error_code ec;
    for (const char* name : ovPictureNames)
        if (!fs::is_regular_file(folder / name, ec))
            return false;
    return true;
}
} // namespace

std::string ovPictureCacheRoot() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const std::string base = xdg != nullptr && xdg[0] == '/' ? std::string(xdg) : ovHomeFolder() + "/.cache";
    return base + "/orvida/pictures";
}

ovResult<std::string> ovPicturesForDisplay(const std::string& root, const ovPictureSize& size,
                                           const std::string& version) {
    if (size.width <= 0 || size.height <= 0)
        return ovFail("no pictures can be drawn for an empty screen");
    const fs::path folder = fs::path(root) / (std::to_string(size.width) + "x" + std::to_string(size.height));
    if (current(folder, version))
        return folder.string();

    // Drawn into a folder of this process's own, stamped, then put in place whole, so
    // that a program starting beside this one never loads half a set.
    const fs::path fresh = folder.string() + ".drawing-" + std::to_string(getpid());
    std::error_code ec;
    fs::remove_all(fresh, ec);
    if (const ovResult<> made = ovMakeFolders(fresh.string()); !made)
        return ovFail("cannot keep the pictures drawn for the display: " + made.reason());
    auto giveUp = [&](const std::string& why) -> ovResult<std::string> {
        std::error_code ignored;
        fs::remove_all(fresh, ignored);
        return ovFail(why);
    };
    if (ovDrawPictures(fresh, size) != 0)
        return giveUp("some pictures could not be drawn for the display in " + fresh.string());
    {
        std::ofstream stamp(fresh / kStampName, std::ios::binary | std::ios::trunc);
        stamp << version;
        stamp.close();
        if (!stamp)
            return giveUp("cannot write the pictures' stamp in " + fresh.string());
    }
    fs::remove_all(folder, ec);
    fs::rename(fresh, folder, ec);
    if (ec) {
        // Another start may have put its set in place first; that one serves as well.
        if (current(folder, version)) {
            fs::remove_all(fresh, ec);
            return folder.string();
        }
        return giveUp("cannot put the pictures drawn for the display in " + folder.string() + ": " +
                      ec.message());
    }
    return folder.string();
}
