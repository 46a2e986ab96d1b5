// A notebook built through the document operations, saved, destroyed and
// opened again: every table and every payload byte comes back, also with
// notebook encryption and a node password; a failed save loses nothing; no
// temporary file of the notebook is left behind.
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "CryptTestSupport.h"
#include "DocOpsSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {

const char kNotebookPassword[] = "notebook secret";
const char kNodePassword[] = "node secret";

// Everything a notebook holds, with nodes named by path (the file renumbers
// node, bookmark and task ids).
struct CSnapshot
{
    std::vector<std::string> lines;
    std::map<std::string, Bytes> stored;
    std::map<std::string, Bytes> plain;

    bool operator==(const CSnapshot& o) const { return lines == o.lines && stored == o.stored && plain == o.plain; }
};

std::string Format(LPCSTR lpszFormat, ...)
{
    char sz[1024];
    va_list args;
    va_start(args, lpszFormat);
    vsnprintf(sz, sizeof(sz), lpszFormat, args);
    va_end(args);
    return sz;
}

std::string PathOf(CQuillcrestDoc& doc, DWORD dwNodeId)
{
    QLCNODE node;
    return doc.Data_GetNode(dwNodeId, node) ? std::string(doc.Data_GetNodePath(dwNodeId)) : "(none)";
}

// The encrypted nodes are read with the password given for them.
CSnapshot Snapshot(CQuillcrestDoc& doc, const std::map<std::string, std::string>& passwords)
{
    CSnapshot s;
    const QLCFILEHEADER& h = doc.GetHeader();
    s.lines.push_back(Format("header version=%lu nodes=%lu flags=%lu sort=%u,%u", h.dwVersion, h.dwNodeCount,
                             h.dwFileFlags, h.wSortOption1, h.wSortOption2));
    const QLCCRYPTHEADER& c = doc.GetCryptHeader();
    s.lines.push_back(Format("crypt cipher=%lu hash=%lu key=%lu verifier=%lu check=%lu", c.dwCipherId, c.dwHashId,
                             c.dwKeyLength, c.dwVerifierLength, c.dwCheckBlockLength));
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
        std::string line = Format("node %s type=%u spare=%u icon=%u parent=%s flags=%lu stored=%lu plain=%lu "
                                  "key=%lu hash=%lu cipher=%lu verifier=%lu reserved=",
                                  path.c_str(), n.nType, n.bSpare, n.wIcon,
                                  n.dwParentId ? PathOf(doc, n.dwParentId).c_str() : "0", n.dwFlags, n.dwStoredSize,
                                  n.dwPlainSize, n.dwKeyLength, n.dwHashId, n.dwCipherId, n.dwVerifierLength);
        for (DWORD dw : n.dwReserved)
            line += Format("%lu,", dw);
        s.lines.push_back(line);

        QLCNODE_KEYWORDS keywords;
        if (doc.Data_GetNodeKeywords(dwId, keywords))
        {
            std::string list = "keywords of " + path + ":";
            for (DWORD dwKeyword : keywords.keywordIds)
                list += Format(" %lu", dwKeyword);
            s.lines.push_back(list);
        }
        if (CQlcNode::IsDataType(n.nType))
        {
            s.stored[path] = ReadStoredPayload(doc, dwId);
            auto it = passwords.find(path);
            if (it != passwords.end())
                RememberPassword(doc, dwId, it->second.c_str());
            BOOL bDamaged = FALSE;
            s.plain[path] = ReadNodeData(doc, dwId, &bDamaged);
            EXPECT_FALSE(bDamaged) << path;
        }
    }
    for (POSITION pos = doc.GetKeywordTable().GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        CString strText;
        doc.GetKeywordTable().GetNextAssoc(pos, dwId, strText);
        s.lines.push_back(Format("keyword %lu %s", dwId, (LPCSTR)strText));
    }
    for (POSITION pos = doc.GetBookmarkTable().GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCBOOKMARK b;
        doc.GetBookmarkTable().GetNextAssoc(pos, dwId, b);
        s.lines.push_back(Format("bookmark %s node=%s kept=%lu,%lu", (LPCSTR)b.strName,
                                 PathOf(doc, b.dwNodeId).c_str(), b.dwKept1, b.dwKept2));
    }
    for (POSITION pos = doc.GetTaskTable().GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCTASK t;
        doc.GetTaskTable().GetNextAssoc(pos, dwId, t);
        s.lines.push_back(Format("task %s flags=%lu times=%ld,%ld,%ld priority=%u kept=%u,%u,%ld,%ld,%ld node=%s notes=%s",
                                 (LPCSTR)t.strTitle, t.dwFlags, t.lCreated, t.lStart, t.lDue, t.nPriority, t.bKept1,
                                 t.bKept2, t.lKept3, t.lKept4, t.lKept5,
                                 (t.dwFlags & QLC_TASKFLAG_LINKED) ? PathOf(doc, t.dwLinkedNodeId).c_str() : "-",
                                 (LPCSTR)t.strNotes));
    }
    std::sort(s.lines.begin(), s.lines.end());
    return s;
}

void ExpectSame(const CSnapshot& expected, const CSnapshot& actual)
{
    EXPECT_EQ(expected.lines, actual.lines);
    ASSERT_EQ(expected.stored.size(), actual.stored.size());
    for (const auto& entry : expected.stored)
    {
        auto it = actual.stored.find(entry.first);
        ASSERT_NE(actual.stored.end(), it) << entry.first;
        EXPECT_TRUE(entry.second == it->second) << "stored bytes of " << entry.first;
    }
    for (const auto& entry : expected.plain)
    {
        auto it = actual.plain.find(entry.first);
        ASSERT_NE(actual.plain.end(), it) << entry.first;
        EXPECT_TRUE(entry.second == it->second) << "data of " << entry.first;
    }
}

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

std::map<std::string, std::string> Passwords(BOOL bNodePassword)
{
    std::map<std::string, std::string> passwords;
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
        const std::map<std::string, std::string> passwords = Passwords(bNodePassword);

        CSnapshot before;
        {
            CQuillcrestDoc doc;
            Build(doc, dir, c, bNodePassword);
            if (bEncryptNotebook)
            {
                ASSERT_TRUE(doc.Data_SetFileEncryption(crypt.handler.m_pfnGetDefaultCipher(), 32,
                                                       crypt.handler.m_pfnGetDefaultHash(), kNotebookPassword,
                                                       (DWORD)strlen(kNotebookPassword)));
            }
            before = Snapshot(doc, passwords);
            ASSERT_EQ(bNodePassword ? 6u : 5u, before.plain.size() + 1); // every node but the folder
            doc.Data_SetNotebookPath(strPath);
            ASSERT_TRUE(doc.Data_WriteFile());
            ExpectSame(before, Snapshot(doc, passwords));
        }

        CSnapshot withLate;
        {
            CQuillcrestDoc doc;
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_EQ(1, OpenNotebook(doc, strPath));
            EXPECT_EQ(bEncryptNotebook ? 1 : 0, prompts.nPasswordRequests);
            ExpectSame(before, Snapshot(doc, passwords));

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
            withLate = Snapshot(doc, passwords);
            const Bytes fileBefore = ReadFileBytes(strPath);
            ASSERT_FALSE(fileBefore.empty());
            HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
            EXPECT_FALSE(doc.Data_WriteFile());
            CloseHandle(hHold);
            EXPECT_TRUE(fileBefore == ReadFileBytes(strPath));
            ExpectSame(withLate, Snapshot(doc, passwords));
            ASSERT_TRUE(doc.Data_WriteFile());
        }
        {
            CQuillcrestDoc doc;
            if (bEncryptNotebook)
                prompts.passwords.push_back(kNotebookPassword);
            ASSERT_EQ(1, OpenNotebook(doc, strPath));
            ExpectSame(withLate, Snapshot(doc, passwords));
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
