// The converter list as read from the registry, and the file-dialog filters
// built from it.
#include "core/CTextConvLib.h"

#include "TextConvTestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::string FilterOf(LPCSTR lpszFilter, int nLength)
{
    return std::string(lpszFilter, (size_t)nLength);
}

std::string FilterOf(const std::vector<char>& filter)
{
    return std::string(filter.begin(), filter.end());
}

std::vector<std::string> ListOf(const CStringList& list)
{
    std::vector<std::string> items;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        items.push_back((LPCSTR)list.GetNext(pos));
    return items;
}

CTextConverter Converter(LPCSTR lpszName, LPCSTR lpszExtensions)
{
    CTextConverter converter;
    converter.m_strName = lpszName;
    converter.m_strExtensions = lpszExtensions;
    return converter;
}

// The strings, each with its NUL, and the final NUL of a filter block.
std::string Block(std::initializer_list<const char*> parts)
{
    std::string strBlock;
    for (const char* psz : parts)
    {
        strBlock += psz;
        strBlock += '\0';
    }
    return strBlock + '\0';
}

typedef std::vector<std::string> Strings;

} // namespace

TEST(TextConvFilterTest, WithoutRegisteredConvertersOnlyTheBuiltInsRemain)
{
    CTextConvLib lib;
    // Before loading, the filters are empty strings.
    EXPECT_STREQ("", lib.GetImportFilter());
    EXPECT_EQ(0, lib.GetExportFilterLength());

    lib.LoadConverters(HKEY_CURRENT_USER, "Software\\QuillcrestTests\\No Such Key");
    EXPECT_EQ(Block({ "All Supported File Types", "*.rtf;*.txt;*.text", "Rich Text Format (*.rtf)", "*.rtf", "Plain Text (*.txt, *.text)",
                     "*.txt;*.text" }),
              FilterOf(lib.GetImportFilter(), lib.GetImportFilterLength()));
    EXPECT_EQ(Block({ "Rich Text Format (*.rtf)", "*.rtf", "Plain Text (*.txt, *.text)", "*.txt;*.text" }), FilterOf(lib.GetExportFilter(), lib.GetExportFilterLength()));
    EXPECT_EQ((Strings{ "rtf", "txt", "text" }), ListOf(lib.GetImportExtensions()));
    EXPECT_EQ((Strings{ "rtf", "txt", "text" }), ListOf(lib.GetExportExtensions()));

    ASSERT_EQ(2, lib.GetImportConverters().GetSize());
    const CTextConverter& rtf = lib.GetImportConverters()[0];
    const CTextConverter& text = lib.GetImportConverters()[1];
    EXPECT_EQ(CTextConverter::kindRtf, rtf.m_nKind);
    EXPECT_STREQ("Rich Text Format", rtf.m_strName);
    EXPECT_STREQ("", rtf.m_strPath);
    EXPECT_EQ(CTextConverter::kindPlainText, text.m_nKind);
    // ".text" files are notes too: the plain-text converter takes both.
    EXPECT_STREQ("*.txt, *.text", text.m_strDisplayPattern);
    EXPECT_STREQ("*.txt;*.text", text.m_strFilterPattern);
    ASSERT_EQ(2, lib.GetExportConverters().GetSize());
}

TEST(TextConvFilterTest, TheMachineWithoutConvertersGivesTheSameFilters)
{
    if (CConverterRegistration::HasOtherConverters(TRUE) || CConverterRegistration::HasOtherConverters(FALSE))
        GTEST_SKIP() << "text converters are registered on this machine";
    CTextConvLib lib;
    lib.LoadConverters();
    EXPECT_EQ(Block({ "All Supported File Types", "*.rtf;*.txt;*.text", "Rich Text Format (*.rtf)", "*.rtf", "Plain Text (*.txt, *.text)",
                     "*.txt;*.text" }),
              FilterOf(lib.GetImportFilter(), lib.GetImportFilterLength()));
    EXPECT_EQ(Block({ "Rich Text Format (*.rtf)", "*.rtf", "Plain Text (*.txt, *.text)", "*.txt;*.text" }), FilterOf(lib.GetExportFilter(), lib.GetExportFilterLength()));
}

TEST(TextConvFilterTest, BuildFilterSplitsLowerCasesAndCollectsDistinctExtensions)
{
    CTextConverterArray converters;
    converters.Add(Converter("Word", "doc dot"));
    converters.Add(Converter("Works", "WPS Doc"));
    converters.Add(Converter("Single", "x"));
    std::vector<char> filter;
    CStringList extensions;
    extensions.AddTail("stale");

    CTextConvLib::BuildFilter(converters, filter, extensions, TRUE);
    EXPECT_EQ(Block({ "All Supported File Types", "*.doc;*.dot;*.wps;*.x", "Word (*.doc, *.dot)", "*.doc;*.dot",
                      "Works (*.wps, *.doc)", "*.wps;*.doc", "Single (*.x)", "*.x" }),
              FilterOf(filter));
    EXPECT_EQ((Strings{ "doc", "dot", "wps", "x" }), ListOf(extensions));
    EXPECT_EQ((Strings{ "wps", "doc" }), ListOf(converters[1].m_extensionList));
    EXPECT_STREQ("*.wps, *.doc", converters[1].m_strDisplayPattern);
    EXPECT_STREQ("*.wps;*.doc", converters[1].m_strFilterPattern);

    // Building again starts afresh; without the first entry it is the export form.
    CTextConvLib::BuildFilter(converters, filter, extensions, FALSE);
    EXPECT_EQ(Block({ "Word (*.doc, *.dot)", "*.doc;*.dot", "Works (*.wps, *.doc)", "*.wps;*.doc", "Single (*.x)",
                      "*.x" }),
              FilterOf(filter));
    EXPECT_EQ((Strings{ "doc", "dot" }), ListOf(converters[0].m_extensionList));
    EXPECT_EQ(4, extensions.GetCount());
}

TEST(TextConvFilterTest, EmptyPiecesOfExtensionsAreDropped)
{
    CTextConverterArray converters;
    converters.Add(Converter("Spaced", " doc  dot "));
    converters.Add(Converter("Blank", "   "));
    converters.Add(Converter("None", ""));
    std::vector<char> filter;
    CStringList extensions;
    CTextConvLib::BuildFilter(converters, filter, extensions, TRUE);

    EXPECT_EQ((Strings{ "doc", "dot" }), ListOf(converters[0].m_extensionList));
    EXPECT_STREQ("*.doc, *.dot", converters[0].m_strDisplayPattern);
    // A converter without extensions gets no pair: an empty pattern would end
    // the filter for the dialog.
    EXPECT_EQ(0, converters[1].m_extensionList.GetCount());
    EXPECT_EQ(0, converters[2].m_extensionList.GetCount());
    EXPECT_EQ(Block({ "All Supported File Types", "*.doc;*.dot", "Spaced (*.doc, *.dot)", "*.doc;*.dot" }),
              FilterOf(filter));
    // A file without extension matches none of them.
    for (INT_PTR i = 0; i < converters.GetSize(); ++i)
        EXPECT_FALSE(converters[i].HasExtension(""));
    EXPECT_TRUE(converters[0].HasExtension("dot"));
    EXPECT_FALSE(converters[0].HasExtension("DOT")); // callers lower-case first
}

TEST(TextConvFilterTest, StarIsLeftOutOfTheAllEntry)
{
    CTextConverterArray converters;
    converters.Add(Converter("Anything", "*"));
    converters.Add(Converter("Text", "txt"));
    std::vector<char> filter;
    CStringList extensions;
    CTextConvLib::BuildFilter(converters, filter, extensions, TRUE);
    EXPECT_EQ(Block({ "All Supported File Types", "*.txt", "Anything (*.*)", "*.*", "Text (*.txt)", "*.txt" }),
              FilterOf(filter));
    EXPECT_EQ((Strings{ "*", "txt" }), ListOf(extensions));
}

TEST(TextConvFilterTest, APairMustFitItsSlotOf256Bytes)
{
    // "name (*.ab)" NUL "*.ab" NUL = name + 13 bytes.
    CTextConverterArray converters;
    converters.Add(Converter(std::string(243, 'n').c_str(), "ab")); // exactly 256
    converters.Add(Converter(std::string(244, 'm').c_str(), "cd")); // 257
    std::vector<char> filter;
    CStringList extensions;
    CTextConvLib::BuildFilter(converters, filter, extensions, FALSE);
    EXPECT_EQ(Block({ (std::string(243, 'n') + " (*.ab)").c_str(), "*.ab" }), FilterOf(filter));
    // The converter left out still converts its files.
    EXPECT_TRUE(converters[1].HasExtension("cd"));
    EXPECT_EQ((Strings{ "ab", "cd" }), ListOf(extensions));
}

TEST(TextConvFilterTest, ReadConvertersTakesEverySubKeyWithAKnownValue)
{
    CScratchKey key;
    key.SetString("a Word", "Name", "Word Document");
    key.SetString("a Word", "Extensions", "doc dot");
    key.SetString("a Word", "Path", "C:\\conv\\word.cnv");
    key.SetString("b Other", "Comment", "no known value"); // unknown values only: skipped
    key.AddEmptySubKey("c Empty");
    key.SetString("d Path only", "Path", "C:\\conv\\p.cnv");

    CTextConverterArray converters;
    CTextConvLib::ReadConverters(key.Key(), converters);
    ASSERT_EQ(4, converters.GetSize());
    EXPECT_EQ(CTextConverter::kindRtf, converters[0].m_nKind);
    EXPECT_EQ(CTextConverter::kindPlainText, converters[1].m_nKind);
    EXPECT_EQ(CTextConverter::kindOffice, converters[2].m_nKind);
    EXPECT_STREQ("a Word", converters[2].m_strKeyName);
    EXPECT_STREQ("Word Document", converters[2].m_strName);
    EXPECT_STREQ("doc dot", converters[2].m_strExtensions);
    EXPECT_STREQ("C:\\conv\\word.cnv", converters[2].m_strPath);
    EXPECT_STREQ("d Path only", converters[3].m_strKeyName);
    EXPECT_STREQ("", converters[3].m_strName);

    // Without a key only the built-in converters.
    CTextConvLib::ReadConverters(nullptr, converters);
    ASSERT_EQ(2, converters.GetSize());
    EXPECT_STREQ("rtf", converters[0].m_strExtensions);
    EXPECT_STREQ("Plain Text", converters[1].m_strName);
}

TEST(TextConvFilterTest, ReadConvertersSurvivesUnterminatedLongAndOddValues)
{
    CScratchKey key;
    // Stored without a terminating NUL.
    key.SetRaw("conv", "Name", REG_SZ, "Unterminated", 12);
    // Too long for the buffer: skipped, and the values after it still read.
    const std::string strLong(300, 'p');
    key.SetRaw("conv", "Path", REG_SZ, strLong.c_str(), (DWORD)strLong.size() + 1);
    // Case matters in value names; other types are no strings.
    key.SetString("conv", "extensions", "wrong");
    const DWORD dwValue = 0x64636261; // "abcd"
    key.SetRaw("conv", "Extensions", REG_DWORD, &dwValue, sizeof(dwValue));
    // The longest values that fit: 255 characters with or without the NUL.
    const std::string strFits(255, 'e');
    key.SetRaw("conv2", "Extensions", REG_SZ, strFits.c_str(), (DWORD)strFits.size() + 1);
    const std::string strBare(255, 'f');
    key.SetRaw("conv2", "Name", REG_SZ, strBare.c_str(), (DWORD)strBare.size());

    CTextConverterArray converters;
    CTextConvLib::ReadConverters(key.Key(), converters);
    ASSERT_EQ(4, converters.GetSize());
    EXPECT_STREQ("Unterminated", converters[2].m_strName);
    EXPECT_STREQ("", converters[2].m_strPath);
    EXPECT_STREQ("", converters[2].m_strExtensions);
    EXPECT_EQ(strFits, (LPCSTR)converters[3].m_strExtensions);
    EXPECT_EQ(strBare, (LPCSTR)converters[3].m_strName);
}

TEST(TextConvFilterTest, LoadConvertersReadsExportAndImportKeys)
{
    CScratchKey key;
    key.SetString("Import\\Md", "Name", "Markdown");
    key.SetString("Import\\Md", "Extensions", "md markdown");
    key.SetString("Import\\Md", "Path", "C:\\conv\\md.dll");
    key.SetString("Export\\Html", "Name", "Web Page");
    key.SetString("Export\\Html", "Extensions", "htm html");

    CTextConvLib lib;
    lib.LoadConverters(HKEY_CURRENT_USER, key.Path());
    EXPECT_EQ(Block({ "All Supported File Types", "*.rtf;*.txt;*.text;*.md;*.markdown", "Rich Text Format (*.rtf)", "*.rtf",
                      "Plain Text (*.txt, *.text)", "*.txt;*.text", "Markdown (*.md, *.markdown)", "*.md;*.markdown" }),
              FilterOf(lib.GetImportFilter(), lib.GetImportFilterLength()));
    EXPECT_EQ(Block({ "Rich Text Format (*.rtf)", "*.rtf", "Plain Text (*.txt, *.text)", "*.txt;*.text", "Web Page (*.htm, *.html)",
                      "*.htm;*.html" }),
              FilterOf(lib.GetExportFilter(), lib.GetExportFilterLength()));
    EXPECT_EQ((Strings{ "rtf", "txt", "text", "htm", "html" }), ListOf(lib.GetExportExtensions()));
    ASSERT_EQ(3, lib.GetImportConverters().GetSize());
    EXPECT_STREQ("C:\\conv\\md.dll", lib.GetImportConverters()[2].m_strPath);
}
