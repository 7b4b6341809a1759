// The interface list and the status refresh of the main window, under Wine: the window is made
// from its real template in this process, and the interface table comes either from the system
// or from a stand-in that the test controls.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstddef>
#include <cstring>
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/ProductKey.h"
#include "app/SpindrelDlg.h"

#include <wininet.h>

#include "netstatus/InterfaceList.h"
#include "netstatus/StatusTexts.h"
#include "res/resource.h"
#include "tests/common/Preferences.h"
#include "tests/common/ScopedHook.h"

namespace {

using test_support::ScopedHook;

// The main window with only what the interface list needs initialised; the test body runs once
// the list is built, inside the dialog's initialisation, and the dialog then ends.
class NetStatusDlg : public CSpindrelDlg {
public:
    using CSpindrelDlg::interfaceCombo;
    using CSpindrelDlg::statusPanel;
    using CSpindrelDlg::TickStatus;

    std::int32_t storedPosition = 0;
    std::function<void(NetStatusDlg&)> body;
    UINT refreshInterval = 0; // without a body: start the refresh timer and run the window's own loop

    CString Shown(int id) const { return test_support::ItemText(m_hWnd, id).c_str(); }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> entries;
        for (int i = 0; i < interfaceCombo.GetCount(); ++i) { // as UTF-8, read through the wide call
            wchar_t text[256] = {};
            char utf8[768] = {};
            ::SendMessageW(interfaceCombo.m_hWnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
            entries.push_back(utf8);
        }
        return entries;
    }

    // The user picks position p from the list: the list's own notification to the dialog.
    void Choose(int position)
    {
        interfaceCombo.SetCurSel(position);
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_INTERFACE_LIST, CBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(interfaceCombo.m_hWnd));
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            TickStatus(true);
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        statusPanel.Select(storedPosition); // as the preferences would have loaded it
        FillInterfaceList();
        if (body) {
            body(*this);
            // Gone before it is ever shown: Wine hides a shown window of this kind only after
            // waiting some two seconds for a window manager, which Xvfb does not have.
            EndDialog(0);
            DestroyWindow();
        } else if (refreshInterval) {
            SetTimer(TIMER_STATUS_REFRESH, refreshInterval, nullptr);
        }
        return TRUE;
    }
};

// ---- A stand-in for GetIfTable whose table the test sets and changes.

struct FakeTable {
    std::vector<MIB_IFROW> rows;
    bool refuse = false;      // answers as a system without the table would
    bool growEachCall = false;
    int calls = 0;
    int oversized = 0;        // queries told a size larger than their buffer really holds
    int unsorted = 0;
};
FakeTable fake;

MIB_IFROW MakeRow(const char* description, DWORD speed, DWORD inOctets = 0, DWORD outOctets = 0)
{
    static DWORD lastIndex = 0;
    MIB_IFROW row{};
    row.dwIndex = ++lastIndex;
    const std::size_t length = std::strlen(description);
    std::memcpy(row.bDescr, description, length < sizeof row.bDescr ? length : sizeof row.bDescr - 1);
    row.dwDescrLen = static_cast<DWORD>(length);
    row.dwSpeed = speed;
    row.dwInOctets = inOctets;
    row.dwOutOctets = outOctets;
    return row;
}

DWORD WINAPI FakeGetIfTable(PMIB_IFTABLE table, PULONG size, BOOL sorted)
{
    ++fake.calls;
    if (!sorted)
        ++fake.unsorted;
    if (fake.refuse)
        return ERROR_NOT_SUPPORTED;
    if (fake.growEachCall)
        fake.rows.push_back(MakeRow("Hot-plugged adapter", 0));
    // The buffer's real size, from the allocator that made it.
    if (table && *size > _msize(table)) {
        ++fake.oversized;
        return ERROR_INVALID_PARAMETER; // writing would run past the buffer
    }
    const ULONG needed = static_cast<ULONG>(offsetof(MIB_IFTABLE, table) + fake.rows.size() * sizeof(MIB_IFROW));
    if (!table || *size < needed) {
        *size = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    table->dwNumEntries = static_cast<DWORD>(fake.rows.size());
    if (!fake.rows.empty())
        std::memcpy(table->table, fake.rows.data(), fake.rows.size() * sizeof(MIB_IFROW));
    return NO_ERROR;
}

DWORD WINAPI FakeGetNumberOfInterfaces(PDWORD count)
{
    *count = static_cast<DWORD>(fake.rows.size());
    return NO_ERROR;
}

netstatus::IpHelperEntries FakeLibrary() { return {&FakeGetIfTable, &FakeGetNumberOfInterfaces, nullptr}; }
// ---- A stand-in for GetIfEntry2: 64-bit counters and UTF-16 descriptions for the table's rows.

std::map<DWORD, MIB_IF_ROW2> wideRows;
DWORD WINAPI FakeGetIfEntry2(PMIB_IF_ROW2 row)
{
    const auto found = wideRows.find(row->InterfaceIndex);
    if (found != wideRows.end())
        *row = found->second;
    return found != wideRows.end() ? NO_ERROR : ERROR_FILE_NOT_FOUND;
}

netstatus::IpHelperEntries LibraryWithIfEntry2() { return {&FakeGetIfTable, &FakeGetNumberOfInterfaces, &FakeGetIfEntry2}; }
netstatus::IpHelperEntries LibraryWithoutCount() { return {&FakeGetIfTable, nullptr}; }
netstatus::IpHelperEntries NoLibrary() { return {}; }

// ---- A stand-in for the connection-state query.

BOOL connectedAnswer = TRUE;
DWORD connectedFlags = 0x12;
int connectedQueries = 0;
CDialog* endAfterFiveQueries = nullptr;
BOOL WINAPI FakeConnectedState(LPDWORD flags, DWORD)
{
    if (++connectedQueries == 5 && endAfterFiveQueries)
        endAfterFiveQueries->EndDialog(0);
    *flags = connectedFlags;
    return connectedAnswer;
}

class NetStatusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake = FakeTable{};
        connectedAnswer = TRUE;
        connectedFlags = 0x12;
        connectedQueries = 0;
        endAfterFiveQueries = nullptr;
    }

    // Runs the dialog with `body`, which must have run: a window that cannot be made fails here.
    static void Run(std::int32_t storedPosition, std::function<void(NetStatusDlg&)> body)
    {
        bool ran = false;
        NetStatusDlg dialog;
        dialog.storedPosition = storedPosition;
        dialog.body = [&](NetStatusDlg& dlg) {
            ran = true;
            body(dlg);
        };
        EXPECT_EQ(dialog.DoModal(), 0);
        EXPECT_TRUE(ran) << "the main window was not created";
    }

    ScopedHook<netstatus::IpHelperLoader> library{&netstatus::SetIpHelperLoader, &FakeLibrary};
    ScopedHook<netstatus::ConnectedStateFunction> connectedState{&netstatus::SetConnectedStateQuery, &FakeConnectedState};
};

TEST_F(NetStatusTest, ListsTheSystemTableAndShowsItsCounters)
{
    ScopedHook realLibrary(&netstatus::SetIpHelperLoader, nullptr);
    ScopedHook realState(&netstatus::SetConnectedStateQuery, connectedState.Previous());

    // The table as the system reports it, read here on its own.
    ULONG size = 0;
    ASSERT_EQ(::GetIfTable(nullptr, &size, TRUE), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<unsigned char> buffer(size + 16 * sizeof(MIB_IFROW));
    size = static_cast<ULONG>(buffer.size());
    auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
    ASSERT_EQ(::GetIfTable(table, &size, TRUE), static_cast<DWORD>(NO_ERROR));
    ASSERT_GT(table->dwNumEntries, 0u);
    std::vector<netstatus::InterfaceRowView> views;
    for (DWORD i = 0; i < table->dwNumEntries; ++i)
        views.push_back({table->table[i].bDescr, sizeof table->table[i].bDescr, table->table[i].dwSpeed});
    std::vector<std::string> expected;
    for (const auto& entry : netstatus::BuildInterfaceList(views.data(), views.size()))
        expected.push_back(entry.text);

    Run(0, [&](NetStatusDlg& dlg) {
        EXPECT_EQ(dlg.Entries(), expected);
        EXPECT_NE(netstatus::IpHelper().getNumberOfInterfaces, nullptr);
        EXPECT_EQ(dlg.interfaceCombo.GetCurSel(), expected.empty() ? -1 : 0);

        dlg.Ticks(1);
        EXPECT_EQ(dlg.Shown(IDC_CONNECTED_TIME), "  0 hrs :  0 mins :  1 secs");
        DWORD flags = 0;
        const bool connected = ::InternetGetConnectedState(&flags, 0) != FALSE;
        CString type, status;
        netstatus::ApplyConnectionState(connected, flags, type, status);
        EXPECT_EQ(dlg.Shown(IDC_CONNECTION_STATUS), status);
        EXPECT_EQ(dlg.Shown(IDC_CONNECTION_TYPE), type);
        if (!expected.empty()) {
            const std::string sent = dlg.Shown(IDC_BYTES_SENT).str();
            ASSERT_GE(sent.size(), 3u);
            EXPECT_EQ(sent.front(), ' ');
            EXPECT_EQ(sent.back(), ' ');
            EXPECT_EQ(sent.find_first_not_of("0123456789", 1), sent.size() - 1) << sent;
        }
    });
}

TEST_F(NetStatusTest, NoRowToReadLeavesTheCountersAsTheyAre)
{
    fake.rows = {MakeRow("Ethernet", 100000000, 11, 22), MakeRow("Wireless", 54000000, 33, 44),
                 MakeRow("WAN Miniport (IP)", 0, 55, 66)};
    // A stored position past the end, and negative ones.
    for (const std::int32_t stored : {2, 3, 255, 256, 100000, -1, -2, -2147483647 - 1}) {
        SCOPED_TRACE(stored);
        Run(stored, [](NetStatusDlg& dlg) {
            EXPECT_EQ(dlg.interfaceCombo.GetCount(), 2);
            EXPECT_EQ(dlg.interfaceCombo.GetCurSel(), CB_ERR);
            dlg.Ticks(120);
            EXPECT_EQ(dlg.Shown(IDC_BYTES_SENT), "");
            EXPECT_EQ(dlg.Shown(IDC_BYTES_RECEIVED), "");
            EXPECT_EQ(dlg.Shown(IDC_CONNECTED_TIME), "  0 hrs :  2 mins :  0 secs");
            EXPECT_EQ(dlg.Shown(IDC_CONNECTION_STATUS), " Connected");
        });
    }

    // An empty list: every row rejected.
    fake.rows = {MakeRow("WAN Miniport (PPTP)", 0, 1, 2), MakeRow("MS TCP Loopback interface", 0, 3, 4)};
    Run(0, [](NetStatusDlg& dlg) {
        EXPECT_EQ(dlg.interfaceCombo.GetCount(), 0);
        EXPECT_EQ(dlg.interfaceCombo.GetCurSel(), CB_ERR);
        dlg.Ticks(5);
        EXPECT_EQ(dlg.Shown(IDC_BYTES_SENT), "");
    });

    // No table at all: the first query does not ask for a buffer, so nothing is allocated or queried again.
    fake.refuse = true;
    fake.calls = 0;
    Run(0, [](NetStatusDlg& dlg) {
        EXPECT_FALSE(dlg.statusPanel.Table());
        EXPECT_EQ(dlg.interfaceCombo.GetCount(), 0);
        dlg.Ticks(5);
        EXPECT_EQ(dlg.Shown(IDC_BYTES_RECEIVED), "");
        EXPECT_EQ(dlg.Shown(IDC_CONNECTED_TIME), "  0 hrs :  0 mins :  5 secs");
    });
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(fake.oversized, 0);
}

TEST_F(NetStatusTest, AGrowingTableIsNeverOverrun)
{
    fake.rows = {MakeRow("Ethernet", 100000000, 1, 2), MakeRow("Wireless", 54000000, 4294967295u, 2147483648u)};
    netstatus::StatusPanel panel("Spindrel");
    panel.Select(1);
    ASSERT_TRUE(panel.LoadInterfaces());
    const netstatus::PanelTexts& texts = panel.Texts();
    const ULONG firstCapacity = panel.Table().capacity();
    EXPECT_EQ(firstCapacity, offsetof(MIB_IFTABLE, table) + 2 * sizeof(MIB_IFROW)); // one buffer of the reported size
    panel.Tick(true);
    EXPECT_EQ(texts.bytesSent, " 2147483648 ");
    EXPECT_EQ(texts.bytesReceived, " 4294967295 ");

    // Adapters appear: the buffer grows, the list stays as built, position 1 still reads row 1.
    for (int i = 0; i < 40; ++i)
        fake.rows.push_back(MakeRow("Virtual adapter", 0, 9, 9));
    fake.rows[1].dwOutOctets = 7;
    fake.rows[1].dwInOctets = 8;
    panel.Tick(true);
    EXPECT_GT(panel.Table().capacity(), firstCapacity);
    EXPECT_EQ(panel.Table().RowCount(), 42u);
    EXPECT_EQ(panel.Interfaces().size(), 2u);
    // Without GetIfEntry2: 4294967295 -> 8 is 9 bytes over the top of the 32-bit counter;
    // 2147483648 -> 7 is a counter that started again.
    EXPECT_EQ(texts.bytesSent, " 7 ");
    EXPECT_EQ(texts.bytesReceived, " 4294967304 ");

    // A table that grows on every query, faster than the buffer can follow.
    fake.growEachCall = true;
    for (int i = 0; i < 20; ++i)
        panel.Tick(false);
    fake.growEachCall = false;

    // Row 1 disappears: the counters keep the last ones shown.
    fake.rows.resize(1);
    panel.Tick(true);
    EXPECT_EQ(texts.bytesSent, " 7 ");
    EXPECT_EQ(texts.bytesReceived, " 4294967304 ");
    EXPECT_EQ(panel.TrayTip(), "Spindrel");
    EXPECT_EQ(fake.oversized, 0);
    EXPECT_EQ(fake.unsorted, 0);
}

TEST_F(NetStatusTest, SixtyFourBitTotalsAndDescriptionsInAnyLanguage)
{
    ScopedHook withIfEntry2(&netstatus::SetIpHelperLoader, &LibraryWithIfEntry2);
    fake.rows = {MakeRow("?", 0, 1, 2), MakeRow("?", 0, 3, 4)};
    // 60 Cyrillic letters and 5 GB in, 4 GiB out; 60 Chinese letters. Each list entry holds 38.
    MIB_IF_ROW2 rows[2] = {{}, {}};
    std::fill_n(rows[0].Description, 60, L'\x0436');
    std::fill_n(rows[1].Description, 60, L'\x7F51');
    std::tie(rows[0].InOctets, rows[0].OutOctets) = std::make_pair(5041084150u, 4294967296u);
    wideRows = {{fake.rows[0].dwIndex, rows[0]}, {fake.rows[1].dwIndex, rows[1]}};
    std::string cyrillic = " ", chinese = " ";
    for (int i = 0; i < 38; ++i)
        cyrillic += "\xD0\xB6", chinese += "\xE7\xBD\x91";
    Run(0, [&](NetStatusDlg& dlg) {
        EXPECT_EQ(dlg.Entries(), (std::vector<std::string>{cyrillic + " 0 Mb", chinese + " 0 Mb"}));
        dlg.Ticks(1);
        EXPECT_EQ(dlg.Shown(IDC_BYTES_RECEIVED), " 5041084150 ");
        EXPECT_EQ(dlg.Shown(IDC_BYTES_SENT), " 4294967296 ");
        EXPECT_EQ(dlg.statusPanel.TrayTip(), "Spindrel"); // the first tick
        wideRows[fake.rows[0].dwIndex].InOctets += 1000;
        dlg.Ticks(1);
        EXPECT_EQ(dlg.statusPanel.TrayTip().rfind("Spindrel\n\xE2\x86\x93 ", 0), 0u) << dlg.statusPanel.TrayTip();
        dlg.Choose(1); // another interface: no speed until its second reading
        EXPECT_EQ(dlg.statusPanel.TrayTip(), "Spindrel");
    });
    EXPECT_EQ(fake.calls, 2); // the ticks read the chosen interface alone, not the table again
}

TEST_F(NetStatusTest, ListsTheFirst256AcceptedRows)
{
    fake.rows.push_back(MakeRow("WAN Miniport (L2TP)", 0));
    for (DWORD i = 0; i < 300; ++i)
        fake.rows.push_back(MakeRow("Adapter", 10000000, i, i));
    netstatus::StatusPanel panel("Spindrel");
    panel.Select(255);
    ASSERT_TRUE(panel.LoadInterfaces());
    EXPECT_EQ(panel.Interfaces().size(), 256u);
    panel.Tick(true);
    EXPECT_EQ(panel.Texts().bytesSent, " 255 "); // row 256
}

// The stored choice, put back as the test found it.
TEST_F(NetStatusTest, ChoosingAnotherInterfaceStoresItsPosition)
{
    const std::string key = product_key::Path();
    prefs_test::KeptValue keep(key.c_str(), "Network");
    prefs_test::DeleteValue(key.c_str(), "Network");
    // Rows 1 and 3 are rejected: positions 0, 1, 2 show rows 0, 2, 4.
    fake.rows = {MakeRow("Ethernet", 100000000, 10, 20), MakeRow("WAN Miniport (PPTP)", 0, 11, 21),
                 MakeRow("Wireless", 54000000, 12, 22), MakeRow("isatap.{0A1B2C3D}", 0, 13, 23),
                 MakeRow("Bluetooth PAN", 3000000, 14, 24)};
    Run(1, [&](NetStatusDlg& dlg) {
        EXPECT_EQ(dlg.Entries(), (std::vector<std::string>{" Ethernet 95 Mb", " Wireless 51 Mb", " Bluetooth PAN 2 Mb"}));
        EXPECT_EQ(dlg.interfaceCombo.GetCurSel(), 1);
        EXPECT_EQ(dlg.statusPanel.Interfaces()[2].index, fake.rows[4].dwIndex);
        const auto stored = [&] { return prefs_test::Dword(prefs_test::ReadValue(key.c_str(), "Network")); };

        dlg.Choose(1); // the entry already selected
        EXPECT_FALSE(prefs_test::ReadValue(key.c_str(), "Network").exists);
        EXPECT_EQ(dlg.statusPanel.Texts().bytesSent, "");

        dlg.Choose(2);
        EXPECT_EQ(dlg.statusPanel.Selected(), 2);
        EXPECT_EQ(stored(), 2u);
        // The counters of row 4, in the panel's texts; the window shows them at the next refresh.
        EXPECT_EQ(dlg.statusPanel.Texts().bytesSent, " 24 ");
        EXPECT_EQ(dlg.statusPanel.Texts().bytesReceived, " 14 ");
        EXPECT_EQ(dlg.Shown(IDC_BYTES_SENT), "");
        dlg.Ticks(1);
        EXPECT_EQ(dlg.Shown(IDC_BYTES_SENT), " 24 ");

        // An adapter listed before it goes and another comes: the counters follow the chosen one.
        fake.rows.erase(fake.rows.begin());
        fake.rows.push_back(MakeRow("Docking station", 100000000, 98, 99));
        fake.rows[3].dwOutOctets = 25;
        dlg.Ticks(1);
        EXPECT_EQ(dlg.Shown(IDC_BYTES_SENT), " 25 ");

        dlg.Choose(0);
        EXPECT_EQ(stored(), 0u);
    });
}

TEST_F(NetStatusTest, TimerOneDrivesTheRefresh)
{
    fake.rows = {MakeRow("Ethernet", 100000000, 300, 400)};
    NetStatusDlg dialog;
    dialog.refreshInterval = 10;
    endAfterFiveQueries = &dialog;
    EXPECT_EQ(dialog.DoModal(), 0);
    endAfterFiveQueries = nullptr;
    EXPECT_EQ(connectedQueries, 5);
    dialog.statusPanel.Refresh(); // as the window does when it shows
    EXPECT_EQ(dialog.statusPanel.Texts().connectedTime, "  0 hrs :  0 mins :  5 secs");
    EXPECT_EQ(dialog.statusPanel.Texts().bytesSent, " 400 ");
    EXPECT_EQ(dialog.statusPanel.Texts().bytesReceived, " 300 ");
}

// ---- The library or an entry point missing: a message box, and the dialog ends with result 1.

struct SeenMessageBox {
    int count = 0;
    std::string caption;
    std::string text;
    bool exclamationIcon = false;
};
SeenMessageBox seen;

BOOL CALLBACK FindMessageText(HWND child, LPARAM)
{
    char text[128] = {};
    ::GetWindowTextA(child, text, sizeof text);
    if (std::strcmp(text, "Error loading Iphlpapi.dll") == 0)
        seen.text = text;
    if (::SendMessageA(child, STM_GETICON, 0, 0) == reinterpret_cast<LRESULT>(::LoadIconA(nullptr, IDI_EXCLAMATION)))
        seen.exclamationIcon = true;
    return TRUE;
}

BOOL CALLBACK CloseMessageBox(HWND window, LPARAM)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !::IsWindowVisible(window))
        return TRUE;
    const std::string before = seen.text;
    seen.text.clear();
    ::EnumChildWindows(window, &FindMessageText, 0);
    if (seen.text.empty()) {
        seen.text = before;
        return TRUE;
    }
    char caption[64] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    seen.caption = caption;
    ++seen.count;
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK DismissMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseMessageBox, 0);
}

TEST_F(NetStatusTest, MissingEntryPointEndsTheDialogWithResultOne)
{
    CWinApp app; // the message box's caption is the application's name
    app.LoadAppName();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &DismissMessageBox);

    for (const netstatus::IpHelperLoader loader : {&LibraryWithoutCount, &NoLibrary}) {
        seen = SeenMessageBox{};
        ScopedHook missing(&netstatus::SetIpHelperLoader, loader);
        NetStatusDlg dialog;
        EXPECT_EQ(dialog.DoModal(), 1);
        EXPECT_EQ(seen.count, 1);
        EXPECT_EQ(seen.text, "Error loading Iphlpapi.dll");
        EXPECT_EQ(seen.caption, "Spindrel");
        EXPECT_TRUE(seen.exclamationIcon);
        EXPECT_EQ(fake.calls, 0);
    }
    ::KillTimer(nullptr, timer);
}

} // namespace
