#pragma once
// The one way the program replaces a file: a reader (or a crash) sees either the old
// content or the new one whole, never a mix. The bytes go to a hidden temporary file in
// the same folder, which is flushed to disk; the temporary is renamed over the file and
// the folder is flushed too, so that the rename itself survives a power cut. Splitting
// prepare and commit lets a caller record what it wrote (the store's index) between the
// two, so that a failed rename leaves nothing recorded.
#include "base/ovResult.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The three calls whose order makes a replacement durable. The real ones call the
// system; a test puts its own in to see the order.
class ovDurableSteps {
public:
    virtual ~ovDurableSteps() = default;
    virtual int flushFile(int fd) const;
    virtual int replace(const char* from, const char* to) const;
    virtual int flushFolder(int fd) const;
    // Flushes everything written to the file system that holds fd (syncfs).
    virtual int flushFileSystem(int fd) const;
    static const ovDurableSteps& real();
};

struct ovDurableOptions {
    // The new file's mode; -1 keeps the mode of the file replaced, and gives a new file
    // the mode the user's umask allows.
    int mode = -1;
    const ovDurableSteps* steps = nullptr; // nullptr: the real ones
    // False leaves the temporary unflushed: the caller flushes many at once
    // (ovDurableFile::flushAll) before it puts any of them in place.
    bool flush = true;
};

class ovDurableFile {
public:
    // Writes and flushes the temporary beside `path`. Fails with the reason (naming the
    // file) when the folder is missing, full or not writable; nothing is left behind.
    static ovResult<ovDurableFile> prepare(const std::string& path, std::string_view bytes,
                                           const ovDurableOptions& options = {});
    // Removes the temporary when commit never ran or failed.
    ~ovDurableFile();
    ovDurableFile(ovDurableFile&& other) noexcept;
    ovDurableFile& operator=(ovDurableFile&&) = delete;
    ovDurableFile(const ovDurableFile&) = delete;
    ovDurableFile& operator=(const ovDurableFile&) = delete;

    // What the file will show once committed (rename keeps both).
    int64_t mtimeNs() const { return mtimeNs_; }
    int64_t size() const { return size_; }

    // Puts the temporary in the file's place and makes the rename durable.
    ovResult<> commit();

    // For writing many files at once, each whole or not at all after a crash, at the cost
    // of a few flushes rather than two a file: prepare each with flush = false, flushAll
    // them, place each, then ovSyncFolder each folder once.
    static ovResult<> flushAll(const std::vector<ovDurableFile>& files);
    // Puts the temporary in the file's place without flushing the folder. Never replaces
    // a file: when one of that name has appeared since prepare, it fails and the
    // temporary goes.
    ovResult<> placeNew();
    const std::string& path() const { return path_; }

    // Writes to a path the user named (an export's --out): a symlink is written through to
    // its target, a FIFO, device or socket is written as a stream (there is no file to
    // replace), and only a regular file, or none, is replaced durably as write() does.
    static ovResult<> writeOut(const std::string& path, std::string_view bytes,
                               const ovDurableOptions& options = {});

    // Whether a file name is one of our temporaries, ".NAME.orvida-XXXXXX.tmp": a name no
    // other program's hidden file (an editor's swap file, a peer's backup) has, so that
    // cleaning up after a crash removes nothing of theirs.
    static bool isTemporaryName(std::string_view name);

    // prepare and commit in one go.
    static ovResult<> write(const std::string& path, std::string_view bytes,
                            const ovDurableOptions& options = {});

private:
    ovDurableFile() = default;
    std::string path_;
    std::string temporary_;
    const ovDurableSteps* steps_ = nullptr;
    int64_t mtimeNs_ = 0;
    int64_t size_ = 0;
};

// Flushes a folder's entries (a rename or an unlink in it) to disk.
ovResult<> ovSyncFolder(const std::string& folder, const ovDurableSteps& steps = ovDurableSteps::real());
