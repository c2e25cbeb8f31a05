#pragma once
// One row of the store's index of a vdir: which file holds which item, and what the file
// was when it was last read or written.
#include "data/pim/ovPimItem.h"

#include <cstdint>
#include <string>

struct ovPimVdirFile {
    ovPimItemType kind = ovPimItemType::appointment;
    int64_t itemId = 0;
    // Relative to the vdir's root, e.g. "calendar/UID.ics".
    std::string path;
    int64_t mtimeNs = 0;
    int64_t size = 0;
    // Of the file's bytes, to tell a real change from a touch.
    std::string digest;
    // The inode's change time: a copy that keeps size and modification time (cp -p,
    // touch -d) still changes it.
    int64_t ctimeNs = 0;
};
