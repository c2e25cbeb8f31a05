#include "data/pim/ovPimFolder.h"

#include "data/pim/ovPimItem.h"
#include "data/pim/ovPimStore.h"

#include <algorithm>
#include <string>

ovResult<> ovPimFolder::lockStore(std::shared_ptr<ovPimStore>& out) const {
    out = store_.lock();
    if (!out)
        return ovFail(ovPimCode::noStore, "the store is closed");
    return ovResult<>::success();
}

ovResult<> ovPimFolder::items(std::unique_ptr<ovPimItems>& out) const {
    out.reset();
    std::shared_ptr<ovPimStore> store;
    if (ovResult<> r = lockStore(store); !r)
        return r;
    ovPimStore::ItemList list;
    ovResult<> r;
    switch (folderId_) {
    case ovPimFolderCalendar:
        r = store->appointments(list);
        break;
    case ovPimFolderContacts:
        r = store->contacts(list);
        break;
    case ovPimFolderTasks:
        r = store->tasks(list);
        break;
    default:
        return ovFail(ovPimCode::invalidArgument, "there is no folder " + std::to_string(folderId_));
    }
    if (r)
        out = std::make_unique<ovPimItems>(std::move(list));
    return r;
}

ovResult<> ovPimFolder::itemsOverlapping(double from, double to, std::unique_ptr<ovPimItems>& out) const {
    return calendarRange(from, to, false, out);
}

ovResult<> ovPimFolder::occurrencesOverlapping(double from, double to,
                                               std::unique_ptr<ovPimItems>& out) const {
    return calendarRange(from, to, true, out);
}

ovResult<> ovPimFolder::calendarRange(double from, double to, bool onlyOccurrences,
                                      std::unique_ptr<ovPimItems>& out) const {
    out.reset();
    if (folderId_ != ovPimFolderCalendar)
        return ovFail(ovPimCode::invalidArgument, "only the calendar has appointments");
    std::shared_ptr<ovPimStore> store;
    if (ovResult<> r = lockStore(store); !r)
        return r;
    ovPimStore::ItemList list;
    const double a = std::min(from, to), b = std::max(from, to);
    ovResult<> r = onlyOccurrences ? store->occurrencesOverlapping(a, b, list)
                                   : store->appointmentsOverlapping(a, b, list);
    if (r)
        out = std::make_unique<ovPimItems>(std::move(list));
    return r;
}

ovResult<> ovPimFolder::itemsWithNamePrefix(std::u16string_view text,
                                            std::unique_ptr<ovPimItems>& out) const {
    out.reset();
    if (folderId_ != ovPimFolderContacts)
        return ovFail(ovPimCode::invalidArgument, "only the contacts folder has names");
    std::shared_ptr<ovPimStore> store;
    if (ovResult<> r = lockStore(store); !r)
        return r;
    ovPimStore::ItemList list;
    ovResult<> r = store->contactsWithNamePrefix(text, list);
    if (r)
        out = std::make_unique<ovPimItems>(std::move(list));
    return r;
}
