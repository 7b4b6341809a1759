#include "app/SpindrelApp.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/SpindrelDlg.h"

const MessageMap CSpindrelApp::messageMap{&CWinApp::messageMap, {
    OnCommand(ID_HELP, &CWinApp::OnHelp),
}};

BOOL CSpindrelApp::InitInstance()
{
    ::InitCommonControls();
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("Local AppWizard-Generated Applications");

    // The skinning component draws every window made after it has loaded its skin. When it is not
    // installed the driver holds no interface, the calls do nothing, and the windows keep the
    // system's look. It lives until the process ends: the windows use it to the last.
    skinDriver = new COleDispatchDriver;
    ::CoInitialize(nullptr);
    skinDriver->CreateDispatch(kSkinProgId);
    skinDriver->InvokeMethod(17, LONG{0});
    skinDriver->InvokeMethod(1, LONG{1});
    skinDriver->InvokeMethod(2, kSkinFile);
    skinDriver->InvokeMethod(18);

    {
        CSpindrelDlg dialog;
        dialog.SetStartArguments(startup_command::ParseArguments(::GetCommandLineW()));
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CSpindrelApp::ExitInstance()
{
    return CWinApp::ExitInstance();
}
