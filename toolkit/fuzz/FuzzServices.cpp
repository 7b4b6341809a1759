// libFuzzer target for the services file: the reading loop and the line grammar.
//
// The input is read as a services file through CServicesParser. Its table is then checked
// against a second reading of the same bytes written independently here with the standard
// library (pieces cut as fgets cuts them, fields found with std::string), and every lookup
// answer is checked against the table.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/ServicesParser.h"

namespace {

struct Expected {
    std::string name;
    unsigned port;
    unsigned protocol;
};

// strtoul of a 32-bit unsigned long, by way of the 64-bit strtoull.
std::uint32_t Strtoul32(const std::string& text)
{
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digits = text.find_first_not_of("0123456789", i);
    const std::string magnitudeText = text.substr(i, digits == std::string::npos ? std::string::npos : digits - i);
    if (magnitudeText.empty())
        return 0;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(magnitudeText.c_str(), nullptr, 10);
    if (errno == ERANGE || magnitude > 0xFFFFFFFFull)
        return 0xFFFFFFFFu;
    const auto value = static_cast<std::uint32_t>(magnitude);
    return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

bool ParseReference(std::string line, Expected& out)
{
    line = std::string(line.c_str()); // a NUL byte ends the line
    if (line.empty() || line[0] == '#' || line[0] == '\r' || line[0] == '\n')
        return false;
    const std::size_t nameStart = line.find_first_not_of(' ');
    if (nameStart == std::string::npos)
        return false;
    const std::size_t nameEnd = line.find(' ', nameStart);
    if (nameEnd == std::string::npos)
        return false;
    std::size_t numberStart = line.find_first_not_of(' ', nameEnd);
    if (numberStart == std::string::npos)
        numberStart = line.size();
    const std::uint32_t port = Strtoul32(line.substr(numberStart));
    if (port == 0 || port > 65535)
        return false;
    const std::size_t slash = line.find('/', numberStart);
    if (slash == std::string::npos)
        return false;
    std::string protocol = line.substr(slash + 1);
    protocol = protocol.substr(0, protocol.find_first_of(" \r\n"));
    for (char& c : protocol)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    unsigned number;
    if (protocol == "tcp")
        number = 6;
    else if (protocol == "udp")
        number = 17;
    else if (protocol == "icmp")
        number = 1;
    else
        return false;
    out = {line.substr(nameStart, nameEnd - nameStart), port, number};
    return true;
}

// Newest first, as the parser keeps them.
std::vector<Expected> ReadReference(const std::uint8_t* data, std::size_t size)
{
    std::vector<Expected> table;
    const std::size_t pieceMax = CServicesParser::kPieceSize - 1;
    for (std::size_t at = 0; at < size;) {
        std::size_t length = 0;
        while (length < pieceMax && at + length < size) {
            ++length;
            if (data[at + length - 1] == '\n')
                break;
        }
        Expected entry;
        if (ParseReference(std::string(reinterpret_cast<const char*>(data) + at, length), entry))
            table.insert(table.begin(), entry);
        at += length;
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::vector<char> bytes(data, data + size);
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "r");
    if (!stream)
        return 0;
    CServicesParser parser(stream);
    std::fclose(stream);

    const std::vector<Expected> expected = ReadReference(data, size);
    std::size_t index = 0;
    for (const CServicesParser::Entry* entry = parser.Entries(); entry; entry = entry->next, ++index) {
        if (index >= expected.size() || expected[index].name != entry->name ||
            expected[index].port != entry->port || expected[index].protocol != entry->protocol)
            std::abort();
        if (parser.FindService(entry->port, entry->protocol))
            std::abort(); // lookups start switched off
    }
    if (index != expected.size())
        std::abort();

    if (parser.EnableLookup(1) != 0)
        std::abort();
    for (const CServicesParser::Entry* entry = parser.Entries(); entry; entry = entry->next) {
        const CServicesParser::Entry* first = parser.Entries();
        while (first->port != entry->port || first->protocol != entry->protocol)
            first = first->next;
        if (parser.FindService(entry->port + 0x10000u, entry->protocol + 0x100u) != first->name)
            std::abort();
    }
    return 0;
}
