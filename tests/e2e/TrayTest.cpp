// The main window and its notification-area icon from another process: hidden into the tray by
// the minimise button and the close box, with its refresh going on, brought back by a double
// click on the icon, and ended by the Settings menu's "&Exit" while hidden.
#include <gtest/gtest.h>

#include "app/Config.h"
#include "tests/common/Platform.h"
#include "tests/common/Process.h"
#include "res/resource.h"

#include <shellapi.h>

namespace {

using test_support::SpindrelProcess;
using test_support::WaitUntil;

bool InTray(HWND window)
{
    return !(::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) && !::IsWindowVisible(window) &&
           ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow();
}

TEST(Tray, HideShowAndExitWhileHidden)
{
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    // "&Minimize to Tray": hidden, off the taskbar; the status clock goes on counting, and the
    // window shows the count as it comes back (below), without waiting for the next tick.
    spindrel.PostCommand(2);
    ASSERT_TRUE(WaitUntil([&] { return InTray(window); }));
    const std::string before = spindrel.ControlText(IDC_CONNECTED_TIME);
    ::Sleep(2500); // hidden ticks pass; the panel's texts wait for the window to show

    // A single click on the icon does nothing; a double click brings the window back to the front.
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONUP), 1);
    EXPECT_TRUE(InTray(window));
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONDBLCLK, 130), 0); // another icon's identifier
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONDBLCLK), 1);
    EXPECT_NE(spindrel.ControlText(IDC_CONNECTED_TIME), before);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
    EXPECT_EQ(::GetForegroundWindow(), window);

    // The close box hides it as well; "&Exit" then ends the program.
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return InTray(window); }));
    EXPECT_TRUE(spindrel.Running());
    spindrel.PostCommand(ID_EXIT);
    DWORD code = 99;
    EXPECT_TRUE(spindrel.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

// The session's end as Windows sends it, to the top-level windows (the main window is none in the tray), with
// no settings file: a session that goes on changes nothing; a logoff or an installer's Restart Manager ends it.
TEST(Tray, TheSessionsEndWritesTheSettingsAndEndsAlsoInTheTray)
{
    const std::string ini = test_support::SpindrelExePath().replace(test_support::SpindrelExePath().size() - 3, 3, "ini");
    for (const bool inTray : {false, true}) {
        ::DeleteFileA(ini.c_str());
        SpindrelProcess spindrel;
        const HWND window = spindrel.Start() ? spindrel.WaitForMainWindow() : nullptr;
        ASSERT_NE(window, nullptr);
        if (inTray)
            spindrel.PostCommand(2);
        ASSERT_TRUE(WaitUntil([&] { return InTray(window) == inTray; }));
        const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
            DWORD_PTR answer = TRUE, all = TRUE;
            for (HWND top : test_support::ProcessWindows(spindrel.ProcessId(), nullptr, nullptr, nullptr))
                if ((top != window || !inTray) && ::SendMessageTimeoutA(top, message, wParam, lParam, 0, 5000, &answer))
                    all &= answer;
            return all;
        };
        EXPECT_EQ(send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), DWORD_PTR{TRUE});
        send(WM_ENDSESSION, FALSE, 0);
        EXPECT_TRUE(spindrel.Running());
        EXPECT_EQ(::GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
        send(WM_ENDSESSION, TRUE, inTray ? ENDSESSION_CLOSEAPP : ENDSESSION_LOGOFF);
        EXPECT_NE(::GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES) << inTray;
        EXPECT_TRUE(spindrel.WaitForExit(5000)) << inTray;
    }
}

// The shell restarting (Explorer's crash or update) loses every icon and then broadcasts
// "TaskbarCreated": the icon comes back, also after a work-area change has told Spindrel of a
// taskbar that still had it. Run in the virtual desktop, whose shell has a real tray.
TEST(Tray, IconComesBackWhenTheShellRestarts)
{
    SPINDREL_ONLY_UNDER_WINE("it restarts the shell of Wine's virtual desktop");
    ASSERT_TRUE(test_support::JoinVirtualDesktop());
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = window;
    icon.uID = 129;
    const auto shown = [&] { return ::Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE; };
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    for (bool workAreaChanged : {false, true}) {
        ASSERT_TRUE(WaitUntil(shown)) << workAreaChanged;
        if (workAreaChanged)
            ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        ::Shell_NotifyIconA(NIM_DELETE, &icon);
        EXPECT_FALSE(shown());
        ::SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        EXPECT_TRUE(WaitUntil(shown, 5000)) << workAreaChanged;
    }
    // The setup's exit request, which reaches a copy restarted as administrator too, ends it as "&Exit".
    ::PostMessageA(window, ::RegisterWindowMessageA(config::exitRequestMessage), 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(spindrel.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
