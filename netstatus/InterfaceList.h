#pragma once
// The rules of the "Network Interface" list: how a row of the system's interface table becomes a
// list entry, which rows are left out, and the map from list positions back to table rows.
// Portable: no window and no system call.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace netstatus {

// A description longer than this is cut to its first kDescriptionCut characters (not bytes).
constexpr std::size_t kDescriptionCut = 38;
// The list shows at most this many interfaces; accepted rows after the last of them are not listed.
constexpr std::size_t kMaxListedInterfaces = 256;

// What the list needs of one table row. The description, in UTF-8, is read up to its NUL byte, and
// never past descriptionCapacity bytes even when the row holds no NUL.
struct InterfaceRowView {
    const unsigned char* description = nullptr;
    std::size_t descriptionCapacity = 0;
    std::uint32_t speed = 0; // bits per second
    std::uint32_t index = 0; // the interface's index, which stays with it while rows come and go
};

// " <description cut at 38> <speed in Mb, remainder dropped> Mb", e.g. " PCI Fast Ethernet Adapter 95 Mb".
std::string FormatInterfaceEntry(const InterfaceRowView& row);

// False for the entries the list leaves out, compared byte for byte and case-sensitively: a WAN
// adapter (" WAN " in the first five characters), an ISATAP tunnel (" isatap." in the first
// eight) and a loopback ("Loopback" anywhere in the entry, so only within the cut description).
bool IsListedEntry(const std::string& entry);

struct ListedInterface {
    std::string text;
    std::int32_t row = 0;     // the table row the entry showed when the list was built
    std::uint32_t index = 0;  // the interface it shows
};

// The list entries of a table, in table order: position k of the result shows the interface
// result[k].index, at table row result[k].row. At most `capacity` entries.
std::vector<ListedInterface> BuildInterfaceList(const InterfaceRowView* rows, std::size_t rowCount,
                                                std::size_t capacity = kMaxListedInterfaces);

// The interface shown at list position `position` (indexes holds one per position), or none for a
// position outside the list.
std::optional<std::uint32_t> InterfaceAtPosition(std::int32_t position, std::int32_t listedCount,
                                                 const std::uint32_t* indexes);

} // namespace netstatus
