#include "shell/ovBitmapStore.h"

#include "gfx/ovCanvas.h"
#include "shell/ovErrorBox.h"
#include "system/ovSystem.h"

ovBitmap* ovBitmapStore::loadBitmap(ovSystem& instance, const std::string& name, bool fromResource) {
    auto bitmap = std::make_unique<ovBitmap>();
    if (fromResource) {
        showErrorBox(instance, "The picture resource \"" + name + "\" does not exist.");
    } else {
        ovResult<ovImage> result = ovFail(std::string());
        if (!displayFolder_.empty()) {
            const size_t slash = name.find_last_of("/\\");
            result = ovLoadBmpFile(displayFolder_ + "/" +
                                   (slash == std::string::npos ? name : name.substr(slash + 1)));
        }
        if (!result)
            result = ovLoadBmpFile(name);
        if (result) {
            bitmap->width = result.value().width;
            bitmap->height = result.value().height;
            bitmap->bitsPerPixel = result.value().bitsPerPixel;
            bitmap->handle = std::make_unique<ovImage>(result.take());
        } else {
            showErrorBox(instance, result.reason());
        }
    }
    return pictures_.add(std::move(bitmap));
}

void ovBitmapStore::blit(const ovBitmap* picture, ovCanvas& canvas, int left, int top, int right, int bottom,
                         ovColor colourKey, uint8_t opacity, float scaleX, float scaleY) const {
    if (picture == nullptr || !picture->handle)
        return;
    const int width = static_cast<int>(static_cast<float>(right - left) * scaleX);
    const int height = static_cast<int>(static_cast<float>(bottom - top) * scaleY);
    if (picture->bitsPerPixel == 32)
        canvas.alphaBlend(*picture->handle, left, top, width, height, opacity);
    else
        canvas.stretchBlitKeyed(*picture->handle, left, top, width, height, colourKey);
}
