// The start-up order of the process-wide objects, watched in a process of their own: the
// application object, the services table and the settings are made first and in that order,
// before the static objects of other files, and destroyed last in the reverse order, so that a
// start and a normal exit write the settings file with every key after everything else has gone.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/CodePage.h"
#include "tests/common/Process.h"
#include "tests/win32/ToolkitTestFiles.h"

namespace {

using namespace toolkit_test;

TEST(StartupOrder, ProcessWideObjectsComeFirstAndGoLast)
{
    const std::string folder = BesideExe("toolkit_probe\\");
    const std::string exe = folder + "win32_toolkit_probe.exe";
    const std::string ini = folder + "win32_toolkit_probe.ini";
    const std::string events = exe + ".events";
    Forget(ini);
    ::DeleteFileA(events.c_str());
    WriteBytes(folder + "services", "ftp 21/tcp\nping 0/icmp\ndomain 53/udp");

    ASSERT_EQ(test_support::RunToEnd(exe, "", 60000, CREATE_NO_WINDOW), 0u);

    std::vector<std::string> got = Lines(events);
    ASSERT_EQ(got.size(), 11u);
    // The two other files' objects, in whichever order the linker put their files.
    std::sort(got.begin() + 3, got.begin() + 5);
    std::sort(got.begin() + 6, got.begin() + 8);
    const std::vector<std::string> expected = {
        "app made",
        "services made with 2 entries",
        "settings made",
        "after made",
        "before made",
        "main",
        "after destroyed, settings file missing",
        "before destroyed, settings file missing",
        "settings writing",
        "services destroyed, settings file written",
        "app destroyed",
    };
    EXPECT_EQ(got, expected);
    EXPECT_EQ(Lines(ini), DefaultSettingsLines());

    Forget(ini);
    ::DeleteFileA(events.c_str());
    ::DeleteFileA((folder + "services").c_str());
}

// The probe has no manifest: it runs as Spindrel runs where Windows does not honour it (before
// Windows 10 1903), in the system's code page 1252, which lacks these folders' letters. It finds
// its services file and writes its settings file there all the same, through the folders' short
// names.
TEST(StartupOrder, TheFilesBesideTheProgramAreFoundWhereTheCodePageCannotNameTheFolder)
{
    ASSERT_EQ(code_page::SystemCodePage(), 1252u);
    for (const char* name : {"\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9", "\xE7\x8E\x8B\xE8\x8A\xB3"}) {
        const std::string folder = BesideExe("toolkit_probe\\") + name + "\\";
        const std::string exe = folder + "win32_toolkit_probe.exe";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileA(BesideExe("toolkit_probe\\win32_toolkit_probe.exe").c_str(), exe.c_str(), FALSE));
        WriteBytes(folder + "services", "ftp 21/tcp\ndomain 53/udp\n");

        ASSERT_EQ(test_support::RunToEnd(exe, "", 60000, CREATE_NO_WINDOW), 0u) << name;
        const std::vector<std::string> events = Lines(exe + ".events");
        EXPECT_EQ(events.size(), 11u) << name;
        EXPECT_NE(std::find(events.begin(), events.end(), "services made with 2 entries"), events.end()) << name;
        EXPECT_EQ(Lines(folder + "win32_toolkit_probe.ini"), DefaultSettingsLines()) << name;

        for (const char* file : {"win32_toolkit_probe.exe", "win32_toolkit_probe.exe.events", "win32_toolkit_probe.ini",
                                 "services"})
            ::DeleteFileA((folder + file).c_str());
        ::RemoveDirectoryA(folder.c_str());
    }
}

} // namespace
