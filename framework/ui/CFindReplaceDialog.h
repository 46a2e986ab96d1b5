// The common Find and Replace dialogs: modeless; they talk to their owner
// through the registered message "commdlg_FindReplace" (FINDMSGSTRING),
// whose lParam leads back to this object (GetNotifier). The object deletes
// itself when its window goes.
#pragma once

#include "framework/ui/CCommonDialog.h"

#include <commdlg.h>

class CFindReplaceDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(CFindReplaceDialog)
public:
    CFindReplaceDialog();

    // Shows the Find (bFindDialogOnly) or the Replace dialog owned by pParentWnd.
    virtual BOOL Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith = nullptr,
                        DWORD dwFlags = FR_DOWN, CWnd* pParentWnd = nullptr);

    // The dialog behind a "commdlg_FindReplace" message.
    static CFindReplaceDialog* PASCAL GetNotifier(LPARAM lParam);

    CString GetFindString() const { return CString(m_fr.lpstrFindWhat); }
    CString GetReplaceString() const { return CString(m_fr.lpstrReplaceWith); }
    BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
    BOOL ReplaceCurrent() const { return (m_fr.Flags & FR_REPLACE) != 0; }
    BOOL ReplaceAll() const { return (m_fr.Flags & FR_REPLACEALL) != 0; }
    BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }

    FINDREPLACEA m_fr;

    // The dialog's keys (Enter, Escape, Tab, mnemonics) go through the
    // dialog manager: the dialog is modeless, so the program's loop brings
    // them here.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override;

    char m_szFindWhat[128];
    char m_szReplaceWith[128];
};

// The identifier of "commdlg_FindReplace", registered on first use.
UINT AFXAPI AfxGetFindReplaceMessage();
