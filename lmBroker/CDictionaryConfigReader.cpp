#include "lmBroker/CDictionaryConfigReader.h"

#include <cstdio>
#include <memory>

namespace
{
const int kCtrlZ = 26;

enum LineStatus
{
    lsLine,
    lsTooLong,
    lsEnd,
    lsError
};

struct FileCloser
{
    void operator()(FILE* f) const { fclose(f); }
};

struct LineSource
{
    FILE* file;
    bool ended;  // Ctrl-Z seen: nothing after it is text
};

// Reads one line as text mode would deliver it: LF or CR LF ends it (a lone
// CR stays in the line), Ctrl-Z ends the text. A line over the limit is read
// to its end and reported as too long, so its tail never turns into a line
// of its own.
LineStatus ReadLine(LineSource& source, std::string& line)
{
    line.clear();
    if (source.ended)
        return lsEnd;
    // Room for the limit, a CR before the LF and one byte to see overflow.
    const size_t cap = CDictionaryConfigReader::kMaxLineLength + 2;
    bool overflow = false;
    bool any = false;
    for (;;)
    {
        int c = getc(source.file);
        if (c == EOF)
        {
            if (ferror(source.file))
                return lsError;
            break;
        }
        if (c == kCtrlZ)
        {
            source.ended = true;
            break;
        }
        any = true;
        if (c == '\n')
            break;
        if (line.size() < cap)
            line.push_back(static_cast<char>(c));
        else
            overflow = true;
    }
    if (!any)
        return lsEnd;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (overflow || line.size() > CDictionaryConfigReader::kMaxLineLength)
        return lsTooLong;
    return lsLine;
}
}  // namespace

CDictionaryConfigReader::ReadResult CDictionaryConfigReader::Read(const char* path)
{
    m_records.clear();
    m_strBaseDirectory.clear();
    m_nSection = sNone;
    m_current = DictionaryRecord();

    if (!path)
        return rrCannotOpen;
    std::unique_ptr<FILE, FileCloser> file(fopen(path, "rb"));
    if (!file)
        return rrCannotOpen;

    LineSource source = {file.get(), false};
    std::string line;
    LineStatus status = ReadLine(source, line);
    if (status == lsError)
        return rrReadError;
    if (status != lsLine || line != "@LEXOMO")
        return rrNotLexomo;

    std::string strPath(path);
    size_t slash = strPath.rfind('\\');
    if (slash != std::string::npos)
        m_strBaseDirectory = strPath.substr(0, slash + 1);

    for (;;)
    {
        status = ReadLine(source, line);
        if (status == lsEnd)
            break;
        if (status == lsError)
        {
            m_records.clear();
            return rrReadError;
        }
        if (status == lsLine)
            ParseLine(line);
    }
    // A dictionary section still open here was never closed by an '@' line
    // and is not kept.
    return rrRead;
}

void CDictionaryConfigReader::ParseLine(const std::string& line)
{
    if (line.empty() || line[0] == ';')
        return;

    if (line[0] == '@')
    {
        CloseSection();
        if (line == "@DICTIONARY")
            m_nSection = sDictionary;
        else if (line == "@SETTINGS")
            m_nSection = sSettings;
        return;
    }

    size_t equals = line.find('=');
    if (equals == std::string::npos)
        return;
    // The key is the first character only; the value is kept verbatim.
    char key = line[0];
    std::string value = line.substr(equals + 1);

    if (m_nSection == sSettings)
    {
        if (key == 'B')
            m_strBaseDirectory = value;
    }
    else if (m_nSection == sDictionary)
    {
        switch (key)
        {
        case 'N':
            m_current.name = value;
            break;
        case 'D':
            m_current.pathD = m_strBaseDirectory + value;
            break;
        case 'L':
            m_current.pathL = m_strBaseDirectory + value;
            break;
        case 'H':
            m_current.pathH = m_strBaseDirectory + value;
            break;
        default:
            break;
        }
    }
}

void CDictionaryConfigReader::CloseSection()
{
    if (m_nSection == sDictionary)
        m_records.push_back(m_current);
    m_current = DictionaryRecord();
    m_nSection = sNone;
}
