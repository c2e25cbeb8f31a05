#include "data/formats/ovVCardCodec.h"

#include "data/formats/ovContentLines.h"
#include "data/pim/ovPimContact.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>

namespace {

// The contact's telephone numbers, in the order the slots are kept below.
enum Slot { home, mobile, business, businessFax, slotCount };

// One card as read: its content lines and which of them gave each field.
struct Card {
    int beginLine = 0;
    std::string version; // "2.1", "3.0" or "4.0"
    std::vector<ovContentLine> lines;
    std::vector<ovParsedLine> parsed;
    int nLine = -1, fnLine = -1, uidLine = -1, emailLine = -1;
    std::array<int, slotCount> telLines{-1, -1, -1, -1};
    // The values those lines give.
    std::string uid, fileAs, firstName, email;
    std::array<std::string, slotCount> tels;
};

bool hasType(const ovParsedLine& p, std::string_view type) {
    for (const ovContentParam& param : p.params) {
        if (param.name != "TYPE" && !param.name.empty())
            continue;
        for (const std::string& v : param.values)
            if (ovUpper(v) == type)
                return true;
    }
    return false;
}

bool isPreferred(const ovParsedLine& p) {
    if (hasType(p, "PREF"))
        return true;
    for (const ovContentParam& param : p.params)
        if (param.name == "PREF")
            return true;
    return false;
}

std::string paramValue(const ovParsedLine& p, std::string_view name) {
    for (const ovContentParam& param : p.params)
        if (param.name == name && !param.values.empty())
            return param.values.front();
    return {};
}

// The 2.1 quoted-printable encoding: "=XX" bytes; the soft line breaks are joined already.
std::string decodeQuotedPrintable(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string latin1ToUtf8(std::string_view text) {
    std::u16string wide;
    for (char c : text)
        wide.push_back(static_cast<unsigned char>(c));
    return ovToUtf8(wide);
}

// Splits a structured value at its unescaped ';', escapes kept.
std::vector<std::string> splitComponents(std::string_view value) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            out.back().append(value.substr(i, 2));
            ++i;
        } else if (value[i] == ';') {
            out.emplace_back();
        } else {
            out.back().push_back(value[i]);
        }
    }
    return out;
}

std::string unescape(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char c = value[++i];
            out.push_back(c == 'n' || c == 'N' ? '\n' : c);
        } else {
            out.push_back(value[i]);
        }
    }
    return out;
}

std::string escape(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '\\' || c == ',' || c == ';')
            out.push_back('\\');
        if (c == '\n') {
            out.append("\\n");
            continue;
        }
        if (c != '\r')
            out.push_back(c);
    }
    return out;
}

// The value of a line as UTF-8 text, its 2.1 encodings undone.
std::string plainValue(const ovParsedLine& p) {
    std::string value = p.value;
    if (ovUpper(paramValue(p, "ENCODING")) == "QUOTED-PRINTABLE" || hasType(p, "QUOTED-PRINTABLE"))
        value = decodeQuotedPrintable(value);
    const std::string charset = ovUpper(paramValue(p, "CHARSET"));
    if (charset == "ISO-8859-1" || charset == "LATIN1" || charset == "WINDOWS-1252")
        value = latin1ToUtf8(value);
    return value;
}

std::string telNumber(const ovParsedLine& p) {
    std::string value = unescape(plainValue(p));
    if (value.size() > 4 && ovUpper(value.substr(0, 4)) == "TEL:")
        value.erase(0, 4);
    return value;
}

// Where a TEL line goes among the contact's numbers, if anywhere.
std::optional<Slot> slotOf(const ovParsedLine& p, const std::array<std::string, slotCount>& filled) {
    const bool fax = hasType(p, "FAX"), work = hasType(p, "WORK"), homeType = hasType(p, "HOME");
    if (fax)
        return homeType && !work ? std::nullopt : std::optional<Slot>(businessFax);
    if (hasType(p, "CELL") || hasType(p, "MOBILE"))
        return mobile;
    if (work)
        return business;
    if (homeType)
        return home;
    if (hasType(p, "PAGER") || hasType(p, "VIDEO") || hasType(p, "TEXTPHONE") || hasType(p, "MODEM"))
        return std::nullopt;
    // A number of no kind: most are mobile numbers today.
    return filled[mobile].empty() ? mobile : filled[home].empty() ? std::optional<Slot>(home) : std::nullopt;
}

// Joins the soft line breaks of 2.1 quoted-printable values, which are not folding. Built
// anew rather than erased in place, so a value of many thousand lines costs no more than
// their length.
void joinSoftBreaks(std::vector<ovContentLine>& lines) {
    std::vector<ovContentLine> joined;
    joined.reserve(lines.size());
    bool quotedPrintable = false;
    for (ovContentLine& line : lines) {
        const bool softBreak =
            quotedPrintable && !joined.back().text.empty() && joined.back().text.back() == '=';
        if (softBreak) {
            joined.back().text.pop_back();
            joined.back().text += line.text;
            joined.back().raw += line.raw;
            continue;
        }
        quotedPrintable =
            ovUpper(std::string_view(line.text).substr(0, line.text.find(':'))).find("QUOTED-PRINTABLE") !=
            std::string::npos;
        joined.push_back(std::move(line));
    }
    lines = std::move(joined);
}

// Reads the fields of the card from its lines; an empty text when it is sound, else the
// problem and its line in `line`.
std::string readCard(Card& card, int& line) {
    line = card.beginLine;
    card.parsed.resize(card.lines.size());
    bool emailPreferred = false;
    std::array<bool, slotCount> telPreferred{};
    for (size_t i = 0; i < card.lines.size(); ++i) {
        ovParsedLine& p = card.parsed[i];
        line = card.lines[i].line;
        if (!ovParseContentLine(card.lines[i].text, p))
            return "not a vCard property line (NAME:VALUE expected)";
        if (card.lines[i].text.find('\0') != std::string::npos)
            return "the card holds a NUL byte";
        const int index = static_cast<int>(i);
        if (p.name == "VERSION") {
            card.version = p.value;
            if (card.version != "2.1" && card.version != "3.0" && card.version != "4.0")
                return "vCard version " + card.version + " is not read (2.1, 3.0 and 4.0 are)";
        } else if (p.name == "UID" && card.uidLine < 0) {
            card.uidLine = index;
            card.uid = unescape(p.value);
        } else if (p.name == "N" && card.nLine < 0) {
            card.nLine = index;
            const std::vector<std::string> parts = splitComponents(plainValue(p));
            card.fileAs = unescape(parts[0]);
            card.firstName = parts.size() > 1 ? unescape(parts[1]) : std::string();
        } else if (p.name == "FN" && card.fnLine < 0) {
            card.fnLine = index;
        } else if (p.name == "TEL") {
            const std::optional<Slot> slot = slotOf(p, card.tels);
            const std::string number = telNumber(p);
            if (slot && (card.telLines[*slot] < 0 || (isPreferred(p) && !telPreferred[*slot]))) {
                card.telLines[*slot] = index;
                card.tels[*slot] = number;
                telPreferred[*slot] = isPreferred(p);
            }
        } else if (p.name == "EMAIL") {
            if (card.emailLine < 0 || (isPreferred(p) && !emailPreferred)) {
                card.emailLine = index;
                card.email = unescape(plainValue(p));
                emailPreferred = isPreferred(p);
            }
        }
    }
    line = card.beginLine;
    // A card with no N (allowed in 4.0) is filed under its formatted name.
    if (card.fileAs.empty() && card.firstName.empty() && card.fnLine >= 0)
        card.fileAs = unescape(plainValue(card.parsed[static_cast<size_t>(card.fnLine)]));
    for (const std::string* text : {&card.uid, &card.fileAs, &card.firstName, &card.email, &card.tels[0],
                                    &card.tels[1], &card.tels[2], &card.tels[3]})
        if (!ovIsValidUtf8(*text))
            return "the card is not valid UTF-8";
        else if (text->find('\0') != std::string::npos) // from a quoted-printable "=00"
            return "the card holds a NUL byte";
    return {};
}

// Splits the text into cards; what is not inside a card is a problem of its own.
void splitCards(std::string_view text, std::vector<Card>& cards, std::vector<ovDecodeProblem>& problems) {
    std::vector<ovContentLine> lines = ovSplitContentLines(text);
    std::optional<Card> open;
    int depth = 0;
    for (ovContentLine& line : lines) {
        ovParsedLine p;
        const bool parsed = ovParseContentLine(line.text, p);
        if (!open) {
            if (parsed && ovIsBeginOf(p, "VCARD")) {
                open.emplace();
                open->beginLine = line.line;
                open->lines.push_back(std::move(line));
                depth = 1;
            } else {
                problems.push_back({line.line, "text outside a vCard (BEGIN:VCARD expected)"});
            }
            continue;
        }
        if (parsed && ovIsBeginOf(p, "VCARD")) {
            ++depth;
        } else if (parsed && ovIsEndOf(p, "VCARD") && --depth == 0) {
            open->lines.push_back(std::move(line));
            cards.push_back(std::move(*open));
            open.reset();
            continue;
        }
        open->lines.push_back(std::move(line));
    }
    if (open)
        problems.push_back({open->beginLine, "the vCard has no END:VCARD"});
}

std::string cardText(const Card& card) {
    std::string out;
    for (const ovContentLine& line : card.lines)
        out += line.raw;
    return out;
}

// The name as people write it. A file-as name already of the form "Last, First" with the
// contact's first name gives "First Last" rather than "First Last, First".
std::string fullName(const std::string& fileAs, const std::string& firstName) {
    if (fileAs.empty() || firstName.empty())
        return fileAs.empty() ? firstName : fileAs;
    const std::string tail = ", " + firstName;
    if (fileAs.size() > tail.size() && fileAs.compare(fileAs.size() - tail.size(), tail.size(), tail) == 0)
        return firstName + " " + fileAs.substr(0, fileAs.size() - tail.size());
    return firstName + " " + fileAs;
}

const char* telTypes(Slot slot, const std::string& version) {
    static const char* const modern[] = {"HOME,VOICE", "CELL,VOICE", "WORK,VOICE", "WORK,FAX"};
    static const char* const old[] = {"HOME;VOICE", "CELL;VOICE", "WORK;VOICE", "WORK;FAX"};
    return version == "2.1" ? old[slot] : modern[slot];
}

std::string telLine(Slot slot, const std::string& number, const std::string& version) {
    if (version == "2.1")
        return std::string("TEL;") + telTypes(slot, version) + ":" + number;
    if (version == "4.0")
        return std::string("TEL;VALUE=text;TYPE=\"") + ovUpper(telTypes(slot, version)) +
               "\":" + escape(number);
    return std::string("TEL;TYPE=") + telTypes(slot, version) + ":" + escape(number);
}

// The line with its value replaced, its name, group and parameters kept (but a 2.1
// encoding, which the new value is not in).
std::string withValue(const ovContentLine& line, const ovParsedLine& p, const std::string& value) {
    std::string head = line.text.substr(0, line.text.size() - p.value.size());
    for (const char* encoded : {";ENCODING=QUOTED-PRINTABLE", ";QUOTED-PRINTABLE", ";CHARSET=ISO-8859-1"}) {
        const std::string upper = ovUpper(head);
        if (const size_t at = upper.find(encoded); at != std::string::npos)
            head.erase(at, std::string_view(encoded).size());
    }
    return head + value;
}

} // namespace

ovDecoded ovDecodeVCards(std::string_view text) {
    ovDecoded out;
    std::vector<Card> cards;
    splitCards(text, cards, out.problems);
    for (Card& card : cards) {
        joinSoftBreaks(card.lines);
        int line = 0;
        if (const std::string problem = readCard(card, line); !problem.empty()) {
            out.problems.push_back({line, problem});
            continue;
        }
        auto contact = std::make_unique<ovPimContact>();
        const std::string source = cardText(card);
        contact->setUid(card.uid.empty() ? ovUidFromText(source) : card.uid);
        contact->setSourceText(source);
        contact->setFileAs(ovToUtf16(card.fileAs));
        contact->setFirstName(ovToUtf16(card.firstName));
        contact->setHomeTelephoneNumber(ovToUtf16(card.tels[home]));
        contact->setMobileTelephoneNumber(ovToUtf16(card.tels[mobile]));
        contact->setBusinessTelephoneNumber(ovToUtf16(card.tels[business]));
        contact->setBusinessFaxNumber(ovToUtf16(card.tels[businessFax]));
        contact->setEmail1Address(ovToUtf16(card.email));
        out.items.push_back(std::move(contact));
    }
    for (ovDecodeProblem& p : out.problems)
        p.problem = ovPrintable(p.problem);
    std::sort(out.problems.begin(), out.problems.end(),
              [](const ovDecodeProblem& a, const ovDecodeProblem& b) { return a.line < b.line; });
    return out;
}

std::string ovEncodeContact(const ovPimContact& item) {
    const std::string fileAs = ovToUtf8(item.fileAs()), firstName = ovToUtf8(item.firstName());
    const std::array<std::string, slotCount> tels{
        ovToUtf8(item.homeTelephoneNumber()), ovToUtf8(item.mobileTelephoneNumber()),
        ovToUtf8(item.businessTelephoneNumber()), ovToUtf8(item.businessFaxNumber())};
    const std::string email = ovToUtf8(item.email1Address());

    Card card;
    bool fromSource = false;
    if (!item.sourceText().empty()) {
        std::vector<Card> cards;
        std::vector<ovDecodeProblem> problems;
        splitCards(item.sourceText(), cards, problems);
        int line = 0;
        if (cards.size() == 1 && problems.empty()) {
            card = std::move(cards.front());
            joinSoftBreaks(card.lines);
            fromSource = readCard(card, line).empty();
        }
    }
    if (!fromSource) {
        card = Card();
        card.version = "3.0";
    }
    const std::string version = card.version.empty() ? "3.0" : card.version;

    // Each line of the source: kept as it was, replaced, or dropped; new lines go
    // before END:VCARD.
    std::vector<std::optional<std::string>> replaced(card.lines.size());
    std::vector<bool> dropped(card.lines.size(), false);
    std::vector<std::string> added;
    const auto set = [&](int index, const std::string& line, bool drop) {
        if (index < 0) {
            if (!drop)
                added.push_back(line);
        } else if (drop) {
            dropped[static_cast<size_t>(index)] = true;
        } else {
            replaced[static_cast<size_t>(index)] = line;
        }
    };
    if (!fromSource || card.uid != item.uid())
        set(card.uidLine, "UID:" + item.uid(), item.uid().empty());
    const bool nameChanged = !fromSource || card.fileAs != fileAs || card.firstName != firstName;
    if (nameChanged) {
        std::vector<std::string> parts{escape(fileAs), escape(firstName), "", "", ""};
        if (card.nLine >= 0) {
            const ovParsedLine& n = card.parsed[static_cast<size_t>(card.nLine)];
            const std::vector<std::string> old = splitComponents(plainValue(n));
            for (size_t i = 2; i < old.size() && i < parts.size(); ++i)
                parts[i] = old[i];
        }
        std::string value = parts[0];
        for (size_t i = 1; i < parts.size(); ++i)
            value += ";" + parts[i];
        const std::string fn = escape(fullName(fileAs, firstName));
        if (card.nLine >= 0)
            set(card.nLine,
                withValue(card.lines[static_cast<size_t>(card.nLine)],
                          card.parsed[static_cast<size_t>(card.nLine)], value),
                false);
        else
            set(-1, "N:" + value, false);
        if (card.fnLine >= 0)
            set(card.fnLine,
                withValue(card.lines[static_cast<size_t>(card.fnLine)],
                          card.parsed[static_cast<size_t>(card.fnLine)], fn),
                false);
        else
            set(-1, "FN:" + fn, false);
    }
    for (int s = 0; s < slotCount; ++s) {
        const Slot slot = static_cast<Slot>(s);
        if (fromSource && card.tels[slot] == tels[slot])
            continue;
        const int index = card.telLines[slot];
        const std::string number = version == "2.1" ? tels[slot] : escape(tels[slot]);
        set(index,
            index >= 0 ? withValue(card.lines[static_cast<size_t>(index)],
                                   card.parsed[static_cast<size_t>(index)], number)
                       : telLine(slot, tels[slot], version),
            tels[slot].empty());
    }
    if (!fromSource || card.email != email) {
        const int index = card.emailLine;
        set(index,
            index >= 0 ? withValue(card.lines[static_cast<size_t>(index)],
                                   card.parsed[static_cast<size_t>(index)], escape(email))
                       : (version == "4.0"   ? "EMAIL:"
                          : version == "2.1" ? "EMAIL;INTERNET:"
                                             : "EMAIL;TYPE=INTERNET:") +
                             escape(email),
            email.empty());
    }

    std::string out;
    if (!fromSource) {
        out = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        for (const std::string& line : added)
            out += ovFoldContentLine(line);
        return out + "END:VCARD\r\n";
    }
    for (size_t i = 0; i < card.lines.size(); ++i) {
        if (i + 1 == card.lines.size())
            for (const std::string& line : added)
                out += ovFoldContentLine(line);
        if (dropped[i])
            continue;
        out += replaced[i] ? ovFoldContentLine(*replaced[i]) : card.lines[i].raw;
    }
    return out;
}
