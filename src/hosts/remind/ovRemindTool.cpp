#include "hosts/remind/ovRemindTool.h"

#include "data/ovUserData.h"
#include "data/pim/ovPimApplication.h"
#include "services/notify/ovDbusNotifier.h"
#include "services/reminders/ovReminderScheduler.h"
#include "system/ovHeadlessSystem.h"
#include "system/ovPaths.h"

#include <iostream>
#include <optional>

namespace {
constexpr char kUsage[] = "usage: orvida remind [--data DIR] [--config DIR] [--now YYYY-MM-DDTHH:MM:SS]\n";

int badUsage(std::ostream& err, const std::string& reason) {
    err << "orvida remind: " << reason << '\n' << kUsage;
    return 2;
}
} // namespace

int ovRunRemindTool(const std::vector<std::string>& args, ovNotifier& notifier, std::ostream& out,
                    std::ostream& err) {
    std::string dataFolder;
    std::string configFolder;
    std::optional<ovSystemTime> now;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--data" || a == "--config" || a == "--now") && i + 1 >= args.size())
            return badUsage(err, a + " needs a value");
        if (a == "--data") {
            dataFolder = args[++i];
            if (dataFolder.empty())
                return badUsage(err, "--data needs a folder");
        } else if (a == "--config") {
            configFolder = args[++i];
            if (configFolder.empty())
                return badUsage(err, "--config needs a folder");
        } else if (a == "--now") {
            now = ovParseIsoLocal(args[++i]);
            if (!now)
                return badUsage(err, "--now needs a local time YYYY-MM-DDTHH:MM:SS, not '" + args[i] + "'");
        } else if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        } else {
            return badUsage(err, "unknown argument '" + a + "'");
        }
    }
    if (dataFolder.empty())
        dataFolder = ovDefaultDataFolder();

    std::unique_ptr<ovClock> clock;
    if (now)
        clock = std::make_unique<ovVirtualClock>(*now);
    else
        clock = std::make_unique<ovRealClock>();
    ovHeadlessSystem system(std::move(clock), {}, ovCurrentExecutableFile());

    ovPimApplication app;
    if (ovResult<> r = app.logOn(ovPimStoreFileIn(dataFolder)); !r) {
        err << "orvida remind: " << r.reason() << '\n';
        return 1;
    }
    // An event another program put in the vdir reminds without waiting for a sync.
    const ovUserData data = ovOpenUserData(*app.store(), configFolder, true);
    if (!data.settingsProblem.empty())
        err << "orvida remind: " << data.settingsProblem << '\n';
    if (data.synced && !*data.synced)
        err << "orvida remind: the calendar folder could not be read: " << data.synced->reason() << '\n';
    else if (data.synced)
        for (const std::string& problem : data.synced->value().problems)
            err << "orvida remind: " << problem << '\n';
    ovReminderScheduler scheduler(app.store(), notifier, system, [&out](const ovNotification& shown, bool) {
        out << shown.summary << ": " << shown.body << '\n';
    });
    const ovResult<int> fired = scheduler.fireDue(ovStoreDateOf(system.clock().localTime()));
    out.flush();
    if (!system.debugText().empty())
        err << "orvida remind: " << system.debugText();
    if (!fired) {
        err << "orvida remind: " << fired.reason() << '\n';
        return 1;
    }
    return 0;
}

int ovRunRemindTool(int argc, char** argv) {
    ovDbusNotifier notifier("Orvida");
    return ovRunRemindTool(std::vector<std::string>(argv, argv + argc), notifier, std::cout, std::cerr);
}
