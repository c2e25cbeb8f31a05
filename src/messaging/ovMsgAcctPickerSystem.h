#pragma once
// The account picker's module: it loads the list background, the same picture the
// contact picker shows, once for the whole program.
#include "shell/ovModule.h"

struct ovBitmap;
class ovApp;

class ovMsgAcctPickerSystem : public ovModule {
public:
    explicit ovMsgAcctPickerSystem(ovApp& app);
    ~ovMsgAcctPickerSystem() override;
    static ovMsgAcctPickerSystem* instance();

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float delta, float total) override {}
    void init() override {}

    ovBitmap* background = nullptr;

private:
    ovApp& app_;
};
