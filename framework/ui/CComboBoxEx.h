// The extended combo box: items with images, and an edit item (index -1)
// that can show a text with its image. The plain combo-box calls work on
// it too (the control passes them to its inner combo box).
#pragma once

#include "framework/ui/CComboBox.h"

#include <commctrl.h>

class CComboBoxEx : public CComboBox
{
    DECLARE_DYNAMIC(CComboBoxEx)
public:
    CComboBoxEx() {}

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int InsertItem(const COMBOBOXEXITEMA* pCBItem) { return (int)SendMessage(CBEM_INSERTITEMA, 0, (LPARAM)pCBItem); }
    // A text with its image (and selected image) at nItem (-1: at the end).
    int InsertItem(int nItem, LPCSTR lpszText, int nImage, int nSelectedImage, LPARAM lParam = 0);
    int DeleteItem(int nIndex) { return (int)SendMessage(CBEM_DELETEITEM, (WPARAM)nIndex); }
    BOOL GetItem(COMBOBOXEXITEMA* pCBItem) const { return (BOOL)SendMessage(CBEM_GETITEMA, 0, (LPARAM)pCBItem); }
    // With iItem -1 it sets the edit item: what the closed combo shows.
    BOOL SetItem(const COMBOBOXEXITEMA* pCBItem) { return (BOOL)SendMessage(CBEM_SETITEMA, 0, (LPARAM)pCBItem); }
    CString GetItemText(int nItem) const;
    HIMAGELIST SetImageList(HIMAGELIST hImageList) { return (HIMAGELIST)SendMessage(CBEM_SETIMAGELIST, 0, (LPARAM)hImageList); }
    HIMAGELIST GetImageList() const { return (HIMAGELIST)SendMessage(CBEM_GETIMAGELIST); }
    DWORD SetExtendedStyle(DWORD dwExMask, DWORD dwExStyles)
    {
        return (DWORD)SendMessage(CBEM_SETEXTENDEDSTYLE, dwExMask, dwExStyles);
    }
    // The inner controls: the combo box, and its edit (null without CBS_DROPDOWN).
    HWND GetComboBoxCtrl() const { return (HWND)SendMessage(CBEM_GETCOMBOCONTROL); }
    HWND GetEditCtrl() const { return (HWND)SendMessage(CBEM_GETEDITCONTROL); }
    BOOL HasEditChanged() const { return (BOOL)SendMessage(CBEM_HASEDITCHANGED); }
};
