#include "platform/pim/ovPimContact.h"

#include "platform/pim/ovPimStore.h"

ovResult<> ovPimContact::saveTo(ovPimStore& store) {
    return store.saveContact(*this);
}
