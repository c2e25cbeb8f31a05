#include "data/ovUserData.h"

#include "data/formats/ovOccurrencesSource.h"
#include "data/pim/ovPimStore.h"

ovUserData ovOpenUserData(ovPimStore& store, const std::string& configDir, bool syncNow) {
    ovUserData data;
    // Before the vdir is read: the files it brings in are read for their rules as they come.
    store.setOccurrenceSource(std::make_shared<ovOccurrencesSource>());
    ovResult<std::shared_ptr<ovVdir>> opened = ovVdirFromConfig(configDir);
    if (!opened) {
        data.settingsProblem = opened.reason();
        return data;
    }
    data.vdir = opened.take();
    if (!data.vdir)
        return data;
    store.setSaveHook(data.vdir);
    if (syncNow)
        data.synced = data.vdir->sync(store);
    return data;
}
