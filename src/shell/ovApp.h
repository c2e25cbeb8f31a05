#pragma once
// The application object: navigation state, pictures, the latest touch, the module
// list and the per-tick update that the window's timer and pointer messages drive.
#include "base/ovOwningList.h"
#include "base/ovPtrArray.h"
#include "gfx/ovGeometry.h"
#include "shell/ovAssembly.h"
#include "shell/ovBitmapStore.h"
#include "shell/ovModule.h"
#include "shell/ovNavigator.h"
#include "shell/ovTouchState.h"

#include <memory>
#include <vector>

class ovCanvas;
class ovFontSet;
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
    // For the headless state line: 0 closed, 1 open, and the button of the open plug-in.
    virtual int barState() const = 0;
    virtual int barOpenIndex() const = 0;
};

// The window the application repaints when something changed.
class ovAppWindow {
public:
    virtual ~ovAppWindow() = default;
    // Paint the whole window now, before returning.
    virtual void repaintNow() = 0;
};

class ovApp {
    // Declared first: moduleList below shows this list.
    ovOwningList<ovModule> modules_;

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

    // The system bars above and below the window take this share of the larger screen side.
    static constexpr float reservedShare = 0.1625f;
    // A press held longer than this returns to the home screen.
    static constexpr float longPressSeconds = 1.3f;

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
    // The modules in creation order; the application owns them.
    const ovPtrArray<ovModule>& moduleList = modules_.items();
    ovPlugInBar* hyperBar = nullptr;

    // False, after the message box, when the screen is wider than tall; the program
    // must then end with exit code 1.
    bool orientationCheck();
    bool landscapeRefused() const { return landscapeRefused_; }
    void update(float delta, float total);
    // Does its work on the first call only. The back buffer starts with the font set's
    // regular 12 selected.
    void loadOnFirstPaint(ovSystem& instance, const ovFontSet& fonts);
    void drawFrame(ovCanvas& dc);

    ovBackBuffer& backBuffer() { return *backBuffer_; }
    void setWindow(ovAppWindow* window) { window_ = window; }

    // Nodes live as long as the application; this keeps them. A new node is centred
    // with the short button size of this moment, as every node is when it is made.
    template <class T, class... Args> T* makeNode(Args&&... args) {
        auto node = std::make_unique<T>(std::forward<Args>(args)...);
        centreNode(*node);
        return nodes_.add(std::move(node));
    }
    void centreNode(ovHyperNode& node) const;
    ovSystem& system() { return system_; }

    // The click sound, when sounds are on: a released tap, a fired reminder.
    void playClick();

    // Frames drawn and click sounds started, for scripts and tests.
    int repaintCount = 0;
    int clickCount = 0;

private:
    void stepTouchPhase();
    void fireLongPress();
    void addModule(std::unique_ptr<ovModule> module);

    ovSystem& system_;
    ovAppWindow* window_ = nullptr;
    bool landscapeRefused_ = false;
    std::unique_ptr<ovBackBuffer> backBuffer_;
    ovAssembly::PictureSource displayPictures_;
    std::function<void()> afterFirstFrame_;
    ovOwningList<ovHyperNode> nodes_;
    static ovApp* instance_;
};
