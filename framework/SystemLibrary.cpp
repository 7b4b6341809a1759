#include "framework/SystemLibrary.h"

#include <cstdio>

#include "framework/CodePage.h"

namespace {

// From libloaderapi.h of Windows 8 (and Windows 7 with KB2533623); the headers of older systems
// lack them, so they are named here and the function is looked up at run time.
constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR path);

HMODULE Kernel32()
{
    return ::GetModuleHandleA("kernel32.dll");
}

// True when the system knows the LOAD_LIBRARY_SEARCH_ flags.
bool CanSearchSystem32Only()
{
    static const bool known = ProcAddress<SetDefaultDllDirectoriesFunction>(Kernel32(), "SetDefaultDllDirectories") != nullptr;
    return known;
}

} // namespace

void RestrictLibrarySearch()
{
    const auto setDefault = ProcAddress<SetDefaultDllDirectoriesFunction>(Kernel32(), "SetDefaultDllDirectories");
    if (setDefault && setDefault(kSearchSystem32))
        return;
    // Without it the program's folder stays in the search; LoadSystemLibrary names the system
    // folder in full for the libraries the program loads itself.
    const auto setDirectory = ProcAddress<SetDllDirectoryFunction>(Kernel32(), "SetDllDirectoryA");
    if (setDirectory)
        setDirectory("");
}

HMODULE LoadSystemLibrary(const char* name)
{
    if (!name || !*name)
        return nullptr;
    if (CanSearchSystem32Only())
        return ::LoadLibraryExA(name, nullptr, kSearchSystem32);

    // The full path, and the library's dependencies looked up from its own folder first.
    char path[code_page::kPathBufferSize];
    const UINT length = ::GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return nullptr;
    const int written = std::snprintf(path + length, sizeof path - length, "\\%s", name);
    if (written < 0 || static_cast<unsigned>(written) >= sizeof path - length)
        return nullptr;
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE SystemLibrary::Module()
{
    if (!tried_) {
        tried_ = true;
        module_ = LoadSystemLibrary(name_);
    }
    return module_;
}
