#include "platform/pim/ovPimContact.h"

#include "platform/pim/ovPimStore.h"

ovPimResult ovPimContact::saveTo(ovPimStore& store) {
    return store.saveContact(*this);
}
