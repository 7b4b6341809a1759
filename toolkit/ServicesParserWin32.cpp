// CServicesParser's constructor for the file beside the executable.
#include "toolkit/ServicesParser.h"

#include <windows.h>

#include <cstdio>

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

    // Opened from the path in UTF-16: the C runtime's fopen would turn the 8-bit path into UTF-16
    // by its own code page, which need not be the process's. Text mode, as fopen reads.
    if (std::FILE* stream = ::_wfopen(code_page::ToWide(servicesPath).c_str(), L"rt")) {
        ReadStream(stream);
        std::fclose(stream);
    }
}
