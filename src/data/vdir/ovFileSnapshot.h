#pragma once
// A file of the vdir read whole while no one was writing it: the bytes, and what the
// file looked like (modification time, size) when they were taken.
#include "base/ovResult.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

struct ovFileSnapshot {
    std::string bytes;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    int64_t size = 0;
    std::string digest;

    // Bigger than any one calendar item or vCard with a photo that we take in.
    static constexpr int64_t maxSize = 8 << 20;

    // Reads the file, then looks at the path again; when it has moved on meanwhile
    // (another program is writing it, or renamed a new one over it) it is read again,
    // a few times, before giving up with a reason.
    static ovResult<ovFileSnapshot> read(const std::string& path);
};

// A stat time in nanoseconds.
int64_t ovNanoseconds(const struct timespec& t);

// Tells one content from another (FNV-1a, 64 bits, as 16 hex digits): a file touched
// without a change keeps its digest. Not for telling friend from foe.
std::string ovContentDigest(std::string_view bytes);
