#include "framework/WinApp.h"

#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>

#include "framework/CodePage.h"
#include "framework/Wnd.h"

namespace {
CWinApp* theApplication = nullptr;
}

const MessageMap CWinApp::messageMap{&CCmdTarget::messageMap, {}};

CWinApp::CWinApp()
{
    theApplication = this;
    m_hInstance = AfxGetInstanceHandle();
}

CWinApp::~CWinApp()
{
    if (theApplication == this)
        theApplication = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

void CWinApp::LoadAppName()
{
    // The application's name: its title string when it has one, else its executable's name.
    char title[256] = {};
    if (::LoadStringA(AfxGetResourceHandle(), AFX_IDS_APP_TITLE, title, sizeof title) > 0) {
        m_pszAppName = title;
    } else {
        // Cut in UTF-16, where no byte of a double-byte character can pass for a '\'.
        std::wstring name = code_page::ModuleFileNameW(m_hInstance);
        const auto slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos)
            name.erase(0, slash + 1);
        const auto dot = name.rfind(L'.');
        if (dot != std::wstring::npos)
            name.erase(dot);
        m_pszAppName = code_page::FromWide(name).c_str();
    }
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT resourceId) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
}

void CWinApp::SetRegistryKey(LPCSTR key)
{
    m_pszRegistryKey = key;
}

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp()
{
    return theApplication;
}

CWnd* AfxGetMainWnd()
{
    return theApplication ? theApplication->m_pMainWnd : nullptr;
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // Names stay valid for the life of the process, one per distinct set of arguments.
    static std::map<std::string, std::string> registered;
    char name[96];
    std::snprintf(name, sizeof name, "FrameworkWnd:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()),
                  classStyle, static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    auto it = registered.find(name);
    if (it != registered.end())
        return it->second.c_str();

    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    WNDCLASSA existing{};
    if (!::GetClassInfoA(wc.hInstance, name, &existing))
        ::RegisterClassA(&wc);
    return registered.emplace(name, name).first->second.c_str();
}

void AfxEnableControlContainer() {}

int AfxMessageBox(LPCSTR text, UINT type)
{
    CWinApp* app = AfxGetApp();
    CWnd* main = AfxGetMainWnd();
    HWND owner = main && main->m_hWnd && ::IsWindow(main->m_hWnd) ? main->m_hWnd : ::GetActiveWindow();
    return ::MessageBoxA(owner, text, app ? app->m_pszAppName.c_str() : "", type);
}

int AfxWinMain(HINSTANCE instance, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    AfxSetInstanceHandle(instance);
    app->m_hInstance = instance;
    app->LoadAppName();
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
