#include "app/CQlcTabsView.h"

#include "app/CBookmarkTreeCtrl.h"
#include "app/CChildFrame.h"
#include "app/CQlcTreeCtrl.h"
#include "app/res/Resource.h"

#include "core/CQuillcrestDoc.h"

#include "framework/gdi/CDC.h"

IMPLEMENT_DYNCREATE(CQlcTabsView, CView)

BEGIN_MESSAGE_MAP(CQlcTabsView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_NOTIFY(TCN_SELCHANGE, IDC_TABS, OnTabSelChange)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrintContent)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirectContent)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreviewContent)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, OnUpdatePrintContent)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_DIRECT, OnUpdatePrintContent)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, OnUpdatePrintContent)
END_MESSAGE_MAP()

CQlcTabsView::CQlcTabsView() : m_pTree(nullptr), m_pBookmarks(nullptr)
{
}

CQlcTabsView::~CQlcTabsView()
{
    delete m_pTree;
    delete m_pBookmarks;
}

CQuillcrestDoc* CQlcTabsView::GetDocument() const
{
    CDocument* pDoc = CView::GetDocument();
    return pDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pDoc) : nullptr;
}

int CQlcTabsView::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    ModifyStyle(0, WS_CLIPCHILDREN);
    CQuillcrestDoc* pDoc = GetDocument();
    if (pDoc == nullptr)
        return -1;

    const CRect rcNone(0, 0, 0, 0);
    if (!m_wndTabs.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | TCS_BOTTOM |
                              TCS_FOCUSNEVER,
                          rcNone, this, IDC_TABS))
        return -1;
    m_wndTabs.SendMessage(WM_SETFONT, (WPARAM)::GetStockObject(DEFAULT_GUI_FONT), FALSE);

    m_pTree = new CQlcTreeCtrl(pDoc);
    if (!m_pTree->CreateEx(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES,
                           WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                               TVS_LINESATROOT | TVS_EDITLABELS | TVS_FULLROWSELECT,
                           rcNone, this, IDC_NODE_TREE))
        return -1;
    m_pBookmarks = new CBookmarkTreeCtrl(pDoc);
    if (!m_pBookmarks->CreateEx(WS_EX_CLIENTEDGE,
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_EDITLABELS | TVS_FULLROWSELECT,
                                rcNone, this, IDC_BOOKMARK_TREE))
        return -1;
    m_pTree->SetBookmarkList(m_pBookmarks);
    m_pBookmarks->SetNodeTree(m_pTree);
    return 0;
}

void CQlcTabsView::OnInitialUpdate()
{
    if (m_wndTabs.GetItemCount() == 0)
    {
        CString strTab;
        strTab.LoadString(IDS_TAB_MAIN);
        m_wndTabs.InsertItem(0, strTab);
        strTab.LoadString(IDS_TAB_BOOKMARKS);
        m_wndTabs.InsertItem(1, strTab);
    }
    m_pBookmarks->ShowWindow(SW_HIDE);
    RecalcLayout();
}

void CQlcTabsView::OnDraw(CDC* /*pDC*/)
{
}

BOOL CQlcTabsView::OnEraseBkgnd(CDC* pDC)
{
    // The tabs and the trees cover nearly all of the view, but not quite
    // where the tab control's display area starts lower: that edge is
    // filled, or pixels of whatever was there before would show. Only the
    // uncovered part is painted, so nothing flickers.
    CRect rcClient;
    GetClientRect(rcClient);
    const int nSaved = pDC->SaveDC();
    for (CWnd* pChild : { static_cast<CWnd*>(&m_wndTabs), static_cast<CWnd*>(m_pTree), static_cast<CWnd*>(m_pBookmarks) })
    {
        if (pChild == nullptr || pChild->m_hWnd == nullptr || !pChild->IsWindowVisible())
            continue;
        CRect rcChild;
        pChild->GetWindowRect(rcChild);
        ScreenToClient(rcChild);
        pDC->ExcludeClipRect(rcChild);
    }
    pDC->FillSolidRect(rcClient, ::GetSysColor(COLOR_BTNFACE));
    pDC->RestoreDC(nSaved);
    return TRUE;
}

void CQlcTabsView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    RecalcLayout();
}

void CQlcTabsView::RecalcLayout()
{
    if (m_wndTabs.m_hWnd == nullptr)
        return;
    CRect rcClient;
    GetClientRect(rcClient);
    CRect rcDisplay = rcClient;
    m_wndTabs.AdjustRect(FALSE, rcDisplay);
    const CRect rcTrees(rcDisplay.left - 3, rcDisplay.top - 3, rcDisplay.right + 6, rcDisplay.bottom + 1);
    m_wndTabs.MoveWindow(rcClient.left, rcDisplay.bottom - 2, rcClient.Width(), rcClient.bottom - (rcDisplay.bottom - 2));
    m_pTree->MoveWindow(rcTrees);
    m_pBookmarks->MoveWindow(rcTrees);
}

int CQlcTabsView::GetCurTab() const
{
    return m_wndTabs.m_hWnd ? m_wndTabs.GetCurSel() : -1;
}

void CQlcTabsView::SelectTab(int nTab)
{
    if (nTab != 0 && nTab != 1)
        return;
    m_wndTabs.SetCurSel(nTab);
    CTreeCtrl* pShow = nTab == 0 ? static_cast<CTreeCtrl*>(m_pTree) : m_pBookmarks;
    CTreeCtrl* pHide = nTab == 0 ? static_cast<CTreeCtrl*>(m_pBookmarks) : m_pTree;
    pShow->ShowWindow(SW_SHOW);
    pHide->ShowWindow(SW_HIDE);
    pShow->SetFocus();
}

CTreeCtrl* CQlcTabsView::GetActiveTreeCtrl() const
{
    switch (GetCurTab())
    {
    case 0: return m_pTree;
    case 1: return m_pBookmarks;
    default: return nullptr;
    }
}

void CQlcTabsView::OnTabSelChange(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    SelectTab(m_wndTabs.GetCurSel());
    *pResult = 0;
}

void CQlcTabsView::OnSetFocus(CWnd* /*pOldWnd*/)
{
    // The view itself never keeps the focus: its tree does.
    if (CTreeCtrl* pTree = GetActiveTreeCtrl())
        pTree->SetFocus();
}

BOOL CQlcTabsView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CTreeCtrl* pTree = GetActiveTreeCtrl();
    if (pTree != nullptr && pTree->m_hWnd != nullptr && pTree->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// The tree pane prints nothing itself: the shown note or image does.
CChildFrame* CQlcTabsView::GetChildFrame() const
{
    CFrameWnd* pFrame = GetParentFrame();
    return pFrame ? DYNAMIC_DOWNCAST(CChildFrame, pFrame) : nullptr;
}

void CQlcTabsView::OnFilePrintContent()
{
    if (CChildFrame* pFrame = GetChildFrame())
        pFrame->PrintContentView(ID_FILE_PRINT);
}

void CQlcTabsView::OnFilePrintDirectContent()
{
    if (CChildFrame* pFrame = GetChildFrame())
        pFrame->PrintContentView(ID_FILE_PRINT_DIRECT);
}

void CQlcTabsView::OnFilePrintPreviewContent()
{
    if (CChildFrame* pFrame = GetChildFrame())
        pFrame->PrintPreviewContentView();
}

void CQlcTabsView::OnUpdatePrintContent(CCmdUI* pCmdUI)
{
    CChildFrame* pFrame = GetChildFrame();
    pCmdUI->Enable(pFrame != nullptr && pFrame->GetPrintableContentView() != nullptr);
}
