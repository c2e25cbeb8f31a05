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
