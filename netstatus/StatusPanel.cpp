#include "netstatus/StatusPanel.h"

#include <algorithm>
#include <cstddef>

#include "netstatus/ClockRule.h"
#include "netstatus/StatusTexts.h"

namespace netstatus {

#ifdef _WIN64
static_assert(sizeof(MIB_IF_ROW2) == 1352, "the 64-bit MIB_IF_ROW2 is 1352 bytes");
#else
static_assert(sizeof(MIB_IF_ROW2) == 1352, "the 32-bit MIB_IF_ROW2 is 1352 bytes");
#endif

namespace {

// The row of GetIfEntry2 for one interface; false where the system lacks the call or the interface.
bool ReadRow2(std::uint32_t index, MIB_IF_ROW2& row)
{
    const GetIfEntry2Function getIfEntry2 = IpHelper().getIfEntry2;
    if (!getIfEntry2)
        return false;
    row = MIB_IF_ROW2{};
    row.InterfaceIndex = index;
    return getIfEntry2(&row) == NO_ERROR;
}

// An interface's description in UTF-8: the system's UTF-16 one where it gives it, else the table
// row's, which is in the process's code page.
std::string DescriptionOf(const MIB_IFROW& tableRow)
{
    wchar_t wide[IF_MAX_STRING_SIZE + 1] = {};
    int wideLength = 0;
    MIB_IF_ROW2 row;
    if (ReadRow2(tableRow.dwIndex, row)) {
        row.Description[IF_MAX_STRING_SIZE] = L'\0';
        while (wideLength < IF_MAX_STRING_SIZE && row.Description[wideLength])
            ++wideLength;
        std::copy(row.Description, row.Description + wideLength, wide);
    } else {
        int length = 0;
        while (length < static_cast<int>(sizeof tableRow.bDescr) && tableRow.bDescr[length])
            ++length;
        if (length == 0)
            return std::string();
        wideLength = ::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(tableRow.bDescr), length, wide,
                                           IF_MAX_STRING_SIZE);
    }
    char utf8[3 * IF_MAX_STRING_SIZE + 1];
    const int bytes = wideLength > 0 ? ::WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, utf8, sizeof utf8 - 1,
                                                             nullptr, nullptr)
                                     : 0;
    return std::string(utf8, bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
}

} // namespace

StatusPanel::StatusPanel(const char* name) : productName(name), trayTip(name) {}

bool StatusPanel::LoadInterfaces()
{
    const bool loaded = LoadIpHelper();
    table.Reset();
    interfaces.clear();
    if (!loaded || !LoadIfTable(IpHelper().getIfTable, table, tableSize))
        return loaded;

    std::vector<std::string> descriptions;
    descriptions.reserve(table.RowCount());
    std::vector<InterfaceRowView> rows;
    rows.reserve(table.RowCount());
    for (DWORD i = 0; i < table.RowCount(); ++i) {
        const MIB_IFROW& row = table.Row(i);
        descriptions.push_back(DescriptionOf(row));
        const std::string& text = descriptions.back();
        rows.push_back({reinterpret_cast<const unsigned char*>(text.c_str()), text.size(), row.dwSpeed, row.dwIndex});
    }
    interfaces = BuildInterfaceList(rows.data(), rows.size(), kMaxListedInterfaces);
    return true;
}

bool StatusPanel::Choose(std::int32_t position)
{
    if (position == selected)
        return false;
    selected = position;
    if (Measure()) {
        texts.bytesSent = CounterText(meter.Sent());
        texts.bytesReceived = CounterText(meter.Received());
    }
    return true;
}

bool StatusPanel::ReadCounters(std::uint32_t index, CounterReading& reading)
{
    MIB_IF_ROW2 row;
    if (ReadRow2(index, row)) {
        reading = {row.InOctets, row.OutOctets, true};
        return true;
    }
    // Without GetIfEntry2 (Windows XP) the table's 32-bit counters, whose wraps the meter counts.
    // The result is not examined: a query that fails leaves the rows of the last one.
    RefreshIfTable(IpHelper().getIfTable, table, tableSize);
    const MIB_IFROW* tableRow = table.FindInterface(index);
    if (!tableRow)
        return false;
    reading = {tableRow->dwInOctets, tableRow->dwOutOctets, false};
    return true;
}

bool StatusPanel::Measure()
{
    // The chosen interface wherever it now stands in the table: adapters before it come and go.
    const std::int32_t listed = static_cast<std::int32_t>(interfaces.size());
    const bool inList = table && selected >= 0 && selected < listed;
    const std::uint32_t index = inList ? interfaces[static_cast<std::size_t>(selected)].index : 0;
    CounterReading reading;
    measured = inList && ReadCounters(index, reading);
    if (!measured || index != meteredIndex) {
        meter.Restart();
        meteredIndex = measured ? index : 0;
    }
    if (measured) {
        const DWORD now = ::GetTickCount();
        meter.Take(reading, now - readAt);
        readAt = now;
    }
    trayTip = TrayTipText(productName, meter);
    return measured;
}

void StatusPanel::ComposeTexts()
{
    texts.connectedTime = clock_rule::Format(connectedHours, connectedMinutes, connectedSeconds);
    // Without a row to read (no table, an empty list, a position the list lacks) the counters keep
    // what they show.
    if (measured) {
        texts.bytesSent = CounterText(meter.Sent());
        texts.bytesReceived = CounterText(meter.Received());
    }
    try {
        DWORD flags = 0;
        const bool connected = QueryConnectedState(flags);
        ApplyConnectionState(connected, flags, texts.connectionType, texts.connectionStatus);
    } catch (...) {
        // A text that cannot be built (out of memory) keeps the previous one, no more.
    }
}

void StatusPanel::Tick(bool shown)
{
    clock_rule::Tick(connectedHours, connectedMinutes, connectedSeconds);
    Measure();
    if (shown)
        ComposeTexts();
}

void StatusPanel::Refresh()
{
    ComposeTexts();
}

void StatusPanel::TickAcceleratedClock()
{
    clock_rule::Tick(acceleratedHours, acceleratedMinutes, acceleratedSeconds);
    texts.acceleratedTime = clock_rule::Format(acceleratedHours, acceleratedMinutes, acceleratedSeconds);
}

} // namespace netstatus
