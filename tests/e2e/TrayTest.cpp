// The main window and its notification-area icon from another process: hidden into the tray by
// the minimise button and the close box, with its refresh going on, brought back by a double
// click on the icon, and ended by the Settings menu's "&Exit" while hidden.
#include <gtest/gtest.h>

#include "app/Config.h"
#include "tests/common/Platform.h"
#include "tests/common/Process.h"

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

    // "&Minimize to Tray": hidden, off the taskbar, and the status clock goes on.
    spindrel.PostCommand(2);
    ASSERT_TRUE(WaitUntil([&] { return InTray(window); }));
    const std::string before = spindrel.ControlText(1009);
    EXPECT_TRUE(WaitUntil([&] { return spindrel.ControlText(1009) != before; }, 5000));

    // A single click on the icon does nothing; a double click brings the window back to the front.
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONUP), 1);
    EXPECT_TRUE(InTray(window));
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONDBLCLK, 130), 0); // another icon's identifier
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
    EXPECT_EQ(::GetForegroundWindow(), window);

    // The close box hides it as well; "&Exit" then ends the program.
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return InTray(window); }));
    EXPECT_TRUE(spindrel.Running());
    spindrel.PostCommand(32786);
    DWORD code = 99;
    EXPECT_TRUE(spindrel.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
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
