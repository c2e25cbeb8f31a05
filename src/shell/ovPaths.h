#pragma once
// Files beside the executable: pictures in images/wm5, sounds in sounds.
#include <string>

// The folder of an executable's full file name: everything before the last path
// separator ('/' or '\'), or the whole name when there is none.
std::string ovExecutableFolder(const std::string& executableFile);
// folder + sep + "images" + sep + "wm5" + sep + name, with the separator the
// executable's file name uses.
std::string ovImagePathFor(const std::string& executableFile, const std::string& name);
std::string ovSoundPathFor(const std::string& executableFile, const std::string& name);

// The same for the running program (the application's system services). Each call
// returns its own string, so an earlier result stays valid.
std::string imagePath(const std::string& name);
std::string soundPath(const std::string& name);
