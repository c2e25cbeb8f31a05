#pragma once
// Owns the two board pictures every keyboard shares.
#include "shell/ovModule.h"

struct ovBitmap;

class ovKeyboardInputSystem : public ovModule {
public:
    ovKeyboardInputSystem();
    ~ovKeyboardInputSystem() override;
    ovKeyboardInputSystem(const ovKeyboardInputSystem&) = delete;
    ovKeyboardInputSystem& operator=(const ovKeyboardInputSystem&) = delete;

    static ovKeyboardInputSystem* instance() { return instance_; }

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float delta, float total) override {}
    void init() override {}

    ovBitmap* letterBoard = nullptr;
    ovBitmap* numberBoard = nullptr;

private:
    static ovKeyboardInputSystem* instance_;
};
