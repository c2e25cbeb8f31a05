#include "ovPimContact.h"

#include "ovPimStore.h"

ovPimResult ovPimContact::saveTo(ovPimStore& store) {
    return store.saveContact(*this);
}
