#pragma once
// What kind of failure a store operation met. Failures travel as ovResult (base/ovResult.h)
// with one of these codes and a message for people that names the file or value involved.
#include "base/ovResult.h"

enum class ovPimCode {
    ok,
    noStore,         // no store is open (logon failed, or logged off)
    invalidArgument, // a value the store does not take (a date out of range, importance 3, ...)
    notAStore,       // the file is not a SQLite database, or belongs to another program
    newerVersion,    // the file was written by a newer Orvida
    storeError,      // SQLite or the file system refused
};
