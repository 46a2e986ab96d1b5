#include "outside/lmEngine/CWordList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "outside/lmEngine/CCharClass.h"

namespace
{
struct FileCloser
{
    void operator()(FILE* f) const { fclose(f); }
};
}  // namespace

bool CWordList::LoadFile(const char* path)
{
    if (!path || !*path)
        return false;
    std::unique_ptr<FILE, FileCloser> file(fopen(path, "rb"));
    if (!file)
        return false;

    std::string word;
    char buffer[65536];
    size_t got;
    auto flush = [this, &word]() {
        while (!word.empty() && (word.back() == '\r' || word.back() == ' ' || word.back() == '\t'))
            word.pop_back();
        if (!word.empty())
            Add(word);
        word.clear();
    };
    while ((got = fread(buffer, 1, sizeof(buffer), file.get())) > 0)
    {
        for (size_t i = 0; i < got; ++i)
        {
            if (buffer[i] == '\n')
                flush();
            else
                word.push_back(buffer[i]);
        }
    }
    if (ferror(file.get()))
        return false;
    flush();
    return true;
}

void CWordList::Add(const std::string& word)
{
    if (m_words.insert(word).second)
        m_bFoldedValid = false;
}

bool CWordList::Remove(const std::string& word)
{
    if (m_words.erase(word) == 0)
        return false;
    m_bFoldedValid = false;
    return true;
}

void CWordList::Clear()
{
    // Give the memory back rather than keep the buckets of a large list.
    std::unordered_set<std::string>().swap(m_words);
    std::vector<std::vector<Folded>>().swap(m_folded);
    m_bFoldedValid = false;
}

void CWordList::BuildFolded() const
{
    m_folded.clear();
    for (const std::string& word : m_words)
    {
        if (m_folded.size() <= word.size())
            m_folded.resize(word.size() + 1);
        m_folded[word.size()].push_back(Folded{CCharClass::ToLower(word), &word});
    }
    m_bFoldedValid = true;
}

std::vector<CWordList::Match> CWordList::FindNear(const std::string& lowerWord, int maxDistance) const
{
    if (!m_bFoldedValid)
        BuildFolded();
    std::vector<Match> matches;
    DistanceRows rows;
    size_t shortest = lowerWord.size() > static_cast<size_t>(maxDistance) ? lowerWord.size() - maxDistance : 0;
    size_t longest = lowerWord.size() + maxDistance;
    for (size_t length = shortest; length <= longest && length < m_folded.size(); ++length)
    {
        for (const Folded& folded : m_folded[length])
        {
            int distance = Distance(folded.lower, lowerWord, maxDistance, rows);
            if (distance <= maxDistance)
                matches.push_back(Match{distance, *folded.word});
        }
    }
    return matches;
}

int CWordList::Distance(const std::string& a, const std::string& b, int limit, DistanceRows& rows)
{
    const size_t n = a.size();
    const size_t m = b.size();
    if (static_cast<size_t>(std::labs(static_cast<long>(n) - static_cast<long>(m))) > static_cast<size_t>(limit))
        return limit + 1;

    // Three rows: the one before last is needed for transpositions.
    std::vector<int>& before = rows.before;
    std::vector<int>& previous = rows.previous;
    std::vector<int>& current = rows.current;
    before.assign(m + 1, 0);
    current.assign(m + 1, 0);
    previous.resize(m + 1);
    for (size_t j = 0; j <= m; ++j)
        previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= n; ++i)
    {
        current[0] = static_cast<int>(i);
        int rowMin = current[0];
        for (size_t j = 1; j <= m; ++j)
        {
            int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, before[j - 2] + 1);
            current[j] = best;
            rowMin = std::min(rowMin, best);
        }
        if (rowMin > limit)
            return limit + 1;
        before.swap(previous);
        previous.swap(current);
    }
    return std::min(previous[m], limit + 1);
}
