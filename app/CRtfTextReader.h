// The text a note shows, read straight out of its RTF without a rich-text
// control: searching thousands of notes cannot afford to lay each one out.
// Groups that show nothing (font and colour tables, style sheet, document
// information, pictures, embedded object data, field instructions, headers
// and footers, bookmarks, ignorable destinations) are skipped; characters
// come out as UTF-16, decoded in the code page of their font; paragraph
// and line breaks come out as '\r', tabs and table cells as '\t'. Bytes
// that are not RTF come out as ANSI text.
#pragma once

#include "framework/base/AfxDefs.h"

#include <string>
#include <vector>

class CRtfTextReader
{
public:
    CRtfTextReader();

    // Replaces text with the text of the bytes; with a table, every
    // character comes out as the table has it (case folding on the way).
    void Read(const BYTE* pData, size_t nSize, std::wstring& text, const WCHAR* pFold = nullptr);

    // Whether the bytes are RTF (they begin with "{\rtf", blanks allowed
    // before it).
    static BOOL IsRtf(const BYTE* pData, size_t nSize);

private:
    struct CGroup
    {
        BOOL bSkip;
        BOOL bFontTable;
        int nUnicodeSkip;   // \ucN: fallback characters after \uN
        UINT nCodePage;
    };
    struct CFont
    {
        int nFont;
        UINT nCodePage;
    };

    void ReadRtf(const BYTE* pData, size_t nSize);
    // Handles a control word; returns where reading goes on.
    size_t ControlWord(const BYTE* pData, size_t nSize, size_t nPos, BOOL bFirstInGroup);
    void EmitByte(BYTE b);
    void EmitChar(WCHAR ch);
    void FlushLeadByte();
    void Put(WCHAR ch) { *m_pOut++ = m_pFold != nullptr ? m_pFold[ch] : ch; }
    UINT FontCodePage(int nFont) const;
    // Code page of a font charset (\fcharsetN); 0 for none of these.
    UINT CharsetCodePage(int nCharset) const;
    // The 256 characters of a single-byte code page (built once per page).
    const WCHAR* ByteTable(UINT nCodePage);

    WCHAR* m_pOut;              // where the next character goes
    const WCHAR* m_pFold;
    std::vector<CGroup> m_groups;
    std::vector<CFont> m_fonts;
    UINT m_nDocCodePage;        // \ansicpgN, else the system's
    int m_nDefaultFont;         // \deffN
    int m_nFontInTable;         // font being defined inside the font table
    int m_nPendingSkip;         // fallback characters still to skip
    BYTE m_bLeadByte;           // first byte of a double-byte character
    UINT m_nLeadCodePage;

    UINT m_nTableCodePage;      // code page of m_byteTable (0: none yet)
    BOOL m_bTableDbcs;
    WCHAR m_byteTable[256];
};
