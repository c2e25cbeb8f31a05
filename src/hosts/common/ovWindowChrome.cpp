#include "hosts/common/ovWindowChrome.h"

#include "platform/system/ovSystem.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovShell.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr ovColor kBar = ovWindowChrome::barColor;
constexpr ovColor kBarEdge = ovWindowChrome::edgeColor;
constexpr ovColor kText = ovWindowChrome::textColor;
constexpr ovColor kTextDim = ovWindowChrome::dimTextColor;
constexpr ovColor kKeyPressed = ovWindowChrome::keyPressedColor;
constexpr ovColor kKeyActive = ovWindowChrome::keyActiveColor;
constexpr ovColor kMenu = ovWindowChrome::menuColor;
constexpr ovColor kMenuBorder = ovWindowChrome::menuBorderColor;
constexpr ovColor kMenuSeparator = ovWindowChrome::menuSeparatorColor;
constexpr ovColor kAccent = ovWindowChrome::accentColor;
constexpr ovColor kAccentPressed = ovWindowChrome::accentPressedColor;
constexpr ovColor kBox = ovWindowChrome::boxColor;
constexpr ovColor kBoxTitle = ovWindowChrome::boxTitleColor;
constexpr ovColor kScreenEmpty = ovWindowChrome::emptyScreenColor;

bool covers(const ovRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
} // namespace

ovWindowChrome::ovWindowChrome(ovApp& app, ovShell& shell, const ovFontSet& fonts, ovSystem& system)
    : app_(app), shell_(shell), fonts_(fonts), system_(system), width_(std::max(1, app.screenWidth)),
      height_(std::max(1, app.screenHeight)), frame_(width_, height_, kScreenEmpty), canvas_(frame_) {
    scale_ = std::max(1, std::max(width_, height_) / 320);
    // The two bars share the reserved height; the top one takes the smaller half.
    const int reserved = std::clamp(app.reservedHeight, 0, height_);
    const int top = reserved / 2;
    const int bottom = reserved - top;
    topBar_ = {0, 0, width_, top};
    screenArea_ = {0, top, width_, height_ - bottom};
    bottomBar_ = {0, height_ - bottom, width_, height_};

    std::array<ovSoftKey, 4> keys{};
    softKeyCount_ = std::max(0, ovParseMenuBar(ovLoadMenuBarData(ovIdMenu), keys));
    softKeys_ = keys;

    about_ = ovLoadDialog(ovIdAboutDialog);
    if (about_ != nullptr)
        for (size_t i = 0; i < about_->lines.size(); ++i) {
            if (i > 0)
                aboutText_ += u'\n';
            aboutText_ += about_->lines[i];
        }
    clock_ = clockText();
}

std::u16string ovWindowChrome::clockText() const {
    const std::string text = ovFormatTime(system_.clock().localTime(), false);
    return std::u16string(text.begin(), text.end());
}

ovRect ovWindowChrome::softKeyRect(int i) const {
    if (softKeyCount_ <= 0)
        return {};
    const int left = bottomBar_.width() * i / softKeyCount_;
    const int right = bottomBar_.width() * (i + 1) / softKeyCount_;
    return {left, bottomBar_.top, right, bottomBar_.bottom};
}

ovRect ovWindowChrome::menuItemRect(int i) const {
    const int border = scale_;
    const int top = menuRect_.top + border + i * menuItemHeight_;
    return {menuRect_.left + border, top, menuRect_.right - border, top + menuItemHeight_};
}

// ---------------------------------------------------------------------------------
// State

void ovWindowChrome::openMenu(int key) {
    if (key < 0 || key >= softKeyCount_ || !softKeys_[key].dropDown || aboutOpen_)
        return;
    const std::span<const ovMenuPopup> menu = ovLoadMenu(ovIdMenu);
    if (softKeys_[key].subMenu < 0 || softKeys_[key].subMenu >= static_cast<int>(menu.size()))
        return;
    menuKey_ = key;
    menuItems_ = menu[softKeys_[key].subMenu].items;
    layoutMenu();
    dirty_ = true;
}

void ovWindowChrome::closeMenu() {
    if (menuKey_ < 0)
        return;
    menuKey_ = -1;
    menuItems_ = {};
    if (target_ == Target::MenuItem)
        target_ = Target::None;
    dirty_ = true;
}

void ovWindowChrome::openAbout() {
    closeMenu();
    if (aboutOpen_ || about_ == nullptr)
        return;
    // A press that began on a key or the pop-up ends with the box; one on the program
    // keeps going to the program, so that its release is not lost.
    if (target_ != Target::Program)
        target_ = Target::None;
    aboutOpen_ = true;
    layoutAbout();
    dirty_ = true;
}

void ovWindowChrome::closeAbout() {
    if (!aboutOpen_)
        return;
    aboutOpen_ = false;
    if (target_ == Target::AboutOk)
        target_ = Target::None;
    dirty_ = true;
}

void ovWindowChrome::frameDrawn(const ovFramebuffer& back) {
    back_ = &back;
    dirty_ = true;
}

void ovWindowChrome::tick() {
    std::u16string now = clockText();
    if (now != clock_) {
        clock_ = std::move(now);
        dirty_ = true;
    }
}

// ---------------------------------------------------------------------------------
// Commands and keys

void ovWindowChrome::command(int id) {
    if (id == ovCmdOptions) {
        if (menuOpen()) {
            closeMenu();
            return;
        }
        for (int i = 0; i < softKeyCount_; ++i)
            if (softKeys_[i].command == id && softKeys_[i].dropDown) {
                openMenu(i);
                return;
            }
        return;
    }
    closeMenu();
    shell_.onCommand(id);
}

bool ovWindowChrome::acceleratorKey(int virtualKey, bool control, bool shift, bool alt) {
    const int id =
        ovTranslateAccelerator(ovLoadAccelerators(ovIdAccelerators), virtualKey, control, shift, alt);
    if (id == 0)
        return false;
    // The About box is modal; only Exit still reaches the program behind it.
    if (aboutOpen_ && id != ovCmdExit)
        return true;
    command(id);
    return true;
}

bool ovWindowChrome::confirmKey() {
    if (aboutOpen_) {
        closeAbout();
        return true;
    }
    return false;
}

bool ovWindowChrome::cancelKey() {
    if (aboutOpen_) {
        closeAbout();
        return true;
    }
    if (menuOpen()) {
        closeMenu();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------
// Pointer

int ovWindowChrome::pressedIndexAt(int x, int y) const {
    switch (target_) {
    case Target::SoftKey:
        for (int i = 0; i < softKeyCount_; ++i)
            if (covers(softKeyRect(i), x, y))
                return i;
        return -1;
    case Target::MenuItem:
        for (int i = 0; i < menuItemCount(); ++i)
            if (covers(menuItemRect(i), x, y))
                return i;
        return -1;
    case Target::AboutOk:
        return covers(aboutOkRect_, x, y) ? 0 : -1;
    default:
        return -1;
    }
}

bool ovWindowChrome::pressInside(int x, int y) const {
    return targetIndex_ >= 0 && pressedIndexAt(x, y) == targetIndex_;
}

void ovWindowChrome::pointerDown(int x, int y) {
    targetInside_ = false;
    targetIndex_ = -1;
    if (aboutOpen_) {
        target_ = Target::AboutOk;
    } else if (menuOpen()) {
        target_ = Target::MenuItem;
        if (pressedIndexAt(x, y) < 0) {
            // A press outside the pop-up only closes it.
            closeMenu();
            target_ = Target::None;
            return;
        }
    } else if (covers(bottomBar_, x, y)) {
        target_ = Target::SoftKey;
    } else if (covers(screenArea_, x, y)) {
        target_ = Target::Program;
        shell_.onPointerDown(x - screenArea_.left, y - screenArea_.top);
        return;
    } else {
        target_ = Target::None;
        return;
    }
    targetIndex_ = pressedIndexAt(x, y);
    if (target_ == Target::SoftKey && targetIndex_ >= 0 && !softKeys_[targetIndex_].enabled)
        targetIndex_ = -1;
    if (targetIndex_ < 0) {
        target_ = Target::None;
        return;
    }
    targetInside_ = true;
    dirty_ = true;
}

void ovWindowChrome::pointerMove(int x, int y) {
    if (target_ == Target::Program) {
        shell_.onPointerMove(x - screenArea_.left, y - screenArea_.top);
        return;
    }
    if (target_ == Target::None)
        return;
    const bool inside = pressInside(x, y);
    if (inside != targetInside_) {
        targetInside_ = inside;
        dirty_ = true;
    }
}

void ovWindowChrome::pointerUp(int x, int y) {
    const Target target = target_;
    const int index = targetIndex_;
    const bool inside = target != Target::Program && target != Target::None && pressInside(x, y);
    target_ = Target::None;
    targetIndex_ = -1;
    targetInside_ = false;
    switch (target) {
    case Target::Program:
        shell_.onPointerUp(x - screenArea_.left, y - screenArea_.top);
        return;
    case Target::None:
        return;
    default:
        break;
    }
    dirty_ = true;
    if (!inside)
        return;
    // Keys and items act on release, like the program's own buttons.
    if (target == Target::SoftKey) {
        const ovSoftKey& key = softKeys_[index];
        if (key.dropDown)
            openMenu(index);
        else
            command(key.command);
    } else if (target == Target::MenuItem) {
        const int id = menuItems_[index].command;
        closeMenu();
        command(id);
    } else if (target == Target::AboutOk) {
        closeAbout();
    }
}

// ---------------------------------------------------------------------------------
// Layout

void ovWindowChrome::layoutMenu() {
    const ovRect key = softKeyRect(menuKey_);
    const int border = scale_;
    const int pad = 12 * scale_;
    menuItemHeight_ = std::max(bottomBar_.height(), 22 * scale_) + 4 * scale_;
    canvas_.selectFont(fonts_.regular12.get());
    int widest = 0;
    for (const ovMenuItem& item : menuItems_)
        widest = std::max(widest, canvas_.measureText(item.text));
    const int w = std::min(width_, std::max(key.width(), widest + 2 * pad + 2 * border));
    const int h = static_cast<int>(menuItems_.size()) * menuItemHeight_ + 2 * border;
    // The pop-up stands on the bar, flush with the outer edge of its key.
    const bool rightHalf = key.left + key.right > width_;
    const int left = rightHalf ? key.right - w : key.left;
    menuRect_ = {left, bottomBar_.top - h, left + w, bottomBar_.top};
}

void ovWindowChrome::layoutAbout() {
    const int margin = 12 * scale_;
    const int pad = 12 * scale_;
    const int titleHeight = 30 * scale_;
    const int boxWidth = std::max(1, width_ - 2 * margin);
    const int bodyWidth = std::max(1, boxWidth - 2 * pad);
    canvas_.selectFont(fonts_.regular12.get());
    // A rectangle without height draws nothing and still tells the wrapped height.
    const int textHeight = canvas_.drawText(aboutText_, {0, 0, bodyWidth, 0}, ovTextCenter | ovTextWordWrap);
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

// ---------------------------------------------------------------------------------
// Drawing

void ovWindowChrome::drawLabel(std::u16string_view text, const ovRect& r, unsigned format, const ovFont* font,
                               ovColor color) {
    canvas_.selectFont(font);
    canvas_.setTextColor(color);
    canvas_.setBackgroundMode(ovTransparent);
    canvas_.drawText(text, r, format | ovTextVCenter);
}

void ovWindowChrome::fillRoundRect(const ovRect& r, int radius, ovColor color) {
    radius = std::min({radius, r.width() / 2, r.height() / 2});
    for (int y = r.top; y < r.bottom; ++y) {
        const int fromEdge = std::min(y - r.top, r.bottom - 1 - y);
        int inset = 0;
        if (fromEdge < radius) {
            const double dy = radius - fromEdge - 0.5;
            inset = radius - static_cast<int>(std::lround(std::sqrt(radius * radius - dy * dy)));
        }
        canvas_.fillRect({r.left + inset, y, r.right - inset, y + 1}, color);
    }
}

void ovWindowChrome::dim(const ovRect& area) {
    for (int y = std::max(0, area.top); y < std::min(height_, area.bottom); ++y) {
        uint32_t* row = frame_.row(y);
        for (int x = std::max(0, area.left); x < std::min(width_, area.right); ++x) {
            row[x] = dimmed(row[x]);
        }
    }
}

void ovWindowChrome::drawTopBar() {
    if (topBar_.height() <= 0)
        return;
    canvas_.fillRect(topBar_, kBar);
    canvas_.fillRect({0, topBar_.bottom - scale_, width_, topBar_.bottom}, kBarEdge);
    const int pad = 8 * scale_;
    const ovRect text{pad, 0, width_ - pad, topBar_.bottom - scale_};
    drawLabel(ovLoadString(ovIdsAppTitle), text, ovTextLeft, fonts_.bold12.get(), kText);
    drawLabel(clock_, text, ovTextRight, fonts_.regular12.get(), kTextDim);
}

void ovWindowChrome::drawBottomBar() {
    if (bottomBar_.height() <= 0)
        return;
    canvas_.fillRect(bottomBar_, kBar);
    for (int i = 0; i < softKeyCount_; ++i) {
        const ovRect r = softKeyRect(i);
        const bool pressed = target_ == Target::SoftKey && targetIndex_ == i && targetInside_;
        if (pressed)
            canvas_.fillRect(r, kKeyPressed);
        else if (menuKey_ == i)
            canvas_.fillRect(r, kKeyActive);
        if (i > 0) {
            const int quarter = r.height() / 4;
            canvas_.fillRect({r.left, r.top + quarter, r.left + scale_, r.bottom - quarter}, kBarEdge);
        }
        const ovColor color = softKeys_[i].enabled ? kText : kTextDim;
        drawLabel(ovLoadString(softKeys_[i].stringId), r, ovTextCenter, fonts_.bold12.get(), color);
    }
    canvas_.fillRect({0, bottomBar_.top, width_, bottomBar_.top + scale_}, kBarEdge);
}

void ovWindowChrome::drawMenu() {
    canvas_.fillRect(menuRect_, kMenuBorder);
    const int border = scale_;
    canvas_.fillRect({menuRect_.left + border, menuRect_.top + border, menuRect_.right - border,
                      menuRect_.bottom - border},
                     kMenu);
    const int pad = 12 * scale_;
    for (int i = 0; i < menuItemCount(); ++i) {
        const ovRect r = menuItemRect(i);
        if (target_ == Target::MenuItem && targetIndex_ == i && targetInside_)
            canvas_.fillRect(r, kAccent);
        else if (i > 0)
            canvas_.fillRect({r.left + pad / 2, r.top, r.right - pad / 2, r.top + scale_}, kMenuSeparator);
        drawLabel(menuItems_[i].text, {r.left + pad, r.top, r.right - pad, r.bottom}, ovTextLeft,
                  fonts_.regular12.get(), kText);
    }
}

void ovWindowChrome::drawAbout() {
    dim({0, 0, width_, height_});
    const int radius = 6 * scale_;
    // The border is the box one pixel larger, drawn first.
    fillRoundRect({aboutRect_.left - scale_, aboutRect_.top - scale_, aboutRect_.right + scale_,
                   aboutRect_.bottom + scale_},
                  radius + scale_, kMenuBorder);
    fillRoundRect(aboutRect_, radius, kBox);
    // The title strip: rounded at the top only.
    fillRoundRect(aboutTitleRect_, radius, kBoxTitle);
    canvas_.fillRect({aboutTitleRect_.left, aboutTitleRect_.bottom - radius, aboutTitleRect_.right,
                      aboutTitleRect_.bottom},
                     kBoxTitle);
    canvas_.fillRect({aboutTitleRect_.left, aboutTitleRect_.bottom - scale_, aboutTitleRect_.right,
                      aboutTitleRect_.bottom},
                     kBarEdge);

    const int pad = 12 * scale_;
    drawLabel(about_->title,
              {aboutTitleRect_.left + pad, aboutTitleRect_.top, aboutOkRect_.left, aboutTitleRect_.bottom},
              ovTextLeft, fonts_.bold12.get(), kText);
    const bool pressed = target_ == Target::AboutOk && targetInside_;
    fillRoundRect(aboutOkRect_, 4 * scale_, pressed ? kAccentPressed : kAccent);
    drawLabel(u"OK", aboutOkRect_, ovTextCenter, fonts_.bold12.get(), kText);

    canvas_.selectFont(fonts_.regular12.get());
    canvas_.setTextColor(kText);
    canvas_.setBackgroundMode(ovTransparent);
    canvas_.drawText(aboutText_, aboutBodyRect_, ovTextCenter | ovTextWordWrap);
}

const ovFramebuffer& ovWindowChrome::compose() {
    drawTopBar();
    const bool fills =
        back_ != nullptr && back_->width() >= screenArea_.width() && back_->height() >= screenArea_.height();
    if (!fills)
        canvas_.fillRect(screenArea_, kScreenEmpty);
    if (back_ != nullptr)
        canvas_.copyFrom(*back_, screenArea_.left, screenArea_.top);
    drawBottomBar();
    if (menuOpen())
        drawMenu();
    if (aboutOpen_)
        drawAbout();
    dirty_ = false;
    return frame_;
}
