// A stand-in for the Tarvo client: each start appends one line to "Tarvo.started" beside the exe,
// the folder it was started in (in UTF-8), so that a test sees how often and where it was
// started, and ends at once. Its paths are UTF-16: it runs in folders whose names the system's
// code page lacks.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t path[32768] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, 32768);
    if (length == 0 || length >= 32768)
        return 1;
    std::wstring marker(path, length);
    marker.erase(marker.find_last_of(L'\\') + 1);
    marker += L"Tarvo.started";

    wchar_t current[32768] = {};
    const DWORD currentLength = ::GetCurrentDirectoryW(32768, current);
    char line[3 * 32768 + 2] = {};
    int made = currentLength < 32768 ? ::WideCharToMultiByte(CP_UTF8, 0, current, static_cast<int>(currentLength),
                                                             line, sizeof line - 2, nullptr, nullptr)
                                     : 0;
    line[made++] = '\r';
    line[made++] = '\n';

    HANDLE file = ::CreateFileW(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(made), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
