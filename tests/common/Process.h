#pragma once
// Starts Spindrel.exe as a separate process and drives it from the outside, as a user or another
// program would: its window, control texts, commands, the tray callback, its exit. Other programs
// too: every test that starts a process, waits for one or looks for a window does so here.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace test_support {

// The folder of this test executable, with a trailing backslash.
std::string OwnFolder(HMODULE module = nullptr);
// Spindrel.exe of this build (two folders above the test executables).
std::string SpindrelExePath();

// The text of a dialog's control.
std::string ItemText(HWND dialog, int id);

class SpindrelProcess {
public:
    // The program of this build, another copy of it, or any other program.
    explicit SpindrelProcess(std::string exePath = SpindrelExePath()) : exePath_(std::move(exePath)) {}
    ~SpindrelProcess();
    SpindrelProcess(const SpindrelProcess&) = delete;
    SpindrelProcess& operator=(const SpindrelProcess&) = delete;

    // Starts the program (arguments after the exe name) in workingDirectory (empty: this folder).
    bool Start(const std::string& arguments = "", const std::string& workingDirectory = "", DWORD flags = 0,
               bool shareOutput = false);
    // Waits for the main window (a dialog captioned "Spindrel" of this process) to be shown;
    // null on time-out or when the process ends first.
    HWND WaitForMainWindow(DWORD timeoutMs = 15000);
    // Waits for a top-level window of this process with the given caption (class "#32770") that
    // accept, when given, takes.
    HWND WaitForDialog(const char* caption, DWORD timeoutMs = 15000, bool (*accept)(HWND) = nullptr) const;

    std::string ControlText(int id) const;
    void PostCommand(int id) const;
    // Sends the notification-area callback (message 0x800A) as the shell would, and waits for it.
    LRESULT SendTrayEvent(UINT mouseMessage, WPARAM iconId = 129) const;

    // True when the process has ended within the time; exitCode receives its code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    bool Running() const;
    void Kill();

    HWND MainWindow() const { return mainWindow_; }
    DWORD ProcessId() const { return processId_; }

private:
    std::string exePath_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND mainWindow_ = nullptr;
};

// Waits until condition() holds, looking every 20 ms; false when timeoutMs pass first.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 20000)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

// The path of the module of that name (the exe's own file name too) in the process, or "" when
// it is not loaded.
std::string ModulePath(DWORD processId, const char* name);

// Wine's virtual desktop, where a window given a parent is its child as on Windows: once the
// calling thread has joined it, the processes the tests start go there too.
inline char* joinedDesktop = nullptr;
inline bool JoinVirtualDesktop()
{
    static char name[] = "WinSta0\\Spindrel";
    HDESK desktop = ::CreateDesktopA("Spindrel", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    joinedDesktop = desktop && ::SetThreadDesktop(desktop) ? name : nullptr;
    return joinedDesktop;
}

// A top-level window of the given process (0: any) with this class and caption (null: any) that
// accept, when given, takes; or null. ProcessWindows: all of them. SpindrelWindows: the main
// windows of the running Spindrels, of those whose process runs exe only when it is given.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption,
                       bool (*accept)(HWND) = nullptr);
std::vector<HWND> ProcessWindows(DWORD processId, const char* className, const char* caption, bool (*accept)(HWND));
std::vector<HWND> SpindrelWindows(const std::string& exe = "");
// Runs a program to its end (with shareOutput, writing to this test's output): its exit code, or
// kNotEnded when it did not start or end in time (it is ended then).
constexpr DWORD kNotEnded = 0xFFFFFFFF;
DWORD RunToEnd(const std::string& exe, const std::string& arguments, DWORD timeoutMs = 60000, DWORD flags = 0,
               bool shareOutput = false);

} // namespace test_support
