// Spindrel.exe's own stack-protector guard, in a probe process that starts the same way: seeded at
// random at every start, and a smashed stack or an overflowing checked copy ends the process at
// once with STATUS_STACK_BUFFER_OVERRUN.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kStackBufferOverrun = 0xC0000409;

DWORD RunProbe(const std::string& arguments)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string exe = path;
    exe.erase(exe.find_last_of('\\') + 1);
    exe += "stack_guard\\stack_guard_probe.exe";
    std::string line = "\"" + exe + "\" " + arguments;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return 0xFFFFFFFF;
    ::WaitForSingleObject(info.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return code;
}

TEST(StackGuard, IsSeededDifferentlyAtEachStart)
{
    const DWORD first = RunProbe("guard");
    const DWORD second = RunProbe("guard");
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
}

TEST(StackGuard, ASmashedStackOrAnOverflowingCopyEndsTheProcess)
{
    EXPECT_EQ(RunProbe("fill 16"), 0u);
    EXPECT_EQ(RunProbe("copy 8"), 0u);
    EXPECT_EQ(RunProbe("fill 64"), kStackBufferOverrun);
    EXPECT_EQ(RunProbe("copy 40"), kStackBufferOverrun);
}

} // namespace
