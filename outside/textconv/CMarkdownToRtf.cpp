#include "outside/textconv/CMarkdownToRtf.h"

#include <cstdio>

const int CMarkdownToRtf::kHeadingSize[3] = { 36, 32, 28 };

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

bool IsWordChar(char c)
{
    const unsigned char u = (unsigned char)c;
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80;
}

bool IsEscapable(char c)
{
    const unsigned char u = (unsigned char)c;
    return u > ' ' && u < 0x7F && !IsWordChar(c);
}

} // namespace

CMarkdownToRtf::CMarkdownToRtf(unsigned int nCodePage) : m_nCodePage(nCodePage)
{
}

std::string CMarkdownToRtf::Convert(const std::string& strMarkdown)
{
    m_strOut.clear();
    m_paragraph.clear();

    char szHeader[160];
    snprintf(szHeader, sizeof(szHeader),
             "{\\rtf1\\ansi\\ansicpg%u\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n\\viewkind4\\uc1\r\n", m_nCodePage);
    m_strOut = szHeader;

    for (const std::string& strLine : SplitLines(strMarkdown))
    {
        std::string strHeading;
        if (IsBlank(strLine))
        {
            FlushParagraph();
        }
        else if (int nLevel = ParseHeading(strLine, strHeading))
        {
            FlushParagraph();
            WriteHeading(nLevel, strHeading);
        }
        else
        {
            CLine line;
            line.text = strLine;
            line.bHardBreak = false;
            size_t nEnd = line.text.size();
            size_t nSpaces = 0;
            while (nSpaces < nEnd && line.text[nEnd - 1 - nSpaces] == ' ')
                ++nSpaces;
            if (nSpaces >= 2)
            {
                line.bHardBreak = true;
            }
            else if (nSpaces == 0 && nEnd > 0 && line.text[nEnd - 1] == '\\')
            {
                // An escaped backslash ("\\") at the end is text, not a break.
                size_t nSlashes = 0;
                while (nSlashes < nEnd && line.text[nEnd - 1 - nSlashes] == '\\')
                    ++nSlashes;
                if (nSlashes % 2 == 1)
                {
                    line.bHardBreak = true;
                    --nEnd;
                }
            }
            while (nEnd > 0 && IsSpace(line.text[nEnd - 1]))
                --nEnd;
            line.text.resize(nEnd);
            size_t nStart = 0;
            while (nStart < line.text.size() && IsSpace(line.text[nStart]))
                ++nStart;
            line.text.erase(0, nStart);
            m_paragraph.push_back(line);
        }
    }
    FlushParagraph();
    m_strOut += "}\r\n";
    return m_strOut;
}

std::vector<std::string> CMarkdownToRtf::SplitLines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::string strLine;
    for (size_t i = 0; i < strText.size(); ++i)
    {
        const char c = strText[i];
        if (c == '\r' || c == '\n')
        {
            lines.push_back(strLine);
            strLine.clear();
            if (c == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n')
                ++i;
        }
        else
        {
            strLine += c;
        }
    }
    if (!strLine.empty())
        lines.push_back(strLine);
    return lines;
}

bool CMarkdownToRtf::IsBlank(const std::string& strLine)
{
    for (char c : strLine)
    {
        if (!IsSpace(c))
            return false;
    }
    return true;
}

int CMarkdownToRtf::ParseHeading(const std::string& strLine, std::string& strText)
{
    size_t i = 0;
    while (i < strLine.size() && i < 3 && strLine[i] == ' ')
        ++i;
    size_t nHashes = 0;
    while (i < strLine.size() && strLine[i] == '#')
    {
        ++nHashes;
        ++i;
    }
    if (nHashes == 0 || nHashes > 6 || (i < strLine.size() && !IsSpace(strLine[i])))
        return 0;

    size_t nStart = i;
    while (nStart < strLine.size() && IsSpace(strLine[nStart]))
        ++nStart;
    size_t nEnd = strLine.size();
    while (nEnd > nStart && IsSpace(strLine[nEnd - 1]))
        --nEnd;
    // A closing run of hashes after a space belongs to the syntax.
    size_t nClose = nEnd;
    while (nClose > nStart && strLine[nClose - 1] == '#')
        --nClose;
    if (nClose < nEnd && (nClose == nStart || IsSpace(strLine[nClose - 1])))
    {
        nEnd = nClose;
        while (nEnd > nStart && IsSpace(strLine[nEnd - 1]))
            --nEnd;
    }
    strText = strLine.substr(nStart, nEnd - nStart);
    return nHashes > 3 ? 3 : (int)nHashes;
}

void CMarkdownToRtf::FlushParagraph()
{
    if (m_paragraph.empty())
        return;

    char szStart[80];
    snprintf(szStart, sizeof(szStart), "\\pard\\plain\\sa120\\f0\\fs%d ", kBodySize);
    m_strOut += szStart;

    // Emphasis may span soft breaks, so the paragraph is one text; hard
    // breaks are kept as a character no text contains.
    std::string strText;
    for (size_t i = 0; i < m_paragraph.size(); ++i)
    {
        strText += m_paragraph[i].text;
        if (i + 1 < m_paragraph.size())
            strText += m_paragraph[i].bHardBreak ? '\n' : ' ';
    }
    WriteInline(strText, false);
    m_strOut += "\\par\r\n";
    m_paragraph.clear();
}

void CMarkdownToRtf::WriteHeading(int nLevel, const std::string& strText)
{
    char szStart[80];
    snprintf(szStart, sizeof(szStart), "\\pard\\plain\\sa120\\f0\\b\\fs%d ", kHeadingSize[nLevel - 1]);
    m_strOut += szStart;
    WriteInline(strText, true);
    m_strOut += "\\par\r\n";
}

bool CMarkdownToRtf::CanOpen(const std::string& s, size_t nPos, size_t nLength)
{
    const size_t nAfter = nPos + nLength;
    if (nAfter >= s.size() || IsSpace(s[nAfter]) || s[nAfter] == '\n')
        return false;
    // Underscores inside a word are text (snake_case).
    return s[nPos] != '_' || nPos == 0 || !IsWordChar(s[nPos - 1]);
}

bool CMarkdownToRtf::CanClose(const std::string& s, size_t nPos, size_t nLength)
{
    if (nPos == 0 || IsSpace(s[nPos - 1]) || s[nPos - 1] == '\n')
        return false;
    const size_t nAfter = nPos + nLength;
    return s[nPos] != '_' || nAfter >= s.size() || !IsWordChar(s[nAfter]);
}

bool CMarkdownToRtf::HasCloser(const std::string& s, size_t nFrom, char chDelim, size_t nLength)
{
    for (size_t i = nFrom; i < s.size(); ++i)
    {
        if (s[i] == '\\' && i + 1 < s.size() && IsEscapable(s[i + 1]))
        {
            ++i;
            continue;
        }
        if (s[i] != chDelim)
            continue;
        size_t nRun = 0;
        while (i + nRun < s.size() && s[i + nRun] == chDelim)
            ++nRun;
        if (nRun >= nLength && CanClose(s, i, nLength))
            return true;
        i += nRun - 1;
    }
    return false;
}

void CMarkdownToRtf::WriteInline(const std::string& s, bool bHeading)
{
    bool bBold = false;
    bool bItalic = false;
    size_t i = 0;
    while (i < s.size())
    {
        const char c = s[i];
        if (c == '\\' && i + 1 < s.size() && IsEscapable(s[i + 1]))
        {
            WriteChar((unsigned char)s[i + 1]);
            i += 2;
            continue;
        }
        if (c == '\n')
        {
            m_strOut += "\\line ";
            ++i;
            continue;
        }
        if (c == '*' || c == '_')
        {
            size_t nRun = 0;
            while (i + nRun < s.size() && s[i + nRun] == c)
                ++nRun;
            if (nRun >= 2)
            {
                if (bBold && CanClose(s, i, 2))
                {
                    bBold = false;
                    if (!bHeading)
                        m_strOut += "\\b0 ";
                    i += 2;
                    continue;
                }
                if (!bBold && CanOpen(s, i, 2) && HasCloser(s, i + 2, c, 2))
                {
                    bBold = true;
                    if (!bHeading)
                        m_strOut += "\\b ";
                    i += 2;
                    continue;
                }
            }
            if (bItalic && CanClose(s, i, 1))
            {
                bItalic = false;
                m_strOut += "\\i0 ";
                ++i;
                continue;
            }
            if (!bItalic && CanOpen(s, i, 1) && HasCloser(s, i + 1, c, 1))
            {
                bItalic = true;
                m_strOut += "\\i ";
                ++i;
                continue;
            }
        }
        WriteChar((unsigned char)c);
        ++i;
    }
    if (bBold && !bHeading)
        m_strOut += "\\b0 ";
    if (bItalic)
        m_strOut += "\\i0 ";
}

void CMarkdownToRtf::WriteChar(unsigned char c)
{
    if (c == '\\' || c == '{' || c == '}')
    {
        m_strOut += '\\';
        m_strOut += (char)c;
    }
    else if (c == '\t')
    {
        m_strOut += "\\tab ";
    }
    else if (c >= 0x80)
    {
        char szHex[8];
        snprintf(szHex, sizeof(szHex), "\\'%02x", c);
        m_strOut += szHex;
    }
    else if (c >= 0x20 && c != 0x7F)
    {
        m_strOut += (char)c;
    }
}
