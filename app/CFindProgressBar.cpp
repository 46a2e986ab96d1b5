#include "app/CFindProgressBar.h"

#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CStatusBar.h"

#include <algorithm>

CFindProgressBar::CFindProgressBar(LPCSTR lpszMessage, int nSize, int nMaxValue, BOOL bSmooth, int nPane,
                                   CStatusBar* pBar)
    : m_nSize(nSize), m_nPane(nPane), m_strMessage(lpszMessage), m_pStatusBar(pBar)
{
    if (m_pStatusBar == nullptr || m_pStatusBar->m_hWnd == nullptr)
        return;
    if (!Create(WS_CHILD | WS_VISIBLE | (bSmooth ? PBS_SMOOTH : 0), CRect(0, 0, 0, 0), m_pStatusBar, 1))
        return;
    SetRange(0, nMaxValue, 1);
    m_strPrevText = m_pStatusBar->GetPaneText(m_nPane);
    Resize();
}

CFindProgressBar::~CFindProgressBar()
{
    Clear();
    if (m_hWnd != nullptr)
        DestroyWindow();
}

BOOL CFindProgressBar::SetRange(int nLower, int nUpper, int nStep)
{
    if (m_hWnd == nullptr)
        return FALSE;
    SetRange32(nLower, nUpper);
    SetStep(nStep);
    return TRUE;
}

int CFindProgressBar::SetPos(int nPos)
{
    if (m_hWnd == nullptr)
        return 0;
    ShowWindow(SW_SHOWNA);
    return CProgressCtrl::SetPos(nPos);
}

int CFindProgressBar::GetPos() const
{
    return m_hWnd != nullptr ? CProgressCtrl::GetPos() : 0;
}

void CFindProgressBar::SetText(LPCSTR lpszMessage)
{
    m_strMessage = lpszMessage;
    Resize();
}

void CFindProgressBar::Clear()
{
    if (m_hWnd == nullptr || m_pStatusBar == nullptr || m_pStatusBar->m_hWnd == nullptr)
        return;
    ShowWindow(SW_HIDE);
    m_pStatusBar->SetPaneText(m_nPane, m_strPrevText);
}

void CFindProgressBar::Resize()
{
    if (m_hWnd == nullptr || m_pStatusBar == nullptr || m_pStatusBar->m_hWnd == nullptr)
        return;
    if (IsWindowVisible())
        m_pStatusBar->SetPaneText(m_nPane, m_strMessage);
    CSize sizeMessage, sizeBlank;
    {
        CScopedDC dc = CScopedDC::OfWindow(m_pStatusBar->m_hWnd);
        CScopedSelect font(dc, (HGDIOBJ)m_pStatusBar->SendMessage(WM_GETFONT));
        ::GetTextExtentPoint32A(dc, m_strMessage, m_strMessage.GetLength(), &sizeMessage);
        ::GetTextExtentPoint32A(dc, " ", 1, &sizeBlank);
    }
    CRect rect;
    m_pStatusBar->GetItemRect(m_nPane, rect);
    if (!m_strMessage.IsEmpty())
        rect.left += sizeMessage.cx + 4 * sizeBlank.cx;
    rect.right -= std::max<LONG>(0, rect.right - rect.left) * (100 - m_nSize) / 100;
    rect.right = std::max<LONG>(rect.right, rect.left);
    const int cyOff = rect.Height() / 10;
    rect.top += cyOff;
    rect.bottom -= cyOff;
    rect.right -= 1;
    MoveWindow(rect);
}
