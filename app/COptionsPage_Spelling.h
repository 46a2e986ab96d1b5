// The Spelling page of the Options sheet: the default language, chosen from
// the dictionaries installed beside the program, and a link to where more
// can be had.
#pragma once

#include "framework/ui/CPropertyPage.h"

#include "widgets/CHyperLink.h"

class COptionsPage_Spelling : public CPropertyPage
{
    DECLARE_DYNAMIC(COptionsPage_Spelling)
public:
    // Starts from the application's settings.
    COptionsPage_Spelling();

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // The entry to preselect for a language: the one of that whole name
    // (any case), else the first that begins with it; -1 for none or no
    // language.
    static int FindLanguage(HWND hCombo, LPCSTR lpszLanguage);

    // Where the dictionaries are listed from (default: beside the program).
    CString m_strDictionaryFolder;
    CString m_strSpellLang;
    CHyperLink m_wndLink;
};
