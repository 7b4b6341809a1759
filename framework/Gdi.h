#pragma once
// GDI wrappers: fonts, pens, brushes and device contexts, each the single owner of its handle.

#include <windows.h>

#include "framework/Geometry.h"

class CWnd;

// A GDI object (font, pen, brush, bitmap) owned by this wrapper and deleted with it.
class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();

    HGDIOBJ m_hObject = nullptr;
};

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, LPCSTR faceName);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

// A device context. m_hDC receives output, m_hAttribDC answers queries; usually they are the same.
// The wrapper deletes the context only when it made it (CreateCompatibleDC).
class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A wrapper over a context someone else owns (WM_CTLCOLOR, WM_ERASEBKGND).
    void AttachBorrowed(HDC dc) { m_hDC = m_hAttribDC = dc; owned_ = false; }
    BOOL CreateCompatibleDC(CDC* other);
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    HGDIOBJ SelectObject(const CGdiObject* object) { return ::SelectObject(m_hDC, object->m_hObject); }
    HGDIOBJ SelectStockObject(int index) { return ::SelectObject(m_hDC, ::GetStockObject(index)); }

    int SaveDC() { return ::SaveDC(m_hDC); }
    virtual BOOL RestoreDC(int savedDC) { return ::RestoreDC(m_hDC, savedDC); }

    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }

    // Text is drawn and measured through the ...W calls: GDI reads the text of its ...A calls in the
    // code page of the font's character set, which is not the process's when that is UTF-8.
    BOOL TextOut(int x, int y, LPCWSTR text, int length) { return ::TextOutW(m_hDC, x, y, text, length); }
    SIZE GetTextExtent(LPCWSTR text, int length) const;
    // The dotted focus cue, drawn by inverting: a second call takes it away.
    BOOL DrawFocusRect(LPCRECT rect) { return ::DrawFocusRect(m_hDC, rect); }
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int left, int top, int right, int bottom) { return ::Rectangle(m_hDC, left, top, right, bottom); }
    BOOL Rectangle(LPCRECT rect) { return ::Rectangle(m_hDC, rect->left, rect->top, rect->right, rect->bottom); }
    void FillRect(LPCRECT rect, HBRUSH brush) { ::FillRect(m_hDC, rect, brush); }
    void FillSolidRect(LPCRECT rect, COLORREF color);
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIconEx(int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags)
    {
        return ::DrawIconEx(m_hDC, x, y, icon, cx, cy, step, flicker, flags);
    }
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sx, sy, rop);
    }
    UINT SetBoundsRect(LPCRECT rect, UINT flags) { return ::SetBoundsRect(m_hDC, rect, flags); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;

private:
    bool owned_ = false;
};

// Selects a GDI object into a device context for the holder's lifetime, then puts back the object
// it replaced. Declared after the object it selects, it lets go of it before the object is deleted.
class CSelectedObject {
public:
    CSelectedObject(CDC& dc, const CGdiObject& object) : dc_(dc.m_hDC), previous_(::SelectObject(dc_, object.m_hObject)) {}
    ~CSelectedObject()
    {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    CSelectedObject(const CSelectedObject&) = delete;
    CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The device context of one WM_PAINT: BeginPaint at construction, EndPaint at destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWndPaint = nullptr;
};

// The client-area device context of a window (GetDC/ReleaseDC).
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    HWND hwnd_ = nullptr;
};
