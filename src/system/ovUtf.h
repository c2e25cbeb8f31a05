#pragma once
// The program's texts are UTF-16; files, the store and the command line speak UTF-8.
// These are the conversions at that boundary, and the one letter-case fold that every
// case-insensitive comparison of names uses.
#include <string>
#include <string_view>

// Malformed input never fails: a lone surrogate becomes U+FFFD.
std::string ovToUtf8(std::u16string_view text);
// Malformed input never fails: every byte that does not start a well-formed sequence
// (overlong forms, surrogates and values above U+10FFFF included) becomes U+FFFD.
std::u16string ovToUtf16(std::string_view text);
// True for well-formed UTF-8, the only kind ovToUtf16 keeps unchanged.
bool ovIsValidUtf8(std::string_view text);

// Lower case of one UTF-16 code unit for the letters of the Latin, Greek and Cyrillic
// blocks of the Basic Multilingual Plane; every other unit maps to itself. One unit
// always maps to one unit, so a folded text keeps its length and prefixes stay prefixes.
// Stored search keys depend on this mapping: changing it needs a new store schema version.
char16_t ovFoldCase(char16_t c);
std::u16string ovFoldCase(std::u16string_view text);
