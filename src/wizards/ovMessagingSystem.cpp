#include "wizards/ovMessagingSystem.h"

#include "messaging/ovMailManager.h"
#include "messaging/ovMsgAcctPicker.h"
#include "pickers/ovContactPicker.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovKeyboardInput.h"
#include "shell/ovApp.h"
#include "system/ovUtf.h"
#include "wizards/ovWizardBuilder.h"
#include "wizards/ovWizardTags.h"

namespace {
constexpr std::u16string_view kSmsAccount = u"SMS";
constexpr char kNotSent[] = "not sent";

std::string nameOf(const ovPimContact& contact) {
    return ovToUtf8(ovContactPicker::rowText(contact));
}
} // namespace

ovMessagingSystem::ovMessagingSystem(ovApp& app) : app_(app) {
    if (ovMailManager* mail = ovMailManager::instance())
        mail->setOutcomeHandler([this](uint64_t ticket, bool sent, const std::string& text) {
            return showOutcome(ticket, sent, text);
        });
}

ovMessagingSystem::~ovMessagingSystem() {
    if (ovMailManager* mail = ovMailManager::instance())
        mail->setOutcomeHandler({});
}

bool ovMessagingSystem::showOutcome(uint64_t ticket, bool sent, const std::string& text) {
    if (ticket == 0 || ticket != ticket_ || app_.navigator->current != finish)
        return false;
    const std::u16string shown = ovToUtf16(text) + u"\n\nTap the screen to return to the Home screen.";
    if (sent)
        finish->showNote(shown);
    else
        finish->showFailure(shown);
    app_.needsRepaint = true;
    return true;
}

ovMessagingSystem* ovMessagingSystem::create(ovApp& app) {
    ovMessagingSystem* root = app.makeNode<ovMessagingSystem>(app);
    root->build();
    return root;
}

void ovMessagingSystem::build() {
    using namespace ovWizardTags;
    ovWizardBuilder b(app_, *this, firstNodeId, u"New Message");

    nameKeyboard = b.step<ovKeyboardInput>(u"Enter Name", messageNameKeyboardTag);
    nameKeyboard->promptText = u"Enter Name partially";
    contactPicker = b.step<ovContactPicker>(u"Pick Contact", contactPickerTag);
    subjectKeyboard = b.step<ovKeyboardInput>(u"Enter Subject", -1);
    subjectKeyboard->promptText = u"Enter Subject";
    messageKeyboard = b.step<ovKeyboardInput>(u"Enter Message", -1);
    messageKeyboard->promptText = u"Enter Message Text";
    accountPicker = b.step<ovMsgAcctPicker>(u"Pick Account", accountPickerTag);
    finish = b.step<ovInfoDisplay>(u"Finish", -1);
    finish->messageText = u"Your message has been sent successfully. You may now tap the screen to return to "
                          u"the Home screen.";

    // A straight line: each step's parent is the one before it, which is where Back leads.
    b.attach(this, nameKeyboard);
    b.attach(nameKeyboard, contactPicker);
    b.attach(contactPicker, subjectKeyboard);
    b.attach(subjectKeyboard, messageKeyboard);
    b.attach(messageKeyboard, accountPicker);
    b.attach(accountPicker, finish);
}

void ovMessagingSystem::childFinished(ovHyperNode* finished) {
    if (finished->tag != ovFinishTag)
        return;
    ticket_ = 0;
    std::string reason = send();
    if (!reason.empty() && reason.find(kNotSent) == std::string::npos)
        reason = "The message was not sent: " + reason;
    // A message that did not go keeps everything typed, so the user can try again; one
    // in the outbox is safe there.
    if (!ovReportCommit(*finish, reason.empty(), reason))
        return;
    reset(*app_.navigator);
    if (ticket_ != 0)
        finish->showNote(onItsWay_);
}

std::string ovMessagingSystem::send() {
    if (!accountPicker->hasChoice)
        return "no account was picked, so the message was not sent.";
    if (!contactPicker->chosenContact)
        return "no contact was picked, so the message was not sent.";
    ovMailManager* mail = ovMailManager::instance();
    if (mail == nullptr)
        return "there is no mail service, so the message was not sent.";
    const ovPimContact& contact = *contactPicker->chosenContact;

    if (accountPicker->chosenAccount.view() == kSmsAccount) {
        const std::u16string& number = contact.mobileTelephoneNumber();
        if (number.empty())
            return nameOf(contact) + " has no mobile number, so the SMS was " + kNotSent + ".";
        const ovResult<void> sent = mail->sendSms(true, true, u"", number, messageKeyboard->inputText.view());
        return sent ? std::string() : sent.reason();
    }

    const std::u16string& address = contact.email1Address();
    // An e-mail without a recipient never goes to a server, and an address cut to fit
    // would reach someone else.
    if (address.empty())
        return nameOf(contact) + " has no e-mail address, so the message was " + kNotSent + ".";
    if (address.size() >= addressCapacity)
        return "the e-mail address of " + nameOf(contact) + " is too long, so the message was " + kNotSent +
               ".";
    const ovResult<uint64_t> queued =
        mail->queueMail(address, subjectKeyboard->inputText.view(), messageKeyboard->inputText.view(),
                        accountPicker->chosenAccount.view());
    if (!queued)
        return queued.reason();
    ticket_ = queued.value();
    onItsWay_ = u"Your message to " + std::u16string(address) +
                u" is on its way.\n\nTap the screen to return to "
                u"the Home screen.";
    return {};
}

void ovMessagingSystem::reset(ovNavigator&) {
    for (ovKeyboardInput* keyboard : {nameKeyboard, subjectKeyboard, messageKeyboard})
        keyboard->inputText.clear();
    contactPicker->firstShown = 0;
    contactPicker->rowsDrawn = 0;
    // The account picked stays picked; only the list starts at the top again.
    accountPicker->firstShown = 0;
    accountPicker->rowsDrawn = 0;
}
