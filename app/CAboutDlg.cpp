#include "app/CAboutDlg.h"

#include "app/CMainFrame.h"
#include "app/res/AboutDlgRes.h"
#include "app/res/Resource.h"

#include "framework/base/AfxPath.h"

IMPLEMENT_DYNAMIC(CAboutDlg, CDialog)

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_BN_CLICKED(IDC_ABOUT_LICENSE, OnLicense)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString strCaption, strTitle;
    strCaption.LoadString(IDS_ABOUT_CAPTION_PREFIX);
    strTitle.LoadString(AFX_IDS_APP_TITLE);
    SetWindowText(strCaption + strTitle);
    // The support address: a link that writes a mail to it.
    CString strLink;
    strLink.LoadString(IDS_ABOUT_MAILTO);
    if (strLink.Find("mailto:") == 0)
        SetDlgItemText(IDC_ABOUT_LINK, strLink.Mid(7));
    m_link.SetLinkTarget(strLink);
    m_link.SubclassDlgItem(IDC_ABOUT_LINK, this);
    return TRUE;
}

CString CAboutDlg::GetLicensePath()
{
    return AfxGetModuleFolder() + "\\LICENSE.txt";
}

void CAboutDlg::OnLicense()
{
    const CString strPath = GetLicensePath();
    if ((INT_PTR)CMainFrame::s_pfnShellExecute(m_hWnd, "open", strPath, nullptr, nullptr, SW_SHOWNORMAL) > 32)
        return;
    CString strHome, strFormat, strText, strCaption;
    strHome.LoadString(IDS_WEB_HOME);
    strFormat.LoadString(IDS_LICENSE_MISSING);
    strText.Format(strFormat, (LPCSTR)strHome);
    strCaption.LoadString(AFX_IDS_APP_TITLE);
    MessageBox(strText, strCaption, MB_OK | MB_ICONWARNING);
}
