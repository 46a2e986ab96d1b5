#include "framework/ui/CListBox.h"

IMPLEMENT_DYNAMIC(CListBox, CWnd)

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, "LISTBOX", nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

int CListBox::GetText(int nIndex, CString& rString) const
{
    return AfxGetListItemText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, nIndex, rString);
}
