#include "framework/ui/CPropertySheet.h"

#include "framework/ui/AfxHooks.h"

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_WM_SYSCOMMAND()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet() : m_pParentWnd(nullptr), m_nPressed(0)
{
    m_psh = PROPSHEETHEADERA();
    m_psh.dwSize = sizeof(m_psh);
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) : CPropertySheet()
{
    m_strCaption.LoadString(nIDCaption);
    m_pParentWnd = pParentWnd;
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) : CPropertySheet()
{
    m_strCaption = pszCaption;
    m_pParentWnd = pParentWnd;
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    pPage->m_pSheet = this;
    m_pages.push_back(pPage);
    if (m_hWnd != nullptr && pPage->PreparePage())
    {
        if (HPROPSHEETPAGE hPage = ::CreatePropertySheetPageA(&pPage->m_psp))
            SendMessage(PSM_ADDPAGE, 0, (LPARAM)hPage);
    }
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[(size_t)nPage] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
    {
        if (m_pages[i] == pPage)
            return (int)i;
    }
    return -1;
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (m_hWnd == nullptr)
    {
        m_psh.nStartPage = (UINT)nPage;
        return TRUE;
    }
    return (BOOL)SendMessage(PSM_SETCURSEL, (WPARAM)nPage);
}

int CPropertySheet::GetActiveIndex() const
{
    if (m_hWnd == nullptr)
        return (int)m_psh.nStartPage;
    HWND hPage = (HWND)SendMessage(PSM_GETCURRENTPAGEHWND);
    return hPage ? (int)SendMessage(PSM_HWNDTOINDEX, (WPARAM)hPage) : -1;
}

void CPropertySheet::SetTitle(LPCSTR lpszText)
{
    m_strCaption = lpszText;
    if (m_hWnd != nullptr)
        SendMessage(PSM_SETTITLEA, 0, (LPARAM)(LPCSTR)m_strCaption);
}

BOOL CPropertySheet::OnInitDialog()
{
    return TRUE;
}

int CALLBACK CPropertySheet::SheetCallback(HWND /*hWnd*/, UINT uMsg, LPARAM lParam)
{
    try
    {
        // Made hidden: DoModal places it over its owner before it shows.
        if (uMsg == PSCB_PRECREATE && lParam != 0)
        {
            DLGTEMPLATE* pTemplate = (DLGTEMPLATE*)lParam;
            if (((const WORD*)pTemplate)[1] == 0xFFFF) // DLGTEMPLATEEX: the style follows two DWORDs
                ((DWORD*)pTemplate)[3] &= ~(DWORD)WS_VISIBLE;
            else
                pTemplate->style &= ~(DWORD)WS_VISIBLE;
        }
    }
    catch (...)
    {
    }
    return 0;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_hWnd != nullptr || m_pages.empty())
        return -1;
    std::vector<HPROPSHEETPAGE> hPages;
    for (CPropertyPage* pPage : m_pages)
    {
        HPROPSHEETPAGE hPage = pPage->PreparePage() ? ::CreatePropertySheetPageA(&pPage->m_psp) : nullptr;
        if (hPage == nullptr)
        {
            for (HPROPSHEETPAGE h : hPages)
                ::DestroyPropertySheetPage(h);
            return -1;
        }
        hPages.push_back(hPage);
    }

    HWND hWndOwner = CDialog::GetModalOwnerOf(m_pParentWnd);
    m_psh.dwFlags = (m_psh.dwFlags & ~(PSH_PROPSHEETPAGE | PSH_USEHICON)) | PSH_MODELESS | PSH_USECALLBACK;
    m_psh.pfnCallback = &SheetCallback;
    m_psh.hwndParent = hWndOwner;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = (UINT)hPages.size();
    m_psh.phpage = hPages.data();
    if (m_psh.nStartPage >= m_psh.nPages)
        m_psh.nStartPage = 0;

    BOOL bEnableOwner = FALSE;
    if (hWndOwner != nullptr && ::IsWindowEnabled(hWndOwner))
    {
        ::EnableWindow(hWndOwner, FALSE);
        bEnableOwner = TRUE;
    }
    m_nPressed = 0;
    m_nModalResult = -1;
    try
    {
        // The sheet owns the pages' handles from here, even when it fails.
        HWND hWnd = (HWND)::PropertySheetA(&m_psh);
        if (hWnd != nullptr && hWnd != (HWND)-1 && SubclassWindow(hWnd))
        {
            m_bContinueModal = TRUE;
            // Over the window it belongs to, as the dialogs open.
            CenterWindow();
            ShowWindow(SW_SHOW);
            OnInitDialog();
            if (IAfxDialogHook* pHook = AfxGetDialogHook())
            {
                if (m_hWnd != nullptr && ContinueModal())
                    pHook->OnInitDialog(this);
            }
            if (ContinueModal())
                RunModalLoop();
        }
    }
    catch (...)
    {
        m_nModalResult = -1;
    }
    if (bEnableOwner)
        ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndOwner);
    if (m_hWnd != nullptr)
        DestroyWindow();
    m_psh.phpage = nullptr;
    m_bContinueModal = FALSE;
    return m_nModalResult;
}

BOOL CPropertySheet::HasEnded() const
{
    // A modeless sheet that ended has no current page any more.
    return m_hWnd == nullptr || (HWND)SendMessage(PSM_GETCURRENTPAGEHWND) == nullptr;
}

BOOL CPropertySheet::ContinueModal()
{
    if (!CWnd::ContinueModal())
        return FALSE;
    if (HasEnded())
    {
        EndModalLoop(m_nPressed == IDOK ? IDOK : IDCANCEL);
        return FALSE;
    }
    return TRUE;
}

void CPropertySheet::EndDialog(int nEndID)
{
    EndModalLoop(nEndID);
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    // Not handled here: the sheet's own handling follows (OK applies the
    // pages, Cancel resets them).
    const UINT nID = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && (nID == IDOK || nID == IDCANCEL))
        m_nPressed = (int)nID;
    return FALSE;
}

void CPropertySheet::OnSysCommand(UINT nID, LPARAM /*lParam*/)
{
    if ((nID & 0xFFF0) == SC_CLOSE)
        m_nPressed = IDCANCEL;
    Default();
}

void CPropertySheet::OnClose()
{
    m_nPressed = IDCANCEL;
    Default();
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if ((pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) &&
        (pMsg->message < WM_MOUSEFIRST || pMsg->message > WM_MOUSELAST))
        return FALSE;
    // Tab, arrows, Enter and Escape within the pages and across the tabs.
    return (BOOL)SendMessage(PSM_ISDIALOGMESSAGE, 0, (LPARAM)pMsg);
}
