#include "framework/docview/CScrollView.h"

#include "framework/gdi/CDC.h"
#include "framework/gdi/CScopedDC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = { 0, 0 };

CScrollView::CScrollView() : m_nMapMode(MM_TEXT), m_bInsideUpdate(FALSE)
{
}

CSize CScrollView::LogicalToDevice(SIZE size) const
{
    if (m_nMapMode == MM_TEXT)
        return CSize(size.cx, size.cy);
    // Other modes: converted on a screen DC in that mode (their y grows up,
    // so the sign is dropped).
    CScopedDC dc = CScopedDC::Compatible(nullptr);
    ::SetMapMode(dc, m_nMapMode);
    POINT pt = { size.cx, size.cy };
    ::LPtoDP(dc, &pt, 1);
    return CSize(std::abs(pt.x), std::abs(pt.y));
}

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine)
{
    m_nMapMode = nMapMode;
    m_totalLog = CSize(std::max(0L, sizeTotal.cx), std::max(0L, sizeTotal.cy));
    m_totalDev = LogicalToDevice(m_totalLog);
    m_pageDev = LogicalToDevice(sizePage);
    m_lineDev = LogicalToDevice(sizeLine);
    if (m_pageDev.cx == 0)
        m_pageDev.cx = m_totalDev.cx / 10;
    if (m_pageDev.cy == 0)
        m_pageDev.cy = m_totalDev.cy / 10;
    if (m_lineDev.cx == 0)
        m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0)
        m_lineDev.cy = m_pageDev.cy / 10;
    if (m_hWnd != nullptr)
    {
        UpdateBars();
        Invalidate(TRUE);
    }
}

CPoint CScrollView::GetDeviceScrollPosition() const
{
    const int x = (GetStyle() & WS_HSCROLL) ? ::GetScrollPos(m_hWnd, SB_HORZ) : 0;
    const int y = (GetStyle() & WS_VSCROLL) ? ::GetScrollPos(m_hWnd, SB_VERT) : 0;
    return CPoint(x, y);
}

CPoint CScrollView::GetScrollPosition() const
{
    const CPoint ptDev = GetDeviceScrollPosition();
    if (m_nMapMode == MM_TEXT)
        return ptDev;
    CScopedDC dc = CScopedDC::Compatible(nullptr);
    ::SetMapMode(dc, m_nMapMode);
    POINT pt = ptDev;
    ::DPtoLP(dc, &pt, 1);
    return CPoint(pt);
}

void CScrollView::ScrollToPosition(POINT pt)
{
    CSize dev = LogicalToDevice(CSize(pt.x, pt.y));
    ScrollToDevicePosition(dev.cx, dev.cy);
}

void CScrollView::OnPrepareDC(CDC* pDC)
{
    pDC->SetMapMode(m_nMapMode);
    const CPoint pt = GetDeviceScrollPosition();
    pDC->SetViewportOrg(-pt.x, -pt.y);
    CView::OnPrepareDC(pDC);
}

void CScrollView::UpdateBars()
{
    if (m_bInsideUpdate || m_hWnd == nullptr)
        return;
    m_bInsideUpdate = TRUE;
    // The client size the window would have without bars decides whether
    // each bar is needed; a needed bar takes room from the other direction.
    CRect rcClient;
    GetClientRect(&rcClient);
    CSize client(rcClient.Width(), rcClient.Height());
    if (GetStyle() & WS_VSCROLL)
        client.cx += ::GetSystemMetrics(SM_CXVSCROLL);
    if (GetStyle() & WS_HSCROLL)
        client.cy += ::GetSystemMetrics(SM_CYHSCROLL);
    BOOL bNeedH = m_totalDev.cx > client.cx;
    BOOL bNeedV = m_totalDev.cy > client.cy;
    if (bNeedH && !bNeedV)
        bNeedV = m_totalDev.cy > client.cy - ::GetSystemMetrics(SM_CYHSCROLL);
    if (bNeedV && !bNeedH)
        bNeedH = m_totalDev.cx > client.cx - ::GetSystemMetrics(SM_CXVSCROLL);
    if (bNeedV)
        client.cx -= ::GetSystemMetrics(SM_CXVSCROLL);
    if (bNeedH)
        client.cy -= ::GetSystemMetrics(SM_CYHSCROLL);

    const CPoint ptOld = GetDeviceScrollPosition();
    ::ShowScrollBar(m_hWnd, SB_HORZ, bNeedH);
    ::ShowScrollBar(m_hWnd, SB_VERT, bNeedV);

    SCROLLINFO si = { sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0 };
    si.nMax = bNeedH ? m_totalDev.cx - 1 : 0;
    si.nPage = bNeedH ? (UINT)client.cx : 0;
    si.nPos = bNeedH ? (int)std::min(ptOld.x, std::max(0L, m_totalDev.cx - client.cx)) : 0;
    ::SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
    si.nMax = bNeedV ? m_totalDev.cy - 1 : 0;
    si.nPage = bNeedV ? (UINT)client.cy : 0;
    si.nPos = bNeedV ? (int)std::min(ptOld.y, std::max(0L, m_totalDev.cy - client.cy)) : 0;
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    m_bInsideUpdate = FALSE;
    if (GetDeviceScrollPosition() != ptOld)
        Invalidate(TRUE);
}

void CScrollView::ScrollToDevicePosition(int x, int y)
{
    const CPoint ptOld = GetDeviceScrollPosition();
    if (GetStyle() & WS_HSCROLL)
        ::SetScrollPos(m_hWnd, SB_HORZ, std::max(0, x), TRUE);
    if (GetStyle() & WS_VSCROLL)
        ::SetScrollPos(m_hWnd, SB_VERT, std::max(0, y), TRUE);
    // The bars clamp to their range; the window follows what they took.
    const CPoint ptNew = GetDeviceScrollPosition();
    if (ptNew != ptOld)
        ::ScrollWindow(m_hWnd, ptOld.x - ptNew.x, ptOld.y - ptNew.y, nullptr, nullptr);
}

BOOL CScrollView::OnScrollBy(int nBar, int nDelta)
{
    if (nDelta == 0)
        return FALSE;
    CPoint pt = GetDeviceScrollPosition();
    if (nBar == SB_HORZ)
        pt.x += nDelta;
    else
        pt.y += nDelta;
    const CPoint ptOld = GetDeviceScrollPosition();
    ScrollToDevicePosition(pt.x, pt.y);
    return GetDeviceScrollPosition() != ptOld;
}

void CScrollView::OnScroll(int nBar, UINT nSBCode)
{
    const int nLine = nBar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
    SCROLLINFO si = { sizeof(si), SIF_ALL, 0, 0, 0, 0, 0 };
    ::GetScrollInfo(m_hWnd, nBar, &si);
    const int nPage = (int)si.nPage;
    int nDelta = 0;
    switch (nSBCode)
    {
    case SB_LINEUP: nDelta = -std::max(1, nLine); break;
    case SB_LINEDOWN: nDelta = std::max(1, nLine); break;
    case SB_PAGEUP: nDelta = -std::max(1, nPage); break;
    case SB_PAGEDOWN: nDelta = std::max(1, nPage); break;
    case SB_TOP: nDelta = -si.nPos; break;
    case SB_BOTTOM: nDelta = si.nMax - si.nPos; break;
    // The 32-bit track position, not the message's 16-bit one.
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: nDelta = si.nTrackPos - si.nPos; break;
    default: return;
    }
    OnScrollBy(nBar, nDelta);
}

void CScrollView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    UpdateBars();
}

void CScrollView::OnHScroll(UINT nSBCode, UINT /*nPos*/, CScrollBar* pScrollBar)
{
    if (pScrollBar == nullptr)
        OnScroll(SB_HORZ, nSBCode);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT /*nPos*/, CScrollBar* pScrollBar)
{
    if (pScrollBar == nullptr)
        OnScroll(SB_VERT, nSBCode);
}

BOOL CScrollView::OnMouseWheel(UINT /*nFlags*/, short zDelta, CPoint /*pt*/)
{
    const int nBar = (GetStyle() & WS_VSCROLL) ? SB_VERT : ((GetStyle() & WS_HSCROLL) ? SB_HORZ : -1);
    if (nBar < 0)
        return FALSE;
    UINT nLines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &nLines, 0);
    const int nLine = std::max(1L, nBar == SB_VERT ? m_lineDev.cy : m_lineDev.cx);
    return OnScrollBy(nBar, -zDelta * (int)nLines * nLine / WHEEL_DELTA);
}
