#include "framework/ui/CDockContext.h"

#include "framework/gdi/CScopedDC.h"
#include "framework/ui/CControlBar.h"
#include "framework/ui/CDockBar.h"

#include <cstdlib>
#include <windowsx.h>

namespace {

UINT DockBarIdOf(DWORD dwAlign)
{
    if (dwAlign & CBRS_ALIGN_TOP)
        return AFX_IDW_DOCKBAR_TOP;
    if (dwAlign & CBRS_ALIGN_BOTTOM)
        return AFX_IDW_DOCKBAR_BOTTOM;
    if (dwAlign & CBRS_ALIGN_LEFT)
        return AFX_IDW_DOCKBAR_LEFT;
    if (dwAlign & CBRS_ALIGN_RIGHT)
        return AFX_IDW_DOCKBAR_RIGHT;
    return 0;
}

DWORD AlignOf(UINT nDockBarID)
{
    switch (nDockBarID)
    {
    case AFX_IDW_DOCKBAR_TOP: return CBRS_ALIGN_TOP;
    case AFX_IDW_DOCKBAR_BOTTOM: return CBRS_ALIGN_BOTTOM;
    case AFX_IDW_DOCKBAR_LEFT: return CBRS_ALIGN_LEFT;
    case AFX_IDW_DOCKBAR_RIGHT: return CBRS_ALIGN_RIGHT;
    default: return 0;
    }
}

} // namespace

CDockContext::CDockContext(CControlBar* pBar)
    : m_pBar(pBar), m_pDockSite(pBar->m_pDockSite), m_uMRUDockID(0), m_ptMRUFloatPos(CW_USEDEFAULT, CW_USEDEFAULT),
      m_bDragging(FALSE), m_dwDockStyle(0), m_dwOverDockStyle(0), m_bForceFrame(FALSE), m_bMoved(FALSE)
{
}

void CDockContext::DrawDragRect(const CRect& rect)
{
    CScopedDC dc = CScopedDC::OfWindowEx(nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (dc.Get() == nullptr)
        return;
    CRect r = rect;
    ::DrawFocusRect(dc, &r);
    r.DeflateRect(1, 1);
    ::DrawFocusRect(dc, &r);
}

void CDockContext::DrawFocusRect(BOOL bRemoveRect)
{
    // The outline is drawn by inversion: drawing it again erases it.
    if (!m_rectLast.IsRectEmpty())
        DrawDragRect(m_rectLast);
    m_rectLast.SetRectEmpty();
    if (bRemoveRect)
        return;
    m_rectLast = GetDropRect();
    DrawDragRect(m_rectLast);
}

void CDockContext::InitLoop()
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    m_dwDockStyle = m_pBar->m_dwDockStyle;
    m_dwOverDockStyle = 0;
    m_bForceFrame = FALSE;
    m_bMoved = FALSE;
    m_rectLast.SetRectEmpty();
    m_rectDragHorz.SetRectEmpty();
    m_rectDragVert.SetRectEmpty();
    m_rectFrameDragHorz.SetRectEmpty();
    m_rectFrameDragVert.SetRectEmpty();
}

CRect CDockContext::GetDropRect() const
{
    if (m_dwOverDockStyle & CBRS_ORIENT_HORZ)
        return m_rectDragHorz;
    if (m_dwOverDockStyle & CBRS_ORIENT_VERT)
        return m_rectDragVert;
    return (m_pBar->m_dwStyle & CBRS_ORIENT_VERT) && !(m_pBar->m_dwStyle & CBRS_FLOATING) ? m_rectFrameDragVert
                                                                                           : m_rectFrameDragHorz;
}

DWORD CDockContext::CanDock()
{
    if (m_bForceFrame || m_pDockSite == nullptr)
        return 0;
    UINT nID = m_pDockSite->CanDock(m_rectDragHorz, m_dwDockStyle & CBRS_ORIENT_HORZ);
    if (nID == 0)
        nID = m_pDockSite->CanDock(m_rectDragVert, m_dwDockStyle & CBRS_ORIENT_VERT);
    return AlignOf(nID);
}

CDockBar* CDockContext::GetDockBar(DWORD dwOverDockStyle) const
{
    const UINT nID = DockBarIdOf(dwOverDockStyle);
    return nID != 0 && m_pDockSite != nullptr ? m_pDockSite->GetDockBar(nID) : nullptr;
}

void CDockContext::Move(CPoint pt)
{
    const CPoint ptOffset(pt.x - m_ptLast.x, pt.y - m_ptLast.y);
    m_rectDragHorz.OffsetRect(ptOffset);
    m_rectDragVert.OffsetRect(ptOffset);
    m_rectFrameDragHorz.OffsetRect(ptOffset);
    m_rectFrameDragVert.OffsetRect(ptOffset);
    m_ptLast = pt;
    if (abs(pt.x - m_ptStart.x) > ::GetSystemMetrics(SM_CXDRAG) ||
        abs(pt.y - m_ptStart.y) > ::GetSystemMetrics(SM_CYDRAG))
        m_bMoved = TRUE;
    m_dwOverDockStyle = CanDock();
    DrawFocusRect();
}

void CDockContext::CancelLoop()
{
    DrawFocusRect(TRUE);
    // Only a capture this loop still holds is given up: another window's
    // must stay with it.
    if (::GetCapture() == m_pBar->m_hWnd)
        ::ReleaseCapture();
    m_bDragging = FALSE;
}

void CDockContext::EndDrag()
{
    CancelLoop();
    if (!m_bMoved || m_pDockSite == nullptr)
        return; // a click, not a drag
    const CRect rect = GetDropRect();
    if (m_dwOverDockStyle != 0)
    {
        CDockBar* pDockBar = GetDockBar(m_dwOverDockStyle);
        if (pDockBar != nullptr)
        {
            m_uMRUDockID = (UINT)pDockBar->GetDlgCtrlID();
            m_pDockSite->DockControlBar(m_pBar, pDockBar, rect);
            return;
        }
    }
    m_ptMRUFloatPos = rect.TopLeft();
    m_pDockSite->FloatControlBar(m_pBar, rect.TopLeft(), m_pBar->m_dwStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI));
}

BOOL CDockContext::Track()
{
    if (m_pBar->m_hWnd == nullptr)
        return FALSE;
    m_pBar->SetCapture();
    while (::GetCapture() == m_pBar->m_hWnd)
    {
        MSG msg;
        if (!::GetMessageA(&msg, nullptr, 0, 0))
        {
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        switch (msg.message)
        {
        case WM_LBUTTONUP:
            EndDrag(); // may destroy a floating frame
            return TRUE;
        case WM_MOUSEMOVE:
        {
            POINT pt = { GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam) };
            ::ClientToScreen(msg.hwnd, &pt);
            Move(pt);
            break;
        }
        case WM_RBUTTONDOWN:
        case WM_CANCELMODE:
            CancelLoop();
            return FALSE;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (msg.wParam == VK_ESCAPE)
            {
                CancelLoop();
                return FALSE;
            }
            if (msg.wParam == VK_CONTROL)
            {
                m_bForceFrame = msg.message == WM_KEYDOWN;
                Move(m_ptLast);
            }
            break;
        default:
            ::DispatchMessageA(&msg);
            break;
        }
    }
    CancelLoop();
    return FALSE;
}

void CDockContext::StartDrag(CPoint pt)
{
    InitLoop();
    if (m_pDockSite == nullptr)
        return;
    // A plain bar keeps its shape wherever it goes; floating, its frame's
    // borders come around it.
    CRect rect;
    m_pBar->GetWindowRect(rect);
    m_rectDragHorz = rect;
    m_rectDragVert = rect;
    CRect rectFrame = rect;
    if (m_pBar->IsFloating() && m_pBar->m_pDockBar->GetParent() != nullptr)
        m_pBar->m_pDockBar->GetParent()->GetWindowRect(rectFrame);
    else
        ::AdjustWindowRectEx(rectFrame, WS_POPUP | WS_CAPTION, FALSE, WS_EX_TOOLWINDOW);
    m_rectFrameDragHorz = rectFrame;
    m_rectFrameDragVert = rectFrame;
    m_ptStart = m_ptLast = pt;
    m_bDragging = TRUE;
    Move(pt);
    Track();
}

void CDockContext::ToggleDocking()
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr)
        return;
    if (m_pBar->IsFloating())
    {
        // Back to the edge it came from, at its place in its row.
        CDockBar* pDockBar = m_uMRUDockID != 0 ? m_pDockSite->GetDockBar(m_uMRUDockID) : nullptr;
        if (pDockBar != nullptr && (m_pBar->m_dwDockStyle & AlignOf(m_uMRUDockID)))
            m_pDockSite->DockControlBar(m_pBar, pDockBar, nullptr);
        else
            m_pDockSite->DockControlBar(m_pBar, (UINT)0, nullptr);
        return;
    }
    if (m_pBar->m_pDockBar != nullptr)
        m_uMRUDockID = (UINT)m_pBar->m_pDockBar->GetDlgCtrlID();
    CPoint pt = m_ptMRUFloatPos;
    if (pt.x == CW_USEDEFAULT)
    {
        CRect rect;
        m_pBar->GetWindowRect(rect);
        pt = CPoint(rect.left + 20, rect.top + 20);
    }
    m_pDockSite->FloatControlBar(m_pBar, pt, m_pBar->m_dwStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI));
}
