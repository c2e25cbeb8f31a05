#pragma once
// Where the user's settings live: $XDG_CONFIG_HOME when it is an absolute path,
// otherwise ~/.config, as the base-directory rules say.
#include <string>
#include <vector>

std::string ovHomeFolder();
std::string ovUserConfigHome();
// "~/x" and "~" become paths in the home folder; anything else stays as it is.
std::string ovExpandHome(const std::string& path);
bool ovFileExists(const std::string& path);

// Reads a settings file whole. False when there is nothing to read: a missing file adds
// no problem; one that cannot be read, or is larger than any settings file should be,
// adds "FILE: why" (kind names what it should have been, e.g. "an msmtp configuration").
bool ovReadSettingsFile(const std::string& file, const char* kind, std::string& text,
                        std::vector<std::string>& problems);
