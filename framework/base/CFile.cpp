#include "framework/base/CFile.h"

#include "framework/base/AfxPath.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        throw e;
}

CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_hFile != hFileNull)
        Abort();
    m_strFileName = lpszFileName;

    DWORD dwAccess = 0;
    switch (nOpenFlags & 3)
    {
    case modeRead: dwAccess = GENERIC_READ; break;
    case modeWrite: dwAccess = GENERIC_WRITE; break;
    case modeReadWrite: dwAccess = GENERIC_READ | GENERIC_WRITE; break;
    default: dwAccess = GENERIC_READ; break;
    }

    DWORD dwShare = 0;
    switch (nOpenFlags & 0x70)
    {
    case shareExclusive: dwShare = 0; break;
    case shareDenyWrite: dwShare = FILE_SHARE_READ; break;
    case shareDenyRead: dwShare = FILE_SHARE_WRITE; break;
    case shareDenyNone: dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: dwShare = 0; break; // compatibility mode behaves as exclusive
    }

    SECURITY_ATTRIBUTES sa = { sizeof(sa), nullptr, (nOpenFlags & modeNoInherit) == 0 };

    DWORD dwCreate = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        dwCreate = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    DWORD dwFlags = FILE_ATTRIBUTE_NORMAL;
    if (nOpenFlags & osWriteThrough)
        dwFlags |= FILE_FLAG_WRITE_THROUGH;
    if (nOpenFlags & osSequentialScan)
        dwFlags |= FILE_FLAG_SEQUENTIAL_SCAN;
    if (nOpenFlags & osRandomAccess)
        dwFlags |= FILE_FLAG_RANDOM_ACCESS;

    HANDLE h = CreateFileA(lpszFileName, dwAccess, dwShare, &sa, dwCreate, dwFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        if (pError != nullptr)
        {
            const LONG lErr = (LONG)GetLastError();
            pError->m_lOsError = lErr;
            pError->m_cause = CFileException::OsErrorToException(lErr);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

void CFile::Close()
{
    BOOL bError = FALSE;
    DWORD dwErr = 0;
    if (m_hFile != hFileNull)
    {
        if (!CloseHandle(m_hFile))
        {
            bError = TRUE;
            dwErr = GetLastError();
        }
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (bError)
        CFileException::ThrowOsError((LONG)dwErr, m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    // In chunks: one ReadFile of hundreds of megabytes fails on some file
    // systems (network shares among them).
    BYTE* p = static_cast<BYTE*>(lpBuf);
    UINT nTotal = 0;
    while (nTotal < nCount)
    {
        const DWORD dwAsk = (DWORD)std::min<UINT>(nCount - nTotal, kIoChunk);
        DWORD dwRead = 0;
        if (!ReadFile(m_hFile, p + nTotal, dwAsk, &dwRead, nullptr))
            CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
        nTotal += (UINT)dwRead;
        if (dwRead < dwAsk)
            break; // the end of the file
    }
    return nTotal;
}

void CFile::ReadExact(void* lpBuf, UINT nCount)
{
    // ReadFile succeeds with fewer bytes (or none) at the end of the file.
    BYTE* p = static_cast<BYTE*>(lpBuf);
    while (nCount > 0)
    {
        const UINT n = Read(p, nCount);
        if (n == 0)
            throw CFileException(CFileException::endOfFile, ERROR_HANDLE_EOF, m_strFileName);
        p += n;
        nCount -= n;
    }
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    const BYTE* p = static_cast<const BYTE*>(lpBuf);
    while (nCount > 0)
    {
        const DWORD dwChunk = (DWORD)std::min<UINT>(nCount, kIoChunk);
        DWORD dwWritten = 0;
        if (!WriteFile(m_hFile, p, dwChunk, &dwWritten, nullptr))
            CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
        if (dwWritten != dwChunk)
            throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
        p += dwChunk;
        nCount -= dwChunk;
    }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LARGE_INTEGER li;
    li.QuadPart = lOff;
    LARGE_INTEGER liNew;
    const DWORD dwMethod = nFrom == end ? FILE_END : nFrom == current ? FILE_CURRENT : FILE_BEGIN;
    if (!SetFilePointerEx(m_hFile, li, &liNew, dwMethod))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return (ULONGLONG)liNew.QuadPart;
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER li = {};
    LARGE_INTEGER liNew;
    if (!SetFilePointerEx(m_hFile, li, &liNew, FILE_CURRENT))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return (ULONGLONG)liNew.QuadPart;
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(m_hFile, &li))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    return (ULONGLONG)li.QuadPart;
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    const ULONGLONG pos = GetPosition();
    Seek((LONGLONG)dwNewLen, begin);
    if (!SetEndOfFile(m_hFile))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    if (pos < dwNewLen)
        Seek((LONGLONG)pos, begin);
}

void CFile::Flush()
{
    if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
}

HANDLE CFile::Detach()
{
    HANDLE h = m_hFile;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    return h;
}

CString CFile::GetFileName() const
{
    return AfxPathGetFileName(m_strFileName);
}

CString CFile::GetFileTitle() const
{
    return AfxPathGetTitle(m_strFileName);
}

void AFXAPI CFile::Rename(LPCSTR lpszOldName, LPCSTR lpszNewName)
{
    if (!MoveFileA(lpszOldName, lpszNewName))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszOldName);
}

void AFXAPI CFile::Remove(LPCSTR lpszFileName)
{
    if (!DeleteFileA(lpszFileName))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszFileName);
}
