#include "app/CFileOptionsSheet.h"

#include "app/CChildFrame.h"
#include "app/CCryptSettingsDlg.h"
#include "app/CQlcTreeCtrl.h"
#include "app/CSetPasswordDlg.h"
#include "app/res/Resource.h"

#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/AfxSecure.h"
#include "framework/base/CFileException.h"
#include "framework/docview/CView.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/CFrameWnd.h"

#include "imaging/PLTextException.h"

#include <new>

IMPLEMENT_DYNAMIC(CFileOptionsSheet, CPropertySheet)

CFileOptionsSheet::CFileOptionsSheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage), m_pDoc(nullptr), m_bCryptChanged(FALSE),
      m_dwCipherId(0), m_dwHashId(0), m_dwKeyLength(0)
{
    AddPages();
}

CFileOptionsSheet::CFileOptionsSheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage), m_pDoc(nullptr), m_bCryptChanged(FALSE),
      m_dwCipherId(0), m_dwHashId(0), m_dwKeyLength(0)
{
    AddPages();
}

CFileOptionsSheet::~CFileOptionsSheet()
{
    AfxSecureWipe(m_strNewPassword);
}

void CFileOptionsSheet::AddPages()
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
    AddPage(&m_pageSort);
    AddPage(&m_pageLogo);
    AddPage(&m_pageCrypt);
}

BOOL CFileOptionsSheet::Run(CQuillcrestDoc* pDoc, QLCCRYPTCHOICE& crypt)
{
    if (pDoc == nullptr)
        return FALSE;
    CString strCaption;
    strCaption.Format(AfxLoadText(IDS_FILE_PROPERTIES_CAPTION), (LPCSTR)pDoc->GetTitle());
    CFileOptionsSheet sheet(strCaption);
    sheet.m_pDoc = pDoc;
    if (sheet.DoModal() != IDOK)
        return FALSE;

    // The sort order may have changed.
    if (pDoc->Data_GetNodeCount() != 0)
    {
        POSITION pos = pDoc->GetFirstViewPosition();
        CView* pView = pos != nullptr ? pDoc->GetNextView(pos) : nullptr;
        CChildFrame* pFrame = pView != nullptr ? DYNAMIC_DOWNCAST(CChildFrame, pView->GetParentFrame()) : nullptr;
        if (CQlcTreeCtrl* pTree = pFrame != nullptr ? pFrame->GetTreeCtrl() : nullptr)
            pTree->RefreshTree(TRUE);
    }

    crypt.bChanged = sheet.m_bCryptChanged;
    crypt.dwCipherId = sheet.m_dwCipherId;
    crypt.dwHashId = sheet.m_dwHashId;
    crypt.dwKeyLength = sheet.m_dwKeyLength;
    crypt.strPassword = sheet.m_strNewPassword;
    return TRUE;
}

void CFileOptionsSheet::InitCryptPage()
{
    if (!CCryptSettingsDlg::IsEncryptionUsable())
    {
        m_pageCrypt.m_bUnusable = TRUE;
        m_pageCrypt.m_strStatus = AfxLoadText(IDS_ENCRYPTION_UNAVAILABLE);
    }
    const QLCCRYPTHEADER& header = m_pDoc->GetCryptHeader();
    if (header.dwCipherId != 0)
    {
        m_pageCrypt.m_dwCipherId = header.dwCipherId;
        m_pageCrypt.m_dwKeyLength = header.dwKeyLength;
        m_pageCrypt.m_bEncrypted = TRUE;
        m_pageCrypt.m_nEncrypt = 1;
    }
    else
    {
        m_pageCrypt.m_dwCipherId = CCryptSettingsDlg::DefaultCipher();
    }
    if (header.dwHashId != 0)
        m_pageCrypt.m_dwHashId = header.dwHashId;
    else
        m_pageCrypt.m_dwHashId = CCryptSettingsDlg::DefaultHash();
}

INT_PTR CFileOptionsSheet::DoModal()
{
    if (m_pDoc == nullptr)
        return -1;
    WORD wOrder = 0, wFolders = 0;
    m_pDoc->GetSortOptions(wOrder, wFolders);
    m_pageSort.m_nOrder = wOrder & ~2;
    m_pageSort.m_nNumerical = (wOrder & 2) ? 1 : 0;
    m_pageSort.m_nFolders = wFolders;
    m_pageLogo.m_nCustomLogo = m_pDoc->HasLogo() ? 1 : 0;
    InitCryptPage();

    const INT_PTR nResult = CPropertySheet::DoModal();
    if (nResult == IDOK)
    {
        ApplySortOrder();
        ApplyLogo();
    }
    return nResult;
}

void CFileOptionsSheet::ApplySortOrder()
{
    WORD wOrder = 0, wFolders = 0;
    m_pDoc->GetSortOptions(wOrder, wFolders);
    // A group without a choice (a stored value the page has no button for)
    // keeps what the notebook had.
    const WORD wAlphabetical = m_pageSort.m_nOrder >= 0 ? (WORD)m_pageSort.m_nOrder : (WORD)(wOrder & ~2);
    const WORD wNewOrder = (WORD)(wAlphabetical + (m_pageSort.m_nNumerical ? 2 : 0));
    const WORD wNewFolders = m_pageSort.m_nFolders >= 0 ? (WORD)m_pageSort.m_nFolders : wFolders;
    m_pDoc->SetSortOptions(wNewOrder, wNewFolders);
    m_pDoc->SetModified(TRUE);
}

void CFileOptionsSheet::ApplyLogo()
{
    if (m_pageLogo.m_bChanged && m_pageLogo.m_nCustomLogo)
    {
        // The file is read again for the bytes the notebook keeps; should it
        // have changed meanwhile, the notebook keeps its logo.
        CString strReason;
        try
        {
            m_pDoc->LoadLogoFromFile(m_pageLogo.m_strPath);
            return;
        }
        catch (PLTextException& e)
        {
            strReason = e.GetText();
        }
        catch (CFileException& e)
        {
            char szError[512] = {};
            e.GetErrorMessage(szError, sizeof(szError));
            strReason = szError;
        }
        catch (std::bad_alloc&)
        {
            strReason = AfxLoadText(AFX_IDP_FAILED_MEMORY_ALLOC);
        }
        CString strText;
        strText.Format(AfxLoadText(IDS_LOGO_UNREADABLE), (LPCSTR)m_pageLogo.m_strPath, (LPCSTR)strReason);
        AfxMessageBox(strText, MB_OK | MB_ICONWARNING);
    }
    else if (!m_pageLogo.m_nCustomLogo && (m_pageLogo.m_bChanged || m_pDoc->HasLogo()))
    {
        m_pDoc->SetLogo(FALSE, nullptr);
    }
}

BOOL CFileOptionsSheet::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED)
    {
        for (int i = 0; i < GetPageCount(); ++i)
        {
            if (!GetPage(i)->UpdateData(TRUE))
                return TRUE;
        }
        if (!CheckEncryption())
            return TRUE;
    }
    return CPropertySheet::OnCommand(wParam, lParam);
}

void CFileOptionsSheet::RefuseOnCryptPage(UINT nIDPrompt, UINT nIDCaption, BOOL bFocusPassword)
{
    MessageBox(AfxLoadText(nIDPrompt), AfxLoadText(nIDCaption), MB_OK | MB_ICONWARNING);
    SetActivePage(&m_pageCrypt);
    if (bFocusPassword)
        m_pageCrypt.FocusPassword();
}

BOOL CFileOptionsSheet::CheckEncryption()
{
    m_bCryptChanged = FALSE;
    AfxSecureWipe(m_strNewPassword);
    m_strNewPassword.Empty();
    const QLCCRYPTHEADER& header = m_pDoc->GetCryptHeader();

    if (!m_pageCrypt.m_nEncrypt)
    {
        m_bCryptChanged = header.dwCipherId != 0 || header.dwHashId != 0 || header.dwKeyLength != 0;
        if (m_bCryptChanged)
            m_dwCipherId = m_dwHashId = m_dwKeyLength = 0;
        return TRUE;
    }

    CString strPassword = m_pageCrypt.GetPassword();
    if (strPassword.IsEmpty())
    {
        RefuseOnCryptPage(IDS_PASSWORD_NEW_EMPTY, IDS_NEW_PASSWORD_CAPTION, TRUE);
        return FALSE;
    }

    const DWORD dwCipherId =
        m_pageCrypt.m_dwCipherId != 0 ? m_pageCrypt.m_dwCipherId : CCryptSettingsDlg::DefaultCipher();
    const DWORD dwHashId = m_pageCrypt.m_dwHashId != 0 ? m_pageCrypt.m_dwHashId : CCryptSettingsDlg::DefaultHash();
    DWORD dwKeyLength = m_pageCrypt.m_dwKeyLength;
    const BOOL bPlaceholder = strPassword == CFileOptionsPage_Crypt::kPasswordPlaceholder;
    if (dwCipherId == header.dwCipherId && dwHashId == header.dwHashId && dwKeyLength == header.dwKeyLength &&
        bPlaceholder)
        return TRUE; // as it was

    // A notebook is only ever set up with algorithms the library lists:
    // anything else could never be opened again.
    QLC_CRYPT_TYPE cipher, hash;
    if (!CCryptSettingsDlg::LookUpCipher(dwCipherId, cipher))
    {
        AfxSecureWipe(strPassword);
        RefuseOnCryptPage(IDS_CRYPT_CHOOSE_CIPHER, IDS_CRYPT_SETTINGS_CAPTION, FALSE);
        return FALSE;
    }
    if (!CCryptSettingsDlg::LookUpHash(dwHashId, hash))
    {
        AfxSecureWipe(strPassword);
        RefuseOnCryptPage(IDS_CRYPT_CHOOSE_HASH, IDS_CRYPT_SETTINGS_CAPTION, FALSE);
        return FALSE;
    }
    // New settings under the placeholder would make it the password.
    if (bPlaceholder)
    {
        RefuseOnCryptPage(IDS_PASSWORD_NEW_EMPTY, IDS_NEW_PASSWORD_CAPTION, TRUE);
        return FALSE;
    }
    if (dwKeyLength == 0 || dwKeyLength < cipher.dwMinKeyLength || dwKeyLength > cipher.dwMaxKeyLength)
        dwKeyLength = cipher.dwDefaultKeyLength;

    CSetPasswordDlg dlg(this);
    dlg.m_nFlags = CSetPasswordDlg::modeConfirm;
    dlg.m_strNewPassword = strPassword;
    if (dlg.DoModal() != IDOK)
    {
        AfxSecureWipe(strPassword);
        return FALSE;
    }
    m_strNewPassword = strPassword;
    AfxSecureWipe(strPassword);
    m_dwCipherId = dwCipherId;
    m_dwHashId = dwHashId;
    m_dwKeyLength = dwKeyLength;
    m_bCryptChanged = TRUE;
    return TRUE;
}
