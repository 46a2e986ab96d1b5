// A view: the window that shows a document inside a frame. It joins its
// document's view list when created (from the creation context), routes
// commands to itself then its document, becomes the frame's active view when
// clicked, and deletes itself when its window goes.
#pragma once

#include "framework/ui/CWnd.h"

class CDocument;
class CFrameWnd;
class CPrintInfo;

class CView : public CWnd
{
    DECLARE_DYNCREATE(CView)
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    // Draws the document; a plain view draws nothing.
    virtual void OnDraw(CDC* pDC);
    virtual void OnPrepareDC(CDC* pDC);
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd);

    // --- Printing -----------------------------------------------------------------------
    // Print and preview run these hooks; a view that prints overrides them
    // and maps File > Print (and Print Direct) and Print Preview to
    // OnFilePrint, OnFilePrintDirect and OnFilePrintPreview.
    // Sets the page range, then DoPreparePrinting. FALSE ends the run quietly
    // (cancelled, or the user was already told why).
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    // The print dialog (or, for preview and direct printing, the chosen or
    // default printer) gives the printer's device context. FALSE: none.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    // Once per run, before the first page (preview: when it opens).
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Whether page m_nCurPage exists: clears m_bContinuePrinting when not.
    // By default a document of unknown length has one page.
    virtual void OnPreparePrintDC(CDC* pDC, CPrintInfo* pInfo);
    // Draws page m_nCurPage into m_rectDraw; by default OnDraw.
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    // Once per run, after the last page (preview: when it closes).
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // The preview window closes; by default OnEndPrinting.
    virtual void OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo);
    // The pages of the run onto a prepared printer device context: TRUE when
    // the printer took the whole document.
    BOOL PrintDocument(CDC* pDC, CPrintInfo* pInfo);
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnPaint();
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    LRESULT OnInitialUpdateMsg(WPARAM wParam, LPARAM lParam);

    CDocument* m_pDocument;

protected:
    void RunPrint(BOOL bDirect);

    DECLARE_MESSAGE_MAP()
    friend class CDocument;
};
