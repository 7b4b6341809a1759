#include "framework/Dpi.h"

#include "framework/Module.h"
#include "framework/SystemLibrary.h"

namespace dpi {

namespace {

// Windows 10 1607 and later.
WindowDpiQuery SystemWindowDpi()
{
    static const auto call = system_library::user.Entry<decltype(&::GetDpiForWindow)>("GetDpiForWindow");
    return call;
}

WindowDpiQuery windowDpiQuery = nullptr;

} // namespace

UINT ForScreen()
{
    HDC screen = ::GetDC(nullptr);
    const int value = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return value > 0 ? static_cast<UINT>(value) : kDefault;
}

UINT ForWindow(HWND window)
{
    if (window) {
        UINT value = 0;
        if (windowDpiQuery)
            value = windowDpiQuery(window);
        else if (const WindowDpiQuery call = SystemWindowDpi())
            value = call(window);
        if (value > 0)
            return value;
    }
    return ForScreen();
}

int SystemMetric(int index, UINT dpi)
{
    // Windows 10 1607 and later.
    static const auto call = system_library::user.Entry<decltype(&::GetSystemMetricsForDpi)>("GetSystemMetricsForDpi");
    if (call)
        return call(index, dpi);
    // Older systems have one scale, the screen's: their metrics are drawn for it.
    const UINT screen = ForScreen();
    const int metric = ::GetSystemMetrics(index);
    return dpi == screen ? metric : ::MulDiv(metric, static_cast<int>(dpi), static_cast<int>(screen));
}

HICON LoadScaledIcon(HINSTANCE module, UINT id, int cx, int cy)
{
    // Vista and later (common controls 6): an icon without an image of this size is scaled down
    // from a larger one, which stays sharper than one scaled up.
    static const auto scaleDown = system_library::commonControls.Entry<decltype(&::LoadIconWithScaleDown)>("LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (scaleDown && SUCCEEDED(scaleDown(module, MAKEINTRESOURCEW(id), cx, cy, &icon)) && icon)
        return icon;
    return static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

bool ScaledIcon::Load(UINT id, UINT dpi, UniqueIcon* replaced)
{
    if (icon_ && id == id_ && dpi == dpi_)
        return false;
    HICON icon = LoadScaledIcon(AfxGetResourceHandle(), id, SystemMetric(widthMetric_, dpi), SystemMetric(heightMetric_, dpi));
    if (!icon)
        return false;
    if (replaced)
        replaced->reset(icon_.release());
    icon_.reset(icon);
    id_ = id;
    dpi_ = dpi;
    return true;
}

WindowDpiQuery SetWindowDpiQuery(WindowDpiQuery query)
{
    const WindowDpiQuery previous = windowDpiQuery;
    windowDpiQuery = query;
    return previous;
}

} // namespace dpi
