// What the Find in Nodes search compares: the text read out of a note's
// RTF, the query's words in each mode, case folding, and the stored
// payloads the worker decodes.
#include "app/CFindNodesQuery.h"
#include "app/CFindNodesState.h"
#include "app/CRtfTextReader.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <string>

namespace {

std::wstring TextOf(const std::string& data)
{
    CRtfTextReader reader;
    std::wstring text;
    reader.Read((const BYTE*)data.data(), data.size(), text);
    return text;
}

std::vector<BYTE> Gzip(const std::string& plain)
{
    z_stream zs = {};
    EXPECT_EQ(Z_OK, deflateInit2(&zs, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY));
    std::vector<BYTE> out(deflateBound(&zs, (uLong)plain.size()) + 64);
    zs.next_in = (Bytef*)plain.data();
    zs.avail_in = (uInt)plain.size();
    zs.next_out = out.data();
    zs.avail_out = (uInt)out.size();
    EXPECT_EQ(Z_STREAM_END, deflate(&zs, Z_FINISH));
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

BOOL Matches(LPCSTR lpszQuery, int nMode, const std::wstring& text)
{
    CFindNodesQuery query;
    query.Set(lpszQuery, nMode);
    std::wstring copy = text;
    return query.MatchesText(copy);
}

} // namespace

// --- Reading the text of RTF ---------------------------------------------------------------------

TEST(RtfTextReaderTest, TablesInfoPicturesAndIgnorableGroupsShowNothing)
{
    EXPECT_EQ(L"Hello world\r", TextOf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Times;}}"
                                       "{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                                       "{\\info{\\title Secret title}{\\author Me}}"
                                       "\\pard\\f0\\fs20 Hello {\\b world}\\par"
                                       "{\\pict\\wmetafile8 4142434445}{\\*\\generator Writer 1.0;}"
                                       "{\\*\\unknowndest hidden text}}"));
    // Field results show, their instructions do not; bookmarks neither.
    EXPECT_EQ(L"see here", TextOf("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt here}}"
                                  "{\\*\\bkmkstart mark}}"));
    EXPECT_EQ(L"a\tb\rc\rd", TextOf("{\\rtf1 a\\tab b\\line c\\\nd}"));
    // Source line breaks are not text; a control word's blank is its own.
    EXPECT_EQ(L"applepie", TextOf("{\\rtf1 apple\r\npie}"));
    EXPECT_EQ(L"{a}\\", TextOf("{\\rtf1 \\{a\\}\\\\}"));
}

TEST(RtfTextReaderTest, CharactersAreDecodedInTheirFontsCodePageAndUnicodeSkipsItsFallback)
{
    EXPECT_EQ(L"Caf\u00e9", TextOf("{\\rtf1\\ansi\\ansicpg1252 Caf\\'e9}"));
    // A Cyrillic document, and a Cyrillic font in a Western document.
    EXPECT_EQ(L"\u0430\u0431", TextOf("{\\rtf1\\ansi\\ansicpg1251 \\'e0\\'e1}"));
    EXPECT_EQ(L"x\u0430\u00e0", TextOf("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}"
                                       "\\f0 x{\\f1\\'e0}\\'e0}"));
    EXPECT_EQ(L"\u20ac5 \u00e9", TextOf("{\\rtf1\\ansi \\u8364?5 \\uc2\\u233\\'65\\'65}"));
    EXPECT_EQ(L"\ufffd", TextOf("{\\rtf1 \\u-3?}"));
    // A double-byte code page.
    EXPECT_EQ(L"\u3042\u3044", TextOf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2}"));
}

TEST(RtfTextReaderTest, WithTheFoldTableTheTextComesOutFolded)
{
    CRtfTextReader reader;
    std::wstring text;
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252 ABC {\\b Def} \\'c9\\u1046?}";
    reader.Read((const BYTE*)rtf.data(), rtf.size(), text, CFindNodesQuery::GetFoldTable());
    EXPECT_EQ(L"abc def \u00e9\u0436", text);
    const std::string plain = "PLAIN Text";
    reader.Read((const BYTE*)plain.data(), plain.size(), text, CFindNodesQuery::GetFoldTable());
    EXPECT_EQ(L"plain text", text);
}

TEST(RtfTextReaderTest, BinaryDataDamageAndPlainTextAreHandled)
{
    // Binary bytes are skipped whatever they hold.
    EXPECT_EQ(L"ab", TextOf("{\\rtf1 a{\\pict\\bin6 }{\\\\'x}b}"));
    EXPECT_EQ(L"a", TextOf("{\\rtf1 a\\bin99999999 }b"));
    // Unbalanced braces, a cut-off escape and a word at the very end.
    EXPECT_EQ(L"one}two", TextOf("{\\rtf1 one}}\\}two\\'"));
    EXPECT_EQ(L"x\r", TextOf("{\\rtf1 x\\par"));
    // Not RTF: the bytes as ANSI text.
    EXPECT_EQ(L"plain {text}", TextOf("plain {text}"));
    EXPECT_EQ(L"", TextOf(""));
    EXPECT_TRUE(CRtfTextReader::IsRtf((const BYTE*)"  \r\n{\\rtf1}", 11));
    EXPECT_FALSE(CRtfTextReader::IsRtf((const BYTE*)"{\\rt", 4));
}

// --- The query ----------------------------------------------------------------------------------

TEST(FindNodesQueryTest, WordsAreSplitAtBlanksWithoutEmptyOnesAndThePhraseStaysWhole)
{
    typedef std::vector<std::string> Words;
    EXPECT_EQ((Words{ "apple", "pie" }), CFindNodesQuery::SplitWords("Apple  PIE", CFindNodesQuery::modeAllWords));
    EXPECT_EQ((Words{ "apple", "pie" }), CFindNodesQuery::SplitWords(" apple pie  ", CFindNodesQuery::modeAnyWord));
    EXPECT_EQ((Words{ "apple  pie" }), CFindNodesQuery::SplitWords("Apple  Pie", CFindNodesQuery::modePhrase));
    EXPECT_EQ((Words{}), CFindNodesQuery::SplitWords("   ", CFindNodesQuery::modeAnyWord));
    EXPECT_EQ((Words{}), CFindNodesQuery::SplitWords("", CFindNodesQuery::modePhrase));

    CFindNodesQuery query;
    query.Set("apple  pie", CFindNodesQuery::modeAnyWord);
    EXPECT_FALSE(query.MatchesLowered(CString("garden")));
    EXPECT_TRUE(query.MatchesLowered(CString("pie crust")));
    query.Set("apple  pie", CFindNodesQuery::modeAllWords);
    EXPECT_FALSE(query.MatchesLowered(CString("pie crust")));
    EXPECT_TRUE(query.MatchesLowered(CString("pie with apple")));
    query.Set("apple pie", CFindNodesQuery::modePhrase);
    EXPECT_FALSE(query.MatchesLowered(CString("pie with apple")));
    EXPECT_TRUE(query.MatchesLowered(CString("an apple pie")));
    EXPECT_EQ("\xe9t\xe9 apple", std::string((LPCSTR)CFindNodesQuery::LowerAnsi("\xc9T\xc9 APPLE")));
}

TEST(FindNodesQueryTest, NoteTextIsComparedWithoutLetterCase)
{
    EXPECT_TRUE(Matches("CAF\xc9", CFindNodesQuery::modeAllWords, L"au caf\u00e9 du coin"));
    EXPECT_TRUE(Matches("caf\xe9", CFindNodesQuery::modeAllWords, L"AU CAF\u00c9"));
    EXPECT_TRUE(Matches("zebra apple", CFindNodesQuery::modeAnyWord, L"An Apple"));
    EXPECT_FALSE(Matches("zebra apple", CFindNodesQuery::modeAllWords, L"An Apple"));
    EXPECT_FALSE(Matches("apple an", CFindNodesQuery::modePhrase, L"An Apple"));
    EXPECT_TRUE(Matches("n ap", CFindNodesQuery::modePhrase, L"An Apple"));
    // Hits at both ends, a word longer than the text, repeated near misses.
    EXPECT_TRUE(Matches("abc", CFindNodesQuery::modeAllWords, L"abcxxabc"));
    EXPECT_FALSE(Matches("abcdefghi", CFindNodesQuery::modeAllWords, L"abcdefgh"));
    EXPECT_TRUE(Matches("aab", CFindNodesQuery::modeAllWords, L"aaaaaaaaab"));
    EXPECT_FALSE(Matches("aab", CFindNodesQuery::modeAllWords, L"aaaaaaaaa"));
    // Characters sharing a low byte with the word's do not confuse the
    // search.
    EXPECT_TRUE(Matches("ab", CFindNodesQuery::modeAllWords, std::wstring(L"\u0161b\u0162") + L"xab"));
    EXPECT_FALSE(Matches("a", CFindNodesQuery::modeAllWords, L""));
}

// --- Stored payloads ----------------------------------------------------------------------------

TEST(FindNodesPayloadTest, CompressedPayloadsDecodeOnlyWhenWholeAndOfTheirSize)
{
    const std::string plain = "{\\rtf1 some note text that is long enough to compress well well well}";
    CFindNodesState::CPayload payload;
    payload.bRead = TRUE;
    payload.bCompressed = TRUE;
    payload.stored = Gzip(plain);
    payload.dwPlainSize = (DWORD)plain.size();
    std::vector<BYTE> out;
    ASSERT_TRUE(CFindNodesState::DecodePayload(payload, out));
    EXPECT_EQ(plain, std::string(out.begin(), out.end()));

    CFindNodesState::CPayload wrongSize = payload;
    wrongSize.dwPlainSize = (DWORD)plain.size() + 1;
    EXPECT_FALSE(CFindNodesState::DecodePayload(wrongSize, out));
    wrongSize.dwPlainSize = (DWORD)plain.size() - 1;
    EXPECT_FALSE(CFindNodesState::DecodePayload(wrongSize, out));
    CFindNodesState::CPayload trailing = payload;
    trailing.stored.push_back(0);
    EXPECT_FALSE(CFindNodesState::DecodePayload(trailing, out));
    CFindNodesState::CPayload cut = payload;
    cut.stored.resize(cut.stored.size() / 2);
    EXPECT_FALSE(CFindNodesState::DecodePayload(cut, out));
    CFindNodesState::CPayload huge = payload;
    huge.dwPlainSize = 0x7FFFFFFF;
    EXPECT_FALSE(CFindNodesState::DecodePayload(huge, out));
    EXPECT_TRUE(out.empty());

    CFindNodesState::CPayload stored;
    stored.bRead = TRUE;
    stored.stored.assign(plain.begin(), plain.end());
    stored.dwPlainSize = 5;
    ASSERT_TRUE(CFindNodesState::DecodePayload(stored, out));
    EXPECT_EQ("{\\rtf", std::string(out.begin(), out.end()));
    stored.dwPlainSize = 1000; // never past the stored bytes
    ASSERT_TRUE(CFindNodesState::DecodePayload(stored, out));
    EXPECT_EQ(plain.size(), out.size());
}
