// Dragging in the node tree, driven by the mouse messages the control gets:
// where a drop lands, moves and copies with everything that belongs to the
// moved nodes, the drag menu, auto-scroll and hover expansion over timer
// ticks, cancelling, and files dropped from the shell (through OLE and as
// WM_DROPFILES) imported where they land.
#include "NotebookWindowSupport.h"

#include "app/res/Resource.h"

#include "core/CQlcNode.h"

#include "framework/base/CUiChannel.h"

#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

const char kLetterRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Dear reader\\par}";

// The cursor as the drag finds it.
POINT s_ptCursor = { 0, 0 };
BOOL WINAPI InjectedCursorPos(LPPOINT lpPoint)
{
    *lpPoint = s_ptCursor;
    return TRUE;
}

int s_nBeeps = 0;
BOOL WINAPI CountBeep(UINT)
{
    s_nBeeps++;
    return TRUE;
}

// The drag menu: what it offered and the answer given.
struct CDragMenuRecord
{
    int nShown = 0;
    std::vector<std::string> items;
    UINT nDefault = 0;
    UINT nAnswer = 0;
} s_dragMenu;

UINT AnswerDragMenu(CQlcTreeCtrl* /*pTree*/, CMenu* pPopup, CPoint /*ptScreen*/)
{
    s_dragMenu.nShown++;
    s_dragMenu.items.clear();
    const int nCount = ::GetMenuItemCount(pPopup->m_hMenu);
    for (int i = 0; i < nCount; i++)
    {
        char szText[64] = {};
        ::GetMenuStringA(pPopup->m_hMenu, (UINT)i, szText, sizeof(szText), MF_BYPOSITION);
        s_dragMenu.items.push_back(szText);
    }
    s_dragMenu.nDefault = ::GetMenuDefaultItem(pPopup->m_hMenu, FALSE, 0);
    return s_dragMenu.nAnswer;
}

// A shell file list in global memory, as the shell hands it over.
HGLOBAL MakeFileList(const std::vector<std::string>& paths, POINT pt)
{
    size_t nSize = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        nSize += path.size() + 1;
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nSize);
    DROPFILES* pFiles = (DROPFILES*)::GlobalLock(h);
    pFiles->pFiles = sizeof(DROPFILES);
    pFiles->pt = pt;
    char* p = (char*)(pFiles + 1);
    for (const std::string& path : paths)
    {
        memcpy(p, path.c_str(), path.size() + 1);
        p += path.size() + 1;
    }
    ::GlobalUnlock(h);
    return h;
}

// A dragged object offering a file list (or, without paths, only text).
class CDraggedFiles : public CTestDataObject
{
public:
    explicit CDraggedFiles(std::vector<std::string> paths) : m_paths(std::move(paths)) {}

    STDMETHODIMP GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override
    {
        if (QueryGetData(pFormat) != S_OK)
            return DV_E_FORMATETC;
        pMedium->tymed = TYMED_HGLOBAL;
        pMedium->hGlobal = MakeFileList(m_paths, POINT{ 0, 0 });
        pMedium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP QueryGetData(FORMATETC* pFormat) override
    {
        return (!m_paths.empty() && pFormat->cfFormat == CF_HDROP && (pFormat->tymed & TYMED_HGLOBAL)) ? S_OK
                                                                                                        : DV_E_FORMATETC;
    }

private:
    std::vector<std::string> m_paths;
};

class NodeTreeDragTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        m_hrOle = ::OleInitialize(nullptr);
        NotebookWindowTest::SetUp();
        ASSERT_TRUE(CUiChannel::Create());
        app.m_textConverters.LoadConverters(HKEY_CURRENT_USER, "Software\\Quillcrest Tests\\No Converters");
        m_pfnOldCursor = CQlcTreeCtrl::s_pfnGetCursorPos;
        m_pfnOldMenu = CQlcTreeCtrl::s_pfnTrackDragMenu;
        CQlcTreeCtrl::s_pfnGetCursorPos = &InjectedCursorPos;
        CQlcTreeCtrl::s_pfnTrackDragMenu = &AnswerDragMenu;
        m_pfnOldBeep = CQlcTreeCtrl::s_pfnMessageBeep;
        CQlcTreeCtrl::s_pfnMessageBeep = &CountBeep;
        s_nBeeps = 0;
        s_dragMenu = CDragMenuRecord();
        app.m_settings.m_nPromptMove = 0;
    }
    void TearDown() override
    {
        CQlcTreeCtrl::s_pfnGetCursorPos = m_pfnOldCursor;
        CQlcTreeCtrl::s_pfnTrackDragMenu = m_pfnOldMenu;
        CQlcTreeCtrl::s_pfnMessageBeep = m_pfnOldBeep;
        app.m_nodeClipboard = QLCNODECLIPBOARD();
        CUiChannel::Destroy();
        NotebookWindowTest::TearDown();
        if (SUCCEEDED(m_hrOle))
            ::OleUninitialize();
    }

    static CPoint Centre(CTreeCtrl& tree, HTREEITEM hItem)
    {
        CRect rc;
        tree.GetItemRect(hItem, &rc, TRUE);
        return rc.CenterPoint();
    }
    static CPoint ToScreen(CWnd& wnd, CPoint pt)
    {
        wnd.ClientToScreen(&pt);
        return pt;
    }
    // A press on the item and a move off it: the control's own loop sees
    // the move and reports the start of a drag.
    static void StartDrag(CQlcTreeCtrl& tree, HTREEITEM hItem, BOOL bRight)
    {
        const CPoint pt = Centre(tree, hItem);
        s_ptCursor = ToScreen(tree, pt);
        const UINT nButton = bRight ? MK_RBUTTON : MK_LBUTTON;
        tree.PostMessage(WM_MOUSEMOVE, nButton, MAKELPARAM(pt.x + 15, pt.y + 15));
        tree.SendMessage(bRight ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, nButton, MAKELPARAM(pt.x, pt.y));
    }
    static void MoveTo(CQlcTreeCtrl& tree, CPoint pt, BOOL bRight)
    {
        s_ptCursor = ToScreen(tree, pt);
        // The first move after the tree took the focus does not count.
        for (int i = 0; i < 2; i++)
            tree.SendMessage(WM_MOUSEMOVE, bRight ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    }
    static void Release(CQlcTreeCtrl& tree, CPoint pt, BOOL bRight)
    {
        tree.SendMessage(bRight ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    // A whole drag from one item onto another (null: empty space below the
    // items).
    void Drag(CQlcTreeCtrl& tree, LPCSTR lpszFrom, LPCSTR lpszTo, BOOL bRight = FALSE)
    {
        HTREEITEM hFrom = FindItem(tree, lpszFrom);
        ASSERT_NE(nullptr, hFrom) << lpszFrom;
        CPoint ptTo;
        if (lpszTo != nullptr)
        {
            HTREEITEM hTo = FindItem(tree, lpszTo);
            ASSERT_NE(nullptr, hTo) << lpszTo;
            ptTo = Centre(tree, hTo);
        }
        else
        {
            CRect rc;
            tree.GetClientRect(&rc);
            ptTo = CPoint(rc.left + 5, rc.bottom - 5);
        }
        StartDrag(tree, hFrom, bRight);
        ASSERT_TRUE(tree.IsDragging());
        EXPECT_EQ(hFrom, tree.GetDraggedItem());
        MoveTo(tree, ptTo, bRight);
        Release(tree, ptTo, bRight);
        EXPECT_FALSE(tree.IsDragging());
        EXPECT_NE(tree.m_hWnd, ::GetCapture());
    }

    HRESULT m_hrOle = E_FAIL;
    BOOL(WINAPI* m_pfnOldCursor)(LPPOINT) = nullptr;
    UINT (*m_pfnOldMenu)(CQlcTreeCtrl*, CMenu*, CPoint) = nullptr;
    BOOL(WINAPI* m_pfnOldBeep)(UINT) = nullptr;
};

DWORD ParentOf(CQuillcrestDoc* pDoc, LPCSTR lpszName)
{
    return CQlcNode(pDoc, NodeIdByName(pDoc, lpszName)).GetParentId();
}

std::vector<DWORD> KeywordsOf(CQuillcrestDoc* pDoc, DWORD dwNodeId)
{
    QLCNODE_KEYWORDS keywords;
    pDoc->Data_GetNodeKeywords(dwNodeId, keywords);
    return keywords.keywordIds;
}

} // namespace

TEST_F(NodeTreeDragTest, TheDropDestinationRule)
{
    CNotebookBuilder builder;
    const DWORD dwA = builder.Folder("A");
    builder.Note("a1", dwA);
    builder.Note("a21", builder.Folder("A2", dwA));
    builder.Note("b1", builder.Folder("B"));
    builder.Folder("C");
    builder.Note("top1");
    builder.Note("top2");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    auto item = [&](LPCSTR lpszPath) { return FindItem(tree, lpszPath); };
    ASSERT_NE(nullptr, item("C/(empty)"));

    // Onto itself or anything below it: never.
    EXPECT_EQ(nullptr, tree.GetDropDestination(item("A"), item("A")));
    EXPECT_EQ(nullptr, tree.GetDropDestination(item("A"), item("A/A2/a21")));
    EXPECT_EQ(nullptr, tree.GetDropDestination(item("A"), item("A/A2")));
    // A sibling note takes nothing; a sibling folder takes it in.
    EXPECT_EQ(nullptr, tree.GetDropDestination(item("top1"), item("top2")));
    EXPECT_EQ(item("A"), tree.GetDropDestination(item("top1"), item("A")));
    EXPECT_EQ(item("A/A2"), tree.GetDropDestination(item("A/a1"), item("A/A2")));
    // An item of another folder stands for its folder, whatever it is.
    EXPECT_EQ(item("B"), tree.GetDropDestination(item("top1"), item("B/b1")));
    EXPECT_EQ(item("A/A2"), tree.GetDropDestination(item("B/b1"), item("A/A2/a21")));
    EXPECT_EQ(TVI_ROOT, tree.GetDropDestination(item("A/a1"), item("top1")));
    EXPECT_EQ(TVI_ROOT, tree.GetDropDestination(item("A/A2/a21"), item("B")));
    // "(empty)" stands for its folder.
    EXPECT_EQ(item("C"), tree.GetDropDestination(item("top1"), item("C/(empty)")));
    // No target, or the placeholder dragged: nothing.
    EXPECT_EQ(nullptr, tree.GetDropDestination(item("top1"), nullptr));
    EXPECT_EQ(nullptr, tree.GetDropDestination(item("C/(empty)"), item("A")));
}

TEST_F(NodeTreeDragTest, AMoveKeepsDataKeywordsBookmarksTasksAndTheOpenNoteUnderNewIds)
{
    CNotebookBuilder builder;
    builder.Folder("Archive");
    builder.Folder("Cabinet");
    const DWORD dwLetter = builder.Note("Letter", 0, kLetterRtf);
    builder.Bookmark("Mark", dwLetter);
    builder.Task(dwLetter);
    builder.Note("Other");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    const DWORD dwOld = NodeIdByName(pDoc, "Letter");
    QLCNODE_KEYWORDS keywords;
    keywords.dwNodeId = dwOld;
    keywords.keywordIds.push_back(pDoc->Data_GetKeywordId("post"));
    pDoc->Data_SetNodeKeywords(dwOld, keywords);
    const std::string payload = ReadPayload(pDoc, dwOld);
    ASSERT_FALSE(payload.empty());
    DoubleClickItem(tree, FindItem(tree, "Letter"));
    ASSERT_EQ(dwOld, pFrame->GetShownNodeId());
    pDoc->SetModified(FALSE);

    // A left drag onto a sibling folder, without the move question.
    Drag(tree, "Letter", "Archive");
    EXPECT_TRUE(m_pPrompts->boxes.empty());
    EXPECT_EQ("Archive[o2b]{Letter[o1b]}, Cabinet{(empty)}, Other", DescribeTree(tree, nullptr, TRUE));
    const DWORD dwNew = NodeIdByName(pDoc, "Letter");
    EXPECT_NE(dwOld, dwNew);
    EXPECT_FALSE(CQlcNode(pDoc, dwOld).IsValid());
    EXPECT_EQ(NodeIdByName(pDoc, "Archive"), ParentOf(pDoc, "Letter"));
    EXPECT_EQ(payload, ReadPayload(pDoc, dwNew));
    EXPECT_EQ(keywords.keywordIds, KeywordsOf(pDoc, dwNew));
    // The open note follows, and so do its bookmark and its task.
    EXPECT_EQ(dwNew, pFrame->GetShownNodeId());
    EXPECT_EQ(FindItem(tree, "Archive/Letter"), tree.GetShownItem());
    EXPECT_EQ("Letter", std::string((LPCSTR)pFrame->GetNodeTitle()));
    CQlcDocLock::CScoped tableLock293(pDoc->GetLock());
    const CQlcBookmarkMap& bookmarks = pDoc->GetBookmarkTable(tableLock293);
    ASSERT_EQ(1, (int)bookmarks.GetCount());
    EXPECT_EQ(dwNew, bookmarks.PGetFirstAssoc()->value.dwNodeId);
    CQlcDocLock::CScoped tableLock296(pDoc->GetLock());
    const CQlcTaskMap& tasks = pDoc->GetTaskTable(tableLock296);
    ASSERT_EQ(1, (int)tasks.GetCount());
    EXPECT_EQ(dwNew, tasks.PGetFirstAssoc()->value.dwLinkedNodeId);
    EXPECT_TRUE(tasks.PGetFirstAssoc()->value.dwFlags & QLC_TASKFLAG_LINKED);
    EXPECT_TRUE(pDoc->GetModifiedFlag());

    // The folder that holds it moved in turn: the open note follows again.
    Drag(tree, "Archive", "Cabinet");
    EXPECT_EQ("Cabinet[o2b]{Archive[o2b]{Letter[o1b]}}, Other", DescribeTree(tree, nullptr, TRUE));
    const DWORD dwThird = NodeIdByName(pDoc, "Letter");
    EXPECT_NE(dwNew, dwThird);
    EXPECT_EQ(dwThird, pFrame->GetShownNodeId());
    EXPECT_EQ(FindItem(tree, "Cabinet/Archive/Letter"), tree.GetShownItem());
    CQlcDocLock::CScoped tableLock309(pDoc->GetLock());
    EXPECT_EQ(dwThird, pDoc->GetBookmarkTable(tableLock309).PGetFirstAssoc()->value.dwNodeId);
    CQlcDocLock::CScoped tableLock310(pDoc->GetLock());
    EXPECT_EQ(dwThird, pDoc->GetTaskTable(tableLock310).PGetFirstAssoc()->value.dwLinkedNodeId);
    EXPECT_EQ(payload, ReadPayload(pDoc, dwThird));
    EXPECT_EQ(NodeIdByName(pDoc, "Cabinet"), ParentOf(pDoc, "Archive"));

    // Saved and read again, everything is where the move put it.
    const CString strPath = Path("moved.qlc");
    ASSERT_TRUE(pDoc->OnSaveDocument(strPath));
    pFrame->SendMessage(WM_CLOSE);
    PumpMessages();
    CQuillcrestDoc* pAgain = Open(strPath);
    ASSERT_NE(nullptr, pAgain);
    const DWORD dwSaved = NodeIdByName(pAgain, "Letter");
    EXPECT_EQ(NodeIdByName(pAgain, "Archive"), ParentOf(pAgain, "Letter"));
    EXPECT_EQ(NodeIdByName(pAgain, "Cabinet"), ParentOf(pAgain, "Archive"));
    EXPECT_EQ(payload, ReadPayload(pAgain, dwSaved));
    CQlcDocLock::CScoped tableLock325(pAgain->GetLock());
    EXPECT_EQ(dwSaved, pAgain->GetBookmarkTable(tableLock325).PGetFirstAssoc()->value.dwNodeId);
    CQlcDocLock::CScoped tableLock326(pAgain->GetLock());
    EXPECT_EQ(dwSaved, pAgain->GetTaskTable(tableLock326).PGetFirstAssoc()->value.dwLinkedNodeId);
    EXPECT_EQ(1u, KeywordsOf(pAgain, dwSaved).size());
}

TEST_F(NodeTreeDragTest, InvalidDropsChangeNothing)
{
    CNotebookBuilder builder;
    const DWORD dwA = builder.Folder("A");
    builder.Note("a21", builder.Folder("A2", dwA));
    builder.Note("n1");
    builder.Note("n2");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    tree.ExpandAll();
    const std::string before = DescribeTree(tree);
    pDoc->SetModified(FALSE);

    // A folder onto its own descendant, onto itself, a node onto empty
    // space: refused.
    Drag(tree, "A", "A/A2/a21");
    Drag(tree, "A", "A");
    Drag(tree, "n1", nullptr);
    EXPECT_EQ(3, s_nBeeps);
    EXPECT_TRUE(m_pPrompts->boxes.empty());
    // The question is asked for a sibling note; nothing moves after Yes.
    app.m_settings.m_nPromptMove = 1;
    m_pPrompts->m_nAnswer = IDYES;
    Drag(tree, "n1", "n2");
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("Are you sure you want to move this item?", m_pPrompts->boxes[0].text);
    EXPECT_EQ("Confirm item move", m_pPrompts->boxes[0].caption);
    // Answered No, a valid move does not happen either.
    m_pPrompts->m_nAnswer = IDNO;
    Drag(tree, "n1", "A/A2/a21");
    EXPECT_EQ(2u, m_pPrompts->boxes.size());
    EXPECT_EQ(3, s_nBeeps);

    EXPECT_EQ(before, DescribeTree(tree));
    EXPECT_FALSE(pDoc->GetModifiedFlag());
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());
    EXPECT_EQ(nullptr, tree.GetDraggedItem());
    // Onto a note in another folder it goes into that folder.
    m_pPrompts->m_nAnswer = IDYES;
    Drag(tree, "n1", "A/A2/a21");
    EXPECT_EQ(NodeIdByName(pDoc, "A2"), ParentOf(pDoc, "n1"));
    EXPECT_EQ(3u, m_pPrompts->boxes.size());
}

TEST_F(NodeTreeDragTest, TheRightDragAsksWithItsMenuAndCopyHereNeverAsks)
{
    CNotebookBuilder builder;
    const DWORD dwBox = builder.Folder("Box");
    builder.Folder("Empty");
    const DWORD dwLetter = builder.Note("Letter", dwBox, kLetterRtf);
    builder.Note("Child", builder.Folder("Sub", dwBox));
    builder.Bookmark("Mark", dwLetter);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    tree.ExpandAll();
    app.m_settings.m_nPromptMove = 1;
    const DWORD dwBoxId = NodeIdByName(pDoc, "Box");
    const DWORD dwEmpty = NodeIdByName(pDoc, "Empty");

    // Cancel: the menu shows Move Here first (its default), nothing changes.
    s_dragMenu.nAnswer = ID_QLCDRAG_CANCEL;
    Drag(tree, "Box", "Empty/(empty)", TRUE);
    ASSERT_EQ(1, s_dragMenu.nShown);
    EXPECT_EQ((std::vector<std::string>{ "&Move Here", "&Copy Here", "", "Cancel" }), s_dragMenu.items);
    EXPECT_EQ((UINT)ID_QLCDRAG_MOVEHERE, s_dragMenu.nDefault);
    EXPECT_EQ("Box{Sub{Child}, Letter}, Empty{(empty)}", DescribeTree(tree));
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());

    // Copy Here: a second branch under new ids, no question, the source kept.
    s_dragMenu.nAnswer = ID_QLCDRAG_COPYHERE;
    Drag(tree, "Box", "Empty/(empty)", TRUE);
    EXPECT_TRUE(m_pPrompts->boxes.empty());
    EXPECT_EQ("Box{Sub{Child}, Letter}, Empty{Box{Sub{Child}, Letter}}", DescribeTree(tree));
    HTREEITEM hCopy = FindItem(tree, "Empty/Box");
    ASSERT_NE(nullptr, hCopy);
    const DWORD dwCopy = tree.GetItemNodeId(hCopy);
    EXPECT_NE(dwBoxId, dwCopy);
    EXPECT_EQ(dwEmpty, CQlcNode(pDoc, dwCopy).GetParentId());
    const DWORD dwCopiedLetter = tree.GetItemNodeId(FindItem(tree, "Empty/Box/Letter"));
    EXPECT_EQ(dwCopy, CQlcNode(pDoc, dwCopiedLetter).GetParentId());
    EXPECT_EQ(ReadPayload(pDoc, NodeIdByName(pDoc, "Letter")), ReadPayload(pDoc, dwCopiedLetter));
    // The bookmark stays with the original.
    CQlcDocLock::CScoped tableLock414(pDoc->GetLock());
    EXPECT_EQ(tree.GetItemNodeId(FindItem(tree, "Box/Letter")), pDoc->GetBookmarkTable(tableLock414).PGetFirstAssoc()->value.dwNodeId);

    // Move Here asks first; No leaves everything, Yes moves.
    s_dragMenu.nAnswer = ID_QLCDRAG_MOVEHERE;
    m_pPrompts->m_nAnswer = IDNO;
    Drag(tree, "Box/Sub/Child", "Box/Letter", TRUE);
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("Confirm item move", m_pPrompts->boxes[0].caption);
    EXPECT_EQ(nullptr, tree.GetDraggedItem());
    m_pPrompts->m_nAnswer = IDYES;
    Drag(tree, "Box/Sub/Child", "Box/Letter", TRUE);
    EXPECT_EQ(dwBoxId, ParentOf(pDoc, "Child"));
    EXPECT_NE(nullptr, FindItem(tree, "Box/Sub/(empty)"));
    EXPECT_EQ(4, s_dragMenu.nShown);

    // Let go over empty space: a beep and no menu at all.
    EXPECT_EQ(0, s_nBeeps);
    Drag(tree, "Box/Letter", nullptr, TRUE);
    EXPECT_EQ(1, s_nBeeps);
    EXPECT_EQ(4, s_dragMenu.nShown);
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());
}

TEST_F(NodeTreeDragTest, EscapeOrAMoveWithoutButtonsCancelsAndReleasesEverything)
{
    CNotebookBuilder builder;
    builder.Folder("Folder");
    builder.Note("Note");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    const std::string before = DescribeTree(tree);
    // (Some tree controls never drop-highlight the caret item.)
    tree.SelectItem(FindItem(tree, "Note"));

    StartDrag(tree, FindItem(tree, "Note"), FALSE);
    ASSERT_TRUE(tree.IsDragging());
    EXPECT_EQ(tree.m_hWnd, ::GetCapture());
    // Over empty space nothing is marked, not even the dragged item.
    CRect rcClient;
    tree.GetClientRect(&rcClient);
    MoveTo(tree, CPoint(rcClient.left + 5, rcClient.bottom - 5), FALSE);
    EXPECT_EQ(nullptr, tree.GetDropTargetItem());
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());
    MoveTo(tree, Centre(tree, FindItem(tree, "Folder")), FALSE);
    EXPECT_EQ(FindItem(tree, "Folder"), tree.GetDropTargetItem());
    EXPECT_EQ(FindItem(tree, "Folder"), tree.GetDropHilightItem());
    tree.SendMessage(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(tree.IsDragging());
    EXPECT_NE(tree.m_hWnd, ::GetCapture());
    // No timer left running.
    EXPECT_FALSE(::KillTimer(tree.m_hWnd, CQlcTreeCtrl::kDragTimerId));
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());
    EXPECT_EQ(nullptr, tree.GetDraggedItem());
    // The release that follows drops nothing.
    Release(tree, Centre(tree, FindItem(tree, "Folder")), FALSE);
    EXPECT_EQ(before, DescribeTree(tree));

    // A button released elsewhere shows as a move without buttons.
    StartDrag(tree, FindItem(tree, "Note"), FALSE);
    ASSERT_TRUE(tree.IsDragging());
    MoveTo(tree, Centre(tree, FindItem(tree, "Folder")), FALSE);
    const CPoint pt = Centre(tree, FindItem(tree, "Folder"));
    tree.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_FALSE(tree.IsDragging());
    EXPECT_NE(tree.m_hWnd, ::GetCapture());
    EXPECT_FALSE(::KillTimer(tree.m_hWnd, CQlcTreeCtrl::kDragTimerId));
    EXPECT_EQ(before, DescribeTree(tree));

    // Another window taking the mouse ends the drag as well.
    StartDrag(tree, FindItem(tree, "Note"), FALSE);
    ASSERT_TRUE(tree.IsDragging());
    ::SetCapture(m_pMainFrame->m_hWnd);
    EXPECT_FALSE(tree.IsDragging());
    EXPECT_FALSE(::KillTimer(tree.m_hWnd, CQlcTreeCtrl::kDragTimerId));
    ::ReleaseCapture();
    EXPECT_EQ(before, DescribeTree(tree));
}

TEST_F(NodeTreeDragTest, APressThatEndsARenameStartsNoDragButTheNextOneDoes)
{
    CNotebookBuilder builder;
    builder.Folder("Folder");
    builder.Note("Note");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    tree.SetContextItem(FindItem(tree, "Note"));
    tree.SendMessage(WM_COMMAND, ID_QLCPOPUP_RENAME);
    ASSERT_NE(nullptr, tree.GetEditControl());
    StartDrag(tree, FindItem(tree, "Note"), FALSE);
    EXPECT_EQ(nullptr, tree.GetEditControl());
    EXPECT_FALSE(tree.IsDragging());
    EXPECT_NE(tree.m_hWnd, ::GetCapture());
    PumpMessages();
    // The placeholder is never dragged.
    tree.ExpandAll();
    HTREEITEM hPlaceholder = FindItem(tree, "Folder/(empty)");
    ASSERT_NE(nullptr, hPlaceholder);
    StartDrag(tree, hPlaceholder, FALSE);
    EXPECT_FALSE(tree.IsDragging());
    PumpMessages();
    Drag(tree, "Note", "Folder");
    EXPECT_EQ(NodeIdByName(pDoc, "Folder"), ParentOf(pDoc, "Note"));
}

TEST_F(NodeTreeDragTest, ARightPressStartsADragOnceTheMouseMovesMoreThanThreePixels)
{
    CNotebookBuilder builder;
    builder.Folder("Folder");
    builder.Note("Note");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    HTREEITEM hNote = FindItem(tree, "Note");
    const CPoint pt = Centre(tree, hNote);
    s_ptCursor = ToScreen(tree, pt);
    // The control's own loop ends without a drag (another press comes) and
    // opens the context menu, which Escape closes.
    tree.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    tree.PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
    tree.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
    ASSERT_FALSE(tree.IsDragging());
    EXPECT_EQ(hNote, tree.GetContextItem());

    auto move = [&](int dx, int dy) {
        tree.SendMessage(WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(pt.x + dx, pt.y + dy));
    };
    move(0, 0); // the first move after the focus came
    move(0, 0); // the point recorded
    move(3, -3);
    EXPECT_FALSE(tree.IsDragging());
    move(0, 4);
    ASSERT_TRUE(tree.IsDragging());
    EXPECT_TRUE(tree.IsRightDragPending());
    EXPECT_EQ(hNote, tree.GetSelectedItem());
    EXPECT_EQ(hNote, tree.GetDraggedItem());

    s_dragMenu.nAnswer = ID_QLCDRAG_MOVEHERE;
    MoveTo(tree, Centre(tree, FindItem(tree, "Folder")), TRUE);
    Release(tree, Centre(tree, FindItem(tree, "Folder")), TRUE);
    EXPECT_EQ(1, s_dragMenu.nShown);
    EXPECT_EQ(NodeIdByName(pDoc, "Folder"), ParentOf(pDoc, "Note"));
    EXPECT_FALSE(tree.IsRightDragPending());
}

TEST_F(NodeTreeDragTest, TheDragScrollsFasterFartherOutAndOpensAFolderRestedOn)
{
    CNotebookBuilder builder;
    char szName[32];
    for (int i = 0; i < 80; i++)
    {
        wsprintfA(szName, "Note %02d", i);
        builder.Note(szName);
    }
    builder.Note("Inner", builder.Folder("A folder"));
    builder.Note("Inner 2", builder.Folder("Another folder"));
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    CRect rc;
    tree.GetClientRect(&rc);
    tree.ClientToScreen(&rc);
    auto tick = [&](int nTicks) {
        for (int i = 0; i < nTicks; i++)
            tree.SendMessage(WM_TIMER, CQlcTreeCtrl::kDragTimerId, 0);
    };
    auto pos = [&]() { return ::GetScrollPos(tree.m_hWnd, SB_VERT); };

    // Hover: the folders come first; the drag rests on one.
    HTREEITEM hFolder = FindItem(tree, "A folder");
    HTREEITEM hOther = FindItem(tree, "Another folder");
    StartDrag(tree, FindItem(tree, "Note 00"), FALSE);
    ASSERT_TRUE(tree.IsDragging());
    const UINT nTicksBefore = tree.GetDragTicks();
    MoveTo(tree, Centre(tree, hFolder), FALSE);
    ASSERT_EQ(hFolder, tree.GetDropTargetItem());
    tick(10);
    EXPECT_FALSE(tree.GetItemState(hFolder, TVIS_EXPANDED) & TVIS_EXPANDED);
    // Onto another folder: the count starts again.
    MoveTo(tree, Centre(tree, hOther), FALSE);
    ASSERT_EQ(hOther, tree.GetDropTargetItem());
    tick(10);
    EXPECT_FALSE(tree.GetItemState(hOther, TVIS_EXPANDED) & TVIS_EXPANDED);
    tick(1);
    EXPECT_TRUE(tree.GetItemState(hOther, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_FALSE(tree.GetItemState(hFolder, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(21u, tree.GetDragTicks() - nTicksBefore);

    // At the top with nothing above: no scrolling.
    s_ptCursor = CPoint(rc.left + 20, rc.top - 95);
    tick(3);
    EXPECT_EQ(0, pos());
    // Far below the bottom: a line every tick, the last visible item the
    // target.
    s_ptCursor = CPoint(rc.left + 20, rc.bottom + 95);
    tick(6);
    EXPECT_EQ(6, pos());
    HTREEITEM hLast = tree.GetFirstVisibleItem();
    for (UINT i = 1; i < tree.GetVisibleCount(); i++)
        hLast = tree.GetNextVisibleItem(hLast);
    EXPECT_EQ(hLast, tree.GetDropTargetItem());
    EXPECT_EQ(hLast, tree.GetDropHilightItem());
    // Far above the top: a line every tick, the first visible item the target.
    s_ptCursor = CPoint(rc.left + 20, rc.top - 95);
    tick(3);
    EXPECT_EQ(3, pos());
    EXPECT_NE(nullptr, tree.GetDropTargetItem());
    // Just inside the top band: a line every sixth tick.
    s_ptCursor = CPoint(rc.left + 20, rc.top + 5);
    tick(12);
    EXPECT_EQ(1, pos());
    // 45 pixels out: every fourth.
    s_ptCursor = CPoint(rc.left + 20, rc.bottom + 45);
    tick(12);
    EXPECT_EQ(4, pos());
    // In the middle: no scrolling at all.
    s_ptCursor = rc.CenterPoint();
    tick(12);
    EXPECT_EQ(4, pos());
    tree.SendMessage(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(tree.IsDragging());
}

TEST_F(NodeTreeDragTest, AMoveThatCannotCopyEveryNodeLosesNothing)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CNotebookBuilder builder;
    const DWORD dwFolder = builder.Folder("Folder");
    builder.Note("Plain", dwFolder, kLetterRtf);
    const DWORD dwSecret = builder.Note("Secret", dwFolder, kLetterRtf);
    builder.Encrypt(dwSecret, "pw");
    builder.Folder("Target");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    tree.ExpandAll();
    const std::string before = DescribeTree(tree);
    const INT_PTR nNodes = pDoc->Data_GetNodeCount();
    const DWORD dwFolderId = NodeIdByName(pDoc, "Folder");
    const DWORD dwSecretId = NodeIdByName(pDoc, "Secret");
    pDoc->SetModified(FALSE);
    // Without the library the encrypted payload cannot be copied.
    app.m_cryptHandler.Unload();

    Drag(tree, "Folder", "Target");
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("was not moved"));
    EXPECT_EQ(before, DescribeTree(tree));
    EXPECT_EQ(nNodes, pDoc->Data_GetNodeCount());
    EXPECT_EQ(dwFolderId, NodeIdByName(pDoc, "Folder"));
    EXPECT_EQ(dwFolderId, CQlcNode(pDoc, dwSecretId).GetParentId());
    EXPECT_TRUE(CQlcNode(pDoc, dwSecretId).IsEncrypted());
    EXPECT_FALSE(pDoc->GetModifiedFlag());

    // Copy Here says so too and leaves no part-copy behind.
    s_dragMenu.nAnswer = ID_QLCDRAG_COPYHERE;
    Drag(tree, "Folder", "Target", TRUE);
    ASSERT_EQ(1u, TakeMessages().size());
    EXPECT_EQ(before, DescribeTree(tree));
    EXPECT_EQ(nNodes, pDoc->Data_GetNodeCount());
}

TEST_F(NodeTreeDragTest, AMoveReleasesTheClipboardOfItsNodeOrItsNewFolder)
{
    CNotebookBuilder builder;
    builder.Folder("Target");
    builder.Note("Note");
    builder.Note("Held");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    // The folder moved into is held as cut: released, its normal images back.
    app.m_nodeClipboard.bHasContent = TRUE;
    app.m_nodeClipboard.pDocument = pDoc;
    app.m_nodeClipboard.pTree = &tree;
    app.m_nodeClipboard.dwNodeId = NodeIdByName(pDoc, "Target");
    app.m_nodeClipboard.bCut = TRUE;
    tree.RefreshTree(FALSE);
    ASSERT_EQ(CQlcTreeCtrl::imageFolder + CQlcTreeCtrl::imageCutOffset, ImageOf(tree, FindItem(tree, "Target")));
    Drag(tree, "Note", "Target");
    EXPECT_EQ(NodeIdByName(pDoc, "Target"), ParentOf(pDoc, "Note"));
    EXPECT_FALSE(app.m_nodeClipboard.bHasContent);
    EXPECT_EQ(nullptr, tree.GetCutItem());
    EXPECT_EQ(CQlcTreeCtrl::imageNote, ImageOf(tree, FindItem(tree, "Target/Note")));
    // The cut mark is gone: the folder shows as open exactly when it is.
    HTREEITEM hTarget = FindItem(tree, "Target");
    const BOOL bExpanded = (tree.GetItemState(hTarget, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    EXPECT_EQ(bExpanded ? CQlcTreeCtrl::imageFolderOpen : CQlcTreeCtrl::imageFolder, ImageOf(tree, hTarget));

    // The moved node itself held as copied: released, no id left behind.
    app.m_nodeClipboard.bHasContent = TRUE;
    app.m_nodeClipboard.pDocument = pDoc;
    app.m_nodeClipboard.pTree = &tree;
    app.m_nodeClipboard.dwNodeId = NodeIdByName(pDoc, "Held");
    app.m_nodeClipboard.bCut = FALSE;
    Drag(tree, "Held", "Target");
    EXPECT_FALSE(app.m_nodeClipboard.bHasContent);
    // A node the move does not touch stays held.
    app.m_nodeClipboard.bHasContent = TRUE;
    app.m_nodeClipboard.pDocument = pDoc;
    app.m_nodeClipboard.dwNodeId = NodeIdByName(pDoc, "Note");
    tree.ExpandAll();
    Drag(tree, "Target/Held", "Target");
    EXPECT_EQ(0u, ParentOf(pDoc, "Held"));
    EXPECT_TRUE(app.m_nodeClipboard.bHasContent);
}

TEST_F(NodeTreeDragTest, FilesDroppedThroughOleAreImportedWhereTheyLand)
{
    CNotebookBuilder builder;
    builder.Note("inside", builder.Folder("Folder"));
    builder.Folder("Empty");
    builder.Note("top");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    // The tree took its place with OLE when it was made.
    EXPECT_EQ(tree.m_hWnd, tree.GetOleDropTarget().GetWindow());
    tree.ExpandAll();
    const std::string one = (LPCSTR)MakeFile("one.txt", "first file");
    const std::string two = (LPCSTR)MakeFile("two.txt", "second file");
    IDropTarget* pTarget = tree.GetOleDropTarget().GetInterface();
    auto at = [&](LPCSTR lpszPath) {
        const CPoint pt = ToScreen(tree, Centre(tree, FindItem(tree, lpszPath)));
        return POINTL{ pt.x, pt.y };
    };

    // Something that is not a file list: refused, nothing changes.
    {
        CDraggedFiles text({});
        DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(S_OK, pTarget->DragEnter(&text, 0, at("top"), &dwEffect));
        EXPECT_EQ((DWORD)DROPEFFECT_NONE, dwEffect);
        dwEffect = DROPEFFECT_COPY;
        EXPECT_EQ(S_OK, pTarget->Drop(&text, 0, at("top"), &dwEffect));
        EXPECT_EQ((DWORD)DROPEFFECT_NONE, dwEffect);
        EXPECT_EQ(1, text.nRefs);
    }
    const INT_PTR nBefore = pDoc->Data_GetNodeCount();
    EXPECT_EQ(4, (int)nBefore);

    // Onto a top-level folder: beside it, at the top level.
    {
        CDraggedFiles files({ one, two });
        DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(S_OK, pTarget->DragEnter(&files, 0, at("Folder"), &dwEffect));
        EXPECT_EQ((DWORD)DROPEFFECT_COPY, dwEffect);
        dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(S_OK, pTarget->DragOver(0, at("Folder"), &dwEffect));
        EXPECT_EQ(FindItem(tree, "Folder"), tree.GetDropHilightItem());
        dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(S_OK, pTarget->Drop(&files, 0, at("Folder"), &dwEffect));
        EXPECT_EQ((DWORD)DROPEFFECT_COPY, dwEffect);
        EXPECT_EQ(1, files.nRefs);
    }
    EXPECT_EQ(0u, ParentOf(pDoc, "one"));
    EXPECT_EQ(0u, ParentOf(pDoc, "two"));
    EXPECT_NE(std::string::npos, ReadPayload(pDoc, NodeIdByName(pDoc, "two")).find("second file"));
    EXPECT_NE(nullptr, FindItem(tree, "one"));
    EXPECT_EQ(FindItem(tree, "Folder"), tree.GetSelectedItem());
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());

    // Onto a note in a folder: into that folder. Onto "(empty)": into its
    // folder, whose first item is then selected.
    auto dropOn = [&](const std::string& path, LPCSTR lpszItem) {
        CDraggedFiles files({ path });
        DWORD dwEffect = DROPEFFECT_COPY;
        pTarget->DragEnter(&files, 0, at(lpszItem), &dwEffect);
        dwEffect = DROPEFFECT_COPY;
        pTarget->Drop(&files, 0, at(lpszItem), &dwEffect);
        EXPECT_EQ((DWORD)DROPEFFECT_COPY, dwEffect) << lpszItem;
    };
    dropOn(one, "Folder/inside");
    EXPECT_NE(nullptr, FindItem(tree, "Folder/one"));
    EXPECT_EQ(FindItem(tree, "Folder/inside"), tree.GetSelectedItem());
    dropOn(two, "Empty/(empty)");
    EXPECT_NE(nullptr, FindItem(tree, "Empty/two"));
    EXPECT_EQ(FindItem(tree, "Empty/two"), tree.GetSelectedItem());
    EXPECT_EQ(nBefore + 4, pDoc->Data_GetNodeCount());

    // A drag that leaves again puts the selection back.
    HTREEITEM hCaret = tree.GetSelectedItem();
    {
        CDraggedFiles files({ one });
        DWORD dwEffect = DROPEFFECT_COPY;
        pTarget->DragEnter(&files, 0, at("top"), &dwEffect);
        EXPECT_EQ(FindItem(tree, "top"), tree.GetDropHilightItem());
        pTarget->DragLeave();
        EXPECT_EQ(1, files.nRefs);
    }
    EXPECT_EQ(nullptr, tree.GetDropHilightItem());
    EXPECT_EQ(hCaret, tree.GetSelectedItem());
    EXPECT_TRUE(TakeMessages().empty());
    pDoc->SetModified(FALSE);
}

TEST_F(NodeTreeDragTest, FilesDroppedAsAShellMessageAreImportedAndTheHandleReleased)
{
    CNotebookBuilder builder;
    builder.Note("inside", builder.Folder("Folder"));
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl& tree = *TreeOf(pDoc);
    tree.ExpandAll();
    EXPECT_TRUE(tree.GetExStyle() & WS_EX_ACCEPTFILES);
    const std::string path = (LPCSTR)MakeFile("dropped.txt", "dropped text");
    HGLOBAL hDrop = MakeFileList({ path }, Centre(tree, FindItem(tree, "Folder/inside")));
    tree.SendMessage(WM_DROPFILES, (WPARAM)hDrop, 0);
    EXPECT_EQ(NodeIdByName(pDoc, "Folder"), ParentOf(pDoc, "dropped"));
    EXPECT_NE(nullptr, FindItem(tree, "Folder/dropped"));
    EXPECT_EQ(FindItem(tree, "Folder/inside"), tree.GetSelectedItem());
    // The shell's memory was given back.
    EXPECT_EQ((UINT)GMEM_INVALID_HANDLE, ::GlobalFlags(hDrop));
    pDoc->SetModified(FALSE);
}
