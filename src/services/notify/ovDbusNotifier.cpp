#include "services/notify/ovDbusNotifier.h"

#include "services/notify/ovDbus.h"

namespace {

// libdbus aborts the process on text that is not valid UTF-8; a stored subject may be
// anything, so such text is replaced rather than sent.
std::string validUtf8(const std::string& text) {
    if (dbus_validate_utf8(text.c_str(), nullptr) && text.find('\0') == std::string::npos)
        return text;
    std::string out;
    for (const char c : text)
        out += (static_cast<unsigned char>(c) < 0x80 && c != '\0') ? c : '?';
    return out;
}

} // namespace

ovDbusNotifier::ovDbusNotifier(std::string appName) : appName_(std::move(appName)) {}

ovDbusNotifier::~ovDbusNotifier() {
    disconnect();
}

void ovDbusNotifier::disconnect() {
    if (bus_ != nullptr) {
        // A private connection is ours to close; a shared one would also be libdbus's.
        dbus_connection_close(bus_);
        dbus_connection_unref(bus_);
        bus_ = nullptr;
    }
}

ovResult<> ovDbusNotifier::connect() {
    if (bus_ != nullptr && dbus_connection_get_is_connected(bus_))
        return ovResult<>::success();
    disconnect();
    ovDbusError error;
    DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SESSION, &error.e);
    if (bus == nullptr)
        return ovFail("no session bus: " + error.text());
    // Losing the bus must not end the program.
    dbus_connection_set_exit_on_disconnect(bus, FALSE);
    bus_ = bus;
    return ovResult<>::success();
}

ovResult<> ovDbusNotifier::notify(const ovNotification& notification) {
    if (ovResult<> r = connect(); !r)
        return r;
    ovDbusMessage call(dbus_message_new_method_call("org.freedesktop.Notifications",
                                                    "/org/freedesktop/Notifications",
                                                    "org.freedesktop.Notifications", "Notify"));
    if (!call)
        return ovFail("cannot build the notification: out of memory");
    const std::string app = validUtf8(appName_), summary = validUtf8(notification.summary),
                      body = validUtf8(notification.body);
    const char* appText = app.c_str();
    const char* icon = "appointment-soon";
    const char* summaryText = summary.c_str();
    const char* bodyText = body.c_str();
    dbus_uint32_t replaces = 0;
    dbus_int32_t timeout = -1;
    DBusMessageIter args, actions, hints;
    dbus_message_iter_init_append(call.get(), &args);
    bool built = dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &appText) &&
                 dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &replaces) &&
                 dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &icon) &&
                 dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &summaryText) &&
                 dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &bodyText);
    built = built && dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "s", &actions) &&
            dbus_message_iter_close_container(&args, &actions);
    built = built && dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &hints) &&
            dbus_message_iter_close_container(&args, &hints);
    built = built && dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &timeout);
    if (!built)
        return ovFail("cannot build the notification: out of memory");

    ovDbusError error;
    ovDbusMessage reply(dbus_connection_send_with_reply_and_block(bus_, call.get(), callTimeoutMs, &error.e));
    if (!reply) {
        const std::string reason = error.text();
        if (!dbus_connection_get_is_connected(bus_))
            disconnect();
        return ovFail("the notification service did not take the notification: " + reason);
    }
    return ovResult<>::success();
}
