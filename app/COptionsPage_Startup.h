// The Start Up page of the Options sheet: reopening the last notebook,
// starting in the tray and the splash screen.
#pragma once

#include "framework/ui/CPropertyPage.h"

class COptionsPage_Startup : public CPropertyPage
{
    DECLARE_DYNAMIC(COptionsPage_Startup)
public:
    // Starts from the application's settings.
    COptionsPage_Startup();

    void DoDataExchange(CDataExchange* pDX) override;

    int m_nReloadLast;
    int m_nStartInTray;
    int m_nShowSplash;
};
