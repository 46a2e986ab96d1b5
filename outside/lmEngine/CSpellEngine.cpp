#include "outside/lmEngine/CSpellEngine.h"

#include <windows.h>

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

// How the typed word goes wrong from a suggestion of distance 1: two
// neighbouring letters swapped, a letter left out, or anything else (a letter
// changed or one too many). Swaps and left-out letters keep every letter the
// user typed, so they are the likelier slips.
enum SlipKind
{
    skSwapped = 0,
    skLeftOut = 1,
    skOther = 2
};

SlipKind KindOfSlip(const std::string& typed, const std::string& word)
{
    if (typed.size() == word.size())
    {
        size_t first = 0;
        while (first < typed.size() && typed[first] == word[first])
            ++first;
        if (first + 1 < typed.size() && typed[first] == word[first + 1] && typed[first + 1] == word[first] &&
            typed.compare(first + 2, std::string::npos, word, first + 2, std::string::npos) == 0)
            return skSwapped;
    }
    else if (word.size() == typed.size() + 1)
    {
        size_t first = 0;
        while (first < typed.size() && typed[first] == word[first])
            ++first;
        if (typed.compare(first, std::string::npos, word, first + 1, std::string::npos) == 0)
            return skLeftOut;
    }
    return skOther;
}

// Common words within the first hundred of the list, the rest of the list,
// and unlisted words.
int CommonnessCost(size_t rank, size_t listed)
{
    if (rank >= listed)
        return 2;
    return rank < 100 ? 0 : 1;
}

struct RankedMatch
{
    CWordList::Match match;
    int cost;     // kind of slip and commonness, smaller first
    size_t rank;  // place among the common words
};

int CompareSuggestions(const RankedMatch& a, const RankedMatch& b)
{
    if (a.match.distance != b.match.distance)
        return a.match.distance < b.match.distance ? -1 : 1;
    if (a.cost != b.cost)
        return a.cost < b.cost ? -1 : 1;
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    // Alphabetical without regard to case; byte order settles the rest so
    // the order never depends on the dictionary's storage.
    int folded = CCharClass::ToLower(a.match.word).compare(CCharClass::ToLower(b.match.word));
    if (folded != 0)
        return folded;
    return a.match.word.compare(b.match.word);
}

bool HasLineBreak(const char* word)
{
    return strchr(word, '\n') != nullptr || strchr(word, '\r') != nullptr;
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
    // The second word list, the settings and the user's words are optional.
    if (pathH && *pathH)
        m_words.LoadFile(pathH);
    LoadSettings(pathL);
    m_strUserPath = UserListPath(pathD);
    LoadUserList();
    m_bOpen = true;
    return true;
}

void CSpellEngine::CloseDictionary()
{
    m_words.Clear();
    m_bOpen = false;
    m_common.clear();
    m_strUserPath.clear();
    m_userWords.clear();
    SetDefaultWordChars();
    m_strReported.clear();
    m_suggestions.clear();
    m_bSuggestionsMade = false;
}

// Settings file: lines "NAME=value"; '#' starts a comment line.
// WORDCHARS=... makes each character of the value a word character.
// COMMON=... lists words separated by spaces, commonest first; further
// COMMON lines go on with the list. Suggestions prefer common words.
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
        static const char kCommon[] = "COMMON=";
        if (strncmp(line, kCommon, sizeof(kCommon) - 1) == 0)
        {
            const char* p = line + sizeof(kCommon) - 1;
            while (*p)
            {
                while (*p == ' ' || *p == '\t')
                    ++p;
                const char* end = p;
                while (*end && *end != ' ' && *end != '\t')
                    ++end;
                if (end > p)
                    m_common.emplace(CCharClass::ToLower(std::string(p, end)), m_common.size());
                p = end;
            }
        }
    }
}

size_t CSpellEngine::CommonRank(const std::string& lowerWord) const
{
    auto found = m_common.find(lowerWord);
    return found != m_common.end() ? found->second : m_common.size();
}

std::string CSpellEngine::UserListPath(const char* pathD)
{
    std::string path(pathD ? pathD : "");
    size_t name = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && (name == std::string::npos || dot > name))
        path.erase(dot);
    return path + ".usr";
}

void CSpellEngine::LoadUserList()
{
    CWordList user;
    if (!user.LoadFile(m_strUserPath.c_str()))
        return;
    user.ForEach([this](const std::string& word) {
        m_userWords.insert(word);
        m_words.Add(word);
    });
}

// Written whole to a new file that then takes the list's place, so a failed
// write never loses the words kept so far.
bool CSpellEngine::SaveUserList() const
{
    if (m_strUserPath.empty())
        return false;
    std::string fresh = m_strUserPath + ".new";
    {
        std::unique_ptr<FILE, FileCloser> file(fopen(fresh.c_str(), "wb"));
        if (!file)
            return false;
        std::vector<std::string> words(m_userWords.begin(), m_userWords.end());
        std::sort(words.begin(), words.end());
        for (const std::string& word : words)
            if (fwrite(word.data(), 1, word.size(), file.get()) != word.size() || fputc('\n', file.get()) == EOF)
                return false;
        if (fflush(file.get()) != 0)
            return false;
    }
    if (!MoveFileExA(fresh.c_str(), m_strUserPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileA(fresh.c_str());
        return false;
    }
    return true;
}

bool CSpellEngine::AddWord(const char* word)
{
    if (!m_bOpen || !word || !*word || HasLineBreak(word))
        return false;
    std::string added(word);
    if (m_words.Contains(added))
        return true;
    m_words.Add(added);
    m_userWords.insert(added);
    // Appended: the list only grows here.
    std::unique_ptr<FILE, FileCloser> file(fopen(m_strUserPath.c_str(), "ab"));
    if (!file)
        return false;
    added += '\n';
    return fwrite(added.data(), 1, added.size(), file.get()) == added.size() && fflush(file.get()) == 0;
}

bool CSpellEngine::RemoveWord(const char* word)
{
    if (!m_bOpen || !word)
        return false;
    if (!m_words.Remove(word))
        return false;
    if (m_userWords.erase(word) != 0)
        SaveUserList();
    return true;
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
// reported word, written with the word's own capitalisation: nearest first,
// then the likelier slips and the commoner words, then alphabetically.
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
    std::vector<RankedMatch> ranked;
    for (CWordList::Match& match : matches)
    {
        if (anyNear && match.distance > 1)
            continue;
        std::string lowerMatch = CCharClass::ToLower(match.word);
        size_t rank = CommonRank(lowerMatch);
        int slip = match.distance == 1 ? KindOfSlip(lower, lowerMatch) : skOther;
        if (capitals)
            match.word = CCharClass::ToUpper(match.word);
        else if (capitalised)
            match.word = CCharClass::Capitalise(match.word);
        ranked.push_back(RankedMatch{match, slip + CommonnessCost(rank, m_common.size()), rank});
    }
    std::sort(ranked.begin(), ranked.end(),
              [](const RankedMatch& a, const RankedMatch& b) { return CompareSuggestions(a, b) < 0; });
    for (const RankedMatch& candidate : ranked)
    {
        if (m_suggestions.size() == kMaxSuggestions)
            break;
        const std::string& word = candidate.match.word;
        // Different dictionary words can look the same once recased.
        if (word == m_strReported || std::find(m_suggestions.begin(), m_suggestions.end(), word) != m_suggestions.end())
            continue;
        m_suggestions.push_back(word);
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
