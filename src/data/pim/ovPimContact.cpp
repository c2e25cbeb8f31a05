#include "data/pim/ovPimContact.h"

#include "data/pim/ovPimStore.h"

ovResult<> ovPimContact::saveTo(ovPimStore& store) {
    return store.saveContact(*this);
}
