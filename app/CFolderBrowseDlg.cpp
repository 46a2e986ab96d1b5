#include "app/CFolderBrowseDlg.h"

#include "framework/ui/CDialog.h"

#include <shlobj.h>

IMPLEMENT_DYNAMIC(CFolderBrowseDlg, CCommonDialog)

CFolderBrowseDlg::CFolderBrowseDlg(LPCSTR lpszTitle, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_strTitle(lpszTitle), m_nFlags(BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE)
{
}

INT_PTR CFolderBrowseDlg::DoModal()
{
    m_strPath.Empty();
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;

    BROWSEINFOA bi = {};
    bi.hwndOwner = CDialog::GetModalOwnerOf(m_pParentWnd);
    bi.lpszTitle = m_strTitle;
    bi.ulFlags = m_nFlags;
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderA(&bi);
    if (pidl == nullptr)
        return IDCANCEL;
    char szPath[MAX_PATH] = "";
    if (::SHGetPathFromIDListA(pidl, szPath))
        m_strPath = szPath;
    ::CoTaskMemFree(pidl);
    return IDOK;
}
