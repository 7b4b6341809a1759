#include "toolkit/IniFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/Handles.h"
#include "toolkit/ModulePath.h"
#include "toolkit/core/ServicesGrammar.h"
#include "toolkit/core/ToolkitPaths.h"

namespace {

// Larger files are not settings files: they are neither read nor replaced.
constexpr DWORD kLargestFile = 64u << 20;

bool IsAscii(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A stored value in the process's code page: UTF-8 as written now, or the system's code page as
// earlier releases wrote it.
std::string FromStored(const std::string& stored)
{
    if (IsAscii(stored))
        return stored;
    const UINT storedIn = ini_text::IsUtf8(stored) ? CP_UTF8 : code_page::SystemCodePage();
    return code_page::FromWide(code_page::ToWide(stored, storedIn));
}

std::string ToStored(const char* text)
{
    const std::string value = text ? text : "";
    return IsAscii(value) ? value : code_page::FromWide(code_page::ToWide(value), CP_UTF8);
}

std::wstring Utf16FromBytes(const std::string& bytes, bool bigEndian)
{
    std::wstring text(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

bool WriteAll(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && ::FlushFileBuffers(file);
}

} // namespace

bool CIniFile::Stamp::operator==(const Stamp& other) const
{
    return exists == other.exists && sizeLow == other.sizeLow && sizeHigh == other.sizeHigh &&
           ::CompareFileTime(&written, &other.written) == 0;
}

CIniFile::CIniFile() : fileName{}
{
    // A path that does not fit stays empty: the settings then keep their defaults and nothing
    // is written. (An empty or bare name would send the file to the current folder.)
    const std::string module = toolkit::ModulePath();
    if (!module.empty())
        toolkit_paths::BuildSettingsPath(module.c_str(), fileName, sizeof fileName, toolkit::IsAnsiLeadByte);
}

CIniFile::CIniFile(const char* path) : fileName{}
{
    if (path && std::strlen(path) < sizeof fileName)
        std::memcpy(fileName, path, std::strlen(path) + 1);
}

CIniFile::~CIniFile()
{
    Flush();
}

bool CIniFile::Refresh() const
{
    if (fileName[0] == '\0')
        return false;
    if (changed)
        return true;
    const std::wstring path = code_page::ToWide(fileName);
    Stamp now;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        now = {true, data.nFileSizeLow, data.nFileSizeHigh, data.ftLastWriteTime};
    } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        // Denied, or a share gone: the file may well be there. Neither read nor replaced, and
        // looked at again next time.
        loaded = false;
        readable = false;
        return true;
    }
    if (loaded && now == stamp)
        return true;

    loaded = true;
    stamp = now;
    utf16 = false;
    document = ini_text::Document();
    readable = !now.exists;
    if (!now.exists)
        return true;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || now.sizeHigh != 0 || now.sizeLow > kLargestFile)
        return true;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return true;
    std::string bytes(now.sizeLow, '\0');
    DWORD got = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), now.sizeLow, &got, nullptr) || got != now.sizeLow))
        return true;
    const bool little = bytes.compare(0, 2, "\xFF\xFE") == 0, big = bytes.compare(0, 2, "\xFE\xFF") == 0;
    if (little || big) {
        utf16 = true;
        bytes = code_page::FromWide(Utf16FromBytes(bytes.substr(2), big), CP_UTF8);
    }
    document = ini_text::Document(std::move(bytes));
    readable = true;
    return true;
}

DWORD CIniFile::GetText(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size) const
{
    if (!buffer || size == 0)
        return 0;
    std::string text = defaultText ? defaultText : "";
    if (section && key && Refresh() && readable) {
        if (const auto stored = document.Get(section, key))
            text = FromStored(*stored);
    }
    const std::string cut = code_page::CharacterPrefix(text, text.size(), size - 1);
    std::memcpy(buffer, cut.c_str(), cut.size() + 1);
    return static_cast<DWORD>(cut.size());
}

BOOL CIniFile::PutText(LPCSTR section, LPCSTR key, LPCSTR text) const
{
    if (!section || !key || !Refresh() || !readable)
        return FALSE;
    // A file marked read-only is never written, even where the system would let this process
    // write it anyway (an administrator under some systems): it stays exactly as it is.
    if (stamp.exists) {
        const DWORD attributes = ::GetFileAttributesW(code_page::ToWide(fileName).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return FALSE;
    }
    if (document.Set(section, key, ToStored(text)))
        changed = true;
    return TRUE;
}

int CIniFile::GetNumber(LPCSTR section, LPCSTR key, int defaultValue) const
{
    if (!section || !key || !Refresh() || !readable)
        return defaultValue;
    const auto stored = document.Get(section, key);
    if (!stored || stored->empty())
        return defaultValue;
    return ini_text::LeadingNumber(*stored);
}

BOOL CIniFile::PutNumber(LPCSTR section, LPCSTR key, int value) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return PutText(section, key, text);
}

UINT CIniFile::GetUnsigned(LPCSTR section, LPCSTR key, UINT defaultValue, std::string* read) const
{
    char defaultText[16];
    std::snprintf(defaultText, sizeof defaultText, "%u", defaultValue);
    char text[500];
    GetText(section, key, defaultText, text, sizeof text);
    if (read)
        *read = text;
    return services_grammar::ToUnsigned32(text, nullptr); // strtoul, base 10, 32 bits
}

BOOL CIniFile::PutUnsigned(LPCSTR section, LPCSTR key, UINT value) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return PutText(section, key, text);
}

BOOL CIniFile::Flush() const
{
    if (!changed)
        return TRUE;
    changed = false;
    loaded = false; // read again next time, whatever happens here

    std::string bytes = document.Text();
    if (utf16) {
        const std::wstring text = code_page::ToWide(bytes, CP_UTF8);
        bytes.assign("\xFF\xFE");
        for (wchar_t c : text) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>((c >> 8) & 0xFF);
        }
    }

    // Into a new file beside it, which then takes its place: a failure half-way leaves the old
    // file whole. ReplaceFileW keeps the file's attributes (a hidden file stays hidden) and its
    // security, which a rename would take from the new file; a file that is not there (yet) is
    // renamed into place, never over one that appeared meanwhile. The file is never rewritten in
    // place, and the new file never stays behind.
    const std::wstring path = code_page::ToWide(fileName);
    const std::wstring fresh = path + L".new";
    UniqueFile file(
        ::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return FALSE;
    const bool written = WriteAll(file.get(), bytes);
    file.reset();
    if (written) {
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        const DWORD before = ::GetFileAttributesW(path.c_str());
        if (::ReplaceFileW(path.c_str(), fresh.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            // Wine's ReplaceFileW renames without carrying the attributes over.
            const DWORD after = ::GetFileAttributesW(path.c_str());
            if (before != INVALID_FILE_ATTRIBUTES && after != INVALID_FILE_ATTRIBUTES && (before & kept) & ~after)
                ::SetFileAttributesW(path.c_str(), (after & ~FILE_ATTRIBUTE_NORMAL) | (before & kept));
            return TRUE;
        }
        const DWORD error = ::GetLastError();
        // Without a backup, a failure of the last step leaves the old file removed and the new one
        // under its own name: it is then all there is, and takes the file's name.
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) &&
            ::MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
            return TRUE;
    }
    ::DeleteFileW(fresh.c_str());
    return FALSE;
}

std::optional<std::string> CIniFile::Stored(LPCSTR section, LPCSTR key) const
{
    if (!section || !key || !Refresh() || !readable)
        return std::nullopt;
    return document.Get(section, key);
}

bool CIniFile::Readable() const
{
    return Refresh() && readable;
}

void CIniFile::RemoveUnfinishedWrite() const
{
    if (fileName[0] != '\0')
        ::DeleteFileW((code_page::ToWide(fileName) + L".new").c_str());
}
