// A sizing bar with a gripper strip and a close button: the strip (at the
// left when docked along the top or bottom, else at the top) drags the bar;
// the button hides it through its frame.
#pragma once

#include "widgets/CSizingControlBar.h"

class CSizingControlBarG : public CSizingControlBar
{
    DECLARE_DYNAMIC(CSizingControlBarG)
public:
    CSizingControlBarG();

    // Whether the strip shows (always, floating too: the floating frame
    // has no caption of its own).
    virtual BOOL ShowsGripper() const { return TRUE; }

    void ComputeClientArea(CRect& rc, UINT nDockBarID) override;
    void PaintGripperArea(CDC* pDC, const CRect& rcClient) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // The close button in window coordinates (relative to the window's
    // top-left corner).
    CRect GetCloseRect() const { return CRect(m_ptClose, CSize(kCloseSize, kCloseSize)); }
    BOOL IsClosePushed() const { return m_bClosePushed; }
    BOOL IsCloseHot() const { return m_bCloseHot; }

    LRESULT OnNcHitTest(CPoint point);
    void OnNcLButtonUp(UINT nHitTest, CPoint point);

    static const int kGripperDepth = 12;
    static const int kCloseSize = 11;

protected:
    void PaintCloseButton(CDC* pDC);

    BOOL m_bClosePushed;
    BOOL m_bCloseHot;
    CPoint m_ptClose;

    DECLARE_MESSAGE_MAP()
};
