#include "data/pim/ovPimItems.h"

std::unique_ptr<ovPimItem> ovPimItems::item(int index) const {
    const ovPimItem* found = peek(index);
    return found != nullptr ? found->clone() : nullptr;
}

const ovPimItem* ovPimItems::peek(int index) const {
    if (index < 1 || index > count())
        return nullptr;
    return items_[static_cast<size_t>(index - 1)].get();
}

std::unique_ptr<ovPimItem> ovPimItems::take(int index) {
    if (index < 1 || index > count())
        return nullptr;
    return std::move(items_[static_cast<size_t>(index - 1)]);
}
