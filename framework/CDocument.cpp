#include "framework/CDocument.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocument::CDocument() : m_bAutoDelete(TRUE), m_pDocTemplate(nullptr), m_bModified(FALSE)
{
}

CDocument::~CDocument()
{
}

void CDocument::SetTitle(LPCSTR lpszTitle)
{
    m_strTitle = lpszTitle;
}

void CDocument::SetPathName(LPCSTR lpszPathName, BOOL /*bAddToMRU*/)
{
    // The full path, as the system resolves it.
    char szFull[MAX_PATH];
    LPSTR lpszFilePart = nullptr;
    const DWORD n = GetFullPathNameA(lpszPathName, MAX_PATH, szFull, &lpszFilePart);
    if (n > 0 && n < MAX_PATH)
        m_strPathName = szFull;
    else
        m_strPathName = lpszPathName;

    CString strTitle = m_strPathName;
    const int i = (int)strTitle.str().find_last_of("\\/:");
    if (i >= 0)
        strTitle = strTitle.Mid(i + 1);
    SetTitle(strTitle);
}

BOOL CDocument::IsModified()
{
    return m_bModified;
}

void CDocument::SetModifiedFlag(BOOL bModified)
{
    m_bModified = bModified;
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR /*lpszPathName*/)
{
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCSTR /*lpszPathName*/)
{
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::DeleteContents()
{
}
