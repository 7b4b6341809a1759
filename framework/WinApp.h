#pragma once
// CWinApp: the one application object of the process, and the process entry that runs it.

#include <windows.h>

#include "framework/MessageMap.h"
#include "framework/Module.h"
#include "framework/String.h"

class CWnd;

class CWinApp : public CCmdTarget {
public:
    static const MessageMap messageMap;

    // The object registers itself as the process's application; construct exactly one.
    CWinApp();
    ~CWinApp() override;

    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // Runs the application; FALSE ends it without a message loop of its own.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop, for an application whose InitInstance returns TRUE.
    virtual int Run();

    HICON LoadIcon(UINT resourceId) const;
    // The registry key under which a framework-managed profile would live. Only recorded.
    void SetRegistryKey(LPCSTR key);

    // The application's name: its title string (AFX_IDS_APP_TITLE) when it has one, else its
    // executable's name. The process entry calls this before InitInstance.
    void LoadAppName();

    // Help command: no help file ships with the framework's applications, so this does nothing.
    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;
    CString m_pszRegistryKey;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// Registers (once) and names a window class whose procedure is DefWindowProc.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr, HICON icon = nullptr);

// The framework hosts no ActiveX controls of its own; an application that asks for control
// containment gets COM initialised on its thread by its own CoInitialize call.
void AfxEnableControlContainer();

// A message box over the main window with the application's name as caption.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);

// The process entry: sets up the application object and runs InitInstance, Run and ExitInstance.
int AfxWinMain(HINSTANCE instance, LPSTR commandLine, int showCommand);

// The help command of the framework.
constexpr UINT ID_HELP = 0xE146;
// String resource with the application's title, when the program has one.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
