// The tooltip button and the buffered paint context under Wine: a double click that counts as two
// clicks, the one tool of the tooltip, and a buffered paint that reaches the screen exactly as a
// direct one does. Then text beyond ASCII in the self-drawn controls, which this file also checks
// in a process whose code page is UTF-8 (win32_controls_utf8).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "controls/BufferDC.h"
#include "controls/ButtonST.h"
#include "controls/HyperLink.h"
#include "framework/CodePage.h"
#include "framework/WinApp.h"
#include "tests/common/ScopedHook.h"
#include "tests/common/ScreenPixels.h"

namespace {

// ---- Tooltip button

std::vector<UINT> notifications;

LRESULT CALLBACK RecordingParent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        notifications.push_back(HIWORD(wParam));
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

UINT WINAPI At200Percent(HWND) { return 192; }

class ButtonHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &RecordingParent;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ButtonHostParent";
        ::RegisterClassA(&wc);
        parent = ::CreateWindowExA(0, "ButtonHostParent", "", WS_POPUP | WS_VISIBLE, 20, 20, 200, 80, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        // BS_NOTIFY: a plain button reports a double click as BN_DOUBLECLICKED.
        button = ::CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_NOTIFY, 10, 10, 100,
                                   30, parent, reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
        ASSERT_NE(button, nullptr);
        notifications.clear();
    }
    void TearDown() override { ::DestroyWindow(parent); }

    // A click and then a double click, as the system queues them, through a loop that gives each
    // message to the button's PreTranslateMessage first, as the dialogs' loop does.
    void DoubleClick()
    {
        const LPARAM at = MAKELPARAM(20, 15);
        ::PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(button, WM_LBUTTONUP, 0, at);
        ::PostMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageA(button, WM_LBUTTONUP, 0, at);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            CWnd* window = CWnd::FromHandlePermanent(msg.hwnd);
            if (window && window->PreTranslateMessage(&msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    int Count(UINT code) const
    {
        int n = 0;
        for (UINT c : notifications)
            n += c == code;
        return n;
    }

    HWND parent = nullptr;
    HWND button = nullptr;
};

TEST_F(ButtonHost, PlainButtonReportsTheDoubleClick)
{
    DoubleClick();
    EXPECT_EQ(Count(BN_CLICKED), 1);
    EXPECT_EQ(Count(BN_DOUBLECLICKED), 1);
}

TEST_F(ButtonHost, DoubleClickIsTwoClicks)
{
    CButtonST st;
    ASSERT_TRUE(st.SubclassWindow(button));
    DoubleClick();
    EXPECT_EQ(Count(BN_CLICKED), 2);
    EXPECT_EQ(Count(BN_DOUBLECLICKED), 0);
    // The messages made the tooltip, inactive and without a tool.
    ASSERT_NE(st.ToolTip().m_hWnd, nullptr);
    EXPECT_EQ(st.ToolTip().GetToolCount(), 0);
}

TEST_F(ButtonHost, TooltipHoldsOneToolWithTheLatestText)
{
    CButtonST st;
    ASSERT_TRUE(st.SubclassWindow(button));
    st.SetTooltipText(nullptr, TRUE);
    EXPECT_EQ(st.ToolTip().m_hWnd, nullptr);

    st.SetTooltipText("Run Tarvo", TRUE);
    st.SetTooltipText("Accelerate Tarvo", FALSE);
    const CToolTipCtrl& tip = st.ToolTip();
    ASSERT_NE(tip.m_hWnd, nullptr);
    EXPECT_EQ(tip.GetToolCount(), 1);
    EXPECT_EQ(tip.GetText(&st, 1), "Accelerate Tarvo");
    EXPECT_EQ(tip.SendMessage(TTM_GETMAXTIPWIDTH), 400);
    EXPECT_EQ(tip.GetStyle() & 0xFFu, 0u); // no TTS_ bits: plain rectangular tips

    // The tool covers the button's client rectangle as it was at the first call.
    TOOLINFOW info = CToolTipCtrl::MakeToolInfo(button, 1, 0);
    ASSERT_TRUE(tip.SendMessage(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.rect.right - info.rect.left, 100);
    EXPECT_EQ(info.rect.bottom - info.rect.top, 30);

    // Its dialog moves to a monitor at 200 % and lays the button out anew: the tool follows the
    // button, and tips wrap at twice the width.
    ::MoveWindow(button, 10, 10, 200, 60, FALSE);
    test_support::ScopedHook at200(&dpi::SetWindowDpiQuery, &At200Percent);
    st.SendMessage(dpi::kChangedAfterParent);
    EXPECT_EQ(tip.SendMessage(TTM_GETMAXTIPWIDTH), 800);
    ASSERT_TRUE(tip.SendMessage(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.rect.right - info.rect.left, 200);
    EXPECT_EQ(info.rect.bottom - info.rect.top, 60);
}

// ---- Buffered paint context

// A window whose WM_PAINT runs the test's drawing through either kind of context.
class PaintWnd : public CWnd {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    std::function<void(CPaintDC&)> paint;
    bool buffered = false;

    void OnPaint()
    {
        if (buffered) {
            CBufferDC dc(this);
            paint(dc);
        } else {
            CPaintDC dc(this);
            paint(dc);
        }
    }

    // The client area as it shows after a paint.
    std::vector<COLORREF> PaintAndRead(bool buffer)
    {
        buffered = buffer;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        ::UpdateWindow(m_hWnd);
        int w = 0, h = 0;
        return test_support::ReadClient(m_hWnd, w, h);
    }
};

const MessageMap PaintWnd::messageMap{&CWnd::messageMap, {
    OnMessage<WM_PAINT>(&PaintWnd::OnPaint),
}};

// Background, shapes and text, with objects selected and put back the way the link paints.
void DrawScene(CPaintDC& dc, int phase)
{
    RECT all{0, 0, 120, 70};
    CBrush background(RGB(232, 232, 233));
    CBrush fill(RGB(0, 128, 0));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    switch (phase) {
    case 0:
        dc.FillRect(&all, background);
        dc.SelectObject(&fill);
        dc.SelectObject(&pen);
        ::Ellipse(dc, 5, 5, 60, 50);
        break;
    case 1:
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 255));
        dc.TextOut(30, 30, L"Spindrel", 8);
        dc.SelectObject(&pen);
        dc.MoveTo(0, 65);
        dc.LineTo(119, 65);
        break;
    default:
        dc.SelectObject(&fill);
        dc.Rectangle(90, 5, 115, 25);
        break;
    }
    dc.SelectStockObject(BLACK_PEN);
    dc.SelectStockObject(WHITE_BRUSH);
}

TEST(BufferDC, PaintsPixelForPixelLikeADirectPaint)
{
    PaintWnd window;
    // Topmost in a corner, away from the windows of tests that run beside this one.
    ASSERT_TRUE(window.CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 900, 660, 120, 70,
                                nullptr, nullptr));
    // Drawing; a buffer made larger (or re-made at its size: one side shrinks) between a saved
    // state and its restoring; drawing after the restore lands in the buffer too.
    const RECT growing{0, 0, 140, 90};
    const RECT mixed{0, 0, 160, 40};
    for (const RECT* bounds : {static_cast<const RECT*>(nullptr), &growing, &mixed}) {
        SCOPED_TRACE(bounds ? bounds->right : 0);
        RECT seenBuffer{};
        window.paint = [&](CPaintDC& dc) {
            const int saved = dc.SaveDC();
            DrawScene(dc, 0);
            if (auto* buffer = dynamic_cast<CBufferDC*>(&dc)) {
                if (bounds)
                    buffer->SetBoundsRect(bounds, DCB_DISABLE);
                seenBuffer = buffer->BufferRect();
            }
            DrawScene(dc, 1);
            dc.RestoreDC(saved);
            DrawScene(dc, 2);
        };
        const std::vector<COLORREF> direct = window.PaintAndRead(false);
        // Something to overwrite: the buffered paint must bring all of it.
        {
            CClientDC scratch(&window);
            RECT all{0, 0, 120, 70};
            CBrush black(RGB(0, 0, 0));
            scratch.FillRect(&all, black);
        }
        const std::vector<COLORREF> buffered = window.PaintAndRead(true);
        ASSERT_EQ(direct.size(), buffered.size());
        EXPECT_TRUE(direct == buffered);
        EXPECT_NE(direct[0], direct[120 * 30 + 30]) << "the scene should not be blank";
        const RECT expected = bounds == &growing ? growing : RECT{0, 0, 120, 70};
        EXPECT_EQ(seenBuffer.right, expected.right);
        EXPECT_EQ(seenBuffer.bottom, expected.bottom);
    }
    window.DestroyWindow();
}

// ---- Text beyond ASCII, 8-bit in the process's code page

TEST(TextDrawing, LinkAndTooltipButtonShowNonAsciiTextAsTheWideCallsDrawIt)
{
#ifdef SPINDREL_TEST_UTF8
    ASSERT_EQ(::GetACP(), 65001u) << "the test's manifest did not make the process's code page UTF-8";
    // Cyrillic, CJK and Turkish letters; a Western code page holds accented letters.
    const std::wstring wide = L"\u0414\u043c\u0438\u0442\u0440\u0438\u0439 \u738b\u82b3 Ay\u015fe";
#else
    const std::wstring wide = L"Zo\u00eb M\u00fcller";
#endif
    const std::string text = code_page::FromWide(wide);
    ASSERT_TRUE(code_page::ToWide(text) == wide) << "the process's code page does not hold the text";
    // Topmost in a corner, away from the windows of tests that run beside this one.
    HWND parent = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 700, 600, 300, 60, nullptr,
                                    nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND linkWindow = ::CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 10, 40, 8,
                                        parent, reinterpret_cast<HMENU>(1026), nullptr, nullptr);
    HWND buttonWindow = ::CreateWindowExA(0, "BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 30,
                                          200, 24, parent, reinterpret_cast<HMENU>(1), nullptr, nullptr);
    // The link: fitted to the text's width as the wide call measures it, and drawn pixel for
    // pixel as the wide call draws it (at its text position, in its normal colour).
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(linkWindow));
    const COLORREF background = RGB(232, 232, 233);
    link.SetBackgroundColor(background);
    link.SetURL(text.c_str());
    ::UpdateWindow(linkWindow);
    ::UpdateWindow(linkWindow);
    int w = 0, h = 0;
    const std::vector<COLORREF> drawn = test_support::ReadClient(linkWindow, w, h);
    SIZE extent{};
    {
        CClientDC dc(&link);
        const RECT all{0, 0, w, h};
        dc.FillSolidRect(&all, background);
        CSelectedObject font(dc, link.Font());
        ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 255));
        ::TextOutW(dc, 1, 0, wide.c_str(), static_cast<int>(wide.size()));
    }
    EXPECT_EQ(w, extent.cx + 6);
    EXPECT_TRUE(test_support::ReadClient(linkWindow, w, h) == drawn);

    // The tips: the link's address and the button's tip text, as the tooltips hold and draw them.
    CTempWnd owner(parent);
    EXPECT_TRUE(link.ToolTip().GetTextW(&owner, reinterpret_cast<UINT_PTR>(linkWindow)) == wide);
    CButtonST button;
    ASSERT_TRUE(button.SubclassWindow(buttonWindow));
    button.SetTooltipText(text.c_str());
    EXPECT_TRUE(button.ToolTip().GetTextW(&button, 1) == wide);
    ::DestroyWindow(parent);
}

} // namespace
