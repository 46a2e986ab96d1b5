#include "framework/base/CString.h"
#include "framework/res/AfxRes.h"

#include <gtest/gtest.h>

TEST(CStringTest, FormatAndPieces)
{
    CString s;
    s.Format("%s-%03d", "node", 7);
    EXPECT_EQ(CString("node-007"), s);
    EXPECT_EQ(8, s.GetLength());
    EXPECT_EQ(CString("node"), s.Left(4));
    EXPECT_EQ(CString("007"), s.Right(3));
    EXPECT_EQ(CString("de-0"), s.Mid(2, 4));
    EXPECT_EQ(CString(""), s.Mid(20));
    EXPECT_EQ(4, s.Find('-'));
    EXPECT_EQ(-1, s.Find('x'));
    EXPECT_EQ(5, s.Find("00"));
    EXPECT_EQ(6, s.ReverseFind('0'));

    // A long result is not cut.
    CString big;
    big.Format("%s%s", std::string(3000, 'a').c_str(), "z");
    EXPECT_EQ(3001, big.GetLength());
    EXPECT_EQ('z', big[3000]);
}

TEST(CStringTest, TrimReplaceRemove)
{
    CString s = " \t text \r\n";
    s.Trim();
    EXPECT_EQ(CString("text"), s);
    s = "xxabcxx";
    s.TrimLeft('x');
    EXPECT_EQ(CString("abcxx"), s);
    s.TrimRight("x");
    EXPECT_EQ(CString("abc"), s);

    CString r = "a.b.c";
    EXPECT_EQ(2, r.Replace(".", "::"));
    EXPECT_EQ(CString("a::b::c"), r);
    EXPECT_EQ(4, r.Remove(':'));
    EXPECT_EQ(CString("abc"), r);
    r.Insert(1, "--");
    EXPECT_EQ(CString("a--bc"), r);
    r.Delete(1, 2);
    EXPECT_EQ(CString("abc"), r);
}

TEST(CStringTest, LowerCaseIsCodePageAware)
{
    // Latin-1 capitals lower-case through the system code page.
    CString s = "ABC\xC4\xD6";
    s.MakeLower();
    EXPECT_EQ(CString("abc\xE4\xF6"), s);
    EXPECT_EQ(0, CString("Hello").CompareNoCase("hELLO"));
}

TEST(CStringTest, BufferAccess)
{
    CString s;
    char* p = s.GetBuffer(10);
    strcpy(p, "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ(CString("abc"), s);
}

TEST(CStringTest, LoadsFrameworkStringsAndFormatsArguments)
{
    CString s;
    ASSERT_TRUE(s.LoadString(AFX_IDS_IDLEMESSAGE));
    EXPECT_EQ(CString("For Help, press F1"), s);
    EXPECT_FALSE(s.LoadString(12345));

    CString out;
    LPCSTR args[] = { "one", "two" };
    AfxFormatStrings(out, "%2 and %1, 100%", args, 2);
    EXPECT_EQ(CString("two and one, 100%"), out);
}
