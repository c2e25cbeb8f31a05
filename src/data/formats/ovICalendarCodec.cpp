#include "data/formats/ovICalendarCodec.h"

#include "data/formats/ovContentLines.h"
#include "data/formats/ovICalProperties.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimTask.h"
#include "system/ovClock.h"
#include "system/ovDateTime.h"
#include "system/ovUtf.h"

#include <libical/ical.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

namespace {

constexpr double kSecond = 1.0 / 86400;

// One VEVENT or VTODO cut out of the file, as a calendar of its own with the calendar's
// properties and the time zones it names.
struct ItemText {
    int line = 0;
    bool event = true;
    std::string uid;
    std::string body;   // the component's own lines
    std::string source; // the whole calendar made of it
};

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

// Splits the file into items; a component without its END line is a problem.
void splitItems(std::string_view text, std::vector<ItemText>& items, std::vector<ovDecodeProblem>& problems) {
    const std::vector<ovContentLine> lines = ovSplitContentLines(text);
    size_t i = 0;
    while (i < lines.size()) {
        ovParsedLine p;
        if (!ovParseContentLine(lines[i].text, p) || !ovIsBeginOf(p, "VCALENDAR")) {
            problems.push_back({lines[i].line, "text outside a calendar (BEGIN:VCALENDAR expected)"});
            ++i;
            continue;
        }
        const int calendarLine = lines[i].line;
        ++i;
        // The calendar's own lines, and those of them every calendar has (not its name,
        // colour or any X- line of its own).
        std::string header, plainHeader;
        std::vector<std::pair<std::string, std::string>> zones; // TZID, text
        std::vector<ItemText> found;
        bool closed = false;
        while (i < lines.size()) {
            ovParsedLine q;
            if (!ovParseContentLine(lines[i].text, q)) {
                problems.push_back({lines[i].line, "not an iCalendar property line (NAME:VALUE expected)"});
                ++i;
                continue;
            }
            if (ovIsEndOf(q, "VCALENDAR")) {
                closed = true;
                ++i;
                break;
            }
            if (q.name == "END") {
                problems.push_back({lines[i].line, "END:" + q.value + " without its BEGIN"});
                ++i;
                continue;
            }
            if (q.name != "BEGIN") {
                header += lines[i].raw;
                if (q.name == "VERSION" || q.name == "PRODID" || q.name == "CALSCALE" || q.name == "METHOD")
                    plainHeader += lines[i].raw;
                ++i;
                continue;
            }
            // A component: gather it to its matching END.
            const std::string kind = ovUpper(q.value);
            const int begin = lines[i].line;
            std::string body, uid, tzid;
            bool override = false;
            std::vector<std::string> open;
            bool whole = false;
            for (; i < lines.size(); ++i) {
                ovParsedLine r;
                if (!ovParseContentLine(lines[i].text, r))
                    break;
                if (r.name == "BEGIN") {
                    open.push_back(ovUpper(r.value));
                } else if (r.name == "END") {
                    if (open.empty() || open.back() != ovUpper(r.value))
                        break;
                    open.pop_back();
                } else if (open.size() == 1) {
                    if (r.name == "UID")
                        uid = r.value;
                    else if (r.name == "TZID")
                        tzid = r.value;
                    else if (r.name == "RECURRENCE-ID")
                        override = true;
                }
                if (ovIsEndOf(r, "VCALENDAR"))
                    break;
                body += lines[i].raw;
                if (open.empty()) {
                    whole = true;
                    ++i;
                    break;
                }
            }
            if (!whole) {
                problems.push_back({begin, "the " + kind + " has no END:" + kind});
                // Carry on at the next component of the calendar.
                while (i < lines.size()) {
                    ovParsedLine r;
                    if (ovParseContentLine(lines[i].text, r) &&
                        (r.name == "BEGIN" || ovIsEndOf(r, "VCALENDAR")) && open.size() <= 1)
                        break;
                    ++i;
                    if (open.size() > 1)
                        open.pop_back();
                }
                continue;
            }
            if (kind == "VTIMEZONE") {
                zones.emplace_back(tzid, body);
            } else if (kind == "VEVENT" || kind == "VTODO") {
                // A changed occurrence of a repeating item stays with it, kept for writing back.
                ItemText* master = nullptr;
                for (ItemText& item : found)
                    if (override && !uid.empty() && item.uid == uid)
                        master = &item;
                if (master != nullptr) {
                    master->body += body;
                } else {
                    found.push_back({begin, kind == "VEVENT", uid, body, {}});
                }
            }
        }
        if (!closed)
            problems.push_back({calendarLine, "the calendar has no END:VCALENDAR"});
        // An item keeps its own text and the time zones it names. The calendar's other lines
        // stay with the only item of a file (written back, the file keeps them); copied into
        // each of many items they would make the store as many times the file's size, and a
        // file of several items is never written back.
        const std::string& kept = found.size() == 1 ? header : plainHeader;
        for (ItemText& item : found) {
            item.source = "BEGIN:VCALENDAR\r\n" + kept;
            for (const auto& [tzid, zone] : zones)
                if (!tzid.empty() && item.body.find("TZID=" + tzid) != std::string::npos)
                    item.source += zone;
            item.source += item.body + "END:VCALENDAR\r\n";
            items.push_back(std::move(item));
        }
    }
}

bool toDate(const ovSystemTime& st, double& out) {
    return ovSystemTimeToVariantTime(st, out) && ovPimIsValidDate(out);
}

ovSystemTime fromTm(const std::tm& tm) {
    ovSystemTime st;
    st.year = static_cast<uint16_t>(tm.tm_year + 1900);
    st.month = static_cast<uint16_t>(tm.tm_mon + 1);
    st.day = static_cast<uint16_t>(tm.tm_mday);
    st.hour = static_cast<uint16_t>(tm.tm_hour);
    st.minute = static_cast<uint16_t>(tm.tm_min);
    st.second = static_cast<uint16_t>(tm.tm_sec);
    return st;
}

// A DATE or DATE-TIME property as a local store date; the problem when it cannot be one.
// `instant` is the moment itself, for a time in UTC or in a named zone.
std::string readTime(icalcomponent* calendar, icalproperty* prop, double& out, bool& isDate,
                     std::optional<time_t>* instant = nullptr) {
    const char* name = icalproperty_get_property_name(prop);
    icalvalue* value = icalproperty_get_value(prop);
    if (value == nullptr)
        return std::string(name) + " has no value";
    const icaltimetype t = icalvalue_get_datetimedate(value);
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t))
        return std::string(name) + " is not a date";
    isDate = t.is_date != 0;
    // Converting would quietly move 30 February to 2 March and hour 25 into the next day;
    // an item a day off is worse than one left out and named.
    if (t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > ovDaysInMonth(t.year, static_cast<unsigned>(t.month)) ||
        (!isDate && (t.hour > 23 || t.minute > 59 || t.second > 59))) {
        char shown[64];
        std::snprintf(shown, sizeof shown, "%04d-%02d-%02d", t.year, t.month, t.day);
        std::string when = shown;
        if (!isDate) {
            std::snprintf(shown, sizeof shown, "T%02d:%02d:%02d", t.hour, t.minute, t.second);
            when += shown;
        }
        return std::string(name) + " " + when + " is no real " + (isDate ? "date" : "date and time");
    }
    ovSystemTime st;
    icalparameter* tzid = icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER);
    icaltimezone* zone = icaltime_is_utc(t)          ? icaltimezone_get_utc_timezone()
                         : isDate || tzid == nullptr ? nullptr
                                                     : ovZoneNamed(calendar, icalparameter_get_tzid(tzid));
    // A zone nobody knows is read as local time (the decoder warns of it), as the
    // occurrences are.
    if (isDate || zone == nullptr) {
        st.year = static_cast<uint16_t>(t.year);
        st.month = static_cast<uint16_t>(t.month);
        st.day = static_cast<uint16_t>(t.day);
        if (!isDate) {
            st.hour = static_cast<uint16_t>(t.hour);
            st.minute = static_cast<uint16_t>(t.minute);
            st.second = static_cast<uint16_t>(t.second);
        }
    } else {
        const time_t seconds = icaltime_as_timet_with_zone(t, zone);
        std::tm tm{};
        if (localtime_r(&seconds, &tm) == nullptr)
            return std::string(name) + " is outside the dates the calendar holds";
        st = fromTm(tm);
        if (instant != nullptr)
            *instant = seconds;
    }
    if (!toDate(st, out))
        return std::string(name) + " is outside the dates the calendar holds (years 100 to 9999)";
    return {};
}

// What libical said about a property it dropped, for the problem's message.
std::string libicalError(icalcomponent* c, const char* property) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
        const char* message = icalproperty_get_xlicerror(p);
        if (message != nullptr && std::string(message).find(property) != std::string::npos)
            return std::string(": ") + message;
    }
    return {};
}

// An alarm's moment as a store date, given its item's start and end; nullopt when it
// has none the store can keep.
std::optional<double> alarmTime(icalcomponent* calendar, icalcomponent* alarm, std::optional<double> start,
                                std::optional<double> end) {
    icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (trigger == nullptr)
        return std::nullopt;
    const icaltriggertype t = icalproperty_get_trigger(trigger);
    if (!icaltime_is_null_time(t.time)) {
        double at = 0;
        bool isDate = false;
        if (!readTime(calendar, trigger, at, isDate).empty())
            return std::nullopt;
        return at;
    }
    icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
    const bool fromEnd = related != nullptr && icalparameter_get_related(related) == ICAL_RELATED_END;
    const std::optional<double> base = fromEnd ? end : start;
    if (!base)
        return std::nullopt;
    return *base + icaldurationtype_as_int(t.duration) * kSecond;
}

struct EventFields {
    double start = 0, end = 0;
    bool allDay = false;
    std::string summary, location;
    icalcomponent* alarm = nullptr; // the VALARM that gives the reminder
    int reminderMinutes = -1;       // -1: no reminder
};

std::string readEvent(icalcomponent* calendar, icalcomponent* event, EventFields& f) {
    icalproperty* dtstart = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (dtstart == nullptr)
        return "the event has no DTSTART" + libicalError(event, "DTSTART");
    std::optional<time_t> startInstant, endInstant;
    if (std::string problem = readTime(calendar, dtstart, f.start, f.allDay, &startInstant); !problem.empty())
        return problem;
    if (icalproperty* dtend = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        bool endIsDate = false;
        if (std::string problem = readTime(calendar, dtend, f.end, endIsDate, &endInstant); !problem.empty())
            return problem;
        // In the hour the clocks repeat in autumn, a later moment can read as an earlier
        // local time (02:30 summer time, then 02:00 winter time). The store keeps local
        // times, so such an event keeps its real length from its start.
        if (f.end < f.start && startInstant && endInstant && *endInstant >= *startInstant)
            f.end = f.start + static_cast<double>(*endInstant - *startInstant) * kSecond;
    } else if (icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        f.end = f.start + icaldurationtype_as_int(icalproperty_get_duration(duration)) * kSecond;
    } else if (libicalError(event, "DTEND").empty() && libicalError(event, "DURATION").empty()) {
        f.end = f.allDay ? f.start + 1 : f.start;
    } else {
        return "the event's end cannot be read" + libicalError(event, "DTEND") +
               libicalError(event, "DURATION");
    }
    // Some writers end a one-day event on the day it starts; other calendars show it as that day.
    if (f.allDay && f.end == f.start)
        f.end = f.start + 1;
    if (f.end < f.start)
        return "the event ends before it starts";
    if (!ovPimIsValidDate(f.end))
        return "the event's end is outside the dates the calendar holds";
    f.summary = ovPropertyText(event, ICAL_SUMMARY_PROPERTY);
    f.location = ovPropertyText(event, ICAL_LOCATION_PROPERTY);
    for (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
         alarm != nullptr; alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        const std::optional<double> at = alarmTime(calendar, alarm, f.start, f.end);
        if (at && *at <= f.start + kSecond / 2) {
            f.alarm = alarm;
            f.reminderMinutes = static_cast<int>(std::llround((f.start - *at) * 1440));
            break;
        }
    }
    return {};
}

struct TaskFields {
    std::optional<double> start, due;
    std::string summary;
    int importance = ovPimTask::importanceNormal;
    icalcomponent* alarm = nullptr;
    std::optional<double> reminder;
};

int importanceOf(int priority) {
    if (priority >= 1 && priority <= 4)
        return ovPimTask::importanceHigh;
    if (priority >= 6 && priority <= 9)
        return ovPimTask::importanceLow;
    return ovPimTask::importanceNormal;
}

std::string readTask(icalcomponent* calendar, icalcomponent* todo, TaskFields& f) {
    for (const auto& [kind, slot] :
         {std::pair{ICAL_DTSTART_PROPERTY, &f.start}, std::pair{ICAL_DUE_PROPERTY, &f.due}}) {
        if (icalproperty* p = icalcomponent_get_first_property(todo, kind)) {
            double date = 0;
            bool isDate = false;
            if (std::string problem = readTime(calendar, p, date, isDate); !problem.empty())
                return problem;
            *slot = date;
        } else if (const char* name = kind == ICAL_DUE_PROPERTY ? "DUE" : "DTSTART";
                   !libicalError(todo, name).empty()) {
            // libical drops a date it cannot read; the task would lose it without a word.
            return std::string("the task's ") + name + " cannot be read" + libicalError(todo, name);
        }
    }
    f.summary = ovPropertyText(todo, ICAL_SUMMARY_PROPERTY);
    if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY))
        f.importance = importanceOf(icalproperty_get_priority(p));
    for (icalcomponent* alarm = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
         alarm != nullptr; alarm = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT)) {
        const std::optional<double> at = alarmTime(calendar, alarm, f.start ? f.start : f.due, f.due);
        if (at && ovPimIsValidDate(*at)) {
            f.alarm = alarm;
            f.reminder = at;
            break;
        }
    }
    return {};
}

icalcomponent* firstItem(icalcomponent* calendar) {
    if (calendar == nullptr)
        return nullptr;
    if (icalcomponent_isa(calendar) == ICAL_VEVENT_COMPONENT ||
        icalcomponent_isa(calendar) == ICAL_VTODO_COMPONENT)
        return calendar;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c != nullptr;
         c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT))
        if (icalcomponent_isa(c) == ICAL_VEVENT_COMPONENT || icalcomponent_isa(c) == ICAL_VTODO_COMPONENT)
            return c;
    return nullptr;
}

// --- writing ---------------------------------------------------------------

// How a time was written, so a changed time is written the same way.
enum class TimeForm { utc, zoned, floating, date };

TimeForm formOf(icalproperty* prop, icaltimezone*& zone, icalcomponent* calendar) {
    zone = nullptr;
    if (prop == nullptr)
        return TimeForm::utc;
    const icaltimetype t = icalvalue_get_datetimedate(icalproperty_get_value(prop));
    if (t.is_date)
        return TimeForm::date;
    if (icaltime_is_utc(t))
        return TimeForm::utc;
    if (icalparameter* tzid = icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER)) {
        zone = ovZoneNamed(calendar, icalparameter_get_tzid(tzid));
        return zone != nullptr ? TimeForm::zoned : TimeForm::utc;
    }
    return TimeForm::floating;
}

icaltimetype localFields(const ovSystemTime& st, bool date) {
    icaltimetype t = date ? icaltime_null_date() : icaltime_null_time();
    t.year = st.year;
    t.month = st.month;
    t.day = st.day;
    if (!date) {
        t.hour = st.hour;
        t.minute = st.minute;
        t.second = st.second;
    }
    return t;
}

// The store date as a time of the form asked for.
icaltimetype timeAs(double date, TimeForm form, icaltimezone* zone) {
    ovSystemTime st;
    ovVariantTimeToSystemTime(date, st);
    if (form == TimeForm::date)
        return localFields(st, true);
    if (form == TimeForm::floating)
        return localFields(st, false);
    return icaltime_from_timet_with_zone(ovTimeFromLocal(st), 0,
                                         form == TimeForm::zoned ? zone : icaltimezone_get_utc_timezone());
}

bool isMidnight(double date) {
    return std::fabs(date - std::floor(date)) < kSecond / 2;
}

// Sets a time property (adding it when missing), keeping its form when it has one.
void setTime(icalcomponent* calendar, icalcomponent* c, icalproperty_kind kind, double date, bool keepDate) {
    icalproperty* prop = icalcomponent_get_first_property(c, kind);
    icaltimezone* zone = nullptr;
    TimeForm form = formOf(prop, zone, calendar);
    if (form == TimeForm::date && !(keepDate && isMidnight(date)))
        form = TimeForm::floating;
    const icaltimetype t = timeAs(date, form, zone);
    if (prop == nullptr) {
        prop = icalproperty_new(kind);
        icalcomponent_add_property(c, prop);
    }
    icalproperty_remove_parameter_by_kind(prop, ICAL_VALUE_PARAMETER);
    if (form != TimeForm::zoned)
        icalproperty_remove_parameter_by_kind(prop, ICAL_TZID_PARAMETER);
    icalproperty_set_value(prop, t.is_date ? icalvalue_new_date(t) : icalvalue_new_datetime(t));
    if (t.is_date)
        icalproperty_set_parameter(prop, icalparameter_new_value(ICAL_VALUE_DATE));
}

void setText(icalcomponent* c, icalproperty_kind kind, const std::string& value) {
    icalproperty* prop = icalcomponent_get_first_property(c, kind);
    if (value.empty()) {
        if (prop != nullptr) {
            icalcomponent_remove_property(c, prop);
            icalproperty_free(prop);
        }
        return;
    }
    if (prop == nullptr) {
        prop = icalproperty_new(kind);
        icalcomponent_add_property(c, prop);
    }
    icalproperty_set_value(prop, icalvalue_new_text(value.c_str()));
}

// Removes and frees an inner component (an alarm, a stray item).
void removeAlarm(icalcomponent* c, icalcomponent* alarm) {
    if (alarm == nullptr)
        return;
    icalcomponent_remove_component(c, alarm);
    icalcomponent_free(alarm);
}

icalcomponent* newAlarm(icalcomponent* c, const std::string& description, icaltriggertype trigger) {
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(
        alarm, icalproperty_new_description(description.empty() ? "Reminder" : description.c_str()));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_component(c, alarm);
    return alarm;
}

void setTrigger(icalcomponent* c, icalcomponent*& alarm, const std::string& description,
                icaltriggertype trigger) {
    if (alarm == nullptr) {
        alarm = newAlarm(c, description, trigger);
        return;
    }
    icalproperty* prop = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    icalproperty_remove_parameter_by_kind(prop, ICAL_RELATED_PARAMETER);
    icalproperty_remove_parameter_by_kind(prop, ICAL_VALUE_PARAMETER);
    icalproperty_set_trigger(prop, trigger);
    if (!icaltime_is_null_time(trigger.time))
        icalproperty_set_parameter(prop, icalparameter_new_value(ICAL_VALUE_DATETIME));
}

// The calendar to write: the item's source when it reads as one item of the kind, else
// a new one with its uid.
Component startFrom(const ovPimItem& item, icalcomponent_kind kind, icalcomponent*& c) {
    if (!item.sourceText().empty()) {
        Component calendar(ovParseCalendarText(item.sourceText()));
        c = firstItem(calendar.get());
        if (c != nullptr && icalcomponent_isa(c) == kind && calendar.get() != c)
            return calendar;
    }
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Orvida//Orvida//EN"));
    c = icalcomponent_new(kind);
    icalcomponent_add_property(
        c, icalproperty_new_dtstamp(icaltime_current_time_with_zone(icaltimezone_get_utc_timezone())));
    icalcomponent_add_component(calendar.get(), c);
    return calendar;
}

void setUid(icalcomponent* c, const std::string& uid) {
    const char* old = icalcomponent_get_uid(c);
    if (!uid.empty() && (old == nullptr || uid != old))
        icalcomponent_set_uid(c, uid.c_str());
}

// libical notes what it could not read as X-LIC-ERROR properties; they are not ours to write.
void dropErrors(icalcomponent* c) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p != nullptr;
         p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY)) {
        icalcomponent_remove_property(c, p);
        icalproperty_free(p);
    }
    for (icalcomponent* inner = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); inner != nullptr;
         inner = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        dropErrors(inner);
}

// Keeps the item and its changed occurrences only: an occurrence whose RECURRENCE-ID
// libical could not read would otherwise be written as a second item.
void keepOneItem(icalcomponent* calendar, icalcomponent* item) {
    std::vector<icalcomponent*> extra;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, icalcomponent_isa(item));
         c != nullptr; c = icalcomponent_get_next_component(calendar, icalcomponent_isa(item)))
        if (c != item && icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY) == nullptr)
            extra.push_back(c);
    for (icalcomponent* c : extra)
        removeAlarm(calendar, c);
}

std::string written(icalcomponent* calendar) {
    dropErrors(calendar);
    char* text = icalcomponent_as_ical_string_r(calendar);
    std::string out = text != nullptr ? text : "";
    icalmemory_free_buffer(text);
    return out;
}

} // namespace

namespace {
// The TZIDs of the item's times (its overrides' and alarms' too) that name no zone known
// here or in the file.
std::vector<std::string> unknownZones(icalcomponent* calendar, icalcomponent* c) {
    std::vector<std::string> out;
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
        icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
        const char* name = tzid != nullptr ? icalparameter_get_tzid(tzid) : nullptr;
        if (name != nullptr && ovZoneNamed(calendar, name) == nullptr &&
            std::find(out.begin(), out.end(), name) == out.end())
            out.emplace_back(name);
    }
    for (icalcomponent* sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub != nullptr;
         sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        for (std::string& name : unknownZones(calendar, sub))
            if (std::find(out.begin(), out.end(), name) == out.end())
                out.push_back(std::move(name));
    return out;
}
} // namespace

ovDecoded ovDecodeICalendar(std::string_view input) {
    ovDecoded out;
    std::vector<ItemText> items;
    splitItems(input, items, out.problems);
    for (ItemText& item : items) {
        if (item.source.find('\0') != std::string::npos) {
            out.problems.push_back({item.line, "the item holds a NUL byte"});
            continue;
        }
        if (!ovIsValidUtf8(item.source)) {
            out.problems.push_back({item.line, "the item is not valid UTF-8"});
            continue;
        }
        Component calendar(ovParseCalendarText(item.source));
        icalcomponent* c = firstItem(calendar.get());
        if (c == nullptr || calendar.get() == c) {
            out.problems.push_back({item.line, "the item cannot be read as iCalendar"});
            continue;
        }
        const char* uid = icalcomponent_get_uid(c);
        std::string problem;
        if (item.event) {
            EventFields f;
            problem = readEvent(calendar.get(), c, f);
            if (problem.empty()) {
                auto a = std::make_unique<ovPimAppointment>();
                (void)a->setDuration(0);
                (void)a->setStart(f.start);
                (void)a->setEnd(f.end);
                a->setSubject(ovToUtf16(f.summary));
                a->setLocation(ovToUtf16(f.location));
                a->setReminderSet(f.reminderMinutes >= 0);
                if (f.reminderMinutes >= 0)
                    (void)a->setReminderMinutesBeforeStart(f.reminderMinutes);
                a->setUid(uid != nullptr && *uid != 0 ? uid : ovUidFromText(item.source));
                a->setSourceText(item.source);
                out.items.push_back(std::move(a));
            }
        } else {
            TaskFields f;
            problem = readTask(calendar.get(), c, f);
            if (problem.empty()) {
                auto t = std::make_unique<ovPimTask>();
                t->setSubject(ovToUtf16(f.summary));
                (void)t->setImportance(f.importance);
                (void)t->setStartDate(f.start.value_or(ovPimNoDate));
                (void)t->setDueDate(f.due.value_or(ovPimNoDate));
                t->setReminderSet(f.reminder.has_value());
                if (f.reminder)
                    (void)t->setReminderTime(*f.reminder);
                t->setUid(uid != nullptr && *uid != 0 ? uid : ovUidFromText(item.source));
                t->setSourceText(item.source);
                out.items.push_back(std::move(t));
            }
        }
        if (!problem.empty()) {
            out.problems.push_back({item.line, problem});
            continue;
        }
        for (const std::string& zone : unknownZones(calendar.get(), calendar.get()))
            out.warnings.push_back({item.line, "the time zone " + ovPrintable(zone) +
                                                   " is not known; its times are read as local time"});
    }
    for (ovDecodeProblem& p : out.problems)
        p.problem = ovPrintable(p.problem);
    std::sort(out.problems.begin(), out.problems.end(),
              [](const ovDecodeProblem& a, const ovDecodeProblem& b) { return a.line < b.line; });
    return out;
}

std::string ovEncodeAppointment(const ovPimAppointment& item) {
    icalcomponent* c = nullptr;
    Component calendar = startFrom(item, ICAL_VEVENT_COMPONENT, c);
    EventFields old;
    const bool fromSource = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY) != nullptr &&
                            readEvent(calendar.get(), c, old).empty();
    setUid(c, item.uid());
    const bool keepDate = fromSource && old.allDay && isMidnight(item.start()) && isMidnight(item.end());
    if (!fromSource || old.start != item.start())
        setTime(calendar.get(), c, ICAL_DTSTART_PROPERTY, item.start(), keepDate);
    if (!fromSource || old.end != item.end() || old.start != item.start()) {
        if (icalproperty* duration = icalcomponent_get_first_property(c, ICAL_DURATION_PROPERTY)) {
            icalproperty_set_duration(duration, icaldurationtype_from_int(static_cast<int>(
                                                    std::llround((item.end() - item.start()) * 86400))));
        } else {
            setTime(calendar.get(), c, ICAL_DTEND_PROPERTY, item.end(), keepDate);
        }
    }
    const std::string summary = ovToUtf8(item.subject()), location = ovToUtf8(item.location());
    if (!fromSource || old.summary != summary)
        setText(c, ICAL_SUMMARY_PROPERTY, summary);
    if (!fromSource || old.location != location)
        setText(c, ICAL_LOCATION_PROPERTY, location);
    const int minutes = item.reminderSet() ? item.reminderMinutesBeforeStart() : -1;
    if (!fromSource || old.reminderMinutes != minutes) {
        if (minutes < 0) {
            // Every alarm that would read as the reminder goes, or the next would take its place.
            std::vector<icalcomponent*> reminders;
            for (icalcomponent* alarm = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT);
                 alarm != nullptr; alarm = icalcomponent_get_next_component(c, ICAL_VALARM_COMPONENT)) {
                const std::optional<double> at = alarmTime(calendar.get(), alarm, old.start, old.end);
                if (at && *at <= old.start + kSecond / 2)
                    reminders.push_back(alarm);
            }
            for (icalcomponent* alarm : reminders)
                removeAlarm(c, alarm);
        } else
            setTrigger(c, old.alarm, summary, icaltriggertype_from_int(-minutes * 60));
    }
    keepOneItem(calendar.get(), c);
    return written(calendar.get());
}

std::string ovEncodeTask(const ovPimTask& item) {
    icalcomponent* c = nullptr;
    Component calendar = startFrom(item, ICAL_VTODO_COMPONENT, c);
    TaskFields old;
    const bool fromSource = !item.sourceText().empty() && readTask(calendar.get(), c, old).empty();
    setUid(c, item.uid());
    const auto setDate = [&](icalproperty_kind kind, std::optional<double> was, double now) {
        if (fromSource && was.value_or(ovPimNoDate) == now)
            return;
        if (now == ovPimNoDate) {
            if (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
                icalcomponent_remove_property(c, p);
                icalproperty_free(p);
            }
            return;
        }
        setTime(calendar.get(), c, kind, now, true);
    };
    setDate(ICAL_DTSTART_PROPERTY, old.start, item.startDate());
    setDate(ICAL_DUE_PROPERTY, old.due, item.dueDate());
    const std::string summary = ovToUtf8(item.subject());
    if (!fromSource || old.summary != summary)
        setText(c, ICAL_SUMMARY_PROPERTY, summary);
    if (!fromSource || old.importance != item.importance()) {
        icalproperty* p = icalcomponent_get_first_property(c, ICAL_PRIORITY_PROPERTY);
        const int priority = item.importance() == ovPimTask::importanceHigh  ? 1
                             : item.importance() == ovPimTask::importanceLow ? 9
                                                                             : 5;
        if (p == nullptr)
            icalcomponent_add_property(c, icalproperty_new_priority(priority));
        else
            icalproperty_set_priority(p, priority);
    }
    const std::optional<double> reminder = item.reminderSet() && item.reminderTime() != ovPimNoDate
                                               ? std::optional<double>(item.reminderTime())
                                               : std::nullopt;
    if (!fromSource || old.reminder != reminder) {
        if (!reminder) {
            std::vector<icalcomponent*> reminders;
            for (icalcomponent* alarm = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT);
                 alarm != nullptr; alarm = icalcomponent_get_next_component(c, ICAL_VALARM_COMPONENT)) {
                const std::optional<double> at =
                    alarmTime(calendar.get(), alarm, old.start ? old.start : old.due, old.due);
                if (at && ovPimIsValidDate(*at))
                    reminders.push_back(alarm);
            }
            for (icalcomponent* alarm : reminders)
                removeAlarm(c, alarm);
        } else {
            icaltriggertype trigger = icaltriggertype_from_int(0);
            trigger.time = timeAs(*reminder, TimeForm::utc, nullptr);
            setTrigger(c, old.alarm, summary, trigger);
        }
    }
    keepOneItem(calendar.get(), c);
    return written(calendar.get());
}

std::string ovJoinCalendars(const std::vector<std::string>& calendars) {
    std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvida//Orvida//EN\r\n";
    std::vector<std::string> zones;
    std::string items;
    for (const std::string& calendar : calendars) {
        std::string component, tzid;
        int depth = 0;
        for (const ovContentLine& line : ovSplitContentLines(calendar)) {
            ovParsedLine p;
            if (!ovParseContentLine(line.text, p))
                continue;
            if (p.name == "BEGIN") {
                if (depth++ > 0)
                    component += line.raw;
                continue;
            }
            if (p.name == "END") {
                if (--depth <= 0)
                    continue; // END:VCALENDAR
                component += line.raw;
                if (depth == 1) {
                    if (!ovIsEndOf(p, "VTIMEZONE")) {
                        items += component;
                    } else if (std::find(zones.begin(), zones.end(), tzid) == zones.end()) {
                        zones.push_back(tzid);
                        out += component;
                    }
                    component.clear();
                    tzid.clear();
                }
                continue;
            }
            if (depth < 2)
                continue; // the calendar's own properties: ours replace them
            component += line.raw;
            if (depth == 2 && p.name == "TZID")
                tzid = p.value;
        }
    }
    return out + items + "END:VCALENDAR\r\n";
}
