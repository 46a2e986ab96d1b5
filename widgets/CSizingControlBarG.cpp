#include "widgets/CSizingControlBarG.h"

#include "framework/gdi/CDC.h"
#include "framework/gdi/CScopedGdiObject.h"
#include "framework/gdi/CScopedSelect.h"

IMPLEMENT_DYNAMIC(CSizingControlBarG, CSizingControlBar)

BEGIN_MESSAGE_MAP(CSizingControlBarG, CSizingControlBar)
    ON_WM_NCHITTEST()
    ON_WM_NCLBUTTONUP()
END_MESSAGE_MAP()

CSizingControlBarG::CSizingControlBarG() : m_bClosePushed(FALSE), m_bCloseHot(FALSE), m_ptClose(0, 0)
{
}

void CSizingControlBarG::ComputeClientArea(CRect& rc, UINT nDockBarID)
{
    const CPoint ptWindow = rc.TopLeft();
    CSizingControlBar::ComputeClientArea(rc, nDockBarID);
    if (!ShowsGripper())
        return;
    const BOOL bHorz = nDockBarID == AFX_IDW_DOCKBAR_TOP || nDockBarID == AFX_IDW_DOCKBAR_BOTTOM;
    if (bHorz)
    {
        rc.left += kGripperDepth;
        m_ptClose = CPoint(rc.left - 13 - ptWindow.x, rc.top - ptWindow.y);
    }
    else
    {
        rc.top += kGripperDepth;
        m_ptClose = CPoint(rc.right - 12 - ptWindow.x, rc.top - 13 - ptWindow.y);
    }
}

LRESULT CSizingControlBarG::OnNcHitTest(CPoint point)
{
    const LRESULT nHit = CSizingControlBar::OnNcHitTest(point);
    if (nHit != HTCLIENT || !ShowsGripper())
        return nHit;
    CRect rcBar;
    GetWindowRect(rcBar);
    CRect rcClose = GetCloseRect();
    rcClose.OffsetRect(rcBar.left, rcBar.top);
    return rcClose.PtInRect(point) ? HTCLOSE : nHit;
}

void CSizingControlBarG::OnNcLButtonUp(UINT nHitTest, CPoint point)
{
    // Released over the button: hidden, never destroyed.
    if (nHitTest == HTCLOSE && GetSite() != nullptr)
        GetSite()->ShowControlBar(this, FALSE, FALSE);
    CSizingControlBar::OnNcLButtonUp(nHitTest, point);
}

void CSizingControlBarG::OnUpdateCmdUI(CFrameWnd* /*pTarget*/, BOOL /*bDisableIfNoHndler*/)
{
    // The button looks pushed under a held left button, hot under the cursor.
    CPoint pt;
    ::GetCursorPos(&pt);
    const BOOL bHit = OnNcHitTest(pt) == HTCLOSE;
    const BOOL bLButtonDown = ::GetKeyState(VK_LBUTTON) < 0;
    const BOOL bWasPushed = m_bClosePushed;
    const BOOL bWasHot = m_bCloseHot;
    m_bClosePushed = bHit && bLButtonDown;
    m_bCloseHot = bHit && !bLButtonDown;
    if (m_bClosePushed != bWasPushed || m_bCloseHot != bWasHot)
        SendMessage(WM_NCPAINT);
}

void CSizingControlBarG::PaintGripperArea(CDC* pDC, const CRect& rcClient)
{
    if (!ShowsGripper())
        return;
    const CRect rcClose = GetCloseRect();
    const COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    CRect rcGrip;
    if (IsHorzDocked())
    {
        // Two raised vertical lines below the button.
        rcGrip = CRect(rcClient.left - kGripperDepth, rcClient.top, rcClient.left, rcClient.bottom);
        rcGrip.DeflateRect(1, 1);
        rcGrip.top = rcClose.bottom + 3;
        rcGrip.left += 2;
        rcGrip.right = rcGrip.left + 3;
        pDC->Draw3dRect(rcGrip, clrHilite, clrShadow);
        rcGrip.OffsetRect(3, 0);
        pDC->Draw3dRect(rcGrip, clrHilite, clrShadow);
    }
    else
    {
        // Two raised horizontal lines left of the button.
        rcGrip = CRect(rcClient.left, rcClient.top - kGripperDepth, rcClient.right, rcClient.top);
        rcGrip.DeflateRect(1, 1);
        rcGrip.right = rcClose.left - 3;
        rcGrip.top += 2;
        rcGrip.bottom = rcGrip.top + 3;
        pDC->Draw3dRect(rcGrip, clrHilite, clrShadow);
        rcGrip.OffsetRect(0, 3);
        pDC->Draw3dRect(rcGrip, clrHilite, clrShadow);
    }
    PaintCloseButton(pDC);
}

void CSizingControlBarG::PaintCloseButton(CDC* pDC)
{
    const CRect rcClose = GetCloseRect();
    if (m_bClosePushed)
        pDC->Draw3dRect(rcClose, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    else if (m_bCloseHot)
        pDC->Draw3dRect(rcClose, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));

    // The cross is the "r" of the symbol font Marlett.
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(MulDiv(60, 96, pDC->GetDeviceCaps(LOGPIXELSX)), pDC->GetDeviceCaps(LOGPIXELSY), 720);
    lf.lfCharSet = SYMBOL_CHARSET;
    lstrcpynA(lf.lfFaceName, "Marlett", LF_FACESIZE);
    CScopedGdiObject<HFONT> font(::CreateFontIndirectA(&lf));
    if (font.Get() == nullptr)
        return;
    CScopedSelect selectFont(pDC->GetSafeHdc(), font);
    const int nOldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF clrOld = pDC->SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    pDC->TextOut(rcClose.left + 2, rcClose.top + 2, "r", 1);
    pDC->SetTextColor(clrOld);
    pDC->SetBkMode(nOldMode);
}
