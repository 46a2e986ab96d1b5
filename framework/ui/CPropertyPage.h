// A page of a property sheet: a dialog template the sheet creates when the
// page is first shown. Data exchange fills the controls when the page is
// created and takes them back when the user leaves the page or presses OK;
// a page that was never shown keeps its members as they were (UpdateData
// does nothing without a window). Cancel exchanges nothing.
#pragma once

#include "framework/ui/CDialog.h"

#include <commctrl.h>
#include <prsht.h>

class CPropertySheet;

class CPropertyPage : public CDialog
{
    DECLARE_DYNAMIC(CPropertyPage)
public:
    // nIDCaption 0: the template's caption names the tab.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    // Lights the sheet's Apply button (when it has one).
    void SetModified(BOOL bChanged = TRUE);
    CPropertySheet* GetSheet() const { return m_pSheet; }

    // The sheet's notifications. OnKillActive takes the controls' values
    // (FALSE keeps the page up); OnApply runs for every created page on OK;
    // OnReset for every created page on Cancel.
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    // OK and Cancel of a page: its values are already taken; nothing to do.
    void OnOK() override;
    void OnCancel() override;
    BOOL OnInitDialog() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The sheet handles the keyboard for its pages (Tab, Ctrl+Tab, Enter).
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // What the sheet is given for this page; dwFlags may be changed before
    // the sheet runs (PSP_HASHELP is cleared by default).
    PROPSHEETPAGEA m_psp;

protected:
    static INT_PTR CALLBACK PageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Points m_psp at the loaded template and this object, before the sheet runs.
    BOOL PreparePage();

    CString m_strCaption;
    CPropertySheet* m_pSheet;
    friend class CPropertySheet;
};
