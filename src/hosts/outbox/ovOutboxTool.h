#pragma once
// `orvida outbox [--data DIR] [--config DIR] [send]`: the e-mail waiting in the outboxes.
// Without `send` it lists each queued message as one line of JSON: id, account,
// recipients, subject, tries, lastError, nextTry (local time, null when the message
// is not going to be tried again) and refused (true when a server refused it for
// good). With `send` it tries every message that may go, now, whatever its pause,
// and exits 0 when the outbox is empty afterwards, 1 when messages are left; the
// program's window may send at the same time: each message goes through one sender.
// Exit code 2 for bad arguments.
#include <iosfwd>
#include <string>
#include <vector>

// argv[0] is "outbox".
int ovRunOutboxTool(int argc, char** argv);
// The same with the arguments (args[0] == "outbox") and the two streams given.
int ovRunOutboxTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
