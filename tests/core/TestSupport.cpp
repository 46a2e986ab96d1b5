#include "TestSupport.h"

#include <gtest/gtest.h>

CTestPrompts::CTestPrompts() : m_pPrevious(QlcSetPrompts(this))
{
}

CTestPrompts::~CTestPrompts()
{
    QlcSetPrompts(m_pPrevious);
}

int CTestPrompts::MessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    boxes.push_back({ hOwner, lpszText ? lpszText : "", lpszCaption ? lpszCaption : "", nType });
    if (answers.empty())
        return IDOK;
    const int n = answers.front();
    answers.pop_front();
    return n;
}

int CTestPrompts::FrameworkMessageBox(LPCSTR lpszText, UINT nType)
{
    return MessageBox(nullptr, lpszText, "(framework)", nType);
}

BOOL CTestPrompts::AskPassword(CString& strPassword)
{
    ++nPasswordRequests;
    if (passwords.empty())
        return FALSE;
    const std::string s = passwords.front();
    passwords.pop_front();
    strPassword = s.c_str();
    return TRUE;
}

BOOL CTestPrompts::UnlockNode(CQuillcrestDoc* /*pDoc*/, DWORD dwNodeId, CString& strPassword)
{
    unlockRequests.push_back(dwNodeId);
    return AskPassword(strPassword);
}

CTempDir::CTempDir()
{
    char szTemp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH, szTemp);
    static LONG s_nCounter = 0;
    for (;;)
    {
        m_strDir.Format("%sqlctest-%lu-%ld", szTemp, GetCurrentProcessId(), InterlockedIncrement(&s_nCounter));
        if (CreateDirectoryA(m_strDir, nullptr))
            break;
    }
}

namespace {

// Removes a folder with everything in it (exports leave folders too).
void RemoveTree(const CString& strDir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(strDir + "\\*", &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            const CString strEntry = strDir + "\\" + fd.cFileName;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            {
                SetFileAttributesA(strEntry, FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(strEntry);
            }
            else if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
            {
                RemoveTree(strEntry);
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(strDir);
}

} // namespace

CTempDir::~CTempDir()
{
    RemoveTree(m_strDir);
}

CString CTempDir::Path(LPCSTR lpszName) const
{
    return m_strDir + "\\" + lpszName;
}

Bytes ReadFileBytes(LPCSTR lpszPath)
{
    Bytes bytes;
    // Beside any holder, also one that opened it delete-on-close.
    HANDLE h = CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    BYTE buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    CloseHandle(h);
    return bytes;
}

void WriteFileBytes(LPCSTR lpszPath, const Bytes& bytes)
{
    HANDLE h = CreateFileA(lpszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD n = 0;
    if (!bytes.empty())
        WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr);
    CloseHandle(h);
}

std::vector<std::string> ListQlcTempFiles(LPCSTR lpszFolder)
{
    std::vector<std::string> names;
    char szTemp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH, szTemp);
    std::string folder = lpszFolder != nullptr ? lpszFolder : szTemp;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "Qlc*.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

CByteBuilder& CByteBuilder::Magic(LPCSTR lpsz)
{
    const size_t n = strlen(lpsz);
    U32((DWORD)(2 * (n + 1)));
    for (size_t i = 0; i <= n; ++i)
        U16((WORD)(BYTE)lpsz[i]);
    return *this;
}

void CByteBuilder::PatchU32(size_t nOffset, DWORD dw)
{
    for (int i = 0; i < 4; ++i)
        m_bytes.at(nOffset + i) = (BYTE)(dw >> (8 * i));
}

void WriteHeaderFields(CByteBuilder& b, const CHeaderFields& h)
{
    b.U32(h.dwVersion);
    b.U16(2020).U16(1).U16(3).U16(1).U16(12).U16(0).U16(0).U16(0); // created
    b.Zeros(16);                                                  // modified
    b.U32(h.dwNodeCount).U32(h.dwLogoOffset).U32(h.dwLogoLength).U32(0);
    b.U32(h.dwBookmarkOffset).U32(h.dwFileFlags).U32(h.dwSectionTableOffset).U32(0);
    b.U16(h.wSort1).U16(h.wSort2).U32(h.dwKeywordOffset);
}

void AppendPayload(CQuillcrestDoc& doc, DWORD dwNodeId, const Bytes& stored, DWORD dwFlags)
{
    HANDLE hWork = doc.Data_GetWorkHandle();
    LARGE_INTEGER zero = {};
    LARGE_INTEGER end;
    ASSERT_TRUE(SetFilePointerEx(hWork, zero, &end, FILE_END));
    DWORD n = 0;
    if (!stored.empty())
    {
        ASSERT_TRUE(WriteFile(hWork, stored.data(), (DWORD)stored.size(), &n, nullptr));
    }

    QLCNODE node;
    ASSERT_TRUE(doc.Data_GetNode(dwNodeId, node));
    node.dwFlags = dwFlags;
    node.dwStoredSize = (DWORD)stored.size();
    node.dwPlainSize = (DWORD)stored.size();
    doc.Data_SetNode(dwNodeId, node);
    const QLCDATALOC loc = { 1, 1, 0, (DWORD)end.QuadPart };
    doc.Data_SetDataLoc(dwNodeId, loc);
}

Bytes ReadStoredPayload(const CQuillcrestDoc& doc, DWORD dwNodeId)
{
    Bytes bytes;
    QLCNODE node;
    QLCDATALOC loc;
    if (!doc.Data_GetNode(dwNodeId, node) || !doc.Data_GetDataLoc(dwNodeId, loc) || !loc.bHasData)
        return bytes;
    HANDLE h = loc.bInWorkFile ? doc.Data_GetWorkHandle() : doc.Data_GetSourceHandle();
    LARGE_INTEGER li;
    li.QuadPart = loc.dwOffset;
    if (!SetFilePointerEx(h, li, nullptr, FILE_BEGIN))
        return bytes;
    bytes.resize(node.dwStoredSize);
    DWORD n = 0;
    if (!bytes.empty() && (!ReadFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr) || n != bytes.size()))
        bytes.clear();
    return bytes;
}

DWORD AddNode(CQuillcrestDoc& doc, BYTE nType, LPCSTR lpszName, DWORD dwParent)
{
    const DWORD dwId = doc.Data_NewNodeId();
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    node.nType = nType;
    node.strName = lpszName;
    node.dwParentId = dwParent;
    node.wIcon = nType == QLC_NODE_FOLDER ? 3 : 2;
    doc.Data_SetNode(dwId, node);
    return dwId;
}

DWORD FindNodeByName(const CQuillcrestDoc& doc, LPCSTR lpszName)
{
    CQlcDocLock::CScoped tableLock225(doc.GetLock());
    for (POSITION pos = doc.GetNodeTable(tableLock225).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE node;
        CQlcDocLock::CScoped tableLock229(doc.GetLock());
        doc.GetNodeTable(tableLock229).GetNextAssoc(pos, dwId, node);
        if (node.strName == lpszName)
            return dwId;
    }
    return 0;
}

int OpenNotebook(CQuillcrestDoc& doc, LPCSTR lpszPath)
{
    if (!doc.Data_OpenNotebookFile(lpszPath))
        return -1;
    return doc.Data_ReadFile();
}
