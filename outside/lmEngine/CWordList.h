// The words of an open dictionary.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

class CWordList
{
public:
    struct Match
    {
        int distance;
        std::string word;
    };

    // Adds the words of a list file, one a line (LF or CR LF). False when
    // the file cannot be read.
    bool LoadFile(const char* path);

    void Add(const std::string& word);
    bool Remove(const std::string& word);
    bool Contains(const std::string& word) const { return m_words.count(word) != 0; }
    void Clear();
    size_t GetCount() const { return m_words.size(); }
    template <typename F>
    void ForEach(F f) const
    {
        for (const std::string& word : m_words)
            f(word);
    }

    // Every word whose edit distance to lowerWord (letters, compared without
    // regard to case) is at most maxDistance, in no particular order.
    std::vector<Match> FindNear(const std::string& lowerWord, int maxDistance) const;

private:
    struct Folded
    {
        std::string lower;
        const std::string* word;  // points into m_words
    };

    // Rows of the distance table, kept between the words of one search.
    struct DistanceRows
    {
        std::vector<int> before, previous, current;
    };

    void BuildFolded() const;

    // Edit distance with adjacent transpositions; any value above limit is
    // returned as limit + 1.
    static int Distance(const std::string& a, const std::string& b, int limit, DistanceRows& rows);

    std::unordered_set<std::string> m_words;
    // The words in lower case by length, built for the first search after
    // a change.
    mutable std::vector<std::vector<Folded>> m_folded;
    mutable bool m_bFoldedValid = false;
};
