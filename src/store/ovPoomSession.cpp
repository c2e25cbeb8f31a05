#include "store/ovPoomSession.h"

#include "data/pim/ovPimFolder.h"
#include "data/pim/ovPimItems.h"
#include "data/pim/ovPimTask.h"
#include "system/ovSystem.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

ovPoomSession* gSession = nullptr;

void registerSession(ovPoomSession* session) {
    if (gSession != nullptr) {
        std::fputs("ovPoomSession: a second session was created while one exists\n", stderr);
        std::abort();
    }
    gSession = session;
}

// Case-insensitive test that `name` begins with the already folded `foldedText`. A name
// shorter than the text does not match.
bool beginsWith(const std::u16string& name, const std::u16string& foldedText) {
    if (name.size() < foldedText.size())
        return false;
    for (size_t i = 0; i < foldedText.size(); ++i)
        if (ovFoldCase(name[i]) != foldedText[i])
            return false;
    return true;
}

ovResult<> notSaved(const char* what, const ovResult<>& cause) {
    return ovFail(cause.code(), std::string("the ") + what + " was not saved: " + cause.reason());
}

// A task's day fractions are single-precision products widened afterwards; that is how
// task dates have always been computed, so stored dates stay identical to the minute's
// last bit.
double minutesAsDays(int minutes) {
    return static_cast<double>(static_cast<float>(minutes) * (1.0f / 1440.0f));
}

} // namespace

ovPoomSession::ovPoomSession(ovSystem& system, const std::string& storeFile) : system_(system) {
    registerSession(this);
    logOn(storeFile);
}

ovPoomSession::ovPoomSession(ovSystem& system, ovNoStoreTag) : system_(system) {
    registerSession(this);
    openError_ = "no store was opened";
}

ovPoomSession::~ovPoomSession() {
    logOff();
    if (gSession == this)
        gSession = nullptr;
}

ovPoomSession* ovPoomSession::instance() {
    return gSession;
}

void ovPoomSession::logOn(const std::string& storeFile) {
    cacheValid_ = false;
    auto application = std::make_unique<ovPimApplication>();
    if (ovResult<> r = application->logOn(storeFile); !r) {
        openError_ = r.reason();
        return;
    }
    application_ = std::move(application);
}

void ovPoomSession::logOff() {
    system_.debugOutput("Shutting down POOM\n");
    releaseContacts();
    releaseAppointments();
    releaseCache();
    if (application_) {
        application_->logOff();
        application_.reset();
    }
}

ovResult<> ovPoomSession::noStore() const {
    return ovFail(ovPimCode::noStore, "no personal information store is open" +
                                          (openError_.empty() ? std::string() : ": " + openError_));
}

void ovPoomSession::releaseContacts() {
    contacts_.clear();
}

void ovPoomSession::releaseAppointments() {
    // Cached results belong to the cache; only a direct query's items are ours to free.
    appointments_.clear();
    appointmentItems_.clear();
    appointmentsFromCache_ = false;
}

void ovPoomSession::releaseCache() {
    if (appointmentsFromCache_)
        releaseAppointments();
    calendarCache_.clear();
    cacheIndex_.clear();
    occurrenceCache_.clear();
    occurrenceIndex_.clear();
    occurrencesValid_ = false;
}

ovResult<> ovPoomSession::searchContacts(std::u16string_view text) {
    if (!application_)
        return noStore();
    std::unique_ptr<ovPimFolder> folder;
    if (ovResult<> r = application_->getDefaultFolder(ovPimFolderContacts, folder); !r)
        return r;
    std::unique_ptr<ovPimItems> items;
    if (ovResult<> r = folder->itemsWithNamePrefix(text, items); !r)
        return r;

    releaseContacts();
    searchText_ = text;
    // The comparison works on a folded copy; the caller's text is never touched.
    const std::u16string folded = ovFoldCase(text);
    const int count = items->count();
    for (int index = 1; index <= count; ++index) {
        std::unique_ptr<ovPimContact> contact = items->takeAs<ovPimContact>(index);
        if (!contact)
            continue;
        if (!beginsWith(contact->fileAs(), folded) && !beginsWith(contact->firstName(), folded))
            continue;
        if (contacts_.add(std::move(contact)) == nullptr)
            return ovFail(ovPimCode::storeError, "out of memory while listing contacts");
    }
    return ovResult<>::success();
}

int ovPoomSession::classifyAppointment(double start, double end, double from, double to) {
    if ((from <= start && start <= to) || (from <= end && end <= to) || (start <= from && from <= end))
        return classifyInclude;
    if (start < from && end < from)
        return classifyEndedBefore;
    return classifyStartsAfter;
}

ovResult<> ovPoomSession::convertRange(const ovSystemTime& from, const ovSystemTime& to, double& a,
                                       double& b) const {
    if (ovResult<> r = application_->convertDate(from, a); !r)
        return r;
    return application_->convertDate(to, b);
}

ovResult<> ovPoomSession::queryAppointments(const ovSystemTime& from, const ovSystemTime& to, bool useCache) {
    if (!application_)
        return noStore();
    double a, b;
    if (ovResult<> r = convertRange(from, to, a, b); !r)
        return r;
    return useCache ? queryCached(a, b) : queryDirect(a, b);
}

ovResult<> ovPoomSession::queryDirect(double from, double to) {
    std::unique_ptr<ovPimFolder> folder;
    if (ovResult<> r = application_->getDefaultFolder(ovPimFolderCalendar, folder); !r)
        return r;
    // The store hands over only the appointments near the range, so the whole calendar
    // is never read for a query.
    std::unique_ptr<ovPimItems> items;
    if (ovResult<> r = folder->itemsOverlapping(from, to, items); !r)
        return r;

    releaseAppointments();
    // Latest start first. An appointment that ended before the range does not end the
    // walk: a longer one that started even earlier may still reach into the range.
    for (int index = items->count(); index >= 1; --index) {
        std::unique_ptr<ovPimAppointment> item = items->takeAs<ovPimAppointment>(index);
        if (!item || classifyAppointment(item->start(), item->end(), from, to) != classifyInclude)
            continue;
        ovPimAppointment* kept = appointmentItems_.add(std::move(item));
        if (kept == nullptr || appointments_.append(kept) != ovS_OK)
            return ovFail(ovPimCode::storeError, "out of memory while listing appointments");
    }
    return ovResult<>::success();
}

ovResult<> ovPoomSession::loadCache() {
    ovResult<> result;
    std::unique_ptr<ovPimFolder> folder;
    std::unique_ptr<ovPimItems> items;
    result = application_->getDefaultFolder(ovPimFolderCalendar, folder);
    if (result)
        result = folder->items(items);
    if (result) {
        releaseCache();
        const int count = items->count();
        calendarCache_.reserve(count);
        std::vector<double> starts, ends;
        starts.reserve(static_cast<size_t>(count));
        ends.reserve(static_cast<size_t>(count));
        for (int index = 1; index <= count; ++index) {
            std::unique_ptr<ovPimAppointment> item = items->takeAs<ovPimAppointment>(index);
            if (!item || item->repeats())
                continue;
            const double start = item->start();
            const double end = item->end();
            if (calendarCache_.add(std::move(item)) == nullptr) {
                result = ovFail(ovPimCode::storeError, "out of memory while loading the calendar");
                break;
            }
            starts.push_back(start);
            ends.push_back(end);
        }
        cacheIndex_.build(std::move(starts), std::move(ends));
    }
    // A failed load keeps the previous cache and still counts as loaded, so the date
    // picker does not retry the store for every day it draws.
    cacheValid_ = true;
    return result;
}

ovResult<> ovPoomSession::loadOccurrences(double from, double to) {
    // A month on either side, so that paging through the date picker reloads rarely.
    constexpr double kMarginDays = 62.0;
    std::unique_ptr<ovPimFolder> folder;
    std::unique_ptr<ovPimItems> items;
    ovResult<> r = application_->getDefaultFolder(ovPimFolderCalendar, folder);
    if (r)
        r = folder->occurrencesOverlapping(from - kMarginDays, to + kMarginDays, items);
    if (!r)
        return r;
    occurrenceCache_.clear();
    const int count = items->count();
    occurrenceCache_.reserve(count);
    std::vector<double> starts, ends;
    for (int index = 1; index <= count; ++index) {
        std::unique_ptr<ovPimAppointment> item = items->takeAs<ovPimAppointment>(index);
        if (!item)
            continue;
        const double start = item->start(), end = item->end();
        if (occurrenceCache_.add(std::move(item)) == nullptr)
            return ovFail(ovPimCode::storeError, "out of memory while loading the calendar");
        starts.push_back(start);
        ends.push_back(end);
    }
    occurrenceIndex_.build(std::move(starts), std::move(ends));
    occurrenceFrom_ = from - kMarginDays;
    occurrenceTo_ = to + kMarginDays;
    occurrencesValid_ = true;
    return ovResult<>::success();
}

ovResult<> ovPoomSession::queryCached(double from, double to) {
    ovResult<> loaded;
    if (!cacheValid_)
        loaded = loadCache();
    const double lo = std::min(from, to), hi = std::max(from, to);
    if (!occurrencesValid_ || lo < occurrenceFrom_ || hi > occurrenceTo_) {
        // A failure keeps the instances loaded before; the next query tries again.
        if (ovResult<> r = loadOccurrences(lo, hi); !r && loaded)
            loaded = r;
    }

    releaseAppointments();
    // The index offers every cached appointment that starts no later than the range's end
    // and ends no earlier than its start, from the last to the first; the exact test
    // decides, as it does for a direct query.
    cacheIndex_.findOverlapping(lo, hi, scratch_);
    occurrenceIndex_.findOverlapping(lo, hi, occurrenceScratch_);
    merged_.clear();
    // Both lists run from the latest start to the earliest; merged, they still do.
    size_t o = 0;
    auto takeOccurrencesFrom = [&](double start) {
        for (; o < occurrenceScratch_.size() && occurrenceCache_[occurrenceScratch_[o]]->start() >= start;
             ++o)
            merged_.push_back(occurrenceCache_[occurrenceScratch_[o]]);
    };
    for (int position : scratch_) {
        ovPimAppointment* item = calendarCache_[position];
        takeOccurrencesFrom(item->start());
        merged_.push_back(item);
    }
    takeOccurrencesFrom(-1e300);
    for (ovPimAppointment* item : merged_) {
        if (classifyAppointment(item->start(), item->end(), from, to) != classifyInclude)
            continue;
        if (appointments_.append(item) != ovS_OK) {
            loaded = ovFail(ovPimCode::storeError, "out of memory while listing appointments");
            break;
        }
    }
    appointmentsFromCache_ = true;
    return loaded;
}

ovResult<> ovPoomSession::addAppointment(const ovSystemTime& startTime, std::u16string_view subject,
                                         std::u16string_view location, int durationMinutes,
                                         int reminderMinutes) {
    if (!application_)
        return notSaved("appointment", noStore());
    std::unique_ptr<ovPimItem> created;
    if (ovResult<> r = application_->createItem(static_cast<int>(ovPimItemType::appointment), created); !r)
        return notSaved("appointment", r);
    ovPimAppointment* item = ovPimItemCast<ovPimAppointment>(created.get());
    double start;
    ovResult<> r = application_->convertDate(startTime, start);
    if (r)
        r = item->setStart(start);
    if (r)
        r = item->setReminderMinutesBeforeStart(reminderMinutes);
    if (r) {
        item->setSubject(subject);
        item->setLocation(location);
        if (durationMinutes != 0)
            r = item->setDuration(durationMinutes);
    }
    if (r)
        r = item->save();
    if (!r)
        return notSaved("appointment", r);
    cacheValid_ = false;
    return r;
}

ovResult<> ovPoomSession::addTask(const ovSystemTime& startTime, std::u16string_view subject,
                                  int durationMinutes, int reminderMinutes, int priority) {
    if (!application_)
        return notSaved("task", noStore());
    std::unique_ptr<ovPimItem> created;
    if (ovResult<> r = application_->createItem(static_cast<int>(ovPimItemType::task), created); !r)
        return notSaved("task", r);
    ovPimTask* item = ovPimItemCast<ovPimTask>(created.get());
    double start;
    ovResult<> r = application_->convertDate(startTime, start);
    if (r) {
        item->setSubject(subject);
        r = item->setImportance(priority);
    }
    if (r)
        r = item->setStartDate(start);
    if (r)
        r = item->setDueDate(start + minutesAsDays(durationMinutes));
    if (r)
        r = item->setReminderTime(start - minutesAsDays(reminderMinutes));
    if (r)
        r = item->save();
    if (!r)
        return notSaved("task", r);
    return r;
}

ovResult<> ovPoomSession::addContact(std::u16string_view name, std::u16string_view firstName,
                                     std::u16string_view home, std::u16string_view mobile,
                                     std::u16string_view work, std::u16string_view fax,
                                     std::u16string_view email) {
    if (!application_)
        return notSaved("contact", noStore());
    std::unique_ptr<ovPimItem> created;
    if (ovResult<> r = application_->createItem(static_cast<int>(ovPimItemType::contact), created); !r)
        return notSaved("contact", r);
    ovPimContact* item = ovPimItemCast<ovPimContact>(created.get());
    item->setFileAs(name);
    item->setFirstName(firstName);
    item->setHomeTelephoneNumber(home);
    item->setMobileTelephoneNumber(mobile);
    item->setBusinessTelephoneNumber(work);
    item->setBusinessFaxNumber(fax);
    item->setEmail1Address(email);
    if (ovResult<> r = item->save(); !r)
        return notSaved("contact", r);
    return ovResult<>::success();
}
