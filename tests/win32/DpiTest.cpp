// The windows at the display scales users run: 100, 125, 150 and 200 % (96, 120, 144, 192 DPI).
// Wine takes the scale from the prefix's registry (HKCU\Control Panel\Desktop, "LogPixels") when a
// process starts, so each scale above 100 % runs the AtThisScale tests in a child process of this
// test, and the value is taken away afterwards. Every Wine program started meanwhile would see the
// scale too: CTest runs this test alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "app/ErrorMessageDlg.h"
#include "app/SpindrelDlg.h"
#include "controls/SystemTray.h"
#include "res/resource.h"
#include "tests/common/IconSize.h"
#include "tests/common/Platform.h"
#include "tests/common/Process.h"
#include "tests/common/ScopedHook.h"
#include "tests/common/ScreenPixels.h"

namespace {

using test_support::IconWidth;

const char kScaleVariable[] = "SPINDREL_TEST_DPI";
const char kLinkText[] = "Click here to download Tarvo";

// The scale a child process was started for; 0 in the test's own process.
UINT ExpectedScale()
{
    const char* value = std::getenv(kScaleVariable);
    return value ? static_cast<UINT>(std::atoi(value)) : 0;
}

UINT CheckedScale()
{
    const UINT scale = dpi::ForScreen();
    if (const UINT expected = ExpectedScale()) {
        EXPECT_EQ(scale, expected) << "the prefix's LogPixels did not reach this process";
    }
    return scale;
}

// Every text of the window's statics and buttons shows whole in its control, laid out in the
// control's font as the control lays it out; and every control lies inside the window.
void ExpectLaidOutWhole(HWND dialog)
{
    RECT client;
    ::GetClientRect(dialog, &client);
    ::MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    int checked = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char text[256] = {};
        ::GetWindowTextA(child, text, sizeof text);
        SCOPED_TRACE(text);
        RECT rect;
        ::GetWindowRect(child, &rect);
        EXPECT_TRUE(rect.left >= client.left && rect.top >= client.top && rect.right <= client.right &&
                    rect.bottom <= client.bottom)
            << "control " << ::GetDlgCtrlID(child) << " reaches beyond the window";

        char className[32] = {};
        ::GetClassNameA(child, className, sizeof className);
        const std::string cls = className;
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        UINT format = DT_CALCRECT | DT_EXPANDTABS;
        if (cls == "Static") {
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)
                continue; // icons, and the link, which sizes itself
            format |= (style & SS_CENTERIMAGE) ? DT_SINGLELINE : DT_WORDBREAK;
        } else if (cls == "Button") {
            if ((style & BS_TYPEMASK) == BS_GROUPBOX)
                continue;
            format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        } else {
            continue;
        }
        if (!text[0])
            continue;
        RECT inside;
        ::GetClientRect(child, &inside);
        RECT needed = inside;
        HDC dc = ::GetDC(child);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(child, WM_GETFONT, 0, 0)));
        ::DrawTextA(dc, text, -1, &needed, format);
        ::SelectObject(dc, old);
        ::ReleaseDC(child, dc);
        EXPECT_LE(needed.right - needed.left, inside.right) << "clipped at the right";
        EXPECT_LE(needed.bottom - needed.top, inside.bottom) << "clipped at the bottom";
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

std::vector<int> addedIconWidths; // of each icon handed to the shell, as it is handed
BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    if (message == NIM_ADD)
        addedIconWidths.push_back(IconWidth(data->hIcon));
    return TRUE;
}

// The main window with the status texts of a first refresh, checked and closed before it shows.
class CheckedMainWindow : public CSpindrelDlg {
protected:
    BOOL OnInitDialog() override
    {
        CSpindrelDlg::OnInitDialog();
        KillTimer(TIMER_STATUS_REFRESH);
        KillTimer(TIMER_ACCELERATED_CLOCK);
        RefreshStatus();
        ExpectLaidOutWhole(m_hWnd);
        EXPECT_EQ(quitButton.ToolTip().SendMessage(TTM_GETMAXTIPWIDTH), dpi::Scale(400, dpi::ForScreen()));
        EndDialog(0);
        DestroyWindow();
        return TRUE;
    }
};

TEST(AtThisScale, MainWindowShowsEveryTextWholeAndItsTrayIconIsDrawnForTheScale)
{
    CheckedScale();
    addedIconWidths.clear();
    {
        test_support::ScopedHook hook(&SetNotifyIconCall, &RecordNotifyIcon);
        CheckedMainWindow window;
        window.DoModal();
    }
    EXPECT_EQ(addedIconWidths, std::vector<int>{::GetSystemMetrics(SM_CXSMICON)});
}

// The link's text in Arial of that many pixels.
SIZE LinkTextExtent(int height)
{
    return test_support::ArialTextSize(kLinkText, height);
}

template <class Base>
class Checked : public Base {
public:
    SIZE linkSize{};
    LONG linkFontHeight = 0;

protected:
    BOOL OnInitDialog() override
    {
        Base::OnInitDialog();
        if (HWND linkWindow = ::GetDlgItem(this->m_hWnd, IDC_DOWNLOAD_LINK)) {
            // The link fits itself to its text at its first paint.
            ::SendMessageA(linkWindow, WM_PAINT, 0, 0);
            RECT rect;
            ::GetWindowRect(linkWindow, &rect);
            linkSize = SIZE{rect.right - rect.left, rect.bottom - rect.top};
            LOGFONTA font{};
            ::GetObjectA(static_cast<CHyperLink*>(CWnd::FromHandlePermanent(linkWindow))->Font().GetSafeHandle(),
                         sizeof font, &font);
            linkFontHeight = font.lfHeight;
        }
        ExpectLaidOutWhole(this->m_hWnd);
        this->EndDialog(0);
        this->DestroyWindow();
        return TRUE;
    }
};

TEST(AtThisScale, AboutBoxAndErrorDialogShowEveryTextWhole)
{
    const UINT scale = CheckedScale();
    {
        Checked<CAboutDlg> about;
        about.DoModal();
    }
    Checked<CErrorMessageDlg> error;
    error.DoModal();

    // The link: Arial of 14 pixels at 96 DPI, as wide as its text and two margins of 3 pixels at
    // 96 DPI, as high as its text and one such margin.
    EXPECT_EQ(error.linkFontHeight, dpi::Scale(14, scale));
    const SIZE text = LinkTextExtent(dpi::Scale(14, scale));
    EXPECT_EQ(error.linkSize.cx, text.cx + 2 * dpi::Scale(3, scale));
    EXPECT_EQ(error.linkSize.cy, text.cy + dpi::Scale(3, scale));
    if (scale == 192) {
        // Twice the link of 96 DPI: the font, and the height within a pixel. The width is twice in
        // its margins; its text is a few pixels wider than twice the text of 96 DPI, as glyph
        // widths are rounded to whole pixels at each size.
        const SIZE text96 = LinkTextExtent(14);
        EXPECT_EQ(error.linkFontHeight, 2 * 14);
        EXPECT_NEAR(error.linkSize.cy, 2 * (text96.cy + 3), 1);
        EXPECT_GE(error.linkSize.cx, 2 * (text96.cx + 6) - 1);
    }
}

// Sets the scale of the Wine processes started from now on; 0 takes the value away, which is
// 100 % (as every run of the tests begins).
void SetPrefixScale(DWORD scale)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    if (scale)
        ::RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&scale), sizeof scale);
    else
        ::RegDeleteValueA(key, "LogPixels");
    ::RegCloseKey(key);
}

TEST(Scales, EachScaleAbove100PercentInAProcessOfItsOwn)
{
    if (ExpectedScale())
        GTEST_SKIP() << "a child process of this test";
    SPINDREL_ONLY_UNDER_WINE("the scale is the prefix's LogPixels, which Windows takes only at the next logon");
    char exe[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, exe, sizeof exe), 0u);
    struct Back {
        ~Back() { SetPrefixScale(0); }
    } back;
    for (DWORD scale : {120u, 144u, 192u}) {
        SCOPED_TRACE(scale);
        SetPrefixScale(scale);
        ::SetEnvironmentVariableA(kScaleVariable, std::to_string(scale).c_str());
        const DWORD code = test_support::RunToEnd(exe, "--gtest_filter=AtThisScale.*", 60000, 0, true);
        ::SetEnvironmentVariableA(kScaleVariable, nullptr);
        EXPECT_EQ(code, 0u) << "the checks at this scale failed (their output is above)";
    }
}

} // namespace
