#pragma once
// Builds one wizard's tree: numbers its nodes from the wizard's own counter in
// creation order and, while it lives, makes the wizard root the owner of every node
// attached. Every step starts at (0, 0); the staircase layout moves them when shown.
#include "shell/ovApp.h"
#include "shell/ovHyperNode.h"

#include <string>
#include <string_view>

class ovInfoDisplay;

class ovWizardBuilder {
public:
    // Sets the root up as the first node of the wizard and starts owning for it.
    ovWizardBuilder(ovApp& app, ovHyperNode& root, int firstId, std::u16string_view label);
    // Hands ownership of later attachments back to the navigator's root.
    ~ovWizardBuilder();
    ovWizardBuilder(const ovWizardBuilder&) = delete;
    ovWizardBuilder& operator=(const ovWizardBuilder&) = delete;

    // The next step: a plain node unless T says otherwise.
    template <class T = ovHyperNode> T* step(std::u16string_view label, int tag) {
        T* node = app_.makeNode<T>();
        setUp(*node, label, tag);
        return node;
    }
    // A step attached under several parents keeps the last one as its parent, which is
    // where going back leads: the order of these calls matters.
    void attach(ovHyperNode* parent, ovHyperNode* child);

private:
    void setUp(ovHyperNode& node, std::u16string_view label, int tag);

    ovApp& app_;
    int nextId_;
};

// Shows the outcome of a commit on the wizard's info display: nothing to add when the
// item was saved (the display shows its own text), otherwise what was not saved and
// why. Returns `saved`.
bool ovReportCommit(ovInfoDisplay& display, bool saved, const std::string& reason);
