// Reads one Lexomo.dat dictionary configuration file.
#pragma once

#include <string>
#include <vector>

#include "lmBroker/DictionaryRecord.h"

class CDictionaryConfigReader
{
public:
    enum ReadResult
    {
        rrRead,         // read to its end
        rrCannotOpen,   // missing or unreadable
        rrNotLexomo,    // first line is not "@LEXOMO"
        rrReadError     // failed part way through
    };

    // Longest line (without its line end) that is parsed; longer lines
    // are skipped whole.
    static const size_t kMaxLineLength = 126;

    // Parses path. The dictionaries found are kept only when the result is
    // rrRead; otherwise the reader holds none.
    ReadResult Read(const char* path);

    // The dictionary sections that were closed, in file order.
    const std::vector<DictionaryRecord>& GetRecords() const { return m_records; }

private:
    enum Section
    {
        sNone,
        sDictionary,
        sSettings
    };

    void ParseLine(const std::string& line);
    void CloseSection();

    std::vector<DictionaryRecord> m_records;
    // Put before D, L and H values: the file's own folder until a B line
    // of the settings replaces it. Every file starts afresh, so nothing
    // carries over from one file to the next.
    std::string m_strBaseDirectory;
    Section m_nSection = sNone;
    DictionaryRecord m_current;
};
