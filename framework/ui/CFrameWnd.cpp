#include "framework/ui/CFrameWnd.h"

#include "framework/ui/AfxState.h"
#include "framework/ui/CControlBar.h"
#include "framework/docview/CCreateContext.h"
#include "framework/ui/CDockBar.h"
#include "framework/ui/CDockContext.h"
#include "framework/ui/CDockState.h"
#include "framework/docview/CDocument.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CMiniDockFrameWnd.h"
#include "framework/docview/CView.h"
#include "framework/docview/CWinApp.h"

#include <algorithm>
#include <vector>

#include <commctrl.h>
#include <dde.h>
#include <shellapi.h>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_WM_ACTIVATE()
    ON_WM_NCACTIVATE()
    ON_WM_INITMENU()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_WM_ENTERIDLE()
    ON_WM_DROPFILES()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_RECALCPARENT, OnRecalcParent)
    ON_MESSAGE(WM_DDE_INITIATE, OnDDEInitiate)
    ON_MESSAGE(WM_DDE_EXECUTE, OnDDEExecute)
    ON_MESSAGE(WM_DDE_TERMINATE, OnDDETerminate)
    ON_NOTIFY_EX_RANGE(TTN_GETDISPINFOA, 0, 0xFFFF, OnToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_GETDISPINFOW, 0, 0xFFFF, OnToolTipText)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
    ON_COMMAND(ID_HELP, OnHelp)
    ON_COMMAND(ID_HELP_INDEX, OnHelpIndex)
    ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
    ON_COMMAND(ID_CONTEXT_HELP, OnContextHelp)
    ON_COMMAND(ID_DEFAULT_HELP, OnHelpIndex)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd()
    : m_bAutoMenuEnable(TRUE), m_hMenuDefault(nullptr), m_hAccelTable(nullptr), m_nWindow(-1), m_nIDHelp(0),
      m_nIdleFlags(0), m_hMenuAlt(nullptr), m_nIDTracking(0), m_nIDLastMessage(0), m_pViewActive(nullptr),
      m_bInRecalcLayout(FALSE), m_pFloatingFrameClass(RUNTIME_CLASS(CMiniDockFrameWnd))
{
}

// Accelerator tables loaded from resources are freed with the module.
CFrameWnd::~CFrameWnd()
{
}

// ---------------------------------------------------------------------------
// Creation

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr)
    {
        AfxEndDeferRegisterClass();
        cs.lpszClass = AFX_WNDFRAMEORVIEW;
    }
    if (cs.style & FWS_ADDTOTITLE)
        cs.style |= FWS_PREFIXTITLE;
    return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext)
{
    HMENU hMenu = nullptr;
    if (lpszMenuName != nullptr)
    {
        hMenu = ::LoadMenuA(AfxGetResourceHandle(), lpszMenuName);
        if (hMenu == nullptr)
        {
            TRACE("Frame menu not found.\n");
            PostNcDestroy();
            return FALSE;
        }
    }
    m_strTitle = lpszWindowName;
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, AfxGetSafeHwnd(pParentWnd), hMenu, (LPVOID)pContext))
    {
        if (hMenu != nullptr)
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

namespace {

// A copy of the frame's window class with the resource's icon.
LPCSTR IconWndClass(CFrameWnd* pFrame, DWORD dwDefaultStyle, UINT nIDResource)
{
    HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    if (hIcon == nullptr)
        return nullptr;
    CREATESTRUCTA cs = {};
    cs.style = (LONG)dwDefaultStyle;
    pFrame->PreCreateWindow(cs);
    WNDCLASSA wc = {};
    if (cs.lpszClass == nullptr || !::GetClassInfoA(::GetModuleHandleA(nullptr), cs.lpszClass, &wc))
        return nullptr;
    return AfxRegisterWndClass(wc.style, wc.hCursor, wc.hbrBackground, hIcon);
}

} // namespace

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString strFull;
    if (strFull.LoadString(nIDResource))
    {
        const int i = strFull.Find('\n');
        m_strTitle = i >= 0 ? strFull.Left(i) : strFull;
    }
    AfxEndDeferRegisterClass();
    LPCSTR lpszClass = IconWndClass(this, dwDefaultStyle, nIDResource);
    const CString strTitle = m_strTitle;
    if (!Create(lpszClass, strTitle, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCEA(nIDResource), 0,
                pContext))
        return FALSE; // the frame has deleted itself
    if (m_hAccelTable == nullptr)
        m_hAccelTable = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    if (pContext == nullptr)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA lpcs)
{
    CCreateContext* pContext = (CCreateContext*)lpcs->lpCreateParams;
    if (GetStyle() & WS_CHILD)
    {
        // An MDI child gets its context through the MDICREATESTRUCT.
        MDICREATESTRUCTA* pMDI = (MDICREATESTRUCTA*)lpcs->lpCreateParams;
        pContext = pMDI ? (CCreateContext*)pMDI->lParam : nullptr;
    }
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    if ((GetStyle() & WS_CHILD) == 0)
        m_hMenuDefault = ::GetMenu(m_hWnd);
    if (!OnCreateClient(lpcs, pContext))
        return -1;
    PostMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA /*lpcs*/, CCreateContext* pContext)
{
    if (pContext != nullptr && pContext->m_pNewViewClass != nullptr)
    {
        if (CreateView(pContext, AFX_IDW_PANE_FIRST) == nullptr)
            return FALSE;
    }
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    CObject* pObject = pContext->m_pNewViewClass->CreateObject();
    CWnd* pView = pObject ? DYNAMIC_DOWNCAST(CWnd, pObject) : nullptr;
    if (pView == nullptr)
    {
        delete pObject;
        return nullptr;
    }
    // A view that fails to create deletes itself.
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
        return nullptr;
    return pView;
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

void CFrameWnd::OnDestroy()
{
    // Bars of this frame that float elsewhere go with it.
    POSITION pos = m_listControlBars.GetHeadPosition();
    while (pos != nullptr)
    {
        CControlBar* pBar = (CControlBar*)m_listControlBars.GetNext(pos);
        if (pBar->m_pDockBar != nullptr && pBar->m_pDockBar->m_bFloating)
        {
            CWnd* pMiniFrame = pBar->m_pDockBar->GetParent();
            if (pMiniFrame != nullptr && pMiniFrame->m_hWnd != nullptr)
                pMiniFrame->DestroyWindow();
        }
    }
    if ((GetStyle() & WS_CHILD) == 0 && m_hMenuDefault != nullptr && ::GetMenu(m_hWnd) != m_hMenuDefault)
    {
        // The frame shows a shared menu: keep its own for destruction.
        ::SetMenu(m_hWnd, m_hMenuDefault);
    }
    Default();
}

// ---------------------------------------------------------------------------
// Views

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* pView = GetActiveView();
    return pView ? pView->GetDocument() : nullptr;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = nullptr;
    if (pViewOld != nullptr && bNotify)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    m_pViewActive = pViewNew;
    if (pViewNew != nullptr && bNotify)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1)
    {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1)
    {
        ShowWindow(nCmdShow);
        if (nCmdShow != SW_HIDE && !IsIconic())
            BringWindowToTop();
    }
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    CView* pView = nullptr;
    if (GetActiveView() == nullptr)
    {
        CWnd* pWnd = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
        if (pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CView)))
        {
            pView = static_cast<CView*>(pWnd);
            SetActiveView(pView, FALSE);
        }
    }
    if (bMakeVisible)
    {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
        int nCmdShow = -1;
        CWinApp* pApp = AfxGetApp();
        if (pApp != nullptr && pApp->m_pMainWnd == nullptr)
        {
            nCmdShow = pApp->m_nCmdShow;
            pApp->m_nCmdShow = -1;
        }
        ActivateFrame(nCmdShow);
        if (pView != nullptr)
            pView->OnActivateView(TRUE, pView, pView);
    }
    if (pDoc != nullptr)
        pDoc->UpdateFrameCounts();
    OnUpdateFrameTitle(TRUE);
}

// ---------------------------------------------------------------------------
// Title and menu

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    CDocument* pDocument = GetActiveDocument();
    if (bAddToTitle && pDocument != nullptr)
        UpdateFrameTitleForDocument(pDocument->GetTitle());
    else
        UpdateFrameTitleForDocument(nullptr);
}

CString CFrameWnd::MakeFrameTitle(LPCSTR lpszDocName) const
{
    CString strText;
    if (GetStyle() & FWS_PREFIXTITLE)
    {
        if (lpszDocName != nullptr)
        {
            strText = lpszDocName;
            if (m_nWindow > 0)
                strText.AppendFormat(":%d", m_nWindow);
            strText += " - ";
        }
        strText += m_strTitle;
    }
    else
    {
        strText = m_strTitle;
        if (lpszDocName != nullptr)
        {
            strText += " - ";
            strText += lpszDocName;
            if (m_nWindow > 0)
                strText.AppendFormat(":%d", m_nWindow);
        }
    }
    return strText;
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCSTR lpszDocName)
{
    const CString strText = MakeFrameTitle(lpszDocName);
    CString strOld;
    GetWindowText(strOld);
    if (strOld != strText)
        SetWindowText(strText);
}

void CFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt)
{
    if (hMenuAlt == nullptr)
        hMenuAlt = m_hMenuDefault;
    if (hMenuAlt != nullptr && ::GetMenu(m_hWnd) != hMenuAlt)
        ::SetMenu(m_hWnd, hMenuAlt);
}

HACCEL CFrameWnd::GetDefaultAccelerator()
{
    return m_hAccelTable;
}

// ---------------------------------------------------------------------------
// Routing

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CView* pView = GetActiveView();
    if (pView != nullptr && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
    {
        HACCEL hAccel = GetDefaultAccelerator();
        return hAccel != nullptr && ::TranslateAcceleratorA(m_hWnd, hAccel, pMsg);
    }
    return CWnd::PreTranslateMessage(pMsg);
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (pBar == nullptr)
        return FALSE;
    ShowControlBar(pBar, (pBar->GetStyle() & WS_VISIBLE) == 0, FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (pBar != nullptr)
    {
        pCmdUI->SetCheck((pBar->GetStyle() & WS_VISIBLE) != 0);
        return;
    }
    pCmdUI->ContinueRouting();
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    UINT nVK = 0;
    switch (pCmdUI->m_nID)
    {
    case ID_INDICATOR_CAPS: nVK = VK_CAPITAL; break;
    case ID_INDICATOR_NUM: nVK = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: nVK = VK_SCROLL; break;
    default: pCmdUI->ContinueRouting(); return;
    }
    pCmdUI->Enable(::GetKeyState((int)nVK) & 1);
}

// ---------------------------------------------------------------------------
// Layout and bars

void CFrameWnd::RecalcLayout(BOOL /*bNotify*/)
{
    if (m_bInRecalcLayout || m_hWnd == nullptr)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~(idleLayout | idleNotify);
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, &m_rectBorder);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify)
{
    m_nIdleFlags |= (idleLayout | (bNotify ? idleNotify : 0));
}

void CFrameWnd::OnSize(UINT nType, int /*cx*/, int /*cy*/)
{
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* pDC)
{
    // A frame covered by its view need not paint behind it.
    if (m_pViewActive != nullptr)
        return TRUE;
    return CWnd::OnEraseBkgnd(pDC);
}

LRESULT CFrameWnd::OnSizeParent(WPARAM, LPARAM)
{
    return 0; // a frame inside a frame (floating bars) is not laid out here
}

LRESULT CFrameWnd::OnRecalcParent(WPARAM, LPARAM)
{
    RecalcLayout();
    return 0;
}

void CFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    static const struct { DWORD dwStyle; UINT nID; } s_sides[] = {
        { CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_TOP },
        { CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM },
        { CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT },
        { CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_RIGHT },
    };
    for (const auto& side : s_sides)
    {
        if ((dwDockStyle & side.dwStyle) == 0 || GetDockBar(side.nID) != nullptr)
            continue;
        CDockBar* pDock = new CDockBar;
        pDock->m_bAutoDelete = TRUE;
        if (!pDock->Create(this, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD | WS_VISIBLE | side.dwStyle, side.nID))
            throw std::bad_alloc();
    }
}

CDockBar* CFrameWnd::GetDockBar(UINT nDockBarID) const
{
    CWnd* pWnd = FromHandlePermanent(::GetDlgItem(m_hWnd, (int)nDockBarID));
    return pWnd ? DYNAMIC_DOWNCAST(CDockBar, pWnd) : nullptr;
}

UINT CFrameWnd::CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar)
{
    static const struct { DWORD dwStyle; UINT nID; } s_sides[] = {
        { CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_TOP }, { CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM },
        { CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT }, { CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_RIGHT },
    };
    for (const auto& side : s_sides)
    {
        if ((dwDockStyle & side.dwStyle) == 0)
            continue;
        CDockBar* pDock = GetDockBar(side.nID);
        if (pDock == nullptr)
            continue;
        CRect rectDock;
        pDock->GetWindowRect(rectDock);
        // An empty edge still catches a bar dragged over the frame's border.
        if (side.dwStyle & CBRS_ORIENT_HORZ)
            rectDock.InflateRect(0, 8);
        else
            rectDock.InflateRect(8, 0);
        CRect rectHit;
        if (rectHit.IntersectRect(rectDock, rect))
        {
            if (ppDockBar != nullptr)
                *ppDockBar = pDock;
            return side.nID;
        }
    }
    return 0;
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect)
{
    CDockBar* pDockBar = nullptr;
    if (nDockBarID == 0)
    {
        // The first edge the bar may dock to.
        static const struct { DWORD dwStyle; UINT nID; } s_sides[] = {
            { CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_TOP }, { CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM },
            { CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT }, { CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_RIGHT },
        };
        for (const auto& side : s_sides)
        {
            if ((pBar->m_dwDockStyle & side.dwStyle) && (pDockBar = GetDockBar(side.nID)) != nullptr)
                break;
        }
    }
    else
    {
        pDockBar = GetDockBar(nDockBarID);
    }
    if (pDockBar != nullptr)
        DockControlBar(pBar, pDockBar, lpRect);
}

void CFrameWnd::DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect)
{
    if (pDockBar == nullptr)
        return;
    CWnd* pOldParent = pBar->GetParent();
    pDockBar->DockControlBar(pBar, lpRect);
    // A floating frame left empty goes.
    if (pOldParent != nullptr && pOldParent->m_hWnd != pDockBar->m_hWnd)
    {
        CDockBar* pOldDock = DYNAMIC_DOWNCAST(CDockBar, pOldParent);
        if (pOldDock != nullptr && pOldDock->m_bFloating && pOldDock->GetDockedCount() == 0)
            pOldDock->GetParent()->DestroyWindow();
    }
    RecalcLayout();
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle)
{
    CDockBar* pOldDock = pBar->m_pDockBar;
    if (pOldDock != nullptr && pOldDock->m_bFloating && pOldDock->GetDockedCount() == 1)
    {
        // Already alone in a floating frame: just move it.
        CWnd* pFrame = pOldDock->GetParent();
        pFrame->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // Where the bar was docked is where docking it again takes it.
    if (pOldDock != nullptr && !pOldDock->m_bFloating && pBar->m_pDockContext != nullptr)
        pBar->m_pDockContext->m_uMRUDockID = (UINT)pOldDock->GetDlgCtrlID();

    CObject* pObject = m_pFloatingFrameClass != nullptr ? m_pFloatingFrameClass->CreateObject() : nullptr;
    CMiniDockFrameWnd* pDockFrame = pObject ? DYNAMIC_DOWNCAST(CMiniDockFrameWnd, pObject) : nullptr;
    if (pDockFrame == nullptr)
    {
        delete pObject;
        return;
    }
    if (!pDockFrame->Create(this, dwStyle | (pBar->m_dwStyle & CBRS_SIZE_DYNAMIC)))
        return; // deleted itself
    pDockFrame->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pDockFrame->m_wndDockBar.DockControlBar(pBar, nullptr);
    pDockFrame->RecalcLayout();
    if (pBar->GetStyle() & WS_VISIBLE)
    {
        pDockFrame->ShowWindow(SW_SHOWNA);
        pDockFrame->UpdateWindow();
    }
    if (pOldDock != nullptr && pOldDock->m_bFloating && pOldDock->GetDockedCount() == 0)
        pOldDock->GetParent()->DestroyWindow();
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    if (nID == 0)
        return nullptr;
    POSITION pos = m_listControlBars.GetHeadPosition();
    while (pos != nullptr)
    {
        CControlBar* pBar = (CControlBar*)m_listControlBars.GetNext(pos);
        if (pBar->m_hWnd != nullptr && (UINT)pBar->GetDlgCtrlID() == nID)
            return pBar;
    }
    return nullptr;
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    POSITION pos = m_listControlBars.Find(pBar);
    if (pos != nullptr)
        m_listControlBars.RemoveAt(pos);
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    if (pBar->IsFloating())
    {
        // The floating frame shows while one of its bars does.
        pBar->m_nStateFlags &= ~(CControlBar::delayShow | CControlBar::delayHide);
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                               (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        CWnd* pMiniFrame = pBar->m_pDockBar->GetParent();
        const int nVisible = pBar->m_pDockBar->GetDockedVisibleCount();
        if (bShow && nVisible > 0)
        {
            static_cast<CFrameWnd*>(pMiniFrame)->RecalcLayout();
            pMiniFrame->ShowWindow(SW_SHOWNA);
        }
        else if (nVisible == 0)
        {
            pMiniFrame->ShowWindow(SW_HIDE);
        }
        return;
    }
    if (bDelay)
    {
        pBar->DelayShow(bShow);
        DelayRecalcLayout();
        return;
    }
    pBar->m_nStateFlags &= ~(CControlBar::delayShow | CControlBar::delayHide);
    pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                           (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    RecalcLayout();
}

void CFrameWnd::LoadBarState(LPCSTR lpszProfileName)
{
    CDockState state;
    state.LoadState(lpszProfileName);
    SetDockState(state);
}

void CFrameWnd::SaveBarState(LPCSTR lpszProfileName) const
{
    CDockState state;
    GetDockState(state);
    state.SaveState(lpszProfileName);
}

void CFrameWnd::GetDockState(CDockState& state) const
{
    state.Clear();
    POSITION pos = m_listControlBars.GetHeadPosition();
    while (pos != nullptr)
    {
        CControlBar* pBar = (CControlBar*)m_listControlBars.GetNext(pos);
        if (pBar->m_hWnd == nullptr || pBar->IsDockBar() || pBar->GetDlgCtrlID() == 0)
            continue;
        CControlBarInfo* pInfo = new CControlBarInfo;
        pBar->GetBarInfo(pInfo);
        state.m_arrBarInfo.Add(pInfo);
    }
}

void CFrameWnd::SetDockState(const CDockState& state)
{
    // Dock rows first, in stored order, so the rows come back as they were.
    for (int i = 0; i < state.m_arrBarInfo.GetSize(); i++)
    {
        CControlBarInfo* pInfo = (CControlBarInfo*)state.m_arrBarInfo[i];
        CControlBar* pBar = GetControlBar(pInfo->m_nBarID);
        if (pBar == nullptr || pBar->IsDockBar())
            continue;
        pBar->SetBarInfo(pInfo, this);
    }
    RecalcLayout();
}

// ---------------------------------------------------------------------------
// Message line

CWnd* CFrameWnd::GetMessageBar()
{
    return GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE);
}

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    rMessage.Empty();
    CString strFull;
    if (nID != 0 && strFull.LoadString(nID))
    {
        const int i = strFull.Find('\n');
        rMessage = i >= 0 ? strFull.Left(i) : strFull;
    }
}

void CFrameWnd::SetMessageText(LPCSTR lpszText)
{
    SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)lpszText);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SendMessage(WM_SETMESSAGESTRING, (WPARAM)nID, 0);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    const UINT nIDLast = m_nIDLastMessage;
    CWnd* pMessageBar = GetMessageBar();
    if (pMessageBar != nullptr)
    {
        CString strMessage;
        LPCSTR lpsz = nullptr;
        if (lParam != 0)
        {
            lpsz = (LPCSTR)lParam;
        }
        else if (wParam != 0)
        {
            GetMessageString((UINT)wParam, strMessage);
            lpsz = strMessage;
        }
        pMessageBar->SetWindowText(lpsz ? lpsz : "");
    }
    m_nIDLastMessage = (UINT)wParam;
    m_nIDTracking = (UINT)wParam;
    return nIDLast;
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    if (nFlags == 0xFFFF && hSysMenu == nullptr)
    {
        // The menu closed.
        SetMessageText(AFX_IDS_IDLEMESSAGE);
        return;
    }
    UINT nID = 0;
    if (nFlags & (MF_SEPARATOR | MF_POPUP))
        nID = 0;
    else if (nItemID >= 0xF000 && nItemID < 0xF1F0)
        nID = AFX_IDS_SCSIZE + ((nItemID - 0xF000) >> 4);
    else if (nItemID >= AFX_IDM_FIRST_MDICHILD)
        nID = AFX_IDS_MDICHILD;
    else
        nID = nItemID;
    if (nID == 0)
        SetMessageText("");
    else
        SetMessageText(nID);
}

void CFrameWnd::OnEnterIdle(UINT nWhy, CWnd* pWho)
{
    CWnd::OnEnterIdle(nWhy, pWho);
}

BOOL CFrameWnd::OnToolTipText(UINT /*nID*/, NMHDR* pNMHDR, LRESULT* pResult)
{
    UINT_PTR nID = pNMHDR->idFrom;
    const bool bWide = pNMHDR->code == (UINT)TTN_GETDISPINFOW;
    UINT uFlags = bWide ? ((NMTTDISPINFOW*)pNMHDR)->uFlags : ((NMTTDISPINFOA*)pNMHDR)->uFlags;
    if (uFlags & TTF_IDISHWND)
        nID = (UINT_PTR)::GetDlgCtrlID((HWND)nID);
    if (nID == 0)
        return FALSE;
    CString strFull, strTip;
    if (strFull.LoadString((UINT)nID))
    {
        const int i = strFull.Find('\n');
        strTip = i >= 0 ? strFull.Mid(i + 1) : strFull;
    }
    if (bWide)
    {
        NMTTDISPINFOW* p = (NMTTDISPINFOW*)pNMHDR;
        ::MultiByteToWideChar(CP_ACP, 0, strTip, -1, p->szText, (int)(sizeof(p->szText) / sizeof(WCHAR)));
        p->szText[sizeof(p->szText) / sizeof(WCHAR) - 1] = 0;
        p->lpszText = p->szText;
    }
    else
    {
        NMTTDISPINFOA* p = (NMTTDISPINFOA*)pNMHDR;
        lstrcpynA(p->szText, strTip, (int)sizeof(p->szText));
        p->lpszText = p->szText;
    }
    *pResult = 0;
    ::SetWindowPos(pNMHDR->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOMOVE | SWP_NOOWNERZORDER);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Menus, idle, activation

void CFrameWnd::OnInitMenu(CMenu* pMenu)
{
    CWnd::OnInitMenu(pMenu);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pMenu, UINT nIndex, BOOL bSysMenu)
{
    CWnd::OnInitMenuPopup(pMenu, nIndex, bSysMenu);
    if (bSysMenu || pMenu == nullptr)
        return;

    CCmdUI state;
    state.m_hMenu = pMenu->m_hMenu;
    state.m_nIndexMax = pMenu->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; state.m_nIndex++)
    {
        state.m_nID = pMenu->GetMenuItemID((int)state.m_nIndex);
        if (state.m_nID == 0)
            continue; // separator
        if (state.m_nID == (UINT)-1)
        {
            // A popup is enabled or greyed by its first item.
            state.m_hSubMenu = ::GetSubMenu(pMenu->m_hMenu, (int)state.m_nIndex);
            if (state.m_hSubMenu == nullptr || (state.m_nID = ::GetMenuItemID(state.m_hSubMenu, 0)) == 0 ||
                state.m_nID == (UINT)-1)
                continue;
            state.DoUpdate(this, TRUE);
        }
        else
        {
            state.m_hSubMenu = nullptr;
            state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < 0xF000);
        }
        // An update handler may have added or removed items.
        const UINT nCount = pMenu->GetMenuItemCount();
        if (nCount < state.m_nIndexMax)
        {
            state.m_nIndex -= (state.m_nIndexMax - nCount);
            while (state.m_nIndex < nCount && pMenu->GetMenuItemID((int)state.m_nIndex) == state.m_nID)
                state.m_nIndex++;
        }
        state.m_nIndexMax = nCount;
    }
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if (m_nIdleFlags & idleMenu)
    {
        m_nIdleFlags &= ~idleMenu;
        OnUpdateFrameMenu(m_hMenuAlt);
    }
    if (m_nIdleFlags & idleTitle)
    {
        m_nIdleFlags &= ~idleTitle;
        OnUpdateFrameTitle(TRUE);
    }
    if (m_nIdleFlags & idleLayout)
        RecalcLayout(m_nIdleFlags & idleNotify);
    // Floating bars live in frames of their own, outside this window: each
    // such frame gets its idle pass (its delayed layout) and so do its bars.
    std::vector<HWND> miniFrames;
    POSITION pos = m_listControlBars.GetHeadPosition();
    while (pos != nullptr)
    {
        CControlBar* pBar = (CControlBar*)m_listControlBars.GetNext(pos);
        if (pBar->m_hWnd == nullptr || !pBar->IsFloating())
            continue;
        HWND hMiniFrame = ::GetParent(pBar->m_pDockBar->m_hWnd);
        if (hMiniFrame != nullptr && std::find(miniFrames.begin(), miniFrames.end(), hMiniFrame) == miniFrames.end())
            miniFrames.push_back(hMiniFrame);
    }
    for (HWND hMiniFrame : miniFrames)
    {
        CWnd* pMiniFrame = FromHandlePermanent(hMiniFrame);
        if (pMiniFrame == nullptr || !::IsWindowVisible(hMiniFrame))
            continue;
        AfxCallWndProc(pMiniFrame, hMiniFrame, WM_IDLEUPDATECMDUI, wParam, 0);
        if (FromHandlePermanent(hMiniFrame) == pMiniFrame)
            pMiniFrame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, wParam, 0, TRUE, TRUE);
    }
    return 0;
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CWnd::OnActivate(nState, pWndOther, bMinimized);
    if (nState != WA_INACTIVE && !bMinimized && m_pViewActive != nullptr)
        m_pViewActive->OnActivateFrame(nState, this);
}

BOOL CFrameWnd::OnNcActivate(BOOL bActive)
{
    return CWnd::OnNcActivate(bActive);
}

void CFrameWnd::OnSysCommand(UINT nID, LPARAM lParam)
{
    CWnd::OnSysCommand(nID, lParam);
}

// ---------------------------------------------------------------------------
// Closing

void CFrameWnd::OnClose()
{
    CDocument* pDocument = GetActiveDocument();
    if (pDocument != nullptr && !pDocument->CanCloseFrame(this))
        return;

    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
    {
        if (pDocument == nullptr && !pApp->SaveAllModified())
            return;
        pApp->CloseAllDocuments(FALSE);
        if (pApp->m_pMainWnd == nullptr)
        {
            ::PostQuitMessage(0);
            return;
        }
    }

    if (pDocument != nullptr && pDocument->m_bAutoDelete)
    {
        // The last frame of its document closes the document instead.
        BOOL bOtherFrame = FALSE;
        POSITION pos = pDocument->GetFirstViewPosition();
        while (pos != nullptr)
        {
            CView* pView = pDocument->GetNextView(pos);
            if (pView->GetParentFrame() != this)
            {
                bOtherFrame = TRUE;
                break;
            }
        }
        if (!bOtherFrame)
        {
            pDocument->OnCloseDocument();
            return;
        }
        pDocument->PreCloseFrame(this);
    }
    DestroyWindow();
}

BOOL CFrameWnd::OnQueryEndSession()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        return pApp->SaveAllModified();
    return TRUE;
}

void CFrameWnd::OnEndSession(BOOL bEnding)
{
    if (!bEnding)
        return;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
    {
        pApp->CloseAllDocuments(TRUE);
        pApp->ExitInstance();
    }
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo)
{
    SetActiveWindow();
    CWinApp* pApp = AfxGetApp();
    const UINT nFiles = ::DragQueryFileA(hDropInfo, (UINT)-1, nullptr, 0);
    for (UINT i = 0; i < nFiles && pApp != nullptr; i++)
    {
        char szFileName[MAX_PATH];
        if (::DragQueryFileA(hDropInfo, i, szFileName, MAX_PATH) != 0)
            pApp->OpenDocumentFile(szFileName);
    }
    ::DragFinish(hDropInfo);
}

// ---------------------------------------------------------------------------
// Shell open through DDE: "[open("file")]" on the program's "system" topic.

LRESULT CFrameWnd::OnDDEInitiate(WPARAM wParam, LPARAM lParam)
{
    CWinApp* pApp = AfxGetApp();
    const ATOM atomApp = (ATOM)LOWORD(lParam);
    const ATOM atomTopic = (ATOM)HIWORD(lParam);
    if (pApp != nullptr && pApp->m_atomApp != 0 && atomApp == pApp->m_atomApp && atomTopic == pApp->m_atomSystemTopic)
    {
        // The client deletes the atoms of the answer: add references first.
        char szName[MAX_PATH];
        ::GlobalGetAtomNameA(pApp->m_atomApp, szName, MAX_PATH);
        ::GlobalAddAtomA(szName);
        ::GlobalGetAtomNameA(pApp->m_atomSystemTopic, szName, MAX_PATH);
        ::GlobalAddAtomA(szName);
        ::SendMessageA((HWND)wParam, WM_DDE_ACK, (WPARAM)m_hWnd, MAKELPARAM(pApp->m_atomApp, pApp->m_atomSystemTopic));
    }
    return 0;
}

LRESULT CFrameWnd::OnDDEExecute(WPARAM wParam, LPARAM lParam)
{
    UINT_PTR uUnused = 0;
    UINT_PTR uData = 0;
    if (!::UnpackDDElParam(WM_DDE_EXECUTE, lParam, &uUnused, &uData))
        return 0;
    HGLOBAL hData = (HGLOBAL)uData;
    CString strCommand;
    if (LPCSTR lpsz = (LPCSTR)::GlobalLock(hData))
    {
        strCommand = lpsz;
        ::GlobalUnlock(hData);
    }
    // Acknowledge first: the command may take a while (or show a box).
    ::PostMessageA((HWND)wParam, WM_DDE_ACK, (WPARAM)m_hWnd,
                   ::ReuseDDElParam(lParam, WM_DDE_EXECUTE, WM_DDE_ACK, 0x8000, (UINT_PTR)hData));
    if (!IsWindowEnabled())
        return 0;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && !pApp->OnDDECommand(strCommand.GetBuffer()))
        TRACE("DDE command not understood.\n");
    strCommand.ReleaseBuffer();
    return 0;
}

LRESULT CFrameWnd::OnDDETerminate(WPARAM wParam, LPARAM lParam)
{
    ::PostMessageA((HWND)wParam, WM_DDE_TERMINATE, (WPARAM)m_hWnd, lParam);
    return 0;
}

// ---------------------------------------------------------------------------
// Help commands go to the application's WinHelp.

void CFrameWnd::OnHelp()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->WinHelp(m_nIDHelp ? 0x20000 + m_nIDHelp : 0, HELP_CONTEXT);
}

void CFrameWnd::OnHelpIndex()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->WinHelp(0, HELP_INDEX);
}

void CFrameWnd::OnHelpFinder()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->WinHelp(0, HELP_FINDER);
}

void CFrameWnd::OnContextHelp()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->WinHelp(0, HELP_CONTEXTPOPUP);
}
