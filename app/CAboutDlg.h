// The About box: picture, version, the support address (a mail link) and
// the licence.
#pragma once

#include "widgets/CHyperLink.h"

#include "framework/ui/CDialog.h"

class CAboutDlg : public CDialog
{
    DECLARE_DYNAMIC(CAboutDlg)
public:
    CAboutDlg();

    BOOL OnInitDialog() override;
    void OnLicense();

    // The licence file beside the program.
    static CString GetLicensePath();

    CHyperLink& GetLink() { return m_link; }

protected:
    CHyperLink m_link;

    DECLARE_MESSAGE_MAP()
};
