// A static splitter: a fixed grid of panes (views), each created, deleted and
// replaced through the splitter, with draggable bars between them. Panes are
// children with ids AFX_IDW_PANE_FIRST + row * 16 + column. A pane may be
// missing for a while (between deleting one view and creating the next):
// layout skips it. Commands and notifications of the panes' controls that
// nobody in the splitter handles go on to the parent frame.
#pragma once

#include "framework/ui/CWnd.h"

#include <vector>

struct CCreateContext;
class CRuntimeClass;

class CSplitterWnd : public CWnd
{
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    CSplitterWnd();

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // Creates a view of the class in an empty pane; sizeInit is its ideal
    // width (column) and height (row). FALSE when the pane is taken or the
    // view cannot be made.
    virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext);
    // Destroys the pane's window (nothing happens for an empty pane). When it
    // was the frame's active view, another pane's view becomes active.
    virtual void DeleteView(int row, int col);
    // Sets every pane's place; empty panes are left out.
    virtual void RecalcLayout();

    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol) const;
    int GetRowCount() const { return (int)m_rows.size(); }
    int GetColumnCount() const { return (int)m_cols.size(); }

    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    // The bar between column col and col + 1, in client coordinates.
    CRect GetColumnBarRect(int col) const;

    // --- Handlers ----------------------------------------------------------------
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnCancelMode();
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    int m_cxSplitter;   // width of a bar between columns
    int m_cySplitter;   // height of a bar between rows

protected:
    struct CRowColInfo
    {
        int nMinSize = 0;
        int nIdealSize = 0;
        int nCurSize = 0;
    };
    // Sizes of a run of rows or columns within nTotal pixels: every one but
    // the last its ideal size (none below its minimum, none beyond the
    // space), the last what is left.
    static void LayoutRowCol(std::vector<CRowColInfo>& infos, int nTotal, int nSplitter);
    // The column whose bar lies under the point, or -1.
    int HitTestColumnBar(CPoint point) const;
    void StopTracking();

    std::vector<CRowColInfo> m_rows;
    std::vector<CRowColInfo> m_cols;
    int m_nTrackCol;      // column whose right bar is being dragged, or -1
    int m_nTrackOffset;   // where in the bar it was taken

    DECLARE_MESSAGE_MAP()
};
