#include "outside/lmEngine/CSpellEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "outside/lmEngine/CCharClass.h"

namespace
{
struct FileCloser
{
    void operator()(FILE* f) const { fclose(f); }
};

int CompareSuggestions(const CWordList::Match& a, const CWordList::Match& b)
{
    if (a.distance != b.distance)
        return a.distance < b.distance ? -1 : 1;
    // Alphabetical without regard to case; byte order settles the rest so
    // the order never depends on the dictionary's storage.
    int folded = CCharClass::ToLower(a.word).compare(CCharClass::ToLower(b.word));
    if (folded != 0)
        return folded;
    return a.word.compare(b.word);
}
}  // namespace

CSpellEngine::CSpellEngine()
{
    Reset();
}

void CSpellEngine::Reset()
{
    CloseDictionary();
    m_bSkipWordsWithDigits = true;
}

void CSpellEngine::SetDefaultWordChars()
{
    for (int c = 0; c < 256; ++c)
    {
        unsigned char ch = static_cast<unsigned char>(c);
        m_wordChars[c] = CCharClass::IsLetter(ch) || CCharClass::IsDigit(ch) || ch == '\'';
    }
}

bool CSpellEngine::OpenDictionary(const char* pathD, const char* pathL, const char* pathH)
{
    CloseDictionary();
    if (!m_words.LoadFile(pathD))
    {
        m_words.Clear();
        return false;
    }
    // The second word list and the settings are optional.
    if (pathH && *pathH)
        m_words.LoadFile(pathH);
    LoadSettings(pathL);
    m_bOpen = true;
    return true;
}

void CSpellEngine::CloseDictionary()
{
    m_words.Clear();
    m_bOpen = false;
    SetDefaultWordChars();
    m_strReported.clear();
    m_suggestions.clear();
    m_bSuggestionsMade = false;
}

// Settings file: lines "NAME=value"; '#' starts a comment line.
// WORDCHARS=... makes each character of the value a word character.
void CSpellEngine::LoadSettings(const char* pathL)
{
    if (!pathL || !*pathL)
        return;
    std::unique_ptr<FILE, FileCloser> file(fopen(pathL, "rb"));
    if (!file)
        return;
    char line[1024];
    while (fgets(line, sizeof(line), file.get()))
    {
        size_t length = strlen(line);
        bool whole = length > 0 && line[length - 1] == '\n';
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
            line[--length] = '\0';
        if (!whole && !feof(file.get()))
        {
            // Over-long line: drop it and its tail.
            int c;
            while ((c = getc(file.get())) != EOF && c != '\n')
                ;
            continue;
        }
        if (line[0] == '#')
            continue;
        static const char kWordChars[] = "WORDCHARS=";
        if (strncmp(line, kWordChars, sizeof(kWordChars) - 1) == 0)
        {
            for (const char* p = line + sizeof(kWordChars) - 1; *p; ++p)
                m_wordChars[static_cast<unsigned char>(*p)] = true;
        }
    }
}

bool CSpellEngine::AddWord(const char* word)
{
    if (!m_bOpen || !word || !*word)
        return false;
    m_words.Add(word);
    return true;
}

bool CSpellEngine::RemoveWord(const char* word)
{
    if (!m_bOpen || !word)
        return false;
    return m_words.Remove(word);
}

// A word matches itself; a lower-case dictionary word also matches its
// capitalised and all-capital forms, and a capitalised one its all-capital
// form.
bool CSpellEngine::IsKnown(const std::string& word) const
{
    if (m_words.Contains(word))
        return true;
    bool capitals = CCharClass::IsAllCapitals(word);
    if (!capitals && !CCharClass::IsCapitalised(word))
        return false;
    std::string lower = CCharClass::ToLower(word);
    if (m_words.Contains(lower))
        return true;
    return capitals && m_words.Contains(CCharClass::Capitalise(lower));
}

bool CSpellEngine::IsSkipped(const std::string& word) const
{
    if (!m_bSkipWordsWithDigits)
        return false;
    for (char c : word)
        if (CCharClass::IsDigit(static_cast<unsigned char>(c)))
            return true;
    return false;
}

int CSpellEngine::CheckWord(const char* word)
{
    if (!m_bOpen || !word || !*word)
        return -1;
    std::string token(word);
    if (IsKnown(token))
        return 1;
    SetReported(token);
    return 0;
}

int CSpellEngine::FindMisspelling(const char* text, int* position, IgnoreWordProc callback, void* context)
{
    if (!m_bOpen || !text || !position)
        return 0;
    const size_t length = strlen(text);
    size_t pos = *position < 0 ? 0 : static_cast<size_t>(*position);
    if (pos >= length)
        return 0;

    auto wordChar = [this, text](size_t i) { return IsWordChar(static_cast<unsigned char>(text[i])); };

    // Starting inside a word: that word began before the position, so the
    // search goes on after it.
    if (pos > 0 && wordChar(pos - 1))
        while (pos < length && wordChar(pos))
            ++pos;

    while (pos < length)
    {
        while (pos < length && !wordChar(pos))
            ++pos;
        size_t start = pos;
        while (pos < length && wordChar(pos))
            ++pos;
        size_t end = pos;
        // Apostrophes around a word are quotation marks.
        while (start < end && text[start] == '\'')
            ++start;
        while (end > start && text[end - 1] == '\'')
            --end;
        if (start == end)
            continue;

        std::string word(text + start, end - start);
        if (IsSkipped(word) || IsKnown(word))
            continue;
        if (callback && callback(word.c_str(), context) == 1)
            continue;
        SetReported(word);
        *position = static_cast<int>(start);
        return static_cast<int>(end - start);
    }
    return 0;
}

void CSpellEngine::SetReported(const std::string& word)
{
    m_strReported = word;
    m_suggestions.clear();
    m_bSuggestionsMade = false;
}

// Dictionary words at distance 1 (or, when there are none, 2) from the
// reported word, nearest first and then alphabetically, written with the
// word's own capitalisation.
void CSpellEngine::MakeSuggestions()
{
    m_bSuggestionsMade = true;
    m_suggestions.clear();
    if (!m_bOpen || m_strReported.empty())
        return;

    std::string lower = CCharClass::ToLower(m_strReported);
    bool capitals = CCharClass::IsAllCapitals(m_strReported);
    bool capitalised = CCharClass::IsCapitalised(m_strReported);

    std::vector<CWordList::Match> matches = m_words.FindNear(lower, 2);
    bool anyNear = std::any_of(matches.begin(), matches.end(),
                               [](const CWordList::Match& m) { return m.distance <= 1; });
    if (anyNear)
        matches.erase(std::remove_if(matches.begin(), matches.end(),
                                     [](const CWordList::Match& m) { return m.distance > 1; }),
                      matches.end());
    for (CWordList::Match& match : matches)
    {
        if (capitals)
            match.word = CCharClass::ToUpper(match.word);
        else if (capitalised)
            match.word = CCharClass::Capitalise(match.word);
    }
    std::sort(matches.begin(), matches.end(),
              [](const CWordList::Match& a, const CWordList::Match& b) { return CompareSuggestions(a, b) < 0; });
    for (const CWordList::Match& match : matches)
    {
        if (m_suggestions.size() == kMaxSuggestions)
            break;
        // Different dictionary words can look the same once recased.
        if (match.word == m_strReported ||
            std::find(m_suggestions.begin(), m_suggestions.end(), match.word) != m_suggestions.end())
            continue;
        m_suggestions.push_back(match.word);
    }
}

int CSpellEngine::GetSuggestionCount()
{
    if (!m_bSuggestionsMade)
        MakeSuggestions();
    return static_cast<int>(m_suggestions.size());
}

bool CSpellEngine::GetSuggestion(int index, int bufferSize, char* out)
{
    if (!m_bSuggestionsMade)
        MakeSuggestions();
    if (index < 0 || static_cast<size_t>(index) >= m_suggestions.size() || bufferSize <= 0 || !out)
        return false;
    const std::string& suggestion = m_suggestions[index];
    size_t length = std::min(suggestion.size(), static_cast<size_t>(bufferSize) - 1);
    memcpy(out, suggestion.data(), length);
    out[length] = '\0';
    return true;
}

int CSpellEngine::SetOption(int option, int value)
{
    switch (option)
    {
    case eoSkipWordsWithDigits:
    {
        int previous = m_bSkipWordsWithDigits ? 1 : 0;
        m_bSkipWordsWithDigits = value != 0;
        return previous;
    }
    default:
        return -1;
    }
}
