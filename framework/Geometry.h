#pragma once
// CPoint and CRect: POINT and RECT with the few conveniences the windows use.

#include <windows.h>

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(LONG px, LONG py) : POINT{px, py} {}
    CPoint(const POINT& p) : POINT(p) {}
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    CPoint TopLeft() const { return CPoint(left, top); }
    bool PtInRect(POINT p) const { return ::PtInRect(this, p) != FALSE; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};
