#include "widgets/CSizingControlBar.h"

#include "widgets/CSCBDockContext.h"

#include "framework/docview/CWinApp.h"
#include "framework/gdi/CPaintDC.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedGdiObject.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CDockBar.h"
#include "framework/ui/CMiniDockFrameWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSizingControlBar, CControlBar)

BEGIN_MESSAGE_MAP(CSizingControlBar, CControlBar)
    ON_WM_CREATE()
    ON_WM_SETTINGCHANGE()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_NCCALCSIZE()
    ON_WM_NCHITTEST()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_CAPTURECHANGED()
    ON_WM_SIZE()
    ON_WM_WINDOWPOSCHANGED()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_WM_NCMOUSEMOVE()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CSizingControlBar::CSizingControlBar()
    : m_szHorz(200, 200), m_szVert(200, 200), m_szFloat(200, 200), m_szMinHorz(33, 32), m_szMinVert(33, 32),
      m_szMinFloat(37, 32), m_dwSCBStyle(0), m_htEdge(0), m_nTrackPosMin(0), m_nTrackPosMax(0), m_nTrackPosOld(0),
      m_nTrackEdgeOfs(0), m_bTracking(FALSE), m_bKeepSize(FALSE), m_bParentSizing(FALSE), m_bDragShowContent(FALSE),
      m_nDockBarID(0), m_cxEdge(5)
{
}

CSizingControlBar::~CSizingControlBar()
{
}

// ---------------------------------------------------------------------------
// Creation

BOOL CSizingControlBar::Create(LPCSTR lpszWindowName, CWnd* pParentWnd, UINT nID, DWORD dwStyle)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    m_pDockSite = pParentWnd ? DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd) : nullptr;
    LPCSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                           ::GetSysColorBrush(COLOR_BTNFACE), nullptr);
    const DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CLIPCHILDREN;
    if (!CWnd::CreateEx(0, lpszClass, lpszWindowName, dwWndStyle, 0, 0, 0, 0, AfxGetSafeHwnd(pParentWnd),
                        (HMENU)(UINT_PTR)nID))
        return FALSE;
    if (m_pDockSite != nullptr)
        m_pDockSite->AddControlBar(this);
    return TRUE;
}

BOOL CSizingControlBar::Create(LPCSTR lpszWindowName, CWnd* pParentWnd, CSize sizeDefault, BOOL /*bHasGripper*/,
                               UINT nID, DWORD dwStyle)
{
    m_szHorz = m_szVert = m_szFloat = sizeDefault;
    return Create(lpszWindowName, pParentWnd, nID, dwStyle);
}

int CSizingControlBar::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CControlBar::OnCreate(lpCreateStruct) == -1)
        return -1;
    // Whether dragging shows the windows live or only an outline.
    ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &m_bDragShowContent, 0);
    return 0;
}

void CSizingControlBar::OnSettingChange(UINT uFlags, LPCSTR lpszSection)
{
    CControlBar::OnSettingChange(uFlags, lpszSection);
    m_bDragShowContent = FALSE;
    ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &m_bDragShowContent, 0);
}

void CSizingControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle;
    if (m_pDockContext == nullptr)
        m_pDockContext = new CSCBDockContext(this);
    if (m_hWndOwner == nullptr)
        m_hWndOwner = ::GetParent(m_hWnd);
}

CFrameWnd* CSizingControlBar::GetSite() const
{
    return m_pDockSite != nullptr ? m_pDockSite : GetParentFrame();
}

// ---------------------------------------------------------------------------
// Where it is

BOOL CSizingControlBar::IsHorzDocked() const
{
    return m_nDockBarID == AFX_IDW_DOCKBAR_TOP || m_nDockBarID == AFX_IDW_DOCKBAR_BOTTOM;
}

BOOL CSizingControlBar::IsVertDocked() const
{
    return m_nDockBarID == AFX_IDW_DOCKBAR_LEFT || m_nDockBarID == AFX_IDW_DOCKBAR_RIGHT;
}

BOOL CSizingControlBar::IsFloating() const
{
    return !IsHorzDocked() && !IsVertDocked();
}

void CSizingControlBar::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    // The edges depend on the place: every move or size recomputes them.
    if (!(lpwndpos->flags & SWP_NOMOVE) || !(lpwndpos->flags & SWP_NOSIZE))
        lpwndpos->flags |= SWP_FRAMECHANGED;
    CControlBar::OnWindowPosChanging(lpwndpos);
    m_nDockBarID = (UINT)::GetDlgCtrlID(::GetParent(m_hWnd));
    // Shown again where it was: its length is kept in the next deal.
    if (!IsFloating() && (lpwndpos->flags & SWP_SHOWWINDOW))
        m_bKeepSize = TRUE;
}

void CSizingControlBar::OnClose()
{
    // Closing is hiding, through the frame (the close button, the menu).
}

void CSizingControlBar::SizeChild(int cx, int cy)
{
    if (!(m_dwSCBStyle & SCBS_SIZECHILD))
        return;
    HWND hChild = ::GetWindow(m_hWnd, GW_CHILD);
    if (hChild == nullptr)
        return;
    RECT rcChild;
    ::GetWindowRect(hChild, &rcChild);
    ::MapWindowPoints(nullptr, m_hWnd, (LPPOINT)&rcChild, 2);
    if (rcChild.left == 0 && rcChild.top == 0 && rcChild.right == cx && rcChild.bottom == cy)
        return;
    ::MoveWindow(hChild, 0, 0, cx, cy, FALSE);
    ::RedrawWindow(hChild, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CSizingControlBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    SizeChild(cx, cy);
}

void CSizingControlBar::OnWindowPosChanged(WINDOWPOS* lpwndpos)
{
    CControlBar::OnWindowPosChanged(lpwndpos);
    // A new frame alone (the dock side changed) changes the client area
    // without a WM_SIZE on every system.
    CRect rcClient;
    GetClientRect(rcClient);
    SizeChild(rcClient.Width(), rcClient.Height());
}

LRESULT CSizingControlBar::OnSetText(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    const LRESULT lResult = Default();
    // A floating bar's frame shows its title.
    if (IsFloating() && m_pDockBar != nullptr && m_pDockBar->m_bFloating)
    {
        CString strTitle;
        GetWindowText(strTitle);
        m_pDockBar->SetWindowText(strTitle);
        CMiniDockFrameWnd* pFrame = DYNAMIC_DOWNCAST(CMiniDockFrameWnd, m_pDockBar->GetParent());
        if (pFrame != nullptr)
            pFrame->DelayRecalcLayout();
    }
    return lResult;
}

// ---------------------------------------------------------------------------
// Non-client area: edges, gripper strip, painting

void CSizingControlBar::OnNcCalcSize(BOOL /*bCalcValidRects*/, NCCALCSIZE_PARAMS* lpncsp)
{
    // Inner edges: between this bar and its neighbours in the row.
    m_dwSCBStyle &= ~SCBS_EDGEALL;
    if (!IsFloating() && m_pDockBar != nullptr)
    {
        CSCBArray arrSCBars;
        int nThis = -1;
        GetRowSizingBars(arrSCBars, nThis);
        const BOOL bHorz = IsHorzDocked();
        if (nThis > 0)
            m_dwSCBStyle |= bHorz ? SCBS_EDGELEFT : SCBS_EDGETOP;
        if (nThis >= 0 && nThis < (int)arrSCBars.size() - 1)
            m_dwSCBStyle |= bHorz ? SCBS_EDGERIGHT : SCBS_EDGEBOTTOM;
    }
    CRect rc(lpncsp->rgrc[0]);
    ComputeClientArea(rc, m_nDockBarID);
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    lpncsp->rgrc[0] = rc;
}

void CSizingControlBar::ComputeClientArea(CRect& rc, UINT nDockBarID)
{
    rc.DeflateRect(3, 5, 3, 3);
    if (nDockBarID != AFX_IDW_DOCKBAR_FLOAT)
        rc.DeflateRect(2, 0, 2, 2);
    // The outer edge faces the frame's client area.
    switch (nDockBarID)
    {
    case AFX_IDW_DOCKBAR_TOP: m_dwSCBStyle |= SCBS_EDGEBOTTOM; break;
    case AFX_IDW_DOCKBAR_BOTTOM: m_dwSCBStyle |= SCBS_EDGETOP; break;
    case AFX_IDW_DOCKBAR_LEFT: m_dwSCBStyle |= SCBS_EDGERIGHT; break;
    case AFX_IDW_DOCKBAR_RIGHT: m_dwSCBStyle |= SCBS_EDGELEFT; break;
    default: break;
    }
}

BOOL CSizingControlBar::GetEdgeRect(const CRect& rcWnd, UINT nHitTest, CRect& rcEdge) const
{
    rcEdge = rcWnd;
    const BOOL bHorz = IsHorzDocked();
    switch (nHitTest)
    {
    case HTLEFT:
        if (!(m_dwSCBStyle & SCBS_EDGELEFT))
            return FALSE;
        rcEdge.right = rcEdge.left + m_cxEdge;
        if (bHorz)
            rcEdge.DeflateRect(0, m_cxEdge);
        return TRUE;
    case HTTOP:
        if (!(m_dwSCBStyle & SCBS_EDGETOP))
            return FALSE;
        rcEdge.bottom = rcEdge.top + m_cxEdge;
        if (!bHorz)
            rcEdge.DeflateRect(m_cxEdge, 0);
        return TRUE;
    case HTRIGHT:
        if (!(m_dwSCBStyle & SCBS_EDGERIGHT))
            return FALSE;
        rcEdge.left = rcEdge.right - m_cxEdge;
        if (bHorz)
            rcEdge.DeflateRect(0, m_cxEdge);
        return TRUE;
    case HTBOTTOM:
        if (!(m_dwSCBStyle & SCBS_EDGEBOTTOM))
            return FALSE;
        rcEdge.top = rcEdge.bottom - m_cxEdge;
        if (!bHorz)
            rcEdge.DeflateRect(m_cxEdge, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CSizingControlBar::OnNcHitTest(CPoint point)
{
    if (IsFloating())
        return HTCLIENT;
    CRect rcBar;
    GetWindowRect(rcBar);
    static const UINT s_edges[] = { HTLEFT, HTTOP, HTRIGHT, HTBOTTOM };
    for (UINT nEdge : s_edges)
    {
        CRect rcEdge;
        if (GetEdgeRect(rcBar, nEdge, rcEdge) && rcEdge.PtInRect(point))
            return nEdge;
    }
    // The gripper strip answers as client area: a press there drags the bar.
    return HTCLIENT;
}

void CSizingControlBar::PaintGripperArea(CDC* /*pDC*/, const CRect& /*rcClient*/)
{
}

void CSizingControlBar::OnNcPaint()
{
    CRect rcBar, rcClient;
    GetWindowRect(rcBar);
    GetClientRect(rcClient);
    ClientToScreen(rcClient);
    rcClient.OffsetRect(-rcBar.left, -rcBar.top);
    rcBar.OffsetRect(-rcBar.left, -rcBar.top);
    if (rcBar.IsRectEmpty())
        return;

    CScopedDC dcWindow = CScopedDC::OfWindowEx(m_hWnd, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS);
    if (dcWindow.Get() == nullptr)
        return;
    // Drawn off screen, then copied in one go around the client area.
    CScopedDC dcMem = CScopedDC::Compatible(dcWindow);
    CScopedGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(dcWindow, rcBar.Width(), rcBar.Height()));
    if (dcMem.Get() == nullptr || bitmap.Get() == nullptr)
        return;
    CScopedSelect selectBitmap(dcMem, bitmap);
    CDC dc;
    dc.Attach(dcMem);
    CRect rcDraw = rcBar;
    DrawBorders(&dc, rcDraw);
    HBRUSH hBrush = (HBRUSH)::GetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND);
    ::FillRect(dcMem, rcDraw, hBrush != nullptr ? hBrush : ::GetSysColorBrush(COLOR_BTNFACE));
    PaintGripperArea(&dc, rcClient);
    dc.Detach();

    ::ExcludeClipRect(dcWindow, rcClient.left, rcClient.top, rcClient.right, rcClient.bottom);
    ::BitBlt(dcWindow, 0, 0, rcBar.Width(), rcBar.Height(), dcMem, 0, 0, SRCCOPY);
}

void CSizingControlBar::OnPaint()
{
    // The hosted window covers the client area; what shows of it is erased.
    CPaintDC dc(this);
}

// ---------------------------------------------------------------------------
// Mouse

void CSizingControlBar::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    // Only the edges act; no system move or size.
    if (m_bTracking || IsFloating())
        return;
    if (nHitTest >= HTSIZEFIRST && nHitTest <= HTSIZELAST)
        BeginResizeTrack(nHitTest, point);
}

void CSizingControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr)
    {
        // The gripper or caption drags the bar.
        ClientToScreen(&point);
        m_pDockContext->StartDrag(point);
        return;
    }
    CControlBar::OnLButtonDown(nFlags, point);
}

void CSizingControlBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_pDockBar != nullptr && m_pDockContext != nullptr)
    {
        m_pDockContext->ToggleDocking();
        return;
    }
    CControlBar::OnLButtonDblClk(nFlags, point);
}

void CSizingControlBar::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_bTracking)
    {
        CPoint ptScreen = point;
        ClientToScreen(&ptScreen);
        TrackResize(ptScreen);
    }
    CControlBar::OnMouseMove(nFlags, point);
}

void CSizingControlBar::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_bTracking)
        EndResizeTrack();
    CControlBar::OnLButtonUp(nFlags, point);
}

void CSizingControlBar::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_bTracking)
        EndResizeTrack();
    CControlBar::OnRButtonDown(nFlags, point);
}

void CSizingControlBar::OnCaptureChanged(CWnd* pWnd)
{
    if (m_bTracking && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd))
        EndResizeTrack();
    CControlBar::OnCaptureChanged(pWnd);
}

void CSizingControlBar::OnNcMouseMove(UINT nHitTest, CPoint point)
{
    CControlBar::OnNcMouseMove(nHitTest, point);
}

void CSizingControlBar::OnUpdateCmdUI(CFrameWnd* /*pTarget*/, BOOL /*bDisableIfNoHndler*/)
{
}

// ---------------------------------------------------------------------------
// State

void CSizingControlBar::RestoreBarState(LPCSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || m_hWnd == nullptr)
        return;
    const int nID = GetDlgCtrlID();

    // A floating frame keeps its place when it drops its caption, so the
    // place stored for it is used as it is (moving it down by a caption
    // here would move the bar further down at every start).
    CString strSection;
    strSection.Format("%s-SCBar-%d", lpszProfileName, nID);
    auto Read = [&](LPCSTR lpszEntry, LONG nCurrent, LONG nMin) {
        const int nValue = (int)pApp->GetProfileInt(strSection, lpszEntry, (int)nCurrent);
        return std::max<LONG>(nValue, nMin);
    };
    m_szHorz.cx = Read("sizeHorzCX", m_szHorz.cx, m_szMinHorz.cx);
    m_szHorz.cy = Read("sizeHorzCY", m_szHorz.cy, m_szMinHorz.cy);
    m_szVert.cx = Read("sizeVertCX", m_szVert.cx, m_szMinVert.cx);
    m_szVert.cy = Read("sizeVertCY", m_szVert.cy, m_szMinVert.cy);
    m_szFloat.cx = Read("sizeFloatCX", m_szFloat.cx, m_szMinFloat.cx);
    m_szFloat.cy = Read("sizeFloatCY", m_szFloat.cy, m_szMinFloat.cy);
}

void CSizingControlBar::StoreBarState(LPCSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || m_hWnd == nullptr)
        return;
    CString strSection;
    strSection.Format("%s-SCBar-%d", lpszProfileName, GetDlgCtrlID());
    pApp->WriteProfileInt(strSection, "sizeHorzCX", m_szHorz.cx);
    pApp->WriteProfileInt(strSection, "sizeHorzCY", m_szHorz.cy);
    pApp->WriteProfileInt(strSection, "sizeVertCX", m_szVert.cx);
    pApp->WriteProfileInt(strSection, "sizeVertCY", m_szVert.cy);
    pApp->WriteProfileInt(strSection, "sizeFloatCX", m_szFloat.cx);
    pApp->WriteProfileInt(strSection, "sizeFloatCY", m_szFloat.cy);
}

namespace {

// Calls pfn on every sizing bar of the frame.
void ForEachSizingBar(CFrameWnd* pFrame, void (CSizingControlBar::*pfn)(LPCSTR), LPCSTR lpszProfileName)
{
    POSITION pos = pFrame->m_listControlBars.GetHeadPosition();
    while (pos != nullptr)
    {
        CControlBar* pBar = (CControlBar*)pFrame->m_listControlBars.GetNext(pos);
        if (CSizingControlBar* pSizingBar = DYNAMIC_DOWNCAST(CSizingControlBar, pBar))
            (pSizingBar->*pfn)(lpszProfileName);
    }
}

} // namespace

void CSizingControlBar::RestoreAllBarStates(CFrameWnd* pFrame, LPCSTR lpszProfileName)
{
    ForEachSizingBar(pFrame, &CSizingControlBar::RestoreBarState, lpszProfileName);
}

void CSizingControlBar::StoreAllBarStates(CFrameWnd* pFrame, LPCSTR lpszProfileName)
{
    ForEachSizingBar(pFrame, &CSizingControlBar::StoreBarState, lpszProfileName);
}
