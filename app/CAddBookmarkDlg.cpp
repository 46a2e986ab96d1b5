#include "app/CAddBookmarkDlg.h"

#include "app/res/AddBookmarkDlgRes.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(CAddBookmarkDlg, CDialog)

CAddBookmarkDlg::CAddBookmarkDlg(CWnd* pParent) : CDialog(IDD_ADD_BOOKMARK, pParent)
{
}

void CAddBookmarkDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_BOOKMARK_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxNameLength);
}
