// Where a window goes on the screen: centred over another window or on a monitor's work area, and
// moved back onto a work area when it has none under it.
#include "framework/Wnd.h"

#include <algorithm>

namespace {

// The work area of a monitor, within the monitor; the primary one's when the system names none.
RECT WorkAreaOf(HMONITOR on)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    static_assert(sizeof(MONITORINFO) == 40, "MONITORINFO is 40 bytes");
    RECT workArea;
    if (on && ::GetMonitorInfoA(on, &monitor)) {
        // Wine goes on reporting the work area of the old display size after a change.
        if (!::IntersectRect(&workArea, &monitor.rcWork, &monitor.rcMonitor))
            workArea = monitor.rcMonitor;
    } else if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        ::GetWindowRect(::GetDesktopWindow(), &workArea);
    }
    return workArea;
}

// Moves the window, its top-left corner wanted at (x, y), wholly onto the work area; a window
// larger than it keeps its top left, and so its caption, on it.
void PlaceOnWorkArea(HWND hwnd, const RECT& window, int x, int y, const RECT& workArea)
{
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    x = std::max(std::min(x, static_cast<int>(workArea.right) - width), static_cast<int>(workArea.left));
    y = std::max(std::min(y, static_cast<int>(workArea.bottom) - height), static_cast<int>(workArea.top));
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK FindWorkAreaHolding(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto* window = reinterpret_cast<RECT*>(data);
    const RECT workArea = WorkAreaOf(monitor);
    RECT common;
    if (::IntersectRect(&common, window, &workArea) && ::EqualRect(&common, window)) {
        ::SetRectEmpty(window); // found
        return FALSE;
    }
    return TRUE;
}

} // namespace

void CWnd::CenterWindow(HWND alternate)
{
    // Over the given window; else over the owner while the user can see it; else on the work
    // area of the monitor the window is on.
    HWND over = alternate;
    if (!over) {
        HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
            over = owner;
    }
    const RECT workArea = WorkAreaOf(::MonitorFromWindow(over ? over : m_hWnd, MONITOR_DEFAULTTONEAREST));
    RECT area = workArea;
    if (over)
        ::GetWindowRect(over, &area);

    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    const int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    PlaceOnWorkArea(m_hWnd, window, x, y, workArea);
}

BOOL CWnd::MoveOntoWorkArea()
{
    RECT window, search;
    if (!::GetWindowRect(m_hWnd, &window))
        return FALSE;
    search = window;
    ::EnumDisplayMonitors(nullptr, &window, &FindWorkAreaHolding, reinterpret_cast<LPARAM>(&search));
    if (::IsRectEmpty(&search))
        return FALSE;
    const RECT workArea = WorkAreaOf(::MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST));
    PlaceOnWorkArea(m_hWnd, window, window.left, window.top, workArea);
    return TRUE;
}
