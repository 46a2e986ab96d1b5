#include "widgets/CSizingControlBarCF.h"

#include "framework/gdi/CDC.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedGdiObject.h"
#include "framework/gdi/CScopedSelect.h"

IMPLEMENT_DYNAMIC(CSizingControlBarCF, CSizingControlBarG)

BEGIN_MESSAGE_MAP(CSizingControlBarCF, CSizingControlBarG)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

namespace {

int CALLBACK FoundFontFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    *(BOOL*)lParam = TRUE;
    return 0;
}

BOOL HasFontFamily(LPCSTR lpszFace)
{
    CScopedDC dc = CScopedDC::Compatible(nullptr);
    if (dc.Get() == nullptr)
        return FALSE;
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, lpszFace, LF_FACESIZE);
    BOOL bFound = FALSE;
    ::EnumFontFamiliesExA(dc, &lf, &FoundFontFamily, (LPARAM)&bFound, 0);
    return bFound;
}

COLORREF Blend(COLORREF c1, COLORREF c2, int i)
{
    return RGB((GetRValue(c1) * (64 - i) + GetRValue(c2) * i) / 64, (GetGValue(c1) * (64 - i) + GetGValue(c2) * i) / 64,
               (GetBValue(c1) * (64 - i) + GetBValue(c2) * i) / 64);
}

} // namespace

CSizingControlBarCF::CSizingControlBarCF() : m_bActive(FALSE)
{
    m_strFontFace = HasFontFamily("Tahoma") ? "Tahoma" : "Arial";
}

void CSizingControlBarCF::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CSizingControlBarG::OnUpdateCmdUI(pTarget, bDisableIfNoHndler);
    // The caption is active while the focus is somewhere inside the bar.
    const HWND hFocus = ::GetFocus();
    const BOOL bActive = hFocus != nullptr && ::IsChild(m_hWnd, hFocus);
    if (bActive != m_bActive)
    {
        m_bActive = bActive;
        SendMessage(WM_NCPAINT);
    }
}

LRESULT CSizingControlBarCF::OnSetText(WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = CSizingControlBar::OnSetText(wParam, lParam);
    SendMessage(WM_NCPAINT);
    return lResult;
}

CRect CSizingControlBarCF::GetCaptionRect(const CRect& rcClient) const
{
    const CRect rcClose = GetCloseRect();
    CRect rcCaption;
    if (IsHorzDocked())
    {
        // A strip at the left, below the button.
        rcCaption = CRect(rcClient.left - 13, rcClose.bottom + 3, rcClient.left - 2, rcClient.bottom);
        rcCaption.InflateRect(1, 0);
    }
    else
    {
        // A strip at the top, left of the button.
        rcCaption = CRect(rcClient.left, rcClient.top - 13, rcClose.left - 3, rcClient.top - 2);
        rcCaption.InflateRect(0, 1);
    }
    return rcCaption;
}

void CSizingControlBarCF::PaintGripperArea(CDC* pDC, const CRect& rcClient)
{
    if (!ShowsGripper())
        return;
    const BOOL bHorz = IsHorzDocked();
    const CRect rcCaption = GetCaptionRect(rcClient);

    const COLORREF clr1 = ::GetSysColor(m_bActive ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    BOOL bGradient = FALSE;
    ::SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &bGradient, 0);
    if (!bGradient)
    {
        pDC->FillSolidRect(rcCaption, clr1);
    }
    else
    {
        // 64 bands from the caption colour to its gradient colour: bottom to
        // top in a left strip, left to right in a top strip.
        const COLORREF clr2 = ::GetSysColor(m_bActive ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
        const int nLength = bHorz ? rcCaption.Height() : rcCaption.Width();
        for (int i = 0; i < 64; i++)
        {
            const int nStart = nLength * i / 64;
            const int nEnd = nLength * (i + 1) / 64;
            if (nEnd <= nStart)
                continue;
            CRect rcBand = rcCaption;
            if (bHorz)
            {
                rcBand.bottom = rcCaption.bottom - nStart;
                rcBand.top = rcCaption.bottom - nEnd;
            }
            else
            {
                rcBand.left = rcCaption.left + nStart;
                rcBand.right = rcCaption.left + nEnd;
            }
            pDC->FillSolidRect(rcBand, Blend(clr1, clr2, i));
        }
    }

    // The title, turned upright in a left strip.
    CString strTitle;
    GetWindowText(strTitle);
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(MulDiv(85, 96, pDC->GetDeviceCaps(LOGPIXELSX)), pDC->GetDeviceCaps(LOGPIXELSY), 720);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (bHorz)
        lf.lfEscapement = lf.lfOrientation = 900;
    lstrcpynA(lf.lfFaceName, m_strFontFace, LF_FACESIZE);
    CScopedGdiObject<HFONT> font(::CreateFontIndirectA(&lf));
    if (font.Get() != nullptr && !strTitle.IsEmpty())
    {
        CScopedSelect selectFont(pDC->GetSafeHdc(), font);
        const int nOldMode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF clrOld =
            pDC->SetTextColor(::GetSysColor(m_bActive ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        const CPoint ptText = bHorz ? CPoint(rcCaption.left - 1, rcCaption.bottom - 3)
                                    : CPoint(rcCaption.left + 3, rcCaption.top - 1);
        pDC->ExtTextOut(ptText.x, ptText.y, ETO_CLIPPED, rcCaption, strTitle, (UINT)strTitle.GetLength(), nullptr);
        pDC->SetTextColor(clrOld);
        pDC->SetBkMode(nOldMode);
    }
    PaintCloseButton(pDC);
}
