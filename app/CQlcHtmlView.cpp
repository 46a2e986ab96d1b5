#include "app/CQlcHtmlView.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQlcTempFile.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxSecure.h"
#include "framework/base/CException.h"

#include <mshtmdid.h>
#include <urlmon.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <exception>
#include <vector>

IMPLEMENT_DYNCREATE(CQlcHtmlView, CHtmlView)

BEGIN_MESSAGE_MAP(CQlcHtmlView, CHtmlView)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

const char CQlcHtmlView::kTempPrefix[] = "QLC";
// "about:internet" is 14 characters: the Internet zone.
const char CQlcHtmlView::kMarkOfTheWeb[] = "<!-- saved from url=(0014)about:internet -->\r\n";

namespace {

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

BOOL WriteAll(HANDLE hFile, const void* pData, size_t nBytes)
{
    const BYTE* p = static_cast<const BYTE*>(pData);
    while (nBytes > 0)
    {
        const DWORD dwChunk = (DWORD)std::min<size_t>(nBytes, 1 << 20);
        DWORD dwWritten = 0;
        if (!::WriteFile(hFile, p, dwChunk, &dwWritten, nullptr) || dwWritten != dwChunk)
            return FALSE;
        p += dwChunk;
        nBytes -= dwChunk;
    }
    return TRUE;
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

CQlcHtmlView::CQlcHtmlView() : m_hReserved(INVALID_HANDLE_VALUE), m_hPage(INVALID_HANDLE_VALUE)
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

std::string CQlcHtmlView::PagePrefix(const BYTE* pPage, size_t nPage, size_t& nSkip)
{
    const std::string strMark = kMarkOfTheWeb;
    nSkip = 0;
    if (nPage >= 3 && pPage[0] == 0xEF && pPage[1] == 0xBB && pPage[2] == 0xBF)
    {
        nSkip = 3;
        return "\xEF\xBB\xBF" + strMark;
    }
    if (nPage >= 2 && ((pPage[0] == 0xFF && pPage[1] == 0xFE) || (pPage[0] == 0xFE && pPage[1] == 0xFF)))
    {
        // UTF-16: the mark in the page's byte order, after its own mark.
        const bool bLittleEndian = pPage[0] == 0xFF;
        nSkip = 2;
        std::string strPrefix(reinterpret_cast<const char*>(pPage), 2);
        for (char ch : strMark)
        {
            strPrefix += bLittleEndian ? ch : '\0';
            strPrefix += bLittleEndian ? '\0' : ch;
        }
        return strPrefix;
    }
    return strMark;
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

    if (!WritePage(pDoc, dwNodeId, node.HasData()))
    {
        g_log.WriteLine("WARNING: An HTML page could not be written to the temporary folder.");
        RemoveFiles();
        return FALSE;
    }
    Navigate2(strPage, 0, nullptr, nullptr);
    return TRUE;
}

BOOL CQlcHtmlView::WritePage(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL bHasData)
{
    // The page as the node holds it, deciphered, in a buffer that wipes
    // itself; a page without content shows as an empty page.
    CSecureBytes page;
    try
    {
        UINT nReason = 0;
        if (bHasData && !pDoc->Data_ReadPayload(dwNodeId, page, nReason))
            return FALSE;
    }
    catch (CException&)
    {
        return FALSE;
    }
    catch (std::exception&)
    {
        return FALSE;
    }

    HANDLE hFile = ::CreateFileA(m_strPagePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    size_t nSkip = 0;
    const std::string strPrefix = PagePrefix(page.data(), page.size(), nSkip);
    const BOOL bWritten = WriteAll(hFile, strPrefix.data(), strPrefix.size()) &&
                          WriteAll(hFile, page.data() + nSkip, page.size() - nSkip);
    ::CloseHandle(hFile);
    if (!bWritten)
        return FALSE;
    // From here on the page is only read, by the browser, and nobody else
    // may change it: a program that got in first is an error.
    m_hPage = ::CreateFileA(m_strPagePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_hPage != INVALID_HANDLE_VALUE;
}

void CQlcHtmlView::RemoveFiles()
{
    if (m_hPage != INVALID_HANDLE_VALUE)
    {
        ::CloseHandle(m_hPage);
        m_hPage = INVALID_HANDLE_VALUE;
    }
    if (!m_strPagePath.IsEmpty())
    {
        // The page may hold an encrypted node's text: its bytes go before
        // the name does, and a page someone still holds is at least zeros.
        CQlcTempFile::WipeFile(m_strPagePath);
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

BOOL CQlcHtmlView::OnAmbientProperty(DISPID dispid, VARIANT* pvar)
{
    if (dispid != DISPID_AMBIENT_DLCONTROL)
        return CHtmlView::OnAmbientProperty(dispid, pvar);
    // Pictures, videos and sounds as a browser shows them; answering at all
    // would turn them off otherwise.
    pvar->vt = VT_I4;
    pvar->lVal = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS;
    return TRUE;
}

BOOL CQlcHtmlView::OnUrlAction(LPCWSTR lpszURL, DWORD dwAction, DWORD* pdwPolicy)
{
    // Downloading controls, running them and scripting those not marked
    // safe: whatever the zone would allow.
    const BOOL bActiveX = (dwAction >= URLACTION_DOWNLOAD_MIN && dwAction <= URLACTION_DOWNLOAD_MAX) ||
                          (dwAction >= URLACTION_ACTIVEX_MIN && dwAction <= URLACTION_ACTIVEX_MAX) ||
                          dwAction == URLACTION_SCRIPT_OVERRIDE_SAFETY;
    if (!bActiveX)
        return CHtmlView::OnUrlAction(lpszURL, dwAction, pdwPolicy);
    *pdwPolicy = URLPOLICY_DISALLOW;
    return TRUE;
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
        CQlcTempFile::WipeFile(strPage);
        ::DeleteFileA(strPage);
    }
}
