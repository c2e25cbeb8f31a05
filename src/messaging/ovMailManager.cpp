#include "messaging/ovMailManager.h"

#include "services/mail/ovMailCourier.h"
#include "services/mail/ovMailSession.h"
#include "services/mail/ovOutboxSender.h"
#include "services/notify/ovNotifier.h"
#include "services/sms/ovSmsService.h"
#include "system/ovClock.h"
#include "system/ovSystem.h"
#include "system/ovUtf.h"

#include <cstdio>
#include <sys/stat.h>

namespace {
ovMailManager* current = nullptr;

constexpr char kMissingEntryId[] = "Store missing PR_ENTRYID!";

int32_t codeOf(const ovError& e) {
    return e.code != 0 ? e.code : static_cast<int32_t>(ovMailCode::callFailed);
}

std::string joined(const std::vector<std::string>& addresses) {
    std::string text;
    for (const std::string& a : addresses)
        text += (text.empty() ? "" : ", ") + a;
    return text;
}

bool hasEntryId(const ovMailRow& row) {
    return !row.empty() && row[0].tag == ovPR_ENTRYID;
}
} // namespace

// The failing call's line, for whoever reads the trace beside this file.
#define OV_TRACE(error) trace(codeOf(error), __LINE__)

ovMailManager::ovMailManager(ovSystem& system, std::string configDir, std::string dataDir)
    : system_(system), configDir_(std::move(configDir)), dataDir_(std::move(dataDir)),
      outboxRoot_(ovOutbox::rootFor(dataDir_)) {
    current = this;
}

ovMailManager::~ovMailManager() {
    emptyAccounts();
    if (current == this)
        current = nullptr;
}

ovMailManager* ovMailManager::instance() {
    return current;
}

void ovMailManager::emptyAccounts() {
    accounts_.setSize(0);
    names_.clear();
}

void ovMailManager::trace(int32_t code, int line) {
    char text[160];
    std::snprintf(text, sizeof text, "CEMAPI: FAILED(%x)at %s:%d\n", static_cast<unsigned>(code),
                  __FILE_NAME__, line);
    system_.debugOutput(text);
}

ovHResult ovMailManager::loadAccounts() {
    emptyAccounts();
    auto session = ovMailSession::logon({configDir_, dataDir_});
    if (!session) {
        OV_TRACE(session.error());
        return ovS_OK;
    }
    if (!session.value()->problems().empty()) {
        std::string text = "Some e-mail accounts could not be read:";
        for (const std::string& p : session.value()->problems())
            text += "\n" + p;
        system_.debugOutput(text + "\n");
        system_.messageBox(text, "Error");
    }
    auto table = session.value()->getMsgStoresTable(ovMAPI_UNICODE);
    if (!table) {
        OV_TRACE(table.error());
        return ovS_OK;
    }
    for (auto rows = table.value()->queryRows(1); rows && rows.value().size() == 1;
         rows = table.value()->queryRows(1)) {
        const ovMailRow& row = rows.value()[0];
        if (!hasEntryId(row)) {
            system_.messageBox(kMissingEntryId, "Error");
            break;
        }
        auto store = session.value()->openMsgStore(row[0].binary(), 0);
        if (!store) {
            OV_TRACE(store.error());
            break;
        }
        auto props = store.value()->getProps({ovPR_DISPLAY_NAME_W}, ovMAPI_UNICODE);
        if (!props) {
            OV_TRACE(props.error());
            break;
        }
        auto name = std::make_unique<AccountName>(props.value()[0].text());
        if (accounts_.append(name.get()) != ovS_OK)
            break;
        system_.debugOutput("Added Account: ");
        system_.debugOutput(ovToUtf8(name->view()));
        system_.debugOutput("\n");
        names_.push_back(std::move(name));
    }
    return ovS_OK;
}

ovResult<void> ovMailManager::sendMail(std::u16string_view to, std::u16string_view subject,
                                       std::u16string_view body, std::u16string_view accountName) {
    return forEachStoreNamed(to, subject, body, accountName,
                             [](ovMailMessage& message) { return message.submitMessage(0); });
}

ovResult<uint64_t> ovMailManager::queueMail(std::u16string_view to, std::u16string_view subject,
                                            std::u16string_view body, std::u16string_view accountName) {
    const uint64_t ticket = ++lastTicket_;
    ovResult<void> queued =
        forEachStoreNamed(to, subject, body, accountName, [&](ovMailMessage& message) -> ovResult<void> {
            ovResult<ovOutboxClaim> kept = message.queue();
            if (!kept)
                return kept.error();
            const std::string recipients = joined(message.envelope());
            if (!courier_)
                courier_ = std::make_unique<ovMailCourier>();
            courier_->post(
                ovMailOutcome{
                    ticket, message.store().account->name, recipients, ovToUtf8(message.subject()), {}},
                *message.store().account, kept.take(), now());
            return {};
        });
    if (!queued)
        return queued.error();
    return ticket;
}

bool ovMailManager::sending() const {
    return courier_ && !courier_->idle();
}

int64_t ovMailManager::now() const {
    return ovTimeFromLocal(system_.clock().localTime());
}

void ovMailManager::pollOutcomes() {
    const int64_t time = now();
    if (time >= nextRetryCheck_) {
        // The first round, at start, tries every message that may go, whatever its
        // pause: the program may have been away for long, or on another network.
        const bool all = nextRetryCheck_ == 0;
        nextRetryCheck_ = time + retryCheckSeconds;
        // Without an outbox there is nothing to retry, and no thread is started for it;
        // the window's thread asks only this, which costs no allocation.
        struct stat st {};
        const bool anything = stat(outboxRoot_.c_str(), &st) == 0;
        if (anything && !courier_)
            courier_ = std::make_unique<ovMailCourier>();
        // One round at a time; a slow server's round is not joined by another.
        if (anything && courier_->idle())
            courier_->post(
                [folders = ovMailFolders{configDir_, dataDir_}, time, all, courier = courier_.get()] {
                    ovOutboxSender(folders).sendDue(
                        time, all, [courier](const ovOutboxEntry& e, const ovResult<void>& r) {
                            if (!r && ovMailFailureMayPass(r.error().code))
                                return;
                            courier->report(ovMailOutcome{0, e.account, joined(e.recipients), e.subject, r});
                        });
                });
    }
    if (!courier_)
        return;
    for (const ovMailOutcome& o : courier_->takeOutcomes()) {
        const bool sent = o.result.ok();
        const std::string about = "'" + o.subject + "' to " + o.recipients + " through '" + o.account + "'";
        const std::string text = sent ? "The message " + about + " was sent."
                                      : "The message " + about + " was not sent: " + o.result.reason() +
                                            (ovMailFailureMayPass(o.result.error().code)
                                                 ? " It stays in the outbox and will be tried again."
                                                 : " It stays in the outbox and will not be tried again.");
        system_.debugOutput("Mail: " + text + "\n");
        if (outcomeHandler_ && outcomeHandler_(o.ticket, sent, text))
            continue;
        if (notifier_ != nullptr)
            (void)notifier_->notify({sent ? "Message sent" : "Message not sent", text});
    }
}

ovResult<void> ovMailManager::forEachStoreNamed(std::u16string_view to, std::u16string_view subject,
                                                std::u16string_view body, std::u16string_view accountName,
                                                const std::function<ovResult<void>(ovMailMessage&)>& submit) {
    auto session = ovMailSession::logon({configDir_, dataDir_});
    if (!session) {
        OV_TRACE(session.error());
        return session.error();
    }
    for (const std::string& p : session.value()->problems())
        system_.debugOutput(p + "\n");
    auto table = session.value()->getMsgStoresTable(ovMAPI_UNICODE);
    if (!table) {
        OV_TRACE(table.error());
        return table.error();
    }
    int sent = 0;
    for (auto rows = table.value()->queryRows(1); rows && rows.value().size() == 1;
         rows = table.value()->queryRows(1)) {
        const ovMailRow& row = rows.value()[0];
        if (!hasEntryId(row)) {
            system_.messageBox(kMissingEntryId, "Error");
            return ovFail("a message store has no entry identifier");
        }
        auto store = session.value()->openMsgStore(row[0].binary(), 0);
        if (!store) {
            OV_TRACE(store.error());
            return store.error();
        }
        auto props =
            store.value()->getProps({ovPR_CE_IPM_DRAFTS_ENTRYID, ovPR_DISPLAY_NAME_W}, ovMAPI_UNICODE);
        if (!props) {
            OV_TRACE(props.error());
            return props.error();
        }
        // Compared as the account list shows the name, so a picked long name still matches.
        if (!(AccountName(props.value()[1].text()) == accountName))
            continue;
        auto drafts = store.value()->openEntry(props.value()[0].binary(), ovMAPI_MODIFY);
        if (!drafts) {
            OV_TRACE(drafts.error());
            return drafts.error();
        }
        auto message = drafts.value()->createMessage(0);
        if (!message) {
            OV_TRACE(message.error());
            return message.error();
        }
        // A message without its whole text never goes; one without a recipient is
        // refused by the store, which says why.
        if (const ovHResult composed = composeMessage(*message.value(), subject, body, to, u"", u"");
            composed != ovS_OK) {
            char code[16];
            std::snprintf(code, sizeof code, "%x", static_cast<unsigned>(composed));
            return ovFail(composed, "The message to " + ovToUtf8(to) + " was not sent through '" +
                                        ovToUtf8(accountName) + "': it could not be written (error " + code +
                                        ")");
        }
        if (ovResult<void> submitted = submit(*message.value()); !submitted) {
            OV_TRACE(submitted.error());
            return ovFail(submitted.error().code, "The message to " + ovToUtf8(to) +
                                                      " was not sent through '" + ovToUtf8(accountName) +
                                                      "': " + submitted.reason());
        }
        ++sent;
    }
    if (sent == 0) {
        // A refused configuration file is the likely reason the account is missing.
        std::string why;
        for (const std::string& p : session.value()->problems())
            why += " " + p;
        return ovFail(ovMailCode::notFound, "There is no account named '" + ovToUtf8(accountName) +
                                                "', so the message was not sent." + why);
    }
    return {};
}

ovHResult ovMailManager::composeMessage(ovMailMessage& message, std::u16string_view subject,
                                        std::u16string_view body, std::u16string_view to,
                                        std::u16string_view cc, std::u16string_view bcc) {
    if (const ovHResult hr = addRecipients(message, to, cc, bcc); hr != ovS_OK) {
        trace(hr, __LINE__);
        return hr;
    }
    std::vector<ovMailProp> props = {{ovPR_MESSAGE_FLAGS, uint32_t{0x28}},
                                     {ovPR_MSG_STATUS, uint32_t{0x00020000}}};
    if (!subject.empty())
        props.push_back({ovPR_SUBJECT_W, std::u16string(subject)});
    if (ovResult<void> set = message.setProps(props); !set) {
        OV_TRACE(set.error());
        return codeOf(set.error());
    }
    auto stream = message.openProperty(ovPR_BODY_W, ovMAPI_MODIFY);
    if (!stream) {
        OV_TRACE(stream.error());
        return codeOf(stream.error());
    }
    // The terminating zero goes with the body, as it always has.
    const std::u16string withZero = std::u16string(body) + u'\0';
    if (ovResult<void> written = stream.value()->write(withZero.data(), withZero.size() * 2); !written) {
        OV_TRACE(written.error());
        return codeOf(written.error());
    }
    return ovS_OK;
}

ovHResult ovMailManager::addRecipients(ovMailMessage& message, std::u16string_view to, std::u16string_view cc,
                                       std::u16string_view bcc) {
    std::vector<ovMailRow> list;
    const std::u16string_view texts[] = {to, cc, bcc};
    const uint32_t types[] = {ovMAPI_TO, ovMAPI_CC, ovMAPI_BCC};
    for (int i = 0; i < 3; ++i)
        for (std::u16string& address : splitAddresses(texts[i]))
            list.push_back({{ovPR_RECIPIENT_TYPE, types[i]},
                            {ovPR_ADDRTYPE_W, std::u16string(u"SMTP")},
                            {ovPR_EMAIL_ADDRESS_W, std::move(address)}});
    ovResult<void> added = message.modifyRecipients(ovMODRECIP_ADD, list);
    return added ? ovS_OK : codeOf(added.error());
}

std::vector<std::u16string> ovMailManager::splitAddresses(std::u16string_view text) {
    std::vector<std::u16string> addresses;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == u' ')
            ++i;
        if (i == text.size())
            break;
        const size_t start = i;
        while (i < text.size() && text[i] != u' ' && text[i] != u';')
            ++i;
        addresses.emplace_back(text.substr(start, i - start));
        if (i < text.size())
            ++i;
    }
    return addresses;
}

ovResult<void> ovMailManager::sendSms(bool statusReport, bool noSmsc, std::u16string_view smscAddress,
                                      std::u16string_view destination, std::u16string_view text) {
    auto sms = ovSmsService::open(ovSmsService::textProvider, ovSMS_MODE_SEND, {configDir_, dataDir_});
    if (!sms)
        return ovFail(sms.error().code, "The SMS was not sent: " + sms.reason());
    ovSmsAddress centre;
    if (!noSmsc)
        centre.address = smscAddress;
    ovSmsAddress to;
    to.address = destination;
    ovSmsProviderData data;
    data.messageOptions = statusReport ? ovPS_MESSAGE_OPTION_STATUSREPORT : ovPS_MESSAGE_OPTION_NONE;
    data.messageClass = ovPS_MESSAGE_CLASS1;
    data.replaceOption = ovPSRO_NONE;
    data.headerDataSize = 0;
    auto sent = sms.value()->sendMessage(noSmsc ? nullptr : &centre, to, text.data(), text.size() * 2, data,
                                         ovSMSDE_OPTIMAL, ovSMS_OPTION_DELIVERY_NONE);
    if (!sent)
        return ovFail(sent.error().code,
                      "The SMS to " + ovToUtf8(destination) + " was not sent: " + sent.reason());
    return {};
}
