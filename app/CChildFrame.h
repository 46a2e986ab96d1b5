// The window of one open notebook: a static splitter with the tabs view
// (node tree and bookmark list) on the left and the content pane on the
// right, which shows the blank view (the logo) or the view of the shown
// node. The frame decides what shows a node (DisplayNode), stores the note
// on screen before anything else is shown, asks for the password of an
// encrypted node, and answers the document's calls (IQlcFrameCallbacks).
#pragma once

#include "app/CTaskCtrl.h"

#include "core/IQlcFrameCallbacks.h"

#include "framework/ui/CMDIChildWnd.h"
#include "framework/docview/CSplitterWnd.h"
#include "framework/res/AfxRes.h"

#include "widgets/CSizingControlBarCF.h"

class CBlankAreaView;
class CQlcRichEditViewEx;
class CQlcHtmlView;
class CQlcScrollView;
class CQlcTabsView;
class CQlcTreeCtrl;
class CBookmarkTreeCtrl;
class CQuillcrestDoc;
class CView;

class CChildFrame : public CMDIChildWnd, public IQlcFrameCallbacks
{
    DECLARE_DYNCREATE(CChildFrame)
public:
    CChildFrame();
    ~CChildFrame() override;

    // The shown node id when none is shown.
    static constexpr DWORD kNoNode = (DWORD)-1;
    // The profile name of the Tasks bar's sizes and place: one set for every
    // notebook window, kept from one run to the next. A window stores them
    // as it goes only when no other window changed them more recently.
    static const char kTasksBarProfile[];
    // What a restored window leaves to its panes at least: its own size
    // (when the MDI client has room) and the height over a docked Tasks bar.
    static constexpr int kMinRestoredCx = 300;
    static constexpr int kMinRestoredCy = 240;
    static constexpr int kMinPanesCy = 100;

    // --- Panes ------------------------------------------------------------------------
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs, CCreateContext* pContext) override;
    CQuillcrestDoc* GetNotebook() const;
    CQlcTabsView* GetTabsView() const { return m_pTabsView; }
    CQlcTreeCtrl* GetTreeCtrl() const;
    CBookmarkTreeCtrl* GetBookmarkTreeCtrl() const;
    // The view of the content pane, whichever it is (or null).
    CView* GetContentView() const;
    CQlcRichEditViewEx* GetRichEditView() const { return m_pRichEditView; }
    CQlcScrollView* GetScrollView() const { return m_pScrollView; }
    CQlcHtmlView* GetHtmlView() const { return m_pHtmlView; }
    CBlankAreaView* GetBlankView() const { return m_pBlankView; }
    CSplitterWnd& GetSplitter() { return m_wndSplitter; }
    CSizingControlBarCF& GetTasksBar() { return m_wndTasksBar; }
    CTaskCtrl& GetTaskCtrl() { return m_wndTaskCtrl; }
    // Shows or hides the Tasks bar and lays the window out again.
    void ShowTasksBar(BOOL bShow);
    // The docked Tasks bar's height the user chose (or the one read from the
    // profile): shown lower only while the window is too small for it.
    int GetTasksBarWantedCy() const { return m_cyTasksBarWanted; }
    // The row of a task the tree added (Add to new task).
    void AddTaskItem(DWORD dwTaskId);

    // --- Showing nodes ------------------------------------------------------------------
    // Shows a node in the content pane (bOpen) or the blank view for it
    // (!bOpen). FALSE when nothing changed, the note on screen could not be
    // stored (it stays), or the node could not be shown (the blank view
    // then, with no node shown).
    BOOL DisplayNode(BOOL bOpen, DWORD dwNodeId);
    DWORD GetShownNodeId() const { return m_dwShownNodeId; }
    // Activates this window and selects (and with bOpen opens) the node.
    void GotoNode(DWORD dwNodeId, BOOL bOpen);
    // A moved node keeps being the shown one under its new id.
    void SetShownNodeId(DWORD dwOldId, DWORD dwNewId);
    // The window's title names the shown node (kNoNode: none).
    void SetNodeTitle(DWORD dwNodeId);
    const CString& GetNodeTitle() const { return m_strNodeTitle; }
    // Drops unsaved edits of the note on screen (its node is going away).
    void DiscardNoteChanges();
    // Tab: from the frame or a content view to the tree of the current tab,
    // from that tree to the content pane, else to the next tab stop.
    void FocusNextPane();

    // --- Printing --------------------------------------------------------------------------
    // The shown note or image, which print; null with the blank or HTML view.
    CView* GetPrintableContentView() const;
    // File > Print (nID ID_FILE_PRINT, or ID_FILE_PRINT_DIRECT) and Print
    // Preview of the shown note or image while the tree has the focus;
    // nothing with another view shown.
    void PrintContentView(UINT nID = ID_FILE_PRINT);
    void PrintPreviewContentView();
    void OnUpdatePrintContent(CCmdUI* pCmdUI);

    // --- The document's calls (IQlcFrameCallbacks) ------------------------------------
    void OnDocumentLoaded() override;
    BOOL SaveCurrentNote() override;
    BOOL IsTasksBarVisible() override;
    void SetRichEditHostNames(LPCSTR lpszTitle) override;
    BOOL IsEditorModified() override;
    void UpdateTaskItem(DWORD dwTaskId) override;
    void RefreshTreeNodeItem(DWORD dwNodeId) override;
    void RedrawBlankArea() override;

    // --- Framework overrides and handlers -------------------------------------------------
    BOOL DestroyWindow() override;
    void RecalcLayout(BOOL bNotify = TRUE) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnDestroy();
    // The stored placement of the last closed notebook window, applied once
    // the main window has its own place (at start-up the first notebook
    // window shows before that), sized to fit the MDI client.
    void ApplyPendingPlacement();
    void OnUpdateFileSave(CCmdUI* pCmdUI);
    void OnTreeRefresh();
    void OnTreeCollapseAll();
    void OnTreeExpandAll();
    // Tree > Batch Export: the whole notebook into a folder the user picks.
    void OnTreeBatchExport();
    // Tools > Check Spelling: the note view's command, while a note is shown.
    void OnToolsCheckSpelling();
    void OnUpdateToolsCheckSpelling(CCmdUI* pCmdUI);
    void OnViewMainTree();
    void OnViewBookmarks();
    void OnUpdateViewMainTree(CCmdUI* pCmdUI);
    void OnUpdateViewBookmarks(CCmdUI* pCmdUI);
    void OnUpdateAlwaysEnabled(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
    void OnViewTaskBar();
    void OnUpdateViewTaskBar(CCmdUI* pCmdUI);
    // The image commands act on the shown image view.
    void OnImageRotateClockwise();
    void OnImageRotateAnticlockwise();
    void OnImageZoom();
    void OnImageScaleToFit();
    void OnUpdateImageCommand(CCmdUI* pCmdUI);
    void OnUpdateImageZoom(CCmdUI* pCmdUI);
    void OnUpdateImageScaleToFit(CCmdUI* pCmdUI);

protected:
    // Replaces the content pane's view by a new one of the class; null (and
    // an empty pane) when it cannot be made.
    CView* ReplaceContentView(CRuntimeClass* pViewClass);
    // The blank view in the content pane and no node shown.
    void ShowBlankView();
    // The Tasks bar at the bottom with the task list in it.
    BOOL CreateTasksBar(CCreateContext* pContext);
    // What the user can change of the Tasks bar: its docked height, its
    // floating size and place, and whether it floats.
    struct CTasksBarShape
    {
        int cyHorz = 0;
        CSize sizeFloat;
        BOOL bFloating = FALSE;
        CPoint ptFloat;
        bool operator==(const CTasksBarShape& other) const;
    };
    CTasksBarShape GetTasksBarShape();
    // Takes a change of the bar since the last look as the user's newest.
    void NoteTasksBarChange();
    // Lowers a shown, docked Tasks bar so that the panes above it keep a
    // usable height in the window as it is now (never above the height
    // wanted); the window is laid out again when it changed.
    void FitTasksBar();
    // The shown node's remembered password is forgotten when it is left.
    void ForgetShownPassword();
    // What an encrypted node needs before it is opened: the library and the
    // node's password. FALSE (the user told) when it cannot be opened.
    BOOL UnlockNode(DWORD dwNodeId);

    CSplitterWnd m_wndSplitter;
    CQlcTabsView* m_pTabsView;
    CQlcRichEditViewEx* m_pRichEditView;
    CQlcScrollView* m_pScrollView;
    CQlcHtmlView* m_pHtmlView;
    CBlankAreaView* m_pBlankView;
    DWORD m_dwShownNodeId;
    BOOL m_bFirstShow;
    BOOL m_bPlacementPending;
    CSizingControlBarCF m_wndTasksBar;
    // The Tasks bar as last seen, the number of the user's last change to it
    // in this window (0: none) and its wanted docked height.
    CTasksBarShape m_tasksBarSeen;
    UINT m_nTasksBarChange;
    int m_cyTasksBarWanted;
    BOOL m_bFittingTasksBar;
    BOOL m_bTasksBarFitPending;
    // Changes are numbered across the windows; the number of the change
    // whose sizes the profile holds (0: none stored in this run).
    static UINT s_nTasksBarChanges;
    static UINT s_nTasksBarStored;
    CTaskCtrl m_wndTaskCtrl;
    CString m_strNodeTitle;

    DECLARE_MESSAGE_MAP()
};
