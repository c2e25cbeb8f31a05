#pragma once
// The application object: navigation state, pictures, the latest touch, the module
// list and the per-tick update that the window's timer and pointer messages drive.
#include "base/ovPtrArray.h"
#include "platform/gfx/ovGeometry.h"
#include "shell/ovAssembly.h"
#include "shell/ovBitmapStore.h"
#include "shell/ovModule.h"
#include "shell/ovNavigator.h"
#include "shell/ovTouchState.h"

#include <memory>
#include <vector>

class ovCanvas;
class ovSystem;
class ovBackBuffer;

// What the application asks of the plug-in bar drawn over its screens.
class ovPlugInBar {
public:
    virtual ~ovPlugInBar() = default;
    // True when the touch is left to the node tree, false when the bar took it.
    virtual bool handleTouch() = 0;
    virtual bool plugInCoversScreen() const = 0;
    virtual void drawBar(ovCanvas& dc) = 0;
};

// The window the application repaints when something changed.
class ovAppWindow {
public:
    virtual ~ovAppWindow() = default;
    // Paint the whole window now, before returning.
    virtual void repaintNow() = 0;
};

class ovApp {
public:
    // Checks the orientation, creates the assembly's modules and runs its tree builder.
    // Loads no picture. A landscape screen is refused with the message box and nothing
    // more is made: the entry point sees landscapeRefused() and ends the program.
    ovApp(ovSystem& system, const ovAssembly& assembly);
    ~ovApp();
    ovApp(const ovApp&) = delete;
    ovApp& operator=(const ovApp&) = delete;

    // The one application object of the running program.
    static ovApp* instance() { return instance_; }

    ovSystem* moduleInstance = nullptr;
    ovBitmapStore bitmaps;
    ovBitmap* background = nullptr;
    ovRect screenRect;
    bool resourcesLoaded = false;
    float totalTime = 0.0f;
    float deltaTime = 0.0f;
    ovTouchState touch;
    bool needsRepaint = false;
    std::unique_ptr<ovNavigator> navigator;
    bool longPressArmed = false;
    float pressTime = 0.0f;

    int screenWidth = 0;
    int screenHeight = 0;
    int reservedHeight = 0;
    bool soundsOn = true;
    bool suppressClick = false;
    ovPtrArray<ovModule> moduleList;
    ovPlugInBar* hyperBar = nullptr;

    // False, after the message box, when the screen is wider than tall; the program
    // must then end with exit code 1.
    bool orientationCheck();
    bool landscapeRefused() const { return landscapeRefused_; }
    void update(float delta, float total);
    // Does its work on the first call only.
    void loadOnFirstPaint(ovSystem& instance);
    void drawFrame(ovCanvas& dc);

    ovBackBuffer& backBuffer() { return *backBuffer_; }
    void setWindow(ovAppWindow* window) { window_ = window; }

    // Nodes live as long as the application; this keeps them. A new node is centred
    // with the short button size of this moment, as every node is when it is made.
    template <class T, class... Args> T* makeNode(Args&&... args) {
        auto node = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = node.get();
        centreNode(*raw);
        nodes_.push_back(std::move(node));
        return raw;
    }
    void centreNode(ovHyperNode& node) const;
    ovSystem& system() { return system_; }

    // Frames drawn and click sounds started, for scripts and tests.
    int repaintCount = 0;
    int clickCount = 0;

private:
    void stepTouchPhase();
    void playClick();
    void fireLongPress();
    void addModule(std::unique_ptr<ovModule> module);

    ovSystem& system_;
    ovAppWindow* window_ = nullptr;
    bool landscapeRefused_ = false;
    std::unique_ptr<ovBackBuffer> backBuffer_;
    std::vector<std::unique_ptr<ovHyperNode>> nodes_;
    std::vector<std::unique_ptr<ovModule>> modules_;
    static ovApp* instance_;
};
