#include "shell/ovErrorBox.h"

#include "system/ovSystem.h"

void showErrorBox(ovSystem& system, std::string_view reason) {
    system.messageBox(reason, "Error");
}
