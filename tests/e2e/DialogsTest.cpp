// The About box from another process: opened by the system menu's "&About Spindrel..." and by the
// Settings menu's "&About", shown over the main window, and closed with OK.
#include <gtest/gtest.h>

#include "tests/e2e/SpindrelProcess.h"

namespace {

using e2e::SpindrelProcess;

// The About box shares the main window's caption; it has no toggle.
bool IsAboutBox(HWND hwnd)
{
    return !::GetDlgItem(hwnd, 1001) && ::IsWindowVisible(hwnd);
}

std::string Text(HWND window, int id)
{
    char text[128] = {};
    ::GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

TEST(Dialogs, AboutBoxFromTheSystemMenuAndTheSettingsMenu)
{
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    for (bool systemMenu : {true, false}) {
        SCOPED_TRACE(systemMenu ? "system menu" : "Settings menu");
        if (systemMenu)
            ::PostMessageA(window, WM_SYSCOMMAND, 0x0010, 0);
        else
            spindrel.PostCommand(32776);
        HWND about = spindrel.WaitForDialog("Spindrel", 10000, &IsAboutBox);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(Text(about, 1), "&OK");
        EXPECT_TRUE(::GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(::IsWindowEnabled(window)); // modal over the main window
        ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(about, 1)));
        for (int waited = 0; waited < 10000 && ::IsWindow(about); waited += 50)
            ::Sleep(50);
        EXPECT_FALSE(::IsWindow(about));
        EXPECT_TRUE(::IsWindowEnabled(window));
    }
    spindrel.PostCommand(1007);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

} // namespace
