#include "app/COptionsPage_Startup.h"

#include "app/CQlcApp.h"
#include "app/res/OptionsStartupDlgRes.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(COptionsPage_Startup, CPropertyPage)

COptionsPage_Startup::COptionsPage_Startup()
    : CPropertyPage(IDD_OPTIONS_STARTUP), m_nReloadLast(0), m_nStartInTray(0), m_nShowSplash(0)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
    if (CQlcApp* pApp = QlcGetApp())
    {
        m_nReloadLast = pApp->m_settings.m_nReloadLast;
        m_nStartInTray = pApp->m_settings.m_nStartInTray;
        m_nShowSplash = pApp->m_settings.m_nShowSplash;
    }
}

void COptionsPage_Startup::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_OPT_RELOAD_LAST, m_nReloadLast);
    DDX_Check(pDX, IDC_OPT_START_IN_TRAY, m_nStartInTray);
    DDX_Check(pDX, IDC_OPT_SHOW_SPLASH, m_nShowSplash);
}
