#include "app/COptionsSheet.h"

#include "app/CQlcApp.h"

IMPLEMENT_DYNAMIC(COptionsSheet, CPropertySheet)

COptionsSheet::COptionsSheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage), m_bOpenOnSpelling(FALSE)
{
    AddPages();
}

COptionsSheet::COptionsSheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage), m_bOpenOnSpelling(FALSE)
{
    AddPages();
}

void COptionsSheet::AddPages()
{
    AddPage(&m_pageGeneral);
    AddPage(&m_pageEditor);
    AddPage(&m_pageSpelling);
    AddPage(&m_pageStartup);
}

INT_PTR COptionsSheet::DoModal()
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
    if (m_bOpenOnSpelling)
        SetActivePage(&m_pageSpelling);
    const INT_PTR nResult = CPropertySheet::DoModal();
    if (nResult == IDOK)
        ApplyToSettings();
    return nResult;
}

void COptionsSheet::ApplyToSettings()
{
    CQlcApp* pApp = QlcGetApp();
    if (pApp == nullptr)
        return;
    CQlcSettings& settings = pApp->m_settings;
    settings.m_nPromptDelete = m_pageGeneral.m_nPromptDelete;
    settings.m_nPromptMove = m_pageGeneral.m_nPromptMove;
    settings.m_nResizeBilinear = m_pageGeneral.m_nResizeBilinear;
    settings.m_nSingleClick = m_pageGeneral.m_nSingleClick;
    settings.m_nReloadLast = m_pageStartup.m_nReloadLast;
    settings.m_nStartInTray = m_pageStartup.m_nStartInTray;
    settings.m_nShowSplash = m_pageStartup.m_nShowSplash;
    settings.m_strDefaultFontName = m_pageEditor.m_strDefaultFontName;
    settings.m_nDefaultFontSize = m_pageEditor.m_nDefaultFontSize;
    settings.m_strImportFontName = m_pageEditor.m_strImportFontName;
    settings.m_nImportFontSize = m_pageEditor.m_nImportFontSize;
    settings.m_nWordWrap = m_pageEditor.m_nWordWrap;
    settings.m_nAutoWordSelection = m_pageEditor.m_nAutoWordSelection;
    settings.m_strSpellLang = m_pageSpelling.m_strSpellLang;
}
