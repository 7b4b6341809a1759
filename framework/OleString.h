#pragma once
// OLE Automation's strings for the components and accessible objects the program answers or
// calls. OLE Automation is loaded from the system folder at the first call, never at start-up.

#include <windows.h>
#include <oaidl.h>

namespace ole {

// A new string holding text, which its receiver frees; null when OLE Automation or memory lacks.
BSTR AllocString(const OLECHAR* text);

} // namespace ole
