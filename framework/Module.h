#pragma once
// The module the program runs from, and the module its resources come from. The bottom of the
// framework: every file that loads a resource or registers a window class asks here, and the
// process entry (AfxWinMain) sets it first.

#include <windows.h>

// The program's instance; the executable's own module until AfxWinMain sets the one it is given.
HINSTANCE AfxGetInstanceHandle();
// The module resources are loaded from: the program's.
HINSTANCE AfxGetResourceHandle();
void AfxSetInstanceHandle(HINSTANCE instance);
