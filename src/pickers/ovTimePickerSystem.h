#pragma once
// The time picker's module: the seven pictures every time picker shares.
#include "base/ovSingleton.h"
#include "shell/ovModule.h"

struct ovBitmap;
class ovApp;

class ovTimePickerSystem : public ovSingleton<ovTimePickerSystem>, public ovModule {
public:
    explicit ovTimePickerSystem(ovApp& app);
    ~ovTimePickerSystem() override;
    ovTimePickerSystem(const ovTimePickerSystem&) = delete;
    ovTimePickerSystem& operator=(const ovTimePickerSystem&) = delete;

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float, float) override {}
    void init() override {}

    ovBitmap* timeOfDayBoard = nullptr;
    ovBitmap* durationBoard = nullptr;
    ovBitmap* selectionBox = nullptr;
    ovBitmap* endTimeIcon = nullptr;
    ovBitmap* reminderIcon = nullptr;
    ovBitmap* nextPressed = nullptr;
    ovBitmap* backPressed = nullptr;

private:
    ovApp& app_;
};
