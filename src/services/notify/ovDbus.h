#pragma once
// Owners for libdbus's handles, shared by the parts that talk D-Bus: an error freed on
// every path, a message unreferenced, a private connection closed and released.
#include <dbus/dbus.h>

#include <memory>
#include <string>

struct ovDbusError {
    DBusError e;
    ovDbusError() { dbus_error_init(&e); }
    ~ovDbusError() { dbus_error_free(&e); }
    ovDbusError(const ovDbusError&) = delete;
    ovDbusError& operator=(const ovDbusError&) = delete;
    bool isSet() const { return dbus_error_is_set(&e); }
    std::string name() const { return isSet() && e.name != nullptr ? std::string(e.name) : ""; }
    std::string text() const {
        return isSet() && e.message != nullptr ? std::string(e.message) : "unknown error";
    }
};

struct ovDbusMessageFree {
    void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using ovDbusMessage = std::unique_ptr<DBusMessage, ovDbusMessageFree>;

// A connection from dbus_bus_get_private: ours to close as well as to release.
struct ovDbusPrivateConnectionFree {
    void operator()(DBusConnection* c) const {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};
using ovDbusConnection = std::unique_ptr<DBusConnection, ovDbusPrivateConnectionFree>;
