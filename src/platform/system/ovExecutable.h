#pragma once
#include <string>

// The running executable's full file name, read from /proc/self/exe.
std::string ovCurrentExecutableFile();
