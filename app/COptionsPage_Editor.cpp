#include "app/COptionsPage_Editor.h"

#include "app/CQlcApp.h"
#include "app/res/OptionsEditorDlgRes.h"
#include "app/res/Resource.h"

#include "framework/ui/CDataExchange.h"
#include "framework/ui/CFontDialog.h"

IMPLEMENT_DYNAMIC(COptionsPage_Editor, CPropertyPage)

BEGIN_MESSAGE_MAP(COptionsPage_Editor, CPropertyPage)
    ON_BN_CLICKED(IDC_OPT_CHANGE_EDITOR_FONT, OnChangeEditorFont)
    ON_BN_CLICKED(IDC_OPT_CHANGE_IMPORT_FONT, OnChangeImportFont)
END_MESSAGE_MAP()

COptionsPage_Editor::COptionsPage_Editor()
    : CPropertyPage(IDD_OPTIONS_EDITOR), m_nDefaultFontSize(10), m_nImportFontSize(10), m_nWordWrap(1),
      m_nAutoWordSelection(0)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
    if (CQlcApp* pApp = QlcGetApp())
    {
        m_strDefaultFontName = pApp->m_settings.m_strDefaultFontName;
        m_nDefaultFontSize = pApp->m_settings.m_nDefaultFontSize;
        m_strImportFontName = pApp->m_settings.m_strImportFontName;
        m_nImportFontSize = pApp->m_settings.m_nImportFontSize;
        m_nWordWrap = pApp->m_settings.m_nWordWrap;
        m_nAutoWordSelection = pApp->m_settings.m_nAutoWordSelection;
    }
}

CString COptionsPage_Editor::FormatFont(LPCSTR lpszName, int nSize)
{
    CString strLabel;
    strLabel.Format(AfxLoadText(IDS_OPTIONS_FONT_LABEL), lpszName, nSize);
    return strLabel;
}

void COptionsPage_Editor::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate)
    {
        m_strEditorFontLabel = FormatFont(m_strDefaultFontName, m_nDefaultFontSize);
        m_strImportFontLabel = FormatFont(m_strImportFontName, m_nImportFontSize);
    }
    DDX_Text(pDX, IDC_OPT_EDITOR_FONT, m_strEditorFontLabel);
    DDX_Text(pDX, IDC_OPT_IMPORT_FONT, m_strImportFontLabel);
    DDX_Check(pDX, IDC_OPT_WORD_WRAP, m_nWordWrap);
    DDX_Check(pDX, IDC_OPT_AUTO_WORD_SELECT, m_nAutoWordSelection);
}

BOOL COptionsPage_Editor::ChooseFont(CString& strName, int& nSize)
{
    // A face the system lacks opens as the face it is drawn in, which the
    // dialog lists; left as it is, the stored name stays.
    const CString strListed = CFontDialog::GetListedFace(strName, DEFAULT_CHARSET);
    LOGFONTA lf = {};
    lstrcpynA(lf.lfFaceName, strListed, LF_FACESIZE);
    HDC hdc = ::GetDC(nullptr);
    const int nLogPixelsY = hdc != nullptr ? ::GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (hdc != nullptr)
        ::ReleaseDC(nullptr, hdc);
    lf.lfHeight = -::MulDiv(nSize * 20, nLogPixelsY, 1440);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;

    // Vertical ("@") faces are for vertical writing, which notes do not do.
    CFontDialog dlg(&lf, CF_SCREENFONTS | CF_NOSCRIPTSEL | CF_NOVERTFONTS, nullptr, this);
    dlg.m_cf.iPointSize = nSize * 10;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    const CString strFace = dlg.GetFaceName();
    const int nPoints = dlg.GetSize() / 10;
    if (strFace.IsEmpty() || nPoints <= 0 || strFace[0] == '@')
        return FALSE;
    if (strFace.CompareNoCase(strListed) != 0)
        strName = strFace;
    nSize = nPoints;
    return TRUE;
}

void COptionsPage_Editor::OnChangeEditorFont()
{
    UpdateData(TRUE);
    if (ChooseFont(m_strDefaultFontName, m_nDefaultFontSize))
        UpdateData(FALSE);
}

void COptionsPage_Editor::OnChangeImportFont()
{
    UpdateData(TRUE);
    if (ChooseFont(m_strImportFontName, m_nImportFontSize))
        UpdateData(FALSE);
}
