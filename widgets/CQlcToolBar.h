// The look every toolbar of the program shares: the bar is painted flat in
// the button face colour with the gripper, and drop-down arrows survive a
// change of system settings.
#pragma once

#include "framework/ui/CToolBar.h"

class CQlcToolBar : public CToolBar
{
    DECLARE_DYNAMIC(CQlcToolBar)
public:
    CQlcToolBar() {}

    // Paints the bar behind its buttons: borders, the button face over the
    // client rectangle, then the gripper where it lies (a docked bar keeps
    // it beside the client area).
    virtual void DoPaint(CDC* pDC);

    void OnNcPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSettingChange(UINT uFlags, LPCSTR lpszSection);

protected:
    DECLARE_MESSAGE_MAP()
};
