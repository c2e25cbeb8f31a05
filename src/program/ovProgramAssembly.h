#pragma once
// Orvida as it ships: its modules in their creation order and its node tree (the home
// screen under the root, the wizard roots under the home screen).
#include "shell/ovAssembly.h"

ovAssembly ovProgramAssembly();

// Node id of the home screen.
constexpr int ovHomeScreenId = 5;
