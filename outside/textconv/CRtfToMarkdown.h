// RTF to Markdown for the Markdown text converter: paragraphs, line breaks,
// tabs, bold and italic; a paragraph set all in bold at a heading size (those
// the Markdown reader writes, or larger) becomes a heading. Everything else
// (fonts, colours, pictures, objects, tables) is dropped; text is 8-bit in
// the given code page, characters outside it become '?'.
#pragma once

#include <string>
#include <vector>

class CRtfToMarkdown
{
public:
    explicit CRtfToMarkdown(unsigned int nCodePage);

    // False when the text is not RTF (it must start with "{\rtf").
    bool Convert(const std::string& strRtf, std::string& strMarkdown);

private:
    struct CState
    {
        bool bBold;
        bool bItalic;
        int nSize;        // half-points
        bool bSkip;       // inside a destination whose text is not shown
        int nUnicodeSkip; // fallback characters after \u
    };
    struct CRun
    {
        std::string text;
        bool bBold;
        bool bItalic;
        int nSize;
    };

    void ControlWord(const std::string& strWord, bool bHasParam, int nParam);
    void AddText(char c);
    void AddUnicode(int nCode);
    void EndParagraph();
    static std::string Escape(const std::string& strText, bool bParagraphStart);
    void WriteRuns(const std::vector<CRun>& runs);

    unsigned int m_nCodePage;
    CState m_state;
    std::vector<CState> m_stack;
    int m_nPendingSkip; // fallback characters still to drop
    std::vector<CRun> m_paragraph;
    std::string m_strOut;
};
