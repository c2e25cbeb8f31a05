#include "services/sms/ovSmsService.h"

#include "system/ovDurableFile.h"
#include "system/ovPaths.h"
#include "system/ovProcess.h"
#include "system/ovUtf.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
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
