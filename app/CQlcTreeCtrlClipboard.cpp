// The node tree's clipboard: Cut, Copy and Paste of whole branches, within
// one notebook and between open notebooks. The clipboard itself belongs to
// the application object, one for every window.
#include "app/CQlcTreeCtrl.h"

#include "app/CBookmarkTreeCtrl.h"
#include "app/CChildFrame.h"
#include "app/CQlcApp.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/CWaitCursor.h"


BOOL CQlcTreeCtrl::IsNodeInBranch(const CQuillcrestDoc* pDoc, DWORD dwBranchId, DWORD dwNodeId)
{
    if (pDoc == nullptr)
        return FALSE;
    CQlcDocLock::CScoped lock(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(lock);
    // A damaged file may hold a parent loop: never more steps than nodes.
    INT_PTR nSteps = nodes.GetCount() + 1;
    DWORD dwId = dwNodeId;
    for (const QLCNODE* pNode = nodes.PLookup(dwId); pNode != nullptr && nSteps-- > 0; pNode = nodes.PLookup(dwId))
    {
        if (dwId == dwBranchId)
            return TRUE;
        if (pNode->dwParentId == 0 || pNode->dwParentId == dwId)
            return FALSE;
        dwId = pNode->dwParentId;
    }
    return FALSE;
}

void CQlcTreeCtrl::SetBranchCutLook(HTREEITEM hItem, BOOL bCut)
{
    if (hItem == nullptr || m_hWnd == nullptr)
        return;
    std::vector<HTREEITEM> pending(1, hItem);
    while (!pending.empty())
    {
        HTREEITEM h = pending.back();
        pending.pop_back();
        int nImage = 0, nSelected = 0;
        GetItemImage(h, nImage, nSelected);
        const BOOL bIsCut = nImage >= imageNote + imageCutOffset;
        if (bCut && !bIsCut && nImage >= imageNote)
            SetItemImage(h, nImage + imageCutOffset, nImage + imageCutOffset);
        else if (!bCut && bIsCut)
            SetItemImage(h, nImage - imageCutOffset, nImage - imageCutOffset);
        for (HTREEITEM hChild = GetChildItem(h); hChild != nullptr; hChild = GetNextSiblingItem(hChild))
            pending.push_back(hChild);
    }
}

void CQlcTreeCtrl::EmptyNodeClipboard()
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    QLCNODECLIPBOARD& clip = pApp->m_nodeClipboard;
    if (clip.bHasContent && clip.bCut && clip.pTree != nullptr)
    {
        CQlcTreeCtrl* pTree = clip.pTree;
        pTree->SetBranchCutLook(pTree->m_hCutItem, FALSE);
        pTree->m_hCutItem = nullptr;
    }
    clip = QLCNODECLIPBOARD();
}

void CQlcTreeCtrl::ReleaseClipboardBranch(DWORD dwNodeId)
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    const QLCNODECLIPBOARD& clip = pApp->m_nodeClipboard;
    if (clip.bHasContent && clip.pDocument == m_pDoc && IsNodeInBranch(m_pDoc, dwNodeId, clip.dwNodeId))
        EmptyNodeClipboard();
}

void CQlcTreeCtrl::PutOnClipboard(BOOL bCut)
{
    HTREEITEM hItem = m_hContextItem;
    m_hContextItem = nullptr;
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr || hItem == nullptr || IsPlaceholder(hItem))
        return;
    // An entry cut before shows its normal look again.
    EmptyNodeClipboard();
    QLCNODECLIPBOARD& clip = pApp->m_nodeClipboard;
    clip.bHasContent = TRUE;
    clip.pDocument = m_pDoc;
    clip.pTree = this;
    clip.dwNodeId = GetItemNodeId(hItem);
    clip.bCut = bCut;
    if (bCut)
    {
        m_hCutItem = hItem;
        SetBranchCutLook(hItem, TRUE);
    }
}

void CQlcTreeCtrl::OnQlcPopupCut()
{
    PutOnClipboard(TRUE);
}

void CQlcTreeCtrl::OnQlcPopupCopy()
{
    PutOnClipboard(FALSE);
}

DWORD CQlcTreeCtrl::CopyBranch(CQuillcrestDoc* pSource, DWORD dwSourceId, DWORD dwParentId,
                               std::vector<std::pair<DWORD, DWORD>>* pCopied, BOOL* pbComplete)
{
    std::vector<std::pair<DWORD, DWORD>> ids;
    const BOOL bComplete = pSource != nullptr && CQlcNode::CopyBranch(m_pDoc, dwParentId, pSource, dwSourceId, ids) &&
                           !ids.empty();
    if (pbComplete != nullptr)
        *pbComplete = bComplete;
    if (!bComplete)
        return 0;
    if (pCopied != nullptr)
        *pCopied = ids;
    return ids.front().second;
}

HTREEITEM CQlcTreeCtrl::InsertBranchItems(DWORD dwNodeId, HTREEITEM hParent)
{
    if (hParent == nullptr)
        hParent = TVI_ROOT;
    HTREEITEM hItem = InsertNodeItem(dwNodeId, hParent, GetSortedInsertAfter(hParent, dwNodeId));
    if (hItem == nullptr)
        return nullptr;
    if (CQlcNode(m_pDoc, dwNodeId).IsFolder())
    {
        FillChildren(dwNodeId, hItem, kPlaceholderId);
        if (GetChildItem(hItem) == nullptr)
            AddPlaceholder(hItem);
    }
    return hItem;
}

void CQlcTreeCtrl::OnQlcPopupPaste()
{
    g_log.WriteLine("OnQlcPopupPaste()");
    HTREEITEM hContext = m_hContextItem;
    m_hContextItem = nullptr;
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr || !pApp->m_nodeClipboard.bHasContent || pApp->m_nodeClipboard.pDocument == nullptr)
        return;
    const QLCNODECLIPBOARD clip = pApp->m_nodeClipboard;

    // Onto a node: beside it; onto a placeholder: into its folder.
    HTREEITEM hParent = hContext != nullptr ? GetParentItem(hContext) : nullptr;
    const DWORD dwParentId = GetItemNodeId(hParent);
    if (!CQlcNode(clip.pDocument, clip.dwNodeId).IsValid())
    {
        EmptyNodeClipboard();
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_PASTE_SOURCE_GONE), AfxGetAppName(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (clip.pDocument == m_pDoc && dwParentId != 0 && IsNodeInBranch(m_pDoc, clip.dwNodeId, dwParentId))
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_PASTE_INTO_OWN_BRANCH), AfxGetAppName(),
                          MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    // A note of the branch open in its window is copied as it stands there.
    if (CChildFrame* pSourceFrame = clip.pTree != nullptr ? clip.pTree->GetChildFrame() : nullptr)
    {
        if (IsNodeInBranch(clip.pDocument, clip.dwNodeId, pSourceFrame->GetShownNodeId()))
            pSourceFrame->SaveCurrentNote();
    }

    CWaitCursor wait;
    std::vector<std::pair<DWORD, DWORD>> copied;
    BOOL bComplete = FALSE;
    const DWORD dwNewId = CopyBranch(clip.pDocument, clip.dwNodeId, dwParentId, &copied, &bComplete);
    if (!bComplete)
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(clip.bCut ? IDS_PASTE_INCOMPLETE_CUT : IDS_PASTE_INCOMPLETE),
                          AfxGetAppName(), MB_OK | MB_ICONEXCLAMATION);
    }
    if (dwNewId == 0)
        return;

    const BOOL bMove = clip.bCut && bComplete;
    // Within one notebook a cut and paste moves the branch: its bookmarks
    // and task links go with it to the new ids.
    if (bMove && clip.pDocument == m_pDoc)
    {
        for (const auto& ids : copied)
            m_pDoc->Data_RelinkNode(ids.first, ids.second);
    }
    HTREEITEM hNew = InsertBranchItems(dwNewId, hParent);
    if (hParent != nullptr && hNew != nullptr)
    {
        // Expanding from here sends no notification: the open folder's
        // picture is set here.
        Expand(hParent, TVE_EXPAND);
        int nImage = 0, nSelected = 0;
        GetItemImage(hParent, nImage, nSelected);
        if (nImage == imageFolder)
            SetItemImage(hParent, imageFolderOpen, imageFolderOpen);
        EnsureVisible(hNew);
    }
    m_pDoc->SetModified(TRUE);
    if (!bMove)
        return; // a copy stays on the clipboard for the next paste

    // The cut branch leaves its notebook when the entry is still the one cut.
    CQlcTreeCtrl* pCutTree = clip.pTree;
    const QLCNODECLIPBOARD& now = pApp->m_nodeClipboard;
    if (now.bHasContent && now.bCut && now.dwNodeId == clip.dwNodeId && now.pDocument == clip.pDocument)
    {
        if (pCutTree != nullptr && pCutTree->m_hWnd != nullptr && pCutTree->m_pDoc == clip.pDocument)
        {
            HTREEITEM hCut = pCutTree->m_hCutItem;
            if (hCut == nullptr || pCutTree->GetItemNodeId(hCut) != clip.dwNodeId)
                hCut = pCutTree->FindNodeItem(clip.dwNodeId);
            if (hCut != nullptr)
                pCutTree->DeleteBranch(hCut);
            else
            {
                clip.pDocument->Data_DeleteNode(clip.dwNodeId);
                pCutTree->RefreshTree(TRUE);
            }
        }
        else
        {
            clip.pDocument->Data_DeleteNode(clip.dwNodeId);
        }
    }
    EmptyNodeClipboard();
    if (pCutTree != nullptr && pCutTree->m_pBookmarks != nullptr)
        pCutTree->m_pBookmarks->RefreshBookmarks();
    if (pCutTree != this && m_pBookmarks != nullptr && clip.pDocument == m_pDoc)
        m_pBookmarks->RefreshBookmarks();
}
