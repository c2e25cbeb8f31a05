#include "resources/ovResources.h"

#include <algorithm>
#include <array>

namespace {
struct StringEntry {
    int id;
    std::u16string_view text;
};

constexpr std::array<StringEntry, 4> kStrings = {{
    {ovIdsAppTitle, u"Orvida"},
    {ovIdsWindowClass, u"Orvida"},
    {ovIdsExit, u"Exit"},
    {ovIdsOptions, u"Options"},
}};

constexpr std::array<ovMenuItem, 2> kOptionsItems = {{
    {ovCmdAbout, u"About"},
    {ovCmdToggleSounds, u"Toggle Sounds"},
}};

const std::array<ovMenuPopup, 1> kMenu = {{
    {u"Options", kOptionsItems},
}};

constexpr std::array<uint16_t, 16> kMenuBar = {ovIdMenu, 2,
                                               // Exit: a plain button.
                                               ovMenuBarNoImage, ovCmdExit, ovMenuBarStateEnabled,
                                               ovMenuBarStyleButton, ovIdsExit, 0, ovMenuBarNoSubMenu,
                                               // Options: a drop-down opening the first pop-up of the menu.
                                               ovMenuBarNoImage, ovCmdOptions, ovMenuBarStateEnabled,
                                               ovMenuBarStyleDropDown, ovIdsOptions, 0, 0};

constexpr std::array<ovAccelerator, 2> kAccelerators = {{
    {ovAccelVirtKey | ovAccelControl | ovAccelNoInvert, 'A', ovCmdAbout},
    {ovAccelVirtKey | ovAccelControl | ovAccelNoInvert, 'Q', ovCmdExit},
}};

constexpr std::array<std::u16string_view, 6> kAboutLines = {
    u"A finger-first front end",     u"for portrait touch screens.", u"",
    u"Lift your finger on a button", u"to enter it. Hold anywhere",  u"for 1.3 s to go home.",
};

const ovDialogTemplate kAbout = {
    ovIdAboutDialog,         149,    148,         u"Orvida v1.0", u"MS Shell Dlg", 8,
    ovDialogCaptionOkButton, ovIdOk, kAboutLines,
};

constexpr ovCustomResource kHighResolution = {"CEUX", "HI_RES_AWARE", 1};

constexpr size_t kWordsPerButton = 7;
} // namespace

std::u16string_view ovLoadString(int id) {
    for (const StringEntry& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return {};
}

std::span<const ovMenuPopup> ovLoadMenu(int id) {
    if (id == ovIdMenu)
        return kMenu;
    return {};
}

std::span<const uint16_t> ovLoadMenuBarData(int id) {
    if (id == ovIdMenu)
        return kMenuBar;
    return {};
}

int ovParseMenuBar(std::span<const uint16_t> words, std::span<ovSoftKey> out) {
    if (words.size() < 2)
        return -1;
    const size_t count = words[1];
    if (words.size() != 2 + count * kWordsPerButton)
        return -1;
    const std::span<const ovMenuPopup> menu = ovLoadMenu(words[0]);
    const size_t n = std::min(count, out.size());
    for (size_t i = 0; i < n; ++i) {
        const uint16_t* b = words.data() + 2 + i * kWordsPerButton;
        ovSoftKey key;
        key.command = b[1];
        key.enabled = (b[2] & ovMenuBarStateEnabled) != 0;
        key.dropDown = b[3] == ovMenuBarStyleDropDown;
        key.stringId = b[4];
        if (key.dropDown) {
            if (b[6] >= menu.size())
                return -1;
            key.subMenu = b[6];
        }
        out[i] = key;
    }
    return static_cast<int>(n);
}

std::span<const ovAccelerator> ovLoadAccelerators(int id) {
    if (id == ovIdAccelerators)
        return kAccelerators;
    return {};
}

int ovTranslateAccelerator(std::span<const ovAccelerator> table, int virtualKey, bool control, bool shift,
                           bool alt) {
    if (virtualKey >= 'a' && virtualKey <= 'z')
        virtualKey = virtualKey - 'a' + 'A';
    for (const ovAccelerator& a : table) {
        if (a.key != virtualKey)
            continue;
        // Every modifier must match, so Ctrl+Shift+Q is not Ctrl+Q.
        if (((a.flags & ovAccelControl) != 0) != control || ((a.flags & ovAccelShift) != 0) != shift ||
            ((a.flags & ovAccelAlt) != 0) != alt)
            continue;
        return a.command;
    }
    return 0;
}

const ovDialogTemplate* ovLoadDialog(int id) {
    return id == ovIdAboutDialog ? &kAbout : nullptr;
}

const ovCustomResource& ovHighResolutionMarker() {
    return kHighResolution;
}

bool ovHighResolutionAware() {
    return kHighResolution.value == 1;
}
