#pragma once
// Text messages through ModemManager, the modem service of Linux phones, on the system
// bus (DBUS_SYSTEM_BUS_ADDRESS names another): the message is created on the first
// modem that offers Modem.Messaging, with the number, the text and a delivery-report
// request, then sent; its State and DeliveryState tell what became of it. Each object
// holds a connection of its own, so that senders on other threads share nothing.
#include "base/ovResult.h"

#include <cstdint>
#include <string>

struct DBusConnection;

// ModemManager's view of one message.
struct ovMmSmsStatus {
    static constexpr uint32_t stateSent = 5;           // MM_SMS_STATE_SENT
    static constexpr uint32_t deliveryUnknown = 0x100; // MM_SMS_DELIVERY_STATE_UNKNOWN
    uint32_t state = 0;                                // MM_SMS_STATE_*
    uint32_t deliveryState = deliveryUnknown;          // MM_SMS_DELIVERY_STATE_*
};

// What a delivery state means for the user.
struct ovMmDelivery {
    enum class Outcome { pending, delivered, unconfirmed, failed };
    Outcome outcome = Outcome::pending;
    std::string reason; // for failed and unconfirmed
};
ovMmDelivery ovMmDeliveryOutcome(uint32_t deliveryState);

enum class ovMmCode { noBus = 1, noService, noModem, refused, noAnswer };

class ovModemManagerSms {
public:
    static constexpr const char* serviceName = "org.freedesktop.ModemManager1";

    // Connects to the system bus.
    static ovResult<ovModemManagerSms> connect();
    // Whether ModemManager runs on the system bus now.
    static bool present();

    ~ovModemManagerSms();
    ovModemManagerSms(ovModemManagerSms&& other) noexcept;
    ovModemManagerSms& operator=(ovModemManagerSms&&) = delete;
    ovModemManagerSms(const ovModemManagerSms&) = delete;
    ovModemManagerSms& operator=(const ovModemManagerSms&) = delete;

    // The new message's object path. smsc: empty for the modem's own service centre.
    ovResult<std::string> create(const std::string& number, const std::string& text, const std::string& smsc,
                                 bool deliveryReport, int timeoutMs);
    // Returns when the modem has sent it, or with ModemManager's error ("NAME: message").
    ovResult<> send(const std::string& smsPath, int timeoutMs);
    ovResult<ovMmSmsStatus> status(const std::string& smsPath, int timeoutMs);
    // Waits up to timeoutMs for ModemManager to say that a message's properties changed
    // (after watchChanges); false when nothing came.
    bool watchChanges();
    bool waitForChange(int timeoutMs);

private:
    explicit ovModemManagerSms(DBusConnection* bus) : bus_(bus) {}
    ovResult<std::string> findModem(int timeoutMs);

    DBusConnection* bus_ = nullptr;
};
