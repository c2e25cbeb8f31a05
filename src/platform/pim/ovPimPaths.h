#pragma once
// Where the store lives: the data folder ($XDG_DATA_HOME/orvida, or
// ~/.local/share/orvida), or the folder given with --data.
#include "platform/pim/ovPimCode.h"

#include <string>

// The XDG data folder of the program. XDG_DATA_HOME counts only when it is an absolute
// path, as the base-directory rules say; otherwise HOME (or the password database)
// gives ~/.local/share.
std::string ovDefaultDataFolder();
// The store file in a data folder.
std::string ovPimStoreFileIn(const std::string& dataFolder);
// Creates the folder and any missing parents (new ones readable only by the user,
// since they hold personal data). An existing folder is fine.
ovResult<> ovMakeFolders(const std::string& folder);
// The folder part of a file name ("." when it has none).
std::string ovParentFolder(const std::string& file);
