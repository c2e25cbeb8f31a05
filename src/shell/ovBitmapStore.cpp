#include "shell/ovBitmapStore.h"

#include "gfx/ovCanvas.h"
#include "shell/ovErrorBox.h"
#include "system/ovSystem.h"

namespace {
// Pictures of at least this many pixels (400 KB decoded) are decoded when first drawn.
constexpr int64_t kDeferredPixels = 100000;

// Reads a picture into the bitmap, or only its headers when it is big or of a form whose
// pixels cannot be refused, so that a later decoding is sure to go through (palette
// pictures have their indices checked on decoding, so they are read whole at once). A
// picture that is refused is read whole, for the reason.
ovResult<> loadOrCheck(const std::string& path, ovBitmap& bitmap) {
    const ovResult<ovBmpHeader> header = ovReadBmpHeader(path);
    if (header && header.value().bitsPerPixel > 8 &&
        (int64_t{header.value().width} * header.value().height >= kDeferredPixels ||
         ovBmpReadsDirectly(header.value()))) {
        bitmap.file = path;
        bitmap.width = header.value().width;
        bitmap.height = header.value().height;
        bitmap.bitsPerPixel = header.value().bitsPerPixel;
        return {};
    }
    ovResult<ovImage> image = ovLoadBmpFile(path);
    if (!image)
        return image.error();
    bitmap.width = image.value().width;
    bitmap.height = image.value().height;
    bitmap.bitsPerPixel = image.value().bitsPerPixel;
    bitmap.handle = std::make_unique<ovImage>(image.take());
    return {};
}
} // namespace

ovBitmap* ovBitmapStore::loadBitmap(ovSystem& instance, const std::string& name, bool fromResource) {
    reporter_ = &instance;
    auto bitmap = std::make_unique<ovBitmap>();
    if (fromResource) {
        showErrorBox(instance, "The picture resource \"" + name + "\" does not exist.");
    } else {
        ovResult<> result = ovFail(std::string());
        if (!displayFolder_.empty()) {
            const size_t slash = name.find_last_of("/\\");
            result = loadOrCheck(
                displayFolder_ + "/" + (slash == std::string::npos ? name : name.substr(slash + 1)), *bitmap);
        }
        if (!result)
            result = loadOrCheck(name, *bitmap);
        if (!result)
            showErrorBox(instance, result.reason());
    }
    return pictures_.add(std::move(bitmap));
}

void ovBitmapStore::blit(const ovBitmap* picture, ovCanvas& canvas, int left, int top, int right, int bottom,
                         ovColor colourKey, uint8_t opacity, float scaleX, float scaleY) const {
    if (picture == nullptr || (!picture->handle && !decode(*picture)))
        return;
    const int width = static_cast<int>(static_cast<float>(right - left) * scaleX);
    const int height = static_cast<int>(static_cast<float>(bottom - top) * scaleY);
    if (picture->bitsPerPixel == 32)
        canvas.alphaBlend(*picture->handle, left, top, width, height, opacity);
    else
        canvas.stretchBlitKeyed(*picture->handle, left, top, width, height, colourKey);
}

bool ovBitmapStore::decode(const ovBitmap& picture) const {
    if (picture.file.empty())
        return false;
    ovResult<ovImage> result = ovLoadBmpFile(picture.file);
    picture.file.clear();
    if (!result) {
        // Changed or spoilt since its headers were read: said once, then drawn as nothing.
        if (reporter_ != nullptr)
            showErrorBox(*reporter_, result.reason());
        return false;
    }
    picture.handle = std::make_unique<ovImage>(result.take());
    return true;
}
