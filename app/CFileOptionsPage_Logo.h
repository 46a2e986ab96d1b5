// The Logo page of a notebook's options: the notebook's own logo (a picture
// file, decoded when chosen) or the program's default one.
#pragma once

#include "framework/ui/CPropertyPage.h"

#include "imaging/PLWinBmp.h"

class CFileOptionsPage_Logo : public CPropertyPage
{
    DECLARE_DYNAMIC(CFileOptionsPage_Logo)
public:
    CFileOptionsPage_Logo();

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCustomLogo();
    // Asks for a picture and decodes it; one that does not decode is
    // reported and the previous choice stays.
    void OnChangeLogo();

    CString m_strPath;      // the picture chosen on this page
    PLWinBmp m_bitmap;      // its decoded image
    BOOL m_bChanged;        // a picture was chosen
    int m_nCustomLogo;      // "Custom Logo"

protected:
    void EnableChangeButton();

    DECLARE_MESSAGE_MAP()
};
