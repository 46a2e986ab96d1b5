// The options of one open notebook (File > Properties): its sort order, its
// logo and its encryption. On OK the sheet writes the sort order and the logo
// into the notebook; the encryption it only decides (m_bCryptChanged and the
// ids, key length and password) for the caller to set up.
#pragma once

#include "app/CFileOptionsPage_Crypt.h"
#include "app/CFileOptionsPage_Logo.h"
#include "app/CFileOptionsPage_Sort.h"

#include "core/CQlcAppServices.h"

#include "framework/ui/CPropertySheet.h"

class CQuillcrestDoc;

class CFileOptionsSheet : public CPropertySheet
{
    DECLARE_DYNAMIC(CFileOptionsSheet)
public:
    explicit CFileOptionsSheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CFileOptionsSheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    // Wipes the new password.
    ~CFileOptionsSheet() override;

    // The File > Properties command of a notebook: the sheet captioned with
    // the notebook's title; on OK the tree is sorted again and the encryption
    // choice is handed back. TRUE on OK.
    static BOOL Run(CQuillcrestDoc* pDoc, QLCCRYPTCHOICE& crypt);

    // Fills the pages from the notebook, runs the sheet, and on OK writes the
    // sort order and the logo into the notebook.
    INT_PTR DoModal() override;
    // OK: the encryption part must pass (a password, listed algorithms, the
    // password confirmed) or the sheet stays open.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void InitCryptPage();

    CQuillcrestDoc* m_pDoc;
    BOOL m_bCryptChanged;
    CString m_strNewPassword;
    DWORD m_dwCipherId;
    DWORD m_dwHashId;
    DWORD m_dwKeyLength;    // bytes

    CFileOptionsPage_Crypt m_pageCrypt;
    CFileOptionsPage_Sort m_pageSort;
    CFileOptionsPage_Logo m_pageLogo;

protected:
    void AddPages();
    // FALSE keeps the sheet open (the user was told why).
    BOOL CheckEncryption();
    void RefuseOnCryptPage(UINT nIDPrompt, UINT nIDCaption, BOOL bFocusPassword);
    void ApplySortOrder();
    void ApplyLogo();
};
