// The sizing bar in its dock row: its size in the frame's layout, the
// dealing of the row's length among its sizing bars, lining them up, and
// resizing by an edge.
#include "widgets/CSizingControlBar.h"

#include "framework/gdi/CDC.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CDockBar.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------------------
// The row

void CSizingControlBar::GetRowInfo(int& nFirst, int& nLast, int& nThis) const
{
    nFirst = nLast = nThis = -1;
    if (m_pDockBar == nullptr)
        return;
    nThis = m_pDockBar->FindBar(const_cast<CSizingControlBar*>(this));
    if (nThis < 0)
        return;
    // A row runs between the empty entries before and after the bar.
    const CPtrArray& arrBars = m_pDockBar->m_arrBars;
    nFirst = nThis;
    while (nFirst > 0 && arrBars[nFirst - 1] != nullptr)
        nFirst--;
    nLast = nThis;
    while (nLast + 1 < (int)arrBars.GetSize() && arrBars[nLast + 1] != nullptr)
        nLast++;
}

void CSizingControlBar::GetRowSizingBars(CSCBArray& arrSCBars, int& nThis) const
{
    arrSCBars.clear();
    nThis = -1;
    int nFirst, nLast, nThisEntry;
    GetRowInfo(nFirst, nLast, nThisEntry);
    if (nThisEntry < 0)
        return;
    for (int i = nFirst; i <= nLast; i++)
    {
        CControlBar* pBar = m_pDockBar->GetDockedBar(i);
        CSizingControlBar* pSizingBar = pBar ? DYNAMIC_DOWNCAST(CSizingControlBar, pBar) : nullptr;
        if (pSizingBar == nullptr)
            continue;
        if (pSizingBar == this)
            nThis = (int)arrSCBars.size();
        else if (!pSizingBar->IsVisible())
            continue;
        arrSCBars.push_back(pSizingBar);
    }
}

namespace {

LONG& LengthOf(CSizingControlBar* pBar, BOOL bHorz)
{
    return bHorz ? pBar->m_szHorz.cx : pBar->m_szVert.cy;
}

LONG MinLengthOf(const CSizingControlBar* pBar, BOOL bHorz)
{
    return bHorz ? pBar->m_szMinHorz.cx : pBar->m_szMinVert.cy;
}

LONG& WidthOf(CSizingControlBar* pBar, BOOL bHorz)
{
    return bHorz ? pBar->m_szHorz.cy : pBar->m_szVert.cx;
}

LONG MinWidthOf(const CSizingControlBar* pBar, BOOL bHorz)
{
    return bHorz ? pBar->m_szMinHorz.cy : pBar->m_szMinVert.cx;
}

} // namespace

BOOL CSizingControlBar::NegotiateSpace(int nLengthTotal, BOOL bHorz)
{
    int nFirst, nLast, nThis;
    GetRowInfo(nFirst, nLast, nThis);
    if (nThis < 0)
        return FALSE;
    CPtrArray& arrBars = m_pDockBar->m_arrBars;

    int nLengthAvail = nLengthTotal; // less what the other bars take
    int nLengthMin = 2;
    int nLengthActual = 0;
    int nWidthMax = 0;
    CSCBArray arrSCBars;
    for (int i = nFirst; i <= nLast; i++)
    {
        CControlBar* pBar = m_pDockBar->GetDockedBar(i);
        if (pBar == nullptr || !pBar->IsVisible())
            continue;
        CSizingControlBar* pSizingBar = DYNAMIC_DOWNCAST(CSizingControlBar, pBar);
        int nLengthBar; // the bar's least share of the row
        if (pSizingBar != nullptr)
        {
            nLengthBar = MinLengthOf(pSizingBar, bHorz) - 2;
        }
        else
        {
            CRect rcBar;
            pBar->GetWindowRect(rcBar);
            nLengthBar = (bHorz ? rcBar.Width() : rcBar.Height()) - 2;
        }
        nLengthMin += nLengthBar;
        if (nLengthMin > nLengthTotal)
        {
            if (i < nThis)
            {
                // Too long before this bar: the row splits after that entry.
                arrBars.InsertAt(i + 1, nullptr);
                return FALSE;
            }
            if (i == nThis)
            {
                LengthOf(this, bHorz) = MinLengthOf(this, bHorz);
                return TRUE;
            }
            // The bars from here on go to a row of their own.
            arrBars.InsertAt(i, nullptr);
            break;
        }
        if (pSizingBar != nullptr)
        {
            nLengthActual += LengthOf(pSizingBar, bHorz) - 2;
            nWidthMax = std::max<int>(nWidthMax, WidthOf(pSizingBar, bHorz));
            arrSCBars.push_back(pSizingBar);
        }
        else
        {
            CRect rcBar;
            pBar->GetWindowRect(rcBar);
            nLengthAvail -= bHorz ? rcBar.Width() : rcBar.Height();
        }
    }

    int nDelta = nLengthAvail - nLengthActual;
    if (arrSCBars.size() == 1)
    {
        arrSCBars[0]->m_bKeepSize = FALSE;
        LengthOf(arrSCBars[0], bHorz) += nDelta;
        return TRUE;
    }

    // Several sizing bars share the row: one width, and the difference dealt
    // out a pixel at a time. A bar just shown keeps its length while others
    // can give; none goes below its minimum.
    for (CSizingControlBar* pBar : arrSCBars)
        WidthOf(pBar, bHorz) = nWidthMax;
    BOOL bKeepSizes = TRUE;
    while (nDelta != 0)
    {
        const int nDeltaOld = nDelta;
        for (CSizingControlBar* pBar : arrSCBars)
        {
            if (nDelta == 0)
                break;
            if (bKeepSizes && pBar->m_bKeepSize)
                continue;
            LONG& nLength = LengthOf(pBar, bHorz);
            if (nDelta < 0 && nLength <= MinLengthOf(pBar, bHorz))
                continue;
            nLength += nDelta > 0 ? 1 : -1;
            nDelta += nDelta > 0 ? -1 : 1;
        }
        if (nDelta != nDeltaOld)
            continue;
        if (!bKeepSizes)
            break; // every bar is at its minimum: the row stays too long
        bKeepSizes = FALSE;
    }
    for (CSizingControlBar* pBar : arrSCBars)
        pBar->m_bKeepSize = FALSE;
    return TRUE;
}

void CSizingControlBar::LineUpRowBars()
{
    int nFirst, nLast, nThis;
    GetRowInfo(nFirst, nLast, nThis);
    if (nThis < 0)
        return;
    const BOOL bHorz = IsHorzDocked();
    // Bars follow one another, sharing 2 pixels, from 2 pixels before the
    // dock bar's start.
    int nPos = -2;
    BOOL bMoved = FALSE;
    for (int i = nFirst; i <= nLast; i++)
    {
        CControlBar* pBar = m_pDockBar->GetDockedBar(i);
        if (pBar == nullptr || !pBar->IsVisible())
            continue;
        CRect rcBar;
        pBar->GetWindowRect(rcBar);
        m_pDockBar->ScreenToClient(rcBar);
        if (CSizingControlBar* pSizingBar = DYNAMIC_DOWNCAST(CSizingControlBar, pBar))
        {
            const CSize size = bHorz ? pSizingBar->m_szHorz : pSizingBar->m_szVert;
            const CSize sizeMin = bHorz ? pSizingBar->m_szMinHorz : pSizingBar->m_szMinVert;
            rcBar.right = rcBar.left + std::max(size.cx, sizeMin.cx);
            rcBar.bottom = rcBar.top + std::max(size.cy, sizeMin.cy);
        }
        const int nLead = bHorz ? rcBar.left : rcBar.top;
        if (nLead != nPos)
        {
            rcBar.OffsetRect(bHorz ? nPos - nLead : 0, bHorz ? 0 : nPos - nLead);
            pBar->SetWindowPos(nullptr, rcBar.left, rcBar.top, rcBar.Width(), rcBar.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE);
            bMoved = TRUE;
        }
        nPos += (bHorz ? rcBar.Width() : rcBar.Height()) - 2;
    }
    if (bMoved && GetSite() != nullptr)
        GetSite()->DelayRecalcLayout();
}

CSize CSizingControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    if (bStretch)
        return bHorz ? CSize(32767, m_szHorz.cy) : CSize(m_szVert.cx, 32767);

    if (m_pDockBar != nullptr)
    {
        // Pending shows and hides of the row happen now, in one batch.
        CSCBArray arrSCBars;
        int nThis;
        int nFirst, nLast, nThisEntry;
        GetRowInfo(nFirst, nLast, nThisEntry);
        AFX_SIZEPARENTPARAMS layout = {};
        layout.hDWP = m_pDockBar->m_bLayoutQuery || nThisEntry < 0 ? nullptr : ::BeginDeferWindowPos(4);
        for (int i = nFirst; nThisEntry >= 0 && i <= nLast; i++)
        {
            CControlBar* pBar = m_pDockBar->GetDockedBar(i);
            CSizingControlBar* pSizingBar = pBar ? DYNAMIC_DOWNCAST(CSizingControlBar, pBar) : nullptr;
            if (pSizingBar != nullptr && (pSizingBar->m_nStateFlags & (delayShow | delayHide)))
                pSizingBar->RecalcDelayShow(&layout);
        }
        if (layout.hDWP != nullptr)
            ::EndDeferWindowPos(layout.hDWP);

        // The row's length, as the dock bar has it (its frame's client area
        // before the first layout).
        CRect rcLayout = m_pDockBar->m_rectLayout;
        if (rcLayout.IsRectEmpty() && GetSite() != nullptr)
            GetSite()->GetClientRect(rcLayout);
        const int nLengthTotal = bHorz ? rcLayout.Width() + 2 : rcLayout.Height() - 2;

        GetRowSizingBars(arrSCBars, nThis);
        if (IsVisible() && !IsFloating() && m_bParentSizing && !arrSCBars.empty() && arrSCBars[0] == this)
        {
            if (NegotiateSpace(nLengthTotal, bHorz))
                LineUpRowBars();
        }
    }
    m_bParentSizing = FALSE;

    CSize size = bHorz ? m_szHorz : m_szVert;
    const CSize sizeMin = bHorz ? m_szMinHorz : m_szMinVert;
    size.cx = std::max(size.cx, sizeMin.cx);
    size.cy = std::max(size.cy, sizeMin.cy);
    return size;
}

CSize CSizingControlBar::CalcDynamicLayout(int nLength, DWORD nMode)
{
    if (nMode & (LM_HORZDOCK | LM_VERTDOCK))
    {
        // A layout pass of the frame (length -1) may deal the row out.
        if (nLength == -1)
            m_bParentSizing = TRUE;
        return CControlBar::CalcDynamicLayout(nLength, nMode);
    }
    if (nMode & (LM_MRUWIDTH | LM_COMMIT))
        return m_szFloat;
    if (nMode & LM_LENGTHY)
        m_szFloat.cy = nLength;
    else
        m_szFloat.cx = nLength;
    m_szFloat.cx = std::max(m_szFloat.cx, m_szMinFloat.cx);
    m_szFloat.cy = std::max(m_szFloat.cy, m_szMinFloat.cy);
    return m_szFloat;
}

// ---------------------------------------------------------------------------
// Resizing by an edge

BOOL CSizingControlBar::IsSideTracking() const
{
    // Along the row: the boundary with a neighbour moves.
    return IsHorzDocked() ? (m_htEdge == HTLEFT || m_htEdge == HTRIGHT) : (m_htEdge == HTTOP || m_htEdge == HTBOTTOM);
}

void CSizingControlBar::BeginResizeTrack(UINT nHitTest, CPoint point)
{
    SetCapture();
    CFrameWnd* pSite = GetSite();
    if (!m_bDragShowContent && pSite != nullptr)
        pSite->RedrawWindow(nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    m_htEdge = nHitTest;
    m_bTracking = TRUE;

    const BOOL bHorzTracking = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    m_nTrackPosOld = bHorzTracking ? point.x : point.y;
    CRect rcBar, rcEdge;
    GetWindowRect(rcBar);
    GetEdgeRect(rcBar, m_htEdge, rcEdge);
    m_nTrackEdgeOfs = m_nTrackPosOld - (bHorzTracking ? rcEdge.CenterPoint().x : rcEdge.CenterPoint().y);
    m_nTrackPosMin = m_nTrackPosMax = m_nTrackPosOld;

    CSCBArray arrSCBars;
    int nThis;
    GetRowSizingBars(arrSCBars, nThis);
    const BOOL bHorz = IsHorzDocked();
    if (IsSideTracking())
    {
        // The boundary moves as far as the bars on either side can give.
        const int nSplit = (m_htEdge == HTRIGHT || m_htEdge == HTBOTTOM) ? nThis + 1 : nThis;
        for (int i = 0; i < (int)arrSCBars.size(); i++)
        {
            const int nExcess = LengthOf(arrSCBars[i], bHorz) - MinLengthOf(arrSCBars[i], bHorz);
            if (i < nSplit)
                m_nTrackPosMin -= nExcess;
            else
                m_nTrackPosMax += nExcess;
        }
    }
    else
    {
        // The row's width: down to the largest minimum of its bars, up to
        // what the frame's client area has left.
        int nMinWidth = MinWidthOf(this, bHorz);
        for (CSizingControlBar* pBar : arrSCBars)
            nMinWidth = std::max<int>(nMinWidth, MinWidthOf(pBar, bHorz));
        const int nExcessWidth = WidthOf(this, bHorz) - nMinWidth;
        CRect rcFree(0, 0, 0, 0);
        if (pSite != nullptr)
            pSite->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rcFree, nullptr, TRUE);
        const int nMaxRoom = (bHorz ? rcFree.Height() : rcFree.Width()) - 2;
        if (m_htEdge == HTLEFT || m_htEdge == HTTOP)
        {
            m_nTrackPosMin -= nMaxRoom;
            m_nTrackPosMax += nExcessWidth;
        }
        else
        {
            m_nTrackPosMin -= nExcessWidth;
            m_nTrackPosMax += nMaxRoom;
        }
    }
    ToggleTrackerLine();
}

void CSizingControlBar::TrackResize(CPoint point)
{
    const BOOL bHorzTracking = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    int nTrackPos = bHorzTracking ? point.x : point.y;
    nTrackPos = std::max(m_nTrackPosMin, std::min(m_nTrackPosMax, nTrackPos));
    const int nDelta = nTrackPos - m_nTrackPosOld;
    if (nDelta == 0)
        return;
    ToggleTrackerLine(); // erase
    m_nTrackPosOld = nTrackPos;

    const BOOL bHorz = IsHorzDocked();
    CSCBArray arrSCBars;
    int nThis;
    GetRowSizingBars(arrSCBars, nThis);
    if (!IsSideTracking())
    {
        // The outer edge: every bar of the row takes the new width.
        const int nNewWidth = WidthOf(this, bHorz) + ((m_htEdge == HTTOP || m_htEdge == HTLEFT) ? -nDelta : nDelta);
        for (CSizingControlBar* pBar : arrSCBars)
            WidthOf(pBar, bHorz) = nNewWidth;
    }
    else if (nThis >= 0)
    {
        // One bar grows by the distance; its neighbours on the other side
        // give it up, the nearest first, none below its minimum.
        BOOL bBefore = m_htEdge == HTTOP || m_htEdge == HTLEFT;
        int nGrowing = nThis;
        if (bBefore && nDelta > 0)
        {
            nGrowing = nThis - 1;
            bBefore = FALSE;
        }
        else if (!bBefore && nDelta < 0)
        {
            nGrowing = nThis + 1;
            bBefore = TRUE;
        }
        if (nGrowing >= 0 && nGrowing < (int)arrSCBars.size())
        {
            int nRemaining = abs(nDelta);
            LengthOf(arrSCBars[nGrowing], bHorz) += nRemaining;
            const int nStep = bBefore ? -1 : 1;
            for (int i = nGrowing + nStep; i >= 0 && i < (int)arrSCBars.size() && nRemaining > 0; i += nStep)
            {
                LONG& nLength = LengthOf(arrSCBars[i], bHorz);
                const int nGive = std::min<int>(nRemaining, nLength - MinLengthOf(arrSCBars[i], bHorz));
                if (nGive <= 0)
                    continue;
                nLength -= nGive;
                nRemaining -= nGive;
            }
        }
    }
    ToggleTrackerLine(); // draw
    if (m_bDragShowContent && GetSite() != nullptr)
        GetSite()->DelayRecalcLayout();
}

void CSizingControlBar::EndResizeTrack()
{
    ToggleTrackerLine(); // erase
    m_bTracking = FALSE;
    // The capture may have gone to another window meanwhile: that window
    // keeps it.
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (GetSite() != nullptr)
        GetSite()->DelayRecalcLayout();
}

void CSizingControlBar::ToggleTrackerLine()
{
    CFrameWnd* pSite = GetSite();
    if (m_bDragShowContent || pSite == nullptr)
        return;
    const BOOL bHorzTracking = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    CRect rcBar, rcEdge;
    GetWindowRect(rcBar);
    if (!GetEdgeRect(rcBar, m_htEdge, rcEdge))
        return;
    if (!IsSideTracking() && m_pDockBar != nullptr)
    {
        // The outer edge's line runs across the whole dock bar.
        CRect rcDock;
        m_pDockBar->GetWindowRect(rcDock);
        if (bHorzTracking)
        {
            rcEdge.top = rcDock.top + 1;
            rcEdge.bottom = rcDock.bottom - 1;
        }
        else
        {
            rcEdge.left = rcDock.left + 1;
            rcEdge.right = rcDock.right - 1;
        }
    }
    const int nOfs = m_nTrackPosOld - m_nTrackEdgeOfs -
                     (bHorzTracking ? rcEdge.CenterPoint().x : rcEdge.CenterPoint().y);
    rcEdge.OffsetRect(bHorzTracking ? nOfs : 0, bHorzTracking ? 0 : nOfs);
    CRect rcFrame;
    pSite->GetWindowRect(rcFrame);
    rcEdge.OffsetRect(-rcFrame.left, -rcFrame.top);

    CScopedDC dc = CScopedDC::OfWindowEx(pSite->m_hWnd, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (dc.Get() == nullptr)
        return;
    CScopedSelect selectBrush(dc, CDC::GetHalftoneBrush());
    ::PatBlt(dc, rcEdge.left, rcEdge.top, rcEdge.Width(), rcEdge.Height(), PATINVERT);
}
