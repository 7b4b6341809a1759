#pragma once
// Helpers of the preference tests: registry values written and read back with their type and
// size, keys put back as they were found when a test ends, files and shortcuts, and the stand-in
// Tarvo.exe's starts.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/common/Process.h"

namespace prefs_test {

// The keys the program reads and writes under HKEY_CURRENT_USER.
constexpr const char productKey[] = "SOFTWARE\\Spindrel";
constexpr const char clientKey[] = "Software\\Tarvo";
constexpr const char runKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct StoredValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

inline StoredValue ReadValue(const char* path, const char* name)
{
    StoredValue value;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.exists = ::RegQueryValueExA(key, name, nullptr, &value.type, size ? value.data.data() : nullptr,
                                          &size) == ERROR_SUCCESS;
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    return value;
}

// A REG_DWORD's number (0xDEADBEEF for anything else) and a REG_SZ's text ("<none>" for anything else).
inline DWORD Dword(const StoredValue& value)
{
    DWORD number = 0xDEADBEEF;
    if (value.type == REG_DWORD && value.data.size() == sizeof number)
        std::memcpy(&number, value.data.data(), sizeof number);
    return number;
}

inline std::string ReadString(const char* path, const char* name)
{
    const StoredValue value = ReadValue(path, name);
    return value.exists && value.type == REG_SZ ? std::string(value.data.begin(), value.data.end()).c_str() : "<none>";
}

inline bool WriteValue(const char* path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool done = ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return done;
}

inline bool WriteDword(const char* path, const char* name, DWORD value)
{
    return WriteValue(path, name, REG_DWORD, &value, sizeof value);
}

inline bool WriteString(const char* path, const char* name, const std::string& text)
{
    return WriteValue(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline void DeleteValue(const char* path, const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueA(key, name);
        ::RegCloseKey(key);
    }
}

inline bool KeyExists(const char* path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// The names of the values of a key.
inline std::vector<std::string> ValueNames(const char* path)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (::RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(key);
    return names;
}

// A whole file's bytes, "<missing>" when it cannot be read; and a file written whole.
inline std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    EXPECT_TRUE(file << text) << path;
}

struct Shortcut {
    std::string target, folder;
};

// What a shortcut starts and where, read through the shell's own IShellLink.
inline Shortcut ReadShortcut(const std::string& path)
{
    Shortcut link{"<unreadable>", "<unreadable>"};
    ::CoInitialize(nullptr);
    IShellLinkA* shellLink = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        wchar_t widePath[MAX_PATH] = {};
        ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(widePath, STGM_READ))) {
            char text[MAX_PATH * 3] = {};
            shellLink->GetPath(text, sizeof text, nullptr, 0);
            link.target = text;
            // A target in its short form (a folder name the system's code page lacks) as the
            // long one.
            char target[MAX_PATH * 3] = {};
            const DWORD length = ::GetLongPathNameA(text, target, sizeof target);
            if (length > 0 && length < sizeof target)
                link.target = target;
            shellLink->GetWorkingDirectory(text, sizeof text);
            link.folder = text;
        }
        if (file)
            file->Release();
        shellLink->Release();
    }
    ::CoUninitialize();
    return link;
}

// A key of values only, taken away for a test and put back as it was (or left absent) after.
class KeptKey {
public:
    explicit KeptKey(const char* path) : path_(path)
    {
        existed_ = KeyExists(path);
        for (const std::string& name : ValueNames(path))
            values_.emplace_back(name, ReadValue(path, name.c_str()));
    }
    ~KeptKey()
    {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
        if (!existed_)
            return;
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return;
        for (const auto& [name, value] : values_)
            ::RegSetValueExA(key, name.c_str(), 0, value.type, value.data.data(),
                             static_cast<DWORD>(value.data.size()));
        ::RegCloseKey(key);
    }
    KeptKey(const KeptKey&) = delete;
    KeptKey& operator=(const KeptKey&) = delete;

private:
    std::string path_;
    bool existed_ = false;
    std::vector<std::pair<std::string, StoredValue>> values_;
};

// One value of a key shared with others (the Run key), put back as it was after the test.
class KeptValue {
public:
    KeptValue(const char* path, const char* name) : path_(path), name_(name), value_(ReadValue(path, name)) {}
    ~KeptValue()
    {
        if (value_.exists)
            WriteValue(path_.c_str(), name_.c_str(), value_.type, value_.data.data(),
                       static_cast<DWORD>(value_.data.size()));
        else
            DeleteValue(path_.c_str(), name_.c_str());
    }
    KeptValue(const KeptValue&) = delete;
    KeptValue& operator=(const KeptValue&) = delete;

private:
    std::string path_, name_;
    StoredValue value_;
};

// The system's folder for temporary files, with a trailing backslash.
inline std::string TempFolder()
{
    char path[MAX_PATH * 3] = {};
    ::GetTempPathA(sizeof path, path);
    return path;
}

// The stand-in Tarvo.exe's folder (tests/tarvo of the build, beside the folder of this test exe);
// each start of it adds a line to Tarvo.started there: the folder it was started in.
inline std::string TarvoFolder()
{
    char full[MAX_PATH] = {};
    ::GetFullPathNameA((test_support::OwnFolder() + "..\\tarvo").c_str(), sizeof full, full, nullptr);
    return full;
}

inline std::string TarvoMarker(const std::string& folder = TarvoFolder()) { return folder + "\\Tarvo.started"; }

// How many times the stand-in (of `folder`) has started, waiting up to timeoutMs for at least atLeast.
inline int TarvoStarts(int atLeast = 0, DWORD timeoutMs = 0, const std::string& folder = TarvoFolder())
{
    int count = 0;
    test_support::WaitUntil([&] {
        const std::string started = ReadText(TarvoMarker(folder));
        return (count = static_cast<int>(std::count(started.begin(), started.end(), '\n'))) >= atLeast;
    }, timeoutMs);
    return count;
}

// The folder the stand-in (of `folder`) was last started in.
inline std::string TarvoStartedIn(const std::string& folder = TarvoFolder())
{
    std::string started = ReadText(TarvoMarker(folder));
    if (started.size() >= 2)
        started.resize(started.size() - 2); // its last "\r\n"
    return started.substr(started.find_last_of('\n') + 1);
}

} // namespace prefs_test
