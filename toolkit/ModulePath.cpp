#include "toolkit/ModulePath.h"

#include <windows.h>

#include "framework/CodePage.h"

namespace toolkit {

std::string ModulePath()
{
    return code_page::ModuleFileName();
}

bool IsAnsiLeadByte(unsigned char byte)
{
    // Under UTF-8 there are none: no byte of a multi-byte character is below 0x80, so none can
    // pass for a '.' or a '\'.
    return ::IsDBCSLeadByte(byte) != FALSE;
}

} // namespace toolkit
