#pragma once
// The window around the program's screen: a top bar with the title and a clock, the
// screen rectangle showing the back buffer, and the soft-key bar with Exit and
// Options; over them the Options pop-up and the modal About box. Both hosts draw the
// window through this class, so a real window and a headless winshot show the same
// pixels, and both route the pointer through it, so a touch means the same in both.
// This class keeps what is open and pressed and routes input; ovWindowLayout says
// where things lie, ovWindowPainter draws them, ovWindowTheme gives the colours.
#include "gfx/ovFramebuffer.h"
#include "gfx/ovGeometry.h"
#include "hosts/common/ovWindowLayout.h"
#include "hosts/common/ovWindowPainter.h"
#include "resources/ovResources.h"
#include "shell/ovPointerEvent.h"

#include <array>
#include <span>
#include <string>

class ovApp;
class ovFontSet;
class ovShell;
class ovSystem;

class ovWindowChrome {
public:
    // The window is the device's screen: app.screenWidth x app.screenHeight, the
    // reserved height split between the two bars. Call after the application exists.
    ovWindowChrome(ovApp& app, ovShell& shell, const ovFontSet& fonts, ovSystem& system);
    ovWindowChrome(const ovWindowChrome&) = delete;
    ovWindowChrome& operator=(const ovWindowChrome&) = delete;

    // Layout in window pixels; a point on any edge of a rectangle belongs to it.
    const ovWindowLayout& layout() const { return layout_; }
    int width() const { return layout_.width(); }
    int height() const { return layout_.height(); }
    const ovRect& topBar() const { return layout_.topBar(); }
    const ovRect& screenArea() const { return layout_.screenArea(); }
    const ovRect& bottomBar() const { return layout_.bottomBar(); }
    int softKeyCount() const { return softKeyCount_; }
    const ovSoftKey& softKey(int i) const { return softKeys_[i]; }
    ovRect softKeyRect(int i) const { return layout_.softKeyRect(i, softKeyCount_); }
    // Valid while the pop-up is open.
    int menuItemCount() const { return static_cast<int>(menuItems_.size()); }
    const ovMenuItem& menuItem(int i) const { return menuItems_[i]; }
    ovRect menuItemRect(int i) const { return layout_.menuItemRect(i); }
    const ovRect& menuRect() const { return layout_.menuRect(); }
    // Valid while the About box is open.
    const ovRect& aboutRect() const { return layout_.aboutRect(); }
    const ovRect& aboutOkRect() const { return layout_.aboutOkRect(); }

    // The pointer, at a point of the program's screen rectangle. What is under the
    // press decides who gets the whole gesture: the About box while it is open, the
    // pop-up while it is open (a press elsewhere closes it and goes nowhere), a soft
    // key, or the program, which is handed every event of the gesture as it is.
    void pointer(const ovPointerEvent& event);

    // A menu command from a soft key, the pop-up, an accelerator or a script. Options
    // opens (or closes) the pop-up; the others go to the program's window logic.
    void command(int id);
    // Ctrl+letter and friends through accelerator table 2; true when it gave a command.
    bool acceleratorKey(int virtualKey, bool control, bool shift, bool alt);
    // Return and Escape: close the About box (as its OK does) or the pop-up.
    bool confirmKey();
    bool cancelKey();

    // Once per timer tick: keeps the clock in the top bar current.
    void tick();

    void openAbout();
    void closeAbout();
    bool aboutOpen() const { return aboutOpen_; }
    // Opens the drop-down of soft key `key`.
    void openMenu(int key);
    void closeMenu();
    bool menuOpen() const { return menuKey_ >= 0; }

    // The program drew a new frame into this back buffer.
    void frameDrawn(const ovFramebuffer& back);
    // Something the window shows has changed since the last compose().
    bool dirty() const { return dirty_; }
    // Draws the whole window: bars, the last frame, the pop-up or the About box.
    const ovFramebuffer& compose();
    const ovFramebuffer& frame() const { return painter_.frame(); }

    // A notice shown in the top bar instead of the title until the window is next
    // touched (a reminder the desktop could not show).
    void showNotice(std::u16string_view text);
    const std::u16string& notice() const { return notice_; }

    // The text the clock shows now, "hh:mm".
    std::u16string clockText() const;

private:
    enum class Target { None, Program, SoftKey, MenuItem, AboutOk };

    void pointerDown(ovPoint at);
    void pointerMove(ovPoint at);
    void pointerUp(ovPoint at);
    // Whether a rectangle in window pixels holds a point of the screen rectangle.
    bool holds(const ovRect& windowRect, ovPoint at) const;
    int pressedIndexAt(ovPoint at) const;
    bool pressInside(ovPoint at) const;
    // The index of the pressed key or item of this kind while the press is inside it, or -1.
    int shownPressed(Target kind) const;

    ovShell& shell_;
    ovSystem& system_;
    ovWindowLayout layout_;
    ovWindowPainter painter_;

    std::array<ovSoftKey, 4> softKeys_{};
    int softKeyCount_ = 0;

    int menuKey_ = -1;
    std::span<const ovMenuItem> menuItems_;

    bool aboutOpen_ = false;
    const ovDialogTemplate* about_ = nullptr;
    std::u16string aboutText_;

    Target target_ = Target::None;
    int targetIndex_ = -1;
    bool targetInside_ = false;

    std::u16string clock_;
    std::u16string notice_;
    const ovFramebuffer* back_ = nullptr;
    bool dirty_ = true;
};
