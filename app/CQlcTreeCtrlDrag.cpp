// Dragging in the node tree: the mouse state machine of both buttons, the
// drag image with its auto-scroll and hover expansion, moves and copies of
// branches, the drag menu of right drags, and files dropped from the shell.
#include "app/CQlcTreeCtrl.h"

#include "app/CBookmarkTreeCtrl.h"
#include "app/CChildFrame.h"
#include "app/CQlcApp.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CWaitCursor.h"

#include <algorithm>
#include <unordered_set>

namespace {

// The band along the edges where a drag scrolls, and how much nearer each
// further step of speed lies.
const int kScrollBand = 10;
const int kScrollSpeedStep = 20;
const int kSlowestScrollTicks = 6;
// A folder rested on this long (ms) opens.
const UINT kHoverExpandTime = 750;
// How far (squared, per axis) the mouse moves with the right button down
// before a right drag starts.
const int kRightDragDistanceSquared = 9;

UINT TrackDragMenu(CQlcTreeCtrl* pTree, CMenu* pPopup, CPoint ptScreen)
{
    return (UINT)pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, ptScreen.x, ptScreen.y, pTree);
}

// Whether the scroll bar of a direction can still go towards its end.
BOOL BelowScrollLimit(HWND hWnd, int nBar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(hWnd, nBar, &info))
        return FALSE;
    const int nLimit = info.nMax - std::max((int)info.nPage - 1, 0);
    return info.nPos < nLimit;
}

} // namespace

BOOL(WINAPI* CQlcTreeCtrl::s_pfnGetCursorPos)(LPPOINT lpPoint) = &::GetCursorPos;
UINT (*CQlcTreeCtrl::s_pfnTrackDragMenu)(CQlcTreeCtrl* pTree, CMenu* pPopup, CPoint ptScreen) = &TrackDragMenu;
BOOL(WINAPI* CQlcTreeCtrl::s_pfnMessageBeep)(UINT uType) = &::MessageBeep;

// ---------------------------------------------------------------------------
// Where a drop lands

HTREEITEM CQlcTreeCtrl::GetDropDestination(HTREEITEM hDragged, HTREEITEM hTarget) const
{
    if (hDragged == nullptr || hTarget == nullptr || IsPlaceholder(hDragged))
        return nullptr;
    // Never into itself or anything below it.
    if (IsInBranch(hDragged, hTarget))
        return nullptr;
    const HTREEITEM hTargetParent = GetParentItem(hTarget);
    if (GetParentItem(hDragged) == hTargetParent)
    {
        // Among its siblings only a folder takes it in.
        if (IsPlaceholder(hTarget) || !CQlcNode(m_pDoc, GetItemNodeId(hTarget)).IsFolder())
            return nullptr;
        return hTarget;
    }
    // An item of another folder stands for that folder.
    return hTargetParent != nullptr ? hTargetParent : TVI_ROOT;
}

BOOL CQlcTreeCtrl::MoveItem(HTREEITEM hDragged, HTREEITEM hTarget)
{
    return MoveOrCopy(hDragged, hTarget, TRUE);
}

BOOL CQlcTreeCtrl::CopyItem(HTREEITEM hDragged, HTREEITEM hTarget)
{
    return MoveOrCopy(hDragged, hTarget, FALSE);
}

BOOL CQlcTreeCtrl::MoveOrCopy(HTREEITEM hDragged, HTREEITEM hTarget, BOOL bMove)
{
    const HTREEITEM hDest = GetDropDestination(hDragged, hTarget);
    if (hDest == nullptr || m_pDoc == nullptr)
        return FALSE;
    CWaitCursor wait;
    const DWORD dwDraggedId = GetItemNodeId(hDragged);
    const DWORD dwDestId = hDest == TVI_ROOT ? 0 : GetItemNodeId(hDest);

    // The document's copy first, whole or not at all: a move deletes the
    // original only once every node of it has its copy.
    std::vector<std::pair<DWORD, DWORD>> ids;
    if (!CQlcNode::CopyBranch(m_pDoc, dwDestId, m_pDoc, dwDraggedId, ids) || ids.empty())
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(bMove ? IDS_NODE_MOVE_FAILED : IDS_NODE_COPY_FAILED), AfxGetAppName(),
                          MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    const DWORD dwNewId = ids.front().second;

    CChildFrame* pFrame = GetChildFrame();
    const HTREEITEM hCaret = GetSelectedItem();
    const DWORD dwCaretId = (hCaret != nullptr && IsInBranch(hDragged, hCaret)) ? GetItemNodeId(hCaret) : 0;
    std::vector<DWORD> movedTasks;
    if (bMove)
    {
        UnmarkShownItem(m_hShownItem);
        // Bookmarks, task links and the open node follow the new ids.
        std::unordered_set<DWORD> oldIds;
        for (const auto& id : ids)
            oldIds.insert(id.first);
        {
            CQlcDocLock::CScoped lock(m_pDoc->GetLock());
            const CQlcTaskMap& tasks = m_pDoc->GetTaskTable(lock);
            for (const CQlcTaskMap::CPair* p = tasks.PGetFirstAssoc(); p != nullptr; p = tasks.PGetNextAssoc(p))
            {
                if ((p->value.dwFlags & QLC_TASKFLAG_LINKED) && oldIds.count(p->value.dwLinkedNodeId) != 0)
                    movedTasks.push_back(p->key);
            }
        }
        for (const auto& id : ids)
        {
            m_pDoc->Data_RelinkNode(id.first, id.second);
            if (pFrame != nullptr)
                pFrame->SetShownNodeId(id.first, id.second);
        }
    }
    const DWORD dwShownId = pFrame != nullptr ? pFrame->GetShownNodeId() : kPlaceholderId;

    // The new items, each at its sorted place (a placeholder there goes).
    HTREEITEM hNew = InsertNodeItem(dwNewId, hDest, GetSortedInsertAfter(hDest, dwNewId));
    if (hNew != nullptr && CQlcNode(m_pDoc, dwNewId).IsFolder())
    {
        FillChildren(dwNewId, hNew, bMove ? dwShownId : kPlaceholderId);
        if (GetChildItem(hNew) == nullptr)
            AddPlaceholder(hNew);
    }
    ReleaseClipboardFor(hNew);
    if (!bMove)
        return TRUE;

    if (hNew != nullptr && dwShownId == dwNewId)
        m_hShownItem = hNew;
    else if (m_hShownItem != nullptr && IsInBranch(hDragged, m_hShownItem))
        m_hShownItem = FindNodeItem(dwShownId);
    if (dwCaretId != 0)
    {
        for (const auto& id : ids)
        {
            if (id.first != dwCaretId)
                continue;
            if (HTREEITEM hNewCaret = FindNodeItem(id.second))
                SelectItem(hNewCaret);
            break;
        }
    }
    ReleaseClipboardFor(hDragged);
    DeleteBranch(hDragged);
    MarkShownItem(m_hShownItem);
    if (pFrame != nullptr && m_hShownItem != nullptr)
        pFrame->SetNodeTitle(dwShownId);
    if (m_pBookmarks != nullptr)
        m_pBookmarks->RefreshBookmarks();
    if (pFrame != nullptr)
    {
        for (DWORD dwTaskId : movedTasks)
            pFrame->UpdateTaskItem(dwTaskId);
    }
    return TRUE;
}

void CQlcTreeCtrl::ReleaseClipboardFor(HTREEITEM hItem)
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr || hItem == nullptr)
        return;
    const QLCNODECLIPBOARD& clip = pApp->m_nodeClipboard;
    if (!clip.bHasContent || clip.pDocument != m_pDoc)
        return;
    // The held node is the item's, an ancestor's or (about to go with the
    // branch) one below it.
    const HTREEITEM hHeld = FindNodeItem(clip.dwNodeId);
    if (hHeld == nullptr || !(IsInBranch(hHeld, hItem) || IsInBranch(hItem, hHeld)))
        return;
    EmptyNodeClipboard();
}

// ---------------------------------------------------------------------------
// Mouse presses

BOOL CQlcTreeCtrl::IsPopupOverTree() const
{
    // While a menu of the tree is up, only presses over the tree count.
    if (!m_bPopupUp)
        return TRUE;
    POINT pt = {};
    s_pfnGetCursorPos(&pt);
    return ::WindowFromPoint(pt) == m_hWnd;
}

BOOL CQlcTreeCtrl::OnMousePress(UINT nMessage, CPoint point)
{
    if (!IsPopupOverTree())
        return FALSE;
    // A press ends a label edit as losing the focus would; the drag the
    // control may see in this press is not meant.
    if (HWND hEdit = GetEditControl())
    {
        m_bSkipNextDrag = TRUE;
        ::DestroyWindow(hEdit);
    }
    if (m_bDragging)
        CancelDragging();
    m_bLabelEditBlocked = FALSE;
    m_bRightDrag = FALSE;
    m_bRightPressRecorded = FALSE;
    m_bDragging = FALSE;
    if (m_bPopupUp)
    {
        m_bPopupUp = FALSE;
        m_bSkipNextDrag = TRUE;
        ::EndMenu();
        m_hContextItem = nullptr;
    }
    CRect rcClient;
    GetClientRect(&rcClient);
    if (!rcClient.PtInRect(point))
    {
        m_hPressedItem = nullptr;
        SelectDropTarget(nullptr);
        m_bContextMenuAllowed = FALSE;
        return TRUE;
    }
    m_bContextMenuAllowed = TRUE;
    m_hPressedItem = HitTestNode(point, TVHT_ONITEM);
    if (m_hPressedItem != nullptr && nMessage != WM_LBUTTONDOWN)
    {
        // Feedback while the menu is up; the item the command acts on.
        SelectDropTarget(m_hPressedItem);
        m_hContextItem = m_hPressedItem;
    }
    else if (m_hPressedItem == nullptr)
    {
        SelectDropTarget(nullptr);
    }
    return TRUE;
}

void CQlcTreeCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (OnMousePress(WM_LBUTTONDOWN, point))
        CTreeCtrl::OnLButtonDown(nFlags, point);
}

void CQlcTreeCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (OnMousePress(WM_RBUTTONDOWN, point))
        CTreeCtrl::OnRButtonDown(nFlags, point);
}

void CQlcTreeCtrl::OnRButtonDblClk(UINT nFlags, CPoint point)
{
    if (OnMousePress(WM_RBUTTONDBLCLK, point))
        CTreeCtrl::OnRButtonDblClk(nFlags, point);
}

// ---------------------------------------------------------------------------
// Starting, following and ending a drag

void CQlcTreeCtrl::OnBeginDrag(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bSkipNextDrag)
    {
        m_bSkipNextDrag = FALSE;
        return;
    }
    if (m_hPressedItem != nullptr && !IsPlaceholder(m_hPressedItem))
        BeginDragging();
}

void CQlcTreeCtrl::OnBeginRDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMTREEVIEWA* pInfo = (const NMTREEVIEWA*)pNMHDR;
    HTREEITEM hItem = pInfo->itemNew.hItem;
    if (hItem == nullptr || IsPlaceholder(hItem) || m_bDragging)
        return;
    m_hPressedItem = hItem;
    m_bRightDrag = TRUE;
    BeginDragging();
}

void CQlcTreeCtrl::BeginDragging()
{
    if (m_hPressedItem == nullptr || m_bDragging)
        return;
    m_hDraggedItem = m_hPressedItem;
    m_hDropTargetItem = nullptr;
    m_bDragging = TRUE;
    m_dragImage.DeleteImageList();
    if (HIMAGELIST hImage = CreateDragImage(m_hDraggedItem))
        m_dragImage.Attach(hImage);
    CImageList::DragShowNolock(TRUE);
    if (m_dragImage.GetSafeHandle() != nullptr)
    {
        m_dragImage.BeginDrag(0, CPoint(0, 0));
        POINT pt = {};
        s_pfnGetCursorPos(&pt);
        CImageList::DragEnter(nullptr, CPoint(pt.x, pt.y));
    }
    SetCapture();
    m_bOverTree = FALSE;
    m_nHoverTime = 0;
    m_nTimerId = SetTimer(kDragTimerId, kDragTimerElapse, nullptr);
    m_bLabelEditBlocked = TRUE;
}

void CQlcTreeCtrl::SetDropTargetItem(HTREEITEM hItem)
{
    CImageList::DragShowNolock(FALSE);
    SelectDropTarget(hItem);
    m_hDropTargetItem = hItem;
    CImageList::DragShowNolock(TRUE);
}

void CQlcTreeCtrl::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_bFocusJustSet)
    {
        m_bFocusJustSet = FALSE;
        CTreeCtrl::OnMouseMove(nFlags, point);
        return;
    }
    if (m_bDragging)
    {
        if ((nFlags & (MK_LBUTTON | MK_RBUTTON)) == 0)
        {
            // The button went up where we never heard of it.
            CancelDragging();
            return;
        }
        CPoint ptScreen = point;
        ClientToScreen(&ptScreen);
        CImageList::DragMove(ptScreen);
        CRect rcWindow;
        GetWindowRect(&rcWindow);
        const BOOL bInside = point.x >= 0 && point.y >= 0 && ptScreen.x <= rcWindow.right && ptScreen.y <= rcWindow.bottom;
        HTREEITEM hCandidate = nullptr;
        if (bInside)
        {
            UINT nHitFlags = 0;
            hCandidate = HitTest(point, &nHitFlags);
        }
        if (hCandidate != m_hDropTargetItem)
        {
            SetDropTargetItem(hCandidate);
            m_bOverTree = bInside;
            m_nHoverTime = 0;
        }
        else if (GetDropHilightItem() != m_hDropTargetItem)
        {
            // Some controls mark the dragged item once the drag has started.
            SetDropTargetItem(m_hDropTargetItem);
        }
        return;
    }
    if (m_bSkipNextDrag)
    {
        m_bSkipNextDrag = FALSE;
        CTreeCtrl::OnMouseMove(nFlags, point);
        return;
    }
    if ((nFlags & MK_RBUTTON) && m_hPressedItem != nullptr && !IsPlaceholder(m_hPressedItem) && !m_bPopupUp)
    {
        if (!m_bRightPressRecorded)
        {
            m_bRightPressRecorded = TRUE;
            m_ptRightPress = point;
        }
        else
        {
            const int dx = point.x - m_ptRightPress.x;
            const int dy = point.y - m_ptRightPress.y;
            if (dx * dx > kRightDragDistanceSquared || dy * dy > kRightDragDistanceSquared)
            {
                SelectItem(m_hPressedItem);
                m_bRightDrag = TRUE;
                BeginDragging();
                return;
            }
        }
    }
    CTreeCtrl::OnMouseMove(nFlags, point);
}

void CQlcTreeCtrl::OnTimer(UINT_PTR nIDEvent)
{
    if (m_bDragging && m_nTimerId != 0 && nIDEvent == m_nTimerId)
    {
        OnDragTimer();
        return;
    }
    CTreeCtrl::OnTimer(nIDEvent);
}

void CQlcTreeCtrl::OnCaptureChanged(CWnd* pWnd)
{
    // Another window took the mouse: the drag cannot end here any more.
    if (m_bDragging && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd))
        CancelDragging();
    CTreeCtrl::OnCaptureChanged(pWnd);
}

void CQlcTreeCtrl::OnDragTimer()
{
    m_nDragTicks++;
    POINT pt = {};
    s_pfnGetCursorPos(&pt);
    CImageList::DragMove(CPoint(pt.x, pt.y));
    CRect rc;
    GetClientRect(&rc);
    ClientToScreen(&rc);

    // Near the top or bottom edge (or beyond it): a line at a time, faster
    // the farther out.
    auto everyTicks = [](int nBeyond) {
        return std::max(1, kSlowestScrollTicks - nBeyond / kScrollSpeedStep);
    };
    if (pt.x >= rc.left - kScrollBand && pt.x <= rc.right + kScrollBand)
    {
        if (pt.y < rc.top + kScrollBand && ::GetScrollPos(m_hWnd, SB_VERT) != 0)
        {
            const HTREEITEM hFirst = GetFirstVisibleItem();
            if (m_nDragTicks % (UINT)everyTicks(rc.top - pt.y + kScrollBand) == 0)
            {
                CImageList::DragShowNolock(FALSE);
                SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
                SelectDropTarget(hFirst);
                m_hDropTargetItem = hFirst;
                CImageList::DragShowNolock(TRUE);
            }
        }
        else if (pt.y > rc.bottom - kScrollBand && BelowScrollLimit(m_hWnd, SB_VERT))
        {
            if (m_nDragTicks % (UINT)everyTicks(pt.y - rc.bottom + kScrollBand) == 0)
            {
                CImageList::DragShowNolock(FALSE);
                SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
                HTREEITEM hLast = nullptr;
                const UINT nVisible = GetVisibleCount();
                if (nVisible >= 2)
                {
                    hLast = GetFirstVisibleItem();
                    for (UINT i = 0; i + 1 < nVisible && hLast != nullptr; i++)
                    {
                        HTREEITEM hNext = GetNextVisibleItem(hLast);
                        if (hNext == nullptr)
                            break;
                        hLast = hNext;
                    }
                }
                SelectDropTarget(hLast);
                m_hDropTargetItem = hLast;
                CImageList::DragShowNolock(TRUE);
            }
        }
    }
    if (!rc.PtInRect(pt))
        return;

    if (pt.x < rc.left + kScrollBand && ::GetScrollPos(m_hWnd, SB_HORZ) != 0)
    {
        CImageList::DragShowNolock(FALSE);
        SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINELEFT, 0), 0);
        CImageList::DragShowNolock(TRUE);
    }
    else if (pt.x > rc.right - kScrollBand && BelowScrollLimit(m_hWnd, SB_HORZ))
    {
        CImageList::DragShowNolock(FALSE);
        SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
        CImageList::DragShowNolock(TRUE);
    }

    // A folder rested on opens.
    m_nHoverTime += kDragTimerElapse;
    if (m_nHoverTime > kHoverExpandTime && m_hDropTargetItem != nullptr && GetChildItem(m_hDropTargetItem) != nullptr)
    {
        Expand(m_hDropTargetItem, TVE_EXPAND);
        RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        m_nHoverTime = 0;
    }
}

void CQlcTreeCtrl::ReleaseDragImage()
{
    CImageList::DragLeave(nullptr);
    CImageList::EndDrag();
    m_dragImage.DeleteImageList();
    if (m_nTimerId != 0)
        KillTimer(m_nTimerId);
    m_nTimerId = 0;
}

void CQlcTreeCtrl::ForgetDrag()
{
    m_hDraggedItem = nullptr;
    m_hDropTargetItem = nullptr;
}

void CQlcTreeCtrl::CancelDragging()
{
    ReleaseDragImage();
    m_bRightDrag = FALSE;
    m_bDragging = FALSE;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    ForgetDrag();
    SelectDropTarget(nullptr);
    m_bContextMenuAllowed = FALSE;
}

BOOL CQlcTreeCtrl::AskMove() const
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr || pApp->m_settings.m_nPromptMove != 1)
        return TRUE;
    return AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_NODE_MOVE_CONFIRM), AfxLoadText(IDS_NODE_MOVE_CAPTION),
                             MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CQlcTreeCtrl::EndDragging(CPoint point)
{
    ReleaseDragImage();
    // Nothing below may run with the mouse still held here (a question may
    // be asked).
    m_bDragging = FALSE;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    BOOL bOver = TRUE;
    if (!m_bOverTree)
    {
        s_pfnMessageBeep((UINT)-1);
        m_bRightDrag = FALSE;
        m_bRightPressRecorded = FALSE;
    }
    else if (!m_bRightDrag)
    {
        CRect rcClient;
        GetClientRect(&rcClient);
        // No target, the item itself or one below it: refused at once; a
        // sibling note is asked about and then left where it is.
        const BOOL bValid = m_hDropTargetItem != nullptr && m_hDraggedItem != nullptr &&
                            !IsInBranch(m_hDraggedItem, m_hDropTargetItem);
        if (!rcClient.PtInRect(point) || !bValid)
            s_pfnMessageBeep((UINT)-1);
        else if (AskMove())
            MoveItem(m_hDraggedItem, m_hDropTargetItem);
    }
    else
    {
        // A right drag over the tree: a menu follows, whatever lies under
        // the cursor (its commands do nothing where nothing can land).
        bOver = FALSE;
    }
    if (bOver)
        ForgetDrag();
    if (!m_bRightDrag)
        SelectDropTarget(nullptr);
}

void CQlcTreeCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (!IsPopupOverTree())
        return;
    if (!m_bDragging)
    {
        CTreeCtrl::OnLButtonUp(nFlags, point);
        return;
    }
    EndDragging(point);
}

void CQlcTreeCtrl::OnRButtonUp(UINT nFlags, CPoint point)
{
    if (!IsPopupOverTree())
        return;
    if (!m_bDragging)
    {
        // A plain right click: the control turns it into WM_CONTEXTMENU.
        CTreeCtrl::OnRButtonUp(nFlags, point);
        return;
    }
    EndDragging(point);
    const BOOL bRightDrag = m_bRightDrag;
    m_bRightDrag = FALSE;
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    if (!bRightDrag || !rcWindow.PtInRect(ptScreen))
    {
        // A drag that ended off the tree: the context menu of the place.
        ForgetDrag();
        m_hContextItem = HitTestNode(point, TVHT_ONITEM);
        ShowContextMenu(ptScreen);
        return;
    }
    CMenu menu;
    CMenu* pPopup = menu.LoadMenu(IDR_QLCTREE_DRAGPOPUP) ? menu.GetSubMenu(0) : nullptr;
    if (pPopup != nullptr)
    {
        ::SetMenuDefaultItem(pPopup->m_hMenu, ID_QLCDRAG_MOVEHERE, FALSE);
        m_bPopupUp = TRUE;
        const UINT nCommand = s_pfnTrackDragMenu(this, pPopup, ptScreen);
        m_bPopupUp = FALSE;
        if (nCommand != 0)
            SendMessage(WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
    }
    // Whatever was chosen (Cancel has no handler), the drag is over.
    ForgetDrag();
    SelectDropTarget(nullptr);
}

void CQlcTreeCtrl::OnQlcDragMoveHere()
{
    const HTREEITEM hDragged = m_hDraggedItem, hTarget = m_hDropTargetItem;
    if (GetDropDestination(hDragged, hTarget) != nullptr && AskMove())
        MoveItem(hDragged, hTarget);
    ForgetDrag();
}

void CQlcTreeCtrl::OnQlcDragCopyHere()
{
    const HTREEITEM hDragged = m_hDraggedItem, hTarget = m_hDropTargetItem;
    if (GetDropDestination(hDragged, hTarget) != nullptr)
        CopyItem(hDragged, hTarget);
    ForgetDrag();
}

// ---------------------------------------------------------------------------
// Files from the shell

int CQlcTreeCtrl::GetDroppedFiles(HDROP hDrop, CStringList& paths)
{
    if (hDrop == nullptr)
        return 0;
    const UINT nFiles = ::DragQueryFileA(hDrop, (UINT)-1, nullptr, 0);
    int nAdded = 0;
    for (UINT i = 0; i < nFiles; i++)
    {
        char szPath[MAX_PATH + 1] = {};
        if (::DragQueryFileA(hDrop, i, szPath, sizeof(szPath)) != 0)
        {
            paths.AddTail(szPath);
            nAdded++;
        }
    }
    return nAdded;
}

void CQlcTreeCtrl::OnDropFiles(HDROP hDropInfo)
{
    CStringList paths;
    GetDroppedFiles(hDropInfo, paths);
    POINT pt = {};
    ::DragQueryPoint(hDropInfo, &pt);
    // The shell's memory goes back before the import runs.
    ::DragFinish(hDropInfo);
    if (!paths.IsEmpty())
        DropFiles(paths, CPoint(pt.x, pt.y));
}

void CQlcTreeCtrl::DropFiles(const CStringList& paths, CPoint point)
{
    if (m_pDoc == nullptr || paths.IsEmpty())
        return;
    CWaitCursor wait;
    SelectDropTarget(nullptr);
    const HTREEITEM hItem = HitTestNode(point, TVHT_ONITEM);
    if (hItem != nullptr)
    {
        m_hContextItem = hItem;
        SelectItem(hItem);
    }
    // Beside the item dropped on; a placeholder's parent is its folder.
    const HTREEITEM hParent = hItem != nullptr ? GetParentItem(hItem) : nullptr;
    const DWORD dwParentId = hParent != nullptr ? GetItemNodeId(hParent) : 0;
    const BOOL bPlaceholder = IsPlaceholder(hItem);
    const DWORD dwItemId = (hItem != nullptr && !bPlaceholder) ? GetItemNodeId(hItem) : 0;

    ImportFiles(dwParentId, paths, TRUE);

    if (bPlaceholder)
    {
        if (HTREEITEM hFolder = FindNodeItem(dwParentId))
        {
            HTREEITEM hFirst = GetChildItem(hFolder);
            SelectItem(hFirst != nullptr ? hFirst : hFolder);
        }
    }
    else if (dwItemId != 0)
    {
        if (HTREEITEM hAgain = FindNodeItem(dwItemId))
            SelectItem(hAgain);
    }
    SetFocus();
}

