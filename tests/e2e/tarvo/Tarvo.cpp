// A stand-in for the Tarvo client: each start appends one line to "Tarvo.started" beside the exe,
// so that a test sees how often it was started, and ends at once.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH + 16] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    char* slash = path + length;
    while (slash > path && slash[-1] != '\\')
        --slash;
    const char marker[] = "Tarvo.started";
    ::lstrcpynA(slash, marker, static_cast<int>(sizeof path - static_cast<size_t>(slash - path)));

    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    const char line[] = "started\r\n";
    DWORD written = 0;
    ::WriteFile(file, line, sizeof line - 1, &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
