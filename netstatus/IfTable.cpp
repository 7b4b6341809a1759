#include "netstatus/IfTable.h"

#include <wininet.h>

#include <cstddef>
#include <cstdlib>

#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace netstatus {

namespace {

IpHelperEntries ipHelperEntries;
ConnectedStateFunction installedConnectedState = nullptr;

// WinINet is first needed at the first refresh tick, not at start-up: it is loaded then, from the
// system folder, and kept for the rest of the process.
BOOL WINAPI InternetConnectedState(LPDWORD flags, DWORD reserved)
{
    static const auto query = system_library::internet.Entry<ConnectedStateFunction>("InternetGetConnectedState");
    if (query)
        return query(flags, reserved);
    // Without the library there is no connection to report.
    if (flags)
        *flags = 0;
    return FALSE;
}


IpHelperLoader installedLoader = nullptr;

// The library is loaded on first use and kept until the process ends, which releases it.
IpHelperEntries LoadFromLibrary()
{
    IpHelperEntries entries;
    entries.getIfTable = system_library::ipHelper.Entry<GetIfTableFunction>("GetIfTable");
    entries.getNumberOfInterfaces = system_library::ipHelper.Entry<GetNumberOfInterfacesFunction>("GetNumberOfInterfaces");
    entries.getIfEntry2 = system_library::ipHelper.Entry<GetIfEntry2Function>("GetIfEntry2");
    return entries;
}

constexpr int kMaxGrowAttempts = 3;

} // namespace

bool LoadIpHelper()
{
    ipHelperEntries = installedLoader ? installedLoader() : LoadFromLibrary();
    return ipHelperEntries.getIfTable && ipHelperEntries.getNumberOfInterfaces;
}

const IpHelperEntries& IpHelper()
{
    return ipHelperEntries;
}

ConnectedStateFunction SetConnectedStateQuery(ConnectedStateFunction query)
{
    const ConnectedStateFunction previous = installedConnectedState;
    installedConnectedState = query;
    return previous;
}

bool QueryConnectedState(DWORD& flags)
{
    flags = 0;
    return (installedConnectedState ? installedConnectedState : &InternetConnectedState)(&flags, 0) != FALSE;
}

IpHelperLoader SetIpHelperLoader(IpHelperLoader loader)
{
    const IpHelperLoader previous = installedLoader;
    installedLoader = loader;
    return previous;
}

bool IfTableBuffer::Allocate(ULONG bytes)
{
    void* memory = std::calloc(bytes ? bytes : 1, 1);
    if (!memory)
        return false;
    Reset();
    table_ = static_cast<MIB_IFTABLE*>(memory);
    capacity_ = bytes;
    return true;
}

void IfTableBuffer::Reset()
{
    std::free(table_);
    table_ = nullptr;
    capacity_ = 0;
}

DWORD IfTableBuffer::RowCount() const
{
    constexpr std::size_t header = offsetof(MIB_IFTABLE, table);
    if (!table_ || capacity_ < header)
        return 0;
    const std::size_t fits = (capacity_ - header) / sizeof(MIB_IFROW);
    return table_->dwNumEntries < fits ? table_->dwNumEntries : static_cast<DWORD>(fits);
}

static_assert(sizeof(MIB_IFROW) == 860, "MIB_IFROW is 860 bytes in both builds");
static_assert(offsetof(MIB_IFTABLE, table) == 4, "the interface rows follow a 4-byte count");

const MIB_IFROW* IfTableBuffer::FindInterface(DWORD index) const
{
    const DWORD rows = RowCount();
    for (DWORD i = 0; i < rows; ++i) {
        if (table_->table[i].dwIndex == index)
            return &table_->table[i];
    }
    return nullptr;
}

bool LoadIfTable(GetIfTableFunction query, IfTableBuffer& buffer, ULONG& size)
{
    buffer.Reset();
    size = 0;
    if (!query || query(nullptr, &size, TRUE) != ERROR_INSUFFICIENT_BUFFER)
        return false;
    if (!buffer.Allocate(size))
        return false;
    RefreshIfTable(query, buffer, size);
    return true;
}

void RefreshIfTable(GetIfTableFunction query, IfTableBuffer& buffer, ULONG& size)
{
    if (!query || !buffer)
        return;
    for (int attempt = 0; attempt < kMaxGrowAttempts; ++attempt) {
        size = buffer.capacity();
        const DWORD result = query(buffer.get(), &size, TRUE);
        if (result != ERROR_INSUFFICIENT_BUFFER || size <= buffer.capacity())
            return;
        // The table has grown since the buffer was made: a larger one, and ask again.
        if (!buffer.Allocate(size))
            return;
    }
}

} // namespace netstatus
