// The shell's folder browser as a common dialog: file-system folders only,
// with an edit box, in the new style. Like the other common dialogs it asks
// the common-dialog hook first, so tests answer it.
#pragma once

#include "framework/ui/CCommonDialog.h"

class CFolderBrowseDlg : public CCommonDialog
{
    DECLARE_DYNAMIC(CFolderBrowseDlg)
public:
    CFolderBrowseDlg(LPCSTR lpszTitle, CWnd* pParentWnd);

    // IDOK when a folder was chosen (m_strPath is empty when the chosen
    // folder has no file-system path), IDCANCEL otherwise.
    virtual INT_PTR DoModal();

    CString m_strTitle;
    UINT m_nFlags;
    CString m_strPath;
};
