#pragma once
// The whole framework in one include.

#include "framework/CmdUI.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/DispatchDriver.h"
#include "framework/Dpi.h"
#include "framework/Gdi.h"
#include "framework/Geometry.h"
#include "framework/Handles.h"
#include "framework/Menu.h"
#include "framework/MessageMap.h"
#include "framework/String.h"
#include "framework/Thread.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
