// Markdown to RTF for the Markdown text converter. The subset: ATX headings
// ("#" to "###"; deeper levels count as "###"), paragraphs separated by blank
// lines, soft line breaks (a space), hard line breaks (a line ending in two
// spaces or a backslash), emphasis with * or _ and strong emphasis with ** or
// __, and backslash escapes. Text is 8-bit in the given code page.
#pragma once

#include <string>
#include <vector>

class CMarkdownToRtf
{
public:
    // Font sizes in half-points: body text and headings of levels 1 to 3.
    // The RTF reader maps them back.
    static const int kBodySize = 22;
    static const int kHeadingSize[3];

    explicit CMarkdownToRtf(unsigned int nCodePage);

    std::string Convert(const std::string& strMarkdown);

private:
    struct CLine
    {
        std::string text;
        bool bHardBreak; // ends in a hard line break
    };

    static std::vector<std::string> SplitLines(const std::string& strText);
    static bool IsBlank(const std::string& strLine);
    // Level 1..3 and the heading text when the line is a heading, else 0.
    static int ParseHeading(const std::string& strLine, std::string& strText);

    void FlushParagraph();
    void WriteHeading(int nLevel, const std::string& strText);
    // Inline text with emphasis; in a heading, strong emphasis adds nothing
    // (the heading is bold already).
    void WriteInline(const std::string& strText, bool bHeading);
    void WriteChar(unsigned char c);

    // Emphasis delimiters: can the run of nLength delimiters at nPos open or
    // close, and does a closing run follow?
    static bool CanOpen(const std::string& s, size_t nPos, size_t nLength);
    static bool CanClose(const std::string& s, size_t nPos, size_t nLength);
    static bool HasCloser(const std::string& s, size_t nFrom, char chDelim, size_t nLength);

    unsigned int m_nCodePage;
    std::string m_strOut;
    std::vector<CLine> m_paragraph;
};
