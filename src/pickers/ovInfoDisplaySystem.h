#pragma once
// Owns the confirmation screen's background picture.
#include "base/ovSingleton.h"
#include "shell/ovModule.h"

struct ovBitmap;

class ovInfoDisplaySystem : public ovSingleton<ovInfoDisplaySystem>, public ovModule {
public:
    ovInfoDisplaySystem();
    ~ovInfoDisplaySystem() override;
    ovInfoDisplaySystem(const ovInfoDisplaySystem&) = delete;
    ovInfoDisplaySystem& operator=(const ovInfoDisplaySystem&) = delete;

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float delta, float total) override {}
    void init() override {}

    ovBitmap* background = nullptr;

private:
};
