// The interface list and the one-second status refresh.
#include "app/SpindrelDlg.h"

#include <vector>

#include "app/ProductKey.h"
#include "app/core/ClockRule.h"
#include "netstatus/InterfaceList.h"
#include "netstatus/StatusTexts.h"

namespace {
constexpr int kInterfaceRowCapacity = 256;
}

void CSpindrelDlg::FillInterfaceList()
{
    // The two IP Helper entry points; without them the program cannot run.
    const bool loaded = netstatus::LoadIpHelper();
    ifTable.Reset();
    if (!loaded) {
        AfxMessageBox("Error loading Iphlpapi.dll", MB_OK | MB_ICONEXCLAMATION);
        EndDialog(1);
    } else if (netstatus::LoadIfTable(netstatus::getIfTableEntry, ifTable, ifTableSize)) {
        std::vector<netstatus::InterfaceRowView> rows;
        rows.reserve(ifTable.RowCount());
        for (DWORD i = 0; i < ifTable.RowCount(); ++i) {
            const MIB_IFROW& row = ifTable.Row(i);
            rows.push_back({row.bDescr, sizeof row.bDescr, row.dwSpeed, row.dwIndex});
        }
        static_assert(sizeof interfaceIndexes / sizeof interfaceIndexes[0] == kInterfaceRowCapacity);
        for (const auto& entry : netstatus::BuildInterfaceList(rows.data(), rows.size(), kInterfaceRowCapacity)) {
            interfaceEntryText = entry.text;
            // The list is not sorted: each entry goes at the end, at the position the map records.
            const int position = interfaceCombo.AddString(interfaceEntryText);
            if (position >= 0 && position < kInterfaceRowCapacity)
                interfaceIndexes[position] = entry.index;
        }
    }

    // A stored position that the list does not have leaves it with no selection.
    const int count = interfaceCombo.GetCount();
    interfaceCombo.SetCurSel(selectedInterface >= 0 && selectedInterface < count ? selectedInterface : -1);
}

std::optional<MIB_IFROW> CSpindrelDlg::ReadSelectedRow()
{
    int listed = interfaceCombo.GetCount();
    if (listed > kInterfaceRowCapacity)
        listed = kInterfaceRowCapacity;
    if (!ifTable || selectedInterface < 0 || selectedInterface >= listed)
        return std::nullopt;

    // The result is not examined: a query that fails leaves the rows of the last one.
    netstatus::RefreshIfTable(netstatus::getIfTableEntry, ifTable, ifTableSize);
    // The chosen interface wherever it now stands: adapters before it come and go.
    const auto index = netstatus::InterfaceAtPosition(selectedInterface, listed, interfaceIndexes);
    const MIB_IFROW* row = index ? ifTable.FindInterface(*index) : nullptr;
    if (!row)
        return std::nullopt;
    return *row;
}

void CSpindrelDlg::OnInterfaceSelChange()
{
    const int position = interfaceCombo.GetCurSel();
    if (position == CB_ERR || position == selectedInterface)
        return;
    selectedInterface = position;

    // The counters of the new choice; the next refresh brings them to the window.
    if (const auto row = ReadSelectedRow()) {
        bytesSentText = netstatus::CounterText(row->dwOutOctets);
        bytesReceivedText = netstatus::CounterText(row->dwInOctets);
    }

    product_key::Writer key;
    if (key)
        key.Write("Network", static_cast<DWORD>(position));
}

void CSpindrelDlg::RefreshStatus()
{
    UpdateData(TRUE);
    TickConnectedClock();

    // Without a row to read (no table, an empty list, a position the list lacks) the counters
    // keep what they show.
    if (const auto row = ReadSelectedRow()) {
        bytesSentText = netstatus::CounterText(row->dwOutOctets);
        bytesReceivedText = netstatus::CounterText(row->dwInOctets);
    }

    try {
        DWORD flags = 0;
        const bool connected = netstatus::connectedStateQuery && netstatus::connectedStateQuery(&flags, 0);
        netstatus::ApplyConnectionState(connected, flags, connectionTypeText, connectionStatusText);
        UpdateData(FALSE);
    } catch (...) {
        // A text that cannot be built (out of memory) costs this tick its final exchange, no more.
    }
}

void CSpindrelDlg::TickConnectedClock()
{
    clock_rule::Tick(connectedHours, connectedMinutes, connectedSeconds);
    connectedTimeText = clock_rule::Format(connectedHours, connectedMinutes, connectedSeconds);
    UpdateData(FALSE);
}
