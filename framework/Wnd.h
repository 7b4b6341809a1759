#pragma once
// CWnd: a window object. Its window procedure routes every message through the class's message
// map; what no entry handles goes to the window's original procedure.

#include <windows.h>

#include "framework/Gdi.h"
#include "framework/Geometry.h"
#include "framework/Menu.h"
#include "framework/MessageMap.h"
#include "framework/String.h"

class CWnd : public CCmdTarget {
public:
    static const MessageMap messageMap;

    CWnd() = default;
    ~CWnd() override;

    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // The window object attached to hwnd on this thread, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Creation of a window whose messages this object receives from the very first one.
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menuOrId, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();

    // Attachment of an existing window (a dialog's control): the object takes over its procedure.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    BOOL Attach(HWND hwnd);
    HWND Detach();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Routing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg);
    bool OnCmdMsg(UINT id, UINT code, CCmdUI* cmdUI) override;
    // The default processing of the message being handled now (the original window procedure).
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs the update entries of this window's map over the items of a pop-up menu that is about
    // to open (check marks, enabled state), keeping the walk right when a handler removes items.
    void UpdateMenuItems(CMenu* popup);

    // Thin wrappers.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    CString GetWindowText() const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    // Removes and adds style bits; with swpFlags non-zero also lets the frame follow (SetWindowPos).
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, width, height, repaint); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    // Centres the window over another one; by default over its owner when that is shown and not
    // minimised, else on its monitor's work area. The window ends wholly on that work area.
    void CenterWindow(HWND alternate = nullptr);
    // Moves a top-level window that does not lie wholly on any monitor's work area onto the
    // nearest one, as CenterWindow keeps it there. TRUE when it moved.
    BOOL MoveOntoWorkArea();
    // The window's system menu (borrowed; empty when the window has none).
    CMenu GetSystemMenu(BOOL revert) const { return CMenu::Borrow(::GetSystemMenu(m_hWnd, revert)); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    HWND SetActiveWindow() { return ::SetActiveWindow(m_hWnd); }

    HWND m_hWnd = nullptr;

protected:
    // Called with the window attached but before its procedure is replaced.
    virtual void PreSubclassWindow() {}
    // Called after the last message (WM_NCDESTROY), once the window is detached.
    virtual void PostNcDestroy() {}
    // WM_COMMAND: routes commands, notifications and accelerators through OnCmdMsg.
    virtual BOOL RouteCommand(WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK StandardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The next window created on this thread is attached to and subclassed for `window`.
    static void HookWindowCreate(CWnd* window);
    static bool UnhookWindowCreate();

    WNDPROC m_pfnSuper = nullptr;

private:
    friend class CDialog;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
};

// A window object that only lends its handle to a handler for the length of one call.
class CTempWnd : public CWnd {
public:
    explicit CTempWnd(HWND hwnd) { m_hWnd = hwnd; }
    ~CTempWnd() override { m_hWnd = nullptr; }
};

namespace message_map_detail {
// A handler receives the permanent object of a window when there is one, else a temporary.
struct WndArg {
    explicit WndArg(HWND hwnd) : temp(hwnd), wnd(CWnd::FromHandlePermanent(hwnd)) { if (!wnd && hwnd) wnd = &temp; }
    CTempWnd temp;
    CWnd* wnd;
};
} // namespace message_map_detail

template <> struct MessageCracker<WM_CAPTURECHANGED> {
    template <class T> using Handler = void (T::*)(CWnd*);
    template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c)
    {
        message_map_detail::WndArg other(reinterpret_cast<HWND>(c.lParam));
        (t.*f)(other.wnd);
        return 0;
    }
};

// WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC: HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind).
template <> struct MessageCracker<WM_CTLCOLOR_ANY> {
    template <class T> using Handler = HBRUSH (T::*)(CDC*, CWnd*, UINT);
    template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c)
    {
        CDC dc;
        dc.AttachBorrowed(reinterpret_cast<HDC>(c.wParam));
        message_map_detail::WndArg control(reinterpret_cast<HWND>(c.lParam));
        return reinterpret_cast<LRESULT>((t.*f)(&dc, control.wnd, c.message - WM_CTLCOLORMSGBOX));
    }
};

template <> struct MessageCracker<WM_ERASEBKGND> {
    template <class T> using Handler = BOOL (T::*)(CDC*);
    template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c)
    {
        CDC dc;
        dc.AttachBorrowed(reinterpret_cast<HDC>(c.wParam));
        return (t.*f)(&dc);
    }
};

template <> struct MessageCracker<WM_INITMENUPOPUP> {
    template <class T> using Handler = void (T::*)(CMenu*, UINT, BOOL);
    template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c)
    {
        CMenu popup = CMenu::Borrow(reinterpret_cast<HMENU>(c.wParam));
        (t.*f)(&popup, LOWORD(c.lParam), HIWORD(c.lParam));
        return 0;
    }
};

template <> struct MessageCracker<WM_SETCURSOR> {
    template <class T> using Handler = BOOL (T::*)(CWnd*, UINT, UINT);
    template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c)
    {
        message_map_detail::WndArg window(reinterpret_cast<HWND>(c.wParam));
        return (t.*f)(window.wnd, LOWORD(c.lParam), HIWORD(c.lParam));
    }
};
