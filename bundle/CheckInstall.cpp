// check-install.exe: the setup of the bundle it lies in, as a user meets it. It installs
// silently (/S, into the default folder or /D=FOLDER given as its argument), starts the installed
// Spindrel, checks what its toggle shows on this platform and that its icon is in the
// notification area, ends it by the Settings menu's "&Exit" and uninstalls silently. Each step
// prints a line; the exit code is 0 when every step went as it should.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "framework/SystemLibrary.h"
#include "res/resource.h"
#include "tests/common/Platform.h"
#include "tests/common/Process.h"

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
    test_support::SpindrelProcess spindrel(folder + "\\Spindrel.exe");
    const bool ran = spindrel.Start("", folder);
    Step(ran, "the installed Spindrel.exe starts");
    if (!ran)
        return;
    const HWND window = spindrel.WaitForMainWindow(30000);
    Step(window != nullptr, "its main window shows");
    if (window) {
        const std::string expected = test_support::RealCaptureCaption();
        std::string seen;
        const bool shown =
            test_support::WaitUntil([&] { return (seen = spindrel.ControlText(IDC_ACCELERATE)) == expected; }, 15000);
        for (std::string::size_type at; (at = seen.find('\n')) != std::string::npos;)
            seen.replace(at, 1, "\\n");
        Step(shown, "the toggle shows what " + std::string(test_support::PlatformName()) + " allows: \"" + seen + "\"");
        std::string how;
        const bool inTray = test_support::WaitUntil([&] { return IconInTray(window, how); }, 10000);
        Step(inTray, "its icon is in the notification area (" + how + ")");
        spindrel.PostCommand(ID_EXIT);
    }
    const bool ended = spindrel.WaitForExit(15000);
    Step(ended, "\"&Exit\" ends it");
    if (!ended)
        spindrel.Kill();
}

} // namespace

int main(int argc, char** argv)
{
    using test_support::RunToEnd;
    const std::string bundle = test_support::OwnFolder();
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
