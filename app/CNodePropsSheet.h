// "Node Properties": one node's keywords and encryption. The caller gives the
// document, the node and the node's password (the one it remembers or just
// asked for). On OK the sheet has written the keywords; the encryption it
// only decides (m_bCryptChanged, the ids, key length and both passwords) for
// the caller to re-encode the node with.
#pragma once

#include "app/CNodePropsPage_Crypt.h"
#include "app/CNodePropsPage_Keywords.h"

#include "framework/ui/CPropertySheet.h"

class CQuillcrestDoc;

class CNodePropsSheet : public CPropertySheet
{
    DECLARE_DYNAMIC(CNodePropsSheet)
public:
    explicit CNodePropsSheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CNodePropsSheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    // Wipes the passwords.
    ~CNodePropsSheet() override;

    // Fills the pages from the node, then runs the sheet.
    INT_PTR DoModal() override;
    // OK: with the focus in the keyword edit it adds the keyword instead; else
    // the encryption part must pass (listed algorithms, the passwords given)
    // before the keywords are written and the sheet closes.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CQuillcrestDoc* m_pDoc;
    DWORD m_dwNodeId;
    CString m_strPassword;      // given: the node's current password, when it is encrypted

    BOOL m_bCryptChanged;
    CString m_strOldPassword;
    CString m_strNewPassword;
    DWORD m_dwCipherId;         // results start at -1
    DWORD m_dwHashId;
    DWORD m_dwKeyLength;        // bytes

    CNodePropsPage_Keywords m_pageKeywords;
    CNodePropsPage_Crypt m_pageCrypt;

protected:
    void AddPages();
    void LoadNode();
    // FALSE keeps the sheet open (the user was told why, or cancelled).
    BOOL CheckEncryption();
    void WriteKeywords();
    void RefuseOnCryptPage(UINT nIDPrompt);
};
