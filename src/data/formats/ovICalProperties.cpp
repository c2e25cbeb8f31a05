#include "data/formats/ovICalProperties.h"

icaltimezone* ovZoneNamed(icalcomponent* calendar, const char* tzid) {
    if (tzid == nullptr)
        return nullptr;
    if (icaltimezone* zone = icalcomponent_get_timezone(calendar, tzid))
        return zone;
    std::string name = tzid;
    // Some writers put a prefix before the Olson name ("/mozilla.org/20050126_1/Europe/Berlin").
    while (!name.empty() && icaltimezone_get_builtin_timezone(name.c_str()) == nullptr) {
        const size_t slash = name.find('/', 1);
        if (slash == std::string::npos)
            return nullptr;
        name.erase(0, slash + (name[0] == '/' ? 0 : 1));
        if (!name.empty() && name[0] == '/')
            name.erase(0, 1);
    }
    return name.empty() ? nullptr : icaltimezone_get_builtin_timezone(name.c_str());
}

std::string ovPropertyText(icalcomponent* component, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(component, kind);
    if (p == nullptr)
        return {};
    const char* value = icalvalue_get_text(icalproperty_get_value(p));
    return value != nullptr ? value : "";
}

namespace {
struct ovTextReader {
    std::string_view text;
    size_t at = 0;
};

// A line reader in fgets' manner: at most size - 1 bytes, ending after a line feed.
char* readPiece(char* out, size_t size, void* data) {
    auto* reader = static_cast<ovTextReader*>(data);
    if (size == 0 || reader->at >= reader->text.size())
        return nullptr;
    const std::string_view rest = reader->text.substr(reader->at, size - 1);
    const size_t lineFeed = rest.find('\n');
    const size_t count = lineFeed == std::string_view::npos ? rest.size() : lineFeed + 1;
    rest.copy(out, count);
    out[count] = '\0';
    reader->at += count;
    return out;
}
} // namespace

icalcomponent* ovParseCalendarText(std::string_view text) {
    // The text ends at its first NUL, as a C string would.
    ovTextReader reader{text.substr(0, text.find('\0'))};
    icalparser* parser = icalparser_new();
    if (parser == nullptr)
        return nullptr;
    const icalerrorstate was = icalerror_get_error_state(ICAL_MALFORMEDDATA_ERROR);
    icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, ICAL_ERROR_NONFATAL);
    icalparser_set_gen_data(parser, &reader);
    icalcomponent* parsed = icalparser_parse(parser, readPiece);
    icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, was);
    icalparser_free(parser);
    return parsed;
}
