#include "toolkit/IniFile.h"

#include <cstdio>
#include <cstring>

#include "toolkit/ModulePath.h"
#include "toolkit/core/ServicesGrammar.h"
#include "toolkit/core/ToolkitPaths.h"

CIniFile::CIniFile() : fileName{}
{
    // A path that does not fit stays empty: the settings then keep their defaults and nothing
    // is written. (An empty or bare name would send the profile functions to the Windows folder.)
    const std::string module = toolkit::ModulePath();
    if (!module.empty())
        toolkit_paths::BuildSettingsPath(module.c_str(), fileName, sizeof fileName, toolkit::IsAnsiLeadByte);
}

CIniFile::CIniFile(const char* path) : fileName{}
{
    if (path && std::strlen(path) < sizeof fileName)
        std::memcpy(fileName, path, std::strlen(path) + 1);
}

DWORD CIniFile::GetText(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size) const
{
    if (fileName[0] != '\0')
        return ::GetPrivateProfileStringA(section, key, defaultText, buffer, size, fileName);
    if (size == 0)
        return 0;
    const int length = std::snprintf(buffer, size, "%s", defaultText ? defaultText : "");
    return length < 0 ? 0 : static_cast<DWORD>(length) < size ? static_cast<DWORD>(length) : size - 1;
}

BOOL CIniFile::PutText(LPCSTR section, LPCSTR key, LPCSTR text) const
{
    if (fileName[0] == '\0')
        return FALSE;
    // A file marked read-only is never written, even where the system would let this process
    // write it anyway (an administrator under some systems): it stays exactly as it is.
    const DWORD attributes = ::GetFileAttributesA(fileName);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return FALSE;
    return ::WritePrivateProfileStringA(section, key, text, fileName);
}

int CIniFile::GetNumber(LPCSTR section, LPCSTR key, int defaultValue) const
{
    if (fileName[0] == '\0')
        return defaultValue;
    return static_cast<int>(::GetPrivateProfileIntA(section, key, defaultValue, fileName));
}

BOOL CIniFile::PutNumber(LPCSTR section, LPCSTR key, int value) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return PutText(section, key, text);
}

UINT CIniFile::GetUnsigned(LPCSTR section, LPCSTR key, UINT defaultValue) const
{
    char defaultText[16];
    std::snprintf(defaultText, sizeof defaultText, "%u", defaultValue);
    char text[500];
    GetText(section, key, defaultText, text, sizeof text);
    return services_grammar::ToUnsigned32(text, nullptr); // strtoul, base 10, 32 bits
}

BOOL CIniFile::PutUnsigned(LPCSTR section, LPCSTR key, UINT value) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return PutText(section, key, text);
}

void CIniFile::Flush() const
{
    if (fileName[0] != '\0')
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName);
}
