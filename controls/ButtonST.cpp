#include "controls/ButtonST.h"

const MessageMap CButtonST::messageMap{&CButton::messageMap, {
    OnMessage<dpi::kChangedAfterParent>(&CButtonST::OnDpiChangedAfterParent),
}};

namespace {
constexpr UINT_PTR kToolId = 1;
constexpr int kMaxTipWidth = 400;
} // namespace

void CButtonST::InitToolTip()
{
    // The tooltip belongs to the button's window; without one there is nothing to point at.
    if (toolTip.m_hWnd || !m_hWnd)
        return;
    if (!toolTip.Create(this, toolTipStyle))
        return;
    toolTip.Activate(FALSE);
    toolTip.SetMaxTipWidth(dpi::Scale(kMaxTipWidth, dpi::ForWindow(m_hWnd)));
}

void CButtonST::OnDpiChangedAfterParent()
{
    if (toolTip.m_hWnd) {
        toolTip.SetMaxTipWidth(dpi::Scale(kMaxTipWidth, dpi::ForWindow(m_hWnd)));
        if (toolTip.GetToolCount() > 0) {
            RECT client;
            GetClientRect(&client);
            toolTip.SetToolRect(this, kToolId, &client);
        }
    }
    Default();
}

void CButtonST::SetTooltipText(LPCSTR text, BOOL activate)
{
    if (!text)
        return;
    InitToolTip();
    if (!toolTip.m_hWnd)
        return;
    if (toolTip.GetToolCount() == 0) {
        RECT client;
        GetClientRect(&client);
        toolTip.AddTool(this, text, &client, kToolId);
    }
    toolTip.UpdateTipText(text, this, kToolId);
    toolTip.Activate(activate);
}

BOOL CButtonST::PreTranslateMessage(MSG* msg)
{
    InitToolTip();
    if (toolTip.m_hWnd)
        toolTip.RelayEvent(msg);
    // The button sees a second press, and so sends a second BN_CLICKED instead of BN_DOUBLECLICKED.
    if (msg->message == WM_LBUTTONDBLCLK)
        msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}
