#include "app/CCryptSettingsDlg.h"

#include "app/res/CryptSettingsDlgRes.h"
#include "app/res/Resource.h"

#include "core/CCryptDLLHandler.h"

#include "framework/ui/CDataExchange.h"

#include <algorithm>

namespace {

// Room for the longest name the library may give (it always terminates it).
const DWORD kNameSize = 128;
// Rows the drop-down lists show before they scroll.
const int kDropRows = 8;

} // namespace

IMPLEMENT_DYNAMIC(CCryptSettingsDlg, CDialog)

BEGIN_MESSAGE_MAP(CCryptSettingsDlg, CDialog)
    ON_CBN_SELCHANGE(IDC_CRYPT_CIPHER, OnSelChangeEncryption)
END_MESSAGE_MAP()

CCryptSettingsDlg::CCryptSettingsDlg(CWnd* pParent)
    : CDialog(IDD_CRYPT_SETTINGS, pParent), m_dwHashId(0), m_dwCipherId(0), m_dwKeyLength(0),
      m_strStrength("56-bit"), m_dwInitialCipherId(0)
{
}

BOOL CCryptSettingsDlg::LookUpCipher(DWORD dwCipherId, QLC_CRYPT_TYPE& type)
{
    type = QLC_CRYPT_TYPE();
    CCryptDLLHandler* pCrypt = QlcCrypt();
    CCryptUse use(pCrypt);
    if (!use.IsHeld() || dwCipherId == 0)
        return FALSE;
    DWORD dwPosition = dwCipherId;
    return pCrypt->m_pfnGetNextCipher(&dwPosition, &type) && type.dwId == dwCipherId;
}

BOOL CCryptSettingsDlg::LookUpHash(DWORD dwHashId, QLC_CRYPT_TYPE& type)
{
    type = QLC_CRYPT_TYPE();
    CCryptDLLHandler* pCrypt = QlcCrypt();
    CCryptUse use(pCrypt);
    if (!use.IsHeld() || dwHashId == 0)
        return FALSE;
    DWORD dwPosition = dwHashId;
    return pCrypt->m_pfnGetNextHash(&dwPosition, &type) && type.dwId == dwHashId;
}

BOOL CCryptSettingsDlg::IsEncryptionUsable()
{
    CCryptDLLHandler* pCrypt = QlcCrypt();
    CCryptUse use(pCrypt);
    return use.IsHeld() && pCrypt->m_pfnGetMaxKeyLength() != 0;
}

DWORD CCryptSettingsDlg::DefaultCipher()
{
    CCryptDLLHandler* pCrypt = QlcCrypt();
    CCryptUse use(pCrypt);
    return use.IsHeld() ? pCrypt->m_pfnGetDefaultCipher() : 0;
}

DWORD CCryptSettingsDlg::DefaultHash()
{
    CCryptDLLHandler* pCrypt = QlcCrypt();
    CCryptUse use(pCrypt);
    return use.IsHeld() ? pCrypt->m_pfnGetDefaultHash() : 0;
}

BOOL CCryptSettingsDlg::Choose(CWnd* pParent, DWORD& dwCipherId, DWORD& dwHashId, DWORD& dwKeyLength)
{
    CCryptSettingsDlg dlg(pParent);
    dlg.m_dwCipherId = dwCipherId;
    dlg.m_dwHashId = dwHashId;
    dlg.m_dwKeyLength = dwKeyLength;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    dwCipherId = dlg.m_dwCipherId;
    dwHashId = dlg.m_dwHashId;
    dwKeyLength = dlg.m_dwKeyLength;
    return TRUE;
}

void CCryptSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CRYPT_HASH, m_wndHash);
    DDX_Control(pDX, IDC_CRYPT_CIPHER, m_wndCipher);
    DDX_Text(pDX, IDC_CRYPT_STRENGTH, m_strStrength);
}

void CCryptSettingsDlg::FillList(CComboBox& combo, BOOL bCiphers, DWORD dwSelectId, UINT nIDUnknown)
{
    combo.ResetContent();
    CCryptDLLHandler* pCrypt = QlcCrypt();
    CCryptUse use(pCrypt);
    if (use.IsHeld())
    {
        DWORD dwPosition = bCiphers ? pCrypt->m_pfnGetFirstCipher() : pCrypt->m_pfnGetFirstHash();
        while (dwPosition != 0)
        {
            char szName[kNameSize] = {};
            QLC_CRYPT_TYPE type = {};
            type.lpszName = szName;
            type.dwNameSize = kNameSize;
            const BOOL bFilled = bCiphers ? pCrypt->m_pfnGetNextCipher(&dwPosition, &type)
                                          : pCrypt->m_pfnGetNextHash(&dwPosition, &type);
            if (!bFilled)
                break;
            szName[kNameSize - 1] = '\0';
            const int nItem = combo.AddString(szName);
            if (nItem >= 0)
            {
                combo.SetItemData(nItem, type.dwId);
                if (type.dwId == dwSelectId)
                    combo.SetCurSel(nItem);
            }
        }
    }
    if (dwSelectId != 0 && combo.GetCurSel() == CB_ERR)
    {
        const int nItem = combo.AddString(AfxLoadText(nIDUnknown));
        if (nItem >= 0)
        {
            combo.SetItemData(nItem, kUnknownId);
            combo.SetCurSel(nItem);
        }
    }

    // The list drops far enough to show its entries without scrolling.
    CRect rect;
    combo.GetWindowRect(rect);
    ScreenToClient(rect);
    const int nRows = std::max(1, std::min(kDropRows, combo.GetCount()));
    const int nHeight = combo.GetItemHeight(-1) + nRows * combo.GetItemHeight(0) + 2 * ::GetSystemMetrics(SM_CYEDGE) + 2;
    combo.SetWindowPos(nullptr, 0, 0, rect.Width(), nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CCryptSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_dwInitialCipherId = m_dwCipherId;
    FillList(m_wndCipher, TRUE, m_dwCipherId, IDS_CRYPT_UNKNOWN_CIPHER);
    OnSelChangeEncryption();
    FillList(m_wndHash, FALSE, m_dwHashId, IDS_CRYPT_UNKNOWN_HASH);
    return TRUE;
}

DWORD CCryptSettingsDlg::SelectedId(const CComboBox& combo)
{
    if (combo.m_hWnd == nullptr)
        return kUnknownId;
    const int nItem = combo.GetCurSel();
    return nItem == CB_ERR ? kUnknownId : (DWORD)combo.GetItemData(nItem);
}

void CCryptSettingsDlg::OnSelChangeEncryption()
{
    QLC_CRYPT_TYPE type;
    if (LookUpCipher(SelectedId(m_wndCipher), type))
        m_strStrength.Format(AfxLoadText(IDS_CRYPT_STRENGTH), (int)(type.dwDefaultKeyLength * 8));
    else
        m_strStrength.Empty(); // an algorithm the library does not know has no strength to show
    SetDlgItemText(IDC_CRYPT_STRENGTH, m_strStrength);
}

void CCryptSettingsDlg::Refuse(UINT nIDPrompt, CComboBox& combo)
{
    MessageBox(AfxLoadText(nIDPrompt), AfxLoadText(IDS_CRYPT_SETTINGS_CAPTION), MB_OK | MB_ICONWARNING);
    GotoDlgCtrl(&combo);
}

void CCryptSettingsDlg::OnOK()
{
    // An entry the library does not list would make a notebook or node that
    // nothing can open again: only listed algorithms leave this dialog.
    QLC_CRYPT_TYPE type;
    if (!LookUpCipher(SelectedId(m_wndCipher), type))
    {
        Refuse(IDS_CRYPT_CHOOSE_CIPHER, m_wndCipher);
        return;
    }
    if (!LookUpHash(SelectedId(m_wndHash), type))
    {
        Refuse(IDS_CRYPT_CHOOSE_HASH, m_wndHash);
        return;
    }
    if (!UpdateData(TRUE))
        return;
    // Another cipher gets its own default key length, the strength shown.
    if (SelectedId(m_wndCipher) != m_dwInitialCipherId)
        m_dwKeyLength = 0;
    EndDialog(IDOK);
}

BOOL CCryptSettingsDlg::DestroyWindow()
{
    if (m_hWnd != nullptr)
    {
        m_dwCipherId = SelectedId(m_wndCipher);
        m_dwHashId = SelectedId(m_wndHash);
    }
    return CDialog::DestroyWindow();
}
