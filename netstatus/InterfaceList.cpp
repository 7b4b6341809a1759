#include "netstatus/InterfaceList.h"

#include <cstdio>
#include <cstring>

namespace netstatus {

std::string FormatInterfaceEntry(const InterfaceRowView& row)
{
    std::size_t length = 0;
    if (row.description) {
        const void* nul = std::memchr(row.description, 0, row.descriptionCapacity);
        length = nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - row.description)
                     : row.descriptionCapacity;
    }
    // The cut counts characters, not bytes: it falls before the 39th byte that does not continue
    // a UTF-8 sequence, so a letter of two or three bytes is never split.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if ((row.description[i] & 0xC0) != 0x80 && ++characters > kDescriptionCut) {
            length = i;
            break;
        }
    }

    // The speed in Mb: at most four digits (2^32 >> 20 is 4096).
    char speed[16];
    std::snprintf(speed, sizeof speed, " %d Mb", static_cast<int>(row.speed >> 20));
    std::string text = " ";
    if (length)
        text.append(reinterpret_cast<const char*>(row.description), length);
    return text += speed;
}

bool IsListedEntry(const std::string& entry)
{
    if (entry.compare(0, 5, " WAN ") == 0)
        return false;
    if (entry.compare(0, 8, " isatap.") == 0)
        return false;
    return entry.find("Loopback") == std::string::npos;
}

std::vector<ListedInterface> BuildInterfaceList(const InterfaceRowView* rows, std::size_t rowCount,
                                                std::size_t capacity)
{
    std::vector<ListedInterface> list;
    for (std::size_t i = 0; i < rowCount && list.size() < capacity; ++i) {
        std::string entry = FormatInterfaceEntry(rows[i]);
        if (IsListedEntry(entry))
            list.push_back({std::move(entry), static_cast<std::int32_t>(i), rows[i].index});
    }
    return list;
}

std::optional<std::uint32_t> InterfaceAtPosition(std::int32_t position, std::int32_t listedCount,
                                                 const std::uint32_t* indexes)
{
    if (!indexes || position < 0 || position >= listedCount)
        return std::nullopt;
    return indexes[position];
}

} // namespace netstatus
