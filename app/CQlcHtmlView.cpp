#include "app/CQlcHtmlView.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CQlcHtmlView, CHtmlView)

BEGIN_MESSAGE_MAP(CQlcHtmlView, CHtmlView)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

const char CQlcHtmlView::kTempPrefix[] = "QLC";

namespace {

// Overwrites a file's bytes with zeros and cuts it to nothing.
void WipeFile(LPCSTR lpszPath)
{
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER size = {};
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0)
    {
        std::vector<char> zeros(64 * 1024, 0);
        LONGLONG remaining = size.QuadPart;
        while (remaining > 0)
        {
            DWORD dwWritten = 0;
            const DWORD dwChunk = (DWORD)std::min<LONGLONG>(remaining, (LONGLONG)zeros.size());
            if (!::WriteFile(hFile, zeros.data(), dwChunk, &dwWritten, nullptr) || dwWritten == 0)
                break;
            remaining -= dwWritten;
        }
        ::FlushFileBuffers(hFile);
        ::SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
        ::SetEndOfFile(hFile);
    }
    ::CloseHandle(hFile);
}

// "QLC" followed by one to four hexadecimal digits, then the extension. The
// prefix's case tells these apart from the notebook core's work files.
BOOL IsOurTempName(LPCSTR lpszName, LPCSTR lpszExtension)
{
    const size_t nPrefix = std::strlen(CQlcHtmlView::kTempPrefix);
    if (std::strncmp(lpszName, CQlcHtmlView::kTempPrefix, nPrefix) != 0)
        return FALSE;
    const char* p = lpszName + nPrefix;
    int nDigits = 0;
    while (std::isxdigit((unsigned char)*p))
    {
        ++p;
        ++nDigits;
    }
    return nDigits >= 1 && nDigits <= 4 && _stricmp(p, lpszExtension) == 0;
}

CString TempFolder()
{
    char szDir[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof(szDir), szDir);
    if (n == 0 || n >= sizeof(szDir))
        return CString();
    return CString(szDir);
}

} // namespace

CQlcHtmlView::CQlcHtmlView() : m_hReserved(INVALID_HANDLE_VALUE)
{
}

CQlcHtmlView::~CQlcHtmlView()
{
    RemoveFiles();
}

void CQlcHtmlView::DoDataExchange(CDataExchange* /*pDX*/)
{
}

CString CQlcHtmlView::PageNameFor(const CString& strReserved)
{
    const int nLength = strReserved.GetLength();
    if (nLength < 5 || strReserved.Right(4).CompareNoCase(".tmp") != 0)
        return CString();
    return strReserved.Left(nLength - 3) + "html";
}

BOOL CQlcHtmlView::LoadNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL /*bPasswordKnown*/,
                            LPCSTR /*lpszPassword*/)
{
    // The document decodes the node (with its remembered password).
    RemoveFiles();
    CQlcNode node(pDoc, dwNodeId);
    if (pDoc == nullptr || !node.IsValid())
        return FALSE;

    const CString strFolder = TempFolder();
    char szReserved[MAX_PATH] = {};
    if (strFolder.IsEmpty() || ::GetTempFileNameA(strFolder, kTempPrefix, 0, szReserved) == 0)
    {
        g_log.WriteLine("WARNING: No temporary file could be made for an HTML page.");
        return FALSE;
    }
    const CString strPage = PageNameFor(szReserved);
    if (strPage.IsEmpty() || strPage.GetLength() >= MAX_PATH)
    {
        ::DeleteFileA(szReserved);
        g_log.WriteLine("WARNING: The temporary name for an HTML page is unusable.");
        return FALSE;
    }
    m_strReservedPath = szReserved;
    m_hReserved = ::CreateFileA(szReserved, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    m_strPagePath = strPage;

    BOOL bWritten = FALSE;
    if (node.HasData())
    {
        bWritten = pDoc->Data_CopyToFile(dwNodeId, strPage, nullptr);
    }
    else
    {
        // A page without content shows as an empty page.
        HANDLE hFile = ::CreateFileA(strPage, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        bWritten = hFile != INVALID_HANDLE_VALUE;
        if (bWritten)
            ::CloseHandle(hFile);
    }
    if (!bWritten)
    {
        g_log.WriteLine("WARNING: An HTML page could not be written to the temporary folder.");
        RemoveFiles();
        return FALSE;
    }
    Navigate2(strPage, 0, nullptr, nullptr);
    return TRUE;
}

void CQlcHtmlView::RemoveFiles()
{
    if (!m_strPagePath.IsEmpty())
    {
        // The page may hold an encrypted node's text: its bytes go before
        // the name does, and a page someone still holds is at least emptied.
        WipeFile(m_strPagePath);
        ::DeleteFileA(m_strPagePath);
        m_strPagePath.Empty();
    }
    if (m_hReserved != INVALID_HANDLE_VALUE)
    {
        ::CloseHandle(m_hReserved);
        m_hReserved = INVALID_HANDLE_VALUE;
    }
    if (!m_strReservedPath.IsEmpty())
    {
        ::DeleteFileA(m_strReservedPath);
        m_strReservedPath.Empty();
    }
}

void CQlcHtmlView::OnDestroy()
{
    // The browser lets go of the page first.
    CHtmlView::OnDestroy();
    RemoveFiles();
}

void CQlcHtmlView::RemoveStaleFiles()
{
    const CString strFolder = TempFolder();
    if (strFolder.IsEmpty())
        return;
    std::vector<CString> reserved;
    std::vector<CString> pages;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(strFolder + kTempPrefix + "*", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (IsOurTempName(fd.cFileName, ".tmp"))
            reserved.push_back(strFolder + fd.cFileName);
        else if (IsOurTempName(fd.cFileName, ".html"))
            pages.push_back(strFolder + fd.cFileName);
    } while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);

    // A reserved name that a running view holds cannot be deleted: its page
    // stays with it.
    for (const CString& strReserved : reserved)
        ::DeleteFileA(strReserved);
    for (const CString& strPage : pages)
    {
        const CString strReserved = strPage.Left(strPage.GetLength() - 4) + "tmp";
        if (::GetFileAttributesA(strReserved) != INVALID_FILE_ATTRIBUTES)
            continue;
        WipeFile(strPage);
        ::DeleteFileA(strPage);
    }
}
