#pragma once
#include <string_view>

class ovSystem;

// Tells the user about a failure: the reason in a message box captioned "Error".
void showErrorBox(ovSystem& system, std::string_view reason);
