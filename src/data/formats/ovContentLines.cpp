#include "data/formats/ovContentLines.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

std::string ovUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::vector<ovContentLine> ovSplitContentLines(std::string_view text) {
    std::vector<ovContentLine> out;
    int number = 0;
    // Windows editors begin a UTF-8 file with a byte-order mark.
    size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at < text.size()) {
        // CRLF, LF, or a CR alone as old Mac programs end their lines.
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        const size_t next = text.substr(end).starts_with("\r\n") ? end + 2 : std::min(end + 1, text.size());
        std::string_view physical = text.substr(at, end - at);
        ++number;
        at = next;
        if (!out.empty() && !physical.empty() && (physical[0] == ' ' || physical[0] == '\t') &&
            !out.back().text.empty()) {
            out.back().text.append(physical.substr(1));
            out.back().raw.append(physical).append("\r\n");
            continue;
        }
        if (physical.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        ovContentLine line;
        line.line = number;
        line.text = std::string(physical);
        line.raw = std::string(physical) + "\r\n";
        out.push_back(std::move(line));
    }
    return out;
}

namespace {

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
}

} // namespace

bool ovParseContentLine(std::string_view text, ovParsedLine& out) {
    out = {};
    size_t i = 0;
    while (i < text.size() && (isNameChar(text[i]) || text[i] == '.'))
        ++i;
    std::string_view name = text.substr(0, i);
    if (const size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        out.group = std::string(name.substr(0, dot));
        name = name.substr(dot + 1);
    }
    if (name.empty())
        return false;
    out.name = ovUpper(name);
    while (i < text.size() && text[i] == ';') {
        ++i;
        ovContentParam param;
        const size_t nameStart = i;
        while (i < text.size() && isNameChar(text[i]))
            ++i;
        std::string paramName = ovUpper(text.substr(nameStart, i - nameStart));
        if (i < text.size() && text[i] == '=') {
            param.name = std::move(paramName);
            ++i;
            // A comma list of values, each possibly quoted.
            for (;;) {
                std::string value;
                if (i < text.size() && text[i] == '"') {
                    const size_t close = text.find('"', i + 1);
                    if (close == std::string_view::npos)
                        return false;
                    value = std::string(text.substr(i + 1, close - i - 1));
                    i = close + 1;
                } else {
                    const size_t start = i;
                    while (i < text.size() && text[i] != ',' && text[i] != ';' && text[i] != ':')
                        ++i;
                    value = std::string(text.substr(start, i - start));
                }
                // TYPE="cell,voice" is one quoted value that means two.
                size_t from = 0;
                for (size_t comma; (comma = value.find(',', from)) != std::string::npos; from = comma + 1)
                    param.values.push_back(value.substr(from, comma - from));
                param.values.push_back(value.substr(from));
                if (i < text.size() && text[i] == ',') {
                    ++i;
                    continue;
                }
                break;
            }
        } else {
            if (paramName.empty())
                return false;
            param.values.push_back(std::move(paramName));
        }
        out.params.push_back(std::move(param));
    }
    if (i >= text.size() || text[i] != ':')
        return false;
    out.value = std::string(text.substr(i + 1));
    return true;
}

bool ovIsBeginOf(const ovParsedLine& line, std::string_view component) {
    return line.name == "BEGIN" && ovUpper(line.value) == component;
}

bool ovIsEndOf(const ovParsedLine& line, std::string_view component) {
    return line.name == "END" && ovUpper(line.value) == component;
}

std::string ovFoldContentLine(std::string_view text) {
    constexpr size_t kOctets = 75;
    std::string out;
    size_t room = kOctets;
    while (text.size() > room) {
        size_t cut = room;
        // Back off to the start of the UTF-8 sequence the cut would fall in.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == 0)
            cut = room;
        out.append(text.substr(0, cut)).append("\r\n ");
        text.remove_prefix(cut);
        room = kOctets - 1;
    }
    out.append(text).append("\r\n");
    return out;
}

std::string ovUidFromText(std::string_view text) {
    const auto fnv = [&](uint64_t hash) {
        for (char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001B3ull;
        }
        return hash;
    };
    const uint64_t high = fnv(0xCBF29CE484222325ull), low = fnv(0x84222325CBF29CE4ull);
    char out[37];
    std::snprintf(out, sizeof out, "%08x-%04x-8%03x-%04x-%012llx", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>(high >> 16 & 0xFFFF), static_cast<unsigned>(high & 0xFFF),
                  static_cast<unsigned>((low >> 48 & 0x3FFF) | 0x8000),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return out;
}

std::string ovPrintable(std::string_view text) {
    constexpr size_t kLongest = 160;
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out.push_back(byte < 0x20 || byte == 0x7F ? '?' : c);
    }
    if (out.size() > kLongest) {
        size_t cut = kLongest;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
        out += "...";
    }
    return out;
}
