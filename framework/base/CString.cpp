#include "framework/base/CString.h"

#include <algorithm>
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

// The index of the character after the one at i. In a double-byte code page a
// lead byte and its trail byte are one character: the trail byte may look
// like '\\' or any other ASCII letter and must never be matched on its own.
size_t NextChar(const std::string& s, size_t i)
{
    LPCSTR p = s.c_str() + i;
    LPCSTR pNext = CharNextA(p);
    if (pNext <= p) // at an embedded zero
        return i + 1;
    return std::min(s.size(), i + (size_t)(pNext - p));
}

// Whether a single-byte ch (or a single-byte character of a set) can be
// what sits at i: only when i starts a character of its own length 1.
bool IsSingle(const std::string& s, size_t i)
{
    return NextChar(s, i) == i + 1;
}

bool IsSpace(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
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
    while (n < m_str.size() && IsSingle(m_str, n) && IsIn(m_str[n], pszCharSet))
        ++n;
    return Left((int)n);
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const
{
    size_t n = 0;
    while (n < m_str.size() && !(IsSingle(m_str, n) && IsIn(m_str[n], pszCharSet)))
        n = NextChar(m_str, n);
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
    // Characters are reversed, not bytes: a double-byte character keeps its
    // lead byte first.
    std::string r(m_str.size(), '\0');
    size_t nOut = m_str.size();
    for (size_t i = 0; i < m_str.size();)
    {
        const size_t iNext = NextChar(m_str, i);
        nOut -= iNext - i;
        r.replace(nOut, iNext - i, m_str, i, iNext - i);
        i = iNext;
    }
    m_str.swap(r);
}

int CString::Replace(char chOld, char chNew)
{
    int n = 0;
    for (size_t i = 0; i < m_str.size(); i = NextChar(m_str, i))
    {
        if (m_str[i] == chOld && IsSingle(m_str, i))
        {
            m_str[i] = chNew;
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
    int pos = 0;
    while ((pos = Find(pszOld, pos)) >= 0)
    {
        m_str.replace((size_t)pos, nOld, strNew);
        pos += (int)strNew.size();
        ++n;
    }
    return n;
}

int CString::Remove(char ch)
{
    const size_t nBefore = m_str.size();
    std::string r;
    r.reserve(nBefore);
    for (size_t i = 0; i < m_str.size();)
    {
        const size_t iNext = NextChar(m_str, i);
        if (!(iNext == i + 1 && m_str[i] == ch))
            r.append(m_str, i, iNext - i);
        i = iNext;
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

// Trimming walks forward by character: going backwards byte by byte would
// take the trail byte of a double-byte character for a character.
template <class Pred>
void TrimLeftIf(std::string& s, Pred pred)
{
    size_t n = 0;
    while (n < s.size() && IsSingle(s, n) && pred(s[n]))
        ++n;
    s.erase(0, n);
}

template <class Pred>
void TrimRightIf(std::string& s, Pred pred)
{
    size_t nKeep = 0; // end of the last character that is not trimmed
    for (size_t i = 0; i < s.size();)
    {
        const size_t iNext = NextChar(s, i);
        if (!(iNext == i + 1 && pred(s[i])))
            nKeep = iNext;
        i = iNext;
    }
    s.resize(nKeep);
}

void CString::TrimLeft()
{
    TrimLeftIf(m_str, IsSpace);
}

void CString::TrimRight()
{
    TrimRightIf(m_str, IsSpace);
}

void CString::TrimLeft(char chTarget)
{
    TrimLeftIf(m_str, [chTarget](char c) { return c == chTarget; });
}

void CString::TrimRight(char chTarget)
{
    TrimRightIf(m_str, [chTarget](char c) { return c == chTarget; });
}

void CString::TrimLeft(LPCSTR pszTargets)
{
    TrimLeftIf(m_str, [pszTargets](char c) { return IsIn(c, pszTargets); });
}

void CString::TrimRight(LPCSTR pszTargets)
{
    TrimRightIf(m_str, [pszTargets](char c) { return IsIn(c, pszTargets); });
}

// Searches match only at character starts (nStart is taken to be one).
int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    for (size_t i = (size_t)nStart; i < m_str.size(); i = NextChar(m_str, i))
    {
        if (m_str[i] == ch && IsSingle(m_str, i))
            return (int)i;
    }
    return -1;
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (pszSub == nullptr || nStart < 0 || nStart > GetLength())
        return -1;
    const size_t nSub = std::strlen(pszSub);
    for (size_t i = (size_t)nStart; i + nSub <= m_str.size(); i = NextChar(m_str, i))
    {
        // Starting at a character, equal bytes parse as the same characters,
        // so the match also ends at one.
        if (m_str.compare(i, nSub, pszSub) == 0)
            return (int)i;
    }
    return -1;
}

int CString::ReverseFind(char ch) const
{
    int iFound = -1;
    for (size_t i = 0; i < m_str.size(); i = NextChar(m_str, i))
    {
        if (m_str[i] == ch && IsSingle(m_str, i))
            iFound = (int)i;
    }
    return iFound;
}

int CString::FindOneOf(LPCSTR pszCharSet) const
{
    if (pszCharSet == nullptr)
        return -1;
    for (size_t i = 0; i < m_str.size(); i = NextChar(m_str, i))
    {
        if (IsSingle(m_str, i) && IsIn(m_str[i], pszCharSet))
            return (int)i;
    }
    return -1;
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
