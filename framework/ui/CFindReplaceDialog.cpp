#include "framework/ui/CFindReplaceDialog.h"

IMPLEMENT_DYNAMIC(CFindReplaceDialog, CCommonDialog)

UINT AFXAPI AfxGetFindReplaceMessage()
{
    static const UINT s_nMsg = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return s_nMsg;
}

CFindReplaceDialog::CFindReplaceDialog() : CCommonDialog(nullptr), m_fr(), m_szFindWhat(), m_szReplaceWith()
{
    m_fr.lStructSize = sizeof(m_fr);
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = (WORD)sizeof(m_szFindWhat);
    m_fr.lpstrReplaceWith = m_szReplaceWith;
    m_fr.wReplaceWithLen = (WORD)sizeof(m_szReplaceWith);
    m_fr.lCustData = (LPARAM)this;
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith, DWORD dwFlags,
                                CWnd* pParentWnd)
{
    AfxGetFindReplaceMessage();
    m_pParentWnd = pParentWnd;
    m_fr.Flags = dwFlags;
    m_fr.hwndOwner = GetOwnerWindow();
    if (lpszFindWhat != nullptr)
        lstrcpynA(m_szFindWhat, lpszFindWhat, (int)sizeof(m_szFindWhat));
    if (lpszReplaceWith != nullptr)
        lstrcpynA(m_szReplaceWith, lpszReplaceWith, (int)sizeof(m_szReplaceWith));
    if (m_fr.hwndOwner == nullptr)
        return FALSE;
    // The dialog window is ours from its first message on.
    AfxHookWindowCreate(this);
    HWND hWnd = bFindDialogOnly ? ::FindTextA(&m_fr) : ::ReplaceTextA(&m_fr);
    if (!AfxUnhookWindowCreate())
        return FALSE;
    return hWnd != nullptr;
}

CFindReplaceDialog* PASCAL CFindReplaceDialog::GetNotifier(LPARAM lParam)
{
    FINDREPLACEA* pfr = (FINDREPLACEA*)lParam;
    return pfr ? reinterpret_cast<CFindReplaceDialog*>(pfr->lCustData) : nullptr;
}

BOOL CFindReplaceDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || m_hWnd == nullptr)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

void CFindReplaceDialog::PostNcDestroy()
{
    delete this;
}
