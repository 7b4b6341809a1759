// Spindrel.exe and its preferences, seen from another program: what a first start and one hide
// leave in the registry, that the three ways to end write nothing, and "Auto&Run Tarvo" at
// start-up, with the stand-in Tarvo.exe and without any Tarvo.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/e2e/SpindrelProcess.h"
#include "tests/win32/PreferencesSupport.h"

namespace {

using namespace prefs_test;
using e2e::SpindrelProcess;

constexpr const char productKey[] = "SOFTWARE\\Spindrel";
constexpr const char clientKey[] = "Software\\Tarvo";

DWORD Dword(const StoredValue& value)
{
    DWORD number = 0;
    if (value.type == REG_DWORD && value.data.size() == sizeof number)
        std::memcpy(&number, value.data.data(), sizeof number);
    else
        number = 0xDEADBEEF;
    return number;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD begin = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - begin >= timeoutMs)
            return false;
        ::Sleep(50);
    }
    return true;
}

class PreferencesStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, productKey);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, clientKey);
    }

    KeptKey keptProduct{productKey};
    KeptKey keptClient{clientKey};
};

TEST_F(PreferencesStartup, AHideAfterAFirstStartWritesTheThreeDefaultsOnly)
{
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    EXPECT_FALSE(KeyExists(productKey));

    spindrel.PostCommand(IDCANCEL); // "&Minimize to Tray"
    ASSERT_TRUE(WaitFor([] { return ReadValue(productKey, "AccelerateN").exists; }, 10000));
    EXPECT_EQ(Dword(ReadValue(productKey, "CheckPeriodNum")), 12u);
    EXPECT_EQ(Dword(ReadValue(productKey, "CheckPeriodCombo")), 0u);
    EXPECT_EQ(Dword(ReadValue(productKey, "AccelerateN")), 7u);
    EXPECT_EQ(ValueNames(productKey).size(), 3u) << "AutoResumeDownloads, RunOtherApp and Network stay unwritten";

    spindrel.PostCommand(1007);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

// "&Quit Application" (1007), "&Exit" (32786) and OK (1) end the program without a save.
class EndingWithoutSave : public PreferencesStartup, public ::testing::WithParamInterface<int> {};

TEST_P(EndingWithoutSave, LeavesNoProductKey)
{
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    spindrel.PostCommand(GetParam());
    ASSERT_TRUE(spindrel.WaitForExit(15000));
    EXPECT_FALSE(KeyExists(productKey));
}

INSTANTIATE_TEST_SUITE_P(QuitExitAndOk, EndingWithoutSave, ::testing::Values(1007, 32786, 1));

TEST_F(PreferencesStartup, AutoRunStartsTarvoAtStartUp)
{
    ::DeleteFileA(TarvoMarker().c_str());
    ASSERT_TRUE(WriteDword(productKey, "RunOtherApp", 1));
    ASSERT_TRUE(WriteString(clientKey, "Install Path", TarvoFolder()));

    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    EXPECT_EQ(TarvoStarts(1, 10000), 1);
    EXPECT_EQ(spindrel.ControlText(1001), "State: Stopped\nCapture failed"); // Wine refuses raw sockets

    // "&Run your Tarvo" starts it once more.
    spindrel.PostCommand(3);
    EXPECT_EQ(TarvoStarts(2, 10000), 2);
    spindrel.PostCommand(1007);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
    ::DeleteFileA(TarvoMarker().c_str());
}

TEST_F(PreferencesStartup, AutoRunWithoutTarvoShowsTheErrorBeforeTheWindowAndStartUpGoesOn)
{
    ASSERT_TRUE(WriteDword(productKey, "RunOtherApp", 1));

    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND error = spindrel.WaitForDialog("Error");
    ASSERT_NE(error, nullptr);
    // The main window exists, not yet shown, and acceleration is not on yet.
    HWND main = e2e::FindProcessWindow(spindrel.ProcessId(), "#32770", "Spindrel");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(::IsWindowVisible(main));
    char caption[64] = {};
    ::GetDlgItemTextA(main, 1001, caption, sizeof caption);
    EXPECT_STREQ(caption, "ACCELLERATE!");

    ::PostMessageA(error, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    EXPECT_EQ(spindrel.ControlText(1001), "State: Stopped\nCapture failed"); // Wine refuses raw sockets
    spindrel.PostCommand(1007);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

} // namespace
