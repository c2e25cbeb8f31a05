#pragma once
// The window around the program's screen: a top bar with the title and a clock, the
// screen rectangle showing the back buffer, and the soft-key bar with Exit and
// Options; over them the Options pop-up and the modal About box. Both hosts draw the
// window through this class, so a real window and a headless winshot show the same
// pixels, and both route the pointer through it, so a touch means the same in both.
#include "platform/gfx/ovCanvas.h"
#include "platform/gfx/ovFramebuffer.h"
#include "platform/gfx/ovGeometry.h"
#include "resources/ovResources.h"

#include <array>
#include <span>
#include <string>

class ovApp;
class ovFont;
class ovFontSet;
class ovShell;
class ovSystem;

class ovWindowChrome {
public:
    // The theme: a calm dark slate with light text and one muted blue for what is
    // pressed or chosen.
    static constexpr ovColor barColor = ovRgb(22, 26, 33);
    static constexpr ovColor edgeColor = ovRgb(52, 60, 74);
    static constexpr ovColor textColor = ovRgb(228, 232, 238);
    static constexpr ovColor dimTextColor = ovRgb(158, 168, 184);
    static constexpr ovColor keyPressedColor = ovRgb(48, 62, 82);
    static constexpr ovColor keyActiveColor = ovRgb(36, 44, 57);
    static constexpr ovColor menuColor = ovRgb(34, 40, 50);
    static constexpr ovColor menuBorderColor = ovRgb(78, 90, 108);
    static constexpr ovColor menuSeparatorColor = ovRgb(50, 58, 71);
    static constexpr ovColor accentColor = ovRgb(56, 112, 168);
    static constexpr ovColor accentPressedColor = ovRgb(88, 146, 204);
    static constexpr ovColor boxColor = ovRgb(30, 35, 44);
    static constexpr ovColor boxTitleColor = ovRgb(42, 50, 63);
    static constexpr ovColor emptyScreenColor = ovRgb(0, 0, 0);
    // What stays of each colour channel behind the modal box, out of 256.
    static constexpr uint32_t dimShare = 96;
    static constexpr ovColor dimmed(ovColor c) {
        return (((c & 0xFF00FFu) * dimShare >> 8) & 0xFF00FFu) |
               (((c & 0x00FF00u) * dimShare >> 8) & 0x00FF00u);
    }

    // The window is the device's screen: app.screenWidth x app.screenHeight, the
    // reserved height split between the two bars. Call after the application exists.
    ovWindowChrome(ovApp& app, ovShell& shell, const ovFontSet& fonts, ovSystem& system);
    ovWindowChrome(const ovWindowChrome&) = delete;
    ovWindowChrome& operator=(const ovWindowChrome&) = delete;

    // Layout in window pixels. Every rectangle covers [left, right) x [top, bottom).
    int width() const { return width_; }
    int height() const { return height_; }
    const ovRect& topBar() const { return topBar_; }
    const ovRect& screenArea() const { return screenArea_; }
    const ovRect& bottomBar() const { return bottomBar_; }
    int softKeyCount() const { return softKeyCount_; }
    const ovSoftKey& softKey(int i) const { return softKeys_[i]; }
    ovRect softKeyRect(int i) const;
    // Valid while the pop-up is open.
    int menuItemCount() const { return static_cast<int>(menuItems_.size()); }
    const ovMenuItem& menuItem(int i) const { return menuItems_[i]; }
    ovRect menuItemRect(int i) const;
    const ovRect& menuRect() const { return menuRect_; }
    // Valid while the About box is open.
    const ovRect& aboutRect() const { return aboutRect_; }
    const ovRect& aboutOkRect() const { return aboutOkRect_; }

    // The pointer in window pixels. What is under the press decides who gets the
    // whole gesture: the About box while it is open, the pop-up while it is open (a
    // press elsewhere closes it and goes nowhere), a soft key, or the program, which
    // is given positions relative to its screen rectangle until the release.
    void pointerDown(int x, int y);
    void pointerMove(int x, int y);
    void pointerUp(int x, int y);

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
    const ovFramebuffer& frame() const { return frame_; }

    // The text the clock shows now, "hh:mm".
    std::u16string clockText() const;

private:
    enum class Target { None, Program, SoftKey, MenuItem, AboutOk };

    void layoutMenu();
    void layoutAbout();
    void drawTopBar();
    void drawBottomBar();
    void drawMenu();
    void drawAbout();
    void dim(const ovRect& area);
    void fillRoundRect(const ovRect& r, int radius, ovColor color);
    void drawLabel(std::u16string_view text, const ovRect& r, unsigned format, const ovFont* font,
                   ovColor color);
    int pressedIndexAt(int x, int y) const;
    bool pressInside(int x, int y) const;

    ovApp& app_;
    ovShell& shell_;
    const ovFontSet& fonts_;
    ovSystem& system_;

    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    ovRect topBar_;
    ovRect screenArea_;
    ovRect bottomBar_;
    std::array<ovSoftKey, 4> softKeys_{};
    int softKeyCount_ = 0;

    int menuKey_ = -1;
    std::span<const ovMenuItem> menuItems_;
    ovRect menuRect_;
    int menuItemHeight_ = 0;

    bool aboutOpen_ = false;
    const ovDialogTemplate* about_ = nullptr;
    std::u16string aboutText_;
    ovRect aboutRect_;
    ovRect aboutTitleRect_;
    ovRect aboutOkRect_;
    ovRect aboutBodyRect_;

    Target target_ = Target::None;
    int targetIndex_ = -1;
    bool targetInside_ = false;

    std::u16string clock_;
    const ovFramebuffer* back_ = nullptr;
    ovFramebuffer frame_;
    ovCanvas canvas_;
    bool dirty_ = true;
};
