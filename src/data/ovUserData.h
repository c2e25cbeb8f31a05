#pragma once
// The user's data as every part of Orvida opens it: the store, reading repeating
// appointments' rules, and when orvida.conf names
// a vdir, that vdir installed as the store's save hook (so that every save writes its
// item's file) and, when asked, read into the store once. The window, `orvida pim` and
// `orvida remind` all come through here.
#include "base/ovResult.h"
#include "data/vdir/ovVdir.h"

#include <memory>
#include <optional>
#include <string>

class ovPimStore;

struct ovUserData {
    // Null without a [vdir], or when its settings need mending.
    std::shared_ptr<ovVdir> vdir;
    // Why the [vdir] settings were not taken ("FILE:LINE: ..."), or empty.
    std::string settingsProblem;
    // The first sync's outcome, when one ran.
    std::optional<ovResult<ovVdirSyncReport>> synced;
};

// configDir: the --config folder, or empty for the user's own ($XDG_CONFIG_HOME/orvida).
ovUserData ovOpenUserData(ovPimStore& store, const std::string& configDir, bool syncNow);
