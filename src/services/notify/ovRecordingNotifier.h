#pragma once
// A notifier that keeps what it was handed instead of showing it: the headless host's,
// whose script reads the count and the last text back.
#include "services/notify/ovNotifier.h"

#include <vector>

class ovRecordingNotifier final : public ovNotifier {
public:
    ovResult<> notify(const ovNotification& notification) override;

    const std::vector<ovNotification>& notifications() const { return notifications_; }
    // "summary: body" of the last one, or empty.
    std::string lastText() const;

private:
    std::vector<ovNotification> notifications_;
};
