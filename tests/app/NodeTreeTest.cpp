// The node tree of a notebook window: filling in sort order with its images,
// placeholders and marks, opening nodes by mouse and keyboard, passwords of
// encrypted nodes, renaming, new notes and folders, and deleting.
#include "NotebookWindowSupport.h"

#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"

#include "framework/gdi/CClientDC.h"

namespace {

const char kNoteRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello tree\\par}";

class NodeTreeTest : public NotebookWindowTest
{
protected:
    // The node clipboard holds the named node as cut (its commands come
    // later); the tree is rebuilt to show it.
    void HoldAsCut(CQuillcrestDoc* pDoc, LPCSTR lpszName)
    {
        CQlcTreeCtrl* pTree = TreeOf(pDoc);
        app.m_nodeClipboard.bHasContent = TRUE;
        app.m_nodeClipboard.pDocument = pDoc;
        app.m_nodeClipboard.pTree = pTree;
        app.m_nodeClipboard.dwNodeId = NodeIdByName(pDoc, lpszName);
        app.m_nodeClipboard.bCut = TRUE;
        pTree->RefreshTree(FALSE);
    }
};

// Names in the order the tree shows them under the root.
std::string TopLevel(CTreeCtrl& tree)
{
    std::string text;
    for (HTREEITEM h = tree.GetRootItem(); h != nullptr; h = tree.GetNextSiblingItem(h))
        text += (text.empty() ? "" : ", ") + std::string((LPCSTR)tree.GetItemText(h));
    return text;
}

} // namespace

TEST_F(NodeTreeTest, TheTreeFollowsTheNotebooksSortOptions)
{
    struct Case
    {
        WORD wOrder, wFolders;
        const char* expected;
    };
    // Names chosen so that every rule decides somewhere.
    const Case cases[] = {
        { 0, 0, "b, z, 10 pears, 2 apples, a, C, image" },      // A to Z, folders first
        { 0, 1, "10 pears, 2 apples, a, C, image, b, z" },      // folders last
        { 0, 2, "10 pears, 2 apples, a, b, C, image, z" },      // no folder grouping
        { 1, 0, "z, b, image, C, a, 2 apples, 10 pears" },      // Z to A (text), "10" < "2"
        { 2, 0, "b, z, 2 apples, 10 pears, a, C, image" },      // numbers by value, ascending
        { 3, 2, "z, image, C, b, a, 2 apples, 10 pears" },      // numbers stay ascending with Z to A
    };
    for (const Case& c : cases)
    {
        CNotebookBuilder builder;
        builder.Sort(c.wOrder, c.wFolders);
        builder.Note("a");
        builder.Note("10 pears");
        builder.Folder("z");
        builder.Node(QLC_NODE_IMAGE, "image", 0, std::string());
        builder.Note("C");
        builder.Folder("b");
        builder.Note("2 apples");
        CQuillcrestDoc* pDoc = OpenBuilt(builder, ("sort" + std::to_string(c.wOrder) + std::to_string(c.wFolders) + ".qlc").c_str());
        ASSERT_NE(nullptr, pDoc);
        EXPECT_EQ(c.expected, TopLevel(*TreeOf(pDoc))) << "order " << c.wOrder << ", folders " << c.wFolders;
        pDoc->OnCloseDocument();
    }
}

TEST_F(NodeTreeTest, NumbersTooLargeForAnIntStillSortByValue)
{
    // Subtracting would overflow here; the numbers are clamped and compared.
    EXPECT_EQ(2147483647, CQlcTreeCtrl::LeadingNumber("99999999999999999999 big"));
    EXPECT_EQ(-2147483647 - 1, CQlcTreeCtrl::LeadingNumber(" -99999999999 small"));
    EXPECT_EQ(42, CQlcTreeCtrl::LeadingNumber("  +42 answer"));
    EXPECT_EQ(0, CQlcTreeCtrl::LeadingNumber("- 5"));
    EXPECT_EQ(0, CQlcTreeCtrl::LeadingNumber("no number"));

    CNotebookBuilder builder;
    builder.Sort(2, 2);
    builder.Note("3000000000 far");
    builder.Note("-3000000000 below");
    builder.Note("7 near");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ("-3000000000 below, 7 near, 3000000000 far", TopLevel(*TreeOf(pDoc)));
}

TEST_F(NodeTreeTest, NamesEqualButForCaseKeepTheNotebooksOrder)
{
    CNotebookBuilder builder;
    DWORD dwFirst = builder.Note("Same");
    builder.Note("same");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwFirst = NodeIdByName(pDoc, "Same");
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    // Table order decides; the first in the table comes first here.
    CQlcDocLock::CScoped tableLock109(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock109);
    POSITION pos = nodes.GetStartPosition();
    DWORD dwId = 0;
    QLCNODE node;
    nodes.GetNextAssoc(pos, dwId, node);
    EXPECT_EQ(dwId, (DWORD)pTree->GetItemData(pTree->GetRootItem()));
    EXPECT_NE(0u, dwFirst);
}

TEST_F(NodeTreeTest, EmptyFoldersShowAPlaceholderButAnEmptyNotebookShowsNothing)
{
    {
        CNotebookBuilder builder;
        CQuillcrestDoc* pDoc = OpenBuilt(builder, "empty.qlc");
        ASSERT_NE(nullptr, pDoc);
        EXPECT_EQ(0u, TreeOf(pDoc)->GetCount());
        pDoc->OnCloseDocument();
    }
    CNotebookBuilder builder;
    const DWORD dwFolder = builder.Folder("Folder");
    builder.Folder("Inner", dwFolder);
    builder.Note("Note");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    EXPECT_EQ("Folder{Inner{(empty)}}, Note", DescribeTree(*pTree));
    HTREEITEM hPlaceholder = FindItem(*pTree, "Folder/Inner/(empty)");
    ASSERT_NE(nullptr, hPlaceholder);
    EXPECT_EQ(CQlcTreeCtrl::kPlaceholderId, (DWORD)pTree->GetItemData(hPlaceholder));
    EXPECT_EQ(CQlcTreeCtrl::imagePlaceholder, ImageOf(*pTree, hPlaceholder));
    EXPECT_EQ(CQlcTreeCtrl::imageFolder, ImageOf(*pTree, FindItem(*pTree, "Folder")));
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(*pTree, FindItem(*pTree, "Note")));
}

TEST_F(NodeTreeTest, OverlaysShowEncryptionBeforeTasks)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CNotebookBuilder builder;
    DWORD dwLocked = builder.Note("Locked", 0, kNoteRtf);
    DWORD dwBoth = builder.Note("Both", 0, kNoteRtf);
    DWORD dwTasked = builder.Note("Tasked");
    builder.Note("Plain");
    builder.Encrypt(dwLocked, "pw");
    builder.Encrypt(dwBoth, "pw");
    builder.Task(dwBoth);
    builder.Task(dwTasked);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwLocked = NodeIdByName(pDoc, "Locked");
    dwBoth = NodeIdByName(pDoc, "Both");
    dwTasked = NodeIdByName(pDoc, "Tasked");
    EXPECT_EQ("Both[o4], Locked[o4], Plain, Tasked[o5]", DescribeTree(*TreeOf(pDoc), nullptr, TRUE));
}

TEST_F(NodeTreeTest, DoubleClickOpensMarksTheNodeAndItsFoldersAndEmptySpaceClosesIt)
{
    CNotebookBuilder builder;
    DWORD dwOuter = builder.Folder("Outer");
    DWORD dwInner = builder.Folder("Inner", dwOuter);
    DWORD dwNote = builder.Note("Deep", dwInner, kNoteRtf);
    builder.Note("Top", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwOuter = NodeIdByName(pDoc, "Outer");
    dwInner = NodeIdByName(pDoc, "Inner");
    dwNote = NodeIdByName(pDoc, "Deep");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->ExpandAll();

    DoubleClickItem(*pTree, FindItem(*pTree, "Outer/Inner/Deep"));
    EXPECT_EQ(dwNote, pFrame->GetShownNodeId());
    ASSERT_NE(nullptr, pFrame->GetRichEditView());
    EXPECT_EQ("Outer[o2b]{Inner[o2b]{Deep[o1b]}}, Top", DescribeTree(*pTree, nullptr, TRUE));
    EXPECT_EQ("Deep", std::string((LPCSTR)pFrame->GetNodeTitle()));

    // The open note is not loaded again: an edit survives the double-click.
    CRichEditCtrl& ctrl = pFrame->GetRichEditView()->GetRichEditCtrl();
    ctrl.SetSel(0, 0);
    ctrl.ReplaceSel("Kept ", TRUE);
    DoubleClickItem(*pTree, FindItem(*pTree, "Outer/Inner/Deep"));
    EXPECT_EQ(0u, PlainText(ctrl).find("Kept Hello tree"));

    // Empty space closes it (and stores the edit first).
    DoubleClickEmptySpace(*pTree);
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
    EXPECT_EQ(nullptr, pFrame->GetRichEditView());
    EXPECT_NE(nullptr, pFrame->GetBlankView());
    EXPECT_EQ("Outer{Inner{Deep}}, Top", DescribeTree(*pTree, nullptr, TRUE));
    EXPECT_NE(std::string::npos, ReadPayload(pDoc, dwNote).find("Kept Hello tree"));
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(NodeTreeTest, EnterAndSpaceOpenTheCaretItemButArrowsOnlySelect)
{
    CNotebookBuilder builder;
    DWORD dwFirst = builder.Note("First", 0, kNoteRtf);
    DWORD dwSecond = builder.Note("Second", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwFirst = NodeIdByName(pDoc, "First");
    dwSecond = NodeIdByName(pDoc, "Second");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);

    pTree->SelectItem(FindItem(*pTree, "First"));
    PressKey(*pTree, VK_RETURN);
    EXPECT_EQ(dwFirst, pFrame->GetShownNodeId());
    PressKey(*pTree, VK_DOWN);
    EXPECT_EQ(FindItem(*pTree, "Second"), pTree->GetSelectedItem());
    EXPECT_EQ(dwFirst, pFrame->GetShownNodeId());
    PressKey(*pTree, VK_SPACE);
    EXPECT_EQ(dwSecond, pFrame->GetShownNodeId());

    // A key released that was not pressed in the tree does nothing.
    pTree->SelectItem(FindItem(*pTree, "First"));
    pTree->SendMessage(WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
    EXPECT_EQ(dwSecond, pFrame->GetShownNodeId());
}

TEST_F(NodeTreeTest, SingleClickModeOpensOnAClick)
{
    app.m_settings.m_nSingleClick = 1;
    CNotebookBuilder builder;
    DWORD dwNote = builder.Note("Clicked", 0, kNoteRtf);
    builder.Folder("Folder");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwNote = NodeIdByName(pDoc, "Clicked");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    EXPECT_TRUE(pTree->IsSingleClick());
    EXPECT_NE(0u, pTree->GetStyle() & TVS_TRACKSELECT);

    ClickItem(*pTree, FindItem(*pTree, "Folder"));
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
    ClickItem(*pTree, FindItem(*pTree, "Clicked"));
    EXPECT_EQ(dwNote, pFrame->GetShownNodeId());
    // A double-click does not open in this mode.
    DoubleClickEmptySpace(*pTree);
    EXPECT_EQ(dwNote, pFrame->GetShownNodeId());
}

TEST_F(NodeTreeTest, ClicksOutsideSingleClickModeOnlySelect)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    ClickItem(*pTree, FindItem(*pTree, "Note"));
    EXPECT_EQ(FindItem(*pTree, "Note"), pTree->GetSelectedItem());
    EXPECT_EQ(CChildFrame::kNoNode, FrameOf(pDoc)->GetShownNodeId());
}

TEST_F(NodeTreeTest, DisplayingTheShownNodeChangesNothing)
{
    CNotebookBuilder builder;
    DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwNote = NodeIdByName(pDoc, "Note");
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, dwNote));
    CView* pView = pFrame->GetContentView();
    EXPECT_FALSE(pFrame->DisplayNode(TRUE, dwNote));
    EXPECT_FALSE(pFrame->DisplayNode(FALSE, dwNote));
    EXPECT_EQ(pView, pFrame->GetContentView());
    EXPECT_EQ(dwNote, pFrame->GetShownNodeId());
    // Nothing shown, nothing to close either.
    ASSERT_TRUE(pFrame->DisplayNode(FALSE, CChildFrame::kNoNode));
    CView* pBlank = pFrame->GetContentView();
    EXPECT_FALSE(pFrame->DisplayNode(FALSE, CChildFrame::kNoNode));
    EXPECT_EQ(pBlank, pFrame->GetContentView());
}

TEST_F(NodeTreeTest, ForeignDataShowsItsMessageAndTheBlankView)
{
    CNotebookBuilder builder;
    DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    DWORD dwForeign = builder.Node(QLC_NODE_FOREIGN, "Data", 0, "some file's bytes");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwNote = NodeIdByName(pDoc, "Note");
    dwForeign = NodeIdByName(pDoc, "Data");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    DoubleClickItem(*pTree, FindItem(*pTree, "Note"));
    ASSERT_EQ(dwNote, pFrame->GetShownNodeId());

    DoubleClickItem(*pTree, FindItem(*pTree, "Data"));
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Foreign data cannot be opened in Quillcrest.\n\nTry exporting it instead.", messages[0]);
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
    EXPECT_NE(nullptr, pFrame->GetBlankView());
    EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());
    EXPECT_EQ("Data, Note", DescribeTree(*pTree, nullptr, TRUE));
    EXPECT_NE(0u, dwForeign);
}

TEST_F(NodeTreeTest, AnUnknownTypeWarnsTwiceAndLeavesTheBlankViewInItsPane)
{
    CNotebookBuilder builder;
    DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    DWORD dwOdd = builder.Node(5, "Odd", 0, std::string());
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwNote = NodeIdByName(pDoc, "Note");
    dwOdd = NodeIdByName(pDoc, "Odd");
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, dwNote));
    ASSERT_NE(nullptr, pFrame->GetRichEditView());

    EXPECT_FALSE(pFrame->DisplayNode(TRUE, dwOdd));
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ("This node does not have a recognised data type.\n\nI do not know how to access it.", messages[0]);
    EXPECT_EQ("Warning: Could not load node data.", messages[1]);
    // One view in the pane, laid out.
    EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetSplitter().GetPane(0, 1));
    CRect rc;
    pFrame->GetBlankView()->GetClientRect(rc);
    EXPECT_GT(rc.Width(), 20);
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
}

TEST_F(NodeTreeTest, ADamagedNoteIsNeverShownForEditing)
{
    CNotebookBuilder builder;
    DWORD dwBad = builder.DamagedNote("Damaged");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwBad = NodeIdByName(pDoc, "Damaged");
    CChildFrame* pFrame = FrameOf(pDoc);
    EXPECT_FALSE(pFrame->DisplayNode(TRUE, dwBad));
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Warning: Could not load node data.", messages[0]);
    EXPECT_EQ(nullptr, pFrame->GetRichEditView());
    EXPECT_FALSE(pDoc->IsModified());
}

namespace {

DWORD U32At(const std::string& bytes, size_t nAt)
{
    DWORD dw = 0;
    for (int i = 3; i >= 0; i--)
        dw = (dw << 8) | (BYTE)bytes[nAt + i];
    return dw;
}

// Where the record of the named node starts in a notebook file (its name
// follows the record's fixed part), or npos.
size_t RecordOf(const std::string& file, LPCSTR lpszName)
{
    const size_t nName = file.find(std::string(lpszName) + '\0');
    return nName == std::string::npos || nName < QLC_NODE_RECORD_SIZE ? std::string::npos
                                                                         : nName - QLC_NODE_RECORD_SIZE;
}

// The bytes a node's record points at (as far as the file holds them).
std::string StoredBytes(const std::string& file, LPCSTR lpszName)
{
    const size_t nRecord = RecordOf(file, lpszName);
    if (nRecord == std::string::npos)
        return std::string();
    const size_t nOffset = U32At(file, nRecord), nSize = U32At(file, nRecord + 20);
    return nOffset >= file.size() ? std::string() : file.substr(nOffset, nSize);
}

} // namespace

TEST_F(NodeTreeTest, ANoteStoredPastTheEndOfItsFileIsNeverShownEmptyAndASaveKeepsItsBytes)
{
    const CString strPath = Path("past.qlc");
    {
        CNotebookBuilder builder;
        builder.Note("Intact", 0, kNoteRtf);
        builder.Note("Lost", 0, "{\\rtf1\\ansi Years of notes\\par}");
        ASSERT_TRUE(builder.Save(strPath));
        builder.doc.Data_ReleaseFiles();
    }
    std::string file = ReadFileBytes(strPath);
    const size_t nRecord = RecordOf(file, "Lost");
    ASSERT_NE(std::string::npos, nRecord);
    const std::string payload = StoredBytes(file, "Lost");
    ASSERT_FALSE(payload.empty());
    // Its stored size now runs past the end of the file.
    for (int i = 0; i < 4; i++)
        file[nRecord + 20 + i] = (char)((0x7FFFFFF0 >> (8 * i)) & 0xFF);
    {
        HANDLE h = ::CreateFileA(strPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD dwWritten = 0;
        ::WriteFile(h, file.data(), (DWORD)file.size(), &dwWritten, nullptr);
        ::CloseHandle(h);
    }

    CQuillcrestDoc* pDoc = Open(strPath);
    ASSERT_NE(nullptr, pDoc);
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find("1 node of this notebook is damaged; its contents cannot be read:\n    //Lost\n"));
    CChildFrame* pFrame = FrameOf(pDoc);

    // Opened as the user opens it: told, and no empty note to type into.
    UserClickItem(*TreeOf(pDoc), "Lost", TRUE);
    EXPECT_EQ((std::vector<std::string>{ "Warning: Could not load node data." }), TakeMessages());
    EXPECT_EQ(nullptr, pFrame->GetRichEditView());
    EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());

    // Another note is edited and the notebook saved.
    CQlcRichEditViewEx* pView = OpenNoteAsUser(pFrame, "Intact");
    ASSERT_NE(nullptr, pView);
    CUserInput::Type("more ");
    pFrame->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_FALSE(pDoc->IsModified());

    // The damaged note still holds its bytes; the edit is there too.
    const std::string saved = ReadFileBytes(strPath);
    EXPECT_EQ(0u, StoredBytes(saved, "Lost").find(payload));
    EXPECT_NE(std::string::npos, ReadPayload(pDoc, NodeIdByName(pDoc, "Intact")).find("more Hello tree"));
}

TEST_F(NodeTreeTest, AnEncryptedNodeAsksForItsPasswordEachVisit)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CNotebookBuilder builder;
    DWORD dwSecret = builder.Note("Secret", 0, kNoteRtf);
    DWORD dwOther = builder.Note("Other", 0, kNoteRtf);
    builder.Encrypt(dwSecret, "opensesame");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwSecret = NodeIdByName(pDoc, "Secret");
    dwOther = NodeIdByName(pDoc, "Other");
    CChildFrame* pFrame = FrameOf(pDoc);

    std::string typed = "opensesame";
    BOOL bCancel = FALSE;
    CScriptedDialogs dialogs([&](CWnd* pDialog) {
        if (bCancel)
        {
            ClickButton(pDialog, IDCANCEL);
            return;
        }
        pDialog->SetDlgItemText(IDC_PASSWORD_FIRST, typed.c_str());
        ClickButton(pDialog, IDOK);
    });

    // Cancelled: "Access Denied", the blank view, no load warning.
    bCancel = TRUE;
    EXPECT_FALSE(pFrame->DisplayNode(TRUE, dwSecret));
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Access Denied", messages[0]);
    EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());
    EXPECT_FALSE(CQlcNode(pDoc, dwSecret).HasPassword());

    // The right password opens the note.
    bCancel = FALSE;
    EXPECT_TRUE(pFrame->DisplayNode(TRUE, dwSecret));
    EXPECT_EQ(2, dialogs.nDialogs);
    ASSERT_NE(nullptr, pFrame->GetRichEditView());
    EXPECT_NE(std::string::npos, PlainText(pFrame->GetRichEditView()->GetRichEditCtrl()).find("Hello tree"));
    EXPECT_TRUE(CQlcNode(pDoc, dwSecret).HasPassword());
    EXPECT_FALSE(pDoc->IsModified()); // remembering the password changes nothing

    // Leaving forgets it, so coming back asks again.
    EXPECT_TRUE(pFrame->DisplayNode(TRUE, dwOther));
    EXPECT_FALSE(CQlcNode(pDoc, dwSecret).HasPassword());
    EXPECT_TRUE(pFrame->DisplayNode(TRUE, dwSecret));
    EXPECT_EQ(3, dialogs.nDialogs);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(NodeTreeTest, AnEncryptedNodeWithoutTheLibraryCannotBeOpened)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CNotebookBuilder builder;
    DWORD dwSecret = builder.Note("Secret", 0, kNoteRtf);
    builder.Encrypt(dwSecret, "pw");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwSecret = NodeIdByName(pDoc, "Secret");
    app.m_cryptHandler.Unload();
    CScriptedDialogs dialogs([](CWnd* pDialog) { ClickButton(pDialog, IDCANCEL); });
    EXPECT_FALSE(FrameOf(pDoc)->DisplayNode(TRUE, dwSecret));
    EXPECT_EQ(0, dialogs.nDialogs);
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("You cannot access this encrypted node.\n\nEncryption is not available or not compatible.", messages[0]);
}

TEST_F(NodeTreeTest, RenamingThroughTheLabelStoresTheNameAndRefusesAnEmptyOne)
{
    CNotebookBuilder builder;
    DWORD dwNote = builder.Note("Old name", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwNote = NodeIdByName(pDoc, "Old name");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    HTREEITEM hItem = FindItem(*pTree, "Old name");
    DoubleClickItem(*pTree, hItem);

    pTree->SetContextItem(hItem);
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_RENAME);
    ASSERT_TRUE(pTree->IsLabelEditing());
    // The edit takes 64 characters at most.
    EXPECT_EQ(64, (int)::SendMessageA(pTree->GetEditControl(), EM_GETLIMITTEXT, 0, 0));
    RenameThroughEdit(*pTree, "");
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("You must enter a name for this item", messages[0]);
    EXPECT_EQ("Old name", std::string((LPCSTR)pTree->GetItemText(hItem)));
    EXPECT_EQ("Old name", std::string(CQlcNode(pDoc, dwNote).GetName()));
    EXPECT_FALSE(pDoc->IsModified());

    pTree->SetContextItem(hItem);
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_RENAME);
    RenameThroughEdit(*pTree, " New name ");
    EXPECT_EQ(" New name ", std::string((LPCSTR)pTree->GetItemText(hItem)));
    EXPECT_EQ(" New name ", std::string(CQlcNode(pDoc, dwNote).GetName()));
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(" New name ", std::string((LPCSTR)pFrame->GetNodeTitle()));

    // A cancelled edit changes nothing.
    pTree->SetContextItem(hItem);
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_RENAME);
    RenameThroughEdit(*pTree, "Discarded", TRUE);
    EXPECT_EQ(" New name ", std::string(CQlcNode(pDoc, dwNote).GetName()));
}

TEST_F(NodeTreeTest, LabelEditingIsBlockedAfterASelectionChangeUntilRename)
{
    CNotebookBuilder builder;
    builder.Note("One");
    builder.Note("Two");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->SetFocus();
    pTree->SelectItem(FindItem(*pTree, "Two"));
    EXPECT_EQ(nullptr, pTree->EditLabel(FindItem(*pTree, "Two")));
    EXPECT_FALSE(pTree->IsLabelEditing());
    // F2 renames the caret item.
    PressKey(*pTree, VK_F2);
    EXPECT_TRUE(pTree->IsLabelEditing());
    RenameThroughEdit(*pTree, "Second");
    EXPECT_EQ("One, Second", TopLevel(*pTree));
}

TEST_F(NodeTreeTest, NewNotesAndFoldersGoWhereTheContextItemSays)
{
    CNotebookBuilder builder;
    DWORD dwFolder = builder.Folder("Folder");
    builder.Folder("Empty");
    builder.Note("Beside", dwFolder);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwFolder = NodeIdByName(pDoc, "Folder");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->ExpandAll();

    // On a folder: first inside it, editing its label at once.
    pTree->SetContextItem(FindItem(*pTree, "Folder"));
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_NEWNOTE);
    EXPECT_TRUE(pTree->IsLabelEditing());
    RenameThroughEdit(*pTree, "Inside");
    EXPECT_EQ("Empty{(empty)}, Folder{Inside, Beside}", DescribeTree(*pTree));
    const DWORD dwInside = NodeIdByName(pDoc, "Inside");
    EXPECT_EQ(dwFolder, CQlcNode(pDoc, dwInside).GetParentId());
    EXPECT_EQ(QLC_NODE_NOTE, CQlcNode(pDoc, dwInside).GetType());

    // On a note: right after it, same parent.
    pTree->SetContextItem(FindItem(*pTree, "Folder/Inside"));
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_NEWFOLDER);
    RenameThroughEdit(*pTree, "Sub");
    EXPECT_EQ("Empty{(empty)}, Folder{Inside, Sub{(empty)}, Beside}", DescribeTree(*pTree));
    EXPECT_EQ(dwFolder, CQlcNode(pDoc, NodeIdByName(pDoc, "Sub")).GetParentId());

    // On "(empty)": into its folder, taking the placeholder's place.
    const DWORD dwEmpty = NodeIdByName(pDoc, "Empty");
    pTree->SetContextItem(FindItem(*pTree, "Empty/(empty)"));
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_NEWNOTE);
    RenameThroughEdit(*pTree, "Filled");
    EXPECT_EQ("Empty{Filled}", DescribeTree(*pTree).substr(0, 13));
    EXPECT_EQ(dwEmpty, CQlcNode(pDoc, NodeIdByName(pDoc, "Filled")).GetParentId());

    // Nothing chosen: last at the top level, with the default name kept
    // when the edit is cancelled.
    pTree->SetContextItem(nullptr);
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_NEWFOLDER);
    RenameThroughEdit(*pTree, "", TRUE);
    HTREEITEM hLast = pTree->GetRootItem();
    while (pTree->GetNextSiblingItem(hLast) != nullptr)
        hLast = pTree->GetNextSiblingItem(hLast);
    EXPECT_EQ("New Folder", std::string((LPCSTR)pTree->GetItemText(hLast)));
    EXPECT_EQ(0u, CQlcNode(pDoc, NodeIdByName(pDoc, "New Folder")).GetParentId());
    EXPECT_TRUE(pDoc->IsModified());
}

TEST_F(NodeTreeTest, DeletingAsksFirstAndClosesTheShownNodeOfTheBranch)
{
    CNotebookBuilder builder;
    DWORD dwFolder = builder.Folder("Folder");
    DWORD dwShown = builder.Note("Shown", dwFolder, kNoteRtf);
    builder.Note("Stays", 0, kNoteRtf);
    builder.Bookmark("To shown", dwShown);
    builder.Bookmark("Also to shown", dwShown);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwFolder = NodeIdByName(pDoc, "Folder");
    dwShown = NodeIdByName(pDoc, "Shown");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->ExpandAll();
    DoubleClickItem(*pTree, FindItem(*pTree, "Folder/Shown"));
    ASSERT_EQ(dwShown, pFrame->GetShownNodeId());
    // An unsaved edit of a note that goes is dropped, not stored.
    pFrame->GetRichEditView()->GetRichEditCtrl().ReplaceSel("edit", TRUE);

    m_pPrompts->m_nAnswer = IDNO;
    pTree->SetContextItem(FindItem(*pTree, "Folder"));
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_DELETE);
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Are you sure you want to delete this item?", messages[0]);
    EXPECT_EQ("Folder{Shown}, Stays", DescribeTree(*pTree));
    EXPECT_EQ(dwShown, pFrame->GetShownNodeId());

    m_pPrompts->m_nAnswer = IDYES;
    pTree->SetContextItem(FindItem(*pTree, "Folder"));
    pFrame->SendMessage(WM_COMMAND, ID_QLCPOPUP_DELETE);
    TakeMessages();
    EXPECT_EQ("Stays", DescribeTree(*pTree));
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
    EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());
    EXPECT_EQ(nullptr, pTree->GetShownItem());
    EXPECT_EQ(nullptr, pTree->GetContextItem());
    QLCNODE gone;
    EXPECT_FALSE(pDoc->Data_GetNode(dwShown, gone));
    EXPECT_FALSE(pDoc->Data_GetNode(dwFolder, gone));
    // Both bookmarks of the note went with it.
    EXPECT_EQ(0, (int)pDoc->Data_GetBookmarkCount());
    EXPECT_EQ(0u, BookmarksOf(pDoc)->GetCount());
}

TEST_F(NodeTreeTest, DeletingTheLastChildLeavesAPlaceholderButNeverAtTheTop)
{
    app.m_settings.m_nPromptDelete = 0;
    CNotebookBuilder builder;
    DWORD dwFolder = builder.Folder("Folder");
    builder.Note("Only", dwFolder);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwFolder = NodeIdByName(pDoc, "Folder");
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->ExpandAll();

    pTree->SelectItem(FindItem(*pTree, "Folder/Only"));
    PressKey(*pTree, VK_DELETE);
    EXPECT_TRUE(TakeMessages().empty()); // no question with PromptDelete 0
    EXPECT_EQ("Folder{(empty)}", DescribeTree(*pTree));

    // The placeholder itself cannot be deleted.
    pTree->SetContextItem(FindItem(*pTree, "Folder/(empty)"));
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_QLCPOPUP_DELETE);
    EXPECT_EQ("Folder{(empty)}", DescribeTree(*pTree));

    pTree->SetContextItem(FindItem(*pTree, "Folder"));
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_QLCPOPUP_DELETE);
    EXPECT_EQ("", DescribeTree(*pTree));
    EXPECT_EQ(0u, pTree->GetCount());
}

TEST_F(NodeTreeTest, RefreshRebuildsKeepingFoldersOpenAndTheShownMark)
{
    CNotebookBuilder builder;
    DWORD dwA = builder.Folder("A");
    DWORD dwB = builder.Folder("B");
    builder.Note("In A", dwA, kNoteRtf);
    DWORD dwInB = builder.Note("In B", dwB, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwA = NodeIdByName(pDoc, "A");
    dwB = NodeIdByName(pDoc, "B");
    dwInB = NodeIdByName(pDoc, "In B");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->Expand(FindItem(*pTree, "B"), TVE_EXPAND);
    DoubleClickItem(*pTree, FindItem(*pTree, "B/In B"));
    ASSERT_EQ(dwInB, pFrame->GetShownNodeId());

    // A node added behind the tree's back appears after the refresh.
    CQlcNode added;
    added.Create(pDoc, QLC_NODE_NOTE, "Added", dwA);
    pFrame->SendMessage(WM_COMMAND, ID_TREE_REFRESH);
    EXPECT_EQ("Added, In A", DescribeTree(*pTree, FindItem(*pTree, "A"), TRUE));
    EXPECT_EQ("In B[o1b]", DescribeTree(*pTree, FindItem(*pTree, "B"), TRUE));
    EXPECT_EQ(2, OverlayOf(*pTree, FindItem(*pTree, "B")));
    EXPECT_TRUE(IsBold(*pTree, FindItem(*pTree, "B")));
    EXPECT_FALSE(pTree->GetItemState(FindItem(*pTree, "A"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(pTree->GetItemState(FindItem(*pTree, "B"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(CQlcTreeCtrl::imageFolderOpen, ImageOf(*pTree, FindItem(*pTree, "B")));
    EXPECT_EQ(FindItem(*pTree, "B/In B"), pTree->GetShownItem());

    // Collapse and expand all follow the folder images.
    pFrame->SendMessage(WM_COMMAND, ID_TREE_COLLAPSEALL);
    EXPECT_EQ(CQlcTreeCtrl::imageFolder, ImageOf(*pTree, FindItem(*pTree, "B")));
    pFrame->SendMessage(WM_COMMAND, ID_TREE_EXPANDALL);
    EXPECT_TRUE(pTree->GetItemState(FindItem(*pTree, "A"), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(CQlcTreeCtrl::imageFolderOpen, ImageOf(*pTree, FindItem(*pTree, "A")));
}

TEST_F(NodeTreeTest, AStaleItemOpensTheBlankPane)
{
    CNotebookBuilder builder;
    DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    DWORD dwGone = builder.Note("Gone", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    // Saving numbers the nodes afresh.
    dwNote = NodeIdByName(pDoc, "Note");
    dwGone = NodeIdByName(pDoc, "Gone");
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    DoubleClickItem(*pTree, FindItem(*pTree, "Note"));
    ASSERT_EQ(dwNote, pFrame->GetShownNodeId());
    pDoc->Data_DeleteNode(dwGone); // the item stays behind
    DoubleClickItem(*pTree, FindItem(*pTree, "Gone"));
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());
    EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(NodeTreeTest, ACutNodeShowsItsCutImagesAndItsItemGoesWithADeletedBranch)
{
    app.m_settings.m_nPromptDelete = 0;
    CNotebookBuilder builder;
    const DWORD dwFolder = builder.Folder("Folder");
    builder.Note("Cut note", dwFolder);
    builder.Note("Other");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    HoldAsCut(pDoc, "Cut note");
    HTREEITEM hCut = FindItem(*pTree, "Folder/Cut note");
    ASSERT_NE(nullptr, hCut);
    EXPECT_EQ(hCut, pTree->GetCutItem());
    EXPECT_EQ(CQlcTreeCtrl::imageNote + CQlcTreeCtrl::imageCutOffset, ImageOf(*pTree, hCut));
    // Refreshing its item keeps the cut look.
    pTree->RefreshNodeItem(NodeIdByName(pDoc, "Cut note"));
    EXPECT_EQ(CQlcTreeCtrl::imageNote + CQlcTreeCtrl::imageCutOffset, ImageOf(*pTree, hCut));

    // Deleting the folder leaves no handle of its items behind.
    pTree->SetContextItem(FindItem(*pTree, "Folder"));
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_QLCPOPUP_DELETE);
    EXPECT_EQ("Other", DescribeTree(*pTree));
    EXPECT_EQ(nullptr, pTree->GetCutItem());
    EXPECT_EQ(nullptr, pTree->GetContextItem());
    EXPECT_NE(0u, dwFolder);
}

TEST_F(NodeTreeTest, TheContextMenuIsOwnerDrawnWithPicturesAndGreysWhatCannotAct)
{
    CNotebookBuilder builder;
    builder.Folder("Folder");
    builder.Note("Note");
    builder.Folder("Empty");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->ExpandAll();
    auto greyed = [](GlyphMenu* pPopup, UINT nID) {
        return (pPopup->GetMenuState(nID, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };

    // On a note: its commands work; what nothing handles yet is greyed.
    GlyphMenu onNote;
    GlyphMenu* pPopup = pTree->LoadContextMenu(onNote, FindItem(*pTree, "Note"));
    ASSERT_NE(nullptr, pPopup);
    EXPECT_TRUE(GlyphMenu::OwnsMenuHandle(pPopup));
    EXPECT_EQ((INT_PTR)pPopup->GetMenuItemCount(), pPopup->m_itemData.GetSize());
    for (UINT nID : { ID_QLCPOPUP_NEWNOTE, ID_QLCPOPUP_NEWFOLDER, ID_QLCPOPUP_DELETE, ID_QLCPOPUP_RENAME })
        EXPECT_FALSE(greyed(pPopup, nID)) << nID;
    EXPECT_TRUE(greyed(pPopup, ID_QLCPOPUP_PASTE));
    // The tree's toolbar pictures: Delete and, in the New popup, Note.
    GlyphMenu* pNew = DYNAMIC_DOWNCAST(GlyphMenu, pPopup->GetSubMenu(0));
    ASSERT_NE(nullptr, pNew);
    EXPECT_GE(pNew->m_itemData[0]->globalImageIndex, 0);
    for (INT_PTR i = 0; i < pPopup->m_itemData.GetSize(); i++)
    {
        if (pPopup->m_itemData[i]->commandId == ID_QLCPOPUP_DELETE)
        {
            EXPECT_GE(pPopup->m_itemData[i]->globalImageIndex, 0);
        }
        if (pPopup->m_itemData[i]->commandId == ID_QLCPOPUP_EXPORT)
        {
            EXPECT_EQ(-1, pPopup->m_itemData[i]->globalImageIndex);
        }
    }

    // On the placeholder and on empty space: nothing to delete or rename.
    for (HTREEITEM hItem : { FindItem(*pTree, "Empty/(empty)"), (HTREEITEM) nullptr })
    {
        GlyphMenu menu;
        GlyphMenu* p = pTree->LoadContextMenu(menu, hItem);
        ASSERT_NE(nullptr, p);
        EXPECT_TRUE(greyed(p, ID_QLCPOPUP_DELETE));
        EXPECT_TRUE(greyed(p, ID_QLCPOPUP_RENAME));
        EXPECT_FALSE(greyed(p, ID_QLCPOPUP_NEWNOTE));
    }

    // The tree routes the menu's mnemonics: D is Delete's.
    LRESULT lResult = pTree->SendMessage(WM_MENUCHAR, MAKEWPARAM('d', MF_POPUP), (LPARAM)pPopup->m_hMenu);
    ASSERT_EQ(MNC_EXECUTE, HIWORD(lResult));
    EXPECT_EQ(ID_QLCPOPUP_DELETE, pPopup->GetMenuItemID(LOWORD(lResult)));
}

TEST_F(NodeTreeTest, TheTreeShowsAScrollBarOnlyWithSomethingToScroll)
{
    CNotebookBuilder builder;
    builder.Folder("Home");
    builder.Note("Tips");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    EXPECT_EQ(0u, pTree->GetStyle() & WS_VSCROLL);

    // Forty notes do not fit: the bar comes, and goes with them.
    CNotebookBuilder many;
    for (int i = 0; i < 40; i++)
        many.Note(("Note " + std::to_string(i)).c_str());
    CQuillcrestDoc* pMany = OpenBuilt(many, "many.qlc");
    ASSERT_NE(nullptr, pMany);
    CQlcTreeCtrl* pManyTree = TreeOf(pMany);
    EXPECT_NE(0u, pManyTree->GetStyle() & WS_VSCROLL);
    while (HTREEITEM hItem = pManyTree->GetRootItem())
        pManyTree->DeleteItem(hItem);
    PumpMessages();
    EXPECT_EQ(0u, pManyTree->GetStyle() & WS_VSCROLL);
}

TEST_F(NodeTreeTest, WhatTheTreesLeaveOfTheirPaneIsPaintedNotLeftOver)
{
    CNotebookBuilder builder;
    builder.Note("One");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CWnd* pPane = TreeOf(pDoc)->GetParent();
    CRect rcPane;
    pPane->GetClientRect(rcPane);

    // The system erases the pane over whatever was on the screen before
    // (here magenta), then the pane's windows paint themselves.
    CClientDC dcScreen(pPane);
    CDC dc;
    dc.Attach(::CreateCompatibleDC(dcScreen.m_hDC));
    HBITMAP hbm = ::CreateCompatibleBitmap(dcScreen.m_hDC, rcPane.Width(), rcPane.Height());
    HGDIOBJ hOld = ::SelectObject(dc.m_hDC, hbm);
    const COLORREF crOld = RGB(255, 0, 255);
    dc.FillSolidRect(rcPane, crOld);
    pPane->SendMessage(WM_ERASEBKGND, (WPARAM)dc.m_hDC);
    // What no child window covers must not show the old pixels.
    int nLeftOver = 0, nUncovered = 0;
    for (int y = 0; y < rcPane.Height(); y++)
    {
        for (int x = 0; x < rcPane.Width(); x++)
        {
            POINT pt = { x, y };
            HWND hChild = ::ChildWindowFromPointEx(pPane->m_hWnd, pt, CWP_SKIPINVISIBLE);
            if (hChild != nullptr && hChild != pPane->m_hWnd)
                continue;
            nUncovered++;
            if (::GetPixel(dc.m_hDC, x, y) == crOld)
                nLeftOver++;
        }
    }
    EXPECT_EQ(0, nLeftOver) << "of " << nUncovered << " uncovered pixels";
    ::SelectObject(dc.m_hDC, hOld);
    ::DeleteObject(hbm);
    ::DeleteDC(dc.Detach());
}

TEST_F(NodeTreeTest, TheEnterThatEndsARenameDoesNotOpenTheNode)
{
    CNotebookBuilder builder;
    builder.Note("Alpha", 0, "{\\rtf1 alpha\\par}");
    builder.Note("Beta", 0, "{\\rtf1 beta\\par}");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    UserClickItem(*pTree, "Alpha");
    ASSERT_EQ(FindItem(*pTree, "Alpha"), pTree->GetSelectedItem());

    CUserInput::Key(VK_F2);
    HWND hEdit = pTree->GetEditControl();
    ASSERT_NE(nullptr, hEdit);
    EXPECT_EQ(hEdit, ::GetFocus());
    CUserInput::Type("Gamma");
    CUserInput::Key(VK_RETURN);

    EXPECT_EQ(nullptr, pTree->GetEditControl());
    EXPECT_EQ("Gamma, Beta", DescribeTree(*pTree));
    EXPECT_EQ(nullptr, FrameOf(pDoc)->GetRichEditView());
    EXPECT_EQ(pTree->m_hWnd, ::GetFocus());
    // The next Enter, pressed in the tree, opens it.
    CUserInput::Key(VK_RETURN);
    EXPECT_NE(nullptr, FrameOf(pDoc)->GetRichEditView());
}

namespace {

// Ids of the items directly under hParent, in tree order.
std::vector<DWORD> ChildIds(CTreeCtrl& tree, HTREEITEM hParent)
{
    std::vector<DWORD> ids;
    for (HTREEITEM h = tree.GetChildItem(hParent); h != nullptr; h = tree.GetNextSiblingItem(h))
        ids.push_back((DWORD)tree.GetItemData(h));
    return ids;
}

// The children of a node placed as the fill rule places them one by one:
// in table order, each before the first sibling it sorts before.
std::vector<DWORD> InsertedOneByOne(CQlcTreeCtrl& tree, CQuillcrestDoc* pDoc, DWORD dwParentId)
{
    std::vector<DWORD> ids;
    CQlcDocLock::CScoped tableLock872(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock872);
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        if (node.dwParentId != dwParentId)
            continue;
        size_t i = 0;
        while (i < ids.size() && tree.CompareNodes(dwId, ids[i]) >= 0)
            ++i;
        ids.insert(ids.begin() + (ptrdiff_t)i, dwId);
    }
    return ids;
}

bool HasChildren(CQuillcrestDoc* pDoc, DWORD dwId)
{
    CQlcDocLock::CScoped tableLock890(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock890);
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
    {
        if (p->value.dwParentId == dwId)
            return true;
    }
    return false;
}

} // namespace

// A big folder: names with numbers, equal names in other case, folders
// (empty or not), images and notes mixed, under each sort setting. Its items
// come in the order inserting them one by one gives, with a placeholder
// under every empty folder and nowhere else.
TEST_F(NodeTreeTest, AFolderOfTwoThousandChildrenIsFilledInTheSortOrderWithItsPlaceholders)
{
    struct Case
    {
        WORD wOrder, wFolders;
    };
    for (const Case c : { Case{ 0, 0 }, Case{ 3, 1 }, Case{ 2, 2 } })
    {
        SCOPED_TRACE(testing::Message() << "order " << c.wOrder << ", folders " << c.wFolders);
        CNotebookBuilder builder;
        builder.Sort(c.wOrder, c.wFolders);
        builder.Note("Before");
        const DWORD dwBig = builder.Folder("Big");
        static const char* const kWords[] = { "apple", "Apple", "pear", "10 plums", "9 figs", "zest", "Zest", "mango" };
        unsigned seed = 5;
        for (int i = 0; i < 2000; ++i)
        {
            seed = seed * 1103515245u + 12345u;
            const std::string name = std::string(kWords[(seed >> 16) % 8]) + ((seed >> 8) % 3 ? "" : " " + std::to_string(i % 40));
            if (i % 9 == 0)
            {
                const DWORD dwSub = builder.Folder(name.c_str(), dwBig);
                if (i % 2 == 0)
                {
                    builder.Note("b", dwSub);
                    builder.Note("A", dwSub);
                }
            }
            else if (i % 13 == 0)
                builder.Node(QLC_NODE_IMAGE, name.c_str(), dwBig, std::string());
            else
                builder.Note(name.c_str(), dwBig);
        }
        CQuillcrestDoc* pDoc = OpenBuilt(builder, ("big" + std::to_string(c.wOrder) + std::to_string(c.wFolders) + ".qlc").c_str());
        ASSERT_NE(nullptr, pDoc);
        CQlcTreeCtrl* pTree = TreeOf(pDoc);
        const HTREEITEM hBig = FindItem(*pTree, "Big");
        ASSERT_NE(nullptr, hBig);
        const DWORD dwBigId = (DWORD)pTree->GetItemData(hBig);

        EXPECT_EQ(InsertedOneByOne(*pTree, pDoc, 0), ChildIds(*pTree, nullptr));
        const std::vector<DWORD> children = ChildIds(*pTree, hBig);
        ASSERT_EQ(2000u, children.size());
        EXPECT_EQ(InsertedOneByOne(*pTree, pDoc, dwBigId), children);

        int nEmpty = 0;
        for (HTREEITEM h = pTree->GetChildItem(hBig); h != nullptr; h = pTree->GetNextSiblingItem(h))
        {
            const DWORD dwId = (DWORD)pTree->GetItemData(h);
            QLCNODE node;
            ASSERT_TRUE(pDoc->Data_GetNode(dwId, node));
            EXPECT_EQ((int)node.wIcon, ImageOf(*pTree, h));
            EXPECT_EQ(0, OverlayOf(*pTree, h));
            const std::vector<DWORD> below = ChildIds(*pTree, h);
            if (node.nType != QLC_NODE_FOLDER)
                EXPECT_TRUE(below.empty());
            else if (!HasChildren(pDoc, dwId))
            {
                ++nEmpty;
                ASSERT_EQ(std::vector<DWORD>{ CQlcTreeCtrl::kPlaceholderId }, below);
                const HTREEITEM hPlaceholder = pTree->GetChildItem(h);
                EXPECT_EQ(std::string((LPCSTR)AfxLoadText(IDS_TREE_EMPTY)), (LPCSTR)pTree->GetItemText(hPlaceholder));
                EXPECT_EQ(CQlcTreeCtrl::imagePlaceholder, ImageOf(*pTree, hPlaceholder));
            }
            else
                EXPECT_EQ(InsertedOneByOne(*pTree, pDoc, dwId), below);
        }
        EXPECT_EQ(111, nEmpty); // every other one of the 223 folders
        EXPECT_EQ((UINT)pDoc->Data_GetNodeCount() + nEmpty, pTree->GetCount());
        // The index finds every item.
        for (DWORD dwId : children)
        {
            const HTREEITEM h = pTree->FindNodeItem(dwId);
            ASSERT_NE(nullptr, h);
            EXPECT_EQ(dwId, (DWORD)pTree->GetItemData(h));
        }
        EXPECT_EQ(nullptr, pTree->FindNodeItem(dwBigId, pTree->GetChildItem(hBig)));
        pDoc->OnCloseDocument();
    }
}

// Every folder open before a refresh is open after it, at any depth and
// also inside a closed folder; the others stay closed. Without keeping,
// all are closed. The node index follows refreshes, deletions and new nodes.
TEST_F(NodeTreeTest, RefreshKeepsExpandedFoldersAtAnyDepthAndTheIndexFollows)
{
    app.m_settings.m_nPromptDelete = 0;
    CNotebookBuilder builder;
    const DWORD dwA = builder.Folder("A");
    const DWORD dwA1 = builder.Folder("A1", dwA);
    const DWORD dwA1a = builder.Folder("A1a", dwA1);
    builder.Note("deep", dwA1a);
    builder.Folder("A2", dwA);
    const DWORD dwB = builder.Folder("B");
    const DWORD dwB1 = builder.Folder("B1", dwB);
    builder.Note("in B1", dwB1);
    builder.Folder("C");
    builder.Note("top");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_NE(0u, dwA1a + dwB1);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    auto expanded = [pTree](LPCSTR lpszPath) {
        const HTREEITEM h = FindItem(*pTree, lpszPath);
        return h != nullptr && (pTree->GetItemState(h, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    };
    pTree->Expand(FindItem(*pTree, "A"), TVE_EXPAND);
    pTree->Expand(FindItem(*pTree, "A/A1"), TVE_EXPAND);
    pTree->Expand(FindItem(*pTree, "A/A1/A1a"), TVE_EXPAND);
    pTree->Expand(FindItem(*pTree, "A"), TVE_COLLAPSE); // A1 and A1a stay open inside
    pTree->Expand(FindItem(*pTree, "B/B1"), TVE_EXPAND);
    pTree->Expand(FindItem(*pTree, "C"), TVE_EXPAND); // only its placeholder
    const char* const kFolders[] = { "A", "A/A1", "A/A1/A1a", "A/A2", "B", "B/B1", "C" };
    std::vector<bool> before;
    for (LPCSTR lpszPath : kFolders)
        before.push_back(expanded(lpszPath));
    ASSERT_EQ((std::vector<bool>{ false, true, true, false, false, true, true }), before);

    pTree->RefreshTree(TRUE);
    for (size_t i = 0; i < before.size(); ++i)
    {
        EXPECT_EQ(before[i], expanded(kFolders[i])) << kFolders[i];
        EXPECT_EQ(before[i] ? CQlcTreeCtrl::imageFolderOpen : CQlcTreeCtrl::imageFolder,
                  ImageOf(*pTree, FindItem(*pTree, kFolders[i])))
            << kFolders[i];
    }
    EXPECT_EQ("A{A1{A1a{deep}}, A2{(empty)}}, B{B1{in B1}}, C{(empty)}, top", DescribeTree(*pTree));

    // The index answers for every node after the refresh.
    CQlcDocLock::CScoped tableLock1034(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock1034);
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
    {
        const HTREEITEM h = pTree->FindNodeItem(p->key);
        ASSERT_NE(nullptr, h) << (LPCSTR)p->value.strName;
        EXPECT_EQ(p->key, (DWORD)pTree->GetItemData(h));
    }
    const DWORD dwDeep = NodeIdByName(pDoc, "deep");
    EXPECT_EQ(FindItem(*pTree, "A/A1/A1a/deep"), pTree->FindNodeItem(dwDeep, FindItem(*pTree, "A")));
    EXPECT_EQ(nullptr, pTree->FindNodeItem(dwDeep, FindItem(*pTree, "B")));

    // A deleted branch leaves the index; a new note joins it.
    const DWORD dwA1Now = NodeIdByName(pDoc, "A1");
    pTree->SetContextItem(FindItem(*pTree, "A/A1"));
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_QLCPOPUP_DELETE);
    EXPECT_EQ(nullptr, pTree->FindNodeItem(dwA1Now));
    EXPECT_EQ(nullptr, pTree->FindNodeItem(dwDeep));
    EXPECT_EQ(FindItem(*pTree, "B/B1"), pTree->FindNodeItem(NodeIdByName(pDoc, "B1")));
    pTree->SetContextItem(FindItem(*pTree, "C"));
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_QLCPOPUP_NEWNOTE);
    RenameThroughEdit(*pTree, "", TRUE);
    const DWORD dwNew = NodeIdByName(pDoc, "New Note");
    ASSERT_NE(0u, dwNew);
    EXPECT_EQ(FindItem(*pTree, "C/New Note"), pTree->FindNodeItem(dwNew));

    pTree->RefreshTree(FALSE);
    for (LPCSTR lpszPath : { "A", "A/A2", "B", "B/B1", "C" })
        EXPECT_FALSE(expanded(lpszPath)) << lpszPath;
    EXPECT_EQ(FindItem(*pTree, "C/New Note"), pTree->FindNodeItem(dwNew));
}

// A cut folder shows the cut images on its item and on everything below it.
TEST_F(NodeTreeTest, ACutFolderShowsItsCutImagesDownToItsPlaceholders)
{
    CNotebookBuilder builder;
    const DWORD dwFolder = builder.Folder("Folder");
    builder.Folder("Empty", dwFolder);
    builder.Note("Inside", dwFolder);
    builder.Note("Outside");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_NE(0u, dwFolder);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    HoldAsCut(pDoc, "Folder");
    const int kCut = CQlcTreeCtrl::imageCutOffset;
    EXPECT_EQ(FindItem(*pTree, "Folder"), pTree->GetCutItem());
    EXPECT_EQ(CQlcTreeCtrl::imageFolder + kCut, ImageOf(*pTree, FindItem(*pTree, "Folder")));
    EXPECT_EQ(CQlcTreeCtrl::imageFolder + kCut, ImageOf(*pTree, FindItem(*pTree, "Folder/Empty")));
    EXPECT_EQ(CQlcTreeCtrl::imagePlaceholder + kCut, ImageOf(*pTree, FindItem(*pTree, "Folder/Empty/(empty)")));
    EXPECT_EQ(CQlcTreeCtrl::imageNote + kCut, ImageOf(*pTree, FindItem(*pTree, "Folder/Inside")));
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(*pTree, FindItem(*pTree, "Outside")));
}

// Wine's tree control keeps system keys to itself; the tree passes them on.
TEST_F(NodeTreeTest, AltF4InTheTreeAsksTheMainWindowToClose)
{
    CNotebookBuilder builder;
    builder.Note("Letter");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = FrameOf(pDoc)->GetTreeCtrl();
    pTree->SetFocus();
    MSG msg;
    while (::PeekMessageA(&msg, m_pMainFrame->m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
    {
    }
    // Alt+F4 as the keyboard gives it: the system key down with Alt held.
    const LPARAM lKey = 1 | (0x3E << 16) | (1 << 29);
    pTree->SendMessage(WM_SYSKEYDOWN, VK_F4, lKey);
    BOOL bClose = FALSE;
    while (::PeekMessageA(&msg, m_pMainFrame->m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
        bClose |= (msg.wParam & 0xFFF0) == SC_CLOSE;
    EXPECT_TRUE(bClose);
}
