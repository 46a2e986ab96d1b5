// The most-recently-used file list: kept in the profile section
// m_strSectionName as entries "File1".."FileN", shown in the File menu in
// place of the item ID_FILE_MRU_FILE1.
#pragma once

#include "framework/base/CString.h"

#include <vector>

class CCmdUI;

class CRecentFileList
{
public:
    CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize, int nMaxDispLen = 40);
    virtual ~CRecentFileList() {}

    int GetSize() const { return m_nSize; }
    CString& operator[](int nIndex) { return m_arrNames[(size_t)nIndex]; }
    const CString& operator[](int nIndex) const { return m_arrNames[(size_t)nIndex]; }

    // Puts the file first (once).
    virtual void Add(LPCSTR lpszPathName);
    virtual void Remove(int nIndex);
    virtual void ReadList();
    virtual void WriteList();
    virtual BOOL GetDisplayName(CString& strName, int nIndex) const;
    virtual void UpdateMenu(CCmdUI* pCmdUI);

    int m_nSize;
    int m_nMaxDisplayLength;
    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    CString m_strOriginal;   // the placeholder item's text, shown while empty
    std::vector<CString> m_arrNames;
};
