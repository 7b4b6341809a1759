#pragma once
// Display scale. Sizes in our windows are written for 96 DPI, the 100 % scale, and drawn at the
// DPI of the window they belong to. The functions that give a window its own DPI exist only on
// Windows 10 and later: they are looked up at run time, and older systems get the screen's DPI,
// which there is the only one.

#include <windows.h>

#include "framework/DpiScale.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace dpi {

// The messages of a scale change; winuser.h declares them only for newer Windows versions.
// A top-level window gets kChanged (wParam: the new DPI in each word; lParam: the suggested
// window rectangle), then each of its child windows gets kChangedAfterParent.
constexpr UINT kChanged = 0x02E0;
constexpr UINT kChangedAfterParent = 0x02E3;

// The DPI the window is drawn at: that of its monitor for a per-monitor aware window, else the
// screen's. A null window gives the screen's.
UINT ForWindow(HWND window);
// The screen's DPI (the system DPI: that of the primary monitor when the session began).
UINT ForScreen();

// A system metric (SM_CXSMICON, SM_CXICON, ...) at dpi.
int SystemMetric(int index, UINT dpi);

// Icon resource id of module at cx by cy pixels: the image of that size when the icon has one,
// else a larger one scaled down (a smaller one scaled up on systems older than Vista). The caller
// owns the icon. Null when the resource cannot be loaded.
HICON LoadScaledIcon(HINSTANCE module, UINT id, int cx, int cy);

// An icon resource of the program at a system-metric size (SM_CXICON by SM_CYICON, SM_CXSMICON by
// SM_CYSMICON) of one scale: loaded when first asked for, and again only when the resource or the
// scale changes.
class ScaledIcon {
public:
    ScaledIcon(int widthMetric, int heightMetric) : widthMetric_(widthMetric), heightMetric_(heightMetric) {}

    // Loads resource id for dpi unless that image is held already; true when it loaded a new one.
    // The image it replaces is destroyed, or handed to replaced, where the caller keeps it while
    // another party (the shell) may still draw it. An image that cannot be loaded leaves the one
    // held.
    bool Load(UINT id, UINT dpi, UniqueIcon* replaced = nullptr);
    HICON Get() const { return icon_.get(); }

private:
    int widthMetric_;
    int heightMetric_;
    UINT id_ = 0;
    UINT dpi_ = 0;
    UniqueIcon icon_;
};

// Replaces the per-window query (GetDpiForWindow) and returns the previous one; null brings the
// system's back. Tests move windows to another scale through it.
using WindowDpiQuery = decltype(&::GetDpiForWindow);
WindowDpiQuery SetWindowDpiQuery(WindowDpiQuery query);

} // namespace dpi
