#pragma once
// The outcome of an operation that can fail for a reason a person should hear about:
// a value, or an error with a message that names what was involved (a file, a line,
// a value) and a code the caller may act on. The container operations keep their
// HRESULT-style codes (base/ovHResult.h); this is for everything else.
#include <cassert>
#include <string>
#include <utility>
#include <variant>

struct ovError {
    std::string reason;
    // What kind of failure, for callers that tell failures apart; 0 when nobody does.
    // Each layer names its own codes (ovPimCode, ...).
    int code = 0;
};

// Shorthand for failing with a code of an enum of the caller's.
template <class Code> ovError ovFail(Code code, std::string reason) {
    return ovError{std::move(reason), static_cast<int>(code)};
}
inline ovError ovFail(std::string reason) {
    return ovError{std::move(reason), 0};
}

template <class T = void> class [[nodiscard]] ovResult {
public:
    ovResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    ovResult(ovError error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() {
        assert(ok());
        return std::get<0>(state_);
    }
    const T& value() const {
        assert(ok());
        return std::get<0>(state_);
    }
    T take() { return std::move(value()); }

    const ovError& error() const {
        assert(!ok());
        return std::get<1>(state_);
    }
    const std::string& reason() const { return error().reason; }
    template <class Code = int> Code code() const { return ok() ? Code{} : static_cast<Code>(error().code); }

private:
    std::variant<T, ovError> state_;
};

template <> class [[nodiscard]] ovResult<void> {
public:
    ovResult() = default;
    ovResult(ovError error) : failed_(true), error_(std::move(error)) {}
    static ovResult success() { return {}; }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const ovError& error() const { return error_; }
    const std::string& reason() const { return error_.reason; }
    template <class Code = int> Code code() const { return ok() ? Code{} : static_cast<Code>(error_.code); }

private:
    bool failed_ = false;
    ovError error_;
};
