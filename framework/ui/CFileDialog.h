// The common Open / Save As dialog. The filter is given as
// "Name|pattern|Name|pattern||".
#pragma once

#include "framework/ui/CCommonDialog.h"

#include <commdlg.h>

class CFileDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CFileDialog)
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);

    virtual INT_PTR DoModal();
    CString GetPathName() const { return CString(m_szFileName); }
    CString GetFileName() const;
    // Sets the chosen file (the hook's answer).
    void SetPathName(LPCSTR lpszPathName) { lstrcpynA(m_szFileName, lpszPathName, (int)sizeof(m_szFileName)); }

    OPENFILENAMEA m_ofn;
    BOOL m_bOpenFileDialog;

protected:
    char m_szFileName[MAX_PATH * 4];
    char m_szFileTitle[MAX_PATH];
    CString m_strFilter;
    CString m_strDefExt;
};
