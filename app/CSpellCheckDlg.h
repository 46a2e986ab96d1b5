// The "Spelling" dialog: one misspelt word with its suggestions, answered
// with Ignore, Ignore All, Add, Change or Cancel. One object serves a whole
// check and is shown once per word; it opens beside the word and, once
// moved, stays where it was left unless it would cover the next word.
#pragma once

#include "framework/base/CStringArray.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CListBox.h"

class CSpellCheckDlg : public CDialog
{
    DECLARE_DYNAMIC(CSpellCheckDlg)
public:
    enum Result
    {
        resIgnore = 0,
        resIgnoreAll = 1,
        resAdd = 2,
        resChange = 3,
        resCancel = 4
    };

    explicit CSpellCheckDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Where the dialog goes (top-left) for a word's rectangle, the dialog's
    // size, the screen and the position it was last left at ((-1, -1): none).
    static POINT PlaceBesideWord(const RECT& rcWord, SIZE sizeDialog, const RECT& rcScreen, POINT ptRemembered);

    CStringArray m_suggestions;
    RECT m_rcWord;          // screen coordinates
    POINT m_ptRemembered;   // (-1, -1) until the dialog first closes
    int m_nResult;          // a Result
    CListBox m_wndSuggestions;
    CString m_strWord;
    CString m_strReplacement;

protected:
    void EndWith(int nResult);
    void OnIgnore() { EndWith(resIgnore); }
    void OnIgnoreAll() { EndWith(resIgnoreAll); }
    void OnAdd() { EndWith(resAdd); }
    void OnChange() { EndWith(resChange); }
    void OnCancelButton();
    // Puts the selected suggestion into "Change to"; FALSE when none is selected.
    BOOL CopySuggestion();
    void OnSuggestionSelChange();
    void OnSuggestionDblClk();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
};
