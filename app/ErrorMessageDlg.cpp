#include "app/ErrorMessageDlg.h"

#include "app/Config.h"
#include "res/resource.h"

const MessageMap CErrorMessageDlg::messageMap{&CDialog::messageMap, {
    OnNotify(IDC_DOWNLOAD_LINK, 0, &CErrorMessageDlg::OnLinkClicked),
    OnMessage<WM_SYSCOLORCHANGE>(&CErrorMessageDlg::OnThemeChange),
    OnMessage<WM_SETTINGCHANGE>(&CErrorMessageDlg::OnSettingChange),
}};

CErrorMessageDlg::CErrorMessageDlg()
    : CDialog(IDD_ERROR_DIALOG), message("Tarvo is not installed on your PC!\nPlease install it first to use this option.")
{
    urlText.Format("(%s)", config::clientHomePage);
}

void CErrorMessageDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_ERROR_MESSAGE, message);
    DDX_Control(dx, IDC_DOWNLOAD_LINK, link);
    DDX_Text(dx, IDC_DOWNLOAD_URL, urlText);
}

BOOL CErrorMessageDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    link.SetURL(config::clientHomePage);
    link.SetBackgroundColor(RGB(232, 232, 233));
    return TRUE;
}

void CErrorMessageDlg::OnLinkClicked()
{
    OnOK();
}

LRESULT CErrorMessageDlg::OnThemeChange(WPARAM wParam, LPARAM lParam)
{
    // Only top-level windows hear of a theme change; the link draws its colours itself.
    if (link.m_hWnd)
        link.SendMessage(WM_SYSCOLORCHANGE, wParam, lParam);
    return Default();
}

void CErrorMessageDlg::OnSettingChange(UINT setting, LPCSTR section)
{
    if (link.m_hWnd)
        link.SendMessage(WM_SETTINGCHANGE, setting, reinterpret_cast<LPARAM>(section));
    Default();
}
