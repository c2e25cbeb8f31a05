#pragma once
// Owns the confirmation screen's background picture.
#include "shell/ovModule.h"

struct ovBitmap;

class ovInfoDisplaySystem : public ovModule {
public:
    ovInfoDisplaySystem();
    ~ovInfoDisplaySystem() override;
    ovInfoDisplaySystem(const ovInfoDisplaySystem&) = delete;
    ovInfoDisplaySystem& operator=(const ovInfoDisplaySystem&) = delete;

    static ovInfoDisplaySystem* instance() { return instance_; }

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float delta, float total) override {}
    void init() override {}

    ovBitmap* background = nullptr;

private:
    static ovInfoDisplaySystem* instance_;
};
