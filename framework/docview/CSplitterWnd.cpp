#include "framework/docview/CSplitterWnd.h"

#include "framework/docview/CCreateContext.h"
#include "framework/gdi/CDC.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/gdi/CPaintDC.h"
#include "framework/docview/CView.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CANCELMODE()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() : m_cxSplitter(5), m_cySplitter(5), m_nTrackCol(-1), m_nTrackOffset(0)
{
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (pParentWnd == nullptr || nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16)
        return FALSE;
    m_rows.assign((size_t)nRows, CRowColInfo());
    m_cols.assign((size_t)nCols, CRowColInfo());
    CRect rect;
    pParentWnd->GetClientRect(rect);
    // Panes paint themselves; the splitter only paints its bars.
    return CWnd::CreateEx(0, nullptr, nullptr, dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    if (m_hWnd == nullptr || row < 0 || col < 0 || row >= GetRowCount() || col >= GetColumnCount())
        return nullptr;
    HWND hWnd = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
    return hWnd ? FromHandlePermanent(hWnd) : nullptr;
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr || ::GetParent(pWnd->m_hWnd) != m_hWnd)
        return FALSE;
    const int nID = pWnd->GetDlgCtrlID() - AFX_IDW_PANE_FIRST;
    const int row = nID / 16;
    const int col = nID % 16;
    if (nID < 0 || row >= GetRowCount() || col >= GetColumnCount())
        return FALSE;
    if (pRow != nullptr)
        *pRow = row;
    if (pCol != nullptr)
        *pCol = col;
    return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext)
{
    if (m_hWnd == nullptr || pViewClass == nullptr || row < 0 || col < 0 || row >= GetRowCount() ||
        col >= GetColumnCount())
        return FALSE;
    if (GetPane(row, col) != nullptr)
    {
        TRACE("CSplitterWnd::CreateView: the pane is taken.\n");
        return FALSE;
    }
    m_cols[(size_t)col].nIdealSize = sizeInit.cx;
    m_rows[(size_t)row].nIdealSize = sizeInit.cy;

    CObject* pObject = pViewClass->CreateObject();
    CWnd* pWnd = pObject ? DYNAMIC_DOWNCAST(CWnd, pObject) : nullptr;
    if (pWnd == nullptr)
    {
        delete pObject;
        return FALSE;
    }
    // A view that fails to create deletes itself.
    const CRect rect(0, 0, sizeInit.cx, sizeInit.cy);
    if (!pWnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rect, this, (UINT)IdFromRowCol(row, col),
                      pContext))
        return FALSE;
    // In its place at once, whether or not the splitter changes size later.
    RecalcLayout();
    return TRUE;
}

void CSplitterWnd::DeleteView(int row, int col)
{
    CWnd* pPane = GetPane(row, col);
    if (pPane == nullptr)
        return;
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame != nullptr && pFrame->GetActiveView() == pPane)
    {
        // Another pane's view takes over, so routing keeps a view.
        CView* pOther = nullptr;
        for (int r = 0; r < GetRowCount() && pOther == nullptr; r++)
        {
            for (int c = 0; c < GetColumnCount() && pOther == nullptr; c++)
            {
                CWnd* pWnd = GetPane(r, c);
                if (pWnd != nullptr && pWnd != pPane && pWnd->IsKindOf(RUNTIME_CLASS(CView)))
                    pOther = static_cast<CView*>(pWnd);
            }
        }
        pFrame->SetActiveView(pOther, FALSE);
    }
    pPane->DestroyWindow();
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    m_cols[(size_t)col].nIdealSize = cxIdeal;
    m_cols[(size_t)col].nMinSize = cxMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    cxCur = cxMin = 0;
    if (col < 0 || col >= GetColumnCount())
        return;
    cxCur = m_cols[(size_t)col].nCurSize;
    cxMin = m_cols[(size_t)col].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    if (row < 0 || row >= GetRowCount())
        return;
    m_rows[(size_t)row].nIdealSize = cyIdeal;
    m_rows[(size_t)row].nMinSize = cyMin;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    cyCur = cyMin = 0;
    if (row < 0 || row >= GetRowCount())
        return;
    cyCur = m_rows[(size_t)row].nCurSize;
    cyMin = m_rows[(size_t)row].nMinSize;
}

void CSplitterWnd::LayoutRowCol(std::vector<CRowColInfo>& infos, int nTotal, int nSplitter)
{
    int nLeft = std::max(0, nTotal);
    for (size_t i = 0; i < infos.size(); i++)
    {
        CRowColInfo& info = infos[i];
        if (i + 1 == infos.size())
        {
            info.nCurSize = nLeft;
            break;
        }
        int nSize = std::max(info.nIdealSize, info.nMinSize);
        nSize = std::max(0, std::min(nSize, nLeft - nSplitter));
        info.nCurSize = nSize;
        nLeft = std::max(0, nLeft - nSize - nSplitter);
    }
}

void CSplitterWnd::RecalcLayout()
{
    if (m_hWnd == nullptr || m_rows.empty() || m_cols.empty())
        return;
    CRect rcClient;
    GetClientRect(rcClient);
    LayoutRowCol(m_cols, rcClient.Width(), m_cxSplitter);
    LayoutRowCol(m_rows, rcClient.Height(), m_cySplitter);

    HDWP hDWP = ::BeginDeferWindowPos(GetRowCount() * GetColumnCount());
    int y = 0;
    for (int row = 0; row < GetRowCount(); row++)
    {
        const int cy = m_rows[(size_t)row].nCurSize;
        int x = 0;
        for (int col = 0; col < GetColumnCount(); col++)
        {
            const int cx = m_cols[(size_t)col].nCurSize;
            CWnd* pPane = GetPane(row, col);
            if (pPane != nullptr && hDWP != nullptr)
                hDWP = ::DeferWindowPos(hDWP, pPane->m_hWnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
            else if (pPane != nullptr)
                ::SetWindowPos(pPane->m_hWnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
            x += cx + m_cxSplitter;
        }
        y += cy + m_cySplitter;
    }
    if (hDWP != nullptr)
        ::EndDeferWindowPos(hDWP);
    Invalidate(FALSE);
}

CRect CSplitterWnd::GetColumnBarRect(int col) const
{
    CRect rcClient;
    GetClientRect(rcClient);
    int x = 0;
    for (int c = 0; c <= col && c < GetColumnCount(); c++)
        x += m_cols[(size_t)c].nCurSize + (c < col ? m_cxSplitter : 0);
    return CRect(x, 0, x + m_cxSplitter, rcClient.bottom);
}

int CSplitterWnd::HitTestColumnBar(CPoint point) const
{
    for (int col = 0; col + 1 < GetColumnCount(); col++)
    {
        if (GetColumnBarRect(col).PtInRect(point))
            return col;
    }
    return -1;
}

void CSplitterWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

BOOL CSplitterWnd::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE; // OnPaint covers everything the panes do not
}

void CSplitterWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(rcClient);
    // The bars (and any empty pane) in the face colour; the panes clip out.
    dc.FillSolidRect(rcClient, ::GetSysColor(COLOR_3DFACE));
    for (int col = 0; col + 1 < GetColumnCount(); col++)
    {
        CRect rcBar = GetColumnBarRect(col);
        dc.Draw3dRect(rcBar, ::GetSysColor(COLOR_3DHILIGHT), ::GetSysColor(COLOR_3DSHADOW));
    }
}

BOOL CSplitterWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd == this && nHitTest == HTCLIENT)
    {
        CPoint pt;
        ::GetCursorPos(&pt);
        ScreenToClient(&pt);
        if (m_nTrackCol >= 0 || HitTestColumnBar(pt) >= 0)
        {
            ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE));
            return TRUE;
        }
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CSplitterWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int col = HitTestColumnBar(point);
    if (col < 0)
    {
        CWnd::OnLButtonDown(nFlags, point);
        return;
    }
    m_nTrackCol = col;
    m_nTrackOffset = point.x - GetColumnBarRect(col).left;
    SetCapture();
}

void CSplitterWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_nTrackCol < 0)
    {
        CWnd::OnMouseMove(nFlags, point);
        return;
    }
    // The column takes what lies between its left edge and the bar.
    int xLeft = 0;
    for (int c = 0; c < m_nTrackCol; c++)
        xLeft += m_cols[(size_t)c].nCurSize + m_cxSplitter;
    CRect rcClient;
    GetClientRect(rcClient);
    const int nMax = std::max(0, (int)rcClient.right - xLeft - m_cxSplitter);
    const int nSize = std::max(0, std::min((int)point.x - m_nTrackOffset - xLeft, nMax));
    if (nSize != m_cols[(size_t)m_nTrackCol].nCurSize)
    {
        m_cols[(size_t)m_nTrackCol].nIdealSize = nSize;
        RecalcLayout();
        UpdateWindow();
    }
}

void CSplitterWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_nTrackCol < 0)
    {
        CWnd::OnLButtonUp(nFlags, point);
        return;
    }
    StopTracking();
}

void CSplitterWnd::OnCancelMode()
{
    StopTracking();
    CWnd::OnCancelMode();
}

void CSplitterWnd::StopTracking()
{
    if (m_nTrackCol < 0)
        return;
    m_nTrackCol = -1;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

BOOL CSplitterWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    // Control commands nobody here wanted belong to the frame.
    HWND hWndParent = ::GetParent(m_hWnd);
    return hWndParent != nullptr && ::SendMessageA(hWndParent, WM_COMMAND, wParam, lParam) != 0;
}

BOOL CSplitterWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CWnd::OnNotify(wParam, lParam, pResult))
        return TRUE;
    HWND hWndParent = ::GetParent(m_hWnd);
    if (hWndParent == nullptr)
        return FALSE;
    *pResult = ::SendMessageA(hWndParent, WM_NOTIFY, wParam, lParam);
    return TRUE;
}
