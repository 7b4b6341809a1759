#pragma once
// CIniFile: one ini-format file and single values in it, read and written through the system's
// profile functions. The default file is the executable's path with the extension ".ini".

#include <windows.h>

#include <cstddef>

class CIniFile {
public:
    static constexpr std::size_t kFileNameSize = 500;

    // The settings file beside the executable.
    CIniFile();
    // The file at `path`. A path of kFileNameSize bytes or more names no file.
    explicit CIniFile(const char* path);
    virtual ~CIniFile() = default;

    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // Without a file every read gives its default and every write fails; a file marked
    // read-only is never written.
    DWORD GetText(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size) const;
    BOOL PutText(LPCSTR section, LPCSTR key, LPCSTR text) const;
    // The leading decimal number of the value, with an optional minus sign; text that does not
    // begin with a number gives 0; a missing key gives `defaultValue`.
    int GetNumber(LPCSTR section, LPCSTR key, int defaultValue) const;
    // Signed decimal text.
    BOOL PutNumber(LPCSTR section, LPCSTR key, int value) const;
    // The value as strtoul reads it in base 10.
    UINT GetUnsigned(LPCSTR section, LPCSTR key, UINT defaultValue) const;
    BOOL PutUnsigned(LPCSTR section, LPCSTR key, UINT value) const;

    // Writes out whatever the system holds of the file in memory.
    void Flush() const;

    const char* FileName() const { return fileName; }

protected:
    char fileName[kFileNameSize];
};
