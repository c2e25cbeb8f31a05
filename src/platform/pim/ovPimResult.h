#pragma once
// The outcome of a store operation. A failure carries a code that callers may act on
// and a message for people that names the file or value involved.
#include <string>
#include <utility>

enum class ovPimCode {
    ok,
    noStore,         // no store is open (logon failed, or logged off)
    invalidArgument, // a value the store does not take (a date out of range, importance 3, ...)
    notAStore,       // the file is not a SQLite database, or belongs to another program
    newerVersion,    // the file was written by a newer Orvida
    storeError,      // SQLite or the file system refused
};

class ovPimResult {
public:
    ovPimResult() = default;
    static ovPimResult success() { return {}; }
    static ovPimResult failure(ovPimCode code, std::string message) {
        ovPimResult r;
        r.code_ = code;
        r.message_ = std::move(message);
        return r;
    }

    bool ok() const { return code_ == ovPimCode::ok; }
    explicit operator bool() const { return ok(); }
    ovPimCode code() const { return code_; }
    const std::string& message() const { return message_; }

private:
    ovPimCode code_ = ovPimCode::ok;
    std::string message_;
};
