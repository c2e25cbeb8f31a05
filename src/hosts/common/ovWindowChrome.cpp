#include "hosts/common/ovWindowChrome.h"

#include "shell/ovApp.h"
#include "shell/ovShell.h"
#include "system/ovSystem.h"

#include <algorithm>

ovWindowChrome::ovWindowChrome(ovApp& app, ovShell& shell, const ovFontSet& fonts, ovSystem& system)
    : shell_(shell), system_(system), layout_(app.screenWidth, app.screenHeight, app.reservedHeight),
      painter_(layout_, fonts) {
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
    int widest = 0;
    for (const ovMenuItem& item : menuItems_)
        widest = std::max(widest, painter_.labelWidth(item.text));
    layout_.placeMenu(softKeyRect(key), static_cast<int>(menuItems_.size()), widest);
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
    layout_.placeAbout(painter_.wrappedHeight(aboutText_, layout_.aboutTextWidth()));
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

bool ovWindowChrome::holds(const ovRect& windowRect, ovPoint at) const {
    return windowRect.offset(-screenArea().left, -screenArea().top).contains(at);
}

int ovWindowChrome::pressedIndexAt(ovPoint at) const {
    switch (target_) {
    case Target::SoftKey:
        for (int i = 0; i < softKeyCount_; ++i)
            if (holds(softKeyRect(i), at))
                return i;
        return -1;
    case Target::MenuItem:
        for (int i = 0; i < menuItemCount(); ++i)
            if (holds(menuItemRect(i), at))
                return i;
        return -1;
    case Target::AboutOk:
        return holds(aboutOkRect(), at) ? 0 : -1;
    default:
        return -1;
    }
}

bool ovWindowChrome::pressInside(ovPoint at) const {
    return targetIndex_ >= 0 && pressedIndexAt(at) == targetIndex_;
}

void ovWindowChrome::pointer(const ovPointerEvent& event) {
    // A gesture begun on the program's screen stays the program's until the release.
    if (event.kind != ovPointerEvent::Down && target_ == Target::Program) {
        if (event.kind == ovPointerEvent::Up)
            target_ = Target::None;
        shell_.onPointer(event);
        return;
    }
    switch (event.kind) {
    case ovPointerEvent::Down:
        pointerDown(event.point);
        if (target_ == Target::Program)
            shell_.onPointer(event);
        break;
    case ovPointerEvent::Move:
        pointerMove(event.point);
        break;
    case ovPointerEvent::Up:
        pointerUp(event.point);
        break;
    }
}

void ovWindowChrome::showNotice(std::u16string_view text) {
    notice_ = text;
    dirty_ = true;
}

void ovWindowChrome::pointerDown(ovPoint at) {
    if (!notice_.empty()) {
        notice_.clear();
        dirty_ = true;
    }
    targetInside_ = false;
    targetIndex_ = -1;
    if (aboutOpen_) {
        target_ = Target::AboutOk;
    } else if (menuOpen()) {
        target_ = Target::MenuItem;
        if (pressedIndexAt(at) < 0) {
            // A press outside the pop-up only closes it.
            closeMenu();
            target_ = Target::None;
            return;
        }
    } else if (holds(bottomBar(), at)) {
        target_ = Target::SoftKey;
    } else if (holds(screenArea(), at)) {
        target_ = Target::Program;
        return;
    } else {
        target_ = Target::None;
        return;
    }
    targetIndex_ = pressedIndexAt(at);
    if (target_ == Target::SoftKey && targetIndex_ >= 0 && !softKeys_[targetIndex_].enabled)
        targetIndex_ = -1;
    if (targetIndex_ < 0) {
        target_ = Target::None;
        return;
    }
    targetInside_ = true;
    dirty_ = true;
}

void ovWindowChrome::pointerMove(ovPoint at) {
    if (target_ == Target::None)
        return;
    const bool inside = pressInside(at);
    if (inside != targetInside_) {
        targetInside_ = inside;
        dirty_ = true;
    }
}

void ovWindowChrome::pointerUp(ovPoint at) {
    const Target target = target_;
    const int index = targetIndex_;
    const bool inside = target != Target::None && pressInside(at);
    target_ = Target::None;
    targetIndex_ = -1;
    targetInside_ = false;
    if (target == Target::None)
        return;
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
// Drawing

int ovWindowChrome::shownPressed(Target kind) const {
    return target_ == kind && targetInside_ ? targetIndex_ : -1;
}

const ovFramebuffer& ovWindowChrome::compose() {
    painter_.drawTopBar(notice_.empty() ? std::u16string(ovLoadString(ovIdsAppTitle)) : notice_, clock_);
    painter_.drawScreen(back_);
    painter_.drawBottomBar(std::span<const ovSoftKey>(softKeys_.data(), static_cast<size_t>(softKeyCount_)),
                           shownPressed(Target::SoftKey), menuKey_);
    if (menuOpen())
        painter_.drawMenu(menuItems_, shownPressed(Target::MenuItem));
    if (aboutOpen_)
        painter_.drawAbout(about_->title, aboutText_, shownPressed(Target::AboutOk) >= 0);
    dirty_ = false;
    return painter_.frame();
}
