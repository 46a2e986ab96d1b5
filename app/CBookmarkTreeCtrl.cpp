#include "app/CBookmarkTreeCtrl.h"

#include "app/CChildFrame.h"
#include "app/CQlcApp.h"
#include "app/CQlcTreeCtrl.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"

#include <vector>

IMPLEMENT_DYNAMIC(CBookmarkTreeCtrl, CTreeCtrl)

BEGIN_MESSAGE_MAP(CBookmarkTreeCtrl, CTreeCtrl)
    ON_WM_CREATE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_CONTEXTMENU()
    ON_WM_KEYDOWN()
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
    ON_NOTIFY_REFLECT(TVN_SINGLEEXPAND, OnSingleExpand)
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDITA, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDITA, OnEndLabelEdit)
    ON_COMMAND(ID_BOOKMARK_DELETE, OnBookmarkDelete)
    ON_COMMAND(ID_BOOKMARK_RENAME, OnBookmarkRename)
END_MESSAGE_MAP()

namespace {

// Hits that count as being on a bookmark.
const UINT kOnBookmark = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON | TVHT_ONITEMRIGHT;
const UINT kOnBookmarkPress = TVHT_ONITEMBUTTON | TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;

} // namespace

CBookmarkTreeCtrl::CBookmarkTreeCtrl(CQuillcrestDoc* pDoc)
    : m_pDoc(pDoc), m_pNodeTree(nullptr), m_bSingleClick(FALSE), m_bClickActivated(FALSE), m_hContextItem(nullptr),
      m_bContextMenuActive(FALSE), m_bLabelEditing(FALSE)
{
}

int CBookmarkTreeCtrl::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CTreeCtrl::OnCreate(lpcs) == -1)
        return -1;
    if (CQlcApp* pApp = QlcGetApp())
    {
        SetImageList(pApp->m_treeImages.GetSafeHandle(), TVSIL_NORMAL);
        m_bSingleClick = pApp->m_settings.m_nSingleClick != 0;
    }
    if (m_bSingleClick)
        ModifyStyle(0, TVS_TRACKSELECT | TVS_SINGLEEXPAND);
    else
        ModifyStyle(TVS_TRACKSELECT | TVS_SINGLEEXPAND, 0);
    return 0;
}

HTREEITEM CBookmarkTreeCtrl::InsertBookmarkItem(const QLCBOOKMARK& bookmark)
{
    TVINSERTSTRUCTA tvis = {};
    tvis.hParent = TVI_ROOT;
    tvis.hInsertAfter = TVI_SORT;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    tvis.item.pszText = const_cast<LPSTR>((LPCSTR)bookmark.strName);
    CQlcNode node(m_pDoc, bookmark.dwNodeId);
    if (node.IsValid())
    {
        TVINSERTSTRUCTA tvisNode = {};
        node.GetInsertStruct(tvisNode);
        tvis.item.iImage = tvisNode.item.iImage;
        tvis.item.iSelectedImage = tvisNode.item.iSelectedImage;
    }
    tvis.item.lParam = (LPARAM)bookmark.dwBookmarkId;
    tvis.item.state = INDEXTOOVERLAYMASK(CQlcTreeCtrl::overlayBookmark);
    tvis.item.stateMask = TVIS_OVERLAYMASK;
    return InsertItem(&tvis);
}

void CBookmarkTreeCtrl::FillBookmarks()
{
    SetRedraw(FALSE);
    DeleteAllItems();
    m_hContextItem = nullptr;
    {
        CQlcDocLock::CScoped lock(m_pDoc->GetLock());
        const CQlcBookmarkMap& bookmarks = m_pDoc->GetBookmarkTable(lock);
        POSITION pos = bookmarks.GetStartPosition();
        while (pos != nullptr)
        {
            DWORD dwId = 0;
            QLCBOOKMARK bookmark;
            bookmarks.GetNextAssoc(pos, dwId, bookmark);
            InsertBookmarkItem(bookmark);
        }
    }
    SetRedraw(TRUE);
    Invalidate();
}

void CBookmarkTreeCtrl::AddBookmarkItem(DWORD dwBookmarkId)
{
    QLCBOOKMARK bookmark;
    if (m_pDoc->Data_GetBookmark(dwBookmarkId, bookmark))
        InsertBookmarkItem(bookmark);
}

HTREEITEM CBookmarkTreeCtrl::FindBookmarkItem(DWORD dwBookmarkId) const
{
    for (HTREEITEM h = GetRootItem(); h != nullptr; h = GetNextSiblingItem(h))
    {
        if ((DWORD)GetItemData(h) == dwBookmarkId)
            return h;
    }
    return nullptr;
}

void CBookmarkTreeCtrl::RefreshBookmarks()
{
    // Collected first: the table changes while the gone ones are removed.
    std::vector<DWORD> gone;
    {
        CQlcDocLock::CScoped lock(m_pDoc->GetLock());
        const CQlcBookmarkMap& bookmarks = m_pDoc->GetBookmarkTable(lock);
        POSITION pos = bookmarks.GetStartPosition();
        while (pos != nullptr)
        {
            DWORD dwId = 0;
            QLCBOOKMARK bookmark;
            bookmarks.GetNextAssoc(pos, dwId, bookmark);
            QLCNODE node;
            if (!m_pDoc->Data_GetNode(bookmark.dwNodeId, node))
                gone.push_back(dwId);
        }
    }
    for (DWORD dwId : gone)
    {
        m_pDoc->Data_DeleteBookmark(dwId);
        if (HTREEITEM hItem = FindBookmarkItem(dwId))
        {
            if (hItem == m_hContextItem)
                m_hContextItem = nullptr;
            DeleteItem(hItem);
        }
    }
}

void CBookmarkTreeCtrl::GoToBookmark(HTREEITEM hItem)
{
    QLCBOOKMARK bookmark;
    if (hItem == nullptr || !m_pDoc->Data_GetBookmark((DWORD)GetItemData(hItem), bookmark))
        return;
    if (m_pNodeTree != nullptr)
        m_pNodeTree->ShowBookmarkItem(bookmark.dwNodeId);
}

HTREEITEM CBookmarkTreeCtrl::HitTestBookmark(CPoint point, UINT nFlagsWanted) const
{
    UINT nFlags = 0;
    HTREEITEM hItem = HitTest(point, &nFlags);
    return (hItem != nullptr && (nFlags & nFlagsWanted)) ? hItem : nullptr;
}

// ---------------------------------------------------------------------------
// Activation

void CBookmarkTreeCtrl::OnLButtonDblClk(UINT /*nFlags*/, CPoint point)
{
    m_bClickActivated = TRUE;
    if (HTREEITEM hItem = HitTestBookmark(point, kOnBookmark))
        GoToBookmark(hItem);
}

void CBookmarkTreeCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_bSingleClick && !m_bContextMenuActive)
    {
        m_bClickActivated = TRUE;
        if (HTREEITEM hItem = HitTestBookmark(point, kOnBookmarkPress))
            GoToBookmark(hItem);
    }
    CTreeCtrl::OnLButtonDown(nFlags, point);
}

void CBookmarkTreeCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_bContextMenuActive)
    {
        ::EndMenu();
        return;
    }
    if (m_bSingleClick)
    {
        m_bClickActivated = TRUE;
        if (HTREEITEM hItem = HitTestBookmark(point, kOnBookmarkPress))
            GoToBookmark(hItem);
    }
    CTreeCtrl::OnRButtonDown(nFlags, point);
}

void CBookmarkTreeCtrl::OnSingleExpand(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWA* pNMTV = (NMTREEVIEWA*)pNMHDR;
    GoToBookmark(pNMTV->itemNew.hItem);
    *pResult = 0;
}

void CBookmarkTreeCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB)
    {
        CFrameWnd* pFrame = GetParentFrame();
        if (CChildFrame* pChild = pFrame ? DYNAMIC_DOWNCAST(CChildFrame, pFrame) : nullptr)
        {
            pChild->FocusNextPane();
            return;
        }
    }
    CTreeCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

// ---------------------------------------------------------------------------
// Context menu

void CBookmarkTreeCtrl::OnRClick(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    const DWORD dwPos = ::GetMessagePos();
    SendMessage(WM_CONTEXTMENU, (WPARAM)m_hWnd, (LPARAM)dwPos);
    *pResult = 1;
}

void CBookmarkTreeCtrl::OnContextMenu(CWnd* /*pWnd*/, CPoint point)
{
    if (m_bContextMenuActive)
        return;
    const BOOL bKeyboard = point.x == -1 && point.y == -1;
    CRect rcClient;
    GetClientRect(rcClient);
    if (bKeyboard)
    {
        HTREEITEM hSelected = GetSelectedItem();
        CRect rcItem;
        if (hSelected != nullptr && GetItemRect(hSelected, rcItem, TRUE))
        {
            m_hContextItem = hSelected;
            CPoint pt(rcItem.left, rcItem.bottom);
            ClientToScreen(&pt);
            TrackContextMenu(pt, TRUE);
        }
        else
        {
            CPoint pt(0, 0);
            ClientToScreen(&pt);
            TrackContextMenu(pt, FALSE);
        }
        return;
    }
    CPoint ptClient = point;
    ScreenToClient(&ptClient);
    if (!rcClient.PtInRect(ptClient))
        return;
    HTREEITEM hItem = HitTestBookmark(ptClient, kOnBookmark);
    if (hItem != nullptr)
        m_hContextItem = hItem;
    TrackContextMenu(point, hItem != nullptr);
}

void CBookmarkTreeCtrl::TrackContextMenu(CPoint ptScreen, BOOL bEnable)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_BOOKMARK_POPUP))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return;
    if (bEnable)
    {
        pPopup->EnableMenuItem(ID_BOOKMARK_DELETE, MF_BYCOMMAND | MF_ENABLED);
        pPopup->EnableMenuItem(ID_BOOKMARK_RENAME, MF_BYCOMMAND | MF_ENABLED);
    }
    m_bContextMenuActive = TRUE;
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, this);
    m_bContextMenuActive = FALSE;
    if (GetDropHilightItem() != nullptr)
        SelectDropTarget(nullptr);
}

void CBookmarkTreeCtrl::OnBookmarkDelete()
{
    HTREEITEM hItem = m_hContextItem;
    m_hContextItem = nullptr;
    if (hItem == nullptr)
        return;
    m_pDoc->Data_DeleteBookmark((DWORD)GetItemData(hItem));
    DeleteItem(hItem);
}

void CBookmarkTreeCtrl::OnBookmarkRename()
{
    HTREEITEM hItem = m_hContextItem;
    m_hContextItem = nullptr;
    if (hItem == nullptr)
        return;
    m_bClickActivated = FALSE;
    SetFocus();
    EditLabel(hItem);
}

// ---------------------------------------------------------------------------
// Label editing

void CBookmarkTreeCtrl::OnBeginLabelEdit(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    if (m_bClickActivated)
    {
        *pResult = TRUE; // refused
        return;
    }
    if (HWND hEdit = GetEditControl())
        ::SendMessageA(hEdit, EM_LIMITTEXT, 128, 0);
    m_bLabelEditing = TRUE;
    *pResult = FALSE;
}

void CBookmarkTreeCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTVDISPINFOA* pInfo = (NMTVDISPINFOA*)pNMHDR;
    *pResult = FALSE;
    // Only the first end of an edit counts (the box reports again as it goes).
    if (!m_bLabelEditing)
        return;
    m_bLabelEditing = FALSE;
    if (pInfo->item.pszText == nullptr)
        return; // cancelled
    if (pInfo->item.pszText[0] == '\0')
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_BOOKMARK_NAME_EMPTY), AfxGetAppName(), MB_OK | MB_ICONWARNING);
        return;
    }
    QLCBOOKMARK bookmark;
    const DWORD dwId = (DWORD)GetItemData(pInfo->item.hItem);
    if (!m_pDoc->Data_GetBookmark(dwId, bookmark))
        return;
    bookmark.strName = pInfo->item.pszText;
    m_pDoc->Data_SetBookmark(dwId, bookmark);
    SetItemText(pInfo->item.hItem, pInfo->item.pszText);
    *pResult = TRUE;
}
