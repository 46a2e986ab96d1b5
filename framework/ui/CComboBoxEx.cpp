#include "framework/ui/CComboBoxEx.h"

IMPLEMENT_DYNAMIC(CComboBoxEx, CComboBox)

BOOL CComboBoxEx::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls(ICC_USEREX_CLASSES);
    return CWnd::CreateEx(0, WC_COMBOBOXEXA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

int CComboBoxEx::InsertItem(int nItem, LPCSTR lpszText, int nImage, int nSelectedImage, LPARAM lParam)
{
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    item.iItem = nItem;
    item.pszText = const_cast<LPSTR>(lpszText);
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    item.lParam = lParam;
    return InsertItem(&item);
}

CString CComboBoxEx::GetItemText(int nItem) const
{
    char sz[256] = "";
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = nItem;
    item.pszText = sz;
    item.cchTextMax = (int)sizeof(sz);
    return GetItem(&item) ? CString(item.pszText) : CString();
}
