#include "framework/base/CFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

CString TempPath(LPCSTR lpszName)
{
    char szDir[MAX_PATH];
    GetTempPathA(MAX_PATH, szDir);
    CString s = szDir;
    s += lpszName;
    return s;
}

} // namespace

TEST(CFileTest, ShortReadThrowsEndOfFile)
{
    const CString strPath = TempPath("fwtest_short.bin");
    {
        CFile f(strPath, CFile::modeCreate | CFile::modeWrite);
        f.Write("12345", 5);
    }
    CFile f(strPath, CFile::modeRead);
    char buf[8] = {};
    EXPECT_EQ(5u, f.Read(buf, 8)); // plain Read returns what there is
    EXPECT_EQ(0u, f.Read(buf, 8)); // and 0 at the end, without error
    f.SeekToBegin();
    try
    {
        f.ReadExact(buf, 6);
        FAIL() << "a short read must throw";
    }
    catch (CFileException& e)
    {
        EXPECT_EQ(CFileException::endOfFile, e.m_cause);
    }
    f.Close();
    CFile::Remove(strPath);
}

TEST(CFileTest, OpenFailureReportsCauseAndText)
{
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(TempPath("no_such_dir_qlc\\x.bin"), CFile::modeRead, &e));
    EXPECT_EQ(CFileException::badPath, e.m_cause);
    char sz[512];
    ASSERT_TRUE(e.GetErrorMessage(sz, sizeof(sz)));
    EXPECT_NE(nullptr, strstr(sz, "x.bin"));

    EXPECT_FALSE(f.Open(TempPath("no_such_file_qlc.bin"), CFile::modeRead, &e));
    EXPECT_EQ(CFileException::fileNotFound, e.m_cause);

    // The constructor throws what Open reports.
    EXPECT_THROW(CFile(TempPath("no_such_file_qlc.bin"), CFile::modeRead), CFileException);
}

TEST(CFileTest, SharingIsEnforcedAndWritesToReadOnlyHandleThrow)
{
    const CString strPath = TempPath("fwtest_share.bin");
    CFile writer(strPath, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive);
    CFile other;
    CFileException e;
    EXPECT_FALSE(other.Open(strPath, CFile::modeRead | CFile::shareDenyNone, &e));
    EXPECT_EQ(CFileException::sharingViolation, e.m_cause);
    writer.Write("abcdef", 6);
    EXPECT_EQ(6u, writer.GetLength());
    writer.SetLength(3);
    EXPECT_EQ(3u, writer.GetLength());
    writer.Close();

    CFile reader(strPath, CFile::modeRead | CFile::shareDenyNone);
    EXPECT_THROW(reader.Write("x", 1), CFileException);
    reader.Close();
    CFile::Remove(strPath);
    EXPECT_THROW(CFile::Remove(strPath), CFileException);
}

TEST(CFileTest, NamesOfTheFile)
{
    CFile f;
    f.SetFilePath("C:\\notes\\week.plan.txt");
    EXPECT_EQ(CString("week.plan.txt"), f.GetFileName());
    EXPECT_EQ(CString("week.plan"), f.GetFileTitle());
    f.SetFilePath("README");
    EXPECT_EQ(CString("README"), f.GetFileTitle());
}

// Reads and writes larger than one chunk go through whole, in order, and a
// read past the end stops at the end.
TEST(CFileTest, LargeReadsAndWritesCrossChunkBoundaries)
{
    const CString strPath = TempPath("fwtest_chunks.bin");
    const UINT nSize = 2 * CFile::kIoChunk + 12345;
    std::vector<BYTE> data(nSize);
    UINT x = 12345;
    for (BYTE& b : data)
    {
        x = x * 1103515245u + 12345u;
        b = (BYTE)(x >> 16);
    }
    {
        CFile file;
        ASSERT_TRUE(file.Open(strPath, CFile::modeCreate | CFile::modeWrite));
        file.Write(data.data(), nSize);
        EXPECT_EQ(nSize, file.GetLength());
    }
    {
        CFile file;
        ASSERT_TRUE(file.Open(strPath, CFile::modeRead));
        std::vector<BYTE> back(nSize + 100, 0xEE);
        EXPECT_EQ(nSize, file.Read(back.data(), nSize + 100)); // asks for more than there is
        EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
        EXPECT_EQ(0xEE, back[nSize]);
        EXPECT_EQ(0u, file.Read(back.data(), 10));
    }
    DeleteFileA(strPath);
}
