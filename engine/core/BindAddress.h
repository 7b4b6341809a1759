#pragma once
// The choice of the local address that the capture binds to. Portable: no <windows.h>.

namespace engine {

// One local IPv4 address as dotted-decimal text (at most 15 characters and a NUL).
struct LocalAddress {
    char text[16];
};

// The lowest index below count whose text is neither "127.0.0.1" nor "0.0.0.0"; index 0 when no
// entry qualifies; -1 when the table is empty (count 0 or less), so that there is nothing to bind.
// Reads at most 16 characters of an entry, terminated or not.
int ChooseBindAddress(const LocalAddress* table, int count);

} // namespace engine
