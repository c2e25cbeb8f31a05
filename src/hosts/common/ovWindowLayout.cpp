#include "hosts/common/ovWindowLayout.h"

#include <algorithm>

ovWindowLayout::ovWindowLayout(int width, int height, int reservedHeight)
    : width_(std::max(1, width)), height_(std::max(1, height)) {
    scale_ = std::max(1, std::max(width_, height_) / 320);
    const int reserved = std::clamp(reservedHeight, 0, height_);
    const int top = reserved / 2;
    const int bottom = reserved - top;
    topBar_ = {0, 0, width_, top};
    screenArea_ = {0, top, width_, height_ - bottom};
    bottomBar_ = {0, height_ - bottom, width_, height_};
}

ovRect ovWindowLayout::softKeyRect(int i, int count) const {
    if (count <= 0)
        return {};
    const int left = bottomBar_.width() * i / count;
    const int right = bottomBar_.width() * (i + 1) / count;
    return {left, bottomBar_.top, right, bottomBar_.bottom};
}

void ovWindowLayout::placeMenu(const ovRect& key, int itemCount, int widestLabel) {
    const int border = scale_;
    const int pad = menuPad();
    menuItemHeight_ = std::max(bottomBar_.height(), 22 * scale_) + 4 * scale_;
    const int w = std::min(width_, std::max(key.width(), widestLabel + 2 * pad + 2 * border));
    const int h = itemCount * menuItemHeight_ + 2 * border;
    // The pop-up stands on the bar, flush with the outer edge of its key.
    const bool rightHalf = key.left + key.right > width_;
    const int left = rightHalf ? key.right - w : key.left;
    menuRect_ = {left, bottomBar_.top - h, left + w, bottomBar_.top};
}

ovRect ovWindowLayout::menuItemRect(int i) const {
    const int border = scale_;
    const int top = menuRect_.top + border + i * menuItemHeight_;
    return {menuRect_.left + border, top, menuRect_.right - border, top + menuItemHeight_};
}

int ovWindowLayout::aboutTextWidth() const {
    const int margin = 12 * scale_;
    const int pad = 12 * scale_;
    const int boxWidth = std::max(1, width_ - 2 * margin);
    return std::max(1, boxWidth - 2 * pad);
}

void ovWindowLayout::placeAbout(int textHeight) {
    const int margin = 12 * scale_;
    const int pad = 12 * scale_;
    const int titleHeight = 30 * scale_;
    const int boxWidth = std::max(1, width_ - 2 * margin);
    const int boxHeight = std::min(height_, titleHeight + 2 * pad + textHeight);
    const int left = (width_ - boxWidth) / 2;
    const int top = std::max(0, (height_ - boxHeight) / 2);
    aboutRect_ = {left, top, left + boxWidth, top + boxHeight};
    aboutTitleRect_ = {left, top, left + boxWidth, top + titleHeight};
    const int inset = 4 * scale_;
    const int okWidth = 52 * scale_;
    aboutOkRect_ = {aboutTitleRect_.right - inset - okWidth, top + inset, aboutTitleRect_.right - inset,
                    aboutTitleRect_.bottom - inset};
    aboutBodyRect_ = {left + pad, aboutTitleRect_.bottom + pad, aboutRect_.right - pad,
                      aboutRect_.bottom - pad};
}
