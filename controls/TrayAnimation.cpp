// The window's way into and out of the notification area: the animation between the window and
// the tray, and the hidden owner that keeps the window off the taskbar while it sits there.
#include "controls/SystemTray.h"

#include <cstring>

#include "framework/Dpi.h"
#include "framework/WinApp.h"

namespace {

// The parent of windows that sit in the tray. An invisible window has no taskbar button, and
// neither has a window it parents. Made on first use, it lives until the program ends; its
// procedure is the system's default one, so it needs nothing of the framework's window table,
// which is gone by the time static objects are destroyed.
class CTrayOwnerWnd : public CWnd {
public:
    ~CTrayOwnerWnd() override
    {
        if (m_hWnd && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }

    bool Alive() const { return m_hWnd && ::IsWindow(m_hWnd); }

    bool Create()
    {
        m_hWnd = ::CreateWindowExA(0, AfxRegisterWndClass(0), "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, AfxGetInstanceHandle(), nullptr);
        return m_hWnd != nullptr;
    }
};

} // namespace

// Process-wide, made at program start.
static CTrayOwnerWnd hiddenOwner;

namespace {

BOOL CALLBACK FindTrayPart(HWND hwnd, LPARAM lParam)
{
    auto* rect = reinterpret_cast<RECT*>(lParam);
    char name[255] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (std::strcmp(name, "TrayNotifyWnd") == 0) {
        ::GetWindowRect(hwnd, rect);
        return TRUE;
    }
    if (std::strcmp(name, "TrayClockWClass") == 0) {
        RECT clock;
        ::GetWindowRect(hwnd, &clock);
        if (clock.bottom < rect->bottom - dpi::Scale(5, dpi::ForScreen()))
            rect->top = clock.bottom; // a vertical taskbar: the icons sit below the clock
        else
            rect->right = clock.left;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void CSystemTray::FindTrayRect(LPRECT rect)
{
    if (!rect)
        return;
    if (HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr)) {
        ::GetWindowRect(taskbar, rect);
        ::EnumChildWindows(taskbar, &FindTrayPart, reinterpret_cast<LPARAM>(rect));
        return;
    }

    // The guesses below are sizes at 96 DPI; the taskbar is drawn at the screen's.
    const UINT scale = dpi::ForScreen();
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
#ifndef _WIN64
    static_assert(sizeof(APPBARDATA) == 36, "the 32-bit APPBARDATA is 36 bytes");
#endif
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
        const RECT& rc = bar.rc;
        switch (bar.uEdge) {
        case ABE_LEFT:
        case ABE_RIGHT:
            *rect = RECT{rc.left, rc.bottom - dpi::Scale(100, scale), rc.right, rc.bottom - dpi::Scale(16, scale)};
            break;
        case ABE_TOP:
        case ABE_BOTTOM:
            *rect = RECT{rc.right - dpi::Scale(100, scale), rc.top, rc.right - dpi::Scale(16, scale), rc.bottom};
            break;
        default:
            break;
        }
        return;
    }

    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, rect, 0);
    rect->left = rect->right - dpi::Scale(150, scale);
    rect->top = rect->bottom - dpi::Scale(30, scale);
}

BOOL CSystemTray::WindowAnimationOn()
{
    ANIMATIONINFO info{};
    info.cbSize = sizeof info;
    ::SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0);
    return info.iMinAnimate != 0;
}

BOOL CSystemTray::DetachFromTaskbar(CWnd* window)
{
    if (!hiddenOwner.Alive() && !hiddenOwner.Create())
        return FALSE;
    if (window && window->m_hWnd)
        ::SetParent(window->m_hWnd, hiddenOwner.m_hWnd);
    return TRUE;
}

void CSystemTray::AnimateToTray(CWnd* window, BOOL forceAnimation)
{
    if (!window || !window->m_hWnd)
        return;
    if (forceAnimation || WindowAnimationOn()) {
        RECT from, to;
        window->GetWindowRect(&from);
        FindTrayRect(&to);
        ::DrawAnimatedRects(window->m_hWnd, IDANI_CAPTION, &from, &to);
    }
    DetachFromTaskbar(window);
    window->ModifyStyle(WS_VISIBLE, 0, 0);
}

void CSystemTray::AnimateFromTray(CWnd* window, BOOL forceAnimation)
{
    if (!window || !window->m_hWnd)
        return;
    ::SetParent(window->m_hWnd, nullptr);
    // The display may have changed while the window sat in the tray.
    window->MoveOntoWorkArea();
    if (forceAnimation || WindowAnimationOn()) {
        RECT from, to;
        window->GetWindowRect(&to);
        FindTrayRect(&from);
        ::DrawAnimatedRects(window->m_hWnd, IDANI_CAPTION, &from, &to);
    }
    window->ModifyStyle(0, WS_VISIBLE, 0);
    ::RedrawWindow(window->m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    if (hiddenOwner.Alive())
        hiddenOwner.SetActiveWindow();
    window->SetActiveWindow();
    window->SetForegroundWindow();
}
