#include "system/ovUtf.h"

#include <cstdint>

namespace {
constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Decodes one well-formed sequence at text[i]; returns its length, or 0 when the bytes
// there do not form one (the caller then replaces a single byte).
size_t decodeUtf8(std::string_view text, size_t i, char32_t& out) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) {
        out = lead;
        return 1;
    }
    size_t length;
    char32_t c, minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    out = c;
    return length;
}
} // namespace

std::string ovToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string ovToUtf16(std::string_view text) {
    std::u16string out;
    out.resize(text.size());
    // Most stored texts are plain ASCII: copy those units straight through.
    size_t ascii = 0;
    while (ascii < text.size() && static_cast<uint8_t>(text[ascii]) < 0x80) {
        out[ascii] = static_cast<char16_t>(text[ascii]);
        ++ascii;
    }
    if (ascii == text.size())
        return out;
    out.resize(ascii);
    for (size_t i = ascii; i < text.size();) {
        char32_t c;
        const size_t length = decodeUtf8(text, i, c);
        if (length == 0) {
            appendUtf16(out, kReplacement);
            ++i;
        } else {
            appendUtf16(out, c);
            i += length;
        }
    }
    return out;
}

bool ovIsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        char32_t c;
        const size_t length = decodeUtf8(text, i, c);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

char16_t ovFoldCase(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    // Latin-1: À..Þ except the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<char16_t>(c + 32);
    // Latin Extended-A pairs its capitals with the next unit, on even or odd positions
    // depending on the stretch.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) == 0 ? static_cast<char16_t>(c + 1) : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) == 1 ? static_cast<char16_t>(c + 1) : c;
    if (c == 0x130)
        return u'i';
    if (c == 0x178)
        return 0xFF;
    // Greek.
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return static_cast<char16_t>(c + 32);
    if (c == 0x3C2) // final sigma compares as sigma
        return 0x3C3;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return static_cast<char16_t>(c + 37);
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return static_cast<char16_t>(c + 63);
    // Cyrillic.
    if (c >= 0x410 && c <= 0x42F)
        return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 80);
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return (c & 1) == 0 ? static_cast<char16_t>(c + 1) : c;
    if (c >= 0x4C1 && c <= 0x4CE)
        return (c & 1) == 1 ? static_cast<char16_t>(c + 1) : c;
    if (c == 0x4C0)
        return 0x4CF;
    return c;
}

std::u16string ovFoldCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = ovFoldCase(c);
    return out;
}
