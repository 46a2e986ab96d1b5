// Document operations on files: nodes added from files (foreign data, HTML,
// images validated by the image layer, documents through the converters)
// and node payloads and images written out to files.
#include "core/CExportHelper.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"

#include "CryptTestSupport.h"
#include "DocOpsSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>

namespace {

QLCNODE NodeOf(const CQuillcrestDoc& doc, DWORD dwId)
{
    QLCNODE node;
    EXPECT_TRUE(doc.Data_GetNode(dwId, node)) << dwId;
    return node;
}

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

DWORD Crc32(const BYTE* p, size_t n)
{
    DWORD crc = 0xFFFFFFFF;
    for (size_t i = 0; i < n; ++i)
    {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A PNG whose header claims a picture far larger than any memory.
Bytes HugePngHeader()
{
    Bytes png = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    const BYTE ihdr[] = { 'I', 'H', 'D', 'R', 0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 6, 0, 0, 0 };
    const BYTE length[] = { 0, 0, 0, 13 };
    png.insert(png.end(), length, length + 4);
    png.insert(png.end(), ihdr, ihdr + sizeof(ihdr));
    const DWORD crc = Crc32(ihdr, sizeof(ihdr));
    for (int i = 3; i >= 0; --i)
        png.push_back((BYTE)(crc >> (8 * i)));
    const BYTE iend[] = { 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82 };
    png.insert(png.end(), iend, iend + sizeof(iend));
    return png;
}

// A window that takes the place of a progress control and keeps every
// position it is sent.
class CProgressRecorder
{
public:
    CProgressRecorder()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CProgressRecorder::WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QlcTestProgress";
        RegisterClassA(&wc);
        hWnd = CreateWindowA("QlcTestProgress", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        s_pActive = this;
    }
    ~CProgressRecorder()
    {
        DestroyWindow(hWnd);
        s_pActive = nullptr;
    }
    HWND hWnd;
    std::vector<WPARAM> positions;

private:
    static LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == PBM_SETPOS && s_pActive != nullptr)
        {
            s_pActive->positions.push_back(wp);
            return 0;
        }
        return DefWindowProcA(h, msg, wp, lp);
    }
    static CProgressRecorder* s_pActive;
};
CProgressRecorder* CProgressRecorder::s_pActive = nullptr;

// Imports the picture file and returns the node; the file is written first.
DWORD ImportPicture(CQuillcrestDoc& doc, const CTempDir& dir, LPCSTR lpszName, const Bytes& file, BOOL bCompress)
{
    WriteFileBytes(dir.Path(lpszName), file);
    return doc.Data_AddImageFromFile(dir.Path(lpszName), 0, bCompress);
}

} // namespace

// --- Foreign data and HTML ----------------------------------------------------------

TEST(DocOpsFilesTest, ForeignFilesComeBackByteForByte)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CLogWatch log;
    for (size_t nSize : { (size_t)0, (size_t)1, (size_t)16384, (size_t)70000 })
    {
        SCOPED_TRACE(nSize);
        const Bytes data = NoiseBytes(nSize, (DWORD)nSize + 1);
        const CString strName = CString("blob") + std::to_string(nSize).c_str() + ".bin";
        WriteFileBytes(dir.Path(strName), data);

        const DWORD dwId = doc.Data_AddForeignFromFile(dir.Path(strName), 0);
        ASSERT_NE(0u, dwId);
        const QLCNODE node = NodeOf(doc, dwId);
        EXPECT_EQ(QLC_NODE_FOREIGN, node.nType);
        EXPECT_EQ(8, node.wIcon);
        EXPECT_EQ(0u, node.dwParentId);
        EXPECT_EQ((DWORD)QLC_NODEFLAG_COMPRESSED, node.dwFlags);
        EXPECT_EQ((DWORD)nSize, node.dwPlainSize);
        EXPECT_STREQ(CString("blob") + std::to_string(nSize).c_str(), node.strName);
        EXPECT_EQ(data, Gunzip(ReadStoredPayload(doc, dwId)));

        const CString strOut = dir.Path(strName + ".out");
        ASSERT_TRUE(doc.Data_CopyToFile(dwId, strOut, nullptr));
        EXPECT_EQ(data, ReadFileBytes(strOut));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strOut)); // also when empty
    }
    const std::string text = log.NewText();
    EXPECT_EQ(4u, CountOf(text, "Data_AddForeignFromFile([FILENAME NOT LOGGED], 0);"));
    EXPECT_EQ(std::string::npos, text.find("blob"));
    EXPECT_EQ(std::string::npos, text.find(std::string(dir.Dir())));
}

TEST(DocOpsFilesTest, AddFromFileDispatchesOnTheNodeType)
{
    CTempDir dir;
    CBuiltInConverters converters;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes page = TextBytes(5000, 3);
    WriteFileBytes(dir.Path("page.htm"), page);
    WriteFileBytes(dir.Path("any.dat"), NoiseBytes(100, 4));
    WriteFileBytes(dir.Path("pic.png"), EncodeTestPicture(7, 8, 8, 1));
    WriteFileBytes(dir.Path("letter.rtf"), Bytes{ '{', '\\', 'r', 't', 'f', '1', ' ', 'x', '}' });

    CLogWatch log;
    const DWORD dwHtml = doc.Data_AddFromFile(dir.Path("page.htm"), QLC_NODE_HTML, 0, FALSE);
    ASSERT_NE(0u, dwHtml);
    EXPECT_EQ(QLC_NODE_HTML, NodeOf(doc, dwHtml).nType);
    EXPECT_EQ(7, NodeOf(doc, dwHtml).wIcon);
    EXPECT_STREQ("page", NodeOf(doc, dwHtml).strName);
    // HTML pages are compressed whatever the caller asks.
    EXPECT_EQ((DWORD)QLC_NODEFLAG_COMPRESSED, NodeOf(doc, dwHtml).dwFlags);
    EXPECT_EQ(page, ReadNodeData(doc, dwHtml));
    EXPECT_EQ(1u, CountOf(log.NewText(), "Data_AddHtmlFromFile([FILENAME NOT LOGGED], 0);"));

    EXPECT_EQ(QLC_NODE_FOREIGN, NodeOf(doc, doc.Data_AddFromFile(dir.Path("any.dat"), QLC_NODE_FOREIGN, 0, FALSE)).nType);
    EXPECT_EQ(QLC_NODE_IMAGE, NodeOf(doc, doc.Data_AddFromFile(dir.Path("pic.png"), QLC_NODE_IMAGE, 7, FALSE)).nType);
    EXPECT_EQ(QLC_NODE_NOTE, NodeOf(doc, doc.Data_AddFromFile(dir.Path("letter.rtf"), QLC_NODE_NOTE, 0, TRUE)).nType);
    EXPECT_EQ(1u, CountOf(log.NewText(), "Data_AddDocumentFromFile([FILENAME NOT LOGGED], 0);"));

    const DWORD dwCount = doc.GetHeader().dwNodeCount;
    for (int nType : { 0, 2, 5, 7, 255 })
        EXPECT_EQ(0u, doc.Data_AddFromFile(dir.Path("any.dat"), nType, 0, TRUE)) << nType;
    EXPECT_EQ(dwCount, doc.GetHeader().dwNodeCount);
}

TEST(DocOpsFilesTest, AFileThatCannotBeOpenedAddsNoNode)
{
    CTempDir dir;
    CBuiltInConverters converters;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_NOTE, "existing");
    doc.SetModified(FALSE);
    const CString strMissing = dir.Path("missing.txt");
    EXPECT_EQ(0u, doc.Data_AddForeignFromFile(strMissing, 0));
    EXPECT_EQ(0u, doc.Data_AddHtmlFromFile(strMissing, 0));
    EXPECT_EQ(0u, doc.Data_AddImageFromFile(strMissing, 0, TRUE));
    EXPECT_EQ(0u, doc.Data_AddDocumentFromFile(strMissing, 0, TRUE));

    // A file someone holds without sharing cannot be read either.
    WriteFileBytes(dir.Path("locked.dat"), TextBytes(10));
    HANDLE hLock = CreateFileA(dir.Path("locked.dat"), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
    EXPECT_EQ(0u, doc.Data_AddForeignFromFile(dir.Path("locked.dat"), 0));
    CloseHandle(hLock);

    EXPECT_EQ(1, doc.Data_GetNodeCount());
    EXPECT_EQ(1u, doc.GetHeader().dwNodeCount);
    EXPECT_FALSE(doc.GetModifiedFlag());
}

// Storing fails after the node was made (here: the document has no work
// file, its temporary folder being gone): no half-made node is left behind.
TEST(DocOpsFilesTest, AFileThatCannotBeStoredLeavesNoNode)
{
    CTempDir dir;
    WriteFileBytes(dir.Path("data.dat"), NoiseBytes(70000, 3));
    char szTmp[MAX_PATH] = {}, szTemp[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", szTmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", szTemp, MAX_PATH);
    SetEnvironmentVariableA("TMP", dir.Path("gone"));
    SetEnvironmentVariableA("TEMP", dir.Path("gone"));
    CQuillcrestDoc doc;
    SetEnvironmentVariableA("TMP", szTmp[0] ? szTmp : nullptr);
    SetEnvironmentVariableA("TEMP", szTemp[0] ? szTemp : nullptr);
    ASSERT_EQ(INVALID_HANDLE_VALUE, doc.Data_GetWorkHandle());
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_NOTE, "existing");
    doc.SetModified(FALSE);

    CLogWatch log;
    EXPECT_EQ(0u, doc.Data_AddForeignFromFile(dir.Path("data.dat"), 0));
    WriteFileBytes(dir.Path("pic.png"), EncodeTestPicture(7, 8, 8, 1));
    EXPECT_EQ(0u, doc.Data_AddImageFromFile(dir.Path("pic.png"), 7, FALSE));
    EXPECT_EQ(1, doc.Data_GetNodeCount());
    EXPECT_EQ(1u, doc.GetHeader().dwNodeCount);
    EXPECT_FALSE(doc.GetModifiedFlag());
    EXPECT_EQ(2u, CountOf(log.NewText(), "WARNING: A file to import could not be read or stored; it was not added."));
}

// --- Images ---------------------------------------------------------------------------

TEST(DocOpsFilesTest, AnImageIsStoredAsTheFileItWas)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes png = EncodeTestPicture(7, 40, 30, 2);

    const DWORD dwPlain = ImportPicture(doc, dir, "photo.png", png, FALSE);
    ASSERT_NE(0u, dwPlain);
    const QLCNODE plain = NodeOf(doc, dwPlain);
    EXPECT_EQ(QLC_NODE_IMAGE, plain.nType);
    EXPECT_EQ(6, plain.wIcon);
    EXPECT_STREQ("photo", plain.strName);
    EXPECT_EQ(0u, plain.dwFlags);
    EXPECT_EQ(png, ReadStoredPayload(doc, dwPlain));

    const DWORD dwPacked = ImportPicture(doc, dir, "packed.png", png, TRUE);
    ASSERT_NE(0u, dwPacked);
    EXPECT_EQ((DWORD)QLC_NODEFLAG_COMPRESSED, NodeOf(doc, dwPacked).dwFlags);
    EXPECT_EQ(png, ReadNodeData(doc, dwPacked));
}

TEST(DocOpsFilesTest, AnImageThatDoesNotDecodeAddsNoNode)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.SetModified(FALSE);
    Bytes truncated = EncodeTestPicture(7, 40, 30, 2);
    truncated.resize(truncated.size() / 2);
    CLogWatch log;
    EXPECT_EQ(0u, ImportPicture(doc, dir, "noise.png", NoiseBytes(5000, 9), TRUE));
    EXPECT_EQ(0u, ImportPicture(doc, dir, "empty.jpg", Bytes(), TRUE));
    EXPECT_EQ(0u, ImportPicture(doc, dir, "half.png", truncated, FALSE));
    // Memory the header asks for is refused by the image layer, not taken.
    EXPECT_EQ(0u, ImportPicture(doc, dir, "huge.png", HugePngHeader(), FALSE));
    EXPECT_EQ(0, doc.Data_GetNodeCount());
    EXPECT_EQ(0u, doc.GetHeader().dwNodeCount);
    EXPECT_FALSE(doc.GetModifiedFlag());
    EXPECT_EQ(4u, CountOf(log.NewText(), "does not decode"));
    // The next node still gets the first id.
    EXPECT_EQ(1u, AddNode(doc, QLC_NODE_NOTE, "first"));
}

// --- Documents ---------------------------------------------------------------------------

TEST(DocOpsFilesTest, AnRtfDocumentIsCopiedIntoANoteAndItsTemporaryFileRemoved)
{
    CTempDir dir;
    CBuiltInConverters converters;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const std::string rtf = "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Arial;}}\\f0 Hello \\b world\\b0.\\par}";
    const Bytes bytes(rtf.begin(), rtf.end());
    WriteFileBytes(dir.Path("Letter to Ann.rtf"), bytes);

    CTempFilesWatch temps;
    const DWORD dwId = doc.Data_AddDocumentFromFile(dir.Path("Letter to Ann.rtf"), 0, TRUE);
    ASSERT_NE(0u, dwId);
    EXPECT_TRUE(temps.Added().empty());
    const QLCNODE node = NodeOf(doc, dwId);
    EXPECT_EQ(QLC_NODE_NOTE, node.nType);
    EXPECT_EQ(2, node.wIcon);
    EXPECT_STREQ("Letter to Ann", node.strName);
    EXPECT_EQ((DWORD)QLC_NODEFLAG_COMPRESSED, node.dwFlags);
    EXPECT_EQ(bytes, ReadNodeData(doc, dwId));

    const DWORD dwPlain = doc.Data_AddDocumentFromFile(dir.Path("Letter to Ann.rtf"), 0, FALSE);
    EXPECT_EQ(0u, NodeOf(doc, dwPlain).dwFlags);
    EXPECT_EQ(bytes, ReadStoredPayload(doc, dwPlain));
    EXPECT_TRUE(temps.Added().empty());
}

TEST(DocOpsFilesTest, PlainTextBecomesAnRtfNote)
{
    ASSERT_NE(nullptr, LoadLibraryA("riched20.dll"));
    CTempDir dir;
    CBuiltInConverters converters;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const std::string text = "First line\twith a tab\r\nSecond line\r\n";
    WriteFileBytes(dir.Path("todo.txt"), Bytes(text.begin(), text.end()));

    CTempFilesWatch temps;
    const DWORD dwId = doc.Data_AddDocumentFromFile(dir.Path("todo.txt"), 0, TRUE);
    ASSERT_NE(0u, dwId);
    EXPECT_TRUE(temps.Added().empty());
    EXPECT_STREQ("todo", NodeOf(doc, dwId).strName);
    const std::string note = Text(ReadNodeData(doc, dwId));
    EXPECT_EQ(0u, note.find("{\\rtf"));
    EXPECT_NE(std::string::npos, note.find("First line"));
    EXPECT_NE(std::string::npos, note.find("Second line"));
}

TEST(DocOpsFilesTest, ADocumentNoConverterTakesAddsNoNode)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    WriteFileBytes(dir.Path("sheet.xyz"), TextBytes(300));
    WriteFileBytes(dir.Path("README"), TextBytes(300));
    WriteFileBytes(dir.Path("note.rtf"), TextBytes(300));
    doc.SetModified(FALSE);

    CTempFilesWatch temps;
    // Without the application's converter list nothing can be converted.
    EXPECT_EQ(0u, doc.Data_AddDocumentFromFile(dir.Path("note.rtf"), 0, TRUE));
    {
        CBuiltInConverters converters;
        EXPECT_EQ(0u, doc.Data_AddDocumentFromFile(dir.Path("sheet.xyz"), 0, TRUE));
        EXPECT_EQ(0u, doc.Data_AddDocumentFromFile(dir.Path("README"), 0, TRUE));
    }
    EXPECT_EQ(0, doc.Data_GetNodeCount());
    EXPECT_FALSE(doc.GetModifiedFlag());
    EXPECT_TRUE(temps.Added().empty());
}

// --- Copying payloads out ---------------------------------------------------------------

TEST(DocOpsFilesTest, CopyToFileReportsProgressInThousandthsEvenPast4GBOfProducts)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // 5,000,000 bytes x 1000 does not fit in 32 bits.
    const Bytes data = TextBytes(5000000, 8);
    const DWORD dwId = AddNode(doc, QLC_NODE_FOREIGN, "big");
    ASSERT_TRUE(WriteNodeData(doc, dwId, data, TRUE, 65536));

    CProgressRecorder progress;
    ASSERT_NE(nullptr, progress.hWnd);
    ASSERT_TRUE(doc.Data_CopyToFile(dwId, dir.Path("big.out"), progress.hWnd));
    EXPECT_EQ(data, ReadFileBytes(dir.Path("big.out")));
    ASSERT_EQ((data.size() + 16383) / 16384, progress.positions.size());
    for (size_t i = 0; i < progress.positions.size(); ++i)
    {
        const ULONGLONG ullDone = std::min<ULONGLONG>((i + 1) * 16384ull, data.size());
        EXPECT_EQ(ullDone * 1000 / data.size(), progress.positions[i]) << i;
    }
    EXPECT_EQ(1000u, progress.positions.back());

    // A real progress control follows it to the end.
    InitCommonControls();
    HWND hBar = CreateWindowA(PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hBar);
    SendMessageA(hBar, PBM_SETRANGE32, 0, 1000);
    ASSERT_TRUE(doc.Data_CopyToFile(dwId, dir.Path("big2.out"), hBar));
    EXPECT_EQ(1000, (int)SendMessageA(hBar, PBM_GETPOS, 0, 0));
    DestroyWindow(hBar);
}

TEST(DocOpsFilesTest, CopyToFileWritesNothingForAPayloadItCannotRead)
{
    CTempDir dir;
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());

    CLogWatch log;
    EXPECT_FALSE(doc.Data_CopyToFile(4242, dir.Path("none.out"), nullptr));
    EXPECT_EQ(1u, CountOf(log.NewText(), "WARNING: Failed to acquire CQlcNodeData object in CQuillcrestDoc::Data_CopyToFile"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Path("none.out")));

    // An encrypted node whose password is not known: the target is not touched.
    const DWORD dwId = AddNode(doc, QLC_NODE_FOREIGN, "secret");
    CQlcNode node(&doc, dwId);
    ASSERT_TRUE(node.SetEncryption(kAes, 32, kSha256, "pw", 2, nullptr, 0));
    ASSERT_TRUE(WriteNodeData(doc, dwId, TextBytes(2000), TRUE));
    CQlcNode(&doc, dwId).SetPassword(FALSE, nullptr);
    const Bytes before = TextBytes(77, 2);
    WriteFileBytes(dir.Path("keep.out"), before);
    EXPECT_FALSE(doc.Data_CopyToFile(dwId, dir.Path("keep.out"), nullptr));
    EXPECT_EQ(before, ReadFileBytes(dir.Path("keep.out")));

    // With the password it is written deciphered.
    RememberPassword(doc, dwId, "pw");
    EXPECT_TRUE(doc.Data_CopyToFile(dwId, dir.Path("keep.out"), nullptr));
    EXPECT_EQ(TextBytes(2000), ReadFileBytes(dir.Path("keep.out")));

    // A folder that does not exist.
    EXPECT_FALSE(doc.Data_CopyToFile(dwId, dir.Path("no such folder\\x.out"), nullptr));
}

TEST(DocOpsFilesTest, CopyToFileRemovesAFileItCouldNotFinish)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // An uncompressed payload whose record claims more bytes than are stored.
    const DWORD dwId = AddNode(doc, QLC_NODE_FOREIGN, "short");
    AppendPayload(doc, dwId, TextBytes(1000));
    QLCNODE node = NodeOf(doc, dwId);
    node.dwStoredSize = node.dwPlainSize = 50000000;
    doc.Data_SetNode(dwId, node);

    EXPECT_FALSE(doc.Data_CopyToFile(dwId, dir.Path("short.out"), nullptr));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Path("short.out")));
}

TEST(DocOpsFilesTest, CopyToNewFileWritesOnlyWhereNoFileOfThatNameIsAndLeavesNothingOnFailure)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwId = AddNode(doc, QLC_NODE_FOREIGN, "data");
    ASSERT_TRUE(WriteNodeData(doc, dwId, TextBytes(70000), TRUE));

    CLogWatch log;
    EXPECT_TRUE(doc.Data_CopyToNewFile(dwId, dir.Path("new.out")));
    EXPECT_EQ(TextBytes(70000), ReadFileBytes(dir.Path("new.out")));

    // An existing file, whatever the case of its name, and a folder of that
    // name are left as they are.
    const Bytes before = TextBytes(77, 2);
    WriteFileBytes(dir.Path("Keep.OUT"), before);
    EXPECT_FALSE(doc.Data_CopyToNewFile(dwId, dir.Path("keep.out")));
    EXPECT_EQ(before, ReadFileBytes(dir.Path("Keep.OUT")));
    ASSERT_TRUE(::CreateDirectoryA(dir.Path("folder.out"), nullptr));
    EXPECT_FALSE(doc.Data_CopyToNewFile(dwId, dir.Path("folder.out")));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(dir.Path("folder.out")) & FILE_ATTRIBUTE_DIRECTORY);

    // A missing node, a payload it cannot finish and a missing folder make
    // nothing; the full copy that follows in the export does the telling.
    EXPECT_FALSE(doc.Data_CopyToNewFile(4242, dir.Path("none.out")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Path("none.out")));
    const DWORD dwShort = AddNode(doc, QLC_NODE_FOREIGN, "short");
    AppendPayload(doc, dwShort, TextBytes(1000));
    QLCNODE node = NodeOf(doc, dwShort);
    node.dwStoredSize = node.dwPlainSize = 50000000;
    doc.Data_SetNode(dwShort, node);
    EXPECT_FALSE(doc.Data_CopyToNewFile(dwShort, dir.Path("short.out")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Path("short.out")));
    EXPECT_FALSE(doc.Data_CopyToNewFile(dwId, dir.Path("no such folder\\x.out")));
    EXPECT_EQ(0u, CountOf(log.NewText(), "Failed to acquire CQlcNodeData"));
}

// --- Image export ---------------------------------------------------------------------------

TEST(DocOpsFilesTest, ExportFormatsMapAndExtensionsAreForced)
{
    const int expected[] = { 0, 1, 5, 8, 9, 3, 7, 9, 10, 10, 4, 6, 2, 0, 0, 0 };
    for (int nCode = 0; nCode < 16; ++nCode)
        EXPECT_EQ(expected[nCode], CExportHelper::MapExportType(nCode)) << nCode;
    EXPECT_EQ(0, CExportHelper::MapExportType(-1));

    const char* extensions[] = { "", "bmp", "gif", "jpg", "pcx", "pic", "pgm", "png", "tga", "tif", "emf" };
    for (int nId = 1; nId <= 10; ++nId)
        EXPECT_STREQ(CString("photo.") + extensions[nId], CExportHelper::ForceExtension(nId, "photo")) << nId;
    EXPECT_STREQ("a.jpg.jpg", CExportHelper::ForceExtension(3, "a.jpg.jpg"));
    EXPECT_STREQ("photo.JPG", CExportHelper::ForceExtension(3, "photo.JPG"));
    EXPECT_STREQ("photo.jpeg.jpg", CExportHelper::ForceExtension(3, "photo.jpeg"));
    EXPECT_STREQ("C:\\a.b\\photo.png", CExportHelper::ForceExtension(7, "C:\\a.b\\photo"));
    EXPECT_STREQ("photo", CExportHelper::ForceExtension(0, "photo"));
    EXPECT_STREQ("photo", CExportHelper::ForceExtension(11, "photo"));
    EXPECT_STREQ(".tif", CExportHelper::ForceExtension(9, ""));
}

// Format 0 writes the image file imported (never the gzip or enciphered
// bytes) under the extension of its format, and says so before and after.
TEST(DocOpsFilesTest, ExportingAsStoredWritesTheImportedFile)
{
    CTempDir dir;
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes png = EncodeTestPicture(7, 33, 21, 5);
    const Bytes jpeg = EncodeTestPicture(3, 33, 21, 6);
    const Bytes tiff = EncodeTestPicture(9, 10, 12, 7);
    const Bytes bmp = EncodeTestPicture(1, 14, 6, 8);
    const DWORD dwPng = ImportPicture(doc, dir, "in.png", png, TRUE);   // stored gzipped
    const DWORD dwJpeg = ImportPicture(doc, dir, "in.jpg", jpeg, FALSE); // stored as it is
    const DWORD dwTiff = ImportPicture(doc, dir, "in.tiff", tiff, TRUE);
    const DWORD dwBmp = ImportPicture(doc, dir, "in", bmp, TRUE);
    const DWORD dwSecret = ImportPicture(doc, dir, "secret.png", png, TRUE);
    ASSERT_TRUE(dwPng && dwJpeg && dwTiff && dwBmp && dwSecret);
    CQlcNode secret(&doc, dwSecret);
    ASSERT_TRUE(secret.SetEncryption(kAes, 16, kSha256, "pw", 2, nullptr, 0));
    ASSERT_NE(png, ReadStoredPayload(doc, dwPng));

    struct CCase
    {
        DWORD dwId;
        LPCSTR lpszPath;
        LPCSTR lpszFinal;
        const Bytes* pBytes;
    } cases[] = {
        { dwPng, "out1", "out1.png", &png },
        { dwPng, "out2.PNG", "out2.PNG", &png },
        { dwJpeg, "out3", "out3.jpg", &jpeg },
        { dwTiff, "out4.tiff", "out4.tiff.tif", &tiff },
        { dwSecret, "out5", "out5.png", &png },
        { dwBmp, "out7.Bmp", "out7.Bmp", &bmp },
        { dwBmp, "out8.dib", "out8.dib.bmp", &bmp },
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.lpszPath);
        CString strBefore;
        ASSERT_TRUE(doc.Data_GetImageExportPath(c.dwId, dir.Path(c.lpszPath), 0, strBefore));
        EXPECT_STREQ(dir.Path(c.lpszFinal), strBefore);

        char szError[QLC_EXPORT_ERROR_SIZE] = "untouched";
        CString strFinal;
        ASSERT_TRUE(doc.Data_ExportImage(c.dwId, dir.Path(c.lpszPath), 0, szError, &strFinal)) << szError;
        EXPECT_STREQ("", szError);
        EXPECT_STREQ(dir.Path(c.lpszFinal), strFinal);
        EXPECT_EQ(*c.pBytes, ReadFileBytes(dir.Path(c.lpszFinal)));
    }
    // The error buffer and the final path are optional.
    EXPECT_TRUE(doc.Data_ExportImage(dwJpeg, dir.Path("out6"), 0, nullptr));
    EXPECT_EQ(jpeg, ReadFileBytes(dir.Path("out6.jpg")));
}

TEST(DocOpsFilesTest, ExportingInAnotherFormatReencodesThePicture)
{
    CTempDir dir;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes png = EncodeTestPicture(7, 45, 27, 3);
    const DWORD dwId = ImportPicture(doc, dir, "in.png", png, FALSE);
    ASSERT_NE(0u, dwId);
    PLAnyBmp original;
    FillTestPicture(original, 45, 27, 3);

    struct CCase
    {
        int nFormat;
        LPCSTR lpszFinal;
        int nTolerance;
    } cases[] = { { 7, "x.png", 0 }, { 9, "x.tif", 0 }, { 3, "x.jpg", 16 }, { 1, "x.bmp", 0 } };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.nFormat);
        CString strBefore;
        ASSERT_TRUE(doc.Data_GetImageExportPath(dwId, dir.Path("x"), c.nFormat, strBefore));
        EXPECT_STREQ(dir.Path(c.lpszFinal), strBefore);
        char szError[QLC_EXPORT_ERROR_SIZE] = {};
        CString strFinal;
        ASSERT_TRUE(doc.Data_ExportImage(dwId, dir.Path("x"), c.nFormat, szError, &strFinal)) << szError;
        EXPECT_STREQ(dir.Path(c.lpszFinal), strFinal);
        const Bytes file = ReadFileBytes(strFinal);
        ASSERT_FALSE(file.empty());
        if (c.nFormat == 1)
        {
            // A BMP file: its file header, then a packed DIB.
            ASSERT_GT(file.size(), 54u);
            EXPECT_EQ('B', file[0]);
            EXPECT_EQ('M', file[1]);
            EXPECT_EQ(file.size(), (size_t)(file[2] | (file[3] << 8) | (file[4] << 16) | (file[5] << 24)));
        }
        PLAnyPicDecoder decoder;
        PLAnyBmp bmp;
        decoder.DecodeMemory(file.data(), (int)file.size(), &bmp);
        EXPECT_EQ(c.nFormat, CExportHelper::MapExportType(decoder.LastFormatCode()));
        // BMP, PNG and TIFF are lossless; JPEG comes close on average.
        ASSERT_EQ(original.GetWidth(), bmp.GetWidth());
        ASSERT_EQ(original.GetHeight(), bmp.GetHeight());
        const double dDiff = c.nTolerance ? MeanChannelDifference(original, bmp) : MaxChannelDifference(original, bmp);
        EXPECT_LE(dDiff, c.nTolerance);
    }
    // The stored picture is untouched by re-encoding.
    EXPECT_EQ(png, ReadStoredPayload(doc, dwId));
}

TEST(DocOpsFilesTest, AnImageThatCannotBeExportedWritesNothingAndSaysWhy)
{
    CTempDir dir;
    CTempDir out;
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwGood = ImportPicture(doc, dir, "good.png", EncodeTestPicture(7, 9, 9, 1), TRUE);
    ASSERT_NE(0u, dwGood);
    // A damaged image node (its bytes are no picture).
    const DWORD dwBad = AddNode(doc, QLC_NODE_IMAGE, "bad");
    ASSERT_TRUE(WriteNodeData(doc, dwBad, NoiseBytes(4000, 3), TRUE));
    // An encrypted image whose password is not known.
    const DWORD dwLocked = ImportPicture(doc, dir, "locked.png", EncodeTestPicture(7, 9, 9, 2), TRUE);
    CQlcNode locked(&doc, dwLocked);
    ASSERT_TRUE(locked.SetEncryption(kAes, 16, kSha256, "pw", 2, nullptr, 0));
    CQlcNode(&doc, dwLocked).SetPassword(FALSE, nullptr);

    struct CCase
    {
        DWORD dwId;
        int nFormat;
        CString strPath;
    } cases[] = {
        { dwBad, 0, out.Path("bad") },       { dwBad, 7, out.Path("bad") },
        { dwLocked, 0, out.Path("locked") }, { 4242, 0, out.Path("none") },
        { dwGood, 2, out.Path("gif") },      { dwGood, 0, out.Path("missing\\good") },
        { dwGood, 7, out.Path("missing\\good") },
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.strPath) + " " + std::to_string(c.nFormat));
        char szError[QLC_EXPORT_ERROR_SIZE] = {};
        EXPECT_FALSE(doc.Data_ExportImage(c.dwId, c.strPath, c.nFormat, szError));
        EXPECT_NE('\0', szError[0]);
        EXPECT_LT(strlen(szError), (size_t)QLC_EXPORT_ERROR_SIZE);
        EXPECT_FALSE(doc.Data_ExportImage(c.dwId, c.strPath, c.nFormat, nullptr));
    }
    EXPECT_TRUE(ListFiles(out.Dir()).empty());
    CString strPath;
    EXPECT_FALSE(doc.Data_GetImageExportPath(dwBad, out.Path("bad"), 0, strPath));
    EXPECT_STREQ(out.Path("bad"), strPath);
    EXPECT_FALSE(doc.Data_GetImageExportPath(dwLocked, out.Path("locked"), 0, strPath));
    EXPECT_FALSE(doc.Data_GetImageExportPath(dwGood, out.Path("gif"), 2, strPath));
    EXPECT_STREQ(out.Path("gif"), strPath);
}
