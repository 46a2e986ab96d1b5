#include "widgets/CQlcToolBar.h"

#include "framework/gdi/CWindowDC.h"

IMPLEMENT_DYNAMIC(CQlcToolBar, CToolBar)

BEGIN_MESSAGE_MAP(CQlcToolBar, CToolBar)
    ON_WM_NCPAINT()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

void CQlcToolBar::OnNcPaint()
{
    CRect rectWindow;
    GetWindowRect(rectWindow);
    CRect rectClient;
    GetClientRect(rectClient);
    ClientToScreen(rectClient);
    rectClient.OffsetRect(-rectWindow.left, -rectWindow.top);
    rectWindow.OffsetRect(-rectWindow.left, -rectWindow.top);

    CWindowDC dc(this);
    dc.ExcludeClipRect(rectClient);
    CRect rectBorders = rectWindow;
    DrawBorders(&dc, rectBorders);
    SendMessage(WM_ERASEBKGND, (WPARAM)dc.GetSafeHdc());
    dc.FillSolidRect(rectWindow, ::GetSysColor(COLOR_BTNFACE));
    const CRect rectGripper = GetGripperRect();
    if (!rectGripper.IsRectEmpty())
        DrawGripper(&dc, rectGripper);
}

void CQlcToolBar::OnSettingChange(UINT uFlags, LPCSTR lpszSection)
{
    // The control forgets how to draw its drop-down arrows when the system
    // settings change: the style is taken off now and put back afterwards.
    const DWORD dwExStyle = (DWORD)SendMessage(TB_GETEXTENDEDSTYLE);
    if (dwExStyle & TBSTYLE_EX_DRAWDDARROWS)
    {
        SendMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle & ~TBSTYLE_EX_DRAWDDARROWS);
        PostMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle);
    }
    CToolBar::OnSettingChange(uFlags, lpszSection);
}
