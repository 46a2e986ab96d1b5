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
#include "NotebookSnapshot.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kNotebookPassword[] = "life of a notebook";
const char kNodePassword[] = "diary key";

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
    SCOPED_TRACE(::testing::Message() << "notebook encryption " << bEncryptNotebook << ", node password "
                                      << bNodePassword);
    CTempFilesWatch temps;
    {
        CTempDir dir;
        CTestPrompts prompts;
        CAfxBoxes afx;
        CCryptInstall crypt;
        ASSERT_TRUE(crypt.handler.IsLoaded());
        const CString strPath = dir.Path("life.qlc");
        CNodePasswords passwords;
        if (bNodePassword)
            passwords["//Projects/Diary"] = kNodePassword;

        CNotebookSnapshot saved;
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
            saved = TakeNotebookSnapshot(doc, passwords);
            EXPECT_EQ(bNodePassword ? 4u : 3u, saved.plain.size());
        }

        CNotebookSnapshot withLate;
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
            ExpectSameNotebook(saved, TakeNotebookSnapshot(doc, passwords));
            EXPECT_FALSE(doc.IsModified()) << "reading everything changes nothing";

            // Saved once: from then on the file is shared for reading, so
            // someone else can hold it open and make the next save fail.
            ASSERT_TRUE(doc.OnSaveDocument(strPath));
            CQlcNode late;
            late.Create(&doc, QLC_NODE_NOTE, "Late", 0);
            ASSERT_TRUE(WriteNodeData(doc, late.GetId(), TextBytes(12000, 35), TRUE));
            withLate = TakeNotebookSnapshot(doc, passwords);
            const Bytes fileBefore = ReadFileBytes(strPath);

            HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
            EXPECT_FALSE(doc.OnSaveDocument(strPath));
            CloseHandle(hHold);
            EXPECT_TRUE(doc.IsModified());
            EXPECT_TRUE(fileBefore == ReadFileBytes(strPath));
            ExpectSameNotebook(withLate, TakeNotebookSnapshot(doc, passwords));
            EXPECT_TRUE(afx.boxes.empty());
            ASSERT_EQ(1u, prompts.boxes.size());
            EXPECT_NE(std::string::npos, prompts.boxes[0].text.find("The file could not be replaced"));
            prompts.boxes.clear();

            ASSERT_TRUE(doc.OnSaveDocument(strPath));
            EXPECT_FALSE(doc.IsModified());
        }
        {
            CQuillcrestDoc doc;
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_TRUE(doc.OnOpenDocument(strPath));
            ExpectSameNotebook(withLate, TakeNotebookSnapshot(doc, passwords));
        }
        EXPECT_TRUE(afx.boxes.empty());
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
