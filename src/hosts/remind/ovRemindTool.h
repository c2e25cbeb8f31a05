#pragma once
// `orvida remind [--data DIR] [--now D]`: fires the store's reminders that are due now
// (or missed within the last day) as desktop notifications and exits; for a systemd
// user timer or cron while the window is not open. Each fired reminder is also written
// to standard output as one line, "SUMMARY: BODY". Any number of these may run at once
// with the program: a reminder fires in only one of them.
//
// --now D (local time, YYYY-MM-DDTHH:MM:SS) stands in for the clock. Exit code 0 when the
// reminders were looked at (also when the desktop could not show them: the reason goes
// to standard error), 2 for bad arguments, 1 when the store fails.
#include <iosfwd>
#include <string>
#include <vector>

class ovNotifier;

// argv[0] is "remind".
int ovRunRemindTool(int argc, char** argv);
// The same with the arguments (args[0] == "remind"), the notifier and the two streams given.
int ovRunRemindTool(const std::vector<std::string>& args, ovNotifier& notifier, std::ostream& out,
                    std::ostream& err);
