// CServicesParser's constructor for the file beside the executable.
#include "toolkit/ServicesParser.h"

#include "toolkit/ModulePath.h"
#include "toolkit/core/ToolkitPaths.h"

CServicesParser::CServicesParser() : servicesPath{}
{
    // A path that does not fit stays empty and nothing is read.
    const std::string module = toolkit::ModulePath();
    if (!module.empty())
        toolkit_paths::BuildServicesPath(module.c_str(), servicesPath, sizeof servicesPath, toolkit::IsAnsiLeadByte);
    ReadFile();
}
