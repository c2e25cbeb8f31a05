#pragma once
// Owns the two board pictures every keyboard shares.
#include "base/ovSingleton.h"
#include "shell/ovModule.h"

struct ovBitmap;

class ovKeyboardInputSystem : public ovSingleton<ovKeyboardInputSystem>, public ovModule {
public:
    ovKeyboardInputSystem();
    ~ovKeyboardInputSystem() override;
    ovKeyboardInputSystem(const ovKeyboardInputSystem&) = delete;
    ovKeyboardInputSystem& operator=(const ovKeyboardInputSystem&) = delete;

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float delta, float total) override {}
    void init() override {}

    ovBitmap* letterBoard = nullptr;
    ovBitmap* numberBoard = nullptr;

private:
};
