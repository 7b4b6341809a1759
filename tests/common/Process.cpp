#include "tests/common/Process.h"

#include <tlhelp32.h>

namespace test_support {

std::string OwnFolder(HMODULE module)
{
    char path[MAX_PATH * 3] = {};
    ::GetModuleFileNameA(module, path, sizeof path - 1);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}

std::string SpindrelExePath()
{
    return OwnFolder() + "..\\..\\Spindrel.exe";
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

namespace {
struct FindData {
    DWORD processId;
    const char* className;
    const char* caption;
    bool (*accept)(HWND);
    std::vector<HWND> found;
};

BOOL CALLBACK FindWindowOfProcess(HWND hwnd, LPARAM lParam)
{
    auto* data = reinterpret_cast<FindData*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (data->processId && owner != data->processId)
        return TRUE;
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (data->className && ::lstrcmpiA(name, data->className) != 0)
        return TRUE;
    char text[256] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    if (data->caption && ::lstrcmpA(text, data->caption) != 0)
        return TRUE;
    if (data->accept && !data->accept(hwnd))
        return TRUE;
    data->found.push_back(hwnd);
    return TRUE;
}
} // namespace

std::string ModulePath(DWORD processId, const char* name)
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return "";
    std::string path;
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32First(snapshot, &module); more; more = ::Module32Next(snapshot, &module)) {
        if (::lstrcmpiA(module.szModule, name) == 0)
            path = module.szExePath;
    }
    ::CloseHandle(snapshot);
    return path;
}

std::vector<HWND> ProcessWindows(DWORD processId, const char* className, const char* caption, bool (*accept)(HWND))
{
    FindData data{processId, className, caption, accept, {}};
    ::EnumWindows(&FindWindowOfProcess, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, bool (*accept)(HWND))
{
    const std::vector<HWND> found = ProcessWindows(processId, className, caption, accept);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> SpindrelWindows(const std::string& exe)
{
    std::vector<HWND> found;
    for (HWND hwnd : ProcessWindows(0, "#32770", "Spindrel", [](HWND w) { return ::GetDlgItem(w, 1001) != nullptr; })) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(hwnd, &processId);
        if (exe.empty() || ModulePath(processId, "Spindrel.exe") == exe)
            found.push_back(hwnd);
    }
    return found;
}

DWORD RunToEnd(const std::string& exe, const std::string& arguments, DWORD timeoutMs, DWORD flags, bool shareOutput)
{
    SpindrelProcess program(exe);
    DWORD code = kNotEnded;
    return program.Start(arguments, "", flags, shareOutput) && program.WaitForExit(timeoutMs, &code) ? code : kNotEnded;
}

SpindrelProcess::~SpindrelProcess()
{
    Kill();
}

bool SpindrelProcess::Start(const std::string& arguments, const std::string& workingDirectory, DWORD flags,
                            bool shareOutput)
{
    const std::string& exe = exePath_;
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // The interactive desktop: a test started by a harness without a console may sit on another one.
    char desktop[] = "WinSta0\\Default";
    startup.lpDesktop = joinedDesktop ? joinedDesktop : desktop;
    startup.dwFlags = shareOutput ? STARTF_USESTDHANDLES : 0;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    const std::string folder = workingDirectory.empty() ? OwnFolder() : workingDirectory;
    if (!::CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, shareOutput, flags, nullptr, folder.c_str(),
                          &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

HWND SpindrelProcess::WaitForDialog(const char* caption, DWORD timeoutMs, bool (*accept)(HWND)) const
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (HWND hwnd = FindProcessWindow(processId_, "#32770", caption, accept))
            return hwnd;
        if (!Running())
            return nullptr;
        ::Sleep(50);
    }
    return nullptr;
}

HWND SpindrelProcess::WaitForMainWindow(DWORD timeoutMs)
{
    // The main window is the one with the toggle (the About box shares its caption); it counts
    // once it is shown, after its initialisation.
    HWND hwnd = WaitForDialog("Spindrel", timeoutMs,
                              [](HWND window) { return ::GetDlgItem(window, 1001) && ::IsWindowVisible(window); });
    if (hwnd)
        mainWindow_ = hwnd;
    return hwnd;
}

std::string SpindrelProcess::ControlText(int id) const
{
    return ItemText(mainWindow_, id);
}

void SpindrelProcess::PostCommand(int id) const
{
    ::PostMessageA(mainWindow_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

LRESULT SpindrelProcess::SendTrayEvent(UINT mouseMessage, WPARAM iconId) const
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(mainWindow_, 0x800A, iconId, mouseMessage, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

bool SpindrelProcess::Running() const
{
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool SpindrelProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const
{
    if (!process_ || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        ::GetExitCodeProcess(process_, exitCode);
    return true;
}

void SpindrelProcess::Kill()
{
    if (!process_)
        return;
    if (Running()) {
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
    mainWindow_ = nullptr;
}

} // namespace test_support
