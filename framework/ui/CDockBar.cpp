#include "framework/ui/CDockBar.h"

#include "framework/gdi/CPaintDC.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

BEGIN_MESSAGE_MAP(CDockBar, CControlBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
END_MESSAGE_MAP()

namespace {

// Neighbouring bars and rows share this many pixels (their borders).
const int kOverlap = 2;

} // namespace

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating), m_bLayoutQuery(FALSE)
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

CControlBar* CDockBar::GetDockedBar(INT_PTR i) const
{
    void* pEntry = m_arrBars[i];
    if (pEntry == nullptr || IsPlaceHolder(pEntry))
        return nullptr;
    return (CControlBar*)pEntry;
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

int CDockBar::FindPlaceHolder(UINT nBarID) const
{
    if (nBarID == 0 || nBarID >= 0x10000)
        return -1;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        if (m_arrBars[i] == (void*)(UINT_PTR)nBarID)
            return (int)i;
    }
    return -1;
}

BOOL CDockBar::RemovePlaceHolder(UINT nBarID)
{
    const int i = FindPlaceHolder(nBarID);
    if (i < 0)
        return FALSE;
    m_arrBars.RemoveAt(i);
    RemoveEmptyRows();
    return TRUE;
}

int CDockBar::GetDockedCount() const
{
    int n = 0;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        if (GetDockedBar(i) != nullptr)
            n++;
    }
    return n;
}

int CDockBar::GetDockedVisibleCount() const
{
    int n = 0;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = GetDockedBar(i);
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
        if (!IsPlaceHolder(m_arrBars[i]))
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

BOOL CDockBar::RemoveControlBar(CControlBar* pBar, BOOL bAddPlaceHolder)
{
    const int i = FindBar(pBar);
    if (i < 0)
        return FALSE;
    const UINT nID = pBar->m_hWnd != nullptr ? (UINT)pBar->GetDlgCtrlID() : 0;
    if (bAddPlaceHolder && nID != 0 && nID < 0x10000)
    {
        RemovePlaceHolder(nID);
        m_arrBars[FindBar(pBar)] = (void*)(UINT_PTR)nID;
    }
    else
    {
        m_arrBars.RemoveAt(i);
    }
    RemoveEmptyRows();
    if (pBar->m_pDockBar == this)
        pBar->m_pDockBar = nullptr;
    return TRUE;
}

namespace {

void AdoptBar(CDockBar* pDock, CControlBar* pBar)
{
    CDockBar* pOld = pBar->m_pDockBar;
    if (pOld != nullptr)
    {
        // A docked bar that goes floating keeps its place in its row.
        const BOOL bKeepPlace = pOld != pDock && pDock->m_bFloating && !pOld->m_bFloating;
        pOld->RemoveControlBar(pBar, bKeepPlace);
    }
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

    const UINT nID = (UINT)pBar->GetDlgCtrlID();
    INT_PTR nInsert = -1;
    if (lpRect == nullptr)
    {
        // Back to where it was before it floated.
        const int nPlace = FindPlaceHolder(nID);
        if (nPlace > 0)
        {
            m_arrBars[nPlace] = pBar;
            RemoveEmptyRows();
            pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            return;
        }
    }
    RemovePlaceHolder(nID);
    if (m_arrBars[m_arrBars.GetSize() - 1] != nullptr)
        m_arrBars.Add(nullptr);

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
                CControlBar* pRowBar = GetDockedBar(j);
                if (pRowBar == nullptr || !pRowBar->IsVisible())
                    continue;
                CRect r;
                pRowBar->GetWindowRect(r);
                lo = std::min<int>(lo, bHorz ? r.top : r.left);
                hi = std::max<int>(hi, bHorz ? r.bottom : r.right);
            }
            const int c = bHorz ? ptCenter.y : ptCenter.x;
            if (lo <= hi && c >= lo && c < hi)
            {
                // Within the row, before the first bar that starts after the drop.
                nInsert = i;
                for (INT_PTR j = iRowStart; j < i; j++)
                {
                    CControlBar* pRowBar = GetDockedBar(j);
                    if (pRowBar == nullptr || !pRowBar->IsVisible())
                        continue;
                    CRect r;
                    pRowBar->GetWindowRect(r);
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
    RemovePlaceHolder((UINT)pBar->GetDlgCtrlID());
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

LRESULT CDockBar::OnSizeParent(WPARAM wParam, LPARAM lParam)
{
    // The bars of this holder measure themselves against what is left here.
    AFX_SIZEPARENTPARAMS* lpLayout = (AFX_SIZEPARENTPARAMS*)lParam;
    m_rectLayout = lpLayout->rect;
    m_bLayoutQuery = lpLayout->hDWP == nullptr;
    const LRESULT lResult = CControlBar::OnSizeParent(wParam, lParam);
    m_bLayoutQuery = FALSE;
    return lResult;
}

CSize CDockBar::BarLayoutSize(CControlBar* pBar, BOOL bHorz)
{
    if (m_bFloating)
        return pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
    if (pBar->m_dwStyle & CBRS_SIZE_DYNAMIC)
        return pBar->CalcDynamicLayout(-1, bHorz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
    return pBar->CalcFixedLayout(FALSE, bHorz);
}

CSize CDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    if (m_bFloating)
        bHorz = TRUE;

    // The sizes first. Measuring a bar may split its row (a row too short
    // for its bars): the measuring starts over then, a bounded number of times.
    std::vector<std::pair<CControlBar*, CSize>> sizes;
    const int nMaxPasses = (int)m_arrBars.GetSize() + 2;
    for (int nPass = 0;; nPass++)
    {
        sizes.clear();
        BOOL bRestart = FALSE;
        for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
        {
            CControlBar* pBar = GetDockedBar(i);
            if (pBar == nullptr || !pBar->IsVisible())
                continue;
            const INT_PTR nCount = m_arrBars.GetSize();
            sizes.push_back({ pBar, BarLayoutSize(pBar, bHorz) });
            if (nPass < nMaxPasses && (m_arrBars.GetSize() != nCount || m_arrBars[i] != pBar))
            {
                bRestart = TRUE;
                break;
            }
        }
        if (!bRestart)
            break;
    }

    // Then the places, row by row.
    AFX_SIZEPARENTPARAMS layout = {};
    layout.hDWP = m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos((int)m_arrBars.GetSize());
    const int nAlongStart = -kOverlap;
    int nAlong = nAlongStart;
    int nAcross = m_bFloating ? -kOverlap : 0;
    int nRowThick = 0;
    int nAlongEnd = 0;
    for (INT_PTR i = 1; i < m_arrBars.GetSize(); i++)
    {
        if (m_arrBars[i] == nullptr)
        {
            if (nRowThick > 0)
                nAcross += nRowThick - kOverlap;
            nRowThick = 0;
            nAlong = nAlongStart;
            continue;
        }
        CControlBar* pBar = GetDockedBar(i);
        if (pBar == nullptr)
            continue;
        if (pBar->m_nStateFlags & (CControlBar::delayShow | CControlBar::delayHide))
            pBar->RecalcDelayShow(&layout);
        if (!pBar->IsVisible())
            continue;
        CSize size(0, 0);
        auto it = std::find_if(sizes.begin(), sizes.end(),
                               [pBar](const std::pair<CControlBar*, CSize>& s) { return s.first == pBar; });
        size = it != sizes.end() ? it->second : BarLayoutSize(pBar, bHorz);
        const CRect rect = bHorz ? CRect(CPoint(nAlong, nAcross), size) : CRect(CPoint(nAcross, nAlong), size);
        if (!m_bLayoutQuery)
        {
            CRect rectOld;
            pBar->GetWindowRect(rectOld);
            ScreenToClient(rectOld);
            // A moved bar is drawn anew, with the controls on it: bits
            // copied from where it was may hold a neighbour shown there.
            if (rectOld != rect)
                pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS);
        }
        const int nLength = bHorz ? size.cx : size.cy;
        nAlongEnd = std::max(nAlongEnd, nAlong + nLength);
        nAlong += nLength - kOverlap;
        nRowThick = std::max<int>(nRowThick, bHorz ? size.cy : size.cx);
    }
    if (nRowThick > 0)
        nAcross += nRowThick - kOverlap;
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);

    if (m_bFloating)
        return CSize(std::max(0, nAlongEnd - kOverlap), std::max(0, nAcross));
    const int nThick = std::max(0, nAcross);
    const int nLength = bStretch ? 32767 : std::max(0, nAlongEnd);
    return bHorz ? CSize(nLength, nThick) : CSize(nThick, nLength);
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
