// The spell engine behind lmEngine's exports: one dictionary, a tokeniser for
// 8-bit text and suggestions for the word last reported.
#pragma once

#include <string>
#include <vector>

#include "lmBroker/EngineFunctionTable.h"
#include "outside/lmEngine/CWordList.h"

class CSpellEngine
{
public:
    static const int kVersion = 100;           // 1.00
    static const size_t kMaxSuggestions = 10;

    CSpellEngine();

    // Back to the state of a freshly loaded engine.
    void Reset();

    // Replaces the open dictionary. The word list D must be readable; the
    // settings L and the second word list H are optional.
    bool OpenDictionary(const char* pathD, const char* pathL, const char* pathH);
    void CloseDictionary();
    bool IsOpen() const { return m_bOpen; }

    bool AddWord(const char* word);
    bool RemoveWord(const char* word);

    bool IsWordChar(unsigned char c) const { return m_wordChars[c]; }

    // 1 known, 0 misspelt (then it is the word last reported), -1 without
    // a dictionary or a word.
    int CheckWord(const char* word);

    int FindMisspelling(const char* text, int* position, IgnoreWordProc callback, void* context);

    int GetSuggestionCount();
    bool GetSuggestion(int index, int bufferSize, char* out);

    // The previous value, or -1 for an unknown option.
    int SetOption(int option, int value);

private:
    void SetDefaultWordChars();
    void LoadSettings(const char* pathL);
    bool IsKnown(const std::string& word) const;
    bool IsSkipped(const std::string& word) const;
    void SetReported(const std::string& word);
    void MakeSuggestions();

    CWordList m_words;
    bool m_bOpen;
    bool m_wordChars[256];
    bool m_bSkipWordsWithDigits;

    std::string m_strReported;  // the word last reported, empty for none
    bool m_bSuggestionsMade;
    std::vector<std::string> m_suggestions;
};
