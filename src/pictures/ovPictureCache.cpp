#include "pictures/ovPictureCache.h"

#include "pictures/ovDisplayPictures.h"
#include "pictures/ovPictureSet.h"
#include "system/ovPaths.h"

#include <cstdlib>

std::string ovPictureCacheRoot() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const std::string base = xdg != nullptr && xdg[0] == '/' ? std::string(xdg) : ovHomeFolder() + "/.cache";
    return base + "/orvida/pictures";
}

ovResult<std::string> ovPicturesForDisplay(const std::string& root, const ovPictureSize& size,
                                           const std::string& version) {
    ovResult<std::unique_ptr<ovDisplayPictures>> opened = ovDisplayPictures::open(root, size, version);
    if (!opened)
        return opened.error();
    ovDisplayPictures& pictures = *opened.value();
    int failures = 0;
    for (const char* name : ovPictureNames)
        failures += pictures.draw(name) ? 0 : 1;
    if (failures != 0)
        return ovFail("some pictures could not be drawn for the display in " + pictures.folder());
    return pictures.folder();
}
