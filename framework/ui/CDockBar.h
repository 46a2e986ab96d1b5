// The holder of the docked bars along one edge of a frame (or inside a
// floating frame). Its list keeps the bars in rows: a null entry ends a row
// (index 0 is always null).
#pragma once

#include "framework/ui/CControlBar.h"
#include "framework/base/CPtrArray.h"

class CDockBar : public CControlBar
{
    DECLARE_DYNAMIC(CDockBar)
public:
    explicit CDockBar(BOOL bFloating = FALSE);

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);
    // Puts the bar into this holder: into the row under lpRect (client
    // coordinates of the frame, screen for a floating holder) or a new last row.
    void DockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    // Puts the bar at the end of row nRow (0-based; new rows as needed).
    void DockControlBarInRow(CControlBar* pBar, int nRow);
    BOOL RemoveControlBar(CControlBar* pBar);
    int FindBar(CControlBar* pBar) const;
    int GetDockedCount() const;
    int GetDockedVisibleCount() const;
    // Row of the bar (0-based) and its place in the row, or -1.
    void GetBarPosition(CControlBar* pBar, int& nRow, int& nIndex) const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);

    CPtrArray m_arrBars;
    BOOL m_bFloating;

protected:
    void RemoveEmptyRows();
    DECLARE_MESSAGE_MAP()
};
