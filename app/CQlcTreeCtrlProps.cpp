// The node tree's Properties command: the node's password when it is
// encrypted, the node properties sheet, and the node re-encoded as chosen.
#include "app/CQlcTreeCtrl.h"

#include "app/CChildFrame.h"
#include "app/CNodePropsSheet.h"
#include "app/CSetPasswordDlg.h"
#include "app/res/Resource.h"

#include "core/CCryptDLLHandler.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/AfxSecure.h"
#include "framework/docview/CWinApp.h"
#include "framework/ui/CWaitCursor.h"

void CQlcTreeCtrl::OnQlcPopupProperties()
{
    HTREEITEM hItem = TakeContextNodeItem(FALSE);
    if (hItem == nullptr)
        return;
    const DWORD dwNodeId = GetItemNodeId(hItem);
    CQlcNode node(m_pDoc, dwNodeId);

    CString strPassword;
    if (node.IsEncrypted())
    {
        if (node.HasPassword())
        {
            strPassword = node.GetPassword();
        }
        else
        {
            CCryptDLLHandler* pCrypt = QlcCrypt();
            if (pCrypt == nullptr || !pCrypt->CanUseCipher(node.GetCipherId(), node.GetKeyLength()))
            {
                AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_NODE_ENCRYPTION_UNAVAILABLE), AfxGetAppName(),
                                  MB_OK | MB_ICONEXCLAMATION);
                return;
            }
            CSetPasswordDlg dlg(this);
            dlg.m_nFlags = CSetPasswordDlg::modeEnter;
            dlg.m_pDoc = m_pDoc;
            dlg.m_dwNodeId = dwNodeId;
            if (dlg.DoModal() != IDOK)
                return;
            strPassword = dlg.m_strPassword;
        }
    }
    EditNodeProperties(dwNodeId, strPassword);
    AfxSecureWipe(strPassword);
}

BOOL CQlcTreeCtrl::EditNodeProperties(DWORD dwNodeId, LPCSTR lpszPassword)
{
    CNodePropsSheet sheet(IDS_NODE_PROPERTIES_CAPTION, this);
    sheet.m_pDoc = m_pDoc;
    sheet.m_dwNodeId = dwNodeId;
    sheet.m_strPassword = lpszPassword != nullptr ? lpszPassword : "";
    if (sheet.DoModal() != IDOK)
        return FALSE;
    if (!sheet.m_bCryptChanged)
        return TRUE;

    CChildFrame* pFrame = GetChildFrame();
    const BOOL bShown = pFrame != nullptr && pFrame->GetShownNodeId() == dwNodeId;
    BOOL bDone = FALSE;
    {
        CWaitCursor wait;
        CQlcNode node(m_pDoc, dwNodeId);
        bDone = node.SetEncryption(sheet.m_dwCipherId, sheet.m_dwKeyLength, sheet.m_dwHashId, sheet.m_strNewPassword,
                                   (DWORD)sheet.m_strNewPassword.GetLength(), sheet.m_strOldPassword,
                                   (DWORD)sheet.m_strOldPassword.GetLength());
        if (bDone && !bShown)
        {
            // Only the node on screen keeps its password; any other one asks
            // again when it is opened.
            node.SetPassword(FALSE, "");
        }
    }
    if (!bDone)
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_NODE_CRYPT_FAILED), AfxGetAppName(), MB_OK | MB_ICONWARNING);
        return TRUE;
    }

    // The lock overlay, and whatever lists the node's tasks.
    RefreshNodeItem(dwNodeId);
    if (pFrame != nullptr)
    {
        std::vector<DWORD> linked;
        {
            CQlcDocLock::CScoped lock(m_pDoc->GetLock());
            const CQlcTaskMap& tasks = m_pDoc->GetTaskTable(lock);
            for (POSITION pos = tasks.GetStartPosition(); pos != nullptr;)
            {
                DWORD dwTaskId = 0;
                QLCTASK task;
                tasks.GetNextAssoc(pos, dwTaskId, task);
                if ((task.dwFlags & QLC_TASKFLAG_LINKED) && task.dwLinkedNodeId == dwNodeId)
                    linked.push_back(dwTaskId);
            }
        }
        for (DWORD dwTaskId : linked)
            pFrame->UpdateTaskItem(dwTaskId);
    }
    return TRUE;
}
