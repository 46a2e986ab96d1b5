#include "framework/ui/CMiniDockFrameWnd.h"

#include "framework/ui/CDockContext.h"

IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_MOUSEACTIVATE()
    ON_MESSAGE(WM_EXITSIZEMOVE, OnExitSizeMove)
END_MESSAGE_MAP()

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE)
{
}

BOOL CMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    LPCSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                           (HBRUSH)(COLOR_BTNFACE + 1), nullptr);
    if (!CWnd::CreateEx(WS_EX_TOOLWINDOW, lpszClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                        0, 0, 0, 0, AfxGetSafeHwnd(pParent), nullptr))
        return FALSE;
    const DWORD dwAlign = (dwBarStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP;
    if (!m_wndDockBar.Create(this, WS_CHILD | WS_VISIBLE | dwAlign, AFX_IDW_DOCKBAR_FLOAT))
    {
        DestroyWindow();
        return FALSE;
    }
    m_wndDockBar.m_pDockSite = DYNAMIC_DOWNCAST(CFrameWnd, pParent);
    m_wndDockBar.SetOwner(pParent);
    return TRUE;
}

CControlBar* CMiniDockFrameWnd::GetFirstBar() const
{
    for (INT_PTR i = 0; i < m_wndDockBar.m_arrBars.GetSize(); i++)
    {
        if (m_wndDockBar.m_arrBars[i] != nullptr)
            return (CControlBar*)m_wndDockBar.m_arrBars[i];
    }
    return nullptr;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL /*bNotify*/)
{
    if (m_hWnd == nullptr || m_wndDockBar.m_hWnd == nullptr)
        return;
    const CSize size = m_wndDockBar.CalcFixedLayout(FALSE, TRUE);
    m_wndDockBar.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    CRect rect(0, 0, size.cx, size.cy);
    ::AdjustWindowRectEx(rect, GetStyle(), FALSE, GetExStyle());
    SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (CControlBar* pBar = GetFirstBar())
    {
        CString strTitle;
        pBar->GetWindowText(strTitle);
        SetWindowText(strTitle);
    }
}

void CMiniDockFrameWnd::OnClose()
{
    // Closing hides the bars; the frame stays for the next show.
    CFrameWnd* pSite = m_wndDockBar.m_pDockSite;
    for (INT_PTR i = 0; i < m_wndDockBar.m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = (CControlBar*)m_wndDockBar.m_arrBars[i];
        if (pBar != nullptr && pSite != nullptr)
            pSite->ShowControlBar(pBar, FALSE, FALSE);
    }
    ShowWindow(SW_HIDE);
}

void CMiniDockFrameWnd::OnNcLButtonDblClk(UINT nHitTest, CPoint point)
{
    CControlBar* pBar = GetFirstBar();
    if (nHitTest == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr)
    {
        pBar->m_pDockContext->ToggleDocking(); // may destroy this frame
        return;
    }
    CFrameWnd::OnNcLButtonDblClk(nHitTest, point);
}

LRESULT CMiniDockFrameWnd::OnExitSizeMove(WPARAM, LPARAM)
{
    // Moved over an edge of its frame: dock there.
    CControlBar* pBar = GetFirstBar();
    CFrameWnd* pSite = m_wndDockBar.m_pDockSite;
    if (pBar == nullptr || pSite == nullptr)
        return 0;
    CRect rect;
    GetWindowRect(rect);
    CDockBar* pDockBar = nullptr;
    if (pSite->CanDock(rect, pBar->m_dwDockStyle, &pDockBar) != 0)
        pSite->DockControlBar(pBar, pDockBar, rect); // may destroy this frame
    return 0;
}

int CMiniDockFrameWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    // Clicking a floating bar's buttons leaves the main window active.
    if (nHitTest == HTCLIENT)
        return MA_NOACTIVATE;
    return CFrameWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}
