#pragma once
// The system side of the status monitor: the IP Helper entry points looked up at run time, the
// buffer that holds the interface table, the queries that fill it, and the connection-state query.
// Each query goes through a function pointer that tests can stand in for.

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// GetIfEntry2 and its row, which iphlpapi.h declares only for programs that require Windows Vista.
#include <ws2ipdef.h>
#include <netioapi.h>
#include <wininet.h>

namespace netstatus {

using GetIfTableFunction = decltype(&::GetIfTable);
using GetNumberOfInterfacesFunction = decltype(&::GetNumberOfInterfaces);
using GetIfEntry2Function = decltype(&::GetIfEntry2);
using ConnectedStateFunction = decltype(&::InternetGetConnectedState);

// The entry points of "Iphlpapi.dll" that the status monitor uses. "GetIfTable" and
// "GetNumberOfInterfaces" are required (the second is never called); "GetIfEntry2", which gives
// 64-bit counters and the description in UTF-16, is there from Windows Vista on.
struct IpHelperEntries {
    GetIfTableFunction getIfTable = nullptr;
    GetNumberOfInterfacesFunction getNumberOfInterfaces = nullptr;
    GetIfEntry2Function getIfEntry2 = nullptr;
};

// Looks the entry points up (the library is loaded once per process and released when the
// process ends) and keeps them for IpHelper(). True when both required ones are there.
bool LoadIpHelper();
// What the last LoadIpHelper found; all null before it.
const IpHelperEntries& IpHelper();

// What a loader hands to LoadIpHelper. Tests install one that gives their own entry points, or
// none; a null loader means the library itself. Returns the loader that was installed before.
using IpHelperLoader = IpHelperEntries (*)();
IpHelperLoader SetIpHelperLoader(IpHelperLoader loader);

// The Internet connection-state query: InternetGetConnectedState unless a test stands in for it
// (null brings the system's back). Returns the query installed before.
ConnectedStateFunction SetConnectedStateQuery(ConnectedStateFunction query);
bool QueryConnectedState(DWORD& flags);

// The buffer of the interface table, laid out as MIB_IFTABLE. It owns its memory and knows how
// many bytes it really holds, whatever size a query last reported.
class IfTableBuffer {
public:
    IfTableBuffer() = default;
    ~IfTableBuffer() { Reset(); }
    IfTableBuffer(const IfTableBuffer&) = delete;
    IfTableBuffer& operator=(const IfTableBuffer&) = delete;

    explicit operator bool() const { return table_ != nullptr; }
    MIB_IFTABLE* get() const { return table_; }
    ULONG capacity() const { return capacity_; }

    // A zeroed buffer of `bytes` bytes in place of the current one. When memory runs out the
    // current one is kept and the result is false.
    bool Allocate(ULONG bytes);
    void Reset();

    // The rows that the table says it holds and that lie wholly inside the buffer.
    DWORD RowCount() const;
    // Row i, for i below RowCount().
    const MIB_IFROW& Row(DWORD i) const { return table_->table[i]; }
    // The row of the interface with this index (dwIndex), or null when the table no longer has it.
    const MIB_IFROW* FindInterface(DWORD index) const;

private:
    MIB_IFTABLE* table_ = nullptr;
    ULONG capacity_ = 0;
};

// Asks for the table's size without a buffer, allocates a buffer of that size and fills it, in
// sorted order. False, with no buffer, when the first query does not answer
// ERROR_INSUFFICIENT_BUFFER or no memory can be had.
bool LoadIfTable(GetIfTableFunction query, IfTableBuffer& buffer, ULONG& size);

// Reads the table again into the buffer, in sorted order. Each query is told the size the buffer
// really holds; when the table has grown past it, the buffer is enlarged to the reported size
// and the query repeated (a few times at most). An interface keeps its index, not its row: find
// it again by that. Does nothing without a buffer.
void RefreshIfTable(GetIfTableFunction query, IfTableBuffer& buffer, ULONG& size);

} // namespace netstatus
