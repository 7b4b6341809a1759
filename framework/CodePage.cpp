#include "framework/CodePage.h"

#include <cstdlib>
#include <vector>

// Windows Vista and later: a UTF-8 conversion fails on half a surrogate pair instead of writing
// U+FFFD. Named here because the headers show it only to programs that require Vista.
#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080
#endif

namespace code_page {

namespace {

// CP_ACP names the process's code page, which may be UTF-8; the conversion flags depend on which.
UINT Resolve(UINT codePage)
{
    return codePage == CP_ACP ? ::GetACP() : codePage;
}

int ToWideCall(UINT codePage, DWORD flags, std::string_view text, wchar_t* out, int size)
{
    return ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), out, size);
}

} // namespace

UINT SystemCodePage()
{
    wchar_t number[8] = {};
    if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, 8) > 0) {
        const unsigned long value = std::wcstoul(number, nullptr, 10);
        // 0 names no ANSI code page (a Unicode-only locale): its text is taken as UTF-8.
        if (value != 0 && ::IsValidCodePage(static_cast<UINT>(value)))
            return static_cast<UINT>(value);
        if (value == 0)
            return CP_UTF8;
    }
    return ::GetACP();
}

std::wstring ToWide(std::string_view text, UINT codePage, bool* exact)
{
    if (exact)
        *exact = true;
    if (text.empty())
        return {};
    codePage = Resolve(codePage);
    // First strictly, so that text invalid in its code page is noticed; then as the system
    // replaces what it cannot read (a code page without the strict mode gives no answer either way).
    DWORD flags = MB_ERR_INVALID_CHARS;
    int length = ToWideCall(codePage, flags, text, nullptr, 0);
    if (length == 0) {
        if (exact && ::GetLastError() == ERROR_NO_UNICODE_TRANSLATION)
            *exact = false;
        flags = 0;
        length = ToWideCall(codePage, flags, text, nullptr, 0);
    }
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ToWideCall(codePage, flags, text, wide.data(), length);
    return wide;
}

std::string FromWide(std::wstring_view text, UINT codePage, bool* exact)
{
    if (exact)
        *exact = true;
    if (text.empty())
        return {};
    codePage = Resolve(codePage);
    const int count = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    // UTF-8 has a form for every character, but not for half a surrogate pair; other code pages
    // report a character they lack, and are kept from putting a look-alike in its place.
    const bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    int length = ::WideCharToMultiByte(codePage, flags, text.data(), count, nullptr, 0, nullptr, used);
    if (length == 0) {
        if (utf8 && exact)
            *exact = false;
        flags = 0;
        length = ::WideCharToMultiByte(codePage, flags, text.data(), count, nullptr, 0, nullptr, used);
    }
    if (length <= 0)
        return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, text.data(), count, narrow.data(), length, nullptr, used);
    if (exact && usedDefault)
        *exact = false;
    return narrow;
}

namespace {

// The short (8.3) form of an existing path in `codePage`, when the system has one that code page
// holds.
bool ShortForm(const std::wstring& path, UINT codePage, std::string& narrow)
{
    const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return false;
    std::vector<wchar_t> shortPath(needed);
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed)
        return false;
    bool exact = true;
    narrow = FromWide(std::wstring_view(shortPath.data(), length), codePage, &exact);
    return exact;
}

} // namespace

std::string PathFromWide(const std::wstring& path, UINT codePage)
{
    bool exact = true;
    const std::string narrow = FromWide(path, codePage, &exact);
    if (exact)
        return narrow;
    // The folders in their short form and the file's own name as it is, where the code page
    // holds that name: files named after it (the settings file) keep their long names.
    std::string shortPath;
    const std::size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) {
        const std::string name = FromWide(std::wstring_view(path).substr(slash), codePage, &exact);
        if (exact && ShortForm(path.substr(0, slash), codePage, shortPath))
            return shortPath + name;
    }
    if (ShortForm(path, codePage, shortPath))
        return shortPath;
    return narrow; // no short form the code page holds: the characters it lacks are lost, as ever
}

std::wstring ModuleFileNameW(HMODULE module)
{
    // A result as long as the buffer may be cut short (and unterminated on old systems): grow
    // the buffer until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    std::wstring path;
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            path.assign(buffer.data(), length);
            break;
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    // A program started through a short (8.3) path has that as its name: the long form names
    // the files beside it as the user knows them.
    const DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed > 0) {
        std::vector<wchar_t> longPath(needed);
        const DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), needed);
        if (length > 0 && length < needed)
            path.assign(longPath.data(), length);
    }
    return path;
}

std::string ModuleFileName(HMODULE module)
{
    const std::wstring path = ModuleFileNameW(module);
    return path.empty() ? std::string() : PathFromWide(path);
}

std::size_t CharacterCount(std::string_view text, UINT codePage)
{
    return ToWide(text, codePage).size();
}

std::string CharacterPrefix(std::string_view text, std::size_t maxCharacters, std::size_t maxBytes, UINT codePage)
{
    // Every character takes at least one byte and one unit: text within the byte limit and the
    // character limit needs no look at its characters.
    if (text.size() <= maxBytes && text.size() <= maxCharacters)
        return std::string(text);
    const std::wstring wide = ToWide(text, codePage);
    std::size_t units = wide.size() < maxCharacters ? wide.size() : maxCharacters;
    if (units > maxBytes)
        units = maxBytes;
    for (;; --units) {
        // Never half a surrogate pair.
        if (units > 0 && units < wide.size() && IS_HIGH_SURROGATE(wide[units - 1]))
            --units;
        std::string prefix = FromWide(std::wstring_view(wide.data(), units), codePage);
        if (prefix.size() <= maxBytes || units == 0)
            return prefix;
    }
}

} // namespace code_page
