#include "framework/Menu.h"

#include "framework/Module.h"

BOOL CMenu::LoadMenu(UINT resourceId)
{
    DestroyMenu();
    m_hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
    owned_ = m_hMenu != nullptr;
    return owned_;
}

BOOL CMenu::CreatePopupMenu()
{
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    owned_ = m_hMenu != nullptr;
    return owned_;
}

BOOL CMenu::DestroyMenu()
{
    BOOL result = TRUE;
    if (owned_ && m_hMenu)
        result = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    owned_ = false;
    return result;
}

HMENU CMenu::Detach()
{
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    owned_ = false;
    return menu;
}
