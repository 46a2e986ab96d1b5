// The look every toolbar of the program shares: the bar's frame is painted
// flat in the button face colour with the gripper, and drop-down arrows
// survive a change of system settings.
#pragma once

#include "framework/ui/CToolBar.h"

class CQlcToolBar : public CToolBar
{
    DECLARE_DYNAMIC(CQlcToolBar)
public:
    CQlcToolBar() {}

    void OnNcPaint();
    void OnSettingChange(UINT uFlags, LPCSTR lpszSection);

protected:
    DECLARE_MESSAGE_MAP()
};
