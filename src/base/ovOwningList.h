#pragma once
// A list that owns what it holds and shows it as the ovPtrArray the rest of the
// program reads. Entries live until clear() or the list's end; pointers handed out
// stay valid until then. This is the one shape for "a list of things we made".
#include "base/ovPtrArray.h"

#include <memory>
#include <utility>
#include <vector>

template <class T> class ovOwningList {
public:
    ovOwningList() = default;
    ovOwningList(const ovOwningList&) = delete;
    ovOwningList& operator=(const ovOwningList&) = delete;

    // Takes the item and returns it; null (the item destroyed) when the list cannot grow.
    template <class U> U* add(std::unique_ptr<U> item) {
        U* raw = item.get();
        if (raw == nullptr)
            return nullptr;
        owners_.push_back(std::move(item));
        if (items_.append(raw) != ovS_OK) {
            owners_.pop_back();
            return nullptr;
        }
        return raw;
    }
    template <class U = T, class... Args> U* make(Args&&... args) {
        return add(std::make_unique<U>(std::forward<Args>(args)...));
    }
    // Room for n entries, so that filling the list allocates once.
    void reserve(int n) {
        if (n > items_.capacity() && items_.setSize(n) == ovS_OK)
            owners_.reserve(static_cast<size_t>(n));
    }
    void clear() {
        items_.clear();
        owners_.clear();
    }

    const ovPtrArray<T>& items() const { return items_; }
    int count() const { return items_.count(); }
    bool empty() const { return items_.empty(); }
    T* operator[](int i) const { return items_[i]; }
    typename ovPtrArray<T>::iterator begin() const { return items_.begin(); }
    typename ovPtrArray<T>::iterator end() const { return items_.end(); }

private:
    ovPtrArray<T> items_;
    std::vector<std::unique_ptr<T>> owners_;
};
