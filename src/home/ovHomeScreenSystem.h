#pragma once
// The home screen's module: owns the background and the four pressed-button pictures.
#include "base/ovSingleton.h"
#include "shell/ovModule.h"

class ovApp;
struct ovBitmap;

class ovHomeScreenSystem final : public ovSingleton<ovHomeScreenSystem>, public ovModule {
public:
    explicit ovHomeScreenSystem(ovApp& app);
    ~ovHomeScreenSystem() override;

    ovBitmap* homeBackground = nullptr;
    ovBitmap* contactPressedImage = nullptr;
    ovBitmap* messagePressedImage = nullptr;
    ovBitmap* appointmentPressedImage = nullptr;
    ovBitmap* taskPressedImage = nullptr;

    void start() override {}
    void loadResources(ovSystem& instance) override;
    void update(float, float) override {}
    void init() override {}

private:
    ovApp& app_;
};
