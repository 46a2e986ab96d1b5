// The About box: picture, version, the support address and the licence.
#pragma once

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

protected:
    DECLARE_MESSAGE_MAP()
};
