#include "app/SpindrelDlg.h"

#include <shellapi.h>

#include <cstdlib>

#include "app/AboutDlg.h"
#include "app/Config.h"
#include "framework/SystemLibrary.h"
#include "res/resource.h"

const MessageMap CSpindrelDlg::messageMap{&CDialog::messageMap, {
    OnMessage<WM_SYSCOMMAND>(&CSpindrelDlg::OnSysCommand),
    OnMessage<WM_PAINT>(&CSpindrelDlg::OnPaint),
    OnMessage<WM_QUERYDRAGICON>(&CSpindrelDlg::OnQueryDragIcon),
    OnMessage<WM_INITMENUPOPUP>(&CSpindrelDlg::OnInitMenuPopup),
    OnCommand(IDCANCEL, &CSpindrelDlg::OnMinimizeToTray),
    OnCommand(ID_ABOUT, &CSpindrelDlg::OnAbout),
    OnUpdateCommand(ID_AUTO_RESUME_DOWNLOADS, &CSpindrelDlg::OnUpdateAutoResumeDownloads),
    OnCommand(ID_AUTO_RESUME_DOWNLOADS, &CSpindrelDlg::ToggleAutoResumeDownloads),
    OnCommand(ID_RUN_AT_STARTUP, &CSpindrelDlg::ToggleRunAtStartup),
    OnUpdateCommand(ID_RUN_AT_STARTUP, &CSpindrelDlg::QueryRunAtStartup),
    OnMessage<WM_TRAY_NOTIFY>(&CSpindrelDlg::OnTrayNotify),
    OnCommand(ID_EXIT, &CSpindrelDlg::OnExit),
    OnRegisteredMessage(&CSpindrelDlg::exitRequestMessage, &CSpindrelDlg::OnExitRequest),
    OnCommand(IDC_ACCELERATE, &CSpindrelDlg::OnAccelerate),
    OnMessage<WM_TIMER>(&CSpindrelDlg::OnTimer),
    OnCommand(IDC_RUN_CLIENT, &CSpindrelDlg::LaunchClient),
    OnUpdateCommand(ID_AUTORUN_CLIENT, &CSpindrelDlg::OnUpdateRunClientOnStart),
    OnCommand(ID_AUTORUN_CLIENT, &CSpindrelDlg::ToggleRunClientOnStart),
    OnCommand(IDC_QUIT, &CSpindrelDlg::OnQuit),
    OnMessage<WM_CTLCOLOR_ANY>(&CSpindrelDlg::OnCtlColor),
    OnMessage<WM_ERASEBKGND>(&CSpindrelDlg::OnEraseBkgnd),
    OnCommand(IDC_CONNECTION_TYPE, &CSpindrelDlg::OnConnectionTypeCommand),
    OnCommandRange(ID_PAGE_TIPS, ID_PAGE_MEDIA, &CSpindrelDlg::OnOpenWebPage),
    OnNotify(IDC_INTERFACE_LIST, CBN_SELCHANGE, &CSpindrelDlg::OnInterfaceSelChange),
    OnMessage<dpi::kChanged>(&CSpindrelDlg::OnDpiChanged),
    OnMessage<WM_CAPTURE_FAILED>(&CSpindrelDlg::OnCaptureFailed),
    OnMessage<WM_STYLECHANGED>(&CSpindrelDlg::OnStyleChanged),
    OnMessage<WM_NETWORK_CHANGED>(&CSpindrelDlg::OnNetworkChanged),
    OnMessage<WM_POWERBROADCAST>(&CSpindrelDlg::OnPowerBroadcast),
    OnMessage<WM_QUERYENDSESSION>(&CSpindrelDlg::OnQueryEndSession),
    OnMessage<WM_ENDSESSION>(&CSpindrelDlg::OnEndSession),
}};

const UINT CSpindrelDlg::exitRequestMessage = ::RegisterWindowMessageA(config::exitRequestMessage);

CSpindrelDlg::CSpindrelDlg(CWnd* parent)
    : CDialog(IDD_SPINDREL_DIALOG, parent), statusPanel(config::productName)
{
    CWinApp* app = AfxGetApp();
    appIcon = app ? app->LoadIcon(IDR_MAINFRAME) : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ReadAutoResumeDownloads();
}

CSpindrelDlg::~CSpindrelDlg() = default;

void CSpindrelDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDCANCEL, minimizeButton);
    DDX_Control(dx, IDC_ACCELERATE, accelerateButton);
    DDX_Control(dx, IDC_QUIT, quitButton);
    netstatus::PanelTexts& texts = statusPanel.Texts();
    DDX_Text(dx, IDC_BYTES_RECEIVED, texts.bytesReceived);
    DDX_Text(dx, IDC_BYTES_SENT, texts.bytesSent);
    DDX_Text(dx, IDC_CONNECTED_TIME, texts.connectedTime);
    DDX_Text(dx, IDC_CONNECTION_STATUS, texts.connectionStatus);
    DDX_Control(dx, IDC_RUN_CLIENT, runClientButton);
    DDX_Text(dx, IDC_CONNECTION_TYPE, texts.connectionType);
    DDX_Control(dx, IDC_CONNECTED_TIME, connectedTimeStatic);
    DDX_Control(dx, IDC_BYTES_SENT, bytesSentStatic);
    DDX_Control(dx, IDC_BYTES_RECEIVED, bytesReceivedStatic);
    DDX_Control(dx, IDC_CONNECTION_TYPE, connectionTypeStatic);
    DDX_Control(dx, IDC_CONNECTION_STATUS, connectionStatusStatic);
    DDX_Text(dx, IDC_ACCELERATED_TIME, texts.acceleratedTime);
    DDX_Control(dx, IDC_INTERFACE_LIST, interfaceCombo);
}

BOOL CSpindrelDlg::OnInitDialog()
{
    // 1. The first data exchange binds the controls and shows the (empty) status texts.
    CDialog::OnInitDialog();
    // The setup runs at the user's level: Windows lets its exit request through to a copy restarted
    // as administrator only when this window allows it (Windows 7 and later; no such barrier before).
    static const auto allowMessage =
        system_library::user.Entry<decltype(&::ChangeWindowMessageFilterEx)>("ChangeWindowMessageFilterEx");
    if (allowMessage && exitRequestMessage != 0)
        allowMessage(m_hWnd, exitRequestMessage, 1 /* MSGFLT_ALLOW */, nullptr);

    // 2. The About item at the end of the system menu.
    CMenu systemMenu = GetSystemMenu(FALSE);
    if (systemMenu.m_hMenu) {
        char aboutText[128] = {};
        if (::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, aboutText, sizeof aboutText) > 0) {
            systemMenu.AppendMenu(MF_SEPARATOR);
            systemMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }

    // 3-6. Preferences (the stored interface position among them), the interface list, the
    // status refresh, and the window's place.
    LoadPreferences();
    FillInterfaceList();
    SetTimer(TIMER_STATUS_REFRESH, 1000, nullptr);
    CenterWindow();

    // 7. The notification-area icon, the image drawn for the display scale; its right-click menu
    // is the Settings menu (resource 129). A copy restarted from the tray starts there: a window
    // parented to the hidden owner stays off the screen when the dialog manager shows it.
    trayIcon.CreateTrayIcon(this, WM_TRAY_NOTIFY, config::productName, appIcon, IDR_SETTINGS_MENU, FALSE, IDR_MAINFRAME);
    if (startArguments.inTray)
        CSystemTray::DetachFromTaskbar(this);

    // 8. Tooltips of the buttons.
    CString tip;
    tip.Format("Run %s", config::clientName);
    runClientButton.SetTooltipText(tip, TRUE);
    tip.Format("Accelerate %s", config::clientName);
    accelerateButton.SetTooltipText(tip, TRUE);
    quitButton.SetTooltipText("Exit", TRUE);
    minimizeButton.SetTooltipText("Save", TRUE);

    // 9. Start Tarvo when the user asked for it, unless the copy this one replaces has done so.
    ReadRunClientOnStart();
    if (runClientOnStart && !startArguments.continuing)
        LaunchClient();
    MoveRunAtStartupToTask();

    // 10-13. Acceleration switched on: the engine starts the sockets library, chooses the address
    // and starts the capture, or waits for the network; the toggle shows pressed while it is on.
    captureEngine.Attach(m_hWnd, WM_CAPTURE_FAILED, WM_NETWORK_CHANGED);
    ShowCaptureState(captureEngine.SwitchOn());

    return TRUE;
}

void CSpindrelDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

void CSpindrelDlg::OnAbout()
{
    CAboutDlg about;
    about.DoModal();
}

void CSpindrelDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const UINT scale = dpi::ForWindow(m_hWnd);
    const int iconWidth = dpi::SystemMetric(SM_CXICON, scale);
    const int iconHeight = dpi::SystemMetric(SM_CYICON, scale);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - iconWidth + 1) / 2;
    const int y = (client.Height() - iconHeight + 1) / 2;
    // The image of the application icon drawn for this size, where there is one.
    minimisedIcon.Load(IDR_MAINFRAME, scale);
    dc.DrawIconEx(x, y, minimisedIcon.Get() ? minimisedIcon.Get() : appIcon, iconWidth, iconHeight, 0, nullptr, DI_NORMAL);
}

void CSpindrelDlg::OnDpiChanged(UINT, const RECT&)
{
    // The dialog manager sizes the window to the new scale and lays its controls out anew; each
    // control then gets its own notice.
    Default();
    // The notification area may have changed its scale too.
    trayIcon.RefreshIconScale();
}

HCURSOR CSpindrelDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(appIcon);
}

void CSpindrelDlg::OnInitMenuPopup(CMenu* popup, UINT, BOOL)
{
    UpdateMenuItems(popup);
}

void CSpindrelDlg::OnMinimizeToTray()
{
    SavePreferences();
    CSystemTray::AnimateToTray(this, FALSE);
}

LRESULT CSpindrelDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (lParam == WM_LBUTTONDBLCLK)
        CSystemTray::AnimateFromTray(this, FALSE);
    return trayIcon.HandleTrayMessage(wParam, lParam);
}

void CSpindrelDlg::OnUpdateAutoResumeDownloads(CCmdUI* item)
{
    item->SetCheck(autoResumeDownloads ? 1 : 0);
}

void CSpindrelDlg::OnUpdateRunClientOnStart(CCmdUI* item)
{
    ReadRunClientOnStart();
    item->SetCheck(runClientOnStart ? 1 : 0);
}

void CSpindrelDlg::OnExit()
{
    KillTimer(TIMER_STATUS_REFRESH);
    EndDialog(0);
}

LRESULT CSpindrelDlg::OnExitRequest(WPARAM, LPARAM)
{
    OnExit();
    return 0;
}

LRESULT CSpindrelDlg::OnQueryEndSession(WPARAM, LPARAM)
{
    return TRUE; // nothing to ask the user: the settings are written at the end
}

LRESULT CSpindrelDlg::OnEndSession(WPARAM ending, LPARAM)
{
    // A session that goes on after all (another program refused) changes nothing here.
    if (!ending || !m_hWnd)
        return 0;
    // Windows may end the process as soon as this message is answered, at a logoff, a shutdown or
    // when an installer's Restart Manager closes it: the exit of "&Exit" runs to its end here.
    // Not registered for a restart: the Run value or the logon task starts the next session's copy.
    EndCapture();
    OnExit();
    trayIcon.RemoveFromTray();
    trayIcon.DestroyWindow();
    DestroyWindow();
    CWinApp* app = AfxGetApp();
    // The process-wide objects go as after every exit: the settings write their file.
    std::exit(app ? app->ExitInstance() : 0);
}

void CSpindrelDlg::EndCapture()
{
    captureEngine.Stop(); // the socket is closed and the worker has ended when this returns
}

void CSpindrelDlg::OnQuit()
{
    KillTimer(TIMER_STATUS_REFRESH);
    OnCancel(); // the framework's cancel: the dialog ends with IDCANCEL
}

void CSpindrelDlg::OnTimer(UINT_PTR id)
{
    if (id == TIMER_STATUS_REFRESH) {
        RefreshStatus();
        ShowCaptureState(captureEngine.OnStatusTick());
    } else if (id == TIMER_ACCELERATED_CLOCK)
        TickAcceleratedClock();
}

HBRUSH CSpindrelDlg::OnCtlColor(CDC* dc, CWnd*, UINT kind)
{
    if (kind == CTLCOLOR_STATIC) {
        // Labels and value fields alike show the window's own background behind their text. The
        // brush is the dialog's background colour, not a hollow one: a static fills its rectangle
        // with it before drawing, so a changed text (the clocks, every second) never lands on top of
        // the previous one. The text takes the theme's colour too, or a high-contrast theme would
        // show it black on black.
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
        return ::GetSysColorBrush(COLOR_BTNFACE);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

BOOL CSpindrelDlg::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}

void CSpindrelDlg::OnConnectionTypeCommand() {}

void CSpindrelDlg::OnOpenWebPage(UINT id)
{
    const char* address = nullptr;
    switch (id) {
    case ID_PAGE_TIPS: address = config::tipsPage; break;
    case ID_PAGE_HELP: address = config::helpPage; break;
    case ID_PAGE_FILE_SHARING: address = config::fileSharingPage; break;
    case ID_PAGE_TORRENTS: address = config::torrentsPage; break;
    case ID_PAGE_EMUSIC: address = config::eMusicPage; break;
    case ID_PAGE_MEDIA: address = config::mediaPage; break;
    default: return;
    }
    ::ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}
