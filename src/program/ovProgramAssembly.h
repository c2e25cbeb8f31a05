#pragma once
// Orvida as it ships: its modules in their creation order and its node tree (the home
// screen under the root, the wizard roots under the home screen).
#include "home/ovHomeScreen.h"
#include "shell/ovAssembly.h"

ovAssembly ovProgramAssembly();
