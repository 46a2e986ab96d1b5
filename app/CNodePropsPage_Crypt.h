// The Encryption page of a node's properties: encryption on or off, the
// algorithms (through "Advanced...") and whether the password changes.
#pragma once

#include "framework/ui/CPropertyPage.h"

class CNodePropsPage_Crypt : public CPropertyPage
{
    DECLARE_DYNAMIC(CNodePropsPage_Crypt)
public:
    CNodePropsPage_Crypt();

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnEncryptNode();
    void OnAdvanced();
    // The note that the new password is asked on OK, once per sheet.
    void OnChangePassword();

    DWORD m_dwKeyLength;        // bytes
    DWORD m_dwHashId;
    DWORD m_dwCipherId;
    int m_nEncrypt;             // "Encrypt this node"
    int m_nChangePassword;      // "Change Password"
    BOOL m_bShowPasswordNote;   // the note is still to be shown
    BOOL m_bUnusable;           // no usable encryption library: the check is disabled
    CString m_strStatus;

protected:
    void EnableEncryptionControls(BOOL bEnable);

    DECLARE_MESSAGE_MAP()
};
