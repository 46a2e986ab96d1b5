#include "framework/ui/CDockContext.h"

#include "framework/gdi/CScopedDC.h"
#include "framework/ui/CControlBar.h"
#include "framework/ui/CDockBar.h"

#include <cstdlib>

CDockContext::CDockContext(CControlBar* pBar)
    : m_pBar(pBar), m_pDockSite(pBar->m_pDockSite), m_uMRUDockID(0), m_ptMRUFloatPos(CW_USEDEFAULT, CW_USEDEFAULT),
      m_bDragging(FALSE)
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

void CDockContext::StartDrag(CPoint pt)
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr)
        return;
    CRect rectStart;
    m_pBar->GetWindowRect(rectStart);
    const CPoint ptOffset(pt.x - rectStart.left, pt.y - rectStart.top);
    CRect rectNow = rectStart;

    m_bDragging = TRUE;
    m_pBar->SetCapture();
    DrawDragRect(rectNow);
    BOOL bCancel = FALSE;
    BOOL bMoved = FALSE;
    MSG msg;
    while (::GetCapture() == m_pBar->m_hWnd && ::GetMessageA(&msg, nullptr, 0, 0))
    {
        if (msg.message == WM_MOUSEMOVE)
        {
            POINT ptCursor;
            ::GetCursorPos(&ptCursor);
            if (abs(ptCursor.x - pt.x) > 3 || abs(ptCursor.y - pt.y) > 3)
                bMoved = TRUE;
            DrawDragRect(rectNow);
            rectNow = CRect(CPoint(ptCursor.x - ptOffset.x, ptCursor.y - ptOffset.y), rectStart.Size());
            DrawDragRect(rectNow);
            continue;
        }
        if (msg.message == WM_LBUTTONUP)
            break;
        if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_RBUTTONDOWN ||
            msg.message == WM_CANCELMODE)
        {
            bCancel = TRUE;
            break;
        }
        ::DispatchMessageA(&msg);
    }
    DrawDragRect(rectNow);
    ::ReleaseCapture();
    m_bDragging = FALSE;
    if (bCancel || !bMoved)
        return;

    CDockBar* pDockBar = nullptr;
    if (m_pDockSite->CanDock(rectNow, m_pBar->m_dwDockStyle, &pDockBar) != 0)
    {
        m_uMRUDockID = (UINT)pDockBar->GetDlgCtrlID();
        m_pDockSite->DockControlBar(m_pBar, pDockBar, rectNow);
    }
    else
    {
        m_ptMRUFloatPos = rectNow.TopLeft();
        m_pDockSite->FloatControlBar(m_pBar, rectNow.TopLeft(), m_pBar->m_dwStyle & CBRS_ALIGN_ANY);
    }
}

void CDockContext::ToggleDocking()
{
    if (m_pDockSite == nullptr)
        m_pDockSite = m_pBar->m_pDockSite;
    if (m_pDockSite == nullptr)
        return;
    if (m_pBar->IsFloating())
    {
        m_pDockSite->DockControlBar(m_pBar, m_uMRUDockID);
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
    m_pDockSite->FloatControlBar(m_pBar, pt, m_pBar->m_dwStyle & CBRS_ALIGN_ANY);
}
