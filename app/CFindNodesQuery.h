// A Find in Nodes query as the search compares it: its words (all words,
// any word) or its whole phrase, lower-cased for titles and keywords and
// case-folded for note text. Blanks in a row give no empty words: an empty
// word would be found in every text.
#pragma once

#include "framework/base/CString.h"

#include <string>
#include <vector>

class CFindNodesQuery
{
public:
    enum { modeAllWords = 0, modeAnyWord = 1, modePhrase = 2 };

    CFindNodesQuery();

    // The query as typed (trimmed by the caller) in one of the modes.
    void Set(LPCSTR lpszQuery, int nMode);
    int GetMode() const { return m_nMode; }
    // The lower-cased words, or the lower-cased phrase alone.
    const std::vector<std::string>& GetWords() const { return m_words; }
    BOOL IsEmpty() const { return m_words.empty(); }

    // The query's words, lower-cased, as the modes split it: at blanks for
    // all words and any word (no empty words), whole for the phrase.
    static std::vector<std::string> SplitWords(LPCSTR lpszQuery, int nMode);

    // Whether lower-cased text holds every word, any word or the phrase.
    BOOL MatchesLowered(const char* pText, size_t nLength) const;
    BOOL MatchesLowered(const CString& strText) const { return MatchesLowered(strText, (size_t)strText.GetLength()); }
    // The same over note text, which is case-folded in place first.
    BOOL MatchesText(std::wstring& text) const;
    // The same over note text folded already (through GetFoldTable).
    BOOL MatchesFoldedText(const std::wstring& text) const;

    // Titles are compared lower-cased as the system lower-cases ANSI text.
    static CString LowerAnsi(LPCSTR lpszText);
    // Case folding of note text (in place), the same for the words.
    static void FoldText(WCHAR* pText, size_t nLength);
    // The folded form of every UTF-16 unit.
    static const WCHAR* GetFoldTable();

private:
    int m_nMode;
    std::vector<std::string> m_words;
    std::vector<std::wstring> m_foldedWords;
};
