#include "framework/base/CCmdUI.h"

#include "framework/base/CCmdTarget.h"

CCmdUI::CCmdUI()
    : m_nID(0), m_nIndex(0), m_nIndexMax(0), m_hMenu(nullptr), m_hSubMenu(nullptr),
      m_hWndOther(nullptr), m_bEnableChanged(FALSE), m_bContinueRouting(FALSE)
{
}

void CCmdUI::Enable(BOOL bOn)
{
    if (m_hMenu != nullptr)
    {
        if (m_hSubMenu != nullptr)
            return; // popups stay enabled
        EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    }
    else if (m_hWndOther != nullptr)
    {
        // Keep the focus from landing on a disabled control.
        if (!bOn && GetFocus() == m_hWndOther)
        {
            HWND hParent = GetParent(m_hWndOther);
            if (hParent != nullptr)
                SendMessageA(hParent, WM_NEXTDLGCTL, 0, FALSE);
        }
        EnableWindow(m_hWndOther, bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_hMenu != nullptr)
    {
        if (m_hSubMenu != nullptr)
            return;
        CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }
    else if (m_hWndOther != nullptr)
    {
        if (SendMessageA(m_hWndOther, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
            SendMessageA(m_hWndOther, BM_SETCHECK, (WPARAM)nCheck, 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn)
{
    if (m_hMenu != nullptr && m_hSubMenu == nullptr)
    {
        if (bOn)
            CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
        else
            CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
        return;
    }
    SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(LPCSTR lpszText)
{
    if (m_hMenu != nullptr)
    {
        if (m_hSubMenu != nullptr)
            return;
        const UINT nState = GetMenuState(m_hMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        ModifyMenuA(m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | nState, m_nID, lpszText);
    }
    else if (m_hWndOther != nullptr)
    {
        SetWindowTextA(m_hWndOther, lpszText);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF)
        return TRUE; // separators and popups are not updated

    m_bEnableChanged = FALSE;
    const BOOL bResult = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
    // An update handler that only checks leaves the enabling to the command
    // handler's presence: the item must not keep the grey state of an
    // earlier update made while another target had the commands.
    if (bDisableIfNoHndler && !m_bEnableChanged)
    {
        AFX_CMDHANDLERINFO info = { nullptr, nullptr };
        const BOOL bHandler = pTarget->OnCmdMsg(m_nID, (int)CN_COMMAND, this, &info);
        Enable(bHandler);
    }
    return bResult;
}
