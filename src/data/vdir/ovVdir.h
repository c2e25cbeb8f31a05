#pragma once
// The user's calendar and contacts as a vdir (one folder per collection, one .ics or
// .vcf file per item, the layout vdirsyncer, khal and khard share), with the store as
// its index.
//
// The files are the truth. sync() brings the store in line with them: new and changed
// files (told by modification time, change time and size, then by their content's digest) are read
// and saved by UID, the item keeping its file; removed files remove their items; items
// the store has without a file (made before the vdir was set) get one. Installed as the
// store's save hook, every save writes the item's file atomically before the store
// commits, so a save that reports success is in the vdir too, and a save whose file
// cannot be written fails and changes nothing.
//
// A file that cannot be read as an item is named with its line and problem and left
// alone; the item it held before stays as it was. The store remembers it by its stamp,
// so that later syncs (and starts) do not read it again until it changes.
//
// A file may hold several items (a calendar exported whole, an address book of many
// cards): each is taken in. Orvida does not rewrite or delete such a file, as khal and
// khard do not: a save or removal of one of its items fails, saying why, and the file
// keeps every item.
#include "data/pim/ovPimItem.h"
#include "data/pim/ovPimSaveHook.h"
#include "data/pim/ovPimUnreadableFile.h"
#include "data/pim/ovPimVdirFile.h"
#include "data/vdir/ovVdirSettings.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ovPimStore;
struct stat;

struct ovVdirSyncReport {
    int added = 0;   // items made from new files
    int changed = 0; // items replaced from changed files
    int removed = 0; // items whose file is gone
    int written = 0; // files written for items that had none
    // "FILE:LINE: problem" or "FILE: problem", one per file or item left as it was.
    std::vector<std::string> problems;
    // The same for the files that could not be read at an earlier sync and have not
    // changed since: they were not read again.
    std::vector<std::string> unchanged;
    // "FILE:LINE: warning: ..." for what a file taken in holds that was read in a way of
    // our own (a time zone no one knows, read as local time).
    std::vector<std::string> warnings;
};

class ovVdir : public ovPimSaveHook {
public:
    // The settings must be enabled ones (a path and distinct folder names).
    explicit ovVdir(ovVdirSettings settings);

    const ovVdirSettings& settings() const { return settings_; }
    // The folder of a kind's files, as an absolute path.
    std::string folderFor(ovPimItemType kind) const;

    // Brings the store in line with the files. Fails only when the store itself
    // fails; files that cannot be taken in are the report's problems.
    ovResult<ovVdirSyncReport> sync(ovPimStore& store);
    // Told before each listed file a sync looks at, and once at the end (done == total).
    // Answering false stops the sync there: what it took in so far stays, in whole files,
    // and the sync fails saying it was stopped.
    using Progress = std::function<bool(size_t done, size_t total)>;
    void setProgress(Progress progress) { progress_ = std::move(progress); }

    ovResult<> beforeSave(ovPimStore& store, const ovPimItem& item) override;
    ovResult<> beforeRemove(ovPimStore& store, ovPimItemType kind, int64_t id) override;

private:
    struct Listed {
        std::string path; // relative to the root
        std::vector<ovPimItemType> kinds;
    };
    // What the next save records instead of writing a file: the file it was read from.
    struct Reading {
        ovPimVdirFile file;
    };

    std::string relativeFolder(ovPimItemType kind) const;
    std::string extensionFor(ovPimItemType kind) const;
    std::string absolute(const std::string& relative) const;
    std::string newFileName(ovPimStore& store, ovPimItemType kind, const std::string& uid) const;
    // The item's row: from the sync's own index during a sync, else from the store.
    ovResult<std::optional<ovPimVdirFile>> rowOf(ovPimStore& store, ovPimItemType kind, int64_t id) const;
    ovResult<> loadIndex(ovPimStore& store);
    // Whether the index has files in the folder (relative to the root).
    bool indexed(const std::string& folder) const;
    ovResult<> makeFolderIfNew(ovPimStore& store, ovPimItemType kind) const;
    // Fails when the item's file is not what the index says we last read or wrote.
    ovResult<> unchangedSinceRead(const ovPimVdirFile& row) const;
    void listFolders(std::vector<Listed>& files, std::vector<std::string>& unlistedFolders,
                     ovVdirSyncReport& report) const;
    // mustDecode: some of the file's items left the store another way, so a file that is
    // as it was must still be read to bring them back. `unreadable` is set when the file
    // itself could not be read as items (the report says why).
    ovResult<> takeIn(ovPimStore& store, const Listed& listed, bool mustDecode, ovVdirSyncReport& report,
                      bool& unreadable);
    // Remembers a file takeIn found unreadable by the stamp it had before it was read, or
    // forgets one that was read; `problems` are the report's lines about it.
    ovResult<> noteReadable(ovPimStore& store, const std::string& relative, const struct stat* before,
                            bool unreadable, const std::vector<std::string>& problems);
    // Fails when the row's file holds other items too; `refused` says what did not happen.
    ovResult<> refuseShared(ovPimStore& store, const ovPimVdirFile& row, const char* refused) const;
    // The last step of a sync: a file for each item listed that has none, in pieces.
    ovResult<> writeFiles(ovPimStore& store, const std::vector<std::unique_ptr<ovPimItem>>& unfiled,
                          ovVdirSyncReport& report);
    ovResult<> giveUids(ovPimStore& store, const std::vector<std::unique_ptr<ovPimItem>>& unfiled,
                        ovVdirSyncReport& report);
    std::string encode(const ovPimItem& item) const;
    void remember(const ovPimVdirFile& row);

    ovVdirSettings settings_;
    // During sync: the index by path, kept in step with every row written.
    bool syncing_ = false;
    std::multimap<std::string, ovPimVdirFile> byPath_;
    std::map<std::string, ovPimUnreadableFile> unreadable_;
    std::unique_ptr<Reading> reading_;
    bool keepFileOnRemove_ = false;
    // Saves write no file (the sync writes them itself, many at once).
    bool noFile_ = false;
    Progress progress_;
};

// The vdir that the [vdir] section of orvida.conf names, in the configuration folder
// given (or the XDG one); null when it names none. Settings that need mending come back
// as a failure naming the file and lines. Install it with ovPimStore::setSaveHook.
ovResult<std::shared_ptr<ovVdir>> ovVdirFromConfig(const std::string& configDir);
// "added N, changed N, removed N, written N"
std::string ovVdirCounts(const ovVdirSyncReport& report);
