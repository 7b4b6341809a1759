#include "toolkit/ModulePath.h"

#include <windows.h>

#include <vector>

namespace toolkit {

std::string ModulePath()
{
    // A result as long as the buffer may be cut short (and unterminated on old systems): grow
    // the buffer until the whole path fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        if (buffer.size() >= 65536)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool IsAnsiLeadByte(unsigned char byte)
{
    return ::IsDBCSLeadByte(byte) != FALSE;
}

} // namespace toolkit
