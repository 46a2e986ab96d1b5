#include "app/CFileOptionsPage_Crypt.h"

#include "app/CCryptSettingsDlg.h"
#include "app/res/FileOptionsCryptDlgRes.h"

#include "framework/ui/CDataExchange.h"

// "\/**CHKV-" + the bytes A5 A6 A7 A8 (Windows-1252 yen, broken bar, section,
// diaeresis) + "-WORD**\/".
const char CFileOptionsPage_Crypt::kPasswordPlaceholder[] = "\\/**CHKV-\xA5\xA6\xA7\xA8-WORD**\\/";
static_assert(sizeof(CFileOptionsPage_Crypt::kPasswordPlaceholder) == 23, "the placeholder is 22 bytes");

IMPLEMENT_DYNAMIC(CFileOptionsPage_Crypt, CPropertyPage)

BEGIN_MESSAGE_MAP(CFileOptionsPage_Crypt, CPropertyPage)
    ON_BN_CLICKED(IDC_FILECRYPT_ENCRYPT, OnEncryptFile)
    ON_BN_CLICKED(IDC_FILECRYPT_ADVANCED, OnAdvanced)
    ON_EN_SETFOCUS(IDC_FILECRYPT_PASSWORD, OnSetFocusPassword)
END_MESSAGE_MAP()

CFileOptionsPage_Crypt::CFileOptionsPage_Crypt()
    : CPropertyPage(IDD_FILEOPTIONS_CRYPT), m_bUnusable(FALSE), m_bEncrypted(FALSE), m_nEncrypt(0),
      m_dwCipherId(0), m_dwHashId(0), m_dwKeyLength(0)
{
}

void CFileOptionsPage_Crypt::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILECRYPT_PASSWORD, m_wndPassword);
    DDX_Check(pDX, IDC_FILECRYPT_ENCRYPT, m_nEncrypt);
    if (!pDX->m_bSaveAndValidate)
        DDX_Text(pDX, IDC_FILECRYPT_STATUS, m_strStatus);
}

void CFileOptionsPage_Crypt::EnablePasswordControls(BOOL bEnable)
{
    const int ids[] = { IDC_FILECRYPT_ADVANCED, IDC_FILECRYPT_PASSWORD_LABEL, IDC_FILECRYPT_PASSWORD };
    for (int nID : ids)
    {
        if (CWnd* pWnd = GetDlgItem(nID))
            pWnd->EnableWindow(bEnable);
    }
}

BOOL CFileOptionsPage_Crypt::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (m_bUnusable)
    {
        if (CWnd* pCheck = GetDlgItem(IDC_FILECRYPT_ENCRYPT))
            pCheck->EnableWindow(FALSE);
    }
    if (m_bEncrypted)
        m_wndPassword.SetWindowText(kPasswordPlaceholder);
    EnablePasswordControls(m_nEncrypt != 0 && !m_bUnusable);
    return TRUE;
}

void CFileOptionsPage_Crypt::OnEncryptFile()
{
    m_nEncrypt = IsDlgButtonChecked(IDC_FILECRYPT_ENCRYPT) == BST_CHECKED ? 1 : 0;
    EnablePasswordControls(m_nEncrypt != 0);
}

void CFileOptionsPage_Crypt::OnAdvanced()
{
    if (CCryptSettingsDlg::Choose(this, m_dwCipherId, m_dwHashId, m_dwKeyLength))
        m_wndPassword.SetWindowText("");
}

void CFileOptionsPage_Crypt::OnSetFocusPassword()
{
    m_wndPassword.SetSel(0, -1);
    m_wndPassword.SendMessage(EM_SCROLLCARET);
}

CString CFileOptionsPage_Crypt::GetPassword() const
{
    if (m_wndPassword.m_hWnd == nullptr)
        return CString(kPasswordPlaceholder);
    CString strPassword;
    m_wndPassword.GetWindowText(strPassword);
    return strPassword;
}

void CFileOptionsPage_Crypt::FocusPassword()
{
    if (m_wndPassword.m_hWnd == nullptr)
        return;
    m_wndPassword.SetFocus();
    OnSetFocusPassword();
}
