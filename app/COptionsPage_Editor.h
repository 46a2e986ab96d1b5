// The Editor page of the Options sheet: the default font of new notes, the
// font of imported text, word wrap and automatic word selection.
#pragma once

#include "framework/ui/CPropertyPage.h"

class COptionsPage_Editor : public CPropertyPage
{
    DECLARE_DYNAMIC(COptionsPage_Editor)
public:
    // Starts from the application's settings.
    COptionsPage_Editor();

    void DoDataExchange(CDataExchange* pDX) override;

    // "name, size pt" as the page shows a font.
    static CString FormatFont(LPCSTR lpszName, int nSize);
    // Lets the user pick a screen font starting from the one given; FALSE
    // (nothing changed) when the dialog is cancelled.
    BOOL ChooseFont(CString& strName, int& nSize);

    void OnChangeEditorFont();
    void OnChangeImportFont();

    CString m_strDefaultFontName;
    int m_nDefaultFontSize;     // points
    CString m_strImportFontName;
    int m_nImportFontSize;      // points
    int m_nWordWrap;
    int m_nAutoWordSelection;
    CString m_strEditorFontLabel;
    CString m_strImportFontLabel;

protected:
    DECLARE_MESSAGE_MAP()
};
