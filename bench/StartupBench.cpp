// Whole-program benchmark: Spindrel.exe against two reference programs of the same window
// (bench/BareDialog.cpp), started alternately in the same run. Prints, for each program, the
// time from process start to its main window shown and drawn (the first moment the program waits
// for input, with its window visible) and its peak working set three seconds later, past the first
// status refresh (medians of the rounds); then the working set after a minute hidden in the tray
// and the processor time that minute cost (all programs hidden side by side), each with its ratio
// to the bare dialog. Under Wine a process's processor time is counted in 10 ms ticks.
// A figure to read, not a test:
//   startup_bench [rounds] [hidden-seconds] [other.exe...]        (default 7 and 60)
// Any further program (another build of Spindrel.exe, say) joins the rounds.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

constexpr int kToggle = IDC_ACCELERATE; // every program's window holds the main template's toggle
constexpr int kHide = IDCANCEL;        // "&Minimize to Tray"
constexpr int kExit = ID_EXIT;         // the Settings menu's "&Exit"
constexpr DWORD kSettleMs = 3000;
constexpr DWORD kQuietMs = 1000;

struct Program {
    const char* name;
    std::string path;
    std::vector<double> visibleMs;
    std::vector<double> peakMb;
    double hiddenMb = 0;
    double hiddenCpuMs = 0;
};

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}

struct FindData {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleMainWindow(HWND hwnd, LPARAM lParam)
{
    auto* data = reinterpret_cast<FindData*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != data->processId || !::IsWindowVisible(hwnd) || !::GetDlgItem(hwnd, kToggle))
        return TRUE;
    data->found = hwnd;
    return FALSE;
}

HWND MainWindowOf(DWORD processId)
{
    FindData data{processId, nullptr};
    ::EnumWindows(&FindVisibleMainWindow, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Megabytes(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

ULONGLONG Ticks(FILETIME time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Processor time the process has used, in milliseconds: what the system says of the process, or
// where it says nothing (Wine keeps no such count for another process) the sum over its threads.
double CpuMs(HANDLE process, DWORD processId)
{
    FILETIME created, exited, kernel, user;
    ULONGLONG total = 0;
    if (::GetProcessTimes(process, &created, &exited, &kernel, &user))
        total = Ticks(kernel) + Ticks(user);
    ULONGLONG threads = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != processId)
                continue;
            HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
            if (thread && ::GetThreadTimes(thread, &created, &exited, &kernel, &user))
                threads += Ticks(kernel) + Ticks(user);
            if (thread)
                ::CloseHandle(thread);
        }
        ::CloseHandle(snapshot);
    }
    return static_cast<double>(std::max(total, threads)) / 10000.0;
}

PROCESS_MEMORY_COUNTERS Memory(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters;
}

// One started program and its main window.
struct Running {
    PROCESS_INFORMATION info{};
    HWND window = nullptr;
    double visibleMs = -1;

    bool Start(const std::string& path)
    {
        std::string folder = path.substr(0, path.find_last_of('\\') + 1);
        std::string line = "\"" + path + "\"";
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        LARGE_INTEGER start, now;
        ::QueryPerformanceCounter(&start);
        if (!::CreateProcessA(path.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                              &startup, &info))
            return false;
        // The first moment the program waits for input after it started: its window is made,
        // shown and drawn. The system tells it (no polling that would take processor time from
        // the program being measured); the window must be visible by then.
        ::WaitForInputIdle(info.hProcess, 30000);
        ::QueryPerformanceCounter(&now);
        visibleMs = Seconds(start, now) * 1000.0;
        while (!(window = MainWindowOf(info.dwProcessId))) {
            if (::WaitForSingleObject(info.hProcess, 10) == WAIT_OBJECT_0)
                break;
            ::QueryPerformanceCounter(&now);
            visibleMs = Seconds(start, now) * 1000.0;
            if (visibleMs > 30000)
                break;
        }
        return window != nullptr;
    }

    void End()
    {
        if (!info.hProcess)
            return;
        if (window)
            ::PostMessageA(window, WM_COMMAND, kExit, 0);
        if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
            ::TerminateProcess(info.hProcess, 1);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        info = {};
    }

    ~Running() { End(); }
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int hiddenSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const std::string folder = OwnFolder();
    std::vector<Program> programs = {
        {"Spindrel.exe", folder + "..\\Spindrel.exe", {}, {}},
        {"bare dialog", folder + "bare_dialog.exe", {}, {}},
        {"bare dialog + system calls", folder + "system_dialog.exe", {}, {}},
    };
    for (int i = 3; i < argc; ++i)
        programs.push_back({argv[i], argv[i], {}, {}});

    // Rounds in turn, each program started alone; the order turns with every round. Round 0 warms
    // the system (the first start of the day also starts Wine's shell) and is not counted. After
    // each program ends, the shell gets a second to take its icon and taskbar button away before
    // the next one starts.
    for (int round = 0; round <= rounds; ++round) {
        for (size_t i = 0; i < programs.size(); ++i) {
            Program& program = programs[(i + static_cast<size_t>(round)) % programs.size()];
            {
                Running running;
                if (!running.Start(program.path)) {
                    std::printf("%s did not show its window\n", program.name);
                    return 1;
                }
                ::Sleep(kSettleMs);
                if (round > 0) {
                    program.visibleMs.push_back(running.visibleMs);
                    program.peakMb.push_back(Megabytes(Memory(running.info.hProcess).PeakWorkingSetSize));
                }
            }
            ::Sleep(kQuietMs);
        }
        std::fprintf(stderr, "round %d of %d\n", round, rounds);
    }

    // One minute hidden, all side by side.
    {
        std::vector<Running> running(programs.size());
        std::vector<double> cpuAtHide(programs.size());
        for (size_t i = 0; i < programs.size(); ++i) {
            if (!running[i].Start(programs[i].path))
                return 1;
        }
        ::Sleep(kSettleMs);
        for (size_t i = 0; i < programs.size(); ++i) {
            ::PostMessageA(running[i].window, WM_COMMAND, kHide, 0);
            cpuAtHide[i] = CpuMs(running[i].info.hProcess, running[i].info.dwProcessId);
        }
        std::fprintf(stderr, "hidden for %d s\n", hiddenSeconds);
        ::Sleep(static_cast<DWORD>(hiddenSeconds) * 1000);
        for (size_t i = 0; i < programs.size(); ++i) {
            programs[i].hiddenMb = Megabytes(Memory(running[i].info.hProcess).WorkingSetSize);
            programs[i].hiddenCpuMs =
                (CpuMs(running[i].info.hProcess, running[i].info.dwProcessId) - cpuAtHide[i]) * 60.0 / hiddenSeconds;
        }
    }

    const Program& bare = programs[1];
    const Program& system = programs[2];
    std::printf("%d rounds: medians, and the fastest start; ratios to the bare dialog\n\n", rounds);
    std::printf("%-32s %10s %6s %8s %6s %10s %6s %12s %6s %10s\n", "program", "visible ms", "ratio", "fastest",
                "ratio", "peak WS MB", "ratio", "hidden WS MB", "ratio", "CPU ms/min");
    const auto fastest = [](const Program& program) {
        return *std::min_element(program.visibleMs.begin(), program.visibleMs.end());
    };
    for (const Program& program : programs) {
        const double visible = Median(program.visibleMs);
        const double peak = Median(program.peakMb);
        std::printf("%-32s %10.1f %6.2f %8.1f %6.2f %10.1f %6.2f %12.1f %6.2f %10.1f\n", program.name, visible,
                    visible / Median(bare.visibleMs), fastest(program), fastest(program) / fastest(bare), peak,
                    peak / Median(bare.peakMb), program.hiddenMb, program.hiddenMb / bare.hiddenMb, program.hiddenCpuMs);
    }
    const Program& spindrel = programs[0];
    std::printf("\nSpindrel.exe to the bare dialog with the system calls: visible %.2f (fastest %.2f), peak working "
                "set %.2f, hidden working set %.2f\n",
                Median(spindrel.visibleMs) / Median(system.visibleMs), fastest(spindrel) / fastest(system),
                Median(spindrel.peakMb) / Median(system.peakMb), spindrel.hiddenMb / system.hiddenMb);
    std::printf("visible ms, every round:\n");
    for (const Program& program : programs) {
        std::printf("  %-32s", program.name);
        for (double ms : program.visibleMs)
            std::printf(" %6.1f", ms);
        std::printf("\n");
    }
    return 0;
}
