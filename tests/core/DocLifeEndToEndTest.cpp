// A notebook taken through the document's whole life as the program takes
// it: made new, filled, saved, destroyed, opened again and compared table by
// table and byte by byte; then a save that fails while the file is held open
// loses nothing, and a later save brings everything back. Plain, with
// notebook encryption and with a node password; no temporary file is left.
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "CryptTestSupport.h"
#include "DocLifeSupport.h"
#include "DocOpsSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <map>

namespace {

const char kNotebookPassword[] = "life of a notebook";
const char kNodePassword[] = "diary key";

std::string Format(LPCSTR lpszFormat, ...)
{
    char sz[1024];
    va_list args;
    va_start(args, lpszFormat);
    vsnprintf(sz, sizeof(sz), lpszFormat, args);
    va_end(args);
    return sz;
}

// A notebook's tables with nodes named by path (saving renumbers ids), and
// every payload stored and decoded.
struct CLifeSnapshot
{
    std::vector<std::string> lines;
    std::map<std::string, Bytes> stored;
    std::map<std::string, Bytes> plain;
};

std::string PathOf(CQuillcrestDoc& doc, DWORD dwNodeId)
{
    QLCNODE node;
    return doc.Data_GetNode(dwNodeId, node) ? std::string(doc.Data_GetNodePath(dwNodeId)) : std::string("-");
}

CLifeSnapshot TakeSnapshot(CQuillcrestDoc& doc, BOOL bNodePassword)
{
    CLifeSnapshot s;
    const QLCFILEHEADER& h = doc.GetHeader();
    s.lines.push_back(Format("header v%lu nodes=%lu flags=%lu sort=%u,%u created=%u-%u-%u", h.dwVersion,
                             h.dwNodeCount, h.dwFileFlags, h.wSortOption1, h.wSortOption2, h.stCreated.wYear,
                             h.stCreated.wMonth, h.stCreated.wDay));
    const QLCCRYPTHEADER& c = doc.GetCryptHeader();
    s.lines.push_back(Format("crypt %lu %lu %lu %lu %lu", c.dwCipherId, c.dwHashId, c.dwKeyLength,
                             c.dwVerifierLength, c.dwCheckBlockLength));
    s.lines.push_back(doc.HasLogo() ? Format("logo %dx%d", doc.GetLogoBitmap()->GetWidth(),
                                             doc.GetLogoBitmap()->GetHeight())
                                    : std::string("no logo"));

    std::vector<DWORD> ids;
    for (POSITION pos = doc.GetNodeTable().GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCNODE n;
        doc.GetNodeTable().GetNextAssoc(pos, dwId, n);
        ids.push_back(dwId);
    }
    for (DWORD dwId : ids)
    {
        QLCNODE n;
        doc.Data_GetNode(dwId, n);
        const std::string path = PathOf(doc, dwId);
        s.lines.push_back(Format("node %s type=%u icon=%u parent=%s flags=%lu stored=%lu plain=%lu crypt=%lu,%lu,%lu,%lu",
                                 path.c_str(), n.nType, n.wIcon, n.dwParentId ? PathOf(doc, n.dwParentId).c_str() : "0",
                                 n.dwFlags, n.dwStoredSize, n.dwPlainSize, n.dwKeyLength, n.dwHashId, n.dwCipherId,
                                 n.dwVerifierLength));
        QLCNODE_KEYWORDS keywords;
        if (doc.Data_GetNodeKeywords(dwId, keywords))
        {
            std::vector<std::string> texts;
            for (DWORD dwKeyword : keywords.keywordIds)
            {
                CString strText;
                doc.Data_GetKeywordText(dwKeyword, strText);
                texts.push_back((LPCSTR)strText);
            }
            std::string line = "keywords " + path;
            for (const std::string& t : texts)
                line += " " + t;
            s.lines.push_back(line);
        }
        if (CQlcNode::IsDataType(n.nType))
        {
            s.stored[path] = ReadStoredPayload(doc, dwId);
            if (bNodePassword && path == "//Projects/Diary")
                RememberPassword(doc, dwId, kNodePassword);
            BOOL bDamaged = FALSE;
            s.plain[path] = ReadNodeData(doc, dwId, &bDamaged);
            EXPECT_FALSE(bDamaged) << path;
        }
    }
    for (POSITION pos = doc.GetBookmarkTable().GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCBOOKMARK b;
        doc.GetBookmarkTable().GetNextAssoc(pos, dwId, b);
        s.lines.push_back(Format("bookmark %s -> %s", (LPCSTR)b.strName, PathOf(doc, b.dwNodeId).c_str()));
    }
    for (POSITION pos = doc.GetTaskTable().GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCTASK t;
        doc.GetTaskTable().GetNextAssoc(pos, dwId, t);
        s.lines.push_back(Format("task %s flags=%lu %ld,%ld,%ld p=%u %u,%u,%ld,%ld,%ld -> %s notes=%s",
                                 (LPCSTR)t.strTitle, t.dwFlags, t.lCreated, t.lStart, t.lDue, t.nPriority, t.bKept1,
                                 t.bKept2, t.lKept3, t.lKept4, t.lKept5,
                                 (t.dwFlags & QLC_TASKFLAG_LINKED) ? PathOf(doc, t.dwLinkedNodeId).c_str() : "-",
                                 (LPCSTR)t.strNotes));
    }
    std::sort(s.lines.begin(), s.lines.end());
    return s;
}

void ExpectSameNotebook(const CLifeSnapshot& expected, const CLifeSnapshot& actual)
{
    EXPECT_EQ(expected.lines, actual.lines);
    ASSERT_EQ(expected.stored.size(), actual.stored.size());
    for (const auto& entry : expected.stored)
    {
        auto it = actual.stored.find(entry.first);
        ASSERT_NE(actual.stored.end(), it) << entry.first;
        EXPECT_TRUE(entry.second == it->second) << "stored bytes of " << entry.first;
        EXPECT_TRUE(expected.plain.at(entry.first) == actual.plain.at(entry.first)) << "data of " << entry.first;
    }
}

void AddTask(CQuillcrestDoc& doc, LPCSTR lpszTitle, DWORD dwNode, LONG lBase)
{
    const DWORD dwId = doc.Data_AddTask();
    QLCTASK t;
    doc.Data_GetTask(dwId, t);
    t.strTitle = lpszTitle;
    t.dwFlags = dwNode ? (DWORD)QLC_TASKFLAG_LINKED : 0;
    t.dwLinkedNodeId = dwNode;
    t.lCreated = lBase;
    t.lStart = lBase + 10;
    t.lDue = lBase + 86400;
    t.nPriority = 5;
    t.bKept1 = 7;
    t.lKept3 = -1;
    t.lKept5 = 9;
    t.strNotes = "remember ";
    t.strNotes += lpszTitle;
    doc.Data_SetTask(dwId, t);
}

// Fills a new notebook the way the user interface would.
void Fill(CQuillcrestDoc& doc, const CTempDir& dir, BOOL bNodePassword)
{
    doc.SetSortOptions(1, 0);
    CQlcNode folder;
    folder.Create(&doc, QLC_NODE_FOLDER, "Projects", 0);
    CQlcNode note;
    note.Create(&doc, QLC_NODE_NOTE, "Meeting", folder.GetId());
    const std::string rtf = "{\\rtf1\\ansi Minutes\\par Decisions\\par}";
    ASSERT_TRUE(WriteNodeData(doc, note.GetId(), Bytes(rtf.begin(), rtf.end()), TRUE, 9));

    WriteFileBytes(dir.Path("backup.bin"), NoiseBytes(70000, 31));
    const DWORD dwForeign = doc.Data_AddForeignFromFile(dir.Path("backup.bin"), 0);
    ASSERT_NE(0u, dwForeign);
    CQlcNode foreign(&doc, dwForeign);
    foreign.SetParent(folder.GetId());
    foreign.Update(TRUE);

    WriteFileBytes(dir.Path("plan.png"), EncodeTestPicture(7, 40, 30, 32));
    const DWORD dwImage = doc.Data_AddImageFromFile(dir.Path("plan.png"), 7, FALSE);
    ASSERT_NE(0u, dwImage);

    if (bNodePassword)
    {
        CQlcNode diary;
        diary.Create(&doc, QLC_NODE_NOTE, "Diary", folder.GetId());
        ASSERT_TRUE(diary.SetEncryption(kAes, 24, kSha256, kNodePassword, (DWORD)strlen(kNodePassword), nullptr, 0));
        ASSERT_TRUE(WriteNodeData(doc, diary.GetId(), TextBytes(25000, 33), TRUE));
    }

    QLCNODE_KEYWORDS keywords;
    keywords.dwNodeId = note.GetId();
    keywords.keywordIds = { doc.Data_GetKeywordId("Plans"), doc.Data_GetKeywordId("weekly") };
    doc.Data_SetNodeKeywords(note.GetId(), keywords);
    keywords.dwNodeId = dwImage;
    keywords.keywordIds = { doc.Data_GetKeywordId("plans") };
    doc.Data_SetNodeKeywords(dwImage, keywords);

    const DWORD dwMark = doc.Data_AddBookmark();
    QLCBOOKMARK mark;
    doc.Data_GetBookmark(dwMark, mark);
    mark.dwNodeId = note.GetId();
    mark.strName = "This week";
    doc.Data_SetBookmark(dwMark, mark);

    AddTask(doc, "Print the plan", dwImage, 1710000000);
    AddTask(doc, "Book a room", 0, 1710003600);

    WriteFileBytes(dir.Path("logo.png"), EncodeTestPicture(7, 24, 24, 34));
    doc.LoadLogoFromFile(dir.Path("logo.png"));
}

void RunLife(BOOL bEncryptNotebook, BOOL bNodePassword)
{
    SCOPED_TRACE(Format("notebook encryption %d, node password %d", bEncryptNotebook, bNodePassword));
    CTempFilesWatch temps;
    {
        CTempDir dir;
        CTestPrompts prompts;
        CAfxBoxes afx;
        CCryptInstall crypt;
        ASSERT_TRUE(crypt.handler.IsLoaded());
        const CString strPath = dir.Path("life.qlc");

        CLifeSnapshot saved;
        {
            CQuillcrestDoc doc;
            CLifeFrame frame(doc);
            frame.bTasksVisible = TRUE;
            ASSERT_TRUE(doc.OnNewDocument());
            Fill(doc, dir, bNodePassword);
            if (::testing::Test::HasFatalFailure())
                return;
            if (bEncryptNotebook)
            {
                ASSERT_TRUE(doc.Data_SetFileEncryption(kAes, 32, kSha256, kNotebookPassword,
                                                       (DWORD)strlen(kNotebookPassword)));
            }
            ASSERT_TRUE(doc.IsModified());
            ASSERT_TRUE(doc.OnSaveDocument(strPath));
            EXPECT_FALSE(doc.IsModified());
            EXPECT_EQ(1, frame.nSaves);
            saved = TakeSnapshot(doc, bNodePassword);
            EXPECT_EQ(bNodePassword ? 4u : 3u, saved.plain.size());
        }

        CLifeSnapshot withLate;
        {
            CQuillcrestDoc doc;
            CLifeFrame frame(doc);
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_TRUE(doc.OnOpenDocument(strPath));
            EXPECT_EQ(1, QlcApp().GetLastReadResult());
            EXPECT_EQ(1, frame.nLoaded);
            EXPECT_EQ(bEncryptNotebook ? 1 : 0, prompts.nPasswordRequests);
            EXPECT_EQ(bEncryptNotebook, doc.IsSourceDecryptedCopy());
            EXPECT_FALSE(doc.IsModified());
            ExpectSameNotebook(saved, TakeSnapshot(doc, bNodePassword));
            EXPECT_FALSE(doc.IsModified()) << "reading everything changes nothing";

            // Saved once: from then on the file is shared for reading, so
            // someone else can hold it open and make the next save fail.
            ASSERT_TRUE(doc.OnSaveDocument(strPath));
            CQlcNode late;
            late.Create(&doc, QLC_NODE_NOTE, "Late", 0);
            ASSERT_TRUE(WriteNodeData(doc, late.GetId(), TextBytes(12000, 35), TRUE));
            withLate = TakeSnapshot(doc, bNodePassword);
            const Bytes fileBefore = ReadFileBytes(strPath);

            HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
            EXPECT_FALSE(doc.OnSaveDocument(strPath));
            CloseHandle(hHold);
            EXPECT_TRUE(doc.IsModified());
            EXPECT_TRUE(fileBefore == ReadFileBytes(strPath));
            ExpectSameNotebook(withLate, TakeSnapshot(doc, bNodePassword));
            ASSERT_EQ(1u, afx.boxes.size());
            EXPECT_EQ("Failed to save document.", afx.boxes[0].text);

            ASSERT_TRUE(doc.OnSaveDocument(strPath));
            EXPECT_FALSE(doc.IsModified());
        }
        {
            CQuillcrestDoc doc;
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_TRUE(doc.OnOpenDocument(strPath));
            ExpectSameNotebook(withLate, TakeSnapshot(doc, bNodePassword));
        }
        EXPECT_EQ(1u, afx.boxes.size());
        EXPECT_EQ(bEncryptNotebook ? 2 : 0, prompts.nPasswordRequests);
        EXPECT_TRUE(prompts.boxes.empty());
    }
    EXPECT_EQ(std::vector<std::string>(), temps.Added());
}

} // namespace

TEST(DocLifeEndToEndTest, APlainNotebookLivesThroughNewSaveCloseAndOpen)
{
    RunLife(FALSE, FALSE);
}

TEST(DocLifeEndToEndTest, AnEncryptedNotebookLivesThroughNewSaveCloseAndOpen)
{
    RunLife(TRUE, FALSE);
}

TEST(DocLifeEndToEndTest, ANodeWithAPasswordLivesThroughItInAPlainAndAnEncryptedNotebook)
{
    RunLife(FALSE, TRUE);
    RunLife(TRUE, TRUE);
}
