// The "Bookmarks" tab of a notebook window: the notebook's bookmarks as a
// flat list in alphabetical order, each with its node's image and the
// bookmark overlay. Activating one shows and opens its node in the node
// tree; a context menu renames and deletes.
#pragma once

#include "core/QlcRecords.h"

#include "framework/ui/CMenu.h"
#include "framework/ui/CTreeCtrl.h"

class CQlcTreeCtrl;
class CQuillcrestDoc;

class CBookmarkTreeCtrl : public CTreeCtrl
{
    DECLARE_DYNAMIC(CBookmarkTreeCtrl)
public:
    explicit CBookmarkTreeCtrl(CQuillcrestDoc* pDoc);

    void SetNodeTree(CQlcTreeCtrl* pTree) { m_pNodeTree = pTree; }
    CQuillcrestDoc* GetDocument() const { return m_pDoc; }

    // One item per bookmark of the document.
    void FillBookmarks();
    // The item of a bookmark added elsewhere.
    void AddBookmarkItem(DWORD dwBookmarkId);
    // Drops the bookmarks (and items) whose node is gone.
    void RefreshBookmarks();
    HTREEITEM FindBookmarkItem(DWORD dwBookmarkId) const;
    // Shows and opens the bookmark's node in the node tree.
    void GoToBookmark(HTREEITEM hItem);

    HTREEITEM GetContextItem() const { return m_hContextItem; }
    void SetContextItem(HTREEITEM hItem) { m_hContextItem = hItem; }
    BOOL IsClickActivated() const { return m_bClickActivated; }
    BOOL IsContextMenuActive() const { return m_bContextMenuActive; }
    BOOL IsLabelEditing() const { return m_bLabelEditing; }

    // --- Handlers --------------------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSingleExpand(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnBookmarkDelete();
    void OnBookmarkRename();

protected:
    // The item under a point (icon, label, state icon, or right of the label).
    HTREEITEM HitTestBookmark(CPoint point, UINT nFlagsWanted) const;
    HTREEITEM InsertBookmarkItem(const QLCBOOKMARK& bookmark);
    // Shows the context menu at a screen point; bEnable with a context item.
    void TrackContextMenu(CPoint ptScreen, BOOL bEnable);

    CQuillcrestDoc* m_pDoc;
    CQlcTreeCtrl* m_pNodeTree;
    BOOL m_bSingleClick;
    BOOL m_bClickActivated;
    HTREEITEM m_hContextItem;
    BOOL m_bContextMenuActive;
    BOOL m_bLabelEditing;

    DECLARE_MESSAGE_MAP()
};
