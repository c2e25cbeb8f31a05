#pragma once
// A file of the vdir that could not be read as items (malformed, not readable, too
// large), remembered by its stamp so that a sync or a start does not read it again until
// it changes.
#include <cstdint>
#include <string>

struct ovPimUnreadableFile {
    // Relative to the vdir's root, e.g. "calendar/broken.ics".
    std::string path;
    int64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    int64_t inode = 0;
    // What was wrong, after the file's name: ":LINE: problem" or ": problem".
    std::string reason;
};
