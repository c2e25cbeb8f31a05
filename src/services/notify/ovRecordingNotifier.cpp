#include "services/notify/ovRecordingNotifier.h"

ovResult<> ovRecordingNotifier::notify(const ovNotification& notification) {
    notifications_.push_back(notification);
    return ovResult<>::success();
}

std::string ovRecordingNotifier::lastText() const {
    if (notifications_.empty())
        return {};
    const ovNotification& n = notifications_.back();
    return n.body.empty() ? n.summary : n.summary + ": " + n.body;
}
