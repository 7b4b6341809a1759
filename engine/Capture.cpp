#include "engine/Capture.h"

LocalAddress localAddresses[kLocalAddressCapacity] = {};
int localAddressCount = 0;

int BuildLocalAddressTable(LocalAddress*, int)
{
    return 0;
}
