// The notebook window itself: its panes as the template makes them, the
// commands it keeps disabled until their windows exist, pane focus, the
// window title, the stored child placement, the Tasks bar choice a save
// keeps, the logo of the blank view, and objects embedded in a note.
#include "NotebookWindowSupport.h"

#include "app/CQlcPrompts.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcCntrItem.h"
#include "core/CQlcNode.h"

#include "framework/docview/CMultiDocTemplate.h"
#include "framework/ole/COleClientItem.h"

#include "widgets/GlyphMenuData.h"

#include <ole2.h>

namespace {

class ChildFrameTest : public NotebookWindowTest
{
};

// A notebook document that can say its Tasks bar was shown.
class CTaskFlagDoc : public CQuillcrestDoc
{
public:
    void ShowTasksBar() { m_header.dwFileFlags |= QLC_FILEFLAG_TASKBAR; }
};

const char kNoteRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 A note\\par}";

} // namespace

TEST_F(ChildFrameTest, TheTemplateMakesTheSplitterWithTabsAndTheBlankView)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_NE(nullptr, pFrame);
    EXPECT_EQ(static_cast<IQlcFrameCallbacks*>(pFrame), pDoc->GetFrameCallbacks());
    CSplitterWnd& splitter = pFrame->GetSplitter();
    EXPECT_EQ(1, splitter.GetRowCount());
    EXPECT_EQ(2, splitter.GetColumnCount());
    EXPECT_EQ(pFrame->GetTabsView(), splitter.GetPane(0, 0));
    EXPECT_EQ(pFrame->GetBlankView(), splitter.GetPane(0, 1));
    int cx = 0, cxMin = 0;
    splitter.GetColumnInfo(0, cx, cxMin);
    EXPECT_EQ(180, cx);
    EXPECT_EQ(pFrame->GetTabsView(), pFrame->GetActiveView());

    CTabCtrl& tabs = pFrame->GetTabsView()->GetTabCtrl();
    EXPECT_EQ(CQlcTabsView::IDC_TABS, tabs.GetDlgCtrlID());
    EXPECT_NE(0u, tabs.GetStyle() & TCS_BOTTOM);
    EXPECT_NE(0u, tabs.GetStyle() & TCS_FOCUSNEVER);
    ASSERT_EQ(2, tabs.GetItemCount());
    EXPECT_EQ("Main", std::string((LPCSTR)tabs.GetItemText(0)));
    EXPECT_EQ("Bookmarks", std::string((LPCSTR)tabs.GetItemText(1)));
    EXPECT_EQ(0, pFrame->GetTabsView()->GetCurTab());
    EXPECT_TRUE(pFrame->GetTreeCtrl()->IsWindowVisible());
    EXPECT_FALSE(pFrame->GetBookmarkTreeCtrl()->IsWindowVisible());
    // The trees lie over the tab's display area; the strip below them.
    CRect rcTree, rcTabs;
    pFrame->GetTreeCtrl()->GetWindowRect(rcTree);
    tabs.GetWindowRect(rcTabs);
    EXPECT_LT(rcTree.top, rcTabs.top);
    EXPECT_GT(rcTree.bottom, rcTabs.top);
    EXPECT_EQ("test.qlc", std::string((LPCSTR)pDoc->GetTitle()));
}

TEST_F(ChildFrameTest, CommandsOfWindowsStillToComeAreDisabled)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
    EXPECT_EQ(0, QueryCommand(pFrame, ID_IMAGE_ZOOM).nEnabled);
    // Check Spelling while a note is on screen only.
    EXPECT_EQ(1, QueryCommand(pFrame, ID_TOOLS_CHECKSPELLING).nEnabled);
    for (UINT nID : { (UINT)ID_TREE_REFRESH, (UINT)ID_TREE_COLLAPSEALL, (UINT)ID_TREE_EXPANDALL,
                      (UINT)ID_TREE_BATCHEXPORT })
        EXPECT_EQ(1, QueryCommand(pFrame, nID).nEnabled) << nID;
    EXPECT_EQ(1, QueryCommand(pFrame, ID_VIEW_MAINTREE).nChecked);
    ASSERT_TRUE(pFrame->DisplayNode(FALSE, CChildFrame::kNoNode));
    EXPECT_EQ(nullptr, pFrame->GetRichEditView());
    EXPECT_EQ(0, QueryCommand(pFrame, ID_TOOLS_CHECKSPELLING).nEnabled);
}

TEST_F(ChildFrameTest, TabMovesBetweenTheTreeAndTheContentPane)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = pFrame->GetTreeCtrl();
    pTree->SetFocus();
    ASSERT_EQ(pTree->m_hWnd, ::GetFocus());
    PressKey(*pTree, VK_TAB);
    EXPECT_EQ(pFrame->GetBlankView()->m_hWnd, ::GetFocus());
    PressKey(*pFrame->GetBlankView(), VK_TAB);
    EXPECT_EQ(pTree->m_hWnd, ::GetFocus());

    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
    pTree->SetFocus();
    pFrame->FocusNextPane();
    EXPECT_EQ(pFrame->GetRichEditView()->m_hWnd, ::GetFocus());
    EXPECT_EQ(pFrame->GetRichEditView(), pFrame->GetActiveView());
    pFrame->FocusNextPane();
    EXPECT_EQ(pTree->m_hWnd, ::GetFocus());
    EXPECT_EQ(pFrame->GetTabsView(), pFrame->GetActiveView());
}

TEST_F(ChildFrameTest, TheTitleNamesTheShownNode)
{
    CNotebookBuilder builder;
    builder.Note("Shown note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = pFrame->GetTreeCtrl();
    CString strTitle;
    pFrame->GetWindowText(strTitle);
    EXPECT_EQ("test.qlc", std::string((LPCSTR)strTitle));
    DoubleClickItem(*pTree, FindItem(*pTree, "Shown note"));
    pFrame->GetWindowText(strTitle);
    EXPECT_EQ("test.qlc - Shown note", std::string((LPCSTR)strTitle));
    DoubleClickEmptySpace(*pTree);
    pFrame->GetWindowText(strTitle);
    EXPECT_EQ("test.qlc", std::string((LPCSTR)strTitle));
}

TEST_F(ChildFrameTest, AStoredMaximisedPlacementOpensTheNextWindowMaximised)
{
    CNotebookBuilder first;
    first.Note("Note");
    CQuillcrestDoc* pDoc = OpenBuilt(first, "first.qlc");
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    // Closing stores the window's placement.
    pFrame->MoveWindow(10, 10, 333, 222);
    app.m_settings.m_wpLastChildPlacement = WINDOWPLACEMENT();
    pDoc->OnCloseDocument();
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), app.m_settings.m_wpLastChildPlacement.length);
    const RECT rcStored = app.m_settings.m_wpLastChildPlacement.rcNormalPosition;
    EXPECT_EQ(333, rcStored.right - rcStored.left);

    // A normal placement gives the next window its size.
    CNotebookBuilder second;
    second.Note("Note");
    pDoc = OpenBuilt(second, "second.qlc");
    ASSERT_NE(nullptr, pDoc);
    CRect rc;
    FrameOf(pDoc)->GetWindowRect(rc);
    EXPECT_EQ(333, rc.Width());
    EXPECT_EQ(222, rc.Height());
    pDoc->OnCloseDocument();

    app.m_settings.m_wpLastChildPlacement.showCmd = SW_SHOWMAXIMIZED;
    CNotebookBuilder third;
    third.Note("Note");
    pDoc = OpenBuilt(third, "third.qlc");
    ASSERT_NE(nullptr, pDoc);
    EXPECT_TRUE(FrameOf(pDoc)->IsZoomed());
}

TEST_F(ChildFrameTest, TheTasksBarChoiceOfTheFileSurvivesASave)
{
    // A notebook saved with its Tasks bar shown opens with it shown and
    // keeps that choice through this program's saves.
    const CString strPath = Path("tasks.qlc");
    {
        CTaskFlagDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        CQlcNode note;
        note.Create(&doc, QLC_NODE_NOTE, "Note", 0);
        doc.ShowTasksBar();
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
    }
    CQuillcrestDoc* pDoc = Open(strPath);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_TRUE(FrameOf(pDoc)->IsTasksBarVisible());
    EXPECT_TRUE(FrameOf(pDoc)->GetTasksBar().IsWindowVisible());
    CQlcNode note(pDoc, NodeIdByName(pDoc, "Note"));
    note.SetName("Renamed");
    note.Update(TRUE);
    ASSERT_TRUE(pDoc->OnSaveDocument(strPath));
    pDoc->OnCloseDocument();

    CQuillcrestDoc check;
    ASSERT_TRUE(check.Data_OpenNotebookFile(strPath));
    ASSERT_EQ(1, check.Data_ReadFile());
    EXPECT_NE(0u, check.GetFileFlags() & QLC_FILEFLAG_TASKBAR);
    EXPECT_NE(0u, NodeIdByName(&check, "Renamed"));
}

TEST_F(ChildFrameTest, TheBlankViewShowsTheDefaultLogoCentred)
{
    PLWinBmp logo;
    logo.Create(40, 20, 32, false);
    app.SetDefaultLogo(&logo);
    CNotebookBuilder builder;
    builder.Note("Note");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CBlankAreaView* pBlank = FrameOf(pDoc)->GetBlankView();
    ASSERT_NE(nullptr, pBlank);
    EXPECT_EQ(&logo, pBlank->GetLogo());
    EXPECT_EQ(CRect(128, 88, 172, 112), CBlankAreaView::GetLogoRect(CRect(0, 0, 300, 200), &logo));
    EXPECT_TRUE(CBlankAreaView::GetLogoRect(CRect(0, 0, 0, 200), &logo).IsRectEmpty());
    EXPECT_TRUE(CBlankAreaView::GetLogoRect(CRect(0, 0, 300, 200), nullptr).IsRectEmpty());
    pDoc->OnCloseDocument();
    app.SetDefaultLogo(nullptr);
}

TEST_F(ChildFrameTest, AnEmbeddedObjectBecomesTheDocumentsSelectedItemAndIsStoredWithTheNote)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    builder.Note("Other", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    const DWORD dwNote = NodeIdByName(pDoc, "Note");
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, dwNote));
    CQlcRichEditViewEx* pView = pFrame->GetRichEditView();

    // A static picture object, made and inserted as Insert Object does; the
    // document's item factory gives the program's items.
    CRichEditCtrl& ctrl = pView->GetRichEditCtrl();
    ctrl.SetSel(0, 0);
    CRichEditCntrItem* pItem = nullptr;
    const HRESULT hr = InsertStaticPicture(pDoc, pView, 60, 30, &pItem);
    if (pItem == nullptr)
        GTEST_SKIP() << "this system makes no static picture objects (0x" << std::hex << hr << ")";
    ASSERT_EQ(S_OK, hr);
    EXPECT_TRUE(pItem->IsKindOf(RUNTIME_CLASS(CQlcCntrItem)));
    EXPECT_EQ(1, pDoc->GetItemCount());
    ctrl.SetSel(0, 1);
    EXPECT_EQ(pItem, pDoc->GetPrimarySelectedItem(pView));
    EXPECT_EQ(nullptr, pDoc->GetPrimarySelectedItem(pFrame->GetTabsView()));
    EXPECT_TRUE(ctrl.GetModify());

    // Stored with the note: the note's RTF carries the picture.
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Other")));
    EXPECT_EQ(0, pDoc->GetItemCount()); // the view's items went with it
    const std::string stored = ReadPayload(pDoc, dwNote);
    EXPECT_TRUE(stored.find("\\object") != std::string::npos || stored.find("\\pict") != std::string::npos)
        << stored.substr(0, 300);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, dwNote));
    EXPECT_EQ(1, pFrame->GetRichEditView()->GetRichEditOle()->GetObjectCount());
}

TEST_F(ChildFrameTest, TheMainWindowsTitleFollowsOneRuleWhateverTheNotebookWindowDoes)
{
    CNotebookBuilder builder;
    builder.Note("Shopping list", 0, kNoteRtf);
    builder.Note("Other", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder, "Sample.qlc");
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    CQlcTreeCtrl* pTree = pFrame->GetTreeCtrl();
    auto title = [&]() {
        CUserInput::Pump();
        CString strTitle;
        m_pMainFrame->GetWindowText(strTitle);
        return std::string((LPCSTR)strTitle);
    };
    auto open = [&](LPCSTR lpszNote) { UserClickItem(*pTree, lpszNote, TRUE); };
    // "<program> - <notebook>"; a maximised notebook window's own title is
    // added by the system as " - [<its title>]" to the program's name alone.
    EXPECT_EQ("Varlo Quillcrest - Sample.qlc", title());
    open("Shopping list");
    EXPECT_EQ("Varlo Quillcrest - Sample.qlc", title());
    pFrame->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
    EXPECT_EQ("Varlo Quillcrest - [Sample.qlc - Shopping list]", title());
    open("Other");
    EXPECT_EQ("Varlo Quillcrest - [Sample.qlc - Other]", title());
    pFrame->SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_EQ("Varlo Quillcrest - Sample.qlc", title());
    pFrame->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
    EXPECT_EQ("Varlo Quillcrest - [Sample.qlc - Other]", title());

    CNotebookBuilder second;
    second.Note("One");
    CQuillcrestDoc* pSecond = OpenBuilt(second, "two.qlc");
    ASSERT_NE(nullptr, pSecond);
    EXPECT_EQ("Varlo Quillcrest - [two.qlc]", title());
    FrameOf(pSecond)->SendMessage(WM_CLOSE);
    EXPECT_EQ("Varlo Quillcrest - [Sample.qlc - Other]", title());
    pFrame->SendMessage(WM_CLOSE);
    EXPECT_EQ("Varlo Quillcrest", title());
}

TEST_F(ChildFrameTest, SaveIsOfferedOnlyForAChangedNotebook)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CToolBar& bar = m_pMainFrame->GetStandardBar();
    auto saveOffered = [&]() {
        CUserInput::Pump(); // the toolbar follows on idle
        const BOOL bButton = bar.SendMessage(TB_ISBUTTONENABLED, ID_FILE_SAVE) != 0;
        const BOOL bItem = ItemState(OpenMenu(m_pMainFrame, "&File"), ID_FILE_SAVE).bEnabled;
        EXPECT_EQ(bItem, bButton);
        return bItem;
    };
    EXPECT_FALSE(saveOffered());
    // The file dated 1 January 2001: any write would date it now.
    const CString strPath = pDoc->GetPathName();
    SYSTEMTIME stOld = {};
    stOld.wYear = 2001;
    stOld.wMonth = 1;
    stOld.wDay = 1;
    FILETIME ftOld;
    ASSERT_TRUE(::SystemTimeToFileTime(&stOld, &ftOld));
    HANDLE hFile = ::CreateFileA(strPath, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    EXPECT_TRUE(::SetFileTime(hFile, nullptr, nullptr, &ftOld));
    ::CloseHandle(hFile);

    // Ctrl+S on an unchanged notebook writes nothing.
    CUserInput::Key('S', CUserInput::ctrl);
    WIN32_FILE_ATTRIBUTE_DATA after = {};
    ::GetFileAttributesExA(strPath, GetFileExInfoStandard, &after);
    EXPECT_EQ(0, ::CompareFileTime(&ftOld, &after.ftLastWriteTime));

    // Typing into the note offers it; saving takes the offer back.
    ASSERT_NE(nullptr, OpenNoteAsUser(FrameOf(pDoc), "Note"));
    EXPECT_FALSE(saveOffered());
    CUserInput::Type("new ");
    EXPECT_TRUE(saveOffered());
    CUserInput::Key('S', CUserInput::ctrl);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_FALSE(saveOffered());
}

TEST_F(ChildFrameTest, ASaveThatFailsWithoutAnErrorOfItsOwnSaysSoOnceWithTheReason)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CQlcPrompts appPrompts;
    QlcSetPrompts(&appPrompts);
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    ASSERT_TRUE(builder.doc.Data_SetFileEncryption(app.m_cryptHandler.m_pfnGetDefaultCipher(), 32,
                                                   app.m_cryptHandler.m_pfnGetDefaultHash(), "secret", 6));
    CScriptedDialogs passwords([](CWnd* pDlg) {
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_PASSWORD_FIRST, "secret");
        ClickButton(pDlg, IDOK);
    });
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    const std::string before = ReadFileBytes(pDoc->GetPathName());
    // The encryption library is gone, as when it cannot be loaded.
    app.m_cryptHandler.Unload();
    TakeMessages();

    ASSERT_NE(nullptr, OpenNoteAsUser(FrameOf(pDoc), "Note"));
    CUserInput::Type("more ");
    CUserInput::Key('S', CUserInput::ctrl);

    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find(std::string("Warning, file '") + (LPCSTR)pDoc->GetPathName() +
                                   "' has not been saved.\n\n"))
        << messages[0];
    EXPECT_NE(std::string::npos, messages[0].find("encrypt")) << messages[0];
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_TRUE(before == ReadFileBytes(pDoc->GetPathName()));
}

namespace {

// The texts the Window menu draws for its notebook entries, in order.
std::vector<std::string> WindowEntries(HMENU hPopup)
{
    std::vector<std::string> entries;
    const int nCount = ::GetMenuItemCount(hPopup);
    for (int i = 0; i < nCount; i++)
    {
        const UINT nID = ::GetMenuItemID(hPopup, i);
        if (nID < AFX_IDM_FIRST_MDICHILD || nID == (UINT)-1)
            continue;
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_DATA;
        ::GetMenuItemInfoA(hPopup, (UINT)i, TRUE, &mii);
        // Owner-drawn items show their record's text, others their own.
        if ((mii.fType & MFT_OWNERDRAW) && mii.dwItemData != 0)
        {
            entries.push_back((LPCSTR)reinterpret_cast<GlyphMenuData*>(mii.dwItemData)->GetAnsiText());
        }
        else
        {
            char szText[MAX_PATH] = "";
            ::GetMenuStringA(hPopup, (UINT)i, szText, sizeof(szText), MF_BYPOSITION);
            entries.push_back(szText);
        }
    }
    return entries;
}

} // namespace

TEST_F(ChildFrameTest, TheWindowMenuNamesEveryNotebookAndItsEntryBringsAMinimisedOneBack)
{
    // The menus as start-up makes them: owner-drawn, the document menu shared.
    POSITION pos = app.GetFirstDocTemplatePosition();
    CDocTemplate* pTemplate = pos != nullptr ? app.GetNextDocTemplate(pos) : nullptr;
    CMultiDocTemplate* pMulti = pTemplate ? DYNAMIC_DOWNCAST(CMultiDocTemplate, pTemplate) : nullptr;
    ASSERT_NE(nullptr, pMulti);
    HMENU hDocumentMenu = m_pMainFrame->LoadDocumentMenu();
    ASSERT_NE(nullptr, hDocumentMenu);
    if (pMulti->m_hMenuShared != nullptr && pMulti->m_hMenuShared != hDocumentMenu)
        ::DestroyMenu(pMulti->m_hMenuShared);
    pMulti->m_hMenuShared = hDocumentMenu;
    m_pMainFrame->SetDefaultMenu(m_pMainFrame->LoadDefaultMenu());

    CNotebookBuilder first, second;
    first.Note("One");
    second.Note("Two");
    CQuillcrestDoc* pFirst = OpenBuilt(first, "Garden.qlc");
    ASSERT_NE(nullptr, pFirst);
    // The menu looked at once between the two, as a user may.
    ASSERT_NE(nullptr, OpenMenu(m_pMainFrame, "&Window"));
    m_pMainFrame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    CQuillcrestDoc* pSecond = OpenBuilt(second, "Kitchen.qlc");
    ASSERT_NE(nullptr, pSecond);
    PumpMessages();

    HMENU hWindow = OpenMenu(m_pMainFrame, "&Window");
    ASSERT_NE(nullptr, hWindow);
    EXPECT_EQ((std::vector<std::string>{ "&1 Garden.qlc", "&2 Kitchen.qlc" }), WindowEntries(hWindow));
    m_pMainFrame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);

    // The first window minimised with its button, then chosen in the menu.
    CChildFrame* pFrame = FrameOf(pFirst);
    ASSERT_NE(nullptr, pFrame);
    pFrame->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PumpMessages();
    ASSERT_TRUE(pFrame->IsIconic());
    hWindow = OpenMenu(m_pMainFrame, "&Window");
    ASSERT_NE(nullptr, hWindow);
    UINT nEntry = 0;
    for (int i = 0; i < ::GetMenuItemCount(hWindow); i++)
    {
        const UINT nID = ::GetMenuItemID(hWindow, i);
        if (nID != (UINT)-1 && nID >= AFX_IDM_FIRST_MDICHILD && ::GetDlgCtrlID(pFrame->m_hWnd) == (int)nID)
            nEntry = nID;
    }
    ASSERT_NE(0u, nEntry) << "no entry of the minimised window";
    ChooseMenuItem(m_pMainFrame, nEntry);
    PumpMessages();
    EXPECT_FALSE(pFrame->IsIconic());
    EXPECT_EQ(pFrame, m_pMainFrame->MDIGetActive());
}
