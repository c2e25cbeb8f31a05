#pragma once
// A UTF-16 text field of fixed size N (terminator included), kept inside its
// object. Assigning or appending more than fits cuts the text at the field's size,
// never in the middle of a surrogate pair.
#include <cstddef>
#include <string>
#include <string_view>

template <size_t N> class ovFixedText {
    static_assert(N >= 2, "a text field holds at least one character");

public:
    static constexpr size_t capacity = N - 1; // code units, without the terminator

    ovFixedText() { text_[0] = 0; }
    ovFixedText(std::u16string_view text) { assign(text); }
    ovFixedText& operator=(std::u16string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::u16string_view text) {
        length_ = 0;
        append(text);
    }
    // Returns false when the text had to be cut.
    // GCC 12 inlines literals of a few characters into the cutting branch, which they never
    // reach, and warns that text[n - 1] would lie past their end.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    bool append(std::u16string_view text) {
        const bool fits = length_ + text.size() <= capacity;
        size_t n = fits ? text.size() : capacity - length_;
        text.copy(text_ + length_, n);
        // Do not keep half of a surrogate pair. (Looking at the copy rather than at the
        // source keeps the compiler from suspecting reads past short literals.)
        if (!fits && n > 0 && text_[length_ + n - 1] >= 0xD800 && text_[length_ + n - 1] <= 0xDBFF)
            --n;
        length_ += n;
        text_[length_] = 0;
        return fits;
    }
#pragma GCC diagnostic pop
    void clear() {
        assign(u"");
    }

    std::u16string_view view() const {
        return {text_, length_};
    }
    std::u16string str() const {
        return std::u16string(view());
    }
    const char16_t* c_str() const {
        return text_;
    }
    size_t length() const {
        return length_;
    }
    bool empty() const {
        return length_ == 0;
    }
    bool operator==(std::u16string_view other) const {
        return view() == other;
    }

private:
    char16_t text_[N];
    size_t length_ = 0;
};
