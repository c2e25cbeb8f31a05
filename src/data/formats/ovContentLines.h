#pragma once
// The line structure iCalendar and vCard share: physical lines ending in CRLF, LF or CR
// (after a byte-order mark, if the file has one), a
// line that begins with a space or a tab continuing the one before it, and a content
// line "[group.]NAME *(;PARAM[=VALUE]) : VALUE".
#include <string>
#include <string_view>
#include <vector>

struct ovContentLine {
    // The physical line the content line begins on, counted from 1.
    int line = 0;
    // The content line unfolded.
    std::string text;
    // Its physical lines as they stand, each ending in CRLF, so an unchanged line is
    // written back as it was read.
    std::string raw;
};

// Splits the text into unfolded content lines, blank lines left out.
std::vector<ovContentLine> ovSplitContentLines(std::string_view text);

struct ovContentParam {
    std::string name;                // upper case; empty for a bare 2.1 type such as "CELL"
    std::vector<std::string> values; // each value of a comma list, quotes taken off
};

struct ovParsedLine {
    std::string group;
    std::string name; // upper case
    std::vector<ovContentParam> params;
    std::string value; // as it stands, escapes kept
};

// False when the line has no name or no ':' after its parameters.
bool ovParseContentLine(std::string_view text, ovParsedLine& out);
// "BEGIN:VCARD" -> "VCARD" for a BEGIN or END line (name compared case-insensitively).
bool ovIsBeginOf(const ovParsedLine& line, std::string_view component);
bool ovIsEndOf(const ovParsedLine& line, std::string_view component);
std::string ovUpper(std::string_view text);

// Folds a content line to lines of at most 75 octets, never inside a UTF-8 sequence,
// each ending in CRLF.
std::string ovFoldContentLine(std::string_view text);

// A UID for an item whose file gives it none, made from the item's text (a version 8 UUID
// of two FNV-1a hashes), so that importing the same file again updates the item rather
// than adding it a second time.
std::string ovUidFromText(std::string_view text);

// Text from a file made fit for a message: control bytes shown as '?', at most 160 bytes.
std::string ovPrintable(std::string_view text);
