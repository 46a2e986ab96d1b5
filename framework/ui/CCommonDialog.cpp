#include "framework/ui/CCommonDialog.h"

#include "framework/ui/AfxHooks.h"

IMPLEMENT_DYNAMIC(CCommonDialog, CWnd)

INT_PTR CCommonDialog::AskHook()
{
    IAfxCommonDialogHook* pHook = AfxGetCommonDialogHook();
    return pHook ? pHook->OnCommonDialog(this) : -2;
}

HWND CCommonDialog::GetOwnerWindow() const
{
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->m_hWnd;
    CWnd* pMain = AfxGetMainWnd();
    return pMain ? pMain->m_hWnd : nullptr;
}
