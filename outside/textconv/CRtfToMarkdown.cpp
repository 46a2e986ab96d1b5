#include "outside/textconv/CRtfToMarkdown.h"

#include "outside/textconv/CMarkdownToRtf.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Destinations whose contents are not text of the document.
const char* const s_skippedDestinations[] = {
    "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
    "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable", "listoverridetable",
    "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "datastore", "latentstyles",
    "filetbl", "revtbl", "pgdsctbl", "bkmkstart", "bkmkend", "shp", "nonshppict", "mmathPr",
    "pntext", "pntxta", "pntxtb", "listtext",
};

bool IsSkippedDestination(const std::string& strWord)
{
    for (const char* psz : s_skippedDestinations)
    {
        if (strWord == psz)
            return true;
    }
    return false;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

CRtfToMarkdown::CRtfToMarkdown(unsigned int nCodePage)
    : m_nCodePage(nCodePage), m_state{ false, false, 24, false, 1 }, m_nPendingSkip(0)
{
}

bool CRtfToMarkdown::Convert(const std::string& strRtf, std::string& strMarkdown)
{
    strMarkdown.clear();
    if (strRtf.compare(0, 5, "{\\rtf") != 0)
        return false;

    m_state = CState{ false, false, 24, false, 1 };
    m_stack.clear();
    m_nPendingSkip = 0;
    m_paragraph.clear();
    m_strOut.clear();

    bool bDestinationStart = false; // just after "{\*" or "{"
    size_t i = 0;
    const size_t n = strRtf.size();
    while (i < n)
    {
        const char c = strRtf[i];
        if (c == '{')
        {
            m_stack.push_back(m_state);
            m_nPendingSkip = 0;
            bDestinationStart = true;
            ++i;
            continue;
        }
        if (c == '}')
        {
            if (!m_stack.empty())
            {
                m_state = m_stack.back();
                m_stack.pop_back();
            }
            m_nPendingSkip = 0;
            bDestinationStart = false;
            ++i;
            if (m_stack.empty())
                break; // the document's group ends here
            continue;
        }
        if (c == '\r' || c == '\n')
        {
            ++i;
            continue;
        }
        if (c != '\\')
        {
            bDestinationStart = false;
            AddText(c);
            ++i;
            continue;
        }

        // A control word or symbol.
        if (i + 1 >= n)
            break;
        const char d = strRtf[i + 1];
        if (IsLetter(d))
        {
            size_t j = i + 1;
            while (j < n && IsLetter(strRtf[j]))
                ++j;
            const std::string strWord = strRtf.substr(i + 1, j - i - 1);
            bool bHasParam = false;
            int nParam = 0;
            size_t k = j;
            if (k < n && strRtf[k] == '-')
                ++k;
            if (k < n && IsDigit(strRtf[k]))
            {
                while (k < n && IsDigit(strRtf[k]))
                    ++k;
                bHasParam = true;
                nParam = atoi(strRtf.substr(j, k - j).c_str());
                j = k;
            }
            if (j < n && strRtf[j] == ' ')
                ++j;
            i = j;
            if (bDestinationStart && IsSkippedDestination(strWord))
                m_state.bSkip = true;
            bDestinationStart = false;
            ControlWord(strWord, bHasParam, nParam);
            continue;
        }

        i += 2;
        switch (d)
        {
        case '*':
            // An optional destination: none of them carries text we keep.
            m_state.bSkip = true;
            break;
        case '\'':
            if (i + 2 <= n)
            {
                const std::string strHex = strRtf.substr(i, 2);
                i += 2;
                AddText((char)strtol(strHex.c_str(), nullptr, 16));
            }
            break;
        case '\\':
        case '{':
        case '}':
            AddText(d);
            break;
        case '~':
            AddText(' ');
            break;
        case '_':
            AddText('-');
            break;
        case '\r':
        case '\n':
            // "\" before a line end is a paragraph mark.
            if (!m_state.bSkip)
                EndParagraph();
            break;
        case '\t':
            AddText('\t');
            break;
        default:
            break; // optional hyphens, formulas and the like
        }
        bDestinationStart = false;
    }
    EndParagraph();
    strMarkdown = m_strOut;
    return true;
}

void CRtfToMarkdown::ControlWord(const std::string& strWord, bool bHasParam, int nParam)
{
    if (strWord == "b")
        m_state.bBold = !bHasParam || nParam != 0;
    else if (strWord == "i")
        m_state.bItalic = !bHasParam || nParam != 0;
    else if (strWord == "fs")
        m_state.nSize = bHasParam && nParam > 0 ? nParam : 24;
    else if (strWord == "plain")
    {
        m_state.bBold = false;
        m_state.bItalic = false;
        m_state.nSize = 24;
    }
    else if (strWord == "uc")
        m_state.nUnicodeSkip = bHasParam && nParam >= 0 ? nParam : 1;
    else if (strWord == "u")
    {
        if (bHasParam)
        {
            AddUnicode(nParam < 0 ? nParam + 65536 : nParam);
            m_nPendingSkip = m_state.nUnicodeSkip;
        }
    }
    else if (m_state.bSkip)
        return;
    else if (strWord == "par" || strWord == "sect" || strWord == "page" || strWord == "row")
        EndParagraph();
    else if (strWord == "line")
        AddText('\n');
    else if (strWord == "tab" || strWord == "cell")
        AddText('\t');
    else if (strWord == "emdash")
        AddUnicode(0x2014);
    else if (strWord == "endash")
        AddUnicode(0x2013);
    else if (strWord == "lquote")
        AddUnicode(0x2018);
    else if (strWord == "rquote")
        AddUnicode(0x2019);
    else if (strWord == "ldblquote")
        AddUnicode(0x201C);
    else if (strWord == "rdblquote")
        AddUnicode(0x201D);
    else if (strWord == "bullet")
        AddUnicode(0x2022);
}

void CRtfToMarkdown::AddText(char c)
{
    if (m_nPendingSkip > 0)
    {
        --m_nPendingSkip;
        return;
    }
    if (m_state.bSkip)
        return;
    if (m_paragraph.empty() || m_paragraph.back().bBold != m_state.bBold ||
        m_paragraph.back().bItalic != m_state.bItalic || m_paragraph.back().nSize != m_state.nSize)
    {
        m_paragraph.push_back(CRun{ std::string(), m_state.bBold, m_state.bItalic, m_state.nSize });
    }
    m_paragraph.back().text += c;
}

void CRtfToMarkdown::AddUnicode(int nCode)
{
    if (m_state.bSkip)
        return;
    const wchar_t wc = (wchar_t)nCode;
    char szOut[8] = {};
    BOOL bDefault = FALSE;
    const int nBytes = WideCharToMultiByte(m_nCodePage, 0, &wc, 1, szOut, sizeof(szOut), nullptr, &bDefault);
    const int nPending = m_nPendingSkip;
    m_nPendingSkip = 0;
    if (nBytes <= 0 || bDefault)
    {
        AddText('?');
    }
    else
    {
        for (int i = 0; i < nBytes; ++i)
            AddText(szOut[i]);
    }
    m_nPendingSkip = nPending;
}

std::string CRtfToMarkdown::Escape(const std::string& strText, bool bParagraphStart)
{
    std::string strOut;
    for (size_t i = 0; i < strText.size(); ++i)
    {
        const char c = strText[i];
        const bool bLineStart = i == 0 ? bParagraphStart : strText[i - 1] == '\n';
        if (c == '\\' || c == '*' || c == '_' || (c == '#' && bLineStart))
            strOut += '\\';
        if (c == '\n')
            strOut += "\\\r\n"; // a hard line break
        else
            strOut += c;
    }
    return strOut;
}

void CRtfToMarkdown::EndParagraph()
{
    std::vector<CRun> runs;
    runs.swap(m_paragraph);

    // Drop leading and trailing white space of the paragraph.
    while (!runs.empty())
    {
        std::string& s = runs.front().text;
        size_t k = 0;
        while (k < s.size() && (IsSpace(s[k]) || s[k] == '\n'))
            ++k;
        s.erase(0, k);
        if (!s.empty())
            break;
        runs.erase(runs.begin());
    }
    while (!runs.empty())
    {
        std::string& s = runs.back().text;
        size_t k = s.size();
        while (k > 0 && (IsSpace(s[k - 1]) || s[k - 1] == '\n'))
            --k;
        s.resize(k);
        if (!s.empty())
            break;
        runs.pop_back();
    }
    if (runs.empty())
        return; // Markdown has no empty paragraphs

    if (!m_strOut.empty())
        m_strOut += "\r\n";

    // All bold at a heading size: a heading of the level of its smallest text.
    bool bHeading = true;
    int nMinSize = 0;
    for (const CRun& run : runs)
    {
        bool bBlank = true;
        for (char c : run.text)
        {
            if (!IsSpace(c))
                bBlank = false;
            if (c == '\n')
                bHeading = false;
        }
        if (bBlank)
            continue;
        if (!run.bBold)
            bHeading = false;
        if (nMinSize == 0 || run.nSize < nMinSize)
            nMinSize = run.nSize;
    }
    int nLevel = 0;
    if (bHeading)
    {
        for (int k = 0; k < 3 && nLevel == 0; ++k)
        {
            if (nMinSize >= CMarkdownToRtf::kHeadingSize[k])
                nLevel = k + 1;
        }
    }
    if (nLevel > 0)
    {
        m_strOut.append((size_t)nLevel, '#');
        m_strOut += ' ';
        for (CRun& run : runs)
            run.bBold = false; // the heading says it
    }
    WriteRuns(runs);
    m_strOut += "\r\n";
}

void CRtfToMarkdown::WriteRuns(const std::vector<CRun>& runs)
{
    bool bFirst = true;
    for (const CRun& run : runs)
    {
        // Emphasis markers must touch text: white space goes outside them.
        size_t nStart = 0;
        while (nStart < run.text.size() && (IsSpace(run.text[nStart]) || run.text[nStart] == '\n'))
            ++nStart;
        size_t nEnd = run.text.size();
        while (nEnd > nStart && (IsSpace(run.text[nEnd - 1]) || run.text[nEnd - 1] == '\n'))
            --nEnd;
        const std::string strCore = run.text.substr(nStart, nEnd - nStart);
        std::string strMarker;
        if (!strCore.empty())
        {
            if (run.bBold)
                strMarker += "**";
            if (run.bItalic)
                strMarker += "*";
        }
        m_strOut += Escape(run.text.substr(0, nStart), false);
        m_strOut += strMarker;
        m_strOut += Escape(strCore, bFirst && nStart == 0 && strMarker.empty());
        m_strOut += strMarker;
        m_strOut += Escape(run.text.substr(nEnd), false);
        bFirst = false;
    }
}
