#include "app/CNodePropsSheet.h"

#include "app/CCryptSettingsDlg.h"
#include "app/CSetPasswordDlg.h"
#include "app/res/NodePropsKeywordsDlgRes.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxSecure.h"

IMPLEMENT_DYNAMIC(CNodePropsSheet, CPropertySheet)

CNodePropsSheet::CNodePropsSheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage), m_pDoc(nullptr), m_dwNodeId(0), m_bCryptChanged(FALSE),
      m_dwCipherId((DWORD)-1), m_dwHashId((DWORD)-1), m_dwKeyLength((DWORD)-1)
{
    AddPages();
}

CNodePropsSheet::CNodePropsSheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage), m_pDoc(nullptr), m_dwNodeId(0), m_bCryptChanged(FALSE),
      m_dwCipherId((DWORD)-1), m_dwHashId((DWORD)-1), m_dwKeyLength((DWORD)-1)
{
    AddPages();
}

CNodePropsSheet::~CNodePropsSheet()
{
    AfxSecureWipe(m_strPassword);
    AfxSecureWipe(m_strOldPassword);
    AfxSecureWipe(m_strNewPassword);
}

void CNodePropsSheet::AddPages()
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
    AddPage(&m_pageKeywords);
    AddPage(&m_pageCrypt);
}

void CNodePropsSheet::LoadNode()
{
    if (!CCryptSettingsDlg::IsEncryptionUsable())
    {
        m_pageCrypt.m_bUnusable = TRUE;
        m_pageCrypt.m_strStatus = AfxLoadText(IDS_ENCRYPTION_UNAVAILABLE);
    }
    CQlcNode node(m_pDoc, m_dwNodeId);
    if (node.GetCipherId() != 0)
    {
        m_pageCrypt.m_dwCipherId = node.GetCipherId();
        m_pageCrypt.m_dwKeyLength = node.GetKeyLength();
        m_pageCrypt.m_nEncrypt = 1;
    }
    else
    {
        m_pageCrypt.m_dwCipherId = CCryptSettingsDlg::DefaultCipher();
    }
    if (node.GetHashId() != 0)
        m_pageCrypt.m_dwHashId = node.GetHashId();
    else
        m_pageCrypt.m_dwHashId = CCryptSettingsDlg::DefaultHash();
    m_pageKeywords.FillKeywordList(m_pDoc, m_dwNodeId);
}

INT_PTR CNodePropsSheet::DoModal()
{
    CQlcNode node(m_pDoc, m_dwNodeId);
    if (m_pDoc == nullptr || !node.IsValid())
        return -1;
    LoadNode();
    return CPropertySheet::DoModal();
}

BOOL CNodePropsSheet::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED)
    {
        // Enter in the keyword edit adds the keyword.
        if (GetActivePage() == &m_pageKeywords && m_pageKeywords.IsKeywordEdit(::GetFocus()))
        {
            HWND hAdd = ::GetDlgItem(m_pageKeywords.m_hWnd, IDC_KEYWORD_ADD);
            m_pageKeywords.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_KEYWORD_ADD, BN_CLICKED), (LPARAM)hAdd);
            return TRUE;
        }
        for (int i = 0; i < GetPageCount(); ++i)
        {
            if (!GetPage(i)->UpdateData(TRUE))
                return TRUE;
        }
        // Nothing is written while the sheet may still be cancelled.
        if (!CheckEncryption())
            return TRUE;
        WriteKeywords();
    }
    return CPropertySheet::OnCommand(wParam, lParam);
}

void CNodePropsSheet::WriteKeywords()
{
    if (!m_pageKeywords.m_bChanged)
        return;
    QLCNODE_KEYWORDS keywords;
    keywords.dwNodeId = m_dwNodeId;
    for (POSITION pos = m_pageKeywords.m_keywords.GetHeadPosition(); pos != nullptr;)
        keywords.keywordIds.push_back(m_pDoc->Data_GetKeywordId(m_pageKeywords.m_keywords.GetNext(pos)));
    m_pDoc->Data_SetNodeKeywords(m_dwNodeId, keywords);
    m_pDoc->SetModified(TRUE);
}

void CNodePropsSheet::RefuseOnCryptPage(UINT nIDPrompt)
{
    MessageBox(AfxLoadText(nIDPrompt), AfxLoadText(IDS_CRYPT_SETTINGS_CAPTION), MB_OK | MB_ICONWARNING);
    SetActivePage(&m_pageCrypt);
}

BOOL CNodePropsSheet::CheckEncryption()
{
    m_bCryptChanged = FALSE;
    CQlcNode node(m_pDoc, m_dwNodeId);
    const BOOL bEncrypted = node.IsEncrypted();

    if (!m_pageCrypt.m_nEncrypt)
    {
        m_bCryptChanged = bEncrypted;
        if (m_bCryptChanged)
        {
            m_dwCipherId = m_dwHashId = m_dwKeyLength = 0;
            // No password dialog runs here: the old password is the one the
            // node was opened with, and re-encoding checks it.
            m_strOldPassword = m_strPassword;
            m_strNewPassword.Empty();
        }
        return TRUE;
    }

    DWORD dwCipherId = m_pageCrypt.m_dwCipherId;
    DWORD dwHashId = m_pageCrypt.m_dwHashId;
    DWORD dwKeyLength = m_pageCrypt.m_dwKeyLength;
    QLC_CRYPT_TYPE cipher, hash;
    if (dwCipherId == 0)
    {
        dwCipherId = CCryptSettingsDlg::DefaultCipher();
        dwKeyLength = CCryptSettingsDlg::LookUpCipher(dwCipherId, cipher) ? cipher.dwDefaultKeyLength : 0;
    }
    if (dwHashId == 0)
        dwHashId = CCryptSettingsDlg::DefaultHash();
    if (bEncrypted && dwCipherId == node.GetCipherId() && dwHashId == node.GetHashId() &&
        dwKeyLength == node.GetKeyLength() && !m_pageCrypt.m_nChangePassword)
        return TRUE; // as it was

    // A node is only ever encoded with algorithms the library lists:
    // anything else could never be opened again.
    if (!CCryptSettingsDlg::LookUpCipher(dwCipherId, cipher))
    {
        RefuseOnCryptPage(IDS_CRYPT_CHOOSE_CIPHER);
        return FALSE;
    }
    if (!CCryptSettingsDlg::LookUpHash(dwHashId, hash))
    {
        RefuseOnCryptPage(IDS_CRYPT_CHOOSE_HASH);
        return FALSE;
    }
    if (dwKeyLength == 0 || dwKeyLength < cipher.dwMinKeyLength || dwKeyLength > cipher.dwMaxKeyLength)
        dwKeyLength = cipher.dwDefaultKeyLength;

    CSetPasswordDlg dlg(this);
    dlg.m_nFlags = CSetPasswordDlg::modeNew | (bEncrypted ? CSetPasswordDlg::modeEnter : 0);
    dlg.m_pDoc = m_pDoc;
    dlg.m_dwNodeId = m_dwNodeId;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    m_strOldPassword = bEncrypted ? dlg.m_strPassword : CString();
    m_strNewPassword = dlg.m_strNewPassword;
    m_dwCipherId = dwCipherId;
    m_dwHashId = dwHashId;
    m_dwKeyLength = dwKeyLength;
    m_bCryptChanged = TRUE;
    return TRUE;
}
