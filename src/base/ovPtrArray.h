#pragma once
// A growable array of pointers. It refers to its entries and never destroys them:
// whoever fills it owns what it holds.
#include "base/ovHResult.h"

#include <cstddef>

class ovPtrArrayBase {
public:
    ovPtrArrayBase() = default;
    ~ovPtrArrayBase();
    ovPtrArrayBase(const ovPtrArrayBase&) = delete;
    ovPtrArrayBase& operator=(const ovPtrArrayBase&) = delete;
    ovPtrArrayBase(ovPtrArrayBase&& other) noexcept;
    ovPtrArrayBase& operator=(ovPtrArrayBase&& other) noexcept;

    // Makes room for n entries (never changes count for n > 0); 0 frees the block.
    ovHResult setSize(int n);
    ovHResult removeAt(int i);

    int count() const { return count_; }
    int capacity() const { return capacity_; }
    bool empty() const { return count_ == 0; }
    // Forgets every entry but keeps the block.
    void clear() { count_ = 0; }

protected:
    ovHResult appendRaw(void* p);
    void* rawAt(int i) const { return items_[i]; }

private:
    void** items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};

template <class T> class ovPtrArray : public ovPtrArrayBase {
public:
    ovHResult append(T* p) { return appendRaw(const_cast<void*>(static_cast<const void*>(p))); }
    T* at(int i) const { return static_cast<T*>(rawAt(i)); }
    T* operator[](int i) const { return at(i); }
    int indexOf(const T* p) const {
        for (int i = 0; i < count(); ++i)
            if (at(i) == p)
                return i;
        return -1;
    }

    class iterator {
    public:
        iterator(const ovPtrArray* array, int index) : array_(array), index_(index) {}
        T* operator*() const { return array_->at(index_); }
        iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator!=(const iterator& other) const { return index_ != other.index_; }

    private:
        const ovPtrArray* array_;
        int index_;
    };
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, count()); }
};
