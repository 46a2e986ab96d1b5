#include "app/CQlcPrompts.h"

#include "app/CSetPasswordDlg.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CUiChannel.h"

int CQlcPrompts::MessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    return AfxShowMessageBox(hOwner, lpszText, lpszCaption, nType);
}

int CQlcPrompts::FrameworkMessageBox(LPCSTR lpszText, UINT nType)
{
    return AfxMessageBox(lpszText, nType);
}

BOOL CQlcPrompts::AskPassword(CString& strPassword)
{
    // A worker's request is asked by the interface thread, which owns the
    // main window the dialog belongs to.
    if (!CUiChannel::IsUiThread())
        return CUiChannel::Call([&]() { return AskPassword(strPassword); });
    CSetPasswordDlg dlg(AfxGetMainWnd());
    dlg.m_nFlags = CSetPasswordDlg::modeEnter;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    strPassword = dlg.m_strPassword;
    return TRUE;
}

BOOL CQlcPrompts::UnlockNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, CString& strPassword)
{
    if (!CUiChannel::IsUiThread())
        return CUiChannel::Call([&]() { return UnlockNode(pDoc, dwNodeId, strPassword); });
    return CSetPasswordDlg::AskNodePassword(AfxGetMainWnd(), pDoc, dwNodeId, strPassword);
}
