#include "controls/HyperLink.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "controls/BufferDC.h"
#include "framework/CodePage.h"

namespace {

ShellOpenCall shellOpen = nullptr;
HighContrastQuery highContrast = nullptr;

bool SystemHighContrast()
{
    HIGHCONTRASTA state{};
    static_assert(sizeof(HIGHCONTRASTA) == (sizeof(void*) == 4 ? 12 : 16), "HIGHCONTRASTA");
    state.cbSize = sizeof state;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof state, &state, 0) &&
           (state.dwFlags & HCF_HIGHCONTRASTON);
}

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

} // namespace

ShellOpenCall SetLinkShellOpen(ShellOpenCall call)
{
    ShellOpenCall previous = shellOpen;
    shellOpen = call;
    return previous;
}

HighContrastQuery SetHighContrastQuery(HighContrastQuery query)
{
    HighContrastQuery previous = highContrast;
    highContrast = query;
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
    OnMessage<WM_GETDLGCODE>(&CHyperLink::OnGetDlgCode),
    OnMessage<WM_KEYDOWN>(&CHyperLink::OnKeyDown),
    OnMessage<WM_SETFOCUS>(&CHyperLink::OnFocusChange),
    OnMessage<WM_KILLFOCUS>(&CHyperLink::OnFocusChange),
    OnMessage<WM_UPDATEUISTATE>(&CHyperLink::OnUpdateUIState),
    OnMessage<WM_SYSCOLORCHANGE>(&CHyperLink::OnThemeChange),
    OnMessage<WM_THEMECHANGED>(&CHyperLink::OnThemeChange),
    OnMessage<WM_SETTINGCHANGE>(&CHyperLink::OnSettingChange),
    OnMessage<WM_GETOBJECT>(&CHyperLink::OnGetObject),
    OnMessage<kActivateMessage>(&CHyperLink::OnActivateMessage),
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

void CHyperLink::OnDpiChangedAfterParent()
{
    ApplyDpi(dpi::ForWindow(m_hWnd));
    // The next paint fits the window to the text in the new font.
    Redraw();
    Default();
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
    focusCueHidden = (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) != 0;
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
    return link_layout::VisualState(disabled, hover, pressed);
}

UINT CHyperLink::StateFlags() const
{
    return link_layout::StateIconFlags(iconFlags, VisualState());
}

HICON CHyperLink::StateIcon() const
{
    switch (VisualState()) {
    case State::Disabled: return disabledIcon.get();
    case State::Hover: return hoverIcon.get();
    case State::Pressed: return pressedIcon.get();
    default: return normalIcon.get();
    }
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

std::wstring CHyperLink::DisplayText() const
{
    if (text)
        return code_page::ToWide(text.get());
    // The window's own text, for this paint only.
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return std::wstring();
    std::wstring windowText(static_cast<std::size_t>(length) + 1, L'\0');
    windowText.resize(static_cast<std::size_t>(std::max(::GetWindowTextW(m_hWnd, &windowText[0], length + 1), 0)));
    return windowText;
}

link_layout::Options CHyperLink::LayoutOptions() const
{
    link_layout::Options options;
    options.multiLine = multiLine;
    options.reserveIconSpace = reserveIconSpace;
    options.stateFlags = StateFlags();
    const HICON stateIcon = StateIcon();
    options.stateIconPresent = stateIcon != nullptr;
    // The icon has a size only where it stands, left or right of the text.
    const bool placed = options.stateFlags & (link_layout::kIconLeft | link_layout::kIconRight);
    const SIZE icon = placed ? IconSize(stateIcon) : SIZE{0, 0};
    options.stateIcon = link_layout::Extent{icon.cx, icon.cy};
    if (reserveIconSpace) {
        const SIZE largest = LargestIconSize();
        options.largestIcon = link_layout::Extent{largest.cx, largest.cy};
    }
    options.borderWidth = borderWidth;
    options.dpi = windowDpi;
    return options;
}

link_layout::Palette CHyperLink::CurrentPalette() const
{
    link_layout::Palette palette;
    palette.underlineAlways = underlineAlways;
    if (highContrast ? highContrast() : SystemHighContrast()) {
        palette.normal = palette.hover = palette.pressed = ::GetSysColor(COLOR_HOTLIGHT);
        palette.disabled = ::GetSysColor(COLOR_GRAYTEXT);
        palette.background = ::GetSysColor(COLOR_BTNFACE);
        palette.border = ::GetSysColor(COLOR_WINDOWTEXT);
        palette.disabledBorder = palette.disabled;
    } else {
        palette.normal = normalColor;
        palette.hover = hoverColor;
        palette.pressed = pressedColor;
        palette.disabled = ::GetSysColor(COLOR_BTNSHADOW);
        palette.background = backgroundColor;
        palette.border = borderColor;
        palette.disabledBorder = ::GetSysColor(COLOR_BTNSHADOW);
    }
    return palette;
}

bool CHyperLink::ShowsFocusCue() const
{
    return ::GetFocus() == m_hWnd && !focusCueHidden;
}

void CHyperLink::OnPaint()
{
    if (resizing)
        return;

    CBufferDC dc(this);
    const int saved = dc.SaveDC();
    dc.SetMapMode(MM_TEXT);
    dc.SetBkMode(TRANSPARENT);
    const link_layout::Palette palette = CurrentPalette();
    dc.SetBkColor(palette.background);
    const CBrush background(palette.background);
    {
        const CSelectedObject font(dc, linkFont);
        const std::wstring paintText = DisplayText();
        const link_layout::Options options = LayoutOptions();
        const link_layout::TextLayout layout = link_layout::LayOut(
            link_layout::SplitLines(paintText.c_str(), paintText.size(), multiLine), paintText.size(), options,
            [&](std::size_t start, std::size_t length) {
                const SIZE size = dc.GetTextExtent(paintText.c_str() + start, static_cast<int>(length));
                return link_layout::Extent{size.cx, size.cy};
            });

        FitWindow(layout.window);
        RECT client;
        GetClientRect(&client);
        dc.SetBoundsRect(&client, DCB_DISABLE);
        Draw(dc, client, paintText, layout, link_layout::Place(layout, options, {client.right, client.bottom}),
             palette, background);
    }
    dc.RestoreDC(saved);
    // The brush goes next, then the buffer reaches the screen.
}

void CHyperLink::FitWindow(link_layout::Extent size)
{
    RECT window;
    GetWindowRect(&window);
    if (HWND parent = GetParent())
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    resizing = true;
    MoveWindow(window.left, window.top, size.cx, size.cy, FALSE);
    resizing = false;
    // This paint reaches only the area that needed it when it began: a window that grew asks for
    // one more paint, or its text would show cut at the old size until the mouse came by.
    if (size.cx > window.right - window.left || size.cy > window.bottom - window.top)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHyperLink::Draw(CDC& dc, const RECT& client, const std::wstring& paintText,
                      const link_layout::TextLayout& layout, const link_layout::Placement& place,
                      const link_layout::Palette& palette, const CBrush& background)
{
    dc.FillRect(&client, background);
    // Rectangle fills the border's inside with the selected brush.
    const CSelectedObject fill(dc, background);

    if (place.border) {
        const CPen borderPen(borderStyle, place.borderPen, disabled ? palette.disabledBorder : palette.border);
        const CSelectedObject pen(dc, borderPen);
        const RECT frame{place.borderRect.left, place.borderRect.top, place.borderRect.right, place.borderRect.bottom};
        dc.Rectangle(&frame);
    }

    const HICON icon = StateIcon();
    if (place.leftIcon)
        dc.DrawIconEx(place.leftIconX, place.iconTop, icon, place.icon.cx, place.icon.cy, 0, nullptr, DI_NORMAL);
    if (place.rightIcon)
        dc.DrawIconEx(place.rightIconX, place.iconTop, icon, place.icon.cx, place.icon.cy, 0, nullptr, DI_NORMAL);

    const link_layout::Colours colours = link_layout::StateColours(palette, VisualState());
    const CPen underlinePen(PS_SOLID, 1, colours.underline);
    const CSelectedObject pen(dc, underlinePen);
    dc.SetTextColor(colours.text);
    const int x = place.textX;
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const link_layout::Line& line = layout.lines[i];
        const int row = place.rowTops[i];
        dc.TextOut(x, row, paintText.c_str() + line.range.start, static_cast<int>(line.range.length));
        for (int t = 0; t < place.underlineThickness; ++t) {
            dc.MoveTo(x, row + layout.lineHeight + t);
            dc.LineTo(x + line.width, row + layout.lineHeight + t);
        }
    }

    if (ShowsFocusCue()) {
        // Inverted dots, inside the border: seen on any background, high contrast included.
        const int inset = place.border ? place.borderPen : 0;
        const RECT cue{client.left + inset, client.top + inset, client.right - inset, client.bottom - inset};
        dc.SetTextColor(RGB(0, 0, 0));
        dc.SetBkColor(RGB(255, 255, 255));
        dc.DrawFocusRect(&cue);
    }
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
    if (hover)
        Activate();
}

void CHyperLink::Activate()
{
    if (disabled)
        return;
    OpenURL();
    const HWND parent = GetParent();
    const int id = GetDlgCtrlID();
    if ((!openOnClick || (GetStyle() & SS_NOTIFY)) && parent && id != 0)
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CHyperLink::OnGetDlgCode(WPARAM, LPARAM lParam)
{
    // Enter belongs to the link while it has the focus, not to the dialog's default button. Not
    // a static to the dialog: its text is no mnemonic for the next control.
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return DLGC_WANTMESSAGE;
    return 0;
}

LRESULT CHyperLink::OnKeyDown(WPARAM key, LPARAM flags)
{
    if (key != VK_RETURN && key != VK_SPACE)
        return Default();
    // Once per press: a held key repeats without opening the address again.
    if (!(flags & (1L << 30)))
        Activate();
    return 0;
}

LRESULT CHyperLink::OnFocusChange(WPARAM, LPARAM)
{
    Redraw();
    return Default();
}

LRESULT CHyperLink::OnUpdateUIState(WPARAM wParam, LPARAM)
{
    const LRESULT result = Default();
    // The message says what changed; the system's own record (WM_QUERYUISTATE) decides where it
    // keeps one, and for UIS_INITIALIZE. Wine keeps none.
    if (HIWORD(wParam) & UISF_HIDEFOCUS) {
        switch (LOWORD(wParam)) {
        case UIS_SET: focusCueHidden = true; break;
        case UIS_CLEAR: focusCueHidden = false; break;
        default: focusCueHidden = (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) != 0; break;
        }
        Redraw();
    }
    return result;
}

LRESULT CHyperLink::OnThemeChange(WPARAM, LPARAM)
{
    // The colours are read at each paint.
    Redraw();
    return Default();
}

void CHyperLink::OnSettingChange(UINT, LPCSTR)
{
    Redraw();
}

LRESULT CHyperLink::OnActivateMessage(WPARAM, LPARAM)
{
    Activate();
    return 0;
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
