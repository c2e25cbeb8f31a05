#include "ovErrorBox.h"

#include "ovSystem.h"

void showErrorBox(ovSystem& system, std::string_view reason) {
    system.messageBox(reason, "Error");
}
