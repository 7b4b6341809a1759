#include "framework/Controls.h"

#include <string>

CString CComboBox::GetLBText(int position) const
{
    const int length = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(position)));
    if (length <= 0)
        return CString();
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&buffer[0]));
    return CString(buffer.c_str());
}

CToolTipCtrl::~CToolTipCtrl()
{
    DestroyWindow();
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr);
}

TOOLINFOA CToolTipCtrl::MakeToolInfo(HWND owner, UINT_PTR id, UINT flags)
{
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = flags;
    info.hwnd = owner;
    info.uId = id;
    info.hinst = nullptr;
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCSTR text, LPCRECT rect, UINT_PTR id)
{
    TOOLINFOA info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    if (rect)
        info.rect = *rect;
    info.lpszText = const_cast<LPSTR>(text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

BOOL CToolTipCtrl::AddWindowTool(CWnd* window, LPCSTR text, UINT flags)
{
    HWND hwnd = window ? window->m_hWnd : nullptr;
    TOOLINFOA info = MakeToolInfo(hwnd ? ::GetParent(hwnd) : nullptr, reinterpret_cast<UINT_PTR>(hwnd),
                                  TTF_IDISHWND | flags);
    info.lpszText = const_cast<LPSTR>(text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR id)
{
    TOOLINFOA info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    info.lpszText = const_cast<LPSTR>(text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(CWnd* window, UINT_PTR id, LPCRECT rect)
{
    TOOLINFOA info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    if (rect)
        info.rect = *rect;
    SendMessage(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
}

CString CToolTipCtrl::GetText(CWnd* window, UINT_PTR id) const
{
    // Older common controls take no size: the buffer holds the longest text a tool can carry.
    std::string buffer(1024, '\0');
    TOOLINFOA info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    info.lpszText = &buffer[0];
    SendMessage(TTM_GETTEXTA, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return CString(buffer.c_str());
}
