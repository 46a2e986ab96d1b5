// The Encryption page of a notebook's options: encryption on or off, the new
// password, and the algorithms (through "Advanced..."). An encrypted
// notebook's password edit holds a placeholder; finding it unchanged means
// the password stays.
#pragma once

#include "framework/ui/CEdit.h"
#include "framework/ui/CPropertyPage.h"

class CFileOptionsPage_Crypt : public CPropertyPage
{
    DECLARE_DYNAMIC(CFileOptionsPage_Crypt)
public:
    CFileOptionsPage_Crypt();

    // 22 bytes, written as escapes: the bytes must not depend on the code
    // page the source is read or compiled in.
    static const char kPasswordPlaceholder[];

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnEncryptFile();
    // Chooses the algorithms; a new choice needs a new password, so the
    // password edit is emptied.
    void OnAdvanced();
    void OnSetFocusPassword();
    // The password edit's text; the placeholder while the page was never shown.
    CString GetPassword() const;
    // Puts the focus in the password edit with its text selected.
    void FocusPassword();

    BOOL m_bUnusable;       // no usable encryption library: the check is disabled
    BOOL m_bEncrypted;      // the notebook is encrypted now
    int m_nEncrypt;         // "Encrypt file"
    DWORD m_dwCipherId;
    DWORD m_dwHashId;
    DWORD m_dwKeyLength;    // bytes
    CString m_strStatus;

protected:
    void EnablePasswordControls(BOOL bEnable);

    CEdit m_wndPassword;

    DECLARE_MESSAGE_MAP()
};
