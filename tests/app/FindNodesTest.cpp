// The Find in Nodes window over a real notebook window: the modes and
// scopes, results in table order with their tree pictures, the messages,
// the search history, stopping, closing the window or the notebook while
// the worker runs, opening results with the hit selected, the list's
// buttons and keys, and what the window keeps in the settings.
#include "NotebookWindowSupport.h"

#include "app/CFindNodesDlg.h"
#include "app/CFindNodesQuery.h"
#include "app/CSetPasswordDlg.h"
#include "app/res/FindNodesDlgRes.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CNodeBatchExport.h"
#include "core/CQlcNode.h"

#include "framework/base/CSingleLock.h"
#include "framework/base/CUiChannel.h"
#include "framework/ui/CComboBox.h"

#include <cstdio>
#include <functional>
#include <set>
#include <thread>

namespace {

const char kPieRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Bake the crust until {\\b golden}.\\par}";
// "apple" split by a group: the note shows it whole.
const char kCrustRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Flour, butter and salt for the ap{\\i ple} filling.\\par}";
const char kGardenRtf[] = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                          "\\f0 Plant the \\cf1 APPLE\\cf0  trees; pick pears in autumn.\\par Caf\\'e9 au lait.\\par}";
const char kDiaryRtf[] = "{\\rtf1 Nothing to see.}";
const char kVaultRtf[] = "{\\rtf1 apple pie secret recipe}";
const char kHitsRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 apple one. apple two. apple three.\\par}";

class FindNodesTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        ASSERT_TRUE(CUiChannel::Create());
        app.m_searchHistory.RemoveAll();
    }
    void TearDown() override
    {
        if (CFindNodesDlg* pDlg = m_pMainFrame ? m_pMainFrame->GetFindNodesDlg() : nullptr)
        {
            if (pDlg->m_hWnd != nullptr)
                pDlg->DestroyWindow();
        }
        app.CloseAllDocuments(TRUE);
        CUiChannel::Destroy();
        NotebookWindowTest::TearDown();
    }

    // The test notebook: a folder of recipes, notes with text, keywords, an
    // encrypted note and a picture.
    CQuillcrestDoc* OpenRecipes()
    {
        CNotebookBuilder builder;
        const DWORD dwFolder = builder.Folder("Recipes");
        builder.Note("Apple Pie", dwFolder, kPieRtf);
        builder.Note("Pie Crust", dwFolder, kCrustRtf);
        builder.Note("Garden", 0, kGardenRtf);
        const DWORD dwDiary = builder.Note("Diary", 0, kDiaryRtf);
        QLCNODE_KEYWORDS keywords;
        keywords.dwNodeId = dwDiary;
        keywords.keywordIds.push_back(builder.doc.Data_GetKeywordId("orchard"));
        keywords.keywordIds.push_back(builder.doc.Data_GetKeywordId("harvest"));
        builder.doc.Data_SetNodeKeywords(dwDiary, keywords);
        if (app.m_cryptHandler.Load())
            builder.Encrypt(builder.Note("Vault", 0, kVaultRtf), "pw");
        builder.Node(QLC_NODE_IMAGE, "Apple photo", 0, std::string());
        builder.Note("Hits", 0, kHitsRtf);
        return OpenBuilt(builder);
    }
    // A notebook of many notes, each with "apple" in its text.
    CQuillcrestDoc* OpenOrchard(int nNotes)
    {
        CNotebookBuilder builder;
        for (int i = 0; i < nNotes; i++)
        {
            char szName[32], szRtf[128];
            wsprintfA(szName, "Tree %d", i);
            wsprintfA(szRtf, "{\\rtf1\\ansi Tree %d bears an apple every year.\\par}", i);
            builder.Note(szName, 0, szRtf);
        }
        return OpenBuilt(builder, "orchard.qlc");
    }

    CFindNodesDlg* OpenFind()
    {
        m_pMainFrame->SendMessage(WM_COMMAND, ID_EDIT_FINDINNODES);
        PumpMessages();
        m_pDlg = m_pMainFrame->GetFindNodesDlg();
        return m_pDlg;
    }
    void SetQuery(LPCSTR lpszQuery) { m_pDlg->GetDlgItem(IDC_FIND_QUERY)->SetWindowText(lpszQuery); }
    void SetMode(int nMode) { static_cast<CComboBox*>(m_pDlg->GetDlgItem(IDC_FIND_MODE))->SetCurSel(nMode); }
    void SetScopes(int nScopes)
    {
        m_pDlg->CheckDlgButton(IDC_FIND_TITLES, (nScopes & CFindNodesState::scopeTitles) ? BST_CHECKED : BST_UNCHECKED);
        m_pDlg->CheckDlgButton(IDC_FIND_KEYWORDS, (nScopes & CFindNodesState::scopeKeywords) ? BST_CHECKED : BST_UNCHECKED);
        m_pDlg->CheckDlgButton(IDC_FIND_CONTENT, (nScopes & CFindNodesState::scopeContent) ? BST_CHECKED : BST_UNCHECKED);
    }
    void StartSearch(LPCSTR lpszQuery, int nMode, int nScopes)
    {
        SetQuery(lpszQuery);
        SetMode(nMode);
        SetScopes(nScopes);
        ClickButton(m_pDlg, IDC_FIND_NOW);
    }
    // Runs the window's ticks and the worker's calls until the search ends.
    bool WaitForSearch()
    {
        for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < 60000;)
        {
            PumpMessages();
            if (!m_pDlg->IsSearching())
                return true;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return false;
    }
    std::string Find(LPCSTR lpszQuery, int nMode, int nScopes)
    {
        StartSearch(lpszQuery, nMode, nScopes);
        EXPECT_TRUE(WaitForSearch());
        return Results();
    }
    std::string Results()
    {
        CListCtrl& list = m_pDlg->GetResultList();
        std::string text;
        for (int i = 0; i < list.GetItemCount(); i++)
            text += (i ? ", " : "") + std::string((LPCSTR)list.GetItemText(i, 0));
        return text;
    }
    // The names in the order of the notebook's node table.
    static std::string InTableOrder(CQuillcrestDoc* pDoc, std::set<std::string> names)
    {
        std::string text;
        CQlcDocLock::CScoped tableLock144(pDoc->GetLock());
        const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock144);
        for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
        {
            DWORD dwId = 0;
            QLCNODE node;
            nodes.GetNextAssoc(pos, dwId, node);
            if (names.erase((LPCSTR)node.strName) != 0)
                text += (text.empty() ? "" : ", ") + std::string((LPCSTR)node.strName);
        }
        return names.empty() ? text : "missing names";
    }
    // Whether a call of the worker waits for this thread (within the time):
    // it counts even when an earlier look at the queue has seen it.
    static bool WaitForWorkerCall(DWORD dwMilliseconds)
    {
        return ::MsgWaitForMultipleObjectsEx(0, nullptr, dwMilliseconds, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
               WAIT_OBJECT_0;
    }
    // Answers the worker's calls one at a time (nothing else runs) until
    // the condition holds; onCall sees each call before it is answered,
    // while the worker waits for it.
    static bool RunWorkerCallsUntil(const std::function<bool()>& condition,
                                    const std::function<void()>& onCall = nullptr)
    {
        for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < 30000;)
        {
            if (condition())
                return true;
            MSG msg;
            if (WaitForWorkerCall(10))
            {
                if (onCall)
                    onCall();
                ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
        }
        return condition();
    }
    // Lets the worker go until it has handed over its first notes, then
    // keeps the lock (hold, on the state's mutex) so that it waits there at
    // its next hand-over. The lock is taken while the worker waits for a
    // call of its own, so it cannot have ended meanwhile: one peek may
    // answer several calls.
    bool HoldWorkerAfterFirstNotes(CSingleLock& hold)
    {
        CFindNodesState& state = *m_pDlg->GetState();
        return RunWorkerCallsUntil([&] { return hold.IsLocked() != FALSE; },
                                   [&] {
                                       if (state.m_progress.GetState().ullCurrent > 0)
                                           hold.Lock();
                                   });
    }
    void SelectRow(int nRow)
    {
        m_pDlg->GetResultList().SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    int SelectedRow() { return m_pDlg->GetResultList().GetNextItem(-1, LVNI_SELECTED); }
    int RowOf(LPCSTR lpszName)
    {
        CListCtrl& list = m_pDlg->GetResultList();
        for (int i = 0; i < list.GetItemCount(); i++)
        {
            if (list.GetItemText(i, 0) == lpszName)
                return i;
        }
        return -1;
    }
    // The node selected in the notebook window's tree.
    static DWORD SelectedNode(CChildFrame* pFrame)
    {
        CQlcTreeCtrl* pTree = pFrame->GetTreeCtrl();
        HTREEITEM hItem = pTree->GetSelectedItem();
        return hItem ? (DWORD)pTree->GetItemData(hItem) : 0;
    }
    CHARRANGE Selection(CChildFrame* pFrame)
    {
        CHARRANGE sel = { -1, -1 };
        if (pFrame->GetRichEditView() != nullptr)
            pFrame->GetRichEditView()->GetRichEditCtrl().GetSel(sel);
        return sel;
    }
    CString StatusText() { return m_pDlg->GetProgressBar() ? m_pDlg->GetProgressBar()->GetText() : CString(); }
    int ProgressPos() { return m_pDlg->GetProgressBar() ? m_pDlg->GetProgressBar()->GetPos() : -1; }

    CFindNodesDlg* m_pDlg = nullptr;
};

// EnumThreadWindows: there is a window.
BOOL CALLBACK NoteWindow(HWND, LPARAM lParam)
{
    *reinterpret_cast<BOOL*>(lParam) = TRUE;
    return FALSE;
}

enum { kAll = CFindNodesQuery::modeAllWords, kAny = CFindNodesQuery::modeAnyWord, kPhrase = CFindNodesQuery::modePhrase };
enum
{
    kTitles = CFindNodesState::scopeTitles,
    kKeywords = CFindNodesState::scopeKeywords,
    kContent = CFindNodesState::scopeContent
};

} // namespace

// --- Modes and scopes -----------------------------------------------------------------------

TEST_F(FindNodesTest, TitlesMatchInEachModeWhateverTheLetterCase)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ("Apple Pie", Find("PIE apple", kAll, kTitles));
    EXPECT_EQ(InTableOrder(pDoc, { "Apple Pie", "Pie Crust", "Apple photo" }), Find("apple pie", kAny, kTitles));
    EXPECT_EQ("Apple Pie", Find("apple PIE", kPhrase, kTitles));
    EXPECT_EQ("", Find("pie apple", kPhrase, kTitles));
    EXPECT_EQ("Diary", Find("iar", kAll, kTitles));
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FindNodesTest, BlanksInARowGiveNoEmptyWordThatWouldFindEverything)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ(InTableOrder(pDoc, { "Apple Pie", "Pie Crust", "Apple photo" }), Find("apple  pie", kAny, kTitles));
    EXPECT_EQ("Apple Pie", Find("  apple   pie ", kAll, kTitles));
    EXPECT_EQ("", Find("zebra  ", kAny, kTitles | kKeywords | kContent));
}

TEST_F(FindNodesTest, KeywordsMatchTheStoredKeywordText)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ("Diary", Find("ORCH", kAll, kKeywords));
    EXPECT_EQ("Diary", Find("zebra harvest", kAny, kKeywords));
    EXPECT_EQ("Diary", Find("orchard", kPhrase, kKeywords));
    EXPECT_EQ("", Find("orchard", kAll, kTitles | kContent));
}

TEST_F(FindNodesTest, NoteTextIsSearchedAsShownButNeverInEncryptedNotes)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_TRUE(app.m_cryptHandler.IsLoaded());
    ASSERT_NE(nullptr, OpenFind());
    // Split by a group, upper case: found; the encrypted note holds it too
    // but is not searched.
    EXPECT_EQ(InTableOrder(pDoc, { "Pie Crust", "Garden", "Hits" }), Find("apple", kAll, kContent));
    EXPECT_EQ("Garden", Find("CAF\xC9", kAll, kContent));
    EXPECT_EQ("Apple Pie", Find("golden bake", kAll, kContent));
    EXPECT_EQ("", Find("bake golden", kPhrase, kContent));
    EXPECT_EQ("Apple Pie", Find("crust until golden.", kPhrase, kContent));
    EXPECT_EQ("", Find("secret", kAny, kContent));
    EXPECT_EQ("Vault", Find("secret vault", kAny, kTitles | kContent));
    EXPECT_EQ("", Find("fonttbl arial", kAny, kContent));
}

TEST_F(FindNodesTest, ResultsComeInTableOrderWithTheTreePicturesAndTheirNodeIds)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ(InTableOrder(pDoc, { "Recipes", "Apple Pie", "Pie Crust", "Garden", "Diary", "Apple photo", "Hits" }),
              Find("apple orchard recipes", kAny, kTitles | kKeywords | kContent));
    CListCtrl& list = m_pDlg->GetResultList();
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    pTree->ExpandAll();
    EXPECT_EQ(app.m_treeImages.GetSafeHandle(), list.GetImageList(LVSIL_SMALL));
    for (int i = 0; i < list.GetItemCount(); i++)
    {
        const std::string name = (LPCSTR)list.GetItemText(i, 0);
        EXPECT_EQ(NodeIdByName(pDoc, name.c_str()), (DWORD)list.GetItemData(i)) << name;
        HTREEITEM hItem = FindItem(*pTree, name == "Apple Pie" || name == "Pie Crust" ? ("Recipes/" + name).c_str()
                                                                                      : name.c_str());
        ASSERT_NE(nullptr, hItem) << name;
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        list.GetItem(&item);
        // An expanded folder shows itself open in the tree; its row shows it
        // as the tree does closed.
        EXPECT_EQ(name == "Recipes" ? (int)CQlcTreeCtrl::imageFolder : ImageOf(*pTree, hItem), item.iImage) << name;
    }
}

// --- Messages and history ------------------------------------------------------------------------

TEST_F(FindNodesTest, WithoutANotebookOrQueryTheUserIsTold)
{
    ASSERT_NE(nullptr, OpenFind());
    StartSearch("apple", kAll, kTitles);
    EXPECT_FALSE(m_pDlg->IsSearching());
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("No data available for search", m_pPrompts->boxes[0].text);
    EXPECT_EQ("Find in Nodes", m_pPrompts->boxes[0].caption);
    EXPECT_EQ((UINT)MB_ICONWARNING, m_pPrompts->boxes[0].type & MB_ICONMASK);
    m_pPrompts->boxes.clear();

    ASSERT_NE(nullptr, OpenRecipes());
    m_pDlg->SetFocus();
    for (LPCSTR lpszBlank : { "", "   " })
    {
        StartSearch(lpszBlank, kAll, kTitles);
        EXPECT_FALSE(m_pDlg->IsSearching());
        ASSERT_EQ(1u, m_pPrompts->boxes.size());
        EXPECT_EQ("Please enter a query", m_pPrompts->boxes[0].text);
        EXPECT_EQ("Find in Nodes", m_pPrompts->boxes[0].caption);
        m_pPrompts->boxes.clear();
    }
    // Blank queries are no history entries.
    EXPECT_EQ(0, (int)app.m_searchHistory.GetCount());
    EXPECT_EQ(0, static_cast<CComboBox*>(m_pDlg->GetDlgItem(IDC_FIND_QUERY))->GetCount());
}

TEST_F(FindNodesTest, QueriesGoToTheFrontOfTheHistoryOnceEachAndFillTheComboNextTime)
{
    ASSERT_NE(nullptr, OpenRecipes());
    ASSERT_NE(nullptr, OpenFind());
    Find("apple", kAll, kTitles);
    Find("  pie ", kAll, kTitles);
    Find("apple", kAll, kTitles);
    Find("   ", kAll, kTitles);
    TakeMessages();
    std::vector<std::string> history;
    for (POSITION pos = app.m_searchHistory.GetHeadPosition(); pos != nullptr;)
        history.push_back((LPCSTR)app.m_searchHistory.GetNext(pos));
    EXPECT_EQ((std::vector<std::string>{ "apple", "pie" }), history);
    CComboBox* pQuery = static_cast<CComboBox*>(m_pDlg->GetDlgItem(IDC_FIND_QUERY));
    ASSERT_EQ(2, pQuery->GetCount());

    m_pDlg->DestroyWindow();
    ASSERT_NE(nullptr, OpenFind());
    pQuery = static_cast<CComboBox*>(m_pDlg->GetDlgItem(IDC_FIND_QUERY));
    ASSERT_EQ(2, pQuery->GetCount());
    CString strFirst, strText;
    pQuery->GetLBText(0, strFirst);
    pQuery->GetWindowText(strText);
    EXPECT_EQ("apple", std::string((LPCSTR)strFirst));
    EXPECT_EQ("apple", std::string((LPCSTR)strText));
    EXPECT_EQ(pQuery->m_hWnd, ::GetParent(CWnd::GetFocus()->m_hWnd));
}

// --- Stopping and closing while the worker runs --------------------------------------------------

TEST_F(FindNodesTest, StopKeepsTheRowsFoundSoFarAndEndsReady)
{
    ASSERT_NE(nullptr, OpenOrchard(600));
    ASSERT_NE(nullptr, OpenFind());
    StartSearch("apple", kAll, kContent);
    ASSERT_TRUE(m_pDlg->IsSearching());
    EXPECT_FALSE(m_pDlg->GetDlgItem(IDC_FIND_NOW)->IsWindowEnabled());
    EXPECT_FALSE(m_pDlg->GetDlgItem(IDCANCEL)->IsWindowEnabled());
    EXPECT_TRUE(m_pDlg->GetDlgItem(IDC_FIND_STOP)->IsWindowEnabled());
    EXPECT_EQ("0% Complete", std::string((LPCSTR)StatusText()));
    // Enter in the query field while it runs starts no second worker.
    const HANDLE hWorker = m_pDlg->GetWorkerHandle();
    m_pDlg->GetDlgItem(IDC_FIND_QUERY)->SetFocus();
    m_pDlg->SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(hWorker, m_pDlg->GetWorkerHandle());
    EXPECT_EQ(1, (int)app.m_searchHistory.GetCount());

    // Hold the worker after its first notes: the window lists them.
    CFindNodesState& state = *m_pDlg->GetState();
    CSingleLock hold(&state.m_mutex);
    ASSERT_TRUE(HoldWorkerAfterFirstNotes(hold));
    m_pDlg->OnTimer(CFindNodesDlg::kTimerId);
    const int nListed = m_pDlg->GetResultList().GetItemCount();
    EXPECT_GT(nListed, 0);
    EXPECT_LT(nListed, 600);
    EXPECT_GT(ProgressPos(), 0);
    EXPECT_NE(std::string::npos, std::string((LPCSTR)StatusText()).find("% Complete"));

    ClickButton(m_pDlg, IDC_FIND_STOP);
    // Told at the next tick.
    EXPECT_TRUE(state.m_bStatusPending);
    EXPECT_EQ("Cancelling Search...", std::string((LPCSTR)state.m_strStatus));
    hold.Unlock();
    ASSERT_TRUE(WaitForSearch());
    EXPECT_EQ(nListed, m_pDlg->GetResultList().GetItemCount());
    EXPECT_EQ("Ready", std::string((LPCSTR)StatusText()));
    EXPECT_EQ("Ready", std::string((LPCSTR)m_pDlg->GetStatusBar().GetPaneText(0)));
    EXPECT_EQ(0, ProgressPos());
    EXPECT_TRUE(m_pDlg->GetDlgItem(IDC_FIND_NOW)->IsWindowEnabled());
    EXPECT_TRUE(m_pDlg->GetDlgItem(IDCANCEL)->IsWindowEnabled());
    EXPECT_FALSE(m_pDlg->GetDlgItem(IDC_FIND_STOP)->IsWindowEnabled());

    // A whole search afterwards finds every note.
    Find("apple", kAll, kContent);
    EXPECT_EQ(600, m_pDlg->GetResultList().GetItemCount());
    EXPECT_EQ("Ready", std::string((LPCSTR)StatusText()));
    EXPECT_EQ(0, ProgressPos());
}

TEST_F(FindNodesTest, ClosingTheWindowMidSearchStopsAndJoinsTheWorkerAndItOpensAgain)
{
    ASSERT_NE(nullptr, OpenOrchard(300));
    ASSERT_NE(nullptr, OpenFind());
    StartSearch("apple", kAll, kContent);
    ASSERT_TRUE(m_pDlg->IsSearching());
    CFindNodesStatePtr pState = m_pDlg->GetState();
    HANDLE hWorker = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), m_pDlg->GetWorkerHandle(), ::GetCurrentProcess(), &hWorker,
                                  0, FALSE, DUPLICATE_SAME_ACCESS));
    CScopedHandle worker(hWorker);
    // The worker waits for this thread to copy the notes out for it.
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, ::WaitForSingleObject(worker, 50));

    m_pDlg->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(nullptr, m_pDlg->m_hWnd);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, ::WaitForSingleObject(worker, 0));
    {
        CSingleLock lock(&pState->m_mutex, TRUE);
        EXPECT_TRUE(pState->m_progress.IsFinished());
        EXPECT_EQ(nullptr, pState->m_pDoc);
    }
    PumpMessages();

    ASSERT_NE(nullptr, OpenFind());
    EXPECT_NE(nullptr, m_pDlg->m_hWnd);
    Find("apple", kAll, kContent);
    EXPECT_EQ(300, m_pDlg->GetResultList().GetItemCount());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FindNodesTest, ClosingTheNotebookMidSearchStopsItEmptiesTheListAndAResultIsReportedGone)
{
    CQuillcrestDoc* pDoc = OpenOrchard(600);
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    StartSearch("apple", kAll, kContent);
    {
        CSingleLock hold(&m_pDlg->GetState()->m_mutex);
        ASSERT_TRUE(HoldWorkerAfterFirstNotes(hold));
        m_pDlg->OnTimer(CFindNodesDlg::kTimerId);
    }
    ASSERT_GT(m_pDlg->GetResultList().GetItemCount(), 0);
    SelectRow(0);
    const std::string strRow = (LPCSTR)m_pDlg->GetResultList().GetItemText(0, 0);

    pDoc->OnCloseDocument();
    EXPECT_EQ(nullptr, m_pDlg->GetSearchedFrame());
    // Before the next tick the row is still there; opening it touches no
    // forgotten notebook.
    m_pDlg->GoToResult(CFindNodesDlg::dirForward);
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Cannot find node '" + strRow + "' - it may have been moved or deleted.", messages[0]);

    ASSERT_TRUE(WaitForSearch());
    EXPECT_EQ(0, m_pDlg->GetResultList().GetItemCount());
    EXPECT_EQ("Ready", std::string((LPCSTR)StatusText()));
    EXPECT_EQ(0, ProgressPos());
}

TEST_F(FindNodesTest, ANotebookClosedAfterTheSearchTakesItsResultsAlong)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ("Apple Pie", Find("golden", kAll, kContent));
    pDoc->OnCloseDocument();
    EXPECT_EQ(0, m_pDlg->GetResultList().GetItemCount());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FindNodesTest, ANodeDeletedAfterItWasFoundIsReportedWhenOpened)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ("Garden", Find("pears", kAll, kContent));
    pDoc->Data_DeleteNode(NodeIdByName(pDoc, "Garden"));
    SelectRow(0);
    m_pDlg->GoToResult(CFindNodesDlg::dirForward);
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Cannot find node 'Garden' - it may have been moved or deleted.", messages[0]);
}

// --- The worker and the interface thread ------------------------------------------------------------

TEST_F(FindNodesTest, TheWorkerMakesNoWindowAndNeverHoldsTheLockForLong)
{
    ASSERT_NE(nullptr, OpenOrchard(400));
    ASSERT_NE(nullptr, OpenFind());
    StartSearch("apple", kAll, kContent);
    ASSERT_TRUE(m_pDlg->IsSearching());
    CFindNodesStatePtr pState = m_pDlg->GetState();
    const DWORD dwWorkerId = ::GetThreadId(m_pDlg->GetWorkerHandle());
    ASSERT_NE(0u, dwWorkerId);

    // No window of the worker's, top-level or message-only.
    int nWindowsChecks = 0;
    const auto checkWindows = [&] {
        BOOL bOwns = FALSE;
        ::EnumThreadWindows(dwWorkerId, &NoteWindow, (LPARAM)&bOwns);
        for (HWND h = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); h != nullptr;
             h = ::FindWindowExA(HWND_MESSAGE, h, nullptr, nullptr))
        {
            if (::GetWindowThreadProcessId(h, nullptr) == dwWorkerId)
                bOwns = TRUE;
        }
        EXPECT_FALSE(bOwns);
        nWindowsChecks++;
    };
    // Once it waits for its first call the worker has set itself up.
    ASSERT_TRUE(WaitForWorkerCall(30000));
    checkWindows();

    // Whenever the worker waits for this thread to copy notes out for it,
    // the lock is free: the window's tick never waits on a worker that
    // waits on the window. Between those calls it takes the lock only to
    // hand over what it found.
    int nCalls = 0, nHeld = 0;
    const bool bEnded = RunWorkerCallsUntil(
        [&] {
            checkWindows();
            CSingleLock lock(&pState->m_mutex, TRUE);
            return pState->m_progress.IsFinished() != FALSE;
        },
        [&] {
            CSingleLock lock(&pState->m_mutex);
            nCalls++;
            if (!lock.Lock(0))
                nHeld++;
        });
    ASSERT_TRUE(bEnded);
    EXPECT_GT(nWindowsChecks, 1);
    // One peek may answer several calls when the worker is quick to send
    // its next, so only one check is sure.
    EXPECT_GE(nCalls, 1);
    EXPECT_EQ(0, nHeld);
    // The worker took the lock once per batch of notes, not once per node.
    EXPECT_LE(pState->GetWorkerLockCount(), 400 / 64 + 3);
    ASSERT_TRUE(WaitForSearch());
    EXPECT_EQ(400, m_pDlg->GetResultList().GetItemCount());
}

TEST_F(FindNodesTest, TheInterfaceThreadReadsTheSameNotesWhileTheWorkerSearches)
{
    CQuillcrestDoc* pDoc = OpenOrchard(200);
    ASSERT_NE(nullptr, pDoc);
    std::vector<std::pair<DWORD, std::string>> expected;
    for (int i = 0; i < 200; i += 7)
    {
        char szName[32], szRtf[128];
        wsprintfA(szName, "Tree %d", i);
        wsprintfA(szRtf, "{\\rtf1\\ansi Tree %d bears an apple every year.\\par}", i);
        expected.emplace_back(NodeIdByName(pDoc, szName), szRtf);
    }
    ASSERT_NE(nullptr, OpenFind());
    StartSearch("apple year", kAll, kContent);
    CFindNodesStatePtr pState = m_pDlg->GetState();
    int nReads = 0;
    ASSERT_TRUE(RunWorkerCallsUntil([&] {
        // Between the worker's calls this thread reads notes of the same
        // file: every read is whole and right.
        for (const auto& note : expected)
        {
            EXPECT_EQ(note.second, ReadPayload(pDoc, note.first));
            nReads++;
        }
        CSingleLock lock(&pState->m_mutex, TRUE);
        return pState->m_progress.IsFinished() != FALSE;
    }));
    EXPECT_GT(nReads, (int)expected.size());
    ASSERT_TRUE(WaitForSearch());
    EXPECT_EQ(200, m_pDlg->GetResultList().GetItemCount());
}

TEST_F(FindNodesTest, ABatchExportOnItsWorkerAndASearchShareTheNotebook)
{
    // Notes big enough that reading one takes a while, many of them: the
    // export's worker and the interface thread (serving the search) read
    // the same files at the same time, round after round.
    const int kNotes = 150;
    CNotebookBuilder builder;
    std::vector<std::string> rtfs;
    for (int i = 0; i < kNotes; i++)
    {
        char szName[32];
        wsprintfA(szName, "Tree %03d", i);
        std::string rtf = "{\\rtf1\\ansi ";
        for (int k = 0; k < 200 + (i * 37) % 900; k++)
            rtf += "Tree " + std::to_string(i) + " bears apple number " + std::to_string(k) + " this year. ";
        rtf += "\\par}";
        builder.Note(szName, i % 3 == 0 ? 0 : builder.Folder((std::string("Row ") + std::to_string(i)).c_str()),
                     rtf.c_str());
        rtfs.push_back(rtf);
    }
    CQuillcrestDoc* pDoc = OpenBuilt(builder, "orchard-export.qlc");
    ASSERT_NE(nullptr, pDoc);
    ASSERT_NE(nullptr, OpenFind());

    for (int nRound = 0; nRound < 2; nRound++)
    {
        SCOPED_TRACE(nRound);
        const CString strDir = Path((std::string("export") + std::to_string(nRound)).c_str());
        CNodeBatchExport job(pDoc);
        job.SetDestination(strDir);
        job.Start();
        StartSearch("apple year", kAll, kContent);
        // Both to their ends, the search's worker served meanwhile; a
        // deadlock ends the test program with a failure, not a hang.
        const DWORD dwStart = ::GetTickCount();
        while (!job.IsFinished() || m_pDlg->IsSearching())
        {
            if (::GetTickCount() - dwStart > 300000)
            {
                std::fprintf(stderr, "FAILED: the export and the search did not end within 300 s (deadlock?)\n");
                std::fflush(stderr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
            PumpMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        EXPECT_EQ("", std::string((LPCSTR)job.GetFailure()));
        EXPECT_EQ(kNotes, m_pDlg->GetResultList().GetItemCount());
        int nWrong = 0;
        for (int i = 0; i < kNotes; i++)
        {
            char szName[32];
            wsprintfA(szName, "Tree %03d.rtf", i);
            const CString strFile = i % 3 == 0 ? strDir + "\\" + szName
                                               : strDir + "\\Row " + std::to_string(i).c_str() + "\\" + szName;
            if (ReadFileBytes(strFile) != rtfs[i])
                nWrong++;
        }
        EXPECT_EQ(0, nWrong) << "exported notes that differ from their nodes";
    }
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FindNodesTest, TheListSharesTheTreePicturesAndLeavesThemWhenItCloses)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    const int nImages = ImageList_GetImageCount(app.m_treeImages.GetSafeHandle());
    ASSERT_GT(nImages, 0);
    for (int nRound = 0; nRound < 2; nRound++)
    {
        ASSERT_NE(nullptr, OpenFind());
        EXPECT_NE(0u, m_pDlg->GetResultList().GetStyle() & LVS_SHAREIMAGELISTS);
        Find("apple", kAny, kTitles);
        m_pDlg->DestroyWindow();
        EXPECT_EQ(nImages, ImageList_GetImageCount(app.m_treeImages.GetSafeHandle()));
    }
    // The tree still draws with them.
    EXPECT_EQ(nImages, ImageList_GetImageCount(TreeOf(pDoc)->GetImageList(TVSIL_NORMAL)));
}

// --- Opening results --------------------------------------------------------------------------

TEST_F(FindNodesTest, OpeningAResultSelectsItsFirstHitThenForwardAndBackwardWrap)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_NE(nullptr, OpenFind());
    Find("apple", kAll, kContent);
    const int nRow = RowOf("Hits");
    ASSERT_GE(nRow, 0);
    SelectRow(nRow);
    // "apple one. apple two. apple three."
    m_pDlg->GoToResult(CFindNodesDlg::dirForward);
    EXPECT_EQ(NodeIdByName(pDoc, "Hits"), pFrame->GetShownNodeId());
    CHARRANGE sel = Selection(pFrame);
    EXPECT_EQ(0, sel.cpMin);
    EXPECT_EQ(5, sel.cpMax);
    EXPECT_EQ(m_pDlg->GetResultList().m_hWnd, ::GetFocus());

    ClickButton(m_pDlg, IDC_FIND_NEXT_HIT);
    EXPECT_EQ(11, Selection(pFrame).cpMin);
    ClickButton(m_pDlg, IDC_FIND_NEXT_HIT);
    EXPECT_EQ(22, Selection(pFrame).cpMin);
    ClickButton(m_pDlg, IDC_FIND_NEXT_HIT);
    EXPECT_EQ(0, Selection(pFrame).cpMin); // once round
    ClickButton(m_pDlg, IDC_FIND_PREV_HIT);
    sel = Selection(pFrame);
    EXPECT_EQ(22, sel.cpMin);              // round the other way
    EXPECT_EQ(27, sel.cpMax);
    ClickButton(m_pDlg, IDC_FIND_PREV_HIT);
    EXPECT_EQ(11, Selection(pFrame).cpMin);
    EXPECT_EQ(NodeIdByName(pDoc, "Hits"), pFrame->GetShownNodeId());
}

TEST_F(FindNodesTest, WithSeveralWordsTheNearestHitInTheDirectionWins)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_NE(nullptr, OpenFind());
    ASSERT_EQ("Hits", Find("three one", kAny, kContent));
    SelectRow(0);
    // "apple one. apple two. apple three."
    m_pDlg->GoToResult(CFindNodesDlg::dirForward);
    EXPECT_EQ(6, Selection(pFrame).cpMin);     // "one"
    ClickButton(m_pDlg, IDC_FIND_NEXT_HIT);
    EXPECT_EQ(28, Selection(pFrame).cpMin);    // "three"
    ClickButton(m_pDlg, IDC_FIND_PREV_HIT);
    EXPECT_EQ(6, Selection(pFrame).cpMin);
    ClickButton(m_pDlg, IDC_FIND_PREV_HIT);
    EXPECT_EQ(28, Selection(pFrame).cpMin);    // round from the end
}

TEST_F(FindNodesTest, PreviousAndNextRowGoRoundTheListAndOpenTheirNodes)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_NE(nullptr, OpenFind());
    // Nothing to go to yet.
    ClickButton(m_pDlg, IDC_FIND_NEXT_RESULT);
    ClickButton(m_pDlg, IDC_FIND_PREV_RESULT);
    EXPECT_EQ(CChildFrame::kNoNode, pFrame->GetShownNodeId());

    Find("apple pie", kAny, kTitles);
    CListCtrl& list = m_pDlg->GetResultList();
    ASSERT_EQ(3, list.GetItemCount());
    SelectRow(0);
    ClickButton(m_pDlg, IDC_FIND_PREV_RESULT);
    EXPECT_EQ(2, SelectedRow());
    EXPECT_EQ((DWORD)list.GetItemData(2), SelectedNode(pFrame));
    ClickButton(m_pDlg, IDC_FIND_NEXT_RESULT);
    EXPECT_EQ(0, SelectedRow());
    EXPECT_EQ((DWORD)list.GetItemData(0), SelectedNode(pFrame));
    ClickButton(m_pDlg, IDC_FIND_NEXT_RESULT);
    EXPECT_EQ(1, SelectedRow());
    EXPECT_EQ((DWORD)list.GetItemData(1), SelectedNode(pFrame));
    EXPECT_EQ(m_pDlg->GetResultList().m_hWnd, ::GetFocus());
}

TEST_F(FindNodesTest, EnterOpensInTheListAndSearchesElsewhereSpaceAndShiftArrowsOpen)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_NE(nullptr, OpenFind());
    SetQuery("pears");
    SetScopes(kContent);
    m_pDlg->GetDlgItem(IDC_FIND_QUERY)->SetFocus();
    m_pDlg->SendMessage(WM_COMMAND, IDOK);
    ASSERT_TRUE(WaitForSearch());
    EXPECT_EQ("Garden", Results());

    CListCtrl& list = m_pDlg->GetResultList();
    SelectRow(0);
    list.SetFocus();
    m_pDlg->SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(NodeIdByName(pDoc, "Garden"), pFrame->GetShownNodeId());
    EXPECT_EQ(28, Selection(pFrame).cpMin); // "Plant the APPLE trees; pick pears"

    list.SetFocus();
    list.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(28, Selection(pFrame).cpMin); // the only hit, once round

    // Shift with the arrows goes through the hits of a note with several:
    // "apple one. apple two. apple three."
    Find("apple", kAll, kContent);
    ASSERT_GE(RowOf("Hits"), 0);
    SelectRow(RowOf("Hits"));
    list.SetFocus();
    BYTE keys[256];
    ::GetKeyboardState(keys);
    const BYTE bShift = keys[VK_SHIFT];
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    list.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    const DWORD dwShown = pFrame->GetShownNodeId();
    const LONG nFirst = Selection(pFrame).cpMin;
    list.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    const LONG nSecond = Selection(pFrame).cpMin;
    list.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
    const LONG nBack = Selection(pFrame).cpMin;
    keys[VK_SHIFT] = bShift;
    ::SetKeyboardState(keys);
    EXPECT_EQ(NodeIdByName(pDoc, "Hits"), dwShown);
    EXPECT_EQ(0, nFirst);
    EXPECT_EQ(11, nSecond);
    EXPECT_EQ(0, nBack);
    // Without Shift the arrows only move in the list.
    list.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(0, Selection(pFrame).cpMin);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FindNodesTest, TheLockIsFreeWhileTheNotebookWindowAsksForAPassword)
{
    CQuillcrestDoc* pDoc = OpenRecipes();
    ASSERT_NE(nullptr, pDoc);
    ASSERT_TRUE(app.m_cryptHandler.IsLoaded());
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_NE(nullptr, OpenFind());
    ASSERT_EQ("Vault", Find("vault", kAll, kTitles));
    CFindNodesStatePtr pState = m_pDlg->GetState();
    int nPrompts = 0;
    bool bFreeDuringPrompt = false;
    CScriptedDialogs dialogs([&](CWnd* pWnd) {
        CSetPasswordDlg* pPassword = DYNAMIC_DOWNCAST(CSetPasswordDlg, pWnd);
        if (pPassword == nullptr)
            return;
        nPrompts++;
        // Another thread gets the lock at once.
        std::thread other([&] {
            CSingleLock lock(&pState->m_mutex);
            bFreeDuringPrompt = lock.Lock(0) != FALSE;
        });
        other.join();
        pPassword->SetDlgItemText(IDC_PASSWORD_FIRST, "pw");
        ClickButton(pPassword, IDOK);
    });
    SelectRow(0);
    m_pDlg->GoToResult(CFindNodesDlg::dirForward);
    EXPECT_EQ(1, nPrompts);
    EXPECT_TRUE(bFreeDuringPrompt);
    EXPECT_EQ(NodeIdByName(pDoc, "Vault"), pFrame->GetShownNodeId());
    EXPECT_TRUE(TakeMessages().empty());
}

// --- The main frame and the settings -------------------------------------------------------------

TEST_F(FindNodesTest, TheCommandIsEnabledFocusesAnOpenWindowAndReplacesAClosedOne)
{
    EXPECT_EQ(1, QueryCommand(m_pMainFrame, ID_EDIT_FINDINNODES).nEnabled);
    CFindNodesDlg* pFirst = OpenFind();
    ASSERT_NE(nullptr, pFirst);
    EXPECT_TRUE(pFirst->IsWindowVisible());
    EXPECT_EQ(m_pMainFrame->m_hWnd, ::GetWindow(pFirst->m_hWnd, GW_OWNER));
    m_pMainFrame->SetFocus();
    EXPECT_EQ(pFirst, OpenFind());
    EXPECT_TRUE(pFirst->m_hWnd == ::GetFocus() || ::IsChild(pFirst->m_hWnd, ::GetFocus()));
    pFirst->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(nullptr, pFirst->m_hWnd);
    EXPECT_EQ(pFirst, m_pMainFrame->GetFindNodesDlg()); // the object stays
    CFindNodesDlg* pSecond = OpenFind();
    ASSERT_NE(nullptr, pSecond);
    EXPECT_NE(nullptr, pSecond->m_hWnd);
}

TEST_F(FindNodesTest, ClosingWritesThePlaceScopesAndModeAndOpeningRestoresThem)
{
    app.m_settings.m_nDataSearchOptions = 7;
    app.m_settings.m_nSearchMode = 0;
    ASSERT_NE(nullptr, OpenFind());
    EXPECT_EQ((UINT)BST_CHECKED, m_pDlg->IsDlgButtonChecked(IDC_FIND_TITLES));
    SetScopes(kTitles | kContent);
    SetMode(kPhrase);
    m_pDlg->MoveWindow(50, 60, 600, 400);
    m_pDlg->SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(50, app.m_settings.m_rcFindInNodes.left);
    EXPECT_EQ(60, app.m_settings.m_rcFindInNodes.top);
    EXPECT_EQ(650, app.m_settings.m_rcFindInNodes.right);
    EXPECT_EQ(460, app.m_settings.m_rcFindInNodes.bottom);
    EXPECT_EQ(5, app.m_settings.m_nDataSearchOptions);
    EXPECT_EQ(2, app.m_settings.m_nSearchMode);

    ASSERT_NE(nullptr, OpenFind());
    CRect rect;
    m_pDlg->GetWindowRect(rect);
    EXPECT_EQ(CRect(50, 60, 650, 460), rect);
    EXPECT_EQ((UINT)BST_CHECKED, m_pDlg->IsDlgButtonChecked(IDC_FIND_TITLES));
    EXPECT_EQ((UINT)BST_UNCHECKED, m_pDlg->IsDlgButtonChecked(IDC_FIND_KEYWORDS));
    EXPECT_EQ((UINT)BST_CHECKED, m_pDlg->IsDlgButtonChecked(IDC_FIND_CONTENT));
    EXPECT_EQ(2, static_cast<CComboBox*>(m_pDlg->GetDlgItem(IDC_FIND_MODE))->GetCurSel());
    EXPECT_EQ("Ready", std::string((LPCSTR)StatusText()));

    // The main frame's closing stores them too.
    SetMode(kAny);
    DestroyMainFrame();
    EXPECT_EQ(1, app.m_settings.m_nSearchMode);
    m_pDlg = nullptr;
    m_pMainFrame = MakeMainFrame();
    ASSERT_NE(nullptr, m_pMainFrame);
}

TEST_F(FindNodesTest, AStoredPlaceIsNeverSmallerThanTheTemplateNorOnAMonitorThatIsGone)
{
    ASSERT_NE(nullptr, OpenFind());
    CRect rectTemplate;
    m_pDlg->GetWindowRect(rectTemplate);
    m_pDlg->DestroyWindow();

    // Too small: enlarged to the template's size where it was.
    app.m_settings.m_rcFindInNodes = CRect(40, 30, 60, 50);
    ASSERT_NE(nullptr, OpenFind());
    CRect rect;
    m_pDlg->GetWindowRect(rect);
    EXPECT_EQ(CRect(40, 30, 40 + rectTemplate.Width(), 30 + rectTemplate.Height()), rect);
    m_pDlg->DestroyWindow();

    // Far off every monitor: brought onto one, whole.
    app.m_settings.m_rcFindInNodes = CRect(-30000, 25000, -29400, 25400);
    ASSERT_NE(nullptr, OpenFind());
    m_pDlg->GetWindowRect(rect);
    EXPECT_EQ(600, rect.Width());
    EXPECT_EQ(400, rect.Height());
    HMONITOR hMonitor = ::MonitorFromRect(rect, MONITOR_DEFAULTTONULL);
    ASSERT_NE(nullptr, hMonitor);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoA(hMonitor, &mi);
    CRect rectInside;
    EXPECT_TRUE(rectInside.IntersectRect(rect, &mi.rcWork));
    EXPECT_EQ(rect, rectInside);
    m_pDlg->DestroyWindow();

    // A place on a present monitor is kept as it is.
    EXPECT_EQ(CRect(100, 100, 700, 500), CFindNodesDlg::FitStoredRect(CRect(100, 100, 700, 500), CSize(400, 250)));
}

TEST_F(FindNodesTest, TheLayoutFollowsTheWindowSizeAndStopsAt400By250)
{
    ASSERT_NE(nullptr, OpenFind());
    CRect rectTemplate;
    m_pDlg->GetWindowRect(rectTemplate);
    // It opens no smaller than it can be made.
    EXPECT_GE(rectTemplate.Width(), 400);
    EXPECT_GE(rectTemplate.Height(), 250);
    MINMAXINFO mmi = {};
    m_pDlg->SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(400, mmi.ptMinTrackSize.x);
    EXPECT_EQ(250, mmi.ptMinTrackSize.y);
    m_pDlg->SetWindowPos(nullptr, 0, 0, 100, 80, SWP_NOMOVE | SWP_NOZORDER);
    CRect rect;
    m_pDlg->GetWindowRect(rect);
    EXPECT_EQ(CSize(400, 250), rect.Size());

    m_pDlg->SetWindowPos(nullptr, 0, 0, rectTemplate.Width() + 200, rectTemplate.Height() + 150,
                         SWP_NOMOVE | SWP_NOZORDER);
    CRect rectClient;
    m_pDlg->GetClientRect(rectClient);
    auto childRect = [&](int nID) {
        CRect r;
        m_pDlg->GetDlgItem(nID)->GetWindowRect(r);
        m_pDlg->ScreenToClient(r);
        return r;
    };
    CRect rectStatus;
    m_pDlg->GetStatusBar().GetWindowRect(rectStatus);
    m_pDlg->ScreenToClient(rectStatus);
    EXPECT_EQ(rectClient.bottom, rectStatus.bottom);
    EXPECT_EQ(rectClient.Width(), rectStatus.Width());
    EXPECT_EQ(rectClient.right - 5, childRect(IDC_FIND_NEXT_RESULT).right);
    EXPECT_EQ(childRect(IDC_FIND_NOW).right, childRect(IDCANCEL).right);
    const CRect rectList = childRect(IDC_FIND_RESULTS);
    EXPECT_EQ(0, rectList.left);
    EXPECT_EQ(rectClient.right, rectList.right);
    EXPECT_EQ(rectStatus.top - 2, rectList.bottom);
    EXPECT_EQ(childRect(IDC_FIND_NOW).left - 6, childRect(IDC_FIND_QUERY).right);
    CRect rectListClient;
    m_pDlg->GetResultList().GetClientRect(rectListClient);
    EXPECT_EQ(rectListClient.Width(), m_pDlg->GetResultList().GetColumnWidth(0));
}

namespace {

// Runs the loop for a while, as between the user's moves.
void RunLoopFor(DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < dwMilliseconds)
    {
        CUserInput::Pump();
        ::Sleep(20);
    }
}

// The pixels of a screen rectangle that are not the colour.
int CountOnScreenOtherThan(const CRect& rect, COLORREF cr)
{
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = rect.Width();
    bmi.bmiHeader.biHeight = -rect.Height();
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HBITMAP hbm = ::CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hMem, hbm);
    ::BitBlt(hMem, 0, 0, rect.Width(), rect.Height(), hScreen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const DWORD dwWant = RGB(GetBValue(cr), GetGValue(cr), GetRValue(cr));
    int n = 0;
    const DWORD* p = static_cast<const DWORD*>(pBits);
    for (int i = 0; i < rect.Width() * rect.Height(); i++)
        if ((p[i] & 0xFFFFFF) != dwWant)
            n++;
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hbm);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
    return n;
}

} // namespace

TEST_F(FindNodesTest, TheWindowIsDrawnWholeAndLeavesNothingBehindWhenResized)
{
    ASSERT_NE(nullptr, OpenFind());
    ::SetWindowPos(m_pDlg->m_hWnd, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    RunLoopFor(200);
    auto screenRect = [&](int nID) {
        CRect r;
        m_pDlg->GetDlgItem(nID)->GetWindowRect(r);
        return r;
    };
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    // Inside "Data to search", between two of its check boxes: the window's
    // own background, not an unpainted hole.
    const CRect rcTitles = screenRect(IDC_FIND_TITLES);
    const CRect rcKeywords = screenRect(IDC_FIND_KEYWORDS);
    const CRect rcGap(rcTitles.right + 1, rcTitles.top, rcKeywords.left - 1, rcTitles.bottom);
    ASSERT_GT(rcGap.Width(), 0);
    EXPECT_EQ(0, CountOnScreenOtherThan(rcGap, crFace)) << "the group's inside is not the window's background";

    // The user makes the window wider: where the buttons were is background.
    const CRect rcStop = screenRect(IDC_FIND_STOP);
    const CRect rcClose = screenRect(IDCANCEL);
    CRect rcWindow;
    m_pDlg->GetWindowRect(rcWindow);
    m_pDlg->SetWindowPos(nullptr, 0, 0, rcWindow.Width() + 200, rcWindow.Height() + 60, SWP_NOMOVE | SWP_NOZORDER);
    RunLoopFor(300);
    ASSERT_GE(screenRect(IDC_FIND_STOP).left, rcStop.right) << "the buttons did not move";
    EXPECT_EQ(0, CountOnScreenOtherThan(rcStop, crFace)) << "a copy of Stop stayed behind";
    EXPECT_EQ(0, CountOnScreenOtherThan(rcClose, crFace)) << "a copy of Close stayed behind";
    EXPECT_EQ(0, CountOnScreenOtherThan(rcGap, crFace));
    // ... and the buttons are drawn where they are now.
    EXPECT_GT(CountOnScreenOtherThan(screenRect(IDC_FIND_STOP), crFace), 20) << "Stop is not drawn at its new place";
    EXPECT_GT(CountOnScreenOtherThan(screenRect(IDCANCEL), crFace), 20) << "Close is not drawn at its new place";
}
