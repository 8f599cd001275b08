#include "platform/afx/Menu.h"

CMenu::~CMenu()
{
    if (m_hMenu)
        DestroyMenu();
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    if (m_hMenu)
        return FALSE;
    m_hMenu = ::LoadMenuW(0, MAKEINTRESOURCE(nIDResource));
    return m_hMenu != 0;
}

BOOL CMenu::CreatePopupMenu()
{
    if (m_hMenu)
        return FALSE;
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != 0;
}

BOOL CMenu::DestroyMenu()
{
    DropSubMenuWrappers();
    HMENU h = m_hMenu;
    m_hMenu = 0;
    return h ? ::DestroyMenu(h) : FALSE;
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (m_hMenu || !::IsMenu(hMenu))
        return FALSE;
    m_hMenu = hMenu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU h = m_hMenu;
    m_hMenu = 0;
    DropSubMenuWrappers();
    return h;
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    HMENU hSub = ::GetSubMenu(m_hMenu, nPos);
    if (!hSub)
        return nullptr;
    for (auto& p : m_subMenus)
        if (p->m_hMenu == hSub)
            return p.get();
    auto pSub = std::make_unique<CMenu>();
    pSub->m_hMenu = hSub;
    m_subMenus.push_back(std::move(pSub));
    // The wrapper does not own the sub-menu: its parent destroys it.
    return m_subMenus.back().get();
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    char16_t buf[512];
    int n = ::GetMenuStringW(m_hMenu, nIDItem, buf, 512, nFlags);
    rString = CString(buf, n);
    return n;
}

void CMenu::DropSubMenuWrappers()
{
    // The wrappers never own their sub-menus: detach them before they go.
    for (auto& p : m_subMenus)
        p->Detach();
    m_subMenus.clear();
}
