// The offer of administrator rights seen from another program, on a build whose capture sockets are
// refused as without those rights (under Wine the real program's raw socket fails otherwise).
// It runs, as Spindrel does, in UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "tests/common/Process.h"
#include "res/resource.h"

namespace {

using namespace test_support;

// A message box: a dialog box of the process that has an owner (the main window).
HWND Box(const SpindrelProcess& spindrel)
{
    return FindProcessWindow(spindrel.ProcessId(), "#32770", nullptr,
                             [](HWND box) { return ::GetWindow(box, GW_OWNER) != nullptr; });
}

TEST(Acceleration, WithoutRightsAClickOffersARestartAsAdministrator)
{
    // From a folder whose path takes more than MAX_PATH bytes in UTF-8, though fewer characters.
    std::string name;
    for (int i = 0; i < 80; ++i)
        name += "\xE7\x8E\x8B";
    const std::string folder = OwnFolder() + "norights\\" + name + "\\", exe = folder + "SpindrelWithoutRights.exe",
                      settings = folder + "SpindrelWithoutRights.ini";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA(settings.c_str());
    ASSERT_TRUE(::CopyFileA((OwnFolder() + "norights\\SpindrelWithoutRights.exe").c_str(), exe.c_str(), FALSE));
    SpindrelProcess spindrel(exe);
    ASSERT_TRUE(spindrel.Start("", folder));
    const HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    const std::string needsRights = "State: Stopped\nNeeds administrator rights";
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), needsRights);
    // The start asks nothing: no box comes, however long it is given.
    EXPECT_FALSE(WaitUntil([&] { return Box(spindrel) != nullptr; }, 2000));

    for (const int answer : {IDNO, IDYES}) {
        ::PostMessageA(::GetDlgItem(window, IDC_ACCELERATE), BM_CLICK, 0, 0);
        HWND box = nullptr;
        std::string text; // once the box has its text
        ASSERT_TRUE(WaitUntil([&] { return (box = Box(spindrel)) && !(text = ItemText(box, 0xFFFF)).empty(); }));
        EXPECT_EQ(text, "Acceleration captures network traffic, which needs administrator rights.\n\n"
                        "Restart Spindrel as administrator?");
        ::PostMessageA(box, WM_COMMAND, answer, 0);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
        if (answer == IDNO) {
            EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), needsRights);
        }
    }

    // Yes: the same program starts again through "runas", and this copy ends as "&Exit" ends it.
    EXPECT_TRUE(spindrel.WaitForExit(15000));
    EXPECT_NE(::GetFileAttributesA(settings.c_str()), INVALID_FILE_ATTRIBUTES);
    HWND second = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (second = ::FindWindowA("#32770", "Spindrel")) != nullptr; }, 15000));
    ::PostMessageA(second, WM_COMMAND, ID_EXIT, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(second); }));
    WaitUntil([&] { return ::DeleteFileA(exe.c_str()) != FALSE; });
    ::DeleteFileA(settings.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace
