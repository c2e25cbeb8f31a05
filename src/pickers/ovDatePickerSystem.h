#pragma once
// The date picker's module: the month bar and back button pictures.
#include "base/ovSingleton.h"
#include "shell/ovModule.h"

struct ovBitmap;
class ovApp;

class ovDatePickerSystem : public ovSingleton<ovDatePickerSystem>, public ovModule {
public:
    explicit ovDatePickerSystem(ovApp& app);
    ~ovDatePickerSystem() override;
    ovDatePickerSystem(const ovDatePickerSystem&) = delete;
    ovDatePickerSystem& operator=(const ovDatePickerSystem&) = delete;

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float, float) override {}
    void init() override {}

    ovBitmap* monthBar = nullptr;
    ovBitmap* backButton = nullptr;

private:
    ovApp& app_;
};
