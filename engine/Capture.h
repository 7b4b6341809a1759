#pragma once
// The acceleration engine: the local address table and the raw receive-all capture.

#include <winsock2.h>
#include <windows.h>

// One local IPv4 address as dotted-decimal text (at most 15 characters and a NUL).
struct LocalAddress {
    char text[16];
};

constexpr int kLocalAddressCapacity = 100;

// The machine's local addresses, filled once at start-up.
extern LocalAddress localAddresses[kLocalAddressCapacity];
extern int localAddressCount;

// Fills table with up to capacity local addresses in the system's order; returns how many.
int BuildLocalAddressTable(LocalAddress* table, int capacity);
