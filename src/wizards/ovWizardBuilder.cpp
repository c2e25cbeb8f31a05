#include "wizards/ovWizardBuilder.h"

#include "pickers/ovInfoDisplay.h"
#include "shell/ovNavigator.h"
#include "system/ovUtf.h"

ovWizardBuilder::ovWizardBuilder(ovApp& app, ovHyperNode& root, int firstId, std::u16string_view label)
    : app_(app), nextId_(firstId) {
    app_.navigator->buildOwner = &root;
    setUp(root, label, 0);
}

ovWizardBuilder::~ovWizardBuilder() {
    ovNavigator& nav = *app_.navigator;
    nav.buildOwner = &nav.root;
}

void ovWizardBuilder::setUp(ovHyperNode& node, std::u16string_view label, int tag) {
    node.x = 0;
    node.y = 0;
    node.label = label;
    node.tag = tag;
    node.nodeId = nextId_++;
    node.parent = nullptr;
    node.valid = 1;
}

void ovWizardBuilder::attach(ovHyperNode* parent, ovHyperNode* child) {
    app_.navigator->addChild(parent, child);
}

bool ovReportCommit(ovInfoDisplay& display, bool saved, const std::string& reason) {
    if (saved)
        return true;
    std::u16string text = ovToUtf16(reason);
    if (!text.empty() && text[0] >= u'a' && text[0] <= u'z')
        text[0] = static_cast<char16_t>(text[0] - u'a' + u'A');
    text += u"\n\nWhat you entered is kept. Tap the screen to return to the Home screen.";
    display.showFailure(text);
    return false;
}
