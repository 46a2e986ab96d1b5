#include "framework/ui/CFontDialog.h"

#include "framework/gdi/CScopedDC.h"
#include <cstdlib>

IMPLEMENT_DYNAMIC(CFontDialog, CCommonDialog)

namespace {

int ScreenLogPixelsY()
{
    CScopedDC dc = CScopedDC::OfWindow(nullptr);
    const int n = ::GetDeviceCaps(dc, LOGPIXELSY);
    return n > 0 ? n : 96;
}

} // namespace

CFontDialog::CFontDialog(LPLOGFONTA lplfInitial, DWORD dwFlags, HDC hdcPrinter, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_cf(), m_lf(), m_rcKeepClear(), m_lfShown(), m_dwShownFlags(0), m_crShown(0)
{
    m_cf.lStructSize = sizeof(m_cf);
    m_cf.lpLogFont = &m_lf;
    m_cf.Flags = dwFlags;
    if (lplfInitial != nullptr)
    {
        m_lf = *lplfInitial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
    if (hdcPrinter != nullptr)
    {
        m_cf.hDC = hdcPrinter;
        m_cf.Flags |= CF_PRINTERFONTS;
    }
}

CFontDialog::CFontDialog(const CHARFORMAT2A& charformat, DWORD dwFlags, HDC hdcPrinter, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_cf(), m_lf(), m_rcKeepClear(), m_lfShown(), m_dwShownFlags(0), m_crShown(0)
{
    m_cf.lStructSize = sizeof(m_cf);
    m_cf.lpLogFont = &m_lf;
    // Vertical ("@") faces are for vertical writing, which notes do not do.
    m_cf.Flags = dwFlags | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS | FillInLogFont(charformat, m_lf);
    if ((m_cf.Flags & CF_NOFACESEL) == 0)
        lstrcpynA(m_lf.lfFaceName, GetListedFace(m_lf.lfFaceName, m_lf.lfCharSet), LF_FACESIZE);
    if (charformat.dwMask & CFM_COLOR)
    {
        m_cf.rgbColors =
            (charformat.dwEffects & CFE_AUTOCOLOR) ? ::GetSysColor(COLOR_WINDOWTEXT) : charformat.crTextColor;
    }
    if (hdcPrinter != nullptr)
    {
        m_cf.hDC = hdcPrinter;
        m_cf.Flags |= CF_PRINTERFONTS;
    }
    m_lfShown = m_lf;
    m_dwShownFlags = m_cf.Flags;
    m_crShown = m_cf.rgbColors;
}

namespace {

int CALLBACK CountFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return 0;
}

} // namespace

CString CFontDialog::GetListedFace(LPCSTR lpszFace, BYTE nCharSet)
{
    if (lpszFace == nullptr || *lpszFace == '\0')
        return CString();
    HDC hdc = ::GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, lpszFace, LF_FACESIZE);
    int nFound = 0;
    ::EnumFontFamiliesExA(hdc, &lf, &CountFace, (LPARAM)&nFound, 0);
    CString strFace = lpszFace;
    if (nFound == 0)
    {
        // Not installed: the dialog would start on its first face instead.
        lf.lfHeight = -16;
        lf.lfCharSet = nCharSet;
        HFONT hFont = ::CreateFontIndirectA(&lf);
        HGDIOBJ hOld = ::SelectObject(hdc, hFont);
        char szDrawn[LF_FACESIZE] = "";
        if (::GetTextFaceA(hdc, LF_FACESIZE, szDrawn) > 0 && szDrawn[0] != '@')
            strFace = szDrawn;
        ::SelectObject(hdc, hOld);
        ::DeleteObject(hFont);
    }
    ::ReleaseDC(nullptr, hdc);
    return strFace;
}

DWORD CFontDialog::FillInLogFont(const CHARFORMAT2A& cf, LOGFONTA& lf)
{
    // Parts of a mixed selection are left out: the dialog shows them blank.
    DWORD dwFlags = 0;
    memset(&lf, 0, sizeof(lf));
    if (cf.dwMask & CFM_SIZE)
        lf.lfHeight = -MulDiv((int)cf.yHeight, ScreenLogPixelsY(), 1440);
    else
        dwFlags |= CF_NOSIZESEL;
    if (cf.dwMask & CFM_BOLD)
        lf.lfWeight = (cf.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    if (cf.dwMask & CFM_ITALIC)
        lf.lfItalic = (cf.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    if (!(cf.dwMask & (CFM_BOLD | CFM_ITALIC)))
        dwFlags |= CF_NOSTYLESEL;
    if (cf.dwMask & CFM_UNDERLINE)
        lf.lfUnderline = (cf.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
    if (cf.dwMask & CFM_STRIKEOUT)
        lf.lfStrikeOut = (cf.dwEffects & CFE_STRIKEOUT) ? TRUE : FALSE;
    if (cf.dwMask & CFM_CHARSET)
        lf.lfCharSet = cf.bCharSet;
    else
        dwFlags |= CF_NOSCRIPTSEL;
    if (cf.dwMask & CFM_FACE)
    {
        lf.lfPitchAndFamily = cf.bPitchAndFamily;
        lstrcpynA(lf.lfFaceName, cf.szFaceName, LF_FACESIZE);
    }
    else
    {
        dwFlags |= CF_NOFACESEL;
    }
    return dwFlags;
}

INT_PTR CFontDialog::DoModal()
{
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;
    m_cf.hwndOwner = GetOwnerWindow();
    if (!::IsRectEmpty(&m_rcKeepClear))
    {
        m_cf.Flags |= CF_ENABLEHOOK;
        m_cf.lpfnHook = &HookProc;
        m_cf.lCustData = (LPARAM)this;
    }
    return ::ChooseFontA(&m_cf) ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFontDialog::HookProc(HWND hDlg, UINT uMsg, WPARAM /*wParam*/, LPARAM lParam)
{
    try
    {
        if (uMsg == WM_INITDIALOG && lParam != 0)
        {
            const CFontDialog* pThis = (const CFontDialog*)((const CHOOSEFONTA*)lParam)->lCustData;
            if (pThis != nullptr)
                CWnd::FromHandle(hDlg)->MoveClearOf(pThis->m_rcKeepClear);
            return TRUE;
        }
    }
    catch (...)
    {
    }
    return 0;
}

void CFontDialog::GetCharFormat(CHARFORMAT2A& cf) const
{
    memset(&cf, 0, sizeof(cf));
    cf.cbSize = sizeof(cf);
    cf.dwMask = 0;
    if ((m_cf.Flags & CF_NOSTYLESEL) == 0)
    {
        cf.dwMask |= CFM_BOLD | CFM_ITALIC;
        if (IsBold())
            cf.dwEffects |= CFE_BOLD;
        if (IsItalic())
            cf.dwEffects |= CFE_ITALIC;
    }
    if ((m_cf.Flags & CF_NOSIZESEL) == 0 && m_cf.iPointSize > 0)
    {
        cf.dwMask |= CFM_SIZE;
        cf.yHeight = m_cf.iPointSize * 2; // tenths of a point to twips
    }
    if ((m_cf.Flags & CF_NOFACESEL) == 0 && m_lf.lfFaceName[0] != '\0')
    {
        cf.dwMask |= CFM_FACE;
        cf.bPitchAndFamily = m_lf.lfPitchAndFamily;
        lstrcpynA(cf.szFaceName, m_lf.lfFaceName, LF_FACESIZE);
    }
    if (m_cf.Flags & CF_EFFECTS)
    {
        cf.dwMask |= CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
        if (IsUnderline())
            cf.dwEffects |= CFE_UNDERLINE;
        if (IsStrikeOut())
            cf.dwEffects |= CFE_STRIKEOUT;
        cf.crTextColor = m_cf.rgbColors;
    }
    if ((m_cf.Flags & CF_NOSCRIPTSEL) == 0)
    {
        cf.dwMask |= CFM_CHARSET;
        cf.bCharSet = m_lf.lfCharSet;
    }
}

void CFontDialog::GetChangedCharFormat(CHARFORMAT2A& cf) const
{
    GetCharFormat(cf);
    const BOOL bShownStyle = (m_dwShownFlags & CF_NOSTYLESEL) == 0;
    if (bShownStyle && (m_lf.lfWeight >= FW_SEMIBOLD) == (m_lfShown.lfWeight >= FW_SEMIBOLD))
        cf.dwMask &= ~(DWORD)CFM_BOLD;
    if (bShownStyle && (m_lf.lfItalic != 0) == (m_lfShown.lfItalic != 0))
        cf.dwMask &= ~(DWORD)CFM_ITALIC;
    // The dialog lists whole points: a size it rounded is not a change.
    if ((m_dwShownFlags & CF_NOSIZESEL) == 0 && m_lfShown.lfHeight != 0)
    {
        const int nShownTenths = MulDiv(std::abs((int)m_lfShown.lfHeight), 720, ScreenLogPixelsY());
        if (m_lf.lfHeight == m_lfShown.lfHeight || std::abs(m_cf.iPointSize - nShownTenths) < 10)
            cf.dwMask &= ~(DWORD)CFM_SIZE;
    }
    if ((m_dwShownFlags & CF_NOFACESEL) == 0 && lstrcmpiA(m_lf.lfFaceName, m_lfShown.lfFaceName) == 0)
        cf.dwMask &= ~(DWORD)CFM_FACE;
    if ((m_dwShownFlags & CF_NOSCRIPTSEL) == 0 && m_lf.lfCharSet == m_lfShown.lfCharSet)
        cf.dwMask &= ~(DWORD)CFM_CHARSET;
    if ((m_lf.lfUnderline != 0) == (m_lfShown.lfUnderline != 0))
        cf.dwMask &= ~(DWORD)CFM_UNDERLINE;
    if ((m_lf.lfStrikeOut != 0) == (m_lfShown.lfStrikeOut != 0))
        cf.dwMask &= ~(DWORD)CFM_STRIKEOUT;
    if (m_cf.rgbColors == m_crShown)
        cf.dwMask &= ~(DWORD)CFM_COLOR;
}
