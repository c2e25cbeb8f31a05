#pragma once
// The SMS service: open it for the text provider, send, close (on destruction). Where
// a message goes is Orvida's configuration's choice (ovSmsSettings): the spool, one
// file per message in the data folder for another program to pick up, a command run
// with the destination as its last argument and the text on its standard input, whose
// exit status says whether the message went, or ModemManager, whose messages keep a
// record of what became of them (ovSmsRecords) that followDeliveries brings up to date.
#include "base/ovFixedText.h"
#include "base/ovResult.h"
#include "services/sms/ovSmsSettings.h"

#include <cstdint>
#include <memory>
#include <string>

constexpr uint32_t ovSMS_MODE_SEND = 2;
constexpr uint32_t ovSMSAT_INTERNATIONAL = 1;
constexpr uint32_t ovPS_MESSAGE_OPTION_NONE = 0;
constexpr uint32_t ovPS_MESSAGE_OPTION_STATUSREPORT = 2;
constexpr uint32_t ovPS_MESSAGE_CLASS1 = 1;
constexpr uint32_t ovPSRO_NONE = 0;
constexpr uint32_t ovSMSDE_OPTIMAL = 0;
constexpr uint32_t ovSMS_OPTION_DELIVERY_NONE = 0;

struct ovSmsAddress {
    uint32_t addressType = ovSMSAT_INTERNATIONAL;
    ovFixedText<256> address; // longer numbers are cut at the field's size
};

// The text provider's own data, in the old layout's 688 bytes.
struct ovSmsProviderData {
    uint32_t messageOptions = ovPS_MESSAGE_OPTION_NONE;
    uint32_t messageClass = 0;
    uint32_t replaceOption = ovPSRO_NONE;
    uint32_t headerDataSize = 0;
    uint8_t headerData[672] = {};
};
static_assert(sizeof(ovSmsProviderData) == 688);

enum class ovSmsCode {
    badSettings = 1,
    unknownProvider,
    badAddress,
    cannotWrite,
    commandFailed,
    modemFailed
};

struct ovSmsFolders {
    std::string configDir; // empty: $XDG_CONFIG_HOME/orvida
    std::string dataDir;   // the spool lives in DATA/sms-spool
};

class ovSmsService {
public:
    static constexpr const char16_t* textProvider = u"Microsoft Text SMS Protocol";

    // Fails for another provider or mode, and for a configuration with problems (the
    // reason names the file and line), so that a message never goes where the user
    // did not mean it to.
    static ovResult<std::unique_ptr<ovSmsService>> open(std::u16string_view provider, uint32_t mode,
                                                        const ovSmsFolders& folders);

    // data: the text as UTF-16 bytes without a terminator. smsc: null for none.
    // Returns the message's number within this run.
    ovResult<uint32_t> sendMessage(const ovSmsAddress* smsc, const ovSmsAddress& destination,
                                   const void* data, size_t bytes, const ovSmsProviderData& providerData,
                                   uint32_t encoding, uint32_t options);

    const ovSmsSettings& settings() const { return settings_; }
    static std::string spoolFolder(const std::string& dataDir);

    // Asks ModemManager what became of the messages it took that are not yet delivered
    // or failed, and records the answers; waits up to waitMs for delivery reports to
    // come (0: asks once). A report that never comes leaves a message "sent". Safe to
    // call from any thread; it shares nothing with a sender.
    static ovResult<> followDeliveries(const std::string& dataDir, int waitMs);

private:
    ovSmsService(ovSmsSettings settings, std::string dataDir)
        : settings_(std::move(settings)), dataDir_(std::move(dataDir)) {}
    ovResult<void> spool(const std::string& smsc, const std::string& to, const std::string& text, bool report,
                         uint32_t messageClass);
    ovResult<void> runCommand(const std::string& smsc, const std::string& to, const std::string& text,
                              bool report);
    ovResult<void> sendThroughModem(const std::string& smsc, const std::string& to, const std::string& text,
                                    bool report);

    ovSmsSettings settings_;
    std::string dataDir_;
};
