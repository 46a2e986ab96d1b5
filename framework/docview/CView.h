// A view: the window that shows a document inside a frame. It joins its
// document's view list when created (from the creation context), routes
// commands to itself then its document, becomes the frame's active view when
// clicked, and deletes itself when its window goes.
#pragma once

#include "framework/ui/CWnd.h"

class CDocument;
class CFrameWnd;

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
    DECLARE_MESSAGE_MAP()
    friend class CDocument;
};
