// A view larger than its window: the total size of what it shows, and
// scroll bars that appear only while the window is smaller than that. The
// drawing surface is shifted by the scroll position in OnPrepareDC, so
// OnDraw draws in the view's own coordinates.
#pragma once

#include "framework/docview/CView.h"
#include "framework/gdi/CPoint.h"
#include "framework/gdi/CSize.h"

class CScrollView : public CView
{
    DECLARE_DYNAMIC(CScrollView)
public:
    CScrollView();

    // A page or line of 0 x 0 (the default) is a tenth of the total (page)
    // or a tenth of a page (line). Sizes are logical units of nMapMode.
    static const SIZE sizeDefault;
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);

    // Logical position of the window's top-left corner, and in pixels.
    CPoint GetScrollPosition() const;
    CPoint GetDeviceScrollPosition() const;
    // Scrolls so that the logical point is at the top-left (within range).
    void ScrollToPosition(POINT pt);
    CSize GetTotalSize() const { return m_totalLog; }
    int GetMapMode() const { return m_nMapMode; }

    void OnPrepareDC(CDC* pDC) override;

    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);

protected:
    // Shows or hides each bar for the client size (without bars) and sets
    // its range, page and position.
    void UpdateBars();
    // Moves to device position (x, y), clamped, scrolling the window.
    void ScrollToDevicePosition(int x, int y);
    BOOL OnScrollBy(int nBar, int nDelta);
    void OnScroll(int nBar, UINT nSBCode);
    CSize LogicalToDevice(SIZE size) const;

    int m_nMapMode;
    CSize m_totalLog;
    CSize m_totalDev;
    CSize m_pageDev;
    CSize m_lineDev;
    BOOL m_bInsideUpdate;

    DECLARE_MESSAGE_MAP()
};
