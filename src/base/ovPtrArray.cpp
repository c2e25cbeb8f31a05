#include "base/ovPtrArray.h"

#include <climits>
#include <cstdlib>
#include <utility>

ovPtrArrayBase::~ovPtrArrayBase() {
    std::free(items_);
}

ovPtrArrayBase::ovPtrArrayBase(ovPtrArrayBase&& other) noexcept
    : items_(std::exchange(other.items_, nullptr)), count_(std::exchange(other.count_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ovPtrArrayBase& ovPtrArrayBase::operator=(ovPtrArrayBase&& other) noexcept {
    if (this != &other) {
        std::free(items_);
        items_ = std::exchange(other.items_, nullptr);
        count_ = std::exchange(other.count_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

ovHResult ovPtrArrayBase::setSize(int n) {
    if (n < 0)
        return ovE_INVALIDARG;
    if (n == 0) {
        std::free(items_);
        items_ = nullptr;
        count_ = 0;
        capacity_ = 0;
        return ovS_OK;
    }
    if (items_ != nullptr && n <= capacity_)
        return ovS_OK;
    // Grow by doubling (16 to start), or straight to n when that is larger.
    const long long grown = static_cast<long long>(capacity_) + (capacity_ != 0 ? capacity_ : 16);
    const long long wanted = grown > n ? grown : n;
    if (wanted > INT_MAX || static_cast<unsigned long long>(wanted) > SIZE_MAX / sizeof(void*))
        return ovE_OUTOFMEMORY;
    void* block = std::realloc(items_, static_cast<size_t>(wanted) * sizeof(void*));
    if (block == nullptr)
        return ovE_OUTOFMEMORY;
    items_ = static_cast<void**>(block);
    capacity_ = static_cast<int>(wanted);
    return ovS_OK;
}

ovHResult ovPtrArrayBase::appendRaw(void* p) {
    if (count_ == INT_MAX)
        return ovE_OUTOFMEMORY;
    const ovHResult hr = setSize(count_ + 1);
    if (hr != ovS_OK)
        return hr;
    items_[count_++] = p;
    return ovS_OK;
}

ovHResult ovPtrArrayBase::removeAt(int i) {
    if (i < 0 || i >= count_)
        return ovE_INVALIDARG;
    for (int k = i; k + 1 < count_; ++k)
        items_[k] = items_[k + 1];
    --count_;
    return ovS_OK;
}
