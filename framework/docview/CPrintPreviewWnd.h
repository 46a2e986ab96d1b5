// The print preview: a window over the program's main window that shows the
// view's pages as the printer would print them, one at a time, under a
// toolbar (Print, Next Page, Prev Page, One/Two Page, Close): one page at a
// time, or two side by side (the choice is the application's
// m_nNumPreviewPages, kept in its profile). The main window is disabled
// while it shows. Each page is drawn once, by the view's own printing hooks,
// into a metafile made for the printer, and played scaled to the window.
#pragma once

#include "framework/ui/CWnd.h"

#include <vector>

class CPrintInfo;
class CView;

class CPrintPreviewWnd : public CWnd
{
    DECLARE_DYNAMIC(CPrintPreviewWnd)
public:
    // Opens the preview of the view's pages; takes the print info (whose
    // print dialog holds the printer's device context). Null when the
    // preview cannot be shown: nothing stays open then.
    static CPrintPreviewWnd* Start(CView* pView, CPrintInfo* pInfo);

    UINT GetCurrentPage() const { return m_nPage; }
    // 1 or 2: the pages shown side by side.
    UINT GetPagesShown() const { return m_nPagesShown; }
    void SetPagesShown(UINT nPages);
    // The number of pages drawn so far (the shown one and the next).
    UINT GetPagesDrawn() const { return (UINT)m_pages.size(); }
    HENHMETAFILE GetPageMetafile(UINT nPage) const;
    HWND GetToolBar() const { return m_hWndToolBar; }
    // Shows a page when it exists; TRUE then.
    BOOL ShowPage(UINT nPage);
    // Closes the preview and gives the view its end of preview.
    void EndPreview();

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnPreviewPrint();
    void OnPreviewNext();
    void OnPreviewPrev();
    void OnPreviewClose();
    void OnPreviewNumPage();

protected:
    CPrintPreviewWnd(CView* pView, CPrintInfo* pInfo);
    ~CPrintPreviewWnd() override;
    void PostNcDestroy() override;

    // Draws the pages up to nPage that are not drawn yet; FALSE when nPage
    // does not exist.
    BOOL DrawPagesThrough(UINT nPage);
    void UpdateToolBar();
    void DrawPage(CDC* pDC, HENHMETAFILE hPage, const CRect& rcSlot);
    int GetToolBarHeight() const;
    static INT_PTR CALLBACK ToolBarProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

    CView* m_pView;
    HWND m_hWndView;          // to know whether the view is still there
    CPrintInfo* m_pInfo;
    std::vector<HENHMETAFILE> m_pages;
    UINT m_nLastPage;         // 0 while the last page is not known
    UINT m_nPage;
    UINT m_nPagesShown;
    HWND m_hWndToolBar;
    HWND m_hWndOwner;
    BOOL m_bBegun;
    BOOL m_bEnded;
    BOOL m_bPrintAfter;

    DECLARE_MESSAGE_MAP()
};
