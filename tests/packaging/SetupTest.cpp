// The setup program this build made, run under Wine as an administrator deploys it (/S, /D=) and
// as a user lives with it: install, start with Windows through the shell, upgrade over a running
// Spindrel, uninstall with and without the settings. Each test starts with no install and leaves
// none; the preferences and the Run value are put back as they were.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/StartupTask.h"
#include "framework/CodePage.h"
#include "res/resource.h"
#include "tests/common/Platform.h"
#include "tests/common/Preferences.h"

namespace {

using namespace prefs_test;
using namespace test_support;

constexpr const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Spindrel";

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH] = {};
    ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return full;
}

// The build folder, two above this test's exe.
std::string BuildFile(const char* name)
{
    return FullPath(OwnFolder() + "..\\..\\" + name);
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Starts a file through the shell, as Explorer and the logon do.
bool ShellStart(const std::string& file, const std::string& parameters = "", const char* folder = nullptr)
{
    const auto result = ::ShellExecuteA(nullptr, nullptr, file.c_str(), parameters.c_str(), folder, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// Ends every running Spindrel with "&Quit Application", as its user would; true when all ended.
bool QuitAllSpindrels()
{
    for (HWND window : SpindrelWindows())
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_QUIT, BN_CLICKED), 0);
    return WaitUntil([] { return SpindrelWindows().empty(); });
}

// Empties and removes a folder of files (the install folders are flat).
void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string path = folder + "\\" + entry.cFileName;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

class Setup : public ::testing::Test {
protected:
    const std::string setup = BuildFile(SPINDREL_SETUP_NAME);
    const std::string defaultFolder = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Spindrel";
    // A folder of the administrator's choosing, with a blank in its name.
    const std::string chosenFolder = TempFolder() + "Spindrel packaging test";
    const std::string startMenuLink = ShellFolder(CSIDL_PROGRAMS) + "\\Spindrel.lnk";
    const std::string desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Spindrel.lnk";
    const std::string runValueOfDefault = "\"" + defaultFolder + "\\Spindrel.lnk\" -tray";

    void SetUp() override { Clean(); }
    void TearDown() override
    {
        EXPECT_TRUE(QuitAllSpindrels());
        Clean();
    }
    void Clean()
    {
        RemoveFolder(defaultFolder);
        RemoveFolder(chosenFolder);
        ::DeleteFileA(startMenuLink.c_str());
        ::DeleteFileA(desktopLink.c_str());
        ::SHDeleteKeyA(HKEY_CURRENT_USER, uninstallKey);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, productKey);
        DeleteValue(runKey, "Spindrel");
    }

    long Install(const std::string& folder = "")
    {
        return static_cast<long>(RunToEnd(setup, "/S" + (folder.empty() ? "" : " /D=" + folder)));
    }

    KeptKey keptPreferences{productKey};
    KeptValue keptRunValue{runKey, "Spindrel"};
};

TEST_F(Setup, SilentInstallPutsEverythingInPlace)
{
    ASSERT_EQ(Install(), 0);
    const std::string exe = defaultFolder + "\\Spindrel.exe";
    EXPECT_TRUE(Exists(exe));
    EXPECT_TRUE(Exists(defaultFolder + "\\Uninstall.exe"));
    EXPECT_EQ(ReadText(defaultFolder + "\\services"), ReadText(BuildFile("packaging\\services")));
    EXPECT_FALSE(Exists(desktopLink)) << "the desktop shortcut is optional and off by default";
    for (const std::string& link : {defaultFolder + "\\Spindrel.lnk", startMenuLink}) {
        const Shortcut shortcut = ReadShortcut(link);
        EXPECT_EQ(FullPath(shortcut.target), exe) << link;
        EXPECT_EQ(FullPath(shortcut.folder), defaultFolder) << link;
    }

    EXPECT_EQ(ReadString(uninstallKey, "DisplayName"), "Spindrel");
    EXPECT_EQ(ReadString(uninstallKey, "DisplayVersion"), "5.5.6");
    EXPECT_EQ(ReadString(uninstallKey, "Publisher"), "The Spindrel developers");
    EXPECT_EQ(ReadString(uninstallKey, "DisplayIcon"), exe + ",0");
    EXPECT_EQ(ReadString(uninstallKey, "InstallLocation"), defaultFolder);
    EXPECT_EQ(ReadString(uninstallKey, "UninstallString"), "\"" + defaultFolder + "\\Uninstall.exe\"");
    EXPECT_EQ(ReadString(uninstallKey, "QuietUninstallString"), "\"" + defaultFolder + "\\Uninstall.exe\" /S");
    const StoredValue size = ReadValue(uninstallKey, "EstimatedSize");
    DWORD kilobytes = 0;
    ASSERT_EQ(size.data.size(), sizeof kilobytes);
    std::memcpy(&kilobytes, size.data.data(), sizeof kilobytes);
    EXPECT_GE(kilobytes * 1024ull, ::GetCompressedFileSizeA(exe.c_str(), nullptr));
}

// With administrator rights (Wine gives every program them) "Run at &Startup" makes the installed
// Spindrel's logon task, which the uninstaller finds by the same name and removes.
TEST_F(Setup, RunAtStartupMakesTheLogonTaskWhichTheUninstallerRemoves)
{
    ASSERT_EQ(Install(), 0);
    const std::wstring task = startup_task::NameFor(code_page::ToWide(defaultFolder + "\\Spindrel.exe"));
    ASSERT_TRUE(ShellStart(startMenuLink));
    ASSERT_TRUE(WaitUntil([] { return SpindrelWindows().size() == 1; }));
    ::PostMessageA(SpindrelWindows().front(), WM_COMMAND, MAKEWPARAM(ID_RUN_AT_STARTUP, 0), 0); // "Run at &Startup"
    ASSERT_TRUE(WaitUntil([&] { return startup_task::Exists(task); }));
    EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
    ASSERT_EQ(RunToEnd(defaultFolder + "\\Uninstall.exe", "/S _?=" + defaultFolder), 0u);
    EXPECT_FALSE(startup_task::Exists(task));
}

TEST_F(Setup, UpgradeClosesSpindrelAndKeepsTheUsersFiles)
{
    ASSERT_EQ(Install(), 0);
    const std::string ini = defaultFolder + "\\Spindrel.ini", services = defaultFolder + "\\services";
    const std::string settings = "[main]\r\nidleseconds=3\r\n", ownServices = ReadText(services) + "tarvo 4662/tcp\r\n";
    WriteText(ini, settings);
    ::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    WriteText(services, ownServices);
    WriteText(defaultFolder + "\\notes.txt", "mine");
    ASSERT_TRUE(WriteDword(productKey, "AccelerateN", 9));
    // An old exe, by its time: the upgrade must replace it.
    const std::string exe = defaultFolder + "\\Spindrel.exe";
    HANDLE file = ::CreateFileA(exe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME old{0, 0x01C00000};
    ::SetFileTime(file, nullptr, nullptr, &old);
    ::CloseHandle(file);

    ASSERT_TRUE(ShellStart(exe, "", defaultFolder.c_str()));
    ASSERT_TRUE(WaitUntil([] { return SpindrelWindows().size() == 1; }));
    EXPECT_EQ(Install(), 0);
    EXPECT_TRUE(SpindrelWindows().empty()) << "Spindrel was closed first";

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data));
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime) << "Spindrel.exe replaced";
    EXPECT_EQ(ReadText(ini), settings);
    EXPECT_EQ(ReadText(services), ownServices);
    EXPECT_EQ(ReadText(defaultFolder + "\\notes.txt"), "mine");
    const StoredValue accelerateN = ReadValue(productKey, "AccelerateN");
    EXPECT_EQ(accelerateN.data, (std::vector<BYTE>{9, 0, 0, 0}));
}

// /D= into a folder that already holds a file of the user's; the uninstaller run in place (_?=,
// so that it does not copy itself away and can be waited for), silently: it keeps the settings.
TEST_F(Setup, SilentUninstallRemovesWhatWasInstalledAndKeepsTheSettings)
{
    ::CreateDirectoryA(chosenFolder.c_str(), nullptr);
    WriteText(chosenFolder + "\\notes.txt", "mine");
    WriteText(desktopLink, "an earlier install's desktop shortcut");
    ASSERT_EQ(Install(chosenFolder), 0);
    EXPECT_EQ(ReadString(uninstallKey, "InstallLocation"), chosenFolder);
    EXPECT_EQ(FullPath(ReadShortcut(desktopLink).target), chosenFolder + "\\Spindrel.exe") << "kept and renewed";
    WriteText(chosenFolder + "\\Spindrel.ini", "[main]\r\n");
    ASSERT_TRUE(WriteDword(productKey, "Network", 2));
    ASSERT_TRUE(WriteString(runKey, "Spindrel", "\"" + chosenFolder + "\\Spindrel.lnk\" -tray"));

    // Given in its short form, the folder still matches the value written in the long form.
    char shortFolder[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA(chosenFolder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_NE(shortFolder, chosenFolder);
    ASSERT_EQ(RunToEnd(chosenFolder + "\\Uninstall.exe", "/S _?=" + std::string(shortFolder)), 0u);
    for (const char* name : {"Spindrel.exe", "services", "Spindrel.lnk"})
        EXPECT_FALSE(Exists(chosenFolder + "\\" + name)) << name;
    EXPECT_FALSE(Exists(startMenuLink));
    EXPECT_FALSE(Exists(desktopLink));
    EXPECT_FALSE(KeyExists(uninstallKey));
    EXPECT_FALSE(ReadValue(runKey, "Spindrel").exists);
    EXPECT_EQ(ReadText(chosenFolder + "\\Spindrel.ini"), "[main]\r\n");
    EXPECT_EQ(ReadText(chosenFolder + "\\notes.txt"), "mine");
    EXPECT_TRUE(ReadValue(productKey, "Network").exists);
}

// The uninstaller as Apps & features runs it (it copies itself away and returns at once), with
// the settings box ticked, after the user deleted Spindrel.exe by hand; the Run value of another
// copy of Spindrel is not this install's.
TEST_F(Setup, UninstallWithTheSettingsBoxTickedRemovesThemToo)
{
    ASSERT_EQ(Install(), 0);
    const std::string ini = defaultFolder + "\\Spindrel.ini";
    WriteText(ini, "[main]\r\n");
    ::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteDword(productKey, "Network", 2));
    const std::string otherCopy = "\"C:\\Portable\\Spindrel\\Spindrel.lnk\" -tray";
    ASSERT_TRUE(WriteString(runKey, "Spindrel", otherCopy));
    ASSERT_TRUE(::DeleteFileA((defaultFolder + "\\Spindrel.exe").c_str()));

    ASSERT_EQ(RunToEnd(defaultFolder + "\\Uninstall.exe", "/S /REMOVESETTINGS"), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(defaultFolder); })) << "the folder, emptied, is removed";
    EXPECT_FALSE(KeyExists(productKey));
    EXPECT_FALSE(KeyExists(uninstallKey));
    EXPECT_FALSE(Exists(startMenuLink));
    EXPECT_EQ(ReadString(runKey, "Spindrel"), otherCopy);
}

// In the virtual desktop, setup and uninstaller end this install's Spindrel in the tray by "&Exit", and no other.
// Ended so, it writes at exit the keys its settings file lacked at start, also after the file was deleted.
TEST_F(Setup, UpgradeAndUninstallEndOnlyThisInstallsSpindrelInTheTray)
{
    SPINDREL_ONLY_UNDER_WINE("it joins Wine's virtual desktop, which has a shell and a tray of its own");
    ASSERT_TRUE(JoinVirtualDesktop());
    ASSERT_EQ(Install(chosenFolder), 0);
    SpindrelProcess other(BuildFile("Spindrel.exe")); // this build's, from its own folder
    ASSERT_TRUE(other.Start() && other.WaitForMainWindow());
    std::string shouted = chosenFolder;
    ::CharUpperA(&shouted[0]);
    for (const auto& [program, arguments] : {std::pair<std::string, std::string>{setup, "/S /D=" + shouted},
                                             {chosenFolder + "\\Uninstall.exe", "/S _?=" + chosenFolder}}) {
        SpindrelProcess installed(chosenFolder + "\\Spindrel.exe");
        WriteText(chosenFolder + "\\Spindrel.ini", "[main]\r\n"); // not the keys the last exit wrote
        ASSERT_TRUE(installed.Start("", chosenFolder) && installed.WaitForMainWindow());
        installed.PostCommand(2); // into the tray
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(installed.MainWindow()); }));
        ::DeleteFileA((chosenFolder + "\\Spindrel.ini").c_str());
        EXPECT_EQ(RunToEnd(program, arguments), 0u) << program;
        EXPECT_TRUE(installed.WaitForExit(5000) && Exists(chosenFolder + "\\Spindrel.ini"));
        EXPECT_TRUE(other.Running() && ::IsWindowVisible(other.MainWindow()));
    }
}

// Sets a file's time of last access far back; and whether it was read since, where the file
// system keeps that time.
void AgeLastAccess(const std::string& path)
{
    HANDLE file =
        ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME old{0, 0x01C00000};
    ::SetFileTime(file, nullptr, &old, nullptr);
    ::CloseHandle(file);
}
bool ReadSinceAged(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           data.ftLastAccessTime.dwHighDateTime != 0x01C00000;
}

// True when no process runs the exe any longer: it can be opened for writing.
bool Unused(const std::string& exe)
{
    HANDLE file = ::CreateFileA(exe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && ::CloseHandle(file);
}

// Installed into a folder whose name the system's code page (1252) lacks, as every path of a
// profile named Dmitriy or Wang Fang is: everything works as anywhere else. This test runs as
// Spindrel does, in UTF-8.
class SetupInAnyFolder : public Setup, public ::testing::WithParamInterface<const char*> {
protected:
    SetupInAnyFolder() { CleanFolder(); }
    ~SetupInAnyFolder() override { CleanFolder(); }
    void CleanFolder()
    {
        RemoveFolder(folder);
        ::RemoveDirectoryA(parent.c_str());
    }

    const std::string parent = TempFolder() + GetParam();
    const std::string folder = parent + "\\Spindrel";
};

TEST_P(SetupInAnyFolder, InstallsRunsStartsWithWindowsKeepsItsSettingsAndUninstalls)
{
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    const std::string exe = folder + "\\Spindrel.exe", link = folder + "\\Spindrel.lnk";
    const std::string ini = folder + "\\Spindrel.ini", services = folder + "\\services";
    ::CreateDirectoryA(parent.c_str(), nullptr);
    ASSERT_EQ(Install(folder), 0);
    EXPECT_EQ(ReadString(uninstallKey, "InstallLocation"), folder);
    for (const std::string& shortcut : {link, startMenuLink})
        EXPECT_EQ(FullPath(ReadShortcut(shortcut).target), exe) << shortcut;

    // The services file read is this folder's, where the file system tells when a file was read.
    AgeLastAccess(services);
    ReadText(services);
    const bool accessKept = ReadSinceAged(services);
    AgeLastAccess(services);

    ASSERT_TRUE(ShellStart(startMenuLink));
    ASSERT_TRUE(WaitUntil([] { return SpindrelWindows().size() == 1; }));
    const HWND first = SpindrelWindows().front();
    EXPECT_EQ(SpindrelWindows(exe).size(), 1u);
    EXPECT_TRUE(WaitUntil([&] { return !ItemText(first, IDC_CONNECTION_TYPE).empty(); })); // the first refresh
    if (accessKept) {
        EXPECT_TRUE(ReadSinceAged(services));
    }

    // "Run at &Startup" with the rights: this Spindrel's logon task; the folder's Spindrel.lnk starts it too.
    ::PostMessageA(first, WM_COMMAND, MAKEWPARAM(ID_RUN_AT_STARTUP, 0), 0);
    const std::wstring task = startup_task::NameFor(code_page::ToWide(exe));
    ASSERT_TRUE(WaitUntil([&] { return startup_task::Exists(task); }));
    ASSERT_TRUE(ShellStart(link, "-tray"));
    ASSERT_TRUE(WaitUntil([] { return SpindrelWindows().size() == 2; }));
    EXPECT_EQ(SpindrelWindows(exe).size(), 2u);
    ASSERT_TRUE(QuitAllSpindrels());
    ASSERT_TRUE(WaitUntil([&] { return Unused(exe); }));
    ASSERT_NE(ReadText(ini).find("\nlogfile="), std::string::npos) << "written at exit";

    // Values changed by hand are read at the next start and written back with the missing key;
    // the upgrade ends that Spindrel first, through its Exit.
    std::string edited = ReadText(ini);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"idleseconds=10", "idleseconds=3"},
                                   {"\nlogfile=\r", "\nlogfile=" + folder + "\\log.txt\r"}, {"mbdelete=1\r\n", ""}}) {
        ASSERT_NE(edited.find(from), std::string::npos) << edited;
        edited.replace(edited.find(from), from.size(), to);
    }
    WriteText(ini, edited);
    ASSERT_TRUE(ShellStart(startMenuLink));
    ASSERT_TRUE(WaitUntil([] { return SpindrelWindows().size() == 1; }));
    EXPECT_EQ(Install(folder), 0);
    EXPECT_TRUE(SpindrelWindows().empty());
    const std::string saved = ReadText(ini);
    for (const std::string& line :
         {std::string("idleseconds=3\r\n"), "logfile=" + folder + "\\log.txt\r\n", std::string("mbdelete=1\r\n")})
        EXPECT_NE(saved.find(line), std::string::npos) << line << " in\n" << saved;

    // Uninstalled: nothing it installed or made stays; the settings stay.
    ASSERT_EQ(RunToEnd(folder + "\\Uninstall.exe", "/S _?=" + folder), 0u);
    for (const char* name : {"\\Spindrel.exe", "\\services", "\\Spindrel.lnk"})
        EXPECT_FALSE(Exists(folder + name)) << name;
    EXPECT_FALSE(Exists(startMenuLink));
    EXPECT_FALSE(KeyExists(uninstallKey));
    EXPECT_FALSE(startup_task::Exists(task));
    EXPECT_EQ(ReadText(ini), saved);
}

INSTANTIATE_TEST_SUITE_P(CyrillicAndChinese, SetupInAnyFolder,
                         ::testing::Values("\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9", // Dmitriy
                                           "\xE7\x8E\x8B\xE8\x8A\xB3"), // Wang Fang
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return param.index == 0 ? std::string("Cyrillic") : std::string("Chinese");
                         });

} // namespace
