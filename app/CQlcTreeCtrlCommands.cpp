// The node tree's commands for bookmarks and task links, and the notebook
// commands the tree passes on while it has the focus.
#include "app/CQlcTreeCtrl.h"

#include "app/CAddBookmarkDlg.h"
#include "app/CBookmarkTreeCtrl.h"
#include "app/CChildFrame.h"
#include "app/CTaskEditDlg.h"
#include "app/CTaskSelDlg.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CCmdUI.h"
#include "framework/docview/CWinApp.h"

HTREEITEM CQlcTreeCtrl::TakeContextNodeItem(BOOL bFoldersToo)
{
    HTREEITEM hItem = m_hContextItem != nullptr ? m_hContextItem : GetSelectedItem();
    m_hContextItem = nullptr;
    if (hItem == nullptr || IsPlaceholder(hItem))
        return nullptr;
    CQlcNode node(m_pDoc, GetItemNodeId(hItem));
    if (!node.IsValid() || (node.IsFolder() && !bFoldersToo))
        return nullptr;
    SelectItem(hItem);
    return hItem;
}

void CQlcTreeCtrl::OnQlcPopupAddToBookmarks()
{
    HTREEITEM hItem = TakeContextNodeItem(FALSE);
    if (hItem == nullptr)
        return;
    CAddBookmarkDlg dlg(this);
    dlg.m_strName = GetItemText(hItem);
    if (dlg.DoModal() != IDOK)
        return;
    QLCBOOKMARK bookmark;
    bookmark.dwBookmarkId = m_pDoc->Data_AddBookmark();
    bookmark.dwNodeId = GetItemNodeId(hItem);
    bookmark.strName = dlg.m_strName;
    m_pDoc->Data_SetBookmark(bookmark.dwBookmarkId, bookmark);
    if (m_pBookmarks != nullptr)
        m_pBookmarks->AddBookmarkItem(bookmark.dwBookmarkId);
}

void CQlcTreeCtrl::OnQlcPopupAddToNewTask()
{
    HTREEITEM hItem = TakeContextNodeItem(FALSE);
    if (hItem == nullptr)
        return;
    const DWORD dwNodeId = GetItemNodeId(hItem);
    CTaskEditDlg dlg(this);
    dlg.m_bEdit = FALSE;
    if (dlg.DoModal() != IDOK)
        return;
    QLCTASK task = dlg.m_task;
    task.dwTaskId = m_pDoc->Data_AddTask();
    task.dwFlags |= QLC_TASKFLAG_LINKED;
    task.dwLinkedNodeId = dwNodeId;
    m_pDoc->Data_SetTask(task.dwTaskId, task);
    if (CChildFrame* pFrame = GetChildFrame())
        pFrame->AddTaskItem(task.dwTaskId);
    RefreshNodeItem(dwNodeId);
}

void CQlcTreeCtrl::OnQlcPopupAddToExistingTask()
{
    HTREEITEM hItem = TakeContextNodeItem(FALSE);
    if (hItem == nullptr)
        return;
    const DWORD dwNodeId = GetItemNodeId(hItem);
    CTaskSelDlg dlg(this);
    dlg.m_pDoc = m_pDoc;
    QLCTASK task;
    if (dlg.DoModal() != IDOK || dlg.m_dwTaskId == CTaskSelDlg::kNoTask || !m_pDoc->Data_GetTask(dlg.m_dwTaskId, task))
        return;
    const BOOL bLinked = (task.dwFlags & QLC_TASKFLAG_LINKED) != 0;
    if (bLinked && task.dwLinkedNodeId == dwNodeId)
        return; // linked here already
    const DWORD dwOldNodeId = bLinked ? task.dwLinkedNodeId : 0;
    if (bLinked && AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_TASK_ALREADY_LINKED), AfxGetAppName(),
                                     MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    task.dwFlags |= QLC_TASKFLAG_LINKED;
    task.dwLinkedNodeId = dwNodeId;
    m_pDoc->Data_SetTask(task.dwTaskId, task);
    if (CChildFrame* pFrame = GetChildFrame())
        pFrame->UpdateTaskItem(task.dwTaskId);
    RefreshNodeItem(dwNodeId);
    // The node the task leaves keeps its mark only with another task.
    if (dwOldNodeId != 0)
        RefreshNodeItem(dwOldNodeId);
}

void CQlcTreeCtrl::OnQlcPopupRemoveTaskLink()
{
    // Any node may carry a link, a folder too (from an older file).
    HTREEITEM hItem = TakeContextNodeItem(TRUE);
    if (hItem == nullptr)
        return;
    const DWORD dwNodeId = GetItemNodeId(hItem);
    // Every task linked here lets go; their rows follow through the frame.
    m_pDoc->Data_RemoveNodeTasks(dwNodeId);
    RefreshNodeItem(dwNodeId);
}

void CQlcTreeCtrl::OnFileProperties()
{
    m_pDoc->OnFileProperties();
}

void CQlcTreeCtrl::OnUpdateEditCut(CCmdUI* pCmdUI)
{
    if (m_bLabelEditing && GetEditControl() != nullptr)
        pCmdUI->Enable(TRUE);
    else
        pCmdUI->ContinueRouting();
}

void CQlcTreeCtrl::OnEditCut()
{
    if (HWND hEdit = GetEditControl())
        ::SendMessageA(hEdit, WM_CUT, 0, 0);
}

BOOL CQlcTreeCtrl::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // Edit > Cut is the tree's only while a label is edited: otherwise
    // neither its handler nor its presence may stop the routing.
    if (nID == ID_EDIT_CUT && nCode == (int)CN_COMMAND && !(m_bLabelEditing && GetEditControl() != nullptr))
        return FALSE;
    return CTreeCtrl::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
