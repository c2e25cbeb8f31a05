#pragma once
// The plug-in bar: two large buttons on the bottom edge of the screen, the left one
// opening the device status panel, the right one the calculator. It sees every touch
// before the current node and draws itself after it.
#include "base/ovSingleton.h"
#include "home/ovHyperBarPlugin.h"
#include "shell/ovApp.h"
#include "shell/ovModule.h"

#include <memory>

struct ovBitmap;

class ovHyperBar final : public ovSingleton<ovHyperBar>, public ovModule, public ovPlugInBar {
public:
    // Creates both plug-ins and registers itself as the application's bar.
    explicit ovHyperBar(ovApp& app);
    ~ovHyperBar() override;

    ovRect buttonRect[2];
    bool loaded = false;
    ovHyperBarPlugin* plugins[2] = {};
    // The plug-in opened last; it stays set after closing and counts only while open.
    ovHyperBarPlugin* openPlugin = nullptr;
    int openIndex = 0;
    int state = 0; // 0 closed, 1 open
    ovBitmap* buttonImage[2] = {};
    ovBitmap* buttonDownImage[2] = {};
    bool buttonPressed[2] = {};

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float, float) override {}
    void init() override {}

    // The buttons on the bottom edge when closed, on the open panel's top edge when open.
    void layoutButtons();
    bool handleTouch() override;
    void closePlugin();
    void drawBar(ovCanvas& dc) override;
    bool plugInCoversScreen() const override {
        return state == 1 && openPlugin != nullptr && openPlugin->modal;
    }
    int barState() const override { return state; }
    int barOpenIndex() const override { return openIndex; }

    // Hidden over full-screen nodes that do not ask for the bar (the pickers).
    bool visible() const;

private:
    ovApp& app_;
    std::unique_ptr<ovHyperBarPlugin> owned_[2];
};
