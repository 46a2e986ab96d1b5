#include "app/CFindNodesQuery.h"

#include <cstring>

namespace {

// Horspool search with its shift table keyed on the low byte of a
// character: characters sharing a low byte share the smallest shift, which
// keeps the table small for UTF-16 and never skips a match.
template <class T>
BOOL ContainsText(const T* pText, size_t nText, const T* pWord, size_t nWord)
{
    if (nWord == 0)
        return FALSE;
    if (nWord > nText)
        return FALSE;
    if (nWord == 1)
    {
        for (size_t i = 0; i < nText; ++i)
        {
            if (pText[i] == pWord[0])
                return TRUE;
        }
        return FALSE;
    }
    size_t shift[256];
    for (size_t& s : shift)
        s = nWord;
    for (size_t i = 0; i + 1 < nWord; ++i)
    {
        size_t& s = shift[(unsigned)pWord[i] & 0xFF];
        const size_t nDistance = nWord - 1 - i;
        if (nDistance < s)
            s = nDistance;
    }
    const T last = pWord[nWord - 1];
    size_t nPos = 0;
    while (nPos <= nText - nWord)
    {
        const T ch = pText[nPos + nWord - 1];
        if (ch == last && std::memcmp(pText + nPos, pWord, (nWord - 1) * sizeof(T)) == 0)
            return TRUE;
        nPos += shift[(unsigned)ch & 0xFF];
    }
    return FALSE;
}

} // namespace

CFindNodesQuery::CFindNodesQuery() : m_nMode(modeAllWords)
{
}

std::vector<std::string> CFindNodesQuery::SplitWords(LPCSTR lpszQuery, int nMode)
{
    std::vector<std::string> words;
    const CString strLower = LowerAnsi(lpszQuery);
    if (nMode == modePhrase)
    {
        if (!strLower.IsEmpty())
            words.push_back(std::string((LPCSTR)strLower));
        return words;
    }
    const char* p = strLower;
    while (*p != 0)
    {
        const char* pEnd = std::strchr(p, ' ');
        if (pEnd == nullptr)
            pEnd = p + std::strlen(p);
        if (pEnd > p)
            words.push_back(std::string(p, (size_t)(pEnd - p)));
        p = *pEnd != 0 ? pEnd + 1 : pEnd;
    }
    return words;
}

void CFindNodesQuery::Set(LPCSTR lpszQuery, int nMode)
{
    m_nMode = nMode == modeAnyWord || nMode == modePhrase ? nMode : modeAllWords;
    m_words = SplitWords(lpszQuery, m_nMode);
    m_foldedWords.clear();
    for (const std::string& word : m_words)
    {
        std::wstring folded;
        const int nChars = ::MultiByteToWideChar(CP_ACP, 0, word.data(), (int)word.size(), nullptr, 0);
        if (nChars > 0)
        {
            folded.resize((size_t)nChars);
            ::MultiByteToWideChar(CP_ACP, 0, word.data(), (int)word.size(), &folded[0], nChars);
            FoldText(&folded[0], folded.size());
        }
        m_foldedWords.push_back(folded);
    }
}

CString CFindNodesQuery::LowerAnsi(LPCSTR lpszText)
{
    CString str(lpszText);
    if (!str.IsEmpty())
    {
        ::CharLowerBuffA(str.GetBuffer(), (DWORD)str.GetLength());
        str.ReleaseBuffer(str.GetLength());
    }
    return str;
}

const WCHAR* CFindNodesQuery::GetFoldTable()
{
    // The lower-case form of every UTF-16 unit, as the system gives it.
    static const std::vector<WCHAR> s_table = [] {
        std::vector<WCHAR> table(65536);
        for (size_t i = 0; i < table.size(); ++i)
            table[i] = (WCHAR)i;
        // Surrogate halves stay as they are.
        ::CharLowerBuffW(table.data(), 0xD800);
        ::CharLowerBuffW(table.data() + 0xE000, 0x2000);
        return table;
    }();
    return s_table.data();
}

void CFindNodesQuery::FoldText(WCHAR* pText, size_t nLength)
{
    const WCHAR* pTable = GetFoldTable();
    for (size_t i = 0; i < nLength; ++i)
        pText[i] = pTable[pText[i]];
}

BOOL CFindNodesQuery::MatchesLowered(const char* pText, size_t nLength) const
{
    if (m_words.empty() || pText == nullptr)
        return FALSE;
    for (const std::string& word : m_words)
    {
        const BOOL bFound = ContainsText(pText, nLength, word.data(), word.size());
        if (m_nMode == modeAnyWord && bFound)
            return TRUE;
        if (m_nMode != modeAnyWord && !bFound)
            return FALSE;
    }
    return m_nMode != modeAnyWord;
}

BOOL CFindNodesQuery::MatchesText(std::wstring& text) const
{
    if (!text.empty())
        FoldText(&text[0], text.size());
    return MatchesFoldedText(text);
}

BOOL CFindNodesQuery::MatchesFoldedText(const std::wstring& text) const
{
    if (m_foldedWords.empty() || text.empty())
        return FALSE;
    for (const std::wstring& word : m_foldedWords)
    {
        const BOOL bFound = ContainsText(text.data(), text.size(), word.data(), word.size());
        if (m_nMode == modeAnyWord && bFound)
            return TRUE;
        if (m_nMode != modeAnyWord && !bFound)
            return FALSE;
    }
    return m_nMode != modeAnyWord;
}
