#include "framework/docview/CRecentFileList.h"

#include "framework/base/AfxPath.h"
#include "framework/base/CCmdUI.h"
#include "framework/docview/CWinApp.h"

CRecentFileList::CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize, int nMaxDispLen)
    : m_nSize(nSize), m_nMaxDisplayLength(nMaxDispLen), m_nStart(nStart), m_strSectionName(lpszSection),
      m_strEntryFormat(lpszEntryFormat), m_arrNames((size_t)(nSize > 0 ? nSize : 0))
{
}

void CRecentFileList::Add(LPCSTR lpszPathName)
{
    char szFull[MAX_PATH];
    LPSTR lpszFilePart = nullptr;
    const DWORD n = ::GetFullPathNameA(lpszPathName, MAX_PATH, szFull, &lpszFilePart);
    const CString strPath = (n > 0 && n < MAX_PATH) ? CString(szFull) : CString(lpszPathName);
    if (m_nSize <= 0)
        return;

    // Remove an equal entry (file names compare without case), then insert first.
    int iMRU = 0;
    for (; iMRU < m_nSize - 1; iMRU++)
    {
        if (lstrcmpiA(m_arrNames[(size_t)iMRU], strPath) == 0)
            break;
    }
    for (; iMRU > 0; iMRU--)
        m_arrNames[(size_t)iMRU] = m_arrNames[(size_t)iMRU - 1];
    m_arrNames[0] = strPath;
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize)
        return;
    for (int i = nIndex; i < m_nSize - 1; i++)
        m_arrNames[(size_t)i] = m_arrNames[(size_t)i + 1];
    m_arrNames[(size_t)m_nSize - 1].Empty();
}

void CRecentFileList::ReadList()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    for (int i = 0; i < m_nSize; i++)
    {
        CString strEntry;
        strEntry.Format(m_strEntryFormat, i + 1);
        m_arrNames[(size_t)i] = pApp->GetProfileString(m_strSectionName, strEntry, "");
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    pApp->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (int i = 0; i < m_nSize; i++)
    {
        if (m_arrNames[(size_t)i].IsEmpty())
            continue;
        CString strEntry;
        strEntry.Format(m_strEntryFormat, i + 1);
        pApp->WriteProfileString(m_strSectionName, strEntry, m_arrNames[(size_t)i]);
    }
}

BOOL CRecentFileList::GetDisplayName(CString& strName, int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nSize || m_arrNames[(size_t)nIndex].IsEmpty())
        return FALSE;
    const CString& strPath = m_arrNames[(size_t)nIndex];
    if (strPath.GetLength() <= m_nMaxDisplayLength)
    {
        strName = strPath;
        return TRUE;
    }
    // Long paths keep their root and file name: "C:\...\name.qlc".
    const int iName = (int)(AfxPathFindFileName(strPath) - (LPCSTR)strPath);
    const int iRoot = strPath.Find('\\');
    if (iName <= iRoot + 1 || iRoot < 0)
        strName = strPath;
    else
        strName = strPath.Left(iRoot + 1) + "..." + strPath.Mid(iName - 1);
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    if (m_nSize <= 0 || m_arrNames[0].IsEmpty())
    {
        if (!m_strOriginal.IsEmpty())
            pCmdUI->SetText(m_strOriginal);
        pCmdUI->Enable(FALSE);
        return;
    }
    if (pCmdUI->m_hMenu == nullptr)
        return;

    if (m_strOriginal.IsEmpty())
    {
        char sz[256] = "";
        ::GetMenuStringA(pCmdUI->m_hMenu, pCmdUI->m_nID, sz, sizeof(sz), MF_BYCOMMAND);
        m_strOriginal = sz;
    }
    for (int i = 0; i < m_nSize; i++)
        ::DeleteMenu(pCmdUI->m_hMenu, pCmdUI->m_nID + (UINT)i, MF_BYCOMMAND);

    for (int i = 0; i < m_nSize; i++)
    {
        CString strName;
        if (!GetDisplayName(strName, i))
            break;
        // A '&' in a file name is shown, not taken as a mnemonic.
        strName.Replace("&", "&&");
        CString strItem;
        strItem.Format("&%u %s", (unsigned)((i + 1 + m_nStart) % 10), (LPCSTR)strName);
        ::InsertMenuA(pCmdUI->m_hMenu, pCmdUI->m_nIndex++, MF_STRING | MF_BYPOSITION, pCmdUI->m_nID++, strItem);
    }
    pCmdUI->m_nIndex--;
    pCmdUI->m_nIndexMax = (UINT)::GetMenuItemCount(pCmdUI->m_hMenu);
    pCmdUI->m_bEnableChanged = TRUE;
}
