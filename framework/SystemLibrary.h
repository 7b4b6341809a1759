#pragma once
// System libraries from the system folder only.
//
// For a library that is not one of the system's known DLLs, Windows looks first in the program's
// folder and, for LoadLibrary, in the current directory: a file of the same name planted there
// would run inside the program. RestrictLibrarySearch takes those folders out of the process's
// default search; LoadSystemLibrary loads one library from the system folder; SystemLibrary holds
// one library that is loaded on its first use and kept for the life of the process.

#include <windows.h>

// Restricts the default library search of the process to the system folder, where the system
// can (SetDefaultDllDirectories, looked up at run time); elsewhere it takes the current directory
// out of the search (SetDllDirectoryA("")). Called once, first thing in the process.
void RestrictLibrarySearch();

// Loads the library `name` (a bare file name) from the system folder, with its own dependencies
// looked up there first. Null when it is not there or does not load.
HMODULE LoadSystemLibrary(const char* name);

// Turns an exported function's address into the function type the caller declares (every such
// type is WINAPI). Null stays null.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name)
{
    // Through the generic function type, which converts to any other without a warning.
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)))
                  : nullptr;
}

// A system library that is loaded the first time one of its functions is asked for, and kept until
// the process ends (the process end releases it). A library that cannot be loaded is not tried again.
class SystemLibrary {
public:
    explicit constexpr SystemLibrary(const char* name) : name_(name) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The library, loaded now if this is the first call. Null when it cannot be loaded.
    HMODULE Module();

    template <typename Function>
    Function Entry(const char* function)
    {
        return ProcAddress<Function>(Module(), function);
    }

private:
    const char* name_;
    HMODULE module_ = nullptr;
    bool tried_ = false;
};
