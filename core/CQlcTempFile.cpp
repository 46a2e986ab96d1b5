#include "core/CQlcTempFile.h"

#include "core/CLog.h"
#include "core/IQlcFileProbe.h"
#include "framework/base/AfxPath.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char kPrefix[] = "Qlc";
// Zeros go out in writes of about this size (whole blocks).
const DWORD kWipeChunk = 1024 * 1024;

CString FolderOf(LPCSTR lpszPath)
{
    const CString strDir = AfxPathGetFolderWithSeparator(lpszPath);
    return strDir.IsEmpty() ? CString(".\\") : strDir;
}

BOOL IsHexDigit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

} // namespace

CQlcTempFile::CQlcTempFile() : m_hFile(INVALID_HANDLE_VALUE), m_bMarked(FALSE), m_bDeleteOnClose(FALSE)
{
}

CQlcTempFile::~CQlcTempFile()
{
    Discard(FALSE);
}

BOOL CQlcTempFile::CreateIn(LPCSTR lpszFolder, DWORD dwShare, DWORD dwFlags)
{
    Discard(FALSE);
    char szName[MAX_PATH + 1] = {};
    if (GetTempFileNameA(lpszFolder, kPrefix, 0, szName) == 0)
        return FALSE;
    // DELETE access: the disposition and the rename need it.
    m_hFile = CreateFileA(szName, GENERIC_READ | GENERIC_WRITE | DELETE, dwShare, nullptr, CREATE_ALWAYS, dwFlags,
                          nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        const DWORD dwError = GetLastError();
        DeleteFileA(szName);
        SetLastError(dwError);
        return FALSE;
    }
    m_strPath = szName;
    m_bDeleteOnClose = (dwFlags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    return TRUE;
}

BOOL CQlcTempFile::CreateInTempFolder(DWORD dwShare)
{
    char szFolder[MAX_PATH + 1] = {};
    if (GetTempPathA(MAX_PATH, szFolder) == 0)
        return FALSE;
    return CreateIn(szFolder, dwShare, FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_TEMPORARY);
}

BOOL CQlcTempFile::CreateBeside(LPCSTR lpszTarget)
{
    // Not delete-on-close, which cannot be taken back: the deletion is set
    // through the disposition, which ReplaceTarget clears.
    if (!CreateIn(FolderOf(lpszTarget), 0, FILE_ATTRIBUTE_NORMAL))
        return FALSE;
    if (!SetDeleteMark(TRUE))
        g_log.WriteLine("WARNING: A new file beside the notebook could not be marked for removal on a crash.");
    return TRUE;
}

BOOL CQlcTempFile::SetDeleteMark(BOOL bDelete)
{
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = bDelete ? TRUE : FALSE;
    if (!SetFileInformationByHandle(m_hFile, FileDispositionInfo, &info, sizeof(info)))
        return FALSE;
    m_bMarked = bDelete;
    return TRUE;
}

BOOL CQlcTempFile::ReplaceTarget(LPCSTR lpszTarget)
{
    if (!IsOpen())
        return FALSE;

    char szFull[MAX_PATH + 1] = {};
    const DWORD dwLength = GetFullPathNameA(lpszTarget, MAX_PATH, szFull, nullptr);
    if (dwLength == 0 || dwLength > MAX_PATH)
        return FALSE;
    const int nWide = MultiByteToWideChar(CP_ACP, 0, szFull, -1, nullptr, 0);
    if (nWide <= 0)
        return FALSE;
    // The structure ends in the name: one buffer holds both.
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + (size_t)nWide * sizeof(WCHAR), 0);
    FILE_RENAME_INFO* pInfo = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    pInfo->ReplaceIfExists = TRUE;
    pInfo->RootDirectory = nullptr;
    MultiByteToWideChar(CP_ACP, 0, szFull, -1, pInfo->FileName, nWide);
    pInfo->FileNameLength = (DWORD)(nWide - 1) * sizeof(WCHAR);

    // Cleared first: a file marked for deletion would take the notebook with
    // it once renamed.
    const BOOL bWasMarked = m_bMarked;
    if (bWasMarked && !SetDeleteMark(FALSE))
        return FALSE;
    if (!SetFileInformationByHandle(m_hFile, FileRenameInfo, pInfo, (DWORD)buffer.size()))
    {
        const DWORD dwError = GetLastError();
        if (bWasMarked)
            SetDeleteMark(TRUE);
        SetLastError(dwError);
        return FALSE;
    }
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_strPath = szFull;
    m_bMarked = FALSE;
    return TRUE;
}

void CQlcTempFile::Discard(BOOL bWipe)
{
    if (!IsOpen())
        return;
    if (bWipe && !Wipe(m_hFile, GetSectorSize(m_strPath)))
        g_log.WriteLine("WARNING: A temporary file could not be overwritten before its removal.");
    // A file beside a notebook whose mark could not be set goes by name.
    const BOOL bByName = !m_bDeleteOnClose && !m_bMarked;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (bByName)
        DeleteFileA(m_strPath);
    m_strPath.Empty();
    m_bMarked = m_bDeleteOnClose = FALSE;
}

HANDLE CQlcTempFile::Detach()
{
    HANDLE h = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    m_strPath.Empty();
    m_bMarked = m_bDeleteOnClose = FALSE;
    return h;
}

BOOL CQlcTempFile::Wipe(HANDLE hFile, DWORD dwBlock)
{
    LARGE_INTEGER liSize;
    if (!GetFileSizeEx(hFile, &liSize))
        return FALSE;
    LARGE_INTEGER liZero = {};
    if (!SetFilePointerEx(hFile, liZero, nullptr, FILE_BEGIN))
        return FALSE;
    if (dwBlock == 0)
        dwBlock = 4096;
    // Whole blocks, many at a time; the last write stops at the block after
    // the end, as block-by-block writing would.
    const ULONGLONG ullEnd = ((ULONGLONG)liSize.QuadPart + dwBlock - 1) / dwBlock * dwBlock;
    const DWORD dwChunk = std::max(dwBlock, kWipeChunk / dwBlock * dwBlock);
    std::vector<BYTE> zeros((size_t)std::min<ULONGLONG>(dwChunk, ullEnd), 0);
    for (ULONGLONG ullDone = 0; ullDone < ullEnd;)
    {
        const DWORD n = (DWORD)std::min<ULONGLONG>(zeros.size(), ullEnd - ullDone);
        DWORD dwWritten = 0;
        if (!WriteFile(hFile, zeros.data(), n, &dwWritten, nullptr) || dwWritten != n)
            return FALSE;
        ullDone += n;
        QlcFileProbeStep(IQlcFileProbe::stepBlockWiped);
    }
    return FlushFileBuffers(hFile);
}

BOOL CQlcTempFile::WipeFile(LPCSTR lpszPathName)
{
    HANDLE h = CreateFileA(lpszPathName, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    const BOOL bResult = Wipe(h, GetSectorSize(lpszPathName));
    CloseHandle(h);
    return bResult;
}

DWORD CQlcTempFile::GetSectorSize(LPCSTR lpszPathName)
{
    CString strRoot = lpszPathName;
    int iStart = 0;
    if (strRoot.Left(2) == "\\\\")
        iStart = 2;
    const int iSlash = strRoot.Find('\\', iStart);
    strRoot = iSlash >= 0 ? strRoot.Left(iSlash + 1) : CString();
    DWORD dwSectorsPerCluster = 0, dwBytesPerSector = 0, dwFree = 0, dwTotal = 0;
    if (strRoot.IsEmpty() ||
        !GetDiskFreeSpaceA(strRoot, &dwSectorsPerCluster, &dwBytesPerSector, &dwFree, &dwTotal) ||
        dwBytesPerSector == 0)
        dwBytesPerSector = 4096;
    return dwBytesPerSector;
}

BOOL CQlcTempFile::IsOurName(LPCSTR lpszName)
{
    if (lpszName == nullptr || _strnicmp(lpszName, kPrefix, 3) != 0)
        return FALSE;
    const char* p = lpszName + 3;
    int nDigits = 0;
    while (IsHexDigit(*p) && nDigits < 5)
    {
        ++p;
        ++nDigits;
    }
    return nDigits >= 1 && nDigits <= 4 && _stricmp(p, ".tmp") == 0;
}

int CQlcTempFile::SweepFolder(LPCSTR lpszFolder, const FILETIME& ftBefore, int nMaxFiles)
{
    CString strFolder = lpszFolder;
    if (strFolder.IsEmpty())
        return 0;
    if (strFolder.Right(1) != "\\" && strFolder.Right(1) != "/")
        strFolder += "\\";

    int nRemoved = 0;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(strFolder + kPrefix + "*.tmp", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    int nSeen = 0;
    do
    {
        if (++nSeen > nMaxFiles)
            break;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsOurName(fd.cFileName) ||
            CompareFileTime(&fd.ftLastWriteTime, &ftBefore) >= 0)
            continue;
        // Opened alone, or not at all: a file another running copy of the
        // program holds stays where it is.
        const CString strPath = strFolder + fd.cFileName;
        HANDLE h = CreateFileA(strPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        // It may be the plain text of an encrypted notebook.
        Wipe(h, GetSectorSize(strPath));
        CloseHandle(h);
        ++nRemoved;
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    return nRemoved;
}

int CQlcTempFile::SweepStale()
{
    char szFolder[MAX_PATH + 1] = {};
    if (GetTempPathA(MAX_PATH, szFolder) == 0)
        return 0;
    FILETIME ftCreated, ftExit, ftKernel, ftUser;
    if (!GetProcessTimes(GetCurrentProcess(), &ftCreated, &ftExit, &ftKernel, &ftUser))
        return 0;
    return SweepFolder(szFolder, ftCreated, 10000);
}
