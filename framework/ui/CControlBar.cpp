#include "framework/ui/CControlBar.h"

#include "framework/gdi/CClientDC.h"
#include "framework/ui/CDockBar.h"
#include "framework/ui/CDockContext.h"
#include "framework/ui/CDockState.h"
#include "framework/gdi/CWindowDC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_DESTROY()
    ON_WM_NCHITTEST()
    ON_WM_NCCALCSIZE()
    ON_WM_NCPAINT()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

namespace {

const int kGripperDepth = 7;

} // namespace

CControlBar::CControlBar()
    : m_dwStyle(0), m_nStateFlags(0), m_dwDockStyle(0), m_pDockSite(nullptr), m_pDockBar(nullptr), m_pDockContext(nullptr),
      m_bAutoDelete(FALSE), m_bDockBar(FALSE), m_cxLeftBorder(0), m_cxRightBorder(0), m_cyTopBorder(0),
      m_cyBottomBorder(0), m_bForwardToOwner(TRUE)
{
}

CControlBar::~CControlBar()
{
    delete m_pDockContext;
    m_pDockContext = nullptr;
}

void CControlBar::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void CControlBar::OnDestroy()
{
    if (m_pDockBar != nullptr)
    {
        m_pDockBar->RemoveControlBar(this);
        m_pDockBar = nullptr;
    }
    if (m_pDockSite != nullptr)
        m_pDockSite->RemoveControlBar(this);
    CWnd::OnDestroy();
}

BOOL CControlBar::IsVisible() const
{
    if (m_nStateFlags & delayHide)
        return FALSE;
    return (m_nStateFlags & delayShow) || (GetStyle() & WS_VISIBLE);
}

void CControlBar::DelayShow(BOOL bShow)
{
    m_nStateFlags &= ~(delayHide | delayShow);
    const BOOL bVisible = (GetStyle() & WS_VISIBLE) != 0;
    if (bShow && !bVisible)
        m_nStateFlags |= delayShow;
    else if (!bShow && bVisible)
        m_nStateFlags |= delayHide;
}

DWORD CControlBar::RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout)
{
    DWORD dwStyle = GetStyle();
    if (m_nStateFlags & delayShow)
        dwStyle |= WS_VISIBLE;
    else if (m_nStateFlags & delayHide)
        dwStyle &= ~WS_VISIBLE;
    if (lpLayout == nullptr || lpLayout->hDWP == nullptr || !(m_nStateFlags & (delayShow | delayHide)))
        return dwStyle;
    const UINT nFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                        ((m_nStateFlags & delayShow) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    m_nStateFlags &= ~(delayHide | delayShow);
    lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, m_hWnd, nullptr, 0, 0, 0, 0, nFlags);
    if (lpLayout->hDWP == nullptr)
    {
        // The batch failed (and is gone): the change is made at once.
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, nFlags);
    }
    return dwStyle;
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    m_dwStyle = dwStyle;
}

BOOL CControlBar::IsFloating() const
{
    return m_pDockBar != nullptr && m_pDockBar->m_bFloating;
}

BOOL CControlBar::IsHorzDocked() const
{
    if (m_pDockBar == nullptr || m_pDockBar->m_bFloating)
        return FALSE;
    return (m_pDockBar->m_dwStyle & CBRS_ORIENT_HORZ) != 0;
}

CFrameWnd* CControlBar::GetDockingFrame() const
{
    CFrameWnd* pFrame = GetParentFrame();
    return pFrame ? pFrame : m_pDockSite;
}

void CControlBar::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle;
    if (m_pDockContext == nullptr)
        m_pDockContext = new CDockContext(this);
    if (m_hWndOwner == nullptr && m_pDockSite != nullptr)
        m_hWndOwner = m_pDockSite->m_hWnd;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size;
    size.cx = (bStretch && bHorz ? 32767 : 0);
    size.cy = (bStretch && !bHorz ? 32767 : 0);
    return size;
}

CSize CControlBar::CalcDynamicLayout(int /*nLength*/, DWORD nMode)
{
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, (nMode & LM_HORZ) != 0);
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    rect.left += m_cxLeftBorder;
    rect.top += m_cyTopBorder;
    rect.right -= m_cxRightBorder;
    rect.bottom -= m_cyBottomBorder;
    if ((m_dwStyle & CBRS_GRIPPER) && m_pDockBar != nullptr && !m_pDockBar->m_bFloating)
    {
        if (bHorz)
            rect.left += kGripperDepth;
        else
            rect.top += kGripperDepth;
    }
}

CRect CControlBar::GetGripperRect() const
{
    if (!(m_dwStyle & CBRS_GRIPPER) || m_pDockBar == nullptr || m_pDockBar->m_bFloating)
        return CRect();
    CRect rect;
    GetWindowRect(rect);
    rect.OffsetRect(-rect.left, -rect.top);
    if (IsHorzDocked())
        return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxLeftBorder + kGripperDepth, rect.bottom - m_cyBottomBorder);
    return CRect(m_cxLeftBorder, m_cyTopBorder, rect.right - m_cxRightBorder, m_cyTopBorder + kGripperDepth);
}

void CControlBar::DrawBorders(CDC* /*pDC*/, CRect& /*rect*/)
{
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect)
{
    const COLORREF clrHi = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    if (IsHorzDocked())
        pDC->Draw3dRect(rect.left + 2, rect.top + 2, 3, rect.Height() - 4, clrHi, clrShadow);
    else
        pDC->Draw3dRect(rect.left + 2, rect.top + 2, rect.Width() - 4, 3, clrHi, clrShadow);
}

void CControlBar::OnNcCalcSize(BOOL /*bCalcValidRects*/, NCCALCSIZE_PARAMS* lpncsp)
{
    Default();
    CRect rect(lpncsp->rgrc[0]);
    CalcInsideRect(rect, IsHorzDocked() || IsFloating() || m_pDockBar == nullptr);
    if (rect.right < rect.left)
        rect.right = rect.left;
    if (rect.bottom < rect.top)
        rect.bottom = rect.top;
    lpncsp->rgrc[0] = rect;
}

void CControlBar::OnNcPaint()
{
    Default();
    CRect rectWindow;
    GetWindowRect(rectWindow);
    CRect rectClient;
    GetClientRect(rectClient);
    ClientToScreen(rectClient);
    if (rectWindow == rectClient)
        return;
    rectClient.OffsetRect(-rectWindow.left, -rectWindow.top);
    rectWindow.OffsetRect(-rectWindow.left, -rectWindow.top);

    CWindowDC dc(this);
    dc.ExcludeClipRect(rectClient);
    dc.FillSolidRect(rectWindow, ::GetSysColor(COLOR_BTNFACE));
    const CRect rectGripper = GetGripperRect();
    if (!rectGripper.IsRectEmpty())
        DrawGripper(&dc, rectGripper);
}

LRESULT CControlBar::OnNcHitTest(CPoint point)
{
    const CRect rectGripper = GetGripperRect();
    if (!rectGripper.IsRectEmpty() && m_pDockContext != nullptr)
    {
        CRect rectWindow;
        GetWindowRect(rectWindow);
        CRect r = rectGripper;
        r.OffsetRect(rectWindow.left, rectWindow.top);
        if (r.PtInRect(point))
            return HTCAPTION;
    }
    return CWnd::OnNcHitTest(point);
}

void CControlBar::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    // The gripper drags the bar; the system must not move the child itself.
    if (nHitTest == HTCAPTION && m_pDockContext != nullptr)
    {
        m_pDockContext->StartDrag(point);
        return;
    }
    CWnd::OnNcLButtonDown(nHitTest, point);
}

void CControlBar::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
    if (nHitTest == HTCAPTION && m_pDockContext != nullptr)
    {
        m_pDockContext->ToggleDocking();
        return;
    }
    CWnd::OnNcLButtonDblClk(nHitTest, point);
}

void CControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    CWnd::OnLButtonDown(nFlags, point);
}

void CControlBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    CWnd::OnLButtonDblClk(nFlags, point);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    AFX_SIZEPARENTPARAMS* lpLayout = (AFX_SIZEPARENTPARAMS*)lParam;
    const DWORD dwStyle = m_dwStyle;
    if (!(RecalcDelayShow(lpLayout) & WS_VISIBLE) || (dwStyle & CBRS_ALIGN_ANY) == 0)
        return 0;

    CRect rect(lpLayout->rect);
    const CSize sizeAvail = rect.Size();
    DWORD dwMode = lpLayout->bStretch ? LM_STRETCH : 0;
    if (dwStyle & CBRS_ORIENT_HORZ)
        dwMode |= LM_HORZ | LM_HORZDOCK;
    else
        dwMode |= LM_VERTDOCK;
    CSize size = CalcDynamicLayout(-1, dwMode);
    size.cx = std::min<LONG>(size.cx, sizeAvail.cx);
    size.cy = std::min<LONG>(size.cy, sizeAvail.cy);

    if (dwStyle & CBRS_ORIENT_HORZ)
    {
        lpLayout->sizeTotal.cy += size.cy;
        lpLayout->sizeTotal.cx = std::max<LONG>(lpLayout->sizeTotal.cx, size.cx);
        if (dwStyle & CBRS_ALIGN_TOP)
        {
            lpLayout->rect.top += size.cy;
        }
        else if (dwStyle & CBRS_ALIGN_BOTTOM)
        {
            rect.top = rect.bottom - size.cy;
            lpLayout->rect.bottom -= size.cy;
        }
    }
    else if (dwStyle & CBRS_ORIENT_VERT)
    {
        lpLayout->sizeTotal.cx += size.cx;
        lpLayout->sizeTotal.cy = std::max<LONG>(lpLayout->sizeTotal.cy, size.cy);
        if (dwStyle & CBRS_ALIGN_LEFT)
        {
            lpLayout->rect.left += size.cx;
        }
        else if (dwStyle & CBRS_ALIGN_RIGHT)
        {
            rect.left = rect.right - size.cx;
            lpLayout->rect.right -= size.cx;
        }
    }
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    if (lpLayout->hDWP != nullptr)
        AfxRepositionWindow(lpLayout, m_hWnd, &rect);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if ((GetStyle() & WS_VISIBLE) && (m_pDockBar == nullptr || (m_pDockBar->GetStyle() & WS_VISIBLE)))
    {
        CWnd* pOwner = GetOwner();
        CFrameWnd* pTarget = pOwner ? DYNAMIC_DOWNCAST(CFrameWnd, pOwner) : nullptr;
        if (pTarget == nullptr)
            pTarget = GetParentFrame();
        if (pTarget != nullptr)
            OnUpdateCmdUI(pTarget, (BOOL)wParam);
    }
    return 0;
}

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Notifications of the controls in a plain bar belong to its owner
    // frame (a common-control bar relays its own through its default).
    switch (message)
    {
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    {
        LRESULT lResult = 0;
        if (OnWndMsg(message, wParam, lParam, &lResult))
            return lResult;
        CWnd* pOwner = GetOwner();
        if (m_bForwardToOwner && pOwner != nullptr && pOwner->m_hWnd != nullptr && pOwner->m_hWnd != m_hWnd)
            return pOwner->SendMessage(message, wParam, lParam);
        return DefWindowProc(message, wParam, lParam);
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CControlBar::GetBarInfo(CControlBarInfo* pInfo)
{
    pInfo->m_nBarID = (UINT)GetDlgCtrlID();
    pInfo->m_bVisible = IsVisible();
    pInfo->m_bFloating = IsFloating();
    pInfo->m_bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    pInfo->m_bDockBar = FALSE;
    if (pInfo->m_bFloating)
    {
        CRect rect;
        m_pDockBar->GetParent()->GetWindowRect(rect);
        pInfo->m_pointPos = rect.TopLeft();
        pInfo->m_arrBarID.RemoveAll();
        for (INT_PTR i = 0; i < m_pDockBar->m_arrBars.GetSize(); i++)
        {
            CControlBar* pBar = m_pDockBar->GetDockedBar(i);
            if (pBar != nullptr)
                pInfo->m_arrBarID.Add((void*)(UINT_PTR)pBar->GetDlgCtrlID());
        }
    }
    else if (m_pDockBar != nullptr)
    {
        pInfo->m_uDockBarID = (UINT)m_pDockBar->GetDlgCtrlID();
        m_pDockBar->GetBarPosition(this, pInfo->m_nRow, pInfo->m_nIndex);
        CRect rect;
        GetWindowRect(rect);
        m_pDockBar->ScreenToClient(rect);
        pInfo->m_pointPos = rect.TopLeft();
    }
}

void CControlBar::SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd)
{
    if (pInfo->m_bFloating)
    {
        pFrameWnd->FloatControlBar(this, pInfo->m_pointPos, m_dwStyle & CBRS_ALIGN_ANY ? (m_dwStyle & CBRS_ALIGN_ANY) : CBRS_ALIGN_TOP);
    }
    else if (pInfo->m_uDockBarID != 0)
    {
        CDockBar* pDockBar = pFrameWnd->GetDockBar(pInfo->m_uDockBarID);
        if (pDockBar != nullptr)
        {
            CWnd* pOldParent = GetParent();
            pDockBar->DockControlBarInRow(this, pInfo->m_nRow);
            CDockBar* pOldDock = pOldParent ? DYNAMIC_DOWNCAST(CDockBar, pOldParent) : nullptr;
            if (pOldDock != nullptr && pOldDock != pDockBar && pOldDock->m_bFloating && pOldDock->GetDockedCount() == 0)
                pOldDock->GetParent()->DestroyWindow();
        }
    }
    pFrameWnd->ShowControlBar(this, pInfo->m_bVisible, TRUE);
}
