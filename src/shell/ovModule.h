#pragma once
// A per-screen module: owns the pictures its screens share.
class ovSystem;

class ovModule {
public:
    virtual ~ovModule() = default;
    // Once for each module, after all modules exist.
    virtual void start() = 0;
    // At the first paint: load the module's shared pictures.
    virtual void loadResources(ovSystem& instance) = 0;
    // On every update, after the touch handling.
    virtual void update(float delta, float total) = 0;
    // Right after the module has been created and listed.
    virtual void init() = 0;
};
