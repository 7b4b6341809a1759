#include "controls/HyperLink.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "controls/BufferDC.h"

namespace {

ShellOpenCall shellOpen = nullptr;

constexpr UINT_PTR kHoverTimer = 1001;
constexpr UINT kHoverCheckMs = 300;

std::unique_ptr<char[]> Duplicate(const char* source)
{
    if (!source)
        return nullptr;
    const std::size_t length = std::strlen(source);
    std::unique_ptr<char[]> copy(new char[length + 1]);
    std::memcpy(copy.get(), source, length + 1);
    return copy;
}

// An icon's size: twice its hotspot, which is the centre of an icon. (0, 0) when it cannot be read.
SIZE IconSize(HICON icon)
{
    SIZE size{0, 0};
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return size;
    size.cx = static_cast<LONG>(info.xHotspot) * 2;
    size.cy = static_cast<LONG>(info.yHotspot) * 2;
    // The query hands out copies of the icon's bitmaps.
    UniqueBitmap mask(info.hbmMask);
    UniqueBitmap colour(info.hbmColor);
    return size;
}

struct Line {
    const wchar_t* start;
    int length;
    int width;
};

} // namespace

ShellOpenCall SetLinkShellOpen(ShellOpenCall call)
{
    ShellOpenCall previous = shellOpen;
    shellOpen = call;
    return previous;
}

const MessageMap CHyperLink::messageMap{&CStatic::messageMap, {
    OnMessage<WM_PAINT>(&CHyperLink::OnPaint),
    OnMessage<WM_MOUSEMOVE>(&CHyperLink::OnMouseMove),
    OnMessage<WM_MOUSELEAVE>(&CHyperLink::OnMouseLeave),
    OnMessage<WM_TIMER>(&CHyperLink::OnTimer),
    OnMessage<WM_LBUTTONDOWN>(&CHyperLink::OnLButtonDown),
    OnMessage<WM_LBUTTONDBLCLK>(&CHyperLink::OnLButtonDblClk),
    OnMessage<WM_LBUTTONUP>(&CHyperLink::OnLButtonUp),
    OnMessage<WM_CAPTURECHANGED>(&CHyperLink::OnCaptureChanged),
    OnMessage<dpi::kChangedAfterParent>(&CHyperLink::OnDpiChangedAfterParent),
}};

CHyperLink::CHyperLink() : backgroundColor(::GetSysColor(COLOR_BTNFACE))
{
    CreateLinkFont(); // at 96 DPI until the link is attached to its window
    handCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
}

void CHyperLink::CreateLinkFont()
{
    // Arial, 14 pixels high at 96 DPI. The underline is drawn, never the font's.
    linkFont.CreateFont(Px(14), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

void CHyperLink::ApplyDpi(UINT value)
{
    if (value == windowDpi)
        return;
    windowDpi = value;
    CreateLinkFont();
}

LRESULT CHyperLink::OnDpiChangedAfterParent(WPARAM, LPARAM)
{
    ApplyDpi(dpi::ForWindow(m_hWnd));
    // The next paint fits the window to the text in the new font.
    Redraw();
    return Default();
}

CHyperLink::~CHyperLink()
{
    // The shared cursors are only forgotten; the font, the icons and the tooltip go with their
    // holders.
    previousCursor = nullptr;
    handCursor = nullptr;
}

void CHyperLink::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    // The static no longer paints its text, and it reports clicks.
    ModifyStyle(0x000F, SS_NOTIFY | SS_OWNERDRAW, 0);
    disabled = (GetStyle() & WS_DISABLED) != 0;
    ApplyDpi(dpi::ForWindow(m_hWnd));

    if (toolTip.Create(this, 0)) {
        toolTip.AddWindowTool(this, LPSTR_TEXTCALLBACK, 0);
        toolTip.SetDelayTime(TTDT_INITIAL, 1200);
        toolTip.SetDelayTime(TTDT_AUTOPOP, 1600);
    }
}

void CHyperLink::SetURL(LPCSTR address)
{
    url = Duplicate(address);
    if (!toolTip.m_hWnd || !m_hWnd)
        return; // not attached yet: the tooltip asks the parent until the next call
    toolTip.UpdateWindowToolText(url ? url.get() : "", this);
}

void CHyperLink::SetBackgroundColor(COLORREF color)
{
    backgroundColor = color;
}

LRESULT CHyperLink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENABLE) {
        // Shows at the next paint.
        disabled = !IsWindowEnabled();
        return 1;
    }
    return CStatic::WindowProc(message, wParam, lParam);
}

BOOL CHyperLink::PreTranslateMessage(MSG* msg)
{
    switch (msg->message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSELEAVE:
        if (toolTip.m_hWnd)
            toolTip.RelayEvent(msg);
        break;
    default:
        break;
    }
    return CStatic::PreTranslateMessage(msg);
}

CHyperLink::State CHyperLink::VisualState() const
{
    if (disabled)
        return Disabled;
    if (hover)
        return pressed ? Pressed : Hover;
    return Normal;
}

UINT CHyperLink::StateFlags() const
{
    return (iconFlags >> (4 * static_cast<int>(VisualState()))) & 0xF;
}

HICON CHyperLink::StateIcon() const
{
    switch (VisualState()) {
    case Disabled: return disabledIcon.get();
    case Hover: return hoverIcon.get();
    case Pressed: return pressedIcon.get();
    default: return normalIcon.get();
    }
}

SIZE CHyperLink::CurrentIconSize() const
{
    if (!(StateFlags() & 0x6))
        return SIZE{0, 0};
    return IconSize(StateIcon());
}

SIZE CHyperLink::LargestIconSize() const
{
    SIZE best{0, 0};
    for (const UniqueIcon* icon : {&normalIcon, &hoverIcon, &pressedIcon, &disabledIcon}) {
        const SIZE size = IconSize(icon->get());
        if (size.cx > best.cx)
            best = size;
    }
    return best;
}

void CHyperLink::OnPaint()
{
    if (resizing)
        return;

    CBufferDC dc(this);
    const int saved = dc.SaveDC();
    dc.SetMapMode(MM_TEXT);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&linkFont);
    dc.SetBkColor(backgroundColor);
    CBrush background(backgroundColor);
    dc.SelectObject(&background);
    // Pens live until the saved state is restored, which selects them out.
    CPen borderPen;
    CPen underlinePen;

    // The window's own text when no text is set, for this paint only; drawn and measured as
    // UTF-16, right whatever the code pages of the process and of the font.
    const std::wstring wideText = text ? WideFromAnsi(text.get()) : WideFromAnsi(GetWindowText().c_str());
    const wchar_t* paintText = wideText.c_str();
    const int textLength = static_cast<int>(wideText.size());

    RECT window;
    GetWindowRect(&window);
    if (HWND parent = GetParent())
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);

    // Margins, the border and the underline are written for 96 DPI; the icons keep their own size.
    const int border = Px(borderWidth);
    const SIZE s = CurrentIconSize();
    const SIZE S = reserveIconSpace ? LargestIconSize() : s;

    const SIZE whole = dc.GetTextExtent(paintText, textLength);
    const int cy = whole.cy;
    int W = whole.cx;

    // Lines; trailing line breaks are never drawn.
    int trimmed = textLength;
    while (trimmed > 0 && paintText[trimmed - 1] == L'\n')
        --trimmed;
    std::vector<Line> lines;
    if (multiLine && std::find(paintText, paintText + trimmed, L'\n') != paintText + trimmed) {
        W = 0;
        const wchar_t* start = paintText;
        const wchar_t* end = paintText + trimmed;
        while (true) {
            const wchar_t* stop = std::find(start, end, L'\n');
            const int length = static_cast<int>(stop - start);
            const int width = dc.GetTextExtent(start, length).cx;
            lines.push_back(Line{start, length, width});
            W = std::max(W, width);
            if (stop == end)
                break;
            start = stop + 1;
        }
    } else if (trimmed > 0) {
        lines.push_back(Line{paintText, trimmed, W});
    }
    const int n = static_cast<int>(lines.size());

    // The window fits the text, the icon slots and the border.
    const UINT flags = StateFlags();
    const bool leftSlot = reserveIconSpace || (flags & 0x2);
    const bool rightSlot = reserveIconSpace || (flags & 0x4);
    const int textHeight = n > 0 ? n * (cy + Px(3)) : cy + Px(2);
    const int height = std::max(textHeight, static_cast<int>(S.cy) + Px(2)) + 2 * border;
    int width = W + Px(3) + 2 * border;
    if (leftSlot)
        width += S.cx + Px(3);
    if (rightSlot)
        width += S.cx + Px(3);
    resizing = true;
    MoveWindow(window.left, window.top, width, height, FALSE);
    resizing = false;
    // This paint reaches only the area that needed it when it began: a window that grew asks for
    // one more paint, or its text would show cut at the old size until the mouse came by.
    if (width > window.right - window.left || height > window.bottom - window.top)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);

    RECT client;
    GetClientRect(&client);
    dc.SetBoundsRect(&client, DCB_DISABLE);
    dc.FillRect(&client, background);

    if (border > 0) {
        borderPen.CreatePen(borderStyle, border, disabled ? ::GetSysColor(COLOR_BTNSHADOW) : borderColor);
        dc.SelectObject(&borderPen);
        const int inset = (border - border % 2) / 2;
        RECT frame{client.left + inset, client.top + inset, client.right - inset, client.bottom - inset};
        if (border % 2 == 0) {
            ++frame.right;
            ++frame.bottom;
        }
        dc.Rectangle(&frame);
    }

    const int iconTop = (client.bottom - s.cy) / 2;
    const int centring = reserveIconSpace ? (S.cx - s.cx) / 2 : 0;
    int x = border + Px(1) + centring;

    const State state = VisualState();
    const HICON icon = StateIcon();
    const bool show = (flags & 0x1) != 0;
    const bool iconsApply = state != Disabled || disabledIcon;
    if (iconsApply && show && (flags & 0x2) && icon) {
        dc.DrawIconEx(x, iconTop, icon, s.cx, s.cy, 0, nullptr, DI_NORMAL);
        x = S.cx + border + Px(4) + centring;
    } else if (reserveIconSpace) {
        x = S.cx + border + Px(4) + centring;
    }
    if (iconsApply && show && (flags & 0x4) && icon)
        dc.DrawIconEx(x + W + Px(3), iconTop, icon, s.cx, s.cy, 0, nullptr, DI_NORMAL);

    COLORREF textColor = normalColor;
    COLORREF lineColor = underlineAlways ? normalColor : backgroundColor;
    switch (state) {
    case Hover:
        textColor = lineColor = hoverColor;
        break;
    case Pressed:
        textColor = lineColor = pressedColor;
        break;
    case Disabled:
        // Greyed like the text, and shown only where a normal link shows its underline.
        textColor = ::GetSysColor(COLOR_BTNSHADOW);
        lineColor = underlineAlways ? textColor : backgroundColor;
        break;
    default:
        break;
    }
    underlinePen.CreatePen(PS_SOLID, 1, lineColor);
    dc.SelectObject(&underlinePen);
    dc.SetTextColor(textColor);

    if (reserveIconSpace)
        x = S.cx + border + Px(4);

    const int underlineThickness = std::max(1, Px(1));
    const int y = std::max(0, static_cast<int>(client.bottom) - (n * (cy + Px(2)) + Px(1))) / 2;
    for (int i = 0; i < n; ++i) {
        const int row = y + i * (cy + Px(2));
        dc.TextOut(x, row, lines[static_cast<std::size_t>(i)].start, lines[static_cast<std::size_t>(i)].length);
        // One pixel thick at 96 DPI, one more row below for each further 96 DPI: square ends, and
        // clear of the text above.
        for (int t = 0; t < underlineThickness; ++t) {
            dc.MoveTo(x, row + cy + t);
            dc.LineTo(x + lines[static_cast<std::size_t>(i)].width, row + cy + t);
        }
    }

    dc.RestoreDC(saved);
    // The pens and the brush are deleted next, then the buffer reaches the screen.
}

void CHyperLink::ShowHandCursor()
{
    if (disabled)
        return;
    ::ShowCursor(FALSE);
    previousCursor = ::SetCursor(handCursor);
    ::ShowCursor(TRUE);
}

bool CHyperLink::CursorOverLink() const
{
    POINT cursor;
    if (!::GetCursorPos(&cursor))
        return false;
    RECT client;
    GetClientRect(&client);
    ClientToScreen(&client);
    if (!::PtInRect(&client, cursor))
        return false;
    HWND under = ::WindowFromPoint(cursor);
    return under == m_hWnd || (under && under == toolTip.m_hWnd);
}

void CHyperLink::OnMouseMove(UINT flags, CPoint)
{
    ShowHandCursor();
    if (hover)
        return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = 0;
    ::TrackMouseEvent(&track);
    hover = true;
    pressed = (flags & MK_LBUTTON) != 0;
    Redraw();
}

void CHyperLink::OnMouseLeave()
{
    if (toolTip.m_hWnd)
        toolTip.Pop();
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_CANCEL | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    ::TrackMouseEvent(&track);
    hover = false;
    // Onto the link's own tooltip: keep the look a moment, until the timer looks again.
    if (CursorOverLink())
        SetTimer(kHoverTimer, kHoverCheckMs, nullptr);
    else
        Redraw();
    if (!disabled) {
        ::ShowCursor(FALSE);
        ::SetCursor(previousCursor);
        ::ShowCursor(TRUE);
    }
}

void CHyperLink::OnTimer(UINT_PTR id)
{
    if (id != kHoverTimer)
        return;
    KillTimer(kHoverTimer);
    if (pressed || CursorOverLink())
        return;
    hover = false;
    Redraw();
}

void CHyperLink::OnLButtonDown(UINT, CPoint)
{
    ShowHandCursor();
    pressed = true;
    SetCapture();
    Redraw();
    GetClientRect(&pressRect);
    ClientToScreen(&pressRect);
}

void CHyperLink::OnLButtonDblClk(UINT flags, CPoint point)
{
    // The static reports the double click to the parent.
    if (!disabled && (!openOnClick || (GetStyle() & SS_NOTIFY)))
        Default();
    OnLButtonDown(flags, point);
}

void CHyperLink::OnLButtonUp(UINT, CPoint point)
{
    ShowHandCursor();
    pressed = false;
    POINT at{point.x, point.y};
    ::ClientToScreen(m_hWnd, &at);
    // Every edge of the rectangle counts as inside.
    hover = at.x >= pressRect.left && at.x <= pressRect.right && at.y >= pressRect.top && at.y <= pressRect.bottom;
    ::ReleaseCapture();
    Redraw();
    if (disabled || !hover)
        return;
    OpenURL();
    const HWND parent = GetParent();
    const int id = GetDlgCtrlID();
    if ((!openOnClick || (GetStyle() & SS_NOTIFY)) && parent && id != 0)
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(m_hWnd));
}

void CHyperLink::OnCaptureChanged(CWnd*) {}

void CHyperLink::OpenURL()
{
    if (!url || !openOnClick)
        return;
    if (shellOpen)
        shellOpen(nullptr, "open", url.get(), nullptr, nullptr, SW_SHOWDEFAULT);
    else
        ::ShellExecuteA(nullptr, "open", url.get(), nullptr, nullptr, SW_SHOWDEFAULT);
}
