#include "services/mail/ovMailMessage.h"

#include "services/mail/ovOutbox.h"
#include "services/mail/ovOutboxSender.h"
#include "system/ovUtf.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <unistd.h>

namespace {
// The longest address SMTP carries.
constexpr size_t kMaxAddress = 254;
std::atomic<unsigned> messageCounter{0};

const ovMailProp* find(const ovMailRow& row, ovMailTag tag) {
    for (const ovMailProp& p : row)
        if (p.tag == tag)
            return &p;
    return nullptr;
}

// An RFC 2047 encoded subject when it is not plain ASCII; controls become spaces so
// that no text can start a header of its own.
std::string encodeSubject(std::u16string_view subject) {
    std::string utf8 = ovToUtf8(subject);
    bool plain = true;
    for (char& c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            c = ' ';
        if (u >= 0x80)
            plain = false;
    }
    if (plain && utf8.size() <= 900)
        return utf8;
    static const char b64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        // Up to 45 bytes a word, never splitting a UTF-8 sequence.
        size_t n = std::min<size_t>(45, utf8.size() - i);
        while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80)
            --n;
        const std::string_view chunk(utf8.data() + i, n);
        i += n;
        if (!out.empty())
            out += "\r\n ";
        out += "=?UTF-8?B?";
        for (size_t k = 0; k < chunk.size(); k += 3) {
            uint32_t v = static_cast<unsigned char>(chunk[k]) << 16;
            if (k + 1 < chunk.size())
                v |= static_cast<unsigned char>(chunk[k + 1]) << 8;
            if (k + 2 < chunk.size())
                v |= static_cast<unsigned char>(chunk[k + 2]);
            out += b64[(v >> 18) & 63];
            out += b64[(v >> 12) & 63];
            out += k + 1 < chunk.size() ? b64[(v >> 6) & 63] : '=';
            out += k + 2 < chunk.size() ? b64[v & 63] : '=';
        }
        out += "?=";
    }
    return out;
}

// Quoted-printable with CRLF line ends: any text, any line length, survives every server.
std::string quotedPrintable(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    size_t column = 0;
    auto put = [&](const std::string& piece) {
        if (column + piece.size() > 75) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r')
                ++i;
            out += "\r\n";
            column = 0;
            continue;
        }
        const bool atLineEnd = i + 1 == text.size() || text[i + 1] == '\n' || text[i + 1] == '\r';
        if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !atLineEnd))
            put(std::string(1, static_cast<char>(c)));
        else
            put(std::string{'=', hex[c >> 4], hex[c & 15]});
    }
    return out;
}

std::string dateHeader() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char zone[8];
    std::strftime(zone, sizeof zone, "%z", &local);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %s", days[local.tm_wday], local.tm_mday,
                  months[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                  zone);
    return text;
}

std::string joinAddresses(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& a : list)
        out += (out.empty() ? "" : ",\r\n ") + a;
    return out;
}
} // namespace

std::string ovMailMessage::addressProblem(const std::string& address) {
    if (address.size() > kMaxAddress)
        return "an e-mail address is longer than " + std::to_string(kMaxAddress) + " characters";
    for (unsigned char c : address)
        if (c <= 0x20 || c == 0x7F || c == '<' || c == '>' || c == ',' || c == ';' || c == '"')
            return "'" + address + "' is not an e-mail address";
    if (address.find('@') == std::string::npos)
        return "'" + address + "' is not an e-mail address";
    return {};
}

ovResult<void> ovMailMessage::modifyRecipients(uint32_t flags, const std::vector<ovMailRow>& entries) {
    if (flags != ovMODRECIP_ADD)
        return ovFail(ovMailCode::noSupport, "recipients can only be added");
    for (const ovMailRow& e : entries) {
        const ovMailProp* type = find(e, ovPR_RECIPIENT_TYPE);
        if (type == nullptr || type->number() < ovMAPI_TO || type->number() > ovMAPI_BCC ||
            find(e, ovPR_EMAIL_ADDRESS_W) == nullptr)
            return ovFail(ovMailCode::invalidParameter, "a recipient without a type or an address");
    }
    recipients_.insert(recipients_.end(), entries.begin(), entries.end());
    return {};
}

ovResult<void> ovMailMessage::setProps(const std::vector<ovMailProp>& props) {
    for (const ovMailProp& p : props) {
        if (p.tag == ovPR_MESSAGE_FLAGS)
            messageFlags_ = p.number();
        else if (p.tag == ovPR_MSG_STATUS)
            msgStatus_ = p.number();
        else if (p.tag == ovPR_SUBJECT_W)
            subject_ = p.text();
        else
            return ovFail(ovMailCode::noSupport, "a message property this store does not keep");
    }
    return {};
}

ovResult<std::unique_ptr<ovMailStream>> ovMailMessage::openProperty(ovMailTag tag, uint32_t flags) {
    if (tag != ovPR_BODY_W || (flags & ovMAPI_MODIFY) == 0)
        return ovFail(ovMailCode::noSupport, "only the body can be written as a stream");
    bodyBytes_.clear();
    return std::make_unique<ovMailStream>(bodyBytes_);
}

std::u16string ovMailMessage::body() const {
    std::u16string text;
    for (size_t i = 0; i + 1 < bodyBytes_.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bodyBytes_[i]) |
                                                    (static_cast<unsigned char>(bodyBytes_[i + 1]) << 8));
        if (unit == 0)
            break;
        text += unit;
    }
    return text;
}

std::string ovMailMessage::rfc5322(const std::string& from, const std::vector<std::string>& to,
                                   const std::vector<std::string>& cc) const {
    const size_t at = from.find('@');
    const std::string domain = at == std::string::npos ? "localhost" : from.substr(at + 1);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::string id =
        std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + "." +
        std::to_string(getpid()) + "." + std::to_string(messageCounter++);
    std::string m;
    m += "From: " + from + "\r\n";
    if (!to.empty())
        m += "To: " + joinAddresses(to) + "\r\n";
    if (!cc.empty())
        m += "Cc: " + joinAddresses(cc) + "\r\n";
    m += "Subject: " + encodeSubject(subject_) + "\r\n";
    m += "Date: " + dateHeader() + "\r\n";
    m += "Message-ID: <" + id + "@" + domain + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: quoted-printable\r\n";
    m += "\r\n";
    m += quotedPrintable(ovToUtf8(body()));
    m += "\r\n";
    return m;
}

ovResult<void> ovMailMessage::submitMessage(uint32_t flags) {
    ovResult<ovOutboxClaim> kept = queue();
    if (!kept)
        return kept.error();
    return ovOutboxSender::deliver(*store_.account, kept.value(), std::time(nullptr));
}

ovResult<ovOutboxClaim> ovMailMessage::queue() {
    std::vector<std::string> to, cc, envelope;
    for (const ovMailRow& r : recipients_) {
        const std::string address = ovToUtf8(find(r, ovPR_EMAIL_ADDRESS_W)->text());
        // An empty entry (two separators in a row) names nobody.
        if (address.empty())
            continue;
        if (const std::string problem = addressProblem(address); !problem.empty())
            return ovFail(ovMailCode::invalidParameter, problem);
        const uint32_t type = find(r, ovPR_RECIPIENT_TYPE)->number();
        if (type == ovMAPI_TO)
            to.push_back(address);
        else if (type == ovMAPI_CC)
            cc.push_back(address);
        envelope.push_back(address);
    }
    if (envelope.empty())
        return ovFail(ovMailCode::noRecipients, "the message has no recipient, so it was not sent");
    if (!store_.account)
        return ovFail(ovMailCode::noSupport, std::string("'")
                                                 .append(ovToUtf8(store_.displayName))
                                                 .append("' sends text messages, not e-mail"));
    const ovMailAccount& account = *store_.account;
    if (const std::string problem = addressProblem(account.from); !problem.empty())
        return ovFail(ovMailCode::invalidParameter,
                      "account '" + account.name + "' has no usable 'from' address (" + problem + ")");

    const std::string text = rfc5322(account.from, to, cc);
    ovOutbox outbox(store_.outboxFolder);
    ovResult<ovOutboxClaim> kept = outbox.put(account.name, ovToUtf8(subject_), envelope, text);
    if (!kept)
        return ovFail(ovMailCode::diskError,
                      "the message could not be kept in the outbox, so it was not sent: " + kept.reason());
    envelope_ = std::move(envelope);
    return kept;
}
