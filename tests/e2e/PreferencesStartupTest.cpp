// Spindrel.exe and its preferences, seen from another program: what a first start and one hide
// leave in the registry, that the three ways to end write nothing, "Auto&Run Tarvo" at start-up,
// with the stand-in Tarvo.exe and without any Tarvo, and "Run at &Startup" from a copy of the
// program in a folder of its own. This test runs, as Spindrel does, in UTF-8.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/StartupTask.h"
#include "framework/CodePage.h"
#include "tests/common/Platform.h"
#include "tests/common/Preferences.h"
#include "res/resource.h"

namespace {

using namespace prefs_test;
using namespace test_support;

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
    ASSERT_TRUE(WaitUntil([] { return ReadValue(productKey, "AccelerateN").exists; }, 10000));
    EXPECT_EQ(Dword(ReadValue(productKey, "CheckPeriodNum")), 12u);
    EXPECT_EQ(Dword(ReadValue(productKey, "CheckPeriodCombo")), 0u);
    EXPECT_EQ(Dword(ReadValue(productKey, "AccelerateN")), 7u);
    EXPECT_EQ(ValueNames(productKey).size(), 3u) << "AutoResumeDownloads, RunOtherApp and Network stay unwritten";

    spindrel.PostCommand(IDC_QUIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

// "&Quit Application", "&Exit" and OK end the program without a save.
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

INSTANTIATE_TEST_SUITE_P(QuitExitAndOk, EndingWithoutSave, ::testing::Values(IDC_QUIT, ID_EXIT, IDOK));

TEST_F(PreferencesStartup, AutoRunStartsTarvoAtStartUp)
{
    ::DeleteFileA(TarvoMarker().c_str());
    ASSERT_TRUE(WriteDword(productKey, "RunOtherApp", 1));
    ASSERT_TRUE(WriteString(clientKey, "Install Path", TarvoFolder()));

    SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    EXPECT_EQ(TarvoStarts(1, 10000), 1);
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), test_support::RealCaptureCaption()); // Wine refuses raw sockets

    // "&Run your Tarvo" starts it once more.
    spindrel.PostCommand(3);
    EXPECT_EQ(TarvoStarts(2, 10000), 2);
    spindrel.PostCommand(IDC_QUIT);
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
    HWND main = FindProcessWindow(spindrel.ProcessId(), "#32770", "Spindrel");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_EQ(ItemText(main, IDC_ACCELERATE), "ACCELLERATE!");

    ::PostMessageA(error, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    EXPECT_EQ(spindrel.ControlText(IDC_ACCELERATE), test_support::RealCaptureCaption()); // Wine refuses raw sockets
    spindrel.PostCommand(IDC_QUIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

// A copy of Spindrel.exe in a folder of its own, named in letters that the system's code page
// (1252) lacks; by default of the build that runs as without administrator rights.
struct CopiedSpindrel {
    const std::string folder = OwnFolder() + "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
    const std::string exe = folder + "\\Spindrel.exe", link = folder + "\\Spindrel.lnk";

    explicit CopiedSpindrel(const std::string& from = OwnFolder() + "norights\\SpindrelWithoutRights.exe")
    {
        Remove(); // what a run cut short left
        ::CreateDirectoryA(folder.c_str(), nullptr);
        EXPECT_TRUE(::CopyFileA(from.c_str(), exe.c_str(), FALSE));
    }
    ~CopiedSpindrel() { Remove(); }

    void Remove() const
    {
        if (::GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES && !Writable())
            SetImmutable(false);
        // A Spindrel that has just ended may hold its exe a moment longer.
        WaitUntil([&] {
            return ::DeleteFileA(exe.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
                   ::GetLastError() == ERROR_PATH_NOT_FOUND;
        });
        for (const std::string& file : {link, folder + "\\Spindrel.ini"})
            ::DeleteFileA(file.c_str());
        ::RemoveDirectoryA(folder.c_str());
    }

    bool Writable() const
    {
        const HANDLE file = ::CreateFileA((folder + "\\writable").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        return file != INVALID_HANDLE_VALUE && ::CloseHandle(file);
    }

    // Makes the folder one that nobody can write to, not even root (chattr +i, run on Wine's Unix
    // side, which gives no handle to wait on), or writable again. False where this system cannot.
    bool SetImmutable(bool immutable) const
    {
        using UnixFileName = char*(WINAPI*)(LPCWSTR);
        const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        wchar_t wide[MAX_PATH] = {};
        ::MultiByteToWideChar(CP_UTF8, 0, folder.c_str(), -1, wide, MAX_PATH);
        char* unixPath = unixFileName ? unixFileName(wide) : nullptr;
        if (!unixPath)
            return false;
        const std::string arguments = std::string(immutable ? "+i" : "-i") + " \"" + unixPath + "\"";
        ::HeapFree(::GetProcessHeap(), 0, unixPath);
        SpindrelProcess chattr("Z:\\usr\\bin\\chattr");
        return chattr.Start(arguments, "", CREATE_NO_WINDOW) && WaitUntil([&] { return Writable() != immutable; }, 5000);
    }
};

class RunAtStartup : public PreferencesStartup {
protected:
    void SetUp() override
    {
        PreferencesStartup::SetUp();
        DeleteValue(runKey, "Spindrel");
    }

    KeptValue keptRun{runKey, "Spindrel"};
    CopiedSpindrel copy;
};

// Copies with administrator rights (every copy under Wine) in two folders: a logon task each.
TEST_F(PreferencesStartup, EachInstallWithTheRightsHasItsOwnLogonTask)
{
    CopiedSpindrel copy(SpindrelExePath());
    SpindrelProcess build, copied(copy.exe);
    std::vector<std::wstring> tasks;
    for (SpindrelProcess* spindrel : {&build, &copied}) {
        ASSERT_TRUE(spindrel->Start() && spindrel->WaitForMainWindow());
        tasks.push_back(startup_task::NameFor(code_page::ToWide(ModulePath(spindrel->ProcessId(), "Spindrel.exe"))));
        spindrel->PostCommand(ID_RUN_AT_STARTUP);
    }
    EXPECT_NE(tasks[0], tasks[1]);
    for (const std::wstring& task : tasks) {
        EXPECT_TRUE(WaitUntil([&] { return startup_task::Exists(task); }, 10000));
        startup_task::Delete(task);
    }
    EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
}

// Started from another folder, as a script or another program starts it: the value names the
// shortcut beside the exe, which is made then and starts this Spindrel through the shell.
TEST_F(RunAtStartup, NamesTheShortcutBesideTheProgramAndMakesIt)
{
    SpindrelProcess spindrel(copy.exe);
    ASSERT_TRUE(spindrel.Start("", "C:\\windows"));
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    spindrel.PostCommand(ID_RUN_AT_STARTUP); // "Run at &Startup"
    ASSERT_TRUE(WaitUntil([&] { return ReadString(runKey, "Spindrel") == "\"" + copy.link + "\" -tray"; }, 10000))
        << ReadString(runKey, "Spindrel");
    const Shortcut link = ReadShortcut(copy.link);
    EXPECT_EQ(link.target, copy.exe);
    EXPECT_EQ(link.folder, copy.folder);

    // As the logon starts it: a second Spindrel of this copy.
    const auto started = ::ShellExecuteA(nullptr, nullptr, copy.link.c_str(), "-tray", nullptr, SW_SHOW);
    ASSERT_GT(reinterpret_cast<INT_PTR>(started), 32);
    EXPECT_TRUE(WaitUntil([&] { return SpindrelWindows(copy.exe).size() == 2; }, 15000));
    for (HWND window : SpindrelWindows(copy.exe))
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_QUIT, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return SpindrelWindows(copy.exe).empty(); }, 15000));
}

TEST_F(RunAtStartup, InAFolderNobodyCanWriteToSaysWhyAndStoresNothing)
{
    SpindrelProcess spindrel(copy.exe);
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    if (!copy.SetImmutable(true))
        GTEST_SKIP() << "this system cannot make a folder that root cannot write to (chattr +i)";
    spindrel.PostCommand(ID_RUN_AT_STARTUP);
    HWND message =
        spindrel.WaitForDialog("Spindrel", 10000, [](HWND window) { return !::GetDlgItem(window, IDC_ACCELERATE); });
    ASSERT_NE(message, nullptr);
    const std::string text = ItemText(message, 0xFFFF);
    EXPECT_NE(text.find(copy.link), std::string::npos) << text;
    ::PostMessageA(message, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(copy.SetImmutable(false));
    EXPECT_EQ(ReadString(runKey, "Spindrel"), "<none>");
    EXPECT_EQ(::GetFileAttributesA(copy.link.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
