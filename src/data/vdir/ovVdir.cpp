#include "data/vdir/ovVdir.h"

#include "data/formats/ovICalendarCodec.h"
#include "data/formats/ovVCardCodec.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"
#include "data/vdir/ovFileSnapshot.h"
#include "system/ovDurableFile.h"
#include "system/ovFolderLock.h"
#include "system/ovPaths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// How long one piece of a sync that takes items in holds the store's write lock (at most
// one file more), how many items it takes in at most, and how long it leaves the store to
// others before the next.
constexpr auto kSyncPiece = std::chrono::milliseconds(100);
constexpr int kSyncPieceItems = 256;
constexpr auto kSyncPause = std::chrono::milliseconds(10);
constexpr ovPimItemType kKinds[] = {ovPimItemType::appointment, ovPimItemType::task, ovPimItemType::contact};

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A UID that can stand as a file name as it is; others get a name of our own.
bool isSafeFileStem(const std::string& uid) {
    if (uid.empty() || uid.size() > 200 || uid[0] == '.')
        return false;
    return std::all_of(uid.begin(), uid.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_' || c == '.' || c == '@' || c == '+';
    });
}

// A save's temporary left by a crash before its rename, untouched for an hour: no save
// takes that long, so its process is gone. Other programs' hidden files are theirs.
bool isOurStaleTemporary(const fs::path& path) {
    if (!ovDurableFile::isTemporaryName(path.filename().string()))
        return false;
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    return !ec && fs::is_regular_file(path, ec) &&
           fs::file_time_type::clock::now() - written > std::chrono::hours(1);
}

// Whether the file is as the index last saw it. The change time is part of it: copying
// with cp -p or setting the time with touch -d keeps size and modification time.
bool sameStamp(const struct stat& st, const ovPimVdirFile& row) {
    return st.st_size == row.size && ovNanoseconds(st.st_mtim) == row.mtimeNs &&
           ovNanoseconds(st.st_ctim) == row.ctimeNs;
}

bool sameStamp(const struct stat& st, const ovPimUnreadableFile& row) {
    return st.st_size == row.size && ovNanoseconds(st.st_mtim) == row.mtimeNs &&
           ovNanoseconds(st.st_ctim) == row.ctimeNs && static_cast<int64_t>(st.st_ino) == row.inode;
}

const char* kindName(ovPimItemType kind) {
    return kind == ovPimItemType::appointment ? "appointment"
           : kind == ovPimItemType::task      ? "task"
                                              : "contact";
}

std::string problemText(const std::string& file, const ovDecodeProblem& p) {
    return file + ":" + std::to_string(p.line) + ": " + p.problem;
}
} // namespace

ovVdir::ovVdir(ovVdirSettings settings) : settings_(std::move(settings)) {}

std::string ovVdir::relativeFolder(ovPimItemType kind) const {
    return kind == ovPimItemType::appointment ? settings_.calendar
           : kind == ovPimItemType::task      ? settings_.tasks
                                              : settings_.contacts;
}

std::string ovVdir::extensionFor(ovPimItemType kind) const {
    return kind == ovPimItemType::contact ? ".vcf" : ".ics";
}

std::string ovVdir::absolute(const std::string& relative) const {
    return settings_.root + (endsWith(settings_.root, "/") ? "" : "/") + relative;
}

std::string ovVdir::folderFor(ovPimItemType kind) const {
    return absolute(relativeFolder(kind));
}

std::string ovVdir::encode(const ovPimItem& item) const {
    if (const auto* a = ovPimItemCast<ovPimAppointment>(&item))
        return ovEncodeAppointment(*a);
    if (const auto* t = ovPimItemCast<ovPimTask>(&item))
        return ovEncodeTask(*t);
    return ovEncodeContact(*ovPimItemCast<ovPimContact>(&item));
}

std::string ovVdir::newFileName(ovPimStore& store, ovPimItemType kind, const std::string& uid) const {
    const std::string folder = relativeFolder(kind) + "/";
    const std::string extension = extensionFor(kind);
    auto taken = [&](const std::string& relative) {
        std::error_code ec;
        if (fs::exists(absolute(relative), ec))
            return true;
        if (syncing_)
            return byPath_.count(relative) != 0;
        const ovResult<int64_t> listed = store.vdirItemsAt(relative);
        return !listed || listed.value() != 0; // when the index cannot say, look for another name
    };
    if (isSafeFileStem(uid) && !taken(folder + uid + extension))
        return folder + uid + extension;
    std::string relative;
    do
        relative = folder + ovPimNewUid() + extension;
    while (taken(relative));
    return relative;
}

bool ovVdir::indexed(const std::string& folder) const {
    return std::any_of(byPath_.begin(), byPath_.end(), [&](const auto& entry) {
        return entry.first.compare(0, folder.size() + 1, folder + "/") == 0;
    });
}

ovResult<> ovVdir::makeFolderIfNew(ovPimStore& store, ovPimItemType kind) const {
    const std::string folder = relativeFolder(kind);
    std::error_code ec;
    if (fs::is_directory(absolute(folder), ec))
        return {};
    // A folder that held items before and is gone now (a disk not mounted) is not made
    // afresh: the save fails instead, and the items come back with the folder.
    bool held = false;
    if (syncing_) {
        held = indexed(folder);
    } else {
        ovResult<bool> listed = store.vdirHasFolder(folder);
        if (!listed)
            return listed.error();
        held = listed.value();
    }
    if (held)
        return ovFail(ovPimCode::storeError, absolute(folder) + ": the folder is missing; nothing was saved");
    fs::create_directories(absolute(folder), ec);
    if (ec)
        return ovFail(ovPimCode::storeError, absolute(folder) + ": cannot be made: " + ec.message());
    return {};
}

ovResult<std::optional<ovPimVdirFile>> ovVdir::rowOf(ovPimStore& store, ovPimItemType kind,
                                                     int64_t id) const {
    if (syncing_) {
        for (const auto& [path, row] : byPath_)
            if (row.kind == kind && row.itemId == id)
                return std::optional<ovPimVdirFile>(row);
        return std::optional<ovPimVdirFile>();
    }
    ovPimVdirFile row;
    ovResult<bool> found = store.vdirFileOf(kind, id, row);
    if (!found)
        return found.error();
    return found.value() ? std::optional<ovPimVdirFile>(std::move(row)) : std::nullopt;
}

ovResult<> ovVdir::loadIndex(ovPimStore& store) {
    std::vector<ovPimVdirFile> rows;
    if (ovResult<> r = store.vdirFiles(rows); !r)
        return r;
    byPath_.clear();
    for (ovPimVdirFile& row : rows)
        byPath_.emplace(row.path, std::move(row));
    return {};
}

void ovVdir::remember(const ovPimVdirFile& row) {
    // One row per item, as the store keeps it: a renamed file takes its item along.
    std::erase_if(byPath_, [&](const auto& entry) {
        return entry.second.kind == row.kind && entry.second.itemId == row.itemId;
    });
    byPath_.emplace(row.path, row);
}

ovResult<> ovVdir::refuseShared(ovPimStore& store, const ovPimVdirFile& row, const char* refused) const {
    int64_t items = 0;
    if (syncing_) {
        items = static_cast<int64_t>(byPath_.count(row.path));
    } else {
        ovResult<int64_t> counted = store.vdirItemsAt(row.path);
        if (!counted)
            return counted.error();
        items = counted.value();
    }
    if (items < 2)
        return {};
    // Writing the one item back would drop the others from the disk, and a sync tool
    // would then drop them from the server too.
    return ovFail(ovPimCode::storeError, absolute(row.path) + ": holds " + std::to_string(items) +
                                             " items, and Orvida writes only files of one item; " + refused +
                                             " (change it with the program that wrote the file)");
}

ovResult<> ovVdir::unchangedSinceRead(const ovPimVdirFile& row) const {
    const std::string path = absolute(row.path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return ovFail(ovPimCode::storeError, path + ": cannot be examined: " + std::strerror(errno));
        return ovFail(ovPimCode::storeError,
                      path + ": was removed by another program since Orvida read it; "
                             "nothing was saved ('orvida pim sync' takes the removal in)");
    }
    if (sameStamp(st, row))
        return {};
    // Touched is fine; another program's edit would be lost under ours.
    ovResult<ovFileSnapshot> now = ovFileSnapshot::read(path);
    if (now && now.value().digest == row.digest)
        return {};
    return ovFail(ovPimCode::storeError, path + ": was changed by another program since Orvida read it; "
                                                "nothing was saved ('orvida pim sync' reads the change in)");
}

ovResult<> ovVdir::beforeSave(ovPimStore& store, const ovPimItem& item) {
    if (noFile_)
        return {};
    const ovPimItemType kind = item.itemType();
    if (reading_) {
        // The item comes from its file: record the file as read, write nothing.
        ovPimVdirFile row = reading_->file;
        row.kind = kind;
        row.itemId = item.id();
        if (ovResult<> r = store.putVdirFile(row); !r)
            return r;
        if (syncing_)
            remember(row);
        return {};
    }
    // Outside a sync another process may have changed the index: the store is asked
    // afresh, for this item's row alone.
    std::string relative;
    ovResult<std::optional<ovPimVdirFile>> found = rowOf(store, kind, item.id());
    if (!found)
        return found.error();
    if (const std::optional<ovPimVdirFile>& row = found.value()) {
        relative = row->path;
        if (ovResult<> r = refuseShared(store, *row, "nothing was saved"); !r)
            return r;
        if (ovResult<> r = unchangedSinceRead(*row); !r)
            return r;
    }
    if (relative.empty())
        relative = newFileName(store, kind, item.uid());
    if (ovResult<> r = makeFolderIfNew(store, kind); !r)
        return r;
    const std::string text = encode(item);
    ovResult<ovDurableFile> prepared = ovDurableFile::prepare(absolute(relative), text);
    if (!prepared)
        return ovFail(ovPimCode::storeError, "the " + std::string(kindName(kind)) +
                                                 " could not be written to its file: " + prepared.reason());
    ovPimVdirFile row;
    row.kind = kind;
    row.itemId = item.id();
    row.path = relative;
    row.mtimeNs = prepared.value().mtimeNs();
    row.size = prepared.value().size();
    row.digest = ovContentDigest(text);
    // Recorded before the rename, inside the store's transaction: when the rename fails
    // the save fails and the row goes with it.
    if (ovResult<> r = store.putVdirFile(row); !r)
        return r;
    if (ovResult<> r = prepared.value().commit(); !r)
        return ovFail(ovPimCode::storeError, "the " + std::string(kindName(kind)) +
                                                 " could not be written to its file: " + r.reason());
    // The rename gave the file a change time of its own; noted, so that the next sync does
    // not read our own write again (failing to note it costs that read, nothing more).
    struct stat st {};
    if (::stat(absolute(relative).c_str(), &st) == 0 && st.st_size == row.size &&
        ovNanoseconds(st.st_mtim) == row.mtimeNs) {
        row.ctimeNs = ovNanoseconds(st.st_ctim);
        if (ovResult<> noted = store.putVdirFile(row); !noted)
            row.ctimeNs = 0;
    }
    if (syncing_)
        remember(row);
    return {};
}

ovResult<> ovVdir::beforeRemove(ovPimStore& store, ovPimItemType kind, int64_t id) {
    if (keepFileOnRemove_)
        return {};
    ovResult<std::optional<ovPimVdirFile>> found = rowOf(store, kind, id);
    if (!found)
        return found.error();
    if (!found.value())
        return {};
    if (ovResult<> r = refuseShared(store, *found.value(), "nothing was removed"); !r)
        return r;
    const std::string file = absolute(found.value()->path);
    if (::unlink(file.c_str()) != 0 && errno != ENOENT)
        return ovFail(ovPimCode::storeError, file + ": cannot be removed: " + std::strerror(errno));
    return ovSyncFolder(file.substr(0, file.rfind('/')));
}

void ovVdir::listFolders(std::vector<Listed>& files, std::vector<std::string>& unlistedFolders,
                         ovVdirSyncReport& report) const {
    // Appointments and tasks may share a folder, as khal keeps them.
    std::map<std::string, std::vector<ovPimItemType>> folders;
    for (ovPimItemType kind : kKinds)
        folders[relativeFolder(kind)].push_back(kind);
    for (const auto& [folder, kinds] : folders) {
        const std::string path = absolute(folder);
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            if (indexed(folder)) {
                // Perhaps an unmounted disk: losing every item of it would be worse.
                report.problems.push_back(path +
                                          ": the folder is missing; its items are kept until it is back");
                unlistedFolders.push_back(folder);
                continue;
            }
            fs::create_directories(path, ec);
            if (ec) {
                report.problems.push_back(path + ": cannot be made: " + ec.message());
                unlistedFolders.push_back(folder);
            }
            continue;
        }
        const std::string extension = kinds.front() == ovPimItemType::contact ? ".vcf" : ".ics";
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (isOurStaleTemporary(it->path())) {
                // A save killed before its rename; the file it was for is whole.
                std::error_code ignored;
                fs::remove(it->path(), ignored);
                continue;
            }
            // Hidden names are other programs' temporary files (and ours).
            if (name.empty() || name[0] == '.' || !endsWith(name, extension))
                continue;
            std::error_code typeError;
            if (!it->is_regular_file(typeError))
                continue;
            files.push_back({folder + "/" + name, kinds});
        }
        if (ec) {
            // Not listed is not empty: a folder we may not read (or a disk failing) keeps
            // its items and their ids, as a missing one does.
            report.problems.push_back(path + ": cannot be listed (" + ec.message() +
                                      "); its items are kept until it can be");
            unlistedFolders.push_back(folder);
        }
    }
}

ovResult<> ovVdir::noteReadable(ovPimStore& store, const std::string& relative, const struct stat* before,
                                bool unreadable, const std::vector<std::string>& problems) {
    const auto noted = unreadable_.find(relative);
    if (!unreadable || before == nullptr || problems.empty()) {
        if (noted == unreadable_.end())
            return {};
        unreadable_.erase(noted);
        return store.removeUnreadableFile(relative);
    }
    // Kept without the file's name, so that the words stay right when the vdir moves.
    const std::string path = absolute(relative);
    ovPimUnreadableFile row;
    row.path = relative;
    row.size = static_cast<int64_t>(before->st_size);
    row.mtimeNs = ovNanoseconds(before->st_mtim);
    row.ctimeNs = ovNanoseconds(before->st_ctim);
    row.inode = static_cast<int64_t>(before->st_ino);
    row.reason =
        problems.front().starts_with(path) ? problems.front().substr(path.size()) : ": " + problems.front();
    if (problems.size() > 1)
        row.reason.append(" (and ").append(std::to_string(problems.size() - 1)).append(" more)");
    unreadable_[relative] = row;
    return store.putUnreadableFile(row);
}

ovResult<> ovVdir::takeIn(ovPimStore& store, const Listed& listed, bool mustDecode, ovVdirSyncReport& report,
                          bool& unreadable) {
    unreadable = false;
    const std::string path = absolute(listed.path);
    const auto [first, last] = byPath_.equal_range(listed.path);
    const bool known = first != last;
    ovResult<ovFileSnapshot> read = ovFileSnapshot::read(path);
    if (!read) {
        std::error_code ec;
        if (fs::exists(path, ec)) {
            report.problems.push_back(read.reason());
            unreadable = true;
        }
        return {};
    }
    ovFileSnapshot& snapshot = read.value();
    if (known && !mustDecode && first->second.digest == snapshot.digest) {
        // Touched, not changed: remember the new time so the next sync need not read it.
        for (auto it = first; it != last; ++it) {
            ovPimVdirFile row = it->second;
            row.mtimeNs = snapshot.mtimeNs;
            row.ctimeNs = snapshot.ctimeNs;
            row.size = snapshot.size;
            if (ovResult<> r = store.putVdirFile(row); !r)
                return r;
            it->second = row;
        }
        return {};
    }
    const bool contacts = listed.kinds.front() == ovPimItemType::contact;
    ovDecoded decoded = contacts ? ovDecodeVCards(snapshot.bytes) : ovDecodeICalendar(snapshot.bytes);
    if (!decoded.problems.empty()) {
        for (const ovDecodeProblem& p : decoded.problems)
            report.problems.push_back(problemText(path, p));
        unreadable = true;
        return {};
    }
    for (const ovDecodeProblem& w : decoded.warnings) {
        ovDecodeProblem warning{w.line, "warning: "};
        warning.problem += w.problem;
        report.warnings.push_back(problemText(path, warning));
    }
    // The store keeps one item per UID: a UID met again (an exception of a repeating
    // event) adds nothing.
    std::vector<std::unique_ptr<ovPimItem>> items;
    std::set<std::pair<ovPimItemType, std::string>> uids;
    for (std::unique_ptr<ovPimItem>& candidate : decoded.items) {
        if (std::find(listed.kinds.begin(), listed.kinds.end(), candidate->itemType()) == listed.kinds.end())
            continue;
        if (candidate->uid().empty())
            candidate->setUid(ovPimNewUid());
        if (uids.insert({candidate->itemType(), candidate->uid()}).second)
            items.push_back(std::move(candidate));
    }
    if (items.empty()) {
        // A to-do in a calendar kept for appointments only, or a file with nothing of ours.
        if (known) {
            report.problems.push_back(path + ": holds no " +
                                      (contacts ? std::string("contact") : std::string("event or to-do")) +
                                      " any more; the item it held is kept");
            unreadable = true;
        }
        return {};
    }

    // Items the file held before and holds no more (their UID or kind changed) go.
    std::vector<ovPimVdirFile> before;
    for (auto it = first; it != last; ++it)
        before.push_back(it->second);
    for (const ovPimVdirFile& row : before) {
        std::unique_ptr<ovPimItem> was;
        ovResult<bool> found = store.findById(row.kind, row.itemId, was);
        if (!found)
            return found.error();
        if (!found.value() || uids.count({was->itemType(), was->uid()}) != 0)
            continue;
        keepFileOnRemove_ = true;
        ovResult<> removed = store.removeItem(row.kind, row.itemId);
        keepFileOnRemove_ = false;
        if (!removed)
            return removed;
        ++report.removed;
        std::erase_if(byPath_, [&](const auto& entry) {
            return entry.second.kind == row.kind && entry.second.itemId == row.itemId;
        });
    }

    for (std::unique_ptr<ovPimItem>& item : items) {
        const ovPimItemType kind = item->itemType();
        // Two files with one UID would take the item from each other at every sync: the
        // one that had it keeps it.
        std::unique_ptr<ovPimItem> holder;
        ovResult<bool> held = store.findByUid(kind, item->uid(), holder);
        if (!held)
            return held.error();
        const auto heldElsewhere = [&] {
            for (const auto& [otherPath, row] : byPath_) {
                std::error_code ec;
                if (row.kind == kind && row.itemId == holder->id() && otherPath != listed.path &&
                    fs::exists(absolute(otherPath), ec)) {
                    report.problems.push_back(path + ": has the UID of " + absolute(otherPath) +
                                              ", which holds that " + kindName(kind) + " already; left out");
                    return true;
                }
            }
            return false;
        };
        if (held.value() && heldElsewhere())
            continue;

        reading_ = std::make_unique<Reading>();
        reading_->file.path = listed.path;
        reading_->file.mtimeNs = snapshot.mtimeNs;
        reading_->file.ctimeNs = snapshot.ctimeNs;
        reading_->file.size = snapshot.size;
        reading_->file.digest = snapshot.digest;
        ovResult<bool> saved = store.addOrReplaceByUid(*item);
        reading_.reset();
        if (!saved) {
            // The store refused this item (a date it cannot hold, ...): name the file, go on.
            report.problems.push_back(path + ": " + saved.reason());
            continue;
        }
        if (saved.value())
            ++report.changed;
        else
            ++report.added;
    }
    return {};
}

ovResult<ovVdirSyncReport> ovVdir::sync(ovPimStore& store) {
    ovVdirSyncReport report;
    // The sync writes in pieces of whole files, each its own transaction, so that a save or
    // a reminder in another process waits for one piece, not for the whole folder. A save
    // in another process (which writes its file inside its own transaction) lands whole
    // between two pieces; the files read after it see it, and a sync cut short leaves
    // whole files' items behind, which the next sync finds in step with their files.
    //
    // One sync at a time over a vdir: runs at once (a reminder run beside the window's start)
    // would each read every file and hold the store in turns; the later one waits here and
    // then finds the files taken in already.
    const ovFolderLock turn(settings_.root, std::chrono::minutes(2));
    if (ovResult<> r = store.beginBatch(); !r)
        return r.error();
    syncing_ = true;
    struct Done {
        ovVdir& vdir;
        ovPimStore& store;
        bool committed = false;
        ~Done() {
            if (!committed)
                store.cancelBatch();
            vdir.syncing_ = false;
            vdir.reading_.reset();
            vdir.keepFileOnRemove_ = false;
            vdir.byPath_.clear();
            vdir.unreadable_.clear();
        }
    } done{*this, store};
    if (ovResult<> r = loadIndex(store); !r)
        return r.error();
    std::vector<ovPimUnreadableFile> unreadableRows;
    if (ovResult<> r = store.unreadableFiles(unreadableRows); !r)
        return r.error();
    for (ovPimUnreadableFile& row : unreadableRows)
        unreadable_[row.path] = std::move(row);

    // Which items the store has, to find rows whose item is gone and items without a file.
    std::map<ovPimItemType, ovPimStore::ItemList> items;
    auto loadItems = [&]() -> ovResult<> {
        items.clear();
        if (ovResult<> r = store.appointments(items[ovPimItemType::appointment]); !r)
            return r;
        if (ovResult<> r = store.tasks(items[ovPimItemType::task]); !r)
            return r;
        return store.contacts(items[ovPimItemType::contact]);
    };
    if (ovResult<> r = loadItems(); !r)
        return r.error();
    auto itemIds = [&](ovPimItemType kind) {
        std::set<int64_t> ids;
        for (const auto& item : items[kind])
            ids.insert(item->id());
        return ids;
    };
    std::map<ovPimItemType, std::set<int64_t>> ids;
    for (ovPimItemType kind : kKinds)
        ids[kind] = itemIds(kind);

    std::vector<Listed> files;
    std::vector<std::string> unlistedFolders;
    listFolders(files, unlistedFolders, report);

    std::set<std::string> seen;
    auto pieceStart = std::chrono::steady_clock::now();
    int takenBefore = 0; // items taken in before this piece
    size_t filesRead = 0;
    for (const Listed& listed : files) {
        const int taken = report.added + report.changed;
        if (taken - takenBefore >= kSyncPieceItems ||
            (taken != takenBefore && std::chrono::steady_clock::now() - pieceStart > kSyncPiece)) {
            if (ovResult<> r = store.commitBatch(); !r)
                return r.error();
            // A moment for the writers waiting on the store to take their turn.
            std::this_thread::sleep_for(kSyncPause);
            if (ovResult<> r = store.beginBatch(); !r)
                return r.error();
            pieceStart = std::chrono::steady_clock::now();
            takenBefore = taken;
        }
        if (progress_ && !progress_(filesRead, files.size()))
            return ovFail("the sync was stopped before its end");
        ++filesRead;
        seen.insert(listed.path);
        // An item that left the store some other way is brought back by its file.
        size_t rows = 0, lost = 0;
        for (auto [it, last] = byPath_.equal_range(listed.path); it != last; ++rows) {
            const bool gone = ids[it->second.kind].count(it->second.itemId) == 0;
            lost += gone ? 1 : 0;
            it = gone ? byPath_.erase(it) : std::next(it);
        }
        const auto known = byPath_.find(listed.path);
        struct stat st {};
        const bool statted = ::stat(absolute(listed.path).c_str(), &st) == 0;
        if (statted && known != byPath_.end() && lost == 0 && sameStamp(st, known->second))
            continue;
        // A file that could not be read before is read again only once it has changed.
        if (const auto noted = unreadable_.find(listed.path);
            statted && noted != unreadable_.end() && sameStamp(st, noted->second)) {
            report.unchanged.push_back(absolute(listed.path) + noted->second.reason);
            continue;
        }
        const size_t problemsBefore = report.problems.size();
        bool unreadable = false;
        if (ovResult<> r = takeIn(store, listed, lost != 0 && lost < rows, report, unreadable); !r)
            return r.error();
        const std::vector<std::string> problems(report.problems.begin() + static_cast<long>(problemsBefore),
                                                report.problems.end());
        if (ovResult<> r = noteReadable(store, listed.path, statted ? &st : nullptr, unreadable, problems);
            !r)
            return r.error();
    }

    if (progress_)
        (void)progress_(files.size(), files.size());

    // Files gone since the last sync take their items with them. A file another process
    // wrote between two pieces is not in the listing but is there: it stays.
    std::vector<ovPimVdirFile> gone;
    for (const auto& [path, row] : byPath_) {
        if (seen.count(path) != 0)
            continue;
        if (struct stat st{}; ::lstat(absolute(path).c_str(), &st) == 0)
            continue;
        const std::string folder = path.substr(0, path.find('/'));
        if (std::find(unlistedFolders.begin(), unlistedFolders.end(), folder) != unlistedFolders.end())
            continue;
        gone.push_back(row);
    }
    // Nor is an unreadable file that is gone remembered any longer.
    for (const auto& [path, row] : unreadable_) {
        const std::string folder = path.substr(0, path.find('/'));
        if (seen.count(path) != 0 ||
            std::find(unlistedFolders.begin(), unlistedFolders.end(), folder) != unlistedFolders.end())
            continue;
        if (struct stat st{}; ::lstat(absolute(path).c_str(), &st) == 0)
            continue;
        if (ovResult<> r = store.removeUnreadableFile(path); !r)
            return r.error();
    }
    for (const ovPimVdirFile& row : gone) {
        byPath_.erase(row.path);
        if (ids[row.kind].count(row.itemId) == 0) {
            if (ovResult<> r = store.removeVdirFile(row.path); !r)
                return r.error();
            continue;
        }
        keepFileOnRemove_ = true;
        ovResult<> r = store.removeItem(row.kind, row.itemId);
        keepFileOnRemove_ = false;
        if (!r) {
            report.problems.push_back(r.reason());
            continue;
        }
        ++report.removed;
    }

    // Items without a file (kept before the vdir was set, or saved while it was away).
    if (ovResult<> r = loadItems(); !r)
        return r.error();
    std::map<ovPimItemType, std::set<int64_t>> filed;
    for (const auto& [path, row] : byPath_)
        filed[row.kind].insert(row.itemId);
    std::vector<std::unique_ptr<ovPimItem>> unfiled;
    for (ovPimItemType kind : kKinds) {
        const std::string folder = relativeFolder(kind);
        if (std::find(unlistedFolders.begin(), unlistedFolders.end(), folder) != unlistedFolders.end())
            continue;
        for (auto& item : items[kind])
            if (filed[kind].count(item->id()) == 0)
                unfiled.push_back(std::move(item));
    }
    done.committed = true;
    if (ovResult<> r = store.commitBatch(); !r)
        return r.error();
    if (ovResult<> r = writeFiles(store, unfiled, report); !r)
        return r.error();
    return report;
}

ovResult<> ovVdir::giveUids(ovPimStore& store, const std::vector<std::unique_ptr<ovPimItem>>& unfiled,
                            ovVdirSyncReport& report) {
    std::vector<const ovPimItem*> without;
    for (const auto& item : unfiled)
        if (item->uid().empty())
            without.push_back(item.get());
    for (size_t i = 0; i < without.size();) {
        if (i != 0)
            std::this_thread::sleep_for(kSyncPause);
        if (ovResult<> r = store.beginBatch(); !r)
            return r;
        struct Done {
            ovVdir& vdir;
            ovPimStore& store;
            ~Done() {
                vdir.noFile_ = false;
                store.cancelBatch();
            }
        } done{*this, store};
        noFile_ = true;
        for (const size_t end = std::min(without.size(), i + static_cast<size_t>(kSyncPieceItems)); i < end;
             ++i) {
            // As it is now, not as the sync listed it.
            std::unique_ptr<ovPimItem> item;
            ovResult<bool> found = store.findById(without[i]->itemType(), without[i]->id(), item);
            if (!found)
                return found.error();
            if (!found.value() || !item->uid().empty())
                continue;
            if (ovResult<> r = item->save(); !r) // gives it a UID
                report.problems.push_back(r.reason());
        }
        noFile_ = false;
        if (ovResult<> r = store.commitBatch(); !r)
            return r;
    }
    return {};
}

ovResult<> ovVdir::writeFiles(ovPimStore& store, const std::vector<std::unique_ptr<ovPimItem>>& unfiled,
                              ovVdirSyncReport& report) {
    // In pieces, as the rest of the sync. A piece's files are written unflushed, flushed in
    // one pass, put in place and their folders flushed; only then does the store note them,
    // in the piece's transaction. A crash leaves each file whole or not there (a temporary
    // the next sync clears), and a file in place that the store has not noted yet is found
    // by its UID at the next sync and stays with its item. An item without a UID (from a
    // store older than UIDs) gets one in the store first, so that a file never names a UID
    // its item does not have.
    if (ovResult<> r = giveUids(store, unfiled, report); !r)
        return r;
    size_t next = 0;
    while (next < unfiled.size()) {
        if (next != 0)
            std::this_thread::sleep_for(kSyncPause);
        if (ovResult<> r = store.beginBatch(); !r)
            return r;
        struct Cancel {
            ovPimStore& store;
            bool committed = false;
            ~Cancel() {
                if (!committed)
                    store.cancelBatch();
            }
        } cancel{store};
        const auto pieceStart = std::chrono::steady_clock::now();
        std::vector<ovPimVdirFile> rows;
        std::vector<ovDurableFile> files;
        for (; next < unfiled.size() && files.size() < static_cast<size_t>(kSyncPieceItems) &&
               std::chrono::steady_clock::now() - pieceStart < kSyncPiece;
             ++next) {
            const ovPimItemType kind = unfiled[next]->itemType();
            const int64_t id = unfiled[next]->id();
            // As it is now: another process may have changed it, removed it, or given it a
            // file of its own since the sync listed it.
            std::unique_ptr<ovPimItem> item;
            ovResult<bool> found = store.findById(kind, id, item);
            if (!found)
                return found.error();
            ovPimVdirFile row;
            ovResult<bool> filed = found.value() ? store.vdirFileOf(kind, id, row) : ovResult<bool>(true);
            if (!filed)
                return filed.error();
            if (filed.value() || item->uid().empty())
                continue;
            if (ovResult<> r = makeFolderIfNew(store, kind); !r) {
                report.problems.push_back(r.reason());
                continue;
            }
            const std::string text = encode(*item);
            row.kind = kind;
            row.itemId = id;
            row.path = newFileName(store, kind, item->uid());
            ovDurableOptions unflushed;
            unflushed.flush = false;
            ovResult<ovDurableFile> prepared = ovDurableFile::prepare(absolute(row.path), text, unflushed);
            if (!prepared) {
                report.problems.push_back(std::string("the ") + kindName(kind) +
                                          " could not be written to its file: " + prepared.reason());
                continue;
            }
            row.mtimeNs = prepared.value().mtimeNs();
            row.size = prepared.value().size();
            row.digest = ovContentDigest(text);
            // Held as taken, so that the piece's next names pass it by.
            byPath_.emplace(row.path, row);
            rows.push_back(std::move(row));
            files.push_back(prepared.take());
        }
        if (ovResult<> r = ovDurableFile::flushAll(files); !r)
            return r;
        std::set<std::string> folders;
        for (size_t i = 0; i < files.size(); ++i) {
            if (ovResult<> r = files[i].placeNew(); !r) {
                report.problems.push_back(r.reason() + "; the item gets its file at the next sync");
                byPath_.erase(rows[i].path);
                rows[i].path.clear();
                continue;
            }
            folders.insert(ovParentFolder(files[i].path()));
        }
        for (const std::string& folder : folders)
            if (ovResult<> r = ovSyncFolder(folder); !r)
                return r;
        for (ovPimVdirFile& row : rows) {
            if (row.path.empty())
                continue;
            // The rename gave the file a change time of its own; noted, so that the next
            // sync does not read our own write again.
            struct stat st {};
            if (::stat(absolute(row.path).c_str(), &st) == 0 && st.st_size == row.size &&
                ovNanoseconds(st.st_mtim) == row.mtimeNs)
                row.ctimeNs = ovNanoseconds(st.st_ctim);
            if (ovResult<> r = store.putVdirFile(row); !r)
                return r;
            ++report.written;
        }
        cancel.committed = true;
        if (ovResult<> r = store.commitBatch(); !r)
            return r;
    }
    return {};
}

ovResult<std::shared_ptr<ovVdir>> ovVdirFromConfig(const std::string& configDir) {
    const std::string file = !configDir.empty()
                                 ? configDir + (configDir.back() == '/' ? "" : "/") + "orvida.conf"
                                 : ovUserConfigHome() + "/orvida/orvida.conf";
    ovVdirSettings settings = ovReadVdirSettings(file);
    if (!settings.problems.empty()) {
        std::string why = "the [vdir] settings need mending:";
        for (const std::string& p : settings.problems)
            why += "\n" + p;
        return ovFail(why);
    }
    if (!settings.enabled)
        return std::shared_ptr<ovVdir>();
    return std::make_shared<ovVdir>(std::move(settings));
}

std::string ovVdirCounts(const ovVdirSyncReport& report) {
    return "added " + std::to_string(report.added) + ", changed " + std::to_string(report.changed) +
           ", removed " + std::to_string(report.removed) + ", written " + std::to_string(report.written);
}
