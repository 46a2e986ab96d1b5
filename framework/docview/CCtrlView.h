// A view that is a control of a system window class: the control paints
// itself (the view's drawing is not used) and the view's class is the
// control's.
#pragma once

#include "framework/docview/CView.h"

class CCtrlView : public CView
{
    DECLARE_DYNAMIC(CCtrlView)
public:
    CCtrlView(LPCSTR lpszClass, DWORD dwStyle);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnDraw(CDC* pDC) override;
    void OnPaint();

    CString m_strClass;
    DWORD m_dwDefaultStyle;

protected:
    DECLARE_MESSAGE_MAP()
};
