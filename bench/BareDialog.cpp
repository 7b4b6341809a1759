// The reference programs of the start-up benchmark. Both show Spindrel's own main-window template
// (same size, controls, font, icons and manifest: the resources are linked in) through the
// system's dialog manager, with plain Win32 calls and nothing of Spindrel's code:
//   bare_dialog      only the dialog;
//   system_dialog    (SYSTEM_CALLS defined) and, in Spindrel's order, every system call that
//                    Spindrel makes before its window shows: the services and settings files, the
//                    common controls, COM and the skinning component's lookup, the preferences in
//                    the registry, the system menu's item, the interface table and its list, the
//                    tray icon with its own window, the buttons' four tooltips, the socket
//                    start-up, the local addresses, and the raw socket with its waiting thread;
//                    and at each status tick the call that Spindrel's hidden tick makes (the
//                    counters of the first interface).
// So Spindrel against system_dialog is the cost of Spindrel's own code; system_dialog against
// bare_dialog is what the system asks for what Spindrel does.
// Command 2 hides the window (as into the tray); the Settings menu's "&Exit" (32786) ends it.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <ws2ipdef.h>
#include <netioapi.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"

namespace {

#ifdef SYSTEM_CALLS
NOTIFYICONDATAA trayIcon = {};
decltype(&::GetIfEntry2) getIfEntry2 = nullptr;
DWORD firstInterface = 0;

template <typename Function>
Function Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

std::string ExeFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

DWORD ReadPreference(const char* name)
{
    HKEY key = nullptr;
    DWORD value = 0, size = sizeof value;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Spindrel", 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        ::RegCloseKey(key);
    }
    return value;
}

// Before the window: the files the static objects read, and the application's start.
void BeforeTheWindow()
{
    const std::string folder = ExeFolder();
    if (std::FILE* services = std::fopen((folder + "services").c_str(), "rt")) {
        char line[300];
        while (std::fgets(line, sizeof line, services)) {
        }
        std::fclose(services);
    }
    // Spindrel's own settings file, key by key.
    const std::string settings = folder + "..\\Spindrel.ini";
    static const char* const kSections[] = {"main", "filters", "mainwindow", "list", "log"};
    for (int i = 0; i < 24; ++i)
        ::GetPrivateProfileIntA(kSections[i * 5 / 24], "key", 0, settings.c_str());
    char text[260];
    ::GetPrivateProfileStringA("log", "logfile", "", text, sizeof text, settings.c_str());
    ::RegisterWindowMessageA("TaskbarCreated");

    ::InitCommonControls();
    ::CoInitialize(nullptr);
    CLSID skin;
    IUnknown* component = nullptr;
    if (SUCCEEDED(::CLSIDFromProgID(L"SkinCrafter.SCSkin3", &skin)))
        ::CoCreateInstance(skin, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                           reinterpret_cast<void**>(&component));
    ReadPreference("AutoResumeDownloads");
}

DWORD WINAPI WaitingWorker(LPVOID event)
{
    ::WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

// The window's initialisation.
void SystemCalls(HWND window)
{
    HMENU systemMenu = ::GetSystemMenu(window, FALSE);
    char about[128] = {};
    if (systemMenu && ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof about) > 0) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
    for (const char* name : {"CheckPeriodNum", "AccelerateN", "CheckPeriodCombo", "Network"})
        ReadPreference(name);

    // The interface table, one list entry per row.
    HMODULE ipHelper = ::LoadLibraryExA("Iphlpapi.dll", nullptr, 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    const auto getIfTable = Entry<DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL)>(ipHelper, "GetIfTable");
    ULONG size = 0;
    if (getIfTable && getIfTable(nullptr, &size, TRUE) == ERROR_INSUFFICIENT_BUFFER) {
        auto* table = static_cast<PMIB_IFTABLE>(std::malloc(size));
        if (table && getIfTable(table, &size, TRUE) == NO_ERROR) {
            firstInterface = table->dwNumEntries ? table->table[0].dwIndex : 0;
            for (DWORD i = 0; i < table->dwNumEntries; ++i) {
                char entry[64];
                std::snprintf(entry, sizeof entry, " %.38s %d Mb", reinterpret_cast<const char*>(table->table[i].bDescr),
                              static_cast<int>(table->table[i].dwSpeed / 1000000));
                ::SendDlgItemMessageA(window, IDC_INTERFACE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
            }
        }
        std::free(table);
    }
    getIfEntry2 = Entry<decltype(&::GetIfEntry2)>(ipHelper, "GetIfEntry2");
    ::SetTimer(window, TIMER_STATUS_REFRESH, 1000, nullptr);

    // The tray icon, from a window of its own, with the image for the small-icon size.
    WNDCLASSA trayClass{};
    trayClass.lpfnWndProc = ::DefWindowProcA;
    trayClass.hInstance = ::GetModuleHandleA(nullptr);
    trayClass.lpszClassName = "SystemDialogTray";
    ::RegisterClassA(&trayClass);
    ::CreateWindowExA(0, trayClass.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, trayClass.hInstance,
                      nullptr);
    trayIcon.cbSize = sizeof trayIcon;
    trayIcon.hWnd = window;
    trayIcon.uID = IDR_SETTINGS_MENU;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon.uCallbackMessage = WM_TRAY_NOTIFY;
    trayIcon.hIcon = static_cast<HICON>(::LoadImageA(trayClass.hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    lstrcpynA(trayIcon.szTip, "Spindrel", sizeof trayIcon.szTip);
    ::Shell_NotifyIconA(NIM_ADD, &trayIcon);

    // A tooltip for each of the four buttons.
    for (int id : {IDC_RUN_CLIENT, IDC_ACCELERATE, IDC_QUIT, IDCANCEL}) {
        HWND button = ::GetDlgItem(window, id);
        HWND tip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, button, nullptr, trayClass.hInstance, nullptr);
        ::SendMessageA(tip, TTM_ACTIVATE, FALSE, 0);
        ::SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 400);
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = button;
        tool.uId = 1;
        ::GetClientRect(button, &tool.rect);
        char text[] = "Tip";
        tool.lpszText = text;
        ::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageA(tip, TTM_ACTIVATE, TRUE, 0);
    }
    ReadPreference("RunOtherApp");

    // Sockets, the local addresses, and the raw socket with a thread waiting on it.
    WSADATA data;
    ::WSAStartup(MAKEWORD(1, 1), &data);
    const auto getIpAddrTable = Entry<DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL)>(ipHelper, "GetIpAddrTable");
    ULONG addressBytes = 2800;
    auto* addresses = static_cast<PMIB_IPADDRTABLE>(std::malloc(addressBytes));
    in_addr bindTo{};
    if (getIpAddrTable && addresses && getIpAddrTable(addresses, &addressBytes, FALSE) == NO_ERROR &&
        addresses->dwNumEntries > 0)
        bindTo.s_addr = addresses->table[addresses->dwNumEntries - 1].dwAddr;
    std::free(addresses);
    SOCKET raw = ::WSASocketA(AF_INET, SOCK_RAW, IPPROTO_IP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (raw != INVALID_SOCKET) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr = bindTo;
        ::bind(raw, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        DWORD on = 1, out = 0, returned = 0;
        ::WSAIoctl(raw, 0x98000001 /* SIO_RCVALL */, &on, sizeof on, &out, sizeof out, &returned, nullptr, nullptr);
    }
    HANDLE queued = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (raw != INVALID_SOCKET)
        ::WSAEventSelect(raw, queued, FD_READ);
    ::CloseHandle(::CreateThread(nullptr, 0, &WaitingWorker, queued, 0, nullptr));
    ::SetTimer(window, TIMER_ACCELERATED_CLOCK, 1000, nullptr);
    ::SetDlgItemTextA(window, IDC_ACCELERATE, "State: Activated\nPush to stop");
    ::SendDlgItemMessageA(window, IDC_ACCELERATE, BM_SETCHECK, BST_CHECKED, 0);
}
#endif

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
#ifdef SYSTEM_CALLS
        SystemCalls(window);
#endif
        return TRUE;
#ifdef SYSTEM_CALLS
    case WM_TIMER:
        if (wParam == TIMER_STATUS_REFRESH && getIfEntry2) {
            MIB_IF_ROW2 row{};
            row.InterfaceIndex = firstInterface;
            getIfEntry2(&row);
        }
        return TRUE;
#endif
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            ::ShowWindow(window, SW_HIDE);
        } else if (LOWORD(wParam) == ID_EXIT) {
#ifdef SYSTEM_CALLS
            ::Shell_NotifyIconA(NIM_DELETE, &trayIcon);
#endif
            ::EndDialog(window, 0);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef SYSTEM_CALLS
    BeforeTheWindow();
#endif
    return static_cast<int>(::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SPINDREL_DIALOG), nullptr, &DialogProc, 0));
}
