// The small frame a floating control bar lives in: a tool window with a
// caption owned by the bar's frame. Closing it hides the bar; double-clicking
// its caption docks the bar again; moving it over a frame edge docks it.
#pragma once

#include "framework/ui/CDockBar.h"
#include "framework/ui/CFrameWnd.h"

class CMiniDockFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMiniDockFrameWnd)
public:
    CMiniDockFrameWnd();

    virtual BOOL Create(CWnd* pParent, DWORD dwBarStyle);
    void RecalcLayout(BOOL bNotify = TRUE) override;
    CControlBar* GetFirstBar() const;

    void OnClose();
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    LRESULT OnExitSizeMove(WPARAM wParam, LPARAM lParam);
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);

    CDockBar m_wndDockBar;

protected:
    DECLARE_MESSAGE_MAP()
};
