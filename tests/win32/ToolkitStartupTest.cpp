// The start-up order of the process-wide objects, watched in a process of their own: the
// application object, the services table and the settings are made first and in that order,
// before the static objects of other files, and destroyed last in the reverse order, so that a
// start and a normal exit write the settings file with every key after everything else has gone.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win32/ToolkitTestFiles.h"

namespace {

using namespace toolkit_test;

int RunAndWait(const std::string& exe)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + exe + "\"";
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process))
        return -1;
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 99);
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

TEST(StartupOrder, ProcessWideObjectsComeFirstAndGoLast)
{
    const std::string folder = BesideExe("toolkit_probe\\");
    const std::string exe = folder + "win32_toolkit_probe.exe";
    const std::string ini = folder + "win32_toolkit_probe.ini";
    const std::string events = exe + ".events";
    Forget(ini);
    ::DeleteFileA(events.c_str());
    WriteBytes(folder + "services", "ftp 21/tcp\nping 0/icmp\ndomain 53/udp");

    ASSERT_EQ(RunAndWait(exe), 0);

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

} // namespace
