#pragma once
// The program's resources, kept as data the way the executable carries them: the
// string table, menu 102 and the raw menu-bar definition built on it, accelerator
// table 2, the About dialog and the high-resolution marker. The hosts build their
// window from these, so a label or a command changes in one place.
#include "resources/ovResourceIds.h"

#include <cstdint>
#include <span>
#include <string_view>

// The text of a string resource; empty for an unknown id.
std::u16string_view ovLoadString(int id);

// One item of a pop-up menu.
struct ovMenuItem {
    int command = 0;
    std::u16string_view text;
};

// A pop-up of a menu: its title and items, in their order.
struct ovMenuPopup {
    std::u16string_view text;
    std::span<const ovMenuItem> items;
};

// The pop-ups of a menu resource; empty for an unknown id.
std::span<const ovMenuPopup> ovLoadMenu(int id);

// The raw menu-bar definition as 16-bit words: the menu id, the button count, then
// seven words per button (image, command, state, style, string id, 0, sub-menu).
std::span<const uint16_t> ovLoadMenuBarData(int id);

// Menu-bar button words that mean something.
constexpr uint16_t ovMenuBarNoImage = 0xFFFE;
constexpr uint16_t ovMenuBarNoSubMenu = 0xFFFF;
constexpr uint16_t ovMenuBarStateEnabled = 0x04;
constexpr uint16_t ovMenuBarStyleButton = 0x10;
constexpr uint16_t ovMenuBarStyleDropDown = 0x18;

// One soft key of a parsed menu bar.
struct ovSoftKey {
    int command = 0;
    int stringId = 0;
    bool enabled = false;
    bool dropDown = false;
    int subMenu = -1; // index into the menu's pop-ups; -1 for none
};

// Reads a raw menu-bar definition into at most `out.size()` soft keys. Returns the
// number of keys, or -1 when the words are malformed (too short, a count that does
// not match, or a sub-menu the menu does not have).
int ovParseMenuBar(std::span<const uint16_t> words, std::span<ovSoftKey> out);

// Accelerator flags, as the platform's accelerator tables store them.
enum ovAcceleratorFlags : uint8_t {
    ovAccelVirtKey = 0x01,
    ovAccelNoInvert = 0x02,
    ovAccelShift = 0x04,
    ovAccelControl = 0x08,
    ovAccelAlt = 0x10,
};

struct ovAccelerator {
    uint8_t flags = 0;
    uint16_t key = 0; // virtual key: 'A'..'Z' for letters
    uint16_t command = 0;
};

std::span<const ovAccelerator> ovLoadAccelerators(int id);
// The command of a key press with its modifiers, or 0 when the table has none.
// Letters are matched by their upper-case virtual key.
int ovTranslateAccelerator(std::span<const ovAccelerator> table, int virtualKey, bool control, bool shift,
                           bool alt);

// A dialog template: its size in dialog units, title, font and the lines of static
// text it shows.
struct ovDialogTemplate {
    int id = 0;
    int widthDlu = 0;
    int heightDlu = 0;
    std::u16string_view title;
    std::u16string_view fontFace;
    int pointSize = 0;
    uint32_t exStyle = 0;
    int okCommand = 0;
    std::span<const std::u16string_view> lines;
};

// The extended style that puts an OK button in the dialog's title bar.
constexpr uint32_t ovDialogCaptionOkButton = 0x80000000u;

// nullptr for an unknown id.
const ovDialogTemplate* ovLoadDialog(int id);

// A resource of a custom type holding one 16-bit value.
struct ovCustomResource {
    std::string_view type;
    std::string_view name;
    uint16_t value = 0;
};

// The "CEUX" / "HI_RES_AWARE" marker: the program draws for the real pixel
// resolution itself, so a host shows each of its pixels as one screen pixel.
const ovCustomResource& ovHighResolutionMarker();
bool ovHighResolutionAware();
