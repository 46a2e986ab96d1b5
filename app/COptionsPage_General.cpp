#include "app/COptionsPage_General.h"

#include "app/CQlcApp.h"
#include "app/res/OptionsGeneralDlgRes.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(COptionsPage_General, CPropertyPage)

COptionsPage_General::COptionsPage_General()
    : CPropertyPage(IDD_OPTIONS_GENERAL), m_nPromptDelete(0), m_nPromptMove(0), m_nResizeBilinear(0),
      m_nSingleClick(0)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
    if (CQlcApp* pApp = QlcGetApp())
    {
        m_nPromptDelete = pApp->m_settings.m_nPromptDelete;
        m_nPromptMove = pApp->m_settings.m_nPromptMove;
        m_nResizeBilinear = pApp->m_settings.m_nResizeBilinear;
        m_nSingleClick = pApp->m_settings.m_nSingleClick;
    }
}

void COptionsPage_General::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_OPT_PROMPT_DELETE, m_nPromptDelete);
    DDX_Check(pDX, IDC_OPT_PROMPT_MOVE, m_nPromptMove);
    DDX_Check(pDX, IDC_OPT_RESIZE_BILINEAR, m_nResizeBilinear);
    DDX_Check(pDX, IDC_OPT_SINGLE_CLICK, m_nSingleClick);
}
