#include "DocLifeSupport.h"

#include "core/CQuillcrestDoc.h"

CAfxBoxes::CAfxBoxes() : m_pPrevious(AfxSetPromptHook(this))
{
}

CAfxBoxes::~CAfxBoxes()
{
    AfxSetPromptHook(m_pPrevious);
}

int CAfxBoxes::OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    boxes.push_back({ hOwner, lpszText ? lpszText : "", lpszCaption ? lpszCaption : "", nType });
    if (answers.empty())
        return IDOK;
    const int n = answers.front();
    answers.pop_front();
    return n;
}

CLifeFrame::CLifeFrame(CQuillcrestDoc& doc) : m_doc(doc)
{
    doc.SetFrameCallbacks(this);
}

CLifeFrame::~CLifeFrame()
{
    m_doc.SetFrameCallbacks(nullptr);
}

BOOL CLifeFrame::SaveCurrentNote()
{
    ++nSaves;
    if (onSave)
        onSave();
    return bSaveResult;
}

CString LinkTo(const CTempDir& dir, LPCSTR lpszName, LPCSTR lpszExisting)
{
    const CString strLink = dir.Path(lpszName);
    if (!CreateHardLinkA(strLink, lpszExisting, nullptr))
        return CString();
    return strLink;
}

BOOL IsAllZero(const Bytes& bytes)
{
    for (BYTE b : bytes)
    {
        if (b != 0)
            return FALSE;
    }
    return TRUE;
}

BOOL FileExists(LPCSTR lpszPath)
{
    return GetFileAttributesA(lpszPath) != INVALID_FILE_ATTRIBUTES;
}

BOOL CanOpenForWriting(LPCSTR lpszPath)
{
    HANDLE h = CreateFileA(lpszPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

DWORD SectorSizeOf(LPCSTR lpszPath)
{
    const CString strPath = lpszPath;
    const CString strRoot = strPath.Left(strPath.Find('\\') + 1);
    DWORD dwSectorsPerCluster = 0, dwBytesPerSector = 0, dwFree = 0, dwTotal = 0;
    if (!GetDiskFreeSpaceA(strRoot, &dwSectorsPerCluster, &dwBytesPerSector, &dwFree, &dwTotal))
        return 0;
    return dwBytesPerSector;
}
