#include "toolkit/core/ServicesGrammar.h"

#include <cstring>

namespace services_grammar {

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsLower(const char* text, std::size_t length, const char* lower)
{
    if (std::strlen(lower) != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (AsciiLower(text[i]) != lower[i])
            return false;
    }
    return true;
}

const char* SkipSpaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

} // namespace

std::uint32_t ToUnsigned32(const char* text, const char** end)
{
    const char* p = text;
    while (IsCSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        if (end)
            *end = text;
        return 0;
    }
    std::uint32_t value = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const std::uint32_t digit = static_cast<std::uint32_t>(*p - '0');
        if (value > (UINT32_MAX - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (end)
        *end = p;
    if (overflow)
        return UINT32_MAX;
    return negative ? 0u - value : value;
}

bool ParseLine(const char* line, ServiceLine& out)
{
    if (line[0] == '#' || line[0] == '\r' || line[0] == '\n')
        return false;

    // The name: from the first non-space up to the next space. A tab is part of it.
    const char* name = SkipSpaces(line);
    const char* p = name;
    while (*p != ' ' && *p != '\0')
        ++p;
    if (*p == '\0')
        return false;
    const std::size_t nameLength = static_cast<std::size_t>(p - name);

    // The port: a decimal number; whatever stands between it and the first '/' is ignored.
    const char* number = SkipSpaces(p);
    const std::uint32_t port = ToUnsigned32(number, nullptr);
    if (port == 0 || port > 65535)
        return false;
    const char* slash = std::strchr(number, '/');
    if (!slash)
        return false;

    // The protocol: up to a space, CR, LF or the end of the line.
    const char* protocol = slash + 1;
    const std::size_t protocolLength = std::strcspn(protocol, " \r\n");
    std::uint8_t protocolNumber;
    if (EqualsLower(protocol, protocolLength, "tcp"))
        protocolNumber = kTcp;
    else if (EqualsLower(protocol, protocolLength, "udp"))
        protocolNumber = kUdp;
    else if (EqualsLower(protocol, protocolLength, "icmp"))
        protocolNumber = kIcmp;
    else
        return false;

    out.name = name;
    out.nameLength = nameLength;
    out.port = static_cast<std::uint16_t>(port);
    out.protocol = protocolNumber;
    return true;
}

} // namespace services_grammar
