#pragma once
// What a decoder makes of a file: the items it could read and, for each item it left
// out, where and why.
#include "data/pim/ovPimItem.h"

#include <memory>
#include <string>
#include <vector>

struct ovDecodeProblem {
    // The line of the input text the item left out begins on, counted from 1.
    int line = 0;
    std::string problem;
};

struct ovDecoded {
    // Detached items (no store) with their uid and sourceText set; an item its file
    // gives no UID has one made from its text (the same text, the same UID). Add them to a store
    // with ovPimStore::add or ovPimStore::addOrReplaceByUid.
    std::vector<std::unique_ptr<ovPimItem>> items;
    // One per item left out; the others are still decoded.
    std::vector<ovDecodeProblem> problems;
    // Items read with a guess the user should know of (a time zone nobody knows, read as
    // local time), one per guess and item.
    std::vector<ovDecodeProblem> warnings;
};
