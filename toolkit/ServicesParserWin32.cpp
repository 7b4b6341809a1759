// CServicesParser's constructor for the file beside the executable.
#include "toolkit/ServicesParser.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "framework/CodePage.h"
#include "toolkit/ModulePath.h"
#include "toolkit/core/ToolkitPaths.h"

CServicesParser::CServicesParser() : servicesPath{}
{
    // A path that does not fit stays empty and nothing is read.
    const std::string module = toolkit::ModulePath();
    if (!module.empty())
        toolkit_paths::BuildServicesPath(module.c_str(), servicesPath, sizeof servicesPath, toolkit::IsAnsiLeadByte);
    if (servicesPath[0] == '\0')
        return;

    // Opened by the system from the path in UTF-16: the C runtime's fopen would turn the 8-bit
    // path into UTF-16 by its own code page, which need not be the process's. The stream reads in
    // text mode ("rt"), as fopen would.
    const HANDLE file = ::CreateFileW(code_page::ToWide(servicesPath).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_TEXT);
    if (descriptor == -1) {
        ::CloseHandle(file);
        return;
    }
    std::FILE* stream = ::_fdopen(descriptor, "rt");
    if (!stream) {
        ::_close(descriptor); // closes the handle too
        return;
    }
    ReadStream(stream);
    std::fclose(stream); // closes the descriptor and the handle
}
