#pragma once
// Notifications through the freedesktop notification service on the session bus
// (org.freedesktop.Notifications.Notify). The bus is connected on the first
// notification and again after it was lost; without a bus or a service each
// notification fails with the reason.
#include "services/notify/ovNotifier.h"

struct DBusConnection;

class ovDbusNotifier final : public ovNotifier {
public:
    // appName: the sender the desktop shows.
    explicit ovDbusNotifier(std::string appName);
    ~ovDbusNotifier() override;
    ovDbusNotifier(const ovDbusNotifier&) = delete;
    ovDbusNotifier& operator=(const ovDbusNotifier&) = delete;

    ovResult<> notify(const ovNotification& notification) override;

    // How long a Notify call may take before it counts as failed.
    static constexpr int callTimeoutMs = 3000;

private:
    ovResult<> connect();
    void disconnect();

    std::string appName_;
    DBusConnection* bus_ = nullptr;
};
