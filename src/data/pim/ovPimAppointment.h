#pragma once
// A calendar entry. Its length is kept as start and end; the duration in minutes is
// the difference, so moving the start keeps the length and setting a duration moves
// the end. The end is never before the start.
//
// A new appointment lasts defaultDurationMinutes and has its reminder on,
// defaultReminderMinutes before the start; callers that set neither get these.
#include "data/pim/ovPimItem.h"

#include <optional>
#include <string>
#include <string_view>

class ovPimAppointment final : public ovPimItem {
public:
    static constexpr ovPimItemType kind = ovPimItemType::appointment;
    static constexpr int defaultDurationMinutes = 60;
    static constexpr int defaultReminderMinutes = 15;

    ovPimAppointment() = default;
    explicit ovPimAppointment(std::weak_ptr<ovPimStore> store) : ovPimItem(std::move(store)) {}

    ovPimItemType itemType() const override { return kind; }
    std::unique_ptr<ovPimItem> clone() const override { return std::make_unique<ovPimAppointment>(*this); }

    double start() const { return start_; }
    double end() const { return end_; }
    // Whole minutes between start and end, rounded to the nearest.
    int duration() const;
    const std::u16string& subject() const { return subject_; }
    const std::u16string& location() const { return location_; }
    bool reminderSet() const { return reminderSet_; }
    int reminderMinutesBeforeStart() const { return reminderMinutes_; }
    // A repeating series read from a file: its own start and end are its first instance,
    // and the calendar's range queries show its instances instead.
    bool repeats() const { return repeats_; }
    // One instance of a repeating series, as a range query hands it out: start, end,
    // subject and location are the instance's, the id and uid the series'. It cannot be
    // saved on its own.
    bool isOccurrence() const { return occurrence_; }
    // The instance's original start, for an instance of a series.
    std::optional<double> recurrenceId() const { return recurrenceId_; }

    // Keeps the length; refused when the start or the moved end is not a valid date.
    ovResult<> setStart(double date);
    // Refused before the start.
    ovResult<> setEnd(double date);
    // Refused below 0 or when the end would not be a valid date.
    ovResult<> setDuration(int minutes);
    void setSubject(std::u16string_view text) { subject_ = text; }
    void setLocation(std::u16string_view text) { location_ = text; }
    void setReminderSet(bool on) { reminderSet_ = on; }
    // Refused below 0.
    ovResult<> setReminderMinutesBeforeStart(int minutes);
    // A start or end the local clocks skip (02:30 on the night they go from 02:00 to
    // 03:00) names no moment; it moves forward by the gap, as mktime reads it. A moved start
    // takes the end with it, so the length stays. Tells whether anything moved. The store
    // does this on every save; callers that want to say so call it first.
    bool moveOutOfClockGap();

protected:
    ovResult<> saveTo(ovPimStore& store) override;

private:
    friend class ovPimStore;
    double start_ = 0.0;
    double end_ = defaultDurationMinutes / 1440.0;
    std::u16string subject_;
    std::u16string location_;
    bool reminderSet_ = true;
    int reminderMinutes_ = defaultReminderMinutes;
    bool repeats_ = false;
    bool occurrence_ = false;
    std::optional<double> recurrenceId_;
};
