// The "Main" tab of a notebook window: the notebook's nodes as a tree in
// the notebook's sort order, the shown node and its folders marked, folders
// without children holding an "(empty)" placeholder. Nodes are opened from
// here (double-click, Enter or Space, or a click in single-click mode) and
// renamed, created and deleted here. Item data is the node id (the
// placeholder's is -1).
//
// Node items are inserted only by the fill and InsertNodeItem, which keep an
// index from node id to item (items leave it as the control deletes them):
// finding a node's item never searches the tree, whose every call costs time
// in proportion to the items on some platforms.
#pragma once

#include "app/CQlcTreeDropTarget.h"

#include "framework/base/CStringList.h"
#include "framework/gdi/CImageList.h"
#include "framework/ui/CTreeCtrl.h"

#include "widgets/GlyphMenu.h"

#include <shellapi.h>

#include <unordered_map>
#include <utility>
#include <vector>

class CBookmarkTreeCtrl;
class CCmdUI;
class CChildFrame;
class CQuillcrestDoc;
struct QLCNODE;

class CQlcTreeCtrl : public CTreeCtrl
{
    DECLARE_DYNAMIC(CQlcTreeCtrl)
public:
    explicit CQlcTreeCtrl(CQuillcrestDoc* pDoc);

    // Item data of the placeholder.
    static constexpr DWORD kPlaceholderId = (DWORD)-1;
    // Images of the application's tree image list.
    enum
    {
        imageNote = 2,
        imageFolder = 3,
        imageFolderOpen = 4,
        imagePlaceholder = 5,
        imageCutOffset = 7
    };
    // Overlays of the tree image list.
    enum
    {
        overlayShown = 1,
        overlayShownPath = 2,
        overlayBookmark = 3,
        overlayEncrypted = 4,
        overlayTask = 5
    };

    CQuillcrestDoc* GetDocument() const { return m_pDoc; }
    void SetBookmarkList(CBookmarkTreeCtrl* pBookmarks) { m_pBookmarks = pBookmarks; }
    CChildFrame* GetChildFrame() const;

    // Single-click mode (TVS_TRACKSELECT and TVS_SINGLEEXPAND) on or off.
    void SetSingleClick(BOOL bSingleClick);
    BOOL IsSingleClick() const { return m_bSingleClick; }

    // --- Filling ------------------------------------------------------------------
    // Rebuilds the whole tree from the document; with bKeepExpanded the
    // folders open before stay open. The shown node stays marked.
    void RefreshTree(BOOL bKeepExpanded);
    // Inserts the children of a node (recursively) at their sorted places;
    // returns how many were inserted.
    int FillChildren(DWORD dwParentId, HTREEITEM hParent, DWORD dwShownId);
    // The sort comparison: negative when node 1 goes first. lParamSort is
    // the tree.
    static int CALLBACK CompareNodesProc(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
    int CompareNodes(DWORD dwId1, DWORD dwId2) const;
    // The same comparison on two records, with the leading numbers of their
    // names when numerical sorting is on (LeadingNumber, else unused).
    static int CompareRecords(const QLCNODE& node1, int nNumber1, const QLCNODE& node2, int nNumber2, WORD wOrder,
                              WORD wFolders);
    // The leading decimal number of a name (white space and a sign allowed),
    // clamped to the int range; 0 when the name does not begin with one.
    static int LeadingNumber(LPCSTR lpszName);
    // Where a node's item goes among the children of hParent: after the
    // returned item, or TVI_FIRST.
    HTREEITEM GetSortedInsertAfter(HTREEITEM hParent, DWORD dwNodeId) const;
    // Inserts a node's item (text, images, data, overlay) under hParent after
    // hInsertAfter; a placeholder under hParent is reused.
    HTREEITEM InsertNodeItem(DWORD dwNodeId, HTREEITEM hParent, HTREEITEM hInsertAfter);
    HTREEITEM AddPlaceholder(HTREEITEM hParent);
    BOOL IsPlaceholder(HTREEITEM hItem) const;
    DWORD GetItemNodeId(HTREEITEM hItem) const { return hItem ? (DWORD)GetItemData(hItem) : 0; }

    // --- Finding and showing ------------------------------------------------------------
    // Depth first (children before the next sibling) below hBelow.
    HTREEITEM FindNodeItem(DWORD dwNodeId, HTREEITEM hBelow = TVI_ROOT) const;
    // Opens the item's node (or closes the shown node for null).
    void SelectNodeItem(HTREEITEM hItem);
    // Finds the node and opens it (the bookmark list's jump).
    void ShowBookmarkItem(DWORD dwNodeId);
    void CollapseAll();
    void ExpandAll();
    // Resets the node's item from its record and marks.
    void RefreshNodeItem(DWORD dwNodeId);
    HTREEITEM GetShownItem() const { return m_hShownItem; }
    // The item cut to the node clipboard from this tree, or null.
    HTREEITEM GetCutItem() const { return m_hCutItem; }
    // The overlay a node shows when it is not the shown one (or an ancestor).
    int GetRestingOverlay(DWORD dwNodeId) const;

    // --- Commands ----------------------------------------------------------------------------
    // The item the next command acts on.
    HTREEITEM GetContextItem() const { return m_hContextItem; }
    void SetContextItem(HTREEITEM hItem) { m_hContextItem = hItem; }
    void OnQlcPopupNewNote();
    void OnQlcPopupNewFolder();
    void OnQlcPopupRename();
    void OnQlcPopupDelete();
    // Deletes an item's branch from the tree and the document (a shown node
    // in it is closed first, its unsaved edits dropped). FALSE when nothing
    // was deleted.
    BOOL DeleteBranch(HTREEITEM hItem);
    BOOL IsLabelEditing() const { return m_bLabelEditing; }
    // Builds the context menu for an item (null: empty space) into menu:
    // owner-drawn with its pictures, commands greyed that cannot act on the
    // item or that nothing handles. The popup to track, or null.
    GlyphMenu* LoadContextMenu(GlyphMenu& menu, HTREEITEM hItem);
    // The context menu at a screen point, acting on the context item. From
    // the mouse it shows only when the last press was inside the client
    // area (a press outside, or a drag cancelled, leaves no menu).
    void ShowContextMenu(CPoint ptScreen, BOOL bFromKeyboard = FALSE);
    // Properties of the context item's node (or the caret item's): an
    // encrypted node's password is asked first unless it is remembered.
    void OnQlcPopupProperties();
    // Runs the node's properties with its password (remembered or just
    // asked; empty for a plain node) and applies a changed encryption: the
    // node is re-encoded, which proves the old password first. TRUE when the
    // sheet ended with OK.
    BOOL EditNodeProperties(DWORD dwNodeId, LPCSTR lpszPassword);

    // --- Node clipboard -----------------------------------------------------------------------
    // Cut and Copy put the context item's node on the application's node
    // clipboard; Paste copies it (with its branch, also from another open
    // notebook) beside the context item, and a cut one then leaves its place.
    void OnQlcPopupCut();
    void OnQlcPopupCopy();
    void OnQlcPopupPaste();
    // Copies a branch of a notebook (this one or another) into this one
    // under a parent (0: the top level), all or nothing (CQlcNode::CopyBranch).
    // The new id of the top node, 0 when nothing was copied; pCopied receives
    // (old id, new id) of every node; pbComplete whether the copy was made.
    DWORD CopyBranch(CQuillcrestDoc* pSource, DWORD dwSourceId, DWORD dwParentId,
                     std::vector<std::pair<DWORD, DWORD>>* pCopied, BOOL* pbComplete);
    // The item of a node just added under hParent (TVI_ROOT: the top level) at
    // its sorted place, with its branch and placeholders.
    HTREEITEM InsertBranchItems(DWORD dwNodeId, HTREEITEM hParent);
    // Whether a node is the branch's top node or lies below it.
    static BOOL IsNodeInBranch(const CQuillcrestDoc* pDoc, DWORD dwBranchId, DWORD dwNodeId);
    // Gives a branch's items the cut images (or back their normal ones).
    void SetBranchCutLook(HTREEITEM hItem, BOOL bCut);
    // Empties the node clipboard; a cut item gets its normal images back.
    static void EmptyNodeClipboard();
    // Empties the node clipboard when it holds this node of this notebook or
    // a node below it (a branch about to go).
    void ReleaseClipboardBranch(DWORD dwNodeId);

    // --- Bookmarks, task links, notebook properties ---------------------------------------
    void OnQlcPopupAddToBookmarks();
    void OnQlcPopupAddToNewTask();
    void OnQlcPopupAddToExistingTask();
    void OnQlcPopupRemoveTaskLink();
    // File > Properties while the tree has the focus: the notebook's own.
    void OnFileProperties();
    // Edit > Cut acts on a label being edited; otherwise others decide.
    void OnUpdateEditCut(CCmdUI* pCmdUI);
    void OnEditCut();
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // --- Imports and export (commands of the context menu) ------------------------------
    // Notes and images: a multiple selection imported by the batch import
    // into the context folder (or beside the context node), then the tree
    // is rebuilt.
    void OnQlcPopupImportNotes();
    void OnQlcPopupImportImages();
    // Foreign data and HTML pages: imported beside the context item by the
    // processing dialog's own worker, which adds their items.
    void OnQlcPopupImportForeignData();
    void OnQlcPopupImportHtml();
    // The context node to a file the user chooses.
    void OnQlcPopupExport();
    // Files as new nodes under a parent (0: the top level) under the
    // processing dialog, then the tree rebuilt (dropped files come here).
    void ImportFiles(DWORD dwParentId, const CStringList& paths, BOOL bKeepExpanded);
    // Where a new node at this item goes: into a folder (a placeholder's
    // folder), beside any other node, at the top level without an item.
    DWORD GetNewNodeParentId(HTREEITEM hItem) const;

    // --- Drag and drop ----------------------------------------------------------------------
    // Where a move or copy of hDragged onto hTarget puts it: the destination
    // item (TVI_ROOT: the top level), or null when the drop is not valid (no
    // target, the item itself or below it, a sibling that is not a folder).
    HTREEITEM GetDropDestination(HTREEITEM hDragged, HTREEITEM hTarget) const;
    // Moves (new ids; the open node, bookmarks and task links follow) or
    // copies the item's branch onto the target. FALSE when nothing changed.
    BOOL MoveItem(HTREEITEM hDragged, HTREEITEM hTarget);
    BOOL CopyItem(HTREEITEM hDragged, HTREEITEM hTarget);
    // Files dropped at a client point are imported beside the item there
    // (into the folder of an "(empty)" placeholder), then the tree is rebuilt.
    void DropFiles(const CStringList& paths, CPoint point);
    // The paths of a shell drop in its order; how many.
    static int GetDroppedFiles(HDROP hDrop, CStringList& paths);
    BOOL IsDragging() const { return m_bDragging; }
    BOOL IsRightDragPending() const { return m_bRightDrag; }
    HTREEITEM GetDraggedItem() const { return m_hDraggedItem; }
    HTREEITEM GetDropTargetItem() const { return m_hDropTargetItem; }
    CQlcTreeDropTarget& GetOleDropTarget() { return m_dropTarget; }
    // The auto-scroll timer and its ticks since start-up.
    static const UINT_PTR kDragTimerId = 1;
    static const UINT kDragTimerElapse = 75;
    UINT GetDragTicks() const { return m_nDragTicks; }
    // Where the drag finds the cursor (screen coordinates); tests put their
    // own here.
    static BOOL(WINAPI* s_pfnGetCursorPos)(LPPOINT lpPoint);
    // Runs the drag menu at a screen point and answers the command chosen
    // (0: none); tests put their own here.
    static UINT (*s_pfnTrackDragMenu)(CQlcTreeCtrl* pTree, CMenu* pPopup, CPoint ptScreen);
    // The beep of a refused drop; tests count them here.
    static BOOL(WINAPI* s_pfnMessageBeep)(UINT uType);
    void OnQlcDragMoveHere();
    void OnQlcDragCopyHere();

    // --- Handlers -----------------------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnCaptureChanged(CWnd* pWnd);
    void OnDropFiles(HDROP hDropInfo);
    void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginRDrag(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    UINT OnGetDlgCode();
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);

protected:
    // Marks of the shown node: overlay 1 and bold, its folders overlay 2 and bold.
    void MarkShownItem(HTREEITEM hItem);
    void UnmarkShownItem(HTREEITEM hItem);
    // Makes the tree's shown item follow what the frame shows.
    void SyncShownItem(HTREEITEM hPrevious);
    void SetItemOverlay(HTREEITEM hItem, int nOverlay, BOOL bBold);
    BOOL IsInBranch(HTREEITEM hBranch, HTREEITEM hItem) const;
    // A new note or folder at the context item's place.
    void NewNode(BYTE nType);
    HTREEITEM HitTestNode(CPoint point, UINT nFlagsWanted) const;
    void EnableContextItems(CMenu* pMenu, BOOL bNode, BOOL bFolder, BOOL bTasked);
    // The context item (or the caret item) when it stands for a node (a
    // folder only with bFoldersToo), selected; null otherwise. The context
    // item is cleared.
    HTREEITEM TakeContextNodeItem(BOOL bFoldersToo);
    // Cut or Copy of the context item.
    void PutOnClipboard(BOOL bCut);
    // The batch import of files chosen in the open dialog.
    void ImportChosenFiles(UINT nTitleId, LPCSTR lpszFilter, LPCSTR lpszFilterBlock);
    // The processing dialog's own worker imports the files chosen.
    void ImportChosenFilesOnWorker(int nJobCode, UINT nTitleId, UINT nFilterId);
    // The folders whose items are expanded.
    void RecordExpanded(std::vector<DWORD>& expanded) const;
    // Every item that has children expanded or collapsed, with its image.
    void ExpandFolders(UINT nCode, int nImage);
    // Redraw off as the system's default handling has it: beside the
    // control's own flag the window stops counting as visible, so that no
    // change scrolls or paints anything. On again, it is visible again only
    // when it was before.
    BOOL RedrawOff();
    void RedrawOn(BOOL bWasVisible);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);

    // Drag and drop.
    // A press of either button: ends a label edit and a menu, records the
    // pressed item. FALSE when the press is ignored (a menu is up elsewhere).
    BOOL OnMousePress(UINT nMessage, CPoint point);
    void BeginDragging();
    // Image, timer and capture of a drag given back (bOk: a drop follows).
    void ReleaseDragImage();
    void EndDragging(CPoint point);
    void CancelDragging();
    void ForgetDrag();
    // The drag image moved to a screen point (hidden while the tree changes).
    void SetDropTargetItem(HTREEITEM hItem);
    BOOL IsPopupOverTree() const;
    void OnDragTimer();
    BOOL AskMove() const;
    BOOL MoveOrCopy(HTREEITEM hDragged, HTREEITEM hTarget, BOOL bMove);
    // Empties the node clipboard when it holds the item's node or one of its
    // ancestors' (a cut item gets its normal images back).
    void ReleaseClipboardFor(HTREEITEM hItem);

    class CFill;
    friend class CFill;

    CBookmarkTreeCtrl* m_pBookmarks;
    BOOL m_bLabelEditing;
    BOOL m_bSingleClick;
    HTREEITEM m_hCutItem;          // the item cut to the node clipboard from this tree
    CQuillcrestDoc* m_pDoc;
    BOOL m_bLabelEditBlocked;
    BOOL m_bKeyPressed;            // a key went down in this tree
    HTREEITEM m_hPressedItem;      // the item under the last mouse press
    HTREEITEM m_hShownItem;
    HTREEITEM m_hContextItem;
    GlyphMenu* m_pContextMenu;   // the popup being tracked
    std::unordered_map<DWORD, HTREEITEM> m_nodeItems; // node id -> its item

    // Drag state.
    CQlcTreeDropTarget m_dropTarget;
    BOOL m_bContextMenuAllowed;    // the last press was inside the client area
    BOOL m_bSkipNextDrag;          // a press ended a label edit or a menu
    BOOL m_bDragging;
    BOOL m_bFocusJustSet;          // the first move after the focus came is ignored
    BOOL m_bOverTree;              // the cursor was inside when the drop target last changed
    BOOL m_bPopupUp;               // a menu of the tree is being tracked
    BOOL m_bRightDrag;             // a right drag under way or waiting for its menu
    BOOL m_bRightPressRecorded;
    CPoint m_ptRightPress;
    CImageList m_dragImage;
    UINT m_nHoverTime;             // ms on the current drop target
    HTREEITEM m_hDraggedItem;
    HTREEITEM m_hDropTargetItem;
    UINT_PTR m_nTimerId;
    UINT m_nDragTicks;

    DECLARE_MESSAGE_MAP()
};
