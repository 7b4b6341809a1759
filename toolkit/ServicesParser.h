#pragma once
// CServicesParser: the capture toolkit's port-name table, read from the services file at
// construction and freed at destruction. Lookups answer only while they are switched on.
// The class is portable; only the constructor that finds the file beside the executable needs
// Windows (ServicesParserWin32.cpp).

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CServicesParser {
public:
    // A path of MAX_PATH (260) characters in UTF-8, three bytes each at most.
    static constexpr std::size_t kPathSize = 260 * 3;
    // Lines are read in pieces of at most kPieceSize - 1 bytes; each piece is parsed as a line.
    static constexpr int kPieceSize = 300;

    struct Entry {
        std::uint16_t port;
        std::uint8_t protocol;
        char* name;  // owned, zero-terminated
        Entry* next;
    };

    // Reads "services" in the executable's directory (Windows builds). The file is opened by the
    // system, whatever characters its path holds.
    CServicesParser();
    // Reads the file at `path` (opened by the C runtime); a path of kPathSize bytes or more (or
    // null) reads nothing.
    explicit CServicesParser(const char* path);
    // Reads from a stream the caller opened and keeps open (the fuzzer).
    explicit CServicesParser(std::FILE* stream);
    virtual ~CServicesParser();

    CServicesParser(const CServicesParser&) = delete;
    CServicesParser& operator=(const CServicesParser&) = delete;

    // The name of the newest entry for the port's low 16 bits and the protocol's low 8 bits,
    // or null when lookups are off or nothing matches. The text belongs to the parser.
    const char* FindService(unsigned int port, unsigned int protocol) const;
    // Switches lookups on (nonzero) or off and returns the previous setting.
    int EnableLookup(int enable);

    const char* ServicesPath() const { return servicesPath; }
    // The table's head, newest entry first.
    const Entry* Entries() const { return entries; }

private:
    void ReadFile();
    void ReadStream(std::FILE* stream);

    char servicesPath[kPathSize];
    int lookupEnabled = 0;
    Entry* entries = nullptr;
};
