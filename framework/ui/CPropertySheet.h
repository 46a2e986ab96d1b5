// A property sheet: tabbed pages with OK, Cancel and (unless asked not to)
// Apply and Help buttons, run modally by DoModal.
//
// The start page may be chosen before the window exists (SetActivePage or
// the constructor). OnInitDialog runs once the sheet and its start page
// exist, then the dialog hook sees the sheet (tests answer it). A press of
// OK reaches the sheet's OnCommand before any page applies it: an override
// may check the pages (UpdateData on created pages) and return TRUE to keep
// the sheet open, or call the base to let the pages apply and the sheet
// close. Cancel runs no page data exchange.
#pragma once

#include "framework/ui/CPropertyPage.h"

#include <vector>

class CPropertySheet : public CWnd
{
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage* pPage) const;
    // Before the window exists: the page to start on. After: shows it.
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const { return GetPage(GetActiveIndex()); }
    void SetTitle(LPCSTR lpszText);

    // IDOK or IDCANCEL; -1 when the sheet could not be made.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    // Ends a running sheet with nEndID without the pages' OK or Cancel.
    void EndDialog(int nEndID);
    // PSBTN_OK, PSBTN_CANCEL, ...: as if the user pressed it.
    void PressButton(int nButton) { SendMessage(PSM_PRESSBUTTON, (WPARAM)nButton); }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL ContinueModal() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The sheet's header: dwFlags may be changed before DoModal
    // (PSH_NOAPPLYNOW drops Apply; PSH_HASHELP, cleared by default, adds Help).
    PROPSHEETHEADERA m_psh;
    CWnd* m_pParentWnd;

protected:
    // The sheet ended (OK applied, Cancel, close box): the pages are gone
    // from under the sheet's control.
    BOOL HasEnded() const;

    static int CALLBACK SheetCallback(HWND hWnd, UINT uMsg, LPARAM lParam);

    std::vector<CPropertyPage*> m_pages;
    CString m_strCaption;
    int m_nPressed; // IDOK or IDCANCEL: the button that last asked to end

    DECLARE_MESSAGE_MAP()
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnClose();
};
