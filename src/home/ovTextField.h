#pragma once
// Writing short constant texts into fixed text fields. The texts go through a buffer
// of the field's own size first, so the compiler sees every index the field's cut
// could reach inside that buffer (it cannot tell that a short literal never needs a
// cut, and warns about indexing the literal).
#include "base/ovFixedText.h"

#include <string_view>

template <size_t N> void ovSetField(ovFixedText<N>& field, std::u16string_view text) {
    char16_t copy[N];
    const size_t n = text.copy(copy, N - 1);
    field.assign({copy, n});
}

template <size_t N> void ovAppendField(ovFixedText<N>& field, std::u16string_view text) {
    char16_t copy[N];
    const size_t n = text.copy(copy, N - 1);
    field.append({copy, n});
}
