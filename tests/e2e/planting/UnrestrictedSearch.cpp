// The library search of a Spindrel.exe built without its restriction to the system folder, as it
// was before: no restriction at start, and each library loaded by its bare name, so that the
// program's folder is searched first. Linked into the control build of the planting test only, in
// place of framework/LibrarySearch.cpp, to show that the test can catch a planted library.
#include "framework/SystemLibrary.h"

bool RestrictLibrarySearch()
{
    return true;
}

HMODULE LoadSystemLibrary(const char* name)
{
    return ::LoadLibraryA(name);
}
