#include "framework/base/CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

HINSTANCE g_hResource = nullptr;

bool IsIn(char ch, LPCSTR pszSet)
{
    return pszSet != nullptr && ch != 0 && std::strchr(pszSet, ch) != nullptr;
}

} // namespace

HINSTANCE AFXAPI AfxGetResourceHandle()
{
    return g_hResource ? g_hResource : GetModuleHandleA(nullptr);
}

void AFXAPI AfxSetResourceHandle(HINSTANCE hInst)
{
    g_hResource = hInst;
}

int CString::Compare(LPCSTR psz) const
{
    return std::strcmp(m_str.c_str(), psz ? psz : "");
}

int CString::CompareNoCase(LPCSTR psz) const
{
    return lstrcmpiA(m_str.c_str(), psz ? psz : "");
}

int CString::Collate(LPCSTR psz) const
{
    return lstrcmpA(m_str.c_str(), psz ? psz : "");
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength() - (nFirst < 0 ? 0 : nFirst));
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (nFirst >= GetLength())
        return CString();
    return CString(m_str.substr((size_t)nFirst, (size_t)nCount));
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    return CString(m_str.substr(0, (size_t)nCount));
}

CString CString::Right(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= GetLength())
        return *this;
    return CString(m_str.substr(m_str.size() - (size_t)nCount));
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const
{
    size_t n = 0;
    while (n < m_str.size() && IsIn(m_str[n], pszCharSet))
        ++n;
    return Left((int)n);
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const
{
    size_t n = 0;
    while (n < m_str.size() && !IsIn(m_str[n], pszCharSet))
        ++n;
    return Left((int)n);
}

void CString::MakeUpper()
{
    if (!m_str.empty())
        CharUpperBuffA(&m_str[0], (DWORD)m_str.size());
}

void CString::MakeLower()
{
    if (!m_str.empty())
        CharLowerBuffA(&m_str[0], (DWORD)m_str.size());
}

void CString::MakeReverse()
{
    std::string r(m_str.rbegin(), m_str.rend());
    m_str.swap(r);
}

int CString::Replace(char chOld, char chNew)
{
    int n = 0;
    for (char& c : m_str)
    {
        if (c == chOld)
        {
            c = chNew;
            ++n;
        }
    }
    return n;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew)
{
    if (pszOld == nullptr || *pszOld == 0)
        return 0;
    const size_t nOld = std::strlen(pszOld);
    const std::string strNew = pszNew ? pszNew : "";
    int n = 0;
    size_t pos = 0;
    while ((pos = m_str.find(pszOld, pos, nOld)) != std::string::npos)
    {
        m_str.replace(pos, nOld, strNew);
        pos += strNew.size();
        ++n;
    }
    return n;
}

int CString::Remove(char ch)
{
    const size_t nBefore = m_str.size();
    std::string r;
    r.reserve(nBefore);
    for (char c : m_str)
    {
        if (c != ch)
            r += c;
    }
    m_str.swap(r);
    return (int)(nBefore - m_str.size());
}

int CString::Insert(int nIndex, char ch)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > GetLength())
        nIndex = GetLength();
    m_str.insert((size_t)nIndex, 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCSTR psz)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > GetLength())
        nIndex = GetLength();
    if (psz)
        m_str.insert((size_t)nIndex, psz);
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < GetLength())
        m_str.erase((size_t)nIndex, (size_t)nCount);
    return GetLength();
}

void CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_str.size() && (m_str[n] == ' ' || (m_str[n] >= '\t' && m_str[n] <= '\r')))
        ++n;
    m_str.erase(0, n);
}

void CString::TrimRight()
{
    size_t n = m_str.size();
    while (n > 0 && (m_str[n - 1] == ' ' || (m_str[n - 1] >= '\t' && m_str[n - 1] <= '\r')))
        --n;
    m_str.resize(n);
}

void CString::TrimLeft(char chTarget)
{
    size_t n = 0;
    while (n < m_str.size() && m_str[n] == chTarget)
        ++n;
    m_str.erase(0, n);
}

void CString::TrimRight(char chTarget)
{
    size_t n = m_str.size();
    while (n > 0 && m_str[n - 1] == chTarget)
        --n;
    m_str.resize(n);
}

void CString::TrimLeft(LPCSTR pszTargets)
{
    size_t n = 0;
    while (n < m_str.size() && IsIn(m_str[n], pszTargets))
        ++n;
    m_str.erase(0, n);
}

void CString::TrimRight(LPCSTR pszTargets)
{
    size_t n = m_str.size();
    while (n > 0 && IsIn(m_str[n - 1], pszTargets))
        --n;
    m_str.resize(n);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    const size_t pos = m_str.find(ch, (size_t)nStart);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (pszSub == nullptr || nStart < 0 || nStart > GetLength())
        return -1;
    const size_t pos = m_str.find(pszSub, (size_t)nStart);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::ReverseFind(char ch) const
{
    const size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::FindOneOf(LPCSTR pszCharSet) const
{
    if (pszCharSet == nullptr)
        return -1;
    const size_t pos = m_str.find_first_of(pszCharSet);
    return pos == std::string::npos ? -1 : (int)pos;
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    if (pszFormat == nullptr)
    {
        m_str.clear();
        return;
    }
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0)
    {
        m_str.clear();
        return;
    }
    std::vector<char> buf((size_t)n + 1);
    std::vsnprintf(buf.data(), buf.size(), pszFormat, args);
    m_str.assign(buf.data(), (size_t)n);
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormat(LPCSTR pszFormat, ...)
{
    CString s;
    va_list args;
    va_start(args, pszFormat);
    s.FormatV(pszFormat, args);
    va_end(args);
    m_str += s.m_str;
}

BOOL CString::Format(UINT nFormatID, ...)
{
    CString strFormat;
    if (!strFormat.LoadString(nFormatID))
        return FALSE;
    va_list args;
    va_start(args, nFormatID);
    FormatV(strFormat, args);
    va_end(args);
    return TRUE;
}

BOOL CString::LoadString(UINT nID)
{
    // String table entries can be long (messages); grow until it fits.
    for (int nSize = 256; nSize <= 65536; nSize *= 4)
    {
        std::vector<char> buf((size_t)nSize);
        const int n = ::LoadStringA(AfxGetResourceHandle(), nID, buf.data(), nSize);
        if (n <= 0)
        {
            m_str.clear();
            return FALSE;
        }
        if (n < nSize - 1)
        {
            m_str.assign(buf.data(), (size_t)n);
            return TRUE;
        }
    }
    return FALSE;
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > GetLength())
        m_str.resize((size_t)nMinBufLength);
    return &m_str[0];
}

LPSTR CString::GetBufferSetLength(int nNewLength)
{
    m_str.resize(nNewLength > 0 ? (size_t)nNewLength : 0);
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = (int)std::strlen(m_str.c_str());
    if ((size_t)nNewLength < m_str.size())
        m_str.resize((size_t)nNewLength);
}

void AFXAPI AfxFormatStrings(CString& rString, LPCSTR lpszFormat, LPCSTR const* rglpsz, int nString)
{
    CString strResult;
    for (LPCSTR p = lpszFormat ? lpszFormat : ""; *p != 0; ++p)
    {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9')
        {
            const int i = p[1] - '1';
            if (i < nString && rglpsz[i] != nullptr)
                strResult += rglpsz[i];
            ++p;
        }
        else
        {
            strResult += *p;
        }
    }
    rString = strResult;
}

void AFXAPI AfxFormatString1(CString& rString, UINT nIDS, LPCSTR lpsz1)
{
    CString strFormat;
    strFormat.LoadString(nIDS);
    AfxFormatStrings(rString, strFormat, &lpsz1, 1);
}

void AFXAPI AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2)
{
    CString strFormat;
    strFormat.LoadString(nIDS);
    LPCSTR rglpsz[2] = { lpsz1, lpsz2 };
    AfxFormatStrings(rString, strFormat, rglpsz, 2);
}

CString AFXAPI AfxLoadText(UINT nID)
{
    CString str;
    str.LoadString(nID);
    return str;
}
