// Document operations on the tables: branch delete, node paths, keyword
// lists, relinking, task links and the notebook logo.
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLTextException.h"
#include "imaging/PLWinBmp.h"

#include "CryptTestSupport.h"
#include "DocOpsSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

DWORD AddTask(CQuillcrestDoc& doc, LPCSTR lpszTitle, DWORD dwLinkedNode)
{
    const DWORD dwId = doc.Data_AddTask();
    QLCTASK task;
    doc.Data_GetTask(dwId, task);
    task.strTitle = lpszTitle;
    if (dwLinkedNode != 0)
    {
        task.dwFlags = QLC_TASKFLAG_LINKED;
        task.dwLinkedNodeId = dwLinkedNode;
    }
    doc.Data_SetTask(dwId, task);
    return dwId;
}

void SetKeywords(CQuillcrestDoc& doc, DWORD dwNodeId, std::initializer_list<LPCSTR> texts)
{
    QLCNODE_KEYWORDS keywords;
    keywords.dwNodeId = dwNodeId;
    for (LPCSTR lpsz : texts)
        keywords.keywordIds.push_back(doc.Data_GetKeywordId(lpsz));
    doc.Data_SetNodeKeywords(dwNodeId, keywords);
}

BOOL HasKeyword(const CQuillcrestDoc& doc, LPCSTR lpszText)
{
    CQlcDocLock::CScoped tableLock46(doc.GetLock());
    for (POSITION pos = doc.GetKeywordTable(tableLock46).GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        CString strText;
        CQlcDocLock::CScoped tableLock50(doc.GetLock());
        doc.GetKeywordTable(tableLock50).GetNextAssoc(pos, dwId, strText);
        if (strText == lpszText)
            return TRUE;
    }
    return FALSE;
}

QLCTASK TaskOf(const CQuillcrestDoc& doc, DWORD dwTaskId)
{
    QLCTASK task;
    EXPECT_TRUE(doc.Data_GetTask(dwTaskId, task));
    return task;
}

// Installs a default logo as the application's for the object's lifetime.
class CDefaultLogo
{
public:
    CDefaultLogo()
    {
        FillTestPicture(bmp, 5, 4, 9);
        QlcApp().SetDefaultLogo(&bmp);
    }
    ~CDefaultLogo() { QlcApp().SetDefaultLogo(nullptr); }
    PLWinBmp bmp;
};

DWORD U32At(const Bytes& b, size_t i)
{
    return (DWORD)b.at(i) | ((DWORD)b.at(i + 1) << 8) | ((DWORD)b.at(i + 2) << 16) | ((DWORD)b.at(i + 3) << 24);
}

} // namespace

// A folder with a sub-folder, notes in both, keyword lists (one keyword also
// used outside) and tasks linked inside and outside the branch.
TEST(DocOpsTest, DeletingABranchRemovesEverythingBelowIt)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "Folder");
    const DWORD dwSub = AddNode(doc, QLC_NODE_FOLDER, "Sub", dwFolder);
    const DWORD dwNoteA = AddNode(doc, QLC_NODE_NOTE, "A", dwFolder);
    const DWORD dwNoteB = AddNode(doc, QLC_NODE_NOTE, "B", dwSub);
    const DWORD dwOutside = AddNode(doc, QLC_NODE_NOTE, "Outside");
    ASSERT_TRUE(WriteNodeData(doc, dwNoteB, TextBytes(3000), TRUE));
    SetKeywords(doc, dwFolder, { "folderword" });
    SetKeywords(doc, dwNoteA, { "alpha", "Shared" });
    SetKeywords(doc, dwNoteB, { "beta", "alpha" });
    SetKeywords(doc, dwOutside, { "shared" });
    const DWORD dwTaskB = AddTask(doc, "on B", dwNoteB);
    const DWORD dwTaskFolder = AddTask(doc, "on folder", dwFolder);
    const DWORD dwTaskOutside = AddTask(doc, "on outside", dwOutside);
    const DWORD dwTaskFree = AddTask(doc, "unlinked", 0);
    ASSERT_EQ(5u, doc.GetHeader().dwNodeCount);

    CFrameRecorder frame(doc);
    doc.SetModified(FALSE);
    doc.Data_DeleteNode(dwFolder);

    EXPECT_TRUE(doc.GetModifiedFlag());
    EXPECT_EQ(1u, doc.GetHeader().dwNodeCount);
    EXPECT_EQ(1, doc.Data_GetNodeCount());
    QLCNODE node;
    QLCDATALOC loc;
    QLCNODE_KEYWORDS keywords;
    for (DWORD dwId : { dwFolder, dwSub, dwNoteA, dwNoteB })
    {
        EXPECT_FALSE(doc.Data_GetNode(dwId, node)) << dwId;
        EXPECT_FALSE(doc.Data_GetDataLoc(dwId, loc)) << dwId;
        EXPECT_FALSE(doc.Data_GetNodeKeywords(dwId, keywords)) << dwId;
    }
    EXPECT_TRUE(doc.Data_GetNode(dwOutside, node));
    EXPECT_TRUE(doc.Data_GetDataLoc(dwOutside, loc));

    // Keywords only the branch used are gone; the shared one stays.
    EXPECT_EQ(1, doc.Data_GetKeywordCount());
    EXPECT_TRUE(HasKeyword(doc, "shared"));
    ASSERT_TRUE(doc.Data_GetNodeKeywords(dwOutside, keywords));
    EXPECT_EQ(1u, keywords.GetCount());

    // Tasks of the branch are unlinked and redrawn; the others are untouched.
    for (DWORD dwTask : { dwTaskB, dwTaskFolder })
    {
        const QLCTASK task = TaskOf(doc, dwTask);
        EXPECT_EQ(0u, task.dwFlags & QLC_TASKFLAG_LINKED) << dwTask;
        EXPECT_EQ(0u, task.dwLinkedNodeId) << dwTask;
    }
    EXPECT_EQ((DWORD)QLC_TASKFLAG_LINKED, TaskOf(doc, dwTaskOutside).dwFlags);
    EXPECT_EQ(dwOutside, TaskOf(doc, dwTaskOutside).dwLinkedNodeId);
    EXPECT_EQ(0u, TaskOf(doc, dwTaskFree).dwFlags);
    std::vector<DWORD> updated = frame.updatedTasks;
    std::sort(updated.begin(), updated.end());
    EXPECT_EQ((std::vector<DWORD>{ dwTaskB, dwTaskFolder }), updated);

    // Ids are not given out again.
    EXPECT_EQ(dwOutside + 1, AddNode(doc, QLC_NODE_NOTE, "Later"));
    EXPECT_EQ(2u, doc.GetHeader().dwNodeCount);
}

TEST(DocOpsTest, ABranchIsCollectedWithEachFolderAfterItsContents)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwTop = AddNode(doc, QLC_NODE_FOLDER, "Top");
    const DWORD dwSub = AddNode(doc, QLC_NODE_FOLDER, "Sub", dwTop);
    const DWORD dwDeep = AddNode(doc, QLC_NODE_FOLDER, "Deep", dwSub);
    const DWORD dwLeaf1 = AddNode(doc, QLC_NODE_NOTE, "Leaf1", dwDeep);
    const DWORD dwLeaf2 = AddNode(doc, QLC_NODE_NOTE, "Leaf2", dwSub);
    const DWORD dwLeaf3 = AddNode(doc, QLC_NODE_NOTE, "Leaf3", dwTop);
    AddNode(doc, QLC_NODE_NOTE, "Elsewhere");

    std::vector<DWORD> ids;
    doc.Data_CollectChildren(dwTop, ids);
    std::vector<DWORD> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ((std::vector<DWORD>{ dwSub, dwDeep, dwLeaf1, dwLeaf2, dwLeaf3 }), sorted);
    auto at = [&](DWORD dw) { return std::find(ids.begin(), ids.end(), dw) - ids.begin(); };
    EXPECT_LT(at(dwLeaf1), at(dwDeep));
    EXPECT_LT(at(dwDeep), at(dwSub));
    EXPECT_LT(at(dwLeaf2), at(dwSub));
}

// A branch tens of thousands of folders deep is collected in one pass over
// the table, without a call per level, deepest first; deleting it leaves
// only what lay outside.
TEST(DocOpsTest, AVeryDeepBranchIsCollectedAndDeleted)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwOutside = AddNode(doc, QLC_NODE_NOTE, "Outside");
    std::vector<DWORD> chain;
    DWORD dwParent = 0;
    for (int i = 0; i < 30000; ++i)
    {
        dwParent = AddNode(doc, QLC_NODE_FOLDER, "F", dwParent);
        chain.push_back(dwParent);
    }
    const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Bottom", dwParent);
    const DWORD dwBeside = AddNode(doc, QLC_NODE_NOTE, "Beside", chain[0]);

    std::vector<DWORD> ids;
    doc.Data_CollectChildren(chain[0], ids);
    std::vector<DWORD> expected(1, dwNote);
    expected.insert(expected.end(), chain.rbegin(), chain.rend() - 1);
    // Beside is a child of the top folder: after the whole chain below it
    // when it comes later in table order than the chain's first folder,
    // before it otherwise.
    BOOL bBesideFirst = FALSE;
    {
        CQlcDocLock::CScoped tableLock(doc.GetLock());
        const CQlcNodeMap& table = doc.GetNodeTable(tableLock);
        for (POSITION pos = table.GetStartPosition(); pos != nullptr;)
        {
            DWORD dwId;
            QLCNODE node;
            table.GetNextAssoc(pos, dwId, node);
            if (dwId == dwBeside || dwId == chain[1])
            {
                bBesideFirst = dwId == dwBeside;
                break;
            }
        }
    }
    const auto at = std::find(ids.begin(), ids.end(), dwBeside);
    ASSERT_NE(ids.end(), at);
    EXPECT_EQ(bBesideFirst ? ids.begin() : ids.end() - 1, at) << (bBesideFirst ? "first" : "last");
    ids.erase(at);
    EXPECT_EQ(expected, ids);

    doc.Data_DeleteNode(chain[0]);
    EXPECT_EQ(1, doc.Data_GetNodeCount());
    EXPECT_EQ(1u, doc.GetHeader().dwNodeCount);
    QLCNODE node;
    EXPECT_TRUE(doc.Data_GetNode(dwOutside, node));
}

// Parents that form a loop (a damaged file) must not hang the delete.
TEST(DocOpsTest, DeletingFoldersWhoseParentsFormALoopEnds)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwA = AddNode(doc, QLC_NODE_FOLDER, "A");
    const DWORD dwB = AddNode(doc, QLC_NODE_FOLDER, "B", dwA);
    const DWORD dwC = AddNode(doc, QLC_NODE_NOTE, "C", dwB);
    const DWORD dwKeep = AddNode(doc, QLC_NODE_NOTE, "Keep");
    QLCNODE node;
    doc.Data_GetNode(dwA, node);
    node.dwParentId = dwB;
    doc.Data_SetNode(dwA, node);

    EXPECT_STREQ("//A/B/C", doc.Data_GetNodePath(dwC));
    doc.Data_DeleteNode(dwA);
    EXPECT_EQ(1, doc.Data_GetNodeCount());
    EXPECT_EQ(1u, doc.GetHeader().dwNodeCount);
    EXPECT_TRUE(doc.Data_GetNode(dwKeep, node));
}

TEST(DocOpsTest, DeletingANodeThatDoesNotExistChangesNothing)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_NOTE, "Top");
    doc.SetModified(FALSE);
    doc.Data_DeleteNode(0);
    doc.Data_DeleteNode(77);
    EXPECT_EQ(1, doc.Data_GetNodeCount());
    EXPECT_EQ(1u, doc.GetHeader().dwNodeCount);
    EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST(DocOpsTest, NodePathsNameEveryAncestorFromTheTop)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwTop = AddNode(doc, QLC_NODE_NOTE, "Top note");
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "Work");
    const DWORD dwInFolder = AddNode(doc, QLC_NODE_NOTE, "Plan", dwFolder);
    const DWORD dwSub = AddNode(doc, QLC_NODE_FOLDER, "2024", dwFolder);
    const DWORD dwDeep = AddNode(doc, QLC_NODE_IMAGE, "scan", dwSub);
    const DWORD dwOrphan = AddNode(doc, QLC_NODE_NOTE, "Orphan", 999);

    EXPECT_STREQ("//Top note", doc.Data_GetNodePath(dwTop));
    EXPECT_STREQ("//Work", doc.Data_GetNodePath(dwFolder));
    EXPECT_STREQ("//Work/Plan", doc.Data_GetNodePath(dwInFolder));
    EXPECT_STREQ("//Work/2024/scan", doc.Data_GetNodePath(dwDeep));
    // A parent that is not in the table ends the walk.
    EXPECT_STREQ("//Orphan", doc.Data_GetNodePath(dwOrphan));
    EXPECT_STREQ("//", doc.Data_GetNodePath(12345));
}

TEST(DocOpsTest, ReplacingKeywordsDropsOnlyThoseNoNodeUses)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwOne = AddNode(doc, QLC_NODE_NOTE, "one");
    const DWORD dwTwo = AddNode(doc, QLC_NODE_NOTE, "two");
    SetKeywords(doc, dwOne, { "red", "green", "blue" });
    SetKeywords(doc, dwTwo, { "green" });
    const DWORD dwBlue = doc.Data_GetKeywordId("blue");
    doc.SetModified(FALSE);

    SetKeywords(doc, dwOne, { "blue", "yellow" });
    EXPECT_FALSE(doc.GetModifiedFlag());
    EXPECT_FALSE(HasKeyword(doc, "red"));   // nobody has it any more
    EXPECT_TRUE(HasKeyword(doc, "green"));  // node two still has it
    EXPECT_TRUE(HasKeyword(doc, "blue"));   // kept by the new list
    EXPECT_TRUE(HasKeyword(doc, "yellow"));
    EXPECT_EQ(dwBlue, doc.Data_GetKeywordId("BLUE"));
    QLCNODE_KEYWORDS keywords;
    ASSERT_TRUE(doc.Data_GetNodeKeywords(dwOne, keywords));
    EXPECT_EQ(2u, keywords.GetCount());

    // Emptying the list drops the rest.
    SetKeywords(doc, dwOne, {});
    EXPECT_FALSE(HasKeyword(doc, "blue"));
    EXPECT_FALSE(HasKeyword(doc, "yellow"));
    EXPECT_EQ(1, doc.Data_GetKeywordCount());
}

TEST(DocOpsTest, RelinkingMovesBookmarksAndLinkedTasksOnly)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwOld = AddNode(doc, QLC_NODE_NOTE, "old");
    const DWORD dwNew = AddNode(doc, QLC_NODE_NOTE, "new");
    const DWORD dwOther = AddNode(doc, QLC_NODE_NOTE, "other");
    const DWORD dwMark = doc.Data_AddBookmark();
    const DWORD dwOtherMark = doc.Data_AddBookmark();
    QLCBOOKMARK mark;
    doc.Data_GetBookmark(dwMark, mark);
    mark.dwNodeId = dwOld;
    doc.Data_SetBookmark(dwMark, mark);
    doc.Data_GetBookmark(dwOtherMark, mark);
    mark.dwNodeId = dwOther;
    doc.Data_SetBookmark(dwOtherMark, mark);
    const DWORD dwLinked = AddTask(doc, "linked", dwOld);
    const DWORD dwElse = AddTask(doc, "else", dwOther);
    doc.SetModified(FALSE);

    doc.Data_RelinkNode(dwOld, dwNew);
    EXPECT_FALSE(doc.GetModifiedFlag());
    ASSERT_TRUE(doc.Data_GetBookmark(dwMark, mark));
    EXPECT_EQ(dwNew, mark.dwNodeId);
    ASSERT_TRUE(doc.Data_GetBookmark(dwOtherMark, mark));
    EXPECT_EQ(dwOther, mark.dwNodeId);
    EXPECT_EQ(dwNew, TaskOf(doc, dwLinked).dwLinkedNodeId);
    EXPECT_EQ(dwOther, TaskOf(doc, dwElse).dwLinkedNodeId);
    EXPECT_FALSE(doc.Data_NodeHasTask(dwOld));
    EXPECT_TRUE(doc.Data_NodeHasTask(dwNew));
}

TEST(DocOpsTest, DeletingTheLastTaskOfANodeRefreshesItsTreeItem)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwNode = AddNode(doc, QLC_NODE_NOTE, "note");
    const DWORD dwFirst = AddTask(doc, "first", dwNode);
    const DWORD dwSecond = AddTask(doc, "second", dwNode);
    const DWORD dwFree = AddTask(doc, "free", 0);
    CFrameRecorder frame(doc);

    doc.SetModified(FALSE);
    doc.Data_DeleteTask(dwFirst);
    EXPECT_TRUE(doc.GetModifiedFlag());
    EXPECT_TRUE(frame.refreshedNodes.empty()); // the node still has a task
    doc.Data_DeleteTask(dwFree);
    EXPECT_TRUE(frame.refreshedNodes.empty());
    doc.Data_DeleteTask(dwSecond);
    EXPECT_EQ(std::vector<DWORD>{ dwNode }, frame.refreshedNodes);
    EXPECT_EQ(0, doc.Data_GetTaskCount());

    doc.SetModified(FALSE);
    doc.Data_DeleteTask(dwSecond); // already gone
    EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST(DocOpsTest, RemovingANodesTasksUnlinksAndRedrawsEachOne)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwNode = AddNode(doc, QLC_NODE_NOTE, "note");
    const DWORD dwOther = AddNode(doc, QLC_NODE_NOTE, "other");
    const DWORD dwT1 = AddTask(doc, "t1", dwNode);
    const DWORD dwT2 = AddTask(doc, "t2", dwNode);
    const DWORD dwT3 = AddTask(doc, "t3", dwOther);
    CFrameRecorder frame(doc);
    doc.SetModified(FALSE);

    doc.Data_RemoveNodeTasks(dwNode);
    EXPECT_TRUE(doc.GetModifiedFlag());
    EXPECT_FALSE(doc.Data_NodeHasTask(dwNode));
    EXPECT_TRUE(doc.Data_NodeHasTask(dwOther));
    EXPECT_EQ("t1", std::string(TaskOf(doc, dwT1).strTitle));
    std::vector<DWORD> updated = frame.updatedTasks;
    std::sort(updated.begin(), updated.end());
    EXPECT_EQ((std::vector<DWORD>{ dwT1, dwT2 }), updated);
    EXPECT_EQ(dwOther, TaskOf(doc, dwT3).dwLinkedNodeId);

    // Without a frame the tasks are unlinked all the same.
    doc.SetFrameCallbacks(nullptr);
    doc.Data_RemoveNodeTasks(dwOther);
    EXPECT_FALSE(doc.Data_NodeHasTask(dwOther));
    doc.SetFrameCallbacks(&frame);
}

// --- Logo ---------------------------------------------------------------------

TEST(DocOpsTest, ALogoChosenFromAFileIsShownAndSaved)
{
    CTempDir dir;
    CTestPrompts prompts;
    const Bytes png = EncodeTestPicture(7, 31, 17, 4);
    WriteFileBytes(dir.Path("logo.png"), png);
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        AddNode(doc, QLC_NODE_NOTE, "note");
        CFrameRecorder frame(doc);
        doc.SetModified(FALSE);

        doc.LoadLogoFromFile(dir.Path("logo.png"));
        EXPECT_TRUE(doc.HasLogo());
        EXPECT_TRUE(doc.GetModifiedFlag());
        EXPECT_EQ(1, frame.nRedraws);
        EXPECT_EQ(doc.GetLogoBitmap(), doc.GetLogo());
        EXPECT_EQ(31, doc.GetLogo()->GetWidth());
        EXPECT_EQ(17, doc.GetLogo()->GetHeight());

        doc.Data_SetNotebookPath(dir.Path("logo.qlc"));
        ASSERT_TRUE(doc.Data_WriteFile());
        // A second save copies the logo again.
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    // The logo section is the gzip of the file chosen.
    const Bytes file = ReadFileBytes(dir.Path("logo.qlc"));
    const DWORD dwOffset = U32At(file, kHdrLogoOffset);
    const DWORD dwLength = U32At(file, kHdrLogoLength);
    ASSERT_NE(0u, dwOffset);
    ASSERT_LE((size_t)dwOffset + dwLength, file.size());
    EXPECT_EQ(png, Gunzip(Bytes(file.begin() + dwOffset, file.begin() + dwOffset + dwLength)));

    CQuillcrestDoc reopened;
    ASSERT_EQ(1, OpenNotebook(reopened, dir.Path("logo.qlc")));
    ASSERT_TRUE(reopened.HasLogo());
    EXPECT_EQ(31, reopened.GetLogo()->GetWidth());
    EXPECT_EQ(17, reopened.GetLogo()->GetHeight());
}

TEST(DocOpsTest, ALogoThatDoesNotDecodeLeavesThePreviousOne)
{
    CTempDir dir;
    WriteFileBytes(dir.Path("good.png"), EncodeTestPicture(7, 12, 9, 1));
    WriteFileBytes(dir.Path("bad.png"), NoiseBytes(3000, 5));
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.LoadLogoFromFile(dir.Path("good.png"));
    CFrameRecorder frame(doc);
    doc.SetModified(FALSE);

    EXPECT_THROW(doc.LoadLogoFromFile(dir.Path("bad.png")), PLTextException);
    EXPECT_THROW(doc.LoadLogoFromFile(dir.Path("missing.png")), PLTextException);
    EXPECT_TRUE(doc.HasLogo());
    EXPECT_EQ(12, doc.GetLogo()->GetWidth());
    EXPECT_FALSE(doc.GetModifiedFlag());
    EXPECT_EQ(0, frame.nRedraws);
}

TEST(DocOpsTest, WithoutItsOwnLogoANotebookShowsTheDefaultLogo)
{
    CTempDir dir;
    CTestPrompts prompts;
    WriteFileBytes(dir.Path("logo.png"), EncodeTestPicture(7, 12, 9, 1));
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(nullptr, doc.GetLogo()); // no default logo installed
    {
        CDefaultLogo defaultLogo;
        EXPECT_EQ(&defaultLogo.bmp, doc.GetLogo());

        doc.LoadLogoFromFile(dir.Path("logo.png"));
        EXPECT_EQ(doc.GetLogoBitmap(), doc.GetLogo());

        CFrameRecorder frame(doc);
        doc.SetModified(FALSE);
        doc.SetLogo(FALSE, nullptr);
        EXPECT_FALSE(doc.HasLogo());
        EXPECT_TRUE(doc.GetModifiedFlag());
        EXPECT_EQ(1, frame.nRedraws);
        EXPECT_EQ(&defaultLogo.bmp, doc.GetLogo());

        // A bitmap given becomes the notebook's logo.
        PLWinBmp other;
        FillTestPicture(other, 6, 3, 2);
        doc.SetLogo(TRUE, &other);
        EXPECT_EQ(doc.GetLogoBitmap(), doc.GetLogo());
        EXPECT_EQ(6, doc.GetLogo()->GetWidth());
        doc.SetLogo(FALSE, nullptr);
    }
    // Cleared, the logo is not saved.
    doc.Data_SetNotebookPath(dir.Path("nologo.qlc"));
    ASSERT_TRUE(doc.Data_WriteFile());
    const Bytes file = ReadFileBytes(dir.Path("nologo.qlc"));
    EXPECT_EQ(0u, U32At(file, kHdrLogoOffset));
    EXPECT_EQ(0u, U32At(file, kHdrLogoLength));
}
