#pragma once
// Thin wrappers for the system's controls.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
    // Owner-drawn statics are painted through this; the default draws nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
};

class CComboBox : public CWnd {
public:
    int AddString(LPCSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int SetCurSel(int position) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(position))); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    CString GetLBText(int position) const;
};

// A tooltip window. Tools are described with the version-2 TOOLINFO, which every version of the
// common controls accepts, and their 8-bit texts handed over as UTF-16 (the ...W messages), which
// the tooltip draws as they are.
class CToolTipCtrl : public CWnd {
public:
    ~CToolTipCtrl() override;

    BOOL Create(CWnd* parent, DWORD style = 0);
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    void SetDelayTime(DWORD which, int milliseconds) { SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(milliseconds, 0)); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void Pop() { SendMessage(TTM_POP); }

    // A tool covering rect of window, identified by id; text may be LPSTR_TEXTCALLBACK.
    BOOL AddTool(CWnd* window, LPCSTR text, LPCRECT rect, UINT_PTR id);
    // The whole window as the tool (TTF_IDISHWND).
    BOOL AddWindowTool(CWnd* window, LPCSTR text, UINT flags = TTF_SUBCLASS);
    void UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR id);
    // The text of the tool that AddWindowTool made for window.
    void UpdateWindowToolText(LPCSTR text, CWnd* window);
    // Moves the rectangle a tool answers to.
    void SetToolRect(CWnd* window, UINT_PTR id, LPCRECT rect);
    // The text of a tool (at most 1023 characters), for tests and diagnostics.
    CString GetText(CWnd* window, UINT_PTR id) const;
    std::wstring GetTextW(CWnd* window, UINT_PTR id) const;

    static TOOLINFOW MakeToolInfo(HWND owner, UINT_PTR id, UINT flags);
};
