#pragma once
// Every folder and file name the program works out: the user's home, config and data
// folders (as the XDG base-directory rules say), the files beside the executable, and
// making folders.
#include "base/ovResult.h"

#include <string>

// What kind of failure making a folder met.
enum class ovPathCode {
    ok,
    nameTooLong, // the name is longer than the system takes
    fileSystem,  // the system refused (a file in the way, no permission, ...)
};

std::string ovHomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
std::string ovUserConfigHome();
// The program's data folder: $XDG_DATA_HOME/orvida when XDG_DATA_HOME is an absolute
// path, otherwise ~/.local/share/orvida.
std::string ovDefaultDataFolder();
// "~/x" and "~" become paths in the home folder; anything else stays as it is.
std::string ovExpandHome(const std::string& path);
// True for an existing regular file.
bool ovFileExists(const std::string& path);

// The folder part of a file name ("." when it has none, "/" for a file in the root).
std::string ovParentFolder(const std::string& file);
// Creates the folder and any missing parents (new ones readable only by the user,
// since they hold personal data). An existing folder is fine.
ovResult<> ovMakeFolders(const std::string& folder);

// The running executable's full file name, read from /proc/self/exe.
std::string ovCurrentExecutableFile();
// The folder of an executable's full file name: everything before the last path
// separator ('/' or '\'), or the whole name when there is none.
std::string ovExecutableFolder(const std::string& executableFile);
// folder + sep + "images" + sep + "wm5" + sep + name, with the separator the
// executable's file name uses.
std::string ovImagePathFor(const std::string& executableFile, const std::string& name);
std::string ovSoundPathFor(const std::string& executableFile, const std::string& name);

// The store file in a data folder.
std::string ovPimStoreFileIn(const std::string& dataFolder);
