#include "services/mail/ovOutboxSender.h"

#include "services/mail/ovMailProps.h"
#include "services/mail/ovSmtpTransport.h"
#include "system/ovPaths.h"
#include "system/ovProcess.h"

#include <map>

namespace {
// A password command that has not answered by then is not going to.
constexpr int kPasswordEvalMs = 20000;

ovSmtpTransport::PasswordSource passwordOf(const ovMailAccount& account) {
    return [&account]() -> ovResult<std::string> {
        if (account.passwordEval.empty())
            return account.password;
        // msmtp runs the text through the shell, and users write it for one.
        ovResult<ovProcessRun> run = ovRunProcess({"/bin/sh", "-c", account.passwordEval}, kPasswordEvalMs);
        if (!run)
            return ovFail(ovMailCode::logonFailed,
                          "the password command of account '" + account.name + "' failed: " + run.reason());
        if (run.value().exitStatus != 0)
            return ovFail(ovMailCode::logonFailed, "the password command of account '" + account.name +
                                                       "' exited with status " +
                                                       std::to_string(run.value().exitStatus));
        return run.value().out.substr(0, run.value().out.find('\n'));
    };
}
} // namespace

std::vector<ovOutboxEntry> ovOutboxSender::list() const {
    std::vector<ovOutboxEntry> entries;
    for (const std::string& folder : ovOutbox::allFolders(folders_.dataDir))
        for (const std::string& file : ovOutbox(folder).files())
            if (ovResult<ovOutboxEntry> entry = ovOutbox::read(file))
                entries.push_back(entry.take());
    return entries;
}

ovOutboxRun ovOutboxSender::sendDue(int64_t now, bool all, const TriedHandler& tried) const {
    ovOutboxRun run;
    ovResult<std::unique_ptr<ovMailSession>> session = ovMailSession::logon(folders_);
    if (!session)
        return run;
    // The accounts as the configuration has them now, by their outbox.
    std::map<std::string, const ovMailAccount*> accountOf;
    for (const ovMailStoreInfo& store : session.value()->stores())
        if (store.account)
            accountOf[store.outboxFolder] = &*store.account;
    for (const ovOutboxEntry& entry : list()) {
        if (entry.refused || (!all && entry.nextTry > now))
            continue;
        std::optional<ovOutboxClaim> claim = ovOutboxClaim::take(entry.file);
        if (!claim)
            continue;
        const auto account = accountOf.find(ovParentFolder(entry.file));
        ovResult<void> result =
            ovFail(ovMailCode::networkError, "there is no account named '" + entry.account + "' any more");
        if (account == accountOf.end())
            // The account may come back to the configuration; until then the message waits.
            (void)ovOutbox::recordFailure(entry.file, result.reason(), true, now);
        else
            result = deliver(*account->second, *claim, now);
        ++(result ? run.sent : run.failed);
        if (tried)
            tried(entry, result);
    }
    return run;
}

ovResult<void> ovOutboxSender::deliver(const ovMailAccount& account, const ovOutboxClaim& claim,
                                       int64_t now) {
    ovResult<ovOutboxEntry> entry = ovOutbox::read(claim.file());
    if (!entry)
        return entry.error();
    ovResult<std::string> text = ovOutbox::messageText(claim.file());
    if (!text)
        return text.error();
    ovResult<void> sent =
        ovSmtpTransport::send(account, passwordOf(account), entry.value().recipients, text.value());
    if (sent) {
        // Sent; a copy the outbox cannot let go of is not a reason to report a failure.
        (void)ovOutbox::remove(claim.file());
        return {};
    }
    (void)ovOutbox::recordFailure(claim.file(), sent.reason(), ovMailFailureMayPass(sent.error().code), now);
    return sent;
}
