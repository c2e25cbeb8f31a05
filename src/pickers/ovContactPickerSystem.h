#pragma once
// Owns the contact list's background picture.
#include "base/ovSingleton.h"
#include "shell/ovModule.h"

struct ovBitmap;

class ovContactPickerSystem : public ovSingleton<ovContactPickerSystem>, public ovModule {
public:
    ovContactPickerSystem();
    ~ovContactPickerSystem() override;
    ovContactPickerSystem(const ovContactPickerSystem&) = delete;
    ovContactPickerSystem& operator=(const ovContactPickerSystem&) = delete;

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float delta, float total) override {}
    void init() override {}

    ovBitmap* background = nullptr;

private:
};
