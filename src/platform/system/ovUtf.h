#pragma once
// Conversions between the program's UTF-16 texts and UTF-8 (files, terminal, JSON).
// Invalid sequences become U+FFFD; nothing is dropped silently.
#include <string>
#include <string_view>

std::string ovToUtf8(std::u16string_view text);
std::u16string ovToUtf16(std::string_view text);
