// The password dialog: enter a password (mode 1, checked against a node when
// one is attached), set a new one (mode 2, optionally proving the old one
// with mode 1 or 4 as well), or confirm one by typing it again (mode 4).
#pragma once

#include "framework/ui/CDialog.h"

class CQuillcrestDoc;

class CSetPasswordDlg : public CDialog
{
    DECLARE_DYNAMIC(CSetPasswordDlg)
public:
    explicit CSetPasswordDlg(CWnd* pParent = nullptr);
    // Wipes the passwords it held.
    ~CSetPasswordDlg() override;

    enum { modeEnter = 1, modeNew = 2, modeConfirm = 4 };

    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Unlocks an encrypted node for reading: tells the user when the
    // encryption library cannot handle it, else asks for the password (the
    // dialog checks it) and tells the user when that is cancelled. TRUE with
    // the password.
    static BOOL AskNodePassword(CWnd* pParent, CQuillcrestDoc* pDoc, DWORD dwNodeId, CString& strPassword);

    // How far the buttons move up, and the dialog shrinks, with one field.
    static const int kSingleFieldShrink = 48;

    UINT m_nFlags;                // modeEnter | modeNew | modeConfirm
    CQuillcrestDoc* m_pDoc;       // with m_dwNodeId: the node whose password is entered
    DWORD m_dwNodeId;             // 0: none
    CString m_strPassword;        // first field: the password, the old one, or the re-typed one
    CString m_strNewPassword;     // mode 2: the new one; mode 4: the one to confirm
    CString m_strRetypePassword;

protected:
    // Whether the first field is the password of the attached node.
    virtual BOOL CheckNodePassword(LPCSTR lpszPassword);
    void Refuse(UINT nIDPrompt, int nIDEdit, BOOL bSelectAll);

    CWnd m_wndLabel1, m_wndLabel2, m_wndLabel3;
    CWnd m_wndEdit1, m_wndEdit2, m_wndEdit3;
    BOOL m_bFirstInUse;
};
