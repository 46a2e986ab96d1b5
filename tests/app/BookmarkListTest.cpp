// The bookmark list of a notebook window: its items (sorted, with their
// nodes' images), jumping to a node, renaming and deleting, label editing
// after clicks, and the Add Bookmark dialog's limit.
#include "NotebookWindowSupport.h"

#include "app/CAddBookmarkDlg.h"
#include "app/res/AddBookmarkDlgRes.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"

namespace {

const char kNoteRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Bookmarked text\\par}";

class BookmarkListTest : public NotebookWindowTest
{
protected:
    CQuillcrestDoc* OpenWithBookmarks()
    {
        CNotebookBuilder builder;
        const DWORD dwFolder = builder.Folder("Folder");
        const DWORD dwNote = builder.Note("Note", dwFolder, kNoteRtf);
        const DWORD dwImage = builder.Node(QLC_NODE_IMAGE, "Picture", 0, std::string());
        builder.Note("Elsewhere", 0, kNoteRtf);
        builder.Bookmark("zeta", dwNote);
        builder.Bookmark("Alpha", dwFolder);
        builder.Bookmark("mid", dwImage);
        CQuillcrestDoc* pDoc = OpenBuilt(builder);
        if (pDoc != nullptr)
        {
            m_pFrame = FrameOf(pDoc);
            m_pList = BookmarksOf(pDoc);
            m_pTree = TreeOf(pDoc);
        }
        return pDoc;
    }
    std::string Items()
    {
        std::string text;
        for (HTREEITEM h = m_pList->GetRootItem(); h != nullptr; h = m_pList->GetNextSiblingItem(h))
            text += (text.empty() ? "" : ", ") + std::string((LPCSTR)m_pList->GetItemText(h));
        return text;
    }
    void ListCommand(UINT nID) { m_pList->SendMessage(WM_COMMAND, nID); }

    CChildFrame* m_pFrame = nullptr;
    CBookmarkTreeCtrl* m_pList = nullptr;
    CQlcTreeCtrl* m_pTree = nullptr;
};

} // namespace

TEST_F(BookmarkListTest, ItemsAreSortedWithTheirNodesImagesAndTheBookmarkOverlay)
{
    CQuillcrestDoc* pDoc = OpenWithBookmarks();
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ("Alpha, mid, zeta", Items());
    EXPECT_EQ(CQlcTreeCtrl::imageFolder, ImageOf(*m_pList, FindItem(*m_pList, "Alpha")));
    EXPECT_EQ(6, ImageOf(*m_pList, FindItem(*m_pList, "mid")));
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(*m_pList, FindItem(*m_pList, "zeta")));
    for (HTREEITEM h = m_pList->GetRootItem(); h != nullptr; h = m_pList->GetNextSiblingItem(h))
        EXPECT_EQ(CQlcTreeCtrl::overlayBookmark, OverlayOf(*m_pList, h));
    // The two trees have ids of their own.
    EXPECT_NE(m_pList->GetDlgCtrlID(), m_pTree->GetDlgCtrlID());
    EXPECT_EQ(m_pTree, CWnd::FromHandlePermanent(::GetDlgItem(m_pFrame->GetTabsView()->m_hWnd, CQlcTabsView::IDC_NODE_TREE)));
}

TEST_F(BookmarkListTest, ADoubleClickShowsAndOpensTheBookmarkedNode)
{
    CQuillcrestDoc* pDoc = OpenWithBookmarks();
    ASSERT_NE(nullptr, pDoc);
    m_pFrame->SendMessage(WM_COMMAND, ID_VIEW_BOOKMARKS);
    EXPECT_EQ(1, m_pFrame->GetTabsView()->GetCurTab());
    EXPECT_TRUE(m_pList->IsWindowVisible());
    EXPECT_FALSE(m_pTree->IsWindowVisible());
    EXPECT_EQ(1, QueryCommand(m_pFrame, ID_VIEW_BOOKMARKS).nChecked);
    EXPECT_EQ(0, QueryCommand(m_pFrame, ID_VIEW_MAINTREE).nChecked);

    DoubleClickItem(*m_pList, FindItem(*m_pList, "zeta"));
    EXPECT_EQ(NodeIdByName(pDoc, "Note"), m_pFrame->GetShownNodeId());
    ASSERT_NE(nullptr, m_pFrame->GetRichEditView());
    EXPECT_EQ(FindItem(*m_pTree, "Folder/Note"), m_pTree->GetShownItem());
    EXPECT_EQ(FindItem(*m_pTree, "Folder/Note"), m_pTree->GetSelectedItem());

    // A bookmark of a node that is gone from the tree only logs.
    pDoc->Data_DeleteNode(NodeIdByName(pDoc, "Picture"));
    m_pFrame->SendMessage(WM_COMMAND, ID_TREE_REFRESH);
    DoubleClickItem(*m_pList, FindItem(*m_pList, "mid"));
    EXPECT_EQ(NodeIdByName(pDoc, "Note"), m_pFrame->GetShownNodeId());
    EXPECT_TRUE(TakeMessages().empty());

    m_pFrame->SendMessage(WM_COMMAND, ID_VIEW_MAINTREE);
    EXPECT_TRUE(m_pTree->IsWindowVisible());
    EXPECT_FALSE(m_pList->IsWindowVisible());
}

TEST_F(BookmarkListTest, RenamingIsStoredWithTheNextSaveAndAnEmptyNameIsRefused)
{
    CQuillcrestDoc* pDoc = OpenWithBookmarks();
    ASSERT_NE(nullptr, pDoc);
    const CString strPath = pDoc->GetPathName();
    m_pFrame->GetTabsView()->SelectTab(1);

    m_pList->SetContextItem(FindItem(*m_pList, "mid"));
    ListCommand(ID_BOOKMARK_RENAME);
    ASSERT_TRUE(m_pList->IsLabelEditing());
    EXPECT_EQ(128, (int)::SendMessageA(m_pList->GetEditControl(), EM_GETLIMITTEXT, 0, 0));
    RenameThroughEdit(*m_pList, "");
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("You must enter a name for this bookmark", messages[0]);
    EXPECT_EQ("Alpha, mid, zeta", Items());
    EXPECT_FALSE(pDoc->IsModified());

    m_pList->SetContextItem(FindItem(*m_pList, "mid"));
    ListCommand(ID_BOOKMARK_RENAME);
    RenameThroughEdit(*m_pList, "Middle picture");
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(nullptr, m_pList->GetContextItem());
    m_pFrame->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    pDoc->OnCloseDocument();

    CQuillcrestDoc* pAgain = Open(strPath);
    ASSERT_NE(nullptr, pAgain);
    m_pList = BookmarksOf(pAgain);
    EXPECT_EQ("Alpha, Middle picture, zeta", Items());
}

TEST_F(BookmarkListTest, AfterADoubleClickOnlyRenameStartsLabelEditing)
{
    CQuillcrestDoc* pDoc = OpenWithBookmarks();
    ASSERT_NE(nullptr, pDoc);
    m_pFrame->GetTabsView()->SelectTab(1);
    HTREEITEM hAlpha = FindItem(*m_pList, "Alpha");
    EXPECT_FALSE(m_pList->IsClickActivated());
    DoubleClickItem(*m_pList, hAlpha);
    EXPECT_TRUE(m_pList->IsClickActivated());
    m_pList->SetFocus();
    EXPECT_EQ(nullptr, m_pList->EditLabel(hAlpha));
    EXPECT_FALSE(m_pList->IsLabelEditing());
    m_pList->SetContextItem(hAlpha);
    ListCommand(ID_BOOKMARK_RENAME);
    EXPECT_FALSE(m_pList->IsClickActivated());
    EXPECT_TRUE(m_pList->IsLabelEditing());
    RenameThroughEdit(*m_pList, "Alpha", TRUE);
}

TEST_F(BookmarkListTest, DeleteRemovesTheBookmarkAndItsItem)
{
    CQuillcrestDoc* pDoc = OpenWithBookmarks();
    ASSERT_NE(nullptr, pDoc);
    // Nothing chosen: nothing happens.
    ListCommand(ID_BOOKMARK_DELETE);
    EXPECT_EQ(3, (int)pDoc->Data_GetBookmarkCount());
    m_pList->SetContextItem(FindItem(*m_pList, "Alpha"));
    ListCommand(ID_BOOKMARK_DELETE);
    EXPECT_EQ("mid, zeta", Items());
    EXPECT_EQ(2, (int)pDoc->Data_GetBookmarkCount());
    EXPECT_TRUE(pDoc->IsModified());
    // The folder itself stays.
    EXPECT_NE(0u, NodeIdByName(pDoc, "Folder"));
}

TEST_F(BookmarkListTest, InSingleClickModeAPressGoesToTheBookmark)
{
    app.m_settings.m_nSingleClick = 1;
    CQuillcrestDoc* pDoc = OpenWithBookmarks();
    ASSERT_NE(nullptr, pDoc);
    m_pFrame->GetTabsView()->SelectTab(1);
    ClickItem(*m_pList, FindItem(*m_pList, "zeta"));
    EXPECT_EQ(NodeIdByName(pDoc, "Note"), m_pFrame->GetShownNodeId());
    EXPECT_TRUE(m_pList->IsClickActivated());
}

TEST_F(BookmarkListTest, AddBookmarkTakesAtMost128Characters)
{
    CAddBookmarkDlg dlg;
    dlg.m_strName = "Proposed";
    std::string shown;
    CScriptedDialogs dialogs([&](CWnd* pDialog) {
        CString s;
        pDialog->GetDlgItemText(IDC_BOOKMARK_NAME, s);
        shown = (LPCSTR)s;
        // The edit takes no more than the limit; text set past it is
        // refused by the validation.
        pDialog->SetDlgItemText(IDC_BOOKMARK_NAME, std::string(129, 'n').c_str());
        ClickButton(pDialog, IDOK);
        pDialog->SetDlgItemText(IDC_BOOKMARK_NAME, std::string(128, 'n').c_str());
        ClickButton(pDialog, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("Proposed", shown);
    EXPECT_EQ(128, dlg.m_strName.GetLength());
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("128"));
}
