#include "widgets/CProgressBar.h"

#include "framework/gdi/CClientDC.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CStatusBar.h"

IMPLEMENT_DYNAMIC(CProgressBar, CProgressCtrl)

BEGIN_MESSAGE_MAP(CProgressBar, CProgressCtrl)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

// The status bar of dialogs that keep their own (the find window's).
const int kDialogStatusBarId = 32813;
const UINT kBarId = 1;

} // namespace

CProgressBar::CProgressBar() : m_nSize(100), m_nPane(0), m_pStatusBar(nullptr)
{
}

CProgressBar::CProgressBar(LPCSTR lpszMessage, int nSize, int nMaxValue, BOOL bSmooth, int nPane, CStatusBar* pBar)
    : m_nSize(100), m_nPane(0), m_pStatusBar(nullptr)
{
    m_pStatusBar = FindStatusBar(pBar);
    Create(lpszMessage, nSize, nMaxValue, bSmooth, nPane);
}

CProgressBar::~CProgressBar()
{
    try
    {
        Clear();
        if (m_hWnd != nullptr)
            DestroyWindow();
    }
    catch (...)
    {
    }
}

CStatusBar* CProgressBar::FindStatusBar(CStatusBar* pBar) const
{
    if (pBar != nullptr)
        return pBar;
    CWnd* pMainWnd = AfxGetMainWnd();
    if (pMainWnd == nullptr || pMainWnd->m_hWnd == nullptr)
        return nullptr;
    if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pMainWnd))
    {
        CWnd* pMessageBar = pFrame->GetMessageBar();
        return pMessageBar != nullptr ? DYNAMIC_DOWNCAST(CStatusBar, pMessageBar) : nullptr;
    }
    CWnd* pWnd = pMainWnd->GetDescendantWindow(kDialogStatusBarId, TRUE);
    return pWnd != nullptr ? DYNAMIC_DOWNCAST(CStatusBar, pWnd) : nullptr;
}

BOOL CProgressBar::Create(LPCSTR lpszMessage, int nSize, int nMaxValue, BOOL bSmooth, int nPane)
{
    if (m_pStatusBar == nullptr || m_pStatusBar->m_hWnd == nullptr || m_hWnd != nullptr)
        return FALSE;
    if (nPane < 0 || nPane >= m_pStatusBar->GetCount())
        return FALSE;

    // Known before the window exists: its first paint lays it out.
    m_strMessage = lpszMessage ? lpszMessage : "";
    m_nSize = nSize;
    m_nPane = nPane;
    m_strPrevText = m_pStatusBar->GetPaneText(nPane);

    CRect rect;
    m_pStatusBar->GetItemRect(nPane, rect);
    rect.right -= 1;
    DWORD dwStyle = WS_CHILD | WS_VISIBLE;
    if (bSmooth)
        dwStyle |= PBS_SMOOTH;
    if (!CProgressCtrl::Create(dwStyle, rect, m_pStatusBar, kBarId))
        return FALSE;
    ModifyStyleEx(WS_EX_STATICEDGE, 0, SWP_FRAMECHANGED);

    SetRange(0, nMaxValue, 1);
    SetStep(1);
    Resize();
    return TRUE;
}

// ---------------------------------------------------------------------------
// Operations

BOOL CProgressBar::SetRange(int nLower, int nUpper, int nStep)
{
    if (m_hWnd == nullptr)
        return FALSE;
    SendMessage(PBM_SETRANGE32, (WPARAM)nLower, (LPARAM)nUpper);
    SendMessage(PBM_SETSTEP, (WPARAM)nStep);
    return TRUE;
}

int CProgressBar::SetPos(int nPos)
{
    if (m_hWnd == nullptr)
        return 0;
    ShowWindow(SW_SHOW);
    return CProgressCtrl::SetPos(nPos);
}

int CProgressBar::OffsetPos(int nPos)
{
    if (m_hWnd == nullptr)
        return 0;
    ShowWindow(SW_SHOW);
    return CProgressCtrl::OffsetPos(nPos);
}

int CProgressBar::SetStep(int nStep)
{
    if (m_hWnd == nullptr)
        return 0;
    ShowWindow(SW_SHOW);
    return CProgressCtrl::SetStep(nStep);
}

int CProgressBar::StepIt()
{
    if (m_hWnd == nullptr)
        return 0;
    ShowWindow(SW_SHOW);
    return CProgressCtrl::StepIt();
}

int CProgressBar::GetPos() const
{
    return m_hWnd != nullptr ? CProgressCtrl::GetPos() : 0;
}

COLORREF CProgressBar::SetBarColour(COLORREF clrBar)
{
    if (m_hWnd == nullptr)
        return CLR_DEFAULT;
    return SetBarColor(clrBar);
}

COLORREF CProgressBar::SetBkColour(COLORREF clrBk)
{
    if (m_hWnd == nullptr)
        return CLR_DEFAULT;
    return SetBkColor(clrBk);
}

void CProgressBar::SetText(LPCSTR lpszMessage)
{
    m_strMessage = lpszMessage ? lpszMessage : "";
    Resize();
}

void CProgressBar::SetSize(int nSize)
{
    m_nSize = nSize;
    Resize();
}

void CProgressBar::Clear()
{
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
        return;
    ShowWindow(SW_HIDE);
    if (m_pStatusBar == nullptr || m_pStatusBar->m_hWnd == nullptr || !::IsWindow(m_pStatusBar->m_hWnd))
        return;
    CString strText = m_strPrevText;
    if (m_nPane == 0)
        strText.LoadString(AFX_IDS_IDLEMESSAGE);
    m_pStatusBar->SetPaneText(m_nPane, strText, TRUE);
    m_pStatusBar->UpdateWindow();
}

// ---------------------------------------------------------------------------
// Layout

CRect CProgressBar::CalcBarRect(const CRect& rectPane, int cxMessage, int cxBlank, int nSize)
{
    CRect rect = rectPane;
    if (cxMessage > 0)
        rect.left += cxMessage + 4 * cxBlank;
    int cxLeft = rect.Width();
    if (cxLeft < 0)
        cxLeft = 0;
    rect.right -= cxLeft * (100 - nSize) / 100;
    if (rect.right < rect.left)
        rect.right = rect.left;
    const int cyInset = rect.Height() / 10;
    rect.top += cyInset;
    rect.bottom -= cyInset;
    rect.right -= 1;
    return rect;
}

void CProgressBar::Resize()
{
    if (m_hWnd == nullptr || m_pStatusBar == nullptr || m_pStatusBar->m_hWnd == nullptr)
        return;
    // The message stands in the pane before the bar (set only when it
    // changed: setting it repaints the bar, which lays it out again).
    if (IsWindowVisible() && m_pStatusBar->GetPaneText(m_nPane) != m_strMessage)
    {
        m_pStatusBar->SetPaneText(m_nPane, m_strMessage, TRUE);
        m_pStatusBar->UpdateWindow();
    }

    CSize sizeMessage(0, 0), sizeBlank(0, 0);
    {
        CClientDC dc(m_pStatusBar);
        HFONT hFont = (HFONT)m_pStatusBar->SendMessage(WM_GETFONT);
        CScopedSelect selectFont(dc.GetSafeHdc(), hFont);
        if (!m_strMessage.IsEmpty())
            sizeMessage = dc.GetTextExtent(m_strMessage);
        sizeBlank = dc.GetTextExtent(" ", 1);
    }
    CRect rectPane;
    m_pStatusBar->GetItemRect(m_nPane, rectPane);
    const CRect rect = CalcBarRect(rectPane, m_strMessage.IsEmpty() ? 0 : sizeMessage.cx, sizeBlank.cx, m_nSize);
    if (rect != m_rectLast)
    {
        MoveWindow(rect, TRUE);
        m_rectLast = rect;
    }
}

BOOL CProgressBar::OnEraseBkgnd(CDC* pDC)
{
    Resize();
    return CProgressCtrl::OnEraseBkgnd(pDC);
}
