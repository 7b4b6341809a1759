// The process-wide objects and the entry point of Spindrel.exe.
#include "app/SpindrelApp.h"

CSpindrelApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, commandLine, showCommand);
}
