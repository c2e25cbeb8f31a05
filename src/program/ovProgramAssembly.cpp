#include "program/ovProgramAssembly.h"

#include "messaging/ovMsgAcctPickerSystem.h"
#include "shell/ovApp.h"

namespace {
void buildTree(ovApp& app) {
    ovNavigator& nav = *app.navigator;
    // Until the home screen exists, a plain node stands in for it.
    ovHyperNode* home = app.makeNode<ovHyperNode>();
    home->x = 0;
    home->y = 0;
    home->label = u"Home Screen";
    home->nodeId = ovHomeScreenId;
    home->valid = 1;
    home->parent = nullptr;
    home->tag = 0;
    nav.addChild(&nav.root, home);
}
} // namespace

ovAssembly ovProgramAssembly() {
    ovAssembly assembly;
    // The modules, in the order they are created, listed and started.
    // 6: the message account picker.
    assembly.modules.push_back([](ovApp& app) { return std::make_unique<ovMsgAcctPickerSystem>(app); });
    assembly.buildTree = buildTree;
    return assembly;
}
