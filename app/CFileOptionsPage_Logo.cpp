#include "app/CFileOptionsPage_Logo.h"

#include "app/res/FileOptionsLogoDlgRes.h"
#include "app/res/Resource.h"

#include "framework/res/AfxRes.h"
#include "framework/ui/CDataExchange.h"
#include "framework/ui/CFileDialog.h"
#include "framework/ui/CWaitCursor.h"

#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLTextException.h"

#include <new>

namespace {

// The name buffer the dialog is given, in bytes.
const DWORD kFileNameBuffer = 1024;

} // namespace

IMPLEMENT_DYNAMIC(CFileOptionsPage_Logo, CPropertyPage)

BEGIN_MESSAGE_MAP(CFileOptionsPage_Logo, CPropertyPage)
    ON_BN_CLICKED(IDC_LOGO_CUSTOM, OnCustomLogo)
    ON_BN_CLICKED(IDC_LOGO_CHANGE, OnChangeLogo)
END_MESSAGE_MAP()

CFileOptionsPage_Logo::CFileOptionsPage_Logo()
    : CPropertyPage(IDD_FILEOPTIONS_LOGO), m_bChanged(FALSE), m_nCustomLogo(0)
{
}

void CFileOptionsPage_Logo::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_LOGO_CUSTOM, m_nCustomLogo);
}

void CFileOptionsPage_Logo::EnableChangeButton()
{
    if (CWnd* pButton = GetDlgItem(IDC_LOGO_CHANGE))
        pButton->EnableWindow(IsDlgButtonChecked(IDC_LOGO_CUSTOM) == BST_CHECKED);
}

BOOL CFileOptionsPage_Logo::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    EnableChangeButton();
    return TRUE;
}

void CFileOptionsPage_Logo::OnCustomLogo()
{
    EnableChangeButton();
}

void CFileOptionsPage_Logo::OnChangeLogo()
{
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                    AfxLoadText(IDS_CHANGE_LOGO_FILTER), this);
    const CString strTitle = AfxLoadText(IDS_CHANGE_LOGO_TITLE);
    dlg.m_ofn.lpstrTitle = strTitle;
    dlg.m_ofn.nMaxFile = kFileNameBuffer;
    if (dlg.DoModal() != IDOK)
        return;
    const CString strPath = dlg.GetPathName();

    // Decoded into a picture of its own: the previous choice stays until
    // this one has decoded.
    PLWinBmp bitmap;
    BOOL bDecoded = FALSE;
    CString strReason;
    {
        CWaitCursor wait;
        try
        {
            PLAnyPicDecoder decoder;
            decoder.DecodeFile(strPath, &bitmap);
            bDecoded = TRUE;
        }
        catch (PLTextException& e)
        {
            strReason = e.GetText();
        }
        catch (std::bad_alloc&)
        {
            strReason = AfxLoadText(AFX_IDP_FAILED_MEMORY_ALLOC);
        }
    }
    if (!bDecoded)
    {
        CString strText;
        strText.Format(AfxLoadText(IDS_LOGO_UNREADABLE), (LPCSTR)strPath, (LPCSTR)strReason);
        MessageBox(strText, AfxLoadText(IDS_CHANGE_LOGO_TITLE), MB_OK | MB_ICONWARNING);
        return;
    }
    m_bitmap = bitmap;
    m_strPath = strPath;
    m_bChanged = TRUE;
}
