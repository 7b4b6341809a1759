#pragma once
// CCmdUI: the state of one menu item while its update handler decides its check mark, enabled
// state or text.

#include <windows.h>

class CCmdTarget;
class CMenu;

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetText(LPCSTR text);

    // Asks target's map for an update entry of m_nID. Without one, and when disableIfNoHandler is
    // set, the item is disabled unless the target has a command handler for it.
    // Returns true when an update entry ran.
    bool DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;          // position of the item in m_pMenu
    UINT m_nIndexMax = 0;       // bound of the walk
    CMenu* m_pMenu = nullptr;   // the menu being updated
    CMenu* m_pSubMenu = nullptr; // set when the item opens a nested pop-up
    bool m_bEnableChanged = false;
};
