#include "widgets/CSCBMiniDockFrameWnd.h"

#include "widgets/CSizingControlBar.h"

#include "framework/ui/CMenu.h"

IMPLEMENT_DYNCREATE(CSCBMiniDockFrameWnd, CMiniDockFrameWnd)

BEGIN_MESSAGE_MAP(CSCBMiniDockFrameWnd, CMiniDockFrameWnd)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_NCLBUTTONDOWN()
END_MESSAGE_MAP()

BOOL CSCBMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    DWORD dwStyle = WS_CAPTION | WS_SYSMENU | MFS_4THICKFRAME | MFS_SYNCACTIVE | MFS_BLOCKSYSMENU | FWS_SNAPTOPARENT;
    if (!(dwBarStyle & CBRS_SIZE_DYNAMIC))
        dwStyle |= MFS_MOVEFRAME;
    if (!CreateMiniFrame(pParent, dwStyle, dwBarStyle))
        return FALSE;
    // Closing hides the bar: the menu says so.
    if (CMenu* pSysMenu = GetSystemMenu(FALSE))
    {
        CString strHide;
        if (strHide.LoadString(AFX_IDS_HIDE))
            pSysMenu->ModifyMenu(SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_CLOSE, strHide);
    }
    return TRUE;
}

CSizingControlBar* CSCBMiniDockFrameWnd::GetSizingBar() const
{
    HWND hDockBar = ::GetWindow(m_hWnd, GW_CHILD);
    HWND hBar = hDockBar != nullptr ? ::GetWindow(hDockBar, GW_CHILD) : nullptr;
    CWnd* pBar = hBar != nullptr ? CWnd::FromHandlePermanent(hBar) : nullptr;
    return pBar != nullptr ? DYNAMIC_DOWNCAST(CSizingControlBar, pBar) : nullptr;
}

void CSCBMiniDockFrameWnd::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    CSizingControlBar* pBar = GetSizingBar();
    if ((GetStyle() & MFS_4THICKFRAME) && pBar != nullptr)
    {
        // From now on a captionless border around the bar: this change keeps
        // the frame's size, and the frame is laid out again at idle time.
        lpwndpos->flags |= SWP_NOSIZE | SWP_FRAMECHANGED;
        m_wndDockBar.ModifyStyle(0, WS_CLIPCHILDREN);
        ModifyStyle(MFS_4THICKFRAME | WS_SYSMENU | WS_CAPTION, 0);
        DelayRecalcLayout();
        pBar->PostMessage(WM_NCPAINT);
    }
    CMiniDockFrameWnd::OnWindowPosChanging(lpwndpos);
}

void CSCBMiniDockFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    // Sized by its border: the bar's floating size follows (the dock bar
    // hides 2 pixels of the bar on every side).
    CSizingControlBar* pBar = GetSizingBar();
    if (!(GetStyle() & MFS_4THICKFRAME) && pBar != nullptr && (pBar->GetStyle() & WS_VISIBLE) &&
        cx + 4 >= pBar->m_szMinFloat.cx && cy + 4 >= pBar->m_szMinFloat.cy)
        pBar->m_szFloat = CSize(cx + 4, cy + 4);
    CMiniDockFrameWnd::OnSize(nType, cx, cy);
}

void CSCBMiniDockFrameWnd::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    CMiniDockFrameWnd::OnGetMinMaxInfo(lpMMI);
    CSizingControlBar* pBar = GetSizingBar();
    if (pBar == nullptr)
        return;
    CRect rect(0, 0, pBar->m_szMinFloat.cx - 4, pBar->m_szMinFloat.cy - 4);
    ::AdjustWindowRectEx(rect, WS_THICKFRAME, FALSE, WS_EX_TOOLWINDOW);
    lpMMI->ptMinTrackSize = CPoint(rect.Width(), rect.Height());
}

void CSCBMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    // Its border sizes it as any window's does; the caption (while it has
    // one) drags the bar.
    if (nHitTest == HTCAPTION || nHitTest == HTCLOSE || GetSizingBar() == nullptr)
        CMiniDockFrameWnd::OnNcLButtonDown(nHitTest, point);
    else
        CFrameWnd::OnNcLButtonDown(nHitTest, point);
}
