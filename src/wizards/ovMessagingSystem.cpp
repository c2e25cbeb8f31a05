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

ovMessagingSystem::ovMessagingSystem(ovApp& app) : app_(app) {}

ovMessagingSystem::~ovMessagingSystem() {}

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
    std::string reason = send();
    if (!reason.empty() && reason.find(kNotSent) == std::string::npos)
        reason = "The message was not sent: " + reason;
    // A message that did not go keeps everything typed, so the user can try again.
    if (ovReportCommit(*finish, reason.empty(), reason))
        reset(*app_.navigator);
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
    const ovResult<void> sent =
        mail->sendMail(address, subjectKeyboard->inputText.view(), messageKeyboard->inputText.view(),
                       accountPicker->chosenAccount.view());
    return sent ? std::string() : sent.reason();
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
