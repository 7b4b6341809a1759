#pragma once
// The texts of the status panel that come from the network: the byte counters, and the
// connection type and status from the system's Internet connection state. Portable.

#include <cstdint>

#include "framework/String.h"

namespace netstatus {

// Flags of the connection-state answer that the type names (the values of INTERNET_CONNECTION_*).
constexpr std::uint32_t kConnectionModem = 0x01;
constexpr std::uint32_t kConnectionLan = 0x02;
constexpr std::uint32_t kConnectionProxy = 0x04;
constexpr std::uint32_t kConnectionOffline = 0x20;

extern const char kConnectedStatus[];    // " Connected"
extern const char kNotConnectedStatus[]; // "N/A"

// A byte total as a space, the unsigned decimal count and a space: " 1234 ".
CString CounterText(std::uint64_t counter);

// One word per named flag, always in the order " LAN ", " Modem ", " Offline ", " Proxy ";
// other flags add nothing.
CString ConnectionTypeText(std::uint32_t flags);

// Takes one answer of the connection-state query into the two texts. When there is no connection
// the status reads "N/A" and the type of the last connection stays as it was.
void ApplyConnectionState(bool connected, std::uint32_t flags, CString& typeText, CString& statusText);

} // namespace netstatus
