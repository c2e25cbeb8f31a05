#include "program/ovProgramAssembly.h"

#include "home/ovHomeScreen.h"
#include "home/ovHomeScreenSystem.h"
#include "home/ovHyperBar.h"
#include "home/ovTextField.h"
#include "messaging/ovMsgAcctPickerSystem.h"
#include "pickers/ovContactPickerSystem.h"
#include "pickers/ovDatePickerSystem.h"
#include "pickers/ovInfoDisplaySystem.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "pickers/ovTimePickerSystem.h"
#include "pictures/ovDisplayPictures.h"
#include "pictures/ovPictureCache.h"
#include "shell/ovApp.h"
#include "wizards/ovAppointmentSystem.h"
#include "wizards/ovContactSystem.h"
#include "wizards/ovMessagingSystem.h"
#include "wizards/ovTaskSystem.h"

#include <cstdio>

namespace {
void buildTree(ovApp& app) {
    ovNavigator& nav = *app.navigator;
    ovHomeScreen* home = app.makeNode<ovHomeScreen>();
    home->x = 0;
    home->y = 0;
    ovSetField(home->label, u"Home Screen");
    home->nodeId = ovHomeScreenId;
    home->valid = 1;
    home->parent = nullptr;
    home->tag = 0;
    nav.addChild(&nav.root, home);
    // Each wizard builds its tree owned by its root; the roots go under the home screen
    // in the order appointment, task, contact, message.
    nav.addChild(home, ovAppointmentSystem::create(app));
    nav.addChild(home, ovTaskSystem::create(app));
    nav.addChild(home, ovContactSystem::create(app));
    nav.addChild(home, ovMessagingSystem::create(app));
}

// The pictures drawn for the screen, kept in the user's cache: each drawn when the
// program first needs it, or before on a thread beside it, which ends with the bitmap
// store that holds it. When they cannot be had the program says why on standard
// error and shows the pictures it ships with. The stamp names the version and the
// digest of the drawing's sources, so a set drawn by an older drawing of the same
// version is drawn again.
ovAssembly::DisplayPictures displayPictures(int width, int height) {
    ovResult<std::unique_ptr<ovDisplayPictures>> opened = ovDisplayPictures::open(
        ovPictureCacheRoot(), {width, height}, "orvida " ORVIDA_VERSION " pictures " ORVIDA_PICTURES_DIGEST);
    if (!opened) {
        std::fprintf(stderr, "orvida: %s; showing the shipped pictures\n", opened.reason().c_str());
        return {};
    }
    std::shared_ptr<ovDisplayPictures> pictures = opened.take();
    // What the first frames show (the background, the node buttons and the hyper bar's,
    // then the home screen) is drawn beside the program's own start, which waits for a
    // picture only when it needs it before it is done, and draws it itself when the
    // thread has not started on it.
    pictures->drawBeside({"background.bmp", "nodeStart.bmp", "nodeFocus.bmp", "backButton.bmp",
                          "HyperbarPlugin1.bmp", "HyperbarPlugin2.bmp", "homeScreen.bmp"});
    return {pictures->folder(), [pictures](const std::string& name) { return pictures->draw(name); },
            [pictures] { pictures->stayBehind(); }};
}

template <class T> ovAssembly::ModuleFactory module() {
    return [](ovApp& app) -> std::unique_ptr<ovModule> { return std::make_unique<T>(app); };
}
} // namespace

ovAssembly ovProgramAssembly() {
    ovAssembly assembly;
    // The modules, in the order they are created, listed and started.
    assembly.modules.push_back([](ovApp& app) { return std::make_unique<ovTimePickerSystem>(app); });
    assembly.modules.push_back([](ovApp&) { return std::make_unique<ovKeyboardInputSystem>(); });
    assembly.modules.push_back([](ovApp& app) { return std::make_unique<ovDatePickerSystem>(app); });
    assembly.modules.push_back(module<ovHyperBar>());
    assembly.modules.push_back([](ovApp&) { return std::make_unique<ovContactPickerSystem>(); });
    assembly.modules.push_back([](ovApp& app) { return std::make_unique<ovMsgAcctPickerSystem>(app); });
    assembly.modules.push_back([](ovApp&) { return std::make_unique<ovInfoDisplaySystem>(); });
    assembly.modules.push_back(module<ovHomeScreenSystem>());
    assembly.buildTree = buildTree;
    assembly.displayPictures = displayPictures;
    return assembly;
}
