// The hyperlink control, the About box and the error dialog under Wine. The link is read back from
// the screen in each of its looks; the shell's open goes through the link's seam, so no browser
// starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "app/Config.h"
#include "app/ErrorMessageDlg.h"
#include "controls/HyperLink.h"
#include "framework/CodePage.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/common/Accessible.h"
#include "tests/common/Process.h"
#include "tests/common/ScopedHook.h"
#include "tests/common/ScreenPixels.h"

namespace {

struct ShellOpen {
    std::string verb, file;
    INT show;
};
std::vector<ShellOpen> opened;

HINSTANCE WINAPI RecordShellOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show)
{
    opened.push_back(ShellOpen{verb ? verb : "", file ? file : "", show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

struct Command {
    UINT id, code;
    LPARAM control;
};
std::vector<Command> commands;

LRESULT CALLBACK LinkParent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        commands.push_back(Command{LOWORD(wParam), HIWORD(wParam), lParam});
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

constexpr COLORREF kBackground = RGB(232, 232, 233);
constexpr int kLinkId = 1026;
const char kLinkText[] = "Click here to download Tarvo";

using namespace test_support;

UINT WINAPI At200Percent(HWND) { return 192; }

// The link text's size in the link's font (of that height).
SIZE LinkTextSize(int height = 14)
{
    return ArialTextSize(kLinkText, height);
}

// The focus cue's dots on the link's top row: the background inverted.
int FocusDots(HWND window)
{
    int w = 0, h = 0;
    const std::vector<COLORREF> pixels = ReadClient(window, w, h);
    return static_cast<int>(std::count(pixels.begin(), pixels.begin() + (h > 0 ? w : 0), RGB(23, 23, 22)));
}

class Link : public ::testing::Test {
protected:
    void SetUp() override
    {
        opened.clear();
        commands.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = &LinkParent;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "LinkParent";
        ::RegisterClassA(&wc);
        // Topmost in a corner, away from the windows of tests that run beside this one: the
        // looks are read back from the screen.
        parent = ::CreateWindowExA(WS_EX_TOPMOST, "LinkParent", "", WS_POPUP | WS_VISIBLE, 0, 660, 320, 80, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        // As in the error dialog's template: smaller than its text, with SS_NOTIFY and an ellipsis.
        staticWindow = ::CreateWindowExA(0, "STATIC", kLinkText,
                                         WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOTIFY | SS_ENDELLIPSIS, 20, 10, 60, 8,
                                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkId)), wc.hInstance,
                                         nullptr);
        ASSERT_NE(staticWindow, nullptr);
    }
    void TearDown() override { ::DestroyWindow(parent); }

    // Attaches the link and lets it paint once.
    void Attach()
    {
        ASSERT_TRUE(link.SubclassWindow(staticWindow));
        link.SetURL(config::clientHomePage);
        link.SetBackgroundColor(kBackground);
        Paint();
    }

    void Paint()
    {
        ::InvalidateRect(staticWindow, nullptr, TRUE);
        ::UpdateWindow(staticWindow);
    }

    SIZE TextSize() const { return LinkTextSize(); }

    SIZE LinkSize() const
    {
        RECT rect;
        ::GetWindowRect(staticWindow, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    struct Look {
        int text = 0;      // pixels of exactly the state's colour above the underline row
        int underline = 0; // pixels of the underline row in that colour
        int foreign = 0;   // pixels of the fixed looks' other colours anywhere
        int background = 0;
    };

    Look Read(COLORREF color, COLORREF background = kBackground)
    {
        int w = 0, h = 0;
        const std::vector<COLORREF> pixels = ReadClient(staticWindow, w, h);
        const int underlineRow = TextSize().cy;
        Look look;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const COLORREF c = pixels[static_cast<std::size_t>(y * w + x)];
                if (c == color)
                    ++(y == underlineRow ? look.underline : look.text);
                else if (c == background)
                    ++look.background;
                else if (c == RGB(0, 0, 255) || c == RGB(255, 0, 0) || c == RGB(200, 0, 225) || c == kBackground)
                    ++look.foreign;
            }
        }
        return look;
    }

    // A look: the state's colour in the text, in the whole underline row under it or nowhere
    // there, and none of the other fixed looks' colours.
    Look Expect(COLORREF color, int underline, COLORREF background = kBackground)
    {
        const Look look = Read(color, background);
        EXPECT_GT(look.text, 0) << std::hex << color;
        EXPECT_EQ(look.underline, underline) << std::hex << color;
        EXPECT_EQ(look.foreign, 0) << std::hex << color;
        return look;
    }

    void ClickAt(int downX, int upX, int upY)
    {
        link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(downX, 2));
        link.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
    }

    ScopedHook<ShellOpenCall> shellOpen{&SetLinkShellOpen, &RecordShellOpen};
    CHyperLink link;
    HWND parent = nullptr;
    HWND staticWindow = nullptr;
};

TEST_F(Link, FitsItsTextAtTheFirstPaint)
{
    Attach();
    const SIZE text = TextSize();
    const SIZE size = LinkSize();
    EXPECT_EQ(size.cx, text.cx + 6);
    EXPECT_EQ(size.cy, text.cy + 3);
    const LONG style = ::GetWindowLongA(staticWindow, GWL_STYLE);
    EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);
    EXPECT_TRUE(style & SS_NOTIFY);
    // The paint that grew the window asked for one more, which brings the whole text, also the
    // part beyond the template's width of 60 pixels.
    ::UpdateWindow(staticWindow);
    int w = 0, h = 0;
    const std::vector<COLORREF> pixels = ReadClient(staticWindow, w, h);
    int beyond = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 60; x < w; ++x)
            beyond += pixels[static_cast<std::size_t>(y * w + x)] == RGB(0, 0, 255);
    EXPECT_GT(beyond, 0);
    // Its place stays where the template put it.
    RECT rect;
    ::GetWindowRect(staticWindow, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 10);
}

TEST_F(Link, ColoursOfTheNormalHoverAndPressedLooks)
{
    Attach();
    const SIZE text = TextSize();
    // Where the real pointer is has no say in the looks read here.
    ::SetCursorPos(0, 0);

    // No visible underline in the normal look: the background fills the underline row too.
    EXPECT_GT(Expect(RGB(0, 0, 255), 0).background, text.cx);

    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Paint();
    Expect(RGB(255, 0, 0), text.cx); // a line under the whole text, its end point not drawn

    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Paint();
    Expect(RGB(200, 0, 225), text.cx);
    ::ReleaseCapture();
}

TEST_F(Link, FollowsItsDialogToAnotherScale)
{
    Attach();
    // The dialog moves to a monitor at 200 %: the font doubles, and the next paint fits the link
    // to its text in it, with margins twice as wide.
    ScopedHook at200(&dpi::SetWindowDpiQuery, &At200Percent);
    link.SendMessage(dpi::kChangedAfterParent);
    Paint();
    LOGFONTA font{};
    ::GetObjectA(link.Font().GetSafeHandle(), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, 28);
    const SIZE text = LinkTextSize(28);
    EXPECT_EQ(LinkSize().cx, text.cx + 12);
    EXPECT_EQ(LinkSize().cy, text.cy + 6);
}

TEST_F(Link, ReleaseOutsideThePressRectangleDoesNothingItsEdgesCount)
{
    Attach();
    const SIZE size = LinkSize();

    ClickAt(2, size.cx + 1, 2); // one pixel beyond the right edge
    ClickAt(2, 2, size.cy + 1); // one pixel below the bottom edge
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(commands.empty());

    ClickAt(2, size.cx, 2);       // the right edge
    ClickAt(2, 2, size.cy);       // the bottom edge
    ClickAt(2, size.cx, size.cy); // the corner
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].verb, "open");
    EXPECT_EQ(opened[0].file, config::clientHomePage);
    EXPECT_EQ(opened[0].show, SW_SHOWDEFAULT);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].id, static_cast<UINT>(kLinkId));
    EXPECT_EQ(commands[0].code, 0u);
    EXPECT_EQ(commands[0].control, reinterpret_cast<LPARAM>(staticWindow));

    // Disabled: the click opens nothing and tells no one.
    ::EnableWindow(staticWindow, FALSE);
    ClickAt(2, 2, 2);
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(commands.size(), 3u);
}

TEST_F(Link, AddressSetBeforeAttachingReachesTheTooltipOnlyWhenSetAgain)
{
    link.SetURL("https://first.example/");
    ASSERT_TRUE(link.SubclassWindow(staticWindow));
    EXPECT_STREQ(link.URL(), "https://first.example/");
    const CToolTipCtrl& tip = link.ToolTip();
    ASSERT_NE(tip.m_hWnd, nullptr);
    EXPECT_EQ(tip.GetToolCount(), 1);

    // The tip's text still comes from the parent, which has none to give.
    CTempWnd owner(parent);
    EXPECT_EQ(tip.GetText(&owner, reinterpret_cast<UINT_PTR>(staticWindow)), "");
    EXPECT_EQ(tip.SendMessage(TTM_GETDELAYTIME, TTDT_INITIAL), 1200);
    EXPECT_EQ(tip.SendMessage(TTM_GETDELAYTIME, TTDT_AUTOPOP), 1600);

    link.SetURL(config::clientHomePage);
    EXPECT_EQ(tip.GetText(&owner, reinterpret_cast<UINT_PTR>(staticWindow)), config::clientHomePage);
    link.SetURL(nullptr);
    EXPECT_EQ(link.URL(), nullptr);
    ClickAt(2, 2, 2);
    EXPECT_TRUE(opened.empty()); // no address, nothing to open; the parent still hears the click
    EXPECT_EQ(commands.size(), 1u);
}

TEST_F(Link, HighContrastTakesTheSystemColoursAndGivesThemBack)
{
    const COLORREF hot = ::GetSysColor(COLOR_HOTLIGHT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    ASSERT_TRUE(hot != RGB(0, 0, 255) && face != kBackground) << "the system colours look like the fixed ones";
    Attach();
    ::SetCursorPos(0, 0);
    const int textWidth = TextSize().cx;
    {
        ScopedHook highContrast(&SetHighContrastQuery, [] { return true; });
        link.SendMessage(WM_SYSCOLORCHANGE);
        ::UpdateWindow(staticWindow);
        EXPECT_GT(Expect(hot, 0, face).background, textWidth);
        link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        ::UpdateWindow(staticWindow);
        Expect(hot, textWidth, face);
    }
    link.SendMessage(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
    ::UpdateWindow(staticWindow);
    Expect(RGB(255, 0, 0), textWidth);
}

TEST_F(Link, AssistiveTechnologySeesALinkWhoseDefaultActionOpensIt)
{
    Attach();
    AccessibleInfo seen = ReadAccessible(staticWindow);
    EXPECT_EQ(seen.role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(code_page::FromWide(seen.name), "Click here to download Tarvo");
    EXPECT_EQ(code_page::FromWide(seen.value), config::clientHomePage);
    EXPECT_EQ(code_page::FromWide(seen.defaultAction), "Jump");
    EXPECT_EQ(seen.state & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED),
              STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED);

    ::SetFocus(staticWindow);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    seen = ReadAccessible(staticWindow, true);
    EXPECT_EQ(seen.state & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED), STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED);
    EXPECT_EQ(seen.defaultActionDone, S_OK);
    // Done from the link's queue, as a click: the address opens and the parent hears of it.
    for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
        ::DispatchMessageA(&msg);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].file, config::clientHomePage);
    EXPECT_EQ(commands.size(), 1u);

    ::EnableWindow(staticWindow, FALSE);
    seen = ReadAccessible(staticWindow, true);
    EXPECT_TRUE(seen.state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(seen.state & STATE_SYSTEM_FOCUSABLE);
    EXPECT_NE(seen.defaultActionDone, S_OK);
}

// ---- The two dialogs, each run modally from its template.

template <class Base>
class Driven : public Base {
public:
    std::vector<std::string> texts;
    std::vector<int> ids;
    HWND hwnd = nullptr;
    bool visible = false;
    std::function<void(Driven&)> act;
    // Further steps, one at each later tick, after act.
    std::deque<std::function<void(Driven&)>> then;
    std::vector<UINT> commands; // the ids of the WM_COMMANDs the dialog received

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = Base::OnInitDialog();
        hwnd = this->m_hWnd;
        for (int id : ids)
            texts.push_back(ItemText(hwnd, id));
        // Acts once the modal loop runs and the dialog shows.
        this->SetTimer(77, 50, nullptr);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_TIMER && wParam == 77) {
            this->KillTimer(77);
            visible = ::IsWindowVisible(this->m_hWnd);
            act(*this);
            if (!then.empty()) {
                act = then.front();
                then.pop_front();
                this->SetTimer(77, 50, nullptr);
            }
            return 0;
        }
        if (msg == WM_COMMAND)
            commands.push_back(LOWORD(wParam));
        return Base::WindowProc(msg, wParam, lParam);
    }
};

TEST(Dialogs, AboutBoxShowsItsTextsAndClosesWithOk)
{
    Driven<CAboutDlg> about;
    about.act = [](Driven<CAboutDlg>& d) {
        for (HWND child = ::GetWindow(d.hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            char text[128] = {};
            ::GetWindowTextA(child, text, sizeof text);
            d.texts.push_back(text);
        }
        HWND ok = ::GetDlgItem(d.hwnd, IDOK);
        // A double click: the first click closes the box.
        ::PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::PostMessageA(ok, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_TRUE(about.visible);
    ASSERT_EQ(about.texts.size(), 4u);
    EXPECT_EQ(about.texts[1], "Spindrel Version 5.5.6");
    EXPECT_FALSE(about.texts[2].empty()); // the maker's notice
    EXPECT_EQ(about.texts[3], "&OK");
    EXPECT_FALSE(::IsWindow(about.hwnd));
}

TEST(Dialogs, ErrorDialogPassesAThemeChangeOnToItsLinkWhichOpensTheHomePageAndClosesWithOk)
{
    opened.clear();
    ScopedHook shellOpen(&SetLinkShellOpen, &RecordShellOpen);
    Driven<CErrorMessageDlg> error;
    error.ids = {IDC_ERROR_MESSAGE, IDC_DOWNLOAD_LINK, IDC_DOWNLOAD_URL};
    SIZE linkSize{};
    std::vector<BOOL> repaints;
    error.act = [&](Driven<CErrorMessageDlg>& d) {
        HWND link = ::GetDlgItem(d.hwnd, IDC_DOWNLOAD_LINK);
        // Only top-level windows hear of a theme change: the dialog passes it on, and the link repaints.
        for (UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE}) {
            ::UpdateWindow(link);
            ::SendMessageA(d.hwnd, message, message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
            repaints.push_back(::GetUpdateRect(link, nullptr, FALSE));
        }
        RECT rect;
        ::GetWindowRect(link, &rect);
        linkSize = SIZE{rect.right - rect.left, rect.bottom - rect.top};
        ::PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        ::PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    };
    EXPECT_EQ(error.DoModal(), IDOK);
    EXPECT_TRUE(error.visible);
    ASSERT_EQ(error.texts.size(), 3u);
    EXPECT_EQ(error.texts[0], "Tarvo is not installed on your PC!\nPlease install it first to use this option.");
    EXPECT_EQ(error.texts[1], kLinkText);
    EXPECT_EQ(error.texts[2], std::string("(") + config::clientHomePage + ")");
    // Fitted to its text at its first paint, whatever the template's size.
    EXPECT_EQ(linkSize.cx, LinkTextSize().cx + 6);
    EXPECT_EQ(linkSize.cy, LinkTextSize().cy + 3);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].file, config::clientHomePage);
    EXPECT_EQ(opened[0].show, SW_SHOWDEFAULT);
    EXPECT_EQ(repaints, (std::vector<BOOL>{TRUE, TRUE}));
}

// Tab from OK reaches the link, which shows its focus cue unless the dialog hides cues; Enter or
// Space on it opens the address and closes the dialog as a click does, without pressing the
// default button too; Escape only closes the dialog.
class ErrorDialogKeys : public ::testing::TestWithParam<WPARAM> {};

TEST_P(ErrorDialogKeys, TabReachesTheLinkThenTheKeyDoesWhatAClickDoes)
{
    const WPARAM key = GetParam();
    opened.clear();
    ScopedHook shellOpen(&SetLinkShellOpen, &RecordShellOpen);
    Driven<CErrorMessageDlg> error;
    HWND linkWindow = nullptr, focusAfterTab = nullptr;
    int focusFirst = 0, dots = 0, hiddenDots = 0;
    error.act = [&](Driven<CErrorMessageDlg>& d) {
        linkWindow = ::GetDlgItem(d.hwnd, IDC_DOWNLOAD_LINK);
        focusFirst = ::GetDlgCtrlID(::GetFocus());
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    };
    error.then = {[&](Driven<CErrorMessageDlg>&) {
        focusAfterTab = ::GetFocus();
        ::UpdateWindow(linkWindow);
        dots = FocusDots(linkWindow);
        // Cues hidden until the keyboard is used, as after a mouse click; then shown again.
        ::SendMessageA(linkWindow, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        ::UpdateWindow(linkWindow);
        hiddenDots = FocusDots(linkWindow);
        ::SendMessageA(linkWindow, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        ::PostMessageA(focusAfterTab, WM_KEYDOWN, key, 1);
    }};
    const INT_PTR result = error.DoModal();
    EXPECT_EQ(focusFirst, IDOK);
    EXPECT_EQ(focusAfterTab, linkWindow);
    EXPECT_GT(dots, 0);
    EXPECT_EQ(hiddenDots, 0);
    if (key == VK_ESCAPE) {
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(opened.empty());
        EXPECT_EQ(error.commands, std::vector<UINT>{IDCANCEL});
    } else {
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].file, config::clientHomePage);
        EXPECT_EQ(error.commands, std::vector<UINT>{IDC_DOWNLOAD_LINK});
    }
}

INSTANTIATE_TEST_SUITE_P(EnterSpaceEscape, ErrorDialogKeys, ::testing::Values(VK_RETURN, VK_SPACE, VK_ESCAPE));

} // namespace
