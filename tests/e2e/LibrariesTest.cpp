// The libraries Spindrel.exe loads, seen from another process: none planted beside it or in the
// folder it is started from, while a build without its restriction to the system folder loads one;
// and WinINet, first needed at the first refresh tick, loaded then and kept.
//
// Wine prefers its own built-in libraries to any file it finds; the test runs with
// WINEDLLOVERRIDES="iphlpapi,wininet=n,b" (see CMakeLists.txt), so that the programs it starts look
// for these two as Windows does and would find a planted file.
#include "tests/common/Process.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace test_support;

bool InSystemFolder(const std::string& path)
{
    char system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
    return length > 0 && path.size() > length && ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(),
                                                                  static_cast<int>(length), system,
                                                                  static_cast<int>(length)) == CSTR_EQUAL;
}

const char* const kPlanted[] = {"iphlpapi.dll", "wininet.dll"};

// A copy of the program in a folder of its own, and a folder to start it from, each holding the
// planted libraries (tests/e2e/planting/PlantedLibrary.cpp).
struct PlantedFolders {
    std::string program = OwnFolder() + "planted\\program\\";
    std::string current = OwnFolder() + "planted\\current\\";

    explicit PlantedFolders(const std::string& exe)
    {
        ::CreateDirectoryA((OwnFolder() + "planted").c_str(), nullptr);
        for (const std::string& folder : {program, current}) {
            ::CreateDirectoryA(folder.c_str(), nullptr);
            for (const char* name : kPlanted) {
                ::DeleteFileA((folder + name + ".loaded").c_str());
                ::CopyFileA((OwnFolder() + "planting\\" + name).c_str(), (folder + name).c_str(), FALSE);
            }
        }
        ::DeleteFileA((program + "Spindrel.ini").c_str());
        ::CopyFileA(exe.c_str(), (program + "Spindrel.exe").c_str(), FALSE);
    }

    static bool Loaded(const std::string& folder, const char* name)
    {
        return ::GetFileAttributesA((folder + name + ".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST(Libraries, NothingPlantedBesideTheProgramOrInItsStartFolderIsLoaded)
{
    PlantedFolders folders(SpindrelExePath());
    SpindrelProcess spindrel(folders.program + "Spindrel.exe");
    ASSERT_TRUE(spindrel.Start("", folders.current));
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    // The interface list is filled, the status refresh runs, and both libraries came from the
    // system folder.
    EXPECT_GT(::SendDlgItemMessageA(window, IDC_INTERFACE_LIST, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return !spindrel.ControlText(IDC_CONNECTED_TIME).empty(); }));
    for (const char* name : kPlanted)
        EXPECT_TRUE(InSystemFolder(ModulePath(spindrel.ProcessId(), name))) << name;

    // Into the tray and back, then "&Exit".
    spindrel.PostCommand(2);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }));
    EXPECT_EQ(spindrel.SendTrayEvent(WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(::IsWindowVisible(window));
    spindrel.PostCommand(ID_EXIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));

    for (const std::string& folder : {folders.program, folders.current}) {
        for (const char* name : kPlanted)
            EXPECT_FALSE(PlantedFolders::Loaded(folder, name)) << folder << name;
    }
}

// The control: the same program built without the restriction loads the planted IP Helper from
// its own folder, which refuses to attach, and reports "Error loading Iphlpapi.dll".
TEST(Libraries, ABuildWithoutTheRestrictionLoadsThePlantedLibrary)
{
    PlantedFolders folders(OwnFolder() + "SpindrelUnrestricted.exe");
    SpindrelProcess spindrel(folders.program + "Spindrel.exe");
    ASSERT_TRUE(spindrel.Start("", folders.current));
    EXPECT_TRUE(WaitUntil([&] { return PlantedFolders::Loaded(folders.program, "iphlpapi.dll"); }, 15000));
    const HWND box = spindrel.WaitForDialog("Spindrel", 15000, [](HWND dialog) {
        return ItemText(dialog, 0xFFFF) == "Error loading Iphlpapi.dll"; // a message box's text
    });
    EXPECT_NE(box, nullptr);
}

TEST(Libraries, WinInetLoadsAtTheFirstRefreshTickAndStays)
{
    // The window shows about a second before the first tick; a start whose tick came before the
    // window was seen tells nothing, and is made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SpindrelProcess spindrel;
        ASSERT_TRUE(spindrel.Start());
        ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
        const std::string atFirstSight = ModulePath(spindrel.ProcessId(), "wininet.dll");
        // Accessibility is loaded only when a client asks the link for its object, never at start.
        EXPECT_EQ(ModulePath(spindrel.ProcessId(), "oleacc.dll"), "");
        if (!spindrel.ControlText(IDC_CONNECTED_TIME).empty())
            continue;
        EXPECT_EQ(atFirstSight, "");

        ASSERT_TRUE(WaitUntil([&] { return !spindrel.ControlText(IDC_CONNECTED_TIME).empty(); }));
        const std::string loaded = ModulePath(spindrel.ProcessId(), "wininet.dll");
        EXPECT_TRUE(InSystemFolder(loaded)) << loaded;
        // Two ticks later it is still there: loaded once, not at every tick.
        const std::string first = spindrel.ControlText(IDC_CONNECTED_TIME);
        ASSERT_TRUE(WaitUntil([&] { return spindrel.ControlText(IDC_CONNECTED_TIME) != first; }));
        const std::string second = spindrel.ControlText(IDC_CONNECTED_TIME);
        ASSERT_TRUE(WaitUntil([&] { return spindrel.ControlText(IDC_CONNECTED_TIME) != second; }));
        EXPECT_EQ(ModulePath(spindrel.ProcessId(), "wininet.dll"), loaded);
        return;
    }
    FAIL() << "the first refresh tick came before the window was seen, three times";
}

} // namespace
