// The offer of administrator rights seen from another program, on a build whose capture sockets are
// refused as without those rights (under Wine the real program's raw socket fails otherwise).
// It runs, as Spindrel does, in UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "app/StartupTask.h"
#include "framework/CodePage.h"
#include "res/resource.h"
#include "tests/common/Preferences.h"

namespace {

using namespace prefs_test;
using namespace test_support;

// A message box: a dialog box of the process that has an owner (the main window).
HWND Box(DWORD processId)
{
    return FindProcessWindow(processId, "#32770", nullptr, [](HWND box) { return ::GetWindow(box, GW_OWNER) != nullptr; });
}

// Answers the next message box of the main window's process, once it has its text, which it returns.
std::string Answer(HWND window, int answer)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    HWND box = nullptr;
    std::string text;
    EXPECT_TRUE(WaitUntil([&] { return (box = Box(processId)) && !(text = ItemText(box, 0xFFFF)).empty(); }));
    ::PostMessageA(box, WM_COMMAND, answer, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    return text;
}

// A main window in the tray: the child of its hidden top-level owner.
HWND FindInTray()
{
    HWND top = nullptr, main = nullptr;
    while (!main && (top = ::FindWindowExA(nullptr, top, nullptr, nullptr)))
        main = ::FindWindowExA(top, nullptr, "#32770", "Spindrel");
    return main;
}

// The restart continues the session: Tarvo, which "Auto&Run Tarvo" started with the first copy,
// is not started again, and the new copy's window is where the old one's was.
TEST(Acceleration, WithoutRightsAClickOffersARestartAsAdministrator)
{
    KeptKey keptProduct{productKey}, keptClient{clientKey};
    KeptValue keptRun{runKey, "Spindrel"};
    ASSERT_TRUE(WriteDword(productKey, "RunOtherApp", 1) && WriteString(clientKey, "Install Path", TarvoFolder()));
    ::DeleteFileA(TarvoMarker().c_str());
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
    EXPECT_FALSE(WaitUntil([&] { return Box(spindrel.ProcessId()) != nullptr; }, 2000));
    EXPECT_EQ(TarvoStarts(1, 10000), 1);

    for (const int answer : {IDNO, IDYES}) {
        ::PostMessageA(::GetDlgItem(window, IDC_ACCELERATE), BM_CLICK, 0, 0);
        EXPECT_EQ(Answer(window, answer),
                  "Acceleration captures network traffic, which needs administrator rights.\n\n"
                  "Restart Spindrel as administrator?");
        if (answer == IDNO) {
            EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), needsRights);
        }
    }

    // Yes: the same program starts again through "runas", and this copy ends as "&Exit" ends it.
    EXPECT_TRUE(spindrel.WaitForExit(15000));
    EXPECT_NE(::GetFileAttributesA(settings.c_str()), INVALID_FILE_ATTRIBUTES);
    HWND second = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (second = ::FindWindowA("#32770", "Spindrel")) && ::IsWindowVisible(second); }, 15000));

    // From the tray: unticking "Run at &Startup" (ticked first, which wrote the Run value) finds this
    // copy's logon task, which only a copy with the rights can remove, and offers the restart.
    const std::wstring wideExe = code_page::ToWide(exe, CP_UTF8), task = startup_task::NameFor(wideExe);
    ASSERT_EQ(startup_task::Register(wideExe), S_OK);
    for (const WPARAM command : {IDCANCEL, ID_RUN_AT_STARTUP, ID_RUN_AT_STARTUP})
        ::PostMessageA(second, WM_COMMAND, command, 0);
    EXPECT_NE(Answer(second, IDYES).find("Only a Spindrel with those rights can remove that task"), std::string::npos);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(second); }));
    EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
    HWND third = nullptr; // a copy restarted from the tray starts there
    ASSERT_TRUE(WaitUntil([&] { return (third = FindInTray()) && ItemText(third, IDC_ACCELERATE) == needsRights; }));
    ::Sleep(500);
    EXPECT_FALSE(::IsWindowVisible(third));
    EXPECT_EQ(TarvoStarts(2, 1000), 1);
    ::PostMessageA(third, WM_COMMAND, ID_EXIT, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(third); }));
    startup_task::Delete(task);
    WaitUntil([&] { return ::DeleteFileA(exe.c_str()) != FALSE; });
    for (const std::string& file : {settings, folder + "Spindrel.lnk", TarvoMarker()})
        ::DeleteFileA(file.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace
