// Dragging a control bar by its gripper: a rectangle follows the mouse, in
// the shape the bar would have docked at the edge under it (horizontal or
// vertical) or floating in a frame of its own, and the bar docks or floats
// where it is dropped. Escape, the right button or the loss of the capture
// cancel; Ctrl held keeps it floating. Double-clicking the gripper (or a
// floating bar's caption) toggles between docked and floating.
//
// A derived context that computes its own rectangles sets the loop up with
// InitLoop, fills the four rectangles, and runs Move and Track as StartDrag
// does.
#pragma once

#include "framework/gdi/CRect.h"

class CControlBar;
class CDockBar;
class CFrameWnd;

class CDockContext
{
public:
    explicit CDockContext(CControlBar* pBar);
    virtual ~CDockContext() {}

    virtual void StartDrag(CPoint pt);   // screen coordinates
    virtual void ToggleDocking();

    // --- The drag loop ---------------------------------------------------------
    // Resets the loop's state before the rectangles are set.
    void InitLoop();
    // Moves the rectangles with the mouse (screen point) and redraws.
    void Move(CPoint pt);
    // Runs until the drop (TRUE) or a cancel (FALSE), then docks or floats.
    BOOL Track();
    void EndDrag();
    void CancelLoop();
    // The edge (a CBRS_ALIGN_ style) the rectangles are over now; 0: none.
    DWORD CanDock();
    CDockBar* GetDockBar(DWORD dwOverDockStyle) const;
    // The rectangle the drop would give the bar.
    CRect GetDropRect() const;

    CControlBar* m_pBar;
    CFrameWnd* m_pDockSite;
    UINT m_uMRUDockID;       // where the bar docked last
    CPoint m_ptMRUFloatPos;  // where it floated last
    BOOL m_bDragging;

    // Loop state.
    DWORD m_dwDockStyle;      // edges the bar may dock to
    DWORD m_dwOverDockStyle;  // edge under the rectangles now (0: floating)
    BOOL m_bForceFrame;       // Ctrl held: float
    BOOL m_bMoved;            // the mouse left the drag threshold
    CPoint m_ptStart;
    CPoint m_ptLast;
    CRect m_rectLast;         // the outline on screen (empty: none)
    // Docked horizontally, docked vertically, floating frame (horizontal and
    // vertical bars), all in screen coordinates.
    CRect m_rectDragHorz;
    CRect m_rectDragVert;
    CRect m_rectFrameDragHorz;
    CRect m_rectFrameDragVert;

protected:
    void DrawDragRect(const CRect& rect);
    void DrawFocusRect(BOOL bRemoveRect = FALSE);
};
