#include "framework/CmdUI.h"

#include <algorithm>

#include "framework/Menu.h"
#include "framework/MessageMap.h"
#include "framework/Wnd.h"

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

void CWnd::UpdateMenuItems(CMenu* popup)
{
    if (!popup || !popup->m_hMenu)
        return;
    CCmdUI state;
    state.m_pMenu = popup;
    int bound = std::max(popup->GetMenuItemCount(), 0);
    for (int position = 0; position < bound; ++position) {
        state.m_nIndex = static_cast<UINT>(position);
        state.m_nIndexMax = static_cast<UINT>(bound);
        state.m_nID = popup->GetMenuItemID(position);
        if (state.m_nID == 0)
            continue; // separator
        if (state.m_nID == 0xFFFFFFFFu) {
            // A nested pop-up answers to the command of its first item; it is disabled when
            // nothing here handles that command.
            CMenu nested = popup->GetSubMenu(position);
            if (!nested.m_hMenu)
                continue;
            state.m_nID = nested.GetMenuItemID(0);
            if (state.m_nID == 0 || state.m_nID == 0xFFFFFFFFu)
                continue;
            state.m_pSubMenu = &nested;
            state.DoUpdate(this, TRUE);
            state.m_pSubMenu = nullptr;
        } else {
            state.DoUpdate(this, FALSE);
        }
        // A handler may have removed items: step back by as many, then past the items that carry
        // the command just updated, so that no item is skipped or updated twice.
        const int count = std::max(popup->GetMenuItemCount(), 0);
        if (count < bound) {
            position -= bound - count;
            if (position >= 0) {
                while (position < count && popup->GetMenuItemID(position) == state.m_nID)
                    ++position;
            } else {
                position = -1;
            }
        }
        bound = count;
    }
}
