#pragma once
// CIniFile: one ini-format file and single values in it. The default file is the executable's
// path with the extension ".ini".
//
// The file is read and written by the program itself (toolkit/core/IniText.h gives the rules), not
// by the system's profile functions: those read a file's 8-bit text in the process's code page,
// which is UTF-8 under the manifest, and would turn every byte of an earlier release's text (or
// another program's) that is not UTF-8 into U+FFFD on the next write. Here a change rewrites only
// the value it changes. Values are stored in UTF-8; a stored value that is not valid UTF-8 is text
// of the system's code page, as earlier releases wrote it. Either way it is read into the
// process's code page. A file in UTF-16 (with its byte-order mark) is read and written as such.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "framework/CodePage.h"
#include "toolkit/core/IniText.h"

class CIniFile {
public:
    // A path of MAX_PATH characters, in UTF-8.
    static constexpr std::size_t kFileNameSize = code_page::kPathBufferSize;

    // The settings file beside the executable.
    CIniFile();
    // The file at `path`. A path of kFileNameSize bytes or more names no file.
    explicit CIniFile(const char* path);
    // Writes what is not written yet.
    virtual ~CIniFile();

    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // Without a file, or with one that exists but cannot be read, every read gives its default
    // and every write fails; a file marked read-only is never written.
    // GetText gives the value cut to size - 1 bytes (never within a character) and its length.
    DWORD GetText(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size) const;
    // The Put functions change the value in memory; Flush writes the file.
    BOOL PutText(LPCSTR section, LPCSTR key, LPCSTR text) const;
    // The leading decimal number of the value, with an optional sign; text that does not begin
    // with a number gives 0; a missing key, or one without a value, gives `defaultValue`.
    int GetNumber(LPCSTR section, LPCSTR key, int defaultValue) const;
    // Signed decimal text.
    BOOL PutNumber(LPCSTR section, LPCSTR key, int value) const;
    // The value as strtoul reads it in base 10; `read` (when given) gets the text it was read from.
    UINT GetUnsigned(LPCSTR section, LPCSTR key, UINT defaultValue, std::string* read = nullptr) const;
    BOOL PutUnsigned(LPCSTR section, LPCSTR key, UINT value) const;

    // Writes the values changed since the last Flush; true when the file holds them (also when
    // nothing changed). The file is replaced whole, never left half-written: a new file beside it
    // takes its place, keeping its attributes and security. Where that cannot be done the file
    // stays as it is.
    BOOL Flush() const;

    // The value of `key` as the file holds it now, its bytes unconverted; nothing when the key is
    // missing or the file cannot be read.
    std::optional<std::string> Stored(LPCSTR section, LPCSTR key) const;
    // True when the file is missing or could be read whole.
    bool Readable() const;
    // Removes the new file that a write cut short (a power loss) left beside this one: it is
    // never read in place of the file.
    void RemoveUnfinishedWrite() const;

    const char* FileName() const { return fileName; }

protected:
    char fileName[kFileNameSize];

private:
    // When the file was read: whether it existed, its size and its time of last change.
    struct Stamp {
        bool exists = false;
        DWORD sizeLow = 0, sizeHigh = 0;
        FILETIME written{};
        bool operator==(const Stamp& other) const;
    };

    // Reads the file when it is not in memory yet or has changed since, unless changes wait to
    // be written. False when there is no file to read or write.
    bool Refresh() const;

    // The in-memory copy of the file: a cache of what the functions above read and change.
    mutable ini_text::Document document;
    mutable Stamp stamp;
    mutable bool loaded = false;
    mutable bool readable = false;  // the file is missing or was read whole
    mutable bool utf16 = false;     // the file is UTF-16 and is written back so
    mutable bool changed = false;   // values wait to be written
};
