#pragma once
// vCard files (versions 2.1, 3.0 and 4.0 read; 3.0 and 4.0 written) to and from the
// store's contacts.
//
// Writing starts from the text the contact was read from, when there is one, and
// replaces only what the store holds (N, FN, the four telephone numbers, the first
// e-mail address), in the version it was read in; a new contact is written as 3.0.
#include "data/formats/ovDecoded.h"

#include <string>
#include <string_view>

class ovPimContact;

ovDecoded ovDecodeVCards(std::string_view text);
std::string ovEncodeContact(const ovPimContact& item);
