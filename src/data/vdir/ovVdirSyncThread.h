#pragma once
// A vdir's sync on a thread of its own, with its own connection to the store file, so
// that the window comes first and answers touches while a large folder is read. The
// store's pieces land as the sync goes; the window's own connection sees them whole.
#include "base/ovResult.h"
#include "data/vdir/ovVdir.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class ovVdirSyncThread {
public:
    ovVdirSyncThread(std::string storeFile, ovVdirSettings settings);
    // Stops the sync at its next file and waits for it.
    ~ovVdirSyncThread();
    ovVdirSyncThread(const ovVdirSyncThread&) = delete;
    ovVdirSyncThread& operator=(const ovVdirSyncThread&) = delete;

    bool finished() const { return finished_; }
    // The sync's outcome, once finished.
    const ovResult<ovVdirSyncReport>& result() const { return result_; }

private:
    void run(const std::string& storeFile);

    std::shared_ptr<ovVdir> vdir_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    ovResult<ovVdirSyncReport> result_;
    std::thread thread_;
};
