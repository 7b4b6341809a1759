// Identifiers of Spindrel's resources, controls and commands. Shared by the resource script and
// the code; plain #defines so that the resource compiler reads them too.
#pragma once

// Dialog templates, icons, menu and strings.
#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_SPINDREL_DIALOG     102
#define IDR_MAINFRAME           128
#define IDR_SETTINGS_MENU       129
#define IDD_ERROR_DIALOG        173
#define IDI_ERROR_ICON          176
#define IDS_APP_TITLE           57344

// Controls of the main window. The minimise button is IDCANCEL (2).
#define IDC_RUN_CLIENT          3
#define IDC_ACCELERATE          1001
#define IDC_QUIT                1007
#define IDC_CONNECTED_TIME      1009
#define IDC_BYTES_RECEIVED      1011
#define IDC_BYTES_SENT          1012
#define IDC_CONNECTION_STATUS   1015
#define IDC_CONNECTION_TYPE     1016
#define IDC_CONNECTION_TYPE_LABEL 1017
#define IDC_ACCELERATED_TIME    1022
#define IDC_INTERFACE_LIST      1024

// Controls of the error dialog.
#define IDC_ERROR_MESSAGE       1025
#define IDC_DOWNLOAD_LINK       1026
#define IDC_DOWNLOAD_URL        1027

// The About item of the system menu.
#define IDM_ABOUTBOX            0x0010

// Commands of the Settings menu.
#define ID_ABOUT                32776
#define ID_RUN_AT_STARTUP       32781
#define ID_AUTO_RESUME_DOWNLOADS 32785
#define ID_EXIT                 32786
#define ID_AUTORUN_CLIENT       32790
#define ID_PAGE_TIPS            32793
#define ID_PAGE_HELP            32794
#define ID_PAGE_FILE_SHARING    32795
#define ID_PAGE_TORRENTS        32796
#define ID_PAGE_EMUSIC          32797
#define ID_PAGE_MEDIA           32798

// Timers of the main window.
#define TIMER_STATUS_REFRESH    1
#define TIMER_ACCELERATED_CLOCK 2

// The notification-area callback message of the main window.
#define WM_TRAY_NOTIFY          0x800A
