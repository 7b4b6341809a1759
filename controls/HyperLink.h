#pragma once
// CHyperLink: a static text that paints itself as a link and opens its address when clicked.
//
// It paints through an off-screen buffer: the background, an optional border, optional state
// icons left or right of the text, and each text line with a drawn underline, in the colour of its
// visual state (normal, hover, pressed, disabled). Every paint fits the window to its text. While
// the mouse is over it, it shows the hand cursor and a tooltip with the address; a click opens the
// address with the shell and sends WM_COMMAND (code 0) to the parent.
//
// Its sizes (the font, the margins, the underline) are written for 96 DPI and drawn at the DPI of
// its window, taken when it is attached and again when its dialog moves to another scale.
//
// Without a mouse: with a tab stop it takes the focus, shows the focus cue (unless its dialog hides
// cues until the keyboard is used), and Enter or Space on it does what a click does. Assistive
// technology sees a link with its address as value and "Jump" as default action. In a
// high-contrast theme it draws in the system's colours.

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "controls/core/LinkLayout.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"

// Replaces ShellExecuteA for the links' openings and returns the previous call; null brings the
// shell's back. Tests open no browser through it.
using ShellOpenCall = decltype(&::ShellExecuteA);
ShellOpenCall SetLinkShellOpen(ShellOpenCall call);

// Replaces the question "is a high-contrast theme on?" (SPI_GETHIGHCONTRAST) and returns the
// previous one; null brings the system's back. Tests switch the theme through it.
using HighContrastQuery = bool (*)();
HighContrastQuery SetHighContrastQuery(HighContrastQuery query);

class CHyperLink : public CStatic {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    using State = link_layout::State;

    CHyperLink();
    ~CHyperLink() override;

    // The address opened on a click, and the tooltip's text once the link is attached.
    void SetURL(LPCSTR address);
    void SetBackgroundColor(COLORREF color);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(LPDRAWITEMSTRUCT) override {}

    // Opens the address with the shell, when there is one and clicks open it.
    void OpenURL();
    // What a click does: opens the address and tells the parent. Nothing while disabled.
    void Activate();

    LPCSTR URL() const { return url.get(); }
    const CToolTipCtrl& ToolTip() const { return toolTip; }
    const CFont& Font() const { return linkFont; }
    State VisualState() const;
    // The text as painted.
    std::wstring DisplayText() const;
    bool Hovered() const { return hover; }

    // Posted to the link to activate it later: assistive technology's default action.
    static constexpr UINT kActivateMessage = WM_APP + 0x2A;

protected:
    void PreSubclassWindow() override;

    void OnPaint();
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseLeave();
    void OnTimer(UINT_PTR id);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnCaptureChanged(CWnd* window);
    void OnDpiChangedAfterParent();
    LRESULT OnGetDlgCode(WPARAM, LPARAM msg);
    LRESULT OnKeyDown(WPARAM key, LPARAM flags);
    LRESULT OnFocusChange(WPARAM, LPARAM);
    LRESULT OnUpdateUIState(WPARAM, LPARAM);
    // A theme or colour change: a high-contrast theme switched on or off, or its colours.
    LRESULT OnThemeChange(WPARAM, LPARAM);
    void OnSettingChange(UINT, LPCSTR);
    LRESULT OnGetObject(WPARAM, LPARAM);
    LRESULT OnActivateMessage(WPARAM, LPARAM);

    // The paint's three steps: where things go, the window fitted to them, and the drawing.
    link_layout::Options LayoutOptions() const;
    link_layout::Palette CurrentPalette() const;
    void FitWindow(link_layout::Extent size);
    void Draw(CDC& dc, const RECT& client, const std::wstring& paintText, const link_layout::TextLayout& layout,
              const link_layout::Placement& place, const link_layout::Palette& palette, const CBrush& background);
    // The focus cue shows: the link has the focus and its dialog does not hide cues.
    bool ShowsFocusCue() const;

    void CreateLinkFont();
    // Takes the DPI the link is drawn at: the font follows, the layout at the next paint.
    void ApplyDpi(UINT value);
    // A length written for 96 DPI, at the link's DPI.
    int Px(int pixels) const { return dpi::Scale(pixels, windowDpi); }

    // The hand cursor in place of the current one (not while disabled).
    void ShowHandCursor();
    void Redraw() { Invalidate(TRUE); }
    // The cursor is over the link's client area, on the link itself or on its tooltip.
    bool CursorOverLink() const;
    // The nibble of iconFlags that belongs to the current visual state.
    UINT StateFlags() const;
    HICON StateIcon() const;
    SIZE LargestIconSize() const;

    std::unique_ptr<char[]> text;
    std::unique_ptr<char[]> url;
    bool underlineAlways = false;
    bool openOnClick = true;
    bool reserveIconSpace = false;
    bool multiLine = false;
    CFont linkFont;
    COLORREF normalColor = RGB(0, 0, 255);
    COLORREF hoverColor = RGB(255, 0, 0);
    COLORREF pressedColor = RGB(200, 0, 225);
    COLORREF backgroundColor;
    COLORREF borderColor = RGB(0, 0, 0);
    int borderWidth = 0;
    int borderStyle = PS_SOLID;
    HCURSOR previousCursor = nullptr;
    HCURSOR handCursor = nullptr; // the system's shared cursor: never destroyed
    UniqueIcon normalIcon;
    UniqueIcon hoverIcon;
    UniqueIcon pressedIcon;
    UniqueIcon disabledIcon;
    UINT iconFlags = link_layout::kDefaultIconFlags;
    CToolTipCtrl toolTip;
    bool disabled = false;
    bool hover = false;
    bool pressed = false;
    bool resizing = false;
    bool focusCueHidden = false; // the dialog hides focus cues until the keyboard is used
    RECT pressRect{0, 0, 0, 0};
    UINT windowDpi = dpi::kDefault;
};
