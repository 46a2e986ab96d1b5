// The common Print and Print Setup dialogs. DoModal asks the common-dialog
// hook first; the dialog hands back a device context of the chosen printer
// (PD_RETURNDC), which the caller owns.
#pragma once

#include "framework/ui/CCommonDialog.h"

#include <commdlg.h>

class CPrintDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CPrintDialog)
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE |
                                          PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    ~CPrintDialog() override;

    virtual INT_PTR DoModal();
    // The default printer without showing anything (PD_RETURNDEFAULT). TRUE
    // when there is one.
    BOOL GetDefaults();
    // The printer's device context the dialog returned (null when none).
    HDC GetPrinterDC() const { return m_pd.hDC; }
    // A device context for the printer m_pd names (hDevNames, hDevMode);
    // null when it names none or the printer cannot be opened.
    HDC CreatePrinterDC();

    PRINTDLGA m_pd;
};
