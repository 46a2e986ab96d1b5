#include "framework/ui/CDockState.h"

#include "framework/docview/CWinApp.h"

CControlBarInfo::CControlBarInfo()
    : m_nBarID(0), m_bVisible(TRUE), m_bFloating(FALSE), m_bHorz(TRUE), m_bDockBar(FALSE), m_uDockBarID(0),
      m_nRow(0), m_nIndex(0)
{
}

BOOL CControlBarInfo::SaveState(LPCSTR lpszProfileName, int nIndex)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    CString strSection;
    strSection.Format("%s-Bar%d", lpszProfileName, nIndex);
    pApp->WriteProfileString(strSection, nullptr, nullptr);
    pApp->WriteProfileInt(strSection, "BarID", (int)m_nBarID);
    pApp->WriteProfileInt(strSection, "Visible", m_bVisible ? 1 : 0);
    pApp->WriteProfileInt(strSection, "Horz", m_bHorz ? 1 : 0);
    pApp->WriteProfileInt(strSection, "Floating", m_bFloating ? 1 : 0);
    pApp->WriteProfileInt(strSection, "XPos", m_pointPos.x);
    pApp->WriteProfileInt(strSection, "YPos", m_pointPos.y);
    pApp->WriteProfileInt(strSection, "DockBarID", (int)m_uDockBarID);
    pApp->WriteProfileInt(strSection, "Row", m_nRow);
    pApp->WriteProfileInt(strSection, "Index", m_nIndex);
    pApp->WriteProfileInt(strSection, "Bars", (int)m_arrBarID.GetSize());
    for (INT_PTR i = 0; i < m_arrBarID.GetSize(); i++)
    {
        CString strEntry;
        strEntry.Format("Bar#%d", (int)i);
        pApp->WriteProfileInt(strSection, strEntry, (int)(UINT_PTR)m_arrBarID[i]);
    }
    return TRUE;
}

BOOL CControlBarInfo::LoadState(LPCSTR lpszProfileName, int nIndex)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    CString strSection;
    strSection.Format("%s-Bar%d", lpszProfileName, nIndex);
    m_nBarID = pApp->GetProfileInt(strSection, "BarID", 0);
    if (m_nBarID == 0)
        return FALSE;
    m_bVisible = pApp->GetProfileInt(strSection, "Visible", TRUE) != 0;
    m_bHorz = pApp->GetProfileInt(strSection, "Horz", TRUE) != 0;
    m_bFloating = pApp->GetProfileInt(strSection, "Floating", FALSE) != 0;
    m_pointPos.x = (int)pApp->GetProfileInt(strSection, "XPos", 0);
    m_pointPos.y = (int)pApp->GetProfileInt(strSection, "YPos", 0);
    m_uDockBarID = pApp->GetProfileInt(strSection, "DockBarID", 0);
    m_nRow = (int)pApp->GetProfileInt(strSection, "Row", 0);
    m_nIndex = (int)pApp->GetProfileInt(strSection, "Index", 0);
    const int nBars = (int)pApp->GetProfileInt(strSection, "Bars", 0);
    m_arrBarID.RemoveAll();
    for (int i = 0; i < nBars && i < 256; i++)
    {
        CString strEntry;
        strEntry.Format("Bar#%d", i);
        m_arrBarID.Add((void*)(UINT_PTR)pApp->GetProfileInt(strSection, strEntry, 0));
    }
    return TRUE;
}

void CDockState::Clear()
{
    for (INT_PTR i = 0; i < m_arrBarInfo.GetSize(); i++)
        delete (CControlBarInfo*)m_arrBarInfo[i];
    m_arrBarInfo.RemoveAll();
}

void CDockState::LoadState(LPCSTR lpszProfileName)
{
    Clear();
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    CString strSection;
    strSection.Format("%s-Summary", lpszProfileName);
    const int nBars = (int)pApp->GetProfileInt(strSection, "Bars", 0);
    m_sizeScreen.cx = (int)pApp->GetProfileInt(strSection, "ScreenCX", 0);
    m_sizeScreen.cy = (int)pApp->GetProfileInt(strSection, "ScreenCY", 0);
    for (int i = 0; i < nBars && i < 256; i++)
    {
        CControlBarInfo* pInfo = new CControlBarInfo;
        if (pInfo->LoadState(lpszProfileName, i))
            m_arrBarInfo.Add(pInfo);
        else
            delete pInfo;
    }
}

void CDockState::SaveState(LPCSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    for (INT_PTR i = 0; i < m_arrBarInfo.GetSize(); i++)
        ((CControlBarInfo*)m_arrBarInfo[i])->SaveState(lpszProfileName, (int)i);
    CString strSection;
    strSection.Format("%s-Summary", lpszProfileName);
    pApp->WriteProfileInt(strSection, "Bars", (int)m_arrBarInfo.GetSize());
    pApp->WriteProfileInt(strSection, "ScreenCX", ::GetSystemMetrics(SM_CXSCREEN));
    pApp->WriteProfileInt(strSection, "ScreenCY", ::GetSystemMetrics(SM_CYSCREEN));
}
