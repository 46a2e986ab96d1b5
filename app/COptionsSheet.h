// Tools > Options: the program's user settings on four pages (General,
// Editor, Spelling, Start Up). The pages work on copies; OK copies them all
// back into the application's settings, Cancel none. Nothing is written to
// the registry here (the settings are stored at exit).
#pragma once

#include "app/COptionsPage_Editor.h"
#include "app/COptionsPage_General.h"
#include "app/COptionsPage_Spelling.h"
#include "app/COptionsPage_Startup.h"

#include "framework/ui/CPropertySheet.h"

class COptionsSheet : public CPropertySheet
{
    DECLARE_DYNAMIC(COptionsSheet)
public:
    explicit COptionsSheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit COptionsSheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    // Runs the sheet (on the Spelling page when asked); IDOK copies every
    // page's values into the application's settings.
    INT_PTR DoModal() override;

    COptionsPage_General m_pageGeneral;
    COptionsPage_Editor m_pageEditor;
    COptionsPage_Spelling m_pageSpelling;
    COptionsPage_Startup m_pageStartup;
    BOOL m_bOpenOnSpelling;

protected:
    void AddPages();
    void ApplyToSettings();
};
