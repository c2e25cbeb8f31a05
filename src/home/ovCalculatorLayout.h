#pragma once
// The calculator's keypad: every key's area as fractions of the screen rectangle
// (left, top, right, bottom), in the order the hit test tries them (the first match
// wins where areas overlap). The picture generator draws calculator.bmp from the same
// table, so the keys are always where the finger finds them.
namespace ovCalculatorLayout {

struct Area {
    float left, top, right, bottom;
};

// Key codes.
enum Code {
    digit0 = 0, // digits 1..9 have the codes 1..9
    sine = 10,
    cosine = 11,
    changeSign = 12,
    allClear = 13,
    reciprocal = 14,
    squareRoot = 15,
    memoryAdd = 16,
    memoryRecall = 17,
    memoryClear = 18,
    point = 19,
    subtract = 20,
    add = 21,
    divide = 22,
    multiply = 23,
    equals = 24,
    noKey = 28,
    backspace = 29,
    power = 30,
};

// Key kinds.
enum Kind { digitKind = 0, functionKind = 1, noKind = 3 };

// Two rows of five digit keys, split into equal columns.
inline constexpr int rowColumns = 5;
struct DigitRow {
    Area area;
    int codes[rowColumns];
    const char16_t* captions[rowColumns];
};
inline constexpr DigitRow digitRows[2] = {
    {{0.02f, 0.127f, 0.8f, 0.26f}, {1, 2, 3, 4, 5}, {u"1", u"2", u"3", u"4", u"5"}},
    {{0.02f, 0.26f, 0.8f, 0.41f}, {6, 7, 8, 9, 0}, {u"6", u"7", u"8", u"9", u"0"}},
};

struct Key {
    Area area;
    int code;
    const char16_t* caption; // what the key does; the picture shows `label`
    const char* label;
};
// Tried after the digit rows, in this order.
inline constexpr Key keys[17] = {
    {{0.825f, 0.138f, 1.0f, 0.236f}, point, u".", "."},
    {{0.715f, 0.01f, 1.0f, 0.12f}, backspace, u"", "<-"},
    {{0.82f, 0.12f, 1.0f, 0.34f}, subtract, u"-", "-"},
    {{0.82f, 0.34f, 1.0f, 0.485f}, add, u"+", "+"},
    {{0.82f, 0.485f, 1.0f, 0.623f}, divide, u"//", "/"},
    {{0.82f, 0.623f, 1.0f, 0.75f}, multiply, u"*", "x"},
    {{0.82f, 0.75f, 1.0f, 0.873f}, equals, u"=", "="},
    {{0.0f, 0.404f, 0.371f, 0.526f}, sine, u"sin", "sin"},
    {{0.371f, 0.404f, 0.804f, 0.526f}, cosine, u"cos", "cos"},
    {{0.0f, 0.526f, 0.167f, 0.649f}, changeSign, u"+/-", "+/-"},
    {{0.167f, 0.526f, 0.492f, 0.649f}, power, u"^", "x^y"},
    {{0.492f, 0.526f, 0.796f, 0.649f}, allClear, u"AC", "AC"},
    {{0.0f, 0.649f, 0.3f, 0.765f}, reciprocal, u"1/x", "1/x"},
    {{0.3f, 0.649f, 0.763f, 0.765f}, squareRoot, u"sqrt", "sqrt"},
    {{0.0f, 0.765f, 0.242f, 0.884f}, memoryAdd, u"M+", "M+"},
    {{0.242f, 0.765f, 0.529f, 0.884f}, memoryRecall, u"MR", "MR"},
    {{0.529f, 0.765f, 0.818f, 0.884f}, memoryClear, u"MC", "MC"},
};

// Not a key: a release here closes the calculator.
inline constexpr Area closeArea{0.24f, 0.89f, 0.715f, 0.99f};
inline constexpr Area display{0.02f, 0.02f, 0.7f, 0.11f};

} // namespace ovCalculatorLayout
