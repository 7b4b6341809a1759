#include "engine/core/BindAddress.h"

#include <cstring>

namespace engine {

namespace {
// The address's octets in the order they are written, whatever the host's byte order.
bool Starts(std::uint32_t address, unsigned char first, int octets = 1, unsigned char second = 0)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    return bytes[0] == first && (octets < 2 || bytes[1] == second);
}
bool Unusable(std::uint32_t address)
{
    return address == 0 || Starts(address, 127);
}
bool LinkLocal(std::uint32_t address)
{
    return Starts(address, 169, 2, 254);
}
} // namespace

int ChooseBindAddress(const LocalAddress* table, int count, std::optional<std::uint32_t> defaultRouteInterface)
{
    if (!table || count <= 0)
        return -1;
    int linkLocal = -1;
    int routed = -1;
    int other = -1;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t address = table[i].address;
        if (Unusable(address))
            continue;
        if (LinkLocal(address)) {
            if (linkLocal < 0)
                linkLocal = i;
            continue;
        }
        if (routed < 0 && defaultRouteInterface && table[i].interfaceIndex == *defaultRouteInterface)
            routed = i;
        if (other < 0)
            other = i;
    }
    return routed >= 0 ? routed : other >= 0 ? other : linkLocal;
}

} // namespace engine
