#include "app/CChildFrame.h"

#include "app/CBlankAreaView.h"
#include "app/CBookmarkTreeCtrl.h"
#include "app/CFolderBrowseDlg.h"
#include "app/CMainFrame.h"
#include "app/CProcessingDlg.h"
#include "app/CQlcApp.h"
#include "app/CQlcHtmlView.h"
#include "app/CQlcRichEditViewEx.h"
#include "app/CQlcScrollView.h"
#include "app/CQlcTabsView.h"
#include "app/CQlcTreeCtrl.h"
#include "app/CSetPasswordDlg.h"
#include "app/res/Resource.h"
#include "core/res/CoreRes.h"

#include "core/CCryptDLLHandler.h"
#include "core/CNodeBatchExport.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/AfxSecure.h"
#include "framework/docview/CCreateContext.h"
#include "framework/ui/CDockState.h"
#include "framework/ui/CWaitCursor.h"
#include "framework/docview/CWinApp.h"

#include <algorithm>
#include "widgets/CSCBMiniDockFrameWnd.h"

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CChildFrame, CMDIChildWnd)
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
    ON_COMMAND(ID_TREE_REFRESH, OnTreeRefresh)
    ON_UPDATE_COMMAND_UI(ID_TREE_REFRESH, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_TREE_COLLAPSEALL, OnTreeCollapseAll)
    ON_UPDATE_COMMAND_UI(ID_TREE_COLLAPSEALL, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_TREE_EXPANDALL, OnTreeExpandAll)
    ON_UPDATE_COMMAND_UI(ID_TREE_EXPANDALL, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_TREE_BATCHEXPORT, OnTreeBatchExport)
    ON_UPDATE_COMMAND_UI(ID_TREE_BATCHEXPORT, OnUpdateAlwaysEnabled)
    ON_COMMAND(ID_VIEW_MAINTREE, OnViewMainTree)
    ON_UPDATE_COMMAND_UI(ID_VIEW_MAINTREE, OnUpdateViewMainTree)
    ON_COMMAND(ID_VIEW_BOOKMARKS, OnViewBookmarks)
    ON_UPDATE_COMMAND_UI(ID_VIEW_BOOKMARKS, OnUpdateViewBookmarks)
    ON_COMMAND(ID_VIEW_TASKBAR, OnViewTaskBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TASKBAR, OnUpdateViewTaskBar)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, OnUpdatePrintContent)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_DIRECT, OnUpdatePrintContent)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, OnUpdatePrintContent)
    ON_COMMAND(ID_TOOLS_CHECKSPELLING, OnToolsCheckSpelling)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_CHECKSPELLING, OnUpdateToolsCheckSpelling)
    ON_COMMAND(ID_IMAGE_ROTATECW, OnImageRotateClockwise)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_ROTATECW, OnUpdateImageCommand)
    ON_COMMAND(ID_IMAGE_ROTATEACW, OnImageRotateAnticlockwise)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_ROTATEACW, OnUpdateImageCommand)
    ON_COMMAND(ID_IMAGE_ZOOM, OnImageZoom)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_ZOOM, OnUpdateImageZoom)
    ON_COMMAND(ID_IMAGE_SCALETOFIT, OnImageScaleToFit)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_SCALETOFIT, OnUpdateImageScaleToFit)
END_MESSAGE_MAP()

CChildFrame::CChildFrame()
    : m_pTabsView(nullptr), m_pRichEditView(nullptr), m_pScrollView(nullptr), m_pHtmlView(nullptr),
      m_pBlankView(nullptr), m_dwShownNodeId(kNoNode),
      m_bFirstShow(TRUE), m_bPlacementPending(FALSE), m_nTasksBarChange(0), m_cyTasksBarWanted(0),
      m_bFittingTasksBar(FALSE), m_bTasksBarFitPending(FALSE)
{
}

const char CChildFrame::kTasksBarProfile[] = "TasksBar";
UINT CChildFrame::s_nTasksBarChanges = 0;
UINT CChildFrame::s_nTasksBarStored = 0;

CChildFrame::~CChildFrame()
{
}

// ---------------------------------------------------------------------------
// Panes

BOOL CChildFrame::OnCreateClient(LPCREATESTRUCTA /*lpcs*/, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CQlcTabsView), CSize(180, 50), pContext))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CBlankAreaView), CSize(20, 20), pContext))
        return FALSE;
    m_pTabsView = DYNAMIC_DOWNCAST(CQlcTabsView, m_wndSplitter.GetPane(0, 0));
    m_pBlankView = DYNAMIC_DOWNCAST(CBlankAreaView, m_wndSplitter.GetPane(0, 1));
    if (m_pTabsView == nullptr || m_pBlankView == nullptr)
        return FALSE;
    // Commands reach the tabs view (and so the tree) first.
    SetActiveView(m_pTabsView, FALSE);
    m_wndSplitter.RecalcLayout();
    return CreateTasksBar(pContext);
}

BOOL CChildFrame::CreateTasksBar(CCreateContext* pContext)
{
    EnableDocking(CBRS_ALIGN_BOTTOM);
    m_pFloatingFrameClass = RUNTIME_CLASS(CSCBMiniDockFrameWnd);
    if (!m_wndTasksBar.Create(AfxLoadText(IDS_TASKS_BAR_TITLE), this, IDW_TASKS_BAR, WS_CHILD | CBRS_BOTTOM))
        return FALSE;
    m_wndTasksBar.SetSCBStyle(SCBS_SIZECHILD);
    m_wndTasksBar.SetBarStyle((m_wndTasksBar.GetBarStyle() & ~CBRS_BORDER_TOP) | CBRS_GRIPPER | CBRS_FLYBY |
                              CBRS_SIZE_DYNAMIC);
    CDocument* pDoc = pContext != nullptr ? pContext->m_pCurrentDoc : nullptr;
    m_wndTaskCtrl.SetDocument(pDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pDoc) : nullptr);
    if (!m_wndTaskCtrl.CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0),
                                &m_wndTasksBar, IDC_TASK_LIST))
        return FALSE;
    m_wndTasksBar.EnableDocking(CBRS_ALIGN_BOTTOM);
    DockControlBar(&m_wndTasksBar, AFX_IDW_DOCKBAR_BOTTOM);
    // Its sizes and place are the program's, not the notebook's; whether it
    // shows is the notebook's (once it is read).
    CSizingControlBar::RestoreAllBarStates(this, kTasksBarProfile);
    CDockState state;
    state.LoadState(kTasksBarProfile);
    if (state.m_arrBarInfo.GetSize() > 0)
    {
        CMainFrame::FixFloatingPositions(state);
        SetDockState(state);
    }
    ShowControlBar(&m_wndTasksBar, FALSE, FALSE);
    m_tasksBarSeen = GetTasksBarShape();
    m_cyTasksBarWanted = m_wndTasksBar.m_szHorz.cy;
    return TRUE;
}

bool CChildFrame::CTasksBarShape::operator==(const CTasksBarShape& other) const
{
    return cyHorz == other.cyHorz && sizeFloat.cx == other.sizeFloat.cx && sizeFloat.cy == other.sizeFloat.cy &&
           bFloating == other.bFloating && ptFloat.x == other.ptFloat.x && ptFloat.y == other.ptFloat.y;
}

CChildFrame::CTasksBarShape CChildFrame::GetTasksBarShape()
{
    CTasksBarShape shape;
    if (m_wndTasksBar.m_hWnd == nullptr)
        return shape;
    shape.cyHorz = m_wndTasksBar.m_szHorz.cy;
    shape.sizeFloat = m_wndTasksBar.m_szFloat;
    // By the dock bar it sits in: its own record of that follows only the
    // first move after docking.
    CWnd* pDockBar = m_wndTasksBar.GetParent();
    shape.bFloating = pDockBar != nullptr && pDockBar->GetDlgCtrlID() == AFX_IDW_DOCKBAR_FLOAT;
    CFrameWnd* pMiniFrame = shape.bFloating ? m_wndTasksBar.GetParentFrame() : nullptr;
    if (pMiniFrame != nullptr && pMiniFrame != this)
    {
        CRect rc;
        pMiniFrame->GetWindowRect(rc);
        shape.ptFloat = rc.TopLeft();
    }
    return shape;
}

void CChildFrame::NoteTasksBarChange()
{
    if (m_wndTasksBar.m_hWnd == nullptr || m_bFittingTasksBar)
        return;
    const CTasksBarShape shape = GetTasksBarShape();
    if (shape == m_tasksBarSeen)
        return;
    if (shape.cyHorz != m_tasksBarSeen.cyHorz)
        m_cyTasksBarWanted = shape.cyHorz;
    m_tasksBarSeen = shape;
    m_nTasksBarChange = ++s_nTasksBarChanges;
}

void CChildFrame::FitTasksBar()
{
    if (m_wndTasksBar.m_hWnd == nullptr || !m_wndTasksBar.IsVisible())
        return;
    CWnd* pDockBar = m_wndTasksBar.GetParent();
    if (pDockBar == nullptr || pDockBar->GetDlgCtrlID() != AFX_IDW_DOCKBAR_BOTTOM)
        return;
    CRect rcClient;
    GetClientRect(rcClient);
    // A minimised window has no room to measure: fitted once it has.
    if (IsIconic() || rcClient.Height() <= 0)
    {
        m_bTasksBarFitPending = TRUE;
        return;
    }
    m_bTasksBarFitPending = FALSE;
    NoteTasksBarChange();
    const int cyRoom = std::max<int>(rcClient.Height() - kMinPanesCy, rcClient.Height() / 2);
    const int cy = std::max<int>(m_wndTasksBar.m_szMinHorz.cy, std::min<int>(m_cyTasksBarWanted, cyRoom));
    if (cy == m_wndTasksBar.m_szHorz.cy)
        return;
    m_wndTasksBar.m_szHorz.cy = cy;
    m_bFittingTasksBar = TRUE;
    RecalcLayout();
    m_bFittingTasksBar = FALSE;
    m_tasksBarSeen = GetTasksBarShape();
}

void CChildFrame::RecalcLayout(BOOL bNotify)
{
    CMDIChildWnd::RecalcLayout(bNotify);
    if (m_bFittingTasksBar)
        return;
    NoteTasksBarChange();
    if (m_bTasksBarFitPending)
        FitTasksBar();
}

void CChildFrame::ShowTasksBar(BOOL bShow)
{
    if (m_wndTasksBar.m_hWnd == nullptr)
        return;
    ShowControlBar(&m_wndTasksBar, bShow, FALSE);
    RecalcLayout();
    if (bShow)
        FitTasksBar();
}

void CChildFrame::OnViewTaskBar()
{
    ShowTasksBar(!m_wndTasksBar.IsVisible());
}

void CChildFrame::OnUpdateViewTaskBar(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_wndTasksBar.m_hWnd != nullptr);
    pCmdUI->SetCheck(m_wndTasksBar.m_hWnd != nullptr && m_wndTasksBar.IsVisible());
}

void CChildFrame::AddTaskItem(DWORD dwTaskId)
{
    if (m_wndTaskCtrl.m_hWnd != nullptr)
        m_wndTaskCtrl.AddTaskItem(dwTaskId);
}

CQuillcrestDoc* CChildFrame::GetNotebook() const
{
    CDocument* pDoc = m_pTabsView ? m_pTabsView->GetDocument() : nullptr;
    return pDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pDoc) : nullptr;
}

CQlcTreeCtrl* CChildFrame::GetTreeCtrl() const
{
    return m_pTabsView ? m_pTabsView->GetTreeCtrl() : nullptr;
}

CBookmarkTreeCtrl* CChildFrame::GetBookmarkTreeCtrl() const
{
    return m_pTabsView ? m_pTabsView->GetBookmarkTreeCtrl() : nullptr;
}

CView* CChildFrame::GetContentView() const
{
    CWnd* pPane = m_wndSplitter.m_hWnd ? m_wndSplitter.GetPane(0, 1) : nullptr;
    return pPane ? DYNAMIC_DOWNCAST(CView, pPane) : nullptr;
}

CView* CChildFrame::ReplaceContentView(CRuntimeClass* pViewClass)
{
    CQuillcrestDoc* pDoc = GetNotebook();
    CWnd* pFocus = CWnd::GetFocus();
    CView* pOld = GetContentView();
    const BOOL bFocusInPane = pFocus != nullptr && pOld != nullptr &&
                              (pFocus == pOld || ::IsChild(pOld->m_hWnd, pFocus->m_hWnd));

    // An empty pane is left alone; a view is only ever deleted once.
    if (pOld != nullptr)
        m_wndSplitter.DeleteView(0, 1);
    m_pRichEditView = nullptr;
    m_pScrollView = nullptr;
    m_pHtmlView = nullptr;
    m_pBlankView = nullptr;

    CView* pView = nullptr;
    if (pDoc != nullptr)
    {
        CCreateContext context;
        context.m_pCurrentDoc = pDoc;
        context.m_pNewViewClass = pViewClass;
        context.m_pCurrentFrame = this;
        if (m_wndSplitter.CreateView(0, 1, pViewClass, CSize(20, 20), &context))
            pView = GetContentView();
    }
    // Laid out with or without a view: an empty pane is simply skipped.
    m_wndSplitter.RecalcLayout();
    if (pView != nullptr)
    {
        pView->SendMessage(WM_INITIALUPDATE);
        m_pRichEditView = DYNAMIC_DOWNCAST(CQlcRichEditViewEx, pView);
        m_pScrollView = DYNAMIC_DOWNCAST(CQlcScrollView, pView);
        m_pHtmlView = DYNAMIC_DOWNCAST(CQlcHtmlView, pView);
        m_pBlankView = DYNAMIC_DOWNCAST(CBlankAreaView, pView);
    }
    m_wndSplitter.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    // The focus had nowhere left to go: the tree takes it.
    if (bFocusInPane && CWnd::GetFocus() == nullptr && m_pTabsView != nullptr)
    {
        SetActiveView(m_pTabsView, FALSE);
        m_pTabsView->SetFocus();
    }
    return pView;
}

void CChildFrame::ShowBlankView()
{
    m_dwShownNodeId = kNoNode;
    if (m_pBlankView != nullptr && GetContentView() == m_pBlankView)
        return;
    ReplaceContentView(RUNTIME_CLASS(CBlankAreaView));
}

// ---------------------------------------------------------------------------
// Showing nodes

void CChildFrame::ForgetShownPassword()
{
    if (m_dwShownNodeId == kNoNode || m_dwShownNodeId == 0)
        return;
    CQlcNode node(GetNotebook(), m_dwShownNodeId);
    if (node.IsValid())
        node.SetPassword(FALSE, "");
}

BOOL CChildFrame::UnlockNode(DWORD dwNodeId)
{
    CString strPassword;
    if (!CSetPasswordDlg::AskNodePassword(this, GetNotebook(), dwNodeId, strPassword))
        return FALSE;
    // Remembered for this visit; the modified state is not touched.
    CQlcNode node(GetNotebook(), dwNodeId);
    node.SetPassword(TRUE, strPassword);
    AfxSecureWipe(strPassword);
    return TRUE;
}

BOOL CChildFrame::DisplayNode(BOOL bOpen, DWORD dwNodeId)
{
    CWaitCursor wait;
    if (dwNodeId == m_dwShownNodeId)
        return FALSE;
    CQuillcrestDoc* pDoc = GetNotebook();
    if (pDoc == nullptr)
        return FALSE;

    // A note that cannot be stored is never left.
    if (m_pRichEditView != nullptr && !m_pRichEditView->SaveNode(pDoc, m_dwShownNodeId))
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_QLC_NOTE_NOT_STORED), AfxGetAppName(), MB_OK);
        return FALSE;
    }

    // The node being left forgets its password.
    ForgetShownPassword();

    if (!bOpen)
    {
        const BOOL bBlankShown = m_pBlankView != nullptr && GetContentView() == m_pBlankView;
        if (!bBlankShown)
            ReplaceContentView(RUNTIME_CLASS(CBlankAreaView));
        m_dwShownNodeId = dwNodeId;
        return TRUE;
    }

    CQlcNode node(pDoc, dwNodeId);
    if (node.IsValid() && node.IsEncrypted() && !UnlockNode(dwNodeId))
    {
        ShowBlankView();
        return FALSE;
    }

    BOOL bLoaded = FALSE;
    switch (node.GetType())
    {
    case QLC_NODE_NOTE:
    {
        CView* pView = ReplaceContentView(RUNTIME_CLASS(CQlcRichEditViewEx));
        m_dwShownNodeId = dwNodeId;
        if (pView == nullptr || m_pRichEditView == nullptr)
            break; // not loaded
        SetRichEditHostNames(pDoc->GetTitle());
        CQlcNode loaded(pDoc, dwNodeId);
        bLoaded = m_pRichEditView->LoadNode(pDoc, dwNodeId, loaded.HasPassword(), loaded.GetPassword());
        if (!bLoaded)
        {
            // Whatever came in must never be saved over the node.
            m_pRichEditView->GetRichEditCtrl().SetModify(FALSE);
        }
        break;
    }
    case QLC_NODE_IMAGE:
    {
        ReplaceContentView(RUNTIME_CLASS(CQlcScrollView));
        m_dwShownNodeId = dwNodeId;
        if (m_pScrollView == nullptr)
            break; // not loaded
        CQlcNode loaded(pDoc, dwNodeId);
        bLoaded = m_pScrollView->LoadNode(pDoc, dwNodeId, loaded.HasPassword(), loaded.GetPassword());
        break;
    }
    case QLC_NODE_HTML:
    {
        ReplaceContentView(RUNTIME_CLASS(CQlcHtmlView));
        m_dwShownNodeId = dwNodeId;
        if (m_pHtmlView == nullptr)
            break; // not loaded
        CQlcNode loaded(pDoc, dwNodeId);
        bLoaded = m_pHtmlView->LoadNode(pDoc, dwNodeId, loaded.HasPassword(), loaded.GetPassword());
        break;
    }
    case QLC_NODE_FOREIGN:
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_FOREIGN_DATA), AfxLoadText(IDS_FOREIGN_DATA_CAPTION), MB_OK | MB_ICONWARNING);
        ShowBlankView();
        return FALSE;
    default:
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_UNKNOWN_NODE_TYPE), AfxLoadText(IDS_UNKNOWN_NODE_TYPE_CAPTION), MB_OK | MB_ICONWARNING);
        break; // not loaded
    }

    if (bLoaded)
        return TRUE;
    AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_NODE_LOAD_FAILED), AfxGetAppName(), MB_OK | MB_ICONWARNING);
    ShowBlankView();
    return FALSE;
}

void CChildFrame::GotoNode(DWORD dwNodeId, BOOL bOpen)
{
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->MDIActivate(this);
    CQlcTreeCtrl* pTree = GetTreeCtrl();
    HTREEITEM hItem = pTree ? pTree->FindNodeItem(dwNodeId) : nullptr;
    if (hItem == nullptr)
        return;
    m_pTabsView->SelectTab(0);
    pTree->EnsureVisible(hItem);
    pTree->SelectItem(hItem);
    if (bOpen)
        pTree->SelectNodeItem(hItem);
}

void CChildFrame::SetShownNodeId(DWORD dwOldId, DWORD dwNewId)
{
    if (m_dwShownNodeId == dwOldId)
        m_dwShownNodeId = dwNewId;
}

void CChildFrame::SetNodeTitle(DWORD dwNodeId)
{
    m_strNodeTitle.Empty();
    if (dwNodeId != kNoNode)
    {
        CQlcNode node(GetNotebook(), dwNodeId);
        if (node.IsValid())
            m_strNodeTitle = node.GetName();
    }
    OnUpdateFrameTitle(TRUE);
}

void CChildFrame::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CDocument* pDoc = GetNotebook();
    if (!bAddToTitle || pDoc == nullptr || (GetStyle() & FWS_ADDTOTITLE) == 0)
    {
        CMDIChildWnd::OnUpdateFrameTitle(bAddToTitle);
        return;
    }
    // "<notebook> - <shown node>", set once (a maximised window's title is
    // in the main window's caption too), then the main window's.
    CString strTitle = pDoc->GetTitle();
    if (m_nWindow > 0)
        strTitle.AppendFormat(":%d", m_nWindow);
    if (!m_strNodeTitle.IsEmpty())
        strTitle += " - " + m_strNodeTitle;
    CString strOld;
    GetWindowText(strOld);
    if (strOld != strTitle)
        SetWindowText(strTitle);
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->OnUpdateFrameTitle(TRUE);
}

void CChildFrame::DiscardNoteChanges()
{
    if (m_pRichEditView != nullptr)
        m_pRichEditView->GetRichEditCtrl().SetModify(FALSE);
}

void CChildFrame::FocusNextPane()
{
    CWnd* pFocus = CWnd::GetFocus();
    CTreeCtrl* pTree = m_pTabsView ? m_pTabsView->GetActiveTreeCtrl() : nullptr;
    CView* pContent = GetContentView();
    const HWND hFocus = pFocus ? pFocus->m_hWnd : nullptr;
    const BOOL bInContent = pContent != nullptr && hFocus != nullptr &&
                            (hFocus == pContent->m_hWnd || ::IsChild(pContent->m_hWnd, hFocus));
    if (pTree != nullptr && (hFocus == m_hWnd || hFocus == m_wndSplitter.m_hWnd || bInContent))
    {
        SetActiveView(m_pTabsView, FALSE);
        pTree->SetFocus();
        return;
    }
    if (pTree != nullptr && hFocus == pTree->m_hWnd && pContent != nullptr)
    {
        SetActiveView(pContent, FALSE);
        pContent->SetFocus();
        return;
    }
    HWND hNext = ::GetNextDlgTabItem(m_hWnd, hFocus, FALSE);
    if (hNext != nullptr)
        ::SetFocus(hNext);
}

// ---------------------------------------------------------------------------
// Image commands

void CChildFrame::OnImageRotateClockwise()
{
    if (m_pScrollView != nullptr)
        m_pScrollView->RotateClockwise();
}

void CChildFrame::OnImageRotateAnticlockwise()
{
    if (m_pScrollView != nullptr)
        m_pScrollView->RotateAnticlockwise();
}

void CChildFrame::OnImageZoom()
{
    if (m_pScrollView == nullptr)
        return;
    // The next image view starts in the mode chosen last.
    if (CQlcApp* pApp = QlcGetApp())
        pApp->m_settings.m_nZoomMode = !pApp->m_settings.m_nZoomMode;
    m_pScrollView->SetZoomMode(!m_pScrollView->GetZoomMode());
}

void CChildFrame::OnImageScaleToFit()
{
    if (m_pScrollView == nullptr)
        return;
    if (CQlcApp* pApp = QlcGetApp())
        pApp->m_settings.m_nImageScaleToFit = !pApp->m_settings.m_nImageScaleToFit;
    m_pScrollView->DoZoomUpdate();
}

void CChildFrame::OnUpdateImageCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pScrollView != nullptr);
}

void CChildFrame::OnUpdateImageZoom(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pScrollView != nullptr);
    pCmdUI->SetCheck(m_pScrollView != nullptr && m_pScrollView->GetZoomMode());
}

void CChildFrame::OnUpdateImageScaleToFit(CCmdUI* pCmdUI)
{
    const CQlcApp* pApp = QlcGetApp();
    pCmdUI->Enable(m_pScrollView != nullptr);
    pCmdUI->SetCheck(pApp != nullptr && pApp->m_settings.m_nImageScaleToFit == 1);
}

// ---------------------------------------------------------------------------
// The document's calls

void CChildFrame::OnDocumentLoaded()
{
    CQuillcrestDoc* pDoc = GetNotebook();
    if (pDoc == nullptr)
        return;
    if (pDoc->GetFileFlags() & QLC_FILEFLAG_TASKBAR)
        ShowTasksBar(TRUE);
    if (CQlcTreeCtrl* pTree = GetTreeCtrl())
        pTree->RefreshTree(FALSE);
    if (CBookmarkTreeCtrl* pBookmarks = GetBookmarkTreeCtrl())
        pBookmarks->FillBookmarks();
    if (m_wndTaskCtrl.m_hWnd != nullptr)
    {
        m_wndTaskCtrl.SetDocument(pDoc);
        m_wndTaskCtrl.RefreshTasks();
    }
    if (m_pBlankView != nullptr)
        m_pBlankView->RefreshLogo();
}

BOOL CChildFrame::SaveCurrentNote()
{
    if (m_pRichEditView == nullptr)
        return TRUE;
    return m_pRichEditView->SaveNode(GetNotebook(), m_dwShownNodeId);
}

BOOL CChildFrame::IsTasksBarVisible()
{
    return m_wndTasksBar.m_hWnd != nullptr && m_wndTasksBar.IsVisible();
}

void CChildFrame::SetRichEditHostNames(LPCSTR lpszTitle)
{
    IRichEditOle* pOle = m_pRichEditView ? m_pRichEditView->GetRichEditOle() : nullptr;
    if (pOle != nullptr)
        pOle->SetHostNames(AfxGetAppName(), lpszTitle ? lpszTitle : "");
}

BOOL CChildFrame::IsEditorModified()
{
    return m_pRichEditView != nullptr && m_pRichEditView->GetRichEditCtrl().GetModify();
}

void CChildFrame::UpdateTaskItem(DWORD dwTaskId)
{
    if (m_wndTaskCtrl.m_hWnd != nullptr)
        m_wndTaskCtrl.UpdateTaskItem(dwTaskId);
}

void CChildFrame::RefreshTreeNodeItem(DWORD dwNodeId)
{
    if (CQlcTreeCtrl* pTree = GetTreeCtrl())
        pTree->RefreshNodeItem(dwNodeId);
}

void CChildFrame::RedrawBlankArea()
{
    if (m_pBlankView != nullptr)
        m_pBlankView->RefreshLogo();
}

// ---------------------------------------------------------------------------
// Window

BOOL CChildFrame::DestroyWindow()
{
    CWnd* pMain = AfxGetMainWnd();
    if (CMainFrame* pFrame = pMain ? DYNAMIC_DOWNCAST(CMainFrame, pMain) : nullptr)
        pFrame->OnChildFrameClosing(this);
    return CMDIChildWnd::DestroyWindow();
}

void CChildFrame::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CMDIChildWnd::OnShowWindow(bShow, nStatus);
    if (!bShow || !m_bFirstShow)
        return;
    m_bFirstShow = FALSE;
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    CMainFrame* pMain = DYNAMIC_DOWNCAST(CMainFrame, AfxGetMainWnd());
    // Without a stored placement the system's default size stands, but a
    // window opened before the main window is placed is fitted then too.
    if (pApp->m_settings.m_wpLastChildPlacement.length == 0 && (pMain == nullptr || pMain->IsPlaced()))
    {
        FitTasksBar();
        return;
    }
    m_bPlacementPending = TRUE;
    // Sized against a main window that is still to be placed, the window
    // would not fit the client once it is, and the client's scroll bars
    // would keep it from fitting ever after.
    if (pMain == nullptr || pMain->IsPlaced() || pMain->IsWindowVisible())
        ApplyPendingPlacement();
    else
        FitTasksBar();
}

void CChildFrame::ApplyPendingPlacement()
{
    if (!m_bPlacementPending || m_hWnd == nullptr)
        return;
    m_bPlacementPending = FALSE;
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    WINDOWPLACEMENT wp = pApp->m_settings.m_wpLastChildPlacement;
    if (wp.length == 0)
    {
        // Nothing stored: the size the window was given, fitted.
        wp.length = sizeof(wp);
        if (!GetWindowPlacement(&wp))
            return;
        wp.showCmd = SW_SHOWNORMAL;
    }
    // A window closed very small would come back too small to use.
    RECT& rcNormal = wp.rcNormalPosition;
    rcNormal.right = std::max<LONG>(rcNormal.right, rcNormal.left + kMinRestoredCx);
    rcNormal.bottom = std::max<LONG>(rcNormal.bottom, rcNormal.top + kMinRestoredCy);
    switch (wp.showCmd)
    {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        wp.length = sizeof(wp);
        SetWindowPlacement(&wp);
        RedrawWindow();
        FitTasksBar();
        return;
    case SW_SHOWMAXIMIZED:
        MDIMaximize();
        FitTasksBar();
        return;
    default:
        break;
    }
    // The client's whole area, as it is without scroll bars.
    HWND hClient = ::GetParent(m_hWnd);
    CRect rcClient;
    ::GetClientRect(hClient, rcClient);
    const LONG lStyle = ::GetWindowLongA(hClient, GWL_STYLE);
    if (lStyle & WS_VSCROLL)
        rcClient.right += ::GetSystemMetrics(SM_CXVSCROLL);
    if (lStyle & WS_HSCROLL)
        rcClient.bottom += ::GetSystemMetrics(SM_CYHSCROLL);
    const RECT& rcStored = wp.rcNormalPosition;
    const int cx = std::min<int>(rcStored.right - rcStored.left, rcClient.Width());
    const int cy = std::min<int>(rcStored.bottom - rcStored.top, rcClient.Height());
    // The position stays unless the window would reach past the client.
    CRect rcNow;
    GetWindowRect(rcNow);
    ::MapWindowPoints(nullptr, hClient, (POINT*)&rcNow, 2);
    const int x = std::max<int>(0, std::min<int>(rcNow.left, rcClient.right - cx));
    const int y = std::max<int>(0, std::min<int>(rcNow.top, rcClient.bottom - cy));
    SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);

    // Scroll bars that an earlier, smaller client needed take room the
    // windows now fit in without them: they go when every window fits.
    CRect rcAll;
    for (HWND hChild = ::GetWindow(hClient, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (!::IsWindowVisible(hChild))
            continue;
        CRect rcChild;
        ::GetWindowRect(hChild, rcChild);
        ::MapWindowPoints(nullptr, hClient, (POINT*)&rcChild, 2);
        rcAll.UnionRect(rcAll, rcChild);
    }
    if ((lStyle & (WS_HSCROLL | WS_VSCROLL)) && rcAll.left >= 0 && rcAll.top >= 0 &&
        rcAll.right <= rcClient.right && rcAll.bottom <= rcClient.bottom)
        ::ShowScrollBar(hClient, SB_BOTH, FALSE);
    FitTasksBar();
}

void CChildFrame::OnDestroy()
{
    if (CQlcApp* pApp = QlcGetApp())
        GetWindowPlacement(&pApp->m_settings.m_wpLastChildPlacement);
    if (m_wndTasksBar.m_hWnd != nullptr)
    {
        // One set of sizes serves every window: the one the user changed
        // last keeps it, whatever the order the windows close in. A bar
        // lowered to fit a small window keeps the height the user chose.
        NoteTasksBarChange();
        if (m_nTasksBarChange >= s_nTasksBarStored)
        {
            m_wndTasksBar.m_szHorz.cy = m_cyTasksBarWanted;
            CSizingControlBar::StoreAllBarStates(this, kTasksBarProfile);
            SaveBarState(kTasksBarProfile);
            s_nTasksBarStored = m_nTasksBarChange;
        }
    }
    CMDIChildWnd::OnDestroy();
}

void CChildFrame::OnUpdateFileSave(CCmdUI* pCmdUI)
{
    // The notebook's own changes or the shown note's unsaved ones.
    CQuillcrestDoc* pDoc = GetNotebook();
    pCmdUI->Enable(pDoc != nullptr && pDoc->IsModified());
}

void CChildFrame::OnTreeRefresh()
{
    if (CQlcTreeCtrl* pTree = GetTreeCtrl())
        pTree->RefreshTree(TRUE);
}

void CChildFrame::OnTreeCollapseAll()
{
    if (CQlcTreeCtrl* pTree = GetTreeCtrl())
        pTree->CollapseAll();
}

void CChildFrame::OnTreeExpandAll()
{
    if (CQlcTreeCtrl* pTree = GetTreeCtrl())
        pTree->ExpandAll();
}

void CChildFrame::OnTreeBatchExport()
{
    CQuillcrestDoc* pDoc = GetNotebook();
    if (pDoc == nullptr)
        return;
    CNodeBatchExport job(pDoc);
    CProcessingDlg dlgProcessing(this);
    CFolderBrowseDlg dlgFolder(AfxLoadText(IDS_EXPORT_DESTINATION_TITLE), this);
    if (dlgFolder.DoModal() != IDOK)
        return;
    if (dlgFolder.m_strPath.IsEmpty())
    {
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_EXPORT_DESTINATION_INVALID), AfxGetAppName(), MB_OK);
        return;
    }
    // The note on screen is exported as it stands.
    if (!SaveCurrentNote())
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_QLC_NOTE_NOT_STORED), AfxGetAppName(), MB_OK | MB_ICONWARNING);
    job.SetDestination(dlgFolder.m_strPath);
    dlgProcessing.DoModalProcess(&job);
}

void CChildFrame::OnToolsCheckSpelling()
{
    if (m_pRichEditView != nullptr)
        m_pRichEditView->OnToolsCheckSpelling();
}

void CChildFrame::OnUpdateToolsCheckSpelling(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pRichEditView != nullptr);
}

void CChildFrame::OnViewMainTree()
{
    if (m_pTabsView != nullptr)
        m_pTabsView->SelectTab(0);
}

void CChildFrame::OnViewBookmarks()
{
    if (m_pTabsView != nullptr)
        m_pTabsView->SelectTab(1);
}

void CChildFrame::OnUpdateViewMainTree(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pTabsView != nullptr && m_pTabsView->GetCurTab() == 0);
}

void CChildFrame::OnUpdateViewBookmarks(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pTabsView != nullptr && m_pTabsView->GetCurTab() == 1);
}
