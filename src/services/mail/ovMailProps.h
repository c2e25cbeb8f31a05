#pragma once
// The property tags and result codes of the message-store service, with the values
// the messaging layer has always used for them, and one property value.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

using ovMailTag = uint32_t;

constexpr ovMailTag ovPR_ENTRYID = 0x0FFF0102;
constexpr ovMailTag ovPR_DISPLAY_NAME_W = 0x3001001F;
constexpr ovMailTag ovPR_CE_IPM_DRAFTS_ENTRYID = 0x81040102;
constexpr ovMailTag ovPR_MESSAGE_FLAGS = 0x0E070003;
constexpr ovMailTag ovPR_MSG_STATUS = 0x0E170003;
constexpr ovMailTag ovPR_SUBJECT_W = 0x0037001F;
constexpr ovMailTag ovPR_BODY_W = 0x1000001F;
constexpr ovMailTag ovPR_RECIPIENT_TYPE = 0x0C150003;
constexpr ovMailTag ovPR_ADDRTYPE_W = 0x3002001F;
constexpr ovMailTag ovPR_EMAIL_ADDRESS_W = 0x3003001F;

constexpr uint32_t ovMAPI_TO = 1;
constexpr uint32_t ovMAPI_CC = 2;
constexpr uint32_t ovMAPI_BCC = 3;
constexpr uint32_t ovMAPI_MODIFY = 1;
constexpr uint32_t ovMODRECIP_ADD = 2;
constexpr uint32_t ovMAPI_UNICODE = 0x80000000u;

// Result codes; ovResult::code() carries them.
enum class ovMailCode : uint32_t {
    callFailed = 0x80004005u,
    noAccess = 0x80070005u,
    invalidParameter = 0x80070057u,
    notFound = 0x8004010Fu,
    logonFailed = 0x80040111u,
    networkError = 0x80040115u,
    diskError = 0x80040116u,
    timeout = 0x80040401u,
    noRecipients = 0x80040607u,
    noSupport = 0x80040102u,
    notEnoughMemory = 0x8007000Eu,
    refused = 0x80040119u,       // the server said no for good (5xx), or cannot be secured
    noAuthOffered = 0x8004011Au, // the account logs in, the server offers no login
};

// Whether trying again later may succeed: the server was away or slow, or put the
// message off (4xx).
inline bool ovMailFailureMayPass(int code) {
    return code == static_cast<int>(ovMailCode::networkError) ||
           code == static_cast<int>(ovMailCode::timeout);
}

struct ovMailProp {
    ovMailTag tag = 0;
    // A number, a text, or a binary value (entry identifiers).
    std::variant<uint32_t, std::u16string, std::string> value;

    uint32_t number() const {
        return std::holds_alternative<uint32_t>(value) ? std::get<uint32_t>(value) : 0;
    }
    std::u16string text() const {
        return std::holds_alternative<std::u16string>(value) ? std::get<std::u16string>(value) : u"";
    }
    std::string binary() const {
        return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : "";
    }
};

using ovMailRow = std::vector<ovMailProp>;
