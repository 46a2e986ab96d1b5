#include "app/CNodePropsPage_Crypt.h"

#include "app/CCryptSettingsDlg.h"
#include "app/res/NodePropsCryptDlgRes.h"
#include "app/res/Resource.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(CNodePropsPage_Crypt, CPropertyPage)

BEGIN_MESSAGE_MAP(CNodePropsPage_Crypt, CPropertyPage)
    ON_BN_CLICKED(IDC_NODECRYPT_ENCRYPT, OnEncryptNode)
    ON_BN_CLICKED(IDC_NODECRYPT_ADVANCED, OnAdvanced)
    ON_BN_CLICKED(IDC_NODECRYPT_CHANGE_PASSWORD, OnChangePassword)
END_MESSAGE_MAP()

CNodePropsPage_Crypt::CNodePropsPage_Crypt()
    : CPropertyPage(IDD_NODEPROPS_CRYPT), m_dwKeyLength(0), m_dwHashId(0), m_dwCipherId(0), m_nEncrypt(0),
      m_nChangePassword(0), m_bShowPasswordNote(TRUE), m_bUnusable(FALSE)
{
}

void CNodePropsPage_Crypt::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_NODECRYPT_ENCRYPT, m_nEncrypt);
    DDX_Check(pDX, IDC_NODECRYPT_CHANGE_PASSWORD, m_nChangePassword);
    if (!pDX->m_bSaveAndValidate)
        DDX_Text(pDX, IDC_NODECRYPT_STATUS, m_strStatus);
}

void CNodePropsPage_Crypt::EnableEncryptionControls(BOOL bEnable)
{
    // The algorithms can be chosen for a node about to be encrypted as well
    // as for one that is.
    const int ids[] = { IDC_NODECRYPT_ADVANCED, IDC_NODECRYPT_CHANGE_PASSWORD };
    for (int nID : ids)
    {
        if (CWnd* pWnd = GetDlgItem(nID))
            pWnd->EnableWindow(bEnable);
    }
}

BOOL CNodePropsPage_Crypt::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (m_bUnusable)
    {
        if (CWnd* pCheck = GetDlgItem(IDC_NODECRYPT_ENCRYPT))
            pCheck->EnableWindow(FALSE);
    }
    EnableEncryptionControls(m_nEncrypt != 0 && !m_bUnusable);
    return TRUE;
}

void CNodePropsPage_Crypt::OnEncryptNode()
{
    m_nEncrypt = IsDlgButtonChecked(IDC_NODECRYPT_ENCRYPT) == BST_CHECKED ? 1 : 0;
    EnableEncryptionControls(m_nEncrypt != 0);
}

void CNodePropsPage_Crypt::OnAdvanced()
{
    CCryptSettingsDlg::Choose(this, m_dwCipherId, m_dwHashId, m_dwKeyLength);
}

void CNodePropsPage_Crypt::OnChangePassword()
{
    m_nChangePassword = IsDlgButtonChecked(IDC_NODECRYPT_CHANGE_PASSWORD) == BST_CHECKED ? 1 : 0;
    if (m_nChangePassword && m_bShowPasswordNote)
    {
        m_bShowPasswordNote = FALSE;
        MessageBox(AfxLoadText(IDS_CHANGE_PASSWORD_NOTE), AfxLoadText(IDS_CHANGE_PASSWORD_CAPTION),
                   MB_OK | MB_ICONINFORMATION);
    }
}
