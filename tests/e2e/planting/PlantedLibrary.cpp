// A library planted where a program might look for a system library of the same name. When it is
// loaded it leaves "<its own path>.loaded" beside itself and refuses to attach, so the process
// that loaded it goes on without it (or fails to start, through an import table).
#include <windows.h>

#include <cstdio>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
    char marker[MAX_PATH + 16];
    if (length > 0 && length < MAX_PATH &&
        std::snprintf(marker, sizeof marker, "%s.loaded", path) < static_cast<int>(sizeof marker)) {
        HANDLE file = ::CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    }
    return FALSE;
}
