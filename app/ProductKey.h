#pragma once
// The product's own registry key, HKEY_CURRENT_USER\SOFTWARE\Spindrel, where every preference is a
// REG_DWORD of 4 bytes. Reading never fails loudly: a value that cannot be read keeps its default.

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace product_key {

// "SOFTWARE\\Spindrel", built from the product name.
std::string Path();

// The key opened for reading (KEY_QUERY_VALUE). When it cannot be opened every read gives its default.
class Reader {
public:
    Reader();
    // The value's 4 bytes, or defaultValue when the query fails. The stored type is not checked,
    // but nothing larger than the 4-byte variable is ever read.
    DWORD Read(const char* name, DWORD defaultValue) const;

private:
    UniqueKey key_;
};

// The key opened or created for writing (KEY_ALL_ACCESS). When that fails, writes do nothing.
class Writer {
public:
    Writer();
    explicit operator bool() const { return static_cast<bool>(key_); }
    void Write(const char* name, DWORD value);

private:
    UniqueKey key_;
};

} // namespace product_key
