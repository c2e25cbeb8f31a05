#pragma once
// The program's connection to the personal information store for the whole run. It
// logs on when it is created and off when it is destroyed, and keeps the lists the
// screens read: the contacts found by the last name search, the appointments found by
// the last range query (latest start first), and a cache of the whole calendar for the
// date picker, which queries once per shown day.
//
// Every operation reports its outcome. Without a store (logon failed, or a session
// made without one) the operations change nothing and say so.
//
// Ownership: the session owns every item its lists refer to. `appointments` refers to
// items the session owns after a direct query and to the cache's own items after a
// cached query; the items stay valid until the list is next filled (or, for cached
// results, until the cache is reloaded).
#include "base/ovOwningList.h"
#include "base/ovPtrArray.h"
#include "data/pim/ovPimApplication.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimCode.h"
#include "data/pim/ovPimContact.h"
#include "store/ovSpanIndex.h"
#include "system/ovDateTime.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ovSystem;

// Selects the constructor of a session without a store.
struct ovNoStoreTag {
    explicit ovNoStoreTag() = default;
};
inline constexpr ovNoStoreTag ovNoStore{};

class ovPoomSession {
public:
    // classifyAppointment's answers.
    static constexpr int classifyInclude = 0;
    static constexpr int classifyEndedBefore = 1;
    static constexpr int classifyStartsAfter = 2;

    // Logs on to the store file (created with its folder when missing). When that
    // fails the session has no store and openError() says why.
    ovPoomSession(ovSystem& system, const std::string& storeFile);
    // A session without a store, as when the store cannot be opened.
    ovPoomSession(ovSystem& system, ovNoStoreTag);
    // Logs off ("Shutting down POOM" to the debug output) and releases every item.
    ~ovPoomSession();
    ovPoomSession(const ovPoomSession&) = delete;
    ovPoomSession& operator=(const ovPoomSession&) = delete;

    // The one live session, or null. Only one may exist at a time.
    static ovPoomSession* instance();

    bool hasStore() const { return application_ != nullptr; }
    // Why there is no store (names the file), or empty.
    const std::string& openError() const { return openError_; }
    // The logged-on application object, or null without a store.
    ovPimApplication* application() const { return application_.get(); }

    const ovPtrArray<ovPimContact>& contacts() const { return contacts_.items(); }
    const ovPtrArray<ovPimAppointment>& appointments() const { return appointments_; }
    // Every appointment but the repeating series, whose instances the cached queries take
    // from a span of their own kept beside it.
    const ovPtrArray<ovPimAppointment>& calendarCache() const { return calendarCache_.items(); }
    // The text of the last search that reached the store, exactly as it was given.
    const std::u16string& searchText() const { return searchText_; }
    bool cacheValid() const { return cacheValid_; }
    // Makes the next cached query reload the calendar (another program changed it).
    void invalidateCache() { cacheValid_ = false; }

    // Fills `contacts` with every contact whose file-as name or first name begins with
    // the text, in any letter case and for any length of text, in the store's order;
    // an empty text lists every contact. The text itself is left as it is.
    ovResult<> searchContacts(std::u16string_view text);
    // Fills `appointments` with every appointment that overlaps from..to (edges
    // included), the latest start first. useCache answers from `calendarCache`, loading
    // it first when it is not valid; otherwise the store is asked afresh. When that load
    // fails, the answer comes from the cache as it was and the result carries the failure;
    // the cache still counts as loaded until the next appointment is added.
    ovResult<> queryAppointments(const ovSystemTime& from, const ovSystemTime& to, bool useCache = false);
    // 0 include (overlaps from..to, edges included), 1 ended before `from`, 2 otherwise.
    static int classifyAppointment(double start, double end, double from, double to);

    // Create, fill and save one item. On success the item is on disk; any refusal leaves
    // nothing saved and comes back with the reason. addAppointment makes the next cached
    // query reload the calendar. A duration of 0 keeps the store's default length.
    ovResult<> addAppointment(const ovSystemTime& startTime, std::u16string_view subject,
                              std::u16string_view location, int durationMinutes, int reminderMinutes);
    // The due date is the start plus durationMinutes, the reminder reminderMinutes before
    // the start; priority is the importance, 0 low, 1 normal, 2 high.
    ovResult<> addTask(const ovSystemTime& startTime, std::u16string_view subject, int durationMinutes,
                       int reminderMinutes, int priority);
    ovResult<> addContact(std::u16string_view name, std::u16string_view firstName, std::u16string_view home,
                          std::u16string_view mobile, std::u16string_view work, std::u16string_view fax,
                          std::u16string_view email);

private:
    void logOn(const std::string& storeFile);
    void logOff();
    ovResult<> noStore() const;
    ovResult<> convertRange(const ovSystemTime& from, const ovSystemTime& to, double& a, double& b) const;
    ovResult<> queryDirect(double from, double to);
    ovResult<> queryCached(double from, double to);
    ovResult<> loadCache();
    // The instances of repeating series for a span around from..to, kept beside the cache.
    ovResult<> loadOccurrences(double from, double to);
    void releaseContacts();
    void releaseAppointments();
    void releaseCache();

    ovSystem& system_;
    std::unique_ptr<ovPimApplication> application_;
    std::string openError_;

    ovOwningList<ovPimContact> contacts_;
    // What the last range query found: the items of appointmentItems_ after a direct
    // query, the cache's own items after a cached one.
    ovPtrArray<ovPimAppointment> appointments_;
    ovOwningList<ovPimAppointment> appointmentItems_; // filled by direct queries only
    ovOwningList<ovPimAppointment> calendarCache_;
    std::u16string searchText_;
    bool cacheValid_ = false;
    bool appointmentsFromCache_ = false;
    ovSpanIndex cacheIndex_;
    // The cached query's instances of repeating series (the cache holds every other
    // appointment), for occurrenceFrom_..occurrenceTo_; reloaded when a query leaves it.
    ovOwningList<ovPimAppointment> occurrenceCache_;
    ovSpanIndex occurrenceIndex_;
    double occurrenceFrom_ = 0.0;
    double occurrenceTo_ = 0.0;
    bool occurrencesValid_ = false;
    std::vector<int> scratch_; // positions found in the cache, kept to spare an allocation per query
    std::vector<int> occurrenceScratch_;
    std::vector<ovPimAppointment*> merged_;
};
