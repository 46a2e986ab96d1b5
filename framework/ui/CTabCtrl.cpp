#include "framework/ui/CTabCtrl.h"

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

BOOL CTabCtrl::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = WC_TABCONTROLA;
    return TRUE;
}

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls(ICC_TAB_CLASSES);
    return CWnd::CreateEx(0, WC_TABCONTROLA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

LONG CTabCtrl::InsertItem(int nItem, LPCSTR lpszItem)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPSTR>(lpszItem);
    return (LONG)SendMessage(TCM_INSERTITEMA, (WPARAM)nItem, (LPARAM)&item);
}

CString CTabCtrl::GetItemText(int nItem) const
{
    char sz[256] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = sz;
    item.cchTextMax = (int)sizeof(sz);
    if (!SendMessage(TCM_GETITEMA, (WPARAM)nItem, (LPARAM)&item))
        return CString();
    return CString(item.pszText);
}
