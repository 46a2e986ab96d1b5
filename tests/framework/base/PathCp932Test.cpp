// Paths and strings in a double-byte code page. This process runs under the
// Japanese code page 932 (its CTest entry sets the locale), where the second
// byte of many characters is 0x5C, the backslash: "\x95\x5C" is the
// character for "table". Byte-wise code splits such a name in the middle.
#include "framework/base/AfxPath.h"
#include "framework/base/CFile.h"
#include "framework/base/CString.h"

#include <gtest/gtest.h>

namespace {

const char kTable[] = "\x95\x5C";             // one character, trail byte '\'
const char kSo[] = "\x83\x5C";                // katakana "so", trail byte '\'

class Cp932Test : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(932u, ::GetACP()) << "the test process must run under code page 932"; }
};

} // namespace

TEST_F(Cp932Test, PathsSplitAtRealSeparatorsOnly)
{
    const CString strFolder = CString("C:\\") + kTable;          // "C:\<table>"
    const CString strName = CString(kTable) + ".qlc";            // "<table>.qlc"
    const CString strPath = strFolder + "\\" + strName;
    EXPECT_EQ(strName, AfxPathGetFileName(strPath));
    EXPECT_EQ(CString(kTable), AfxPathGetTitle(strPath));
    EXPECT_EQ(CString(".qlc"), AfxPathGetExtension(strPath));
    EXPECT_EQ(strFolder, AfxPathGetFolder(strPath));
    EXPECT_EQ(strFolder + "\\", AfxPathGetFolderWithSeparator(strPath));

    // A name that ends in such a character has no separator at its end.
    const CString strBare = CString("C:\\Notes\\") + kSo + kTable;
    EXPECT_EQ(CString(kSo) + kTable, AfxPathGetFileName(strBare));
    EXPECT_EQ(CString("C:\\Notes"), AfxPathGetFolder(strBare));
    EXPECT_EQ(CString(""), AfxPathGetExtension(strBare));
}

TEST_F(Cp932Test, StringSearchesSeeCharactersNotBytes)
{
    const CString s = CString("C:\\") + kTable + kSo; // C : \ <table> <so>
    EXPECT_EQ(2, s.ReverseFind('\\'));
    EXPECT_EQ(-1, s.Find('\\', 3));
    EXPECT_EQ(2, s.Find('\\'));
    EXPECT_EQ(-1, s.Find("\\\x83"));                 // a trail byte and a lead byte: no character pair
    EXPECT_EQ(3, s.Find(kTable));
    EXPECT_EQ(2, s.FindOneOf("/\\"));

    CString strReplace = s;
    EXPECT_EQ(1, strReplace.Replace('\\', '/'));
    EXPECT_EQ(CString("C:/") + kTable + kSo, strReplace);
    CString strRemove = s;
    EXPECT_EQ(1, strRemove.Remove('\\'));
    EXPECT_EQ(CString("C:") + kTable + kSo, strRemove);
    EXPECT_EQ(CString("C:"), s.SpanExcluding("\\"));
    EXPECT_EQ(CString(kTable), CString(kTable).SpanExcluding("\\"));
}

TEST_F(Cp932Test, ReversingAndTrimmingKeepCharactersWhole)
{
    CString s = CString("a") + kTable + "b";
    s.MakeReverse();
    EXPECT_EQ(CString("b") + kTable + "a", s);

    CString strTrim = CString("C:\\") + kTable;
    strTrim.TrimRight('\\');
    EXPECT_EQ(CString("C:\\") + kTable, strTrim);     // the trail byte stays
    CString strTrimSet = CString(kTable) + "\\\\";
    strTrimSet.TrimRight("\\/");
    EXPECT_EQ(CString(kTable), strTrimSet);
    CString strSpaces = CString("  ") + kTable + "  ";
    strSpaces.TrimLeft();
    strSpaces.TrimRight();
    EXPECT_EQ(CString(kTable), strSpaces);
}

TEST_F(Cp932Test, AFileWithSuchANameKeepsItsTitle)
{
    char szTemp[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, szTemp));
    const CString strPath = CString(szTemp) + kTable + ".txt";
    {
        CFile file;
        ASSERT_TRUE(file.Open(strPath, CFile::modeCreate | CFile::modeWrite))
            << (LPCSTR)strPath << " error " << ::GetLastError();
        file.Write("x", 1);
        EXPECT_EQ(CString(kTable) + ".txt", file.GetFileName());
        EXPECT_EQ(CString(kTable), file.GetFileTitle());
    }
    // The name the system stored is the one character, not "<lead>" + a folder.
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(strPath, &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFind);
    ::FindClose(hFind);
    EXPECT_EQ(CString(kTable) + ".txt", CString(fd.cFileName));
    EXPECT_TRUE(::DeleteFileA(strPath));
}
