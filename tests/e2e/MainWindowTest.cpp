// The main window as another program sees it: its template, its place, and the three ways to end it.
#include <gtest/gtest.h>

#include <utility>

#include "tests/common/Platform.h"
#include "tests/common/Process.h"

#include <tlhelp32.h>

#include "framework/Handles.h"
#include "res/resource.h"

namespace {

using test_support::RealCaptureCaption;
using test_support::RealCaptureRuns;
using test_support::SpindrelProcess;

TEST(MainWindow, OpensVisibleCentredWithTheTemplatesTexts)
{
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start("-tray")); // the argument changes nothing
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(::IsWindowVisible(window));
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & DS_CENTER); // the system centres it, so the framework does not move it again

    EXPECT_EQ(spindrel.ControlText(3), "&Run your Tarvo");
    EXPECT_EQ(spindrel.ControlText(2), "&Minimize to Tray");
    EXPECT_EQ(spindrel.ControlText(IDC_QUIT), "&Quit Application");
    EXPECT_EQ(spindrel.ControlText(IDC_CONNECTION_TYPE_LABEL), "Connection Type:");
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), RealCaptureCaption()); // Wine refuses the raw socket
    EXPECT_EQ(::SendDlgItemMessageA(window, IDC_ACCELERATE, BM_GETCHECK, 0, 0), RealCaptureRuns() ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_NE(::GetDlgItem(window, IDC_INTERFACE_LIST), nullptr);
    // The placeholders of the value fields never show.
    for (int id : {IDC_CONNECTED_TIME, IDC_BYTES_RECEIVED, IDC_BYTES_SENT, IDC_CONNECTION_STATUS, IDC_CONNECTION_TYPE,
                   IDC_ACCELERATED_TIME}) {
        EXPECT_NE(spindrel.ControlText(id), "Static") << id;
        EXPECT_NE(spindrel.ControlText(id), "Status") << id;
    }

    // Centred in the work area, to the pixel give or take rounding.
    RECT area, rect;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(window, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, (area.left + area.right) / 2, 2);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (area.top + area.bottom) / 2, 2);
}

// That each of the three ways to end the program ends it: e2e_preferences, EndingWithoutSave.

// Under Wine the raw socket is refused, as it is to a user without administrator rights for another
// reason: the toggle stays released with its clock frozen, and a hundred clicks ask nothing and
// leave no thread or handle behind.
TEST(MainWindow, AFailingCaptureStaysStoppedThroughAHundredClicks)
{
    if (RealCaptureRuns())
        GTEST_SKIP() << "an administrator's raw socket opens on Windows (e2e_platform)";
    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    HWND toggle = ::GetDlgItem(window, IDC_ACCELERATE);
    const std::string clock = spindrel.ControlText(IDC_ACCELERATED_TIME);
    ::Sleep(3000);
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATED_TIME), clock);

    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, spindrel.ProcessId()));
    const auto counts = [&] {
        DWORD handles = 0, threads = 0;
        ::GetProcessHandleCount(process.get(), &handles);
        const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
            threads += entry.th32OwnerProcessID == spindrel.ProcessId();
        return std::make_pair(handles, threads);
    };
    const auto before = counts();
    for (int click = 0; click < 100; ++click)
        ::SendMessageA(toggle, BM_CLICK, 0, 0);
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), "State: Stopped\nCapture failed");
    EXPECT_EQ(::SendMessageA(toggle, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(test_support::ProcessWindows(spindrel.ProcessId(), "#32770", nullptr, nullptr).size(), 1u);
    EXPECT_EQ(counts(), before);
    spindrel.PostCommand(IDC_QUIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

TEST(MainWindow, TwoCopiesRunSideBySide)
{
    SpindrelProcess first, second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    HWND a = first.WaitForMainWindow();
    HWND b = second.WaitForMainWindow();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    first.PostCommand(IDC_QUIT);
    EXPECT_TRUE(first.WaitForExit(15000));
    EXPECT_TRUE(second.Running());
}

} // namespace
