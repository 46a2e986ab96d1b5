// State update of one user-interface item (menu item, toolbar button, status
// pane, control) for one command id. Bars derive their own kinds.
#pragma once

#include "framework/base/AfxDefs.h"

class CCmdTarget;

class CCmdUI
{
public:
    CCmdUI();
    virtual ~CCmdUI() {}

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);   // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Routes the update to pTarget; an item whose command has no handler is
    // disabled when bDisableIfNoHndler is set. TRUE when a handler ran.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    UINT m_nID;
    UINT m_nIndex;          // menu item or bar index
    UINT m_nIndexMax;
    HMENU m_hMenu;          // menu holding the item, or null
    HMENU m_hSubMenu;       // popup the item opens, or null
    HWND m_hWndOther;       // window holding the item (bar, control), or null
    BOOL m_bEnableChanged;
    BOOL m_bContinueRouting;
};
