// A notebook built through the document operations, saved, destroyed and
// opened again: every table and every payload byte comes back, also with
// notebook encryption and a node password; a failed save loses nothing; no
// temporary file of the notebook is left behind.
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "CryptTestSupport.h"
#include "DocOpsSupport.h"
#include "NotebookSnapshot.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kNotebookPassword[] = "notebook secret";
const char kNodePassword[] = "node secret";

struct CContent
{
    Bytes foreign = NoiseBytes(70000, 11);
    Bytes picture = EncodeTestPicture(7, 50, 40, 12);
    Bytes logo = EncodeTestPicture(7, 16, 16, 13);
    std::string note = "{\\rtf1\\ansi Meeting notes\\par Agenda\\par}";
    Bytes secret = TextBytes(40000, 14);
};

DWORD AddTask(CQuillcrestDoc& doc, LPCSTR lpszTitle, DWORD dwNode, LONG lBase)
{
    const DWORD dwId = doc.Data_AddTask();
    QLCTASK t;
    doc.Data_GetTask(dwId, t);
    t.strTitle = lpszTitle;
    t.dwFlags = dwNode ? (DWORD)QLC_TASKFLAG_LINKED : 0;
    t.dwLinkedNodeId = dwNode;
    t.lCreated = lBase;
    t.lStart = lBase + 60;
    t.lDue = lBase + 3600;
    t.nPriority = 4;
    t.bKept1 = 1;
    t.bKept2 = 2;
    t.lKept3 = 3;
    t.lKept4 = -4;
    t.lKept5 = 5;
    t.strNotes = "notes of ";
    t.strNotes += lpszTitle;
    doc.Data_SetTask(dwId, t);
    return dwId;
}

// A folder with a note written through the payload writer, a 70,000-byte
// foreign file, an uncompressed image, an empty foreign file, keywords, a
// bookmark, linked and unlinked tasks, a logo and, when asked, a node with
// a password.
void Build(CQuillcrestDoc& doc, const CTempDir& dir, const CContent& c, BOOL bNodePassword)
{
    ASSERT_TRUE(doc.OnNewDocument());
    doc.SetSortOptions(2, 1);
    CQlcNode folder;
    folder.Create(&doc, QLC_NODE_FOLDER, "Projects", 0);
    CQlcNode note;
    note.Create(&doc, QLC_NODE_NOTE, "Meeting", folder.GetId());
    ASSERT_TRUE(WriteNodeData(doc, note.GetId(), Bytes(c.note.begin(), c.note.end()), TRUE, 7));

    WriteFileBytes(dir.Path("archive.zip"), c.foreign);
    const DWORD dwForeign = doc.Data_AddForeignFromFile(dir.Path("archive.zip"), 0);
    ASSERT_NE(0u, dwForeign);
    CQlcNode foreign(&doc, dwForeign);
    foreign.SetParent(folder.GetId());
    foreign.Update(TRUE);

    WriteFileBytes(dir.Path("diagram.png"), c.picture);
    const DWORD dwImage = doc.Data_AddImageFromFile(dir.Path("diagram.png"), 7, FALSE);
    ASSERT_NE(0u, dwImage);
    WriteFileBytes(dir.Path("empty.bin"), Bytes());
    ASSERT_NE(0u, doc.Data_AddForeignFromFile(dir.Path("empty.bin"), 0));

    if (bNodePassword)
    {
        CQlcNode secret;
        secret.Create(&doc, QLC_NODE_NOTE, "Diary", folder.GetId());
        ASSERT_TRUE(secret.SetEncryption(kBlowfish, 16, kSha1, kNodePassword, (DWORD)strlen(kNodePassword), nullptr, 0));
        ASSERT_TRUE(WriteNodeData(doc, secret.GetId(), c.secret, TRUE));
    }

    QLCNODE_KEYWORDS keywords;
    keywords.dwNodeId = note.GetId();
    keywords.keywordIds = { doc.Data_GetKeywordId("Work"), doc.Data_GetKeywordId("minutes") };
    doc.Data_SetNodeKeywords(note.GetId(), keywords);
    keywords.dwNodeId = dwImage;
    keywords.keywordIds = { doc.Data_GetKeywordId("work") };
    doc.Data_SetNodeKeywords(dwImage, keywords);

    const DWORD dwMark = doc.Data_AddBookmark();
    QLCBOOKMARK mark;
    doc.Data_GetBookmark(dwMark, mark);
    mark.dwNodeId = note.GetId();
    mark.strName = "Last meeting";
    doc.Data_SetBookmark(dwMark, mark);

    AddTask(doc, "Review diagram", dwImage, 1700000000);
    AddTask(doc, "Call Ann", 0, 1700001000);

    WriteFileBytes(dir.Path("logo.png"), c.logo);
    doc.LoadLogoFromFile(dir.Path("logo.png"));
}

CNodePasswords Passwords(BOOL bNodePassword)
{
    CNodePasswords passwords;
    if (bNodePassword)
        passwords["//Projects/Diary"] = kNodePassword;
    return passwords;
}

void RunScenario(BOOL bEncryptNotebook, BOOL bNodePassword)
{
    CTempFilesWatch temps;
    {
        CTempDir dir;
        CTestPrompts prompts;
        CCryptInstall crypt;
        ASSERT_TRUE(crypt.handler.IsLoaded());
        const CContent c;
        const CString strPath = dir.Path("scenario.qlc");
        const CNodePasswords passwords = Passwords(bNodePassword);

        CNotebookSnapshot before;
        {
            CQuillcrestDoc doc;
            Build(doc, dir, c, bNodePassword);
            if (bEncryptNotebook)
            {
                ASSERT_TRUE(doc.Data_SetFileEncryption(crypt.handler.m_pfnGetDefaultCipher(), 32,
                                                       crypt.handler.m_pfnGetDefaultHash(), kNotebookPassword,
                                                       (DWORD)strlen(kNotebookPassword)));
            }
            before = TakeNotebookSnapshot(doc, passwords);
            ASSERT_EQ(bNodePassword ? 6u : 5u, before.plain.size() + 1); // every node but the folder
            doc.Data_SetNotebookPath(strPath);
            ASSERT_TRUE(doc.Data_WriteFile());
            ExpectSameNotebook(before, TakeNotebookSnapshot(doc, passwords));
        }

        CNotebookSnapshot withLate;
        {
            CQuillcrestDoc doc;
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_EQ(1, OpenNotebook(doc, strPath));
            EXPECT_EQ(bEncryptNotebook ? 1 : 0, prompts.nPasswordRequests);
            ExpectSameNotebook(before, TakeNotebookSnapshot(doc, passwords));

            // What went in comes out through the export operations.
            const DWORD dwForeign = FindNodeByPath(doc, "//Projects/archive");
            ASSERT_TRUE(doc.Data_CopyToFile(dwForeign, dir.Path("archive.out"), nullptr));
            EXPECT_TRUE(c.foreign == ReadFileBytes(dir.Path("archive.out")));
            CString strFinal;
            ASSERT_TRUE(doc.Data_ExportImage(FindNodeByPath(doc, "//diagram"), dir.Path("diagram.out"), 0, nullptr,
                                             &strFinal));
            EXPECT_STREQ(dir.Path("diagram.out.png"), strFinal);
            EXPECT_TRUE(c.picture == ReadFileBytes(strFinal));

            // A save that fails while the target is held open loses nothing:
            // the file stays as it was and the notebook stays whole. (Saved
            // once first: an opened notebook is held without sharing until
            // its first save.)
            ASSERT_TRUE(doc.Data_WriteFile());
            CQlcNode late;
            late.Create(&doc, QLC_NODE_NOTE, "Late", 0);
            ASSERT_TRUE(WriteNodeData(doc, late.GetId(), TextBytes(20000, 21), TRUE));
            withLate = TakeNotebookSnapshot(doc, passwords);
            const Bytes fileBefore = ReadFileBytes(strPath);
            ASSERT_FALSE(fileBefore.empty());
            HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
            EXPECT_FALSE(doc.Data_WriteFile());
            CloseHandle(hHold);
            EXPECT_TRUE(fileBefore == ReadFileBytes(strPath));
            ExpectSameNotebook(withLate, TakeNotebookSnapshot(doc, passwords));
            ASSERT_TRUE(doc.Data_WriteFile());
        }
        {
            CQuillcrestDoc doc;
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_EQ(1, OpenNotebook(doc, strPath));
            ExpectSameNotebook(withLate, TakeNotebookSnapshot(doc, passwords));
        }
    }
    EXPECT_TRUE(temps.Added().empty());
}

} // namespace

TEST(DocOpsEndToEndTest, APlainNotebookComesBackWhole)
{
    RunScenario(FALSE, FALSE);
}

TEST(DocOpsEndToEndTest, AnEncryptedNotebookComesBackWhole)
{
    RunScenario(TRUE, FALSE);
}

TEST(DocOpsEndToEndTest, ANodeWithAPasswordComesBackWholeInAPlainAndAnEncryptedNotebook)
{
    RunScenario(FALSE, TRUE);
    RunScenario(TRUE, TRUE);
}
