// The main window's toggle and accelerated-time clock under Wine, with stand-ins for the raw sockets
// and the address table: Activated only while a capture runs, the clock running, stopping and going
// on; a start before the network is up, a capture that dies, then a thousand clicks on the toggle.
#include "app/SpindrelDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "netstatus/ClockRule.h"
#include "engine/Capture.h"
#include "res/resource.h"
#include "tests/win32/EngineLoopback.h"

namespace {

using namespace engine_test;
using test_support::ItemText;

std::atomic<HWND> openedWindow{nullptr};

// Records what the window showed the moment its initialisation ended.
class WatchedDialog : public CSpindrelDlg {
public:
    BOOL OnInitDialog() override
    {
        const BOOL result = CSpindrelDlg::OnInitDialog();
        caption = ItemText(m_hWnd, IDC_ACCELERATE);
        check = static_cast<int>(::SendMessageA(GetDlgItem(IDC_ACCELERATE), BM_GETCHECK, 0, 0));
        clock = ItemText(m_hWnd, IDC_ACCELERATED_TIME);
        flag = accelerating.load();
        openedWindow = m_hWnd;
        return result;
    }
    std::string caption, clock;
    int check = -1, flag = -1;
};

// Waits up to timeout for the clock to show something other than before.
std::string NextClock(HWND window, const std::string& before, int timeout = 4000)
{
    for (int waited = 0; waited < timeout; waited += 20) {
        const std::string now = ItemText(window, IDC_ACCELERATED_TIME);
        if (now != before)
            return now;
        ::Sleep(20);
    }
    return before;
}

// The address table that each switch-on reads: none until the network is up, then loopback.
bool networkUp = false;
DWORD WINAPI Addresses(PMIB_IPADDRTABLE table, PULONG, BOOL)
{
    table->dwNumEntries = networkUp ? 1 : 0;
    table->table[0] = MIB_IPADDRROW{};
    table->table[0].dwAddr = ::inet_addr("127.0.0.1");
    return NO_ERROR;
}

std::string OneSecondAfter(const std::string& text)
{
    int hours = 0, minutes = 0, seconds = 0;
    if (std::sscanf(text.c_str(), " %d hrs : %d mins : %d secs", &hours, &minutes, &seconds) != 3)
        return "unreadable: " + text;
    std::int32_t h = hours, m = minutes, s = seconds;
    clock_rule::Tick(h, m, s);
    return clock_rule::Format(h, m, s);
}

TEST(EngineWindow, ActivatedOnlyWhileTheCaptureRunsAndAThousandClicksLeaveOneCapture)
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(1, 1), &data);
    LoopbackSockets sockets;
    ScopedHook source(&SetCaptureSocketSource, &sockets);
    ScopedHook addresses(&SetIpAddrTableQuery, &Addresses);
    WatchedDialog dialog;

    // Driven from a second thread while the dialog's own loop runs.
    std::string firstTick, stoppedCaption, frozenAt, stillFrozen, resumedCaption, resumed;
    int stoppedCheck = -1, stoppedFlag = -1, resumedFlag = -1;
    std::string afterClicksCaption;
    int afterClicksCheck = -1, threadsBefore = 0;
    bool settled = false, allEnded = false;
    std::thread driver([&] {
        WaitUntil([] { return openedWindow.load() != nullptr; }, 10000);
        const HWND window = openedWindow.load();
        if (!window)
            return;
        const HWND toggle = ::GetDlgItem(window, IDC_ACCELERATE);
        // Started before the network was up: the first click once it is up takes its address.
        networkUp = true;
        ::SendMessageA(toggle, BM_CLICK, 0, 0);
        firstTick = NextClock(window, " 0 hrs :  0 mins :  0 secs");

        ::SendMessageA(toggle, BM_CLICK, 0, 0); // off
        stoppedCaption = ItemText(window, IDC_ACCELERATE);
        stoppedCheck = static_cast<int>(::SendMessageA(toggle, BM_GETCHECK, 0, 0));
        stoppedFlag = accelerating.load();
        frozenAt = ItemText(window, IDC_ACCELERATED_TIME);
        stillFrozen = NextClock(window, frozenAt, 1600);

        ::SendMessageA(toggle, BM_CLICK, 0, 0); // on again
        resumedCaption = ItemText(window, IDC_ACCELERATE);
        resumedFlag = accelerating.load();
        resumed = NextClock(window, frozenAt);

        // The capture dies while on: within a second the window shows it, and the clock stops.
        SendTo(PortOf(captureSocket.load()), kResetDatagramSize);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(window, IDC_ACCELERATE) == "State: Stopped\nCapture failed"; }, 1000));
        EXPECT_EQ(::SendMessageA(toggle, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(accelerating.load(), 0);
        const std::string failedAt = ItemText(window, IDC_ACCELERATED_TIME);
        EXPECT_EQ(NextClock(window, failedAt, 1600), failedAt);

        // On, off, and then that capture dies: nothing is told.
        ::SendMessageA(toggle, BM_CLICK, 0, 0);
        ::Sleep(200); // the worker waits in its loop
        ::SendMessageA(toggle, BM_CLICK, 0, 0);
        SendTo(PortOf(captureSocket.load()), kResetDatagramSize);
        EXPECT_TRUE(WaitUntil([&] { return sockets.StillOpen() == 0; }));
        ::Sleep(300);
        EXPECT_EQ(ItemText(window, IDC_ACCELERATE), "State: Stopped\nPush to activate acceleration");

        // A thousand clicks through the window's own handler, with loopback sockets for captures.
        // They end where they began: switched on, with one worker.
        ::SendMessageA(toggle, BM_CLICK, 0, 0);
        threadsBefore = ThreadCount() - 1;
        for (int i = 0; i < 1000; ++i)
            ::SendMessageA(toggle, BM_CLICK, 0, 0);
        afterClicksCaption = ItemText(window, IDC_ACCELERATE);
        afterClicksCheck = static_cast<int>(::SendMessageA(toggle, BM_GETCHECK, 0, 0));
        settled = WaitUntil([&] { return sockets.StillOpen() == 1 && ThreadCount() <= threadsBefore + 1; });
        // Off, and one datagram: the last worker ends and closes its socket.
        ::SendMessageA(toggle, BM_CLICK, 0, 0);
        const SOCKET last = captureSocket.load();
        if (last != INVALID_SOCKET)
            SendTo(PortOf(last));
        allEnded = WaitUntil([&] { return sockets.StillOpen() == 0 && ThreadCount() <= threadsBefore; });
        ::PostMessageA(window, WM_COMMAND, ID_EXIT, 0);
    });
    const INT_PTR result = dialog.DoModal();
    driver.join();
    ASSERT_NE(openedWindow.load(), nullptr) << "DoModal gave " << result << " error " << ::GetLastError();

    EXPECT_EQ(dialog.caption, "State: Stopped\nCapture failed");
    EXPECT_EQ(dialog.check, BST_UNCHECKED);
    EXPECT_EQ(dialog.clock, " 0 hrs :  0 mins :  0 secs");
    EXPECT_EQ(dialog.flag, 0);
    EXPECT_EQ(firstTick, "  0 hrs :  0 mins :  1 secs");

    EXPECT_EQ(stoppedCaption, "State: Stopped\nPush to activate acceleration");
    EXPECT_EQ(stoppedCheck, BST_UNCHECKED);
    EXPECT_EQ(stoppedFlag, 0);
    EXPECT_EQ(stillFrozen, frozenAt);

    EXPECT_EQ(resumedCaption, "State: Activated\nPush to stop");
    EXPECT_EQ(resumedFlag, 1);
    // The clock is never reset: it goes on from where it stopped.
    EXPECT_EQ(resumed, OneSecondAfter(frozenAt));

    EXPECT_EQ(afterClicksCaption, "State: Activated\nPush to stop");
    EXPECT_EQ(afterClicksCheck, BST_CHECKED);
    EXPECT_TRUE(settled) << sockets.StillOpen() << " capture sockets open after 1000 clicks";
    EXPECT_TRUE(allEnded) << sockets.StillOpen() << " capture sockets open at the end";
    EXPECT_EQ(sockets.Opened(), 505);
    EXPECT_EQ(sockets.DoubleCloses(), 0);
}

} // namespace
