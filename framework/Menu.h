#pragma once
// CMenu: a menu handle, owned when this object loaded or created it, borrowed otherwise.

#include <windows.h>

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    CMenu(CMenu&& other) noexcept : m_hMenu(other.m_hMenu), owned_(other.owned_) { other.m_hMenu = nullptr; other.owned_ = false; }

    // A wrapper that does not own the menu (a window's system menu, a sub-menu).
    static CMenu Borrow(HMENU menu)
    {
        CMenu m;
        m.m_hMenu = menu;
        return m;
    }

    BOOL LoadMenu(UINT resourceId);
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    HMENU Detach();

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    CMenu GetSubMenu(int position) const { return Borrow(::GetSubMenu(m_hMenu, position)); }
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr) { return ::AppendMenuA(m_hMenu, flags, id, text); }
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
    UINT CheckMenuItem(UINT item, UINT flags) { return ::CheckMenuItem(m_hMenu, item, flags); }
    UINT EnableMenuItem(UINT item, UINT flags) { return ::EnableMenuItem(m_hMenu, item, flags); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text) { return ::ModifyMenuA(m_hMenu, position, flags, id, text); }
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE) { return ::SetMenuDefaultItem(m_hMenu, item, byPosition); }
    BOOL TrackPopupMenu(UINT flags, int x, int y, HWND owner, LPCRECT rect = nullptr) const
    {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, rect);
    }

    HMENU m_hMenu = nullptr;

private:
    bool owned_ = false;
};
