#include "toolkit/ServicesParser.h"

#include <cstring>
#include <new>

#include "toolkit/core/ServicesGrammar.h"

CServicesParser::CServicesParser(const char* path) : servicesPath{}
{
    if (path && std::strlen(path) < sizeof servicesPath)
        std::memcpy(servicesPath, path, std::strlen(path) + 1);
    ReadFile();
}

CServicesParser::CServicesParser(std::FILE* stream) : servicesPath{}
{
    ReadStream(stream);
}

CServicesParser::~CServicesParser()
{
    // A loop, not recursion: a large file makes a long list.
    while (entries) {
        Entry* next = entries->next;
        delete[] entries->name;
        delete entries;
        entries = next;
    }
}

void CServicesParser::ReadFile()
{
    lookupEnabled = 0;
    if (servicesPath[0] == '\0')
        return;
    std::FILE* file = std::fopen(servicesPath, "rt");
    if (!file)
        return;
    ReadStream(file);
    std::fclose(file);
}

void CServicesParser::ReadStream(std::FILE* stream)
{
    lookupEnabled = 0;
    char line[kPieceSize];
    while (std::fgets(line, sizeof line, stream)) {
        services_grammar::ServiceLine parsed;
        if (!services_grammar::ParseLine(line, parsed))
            continue;
        // Out of memory skips the line, like any other line that cannot be used.
        Entry* entry = new (std::nothrow) Entry{parsed.port, parsed.protocol, nullptr, entries};
        char* name = new (std::nothrow) char[parsed.nameLength + 1];
        if (!entry || !name) {
            delete entry;
            delete[] name;
            continue;
        }
        std::memcpy(name, parsed.name, parsed.nameLength);
        name[parsed.nameLength] = '\0';
        entry->name = name;
        entries = entry;
    }
}

const char* CServicesParser::FindService(unsigned int port, unsigned int protocol) const
{
    if (!lookupEnabled)
        return nullptr;
    const auto port16 = static_cast<std::uint16_t>(port);
    const auto protocol8 = static_cast<std::uint8_t>(protocol);
    for (const Entry* entry = entries; entry; entry = entry->next) {
        if (entry->port == port16 && entry->protocol == protocol8)
            return entry->name;
    }
    return nullptr;
}

int CServicesParser::EnableLookup(int enable)
{
    const int previous = lookupEnabled;
    lookupEnabled = enable;
    return previous;
}
