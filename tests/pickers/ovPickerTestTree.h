#pragma once
// A small program for picker tests: a plain home node, a step node that passes
// straight into the first picker, and whatever the test hangs below, every node owned
// by a recording owner, as a wizard root would own them.
#include "support/ovTestProgram.h"

#include <functional>
#include <memory>
#include <string>

struct ovPickerTestTree {
    ovHyperNode* home = nullptr;
    ovHyperNode* step = nullptr;
    ovRecordingOwner* owner = nullptr;
};

class ovPickerTestProgram {
public:
    using Builder = std::function<void(ovApp&, ovPickerTestTree&)>;

    ovPickerTestProgram(ovAssembly::ModuleFactory module, Builder build, int width = 240, int height = 320) {
        assembly_.modules.push_back(std::move(module));
        assembly_.buildTree = [this, build](ovApp& app) {
            ovNavigator& nav = *app.navigator;
            tree.owner = app.makeNode<ovRecordingOwner>();
            tree.home = plain(app, u"Home", 5);
            nav.addChild(&nav.root, tree.home);
            nav.buildOwner = tree.owner;
            tree.step = plain(app, u"Step", 10);
            nav.addChild(tree.home, tree.step);
            build(app, tree);
            nav.buildOwner = &nav.root;
        };
        program = std::make_unique<ovTestProgram>(assembly_, width, height);
        // Start on the step, as a wizard would have entered it; the next tick passes
        // into its only child.
        program->nav().current = tree.step;
        program->run("wait 20");
        tree.owner->finishedNodes.clear();
    }

    static ovHyperNode* plain(ovApp& app, const std::u16string& label, int id) {
        ovHyperNode* node = app.makeNode<ovHyperNode>();
        node->x = node->y = 0;
        node->valid = 1;
        node->nodeId = id;
        node->label = label;
        return node;
    }
    template <class T> static T* picker(ovApp& app, const std::u16string& label, int id, int tag) {
        T* node = app.makeNode<T>();
        node->x = node->y = 0;
        node->valid = 1;
        node->nodeId = id;
        node->label = label;
        node->tag = tag;
        return node;
    }

    void tap(ovPoint p) { program->run("tap " + std::to_string(p.x) + " " + std::to_string(p.y)); }
    static ovPoint centre(const ovRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    ovHyperNode* current() { return program->nav().current; }

    ovPickerTestTree tree;
    std::unique_ptr<ovTestProgram> program;

private:
    ovAssembly assembly_;
};
