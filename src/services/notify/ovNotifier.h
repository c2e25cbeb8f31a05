#pragma once
// Where the program's notifications go: the desktop's notification service, a record
// kept by the headless host, or nowhere. A notifier that cannot deliver says why; the
// caller decides what to show instead.
#include "base/ovResult.h"

#include <string>

struct ovNotification {
    std::string summary; // UTF-8
    std::string body;    // UTF-8
};

class ovNotifier {
public:
    virtual ~ovNotifier() = default;
    virtual ovResult<> notify(const ovNotification& notification) = 0;
};
