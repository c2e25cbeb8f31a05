#include "data/vdir/ovVdirSyncThread.h"

#include "data/pim/ovPimStore.h"

ovVdirSyncThread::ovVdirSyncThread(std::string storeFile, ovVdirSettings settings)
    : vdir_(std::make_shared<ovVdir>(std::move(settings))), result_(ovFail("the sync has not ended")) {
    vdir_->setProgress([this](size_t, size_t) { return !stop_; });
    thread_ = std::thread([this, file = std::move(storeFile)] { run(file); });
}

ovVdirSyncThread::~ovVdirSyncThread() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void ovVdirSyncThread::run(const std::string& storeFile) {
    std::shared_ptr<ovPimStore> store;
    if (ovResult<> r = ovPimStore::open(storeFile, store); !r)
        result_ = r.error();
    else {
        // Items without a file get one through the hook, as in any sync.
        store->setSaveHook(vdir_);
        result_ = vdir_->sync(*store);
    }
    finished_ = true;
}
