// The process-wide objects and the entry point of Spindrel.exe.
#include "app/SpindrelApp.h"
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, commandLine, showCommand);
}
