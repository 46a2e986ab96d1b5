// The node tree's clipboard and context-menu commands, with two notebooks
// open in their own windows: cut, copy and paste of branches within and
// between notebooks, what empties the clipboard, pastes that are refused or
// incomplete, the menu's enabling, bookmarks and task links.
#include "NotebookWindowSupport.h"

#include "app/CTaskCtrl.h"
#include "app/CMainFrame.h"
#include "app/res/AddBookmarkDlgRes.h"
#include "app/res/Resource.h"
#include "app/res/TaskEditDlgRes.h"
#include "app/res/TaskSelDlgRes.h"

#include "core/CQlcNode.h"

#include <memory>
#include <set>

namespace {

const char kRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Clipboard text\\par}";

class NodeClipboardTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        app.m_settings.m_nPromptDelete = 0;
    }

    // A command of the tree's context menu on an item (null: empty space),
    // through the window's command routing.
    void Command(CQuillcrestDoc* pDoc, LPCSTR lpszPath, UINT nID)
    {
        CQlcTreeCtrl* pTree = TreeOf(pDoc);
        HTREEITEM hItem = lpszPath != nullptr ? FindItem(*pTree, lpszPath) : nullptr;
        ASSERT_TRUE(lpszPath == nullptr || hItem != nullptr) << lpszPath;
        pTree->SetContextItem(hItem);
        FrameOf(pDoc)->SendMessage(WM_COMMAND, nID);
    }

    // Two notebooks: A with a folder holding a note (bookmarked, with a
    // task) and a subfolder, B with a note and an empty folder.
    void OpenTwo()
    {
        CNotebookBuilder a;
        const DWORD dwFolder = a.Folder("Folder");
        const DWORD dwNote = a.Note("Note", dwFolder, kRtf);
        a.Folder("Sub", dwFolder);
        a.Note("Other", 0, kRtf);
        a.Bookmark("Mark", dwNote);
        a.Task(dwNote);
        m_pA = OpenBuilt(a, "a.qlc");
        CNotebookBuilder b;
        b.Note("B note", 0, kRtf);
        b.Folder("Empty");
        m_pB = OpenBuilt(b, "b.qlc");
        ASSERT_NE(nullptr, m_pA);
        ASSERT_NE(nullptr, m_pB);
    }

    const QLCNODECLIPBOARD& Clip() const { return app.m_nodeClipboard; }

    // The node id of the item at a path.
    DWORD IdAt(CQuillcrestDoc* pDoc, LPCSTR lpszPath)
    {
        HTREEITEM hItem = FindItem(*TreeOf(pDoc), lpszPath);
        return hItem != nullptr ? TreeOf(pDoc)->GetItemNodeId(hItem) : 0;
    }

    // Saves a notebook as a new file, closes it and reads that file into a
    // document of its own (null when it does not read).
    std::unique_ptr<CQuillcrestDoc> SaveAndRead(CQuillcrestDoc*& pDoc, LPCSTR lpszName)
    {
        const CString strPath = Path(lpszName);
        EXPECT_TRUE(pDoc->OnSaveDocument(strPath));
        pDoc->OnCloseDocument();
        pDoc = nullptr;
        std::unique_ptr<CQuillcrestDoc> pCheck(new CQuillcrestDoc);
        if (!pCheck->Data_OpenNotebookFile(strPath) || pCheck->Data_ReadFile() != 1)
            return nullptr;
        return pCheck;
    }

    // The id of the node at a path of names ("Folder/Note"), or 0.
    static DWORD IdByPath(CQuillcrestDoc* pDoc, LPCSTR lpszPath)
    {
        CQlcDocLock::CScoped tableLock90(pDoc->GetLock());
        const CString strPath = CString("//") + lpszPath;
        for (const CQlcNodeMap::CPair* p = pDoc->GetNodeTable(tableLock90).PGetFirstAssoc(); p != nullptr;
             p = pDoc->GetNodeTable(tableLock90).PGetNextAssoc(p))
        {
            if (pDoc->Data_GetNodePath(p->key) == strPath)
                return p->key;
        }
        return 0;
    }

    int Greyed(GlyphMenu* pPopup, UINT nID) { return (pPopup->GetMenuState(nID, MF_BYCOMMAND) & MF_GRAYED) != 0; }

    CQuillcrestDoc* m_pA = nullptr;
    CQuillcrestDoc* m_pB = nullptr;
};

// The first row of a task list whose task is dwTaskId, or -1.
int RowOfTask(CTaskCtrl& list, DWORD dwTaskId)
{
    for (int i = 0; i < list.GetItemCount(); i++)
    {
        if ((DWORD)list.GetItemData(i) == dwTaskId)
            return i;
    }
    return -1;
}

} // namespace

TEST_F(NodeClipboardTest, CopyThenPasteTwiceGivesTwoIndependentCopiesInTheOtherNotebook)
{
    OpenTwo();
    CQlcTreeCtrl* pTreeA = TreeOf(m_pA);
    CQlcTreeCtrl* pTreeB = TreeOf(m_pB);
    const std::string strA = DescribeTree(*pTreeA);
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
    if (m_pB != nullptr)
        m_pB->SetModified(FALSE);

    Command(m_pA, "Folder", ID_QLCPOPUP_COPY);
    EXPECT_TRUE(Clip().bHasContent);
    EXPECT_FALSE(Clip().bCut);
    EXPECT_EQ(m_pA, Clip().pDocument);
    EXPECT_EQ(IdAt(m_pA, "Folder"), Clip().dwNodeId);
    EXPECT_EQ(nullptr, pTreeA->GetContextItem());
    EXPECT_EQ(nullptr, pTreeA->GetCutItem());
    EXPECT_EQ(CQlcTreeCtrl::imageFolder, ImageOf(*pTreeA, FindItem(*pTreeA, "Folder")));

    // On empty space: the top level, twice.
    Command(m_pB, nullptr, ID_QLCPOPUP_PASTE);
    Command(m_pB, nullptr, ID_QLCPOPUP_PASTE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ("Empty{(empty)}, Folder{Sub{(empty)}, Note}, Folder{Sub{(empty)}, Note}, B note", DescribeTree(*pTreeB));
    EXPECT_TRUE(m_pB->IsModified());

    // Two copies under their own ids, each with the note's text.
    HTREEITEM hFirst = FindItem(*pTreeB, "Folder");
    HTREEITEM hSecond = pTreeB->GetNextSiblingItem(hFirst);
    const DWORD dwFirst = pTreeB->GetItemNodeId(hFirst);
    const DWORD dwSecond = pTreeB->GetItemNodeId(hSecond);
    EXPECT_NE(dwFirst, dwSecond);
    // (Each folder's subfolder comes before its note.)
    const DWORD dwNote1 = pTreeB->GetItemNodeId(pTreeB->GetNextSiblingItem(pTreeB->GetChildItem(hFirst)));
    const DWORD dwNote2 = pTreeB->GetItemNodeId(pTreeB->GetNextSiblingItem(pTreeB->GetChildItem(hSecond)));
    EXPECT_NE(dwNote1, dwNote2);
    EXPECT_EQ(dwFirst, CQlcNode(m_pB, dwNote1).GetParentId());
    EXPECT_EQ(dwSecond, CQlcNode(m_pB, dwNote2).GetParentId());
    EXPECT_NE(std::string::npos, ReadPayload(m_pB, dwNote1).find("Clipboard text"));
    EXPECT_NE(std::string::npos, ReadPayload(m_pB, dwNote2).find("Clipboard text"));
    // Bookmarks and tasks belong to their notebook: the copies have none.
    EXPECT_EQ(0, m_pB->Data_GetBookmarkCount());
    EXPECT_EQ(0, OverlayOf(*pTreeB, pTreeB->GetNextSiblingItem(pTreeB->GetChildItem(hFirst))));

    // Renaming one copy leaves the other and the source alone.
    CQlcNode renamed(m_pB, dwNote1);
    renamed.SetName("Renamed");
    renamed.Update(TRUE);
    EXPECT_STREQ("Note", CQlcNode(m_pB, dwNote2).GetName());

    // The source is untouched and the clipboard still holds it.
    EXPECT_EQ(strA, DescribeTree(*pTreeA));
    EXPECT_FALSE(m_pA->IsModified());
    EXPECT_TRUE(Clip().bHasContent);
    EXPECT_EQ(IdAt(m_pA, "Folder"), Clip().dwNodeId);

    // Onto a top-level note: beside it, at the top level. Onto the
    // placeholder of an empty folder: into that folder.
    Command(m_pB, "B note", ID_QLCPOPUP_PASTE);
    Command(m_pB, "Empty/(empty)", ID_QLCPOPUP_PASTE);
    EXPECT_EQ("Empty{Folder{Sub{(empty)}, Note}}, Folder{Sub{(empty)}, Note}, Folder{Sub{(empty)}, Note}, "
              "Folder{Sub{(empty)}, Note}, B note",
              DescribeTree(*pTreeB));
    EXPECT_EQ(IdAt(m_pB, "Empty"), CQlcNode(m_pB, IdAt(m_pB, "Empty/Folder")).GetParentId());
    // The folder opens to show what arrived.
    HTREEITEM hEmpty = FindItem(*pTreeB, "Empty");
    EXPECT_NE(0u, pTreeB->GetItemState(hEmpty, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(CQlcTreeCtrl::imageFolderOpen, ImageOf(*pTreeB, hEmpty));

    // The copies survive a save.
    std::unique_ptr<CQuillcrestDoc> pSaved = SaveAndRead(m_pB, "b-saved.qlc");
    ASSERT_NE(nullptr, pSaved);
    EXPECT_NE(std::string::npos, ReadPayload(pSaved.get(), IdByPath(pSaved.get(), "Empty/Folder/Note")).find("Clipboard text"));
    if (m_pB != nullptr)
        m_pB->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, CutInOneNotebookAndPasteInTheOtherMovesTheBranch)
{
    OpenTwo();
    CQlcTreeCtrl* pTreeA = TreeOf(m_pA);
    CQlcTreeCtrl* pTreeB = TreeOf(m_pB);
    CBookmarkTreeCtrl* pMarksA = BookmarksOf(m_pA);
    ASSERT_EQ(1, pMarksA->GetCount());

    Command(m_pA, "Folder", ID_QLCPOPUP_CUT);
    EXPECT_TRUE(Clip().bCut);
    HTREEITEM hCut = FindItem(*pTreeA, "Folder");
    EXPECT_EQ(hCut, pTreeA->GetCutItem());
    // The branch shows cut, down to its placeholders.
    EXPECT_EQ(CQlcTreeCtrl::imageFolder + CQlcTreeCtrl::imageCutOffset, ImageOf(*pTreeA, hCut));
    EXPECT_EQ(CQlcTreeCtrl::imageNote + CQlcTreeCtrl::imageCutOffset, ImageOf(*pTreeA, FindItem(*pTreeA, "Folder/Note")));
    EXPECT_EQ(CQlcTreeCtrl::imagePlaceholder + CQlcTreeCtrl::imageCutOffset,
              ImageOf(*pTreeA, FindItem(*pTreeA, "Folder/Sub/(empty)")));
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(*pTreeA, FindItem(*pTreeA, "Other")));

    Command(m_pB, "B note", ID_QLCPOPUP_PASTE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ("Empty{(empty)}, Folder{Sub{(empty)}, Note}, B note", DescribeTree(*pTreeB));
    EXPECT_EQ("Other", DescribeTree(*pTreeA));
    EXPECT_FALSE(Clip().bHasContent);
    EXPECT_EQ(nullptr, pTreeA->GetCutItem());
    // Gone from A with its bookmark (and the list shows it) and its task link.
    EXPECT_EQ(0, NodeIdByName(m_pA, "Note"));
    EXPECT_EQ(0, m_pA->Data_GetBookmarkCount());
    EXPECT_EQ(0, pMarksA->GetCount());
    EXPECT_FALSE(m_pA->Data_NodeHasTask(0));
    // Arrived in B with its text, and B's items show it as it is.
    EXPECT_NE(std::string::npos, ReadPayload(m_pB, IdAt(m_pB, "Folder/Note")).find("Clipboard text"));
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(*pTreeB, FindItem(*pTreeB, "Folder/Note")));

    // Nothing left to paste.
    GlyphMenu menu;
    GlyphMenu* pPopup = pTreeB->LoadContextMenu(menu, FindItem(*pTreeB, "B note"));
    ASSERT_NE(nullptr, pPopup);
    EXPECT_TRUE(Greyed(pPopup, ID_QLCPOPUP_PASTE));

    std::unique_ptr<CQuillcrestDoc> pSaved = SaveAndRead(m_pB, "b-moved.qlc");
    ASSERT_NE(nullptr, pSaved);
    EXPECT_NE(std::string::npos, ReadPayload(pSaved.get(), IdByPath(pSaved.get(), "Folder/Note")).find("Clipboard text"));
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
    if (m_pB != nullptr)
        m_pB->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, CutAndPasteInOneNotebookKeepsBookmarksTaskLinksAndData)
{
    OpenTwo();
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    const DWORD dwOld = IdAt(m_pA, "Folder/Note");
    ASSERT_TRUE(m_pA->Data_NodeHasTask(dwOld));

    Command(m_pA, "Folder/Note", ID_QLCPOPUP_CUT);
    // Onto "Other": beside it, at the top level.
    Command(m_pA, "Other", ID_QLCPOPUP_PASTE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ("Folder{Sub{(empty)}}, Note, Other", DescribeTree(*pTree));
    const DWORD dwNew = IdAt(m_pA, "Note");
    EXPECT_NE(dwOld, dwNew);
    EXPECT_FALSE(CQlcNode(m_pA, dwOld).IsValid());
    EXPECT_FALSE(Clip().bHasContent);

    // The bookmark and the task followed the node.
    ASSERT_EQ(1, m_pA->Data_GetBookmarkCount());
    CQlcDocLock::CScoped tableLock318(m_pA->GetLock());
    EXPECT_EQ(dwNew, m_pA->GetBookmarkTable(tableLock318).PGetFirstAssoc()->value.dwNodeId);
    EXPECT_TRUE(m_pA->Data_NodeHasTask(dwNew));
    EXPECT_EQ(CQlcTreeCtrl::overlayTask, OverlayOf(*pTree, FindItem(*pTree, "Note")));
    EXPECT_EQ(1, BookmarksOf(m_pA)->GetCount());

    // The moved note's payload, shared in the file until the next save, is
    // written with it.
    std::unique_ptr<CQuillcrestDoc> pSaved = SaveAndRead(m_pA, "a-moved.qlc");
    ASSERT_NE(nullptr, pSaved);
    const DWORD dwSaved = IdByPath(pSaved.get(), "Note");
    EXPECT_NE(0u, dwSaved);
    EXPECT_NE(std::string::npos, ReadPayload(pSaved.get(), dwSaved).find("Clipboard text"));
    EXPECT_TRUE(pSaved->Data_NodeHasTask(dwSaved));
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, APasteIntoTheClipboardsOwnBranchIsRefused)
{
    OpenTwo();
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    const std::string strBefore = DescribeTree(*pTree);
    const INT_PTR nNodes = m_pA->Data_GetNodeCount();

    // Cut a folder, paste inside it.
    Command(m_pA, "Folder", ID_QLCPOPUP_CUT);
    Command(m_pA, "Folder/Note", ID_QLCPOPUP_PASTE);
    EXPECT_EQ((std::vector<std::string>{ "A node cannot be pasted into itself or into a folder below it.\n\nNothing was pasted." }),
              TakeMessages());
    // Copy it, paste into its subfolder's placeholder.
    Command(m_pA, "Folder", ID_QLCPOPUP_COPY);
    Command(m_pA, "Folder/Sub/(empty)", ID_QLCPOPUP_PASTE);
    EXPECT_EQ(1u, TakeMessages().size());
    EXPECT_EQ(strBefore, DescribeTree(*pTree));
    EXPECT_EQ(nNodes, m_pA->Data_GetNodeCount());
    EXPECT_TRUE(Clip().bHasContent);

    // Onto the folder itself: beside it, which is allowed.
    Command(m_pA, "Folder", ID_QLCPOPUP_PASTE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(nNodes + 3, m_pA->Data_GetNodeCount());

    // A branch copied into itself directly is listed before copying: one
    // copy of each node, nothing recursing.
    const DWORD dwFolder = IdAt(m_pA, "Folder");
    const INT_PTR nNow = m_pA->Data_GetNodeCount();
    std::vector<std::pair<DWORD, DWORD>> copied;
    BOOL bComplete = FALSE;
    const DWORD dwCopy = pTree->CopyBranch(m_pA, dwFolder, dwFolder, &copied, &bComplete);
    EXPECT_TRUE(bComplete);
    EXPECT_NE(0u, dwCopy);
    EXPECT_EQ(3u, copied.size());
    EXPECT_EQ(nNow + 3, m_pA->Data_GetNodeCount());
    EXPECT_EQ(dwFolder, CQlcNode(m_pA, dwCopy).GetParentId());

    // A held node that went some other way than through the tree: nothing
    // pasted, the clipboard let go.
    Command(m_pA, "Other", ID_QLCPOPUP_COPY);
    m_pA->Data_DeleteNode(IdAt(m_pA, "Other"));
    const INT_PTR nLeft = m_pA->Data_GetNodeCount();
    Command(m_pA, nullptr, ID_QLCPOPUP_PASTE);
    EXPECT_EQ((std::vector<std::string>{ "The node on the clipboard no longer exists.\n\nNothing was pasted." }),
              TakeMessages());
    EXPECT_EQ(nLeft, m_pA->Data_GetNodeCount());
    EXPECT_FALSE(Clip().bHasContent);
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, TheClipboardEmptiesWhenItsNodeItsFolderItsWindowOrItsNotebookGoes)
{
    OpenTwo();
    CQlcTreeCtrl* pTreeA = TreeOf(m_pA);

    // Deleting the node's folder.
    Command(m_pA, "Folder/Note", ID_QLCPOPUP_COPY);
    Command(m_pA, "Folder", ID_QLCPOPUP_DELETE);
    EXPECT_FALSE(Clip().bHasContent);

    // Deleting another branch keeps it.
    Command(m_pA, "Other", ID_QLCPOPUP_CUT);
    Command(m_pB, "Empty", ID_QLCPOPUP_DELETE);
    EXPECT_TRUE(Clip().bHasContent);

    // A new entry gives the one cut before its normal look back.
    Command(m_pB, "B note", ID_QLCPOPUP_COPY);
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(*pTreeA, FindItem(*pTreeA, "Other")));
    EXPECT_EQ(nullptr, pTreeA->GetCutItem());
    EXPECT_EQ(m_pB, Clip().pDocument);

    // Closing the notebook whose node is held.
    if (m_pB != nullptr)
        m_pB->SetModified(FALSE);
    FrameOf(m_pB)->SendMessage(WM_CLOSE);
    PumpMessages();
    EXPECT_FALSE(Clip().bHasContent);
    EXPECT_EQ(nullptr, Clip().pTree);

    // A tree destroyed while its cut is held leaves no pointer to it.
    Command(m_pA, "Other", ID_QLCPOPUP_CUT);
    ASSERT_EQ(pTreeA, Clip().pTree);
    pTreeA->DestroyWindow();
    EXPECT_EQ(nullptr, Clip().pTree);
    EXPECT_FALSE(Clip().bHasContent);
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, APasteThatCannotCopyEveryNodeSaysSoAndLeavesTheCutBranchInPlace)
{
    app.LoadCryptLibrary();
    CNotebookBuilder a;
    const DWORD dwFolder = a.Folder("Folder");
    a.Note("Plain", dwFolder, kRtf);
    a.Encrypt(a.Note("Secret", dwFolder, kRtf), "pw");
    m_pA = OpenBuilt(a, "a.qlc");
    CNotebookBuilder b;
    b.Note("B note");
    m_pB = OpenBuilt(b, "b.qlc");
    ASSERT_NE(nullptr, m_pA);
    ASSERT_NE(nullptr, m_pB);
    // Without the library the encrypted note cannot be read.
    app.m_cryptHandler.Unload();

    Command(m_pA, "Folder", ID_QLCPOPUP_CUT);
    Command(m_pB, nullptr, ID_QLCPOPUP_PASTE);
    EXPECT_EQ((std::vector<std::string>{ "Some nodes could not be copied: their encryption is not available or their "
                                         "data could not be read.\n\nThe cut nodes were left where they were." }),
              TakeMessages());
    // Nothing of the branch is pasted.
    EXPECT_EQ("B note", DescribeTree(*TreeOf(m_pB)));
    EXPECT_EQ("Folder{Plain, Secret}", DescribeTree(*TreeOf(m_pA)));
    EXPECT_TRUE(CQlcNode(m_pA, IdAt(m_pA, "Folder/Secret")).IsEncrypted());
    EXPECT_TRUE(Clip().bHasContent);
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
    if (m_pB != nullptr)
        m_pB->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, TheContextMenuEnablesEachCommandForWhatItActsOn)
{
    CNotebookBuilder builder;
    const DWORD dwFolder = builder.Folder("Folder");
    builder.Folder("Empty", dwFolder);
    builder.Task(builder.Note("Tasked", dwFolder));
    builder.Note("Plain");
    m_pA = OpenBuilt(builder);
    ASSERT_NE(nullptr, m_pA);
    CQlcTreeCtrl* pTree = TreeOf(m_pA);

    const UINT always[] = { ID_QLCPOPUP_NEWNOTE, ID_QLCPOPUP_NEWFOLDER, ID_QLCPOPUP_IMPORTHTML,
                            ID_QLCPOPUP_IMPORTIMAGES, ID_QLCPOPUP_IMPORTNOTES, ID_QLCPOPUP_IMPORTFOREIGNDATA };
    const UINT nodeOnly[] = { ID_QLCPOPUP_DELETE, ID_QLCPOPUP_RENAME, ID_QLCPOPUP_COPY, ID_QLCPOPUP_CUT };
    const UINT noteOnly[] = { ID_QLCPOPUP_EXPORT, ID_QLCPOPUP_ADDTOBOOKMARKS, ID_QLCPOPUP_PROPERTIES,
                              ID_QLCPOPUP_ADDTONEWTASK, ID_QLCPOPUP_ADDTOEXISTINGTASK };
    struct Case
    {
        const char* path; // null: empty space
        bool bNode, bNote, bTasked;
    };
    const Case cases[] = {
        { "Folder", true, false, false },
        { "Folder/Tasked", true, true, true },
        { "Plain", true, true, false },
        { "Folder/Empty/(empty)", false, false, false },
        { nullptr, false, false, false },
    };
    for (bool bHeld : { false, true })
    {
        app.m_nodeClipboard = QLCNODECLIPBOARD();
        if (bHeld)
            Command(m_pA, "Plain", ID_QLCPOPUP_COPY);
        for (const Case& c : cases)
        {
            const std::string strWhere = std::string(c.path ? c.path : "(space)") + (bHeld ? " held" : " empty");
            GlyphMenu menu;
            GlyphMenu* pPopup = pTree->LoadContextMenu(menu, c.path ? FindItem(*pTree, c.path) : nullptr);
            ASSERT_NE(nullptr, pPopup) << strWhere;
            for (UINT nID : always)
                EXPECT_FALSE(Greyed(pPopup, nID)) << strWhere << " " << nID;
            for (UINT nID : nodeOnly)
                EXPECT_EQ(!c.bNode, Greyed(pPopup, nID)) << strWhere << " " << nID;
            for (UINT nID : noteOnly)
                EXPECT_EQ(!c.bNote, Greyed(pPopup, nID)) << strWhere << " " << nID;
            EXPECT_EQ(!c.bTasked, Greyed(pPopup, ID_QLCPOPUP_REMOVETASKLINK)) << strWhere;
            EXPECT_EQ(!bHeld, Greyed(pPopup, ID_QLCPOPUP_PASTE)) << strWhere;
        }
    }
    // The existing-task command has an id of its own, not the Image bar's.
    GlyphMenu menu;
    GlyphMenu* pPopup = pTree->LoadContextMenu(menu, FindItem(*pTree, "Plain"));
    ASSERT_NE(nullptr, pPopup);
    EXPECT_EQ((UINT)-1, pPopup->GetMenuState(ID_VIEW_TOOLBAR_IMAGE, MF_BYCOMMAND));
    EXPECT_NE((UINT)-1, pPopup->GetMenuState(ID_QLCPOPUP_ADDTOEXISTINGTASK, MF_BYCOMMAND));
}

TEST_F(NodeClipboardTest, TheMenuKeyOpensTheMenuBelowTheCaretItemAndItsCommandActsOnIt)
{
    OpenTwo();
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    HTREEITEM hOther = FindItem(*pTree, "Other");
    pTree->SetFocus();
    pTree->SelectItem(hOther);
    CRect rcLabel;
    pTree->GetItemRect(hOther, &rcLabel, TRUE);
    CPoint ptExpected(rcLabel.left, rcLabel.bottom);
    pTree->ClientToScreen(&ptExpected);

    {
        CMenuWatch watch;
        pTree->SendMessage(WM_CONTEXTMENU, (WPARAM)pTree->m_hWnd, MAKELPARAM(-1, -1));
        EXPECT_EQ(1, watch.nSeen);
        EXPECT_LE(std::abs(watch.rcWindow.left - ptExpected.x), 4) << watch.rcWindow.left << " " << ptExpected.x;
        EXPECT_LE(std::abs(watch.rcWindow.top - ptExpected.y), 4) << watch.rcWindow.top << " " << ptExpected.y;
        // A note without a task, nothing held.
        EXPECT_EQ(1u, watch.greyed.count(ID_QLCPOPUP_PASTE));
        EXPECT_EQ(1u, watch.greyed.count(ID_QLCPOPUP_REMOVETASKLINK));
        EXPECT_EQ(0u, watch.greyed.count(ID_QLCPOPUP_COPY));
    }
    // The caret item became the context item; the chosen command acts on it.
    EXPECT_EQ(hOther, pTree->GetContextItem());
    ChooseMenuItem(FrameOf(m_pA), ID_QLCPOPUP_COPY);
    EXPECT_TRUE(Clip().bHasContent);
    EXPECT_EQ(IdAt(m_pA, "Other"), Clip().dwNodeId);
}

TEST_F(NodeClipboardTest, TaskLinksAreAddedMovedOnlyWhenConfirmedAndRemovedTogether)
{
    CNotebookBuilder builder;
    const DWORD dwFirst = builder.Note("First", 0, kRtf);
    builder.Note("Second", 0, kRtf);
    builder.Task(dwFirst);
    builder.Task(dwFirst);
    m_pA = OpenBuilt(builder);
    ASSERT_NE(nullptr, m_pA);
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    CTaskCtrl& list = FrameOf(m_pA)->GetTaskCtrl();
    const DWORD dwFirstId = IdAt(m_pA, "First");
    const DWORD dwSecondId = IdAt(m_pA, "Second");
    ASSERT_EQ(2, list.GetItemCount());

    // A new task for the second note, linked to it.
    {
        CScriptedDialogs script([](CWnd* pDialog) {
            pDialog->SetDlgItemText(IDC_TASK_TITLE, "Follow up");
            ClickButton(pDialog, IDOK);
        });
        Command(m_pA, "Second", ID_QLCPOPUP_ADDTONEWTASK);
        EXPECT_EQ(1, script.nDialogs);
    }
    ASSERT_EQ(3, list.GetItemCount());
    DWORD dwNewTask = (DWORD)-1;
    CQlcDocLock::CScoped tableLock571(m_pA->GetLock());
    for (const CQlcTaskMap::CPair* p = m_pA->GetTaskTable(tableLock571).PGetFirstAssoc(); p != nullptr;
         p = m_pA->GetTaskTable(tableLock571).PGetNextAssoc(p))
    {
        if (p->value.strTitle == "Follow up")
            dwNewTask = p->key;
    }
    ASSERT_NE((DWORD)-1, dwNewTask);
    QLCTASK task;
    ASSERT_TRUE(m_pA->Data_GetTask(dwNewTask, task));
    EXPECT_EQ((DWORD)QLC_TASKFLAG_LINKED, task.dwFlags & QLC_TASKFLAG_LINKED);
    EXPECT_EQ(dwSecondId, task.dwLinkedNodeId);
    EXPECT_GE(RowOfTask(list, dwNewTask), 0);
    EXPECT_EQ(CQlcTreeCtrl::overlayTask, OverlayOf(*pTree, FindItem(*pTree, "Second")));

    // Linking a task of the first note to the second asks first; No keeps it.
    DWORD dwMoved = 0;
    bool bFound = false;
    CQlcDocLock::CScoped tableLock588(m_pA->GetLock());
    for (const CQlcTaskMap::CPair* p = m_pA->GetTaskTable(tableLock588).PGetFirstAssoc(); p != nullptr && !bFound;
         p = m_pA->GetTaskTable(tableLock588).PGetNextAssoc(p))
    {
        if (p->value.dwLinkedNodeId == dwFirstId)
        {
            dwMoved = p->key;
            bFound = true;
        }
    }
    ASSERT_TRUE(bFound);
    auto pick = [&](CWnd* pDialog) {
        CTaskCtrl* pList = (CTaskCtrl*)CWnd::FromHandle(::GetDlgItem(pDialog->m_hWnd, IDC_TASK_SELECT_LIST));
        NMITEMACTIVATE activate = {};
        activate.hdr.hwndFrom = pList->m_hWnd;
        activate.hdr.idFrom = IDC_TASK_SELECT_LIST;
        activate.hdr.code = NM_CLICK;
        activate.iItem = RowOfTask(*pList, dwMoved);
        ASSERT_GE(activate.iItem, 0);
        pList->SetItemState(activate.iItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        pDialog->SendMessage(WM_NOTIFY, IDC_TASK_SELECT_LIST, (LPARAM)&activate);
    };
    m_pPrompts->m_nAnswer = IDNO;
    {
        CScriptedDialogs script(pick);
        Command(m_pA, "Second", ID_QLCPOPUP_ADDTOEXISTINGTASK);
        EXPECT_EQ(1, script.nDialogs);
    }
    EXPECT_EQ((std::vector<std::string>{ "The selected task is already associated with a node.\n\nDo you want to "
                                         "associate it with this node instead?" }),
              TakeMessages());
    ASSERT_TRUE(m_pA->Data_GetTask(dwMoved, task));
    EXPECT_EQ(dwFirstId, task.dwLinkedNodeId);

    m_pPrompts->m_nAnswer = IDYES;
    {
        CScriptedDialogs script(pick);
        Command(m_pA, "Second", ID_QLCPOPUP_ADDTOEXISTINGTASK);
    }
    EXPECT_EQ(1u, TakeMessages().size());
    ASSERT_TRUE(m_pA->Data_GetTask(dwMoved, task));
    EXPECT_EQ(dwSecondId, task.dwLinkedNodeId);
    // The first note still has its other task.
    EXPECT_EQ(CQlcTreeCtrl::overlayTask, OverlayOf(*pTree, FindItem(*pTree, "First")));

    // Remove unlinks every task of the second note; the first keeps its own.
    Command(m_pA, "Second", ID_QLCPOPUP_REMOVETASKLINK);
    EXPECT_FALSE(m_pA->Data_NodeHasTask(dwSecondId));
    EXPECT_TRUE(m_pA->Data_NodeHasTask(dwFirstId));
    ASSERT_TRUE(m_pA->Data_GetTask(dwNewTask, task));
    EXPECT_EQ(0u, task.dwFlags & QLC_TASKFLAG_LINKED);
    EXPECT_EQ(0u, task.dwLinkedNodeId);
    EXPECT_EQ(0, OverlayOf(*pTree, FindItem(*pTree, "Second")));
    EXPECT_EQ(3, list.GetItemCount());
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, AddToBookmarksProposesTheNodesNameAndListsTheBookmark)
{
    OpenTwo();
    CBookmarkTreeCtrl* pMarks = BookmarksOf(m_pA);
    const int nBefore = (int)pMarks->GetCount();
    std::string strProposed;
    {
        CScriptedDialogs script([&](CWnd* pDialog) {
            CString strText;
            pDialog->GetDlgItemText(IDC_BOOKMARK_NAME, strText);
            strProposed = (LPCSTR)strText;
            pDialog->SetDlgItemText(IDC_BOOKMARK_NAME, "Read later");
            ClickButton(pDialog, IDOK);
        });
        Command(m_pA, "Other", ID_QLCPOPUP_ADDTOBOOKMARKS);
        EXPECT_EQ(1, script.nDialogs);
    }
    EXPECT_EQ("Other", strProposed);
    EXPECT_EQ(nBefore + 1, (int)pMarks->GetCount());
    bool bFound = false;
    CQlcDocLock::CScoped tableLock665(m_pA->GetLock());
    for (const CQlcBookmarkMap::CPair* p = m_pA->GetBookmarkTable(tableLock665).PGetFirstAssoc(); p != nullptr;
         p = m_pA->GetBookmarkTable(tableLock665).PGetNextAssoc(p))
    {
        if (p->value.strName == "Read later")
        {
            bFound = true;
            EXPECT_EQ(IdAt(m_pA, "Other"), p->value.dwNodeId);
        }
    }
    EXPECT_TRUE(bFound);
    // A folder takes no bookmark.
    {
        CScriptedDialogs script([](CWnd* pDialog) { ClickButton(pDialog, IDOK); });
        Command(m_pA, "Folder", ID_QLCPOPUP_ADDTOBOOKMARKS);
        EXPECT_EQ(0, script.nDialogs);
    }
    if (m_pA != nullptr)
        m_pA->SetModified(FALSE);
}

TEST_F(NodeClipboardTest, TheImageBarToggleNeverReachesTheTreesTaskCommand)
{
    OpenTwo();
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    pTree->SetFocus();
    pTree->SetContextItem(FindItem(*pTree, "Other"));
    CScriptedDialogs script([](CWnd* pDialog) { ClickButton(pDialog, IDCANCEL); });
    const CUpdateProbe before = QueryCommand(m_pMainFrame, ID_VIEW_TOOLBAR_IMAGE);
    m_pMainFrame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR_IMAGE);
    EXPECT_EQ(0, script.nDialogs);
    EXPECT_NE(before.nChecked, QueryCommand(m_pMainFrame, ID_VIEW_TOOLBAR_IMAGE).nChecked);
    EXPECT_EQ(FindItem(*pTree, "Other"), pTree->GetContextItem());
}

TEST_F(NodeClipboardTest, EditCutActsOnALabelBeingEditedAndOtherwiseIsNotTheTrees)
{
    OpenTwo();
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    // Not editing: neither enabled nor handled here.
    EXPECT_EQ(0, QueryCommand(pTree, ID_EDIT_CUT).nEnabled);
    AFX_CMDHANDLERINFO info = {};
    EXPECT_FALSE(pTree->OnCmdMsg(ID_EDIT_CUT, (int)CN_COMMAND, nullptr, &info));

    pTree->SetFocus();
    pTree->SetContextItem(FindItem(*pTree, "Other"));
    FrameOf(m_pA)->SendMessage(WM_COMMAND, ID_QLCPOPUP_RENAME);
    HWND hEdit = pTree->GetEditControl();
    ASSERT_NE(nullptr, hEdit);
    EXPECT_EQ(1, QueryCommand(pTree, ID_EDIT_CUT).nEnabled);
    ::SendMessageA(hEdit, EM_SETSEL, 0, 2);
    pTree->SendMessage(WM_COMMAND, ID_EDIT_CUT);
    char szText[64] = {};
    ::GetWindowTextA(hEdit, szText, sizeof(szText));
    EXPECT_STREQ("her", szText);
    ::SendMessageA(hEdit, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
}

TEST_F(NodeClipboardTest, ARightClickOnAnItemOpensTheMenuForThatItem)
{
    OpenTwo();
    CQlcTreeCtrl* pTree = TreeOf(m_pA);
    HTREEITEM hOther = FindItem(*pTree, "Other");
    CRect rcLabel;
    pTree->GetItemRect(hOther, &rcLabel, TRUE);
    const CPoint ptLabel = rcLabel.CenterPoint();
    CPoint ptClick = ptLabel;
    pTree->ClientToScreen(&ptClick);
    ::SetCursorPos(ptClick.x, ptClick.y);

    // The press and the release: the control follows the press in a loop of
    // its own, finds no drag and tells its parent of the right click, which
    // the tree answers with the menu; answered, no second menu comes from
    // WM_CONTEXTMENU.
    {
        CMenuWatch watch;
        pTree->PostMessage(WM_RBUTTONUP, 0, MAKELPARAM(ptLabel.x, ptLabel.y));
        pTree->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(ptLabel.x, ptLabel.y));
        PumpMessages();
        EXPECT_EQ(1, watch.nSeen);
    }
    EXPECT_EQ(hOther, pTree->GetContextItem());
}
