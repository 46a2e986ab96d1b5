// The toolbar common control itself (CToolBar is the docking bar around
// one): buttons, their states and styles, drop-down arrows.
#pragma once

#include "framework/ui/CWnd.h"

#include <commctrl.h>

class CToolBarCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolBarCtrl)
public:
    CToolBarCtrl() {}

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetButtonCount() const { return (int)SendMessage(TB_BUTTONCOUNT); }
    BOOL AddButtons(int nNumButtons, const TBBUTTON* lpButtons);
    BOOL InsertButton(int nIndex, const TBBUTTON* lpButton) { return (BOOL)SendMessage(TB_INSERTBUTTONA, (WPARAM)nIndex, (LPARAM)lpButton); }
    BOOL DeleteButton(int nIndex) { return (BOOL)SendMessage(TB_DELETEBUTTON, (WPARAM)nIndex); }
    BOOL GetButton(int nIndex, TBBUTTON* lpButton) const { return (BOOL)SendMessage(TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)lpButton); }
    int CommandToIndex(UINT nID) const { return (int)SendMessage(TB_COMMANDTOINDEX, nID); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const { return (BOOL)SendMessage(TB_GETITEMRECT, (WPARAM)nIndex, (LPARAM)lpRect); }
    BOOL GetRect(UINT nID, LPRECT lpRect) const { return (BOOL)SendMessage(TB_GETRECT, nID, (LPARAM)lpRect); }
    // TBSTATE_* of a button by command id; -1 when there is no such button.
    int GetState(UINT nID) const { return (int)SendMessage(TB_GETSTATE, nID); }
    BOOL SetState(UINT nID, UINT nState) { return (BOOL)SendMessage(TB_SETSTATE, nID, MAKELPARAM(nState, 0)); }
    BOOL EnableButton(UINT nID, BOOL bEnable = TRUE) { return (BOOL)SendMessage(TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable, 0)); }
    BOOL CheckButton(UINT nID, BOOL bCheck = TRUE) { return (BOOL)SendMessage(TB_CHECKBUTTON, nID, MAKELPARAM(bCheck, 0)); }
    BOOL IsButtonChecked(UINT nID) const { return (BOOL)SendMessage(TB_ISBUTTONCHECKED, nID); }
    BOOL IsButtonEnabled(UINT nID) const { return (BOOL)SendMessage(TB_ISBUTTONENABLED, nID); }
    BOOL GetButtonInfo(UINT nID, TBBUTTONINFOA* ptbbi) const { return SendMessage(TB_GETBUTTONINFOA, nID, (LPARAM)ptbbi) != -1; }
    BOOL SetButtonInfo(UINT nID, const TBBUTTONINFOA* ptbbi) { return (BOOL)SendMessage(TB_SETBUTTONINFOA, nID, (LPARAM)ptbbi); }
    // TBSTYLE_EX_DRAWDDARROWS and the like.
    DWORD SetExtendedStyle(DWORD dwExStyle) { return (DWORD)SendMessage(TB_SETEXTENDEDSTYLE, 0, (LPARAM)dwExStyle); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(TB_GETEXTENDEDSTYLE); }
    HIMAGELIST SetImageList(HIMAGELIST hImageList) { return (HIMAGELIST)SendMessage(TB_SETIMAGELIST, 0, (LPARAM)hImageList); }
    HIMAGELIST GetImageList() const { return (HIMAGELIST)SendMessage(TB_GETIMAGELIST); }
    BOOL SetBitmapSize(SIZE size) { return (BOOL)SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    BOOL SetButtonSize(SIZE size) { return (BOOL)SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    void AutoSize() { SendMessage(TB_AUTOSIZE); }
    HWND GetToolTips() const { return (HWND)SendMessage(TB_GETTOOLTIPS); }
};
