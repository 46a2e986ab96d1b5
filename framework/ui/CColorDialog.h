// The common Colour dialog. DoModal asks the common-dialog hook first.
#pragma once

#include "framework/ui/CCommonDialog.h"

#include <commdlg.h>

class CColorDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CColorDialog)
public:
    // CC_RGBINIT is added when an initial colour is given (not 0).
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);

    virtual INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }
    // The 16 custom colours (the dialog's own unless the caller points
    // m_cc.lpCustColors elsewhere).
    COLORREF* GetSavedCustomColors() { return m_cc.lpCustColors; }

    CHOOSECOLORA m_cc;

private:
    COLORREF m_clrCustom[16];
};
