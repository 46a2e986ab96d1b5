#include "app/CQlcTreeCtrl.h"

#include "app/CBookmarkTreeCtrl.h"
#include "app/CChildFrame.h"
#include "app/CFormatBar.h"
#include "app/CQlcApp.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/CWaitCursor.h"

#include <algorithm>
#include <climits>
#include <mbstring.h>

IMPLEMENT_DYNAMIC(CQlcTreeCtrl, CTreeCtrl)


BEGIN_MESSAGE_MAP(CQlcTreeCtrl, CTreeCtrl)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONUP()
    ON_WM_RBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_CAPTURECHANGED()
    ON_WM_DROPFILES()
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(TVN_BEGINDRAGA, OnBeginDrag)
    ON_NOTIFY_REFLECT(TVN_BEGINRDRAGA, OnBeginRDrag)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
    ON_COMMAND(ID_QLCDRAG_MOVEHERE, OnQlcDragMoveHere)
    ON_COMMAND(ID_QLCDRAG_COPYHERE, OnQlcDragCopyHere)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_CHAR()
    ON_WM_GETDLGCODE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDITA, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDITA, OnEndLabelEdit)
    ON_NOTIFY_REFLECT(TVN_SELCHANGINGA, OnSelChanging)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDINGA, OnItemExpanding)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_WM_CONTEXTMENU()
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_NOTIFY_REFLECT(TVN_DELETEITEMA, OnDeleteItem)
    ON_COMMAND(ID_QLCPOPUP_NEWNOTE, OnQlcPopupNewNote)
    ON_COMMAND(ID_QLCPOPUP_NEWFOLDER, OnQlcPopupNewFolder)
    ON_COMMAND(ID_QLCPOPUP_RENAME, OnQlcPopupRename)
    ON_COMMAND(ID_QLCPOPUP_DELETE, OnQlcPopupDelete)
    ON_COMMAND(ID_QLCPOPUP_PROPERTIES, OnQlcPopupProperties)
    ON_COMMAND(ID_QLCPOPUP_IMPORTNOTES, OnQlcPopupImportNotes)
    ON_COMMAND(ID_QLCPOPUP_IMPORTIMAGES, OnQlcPopupImportImages)
    ON_COMMAND(ID_QLCPOPUP_IMPORTFOREIGNDATA, OnQlcPopupImportForeignData)
    ON_COMMAND(ID_QLCPOPUP_IMPORTHTML, OnQlcPopupImportHtml)
    ON_COMMAND(ID_QLCPOPUP_EXPORT, OnQlcPopupExport)
    ON_COMMAND(ID_QLCPOPUP_CUT, OnQlcPopupCut)
    ON_COMMAND(ID_QLCPOPUP_COPY, OnQlcPopupCopy)
    ON_COMMAND(ID_QLCPOPUP_PASTE, OnQlcPopupPaste)
    ON_COMMAND(ID_QLCPOPUP_ADDTOBOOKMARKS, OnQlcPopupAddToBookmarks)
    ON_COMMAND(ID_QLCPOPUP_ADDTONEWTASK, OnQlcPopupAddToNewTask)
    ON_COMMAND(ID_QLCPOPUP_ADDTOEXISTINGTASK, OnQlcPopupAddToExistingTask)
    ON_COMMAND(ID_QLCPOPUP_REMOVETASKLINK, OnQlcPopupRemoveTaskLink)
    ON_COMMAND(ID_FILE_PROPERTIES, OnFileProperties)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
END_MESSAGE_MAP()

namespace {

CQlcApp* App()
{
    return QlcGetApp();
}

} // namespace

CQlcTreeCtrl::CQlcTreeCtrl(CQuillcrestDoc* pDoc)
    : m_pBookmarks(nullptr), m_bLabelEditing(FALSE), m_bSingleClick(FALSE), m_hCutItem(nullptr), m_pDoc(pDoc),
      m_bLabelEditBlocked(FALSE), m_bKeyPressed(FALSE), m_hPressedItem(nullptr), m_hShownItem(nullptr),
      m_hContextItem(nullptr), m_pContextMenu(nullptr), m_dropTarget(this), m_bContextMenuAllowed(FALSE),
      m_bSkipNextDrag(FALSE), m_bDragging(FALSE), m_bFocusJustSet(FALSE), m_bOverTree(FALSE), m_bPopupUp(FALSE),
      m_bRightDrag(FALSE), m_bRightPressRecorded(FALSE), m_ptRightPress(0, 0), m_nHoverTime(0),
      m_hDraggedItem(nullptr), m_hDropTargetItem(nullptr), m_nTimerId(0), m_nDragTicks(0)
{
}

CChildFrame* CQlcTreeCtrl::GetChildFrame() const
{
    CFrameWnd* pFrame = GetParentFrame();
    return pFrame ? DYNAMIC_DOWNCAST(CChildFrame, pFrame) : nullptr;
}

int CQlcTreeCtrl::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CTreeCtrl::OnCreate(lpcs) == -1)
        return -1;
    ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS |
                       WS_VSCROLL | WS_CLIPSIBLINGS);
    // The control shows its scroll bar itself once there is something to
    // scroll; one put there by the style alone it would never take away.
    ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    // Files from the shell come by OLE drag and drop, or as WM_DROPFILES
    // where OLE is not there.
    m_dropTarget.Register(this);
    DragAcceptFiles(TRUE);
    if (CQlcApp* pApp = App())
    {
        SetImageList(pApp->m_treeImages.GetSafeHandle(), TVSIL_NORMAL);
        SetSingleClick(pApp->m_settings.m_nSingleClick != 0);
    }
    return 0;
}

void CQlcTreeCtrl::OnDestroy()
{
    if (m_bDragging)
        CancelDragging();
    m_dropTarget.Revoke();
    // A clipboard entry never points at a tree that is gone.
    if (CQlcApp* pApp = QlcGetApp())
    {
        if (pApp->m_nodeClipboard.pTree == this)
            pApp->m_nodeClipboard = QLCNODECLIPBOARD();
    }
    m_hCutItem = nullptr;
    CTreeCtrl::OnDestroy();
}

void CQlcTreeCtrl::SetSingleClick(BOOL bSingleClick)
{
    m_bSingleClick = bSingleClick;
    if (m_hWnd != nullptr)
    {
        if (bSingleClick)
            ModifyStyle(0, TVS_TRACKSELECT | TVS_SINGLEEXPAND);
        else
            ModifyStyle(TVS_TRACKSELECT | TVS_SINGLEEXPAND, 0);
    }
    m_bLabelEditBlocked = FALSE;
    m_bKeyPressed = FALSE;
    m_hPressedItem = nullptr;
    m_bContextMenuAllowed = m_bSkipNextDrag = m_bFocusJustSet = m_bOverTree = m_bPopupUp = FALSE;
    m_bRightDrag = m_bRightPressRecorded = FALSE;
    m_hDraggedItem = m_hDropTargetItem = nullptr;
}

// ---------------------------------------------------------------------------
// Filling

BOOL CQlcTreeCtrl::IsPlaceholder(HTREEITEM hItem) const
{
    return hItem != nullptr && (DWORD)GetItemData(hItem) == kPlaceholderId;
}

HTREEITEM CQlcTreeCtrl::AddPlaceholder(HTREEITEM hParent)
{
    if (hParent == nullptr || hParent == TVI_ROOT)
        return nullptr; // the top level never shows "(empty)"
    TVINSERTSTRUCTA tvis = {};
    tvis.hParent = hParent;
    tvis.hInsertAfter = TVI_LAST;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    CString strText;
    strText.LoadString(IDS_TREE_EMPTY);
    tvis.item.pszText = const_cast<LPSTR>((LPCSTR)strText);
    tvis.item.iImage = tvis.item.iSelectedImage = imagePlaceholder;
    tvis.item.lParam = (LPARAM)kPlaceholderId;
    return InsertItem(&tvis);
}

int CQlcTreeCtrl::LeadingNumber(LPCSTR lpszName)
{
    if (lpszName == nullptr)
        return 0;
    const unsigned char* p = (const unsigned char*)lpszName;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f')
        p++;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
    {
        bNegative = *p == '-';
        p++;
    }
    long long n = 0;
    for (; *p >= '0' && *p <= '9'; p++)
    {
        n = n * 10 + (*p - '0');
        if (n > (long long)INT_MAX + 1)
            n = (long long)INT_MAX + 1; // clamped; more digits change nothing
    }
    if (bNegative)
        n = -n;
    if (n > INT_MAX)
        return INT_MAX;
    if (n < INT_MIN)
        return INT_MIN;
    return (int)n;
}

int CQlcTreeCtrl::CompareRecords(const QLCNODE& node1, int nNumber1, const QLCNODE& node2, int nNumber2, WORD wOrder,
                                 WORD wFolders)
{
    if (node1.nType != node2.nType && wFolders != 2)
    {
        const int nFirst = wFolders == 1 ? 1 : -1;
        if (CQlcNode::IsFolderType(node1.nType))
            return nFirst;
        if (CQlcNode::IsFolderType(node2.nType))
            return -nFirst;
    }
    // Numbers first by value (ascending whatever the order), compared,
    // never subtracted: large numbers must not overflow.
    if ((wOrder & 2) && nNumber1 != nNumber2 && nNumber1 != 0 && nNumber2 != 0)
        return nNumber1 < nNumber2 ? -1 : 1;
    const int nResult = _mbsicmp((const unsigned char*)(LPCSTR)node1.strName, (const unsigned char*)(LPCSTR)node2.strName);
    return (wOrder & 1) ? -nResult : nResult;
}

int CQlcTreeCtrl::CompareNodes(DWORD dwId1, DWORD dwId2) const
{
    // The placeholder always comes last.
    if (dwId1 == kPlaceholderId)
        return 1;
    if (dwId2 == kPlaceholderId)
        return -1;
    // A stale id compares as a nameless node of no type.
    static const QLCNODE s_missing = [] {
        QLCNODE node;
        node.nType = 255;
        return node;
    }();
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    const CQlcNodeMap& nodes = m_pDoc->GetNodeTable(lock);
    const QLCNODE* p1 = nodes.PLookup(dwId1);
    const QLCNODE* p2 = nodes.PLookup(dwId2);
    const QLCNODE& node1 = p1 ? *p1 : s_missing;
    const QLCNODE& node2 = p2 ? *p2 : s_missing;
    WORD wOrder = 0, wFolders = 0;
    m_pDoc->GetSortOptions(wOrder, wFolders);
    const bool bNumbers = (wOrder & 2) != 0;
    return CompareRecords(node1, bNumbers ? LeadingNumber(node1.strName) : 0, node2,
                          bNumbers ? LeadingNumber(node2.strName) : 0, wOrder, wFolders);
}

int CALLBACK CQlcTreeCtrl::CompareNodesProc(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    try
    {
        const CQlcTreeCtrl* pTree = reinterpret_cast<const CQlcTreeCtrl*>(lParamSort);
        return pTree ? pTree->CompareNodes((DWORD)lParam1, (DWORD)lParam2) : 0;
    }
    catch (...)
    {
        return 0;
    }
}

HTREEITEM CQlcTreeCtrl::GetSortedInsertAfter(HTREEITEM hParent, DWORD dwNodeId) const
{
    HTREEITEM hAfter = TVI_FIRST;
    for (HTREEITEM hChild = GetChildItem(hParent == TVI_ROOT ? nullptr : hParent); hChild != nullptr;
         hChild = GetNextSiblingItem(hChild))
    {
        if (CompareNodes(dwNodeId, (DWORD)GetItemData(hChild)) < 0)
            break;
        hAfter = hChild;
    }
    return hAfter;
}

HTREEITEM CQlcTreeCtrl::InsertNodeItem(DWORD dwNodeId, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    CQlcNode node(m_pDoc, dwNodeId);
    if (!node.IsValid())
        return nullptr;
    TVINSERTSTRUCTA tvis = {};
    node.GetInsertStruct(tvis);
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;

    // A folder's placeholder becomes the new child.
    HTREEITEM hFirst = (hParent != nullptr && hParent != TVI_ROOT) ? GetChildItem(hParent) : nullptr;
    if (hFirst != nullptr && IsPlaceholder(hFirst))
    {
        tvis.item.hItem = hFirst;
        tvis.item.mask |= TVIF_HANDLE;
        SetItem(&tvis.item);
        SetItemState(hFirst, 0, TVIS_BOLD);
        m_nodeItems[dwNodeId] = hFirst;
        return hFirst;
    }
    HTREEITEM hItem = InsertItem(&tvis);
    if (hItem != nullptr)
        m_nodeItems[dwNodeId] = hItem;
    return hItem;
}

void CQlcTreeCtrl::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTREEVIEWA* pInfo = (const NMTREEVIEWA*)pNMHDR;
    auto found = m_nodeItems.find((DWORD)pInfo->itemOld.lParam);
    if (found != m_nodeItems.end() && found->second == pInfo->itemOld.hItem)
        m_nodeItems.erase(found);
    *pResult = 0;
}

void CQlcTreeCtrl::RecordExpanded(std::vector<DWORD>& expanded) const
{
    // Only folders open: the index leads to their items without walking the
    // tree.
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    const CQlcNodeMap& nodes = m_pDoc->GetNodeTable(lock);
    for (const auto& entry : m_nodeItems)
    {
        const QLCNODE* pNode = nodes.PLookup(entry.first);
        if (pNode == nullptr || !CQlcNode::IsFolderType(pNode->nType))
            continue;
        if (GetItemState(entry.second, TVIS_EXPANDED) & TVIS_EXPANDED)
            expanded.push_back(entry.first);
    }
}

void CQlcTreeCtrl::RefreshTree(BOOL bKeepExpanded)
{
    if (m_hWnd == nullptr || m_pDoc == nullptr)
        return;
    const BOOL bWasVisible = RedrawOff();
    const DWORD dwShownId = m_hShownItem ? (DWORD)GetItemData(m_hShownItem) : kPlaceholderId;
    std::vector<DWORD> expanded;
    if (bKeepExpanded)
        RecordExpanded(expanded);

    // No handle of the old items survives the rebuild.
    m_hShownItem = m_hContextItem = m_hPressedItem = m_hCutItem = nullptr;
    m_nodeItems.clear();
    DeleteAllItems();
    FillChildren(0, TVI_ROOT, dwShownId);
    for (DWORD dwId : expanded)
    {
        if (HTREEITEM h = FindNodeItem(dwId))
        {
            Expand(h, TVE_EXPAND);
            SetItemImage(h, imageFolderOpen, imageFolderOpen);
        }
    }
    RedrawOn(bWasVisible);
}

// ---------------------------------------------------------------------------
// Marks

int CQlcTreeCtrl::GetRestingOverlay(DWORD dwNodeId) const
{
    CQlcNode node(m_pDoc, dwNodeId);
    if (!node.IsValid())
        return 0;
    if (node.IsEncrypted())
        return overlayEncrypted;
    if (node.HasTask())
        return overlayTask;
    return 0;
}

void CQlcTreeCtrl::SetItemOverlay(HTREEITEM hItem, int nOverlay, BOOL bBold)
{
    SetItemState(hItem, INDEXTOOVERLAYMASK(nOverlay) | (bBold ? TVIS_BOLD : 0), TVIS_OVERLAYMASK | TVIS_BOLD);
}

void CQlcTreeCtrl::MarkShownItem(HTREEITEM hItem)
{
    if (hItem == nullptr)
        return;
    SetItemOverlay(hItem, overlayShown, TRUE);
    for (HTREEITEM h = GetParentItem(hItem); h != nullptr; h = GetParentItem(h))
        SetItemOverlay(h, overlayShownPath, TRUE);
}

void CQlcTreeCtrl::UnmarkShownItem(HTREEITEM hItem)
{
    if (hItem == nullptr)
        return;
    SetItemOverlay(hItem, GetRestingOverlay((DWORD)GetItemData(hItem)), FALSE);
    for (HTREEITEM h = GetParentItem(hItem); h != nullptr; h = GetParentItem(h))
        SetItemOverlay(h, 0, FALSE);
}

void CQlcTreeCtrl::SyncShownItem(HTREEITEM hPrevious)
{
    CChildFrame* pFrame = GetChildFrame();
    const DWORD dwShownId = pFrame ? pFrame->GetShownNodeId() : kPlaceholderId;
    HTREEITEM hShown = nullptr;
    if (dwShownId != kPlaceholderId)
    {
        // The item asked for when it is the one shown, else a search.
        if (m_hShownItem != nullptr && (DWORD)GetItemData(m_hShownItem) == dwShownId)
            hShown = m_hShownItem;
        else
            hShown = FindNodeItem(dwShownId);
    }
    m_hShownItem = hShown;
    if (hPrevious != nullptr && hPrevious != hShown)
    {
        UnmarkShownItem(hPrevious);
        if (pFrame != nullptr)
            pFrame->SetNodeTitle(kPlaceholderId);
    }
    if (hShown != nullptr && hShown != hPrevious)
    {
        MarkShownItem(hShown);
        if (pFrame != nullptr)
            pFrame->SetNodeTitle(dwShownId);
    }
}

// ---------------------------------------------------------------------------
// Finding and opening

HTREEITEM CQlcTreeCtrl::FindNodeItem(DWORD dwNodeId, HTREEITEM hBelow) const
{
    // A node has one item at most, so the index answers what a depth-first
    // search would find.
    auto found = m_nodeItems.find(dwNodeId);
    if (found == m_nodeItems.end())
        return nullptr;
    const HTREEITEM hItem = found->second;
    if (hBelow == TVI_ROOT || hBelow == nullptr)
        return hItem;
    for (HTREEITEM h = GetParentItem(hItem); h != nullptr; h = GetParentItem(h))
    {
        if (h == hBelow)
            return hItem;
    }
    return nullptr;
}

void CQlcTreeCtrl::SelectNodeItem(HTREEITEM hItem)
{
    CChildFrame* pFrame = GetChildFrame();
    if (pFrame == nullptr)
        return;
    if (hItem != nullptr && IsPlaceholder(hItem))
        return;

    const HTREEITEM hPrevious = m_hShownItem;
    if (hItem == nullptr)
    {
        if (!pFrame->DisplayNode(FALSE, kPlaceholderId))
            return;
        SyncShownItem(hPrevious);
        return;
    }

    const DWORD dwId = (DWORD)GetItemData(hItem);
    CQlcNode node(m_pDoc, dwId);
    if (hItem != m_hShownItem)
    {
        if (node.HasDataType())
        {
            m_hShownItem = hItem;
            pFrame->DisplayNode(TRUE, dwId);
        }
        else if (!node.IsFolder())
        {
            // A stale item or a node of no known type: the blank pane.
            pFrame->DisplayNode(FALSE, kPlaceholderId);
        }
    }
    if (node.IsFolder())
    {
        Expand(hItem, TVE_TOGGLE);
        const BOOL bExpanded = (GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
        const int nImage = bExpanded ? imageFolderOpen : imageFolder;
        SetItemImage(hItem, nImage, nImage);
    }
    // Whatever happened (opened, refused, failed), the marks follow the frame.
    SyncShownItem(hPrevious);
}

void CQlcTreeCtrl::ShowBookmarkItem(DWORD dwNodeId)
{
    HTREEITEM hItem = FindNodeItem(dwNodeId);
    if (hItem == nullptr)
    {
        g_log.WriteLine("CQlcTreeCtrl::ShowBookmarkItem - failed to activate bookmark.");
        return;
    }
    EnsureVisible(hItem);
    SelectItem(hItem);
    SelectNodeItem(hItem);
}

BOOL CQlcTreeCtrl::RedrawOff()
{
    const BOOL bWasVisible = (GetStyle() & WS_VISIBLE) != 0;
    SetRedraw(FALSE);
    ::DefWindowProcA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    return bWasVisible;
}

void CQlcTreeCtrl::RedrawOn(BOOL bWasVisible)
{
    if (bWasVisible)
        ::DefWindowProcA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    SetRedraw(TRUE);
    Invalidate();
}

void CQlcTreeCtrl::ExpandFolders(UINT nCode, int nImage)
{
    // Every folder item, found through the index rather than by walking the
    // tree. Some controls go over every shown item whenever a shown folder
    // opens or closes, and hardly do anything for one inside a closed
    // folder: so the top folders close first (the last first, leaving the
    // fewest shown items behind each), the folders inside them change while
    // nothing of theirs is shown, and when opening the top folders open last.
    const BOOL bWasVisible = RedrawOff();
    std::vector<HTREEITEM> inner;
    {
        CQlcDocLock::CScoped lock(m_pDoc->GetLock());
        const CQlcNodeMap& nodes = m_pDoc->GetNodeTable(lock);
        for (const auto& entry : m_nodeItems)
        {
            const QLCNODE* pNode = nodes.PLookup(entry.first);
            if (pNode != nullptr && CQlcNode::IsFolderType(pNode->nType) && pNode->dwParentId != 0)
                inner.push_back(entry.second);
        }
    }
    std::vector<HTREEITEM> top;
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h))
    {
        if (GetChildItem(h) != nullptr)
            top.push_back(h);
    }

    auto apply = [this](HTREEITEM h, UINT nHow, int nNewImage) {
        if (GetChildItem(h) == nullptr)
            return;
        Expand(h, nHow);
        SetItemImage(h, nNewImage, nNewImage);
    };
    for (auto it = top.rbegin(); it != top.rend(); ++it)
        apply(*it, TVE_COLLAPSE, imageFolder);
    for (HTREEITEM h : inner)
        apply(h, nCode, nImage);
    if (nCode == TVE_EXPAND)
    {
        for (HTREEITEM h : top)
            apply(h, TVE_EXPAND, imageFolderOpen);
    }
    RedrawOn(bWasVisible);
}

void CQlcTreeCtrl::CollapseAll()
{
    ExpandFolders(TVE_COLLAPSE, imageFolder);
}

void CQlcTreeCtrl::ExpandAll()
{
    ExpandFolders(TVE_EXPAND, imageFolderOpen);
}

void CQlcTreeCtrl::RefreshNodeItem(DWORD dwNodeId)
{
    HTREEITEM hItem = FindNodeItem(dwNodeId);
    CQlcNode node(m_pDoc, dwNodeId);
    if (hItem == nullptr || !node.IsValid())
        return;
    TVINSERTSTRUCTA tvis = {};
    node.GetInsertStruct(tvis);
    tvis.item.hItem = hItem;
    tvis.item.mask |= TVIF_HANDLE;
    const BOOL bFolderOpen = node.IsFolder() && (GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED);
    if (bFolderOpen)
        tvis.item.iImage = tvis.item.iSelectedImage = imageFolderOpen;
    if (hItem == m_hCutItem)
    {
        tvis.item.iImage += imageCutOffset;
        tvis.item.iSelectedImage += imageCutOffset;
    }
    SetItem(&tvis.item);
    SetItemState(hItem, 0, TVIS_BOLD);
    if (hItem == m_hShownItem)
        MarkShownItem(hItem);
    else if (m_hShownItem != nullptr && IsInBranch(hItem, m_hShownItem))
        SetItemOverlay(hItem, overlayShownPath, TRUE);
}

BOOL CQlcTreeCtrl::IsInBranch(HTREEITEM hBranch, HTREEITEM hItem) const
{
    for (HTREEITEM h = hItem; h != nullptr; h = GetParentItem(h))
    {
        if (h == hBranch)
            return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// New, rename, delete

void CQlcTreeCtrl::NewNode(BYTE nType)
{
    HTREEITEM hContext = m_hContextItem;
    m_hContextItem = nullptr;

    DWORD dwParentId = 0;
    HTREEITEM hParent = TVI_ROOT;
    HTREEITEM hInsertAfter = TVI_LAST;
    if (hContext != nullptr && IsPlaceholder(hContext))
    {
        // The placeholder stands for its folder.
        hParent = GetParentItem(hContext);
        dwParentId = hParent ? (DWORD)GetItemData(hParent) : 0;
        hInsertAfter = TVI_FIRST;
        if (hParent == nullptr)
            hParent = TVI_ROOT;
    }
    else if (hContext != nullptr)
    {
        CQlcNode context(m_pDoc, (DWORD)GetItemData(hContext));
        if (context.IsFolder())
        {
            hParent = hContext;
            dwParentId = context.GetId();
            hInsertAfter = TVI_FIRST;
        }
        else
        {
            HTREEITEM hContextParent = GetParentItem(hContext);
            hParent = hContextParent ? hContextParent : TVI_ROOT;
            dwParentId = hContextParent ? (DWORD)GetItemData(hContextParent) : 0;
            hInsertAfter = hContext;
        }
    }

    CQlcNode node;
    node.Create(m_pDoc, nType, nullptr, dwParentId);
    HTREEITEM hItem = InsertNodeItem(node.GetId(), hParent, hInsertAfter);
    if (hItem == nullptr)
        return;
    if (nType == QLC_NODE_FOLDER)
    {
        AddPlaceholder(hItem);
        Expand(hItem, TVE_EXPAND);
        SetItemImage(hItem, imageFolderOpen, imageFolderOpen);
    }
    if (hParent != TVI_ROOT)
    {
        Expand(hParent, TVE_EXPAND);
        SetItemImage(hParent, imageFolderOpen, imageFolderOpen);
    }
    SelectItem(hItem);
    m_bLabelEditBlocked = FALSE;
    SetFocus();
    EditLabel(hItem);
}

void CQlcTreeCtrl::OnQlcPopupNewNote()
{
    NewNode(QLC_NODE_NOTE);
}

void CQlcTreeCtrl::OnQlcPopupNewFolder()
{
    g_log.WriteLine("OnQlcPopupNewFolder()");
    NewNode(QLC_NODE_FOLDER);
}

void CQlcTreeCtrl::OnQlcPopupRename()
{
    HTREEITEM hItem = m_hContextItem;
    m_hContextItem = nullptr;
    if (hItem == nullptr || IsPlaceholder(hItem))
        return;
    m_bLabelEditBlocked = FALSE;
    SetFocus();
    EditLabel(hItem);
}

void CQlcTreeCtrl::OnQlcPopupDelete()
{
    HTREEITEM hItem = m_hContextItem;
    m_hContextItem = nullptr;
    if (hItem == nullptr || IsPlaceholder(hItem))
        return;
    CQlcApp* pApp = App();
    if (pApp == nullptr || pApp->m_settings.m_nPromptDelete == 1)
    {
        SelectItem(hItem);
        if (AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_NODE_DELETE_CONFIRM), AfxLoadText(IDS_NODE_DELETE_CAPTION),
                              MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    if (DeleteBranch(hItem) && m_pBookmarks != nullptr)
        m_pBookmarks->RefreshBookmarks();
}

BOOL CQlcTreeCtrl::DeleteBranch(HTREEITEM hItem)
{
    if (hItem == nullptr || IsPlaceholder(hItem))
        return FALSE;
    CWaitCursor wait;
    const DWORD dwId = (DWORD)GetItemData(hItem);

    if (m_hShownItem != nullptr && IsInBranch(hItem, m_hShownItem))
    {
        // The shown node goes with the branch: its unsaved edits go too.
        CChildFrame* pFrame = GetChildFrame();
        if (pFrame != nullptr)
        {
            pFrame->DiscardNoteChanges();
            pFrame->DisplayNode(FALSE, kPlaceholderId);
        }
        const HTREEITEM hPrevious = m_hShownItem;
        SyncShownItem(hPrevious);
        if (m_hShownItem != nullptr && IsInBranch(hItem, m_hShownItem))
            return FALSE; // still on screen: nothing is deleted
    }

    // No handle into the branch outlives it, nor a clipboard entry.
    ReleaseClipboardBranch(dwId);
    if (m_hCutItem != nullptr && IsInBranch(hItem, m_hCutItem))
        m_hCutItem = nullptr;
    if (m_hContextItem != nullptr && IsInBranch(hItem, m_hContextItem))
        m_hContextItem = nullptr;
    if (m_hPressedItem != nullptr && IsInBranch(hItem, m_hPressedItem))
        m_hPressedItem = nullptr;

    HTREEITEM hParent = GetParentItem(hItem);
    DeleteItem(hItem);
    if (hParent != nullptr && GetChildItem(hParent) == nullptr)
        AddPlaceholder(hParent);
    m_pDoc->Data_DeleteNode(dwId);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Label editing

void CQlcTreeCtrl::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTVDISPINFOA* pInfo = (NMTVDISPINFOA*)pNMHDR;
    if (m_bLabelEditBlocked || IsPlaceholder(pInfo->item.hItem))
    {
        *pResult = TRUE; // refused
        return;
    }
    if (HWND hEdit = GetEditControl())
        ::SendMessageA(hEdit, EM_LIMITTEXT, 64, 0);
    m_bLabelEditing = TRUE;
    *pResult = FALSE;
}

void CQlcTreeCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTVDISPINFOA* pInfo = (NMTVDISPINFOA*)pNMHDR;
    *pResult = FALSE;
    // The edit box may report its end twice (once more as it loses the
    // focus on its way out): only the first counts.
    if (!m_bLabelEditing)
        return;
    g_log.WriteLine("OnEndLabelEdit(...)");
    m_bLabelEditing = FALSE;
    if (pInfo->item.pszText == nullptr)
        return; // cancelled
    if (pInfo->item.pszText[0] == '\0')
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_NODE_NAME_EMPTY), AfxGetAppName(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const DWORD dwId = (DWORD)GetItemData(pInfo->item.hItem);
    CQlcNode node(m_pDoc, dwId);
    if (!node.IsValid())
        return;
    node.SetName(pInfo->item.pszText);
    node.Update(TRUE);
    SetItemText(pInfo->item.hItem, pInfo->item.pszText);
    if (pInfo->item.hItem == m_hShownItem)
    {
        if (CChildFrame* pFrame = GetChildFrame())
            pFrame->SetNodeTitle(dwId);
    }
    *pResult = TRUE;
}

void CQlcTreeCtrl::OnSelChanging(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    m_bLabelEditBlocked = TRUE;
    *pResult = FALSE;
}

void CQlcTreeCtrl::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWA* pNMTV = (NMTREEVIEWA*)pNMHDR;
    HTREEITEM hItem = pNMTV->itemNew.hItem;
    int nImage = 0, nSelected = 0;
    GetItemImage(hItem, nImage, nSelected);
    if ((pNMTV->action & TVE_EXPAND) && nImage == imageFolder)
        SetItemImage(hItem, imageFolderOpen, imageFolderOpen);
    else if ((pNMTV->action & TVE_COLLAPSE) && nImage == imageFolderOpen)
        SetItemImage(hItem, imageFolder, imageFolder);
    *pResult = FALSE;
}

// ---------------------------------------------------------------------------
// Mouse and keyboard

HTREEITEM CQlcTreeCtrl::HitTestNode(CPoint point, UINT nFlagsWanted) const
{
    UINT nFlags = 0;
    HTREEITEM hItem = HitTest(point, &nFlags);
    return (hItem != nullptr && (nFlags & nFlagsWanted)) ? hItem : nullptr;
}

void CQlcTreeCtrl::OnLButtonDblClk(UINT /*nFlags*/, CPoint point)
{
    m_bLabelEditBlocked = TRUE;
    if (m_bSingleClick)
        return;
    HTREEITEM hItem = HitTestNode(point, TVHT_ONITEM | TVHT_ONITEMBUTTON);
    SelectNodeItem(hItem);
}

void CQlcTreeCtrl::OnClick(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    *pResult = 0;
    if (!m_bSingleClick)
        return;
    const DWORD dwPos = ::GetMessagePos();
    CPoint point((short)LOWORD(dwPos), (short)HIWORD(dwPos));
    ScreenToClient(&point);
    HTREEITEM hItem = HitTestNode(point, TVHT_ONITEM);
    if (hItem == nullptr || IsPlaceholder(hItem))
        return;
    CQlcNode node(m_pDoc, (DWORD)GetItemData(hItem));
    if (node.HasDataType())
        SelectNodeItem(hItem);
    else if (!node.IsFolder())
        SelectNodeItem(nullptr);
}

// ---------------------------------------------------------------------------
// Context menu

void CQlcTreeCtrl::EnableContextItems(CMenu* pMenu, BOOL bNode, BOOL bFolder, BOOL bTasked)
{
    CQlcApp* pApp = App();
    const BOOL bHeld = pApp != nullptr && pApp->m_nodeClipboard.bHasContent;
    const int nCount = (int)pMenu->GetMenuItemCount();
    for (int nPos = 0; nPos < nCount; nPos++)
    {
        if (HMENU hSub = ::GetSubMenu(pMenu->m_hMenu, nPos))
        {
            EnableContextItems(CMenu::FromHandle(hSub), bNode, bFolder, bTasked);
            continue;
        }
        const UINT nID = pMenu->GetMenuItemID(nPos);
        if (nID == 0)
            continue;
        AFX_CMDHANDLERINFO info = {};
        BOOL bEnable = OnCmdMsg(nID, (int)CN_COMMAND, nullptr, &info);
        switch (nID)
        {
        case ID_QLCPOPUP_PASTE:
            bEnable = bEnable && bHeld;
            break;
        case ID_QLCPOPUP_DELETE:
        case ID_QLCPOPUP_RENAME:
        case ID_QLCPOPUP_COPY:
        case ID_QLCPOPUP_CUT:
            bEnable = bEnable && bNode;
            break;
        case ID_QLCPOPUP_EXPORT:
        case ID_QLCPOPUP_ADDTOBOOKMARKS:
        case ID_QLCPOPUP_PROPERTIES:
        case ID_QLCPOPUP_ADDTONEWTASK:
        case ID_QLCPOPUP_ADDTOEXISTINGTASK:
            bEnable = bEnable && bNode && !bFolder;
            break;
        case ID_QLCPOPUP_REMOVETASKLINK:
            bEnable = bEnable && bNode && bTasked;
            break;
        default:
            break;
        }
        pMenu->EnableMenuItem(nPos, MF_BYPOSITION | (bEnable ? MF_ENABLED : MF_GRAYED));
    }
}

GlyphMenu* CQlcTreeCtrl::LoadContextMenu(GlyphMenu& menu, HTREEITEM hItem)
{
    if (!menu.LoadMenu(IDR_QLCTREE_POPUP))
        return nullptr;
    menu.TakeToolbarImages(IDR_TREE_POPUP_TOOLBAR);
    GlyphMenu* pPopup = DYNAMIC_DOWNCAST(GlyphMenu, menu.GetSubMenu(0));
    if (pPopup == nullptr)
        return nullptr;
    const BOOL bNode = hItem != nullptr && !IsPlaceholder(hItem);
    const DWORD dwNodeId = bNode ? (DWORD)GetItemData(hItem) : 0;
    const BOOL bFolder = bNode && CQlcNode(m_pDoc, dwNodeId).IsFolder();
    const BOOL bTasked = bNode && m_pDoc->Data_NodeHasTask(dwNodeId);
    EnableContextItems(pPopup, bNode, bFolder, bTasked);
    return pPopup;
}

void CQlcTreeCtrl::ShowContextMenu(CPoint ptScreen, BOOL bFromKeyboard)
{
    if (!bFromKeyboard && !m_bContextMenuAllowed)
    {
        // The press that would have asked for it was elsewhere, or its drag
        // was cancelled: the right-click feedback goes, no menu comes.
        SelectDropTarget(nullptr);
        return;
    }
    GlyphMenu menu;
    GlyphMenu* pPopup = LoadContextMenu(menu, m_hContextItem);
    if (pPopup == nullptr)
        return;
    m_pContextMenu = pPopup;
    m_bPopupUp = TRUE;
    pPopup->TrackPopupMenu(TPM_LEFTALIGN, ptScreen.x, ptScreen.y, this);
    m_pContextMenu = nullptr;
    if (m_bPopupUp)
    {
        m_bPopupUp = FALSE;
        SelectDropTarget(nullptr);
    }
}

void CQlcTreeCtrl::OnRClick(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    // A right click without a drag: the menu is shown here and the click
    // answered, so the control adds no WM_CONTEXTMENU of its own. Under Wine
    // a real right click showed no menu without this.
    *pResult = 1;
    CPoint ptScreen;
    s_pfnGetCursorPos(&ptScreen);
    OnContextMenu(this, ptScreen);
}

void CQlcTreeCtrl::OnContextMenu(CWnd* /*pWnd*/, CPoint point)
{
    const BOOL bFromKeyboard = point.x == -1 && point.y == -1;
    if (bFromKeyboard)
    {
        // From the keyboard: the caret item, below its label.
        HTREEITEM hCaret = GetSelectedItem();
        m_hContextItem = hCaret;
        CRect rc(0, 0, 0, 0);
        if (hCaret != nullptr)
        {
            GetItemRect(hCaret, &rc, TRUE);
            point = CPoint(rc.left, rc.bottom);
        }
        else
        {
            point = CPoint(0, 0);
        }
        ClientToScreen(&point);
    }
    else
    {
        CPoint ptClient = point;
        ScreenToClient(&ptClient);
        m_hContextItem = HitTestNode(ptClient, TVHT_ONITEM);
    }
    ShowContextMenu(point, bFromKeyboard);
}

void CQlcTreeCtrl::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (!GlyphMenu::MeasurePopupItem(lpMeasureItemStruct, m_pContextMenu))
        CTreeCtrl::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CQlcTreeCtrl::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (GlyphMenu::AnswerMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CTreeCtrl::OnMenuChar(nChar, nFlags, pMenu);
}

void CQlcTreeCtrl::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CTreeCtrl::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    GlyphMenu::AfterInitMenuPopup(pPopupMenu, bSysMenu);
}

UINT CQlcTreeCtrl::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS;
}

void CQlcTreeCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    m_bKeyPressed = TRUE;
    if (nChar == VK_ESCAPE && m_bDragging)
    {
        CancelDragging();
        return;
    }
    if (nChar == VK_TAB)
    {
        if (CChildFrame* pFrame = GetChildFrame())
            pFrame->FocusNextPane();
        return;
    }
    if (nChar == VK_F2)
    {
        // Not in the middle of a drag or while a menu of the tree is up.
        HTREEITEM hCaret = (m_bDragging || m_bPopupUp) ? nullptr : GetSelectedItem();
        if (hCaret != nullptr)
        {
            m_hContextItem = hCaret;
            OnQlcPopupRename();
        }
        return;
    }
    CTreeCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CQlcTreeCtrl::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const BOOL bPressedHere = m_bKeyPressed;
    m_bKeyPressed = FALSE;
    HTREEITEM hCaret = GetSelectedItem();
    if (bPressedHere && hCaret != nullptr)
    {
        if (nChar == VK_RETURN || nChar == VK_SPACE)
        {
            SelectNodeItem(hCaret);
            return;
        }
        if (nChar == VK_DELETE)
        {
            m_hContextItem = hCaret;
            OnQlcPopupDelete();
            return;
        }
    }
    CTreeCtrl::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CQlcTreeCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    // No beep for the keys the tree uses itself.
    if (nChar == VK_TAB || nChar == VK_RETURN)
        return;
    CTreeCtrl::OnChar(nChar, nRepCnt, nFlags);
}

void CQlcTreeCtrl::OnSetFocus(CWnd* pOldWnd)
{
    // No note has the keyboard now: nothing for the Formatting bar to format.
    if (CFormatBar* pBar = CFormatBar::GetMainFormatBar())
        pBar->EnableFormatting(FALSE);
    m_hPressedItem = nullptr;
    m_bFocusJustSet = TRUE;
    CTreeCtrl::OnSetFocus(pOldWnd);
}

void CQlcTreeCtrl::OnKillFocus(CWnd* pNewWnd)
{
    // A key pressed here is released elsewhere (F2 goes on in the label's
    // edit box): its release must not count when the focus comes back.
    m_bKeyPressed = FALSE;
    m_hPressedItem = nullptr;
    m_bLabelEditBlocked = TRUE;
    CTreeCtrl::OnKillFocus(pNewWnd);
}
