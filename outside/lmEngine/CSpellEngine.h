// The spell engine behind lmEngine's exports: one dictionary, a tokeniser for
// 8-bit text and suggestions for the word last reported. Words the user adds
// are kept in a user word list beside the dictionary's word list (the word
// list's name with the extension ".usr"), read again whenever the dictionary
// is opened.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
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

    // Adds a word for this run and to the user word list. False for no
    // word or no dictionary, and when the user word list cannot be written
    // (the word is known for this run all the same).
    bool AddWord(const char* word);
    // Removes a word for this run; a word of the user word list leaves it.
    bool RemoveWord(const char* word);

    // The user word list that goes with a word list file.
    static std::string UserListPath(const char* pathD);

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
    void LoadUserList();
    bool SaveUserList() const;
    // The word's place in the common words of the settings (0 the
    // commonest); words not listed come after them all.
    size_t CommonRank(const std::string& lowerWord) const;

    CWordList m_words;
    bool m_bOpen;
    bool m_wordChars[256];
    bool m_bSkipWordsWithDigits;
    // Lower-case words of the settings' COMMON lines, with their rank.
    std::unordered_map<std::string, size_t> m_common;
    std::string m_strUserPath;                  // empty without a dictionary
    std::unordered_set<std::string> m_userWords;  // as in the user word list

    std::string m_strReported;  // the word last reported, empty for none
    bool m_bSuggestionsMade;
    std::vector<std::string> m_suggestions;
};
