#pragma once
// The status panel of the main window as one object: the two clocks, the interface list with the
// interfaces its positions show, the interface table, the chosen interface's totals and speeds,
// and the texts they make. The window asks it for a tick and shows the texts it holds.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/String.h"
#include "netstatus/IfTable.h"
#include "netstatus/InterfaceList.h"
#include "netstatus/Traffic.h"

namespace netstatus {

// The six texts of the panel, as the window shows them.
struct PanelTexts {
    CString connectionType;
    CString connectionStatus;
    CString connectedTime;
    CString bytesSent;
    CString bytesReceived;
    CString acceleratedTime{" 0 hrs :  0 mins :  0 secs"};
};

class StatusPanel {
public:
    // productName heads the notification icon's tooltip.
    explicit StatusPanel(const char* productName);

    // Looks up the IP Helper entry points, reads the interface table and builds the list from it
    // (once per run). False when a required entry point is missing; the list is then empty.
    bool LoadInterfaces();
    // The list's entries (UTF-8), in list order.
    const std::vector<ListedInterface>& Interfaces() const { return interfaces; }

    // The list position shown: the stored choice before the list is built, then the user's.
    std::int32_t Selected() const { return selected; }
    void Select(std::int32_t position) { selected = position; }
    // The user picks a position: false when it is the one shown already. Otherwise the counters
    // of the new interface go into the texts, and its speeds start again.
    bool Choose(std::int32_t position);

    // One tick of the status timer. The connected clock counts and the chosen interface's counters
    // are read (the tooltip shows their speed) whether or not the window shows; only a shown
    // window has its texts composed and the connection state asked for.
    void Tick(bool shown);
    // Brings every text up to date without counting a tick: for a window that has just been shown.
    void Refresh();
    void TickAcceleratedClock();

    PanelTexts& Texts() { return texts; }
    // The tooltip of the notification icon, in UTF-8.
    const std::string& TrayTip() const { return trayTip; }
    const TrafficMeter& Traffic() const { return meter; }
    const IfTableBuffer& Table() const { return table; }

private:
    // Takes the chosen interface's counters into the meter and the tooltip; false without them.
    bool Measure();
    bool ReadCounters(std::uint32_t index, CounterReading& reading);
    void ComposeTexts();

    const char* productName;
    std::int32_t connectedHours = 0;
    std::int32_t connectedMinutes = 0;
    std::int32_t connectedSeconds = 0;
    std::int32_t acceleratedHours = 0;
    std::int32_t acceleratedMinutes = 0;
    std::int32_t acceleratedSeconds = 0;
    IfTableBuffer table; // owns the table's memory and knows its real size
    ULONG tableSize = 0;
    std::vector<ListedInterface> interfaces;
    std::int32_t selected = 0;
    std::uint32_t meteredIndex = 0; // the interface the meter counts; 0 is no interface's index
    bool measured = false;          // the last reading succeeded
    DWORD readAt = 0;               // GetTickCount of the last reading
    TrafficMeter meter;
    PanelTexts texts;
    std::string trayTip;
};

} // namespace netstatus
