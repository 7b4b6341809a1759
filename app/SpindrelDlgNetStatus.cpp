// The interface list and the one-second status refresh: the status panel (netstatus/) holds the
// state and makes the texts; the window shows them.
#include "app/SpindrelDlg.h"

#include "app/ProductKey.h"

void CSpindrelDlg::FillInterfaceList()
{
    // The IP Helper entry points; without them the program cannot run.
    if (!statusPanel.LoadInterfaces()) {
        AfxMessageBox("Error loading Iphlpapi.dll", MB_OK | MB_ICONEXCLAMATION);
        EndDialog(1);
    }
    for (const netstatus::ListedInterface& entry : statusPanel.Interfaces()) {
        // In UTF-16 through the wide call, so that a description in any language shows whole
        // whatever the code page. The list is not sorted: each entry goes at the end, at the
        // position the panel's map records.
        wchar_t text[2 * netstatus::kDescriptionCut + 24];
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, entry.text.c_str(), -1, text, sizeof text / sizeof text[0]);
        text[length > 0 ? length - 1 : 0] = L'\0';
        ::SendMessageW(interfaceCombo.m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }

    // A stored position that the list does not have leaves it with no selection.
    const int count = interfaceCombo.GetCount();
    const std::int32_t selected = statusPanel.Selected();
    interfaceCombo.SetCurSel(selected >= 0 && selected < count ? selected : -1);
}

void CSpindrelDlg::OnInterfaceSelChange()
{
    const int position = interfaceCombo.GetCurSel();
    // The counters of the new choice go into the panel's texts; the next refresh shows them.
    if (position == CB_ERR || !statusPanel.Choose(position))
        return;

    product_key::Writer key;
    if (key)
        key.Write("Network", static_cast<DWORD>(position));
}

void CSpindrelDlg::RefreshStatus()
{
    TickStatus(IsWindowVisible() != FALSE);
}

void CSpindrelDlg::TickStatus(bool shown)
{
    // Hidden in the tray, a tick keeps the count and the tooltip's speeds, no more: nobody sees
    // the texts, and the window brings them up to date as it shows again.
    statusPanel.Tick(shown);
    if (shown)
        UpdateData(FALSE);
    ShowTrayTip();
}

void CSpindrelDlg::ShowTrayTip()
{
    // The tray sends the tooltip on only when its text has changed.
    wchar_t tip[128];
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, statusPanel.TrayTip().c_str(), -1, tip, sizeof tip / sizeof tip[0]);
    tip[length > 0 ? length - 1 : 0] = L'\0';
    trayIcon.SetTooltipText(tip);
}

LRESULT CSpindrelDlg::OnStyleChanged(WPARAM which, LPARAM styles)
{
    // Shown again (out of the tray): the panel's texts are brought up to date before it is drawn.
    const auto* change = reinterpret_cast<const STYLESTRUCT*>(styles);
    if (which == static_cast<WPARAM>(GWL_STYLE) && change && !(change->styleOld & WS_VISIBLE) &&
        (change->styleNew & WS_VISIBLE)) {
        statusPanel.Refresh();
        UpdateData(FALSE);
    }
    return Default();
}
