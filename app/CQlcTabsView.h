// The left pane of a notebook window: a tab control at the bottom over the
// node tree (tab 0, "Main") and the bookmark list (tab 1, "Bookmarks").
// Commands that reach this view go to the tree of the current tab first.
#pragma once

#include "framework/ui/CTabCtrl.h"
#include "framework/docview/CView.h"

class CBookmarkTreeCtrl;
class CQlcTreeCtrl;
class CQuillcrestDoc;
class CTreeCtrl;

class CChildFrame;

class CQlcTabsView : public CView
{
    DECLARE_DYNCREATE(CQlcTabsView)
public:
    CQlcTabsView();
    ~CQlcTabsView() override;

    // Control ids of the tab control and the two trees.
    enum { IDC_TABS = 1022, IDC_NODE_TREE = 1023, IDC_BOOKMARK_TREE = 1024 };

    CQuillcrestDoc* GetDocument() const;
    void SelectTab(int nTab);
    int GetCurTab() const;
    // The tree of the current tab, or null.
    CTreeCtrl* GetActiveTreeCtrl() const;
    CQlcTreeCtrl* GetTreeCtrl() const { return m_pTree; }
    CBookmarkTreeCtrl* GetBookmarkTreeCtrl() const { return m_pBookmarks; }
    CTabCtrl& GetTabCtrl() { return m_wndTabs; }
    void RecalcLayout();

    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    // Print and preview go to the frame, which prints the shown note or image.
    void OnFilePrintContent();
    void OnFilePrintDirectContent();
    void OnFilePrintPreviewContent();
    void OnUpdatePrintContent(CCmdUI* pCmdUI);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSetFocus(CWnd* pOldWnd);
    void OnTabSelChange(NMHDR* pNMHDR, LRESULT* pResult);

protected:
    CChildFrame* GetChildFrame() const;
    CTabCtrl m_wndTabs;
    CQlcTreeCtrl* m_pTree;
    CBookmarkTreeCtrl* m_pBookmarks;

    DECLARE_MESSAGE_MAP()
};
