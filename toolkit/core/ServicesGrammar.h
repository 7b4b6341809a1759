#pragma once
// The grammar of one line of the services file, and the number conversion it relies on.
//
// A line names a service by port and protocol: "ftp 21/tcp  # comment". Only spaces (0x20)
// separate the fields; a tab belongs to the name. Lines that begin with '#', CR or LF are skipped,
// and so is every line that does not fit: no space after the name, a port of 0 or above 65535, no
// '/' after the port, a protocol other than tcp, udp or icmp (in any case).

#include <cstddef>
#include <cstdint>

namespace services_grammar {

// IP protocol numbers of the three protocols the file may name.
constexpr std::uint8_t kIcmp = 1;
constexpr std::uint8_t kTcp = 6;
constexpr std::uint8_t kUdp = 17;

struct ServiceLine {
    const char* name = nullptr;  // points into the parsed line; not zero-terminated there
    std::size_t nameLength = 0;  // at least 1
    std::uint16_t port = 0;      // 1 to 65535
    std::uint8_t protocol = 0;   // kTcp, kUdp or kIcmp
};

// strtoul(text, end, 10) of a 32-bit unsigned long, as on Windows: leading white space, an
// optional sign, decimal digits; ULONG_MAX on overflow; a minus sign negates modulo 2^32.
// With no digits it gives 0 and *end == text. `end` may be null.
std::uint32_t ToUnsigned32(const char* text, const char** end);

// Parses one zero-terminated line (or piece of a line). Returns false for a line to skip.
bool ParseLine(const char* line, ServiceLine& out);

} // namespace services_grammar
