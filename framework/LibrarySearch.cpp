// How the program finds a library: the system folder only. The planting test's control build links
// tests/e2e/planting/UnrestrictedSearch.cpp in place of this file.
#include "framework/SystemLibrary.h"

#include <cstdio>

#include "framework/CodePage.h"

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, which libloaderapi.h names only for Windows 8 and later targets
// (Windows 7 knows it with KB2533623).
constexpr DWORD kSearchSystem32 = 0x00000800;

// True when the system knows the LOAD_LIBRARY_SEARCH_ flags.
bool CanSearchSystem32Only()
{
    return system_library::kernel.Entry<decltype(&::SetDefaultDllDirectories)>("SetDefaultDllDirectories") != nullptr;
}

} // namespace

bool RestrictLibrarySearch()
{
    // Runs before the C runtime: no static objects beyond the constant-initialised libraries.
    const auto setDefault = system_library::kernel.Entry<decltype(&::SetDefaultDllDirectories)>("SetDefaultDllDirectories");
    if (setDefault && setDefault(kSearchSystem32))
        return true;
    // Without it the program's folder stays in the search; LoadSystemLibrary names the system
    // folder in full for the libraries the program loads itself.
    const auto setDirectory = system_library::kernel.Entry<decltype(&::SetDllDirectoryA)>("SetDllDirectoryA");
    return setDirectory && setDirectory("");
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
