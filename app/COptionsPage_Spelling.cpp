#include "app/COptionsPage_Spelling.h"

#include "app/CLexomoLib.h"
#include "app/CQlcApp.h"
#include "app/res/OptionsSpellingDlgRes.h"

#include "framework/ui/CDataExchange.h"
#include "framework/ui/CWaitCursor.h"

IMPLEMENT_DYNAMIC(COptionsPage_Spelling, CPropertyPage)

namespace {

// The language list opens this much taller than the template's box.
const int kDropDownExtra = 120;

} // namespace

COptionsPage_Spelling::COptionsPage_Spelling()
    : CPropertyPage(IDD_OPTIONS_SPELLING), m_strDictionaryFolder(CLexomoLib::GetDictionaryFolder())
{
    m_psp.dwFlags &= ~PSP_HASHELP;
    if (CQlcApp* pApp = QlcGetApp())
        m_strSpellLang = pApp->m_settings.m_strSpellLang;
}

int COptionsPage_Spelling::FindLanguage(HWND hCombo, LPCSTR lpszLanguage)
{
    if (hCombo == nullptr || lpszLanguage == nullptr || *lpszLanguage == '\0')
        return -1;
    int nIndex = (int)::SendMessageA(hCombo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)lpszLanguage);
    if (nIndex == CB_ERR)
        nIndex = (int)::SendMessageA(hCombo, CB_FINDSTRING, (WPARAM)-1, (LPARAM)lpszLanguage);
    return nIndex == CB_ERR ? -1 : nIndex;
}

BOOL COptionsPage_Spelling::OnInitDialog()
{
    CWaitCursor wait;
    CPropertyPage::OnInitDialog();
    CLexomoLib lib;

    HWND hCombo = ::GetDlgItem(m_hWnd, IDC_OPT_LANGUAGE);
    RECT rc = {};
    ::GetWindowRect(hCombo, &rc);
    ::SetWindowPos(hCombo, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top + kDropDownExtra,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    if (m_wndLink.SubclassDlgItem(IDC_OPT_DOWNLOAD_LINK, this))
    {
        CString strAddress;
        m_wndLink.GetWindowText(strAddress);
        m_wndLink.SetLinkTarget(strAddress);
        m_wndLink.SetUnderlined(TRUE);
    }

    lib.RegisterDictionaries(m_strDictionaryFolder);
    const int nCount = lib.GetDictionaryCount();
    for (int i = 0; i < nCount; i++)
    {
        CString strName;
        lib.GetDictionaryName(i, strName);
        ::SendMessageA(hCombo, CB_ADDSTRING, 0, (LPARAM)(LPCSTR)strName);
    }
    ::SendMessageA(hCombo, CB_SETCURSEL, (WPARAM)FindLanguage(hCombo, m_strSpellLang), 0);
    return TRUE;
}

void COptionsPage_Spelling::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate)
        return;
    HWND hCombo = ::GetDlgItem(m_hWnd, IDC_OPT_LANGUAGE);
    const int nIndex = (int)::SendMessageA(hCombo, CB_GETCURSEL, 0, 0);
    if (nIndex < 0)
        return;
    const int nLength = (int)::SendMessageA(hCombo, CB_GETLBTEXTLEN, (WPARAM)nIndex, 0);
    if (nLength <= 0)
        return;
    CString strName;
    ::SendMessageA(hCombo, CB_GETLBTEXT, (WPARAM)nIndex, (LPARAM)strName.GetBuffer(nLength + 1));
    strName.ReleaseBuffer();
    m_strSpellLang = strName;
}
