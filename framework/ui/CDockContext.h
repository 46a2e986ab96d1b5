// Dragging a control bar by its gripper: a rectangle follows the mouse and
// the bar docks to the frame edge under it, or floats where it was dropped.
// Double-clicking the gripper (or a floating bar's caption) toggles.
#pragma once

#include "framework/gdi/CRect.h"

class CControlBar;
class CFrameWnd;

class CDockContext
{
public:
    explicit CDockContext(CControlBar* pBar);
    virtual ~CDockContext() {}

    virtual void StartDrag(CPoint pt);   // screen coordinates
    virtual void ToggleDocking();

    CControlBar* m_pBar;
    CFrameWnd* m_pDockSite;
    UINT m_uMRUDockID;       // where the bar docked last
    CPoint m_ptMRUFloatPos;  // where it floated last
    BOOL m_bDragging;

protected:
    void DrawDragRect(const CRect& rect);
};
