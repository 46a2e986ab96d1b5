#include "widgets/CSCBDockContext.h"

#include "framework/ui/CControlBar.h"

namespace {

// Moves the rectangle just enough to hold the point.
void MoveToContain(CRect& rect, CPoint pt)
{
    int dx = 0, dy = 0;
    if (pt.x < rect.left)
        dx = pt.x - rect.left;
    else if (pt.x >= rect.right)
        dx = pt.x - rect.right + 1;
    if (pt.y < rect.top)
        dy = pt.y - rect.top;
    else if (pt.y >= rect.bottom)
        dy = pt.y - rect.bottom + 1;
    rect.OffsetRect(dx, dy);
}

} // namespace

void CSCBDockContext::StartDrag(CPoint pt)
{
    InitLoop();
    if (m_pDockSite == nullptr)
        return;
    m_bDragging = TRUE;

    CRect rect;
    m_pBar->GetWindowRect(rect);
    const CPoint ptOrigin = rect.TopLeft();
    m_rectDragHorz = CRect(ptOrigin, m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_HORZDOCK));
    m_rectDragVert = CRect(ptOrigin, m_pBar->CalcDynamicLayout(0, LM_VERTDOCK));
    // The floating frame: the bar's floating size (whose outer 2 pixels
    // the frame hides) in a sizing border.
    CRect rectFrame(ptOrigin, m_pBar->CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH));
    ::AdjustWindowRectEx(rectFrame, WS_THICKFRAME, FALSE, WS_EX_TOOLWINDOW);
    rectFrame.DeflateRect(2, 2);
    m_rectFrameDragHorz = rectFrame;
    m_rectFrameDragVert = rectFrame;

    MoveToContain(m_rectDragHorz, pt);
    MoveToContain(m_rectDragVert, pt);
    MoveToContain(m_rectFrameDragHorz, pt);
    MoveToContain(m_rectFrameDragVert, pt);

    m_ptStart = m_ptLast = pt;
    Move(pt);
    Track();
}
