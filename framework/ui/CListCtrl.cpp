#include "framework/ui/CListCtrl.h"

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

namespace {

// What the sort trampoline passes through the control to the comparison.
struct CSortCall
{
    PFNLVCOMPARE pfnCompare;
    LPARAM lParamSort;
    BOOL bFailed;
};

int CALLBACK CompareBarrier(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    CSortCall* pCall = reinterpret_cast<CSortCall*>(lParamSort);
    if (pCall->bFailed)
        return 0;
    try
    {
        return pCall->pfnCompare(lParam1, lParam2, pCall->lParamSort);
    }
    catch (...)
    {
        pCall->bFailed = TRUE;
        return 0;
    }
}

} // namespace

BOOL CListCtrl::PreCreateWindow(CREATESTRUCTA& cs)
{
    AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
    if (cs.lpszClass == nullptr)
        cs.lpszClass = WC_LISTVIEWA;
    return TRUE;
}

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
    return CWnd::CreateEx(0, WC_LISTVIEWA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, LPCSTR lpszHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPSTR>(lpszHeading);
    column.fmt = nFormat;
    if (nWidth != -1)
    {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1)
    {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}

int CListCtrl::InsertItem(int nItem, LPCSTR lpszItem, int nImage)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<LPSTR>(lpszItem);
    if (nImage != -1)
    {
        item.mask |= LVIF_IMAGE;
        item.iImage = nImage;
    }
    return InsertItem(&item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The control copies at most the buffer; grow until the text fits.
    CString str;
    for (int nSize = 256;; nSize *= 2)
    {
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.cchTextMax = nSize;
        item.pszText = str.GetBuffer(nSize);
        const int n = (int)SendMessage(LVM_GETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
        str.ReleaseBuffer(n);
        if (n < nSize - 1)
            return str;
    }
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPSTR>(lpszText);
    return (BOOL)SendMessage(LVM_SETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(&item) ? (DWORD_PTR)item.lParam : 0;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = (LPARAM)dwData;
    return SetItem(&item);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item = {};
    item.stateMask = nMask;
    item.state = nState;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, (WPARAM)nItem, (LPARAM)&item);
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData)
{
    CSortCall call = { pfnCompare, (LPARAM)dwData, FALSE };
    const BOOL bSorted = (BOOL)SendMessage(LVM_SORTITEMS, (WPARAM)&call, (LPARAM)&CompareBarrier);
    return bSorted && !call.bFailed;
}
