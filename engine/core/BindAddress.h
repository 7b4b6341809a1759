#pragma once
// The choice of the local address that the capture binds to. Portable: no <windows.h>.

#include <cstdint>
#include <optional>

namespace engine {

// One local IPv4 address, in network byte order as the system lists it, and the index of the
// interface that holds it.
struct LocalAddress {
    std::uint32_t address;
    std::uint32_t interfaceIndex;
};

// The address where the traffic is, as an index below count, or -1 when there is none to capture
// on (no entry, only loopback 127.0.0.0/8 or 0.0.0.0):
// 1. the first usable address of the interface that carries the default route, when it is known
//    and has one (a virtual adapter listed first is passed over);
// 2. else the first address that is neither loopback, 0.0.0.0 nor link-local (169.254.0.0/16);
// 3. else the first link-local address: a link-local address only when nothing else exists.
int ChooseBindAddress(const LocalAddress* table, int count, std::optional<std::uint32_t> defaultRouteInterface);

} // namespace engine
