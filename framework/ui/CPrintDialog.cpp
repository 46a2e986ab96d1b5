#include "framework/ui/CPrintDialog.h"

IMPLEMENT_DYNAMIC(CPrintDialog, CCommonDialog)

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd)
{
    m_pd = PRINTDLGA();
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = dwFlags | PD_RETURNDC;
    if (bPrintSetupOnly)
        m_pd.Flags |= PD_PRINTSETUP;
    m_pd.nCopies = 1;
    m_pd.nFromPage = 1;
    m_pd.nToPage = 0xFFFF;
    m_pd.nMinPage = 1;
    m_pd.nMaxPage = 0xFFFF;
}

// The device and set-up handles belong to whoever handed them in (the
// application keeps the chosen printer); the device context to the caller.
CPrintDialog::~CPrintDialog()
{
}

INT_PTR CPrintDialog::DoModal()
{
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;
    m_pd.hwndOwner = GetOwnerWindow();
    return ::PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}

BOOL CPrintDialog::GetDefaults()
{
    const DWORD dwFlags = m_pd.Flags;
    m_pd.Flags |= PD_RETURNDEFAULT;
    const BOOL bOk = DoModal() == IDOK;
    m_pd.Flags = dwFlags;
    return bOk;
}

HDC CPrintDialog::CreatePrinterDC()
{
    if (m_pd.hDevNames == nullptr)
        return nullptr;
    const DEVNAMES* pNames = (const DEVNAMES*)::GlobalLock(m_pd.hDevNames);
    if (pNames == nullptr)
        return nullptr;
    const char* pBase = (const char*)pNames;
    DEVMODEA* pMode = m_pd.hDevMode ? (DEVMODEA*)::GlobalLock(m_pd.hDevMode) : nullptr;
    HDC hDC = ::CreateDCA(pBase + pNames->wDriverOffset, pBase + pNames->wDeviceOffset,
                          pBase + pNames->wOutputOffset, pMode);
    if (pMode != nullptr)
        ::GlobalUnlock(m_pd.hDevMode);
    ::GlobalUnlock(m_pd.hDevNames);
    return hDC;
}
