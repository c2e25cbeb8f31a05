#include "hosts/outbox/ovOutboxTool.h"

#include "services/mail/ovOutboxSender.h"
#include "services/sms/ovSmsRecords.h"
#include "services/sms/ovSmsService.h"
#include "system/ovClock.h"
#include "system/ovDateTime.h"
#include "system/ovJson.h"
#include "system/ovPaths.h"

#include <ctime>
#include <iostream>

namespace {
constexpr char kUsage[] = "usage: orvida outbox [--data DIR] [--config DIR] [send]\n";

int badUsage(std::ostream& err, const std::string& reason) {
    err << "orvida outbox: " << reason << '\n' << kUsage;
    return 2;
}

std::string idOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    const std::string name = file.substr(slash + 1);
    return name.substr(0, name.size() - 4);
}

void printEntry(std::ostream& out, const ovOutboxEntry& e) {
    out << "{\"id\":" << ovJsonString(idOf(e.file)) << ",\"account\":" << ovJsonString(e.account)
        << ",\"recipients\":[";
    for (size_t i = 0; i < e.recipients.size(); ++i)
        out << (i > 0 ? "," : "") << ovJsonString(e.recipients[i]);
    out << "],\"subject\":" << ovJsonString(e.subject) << ",\"tries\":" << e.tries
        << ",\"lastError\":" << (e.tries > 0 ? ovJsonString(e.lastError) : "null") << ",\"nextTry\":";
    if (e.refused)
        out << "null";
    else
        out << ovJsonString(
            ovFormatIsoLocal(ovLocalTimeFrom(e.nextTry > 0 ? e.nextTry : std::time(nullptr), 0)));
    out << ",\"refused\":" << (e.refused ? "true" : "false") << ",\"state\":\""
        << (e.refused ? "refused" : "queued") << "\"}\n";
}

// Text messages go to the modem at once and are not retried; the listing shows what
// became of those of the last week: queued, sent, delivered or failed.
void printTextMessages(std::ostream& out, std::ostream& err, const std::string& dataDir) {
    constexpr int64_t kWeek = 7 * 24 * 3600;
    if (ovSmsRecords::list(dataDir).empty())
        return;
    // Asks the modem service once for reports that came since; without it the records stand.
    if (const ovResult<> followed = ovSmsService::followDeliveries(dataDir, 0); !followed)
        err << "orvida outbox: the text messages' states could not be brought up to date: "
            << followed.reason() << '\n';
    const int64_t since = static_cast<int64_t>(std::time(nullptr)) - kWeek;
    for (const ovSmsRecord& r : ovSmsRecords::list(dataDir)) {
        if (r.createdAt < since)
            continue;
        const bool failed = r.state == ovSmsState::failed;
        out << "{\"id\":" << ovJsonString(r.id) << ",\"account\":\"sms\",\"recipients\":["
            << ovJsonString(r.number) << "],\"subject\":" << ovJsonString(r.excerpt())
            << ",\"tries\":" << r.tries
            << ",\"lastError\":" << (r.lastError.empty() ? "null" : ovJsonString(r.lastError))
            << ",\"nextTry\":null,\"refused\":" << (failed ? "true" : "false") << ",\"state\":\""
            << ovSmsStateName(r.state) << "\"}\n";
    }
}
} // namespace

int ovRunOutboxTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ovMailFolders folders;
    bool send = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--data" || a == "--config") && (i + 1 >= args.size() || args[i + 1].empty()))
            return badUsage(err, a + " needs a folder");
        if (a == "--data")
            folders.dataDir = args[++i];
        else if (a == "--config")
            folders.configDir = args[++i];
        else if (a == "send" && !send)
            send = true;
        else if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        } else
            return badUsage(err, "unknown argument '" + a + "'");
    }
    if (folders.dataDir.empty())
        folders.dataDir = ovDefaultDataFolder();
    const ovOutboxSender sender(folders);
    if (!send) {
        for (const ovOutboxEntry& e : sender.list())
            printEntry(out, e);
        printTextMessages(out, err, folders.dataDir);
        return 0;
    }
    const ovOutboxRun run = sender.sendDue(std::time(nullptr), true);
    out << "sent " << run.sent << ", failed " << run.failed << '\n';
    for (const ovOutboxEntry& e : sender.list())
        if (e.tries > 0)
            err << "orvida outbox: " << idOf(e.file) << " (" << e.account << "): " << e.lastError << '\n';
    return sender.list().empty() ? 0 : 1;
}

int ovRunOutboxTool(int argc, char** argv) {
    return ovRunOutboxTool(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
