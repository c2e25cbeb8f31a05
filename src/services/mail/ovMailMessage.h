#pragma once
// A message created in a store's drafts folder: recipients, properties and a body
// stream, then submitted. Submitting keeps the message in the store's outbox, hands it
// to the account's SMTP server and takes it out of the outbox only once the server has
// accepted it. A message without a recipient is never handed to a server.
#include "base/ovResult.h"
#include "services/mail/ovMailProps.h"
#include "services/mail/ovMailStoreInfo.h"
#include "services/mail/ovOutboxClaim.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

class ovMailMessage;

// The body, written as UTF-16 bytes, a terminating zero included or not.
class ovMailStream {
public:
    explicit ovMailStream(std::string& bytes) : bytes_(bytes) {}
    ovResult<void> write(const void* data, size_t size) {
        if (size > bytes_.max_size() - bytes_.size())
            return ovFail(ovMailCode::notEnoughMemory, "the message's text is too long");
        try {
            bytes_.append(static_cast<const char*>(data), size);
        } catch (const std::bad_alloc&) {
            return ovFail(ovMailCode::notEnoughMemory, "there is not enough memory for the message's text");
        }
        return {};
    }

private:
    std::string& bytes_;
};

class ovMailMessage {
public:
    explicit ovMailMessage(ovMailStoreInfo store) : store_(std::move(store)) {}

    // Adds recipients (ovMODRECIP_ADD); each entry holds PR_RECIPIENT_TYPE, PR_ADDRTYPE_W
    // and PR_EMAIL_ADDRESS_W.
    ovResult<void> modifyRecipients(uint32_t flags, const std::vector<ovMailRow>& entries);
    ovResult<void> setProps(const std::vector<ovMailProp>& props);
    // Only PR_BODY_W can be opened; the stream writes over the body.
    ovResult<std::unique_ptr<ovMailStream>> openProperty(ovMailTag tag, uint32_t flags);
    ovResult<void> submitMessage(uint32_t flags);
    // The first half of submitting: the message checked, composed and kept in the
    // outbox, claimed for the caller, who hands it to the server (ovOutboxSender::deliver)
    // when and where it likes.
    ovResult<ovOutboxClaim> queue();
    // The recipients of the envelope, after queue() or submitMessage().
    const std::vector<std::string>& envelope() const { return envelope_; }
    const ovMailStoreInfo& store() const { return store_; }

    const std::vector<ovMailRow>& recipients() const { return recipients_; }
    uint32_t messageFlags() const { return messageFlags_; }
    uint32_t msgStatus() const { return msgStatus_; }
    const std::u16string& subject() const { return subject_; }
    // The body as text: the UTF-16 bytes written, up to a terminating zero.
    std::u16string body() const;

    // The message as it goes to the server: headers (no Bcc) and a quoted-printable
    // UTF-8 body, CRLF line ends.
    std::string rfc5322(const std::string& from, const std::vector<std::string>& to,
                        const std::vector<std::string>& cc) const;

    // Why an address cannot go into an envelope or a header, or empty when it can.
    static std::string addressProblem(const std::string& address);

private:
    ovMailStoreInfo store_;
    std::vector<ovMailRow> recipients_;
    uint32_t messageFlags_ = 0;
    uint32_t msgStatus_ = 0;
    std::u16string subject_;
    std::string bodyBytes_;
    std::vector<std::string> envelope_;
};
