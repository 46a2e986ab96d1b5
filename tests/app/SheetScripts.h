// Scripts for the property sheets and dialogs of the notebook and node
// properties: each kind of window gets its own script, and whatever a script
// leaves open is cancelled, so that nothing waits for a person. Controls are
// worked as the user works them (BM_CLICK toggles a check box and tells its
// parent).
#pragma once

#include "WindowTestSupport.h"

#include "app/CCryptSettingsDlg.h"
#include "app/CSetPasswordDlg.h"

#include "framework/ui/CPropertySheet.h"

#include <functional>
#include <string>

class CSheetScripts
{
public:
    CSheetScripts() : m_hook([this](CWnd* pWnd) { Dispatch(pWnd); }) {}

    std::function<void(CPropertySheet*)> sheet;
    std::function<void(CCryptSettingsDlg*)> settings;
    std::function<void(CSetPasswordDlg*)> password;
    int nSheets = 0;
    int nSettings = 0;
    int nPasswords = 0;

private:
    static BOOL IsOpen(CWnd* pWnd) { return ::IsWindow(pWnd->m_hWnd) && pWnd->ContinueModal(); }
    void Dispatch(CWnd* pWnd)
    {
        if (CPropertySheet* pSheet = DYNAMIC_DOWNCAST(CPropertySheet, pWnd))
        {
            nSheets++;
            if (sheet)
                sheet(pSheet);
        }
        else if (CCryptSettingsDlg* pSettings = DYNAMIC_DOWNCAST(CCryptSettingsDlg, pWnd))
        {
            nSettings++;
            if (settings)
                settings(pSettings);
        }
        else if (CSetPasswordDlg* pPassword = DYNAMIC_DOWNCAST(CSetPasswordDlg, pWnd))
        {
            nPasswords++;
            if (password)
                password(pPassword);
        }
        if (IsOpen(pWnd))
            ClickButton(pWnd, IDCANCEL);
    }

    CScriptedDialogs m_hook;
};

inline HWND Item(CWnd* pParent, int nID)
{
    return ::GetDlgItem(pParent->m_hWnd, nID);
}

// A click on a button or check box.
inline void Press(CWnd* pParent, int nID)
{
    ::SendMessageA(Item(pParent, nID), BM_CLICK, 0, 0);
}

inline BOOL IsChecked(CWnd* pParent, int nID)
{
    return ::IsDlgButtonChecked(pParent->m_hWnd, nID) == BST_CHECKED;
}

inline BOOL IsEnabled(CWnd* pParent, int nID)
{
    return ::IsWindowEnabled(Item(pParent, nID));
}

inline void Type(CWnd* pParent, int nID, LPCSTR lpszText)
{
    ::SetDlgItemTextA(pParent->m_hWnd, nID, lpszText);
}

inline std::string TextOf(CWnd* pParent, int nID)
{
    char sz[512] = {};
    ::GetDlgItemTextA(pParent->m_hWnd, nID, sz, sizeof(sz));
    return sz;
}

// Chooses the combo entry with the item data (-1 as the index: none) and
// tells the dialog, as a choice in the list does.
inline void ChooseComboData(CWnd* pDlg, int nID, DWORD dwData)
{
    HWND hCombo = Item(pDlg, nID);
    int nIndex = -1;
    const int nCount = (int)::SendMessageA(hCombo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < nCount; i++)
    {
        if ((DWORD)::SendMessageA(hCombo, CB_GETITEMDATA, (WPARAM)i, 0) == dwData)
            nIndex = i;
    }
    ::SendMessageA(hCombo, CB_SETCURSEL, (WPARAM)nIndex, 0);
    pDlg->SendMessage(WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE), (LPARAM)hCombo);
}

inline void ClearComboSelection(CWnd* pDlg, int nID)
{
    HWND hCombo = Item(pDlg, nID);
    ::SendMessageA(hCombo, CB_SETCURSEL, (WPARAM)-1, 0);
    pDlg->SendMessage(WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE), (LPARAM)hCombo);
}

// The combo's entries as "name=data" joined by ", "; the selected one in [].
inline std::string DescribeCombo(CWnd* pDlg, int nID)
{
    HWND hCombo = Item(pDlg, nID);
    const int nCount = (int)::SendMessageA(hCombo, CB_GETCOUNT, 0, 0);
    const int nSelected = (int)::SendMessageA(hCombo, CB_GETCURSEL, 0, 0);
    std::string text;
    for (int i = 0; i < nCount; i++)
    {
        char sz[256] = {};
        ::SendMessageA(hCombo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
        char szData[32];
        wsprintfA(szData, "=%x", (UINT)::SendMessageA(hCombo, CB_GETITEMDATA, (WPARAM)i, 0));
        if (!text.empty())
            text += ", ";
        text += (i == nSelected ? "[" : "") + std::string(sz) + szData + (i == nSelected ? "]" : "");
    }
    return text;
}

// A key pressed in a control of a running sheet, through the sheet's own
// message handling as the modal loop gives it.
inline void PressKeyIn(CWnd* pSheet, HWND hCtrl, UINT nVirtKey)
{
    MSG msg = {};
    msg.hwnd = hCtrl;
    msg.message = WM_KEYDOWN;
    msg.wParam = nVirtKey;
    msg.lParam = 1;
    if (!pSheet->PreTranslateMessage(&msg))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
