#include "framework/ui/CDockBar.h"

#include "framework/gdi/CPaintDC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

BEGIN_MESSAGE_MAP(CDockBar, CControlBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating)
{
    m_bDockBar = TRUE;
    m_arrBars.Add(nullptr);
}

BOOL CDockBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    CFrameWnd* pFrame = pParentWnd ? DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd) : nullptr;
    m_pDockSite = pFrame;
    AfxEndDeferRegisterClass();
    const DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD;
    if (!CWnd::CreateEx(0, AFX_WNDCONTROLBAR, nullptr, dwWndStyle, 0, 0, 0, 0, AfxGetSafeHwnd(pParentWnd),
                        (HMENU)(UINT_PTR)nID))
        return FALSE;
    if (m_pDockSite != nullptr && !m_bFloating)
        m_pDockSite->AddControlBar(this);
    return TRUE;
}

int CDockBar::FindBar(CControlBar* pBar) const
{
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        if (m_arrBars[i] == pBar)
            return (int)i;
    }
    return -1;
}

int CDockBar::GetDockedCount() const
{
    int n = 0;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        if (m_arrBars[i] != nullptr)
            n++;
    }
    return n;
}

int CDockBar::GetDockedVisibleCount() const
{
    int n = 0;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = (CControlBar*)m_arrBars[i];
        if (pBar != nullptr && pBar->IsVisible())
            n++;
    }
    return n;
}

void CDockBar::GetBarPosition(CControlBar* pBar, int& nRow, int& nIndex) const
{
    nRow = -1;
    nIndex = -1;
    int row = 0, index = 0;
    for (INT_PTR i = 1; i < m_arrBars.GetSize(); i++)
    {
        if (m_arrBars[i] == nullptr)
        {
            row++;
            index = 0;
            continue;
        }
        if (m_arrBars[i] == pBar)
        {
            nRow = row;
            nIndex = index;
            return;
        }
        index++;
    }
}

void CDockBar::RemoveEmptyRows()
{
    // [null, a, null, null, b, null] -> [null, a, null, b, null]
    for (INT_PTR i = m_arrBars.GetSize() - 1; i > 0; i--)
    {
        if (m_arrBars[i] == nullptr && m_arrBars[i - 1] == nullptr)
            m_arrBars.RemoveAt(i);
    }
    if (m_arrBars.GetSize() == 0 || m_arrBars[0] != nullptr)
        m_arrBars.InsertAt(0, nullptr);
}

BOOL CDockBar::RemoveControlBar(CControlBar* pBar)
{
    const int i = FindBar(pBar);
    if (i < 0)
        return FALSE;
    m_arrBars.RemoveAt(i);
    RemoveEmptyRows();
    if (pBar->m_pDockBar == this)
        pBar->m_pDockBar = nullptr;
    return TRUE;
}

namespace {

void AdoptBar(CDockBar* pDock, CControlBar* pBar)
{
    if (pBar->m_pDockBar != nullptr && pBar->m_pDockBar != pDock)
        pBar->m_pDockBar->RemoveControlBar(pBar);
    else if (pBar->m_pDockBar == pDock)
        pDock->RemoveControlBar(pBar);
    if (pBar->GetParent() == nullptr || pBar->GetParent()->m_hWnd != pDock->m_hWnd)
        ::SetParent(pBar->m_hWnd, pDock->m_hWnd);
    pBar->m_pDockBar = pDock;
    DWORD dwStyle = pBar->m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_FLOATING);
    dwStyle |= pDock->m_dwStyle & CBRS_ALIGN_ANY;
    if (pDock->m_bFloating)
        dwStyle |= CBRS_FLOATING;
    pBar->SetBarStyle(dwStyle);
}

} // namespace

void CDockBar::DockControlBar(CControlBar* pBar, LPCRECT lpRect)
{
    AdoptBar(this, pBar);
    // Ends with a null entry; a new row appends "bar, null".
    if (m_arrBars[m_arrBars.GetSize() - 1] != nullptr)
        m_arrBars.Add(nullptr);

    INT_PTR nInsert = -1;
    if (lpRect != nullptr && !m_bFloating)
    {
        // The row the dropped rectangle's centre falls in, by the bars' places.
        const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
        const CPoint ptCenter((lpRect->left + lpRect->right) / 2, (lpRect->top + lpRect->bottom) / 2);
        INT_PTR iRowStart = 1;
        for (INT_PTR i = 1; i < m_arrBars.GetSize(); i++)
        {
            if (m_arrBars[i] != nullptr)
                continue;
            // Row [iRowStart, i)
            int lo = INT_MAX, hi = INT_MIN;
            for (INT_PTR j = iRowStart; j < i; j++)
            {
                CRect r;
                ((CControlBar*)m_arrBars[j])->GetWindowRect(r);
                lo = std::min<int>(lo, bHorz ? r.top : r.left);
                hi = std::max<int>(hi, bHorz ? r.bottom : r.right);
            }
            const int c = bHorz ? ptCenter.y : ptCenter.x;
            if (lo <= hi && c >= lo && c < hi)
            {
                // Within the row, before the first bar that starts after the centre.
                nInsert = i;
                for (INT_PTR j = iRowStart; j < i; j++)
                {
                    CRect r;
                    ((CControlBar*)m_arrBars[j])->GetWindowRect(r);
                    if ((bHorz ? r.left : r.top) > (bHorz ? lpRect->left : lpRect->top))
                    {
                        nInsert = j;
                        break;
                    }
                }
                break;
            }
            if (lo <= hi && c < lo)
            {
                // Before this row: a row of its own.
                m_arrBars.InsertAt(iRowStart, nullptr);
                nInsert = iRowStart;
                break;
            }
            iRowStart = i + 1;
        }
    }
    if (nInsert < 0)
    {
        m_arrBars.Add(pBar);
        m_arrBars.Add(nullptr);
    }
    else
    {
        m_arrBars.InsertAt(nInsert, pBar);
    }
    RemoveEmptyRows();
    pBar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CDockBar::DockControlBarInRow(CControlBar* pBar, int nRow)
{
    AdoptBar(this, pBar);
    if (m_arrBars[m_arrBars.GetSize() - 1] != nullptr)
        m_arrBars.Add(nullptr);
    int row = 0;
    INT_PTR i = 1;
    for (; i < m_arrBars.GetSize(); i++)
    {
        if (m_arrBars[i] == nullptr)
        {
            if (row == nRow)
                break;
            row++;
        }
    }
    if (i >= m_arrBars.GetSize())
    {
        m_arrBars.Add(pBar);
        m_arrBars.Add(nullptr);
    }
    else
    {
        m_arrBars.InsertAt(i, pBar);
    }
    RemoveEmptyRows();
    pBar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

CSize CDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    // Rows across the edge; bars side by side within a row.
    if (m_bFloating)
        bHorz = TRUE;
    int nAcross = 0;   // sum of row thicknesses
    int nAlongMax = 0; // longest row
    int nAlong = 0, nThick = 0;
    for (INT_PTR i = 1; i < m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = (CControlBar*)m_arrBars[i];
        if (pBar == nullptr)
        {
            nAcross += nThick;
            nAlongMax = std::max(nAlongMax, nAlong);
            nAlong = 0;
            nThick = 0;
            continue;
        }
        if (!pBar->IsVisible())
            continue;
        const CSize size = pBar->CalcFixedLayout(FALSE, bHorz);
        CRect rect = bHorz ? CRect(CPoint(nAlong, nAcross), size) : CRect(CPoint(nAcross, nAlong), size);
        CRect rectOld;
        pBar->GetWindowRect(rectOld);
        ScreenToClient(rectOld);
        if (rectOld != rect)
            pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        nAlong += bHorz ? size.cx : size.cy;
        nThick = std::max<int>(nThick, bHorz ? size.cy : size.cx);
    }
    nAcross += nThick;
    nAlongMax = std::max(nAlongMax, nAlong);
    if (bHorz)
        return CSize(bStretch ? 32767 : nAlongMax, nAcross);
    return CSize(nAcross, bStretch ? 32767 : nAlongMax);
}

void CDockBar::OnUpdateCmdUI(CFrameWnd* /*pTarget*/, BOOL /*bDisableIfNoHndler*/)
{
}

void CDockBar::OnPaint()
{
    CPaintDC dc(this);
}

BOOL CDockBar::OnEraseBkgnd(CDC* pDC)
{
    CRect rect;
    GetClientRect(rect);
    pDC->FillSolidRect(rect, ::GetSysColor(COLOR_BTNFACE));
    return TRUE;
}
