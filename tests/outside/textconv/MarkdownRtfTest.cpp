// The Markdown converter's two directions, without the DLL around them.
#include "outside/textconv/CMarkdownToRtf.h"
#include "outside/textconv/CRtfToMarkdown.h"

#include <gtest/gtest.h>

namespace {

const char kHeader[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n\\viewkind4\\uc1\r\n";
const char kBody[] = "\\pard\\plain\\sa120\\f0\\fs22 ";

// The RTF of a Markdown text without the fixed header and the closing brace.
std::string RtfBody(const std::string& strMarkdown)
{
    CMarkdownToRtf converter(1252);
    const std::string strRtf = converter.Convert(strMarkdown);
    EXPECT_EQ(0u, strRtf.find(kHeader));
    EXPECT_GE(strRtf.size(), sizeof(kHeader) + 2);
    EXPECT_EQ("}\r\n", strRtf.substr(strRtf.size() - 3));
    return strRtf.substr(sizeof(kHeader) - 1, strRtf.size() - (sizeof(kHeader) - 1) - 3);
}

std::string Paragraph(const std::string& strInner)
{
    return kBody + strInner + "\\par\r\n";
}

std::string ToMarkdown(const std::string& strRtf)
{
    CRtfToMarkdown converter(1252);
    std::string strMarkdown;
    EXPECT_TRUE(converter.Convert(strRtf, strMarkdown));
    return strMarkdown;
}

} // namespace

TEST(MarkdownToRtfTest, HeadingsUpToThreeLevels)
{
    EXPECT_EQ("\\pard\\plain\\sa120\\f0\\b\\fs36 One\\par\r\n"
              "\\pard\\plain\\sa120\\f0\\b\\fs32 Two\\par\r\n"
              "\\pard\\plain\\sa120\\f0\\b\\fs28 Three\\par\r\n"
              "\\pard\\plain\\sa120\\f0\\b\\fs28 Four\\par\r\n" +
                  Paragraph("#NoSpace ####### seven"),
              RtfBody("# One\n## Two ##\n   ### Three\n#### Four\n#NoSpace\n####### seven\n"));
    // A heading ends the paragraph before it.
    EXPECT_EQ(Paragraph("text") + "\\pard\\plain\\sa120\\f0\\b\\fs36 Head\\par\r\n" + Paragraph("more"),
              RtfBody("text\n# Head\nmore"));
}

TEST(MarkdownToRtfTest, ParagraphsAndLineBreaks)
{
    const std::string strExpected = Paragraph("line one line two") + Paragraph("next");
    EXPECT_EQ(strExpected, RtfBody("line one\nline two\n\n\nnext\n"));
    EXPECT_EQ(strExpected, RtfBody("line one\r\nline two\r\n\r\n  \t\r\nnext"));
    EXPECT_EQ(strExpected, RtfBody("  line one\rline two\r\rnext\r"));
    // Two trailing spaces or a backslash break the line; "\\" at the end is text.
    EXPECT_EQ(Paragraph("a\\line b\\line c\\\\ d"), RtfBody("a  \nb\\\nc\\\\\nd"));
    EXPECT_EQ("", RtfBody(""));
}

TEST(MarkdownToRtfTest, Emphasis)
{
    EXPECT_EQ(Paragraph("\\i a\\i0  \\i b\\i0  \\b c\\b0  \\b d\\b0  \\b \\i e\\b0 \\i0 "),
              RtfBody("*a* _b_ **c** __d__ ***e***"));
    // Emphasis may span a soft line break.
    EXPECT_EQ(Paragraph("\\b two lines\\b0 "), RtfBody("**two\nlines**"));
    // Underscores inside words, lone or unmatched delimiters are text.
    EXPECT_EQ(Paragraph("snake_case_name a * b *open __never"), RtfBody("snake_case_name a * b *open __never"));
    EXPECT_EQ(Paragraph("trailing_under_ 2\\i 3\\i0 4"), RtfBody("trailing_under_ 2*3*4"));
    // In a heading, strong emphasis adds nothing; italics stay.
    EXPECT_EQ("\\pard\\plain\\sa120\\f0\\b\\fs32 A big \\i deal\\i0 \\par\r\n", RtfBody("## A **big** *deal*"));
}

TEST(MarkdownToRtfTest, EscapesAndSpecialCharacters)
{
    EXPECT_EQ(Paragraph("*not* # \\\\ \\{braces\\} _x_"), RtfBody("\\*not\\* \\# \\\\ {braces} \\_x\\_"));
    EXPECT_EQ(Paragraph("caf\\'e9\\tab x\\'80"), RtfBody("caf\xe9\tx\x80"));
    // Control characters other than tabs are dropped.
    EXPECT_EQ(Paragraph("ab"), RtfBody(std::string("a\x01\x7f" "b")));
}

TEST(RtfToMarkdownTest, RoundTripsItsOwnOutput)
{
    const char* const texts[] = {
        "# Title\r\n\r\nSome *emphasis* and **strong** text.\r\n",
        "## Second\r\n\r\n### Third *part*\r\n",
        "a\\\r\nb\\\r\nc\r\n",
        "Tabs\tstay\there.\r\n\r\nEscapes: \\* \\_ \\\\ {} caf\xe9\r\n",
        "\\# not a heading\r\n\r\n***both*** then **bold** and *it*\r\n",
    };
    for (const char* pszText : texts)
    {
        CMarkdownToRtf toRtf(1252);
        EXPECT_EQ(pszText, ToMarkdown(toRtf.Convert(pszText))) << pszText;
    }
}

TEST(RtfToMarkdownTest, ReadsRichEditStyleRtf)
{
    const std::string strRtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fmodern Courier New;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n{\\*\\generator Riched20 10.0;}\\viewkind4\\uc1 \r\n"
        "\\pard\\b\\f0\\fs36 Title\\par\r\n"
        "\\b0\\fs22 Plain \\i it\\i0 , \\b bold \\b0 end.\\par\r\n"
        "\\par\r\n"
        "\\b\\fs24 Bold at body size\\b0\\par\r\n"
        "{\\pict\\wmetafile8 0102030405}\\par\r\n"
        "}\r\n";
    EXPECT_EQ("# Title\r\n\r\nPlain *it*, **bold** end.\r\n\r\n**Bold at body size**\r\n", ToMarkdown(strRtf));
}

TEST(RtfToMarkdownTest, CharactersAndEscapes)
{
    // \u with its fallback character; outside the code page gives '?'.
    EXPECT_EQ("caf\xe9s \x80x?\r\n", ToMarkdown("{\\rtf1 caf\\u233?s \\u8364?x\\u20013?}"));
    EXPECT_EQ("a\xe9\xe8 b\r\n", ToMarkdown("{\\rtf1\\uc2 a\\u233xy\\'e8 b}"));
    EXPECT_EQ("\\\\ {} \\* \\_ 1#\r\n\r\n\\#2\r\n", ToMarkdown("{\\rtf1 \\\\ \\{\\} * _ 1#\\par #2}"));
    EXPECT_EQ("a\\\r\n\\#b\r\n", ToMarkdown("{\\rtf1 a\\line #b\\par}"));
    EXPECT_EQ("x\ty \x93q\x94\r\n", ToMarkdown("{\\rtf1 x\\tab y \\ldblquote q\\rdblquote}"));
}

TEST(RtfToMarkdownTest, RefusesWhatIsNotRtf)
{
    CRtfToMarkdown converter(1252);
    std::string strMarkdown = "left over";
    EXPECT_FALSE(converter.Convert("# Markdown", strMarkdown));
    EXPECT_TRUE(strMarkdown.empty());
    EXPECT_FALSE(converter.Convert("", strMarkdown));
    // Unbalanced or cut RTF still gives what was readable.
    EXPECT_TRUE(converter.Convert("{\\rtf1 cut here", strMarkdown));
    EXPECT_EQ("cut here\r\n", strMarkdown);
}
