#include "data/formats/ovOccurrences.h"

#include "data/formats/ovICalProperties.h"
#include "system/ovClock.h"
#include "system/ovDateTime.h"

#include <libical/ical.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <memory>
#include <set>

namespace {

constexpr double kSecond = 1.0 / 86400;
// A rule that never reaches the window (a mistake, or a window centuries away) must not
// keep a screen busy: past this many instances the expansion stops.
constexpr int kMaxInstances = 200000;

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct IteratorDeleter {
    void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};
using IteratorPtr = std::unique_ptr<icalrecur_iterator, IteratorDeleter>;

// A time read from a property, with the zone its wall-clock fields are in (nullptr for
// floating times and dates, which are local wherever they are read).
struct ZonedTime {
    icaltimetype time = icaltime_null_time();
    icaltimezone* zone = nullptr;
};

icaltimezone* zoneOf(icalcomponent* calendar, icalproperty* prop, const icaltimetype& t) {
    if (t.is_date)
        return nullptr;
    if (icaltime_is_utc(t))
        return icaltimezone_get_utc_timezone();
    icalparameter* tzid = icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER);
    // A zone nobody knows is read as local time, as the codec imports it.
    return tzid != nullptr ? ovZoneNamed(calendar, icalparameter_get_tzid(tzid)) : nullptr;
}

ZonedTime timeOf(icalcomponent* calendar, icalproperty* prop) {
    if (prop == nullptr)
        return {};
    icalvalue* value = icalproperty_get_value(prop);
    if (value == nullptr)
        return {};
    ZonedTime z;
    z.time = icalvalue_get_datetimedate(value);
    if (icaltime_is_null_time(z.time) || !icaltime_is_valid_time(z.time))
        return {};
    z.zone = zoneOf(calendar, prop, z.time);
    return z;
}

// A wall-clock time in a zone as a local store date.
std::optional<double> localDate(const icaltimetype& t, icaltimezone* zone) {
    ovSystemTime st;
    if (zone == nullptr) {
        st.year = static_cast<uint16_t>(t.year);
        st.month = static_cast<uint16_t>(t.month);
        st.day = static_cast<uint16_t>(t.day);
        if (!t.is_date) {
            st.hour = static_cast<uint16_t>(t.hour);
            st.minute = static_cast<uint16_t>(t.minute);
            st.second = static_cast<uint16_t>(t.second);
        }
    } else {
        icaltimetype plain = t;
        plain.zone = nullptr;
        st = ovLocalTimeFrom(icaltime_as_timet_with_zone(plain, zone), 0);
    }
    double out = 0;
    if (!ovSystemTimeToVariantTime(st, out))
        return std::nullopt;
    return out;
}

// What identifies an instance whichever way its time is written: the instant for zoned
// times, the wall clock for floating ones, the day for dates.
std::string instanceKey(const icaltimetype& t, icaltimezone* zone) {
    icaltimetype plain = t;
    plain.zone = nullptr;
    if (zone != nullptr) {
        plain =
            icaltime_convert_to_zone(icaltime_set_timezone(&plain, zone), icaltimezone_get_utc_timezone());
        plain.zone = nullptr;
    }
    return icaltime_as_ical_string(plain);
}

std::string dayKey(const icaltimetype& t) {
    icaltimetype day = t;
    day.is_date = 1;
    day.zone = nullptr;
    return icaltime_as_ical_string(day);
}

// A cancelled event or to-do, or a to-do already done, has no instance to show.
bool isCancelled(icalcomponent* c) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY);
    if (p == nullptr)
        return false;
    const icalproperty_status status = icalproperty_get_status(p);
    return status == ICAL_STATUS_CANCELLED ||
           (status == ICAL_STATUS_COMPLETED && icalcomponent_isa(c) == ICAL_VTODO_COMPONENT);
}

// An event's start and how long it lasts, in seconds of its own wall clock for timed
// events and whole days for all-day ones. A to-do lasts from its start to its due time;
// one with a due time only starts and ends there, and its rule counts from it.
struct Span {
    ZonedTime start;
    icaldurationtype length = icaldurationtype_null_duration();
};

std::optional<Span> spanOf(icalcomponent* calendar, icalcomponent* event) {
    Span span;
    const bool todo = icalcomponent_isa(event) == ICAL_VTODO_COMPONENT;
    const ZonedTime end = timeOf(
        calendar, icalcomponent_get_first_property(event, todo ? ICAL_DUE_PROPERTY : ICAL_DTEND_PROPERTY));
    span.start = timeOf(calendar, icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY));
    if (icaltime_is_null_time(span.start.time) && todo)
        span.start = end;
    if (icaltime_is_null_time(span.start.time))
        return std::nullopt;
    if (!icaltime_is_null_time(end.time)) {
        icaltimetype a = span.start.time, b = end.time;
        if (span.start.zone != nullptr)
            a = icaltime_convert_to_zone(icaltime_set_timezone(&a, span.start.zone),
                                         icaltimezone_get_utc_timezone());
        if (end.zone != nullptr)
            b = icaltime_convert_to_zone(icaltime_set_timezone(&b, end.zone),
                                         icaltimezone_get_utc_timezone());
        a.zone = b.zone = nullptr;
        span.length = icaltime_subtract(b, a);
    } else if (icalproperty* d = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        span.length = icalproperty_get_duration(d);
    }
    // An all-day event that ends where it starts (or says nothing of its end) is that one day.
    if (span.start.time.is_date && icaldurationtype_as_int(span.length) <= 0 && !todo)
        span.length = icaldurationtype_from_int(86400);
    if (icaldurationtype_as_int(span.length) < 0)
        span.length = icaldurationtype_null_duration();
    return span;
}

struct Window {
    double from = 0;
    double to = 0;
    bool overlaps(double start, double end) const { return start < to && (end > from || start >= from); }
};

class Expander {
public:
    Expander(icalcomponent* calendar, Window window) : calendar_(calendar), window_(window) {}

    void addOverride(icalcomponent* event, const std::string& uid) {
        const ZonedTime rid =
            timeOf(calendar_, icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY));
        overridden_[uid].insert(instanceKey(rid.time, rid.zone));
        repeats_ = true;
        if (isCancelled(event))
            return;
        const std::optional<Span> span = spanOf(calendar_, event);
        if (!span)
            return;
        emit(event, uid, *span, span->start.time, localDate(rid.time, rid.zone));
    }

    void addMaster(icalcomponent* event, const std::string& uid) {
        if (isCancelled(event))
            return;
        const std::optional<Span> span = spanOf(calendar_, event);
        if (!span)
            return;
        icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        icalproperty* rdate = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
        if (rrule == nullptr && rdate == nullptr) {
            if (overridden_[uid].count(instanceKey(span->start.time, span->start.zone)) == 0)
                emit(event, uid, *span, span->start.time, std::nullopt);
            return;
        }
        repeats_ = true;
        const Excluded excluded = exclusionsOf(event, uid);
        std::set<std::string> seen;
        auto instance = [&](const icaltimetype& at) {
            const std::string key = instanceKey(at, span->start.zone);
            if (!seen.insert(key).second || excluded.keys.count(key) != 0 ||
                excluded.days.count(dayKey(at)) != 0)
                return;
            emit(event, uid, *span, at, localDate(at, span->start.zone));
        };
        // DTSTART is the first instance even where the rule would not produce it.
        instance(span->start.time);
        for (icalproperty* p = rdate; p != nullptr;
             p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype value = icalproperty_get_rdate(p);
            icaltimetype at = icaltime_is_null_time(value.time) ? value.period.start : value.time;
            if (icaltime_is_null_time(at))
                continue;
            // Instances are counted on the start's wall clock; an RDATE in another zone moves there.
            icaltimezone* zone = zoneOf(calendar_, p, at);
            if (zone != nullptr && span->start.zone != nullptr && zone != span->start.zone) {
                at.zone = nullptr;
                at = icaltime_convert_to_zone(icaltime_set_timezone(&at, zone), span->start.zone);
                at.zone = nullptr;
            }
            instance(at);
        }
        for (icalproperty* p = rrule; p != nullptr;
             p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY))
            expandRule(icalproperty_get_rrule(p), *span, instance);
    }

    bool repeats() const { return repeats_; }

    std::vector<ovOccurrence> take() {
        std::stable_sort(out_.begin(), out_.end(), [](const ovOccurrence& a, const ovOccurrence& b) {
            return a.start != b.start ? a.start < b.start : a.uid < b.uid;
        });
        return std::move(out_);
    }

private:
    struct Excluded {
        std::set<std::string> keys;
        // EXDATEs written as dates remove every instance on that day.
        std::set<std::string> days;
    };

    Excluded exclusionsOf(icalcomponent* event, const std::string& uid) {
        Excluded excluded;
        excluded.keys = overridden_[uid];
        for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p != nullptr;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
            const ZonedTime ex = timeOf(calendar_, p);
            if (icaltime_is_null_time(ex.time))
                continue;
            if (ex.time.is_date)
                excluded.days.insert(dayKey(ex.time));
            else
                excluded.keys.insert(instanceKey(ex.time, ex.zone));
        }
        return excluded;
    }

    template <class Instance>
    void expandRule(const icalrecurrencetype& rule, const Span& span, Instance&& instance) {
        icaltimetype start = span.start.time;
        // libical compares a UTC UNTIL with the start's instant only when the start knows its zone.
        start.zone = span.start.zone;
        IteratorPtr it(icalrecur_iterator_new(rule, start));
        if (!it)
            return;
        skipToWindow(it.get(), rule, span, start);
        for (int n = 0; n < kMaxInstances; ++n) {
            icaltimetype at = icalrecur_iterator_next(it.get());
            if (icaltime_is_null_time(at))
                return;
            at.zone = nullptr;
            const std::optional<double> local = localDate(at, span.start.zone);
            if (local && *local >= window_.to)
                return;
            instance(at);
        }
    }

    // A rule without a count may start counting near the window rather than at DTSTART:
    // a weekly meeting years old is then not walked week by week to reach today. The step
    // back covers the instance's length and any difference between local time and the
    // event's zone.
    void skipToWindow(icalrecur_iterator* it, const icalrecurrencetype& rule, const Span& span,
                      const icaltimetype& start) const {
        if (rule.count != 0)
            return;
        const double back = icaldurationtype_as_int(span.length) / 86400.0 + 2.0;
        ovSystemTime st;
        if (!ovVariantTimeToSystemTime(window_.from - back, st))
            return;
        icaltimetype at = icaltime_null_time();
        if (span.start.zone == nullptr) {
            at.year = st.year;
            at.month = st.month;
            at.day = st.day;
            at.hour = st.hour;
            at.minute = st.minute;
            at.second = st.second;
        } else {
            const time_t seconds = ovTimeFromLocal(st);
            if (seconds == static_cast<time_t>(-1))
                return;
            at = icaltime_from_timet_with_zone(seconds, 0, span.start.zone);
        }
        at.is_date = start.is_date;
        if (at.is_date)
            at.hour = at.minute = at.second = 0;
        at.zone = start.zone;
        if (icaltime_compare(at, start) > 0)
            (void)icalrecur_iterator_set_start(it, at);
    }

    void emit(icalcomponent* event, const std::string& uid, const Span& span, const icaltimetype& at,
              std::optional<double> recurrenceId) {
        icaltimetype endAt = at;
        if (span.start.zone != nullptr) {
            // The length is elapsed time: add it to the instant, then read the end on the same clock.
            endAt.zone = nullptr;
            endAt = icaltime_convert_to_zone(icaltime_set_timezone(&endAt, span.start.zone),
                                             icaltimezone_get_utc_timezone());
            endAt = icaltime_add(endAt, span.length);
            endAt = icaltime_convert_to_zone(endAt, span.start.zone);
            endAt.zone = nullptr;
        } else {
            endAt = icaltime_add(endAt, span.length);
        }
        const std::optional<double> start = localDate(at, span.start.zone);
        const std::optional<double> end = localDate(endAt, span.start.zone);
        if (!start || !end || !window_.overlaps(*start, *end))
            return;
        ovOccurrence o;
        o.start = *start;
        o.end = std::max(*start, *end);
        o.uid = uid;
        o.subject = ovPropertyText(event, ICAL_SUMMARY_PROPERTY);
        o.location = ovPropertyText(event, ICAL_LOCATION_PROPERTY);
        o.recurrenceId = recurrenceId;
        out_.push_back(std::move(o));
    }

    icalcomponent* calendar_;
    Window window_;
    std::map<std::string, std::set<std::string>> overridden_;
    std::vector<ovOccurrence> out_;
    bool repeats_ = false;
};

ovResult<std::vector<ovOccurrence>> expandComponents(std::string_view calendarText, icalcomponent_kind kind,
                                                     double from, double to, bool* repeats) {
    if (repeats != nullptr)
        *repeats = false;
    ComponentPtr root(ovParseCalendarText(calendarText));
    if (!root)
        return ovFail("the text is not an iCalendar calendar");
    icalcomponent* calendar = root.get();
    if (icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT)
        calendar = icalcomponent_get_first_component(calendar, ICAL_VCALENDAR_COMPONENT);
    if (calendar == nullptr)
        return ovFail("the text holds no VCALENDAR");
    Expander expander(calendar, Window{from, to});
    std::vector<std::pair<icalcomponent*, std::string>> masters;
    // Overrides first, so that each master knows which of its instances they replace.
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, kind); e != nullptr;
         e = icalcomponent_get_next_component(calendar, kind)) {
        const std::string uid = ovPropertyText(e, ICAL_UID_PROPERTY);
        if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY) != nullptr)
            expander.addOverride(e, uid);
        else
            masters.emplace_back(e, uid);
    }
    for (auto& [event, uid] : masters)
        expander.addMaster(event, uid);
    if (repeats != nullptr)
        *repeats = expander.repeats();
    return expander.take();
}

} // namespace

ovResult<std::vector<ovOccurrence>> ovExpandOccurrences(std::string_view calendarText, double from, double to,
                                                        bool* repeats) {
    return expandComponents(calendarText, ICAL_VEVENT_COMPONENT, from, to, repeats);
}

ovResult<std::vector<ovOccurrence>> ovExpandTaskOccurrences(std::string_view calendarText, double from,
                                                            double to, bool* repeats) {
    return expandComponents(calendarText, ICAL_VTODO_COMPONENT, from, to, repeats);
}
