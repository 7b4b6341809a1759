// The reference programs of the start-up benchmark. Both show Spindrel's own main-window template
// (same size, controls, font, icons and manifest: the resources are linked in) through the
// system's dialog manager and do nothing else of Spindrel's:
//   bare_dialog      only the dialog;
//   system_dialog    (SYSTEM_CALLS defined) before it, the system calls that Spindrel cannot start
//                    without: the common controls, COM and the skinning component's lookup, the
//                    interface table, the socket start-up, the local addresses, and the tray icon.
// Command 2 hides the window (as into the tray); the Settings menu's "&Exit" (32786) ends it.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>

#include "res/resource.h"

namespace {

#ifdef SYSTEM_CALLS
NOTIFYICONDATAA trayIcon = {};

void SystemCalls(HWND window)
{
    ::InitCommonControls();
    ::CoInitialize(nullptr);
    CLSID skin;
    IUnknown* component = nullptr;
    if (SUCCEEDED(::CLSIDFromProgID(L"SkinCrafter.SCSkin3", &skin)))
        ::CoCreateInstance(skin, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                           reinterpret_cast<void**>(&component));

    HMODULE ipHelper = ::LoadLibraryA("Iphlpapi.dll");
    using GetIfTableFunction = DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL);
    const auto getIfTable = reinterpret_cast<GetIfTableFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(ipHelper, "GetIfTable")));
    ULONG size = 0;
    if (getIfTable && getIfTable(nullptr, &size, TRUE) == ERROR_INSUFFICIENT_BUFFER) {
        void* table = std::malloc(size);
        if (table)
            getIfTable(static_cast<PMIB_IFTABLE>(table), &size, TRUE);
        std::free(table);
    }
    using GetIpAddrTableFunction = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
    const auto getIpAddrTable = reinterpret_cast<GetIpAddrTableFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(ipHelper, "GetIpAddrTable")));
    ULONG addressBytes = 2800;
    void* addresses = std::malloc(addressBytes);
    if (getIpAddrTable && addresses)
        getIpAddrTable(static_cast<PMIB_IPADDRTABLE>(addresses), &addressBytes, FALSE);
    std::free(addresses);

    WSADATA data;
    ::WSAStartup(MAKEWORD(1, 1), &data);

    trayIcon.cbSize = sizeof trayIcon;
    trayIcon.hWnd = window;
    trayIcon.uID = IDR_SETTINGS_MENU;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon.uCallbackMessage = WM_TRAY_NOTIFY;
    trayIcon.hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    lstrcpynA(trayIcon.szTip, "Spindrel", sizeof trayIcon.szTip);
    ::Shell_NotifyIconA(NIM_ADD, &trayIcon);
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
    return static_cast<int>(::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SPINDREL_DIALOG), nullptr, &DialogProc, 0));
}
