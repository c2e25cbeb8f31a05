#pragma once
// Where the user's settings live: $XDG_CONFIG_HOME when it is an absolute path,
// otherwise ~/.config, as the base-directory rules say.
#include <string>

std::string ovHomeFolder();
std::string ovUserConfigHome();
// "~/x" and "~" become paths in the home folder; anything else stays as it is.
std::string ovExpandHome(const std::string& path);
bool ovFileExists(const std::string& path);
