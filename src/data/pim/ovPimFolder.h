#pragma once
// One of the store's folders: the calendar (9), the contacts (10) or the tasks (13).
// Besides the whole collection, the calendar and the contacts offer narrowed
// collections that the store answers from its indexes; each holds at least every item
// the caller's own exact test would accept, in the folder's order.
#include "data/pim/ovPimCode.h"
#include "data/pim/ovPimItems.h"

#include <memory>
#include <string_view>

class ovPimStore;

class ovPimFolder {
public:
    ovPimFolder(std::weak_ptr<ovPimStore> store, int folderId)
        : store_(std::move(store)), folderId_(folderId) {}

    int folderId() const { return folderId_; }

    // Every item: the calendar by ascending start, the contacts by file-as name, the
    // tasks in the order they were added.
    ovResult<> items(std::unique_ptr<ovPimItems>& out) const;
    // Calendar only: the appointments that overlap from..to, edges included (for from
    // after to, those that overlap to..from).
    // A repeating series comes as its instances there.
    ovResult<> itemsOverlapping(double from, double to, std::unique_ptr<ovPimItems>& out) const;
    // Calendar only: just the instances of repeating series among them.
    ovResult<> occurrencesOverlapping(double from, double to, std::unique_ptr<ovPimItems>& out) const;
    // Contacts only: the contacts whose file-as name or first name begins with the text
    // in any letter case.
    ovResult<> itemsWithNamePrefix(std::u16string_view text, std::unique_ptr<ovPimItems>& out) const;

private:
    ovResult<> lockStore(std::shared_ptr<ovPimStore>& out) const;
    ovResult<> calendarRange(double from, double to, bool onlyOccurrences,
                             std::unique_ptr<ovPimItems>& out) const;

    std::weak_ptr<ovPimStore> store_;
    int folderId_;
};
