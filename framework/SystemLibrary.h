#pragma once
// System libraries, from the system folder only: the one place the program loads a library or
// looks a function up at run time, and so the one place to audit.
//
// For a library that is not one of the system's known DLLs, Windows looks first in the program's
// folder and, for LoadLibrary, in the current directory: a file of the same name planted there
// would run inside the program. Two parts keep it out:
// - the search policy (LibrarySearch.cpp): RestrictLibrarySearch takes those folders out of the
//   process's default search, LoadSystemLibrary loads one library from the system folder. The
//   planting test's control build links a policy without the restriction in its place;
// - the cache (SystemLibrary.cpp): one SystemLibrary object per library, shared by every part of
//   the program, which loads its library through the policy at first use and keeps it until the
//   process ends (the process end releases it).

#include <windows.h>

// Restricts the default library search of the process to the system folder, where the system
// can (SetDefaultDllDirectories); elsewhere it takes the current directory out of the search
// (SetDllDirectoryA("")). Called once, first thing in the process. False when neither could be
// done: the program's folder then stays in the search of the system's own loads, while
// LoadSystemLibrary still names the system folder for each library the program loads itself.
bool RestrictLibrarySearch();

// Loads the library `name` (a bare file name) from the system folder, with its own dependencies
// looked up there first. Null when it is not there or does not load.
HMODULE LoadSystemLibrary(const char* name);

// One system library, and the functions the program looks up in it.
class SystemLibrary {
public:
    // Where the module comes from: loaded from the system folder at first use, or one that the
    // import table has loaded already (found by name, never loaded, so usable before the C runtime
    // starts).
    enum class Source { SystemFolder, Imported };

    // Constant-initialised: usable from the process's entry point and from any static object.
    constexpr SystemLibrary(const char* name, Source source) : name_(name), source_(source) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The library, loaded now if this is the first call. Null when it cannot be had; a library
    // that could not be loaded is not tried again.
    HMODULE Module();

    // An exported function as the type of its SDK declaration, for example
    // `Entry<decltype(&::GetIfTable)>("GetIfTable")`. Null where the library or the function is
    // missing (an older Windows).
    template <typename Function>
    Function Entry(const char* function)
    {
        HMODULE module = Module();
        // Through the generic function type, which converts to any other without a warning.
        return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, function)))
                      : nullptr;
    }

private:
    const char* name_;
    Source source_;
    HMODULE module_ = nullptr;
    bool tried_ = false;
};

// Every library the program reaches at run time, each once.
namespace system_library {
// In the import table.
extern SystemLibrary ntdll;          // ntdll.dll: in every process; under Wine it tells so
extern SystemLibrary kernel;         // kernel32.dll
extern SystemLibrary user;           // user32.dll
extern SystemLibrary advapi;         // advapi32.dll
extern SystemLibrary commonControls; // comctl32.dll
// Loaded from the system folder when first needed.
extern SystemLibrary ipHelper;       // Iphlpapi.dll: interface and address tables
extern SystemLibrary internet;       // wininet.dll: the Internet connection state
extern SystemLibrary automation;     // oleaut32.dll: strings and variants of COM calls
extern SystemLibrary accessibility;  // oleacc.dll: what assistive technology sees
} // namespace system_library

// Functions of newer Windows versions that the SDK declares only for programs that require those
// versions. Declared here as the SDK declares them, so that their types come from a declaration
// too; never called by name, only looked up.
extern "C" {
DECLSPEC_IMPORT UINT WINAPI GetDpiForWindow(HWND window);                       // Windows 10 1607
DECLSPEC_IMPORT int WINAPI GetSystemMetricsForDpi(int index, UINT dpi);         // Windows 10 1607
DECLSPEC_IMPORT HRESULT WINAPI LoadIconWithScaleDown(HINSTANCE module, PCWSTR name, int cx, int cy,
                                                     HICON* icon);              // Windows Vista
DECLSPEC_IMPORT BOOL WINAPI ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                                        struct tagCHANGEFILTERSTRUCT* info); // Windows 7
}
