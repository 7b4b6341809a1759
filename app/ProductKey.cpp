#include "app/ProductKey.h"

#include <cstdio>

#include "app/Config.h"

namespace product_key {

std::string Path()
{
    char path[64];
    std::snprintf(path, sizeof path, "SOFTWARE\\%s", config::productName);
    return path;
}

Reader::Reader()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, Path().c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS)
        key_.reset(key);
}

DWORD Reader::Read(const char* name, DWORD defaultValue) const
{
    if (!key_)
        return defaultValue;
    DWORD value = defaultValue;
    DWORD size = sizeof value;
    // A failed query (a larger value answers ERROR_MORE_DATA) may leave the buffer undefined:
    // the default is put back rather than trusted to survive.
    if (::RegQueryValueExA(key_.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return defaultValue;
    return value;
}

Writer::Writer()
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, Path().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) == ERROR_SUCCESS)
        key_.reset(key);
}

void Writer::Write(const char* name, DWORD value)
{
    if (key_)
        ::RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

} // namespace product_key
