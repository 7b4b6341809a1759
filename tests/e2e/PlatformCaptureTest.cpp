// The real Spindrel.exe's capture on the platform under the test. Wine refuses raw sockets to
// everyone; Windows opens one for an administrator (the hosted CI runners run as one) and refuses
// it to anyone else. What the toggle shows, whether the accelerated clock runs, and that a
// switch-off ends the capture's worker, each as this platform has it.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "res/resource.h"
#include "tests/common/Platform.h"
#include "tests/common/Process.h"

namespace {

using namespace test_support;

DWORD ThreadCount(DWORD processId)
{
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD threads = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        threads += entry.th32OwnerProcessID == processId;
    return threads;
}

TEST(PlatformCapture, TheRealCaptureDoesWhatThePlatformAllows)
{
    const std::string expected = RealCaptureCaption();
    const bool captures = expected == "State: Activated\nPush to stop";
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    std::string caption;
    EXPECT_TRUE(WaitUntil([&] { return (caption = spindrel.ControlText(IDC_ACCELERATE)) == expected; }, 15000))
        << PlatformName() << " shows \"" << caption << "\"";
    EXPECT_EQ(::SendDlgItemMessageA(window, IDC_ACCELERATE, BM_GETCHECK, 0, 0), captures ? BST_CHECKED : BST_UNCHECKED);

    // The clock counts only while the capture runs.
    const std::string clock = spindrel.ControlText(IDC_ACCELERATED_TIME);
    const bool ticked = WaitUntil([&] { return spindrel.ControlText(IDC_ACCELERATED_TIME) != clock; }, 3000);
    EXPECT_EQ(ticked, captures) << PlatformName() << ", clock " << clock;

    if (captures) {
        // The switch-off ends the worker, and with it its socket and the clock.
        const DWORD running = ThreadCount(spindrel.ProcessId());
        ::PostMessageA(::GetDlgItem(window, IDC_ACCELERATE), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] {
            return spindrel.ControlText(IDC_ACCELERATE) == "State: Stopped\nPush to activate acceleration";
        }));
        EXPECT_TRUE(WaitUntil([&] { return ThreadCount(spindrel.ProcessId()) < running; }, 5000));
    }
    spindrel.PostCommand(ID_EXIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

} // namespace
