#include "framework/ui/CDialog.h"

#include "framework/ui/AfxHooks.h"
#include "framework/docview/CWinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    CDialog* pDlg = pWnd ? DYNAMIC_DOWNCAST(CDialog, pWnd) : nullptr;
    if (pDlg == nullptr)
        return TRUE;
    try
    {
        const BOOL bResult = pDlg->OnInitDialog();
        if (IAfxDialogHook* pHook = AfxGetDialogHook())
        {
            // The dialog may have closed itself in OnInitDialog.
            if (::IsWindow(hWnd) && pDlg->m_hWnd == hWnd)
                pHook->OnInitDialog(pDlg);
        }
        return bResult;
    }
    catch (...)
    {
        TRACE("Exception in OnInitDialog; the dialog ends.\n");
        if (pDlg->m_bModal)
            pDlg->EndModalLoop(-1);
        else
            ::EndDialog(hWnd, -1);
        return FALSE;
    }
}

CDialog::CDialog()
    : m_nIDHelp(0), m_lpszTemplateName(nullptr), m_pParentWnd(nullptr), m_bModal(FALSE)
{
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog()
{
    m_nIDHelp = nIDTemplate;
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    m_pParentWnd = pParentWnd;
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd) : CDialog()
{
    m_lpszTemplateName = lpszTemplateName;
    m_pParentWnd = pParentWnd;
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

const DLGTEMPLATE* CDialog::LoadTemplate(HINSTANCE& hInst) const
{
    hInst = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInst, m_lpszTemplateName, (LPCSTR)RT_DIALOG);
    if (hResource == nullptr)
    {
        hInst = ::GetModuleHandleA(nullptr);
        hResource = ::FindResourceA(hInst, m_lpszTemplateName, (LPCSTR)RT_DIALOG);
    }
    if (hResource == nullptr)
        return nullptr;
    HGLOBAL hTemplate = ::LoadResource(hInst, hResource);
    return hTemplate ? (const DLGTEMPLATE*)::LockResource(hTemplate) : nullptr;
}

HWND CDialog::GetModalOwner() const
{
    return GetModalOwnerOf(m_pParentWnd);
}

HWND PASCAL CDialog::GetModalOwnerOf(CWnd* pParentWnd)
{
    HWND hWnd = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    if (hWnd == nullptr)
    {
        CWnd* pMain = AfxGetMainWnd();
        hWnd = pMain ? pMain->GetSafeHwnd() : ::GetActiveWindow();
    }
    // A popup cannot be owned by a child window.
    while (hWnd != nullptr && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    HINSTANCE hInst = nullptr;
    const DLGTEMPLATE* pTemplate = LoadTemplate(hInst);
    if (pTemplate == nullptr)
        return FALSE;
    m_bModal = FALSE;
    HWND hWndParent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : GetModalOwner();
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamA(hInst, pTemplate, hWndParent, &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    return hWnd != nullptr;
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInst = nullptr;
    const DLGTEMPLATE* pTemplate = LoadTemplate(hInst);
    if (pTemplate == nullptr)
        return -1;

    HWND hWndParent = GetModalOwner();
    BOOL bEnableParent = FALSE;
    if (hWndParent != nullptr && ::IsWindowEnabled(hWndParent))
    {
        ::EnableWindow(hWndParent, FALSE);
        bEnableParent = TRUE;
    }

    m_nModalResult = -1;
    m_bModal = TRUE;
    m_bContinueModal = TRUE;
    try
    {
        AfxHookWindowCreate(this);
        HWND hWnd = ::CreateDialogIndirectParamA(hInst, pTemplate, hWndParent, &AfxDlgProc, 0);
        AfxUnhookWindowCreate();
        if (hWnd != nullptr)
        {
            if (m_bContinueModal)
                RunModalLoop(MLF_SHOWONIDLE);
            if (m_hWnd != nullptr)
                SetWindowPos(nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    }
    catch (...)
    {
        m_nModalResult = -1;
    }
    if (bEnableParent)
        ::EnableWindow(hWndParent, TRUE);
    if (hWndParent != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndParent);
    DestroyWindow();
    m_bModal = FALSE;
    m_bContinueModal = FALSE;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        EndModalLoop(nResult);
    else if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE))
    {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if ((pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) &&
        (pMsg->message < WM_MOUSEFIRST || pMsg->message > WM_MOUSELAST))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // Menu-style commands not handled here go to the thread last.
    if ((nCode != (int)CN_COMMAND && nCode != (int)CN_UPDATE_COMMAND_UI) || nID >= 0xF000)
        return FALSE;
    CWinThread* pThread = AfxGetThread();
    return pThread != nullptr && pThread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
