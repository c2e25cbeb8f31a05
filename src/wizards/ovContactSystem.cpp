#include "wizards/ovContactSystem.h"

#include "pickers/ovInfoDisplay.h"
#include "pickers/ovKeyboardInput.h"
#include "shell/ovApp.h"
#include "store/ovPoomSession.h"
#include "wizards/ovWizardBuilder.h"
#include "wizards/ovWizardTags.h"

#include <utility>

namespace {
constexpr std::u16string_view kHomeLabel = u"Home Number";
constexpr std::u16string_view kMobileLabel = u"Mobile Number";
constexpr std::u16string_view kWorkLabel = u"Work Number";
constexpr std::u16string_view kFaxLabel = u"Fax Number";
constexpr std::u16string_view kEmailLabel = u"eMail Address";
} // namespace

ovContactSystem::ovContactSystem(ovApp& app) : app_(app) {}

ovContactSystem::~ovContactSystem() {}

ovContactSystem* ovContactSystem::create(ovApp& app) {
    ovContactSystem* root = app.makeNode<ovContactSystem>(app);
    root->build();
    return root;
}

void ovContactSystem::build() {
    using namespace ovWizardTags;
    ovWizardBuilder b(app_, *this, firstNodeId, u"New Contact");

    nameKeyboard = b.step<ovKeyboardInput>(u"Enter Name", nameKeyboardTag);
    nameKeyboard->promptText = u"Enter Name";
    nameKeyboard->capitalMode = ovKeyboardInput::capitalsEveryWord;
    hub = b.step(u"Input", -1);

    auto numberKeyboard = [&](std::u16string_view label, int tag, std::u16string_view prompt) {
        ovKeyboardInput* keyboard = b.step<ovKeyboardInput>(label, tag);
        keyboard->boardMode = 0;
        keyboard->promptText = prompt;
        return keyboard;
    };
    homeKeyboard = numberKeyboard(kHomeLabel, homeKeyboardTag, u"Enter Home number");
    homeChoice = b.step(kHomeLabel, -1);
    mobileKeyboard = numberKeyboard(kMobileLabel, mobileKeyboardTag, u"Enter Mobile number");
    mobileChoice = b.step(kMobileLabel, -1);
    workKeyboard = numberKeyboard(kWorkLabel, workKeyboardTag, u"Enter Work number");
    workChoice = b.step(kWorkLabel, -1);
    faxKeyboard = numberKeyboard(kFaxLabel, faxKeyboardTag, u"Enter Fax number");
    faxChoice = b.step(kFaxLabel, -1);
    emailKeyboard = b.step<ovKeyboardInput>(kEmailLabel, emailKeyboardTag);
    emailKeyboard->promptText = u"Enter Email address";
    emailKeyboard->capitalMode = ovKeyboardInput::capitalsNone;
    emailChoice = b.step(kEmailLabel, -1);
    finish = b.step<ovInfoDisplay>(u"FINISH", contactFinishTag);
    finish->messageText =
        u"New contact has been added successfully. You may now tap the screen to return to the Home screen.";

    b.attach(this, nameKeyboard);
    b.attach(nameKeyboard, hub);
    // Every field keyboard leads back to the hub; its choice passes straight into it.
    const std::pair<ovKeyboardInput*, ovHyperNode*> fields[] = {
        {homeKeyboard, homeChoice}, {mobileKeyboard, mobileChoice}, {workKeyboard, workChoice},
        {faxKeyboard, faxChoice},   {emailKeyboard, emailChoice},
    };
    for (const auto& [keyboard, choice] : fields) {
        b.attach(keyboard, hub);
        b.attach(hub, choice);
        b.attach(choice, keyboard);
    }
    b.attach(hub, finish);
    // Attaching the hub under every field keyboard left the last as its parent; going
    // back from the hub belongs to the name.
    hub->parent = nameKeyboard;
}

void ovContactSystem::summarise(ovFixedText<256>& label, std::u16string_view marker, std::u16string_view text,
                                std::u16string_view emptyLabel) {
    if (text.empty()) {
        label = emptyLabel;
        return;
    }
    const bool cut = text.size() >= summaryLength;
    std::u16string_view shown = text.substr(0, summaryLength);
    // Never end on half of a surrogate pair.
    if (cut && shown.back() >= 0xD800 && shown.back() <= 0xDBFF)
        shown.remove_suffix(1);
    label = marker;
    label.append(shown);
    if (cut)
        label.append(u"..");
}

void ovContactSystem::childFinished(ovHyperNode* finished) {
    using namespace ovWizardTags;
    switch (finished->tag) {
    case mobileKeyboardTag:
        summarise(mobileChoice->label, u"M:", mobileKeyboard->inputText.view(), kMobileLabel);
        break;
    case workKeyboardTag:
        summarise(workChoice->label, u"W:", workKeyboard->inputText.view(), kWorkLabel);
        break;
    case faxKeyboardTag:
        summarise(faxChoice->label, u"F:", faxKeyboard->inputText.view(), kFaxLabel);
        break;
    case emailKeyboardTag:
        summarise(emailChoice->label, u"@:", emailKeyboard->inputText.view(), kEmailLabel);
        break;
    case homeKeyboardTag:
        summarise(homeChoice->label, u"H:", homeKeyboard->inputText.view(), kHomeLabel);
        break;
    case ovFinishTag:
        commit();
        break;
    default:
        break;
    }
}

void ovContactSystem::commit() {
    ovPoomSession* session = ovPoomSession::instance();
    if (session == nullptr) {
        ovReportCommit(*finish, false, "the contact was not saved: there is no store");
        return;
    }
    const auto result = session->addContact(
        nameKeyboard->inputText.view(), u"", homeKeyboard->inputText.view(), mobileKeyboard->inputText.view(),
        workKeyboard->inputText.view(), faxKeyboard->inputText.view(), emailKeyboard->inputText.view());
    // A refused contact keeps everything entered, so the user can try again.
    if (ovReportCommit(*finish, result.ok(), result.ok() ? std::string() : result.reason()))
        reset(*app_.navigator);
}

void ovContactSystem::reset(ovNavigator&) {
    for (ovKeyboardInput* keyboard :
         {nameKeyboard, emailKeyboard, faxKeyboard, workKeyboard, mobileKeyboard, homeKeyboard})
        keyboard->inputText.clear();
    mobileChoice->label = kMobileLabel;
    workChoice->label = kWorkLabel;
    homeChoice->label = kHomeLabel;
    faxChoice->label = kFaxLabel;
    emailChoice->label = kEmailLabel;
}
