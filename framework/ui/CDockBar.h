// The holder of the docked bars along one edge of a frame (or inside a
// floating frame). Its list keeps the bars in rows: a null entry ends a row
// (index 0 is always null). A bar that left for a floating frame leaves a
// placeholder (its control id, a value below 0x10000) where it was, so that
// docking it again puts it back in its row.
//
// Layout: rows run along the edge, bars side by side in a row. Neighbours
// overlap by 2 pixels (their borders), the first bar of a row starts 2
// pixels before the holder's edge, and consecutive rows overlap by 2 pixels.
// A floating holder hides 2 pixels of its bars on every side.
#pragma once

#include "framework/ui/CControlBar.h"
#include "framework/base/CPtrArray.h"

class CDockBar : public CControlBar
{
    DECLARE_DYNAMIC(CDockBar)
public:
    explicit CDockBar(BOOL bFloating = FALSE);

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);
    // Puts the bar into this holder: into the row under lpRect (screen
    // coordinates) or, without a rectangle, at its placeholder or in a new
    // last row.
    void DockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    // Puts the bar at the end of row nRow (0-based; new rows as needed).
    void DockControlBarInRow(CControlBar* pBar, int nRow);
    // Takes the bar out; with bAddPlaceHolder its entry becomes its placeholder.
    BOOL RemoveControlBar(CControlBar* pBar, BOOL bAddPlaceHolder = FALSE);
    BOOL RemovePlaceHolder(UINT nBarID);
    int FindBar(CControlBar* pBar) const;
    int FindPlaceHolder(UINT nBarID) const;
    // The bar of entry i; null for a row end and for a placeholder.
    CControlBar* GetDockedBar(INT_PTR i) const;
    static BOOL IsPlaceHolder(void* pEntry) { return pEntry != nullptr && (UINT_PTR)pEntry < 0x10000; }
    int GetDockedCount() const;
    int GetDockedVisibleCount() const;
    // Row of the bar (0-based) and its place in the row, or -1.
    void GetBarPosition(CControlBar* pBar, int& nRow, int& nIndex) const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);

    CPtrArray m_arrBars;
    BOOL m_bFloating;
    // What the last layout pass of the frame left for this holder (empty
    // until the first pass), and whether that pass only measured.
    CRect m_rectLayout;
    BOOL m_bLayoutQuery;

protected:
    void RemoveEmptyRows();
    // The size a bar asks for in this holder.
    CSize BarLayoutSize(CControlBar* pBar, BOOL bHorz);
    DECLARE_MESSAGE_MAP()
};
