#pragma once
// A collection of store items, numbered from 1. It is a snapshot: items saved after it
// was taken do not appear in it.
#include "data/pim/ovPimItem.h"

#include <memory>
#include <vector>

class ovPimItems {
public:
    explicit ovPimItems(std::vector<std::unique_ptr<ovPimItem>> items) : items_(std::move(items)) {}

    int count() const { return static_cast<int>(items_.size()); }
    // A copy of the item at index 1..count that the caller owns, or null outside.
    std::unique_ptr<ovPimItem> item(int index) const;
    // The same as the kind T, or null when the item is of another kind.
    template <class T> std::unique_ptr<T> itemAs(int index) const {
        const T* found = ovPimItemCast<T>(peek(index));
        return found != nullptr ? std::make_unique<T>(*found) : nullptr;
    }
    // The collection's own item, valid while the collection lives; null outside 1..count.
    const ovPimItem* peek(int index) const;
    // Hands the collection's own item to the caller, which saves a copy when a whole
    // collection is kept (the calendar cache); the index then holds nothing.
    std::unique_ptr<ovPimItem> take(int index);
    template <class T> std::unique_ptr<T> takeAs(int index) {
        if (ovPimItemCast<T>(peek(index)) == nullptr)
            return nullptr;
        return std::unique_ptr<T>(static_cast<T*>(take(index).release()));
    }

private:
    std::vector<std::unique_ptr<ovPimItem>> items_;
};
