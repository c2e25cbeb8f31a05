#include "services/sms/ovSmsService.h"

#include "services/sms/ovModemManagerSms.h"
#include "services/sms/ovSmsRecords.h"

#include "system/ovDurableFile.h"
#include "system/ovPaths.h"
#include "system/ovProcess.h"
#include "system/ovUtf.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::atomic<uint32_t> messageNumber{0};

std::string firstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    if (line.size() > 200)
        line.resize(200);
    return line;
}

// A number that a program would take for an option, or that could end a spool header,
// is refused; everything else goes on as given.
std::string addressProblem(const std::string& number, const char* what) {
    if (number.empty())
        return std::string("no ") + what + " to send to";
    if (number[0] == '-')
        return std::string("the ") + what + " '" + number + "' is not a telephone number";
    for (unsigned char c : number)
        if (c < 0x20 || c == 0x7F)
            return std::string("the ") + what + " holds a control character";
    return {};
}
} // namespace

std::string ovSmsService::spoolFolder(const std::string& dataDir) {
    return dataDir + (dataDir.empty() || dataDir.back() == '/' ? "" : "/") + "sms-spool";
}

ovResult<std::unique_ptr<ovSmsService>> ovSmsService::open(std::u16string_view provider, uint32_t mode,
                                                           const ovSmsFolders& folders) {
    if (provider != textProvider || mode != ovSMS_MODE_SEND)
        return ovFail(ovSmsCode::unknownProvider, "only text messages can be sent");
    ovSmsSettings settings = ovReadSmsSettings(ovOrvidaConfigFile(folders.configDir));
    if (!settings.problems.empty()) {
        std::string why = "the SMS settings need mending:";
        for (const std::string& p : settings.problems)
            why += "\n" + p;
        return ovFail(ovSmsCode::badSettings, why);
    }
    if (settings.provider == ovSmsSettings::Provider::command && settings.command.empty())
        return ovFail(ovSmsCode::badSettings,
                      settings.file +
                          ": the SMS provider 'command' needs a 'command = PROGRAM' line in [sms]");
    // Where the user chose nothing, a phone's modem service is the way out.
    if (!settings.providerGiven && ovModemManagerSms::present())
        settings.provider = ovSmsSettings::Provider::modemmanager;
    return std::unique_ptr<ovSmsService>(new ovSmsService(std::move(settings), folders.dataDir));
}

ovResult<uint32_t> ovSmsService::sendMessage(const ovSmsAddress* smsc, const ovSmsAddress& destination,
                                             const void* data, size_t bytes,
                                             const ovSmsProviderData& providerData, uint32_t encoding,
                                             uint32_t options) {
    const std::string to = ovToUtf8(destination.address.view());
    const std::string centre = smsc != nullptr ? ovToUtf8(smsc->address.view()) : "";
    if (std::string p = addressProblem(to, "telephone number"); !p.empty())
        return ovFail(ovSmsCode::badAddress, p);
    if (smsc != nullptr)
        if (std::string p = addressProblem(centre, "service centre number"); !p.empty())
            return ovFail(ovSmsCode::badAddress, p);
    std::u16string units(bytes / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const std::string text = ovToUtf8(units);
    const bool report = (providerData.messageOptions & ovPS_MESSAGE_OPTION_STATUSREPORT) != 0;
    ovResult<void> sent = settings_.provider == ovSmsSettings::Provider::command
                              ? runCommand(centre, to, text, report)
                          : settings_.provider == ovSmsSettings::Provider::modemmanager
                              ? sendThroughModem(centre, to, text, report)
                              : spool(centre, to, text, report, providerData.messageClass);
    if (!sent)
        return sent.error();
    return ++messageNumber;
}

ovResult<void> ovSmsService::spool(const std::string& smsc, const std::string& to, const std::string& text,
                                   bool report, uint32_t messageClass) {
    const std::string folder = spoolFolder(dataDir_);
    if (ovResult<> made = ovMakeFolders(folder); !made)
        return ovFail(ovSmsCode::cannotWrite, made.reason());
    std::string content = "To: " + to + "\n";
    if (!smsc.empty())
        content += "SMSC: " + smsc + "\n";
    content += std::string("Status-Report: ") + (report ? "yes" : "no") + "\n";
    content += "Class: " + std::to_string(messageClass) + "\n\n" + text;

    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::string base =
        folder + "/" + std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) +
        "-" + std::to_string(getpid()) + "-" + std::to_string(messageNumber + 1);
    // The spool's reader sees whole messages only: it takes *.sms, never a hidden
    // temporary; only the owner reads them.
    if (ovResult<> written = ovDurableFile::write(base + ".sms", content, {.mode = 0600}); !written)
        return ovFail(ovSmsCode::cannotWrite, written.reason());
    return {};
}

ovResult<void> ovSmsService::runCommand(const std::string& smsc, const std::string& to,
                                        const std::string& text, bool report) {
    // The text goes on standard input: as an argument, a text such as "-h" would be
    // read as an option, and a program that printed its help would say it had sent.
    std::vector<std::string> argv = settings_.command;
    argv.push_back(to);
    std::vector<std::string> env = {std::string("ORVIDA_SMS_STATUS_REPORT=") + (report ? "1" : "0")};
    if (!smsc.empty())
        env.push_back("ORVIDA_SMS_SMSC=" + smsc);
    ovResult<ovProcessRun> run = ovRunProcess(argv, settings_.timeoutSeconds * 1000, env, text);
    if (!run)
        return ovFail(ovSmsCode::commandFailed, "the SMS was not sent: " + run.reason());
    if (run.value().exitStatus != 0) {
        std::string why = "the SMS was not sent: " + argv[0] + " exited with status " +
                          std::to_string(run.value().exitStatus);
        if (const std::string said = firstLine(run.value().err); !said.empty())
            why += " (" + said + ")";
        return ovFail(ovSmsCode::commandFailed, why);
    }
    return {};
}

namespace {
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 1;
}

// Brings a record up to what ModemManager says of its message; true when it changed.
bool apply(ovSmsRecord& record, const ovMmSmsStatus& status) {
    const ovSmsRecord before = record;
    if (record.state == ovSmsState::queued && status.state == ovMmSmsStatus::stateSent) {
        record.state = ovSmsState::sent;
        record.lastError.clear();
    }
    if (record.state == ovSmsState::sent) {
        const ovMmDelivery delivery = ovMmDeliveryOutcome(status.deliveryState);
        if (delivery.outcome == ovMmDelivery::Outcome::delivered) {
            record.state = ovSmsState::delivered;
        } else if (delivery.outcome == ovMmDelivery::Outcome::failed) {
            record.state = ovSmsState::failed;
            record.lastError = delivery.reason;
        } else if (delivery.outcome == ovMmDelivery::Outcome::unconfirmed) {
            record.lastError = delivery.reason;
        }
    }
    return record.state != before.state || record.lastError != before.lastError;
}

// Messages still on their way, for as long as a network keeps trying to deliver one.
bool followed(const ovSmsRecord& r) {
    constexpr int64_t kWeek = 7 * 24 * 3600;
    return !r.modemObject.empty() && static_cast<int64_t>(std::time(nullptr)) - r.createdAt < kWeek &&
           (r.state == ovSmsState::queued || (r.state == ovSmsState::sent && r.lastError.empty()));
}
} // namespace

ovResult<void> ovSmsService::sendThroughModem(const std::string& smsc, const std::string& to,
                                              const std::string& text, bool report) {
    // The whole send, however many calls it takes, keeps within the configured time.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(settings_.timeoutSeconds);
    ovSmsRecord record;
    record.id = ovSmsRecords::newId();
    record.number = to;
    record.text = text;
    record.createdAt = static_cast<int64_t>(std::time(nullptr));
    if (ovResult<> kept = ovSmsRecords::write(dataDir_, record); !kept)
        return ovFail(ovSmsCode::cannotWrite, kept.reason());
    auto fail = [&](const std::string& why) -> ovResult<void> {
        record.state = ovSmsState::failed;
        record.lastError = why;
        (void)ovSmsRecords::write(dataDir_, record); // the failure is told either way
        return ovFail(ovSmsCode::modemFailed, why);
    };

    ovResult<ovModemManagerSms> mm = ovModemManagerSms::connect();
    if (!mm)
        return fail(mm.reason());
    ovResult<std::string> path = mm.value().create(to, text, smsc, report, msLeft(deadline));
    if (!path)
        return fail("ModemManager did not take it: " + path.reason());
    record.modemObject = path.value();
    record.tries = 1;
    (void)ovSmsRecords::write(dataDir_, record);
    if (ovResult<> sent = mm.value().send(record.modemObject, msLeft(deadline)); !sent) {
        if (sent.code<ovMmCode>() != ovMmCode::noAnswer)
            return fail("the modem did not send it: " + sent.reason());
        // ModemManager may still send it; the record stays queued for followDeliveries.
        record.lastError = "ModemManager gave no answer within " + std::to_string(settings_.timeoutSeconds) +
                           " s; the message may still go out";
        (void)ovSmsRecords::write(dataDir_, record);
        return ovFail(ovSmsCode::modemFailed, record.lastError);
    }
    // Send returns once the network took the message; a delivery report may come with it.
    record.state = ovSmsState::sent;
    if (ovResult<ovMmSmsStatus> status = mm.value().status(record.modemObject, msLeft(deadline)); status)
        apply(record, status.value());
    (void)ovSmsRecords::write(dataDir_, record);
    if (record.state == ovSmsState::failed)
        return ovFail(ovSmsCode::modemFailed, record.lastError);
    return {};
}

ovResult<> ovSmsService::followDeliveries(const std::string& dataDir, int waitMs) {
    std::vector<ovSmsRecord> open;
    for (ovSmsRecord& r : ovSmsRecords::list(dataDir))
        if (followed(r))
            open.push_back(std::move(r));
    if (open.empty())
        return ovResult<>::success();
    ovResult<ovModemManagerSms> mm = ovModemManagerSms::connect();
    if (!mm)
        return mm.error();
    mm.value().watchChanges();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    constexpr int kCallMs = 5000;
    for (;;) {
        for (size_t i = 0; i < open.size();) {
            ovResult<ovMmSmsStatus> status = mm.value().status(open[i].modemObject, kCallMs);
            if (status && apply(open[i], status.value()))
                (void)ovSmsRecords::write(dataDir, open[i]);
            // A message ModemManager no longer knows (it restarted) keeps its last state.
            if (!status || !followed(open[i]))
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
            else
                ++i;
        }
        if (open.empty() || Clock::now() >= deadline)
            return ovResult<>::success();
        mm.value().waitForChange(msLeft(deadline));
    }
}
