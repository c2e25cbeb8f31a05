#include "services/sms/ovModemManagerSms.h"

#include "services/notify/ovDbus.h"

#include <chrono>
#include <cstring>
#include <utility>

namespace {
constexpr const char* kRoot = "/org/freedesktop/ModemManager1";
constexpr const char* kMessaging = "org.freedesktop.ModemManager1.Modem.Messaging";
constexpr const char* kSms = "org.freedesktop.ModemManager1.Sms";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

std::string hex(uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "0x" + out;
}

// Failure of a call, with the error's name so that the user (or whoever helps them)
// can look it up.
ovError callFailure(const ovDbusError& error) {
    const std::string name = error.name();
    ovMmCode code = ovMmCode::refused;
    if (name == DBUS_ERROR_NO_REPLY || name == DBUS_ERROR_TIMEOUT || name == DBUS_ERROR_TIMED_OUT)
        code = ovMmCode::noAnswer;
    else if (name == DBUS_ERROR_SERVICE_UNKNOWN || name == DBUS_ERROR_NAME_HAS_NO_OWNER)
        code = ovMmCode::noService;
    return ovFail(code, (name.empty() ? "" : name + ": ") + error.text());
}

// Sends a call (null when it could not be built) and waits for its answer.
ovResult<ovDbusMessage> callAndWait(DBusConnection* bus, DBusMessage* call, int timeoutMs) {
    if (call == nullptr)
        return ovFail(ovMmCode::refused, "out of memory");
    ovDbusError error;
    ovDbusMessage reply(dbus_connection_send_with_reply_and_block(bus, call, timeoutMs, &error.e));
    if (!reply)
        return callFailure(error);
    return reply;
}

bool appendEntry(DBusMessageIter* dict, const char* key, int type, const void* value) {
    const char signature[2] = {static_cast<char>(type), '\0'};
    DBusMessageIter entry, variant;
    return dbus_message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) &&
           dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key) &&
           dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant) &&
           dbus_message_iter_append_basic(&variant, type, value) &&
           dbus_message_iter_close_container(&entry, &variant) &&
           dbus_message_iter_close_container(dict, &entry);
}

// Calls each entry of an a{..} at iter with the entry's key iterator.
template <typename F> void forEachEntry(DBusMessageIter* array, F&& f) {
    if (dbus_message_iter_get_arg_type(array) != DBUS_TYPE_ARRAY)
        return;
    DBusMessageIter entries;
    dbus_message_iter_recurse(array, &entries);
    while (dbus_message_iter_get_arg_type(&entries) == DBUS_TYPE_DICT_ENTRY) {
        DBusMessageIter entry;
        dbus_message_iter_recurse(&entries, &entry);
        if (!f(entry))
            return;
        dbus_message_iter_next(&entries);
    }
}

bool readUint32Variant(DBusMessageIter* variant, uint32_t& out) {
    if (dbus_message_iter_get_arg_type(variant) != DBUS_TYPE_VARIANT)
        return false;
    DBusMessageIter value;
    dbus_message_iter_recurse(variant, &value);
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_UINT32)
        return false;
    dbus_uint32_t v = 0;
    dbus_message_iter_get_basic(&value, &v);
    out = v;
    return true;
}
} // namespace

ovMmDelivery ovMmDeliveryOutcome(uint32_t s) {
    using O = ovMmDelivery::Outcome;
    // 3GPP: 0x00-0x1f completed, 0x20-0x3f the network still trying, 0x40-0x5f failed
    // for good, 0x60-0x7f failed after trying. 3GPP2: 0x2xx failed, 0x3xx still trying.
    if (s == 0x01)
        return {O::unconfirmed, "the network passed it on but cannot confirm its delivery"};
    if (s < 0x20)
        return {O::delivered, ""};
    if (s >= 0x40 && s < 0x80)
        return {O::failed, "the network could not deliver it (delivery state " + hex(s) + ")"};
    if (s >= 0x200 && s < 0x300)
        return {O::failed, "the network could not deliver it (delivery state " + hex(s) + ")"};
    return {O::pending, ""};
}

ovResult<ovModemManagerSms> ovModemManagerSms::connect() {
    ovDbusError error;
    DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error.e);
    if (bus == nullptr)
        return ovFail(ovMmCode::noBus, "no system bus: " + error.text());
    // Losing the bus must not end the program.
    dbus_connection_set_exit_on_disconnect(bus, FALSE);
    return ovModemManagerSms(bus);
}

bool ovModemManagerSms::present() {
    ovResult<ovModemManagerSms> mm = connect();
    if (!mm)
        return false;
    ovDbusError error;
    return dbus_bus_name_has_owner(mm.value().bus_, serviceName, &error.e) == TRUE;
}

ovModemManagerSms::~ovModemManagerSms() {
    if (bus_ != nullptr)
        ovDbusPrivateConnectionFree{}(bus_);
}

ovModemManagerSms::ovModemManagerSms(ovModemManagerSms&& other) noexcept
    : bus_(std::exchange(other.bus_, nullptr)) {}

ovResult<std::string> ovModemManagerSms::findModem(int timeoutMs) {
    ovDbusMessage call(dbus_message_new_method_call(serviceName, kRoot, "org.freedesktop.DBus.ObjectManager",
                                                    "GetManagedObjects"));
    ovResult<ovDbusMessage> reply = callAndWait(bus_, call.get(), timeoutMs);
    if (!reply)
        return reply.error();
    // a{oa{sa{sv}}}: every object with its interfaces; the first modem with messaging.
    std::string modem;
    DBusMessageIter args;
    if (dbus_message_iter_init(reply.value().get(), &args))
        forEachEntry(&args, [&](DBusMessageIter& object) {
            if (dbus_message_iter_get_arg_type(&object) != DBUS_TYPE_OBJECT_PATH)
                return true;
            const char* path = nullptr;
            dbus_message_iter_get_basic(&object, &path);
            dbus_message_iter_next(&object);
            forEachEntry(&object, [&](DBusMessageIter& iface) {
                const char* name = nullptr;
                if (dbus_message_iter_get_arg_type(&iface) == DBUS_TYPE_STRING)
                    dbus_message_iter_get_basic(&iface, &name);
                if (name != nullptr && std::strcmp(name, kMessaging) == 0)
                    modem = path;
                return modem.empty();
            });
            return modem.empty();
        });
    if (modem.empty())
        return ovFail(ovMmCode::noModem, "ModemManager has no modem that can send text messages");
    return modem;
}

ovResult<std::string> ovModemManagerSms::create(const std::string& number, const std::string& text,
                                                const std::string& smsc, bool deliveryReport, int timeoutMs) {
    // libdbus ends the process on text that is not UTF-8; such a text is refused, not changed.
    for (const std::string* s : {&number, &text, &smsc})
        if (!dbus_validate_utf8(s->c_str(), nullptr) || s->find('\0') != std::string::npos)
            return ovFail(ovMmCode::refused, "the text holds bytes that are not UTF-8 text");
    ovResult<std::string> modem = findModem(timeoutMs);
    if (!modem)
        return modem;
    ovDbusMessage call(
        dbus_message_new_method_call(serviceName, modem.value().c_str(), kMessaging, "Create"));
    if (!call)
        return ovFail(ovMmCode::refused, "out of memory");
    const char* numberText = number.c_str();
    const char* textText = text.c_str();
    const char* smscText = smsc.c_str();
    dbus_bool_t report = deliveryReport ? TRUE : FALSE;
    DBusMessageIter args, dict;
    dbus_message_iter_init_append(call.get(), &args);
    bool built = dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &dict) &&
                 appendEntry(&dict, "number", DBUS_TYPE_STRING, &numberText) &&
                 appendEntry(&dict, "text", DBUS_TYPE_STRING, &textText) &&
                 appendEntry(&dict, "delivery-report-request", DBUS_TYPE_BOOLEAN, &report);
    if (built && !smsc.empty())
        built = appendEntry(&dict, "smsc", DBUS_TYPE_STRING, &smscText);
    if (!built || !dbus_message_iter_close_container(&args, &dict))
        return ovFail(ovMmCode::refused, "out of memory");
    ovResult<ovDbusMessage> reply = callAndWait(bus_, call.get(), timeoutMs);
    if (!reply)
        return reply.error();
    ovDbusError error;
    const char* path = nullptr;
    if (!dbus_message_get_args(reply.value().get(), &error.e, DBUS_TYPE_OBJECT_PATH, &path,
                               DBUS_TYPE_INVALID))
        return ovFail(ovMmCode::refused, "ModemManager answered Create without a message: " + error.text());
    return std::string(path);
}

ovResult<> ovModemManagerSms::send(const std::string& smsPath, int timeoutMs) {
    ovDbusMessage call(dbus_message_new_method_call(serviceName, smsPath.c_str(), kSms, "Send"));
    ovResult<ovDbusMessage> reply = callAndWait(bus_, call.get(), timeoutMs);
    if (!reply)
        return reply.error();
    return ovResult<>::success();
}

ovResult<ovMmSmsStatus> ovModemManagerSms::status(const std::string& smsPath, int timeoutMs) {
    ovDbusMessage call(dbus_message_new_method_call(serviceName, smsPath.c_str(), kProperties, "GetAll"));
    const char* iface = kSms;
    if (!call || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &iface, DBUS_TYPE_INVALID))
        return ovFail(ovMmCode::refused, "out of memory");
    ovResult<ovDbusMessage> reply = callAndWait(bus_, call.get(), timeoutMs);
    if (!reply)
        return reply.error();
    ovMmSmsStatus status;
    DBusMessageIter args;
    if (dbus_message_iter_init(reply.value().get(), &args))
        forEachEntry(&args, [&](DBusMessageIter& property) {
            const char* name = nullptr;
            if (dbus_message_iter_get_arg_type(&property) == DBUS_TYPE_STRING)
                dbus_message_iter_get_basic(&property, &name);
            dbus_message_iter_next(&property);
            if (name != nullptr && std::strcmp(name, "State") == 0)
                readUint32Variant(&property, status.state);
            else if (name != nullptr && std::strcmp(name, "DeliveryState") == 0)
                readUint32Variant(&property, status.deliveryState);
            return true;
        });
    return status;
}

bool ovModemManagerSms::watchChanges() {
    ovDbusError error;
    dbus_bus_add_match(bus_,
                       "type='signal',sender='org.freedesktop.ModemManager1',"
                       "interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
                       "arg0='org.freedesktop.ModemManager1.Sms'",
                       &error.e);
    return !error.isSet();
}

bool ovModemManagerSms::waitForChange(int timeoutMs) {
    // Signals that came during earlier calls wait in the connection's queue already.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        bool changed = false;
        while (ovDbusMessage m{dbus_connection_pop_message(bus_)})
            changed = changed || dbus_message_is_signal(m.get(), kProperties, "PropertiesChanged");
        if (changed)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !dbus_connection_read_write(bus_, static_cast<int>(left.count())))
            return false;
    }
}
