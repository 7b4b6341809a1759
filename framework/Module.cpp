#include "framework/Module.h"

namespace {
HINSTANCE instanceHandle = nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return instanceHandle ? instanceHandle : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

void AfxSetInstanceHandle(HINSTANCE instance)
{
    instanceHandle = instance;
}
