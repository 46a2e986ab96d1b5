#include "app/CRtfTextReader.h"

#include "framework/base/AfxHex.h"

#include <algorithm>
#include <cstring>

namespace {

// What a control word does to the text.
enum RtfAction
{
    actSkipGroup,       // a destination that shows nothing
    actFontTable,
    actFont,            // \fN
    actCharset,         // \fcharsetN
    actFontCodePage,    // \cpgN
    actDocCodePage,     // \ansicpgN
    actDefaultFont,     // \deffN
    actPlain,           // \plain: back to the default font
    actUnicode,         // \uN
    actUnicodeSkip,     // \ucN
    actBinary,          // \binN
    actChar             // a character of its own
};

struct RtfWord
{
    const char* pszWord;
    RtfAction action;
    WCHAR ch;
};

// Sorted by name (binary search).
const RtfWord kWords[] = {
    { "ansicpg", actDocCodePage, 0 },
    { "author", actSkipGroup, 0 },
    { "bin", actBinary, 0 },
    { "bkmkend", actSkipGroup, 0 },
    { "bkmkstart", actSkipGroup, 0 },
    { "bullet", actChar, 0x2022 },
    { "buptim", actSkipGroup, 0 },
    { "cell", actChar, L'\t' },
    { "colortbl", actSkipGroup, 0 },
    { "colorschememapping", actSkipGroup, 0 },
    { "comment", actSkipGroup, 0 },
    { "cpg", actFontCodePage, 0 },
    { "creatim", actSkipGroup, 0 },
    { "datastore", actSkipGroup, 0 },
    { "deff", actDefaultFont, 0 },
    { "doccomm", actSkipGroup, 0 },
    { "docvar", actSkipGroup, 0 },
    { "emdash", actChar, 0x2014 },
    { "emspace", actChar, 0x2003 },
    { "endash", actChar, 0x2013 },
    { "enspace", actChar, 0x2002 },
    { "f", actFont, 0 },
    { "falt", actSkipGroup, 0 },
    { "fcharset", actCharset, 0 },
    { "filetbl", actSkipGroup, 0 },
    { "fldinst", actSkipGroup, 0 },
    { "fonttbl", actFontTable, 0 },
    { "footer", actSkipGroup, 0 },
    { "footerf", actSkipGroup, 0 },
    { "footerl", actSkipGroup, 0 },
    { "footerr", actSkipGroup, 0 },
    { "generator", actSkipGroup, 0 },
    { "header", actSkipGroup, 0 },
    { "headerf", actSkipGroup, 0 },
    { "headerl", actSkipGroup, 0 },
    { "headerr", actSkipGroup, 0 },
    { "info", actSkipGroup, 0 },
    { "keywords", actSkipGroup, 0 },
    { "latentstyles", actSkipGroup, 0 },
    { "ldblquote", actChar, 0x201C },
    { "line", actChar, L'\r' },
    { "listoverridetable", actSkipGroup, 0 },
    { "listtable", actSkipGroup, 0 },
    { "listtext", actSkipGroup, 0 },
    { "lquote", actChar, 0x2018 },
    { "nestcell", actChar, L'\t' },
    { "nonshppict", actSkipGroup, 0 },
    { "objclass", actSkipGroup, 0 },
    { "objdata", actSkipGroup, 0 },
    { "objname", actSkipGroup, 0 },
    { "operator", actSkipGroup, 0 },
    { "page", actChar, L'\r' },
    { "par", actChar, L'\r' },
    { "pgdsctbl", actSkipGroup, 0 },
    { "pict", actSkipGroup, 0 },
    { "plain", actPlain, 0 },
    { "pntext", actSkipGroup, 0 },
    { "pntxta", actSkipGroup, 0 },
    { "pntxtb", actSkipGroup, 0 },
    { "printim", actSkipGroup, 0 },
    { "private", actSkipGroup, 0 },
    { "qmspace", actChar, 0x2005 },
    { "rdblquote", actChar, 0x201D },
    { "revtbl", actSkipGroup, 0 },
    { "revtim", actSkipGroup, 0 },
    { "row", actChar, L'\r' },
    { "rquote", actChar, 0x2019 },
    { "rsidtbl", actSkipGroup, 0 },
    { "rxe", actSkipGroup, 0 },
    { "sect", actChar, L'\r' },
    { "stylesheet", actSkipGroup, 0 },
    { "subject", actSkipGroup, 0 },
    { "tab", actChar, L'\t' },
    { "tc", actSkipGroup, 0 },
    { "template", actSkipGroup, 0 },
    { "themedata", actSkipGroup, 0 },
    { "title", actSkipGroup, 0 },
    { "txe", actSkipGroup, 0 },
    { "u", actUnicode, 0 },
    { "uc", actUnicodeSkip, 0 },
    { "userprops", actSkipGroup, 0 },
    { "xe", actSkipGroup, 0 },
    { "xmlnstbl", actSkipGroup, 0 },
};

const RtfWord* FindWord(const BYTE* pWord, size_t nLength)
{
    size_t nLow = 0, nHigh = sizeof(kWords) / sizeof(kWords[0]);
    while (nLow < nHigh)
    {
        const size_t nMid = (nLow + nHigh) / 2;
        const char* psz = kWords[nMid].pszWord;
        // The word holds letters only: the comparison stops within it or at
        // the entry's end.
        int nCmp = std::strncmp((const char*)pWord, psz, nLength);
        if (nCmp == 0 && psz[nLength] != 0)
            nCmp = -1; // a prefix of the entry
        if (nCmp == 0)
            return &kWords[nMid];
        if (nCmp < 0)
            nHigh = nMid;
        else
            nLow = nMid + 1;
    }
    return nullptr;
}

inline BOOL IsLetter(BYTE c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline BOOL IsDigit(BYTE c)
{
    return c >= '0' && c <= '9';
}

// Bytes of plain text that need no decision: printable ASCII.
struct CPlainAscii
{
    bool table[256];
    constexpr CPlainAscii() : table()
    {
        for (int c = 0x20; c < 0x80; ++c)
            table[c] = c != '\\' && c != '{' && c != '}';
    }
};
constexpr CPlainAscii kPlainAscii;

inline bool IsPlainAscii(BYTE c)
{
    return kPlainAscii.table[c];
}

} // namespace

CRtfTextReader::CRtfTextReader()
    : m_pOut(nullptr), m_pFold(nullptr), m_nDocCodePage(0), m_nDefaultFont(-1), m_nFontInTable(-1), m_nPendingSkip(0), m_bLeadByte(0),
      m_nLeadCodePage(0), m_nTableCodePage(0), m_bTableDbcs(FALSE), m_byteTable()
{
}

BOOL CRtfTextReader::IsRtf(const BYTE* pData, size_t nSize)
{
    size_t i = 0;
    while (i < nSize && (pData[i] == ' ' || pData[i] == '\t' || pData[i] == '\r' || pData[i] == '\n'))
        ++i;
    return nSize - i >= 5 && std::memcmp(pData + i, "{\\rtf", 5) == 0;
}

void CRtfTextReader::Read(const BYTE* pData, size_t nSize, std::wstring& text, const WCHAR* pFold)
{
    text.clear();
    if (pData == nullptr || nSize == 0)
        return;
    if (!IsRtf(pData, nSize))
    {
        // Plain text, as the control would take it: ANSI.
        if (nSize > 0x7FFFFFFF)
            nSize = 0x7FFFFFFF;
        const int nChars = ::MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pData, (int)nSize, nullptr, 0);
        if (nChars <= 0)
            return;
        text.resize((size_t)nChars);
        ::MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pData, (int)nSize, &text[0], nChars);
        if (pFold != nullptr)
        {
            for (WCHAR& ch : text)
                ch = pFold[ch];
        }
        return;
    }
    // No byte gives more than one character.
    text.resize(nSize);
    m_pOut = &text[0];
    m_pFold = pFold;
    ReadRtf(pData, nSize);
    text.resize((size_t)(m_pOut - &text[0]));
    m_pOut = nullptr;
}

void CRtfTextReader::ReadRtf(const BYTE* pData, size_t nSize)
{
    m_nDocCodePage = ::GetACP();
    m_nDefaultFont = -1;
    m_nFontInTable = -1;
    m_nPendingSkip = 0;
    m_bLeadByte = 0;
    m_fonts.clear();
    m_groups.clear();
    m_groups.push_back(CGroup{ FALSE, FALSE, 1, m_nDocCodePage });

    BOOL bFirstInGroup = FALSE;
    size_t i = 0;
    while (i < nSize)
    {
        const BYTE c = pData[i];
        if (c == '{')
        {
            FlushLeadByte();
            m_groups.push_back(m_groups.back());
            m_nPendingSkip = 0;
            bFirstInGroup = TRUE;
            ++i;
            continue;
        }
        if (c == '}')
        {
            FlushLeadByte();
            m_nPendingSkip = 0;
            bFirstInGroup = FALSE;
            ++i;
            if (m_groups.size() <= 1)
                continue; // unbalanced: the rest is read at the outer level
            const BOOL bLeftFontTable = m_groups.back().bFontTable;
            m_groups.pop_back();
            if (bLeftFontTable && !m_groups.back().bFontTable)
            {
                // The body starts in the default font's code page.
                m_nFontInTable = -1;
                if (m_nDefaultFont >= 0)
                    m_groups.back().nCodePage = FontCodePage(m_nDefaultFont);
            }
            continue;
        }
        if (c == '\\')
        {
            i = ControlWord(pData, nSize, i, bFirstInGroup);
            bFirstInGroup = FALSE;
            continue;
        }
        bFirstInGroup = FALSE;
        const CGroup& group = m_groups.back();
        if (group.bSkip)
        {
            ++i;
            while (i < nSize && pData[i] != '\\' && pData[i] != '{' && pData[i] != '}')
                ++i;
            continue;
        }
        if (c == '\r' || c == '\n')
        {
            ++i;
            continue;
        }
        if (m_nPendingSkip > 0)
        {
            --m_nPendingSkip;
            ++i;
            continue;
        }
        if (c == '\t')
        {
            EmitChar(L'\t');
            ++i;
            continue;
        }
        if (c < 0x20)
        {
            ++i;
            continue;
        }
        if (m_bLeadByte == 0 && IsPlainAscii(c))
        {
            // A run of ASCII text: the same in every code page.
            WCHAR* pOut = m_pOut;
            const BYTE* p = pData + i;
            const BYTE* const pEnd = pData + nSize;
            if (m_pFold != nullptr)
            {
                const WCHAR* const pFold = m_pFold;
                do
                    *pOut++ = pFold[*p++];
                while (p < pEnd && IsPlainAscii(*p));
            }
            else
            {
                do
                    *pOut++ = (WCHAR)*p++;
                while (p < pEnd && IsPlainAscii(*p));
            }
            i = (size_t)(p - pData);
            m_pOut = pOut;
            continue;
        }
        EmitByte(c);
        ++i;
    }
    FlushLeadByte();
}

size_t CRtfTextReader::ControlWord(const BYTE* pData, size_t nSize, size_t nPos, BOOL bFirstInGroup)
{
    size_t j = nPos + 1;
    if (j >= nSize)
        return nSize;
    CGroup& group = m_groups.back();
    const BYTE c = pData[j];
    if (!IsLetter(c))
    {
        // A control symbol.
        switch (c)
        {
        case '\'':
        {
            const int nHigh = j + 1 < nSize ? AfxHexValue(pData[j + 1]) : -1;
            const int nLow = j + 2 < nSize ? AfxHexValue(pData[j + 2]) : -1;
            if (nHigh < 0 || nLow < 0)
                return j + 1;
            if (!group.bSkip)
            {
                if (m_nPendingSkip > 0)
                    --m_nPendingSkip;
                else
                    EmitByte((BYTE)(nHigh * 16 + nLow));
            }
            return j + 3;
        }
        case '\\':
        case '{':
        case '}':
            if (!group.bSkip)
            {
                if (m_nPendingSkip > 0)
                    --m_nPendingSkip;
                else
                    EmitChar((WCHAR)c);
            }
            return j + 1;
        case '~':
            if (!group.bSkip)
                EmitChar(0x00A0);
            return j + 1;
        case '_':
            if (!group.bSkip)
                EmitChar(0x2011);
            return j + 1;
        case '*':
            // An ignorable destination: whatever it is, it shows nothing
            // here.
            if (bFirstInGroup && m_groups.size() > 1)
                group.bSkip = TRUE;
            return j + 1;
        case '\r':
        case '\n':
            if (!group.bSkip)
                EmitChar(L'\r');
            return j + 1;
        default:
            return j + 1; // \- (optional hyphen), \: and the like show nothing
        }
    }

    size_t k = j;
    while (k < nSize && IsLetter(pData[k]) && k - j < 32)
        ++k;
    const BYTE* pWord = pData + j;
    const size_t nWord = k - j;
    BOOL bNegative = FALSE;
    BOOL bHasParam = FALSE;
    long nParam = 0;
    if (k + 1 < nSize && pData[k] == '-' && IsDigit(pData[k + 1]))
    {
        bNegative = TRUE;
        ++k;
    }
    while (k < nSize && IsDigit(pData[k]))
    {
        if (nParam < 100000000)
            nParam = nParam * 10 + (pData[k] - '0');
        bHasParam = TRUE;
        ++k;
    }
    if (bNegative)
        nParam = -nParam;
    if (k < nSize && pData[k] == ' ')
        ++k; // the delimiter belongs to the word

    const RtfWord* pEntry = FindWord(pWord, nWord);
    if (pEntry == nullptr)
        return k;
    switch (pEntry->action)
    {
    case actSkipGroup:
        if (m_groups.size() > 1)
            group.bSkip = TRUE;
        break;
    case actFontTable:
        if (m_groups.size() > 1)
        {
            group.bSkip = TRUE;
            group.bFontTable = TRUE;
        }
        break;
    case actFont:
        if (!bHasParam)
            break;
        if (group.bFontTable)
        {
            m_nFontInTable = (int)nParam;
            if (std::none_of(m_fonts.begin(), m_fonts.end(),
                             [this](const CFont& font) { return font.nFont == m_nFontInTable; }))
                m_fonts.push_back(CFont{ m_nFontInTable, m_nDocCodePage });
        }
        else
        {
            FlushLeadByte();
            group.nCodePage = FontCodePage((int)nParam);
        }
        break;
    case actCharset:
    case actFontCodePage:
        if (group.bFontTable && m_nFontInTable >= 0 && bHasParam)
        {
            UINT nCodePage = pEntry->action == actCharset ? CharsetCodePage((int)nParam) : (UINT)nParam;
            if (nCodePage == 0)
                nCodePage = m_nDocCodePage;
            for (CFont& font : m_fonts)
            {
                if (font.nFont == m_nFontInTable)
                    font.nCodePage = nCodePage;
            }
        }
        break;
    case actDocCodePage:
        if (bHasParam && nParam > 0)
        {
            for (CFont& font : m_fonts)
            {
                if (font.nCodePage == m_nDocCodePage)
                    font.nCodePage = (UINT)nParam;
            }
            m_nDocCodePage = (UINT)nParam;
            group.nCodePage = m_nDocCodePage;
        }
        break;
    case actDefaultFont:
        if (bHasParam)
            m_nDefaultFont = (int)nParam;
        break;
    case actPlain:
        if (!group.bFontTable)
        {
            FlushLeadByte();
            group.nCodePage = m_nDefaultFont >= 0 ? FontCodePage(m_nDefaultFont) : m_nDocCodePage;
        }
        break;
    case actUnicode:
        if (!bHasParam || group.bSkip)
            break;
        FlushLeadByte();
        EmitChar((WCHAR)(nParam < 0 ? nParam + 65536 : nParam));
        m_nPendingSkip = group.nUnicodeSkip;
        break;
    case actUnicodeSkip:
        if (bHasParam && nParam >= 0)
            group.nUnicodeSkip = (int)nParam;
        break;
    case actBinary:
        // Raw bytes follow the word (after its delimiter).
        if (bHasParam && nParam > 0)
            return (size_t)nParam >= nSize - k ? nSize : k + (size_t)nParam;
        break;
    case actChar:
        if (!group.bSkip)
        {
            if (m_nPendingSkip > 0)
                --m_nPendingSkip;
            else
                EmitChar(pEntry->ch);
        }
        break;
    }
    return k;
}

void CRtfTextReader::EmitChar(WCHAR ch)
{
    FlushLeadByte();
    Put(ch);
}

void CRtfTextReader::FlushLeadByte()
{
    if (m_bLeadByte == 0)
        return;
    // A lead byte without its second half shows as itself.
    Put(L'?');
    m_bLeadByte = 0;
}

void CRtfTextReader::EmitByte(BYTE b)
{
    if (m_bLeadByte != 0)
    {
        const char pair[2] = { (char)m_bLeadByte, (char)b };
        WCHAR wc = L'?';
        if (::MultiByteToWideChar(m_nLeadCodePage, MB_ERR_INVALID_CHARS, pair, 2, &wc, 1) != 1)
            wc = L'?';
        Put(wc);
        m_bLeadByte = 0;
        return;
    }
    const UINT nCodePage = m_groups.back().nCodePage;
    const WCHAR* pTable = ByteTable(nCodePage);
    if (m_bTableDbcs && ::IsDBCSLeadByteEx(nCodePage, b))
    {
        m_bLeadByte = b;
        m_nLeadCodePage = nCodePage;
        return;
    }
    Put(pTable[b]);
}

UINT CRtfTextReader::FontCodePage(int nFont) const
{
    for (const CFont& font : m_fonts)
    {
        if (font.nFont == nFont)
            return font.nCodePage;
    }
    return m_nDocCodePage;
}

UINT CRtfTextReader::CharsetCodePage(int nCharset) const
{
    switch (nCharset)
    {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0; // ANSI, default, symbol: the document's code page
    }
}

const WCHAR* CRtfTextReader::ByteTable(UINT nCodePage)
{
    if (nCodePage == m_nTableCodePage)
        return m_byteTable;
    m_nTableCodePage = nCodePage;
    CPINFO info = {};
    m_bTableDbcs = ::GetCPInfo(nCodePage, &info) && info.MaxCharSize > 1;
    for (int b = 0; b < 256; ++b)
    {
        const char ch = (char)b;
        WCHAR wc = 0;
        if (::MultiByteToWideChar(nCodePage, 0, &ch, 1, &wc, 1) != 1)
            wc = (WCHAR)b; // a code page this system lacks: Latin-1
        m_byteTable[b] = wc;
    }
    return m_byteTable;
}
