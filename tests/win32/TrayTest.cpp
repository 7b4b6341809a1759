// The notification-area icon under Wine: what it hands the shell (watched through the call seam),
// the shell's restart and settings broadcasts, the mouse events on the icon, the window moved into
// the tray and back, and the main window's own icon and tooltips.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/SpindrelDlg.h"
#include "controls/SystemTray.h"
#include "res/resource.h"
#include "tests/common/IconSize.h"
#include "tests/common/ScopedHook.h"

namespace {

struct NotifyCall {
    DWORD message;
    NOTIFYICONDATAA data;
};

std::vector<NotifyCall> calls;
BOOL shellAnswer = TRUE;

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    NotifyCall call{message, {}};
    call.data = *data;
    calls.push_back(call);
    return shellAnswer;
}

std::vector<std::pair<HWND, UINT>> allowed; // let through the message filter

BOOL WINAPI RecordFilter(HWND window, UINT message, DWORD action, tagCHANGEFILTERSTRUCT*)
{
    if (action == 1 /* MSGFLT_ALLOW */)
        allowed.emplace_back(window, message);
    return TRUE;
}

std::vector<std::pair<DWORD, NOTIFYICONDATAW>> wideCalls;
BOOL WINAPI RecordNotifyIconWide(DWORD message, PNOTIFYICONDATAW data)
{
    wideCalls.push_back({message, *data});
    return shellAnswer;
}

UINT WINAPI At200Percent(HWND) { return 192; }
UINT WINAPI At125Percent(HWND) { return 120; }

using test_support::IconWidth;
using test_support::ScopedHook;

class Tray : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        shellAnswer = TRUE;
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    }

    ScopedHook<NotifyIconCall> shell{&SetNotifyIconCall, &RecordNotifyIcon};
    CWnd parent;
};

TEST_F(Tray, AddedAtCreationWithItsRecordAndDeletedWithTheObject)
{
    HICON icon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    HWND own = nullptr;
    {
        CSystemTray tray;
        allowed.clear();
        ScopedHook<MessageFilterCall> filter{&SetMessageFilterCall, &RecordFilter};
        EXPECT_TRUE(tray.CreateTrayIcon(&parent, 0x800A, "Spindrel", icon, 129, FALSE));
        own = tray.m_hWnd;
        ASSERT_NE(own, nullptr);
        // A copy with administrator rights hears the shell: its restart and the icon's callback.
        EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{{own, CSystemTray::taskbarCreatedMessage},
                                                                 {parent.m_hWnd, 0x800Au}}));
        EXPECT_FALSE(::IsWindowVisible(own));
        EXPECT_EQ(::GetParent(own), nullptr);

        ASSERT_EQ(calls.size(), 1u);
        const NOTIFYICONDATAA& d = calls[0].data;
        EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(d.cbSize, CSystemTray::kIconDataSize);
        EXPECT_EQ(d.hWnd, parent.m_hWnd); // the callback goes to the parent, not to the own window
        EXPECT_EQ(d.uID, 129u);
        EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(d.uCallbackMessage, 0x800Au);
        EXPECT_EQ(d.hIcon, icon);
        EXPECT_STREQ(d.szTip, "Spindrel");
        EXPECT_FALSE(tray.IsHidden());
        EXPECT_FALSE(tray.IsRemoved());
    }
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[1].data.uID, 129u);
    EXPECT_EQ(calls[1].data.hWnd, parent.m_hWnd);
    EXPECT_FALSE(::IsWindow(own));
}

TEST_F(Tray, ShellRestartAddsTheIconAgainButOtherSettingsChangeNothing)
{
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon(&parent, 0x800A, "Spindrel", nullptr, 129, FALSE));
    ASSERT_NE(CSystemTray::taskbarCreatedMessage, 0u);

    // The shell's broadcast to every top-level window reaches the own window.
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(HWND_BROADCAST, CSystemTray::taskbarCreatedMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[1].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));

    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    tray.SendMessage(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("intl"));
    EXPECT_EQ(calls.size(), 2u);

    tray.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_MODIFY)); // the shell refuses a second add
}

TEST_F(Tray, WideTooltipGoesToTheShellOnlyWhenItChangesAndAfterTheShellRestarts)
{
    wideCalls.clear();
    ScopedHook<NotifyIconWideCall> wideShell{&SetNotifyIconWideCall, &RecordNotifyIconWide};
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon(&parent, 0x800A, "Spindrel", nullptr, 129, FALSE));
    const wchar_t* tip = L"Spindrel\n\x2193 1.20 MB/s  \x2191 35.0 KB/s";
    EXPECT_TRUE(tray.SetTooltipText(tip) && tray.SetTooltipText(tip));
    tray.SendMessage(CSystemTray::taskbarCreatedMessage, 0, 0); // re-added with the record's own tooltip
    ASSERT_EQ(wideCalls.size(), 2u);
    for (const auto& [message, data] : wideCalls) {
        EXPECT_EQ(message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_TIP));
        EXPECT_TRUE(data.uID == 129u && data.hWnd == parent.m_hWnd);
        EXPECT_STREQ(data.szTip, tip);
    }
}

TEST_F(Tray, HiddenAndRefusedIconsAreNeverAddedNorDeleted)
{
    {
        CSystemTray hiddenTray;
        EXPECT_TRUE(hiddenTray.CreateTrayIcon(&parent, 0x800A, "tip", nullptr, 7, TRUE));
        hiddenTray.SendMessage(CSystemTray::taskbarCreatedMessage, 0, 0);
        hiddenTray.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    }
    EXPECT_TRUE(calls.empty());

    shellAnswer = FALSE;
    {
        CSystemTray refused;
        EXPECT_FALSE(refused.CreateTrayIcon(&parent, 0x800A, "tip", nullptr, 7, FALSE));
        EXPECT_FALSE(refused.IsHidden()); // an icon to show all the same, added at the shell's next notice
        EXPECT_TRUE(refused.IsRemoved());
        EXPECT_TRUE(refused.IsAddPending());
    }
    EXPECT_EQ(calls.size(), 1u); // the refused add, and no delete of an icon that is not there
}

TEST_F(Tray, TipIsCutTo127BytesAndDoubleByteCharactersStayWhole)
{
    const std::string longTip(200, 'x');
    CSystemTray tray;
    tray.CreateTrayIcon(&parent, 0x800A, longTip.c_str(), nullptr, 129, FALSE);
    EXPECT_EQ(std::string(tray.IconData().szTip), longTip.substr(0, 127));
    EXPECT_EQ(tray.IconData().szTip[127], '\0');

    char buffer[4];
    CopyTrayText(buffer, sizeof buffer, nullptr);
    EXPECT_STREQ(buffer, "");
    CopyTrayText(buffer, sizeof buffer, "abcdef");
    EXPECT_STREQ(buffer, "abc");
}

TEST_F(Tray, IconIsTheImageForTheScaleAndFollowsItsChanges)
{
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon(&parent, 0x800A, "Spindrel", nullptr, 129, FALSE, IDR_MAINFRAME));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(IconWidth(calls[0].data.hIcon), ::GetSystemMetrics(SM_CXSMICON));

    // The notification area goes to 200 %: the image drawn for it replaces the icon in place.
    ScopedHook at200(&dpi::SetWindowDpiQuery, &At200Percent);
    tray.SendMessage(dpi::kChanged, MAKEWPARAM(192, 192), 0);
    tray.SendMessage(dpi::kChanged, MAKEWPARAM(192, 192), 0); // the same scale again: nothing
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[1].data.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(IconWidth(calls[1].data.hIcon), dpi::SystemMetric(SM_CXSMICON, 192));

    // The shell comes back at 125 %: the icon is added again with the image for that scale.
    ScopedHook at125(&dpi::SetWindowDpiQuery, &At125Percent);
    tray.SendMessage(CSystemTray::taskbarCreatedMessage, 0, 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[2].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(IconWidth(calls[2].data.hIcon), dpi::SystemMetric(SM_CXSMICON, 120));
}

// While the tray's menu is open: notes where it is and how many items it has, then chooses its
// last item with the keyboard.
RECT menuRect;
int menuItems = 0;
void CALLBACK ChooseLastMenuItem(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND menuWindow = ::FindWindowA("#32768", nullptr);
    if (!menuWindow || !::IsWindowVisible(menuWindow))
        return;
    ::KillTimer(nullptr, id);
    ::GetWindowRect(menuWindow, &menuRect);
    HMENU shown = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    menuItems = shown ? ::GetMenuItemCount(shown) : -1;
    ::PostMessageA(menuWindow, WM_KEYDOWN, VK_UP, 0);
    ::PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

// A window for AfxGetMainWnd: the command window of the tray's menu and double click.
class MainWindowApp : public CWinApp {};

TEST_F(Tray, MouseEventsOnTheIcon)
{
    MainWindowApp app;
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = &main;
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon(&main, 0x800A, "Spindrel", nullptr, IDR_SETTINGS_MENU, FALSE));
    MSG msg;
    while (::PeekMessageA(&msg, main.m_hWnd, 0, 0, PM_REMOVE)) {}

    EXPECT_EQ(tray.HandleTrayMessage(IDR_SETTINGS_MENU + 1, WM_RBUTTONUP), 0);
    for (LPARAM ignored : {WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE})
        EXPECT_EQ(tray.HandleTrayMessage(IDR_SETTINGS_MENU, ignored), 1);
    EXPECT_FALSE(::PeekMessageA(&msg, main.m_hWnd, 0, 0, PM_NOREMOVE));

    // A double click posts the default command, 0.
    EXPECT_EQ(tray.HandleTrayMessage(IDR_SETTINGS_MENU, WM_LBUTTONDBLCLK), 1);
    ASSERT_TRUE(::PeekMessageA(&msg, main.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);

    // A right-button release opens the Settings menu at the cursor; Up and Enter choose its last
    // item, "&Exit", whose command reaches the main window.
    ::SetCursorPos(300, 200);
    menuRect = RECT{};
    menuItems = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &ChooseLastMenuItem);
    EXPECT_EQ(tray.HandleTrayMessage(IDR_SETTINGS_MENU, WM_RBUTTONUP), 1);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(menuItems, 13);
    EXPECT_NEAR(menuRect.left, 300, 2);
    EXPECT_NEAR(menuRect.top, 200, 2);
    bool exitChosen = false, nullPosted = false;
    while (::PeekMessageA(&msg, main.m_hWnd, 0, 0, PM_REMOVE)) {
        exitChosen |= msg.message == WM_COMMAND && LOWORD(msg.wParam) == ID_EXIT;
        nullPosted |= msg.message == WM_NULL;
    }
    EXPECT_TRUE(exitChosen);
    EXPECT_TRUE(nullPosted);
    app.m_pMainWnd = nullptr;
}

TEST(TrayWindow, HiddenInTheTrayWithoutTaskbarButtonAndBroughtBack)
{
    RECT area, rect, common; // partly off the work area, as if hidden at a larger screen size
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    CWnd window;
    ASSERT_TRUE(window.CreateEx(WS_EX_APPWINDOW, AfxRegisterWndClass(0), "w", WS_POPUP | WS_VISIBLE, area.right - 40,
                                area.bottom - 30, 100, 60, nullptr, nullptr));
    // Wine waits for a window manager at each move in and out of the tray: one round, animated.
    CSystemTray::AnimateToTray(&window, TRUE);
    HWND owner = ::GetAncestor(window.m_hWnd, GA_PARENT);
    EXPECT_NE(owner, ::GetDesktopWindow());
    EXPECT_FALSE(::IsWindowVisible(owner));
    EXPECT_FALSE(window.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(::IsWindowVisible(window.m_hWnd));

    CSystemTray::AnimateFromTray(&window, TRUE);
    window.GetWindowRect(&rect);
    EXPECT_TRUE(::IntersectRect(&common, &rect, &area) && ::EqualRect(&common, &rect));
    EXPECT_EQ(::GetAncestor(window.m_hWnd, GA_PARENT), ::GetDesktopWindow());
    EXPECT_TRUE(window.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
    // Brought back while already shown: the same steps, the same result.
    CSystemTray::AnimateFromTray(&window, FALSE);
    EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
    window.DestroyWindow();
}

// The main window from its real template: its icon as it reaches the shell, its buttons' tips,
// and its icons after a move to a monitor at 200 %.
class TrayDialog : public CSpindrelDlg {
public:
    std::vector<std::string> tips;
    HICON icon = nullptr;
    HWND hwnd = nullptr;
    LRESULT captionIcon = -1;
    int trayWidth = 0;

protected:
    BOOL OnInitDialog() override
    {
        CSpindrelDlg::OnInitDialog();
        hwnd = m_hWnd;
        icon = appIcon;
        for (CButtonST* button : {&runClientButton, &accelerateButton, &quitButton, &minimizeButton}) {
            tips.push_back(button->ToolTip().GetText(button, 1).str());
            EXPECT_EQ(button->ToolTip().GetToolCount(), 1);
        }
        RECT suggested;
        GetWindowRect(&suggested);
        {
            ScopedHook at200(&dpi::SetWindowDpiQuery, &At200Percent);
            SendMessage(dpi::kChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
        }
        captionIcon = SendMessage(WM_GETICON, ICON_SMALL) | SendMessage(WM_GETICON, ICON_BIG);
        trayWidth = IconWidth(trayIcon.IconData().hIcon);
        KillTimer(TIMER_STATUS_REFRESH);
        KillTimer(TIMER_ACCELERATED_CLOCK);
        // Gone before it is ever shown: a shown captioned window takes Wine seconds to hide.
        EndDialog(0);
        DestroyWindow();
        return TRUE;
    }
};

TEST_F(Tray, MainWindowShowsItsIconWithTheSettingsMenuAndTips)
{
    HWND window = nullptr;
    {
        TrayDialog dialog;
        dialog.DoModal();
        window = dialog.hwnd;
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(calls.size(), 2u); // the add, and the move's new image
        EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(calls[0].data.hWnd, window);
        EXPECT_EQ(calls[0].data.uID, static_cast<UINT>(IDR_SETTINGS_MENU));
        EXPECT_EQ(calls[0].data.uCallbackMessage, static_cast<UINT>(WM_TRAY_NOTIFY));
        EXPECT_NE(calls[0].data.hIcon, nullptr); // its size at each scale: win32_dpi
        EXPECT_NE(dialog.icon, nullptr);
        EXPECT_STREQ(calls[0].data.szTip, "Spindrel");
        EXPECT_EQ(dialog.tips, (std::vector<std::string>{"Run Tarvo", "Accelerate Tarvo", "Exit", "Save"}));
        EXPECT_EQ(dialog.captionIcon, 0); // the icon serves the tray, not the caption
        EXPECT_EQ(dialog.trayWidth, dpi::SystemMetric(SM_CXSMICON, 192));
    }
    // The dialog's end deletes the icon.
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[2].data.hWnd, window);
}

} // namespace
