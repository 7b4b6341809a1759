// run-tests.exe: runs the test programs of the bundle it lies in, each with GoogleTest's XML
// report, and ends with 0 when all of them passed. The same file runs on Windows and under Wine:
//   run-tests [--smoke] [--filter=PATTERN] [--results=FOLDER] [program...]
// --smoke runs a few tests of each program (smoke.txt, else its first test): every program is
// shown to start and find its files in the bundle. --filter hands one GoogleTest filter to every
// program. Reports go to FOLDER (default: results beside this file), one <program>.xml each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bundle/RunnerCore.h"
#include "framework/Handles.h"
#include "tests/common/Platform.h"

namespace {

std::string OwnFolder()
{
    char path[MAX_PATH * 3] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path - 1);
    std::string folder = path;
    return folder.erase(folder.find_last_of('\\') + 1);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> OwnEnvironment()
{
    std::vector<std::string> entries;
    char* block = ::GetEnvironmentStringsA();
    for (const char* entry = block; entry && *entry; entry += std::strlen(entry) + 1)
        entries.emplace_back(entry);
    if (block)
        ::FreeEnvironmentStringsA(block);
    return entries;
}

// One test program's process, in a job of its own: a program that runs out of time ends with
// everything it started, and so does whatever a finished program left running.
class TestProcess {
public:
    // Starts it with output to `output` (null: this runner's own standard handles).
    bool Start(const std::string& exe, const std::vector<std::string>& arguments, const std::string& folder,
               const std::vector<std::string>& environment, HANDLE output)
    {
        std::string commandLine = runner::CommandLine(exe, arguments);
        std::string block;
        for (const std::string& entry : environment)
            block.append(entry).push_back('\0');
        block.push_back('\0');

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output ? output : ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = output ? output : ::GetStdHandle(STD_ERROR_HANDLE);
        for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
            ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        job.reset(::CreateJobObjectA(nullptr, nullptr));
        PROCESS_INFORMATION started{};
        if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                              &block[0], folder.c_str(), &startup, &started))
            return false;
        process.reset(started.hProcess);
        const UniqueKernelHandle thread(started.hThread);
        // Outside the job (a system without nested jobs) it still runs; only its children would
        // then outlive a time-out.
        if (job && !::AssignProcessToJobObject(job.get(), process.get()))
            job.reset();
        ::ResumeThread(thread.get());
        return true;
    }

    // Its exit code, or nullopt when it ran out of time (it is ended then).
    std::optional<DWORD> Wait(unsigned timeoutSeconds)
    {
        const bool ended = ::WaitForSingleObject(process.get(), timeoutSeconds * 1000) == WAIT_OBJECT_0;
        if (!ended)
            ::TerminateProcess(process.get(), 1);
        if (job)
            ::TerminateJobObject(job.get(), 1);
        DWORD code = 1;
        ::GetExitCodeProcess(process.get(), &code);
        if (!ended)
            return std::nullopt;
        return code;
    }

private:
    UniqueKernelHandle job, process;
};

// Wine's load order for some libraries (HKCU\Software\Wine\DllOverrides) while one program runs,
// put back as it was afterwards.
class WineDllOverrides {
public:
    explicit WineDllOverrides(const std::vector<std::pair<std::string, std::string>>& overrides)
    {
        HKEY opened = nullptr;
        if (overrides.empty() || ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                                                   KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &opened,
                                                   nullptr) != ERROR_SUCCESS)
            return;
        key.reset(opened);
        for (const auto& [library, order] : overrides) {
            char value[256] = {};
            DWORD size = sizeof value - 1, type = 0;
            const bool had = ::RegQueryValueExA(key.get(), library.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
                             type == REG_SZ;
            previous.push_back({library, had, value});
            ::RegSetValueExA(key.get(), library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                             static_cast<DWORD>(order.size() + 1));
        }
    }
    ~WineDllOverrides()
    {
        for (const Previous& value : previous) {
            if (value.had)
                ::RegSetValueExA(key.get(), value.library.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.order.c_str()),
                                 static_cast<DWORD>(value.order.size() + 1));
            else
                ::RegDeleteValueA(key.get(), value.library.c_str());
        }
    }
    WineDllOverrides(const WineDllOverrides&) = delete;
    WineDllOverrides& operator=(const WineDllOverrides&) = delete;

private:
    struct Previous {
        std::string library;
        bool had;
        std::string order;
    };
    UniqueKey key;
    std::vector<Previous> previous;
};

// What `program --gtest_list_tests` prints (its own filter applied).
std::string Listing(const std::string& exe, const runner::TestProgram& program, const std::string& folder,
                    const std::vector<std::string>& environment)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0))
        return "";
    const UniqueKernelHandle reader(read);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    TestProcess listing;
    std::vector<std::string> arguments = program.arguments;
    arguments.push_back("--gtest_list_tests");
    const bool started = listing.Start(exe, arguments, folder, environment, write);
    ::CloseHandle(write); // the pipe ends when the program does
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (started && ::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got)
        text.append(buffer, got);
    if (started)
        listing.Wait(60);
    return text;
}

// Runs the program to its end: empty when it passed, else why not.
std::string Run(TestProcess& test, const std::string& exe, const std::vector<std::string>& arguments,
                const std::string& folder, const std::vector<std::string>& environment, unsigned timeoutSeconds)
{
    if (!test.Start(exe, arguments, folder, environment, nullptr))
        return "did not start (error " + std::to_string(::GetLastError()) + ")";
    const std::optional<DWORD> code = test.Wait(timeoutSeconds);
    if (!code)
        return "ran out of time (" + std::to_string(timeoutSeconds) + " s)";
    return *code == 0 ? "" : "exit code " + std::to_string(*code);
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file << text);
}

int Usage()
{
    std::fprintf(stderr, "usage: run-tests [--smoke] [--filter=PATTERN] [--results=FOLDER] [program...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string bundle = OwnFolder();
    bool smoke = false;
    std::string filter, results = bundle + "results";
    std::vector<std::string> chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--smoke")
            smoke = true;
        else if (argument.rfind("--filter=", 0) == 0)
            filter = argument.substr(9);
        else if (argument.rfind("--results=", 0) == 0)
            results = argument.substr(10);
        else if (argument.rfind("--", 0) == 0)
            return Usage();
        else
            chosen.push_back(argument);
    }
    char fullResults[MAX_PATH * 3] = {};
    if (!::GetFullPathNameA(results.c_str(), sizeof fullResults, fullResults, nullptr))
        return Usage();
    results = fullResults;
    if (results.back() != '\\')
        results += '\\';
    ::CreateDirectoryA(results.c_str(), nullptr);

    int badLine = 0;
    const auto programs = runner::ParseManifest(ReadFile(bundle + "tests.txt"), &badLine);
    if (!programs || programs->empty()) {
        std::fprintf(stderr, "run-tests: %stests.txt is missing or wrong at line %d\n", bundle.c_str(), badLine);
        return 2;
    }
    const auto smokeList = runner::ParseSmokeList(ReadFile(bundle + "smoke.txt"));
    const bool wine = test_support::UnderWine();
    std::printf("run-tests: %s, %s%s\n", test_support::PlatformName(), bundle.c_str(), smoke ? " (smoke run)" : "");

    std::vector<std::string> failed;
    int ran = 0;
    const DWORD allStart = ::GetTickCount();
    for (const runner::TestProgram& program : *programs) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), program.name) == chosen.end())
            continue;
        ++ran;
        const std::string exe = bundle + program.exe, folder = bundle + program.folder,
                          report = results + program.name + ".xml";
        const std::vector<std::string> environment =
            runner::MergeEnvironment(OwnEnvironment(), program.environment);
        const WineDllOverrides overrides(wine ? runner::DllOverrides(program.environment)
                                              : std::vector<std::pair<std::string, std::string>>{});
        std::vector<std::string> arguments = program.arguments;
        std::string reason;
        if (!filter.empty()) {
            arguments = runner::WithFilter(arguments, filter);
        } else if (smoke) {
            const auto listed = smokeList.find(program.name);
            const std::string tests = listed != smokeList.end()
                                          ? listed->second
                                          : runner::FirstListedTest(Listing(exe, program, folder, environment));
            arguments = runner::WithFilter(arguments, tests);
            if (tests.empty())
                reason = "lists no test";
        }
        arguments.push_back("--gtest_output=xml:" + report);
        ::DeleteFileA(report.c_str());

        std::printf("\n==== %s %s\n", program.name.c_str(), runner::CommandLine(program.exe, arguments).c_str());
        std::fflush(stdout);
        const DWORD start = ::GetTickCount();
        TestProcess test;
        if (reason.empty())
            reason = Run(test, exe, arguments, folder, environment, program.timeoutSeconds);
        const bool reported = ::GetFileAttributesA(report.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (reason.empty() && !reported)
            reason = "wrote no report";
        // A chosen test that was renamed away would leave a run that proves nothing.
        if (reason.empty() && (smoke || !filter.empty()) && ReadFile(report).find("<testsuites tests=\"0\"") != std::string::npos)
            reason = "ran no test of its choice";
        if (!reason.empty() && !reported)
            WriteText(report, runner::FailureReport(program.name, reason));
        if (!reason.empty())
            failed.push_back(program.name + ": " + reason);
        std::printf("==== %s %s (%.1f s)\n", reason.empty() ? "passed" : "FAILED", program.name.c_str(),
                    (::GetTickCount() - start) / 1000.0);
        std::fflush(stdout);
    }

    std::printf("\nrun-tests: %d of %d programs passed in %.0f s; reports in %s\n", ran - static_cast<int>(failed.size()),
                ran, (::GetTickCount() - allStart) / 1000.0, results.c_str());
    for (const std::string& failure : failed)
        std::printf("  FAILED %s\n", failure.c_str());
    if (ran == 0) {
        std::fprintf(stderr, "run-tests: no program of that name\n");
        return 2;
    }
    return failed.empty() ? 0 : 1;
}
