#pragma once
// An advisory lock on a folder (flock on the folder itself), by which processes take turns
// at one job. Waits up to the time given; a folder that cannot be locked (gone, or on a
// file system without flock) or a wait that runs out leaves it unlocked, and the caller
// goes on without it.
#include "system/ovFileDescriptor.h"

#include <chrono>
#include <string>

class ovFolderLock {
public:
    ovFolderLock(const std::string& folder, std::chrono::milliseconds wait);
    ovFolderLock(const ovFolderLock&) = delete;
    ovFolderLock& operator=(const ovFolderLock&) = delete;

    bool held() const { return fd_.valid(); }

private:
    ovFileDescriptor fd_;
};
