#include "framework/CmdUI.h"

#include "framework/Menu.h"
#include "framework/MessageMap.h"

void CCmdUI::Enable(BOOL on)
{
    if (m_pMenu)
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check)
{
    if (m_pMenu)
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetText(LPCSTR text)
{
    if (!m_pMenu || !text)
        return;
    // Keep the item's other state (checked, disabled) while its text changes.
    const UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION) & (MF_CHECKED | MF_DISABLED | MF_GRAYED);
    m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
}

bool CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler)
{
    if (m_nID == 0 || !target)
        return false;
    m_bEnableChanged = false;
    const bool handled = target->OnCmdMsg(m_nID, 0, this);
    if (!handled && disableIfNoHandler && !m_bEnableChanged && !target->HasCommandHandler(m_nID))
        Enable(FALSE);
    return handled;
}
