#include "framework/ui/CMenu.h"

#include "framework/ui/AfxState.h"
#include "framework/ui/CWnd.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu* PASCAL CMenu::FromHandle(HMENU hMenu)
{
    return static_cast<CMenu*>(afxMapHMENU()->FromHandle(hMenu));
}

CMenu* PASCAL CMenu::FromHandlePermanent(HMENU hMenu)
{
    return static_cast<CMenu*>(afxMapHMENU()->LookupPermanent(hMenu));
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (hMenu == nullptr)
        return FALSE;
    m_hMenu = hMenu;
    afxMapHMENU()->SetPermanent(hMenu, this);
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU h = m_hMenu;
    if (h != nullptr)
        afxMapHMENU()->RemoveHandle(h);
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu()
{
    if (m_hMenu == nullptr)
        return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEA(nIDResource));
}

BOOL CMenu::LoadMenu(LPCSTR lpszResourceName)
{
    HMENU h = ::LoadMenuA(AfxGetResourceHandle(), lpszResourceName);
    if (h == nullptr)
        h = ::LoadMenuA(::GetModuleHandleA(nullptr), lpszResourceName);
    return Attach(h);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    const int n = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (n <= 0)
    {
        rString.Empty();
        return 0;
    }
    ::GetMenuStringA(m_hMenu, nIDItem, rString.GetBuffer(n), n + 1, nFlags);
    rString.ReleaseBuffer();
    return rString.GetLength();
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    HMENU h = ::GetSubMenu(m_hMenu, nPos);
    return h ? FromHandle(h) : nullptr;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    HMENU hOld = pState->m_hTrackingMenu;
    pState->m_hTrackingMenu = m_hMenu;
    const BOOL b = ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, AfxGetSafeHwnd(pWnd), lpRect);
    pState->m_hTrackingMenu = hOld;
    return b;
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT /*lpDrawItemStruct*/)
{
}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT /*lpMeasureItemStruct*/)
{
}

CMenu* PASCAL CMenu::FindPopupMenuFromID(HMENU hMenu, UINT nID)
{
    if (hMenu == nullptr)
        return nullptr;
    const int n = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < n; i++)
    {
        HMENU hSub = ::GetSubMenu(hMenu, i);
        if (hSub != nullptr)
        {
            // A popup item itself carries its menu handle as the id.
            if ((UINT_PTR)hSub == (UINT_PTR)nID)
                return FromHandlePermanent(hMenu);
            if (CMenu* p = FindPopupMenuFromID(hSub, nID))
                return p;
        }
        else if (::GetMenuItemID(hMenu, i) == nID)
        {
            return FromHandlePermanent(hMenu);
        }
    }
    return nullptr;
}
