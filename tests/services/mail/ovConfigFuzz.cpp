// libFuzzer target for the two configuration readers a user edits by hand: the msmtp
// file and Orvida's own settings. Any input must give accounts and problems, never a
// crash, and every problem must name the file.
#include "data/vdir/ovVdirSettings.h"
#include "services/mail/ovMsmtpConfig.h"
#include "services/sms/ovSmsSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ovMsmtpConfig mail = ovParseMsmtpConfig(text, "msmtprc");
    for (const std::string& p : mail.problems)
        if (p.rfind("msmtprc:", 0) != 0)
            std::abort();
    for (const ovMailAccount& a : mail.accounts)
        if (a.name.empty() || a.effectivePort() < 1 || a.effectivePort() > 65535)
            std::abort();
    const ovSmsSettings sms = ovParseSmsSettings(text, "orvida.conf");
    for (const std::string& p : sms.problems)
        if (p.rfind("orvida.conf:", 0) != 0)
            std::abort();
    // The vdir's folders must stay inside its path whatever the file says.
    const ovVdirSettings vdir = ovParseVdirSettings(text, "orvida.conf");
    for (const std::string& p : vdir.problems)
        if (p.rfind("orvida.conf:", 0) != 0)
            std::abort();
    if (vdir.enabled)
        for (const std::string* folder : {&vdir.calendar, &vdir.tasks, &vdir.contacts})
            if (vdir.root.empty() || vdir.root[0] != '/' || folder->empty() || (*folder)[0] == '.' ||
                folder->find('/') != std::string::npos)
                std::abort();
    return 0;
}
