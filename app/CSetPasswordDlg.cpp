#include "app/CSetPasswordDlg.h"

#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CCryptDLLHandler.h"
#include "core/CQlcNode.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/AfxSecure.h"
#include "framework/ui/AfxHooks.h"
#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(CSetPasswordDlg, CDialog)

CSetPasswordDlg::CSetPasswordDlg(CWnd* pParent)
    : CDialog(IDD_SET_PASSWORD, pParent), m_nFlags(0), m_pDoc(nullptr), m_dwNodeId(0), m_bFirstInUse(FALSE)
{
}

CSetPasswordDlg::~CSetPasswordDlg()
{
    AfxSecureWipe(m_strPassword);
    AfxSecureWipe(m_strNewPassword);
    AfxSecureWipe(m_strRetypePassword);
}

void CSetPasswordDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PASSWORD_LABEL1, m_wndLabel1);
    DDX_Control(pDX, IDC_PASSWORD_LABEL2, m_wndLabel2);
    DDX_Control(pDX, IDC_PASSWORD_LABEL3, m_wndLabel3);
    DDX_Control(pDX, IDC_PASSWORD_FIRST, m_wndEdit1);
    DDX_Control(pDX, IDC_PASSWORD_NEW, m_wndEdit2);
    DDX_Control(pDX, IDC_PASSWORD_RETYPE, m_wndEdit3);
    DDX_Text(pDX, IDC_PASSWORD_FIRST, m_strPassword);
    DDX_Text(pDX, IDC_PASSWORD_NEW, m_strNewPassword);
    DDX_Text(pDX, IDC_PASSWORD_RETYPE, m_strRetypePassword);
}

BOOL CSetPasswordDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bFirstInUse = (m_nFlags & (modeEnter | modeConfirm)) != 0;

    CString strText;
    if (m_nFlags & modeNew)
    {
        strText.LoadString(IDS_PASSWORD_TITLE_NEW);
        SetWindowText(strText);
        strText.LoadString(IDS_PASSWORD_LABEL_OLD);
        m_wndLabel1.SetWindowText(strText);
        m_wndEdit1.EnableWindow(m_bFirstInUse);
    }
    else if (m_bFirstInUse)
    {
        const BOOL bConfirm = (m_nFlags & modeConfirm) != 0;
        strText.LoadString(bConfirm ? IDS_PASSWORD_TITLE_CONFIRM : IDS_PASSWORD_TITLE_ENTER);
        SetWindowText(strText);
        strText.LoadString(bConfirm ? IDS_PASSWORD_LABEL_CONFIRM : IDS_PASSWORD_LABEL_ENTER);
        m_wndLabel1.SetWindowText(strText);
        m_wndLabel2.ShowWindow(SW_HIDE);
        m_wndLabel3.ShowWindow(SW_HIDE);
        m_wndEdit1.EnableWindow(TRUE);
        m_wndEdit2.EnableWindow(FALSE);
        m_wndEdit2.ShowWindow(SW_HIDE);
        m_wndEdit3.EnableWindow(FALSE);
        m_wndEdit3.ShowWindow(SW_HIDE);

        // One field: the buttons move up and the dialog gets shorter.
        const int ids[] = { IDOK, IDCANCEL };
        for (int nID : ids)
        {
            CWnd* pButton = GetDlgItem(nID);
            if (pButton == nullptr)
                continue;
            CRect rect;
            pButton->GetWindowRect(rect);
            ScreenToClient(rect);
            pButton->SetWindowPos(nullptr, rect.left, rect.top - kSingleFieldShrink, 0, 0,
                                  SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        CRect rectDlg;
        GetWindowRect(rectDlg);
        SetWindowPos(nullptr, 0, 0, rectDlg.Width(), rectDlg.Height() - kSingleFieldShrink,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

void CSetPasswordDlg::Refuse(UINT nIDPrompt, int nIDEdit, BOOL bSelectAll)
{
    CString strText, strCaption;
    strText.LoadString(nIDPrompt);
    strCaption.LoadString(IDS_PASSWORD_CAPTION);
    MessageBox(strText, strCaption, MB_OK | MB_ICONWARNING);
    CWnd* pEdit = GetDlgItem(nIDEdit);
    if (pEdit == nullptr)
        return;
    if (bSelectAll)
    {
        pEdit->SendMessage(EM_SETSEL, 0, -1);
        pEdit->SendMessage(EM_SCROLLCARET);
    }
    pEdit->SetFocus();
}

BOOL CSetPasswordDlg::AskNodePassword(CWnd* pParent, CQuillcrestDoc* pDoc, DWORD dwNodeId, CString& strPassword)
{
    CQlcNode node(pDoc, dwNodeId);
    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr || !pCrypt->CanUseCipher(node.GetCipherId(), node.GetKeyLength()))
    {
        AfxMessageBox(IDS_NODE_ENCRYPTION_UNAVAILABLE, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    CSetPasswordDlg dlg(pParent);
    dlg.m_nFlags = modeEnter;
    dlg.m_pDoc = pDoc;
    dlg.m_dwNodeId = dwNodeId;
    if (dlg.DoModal() != IDOK)
    {
        AfxMessageBox(IDS_ACCESS_DENIED, MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    strPassword = dlg.m_strPassword;
    return TRUE;
}

BOOL CSetPasswordDlg::CheckNodePassword(LPCSTR lpszPassword)
{
    CQlcNode node(m_pDoc, m_dwNodeId);
    return node.IsValid() && node.CheckPassword(lpszPassword);
}

void CSetPasswordDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;

    if ((m_nFlags & modeConfirm) && m_strPassword != m_strNewPassword)
    {
        Refuse(IDS_PASSWORD_RETYPE_MISMATCH, IDC_PASSWORD_FIRST, TRUE);
        return;
    }
    if ((m_nFlags & modeEnter) && m_pDoc != nullptr && m_dwNodeId != 0 && !CheckNodePassword(m_strPassword))
    {
        // A wrong password always costs a pause before the answer.
        AfxSleep(501);
        Refuse(IDS_PASSWORD_INCORRECT, IDC_PASSWORD_FIRST, TRUE);
        return;
    }
    if (m_nFlags & modeNew)
    {
        if (m_strNewPassword.IsEmpty())
        {
            Refuse(IDS_PASSWORD_NEW_EMPTY, IDC_PASSWORD_NEW, FALSE);
            return;
        }
        if (m_strNewPassword != m_strRetypePassword)
        {
            Refuse(IDS_PASSWORD_RETYPE_MISMATCH, IDC_PASSWORD_RETYPE, TRUE);
            return;
        }
    }
    EndDialog(IDOK);
}
