#include "framework/Controls.h"

#include <cstddef>
#include <cwchar>
#include <string>

#include "framework/CodePage.h"

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

TOOLINFOW CToolTipCtrl::MakeToolInfo(HWND owner, UINT_PTR id, UINT flags)
{
    static_assert(offsetof(TOOLINFOW, lParam) + sizeof(LPARAM) == (sizeof(void*) == 4 ? 44 : 64),
                  "the version-2 TOOLINFOW ends after lParam");
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = flags;
    info.hwnd = owner;
    info.uId = id;
    info.hinst = nullptr;
    return info;
}

namespace {

// A tool's text as the tooltip takes it: the callback marker as it is, else UTF-16.
struct ToolText {
    explicit ToolText(LPCSTR text)
        : callback(text == LPSTR_TEXTCALLBACKA), wide(callback ? std::wstring() : code_page::ToWide(text ? text : ""))
    {
    }
    LPWSTR get() { return callback ? LPSTR_TEXTCALLBACKW : &wide[0]; }
    bool callback;
    std::wstring wide;
};

} // namespace

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCSTR text, LPCRECT rect, UINT_PTR id)
{
    TOOLINFOW info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    if (rect)
        info.rect = *rect;
    ToolText wide(text);
    info.lpszText = wide.get();
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

BOOL CToolTipCtrl::AddWindowTool(CWnd* window, LPCSTR text, UINT flags)
{
    HWND hwnd = window ? window->m_hWnd : nullptr;
    TOOLINFOW info = MakeToolInfo(hwnd ? ::GetParent(hwnd) : nullptr, reinterpret_cast<UINT_PTR>(hwnd),
                                  TTF_IDISHWND | flags);
    ToolText wide(text);
    info.lpszText = wide.get();
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR id)
{
    TOOLINFOW info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    ToolText wide(text);
    info.lpszText = wide.get();
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateWindowToolText(LPCSTR text, CWnd* window)
{
    HWND hwnd = window ? window->m_hWnd : nullptr;
    TOOLINFOW info = MakeToolInfo(hwnd ? ::GetParent(hwnd) : nullptr, reinterpret_cast<UINT_PTR>(hwnd), TTF_IDISHWND);
    ToolText wide(text);
    info.lpszText = wide.get();
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(CWnd* window, UINT_PTR id, LPCRECT rect)
{
    TOOLINFOW info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    if (rect)
        info.rect = *rect;
    SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring CToolTipCtrl::GetTextW(CWnd* window, UINT_PTR id) const
{
    // Older common controls take no size: the buffer holds the longest text a tool can carry.
    std::wstring buffer(1024, L'\0');
    TOOLINFOW info = MakeToolInfo(window ? window->m_hWnd : nullptr, id, 0);
    info.lpszText = &buffer[0];
    SendMessage(TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    buffer.resize(std::wcslen(buffer.c_str()));
    return buffer;
}

CString CToolTipCtrl::GetText(CWnd* window, UINT_PTR id) const
{
    return CString(code_page::FromWide(GetTextW(window, id)).c_str());
}
