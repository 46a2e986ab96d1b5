#include "framework/ui/CMiniDockFrameWnd.h"

#include "framework/ui/CDockContext.h"

IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_NCHITTEST()
    ON_WM_NCACTIVATE()
    ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE)
{
}

BOOL CMiniDockFrameWnd::Create(CWnd* pParent, DWORD dwBarStyle)
{
    return CreateMiniFrame(pParent, WS_CAPTION | WS_SYSMENU | MFS_SYNCACTIVE, dwBarStyle);
}

BOOL CMiniDockFrameWnd::CreateMiniFrame(CWnd* pParent, DWORD dwStyle, DWORD dwBarStyle)
{
    LPCSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                           (HBRUSH)(COLOR_BTNFACE + 1), nullptr);
    DWORD dwWndStyle = dwStyle | WS_POPUP | WS_CLIPCHILDREN;
    if (dwStyle & (MFS_4THICKFRAME | MFS_THICKFRAME))
        dwWndStyle |= WS_THICKFRAME;
    if (!CWnd::CreateEx(WS_EX_TOOLWINDOW, lpszClass, "", dwWndStyle, 0, 0, 0, 0, AfxGetSafeHwnd(pParent), nullptr))
        return FALSE;
    const DWORD dwAlign = (dwBarStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP;
    if (!m_wndDockBar.Create(this, WS_CHILD | WS_VISIBLE | dwAlign | (dwBarStyle & CBRS_FLOAT_MULTI),
                             AFX_IDW_DOCKBAR_FLOAT))
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
        if (CControlBar* pBar = m_wndDockBar.GetDockedBar(i))
            return pBar;
    }
    return nullptr;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL /*bNotify*/)
{
    if (m_hWnd == nullptr || m_wndDockBar.m_hWnd == nullptr || m_bInRecalcLayout)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~(idleLayout | idleNotify);
    const CSize size = m_wndDockBar.CalcFixedLayout(FALSE, TRUE);
    m_wndDockBar.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    CRect rect(0, 0, size.cx, size.cy);
    ::AdjustWindowRectEx(rect, GetStyle(), FALSE, GetExStyle());
    SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (CControlBar* pBar = GetFirstBar())
    {
        CString strTitle, strOld;
        pBar->GetWindowText(strTitle);
        GetWindowText(strOld);
        if (strOld != strTitle)
            SetWindowText(strTitle);
    }
    m_bInRecalcLayout = FALSE;
}

void CMiniDockFrameWnd::OnClose()
{
    // Closing hides the bars; the frame stays for the next show.
    CFrameWnd* pSite = m_wndDockBar.m_pDockSite;
    for (INT_PTR i = 0; i < m_wndDockBar.m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = m_wndDockBar.GetDockedBar(i);
        if (pBar != nullptr && pSite != nullptr)
            pSite->ShowControlBar(pBar, FALSE, FALSE);
    }
    ShowWindow(SW_HIDE);
}

void CMiniDockFrameWnd::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    // The caption drags the bar, which may dock it (and end this frame).
    CControlBar* pBar = GetFirstBar();
    if (nHitTest == HTCAPTION && pBar != nullptr && pBar->m_pDockContext != nullptr)
    {
        pBar->m_pDockContext->StartDrag(point);
        return;
    }
    CFrameWnd::OnNcLButtonDown(nHitTest, point);
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

LRESULT CMiniDockFrameWnd::OnNcHitTest(CPoint point)
{
    const LRESULT nHit = CFrameWnd::OnNcHitTest(point);
    if (!(GetStyle() & MFS_4THICKFRAME))
        return nHit;
    switch (nHit)
    {
    case HTTOPLEFT:
    case HTTOPRIGHT:
        return HTTOP;
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
        return HTBOTTOM;
    default:
        return nHit;
    }
}

BOOL CMiniDockFrameWnd::OnNcActivate(BOOL bActive)
{
    // The caption looks active while the frame it belongs to is.
    if ((GetStyle() & MFS_SYNCACTIVE) && m_wndDockBar.m_pDockSite != nullptr)
    {
        HWND hSite = ::GetAncestor(m_wndDockBar.m_pDockSite->m_hWnd, GA_ROOT);
        bActive = bActive || (hSite != nullptr && ::GetActiveWindow() == hSite);
    }
    return (BOOL)DefWindowProc(WM_NCACTIVATE, (WPARAM)bActive, 0);
}

int CMiniDockFrameWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    // Clicking a floating bar's buttons leaves the main window active.
    if (nHitTest == HTCLIENT)
        return MA_NOACTIVATE;
    return CFrameWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
}
