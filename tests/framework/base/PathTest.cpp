// Path splitting in a single-byte code page; the double-byte cases run in
// their own process (PathCp932Test.cpp).
#include "framework/base/AfxPath.h"
#include "framework/base/CFile.h"

#include <gtest/gtest.h>

TEST(PathTest, NameFolderTitleAndExtension)
{
    const char* const p = "C:\\Notes\\work.v2\\plan.final.qlc";
    EXPECT_EQ(CString("plan.final.qlc"), AfxPathGetFileName(p));
    EXPECT_EQ(CString("plan.final"), AfxPathGetTitle(p));
    EXPECT_EQ(CString(".qlc"), AfxPathGetExtension(p));
    EXPECT_EQ(CString("C:\\Notes\\work.v2"), AfxPathGetFolder(p));
    EXPECT_EQ(CString("C:\\Notes\\work.v2\\"), AfxPathGetFolderWithSeparator(p));
    EXPECT_EQ(CString("C:\\Notes\\work.v2\\plan.final"), AfxPathRemoveExtension(p));
    EXPECT_EQ(p + 17, AfxPathFindFileName(p));
}

TEST(PathTest, EdgesOfThePath)
{
    // A dot in a folder is no extension; a leading dot is a name.
    EXPECT_EQ(CString(""), AfxPathGetExtension("C:\\work.v2\\README"));
    EXPECT_EQ(CString("README"), AfxPathGetTitle("C:\\work.v2\\README"));
    EXPECT_EQ(CString(""), AfxPathGetExtension("C:\\home\\.profile"));
    EXPECT_EQ(CString(".profile"), AfxPathGetTitle("C:\\home\\.profile"));
    // Roots keep their separator; a bare name has no folder.
    EXPECT_EQ(CString("C:\\"), AfxPathGetFolder("C:\\a.qlc"));
    EXPECT_EQ(CString("\\"), AfxPathGetFolder("\\a.qlc"));
    EXPECT_EQ(CString("C:"), AfxPathGetFolder("C:a.qlc"));
    EXPECT_EQ(CString("a.qlc"), AfxPathGetFileName("C:a.qlc"));
    EXPECT_EQ(CString(""), AfxPathGetFolder("a.qlc"));
    EXPECT_EQ(CString("a.qlc"), AfxPathGetFileName("a.qlc"));
    // Forward slashes separate too; a trailing separator leaves no name.
    EXPECT_EQ(CString("b.txt"), AfxPathGetFileName("dir/sub/b.txt"));
    EXPECT_EQ(CString("dir/sub"), AfxPathGetFolder("dir/sub/b.txt"));
    EXPECT_EQ(CString(""), AfxPathGetFileName("C:\\dir\\"));
    EXPECT_EQ(CString("C:\\dir"), AfxPathGetFolder("C:\\dir\\"));
    EXPECT_EQ(CString(""), AfxPathGetFileName(""));
    EXPECT_EQ(CString(""), AfxPathGetFileName(nullptr));
    EXPECT_EQ(nullptr, AfxPathFindExtension(nullptr));
}

TEST(PathTest, ModuleFolderHoldsTheProgram)
{
    char szModule[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetModuleFileNameA(nullptr, szModule, MAX_PATH));
    const CString strFolder = AfxGetModuleFolder();
    ASSERT_FALSE(strFolder.IsEmpty());
    EXPECT_NE('\\', strFolder[strFolder.GetLength() - 1]);
    EXPECT_EQ(CString(szModule), strFolder + "\\" + AfxPathGetFileName(szModule));
}

TEST(PathTest, FileNamesOfAnOpenFile)
{
    char szTemp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szTemp);
    const CString strPath = CString(szTemp) + "path.test.qlc";
    {
        CFile file;
        ASSERT_TRUE(file.Open(strPath, CFile::modeCreate | CFile::modeWrite));
        EXPECT_EQ(CString("path.test.qlc"), file.GetFileName());
        EXPECT_EQ(CString("path.test"), file.GetFileTitle());
    }
    ::DeleteFileA(strPath);
}
