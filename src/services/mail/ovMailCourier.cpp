#include "services/mail/ovMailCourier.h"

#include "services/mail/ovOutboxSender.h"

ovMailCourier::~ovMailCourier() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ovMailCourier::post(ovMailOutcome about, ovMailAccount account, ovOutboxClaim claim, int64_t now) {
    push(Job{std::move(about), std::move(account), std::move(claim), now, {}});
}

void ovMailCourier::post(std::function<void()> work) {
    push(Job{{}, {}, std::nullopt, 0, std::move(work)});
}

void ovMailCourier::push(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        // The thread starts with the first message: a program that sends nothing has none.
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

void ovMailCourier::report(ovMailOutcome outcome) {
    std::lock_guard lock(mutex_);
    outcomes_.push_back(std::move(outcome));
}

std::vector<ovMailOutcome> ovMailCourier::takeOutcomes() {
    std::lock_guard lock(mutex_);
    return std::exchange(outcomes_, {});
}

bool ovMailCourier::idle() const {
    std::lock_guard lock(mutex_);
    return jobs_.empty() && !working_;
}

void ovMailCourier::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            working_ = true;
        }
        if (job.work) {
            job.work();
        } else {
            job.about.result = ovOutboxSender::deliver(job.account, *job.claim, job.now);
            job.claim.reset();
            report(std::move(job.about));
        }
        std::lock_guard lock(mutex_);
        working_ = false;
    }
}
