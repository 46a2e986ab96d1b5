// The floating frame of a sizing bar. It is made with a caption, which it
// drops at its first change of place once it holds a sizing bar: from then
// on the bar's own gripper or caption is the only handle, and the frame is
// a sizing border around the bar whose size becomes the bar's floating size.
#pragma once

#include "framework/ui/CMiniDockFrameWnd.h"

class CSizingControlBar;

class CSCBMiniDockFrameWnd : public CMiniDockFrameWnd
{
    DECLARE_DYNCREATE(CSCBMiniDockFrameWnd)
public:
    BOOL Create(CWnd* pParent, DWORD dwBarStyle) override;
    // The sizing bar it holds (the first child of its first child), or null.
    CSizingControlBar* GetSizingBar() const;

    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);

protected:
    DECLARE_MESSAGE_MAP()
};
