#pragma once
// CSpindrelDlg: the main window, and the holder of the program's state (status texts, clocks,
// interface table, preference flags).

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>

#include "app/core/StartupCommand.h"
#include "controls/ButtonST.h"
#include "controls/SystemTray.h"
#include "engine/CaptureEngine.h"
#include "framework/Afx.h"
#include "netstatus/StatusPanel.h"

// Private messages of the main window, apart from the notification-area callback (0x800A): posted
// by a capture worker whose capture died (WPARAM: which capture), and by the system's notice of a
// changed address or route table.
constexpr UINT WM_CAPTURE_FAILED = WM_APP + 0x20;
constexpr UINT WM_NETWORK_CHANGED = WM_APP + 0x21;

class CSpindrelDlg : public CDialog {
public:
    static const MessageMap messageMap;

    explicit CSpindrelDlg(CWnd* parent = nullptr);
    ~CSpindrelDlg() override;

    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // What the command line said of this start; before the window is made.
    void SetStartArguments(const startup_command::StartArguments& arguments) { startArguments = arguments; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Brings the check marks of a pop-up menu (the tray's Settings menu) up to date before it opens.
    virtual void OnInitMenuPopup(CMenu* popup, UINT index, BOOL systemMenu);

    // Message and command handlers.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnMinimizeToTray();
    void OnAbout();
    void OnUpdateAutoResumeDownloads(CCmdUI* item);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnExit();
    LRESULT OnExitRequest(WPARAM, LPARAM);
    static const UINT exitRequestMessage;
    void OnTimer(UINT_PTR id);
    void OnUpdateRunClientOnStart(CCmdUI* item);
    void OnQuit();
    HBRUSH OnCtlColor(CDC* dc, CWnd* window, UINT kind);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnConnectionTypeCommand();
    void OnOpenWebPage(UINT id);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);

    // Preferences, start with Windows and client launch.
    void ReadAutoResumeDownloads();
    void ToggleAutoResumeDownloads();
    void ReadRunClientOnStart();
    void ToggleRunClientOnStart();
    void ToggleRunAtStartup();
    void QueryRunAtStartup(CCmdUI* item);
    // An elevated start whose Run value starts this executable moves it to the logon task.
    void MoveRunAtStartupToTask();
    void LoadPreferences();
    void SavePreferences();
    void LaunchClient();

    // Interface list and status refresh.
    void FillInterfaceList();
    void OnInterfaceSelChange();
    void RefreshStatus();
    // One tick of the status timer, for a window shown or hidden.
    void TickStatus(bool shown);
    // The tooltip of the notification icon: the product and the chosen interface's speeds.
    void ShowTrayTip();
    LRESULT OnStyleChanged(WPARAM which, LPARAM styles);

    // Acceleration. OnAccelerate is a click on the toggle; the start-up switches on without the
    // click's offer of administrator rights. The capture itself is the engine's: these show its state.
    void OnAccelerate();
    void ShowCaptureState(CaptureState state);
    LRESULT OnCaptureFailed(WPARAM capture, LPARAM);
    LRESULT OnNetworkChanged(WPARAM, LPARAM);
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM);
    // Switches the capture off for good: the session ends.
    void EndCapture();
    // Asks `question` (null: the capture's) and, on Yes, restarts the program as administrator.
    void OfferAdministratorRights(const char* question = nullptr);
    void TickAcceleratedClock();

    // Fields, in this order.
    HICON appIcon = nullptr; // shared resource icon from LoadIcon: the system frees it with the module
    bool autoResumeDownloads = false;
    bool runAtStartup = false;
    std::int32_t checkPeriodUnit = 0;
    CSystemTray trayIcon;
    CButtonST quitButton;
    CButtonST minimizeButton;
    CButtonST accelerateButton;
    CButtonST runClientButton;
    bool runClientOnStart = false;
    CString checkPeriodText;
    CString accelerateNText;
    CStatic connectedTimeStatic;
    CStatic bytesSentStatic;
    CStatic bytesReceivedStatic;
    CStatic connectionTypeStatic;
    CStatic connectionStatusStatic;
    // The status panel: its clocks, interface list, table, totals and speeds, and its six texts.
    netstatus::StatusPanel statusPanel;
    CComboBox interfaceCombo;

    // The acceleration toggle's capture, and the state the window shows of it.
    CaptureEngine captureEngine;
    std::optional<CaptureState> shownCaptureState; // none until the start-up has shown one

    startup_command::StartArguments startArguments;

    // The application icon's image for the minimised window's scale, loaded at the first such paint.
    dpi::ScaledIcon minimisedIcon{SM_CXICON, SM_CYICON};
};
