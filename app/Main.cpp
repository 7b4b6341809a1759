// The process-wide objects and the entry points of Spindrel.exe.
#include "app/SpindrelApp.h"
#include "app/StackGuard.h"
#include "framework/SystemLibrary.h"
#include "toolkit/ServicesParser.h"
#include "toolkit/Settings.h"

// The process-wide objects are made in this order before WinMain, ahead of the static objects
// of every other file (a lower init_priority is made earlier), and destroyed in the reverse
// order after WinMain has returned: the settings file is rewritten after the main window has
// closed. The notification-area icon's registered message and hidden owner window follow them.
CSpindrelApp theApp __attribute__((init_priority(201)));
// The capture toolkit's port-name table, read from "services" beside the executable.
CServicesParser theServices __attribute__((init_priority(202)));
// The capture toolkit's options, read from the settings file beside the executable.
CSettings theSettings __attribute__((init_priority(203)));

// The C runtime's start-up, which makes the static objects and calls WinMain.
extern "C" int WinMainCRTStartup();

// The process's entry point (the link names it). Before the C runtime, the static objects or the
// skinning component can load a library, the library search is restricted to the system folder:
// nothing planted beside the program or in the folder it is started from is ever loaded. Then the
// stack-protector guard gets its random value, before the first protected function runs.
extern "C" __attribute__((no_stack_protector)) int SpindrelStartup()
{
    // Where even the current directory cannot be taken out of the search (no such call on this
    // system) there is nothing more to do at this point: each library the program loads itself
    // is still named in the system folder.
    (void)RestrictLibrarySearch();
    SeedStackGuard();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, commandLine, showCommand);
}
