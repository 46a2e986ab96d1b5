#include "framework/ui/CListBox.h"

IMPLEMENT_DYNAMIC(CListBox, CWnd)

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, "LISTBOX", nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

int CListBox::GetText(int nIndex, CString& rString) const
{
    const int nLen = GetTextLen(nIndex);
    if (nLen == LB_ERR)
    {
        rString.Empty();
        return LB_ERR;
    }
    const int n = (int)SendMessage(LB_GETTEXT, (WPARAM)nIndex, (LPARAM)rString.GetBuffer(nLen + 1));
    rString.ReleaseBuffer(n == LB_ERR ? 0 : n);
    return n;
}
