#pragma once
// The running program's pictures and sounds, beside its executable.
#include "system/ovPaths.h"

#include <string>

// Each call returns its own string, so an earlier result stays valid.
std::string imagePath(const std::string& name);
std::string soundPath(const std::string& name);
