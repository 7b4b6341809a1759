// The main window in this process, from its real template: its system menu, the About item, the
// colours of its statics, and the result each way of ending gives.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/SpindrelDlg.h"
#include "res/resource.h"
#include "tests/common/Process.h"

namespace {

class MainWindow : public CSpindrelDlg {
public:
    std::function<void(MainWindow&)> body; // runs from the loop once the window is up

protected:
    BOOL OnInitDialog() override
    {
        CSpindrelDlg::OnInitDialog();
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP && body) {
            body(*this);
            return 0;
        }
        return CSpindrelDlg::WindowProc(message, wParam, lParam);
    }
};

HWND mainWindow = nullptr;
std::string aboutText;

// Closes the About box once it shows, remembering its version line.
void CALLBACK CloseAbout(HWND, UINT, UINT_PTR id, DWORD)
{
    const HWND about = test_support::FindProcessWindow(::GetCurrentProcessId(), nullptr, "Spindrel",
                                                       [](HWND w) { return w != mainWindow && ::IsWindowVisible(w); });
    if (!about)
        return;
    ::KillTimer(nullptr, id);
    HWND child = ::GetWindow(about, GW_CHILD);
    char text[128] = {};
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::GetWindowTextA(child, text, sizeof text);
        if (std::string(text).rfind("Spindrel Version", 0) == 0)
            aboutText = text;
    }
    ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(MainWindow, SystemMenuEndsWithTheAboutItemWhichOpensTheAboutBox)
{
    MainWindow window;
    std::string last, beforeLast;
    UINT lastId = 0, separator = 1;
    window.body = [&](MainWindow& w) {
        HMENU menu = ::GetSystemMenu(w.m_hWnd, FALSE);
        const int count = ::GetMenuItemCount(menu);
        char text[64] = {};
        ::GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        last = text;
        lastId = ::GetMenuItemID(menu, count - 1);
        separator = ::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR;

        mainWindow = w.m_hWnd;
        aboutText.clear();
        ::SetTimer(nullptr, 0, 50, &CloseAbout);
        w.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0); // returns when the About box has closed
        w.PostMessage(WM_COMMAND, MAKEWPARAM(ID_EXIT, 0));
    };
    EXPECT_EQ(window.DoModal(), 0);
    EXPECT_EQ(last, "&About Spindrel...");
    EXPECT_EQ(lastId, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_NE(separator, 0u);
    EXPECT_EQ(aboutText, "Spindrel Version 5.5.6");
}

TEST(MainWindow, StaticsDrawTransparentlyOnTheDialogBackground)
{
    MainWindow window;
    HBRUSH brush = nullptr;
    int mode = 0;
    window.body = [&](MainWindow& w) {
        HWND label = w.GetDlgItem(IDC_CONNECTION_TYPE_LABEL);
        HDC dc = ::GetDC(label);
        brush = reinterpret_cast<HBRUSH>(w.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(label)));
        mode = ::GetBkMode(dc);
        ::ReleaseDC(label, dc);
        w.PostMessage(WM_COMMAND, MAKEWPARAM(ID_EXIT, 0));
    };
    window.DoModal();
    EXPECT_EQ(brush, ::GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(mode, TRANSPARENT);
}

// Quit ends with IDCANCEL, Exit with 0, the OK command (Enter away from a push button) with 1.
TEST(MainWindow, EachWayOfEndingGivesItsResult)
{
    const std::pair<WPARAM, INT_PTR> cases[] = {
        {MAKEWPARAM(IDC_QUIT, BN_CLICKED), IDCANCEL},
        {MAKEWPARAM(ID_EXIT, 0), 0},
        {MAKEWPARAM(IDOK, BN_CLICKED), IDOK},
    };
    for (const auto& [command, result] : cases) {
        MainWindow window;
        window.body = [command = command](MainWindow& w) { w.PostMessage(WM_COMMAND, command); };
        EXPECT_EQ(window.DoModal(), result);
    }
}

TEST(MainWindow, EnterOnTheToggleSendsTheOkCommand)
{
    MainWindow window;
    window.body = [](MainWindow& w) {
        HWND toggle = w.GetDlgItem(IDC_ACCELERATE);
        ::SetFocus(toggle);
        ::PostMessageA(toggle, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ::PostMessageA(toggle, WM_KEYUP, VK_RETURN, 0xC01C0001);
    };
    EXPECT_EQ(window.DoModal(), IDOK);
}

} // namespace
