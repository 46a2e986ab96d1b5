#include "framework/ui/CPropertyPage.h"

#include "framework/ui/CPropertySheet.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CDialog(nIDTemplate), m_pSheet(nullptr)
{
    m_psp = PROPSHEETPAGEA();
    m_psp.dwSize = sizeof(m_psp);
    if (nIDCaption != 0 && m_strCaption.LoadString(nIDCaption))
        m_psp.dwFlags |= PSP_USETITLE;
}

BOOL CPropertyPage::PreparePage()
{
    HINSTANCE hInst = nullptr;
    const DLGTEMPLATE* pTemplate = LoadTemplate(hInst);
    if (pTemplate == nullptr)
        return FALSE;
    m_psp.dwFlags |= PSP_DLGINDIRECT;
    m_psp.hInstance = hInst;
    m_psp.pResource = pTemplate;
    m_psp.pfnDlgProc = &PageDlgProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (m_psp.dwFlags & PSP_USETITLE)
        m_psp.pszTitle = m_strCaption;
    return TRUE;
}

INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hWnd, UINT message, WPARAM /*wParam*/, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    // The sheet passes its copy of m_psp, whose lParam names the page.
    const PROPSHEETPAGEA* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    CPropertyPage* pPage = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (pPage == nullptr)
        return TRUE;
    try
    {
        // From here on the page's messages go through its message map.
        if (!pPage->SubclassWindow(hWnd))
            return TRUE;
        return pPage->OnInitDialog();
    }
    catch (...)
    {
        TRACE("Exception in a property page's OnInitDialog.\n");
        return FALSE;
    }
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    if (m_hWnd == nullptr || m_pSheet == nullptr || m_pSheet->m_hWnd == nullptr)
        return;
    m_pSheet->SendMessage(bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd);
}

BOOL CPropertyPage::OnInitDialog()
{
    // A page that cannot show its values still shows: the sheet has no way
    // to drop a page half created.
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnSetActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

BOOL CPropertyPage::OnQueryCancel()
{
    return TRUE;
}

void CPropertyPage::OnOK()
{
}

void CPropertyPage::OnCancel()
{
}

BOOL CPropertyPage::PreTranslateMessage(MSG* /*pMsg*/)
{
    // Not the page's own dialog navigation: it would take Ctrl+Tab as Tab,
    // and the sheet would never turn the page.
    return FALSE;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
    LRESULT lResult = 0;
    switch (pNMHDR->code)
    {
    case PSN_SETACTIVE: lResult = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: lResult = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: lResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; break;
    case PSN_RESET: OnReset(); break;
    case PSN_QUERYCANCEL: lResult = OnQueryCancel() ? FALSE : TRUE; break;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
    // A dialog answers through DWLP_MSGRESULT as well as the return value.
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
    *pResult = lResult;
    return TRUE;
}
