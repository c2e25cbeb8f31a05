#pragma once
// What a store tells before it commits a change, so that a copy of the items kept
// elsewhere (a folder of iCalendar and vCard files) changes with it or the change fails.
#include "data/pim/ovPimCode.h"
#include "data/pim/ovPimItem.h"

#include <cstdint>

class ovPimStore;

class ovPimSaveHook {
public:
    virtual ~ovPimSaveHook() = default;
    // Called by the store inside every save, after the item has its uid and its id and
    // before the store's transaction commits; a failure aborts the save (nothing written
    // to the store) and is the save's result.
    virtual ovResult<> beforeSave(ovPimStore& store, const ovPimItem& item) = 0;
    // Called by removeItem the same way, after the item's rows are deleted (all but its
    // vdir_files row, which still names its file) and before the deletion commits.
    virtual ovResult<> beforeRemove(ovPimStore& store, ovPimItemType kind, int64_t id) = 0;
};
