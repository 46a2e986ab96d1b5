#include "widgets/CQlcToolBar.h"

#include "framework/gdi/CWindowDC.h"

IMPLEMENT_DYNAMIC(CQlcToolBar, CToolBar)

BEGIN_MESSAGE_MAP(CQlcToolBar, CToolBar)
    ON_WM_NCPAINT()
    ON_WM_ERASEBKGND()
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

void CQlcToolBar::DoPaint(CDC* pDC)
{
    CRect rect;
    GetClientRect(rect);
    DrawBorders(pDC, rect);
    pDC->FillSolidRect(rect, ::GetSysColor(COLOR_BTNFACE));
    CRect rectGripper = GetGripperRect();
    if (!rectGripper.IsRectEmpty())
    {
        // From window to client coordinates.
        CRect rectWindow;
        GetWindowRect(rectWindow);
        CPoint ptClient(0, 0);
        ClientToScreen(&ptClient);
        rectGripper.OffsetRect(rectWindow.left - ptClient.x, rectWindow.top - ptClient.y);
        DrawGripper(pDC, rectGripper);
    }
}

BOOL CQlcToolBar::OnEraseBkgnd(CDC* pDC)
{
    // The controls on the bar (the Formatting bar's lists) do not paint
    // again after it: they are left out.
    const int nSaved = pDC->SaveDC();
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (!::IsWindowVisible(hChild))
            continue;
        CRect rectChild;
        ::GetWindowRect(hChild, rectChild);
        ScreenToClient(rectChild);
        pDC->ExcludeClipRect(rectChild);
    }
    DoPaint(pDC);
    pDC->RestoreDC(nSaved);
    return TRUE;
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
