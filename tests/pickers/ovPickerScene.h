#pragma once
// A small program for driving one picker through touches: the root, a stand-in home
// node (id 5), and below it whatever tree the test builds, owned by a recording owner.
// Each test process gets a fresh store.
#include "shell/ovScreenGeometry.h"
#include "support/ovTestProgram.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

class ovPickerScene {
public:
    using Builder = std::function<void(ovApp&, ovHyperNode* home, ovRecordingOwner* owner)>;

    ovPickerScene(std::vector<ovAssembly::ModuleFactory> modules, Builder build, int width = 240,
                  int height = 320) {
        // The test program keeps its store per process; start each scene from an empty one.
        const auto folder =
            std::filesystem::temp_directory_path() / ("orvida-test-" + std::to_string(getpid()));
        for (const char* name : {"orvida.sqlite", "orvida.sqlite-wal", "orvida.sqlite-shm"})
            std::filesystem::remove(folder / name);
        assembly_.modules = std::move(modules);
        assembly_.buildTree = [this, build](ovApp& app) {
            ovNavigator& nav = *app.navigator;
            home_ = makeNode(app, u"Home Screen", ovHomeScreenId);
            nav.addChild(&nav.root, home_);
            owner_ = app.makeNode<ovRecordingOwner>();
            nav.buildOwner = owner_;
            build(app, home_, owner_);
            nav.buildOwner = &nav.root;
        };
        program_ = std::make_unique<ovTestProgram>(assembly_, width, height);
        program_->run("wait 10"); // the first tick passes from the root into the home node
    }

    static ovHyperNode* makeNode(ovApp& app, const std::u16string& label, int id, int tag = 0) {
        ovHyperNode* node = app.makeNode<ovHyperNode>();
        node->x = node->y = 0;
        node->valid = 1;
        node->nodeId = id;
        node->label = label;
        node->tag = tag;
        return node;
    }
    template <class T> static T* makePicker(ovApp& app, const std::u16string& label, int id, int tag = 0) {
        T* node = app.makeNode<T>();
        node->x = node->y = 0;
        node->valid = 1;
        node->nodeId = id;
        node->label = label;
        node->tag = tag;
        return node;
    }

    ovTestProgram& p() { return *program_; }
    ovNavigator& nav() { return program_->nav(); }
    ovApp& app() { return program_->app(); }
    ovHyperNode* home() const { return home_; }
    ovRecordingOwner* owner() const { return owner_; }
    // Shows a node as the current one, as if it had just been entered.
    void show(ovHyperNode* node) {
        nav().current = node;
        app().needsRepaint = true;
        program_->run("wait 10");
    }
    // A tap at a point given as fractions of the screen rectangle.
    void tapAt(float fx, float fy) {
        const ovRect& r = app().screenRect;
        program_->run("tap " + std::to_string(ovFracOf(r.right, fx)) + " " +
                      std::to_string(ovFracOf(r.bottom, fy)));
    }

private:
    ovAssembly assembly_;
    std::unique_ptr<ovTestProgram> program_;
    ovHyperNode* home_ = nullptr;
    ovRecordingOwner* owner_ = nullptr;
};
