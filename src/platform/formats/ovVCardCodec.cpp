#include "platform/formats/ovVCardCodec.h"

#include "platform/pim/ovPimContact.h"

// Not written yet: reads nothing and writes nothing.
ovDecoded ovDecodeVCards(std::string_view) {
    return {};
}

std::string ovEncodeContact(const ovPimContact&) {
    return {};
}
