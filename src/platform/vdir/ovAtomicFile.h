#pragma once
// A file's new content, put in place so that a reader (or a crash) sees either the old
// content or the new one whole, never a mix: the bytes go to a hidden temporary file in
// the same folder, are flushed to disk, and then the temporary is renamed over the
// file and the folder is flushed too. Splitting prepare and commit lets a caller record
// what it wrote (the store's index) between the two, so that a failed rename leaves
// nothing recorded.
#include "base/ovResult.h"

#include <cstdint>
#include <string>
#include <string_view>

class ovAtomicFile {
public:
    // Writes and flushes the temporary beside `path`. Fails with the reason (naming the
    // folder) when the folder is missing, full or not writable; nothing is left behind.
    static ovResult<ovAtomicFile> prepare(const std::string& path, std::string_view bytes);
    // Removes the temporary when commit never ran or failed.
    ~ovAtomicFile();
    ovAtomicFile(ovAtomicFile&& other) noexcept;
    ovAtomicFile& operator=(ovAtomicFile&&) = delete;
    ovAtomicFile(const ovAtomicFile&) = delete;
    ovAtomicFile& operator=(const ovAtomicFile&) = delete;

    // What the file will show once committed (rename keeps both).
    int64_t mtimeNs() const { return mtimeNs_; }
    int64_t size() const { return size_; }

    // Puts the temporary in the file's place and makes the rename durable.
    ovResult<> commit();

    // prepare and commit in one go.
    static ovResult<> write(const std::string& path, std::string_view bytes);

private:
    ovAtomicFile() = default;
    std::string path_;
    std::string temporary_;
    int64_t mtimeNs_ = 0;
    int64_t size_ = 0;
};

// Flushes a folder's entries (a rename or an unlink in it) to disk.
ovResult<> ovSyncFolder(const std::string& folder);
