// The small frame a floating control bar lives in: a tool window with a
// caption owned by the bar's frame, holding a floating dock bar (id
// AFX_IDW_DOCKBAR_FLOAT) with the bar in it. Closing it hides the bar;
// dragging its caption drags the bar (it docks where it is dropped over an
// edge of its frame); double-clicking its caption docks the bar again.
#pragma once

#include "framework/ui/CDockBar.h"
#include "framework/ui/CFrameWnd.h"

// Mini-frame styles, kept in the low word of the frame's window style.
#define FWS_SNAPTOPARENT  0x00000002L  // sized to what it holds
#define MFS_SYNCACTIVE    0x00000100L  // caption drawn active while its frame is active
#define MFS_4THICKFRAME   0x00000200L  // sized at its sides, not at its corners
#define MFS_THICKFRAME    0x00000400L  // sizable border
#define MFS_MOVEFRAME     0x00000800L  // moved by its border
#define MFS_BLOCKSYSMENU  0x00001000L  // no system menu from the caption

class CMiniDockFrameWnd : public CFrameWnd
{
    DECLARE_DYNCREATE(CMiniDockFrameWnd)
public:
    CMiniDockFrameWnd();

    virtual BOOL Create(CWnd* pParent, DWORD dwBarStyle);
    void RecalcLayout(BOOL bNotify = TRUE) override;
    CControlBar* GetFirstBar() const;

    void OnClose();
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    LRESULT OnNcHitTest(CPoint point);
    BOOL OnNcActivate(BOOL bActive);
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);

    CDockBar m_wndDockBar;

protected:
    // The window (dwStyle: WS_ and MFS_ styles; a thick MFS_ frame gets a
    // sizing border) and its floating dock bar, aligned for the bar's style.
    // FALSE (and nothing left) when either cannot be made.
    BOOL CreateMiniFrame(CWnd* pParent, DWORD dwStyle, DWORD dwBarStyle);

    DECLARE_MESSAGE_MAP()
};
