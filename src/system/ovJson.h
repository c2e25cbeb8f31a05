#pragma once
#include <string>
#include <string_view>

// A JSON string literal (quotes included) of UTF-8 text: quotes, backslashes and
// control characters escaped, everything else kept as it is.
std::string ovJsonString(std::string_view utf8);
