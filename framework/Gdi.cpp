#include "framework/Gdi.h"

#include "framework/CodePage.h"
#include "framework/Wnd.h"

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    const BOOL result = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return result;
}

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    DeleteObject();
    m_hObject = object;
    return object != nullptr;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, LPCSTR faceName)
{
    return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                charSet, outPrecision, clipPrecision, quality, pitchAndFamily,
                                code_page::ToWide(faceName ? faceName : "").c_str()));
}

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    return Attach(::CreatePen(style, width, color));
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    return Attach(::CreateSolidBrush(color));
}

CDC::~CDC()
{
    if (owned_ && m_hDC)
        ::DeleteDC(m_hDC);
}

BOOL CDC::CreateCompatibleDC(CDC* other)
{
    if (owned_ && m_hDC)
        ::DeleteDC(m_hDC);
    m_hDC = m_hAttribDC = ::CreateCompatibleDC(other ? other->m_hDC : nullptr);
    owned_ = m_hDC != nullptr;
    return owned_;
}

SIZE CDC::GetTextExtent(LPCWSTR text, int length) const
{
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(m_hAttribDC, text, length, &size);
    return size;
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous{0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    const COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPaintDC::CPaintDC(CWnd* window) : m_hWndPaint(window ? window->m_hWnd : nullptr)
{
    if (m_hWndPaint)
        m_hDC = m_hAttribDC = ::BeginPaint(m_hWndPaint, &m_ps);
}

CPaintDC::~CPaintDC()
{
    if (m_hWndPaint)
        ::EndPaint(m_hWndPaint, &m_ps);
    m_hDC = m_hAttribDC = nullptr;
}

CClientDC::CClientDC(CWnd* window) : hwnd_(window ? window->m_hWnd : nullptr)
{
    m_hDC = m_hAttribDC = ::GetDC(hwnd_);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(hwnd_, m_hDC);
    m_hDC = m_hAttribDC = nullptr;
}
