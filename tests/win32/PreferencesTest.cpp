// The preferences of the main window in the registry, the start-with-Windows entry and the start
// of Tarvo, under Wine. Each test starts with no product key, no Tarvo key and no Run entry, and
// puts back what it found.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/SpindrelDlg.h"
#include "app/StartupTask.h"
#include "app/core/ClientPath.h"
#include "framework/CodePage.h"
#include "res/resource.h"
#include "tests/common/Preferences.h"
#include "tests/common/ScopedHook.h"

namespace {

using namespace prefs_test;

// The main window's preference operations within reach; with a body, the window is made from its
// real template and the body runs inside its initialisation, before it is ever shown.
class PrefsDlg : public CSpindrelDlg {
public:
    using CSpindrelDlg::accelerateNText;
    using CSpindrelDlg::autoResumeDownloads;
    using CSpindrelDlg::checkPeriodText;
    using CSpindrelDlg::checkPeriodUnit;
    using CSpindrelDlg::LaunchClient;
    using CSpindrelDlg::LoadPreferences;
    using CSpindrelDlg::MoveRunAtStartupToTask;
    using CSpindrelDlg::ReadRunClientOnStart;
    using CSpindrelDlg::runAtStartup;
    using CSpindrelDlg::runClientOnStart;
    using CSpindrelDlg::SavePreferences;
    using CSpindrelDlg::statusPanel;
    using CSpindrelDlg::ToggleAutoResumeDownloads;
    using CSpindrelDlg::ToggleRunAtStartup;
    using CSpindrelDlg::ToggleRunClientOnStart;

    // The check marks of the Settings menu as they are when it opens: WM_INITMENUPOPUP, as the
    // tray's menu sends it to this window.
    struct Marks {
        bool autoResume, autoRun, atStartup;
    };
    Marks OpenSettingsMenu()
    {
        HMENU bar = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_SETTINGS_MENU));
        HMENU settings = ::GetSubMenu(bar, 0);
        SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(settings), 0);
        auto checked = [&](UINT id) { return (::GetMenuState(settings, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
        const Marks marks{checked(ID_AUTO_RESUME_DOWNLOADS), checked(ID_AUTORUN_CLIENT), checked(ID_RUN_AT_STARTUP)};
        ::DestroyMenu(bar);
        return marks;
    }

    // Runs the window with `body`, which must have run.
    void Run(std::function<void(PrefsDlg&)> run)
    {
        bool ran = false;
        body = [&](PrefsDlg& dlg) {
            ran = true;
            run(dlg);
        };
        EXPECT_EQ(DoModal(), 0);
        EXPECT_TRUE(ran) << "the main window was not created";
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        body(*this);
        // Gone before it is shown: Wine waits some two seconds for a window manager to hide a
        // shown window, and Xvfb has none.
        EndDialog(0);
        DestroyWindow();
        return TRUE;
    }

    std::function<void(PrefsDlg&)> body;
};

// A REG_DWORD of 4 bytes holding `expected`.
::testing::AssertionResult HoldsDword(const char* name, DWORD expected)
{
    const StoredValue value = ReadValue(productKey, name);
    if (!value.exists)
        return ::testing::AssertionFailure() << name << " is missing";
    if (value.type != REG_DWORD || value.data.size() != 4)
        return ::testing::AssertionFailure() << name << " has type " << value.type << " and " << value.data.size()
                                             << " bytes";
    if (Dword(value) != expected)
        return ::testing::AssertionFailure() << name << " is " << Dword(value) << ", not " << expected;
    return ::testing::AssertionSuccess();
}

class Preferences : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, productKey);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, clientKey);
        DeleteValue(runKey, "Spindrel");
    }

    KeptKey keptProduct{productKey};
    KeptKey keptClient{clientKey};
    KeptValue keptRun{runKey, "Spindrel"};
};

TEST_F(Preferences, ALoadThenASaveWritesBackWhatWasLoaded)
{
    WriteDword(productKey, "CheckPeriodNum", 0xFFFFFFFFu);
    WriteDword(productKey, "AccelerateN", 0x80000000u);
    WriteDword(productKey, "CheckPeriodCombo", 0x7FFFFFFFu);
    WriteDword(productKey, "Network", 3);
    PrefsDlg dialog;
    dialog.Run([](PrefsDlg& dlg) {
        dlg.LoadPreferences();
        EXPECT_EQ(dlg.checkPeriodText, "-1");
        EXPECT_EQ(dlg.accelerateNText, "-2147483648");
        EXPECT_EQ(dlg.statusPanel.Selected(), 3);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, productKey);
        dlg.SavePreferences();
        EXPECT_TRUE(HoldsDword("CheckPeriodNum", 0xFFFFFFFFu));
        EXPECT_TRUE(HoldsDword("AccelerateN", 0x80000000u));
        EXPECT_TRUE(HoldsDword("CheckPeriodCombo", 0x7FFFFFFFu));
        EXPECT_FALSE(ReadValue(productKey, "Network").exists) << "the interface choice is not the hide's to write";
    });
}

// Every value of the product key stored as something other than a 4-byte REG_DWORD.
struct ForeignForm {
    const char* label;
    DWORD type;
    std::vector<BYTE> data;
    bool readable; // a query into 4 bytes succeeds
};

class ForeignValues : public Preferences, public ::testing::WithParamInterface<ForeignForm> {};

TEST_P(ForeignValues, NeverReadPastFourBytesAndKeepTheDefaultWhenUnreadable)
{
    const ForeignForm& form = GetParam();
    for (const char* name : {"AutoResumeDownloads", "RunOtherApp", "CheckPeriodNum", "AccelerateN", "CheckPeriodCombo",
                             "Network"})
        ASSERT_TRUE(WriteValue(productKey, name, form.type, form.data.data(), static_cast<DWORD>(form.data.size())));

    // A short value replaces only the bytes it has: the rest of the variable keeps the default's.
    // Every default here fits in the two low bytes, so a two-byte 0x1234 reads as 0x1234.
    const bool set = form.readable;
    PrefsDlg dialog;
    EXPECT_EQ(dialog.autoResumeDownloads, set);
    dialog.Run([&](PrefsDlg& dlg) {
        dlg.LoadPreferences();
        dlg.ReadRunClientOnStart();
        EXPECT_EQ(dlg.runClientOnStart, set);
        EXPECT_EQ(dlg.checkPeriodText, set ? "4660" : "12");
        EXPECT_EQ(dlg.accelerateNText, set ? "4660" : "7");
        EXPECT_EQ(dlg.checkPeriodUnit, set ? 0x1234 : 0);
        EXPECT_EQ(dlg.statusPanel.Selected(), set ? 0x1234 : 0);
        // The menu's update handler reads the same way.
        EXPECT_EQ(dlg.OpenSettingsMenu().autoRun, set);
    });
}

INSTANTIATE_TEST_SUITE_P(
    StringAndBinary, ForeignValues,
    ::testing::Values(ForeignForm{"text", REG_SZ, {'e', 'l', 'e', 'v', 'e', 'n', ' ', 'b', 'y', 't', 'e', 0}, false},
                      ForeignForm{"binary2", REG_BINARY, {0x34, 0x12}, true},
                      ForeignForm{"binary64", REG_BINARY, std::vector<BYTE>(64, 0x5A), false}),
    [](const ::testing::TestParamInfo<ForeignForm>& form) { return std::string(form.param.label); });

TEST_F(Preferences, MenuTogglesWriteFlagsAndTheChecksFollowTheRegistryWhereTheyShould)
{
    PrefsDlg dialog;
    dialog.Run([](PrefsDlg& dlg) {
        PrefsDlg::Marks marks = dlg.OpenSettingsMenu();
        EXPECT_FALSE(marks.autoResume);
        EXPECT_FALSE(marks.autoRun);
        EXPECT_FALSE(marks.atStartup);
        EXPECT_FALSE(KeyExists(productKey)) << "opening the menu made the key";

        dlg.ToggleAutoResumeDownloads();
        dlg.ToggleRunClientOnStart();
        EXPECT_TRUE(HoldsDword("AutoResumeDownloads", 1));
        EXPECT_TRUE(HoldsDword("RunOtherApp", 1));
        marks = dlg.OpenSettingsMenu();
        EXPECT_TRUE(marks.autoResume);
        EXPECT_TRUE(marks.autoRun);

        // Another program clears both: "Auto&Run" shows the registry, "&Auto Resume" the flag.
        WriteDword(productKey, "AutoResumeDownloads", 0);
        WriteDword(productKey, "RunOtherApp", 0);
        marks = dlg.OpenSettingsMenu();
        EXPECT_TRUE(marks.autoResume);
        EXPECT_FALSE(marks.autoRun);
        EXPECT_FALSE(dlg.runClientOnStart);

        dlg.ToggleAutoResumeDownloads();
        dlg.ToggleRunClientOnStart(); // from the flag the menu just read: on again
        EXPECT_TRUE(HoldsDword("AutoResumeDownloads", 0));
        EXPECT_TRUE(HoldsDword("RunOtherApp", 1));
        dlg.ToggleRunClientOnStart();
        EXPECT_TRUE(HoldsDword("RunOtherApp", 0));
    });
}

// The current directory, changed for a test and put back after.
class CurrentDirectory {
public:
    CurrentDirectory() { ::GetCurrentDirectoryA(sizeof saved_, saved_); }
    ~CurrentDirectory() { ::SetCurrentDirectoryA(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    char saved_[MAX_PATH + 1] = {};
};

TEST_F(Preferences, RunAtStartupStoresTheShortcutBesideTheExecutableAndTheCheckMirrorsTheValue)
{
    // As without administrator rights; the logon task of a copy with them is LogonTask's.
    test_support::ScopedHook<startup_task::ElevationQuery> unelevated{&startup_task::SetElevationQuery, [] { return false; }};
    CurrentDirectory keep;
    ASSERT_TRUE(::SetCurrentDirectoryA(TempFolder().c_str())); // started from elsewhere
    const std::string link = test_support::OwnFolder() + "Spindrel.lnk"; // wherever the process was started from
    ::DeleteFileA(link.c_str());

    PrefsDlg dialog;
    dialog.Run([&](PrefsDlg& dlg) {
        dlg.ToggleRunAtStartup();
        const std::string expected = "\"" + link + "\" -tray";
        StoredValue value = ReadValue(runKey, "Spindrel");
        ASSERT_TRUE(value.exists);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
        ASSERT_EQ(value.data.size(), expected.size() + 1) << "the NUL is counted";
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.data.data())), expected);
        EXPECT_TRUE(dlg.OpenSettingsMenu().atStartup);
        EXPECT_NE(ReadShortcut(link).target, "<unreadable>") << "the shortcut is made";

        dlg.ToggleRunAtStartup();
        EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
        EXPECT_FALSE(dlg.OpenSettingsMenu().atStartup);

        // On again over a shortcut of the user's, which stays as it is; then the value deleted by
        // another program before the menu opens; a value of any type counts as there.
        WriteText(link, "mine");
        dlg.ToggleRunAtStartup();
        EXPECT_EQ(ReadText(link), "mine");
        EXPECT_TRUE(dlg.OpenSettingsMenu().atStartup);
        DeleteValue(runKey, "Spindrel");
        EXPECT_FALSE(dlg.OpenSettingsMenu().atStartup);
        EXPECT_FALSE(dlg.runAtStartup);
        WriteDword(runKey, "Spindrel", 0);
        EXPECT_TRUE(dlg.OpenSettingsMenu().atStartup);
        EXPECT_TRUE(dlg.runAtStartup);
    });
    ::DeleteFileA(link.c_str());
}

// ---- The logon task of a copy with administrator rights, which Wine gives every process. Its
// definition is read where it is handed to the scheduler, which is then given it.

std::vector<std::wstring> definitions;
startup_task::RegisterCall scheduler = nullptr;
HRESULT RecordTask(const wchar_t* name, const wchar_t* xml)
{
    definitions.emplace_back(xml);
    return scheduler(name, xml);
}

TEST_F(Preferences, WithTheRightsTheLogonTaskTakesThePlaceOfTheRunValue)
{
    test_support::ScopedHook<startup_task::RegisterCall> recorder{&startup_task::SetRegisterCall, &RecordTask};
    scheduler = recorder.Previous();
    const std::wstring exe = code_page::ModuleFileNameW(), task = startup_task::NameFor(exe);
    startup_task::Delete(task);
    const std::string ours = "\"" + code_page::FromWide(startup_command::Folder(exe), CP_UTF8) + "\\Spindrel.lnk\" -tray";
    const std::string anothers = "\"C:\\Other\\Spindrel.lnk\" -tray";
    PrefsDlg dialog;
    dialog.Run([&](PrefsDlg& dlg) {
        // At start-up another copy's value stays; this executable's becomes the task.
        for (const std::string& value : {anothers, ours}) {
            ASSERT_TRUE(WriteString(runKey, "Spindrel", value));
            dlg.MoveRunAtStartupToTask();
        }
        EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
        EXPECT_TRUE(startup_task::Exists(task));
        EXPECT_TRUE(dlg.OpenSettingsMenu().atStartup);
        ASSERT_EQ(definitions.size(), 1u);
        for (const std::wstring& part : std::vector<std::wstring>{
                 L"<LogonTrigger><Enabled>true</Enabled><UserId>S-1-5-",
                 L"</UserId><LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable",
                 L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries><StopIfGoingOnBatteries>false<",
                 L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
                 L"<Command>" + exe + L"</Command><Arguments>-tray</Arguments><WorkingDirectory>" +
                     startup_command::Folder(exe) + L"</WorkingDirectory>"})
            EXPECT_NE(definitions[0].find(part), std::wstring::npos) << code_page::FromWide(part, CP_UTF8);

        // Unticked: neither. Ticked again: the task, and nobody's Run value.
        dlg.ToggleRunAtStartup();
        EXPECT_FALSE(startup_task::Exists(task));
        EXPECT_FALSE(dlg.OpenSettingsMenu().atStartup);
        ASSERT_TRUE(WriteString(runKey, "Spindrel", anothers));
        dlg.ToggleRunAtStartup();
        EXPECT_TRUE(startup_task::Exists(task));
        EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
    });
    startup_task::Delete(task);
}

// ---- Starting Tarvo.

// Closes every error dialog of this thread as it comes up, and counts them.
class ErrorDialogWatch {
public:
    ErrorDialogWatch()
    {
        count = 0;
        message.clear();
        timer_ = ::SetTimer(nullptr, 0, 20, &ErrorDialogWatch::Look);
    }
    ~ErrorDialogWatch() { ::KillTimer(nullptr, timer_); }
    ErrorDialogWatch(const ErrorDialogWatch&) = delete;
    ErrorDialogWatch& operator=(const ErrorDialogWatch&) = delete;

    static int count;
    static std::string message;

private:
    static BOOL CALLBACK Close(HWND hwnd, LPARAM)
    {
        char caption[32] = {};
        ::GetWindowTextA(hwnd, caption, sizeof caption);
        if (std::strcmp(caption, "Error") != 0 || ::GetPropA(hwnd, "closing"))
            return TRUE;
        ::SetPropA(hwnd, "closing", reinterpret_cast<HANDLE>(1));
        ++count;
        char text[256] = {};
        ::GetDlgItemTextA(hwnd, IDC_ERROR_MESSAGE, text, sizeof text);
        message = text;
        ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    static void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD) { ::EnumThreadWindows(::GetCurrentThreadId(), &Close, 0); }

    UINT_PTR timer_ = 0;
};
int ErrorDialogWatch::count = 0;
std::string ErrorDialogWatch::message;

class ClientLaunch : public Preferences {
protected:
    void SetUp() override
    {
        Preferences::SetUp();
        ::DeleteFileA(TarvoMarker().c_str());
    }
    void TearDown() override { ::DeleteFileA(TarvoMarker().c_str()); }

    // LaunchClient once; the number of error dialogs it showed.
    static int Launch()
    {
        ErrorDialogWatch watch;
        PrefsDlg dialog;
        dialog.LaunchClient();
        return ErrorDialogWatch::count;
    }
};

TEST_F(ClientLaunch, NoKeyShowsTheErrorDialogAndAKeyWithoutInstallPathDoesNothing)
{
    EXPECT_EQ(Launch(), 1);
    EXPECT_EQ(ErrorDialogWatch::message, "Tarvo is not installed on your PC!\nPlease install it first to use this option.");

    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, clientKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_EQ(Launch(), 0);
    EXPECT_EQ(TarvoStarts(), 0);
}

// The forms other programs and people write the install path in all start Tarvo, in its own folder.
TEST_F(ClientLaunch, StartsTarvoInItsFolderWhateverFormTheInstallPathTakes)
{
    const std::string folder = TarvoFolder();
    ::SetEnvironmentVariableA("SPINDREL_TEST_TARVO", folder.c_str());
    struct Form {
        DWORD type;
        std::string value;
    };
    const Form forms[] = {
        {REG_SZ, folder},
        {REG_SZ, folder + "\\"},
        {REG_SZ, "\"" + folder + "\""},
        {REG_SZ, " \t\"" + folder + "\\\" "},
        {REG_SZ, "  " + folder + "\\  "},
        {REG_SZ, folder + "\\Tarvo.exe"},
        {REG_SZ, "\"" + folder + "\\tarvo.EXE\""},
        {REG_EXPAND_SZ, "%SPINDREL_TEST_TARVO%"},
        {REG_EXPAND_SZ, "\"%SPINDREL_TEST_TARVO%\\Tarvo.exe\""},
    };
    char current[MAX_PATH * 3] = {};
    ::GetCurrentDirectoryA(sizeof current, current);
    ::SetCurrentDirectoryA(TempFolder().c_str()); // not Tarvo's
    int starts = 0;
    for (const Form& form : forms) {
        SCOPED_TRACE(form.value);
        ASSERT_TRUE(WriteValue(clientKey, "Install Path", form.type, form.value.c_str(),
                               static_cast<DWORD>(form.value.size() + 1)));
        EXPECT_EQ(Launch(), 0);
        EXPECT_EQ(TarvoStarts(++starts, 10000), starts);
        EXPECT_EQ(TarvoStartedIn(), folder);
    }
    ::SetEnvironmentVariableA("SPINDREL_TEST_TARVO", nullptr);
    ::SetCurrentDirectoryA(current);

    // A folder without Tarvo.exe: the shell cannot start it. Blanks or quotes alone name no folder.
    for (const std::string& value : {TempFolder(), std::string("  "), std::string("\"\"")}) {
        ASSERT_TRUE(WriteString(clientKey, "Install Path", value));
        EXPECT_EQ(Launch(), 1) << value;
    }
    EXPECT_EQ(TarvoStarts(), starts);
}

// An install path in letters that the system's code page (1252) lacks, in a test that runs, as
// Spindrel does, in UTF-8.
TEST_F(ClientLaunch, StartsTarvoFromAFolderNamedInAnyLetters)
{
    const std::string folder = TempFolder() + "\xE7\x8E\x8B\xE8\x8A\xB3 \xD0\x94\xD0\xBC"; // Wang Fang, Dm
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((TarvoFolder() + "\\Tarvo.exe").c_str(), (folder + "\\Tarvo.exe").c_str(), FALSE));
    ::DeleteFileA(TarvoMarker(folder).c_str());
    ASSERT_TRUE(WriteString(clientKey, "Install Path", folder));
    EXPECT_EQ(Launch(), 0);
    EXPECT_EQ(TarvoStarts(1, 10000, folder), 1);
    for (const char* name : {"\\Tarvo.exe", "\\Tarvo.started"})
        ::DeleteFileA((folder + name).c_str());
    ::RemoveDirectoryA(folder.c_str());
}

TEST_F(ClientLaunch, AnInstallPathBeyondTheBoundShowsTheErrorDialog)
{
    // 255 characters are read, whatever bytes they take, and refused by the shell (no such
    // folder); 256 are not used. Either way the user learns that Tarvo cannot be started.
    for (const std::string letter : {"p", "\xD0\xB4"}) {
        std::string path = "C:\\";
        for (int i = 0; i < 252; ++i)
            path += letter;
        ASSERT_TRUE(WriteString(clientKey, "Install Path", path));
        EXPECT_EQ(Launch(), 1) << letter;
        ASSERT_TRUE(WriteString(clientKey, "Install Path", path + letter));
        EXPECT_EQ(Launch(), 1) << letter;
    }

    // A value that fills the whole buffer without a NUL, as text and as binary, and one larger
    // than the buffer: never read past.
    const std::string full(client_path::kInstallPathSize, 'p');
    for (const DWORD size : {static_cast<DWORD>(full.size()) - 1, static_cast<DWORD>(full.size())}) {
        ASSERT_TRUE(WriteValue(clientKey, "Install Path", REG_SZ, full.data(), size));
        EXPECT_EQ(Launch(), 1);
        ASSERT_TRUE(WriteValue(clientKey, "Install Path", REG_BINARY, full.data(), size));
        EXPECT_EQ(Launch(), 1);
    }
    EXPECT_EQ(TarvoStarts(), 0);
}

} // namespace
