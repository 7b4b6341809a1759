// The About box from another process: opened by the system menu's "&About Spindrel..." and by the
// Settings menu's "&About" (also while the window is hidden in the tray), centred over the main
// window (on the work area while that is hidden), modal, and closed with OK. Then what assistive
// technology reads of the main window's toggle and of the error dialog's link.
#include <gtest/gtest.h>

#include "app/Config.h"
#include "tests/common/Accessible.h"
#include "tests/common/Platform.h"
#include "tests/common/Preferences.h"
#include "tests/common/Process.h"
#include "res/resource.h"

namespace {

using namespace test_support;

// The About box shares the main window's caption; it has no toggle.
bool IsAboutBox(HWND hwnd)
{
    return !::GetDlgItem(hwnd, IDC_ACCELERATE) && ::IsWindowVisible(hwnd);
}

POINT Centre(HWND window)
{
    RECT r;
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(Dialogs, AboutBoxFromTheSystemMenuAndTheSettingsMenuOpensCentred)
{
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);

    enum class From { SystemMenu, SettingsMenu, SettingsMenuWhileHidden };
    for (From from : {From::SystemMenu, From::SettingsMenu, From::SettingsMenuWhileHidden}) {
        SCOPED_TRACE(from == From::SystemMenu ? "system menu" : from == From::SettingsMenu ? "Settings menu" : "hidden");
        if (from == From::SystemMenu) {
            ::PostMessageA(window, WM_SYSCOMMAND, 0x0010, 0);
        } else {
            if (from == From::SettingsMenuWhileHidden) {
                spindrel.PostCommand(2); // "&Minimize to Tray"
                ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }));
            }
            spindrel.PostCommand(ID_ABOUT);
        }
        HWND about = spindrel.WaitForDialog("Spindrel", 10000, &IsAboutBox);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(ItemText(about, 1), "&OK");
        EXPECT_TRUE(::GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(::IsWindowEnabled(window)); // modal over the main window

        const POINT centre = Centre(about);
        const POINT over = from == From::SettingsMenuWhileHidden
                               ? POINT{(work.left + work.right) / 2, (work.top + work.bottom) / 2}
                               : Centre(window);
        EXPECT_NEAR(centre.x, over.x, 1);
        EXPECT_NEAR(centre.y, over.y, 1);
        RECT shown, onScreen;
        ::GetWindowRect(about, &shown);
        ::IntersectRect(&onScreen, &shown, &work);
        EXPECT_TRUE(::EqualRect(&onScreen, &shown));

        ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(about, 1)));
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
        EXPECT_TRUE(::IsWindowEnabled(window));
    }
    spindrel.PostCommand(IDC_QUIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

TEST(Dialogs, AssistiveTechnologySeesTheToggleAsACheckButtonAndTheErrorDialogsLinkAsALink)
{
    prefs_test::KeptKey product(prefs_test::productKey), client(prefs_test::clientKey);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, prefs_test::productKey); // no "Auto&Run Tarvo" left by another test
    ::SHDeleteKeyA(HKEY_CURRENT_USER, prefs_test::clientKey);
    // A build whose capture runs, so that acceleration is on after the start.
    SpindrelProcess spindrel(OwnFolder() + "capturing\\SpindrelCapturing.exe");
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    // A standard check box, whose checked state follows the acceleration. This Wine's oleacc
    // describes no button (a plain client): there the test reads what Windows' oleacc reads.
    // Windows' oleacc gives the standard roles.
    HWND toggle = ::GetDlgItem(window, IDC_ACCELERATE);
    const auto seenChecked = [toggle] {
        const AccessibleInfo seen = ReadAccessible(toggle);
        if (seen.role != ROLE_SYSTEM_CLIENT || !UnderWine()) {
            EXPECT_EQ(seen.role, ROLE_SYSTEM_CHECKBUTTON);
            return (seen.state & STATE_SYSTEM_CHECKED) != 0;
        }
        char name[16] = {};
        ::GetClassNameA(toggle, name, sizeof name);
        EXPECT_STREQ(name, "Button");
        EXPECT_EQ(::GetWindowLongA(toggle, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
        return ::SendMessageA(toggle, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    EXPECT_TRUE(seenChecked()) << "acceleration is on after the start";
    ::SendMessageA(toggle, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return spindrel.ControlText(IDC_ACCELERATE) == "State: Stopped\nPush to activate acceleration"; }));
    EXPECT_FALSE(seenChecked());

    // "&Run your Tarvo" without Tarvo: the error dialog, whose link answers from Spindrel's process.
    spindrel.PostCommand(3);
    HWND error = spindrel.WaitForDialog("Error");
    ASSERT_NE(error, nullptr);
    const AccessibleInfo seen = ReadAccessible(::GetDlgItem(error, IDC_DOWNLOAD_LINK));
    EXPECT_EQ(seen.role, ROLE_SYSTEM_LINK);
    EXPECT_TRUE(seen.name == L"Click here to download Tarvo" && seen.defaultAction == L"Jump");
    EXPECT_EQ(std::string(seen.value.begin(), seen.value.end()), config::clientHomePage);

    ::PostMessageA(error, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(error); }));
    spindrel.PostCommand(IDC_QUIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

} // namespace
