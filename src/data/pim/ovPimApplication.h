#pragma once
// The store's application object: the one entry point its clients log on through. It
// hands out the default folders, creates new items and converts date-time records to
// the store's dates.
#include "data/pim/ovPimCode.h"
#include "data/pim/ovPimFolder.h"
#include "data/pim/ovPimItem.h"
#include "system/ovDateTime.h"

#include <memory>
#include <string>

class ovPimStore;

class ovPimApplication {
public:
    ovPimApplication() = default;
    // Logs off.
    ~ovPimApplication();
    ovPimApplication(const ovPimApplication&) = delete;
    ovPimApplication& operator=(const ovPimApplication&) = delete;

    // Opens the store file (creating it and its folder when missing). A file that is
    // not a store of ours, or of a newer version, is refused and left untouched.
    ovResult<> logOn(const std::string& storeFile);
    // Closes the store. Folders, collections and items handed out before stay usable
    // as values; saving them then fails.
    void logOff();
    bool loggedOn() const { return store_ != nullptr; }
    // The file logged on to, or empty.
    std::string storeFile() const;
    // The store logged on to, or null; for the services that work on the store itself
    // (the reminders).
    std::shared_ptr<ovPimStore> store() const { return store_; }

    // ovPimFolderCalendar (9), ovPimFolderContacts (10) or ovPimFolderTasks (13).
    ovResult<> getDefaultFolder(int folderId, std::unique_ptr<ovPimFolder>& out) const;
    // A new, unsaved item of type 1 (appointment), 2 (contact) or 3 (task) with the
    // store's defaults for new items.
    ovResult<> createItem(int itemType, std::unique_ptr<ovPimItem>& out) const;
    // Groups the saves that follow until commitBatch into one transaction (seeding a
    // store with many items); none of them is on disk before commitBatch succeeds.
    // Logging off without committing drops them.
    ovResult<> beginBatch();
    ovResult<> commitBatch();

    // A local date-time record as the store's date (an automation date); the
    // milliseconds are dropped. Refused for a record outside the calendar.
    ovResult<> convertDate(const ovSystemTime& time, double& out) const;

private:
    std::shared_ptr<ovPimStore> store_;
};
