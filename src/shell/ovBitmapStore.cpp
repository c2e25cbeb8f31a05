#include "shell/ovBitmapStore.h"

#include "gfx/ovCanvas.h"
#include "shell/ovErrorBox.h"
#include "system/ovSystem.h"

#include <filesystem>

namespace {
// Pictures of at least this many pixels (400 KB decoded) are decoded when first drawn.
constexpr int64_t kDeferredPixels = 100000;

std::string fileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A picture decoded when first drawn: a big one, or one of a form whose pixels cannot
// be refused, so that a later decoding is sure to go through (palette pictures have
// their indices checked on decoding, so they are read whole at once).
bool decodedLater(const ovResult<ovBmpHeader>& header) {
    return header && header.value().bitsPerPixel > 8 &&
           (int64_t{header.value().width} * header.value().height >= kDeferredPixels ||
            ovBmpReadsDirectly(header.value()));
}

// Reads a picture into the bitmap, or only its headers when it is decoded later. A
// picture that is refused is read whole, for the reason.
ovResult<> loadOrCheck(const std::string& path, ovBitmap& bitmap) {
    const ovResult<ovBmpHeader> header = ovReadBmpHeader(path);
    if (decodedLater(header)) {
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

ovResult<> ovBitmapStore::loadNotDrawnYet(const std::string& shipped, const std::string& drawn,
                                          ovBitmap& bitmap) {
    // Drawn when first drawn, the shipped picture standing in until then: its headers
    // are checked now, as a big one's are. (A palette picture is read whole.)
    const ovResult<ovBmpHeader> header = ovReadBmpHeader(shipped);
    if (header && header.value().bitsPerPixel > 8) {
        bitmap.file = shipped;
        bitmap.width = header.value().width;
        bitmap.height = header.value().height;
        bitmap.bitsPerPixel = header.value().bitsPerPixel;
        notDrawnYet_[&bitmap] = drawn;
        return {};
    }
    if (maker_(fileName(drawn)) && loadOrCheck(drawn, bitmap))
        return {};
    return loadOrCheck(shipped, bitmap);
}

ovBitmap* ovBitmapStore::loadBitmap(ovSystem& instance, const std::string& name, bool fromResource) {
    reporter_ = &instance;
    auto bitmap = std::make_unique<ovBitmap>();
    if (fromResource) {
        showErrorBox(instance, "The picture resource \"" + name + "\" does not exist.");
    } else {
        ovResult<> result = ovFail(std::string());
        if (!displayFolder_.empty()) {
            const std::string drawn = displayFolder_ + "/" + fileName(name);
            result = loadOrCheck(drawn, *bitmap);
            if (!result && maker_) {
                // Not drawn yet, or put in place by the drawing thread since the first look.
                std::error_code ec;
                result = std::filesystem::exists(drawn, ec) ? loadOrCheck(drawn, *bitmap)
                                                            : loadNotDrawnYet(name, drawn, *bitmap);
            }
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
    if (const auto waiting = notDrawnYet_.find(&picture); waiting != notDrawnYet_.end()) {
        const std::string drawn = waiting->second;
        notDrawnYet_.erase(waiting);
        if (maker_(fileName(drawn))) {
            if (ovResult<ovImage> made = ovLoadBmpFile(drawn)) {
                picture.file.clear();
                picture.handle = std::make_unique<ovImage>(made.take());
                return true;
            }
        }
        // The shipped picture, whose headers were read at the first paint, stands in.
    }
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
