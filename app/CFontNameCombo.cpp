#include "app/CFontNameCombo.h"

#include "app/CFormatBar.h"
#include "app/CSortableStringArray.h"
#include "app/res/Resource.h"

#include "framework/docview/CWinApp.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CFontNameCombo, CComboBoxEx)

BEGIN_MESSAGE_MAP(CFontNameCombo, CComboBoxEx)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_CONTROL_REFLECT(CBN_DROPDOWN, OnDropDown)
    ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
    ON_CONTROL_REFLECT(CBN_SELCHANGE, OnSelChange)
END_MESSAGE_MAP()

namespace {

const UINT_PTR kTipTimer = 1;
const UINT kTipInterval = 250;

} // namespace

CFontNameCombo::CFontNameCombo() : m_nTimer(0), m_bEnumPrinter(FALSE)
{
}

CFontNameCombo::~CFontNameCombo()
{
    DeleteFonts();
}

// ---------------------------------------------------------------------------
// The list

int CFontNameCombo::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CComboBoxEx::OnCreate(lpcs) == -1)
        return -1;
    FillFontList();
    if (m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 4))
    {
        HINSTANCE hRes = AfxGetResourceHandle();
        for (UINT nID : { (UINT)IDI_FONT_PRINTER, (UINT)IDI_FONT_TRUETYPE })
        {
            HICON hIcon = (HICON)::LoadImageA(hRes, MAKEINTRESOURCEA(nID), IMAGE_ICON, 16, 16, 0);
            m_images.Add(hIcon);
            if (hIcon != nullptr)
                ::DestroyIcon(hIcon);
        }
        SetImageList(m_images);
    }
    return 0;
}

void CFontNameCombo::OnDestroy()
{
    OnCloseUp();
    DeleteFonts();
    CComboBoxEx::OnDestroy();
}

void CFontNameCombo::DeleteFonts()
{
    POSITION pos = m_fonts.GetStartPosition();
    while (pos != nullptr)
    {
        CString strName;
        CFontObj* pFont = nullptr;
        m_fonts.GetNextAssoc(pos, strName, pFont);
        delete pFont;
    }
    m_fonts.RemoveAll();
}

void CFontNameCombo::FillFontList()
{
    // The tip exists only while the list is down: a hidden window owned by
    // the frame would keep Wine from making the frame topmost.
    EnumerateFonts();
    FillFromMap();
}

void CFontNameCombo::AddFont(LPCSTR lpszName, int nKind)
{
    // Vertical ("@") faces lay text out sideways: a note shows them as boxes.
    if (lpszName == nullptr || *lpszName == 0 || *lpszName == '@')
        return;
    CFontObj* pFont = nullptr;
    if (m_fonts.Lookup(lpszName, pFont))
        return; // the first kind found stays (screen before printer)
    m_fonts.SetAt(lpszName, new CFontObj(nKind));
}

int CFontNameCombo::GetFontKind(LPCSTR lpszName) const
{
    CFontObj* pFont = nullptr;
    if (lpszName == nullptr || !m_fonts.Lookup(lpszName, pFont) || pFont == nullptr)
        return -1;
    return pFont->m_nKind;
}

int CALLBACK CFontNameCombo::EnumFamilyProc(const LOGFONTA* pLogFont, const TEXTMETRICA* /*pMetrics*/, DWORD dwType,
                                            LPARAM lParam)
{
    try
    {
        CFontNameCombo* pCombo = (CFontNameCombo*)lParam;
        int nKind = CFontObj::kPrinter;
        if (!pCombo->m_bEnumPrinter)
            nKind = (dwType & TRUETYPE_FONTTYPE) ? CFontObj::kScreenTrueType : CFontObj::kScreenOther;
        pCombo->AddFont(pLogFont->lfFaceName, nKind);
    }
    catch (...)
    {
    }
    return 1;
}

void CFontNameCombo::EnumerateFontsOf(HDC hdc, BOOL bPrinter)
{
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    m_bEnumPrinter = bPrinter;
    ::EnumFontFamiliesExA(hdc, &lf, (FONTENUMPROCA)&EnumFamilyProc, (LPARAM)this, 0);
    m_bEnumPrinter = FALSE;
}

void CFontNameCombo::EnumerateFonts()
{
    HDC hdcScreen = ::GetDC(nullptr);
    if (hdcScreen != nullptr)
    {
        EnumerateFontsOf(hdcScreen, FALSE);
        ::ReleaseDC(nullptr, hdcScreen);
    }
    // The default printer's own fonts; without a printer there are none.
    char szPrinter[MAX_PATH] = "";
    DWORD cch = MAX_PATH;
    if (::GetDefaultPrinterA(szPrinter, &cch) && szPrinter[0] != 0)
    {
        HDC hdcPrinter = ::CreateDCA(nullptr, szPrinter, nullptr, nullptr);
        if (hdcPrinter != nullptr)
        {
            EnumerateFontsOf(hdcPrinter, TRUE);
            ::DeleteDC(hdcPrinter);
        }
    }
}

void CFontNameCombo::FillFromMap()
{
    while (GetCount() > 0)
        DeleteItem(0);
    CSortableStringArray names;
    POSITION pos = m_fonts.GetStartPosition();
    while (pos != nullptr)
    {
        CString strName;
        CFontObj* pFont = nullptr;
        m_fonts.GetNextAssoc(pos, strName, pFont);
        names.Add(strName);
    }
    names.Sort();
    for (INT_PTR i = 0; i < names.GetSize(); i++)
    {
        const int nKind = GetFontKind(names[i]);
        int nImage = I_IMAGENONE;
        if (nKind == CFontObj::kScreenTrueType)
            nImage = kImageTrueType;
        else if (nKind == CFontObj::kPrinter)
            nImage = kImagePrinter;
        InsertItem(-1, names[i], nImage, nImage);
    }
}

// ---------------------------------------------------------------------------
// Showing and applying a face

void CFontNameCombo::SelectFontName(LPCSTR lpszName)
{
    const CString strName = lpszName ? lpszName : "";
    if (std::strcmp(strName, m_strCurrent) == 0)
        return;
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    const int nKind = GetFontKind(strName);
    if (nKind >= 0)
    {
        item.pszText = const_cast<LPSTR>((LPCSTR)strName);
        item.iImage = nKind == CFontObj::kScreenTrueType ? kImageTrueType
                      : nKind == CFontObj::kPrinter      ? kImagePrinter
                                                         : I_IMAGENONE;
    }
    else
    {
        item.pszText = const_cast<LPSTR>("");
        item.iImage = I_IMAGENONE;
    }
    item.iSelectedImage = item.iImage;
    SetItem(&item);
    m_strCurrent = strName;
}

void CFontNameCombo::OnSelChange()
{
    const int nSel = GetCurSel();
    if (nSel < 0)
        return;
    char szFace[LF_FACESIZE] = "";
    lstrcpynA(szFace, GetItemText(nSel), LF_FACESIZE);
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE;
    lstrcpynA(cf.szFaceName, szFace, LF_FACESIZE);
    CFormatBar::ApplyToNote(cf);
}

// ---------------------------------------------------------------------------
// The preview tip

void CFontNameCombo::OnDropDown()
{
    if (m_tip.m_hWnd == nullptr)
        m_tip.Create(this);
    if (m_nTimer == 0)
        m_nTimer = SetTimer(kTipTimer, kTipInterval);
}

void CFontNameCombo::OnCloseUp()
{
    if (m_nTimer != 0)
    {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    if (m_tip.m_hWnd != nullptr)
        m_tip.DestroyWindow();
}

void CFontNameCombo::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTipTimer)
    {
        CComboBoxEx::OnTimer(nIDEvent);
        return;
    }
    UpdateTip();
}

void CFontNameCombo::UpdateTip()
{
    HWND hCombo = GetComboBoxCtrl();
    if (hCombo == nullptr || m_tip.m_hWnd == nullptr || !::SendMessageA(hCombo, CB_GETDROPPEDSTATE, 0, 0))
        return;
    const int nSel = (int)::SendMessageA(hCombo, CB_GETCURSEL, 0, 0);
    const int nTop = (int)::SendMessageA(hCombo, CB_GETTOPINDEX, 0, 0);
    if (nSel < 0 || nSel < nTop)
        return;
    CRect rectList;
    ::SendMessageA(hCombo, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)(LPRECT)rectList);
    const int cyItem = (int)::SendMessageA(hCombo, CB_GETITEMHEIGHT, 0, 0);
    if (cyItem <= 0)
        return;
    const int nVisible = (rectList.Height() - cyItem) / cyItem;
    if (nSel > nTop + nVisible)
        return;
    char szFace[LF_FACESIZE + 1] = "";
    lstrcpynA(szFace, GetItemText(nSel), LF_FACESIZE + 1);
    m_tip.ShowFontName(rectList.right + 5, rectList.top + (nSel - nTop + 1) * cyItem, szFace);
}
