#include "program/ovProgramAssembly.h"

#include "home/ovHomeScreen.h"
#include "home/ovHomeScreenSystem.h"
#include "home/ovHyperBar.h"
#include "home/ovTextField.h"
#include "shell/ovApp.h"

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
    // The wizard roots go under the home screen here, in the order appointment, task,
    // contact, message.
}

template <class T> ovAssembly::ModuleFactory module() {
    return [](ovApp& app) -> std::unique_ptr<ovModule> { return std::make_unique<T>(app); };
}
} // namespace

ovAssembly ovProgramAssembly() {
    ovAssembly assembly;
    // The modules, in the order they are created, listed and started.
    // 1 ovTimePickerSystem
    // 2 ovKeyboardInputSystem
    // 3 ovDatePickerSystem
    assembly.modules.push_back(module<ovHyperBar>());
    // 5 ovContactPickerSystem
    // 6 ovMsgAcctPickerSystem
    // 7 ovInfoDisplaySystem
    assembly.modules.push_back(module<ovHomeScreenSystem>());
    assembly.buildTree = buildTree;
    return assembly;
}
