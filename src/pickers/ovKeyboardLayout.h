#pragma once
// The two key boards as fractions of the screen rectangle: one table per board, in the
// order the lookup tries them. The keyboard hit-tests with these tables and the picture
// generator draws the boards from them, so every key face lies under its touch area.
#include "gfx/ovGeometry.h"
#include "shell/ovScreenGeometry.h"

// What a key does: type its text, or act (the code says how).
enum ovKeyKind { ovKeyAction = 1, ovKeyLetterChar = 2, ovKeyNumberChar = 3 };

// Codes of the action keys.
enum ovKeyCode {
    ovKeyOk = 51,
    ovKeyBackspace = 52,
    ovKeyBack = 53,
    ovKeyToNumbers = 54,
    ovKeyToLetters = 55,
};

struct ovKeyCap {
    int code = 0;
    char16_t text = 0;              // the character typed; 0 for action keys
    const char16_t* face = nullptr; // what the picture shows on the key
};

// A row of `count` keys of equal width (a single key is a row of one).
struct ovKeyArea {
    float left, top, right, bottom;
    int kind;
    int count;
    ovKeyCap keys[6];
    // False for an area that does nothing on its board: the picture leaves it out.
    bool shown = true;
};

namespace ovKeyboardLayout {
constexpr int letterBoard = 1;
constexpr int numberBoard = 0;

// Where the text typed so far is shown.
constexpr float textBoxLeft = 0.02f;
constexpr float textBoxTop = 0.02f;
constexpr float textBoxRight = 0.7f;
constexpr float textBoxBottom = 0.11f;

inline constexpr ovKeyArea letterKeys[] = {
    {0.02f,
     0.13f,
     0.82f,
     0.26f,
     ovKeyLetterChar,
     5,
     {{1, u'q', u"q"}, {2, u'w', u"w"}, {3, u'e', u"e"}, {4, u'r', u"r"}, {5, u't', u"t"}}},
    {0.0f, 0.265f, 0.188f, 0.38f, ovKeyLetterChar, 1, {{20, u':', u":"}}},
    {0.215f,
     0.265f,
     0.985f,
     0.38f,
     ovKeyLetterChar,
     5,
     {{6, u'y', u"y"}, {7, u'u', u"u"}, {8, u'i', u"i"}, {9, u'o', u"o"}, {10, u'p', u"p"}}},
    {0.81f, 0.38f, 1.0f, 0.5f, ovKeyLetterChar, 1, {{22, u'?', u"?"}}},
    {0.0f,
     0.38f,
     0.8f,
     0.5f,
     ovKeyLetterChar,
     5,
     {{11, u'a', u"a"}, {12, u's', u"s"}, {13, u'd', u"d"}, {14, u'f', u"f"}, {15, u'g', u"g"}}},
    {0.0f, 0.504f, 0.203f, 0.64f, ovKeyLetterChar, 1, {{23, u'_', u"_"}}},
    {0.204f,
     0.504f,
     1.0f,
     0.64f,
     ovKeyLetterChar,
     5,
     {{16, u'h', u"h"}, {17, u'j', u"j"}, {18, u'k', u"k"}, {19, u'l', u"l"}, {20, u';', u";"}}},
    {0.841f, 0.644f, 1.0f, 0.75f, ovKeyLetterChar, 1, {{24, u'!', u"!"}}},
    {0.0f,
     0.644f,
     0.84f,
     0.75f,
     ovKeyLetterChar,
     5,
     {{25, u'z', u"z"}, {26, u'x', u"x"}, {27, u'c', u"c"}, {28, u'v', u"v"}, {29, u'b', u"b"}}},
    {0.04f,
     0.754f,
     1.0f,
     0.88f,
     ovKeyLetterChar,
     6,
     {{42, u'@', u"@"},
      {30, u'n', u"n"},
      {31, u'm', u"m"},
      {47, u',', u","},
      {48, u'.', u"."},
      {49, u'/', u"/"}}},
    {0.0f, 0.89f, 0.23f, 0.99f, ovKeyAction, 1, {{ovKeyBack, 0, u"Back"}}},
    {0.24f, 0.89f, 0.715f, 0.99f, ovKeyLetterChar, 1, {{50, u' ', u"space"}}},
    {0.715f, 0.89f, 1.0f, 0.99f, ovKeyAction, 1, {{ovKeyOk, 0, u"OK"}}},
    {0.715f, 0.01f, 1.0f, 0.12f, ovKeyAction, 1, {{ovKeyBackspace, 0, u"Del"}}},
    // The top letter row covers the left part of this key and wins there.
    {0.715f, 0.13f, 1.0f, 0.26f, ovKeyAction, 1, {{ovKeyToNumbers, 0, u"123"}}},
};

inline constexpr ovKeyArea numberKeys[] = {
    {0.02f,
     0.13f,
     0.98f,
     0.32f,
     ovKeyNumberChar,
     4,
     {{33, u'1', u"1"}, {34, u'2', u"2"}, {35, u'3', u"3"}, {43, u'*', u"*"}}},
    {0.02f,
     0.32f,
     0.98f,
     0.505f,
     ovKeyNumberChar,
     4,
     {{36, u'4', u"4"}, {37, u'5', u"5"}, {38, u'6', u"6"}, {46, u'-', u"-"}}},
    {0.02f,
     0.505f,
     0.98f,
     0.697f,
     ovKeyNumberChar,
     4,
     {{39, u'7', u"7"}, {40, u'8', u"8"}, {41, u'9', u"9"}, {48, u'.', u"."}}},
    // The last key of this row is an action key; keyKind() says so.
    {0.02f,
     0.697f,
     0.98f,
     0.895f,
     ovKeyNumberChar,
     4,
     {{44, u'+', u"+"}, {32, u'0', u"0"}, {45, u'#', u"#"}, {ovKeyToLetters, 0, u"abc"}}},
    {0.0f, 0.89f, 0.23f, 0.99f, ovKeyAction, 1, {{ovKeyBack, 0, u"Back"}}},
    {0.24f, 0.89f, 0.715f, 0.99f, ovKeyLetterChar, 1, {{50, u' ', u"space"}}},
    {0.715f, 0.89f, 1.0f, 0.99f, ovKeyAction, 1, {{ovKeyOk, 0, u"OK"}}},
    {0.715f, 0.01f, 1.0f, 0.12f, ovKeyAction, 1, {{ovKeyBackspace, 0, u"Del"}}},
    // The letter board's switch key: the first row covers it here, so it never acts.
    {0.715f, 0.13f, 1.0f, 0.26f, ovKeyAction, 1, {{ovKeyToNumbers, 0, u"123"}}, false},
};

struct ovBoard {
    const ovKeyArea* areas;
    int count;
};
constexpr ovBoard board(int boardMode) {
    if (boardMode == letterBoard)
        return {letterKeys, static_cast<int>(sizeof(letterKeys) / sizeof(letterKeys[0]))};
    if (boardMode == numberBoard)
        return {numberKeys, static_cast<int>(sizeof(numberKeys) / sizeof(numberKeys[0]))};
    return {nullptr, 0};
}

// A key's kind: a key without a character is an action key whatever its row says.
constexpr int keyKind(const ovKeyArea& area, int column) {
    return area.keys[column].text == 0 ? ovKeyAction : area.kind;
}

// The area in pixels on a screen rectangle with the given right and bottom edges.
inline ovRect areaRect(const ovKeyArea& area, int right, int bottom) {
    return {ovFracOf(right, area.left), ovFracOf(bottom, area.top), ovFracOf(right, area.right),
            ovFracOf(bottom, area.bottom)};
}
// The touch area of the key in a column: the row's bands of (right - left) / count
// pixels, sharing their boundary lines, as columnAt divides it.
inline ovRect keyRect(const ovKeyArea& area, int column, int right, int bottom) {
    const ovRect row = areaRect(area, right, bottom);
    const int w = row.width() / area.count;
    return {row.left + column * w, row.top, row.left + (column + 1) * w, row.bottom};
}
} // namespace ovKeyboardLayout
