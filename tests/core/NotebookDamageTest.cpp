// Damaged notebooks: what reading finds damaged is told to the user at open,
// the rest stays editable and saves; a node whose key length no library has
// is refused by every reader before anything is allocated for it.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "CryptTestSupport.h"
#include "DocLifeSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <algorithm>
#include <string>

namespace {

void PutU32(Bytes& b, size_t at, DWORD dw)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = (BYTE)(dw >> (8 * i));
}

// Where the record of the named node starts in a notebook file.
size_t RecordOf(const Bytes& file, const char* pszName)
{
    const std::string key = std::string(pszName) + '\0';
    const auto it = std::search(file.begin() + kNodeTable, file.end(), key.begin(), key.end());
    EXPECT_NE(file.end(), it) << pszName;
    return (size_t)(it - file.begin()) - QLC_NODE_RECORD_SIZE;
}

SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.PeakWorkingSetSize;
}

} // namespace

TEST(NotebookDamageTest, ADamagedNotebookIsToldAtOpenAndStillSaves)
{
    CTempDir dir;
    const CString strPath = dir.Path("damaged.qlc");
    const Bytes alpha = TextBytes(20000, 1), beta = TextBytes(30000, 2), gamma = TextBytes(5000, 3);
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "Folder");
        const DWORD dwA = AddNode(doc, QLC_NODE_NOTE, "Note A", dwFolder);
        const DWORD dwB = AddNode(doc, QLC_NODE_NOTE, "Note B", dwFolder);
        ASSERT_TRUE(WriteNodeData(doc, dwA, alpha, TRUE));
        ASSERT_TRUE(WriteNodeData(doc, dwB, beta, FALSE));
        QLCNODE_KEYWORDS keywords;
        keywords.dwNodeId = dwB;
        keywords.keywordIds = { doc.Data_GetKeywordId("beta") };
        doc.Data_SetNodeKeywords(dwB, keywords);
        QLCBOOKMARK bookmark;
        bookmark.dwNodeId = dwB;
        bookmark.strName = "to B";
        doc.Data_SetBookmark(doc.Data_AddBookmark(), bookmark);
        for (LPCSTR lpszTitle : { "first task", "second task" })
        {
            const DWORD dwTask = doc.Data_AddTask();
            QLCTASK task;
            doc.Data_GetTask(dwTask, task);
            task.strTitle = lpszTitle;
            task.strNotes = "notes of the task";
            doc.Data_SetTask(dwTask, task);
        }
        doc.Data_SetNotebookPath(strPath);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    // Note B's payload now runs past the end, and the last task is cut short.
    Bytes file = ReadFileBytes(strPath);
    const size_t nRecordB = RecordOf(file, "Note B");
    PutU32(file, nRecordB + 20, (DWORD)file.size());
    file.resize(file.size() - 6);
    WriteFileBytes(strPath, file);
    WIN32_FILE_ATTRIBUTE_DATA damaged = {};
    ASSERT_TRUE(GetFileAttributesExA(strPath, GetFileExInfoStandard, &damaged));

    CTestPrompts prompts;
    CAfxBoxes afx;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(strPath));
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Damaged Notebook", prompts.boxes[0].caption);
    EXPECT_EQ("1 node of this notebook is damaged; its contents cannot be read:\n    //Folder/Note B\n\n"
              "These parts of the notebook are damaged and were read only in part or not at all:\n"
              "    the tasks\n\n"
              "Everything else can be edited and saved. The file is not changed until you save it; saving keeps "
              "whatever the file holds of the damaged nodes, as it is.",
              prompts.boxes[0].text);
    EXPECT_EQ((UINT)(MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING), prompts.boxes[0].nType);
    EXPECT_TRUE(afx.boxes.empty());
    // Nothing changes before a save (the open notebook cannot be read beside it).
    WIN32_FILE_ATTRIBUTE_DATA opened = {};
    ASSERT_TRUE(GetFileAttributesExA(strPath, GetFileExInfoStandard, &opened));
    EXPECT_EQ(damaged.nFileSizeLow, opened.nFileSizeLow);
    EXPECT_EQ(0, CompareFileTime(&damaged.ftLastWriteTime, &opened.ftLastWriteTime));

    const DWORD dwA = FindNodeByName(doc, "Note A");
    const DWORD dwB = FindNodeByName(doc, "Note B");
    ASSERT_NE(0u, dwB);
    EXPECT_EQ(std::vector<DWORD>{ dwB }, doc.Data_GetDamagedNodes());
    EXPECT_TRUE(doc.Data_IsNodeDamaged(dwB));
    EXPECT_FALSE(doc.Data_IsNodeDamaged(dwA));
    EXPECT_EQ((DWORD)CQuillcrestDoc::damagedTasks, doc.Data_GetDamagedSections());
    EXPECT_EQ(alpha, ReadNodeData(doc, dwA));
    // Never read as its contents: a reader is told it is damaged.
    EXPECT_TRUE(ReadNodeData(doc, dwB).empty());
    {
        CQlcNode nodeB(&doc, dwB);
        EXPECT_TRUE(nodeB.HasData());
        CQlcNodeData* pData = nodeB.GetDataForRead();
        ASSERT_NE(nullptr, pData);
        EXPECT_TRUE(pData->IsDamaged());
    }
    EXPECT_EQ(1, doc.Data_GetTaskCount());

    // The rest is edited and saved as usual.
    ASSERT_TRUE(WriteNodeData(doc, dwA, gamma, TRUE));
    ASSERT_TRUE(WriteNodeData(doc, AddNode(doc, QLC_NODE_NOTE, "Note C"), beta, TRUE));
    EXPECT_TRUE(doc.OnSaveDocument(strPath));
    EXPECT_TRUE(afx.boxes.empty());
    EXPECT_EQ(1u, prompts.boxes.size());
    doc.Data_ReleaseFiles();

    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, strPath));
    EXPECT_EQ(1u, prompts.boxes.size()) << "nothing damaged any more";
    const DWORD dwBackB = FindNodeByName(back, "Note B");
    ASSERT_NE(0u, dwBackB);
    // What the file held of it was kept: here its payload came whole, only
    // its size was wrong.
    CQlcNode nodeB(&back, dwBackB);
    EXPECT_TRUE(nodeB.HasData());
    EXPECT_EQ(beta, ReadNodeData(back, dwBackB));
    EXPECT_EQ(FindNodeByName(back, "Folder"), nodeB.GetRecord().dwParentId);
    QLCNODE_KEYWORDS keywords;
    ASSERT_TRUE(back.Data_GetNodeKeywords(dwBackB, keywords));
    CString strKeyword;
    ASSERT_EQ(1u, keywords.GetCount());
    EXPECT_TRUE(back.Data_GetKeywordText(keywords.keywordIds[0], strKeyword));
    EXPECT_STREQ("beta", strKeyword);
    QLCBOOKMARK bookmark;
    ASSERT_TRUE(back.Data_GetBookmark(0, bookmark));
    EXPECT_EQ(dwBackB, bookmark.dwNodeId);
    EXPECT_EQ(gamma, ReadNodeData(back, FindNodeByName(back, "Note A")));
    EXPECT_EQ(beta, ReadNodeData(back, FindNodeByName(back, "Note C")));
    // The task written first survived the cut whole.
    ASSERT_EQ(1, back.Data_GetTaskCount());
    QLCTASK task;
    ASSERT_TRUE(back.Data_GetTask(0, task));
    EXPECT_STREQ("task", task.strTitle.Right(4));
    EXPECT_STREQ("notes of the task", task.strNotes);
}

TEST(NotebookDamageTest, PayloadsPastTheEndAreCountedAndNamedOnlyUpToTen)
{
    CTempDir dir;
    const CString strPath = dir.Path("many.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        for (int i = 0; i < 12; ++i)
        {
            const DWORD dwNote = AddNode(doc, QLC_NODE_FOREIGN, ("n" + std::to_string(i)).c_str());
            ASSERT_TRUE(WriteNodeData(doc, dwNote, TextBytes(100, i), FALSE));
        }
        AddNode(doc, QLC_NODE_NOTE, "empty");
        doc.Data_SetNotebookPath(strPath);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    Bytes file = ReadFileBytes(strPath);
    for (int i = 0; i < 12; ++i)
    {
        // Offset or size: either puts the payload past the end.
        const size_t nRecord = RecordOf(file, ("n" + std::to_string(i)).c_str());
        if (i % 2)
            PutU32(file, nRecord, 0xFFFFFF00);
        else
            PutU32(file, nRecord + 20, 0xFFFFFFF0);
    }
    WriteFileBytes(strPath, file);

    CTestPrompts prompts;
    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, strPath));
    EXPECT_EQ(12u, doc.Data_GetDamagedNodes().size());
    ASSERT_EQ(1u, prompts.boxes.size());
    const std::string& text = prompts.boxes[0].text;
    EXPECT_EQ(0u, text.find("12 nodes of this notebook are damaged; their contents cannot be read:\n"));
    EXPECT_EQ(10u, CountOf(text, "\n    //n"));
    EXPECT_NE(std::string::npos, text.find("\n    and 2 more\n\n"));
    EXPECT_EQ(std::string::npos, text.find("These parts"));
    EXPECT_EQ(std::string::npos, text.find("//empty"));

    // Nothing past the end is copied, what the file holds is: the save goes
    // through, and the payloads whose size was wrong come back.
    doc.Data_SetNotebookPath(dir.Path("saved.qlc"));
    ASSERT_TRUE(doc.Data_WriteFile());
    doc.Data_CloseNotebookFiles();
    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, dir.Path("saved.qlc")));
    EXPECT_EQ(13, back.Data_GetNodeCount());
    EXPECT_TRUE(back.Data_GetDamagedNodes().empty());
    EXPECT_EQ(1u, prompts.boxes.size());
    for (int i = 0; i < 12; ++i)
    {
        const DWORD dwId = FindNodeByName(back, ("n" + std::to_string(i)).c_str());
        if (i % 2)
            EXPECT_FALSE(CQlcNode(&back, dwId).HasData()) << i;
        else
            EXPECT_EQ(TextBytes(100, i), ReadNodeData(back, dwId)) << i;
    }
}

TEST(NotebookDamageTest, AnImpossibleKeyLengthIsRefusedByEveryReaderWithoutAllocating)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    CTempDir dir;
    const CString strPath = dir.Path("keys.qlc");
    const Bytes secret = TextBytes(40000, 7);
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        for (auto entry : { std::make_pair(QLC_NODE_NOTE, "note"), std::make_pair(QLC_NODE_IMAGE, "image") })
        {
            const DWORD dwId = AddNode(doc, entry.first, entry.second);
            ASSERT_TRUE(WriteNodeData(doc, dwId, secret, TRUE));
            CQlcNode node(&doc, dwId);
            ASSERT_TRUE(node.SetEncryption(kAes, 32, kSha256, "pw", 2, nullptr, 0));
        }
        doc.Data_SetNotebookPath(strPath);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    Bytes file = ReadFileBytes(strPath);
    for (const char* pszName : { "note", "image" })
        PutU32(file, RecordOf(file, pszName) + 28, 0xFFFFFFF0);
    WriteFileBytes(strPath, file);

    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, strPath));
    const DWORD dwNote = FindNodeByName(doc, "note");
    const DWORD dwImage = FindNodeByName(doc, "image");
    QLCNODE before;
    ASSERT_TRUE(doc.Data_GetNode(dwNote, before));
    EXPECT_EQ(0xFFFFFFF0u, before.dwKeyLength);
    const Bytes storedBefore = ReadStoredPayload(doc, dwNote);

    const SIZE_T nPeakBefore = PeakWorkingSet();
    {
        CQlcNode node(&doc, dwNote);
        node.SetPassword(TRUE, "pw");
        CQlcNodeData* pData = node.GetDataForRead();
        ASSERT_NE(nullptr, pData);
        EXPECT_TRUE(pData->IsDamaged());
        BYTE buf[64];
        EXPECT_EQ(0u, pData->Get(buf, sizeof(buf)));
    }
    {
        CQlcNode node(&doc, dwNote);
        EXPECT_FALSE(node.CheckPassword("pw"));
    }
    {
        CQlcNode node(&doc, dwNote);
        node.SetPassword(TRUE, "pw");
        CQlcNodeData* pData = node.GetDataForWrite(TRUE);
        ASSERT_NE(nullptr, pData);
        pData->Put(secret.data(), 1000);
        EXPECT_FALSE(pData->Flush());
    }
    {
        CQlcNode node(&doc, dwNote);
        EXPECT_FALSE(node.SetEncryption(0, 0, 0, nullptr, 0, "pw", 2));
        EXPECT_FALSE(node.SetEncryption(kAes, 32, kSha256, "new", 3, "pw", 2));
    }
    {
        CQuillcrestDoc other;
        ASSERT_TRUE(other.OnNewDocument());
        CQlcNode copyAcross, copyWithin;
        EXPECT_FALSE(copyAcross.CopyTo(&other, CQlcNode(&doc, dwNote)));
        EXPECT_EQ(0, other.Data_GetNodeCount());
        EXPECT_FALSE(copyWithin.CopyTo(&doc, CQlcNode(&doc, dwNote)));
        EXPECT_EQ(2, doc.Data_GetNodeCount());
    }
    EXPECT_FALSE(doc.Data_CopyToFile(dwNote, dir.Path("out.txt")));
    EXPECT_FALSE(FileExists(dir.Path("out.txt")));
    char szError[QLC_EXPORT_ERROR_SIZE] = {};
    EXPECT_FALSE(doc.Data_ExportImage(dwImage, dir.Path("out"), 0, szError));
    EXPECT_FALSE(doc.Data_ExportImage(dwImage, dir.Path("out"), 7, szError));
    QLCSTREAMHANDLE handle = {};
    EXPECT_FALSE(doc.Data_OpenStream(dwNote, FALSE, handle, FALSE));
    EXPECT_FALSE(doc.Data_OpenStream(dwNote, TRUE, handle, TRUE));
    std::vector<BYTE> key;
    EXPECT_FALSE(crypt.handler.DeriveKey(kSha256, "pw", 2, key, 0xFFFFFFF0));
    EXPECT_TRUE(key.empty());
    const SIZE_T nPeakAfter = PeakWorkingSet();
    EXPECT_LT(nPeakAfter - nPeakBefore, (SIZE_T)64 * 1024 * 1024) << "nothing near the key length was allocated";

    // The node is kept as it is: saved with its record and stored bytes.
    QLCNODE after;
    ASSERT_TRUE(doc.Data_GetNode(dwNote, after));
    EXPECT_EQ(before.dwStoredSize, after.dwStoredSize);
    EXPECT_EQ(storedBefore, ReadStoredPayload(doc, dwNote));
    doc.Data_SetNotebookPath(dir.Path("again.qlc"));
    ASSERT_TRUE(doc.Data_WriteFile());
    doc.Data_CloseNotebookFiles();
    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, dir.Path("again.qlc")));
    const DWORD dwBack = FindNodeByName(back, "note");
    EXPECT_EQ(storedBefore, ReadStoredPayload(back, dwBack));
    BOOL bDamaged = FALSE;
    EXPECT_TRUE(ReadNodeData(back, dwBack, &bDamaged).empty());
    EXPECT_TRUE(bDamaged);
}
