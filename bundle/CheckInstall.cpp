// check-install.exe: the setup of the bundle it lies in, as a user meets it. It installs
// silently (/S, into the default folder or /D=FOLDER given as its argument), starts the installed
// Spindrel, checks what its toggle shows on this platform and that its icon is in the
// notification area, ends it by the Settings menu's "&Exit" and uninstalls silently. Each step
// prints a line; the exit code is 0 when every step went as it should.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "res/resource.h"
#include "tests/common/Platform.h"

namespace {

// NOTIFYICONIDENTIFIER (Windows 7), which the SDK declares only for programs that require it.
struct IconIdentifier {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    GUID guidItem;
};
static_assert(sizeof(IconIdentifier) == (sizeof(void*) == 8 ? 40 : 28), "NOTIFYICONIDENTIFIER's size");
using IconRect = HRESULT(WINAPI*)(const IconIdentifier*, RECT*);

SystemLibrary shell{"shell32.dll", SystemLibrary::Source::SystemFolder};

int failures = 0;

void Step(bool passed, const std::string& what)
{
    std::printf("%s %s\n", passed ? "ok    " : "FAILED", what.c_str());
    std::fflush(stdout);
    failures += !passed;
}

std::string OwnFolder()
{
    char path[MAX_PATH * 3] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path - 1);
    std::string folder = path;
    return folder.erase(folder.find_last_of('\\') + 1);
}

// The program's exit code, or kFailed when it did not start or end within the time.
constexpr DWORD kFailed = 0xFFFFFFFF;
DWORD RunToEnd(const std::string& exe, const std::string& arguments, DWORD timeoutMs)
{
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started))
        return kFailed;
    const UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    DWORD code = kFailed;
    if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), kFailed);
    else
        ::GetExitCodeProcess(process.get(), &code);
    return code;
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(50);
    }
    return true;
}

struct MainWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownMainWindow(HWND window, LPARAM data)
{
    auto* wanted = reinterpret_cast<MainWindowSearch*>(data);
    DWORD owner = 0;
    char caption[64] = {}, className[16] = {};
    ::GetWindowThreadProcessId(window, &owner);
    ::GetWindowTextA(window, caption, sizeof caption);
    ::GetClassNameA(window, className, sizeof className);
    if (owner != wanted->processId || !::IsWindowVisible(window) || std::strcmp(caption, "Spindrel") != 0 ||
        std::strcmp(className, "#32770") != 0)
        return TRUE;
    wanted->found = window;
    return FALSE;
}

HWND ShownMainWindow(DWORD processId)
{
    MainWindowSearch search{processId, nullptr};
    ::EnumWindows(FindShownMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Whether the shell holds the icon that the window added. Shell_NotifyIconGetRect answers where
// it exists (Windows 7 and later); elsewhere, and where it is not implemented, a change of nothing
// (NIM_MODIFY with no flags), which the shell accepts only for an icon it has.
bool IconInTray(HWND window, std::string& how)
{
    if (const auto iconRect = shell.Entry<IconRect>("Shell_NotifyIconGetRect")) {
        IconIdentifier icon{sizeof icon, window, IDR_SETTINGS_MENU, {}};
        RECT rect{};
        const HRESULT result = iconRect(&icon, &rect);
        if (result != E_NOTIMPL) {
            char text[96];
            std::snprintf(text, sizeof text, "Shell_NotifyIconGetRect 0x%08lX, at %ld,%ld",
                          static_cast<unsigned long>(result), rect.left, rect.top);
            how = text;
            return SUCCEEDED(result);
        }
    }
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = IDR_SETTINGS_MENU;
    how = "NIM_MODIFY";
    return ::Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

std::string DefaultFolder()
{
    char local[MAX_PATH * 3] = {};
    ::GetEnvironmentVariableA("LOCALAPPDATA", local, sizeof local);
    return std::string(local) + "\\Programs\\Spindrel";
}

void CheckInstalledSpindrel(const std::string& folder)
{
    std::string commandLine = "\"" + folder + "\\Spindrel.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const bool ran = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                      &startup, &started);
    Step(ran, "the installed Spindrel.exe starts");
    if (!ran)
        return;
    const UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    HWND window = nullptr;
    Step(WaitUntil([&] { return (window = ShownMainWindow(started.dwProcessId)) != nullptr; }, 30000),
         "its main window shows");
    if (window) {
        const std::string expected = test_support::RealCaptureCaption();
        char caption[128] = {};
        const bool shown = WaitUntil(
            [&] { return ::GetDlgItemTextA(window, IDC_ACCELERATE, caption, sizeof caption), expected == caption; },
            15000);
        std::string seen = caption;
        for (std::string::size_type at; (at = seen.find('\n')) != std::string::npos;)
            seen.replace(at, 1, "\\n");
        Step(shown, "the toggle shows what " + std::string(test_support::PlatformName()) + " allows: \"" + seen + "\"");
        std::string how;
        const bool inTray = WaitUntil([&] { return IconInTray(window, how); }, 10000);
        Step(inTray, "its icon is in the notification area (" + how + ")");
        ::PostMessageA(window, WM_COMMAND, ID_EXIT, 0);
    }
    const bool ended = ::WaitForSingleObject(process.get(), 15000) == WAIT_OBJECT_0;
    Step(ended, "\"&Exit\" ends it");
    if (!ended)
        ::TerminateProcess(process.get(), 1);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string bundle = OwnFolder();
    const std::string folder = argc > 1 ? argv[1] : DefaultFolder();
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((bundle + "Spindrel-*-setup.exe").c_str(), &found);
    Step(search != INVALID_HANDLE_VALUE, "the bundle holds a setup");
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    ::FindClose(search);
    const std::string setup = bundle + found.cFileName;
    std::printf("%s, installing %s into %s\n", test_support::PlatformName(), found.cFileName, folder.c_str());

    const DWORD installed = RunToEnd(setup, "/S" + (argc > 1 ? " /D=" + folder : std::string()), 180000);
    const std::string exe = folder + "\\Spindrel.exe", uninstaller = folder + "\\Uninstall.exe";
    Step(installed == 0 && ::GetFileAttributesA(exe.c_str()) != INVALID_FILE_ATTRIBUTES,
         "the setup installs silently (exit code " + std::to_string(static_cast<long>(installed)) + ")");
    if (::GetFileAttributesA(exe.c_str()) != INVALID_FILE_ATTRIBUTES)
        CheckInstalledSpindrel(folder);

    // In place (_?=): the uninstaller then ends when its work is done, and is left for us to delete.
    // The settings file and the preferences that this start wrote go too.
    const DWORD uninstalled = RunToEnd(uninstaller, "/S /REMOVESETTINGS _?=" + folder, 180000);
    Step(uninstalled == 0 && ::GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES,
         "the uninstaller removes it silently (exit code " + std::to_string(static_cast<long>(uninstalled)) + ")");
    ::DeleteFileA(uninstaller.c_str());
    ::RemoveDirectoryA(folder.c_str());
    std::printf("check-install: %s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
