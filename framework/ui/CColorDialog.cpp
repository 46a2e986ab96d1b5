#include "framework/ui/CColorDialog.h"

IMPLEMENT_DYNAMIC(CColorDialog, CCommonDialog)

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd)
{
    for (COLORREF& clr : m_clrCustom)
        clr = RGB(255, 255, 255);
    m_cc = CHOOSECOLORA();
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.lpCustColors = m_clrCustom;
    m_cc.Flags = dwFlags;
    m_cc.rgbResult = clrInit;
    if (clrInit != 0)
        m_cc.Flags |= CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal()
{
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;
    m_cc.hwndOwner = GetOwnerWindow();
    return ::ChooseColorA(&m_cc) ? IDOK : IDCANCEL;
}
