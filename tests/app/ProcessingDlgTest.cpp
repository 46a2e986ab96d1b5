// The processing dialog through real windows: attached jobs polled on its
// timer (finishing, cancelling, questions relayed), its own worker importing
// foreign data and HTML pages into the tree, the countdown to giving up a
// worker that does not stop (with the test's clock), and workers that
// cannot start.
#include "NotebookWindowSupport.h"

#include "app/CProcessingDlg.h"
#include "app/res/ProcessingDlgRes.h"
#include "app/res/Resource.h"

#include "core/CNodeBatchProcess.h"
#include "core/CQlcNode.h"
#include "core/res/CoreRes.h"

#include "framework/base/CSingleLock.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"
#include "widgets/CFileDialogEx.h"

#include <atomic>
#include <functional>

namespace {

// A job that runs a script on its worker; its start can be made to fail.
class CAppScriptJob : public CNodeBatchProcess
{
public:
    explicit CAppScriptJob(std::function<void(CAppScriptJob&)> script, BOOL bStartFails = FALSE)
        : CNodeBatchProcess(nullptr), m_script(std::move(script)), m_bStartFails(bStartFails)
    {
    }
    void Run() override
    {
        ++nRuns;
        m_script(*this);
    }
    std::atomic<int> nRuns{ 0 };

protected:
    CWinThread* BeginThread() override { return m_bStartFails ? nullptr : CNodeBatchProcess::BeginThread(); }

private:
    std::function<void(CAppScriptJob&)> m_script;
    BOOL m_bStartFails;
};

// The dialog with a script after each of its ticks, what it showed, and
// optionally an own worker of the test's.
class CTestProcessingDlg : public CProcessingDlg
{
public:
    explicit CTestProcessingDlg(CWnd* pParent = nullptr) : CProcessingDlg(pParent) {}

    void OnTimer(UINT_PTR nIDEvent)
    {
        ++nTicks;
        CProcessingDlg::OnTimer(nIDEvent);
        if (!::IsWindow(m_hWnd))
            return;
        nBarPos = m_wndProgress.GetPos();
        CString strText;
        m_wndStatus.GetWindowText(strText);
        status = (LPCSTR)strText;
        m_wndItem.GetWindowText(strText);
        item = (LPCSTR)strText;
        m_wndCancelling.GetWindowText(strText);
        if (cancelling.empty() || cancelling.back() != (LPCSTR)strText)
            cancelling.push_back((LPCSTR)strText);
        bCancelEnabled = ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDCANCEL));
        if (onTick && ContinueModal())
            onTick(*this);
    }
    void PressCancel() { ClickButton(this, IDCANCEL); }

    std::function<void(CTestProcessingDlg&)> onTick;
    std::function<void()> ownJob;
    BOOL bStartFails = FALSE;
    int nTicks = 0;
    int nBarPos = -1;
    std::string status, item;
    std::vector<std::string> cancelling;
    BOOL bCancelEnabled = TRUE;

protected:
    CWinThread* BeginWorkerThread() override
    {
        return bStartFails ? nullptr : CProcessingDlg::BeginWorkerThread();
    }
    void RunOwnJob(int nJobCode) override
    {
        if (ownJob)
            ownJob();
        else
            CProcessingDlg::RunOwnJob(nJobCode);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestProcessingDlg, CProcessingDlg)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// Message boxes answered in turn, with where and on which thread they came;
// while "answering" it can keep the modal loop going as a real box does.
class CScriptedBoxes : public IAfxPromptHook
{
public:
    CScriptedBoxes() : m_pOld(AfxSetPromptHook(this)) {}
    ~CScriptedBoxes() override { AfxSetPromptHook(m_pOld); }
    int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override
    {
        boxes.push_back({ lpszText ? lpszText : "", lpszCaption ? lpszCaption : "", nType });
        owners.push_back(hOwner);
        threads.push_back(::GetCurrentThreadId());
        if (onBox)
            onBox();
        if (dwPumpMs != 0)
        {
            const DWORD dwStart = ::GetTickCount();
            while (::GetTickCount() - dwStart < dwPumpMs)
            {
                PumpMessages();
                ::Sleep(5);
            }
        }
        if (answers.empty())
            return IDOK;
        const int n = answers.front();
        answers.erase(answers.begin());
        return n;
    }

    std::vector<RecordedBox> boxes;
    std::vector<HWND> owners;
    std::vector<DWORD> threads;
    std::vector<int> answers;
    std::function<void()> onBox;
    DWORD dwPumpMs = 0;

private:
    IAfxPromptHook* m_pOld;
};

class ProcessingDlgTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        // The interface thread's channel, as the program has it.
        ASSERT_TRUE(CUiChannel::Create());
    }
    void TearDown() override
    {
        CUiChannel::Destroy();
        NotebookWindowTest::TearDown();
    }

    // The multiple selection of files of the fixture's folder.
    void Select(CFileDialogEx& dlg, std::vector<char>& buffer, std::initializer_list<const char*> names)
    {
        const std::string s = Selection(names);
        buffer.assign(4096, '\0');
        memcpy(buffer.data(), s.data(), s.size());
        dlg.m_ofn.lpstrFile = buffer.data();
        dlg.m_ofn.nMaxFile = (DWORD)buffer.size();
    }
};

std::vector<std::string> ChildNames(CTreeCtrl& tree, HTREEITEM hParent)
{
    std::vector<std::string> names;
    for (HTREEITEM h = tree.GetChildItem(hParent); h != nullptr; h = tree.GetNextSiblingItem(h))
        names.push_back((LPCSTR)tree.GetItemText(h));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// --- Attached jobs ------------------------------------------------------------------------

TEST_F(ProcessingDlgTest, AJobFinishedBeforeTheFirstTickEndsTheDialogAtIt)
{
    CAppScriptJob job([](CAppScriptJob& self) {
        self.SetTotal(4);
        self.SetCurrent(1);
        self.SetStatusText("Working on it");
        self.SetItemText("C:\\some\\file.txt");
    });
    CTestProcessingDlg dlg(m_pMainFrame);
    int nTicksAtInit = -1;
    CScriptedDialogs hook([&](CWnd*) {
        nTicksAtInit = dlg.nTicks;
        // Done before the first tick.
        const DWORD dwStart = ::GetTickCount();
        while (!job.IsFinished() && ::GetTickCount() - dwStart < 10000)
            ::Sleep(2);
    });
    EXPECT_EQ(IDOK, dlg.DoModalProcess(&job));
    EXPECT_EQ(0, nTicksAtInit);
    EXPECT_EQ(1, dlg.nTicks);
    EXPECT_EQ(100, dlg.nBarPos);
    EXPECT_EQ("Working on it", dlg.status);
    EXPECT_EQ("C:\\some\\file.txt", dlg.item);
    EXPECT_EQ(1, job.nRuns.load());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(ProcessingDlgTest, CancelIsPassedToTheJobUntilItStops)
{
    std::atomic<int> nChecksAfterCancel{ 0 };
    CAppScriptJob job([&](CAppScriptJob& self) {
        self.SetTotal(10);
        for (int i = 0; i < 10; ++i)
        {
            self.SetCurrent(i);
            if (self.IsCancelled() && ++nChecksAfterCancel == 3)
                return;
            ::Sleep(30);
            --i; // no progress of its own until told to stop
        }
    });
    CTestProcessingDlg dlg(m_pMainFrame);
    dlg.onTick = [](CTestProcessingDlg& self) {
        if (self.nTicks == 2)
            self.PressCancel();
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModalProcess(&job));
    EXPECT_TRUE(job.IsCancelled());
    EXPECT_EQ(3, nChecksAfterCancel.load());
    EXPECT_EQ((std::vector<std::string>{ "", "Cancelling..." }), dlg.cancelling);
    EXPECT_FALSE(dlg.bCancelEnabled);
    // Ended on the cancel: the bar was not filled.
    EXPECT_EQ(0, dlg.nBarPos);
}

TEST_F(ProcessingDlgTest, AQuestionOfTheJobIsShownByTheDialogAndAnswered)
{
    int nAnswer = 0;
    CAppScriptJob job([&](CAppScriptJob& self) { nAnswer = self.AskUser("Replace it?", MB_YESNO | MB_ICONQUESTION); });
    CTestProcessingDlg dlg(m_pMainFrame);
    CScriptedBoxes boxes;
    boxes.answers = { IDNO };
    // The box stays up a while: the ticks meanwhile do not show it again.
    boxes.dwPumpMs = 400;
    int nTicksBefore = 0;
    boxes.onBox = [&]() { nTicksBefore = dlg.nTicks; };
    EXPECT_EQ(IDOK, dlg.DoModalProcess(&job));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Replace it?", boxes.boxes[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), boxes.boxes[0].type);
    EXPECT_EQ(::GetCurrentThreadId(), boxes.threads[0]);
    EXPECT_NE(nullptr, boxes.owners[0]);
    EXPECT_EQ(IDNO, nAnswer);
    EXPECT_GT(dlg.nTicks, nTicksBefore + 2);
}

TEST_F(ProcessingDlgTest, AJobWhoseThreadCannotStartEndsTheDialogWithItsFailure)
{
    CAppScriptJob job([](CAppScriptJob&) {}, TRUE);
    CTestProcessingDlg dlg(m_pMainFrame);
    EXPECT_EQ(IDOK, dlg.DoModalProcess(&job));
    EXPECT_EQ(0, job.nRuns.load());
    EXPECT_EQ(1, dlg.nTicks);
    EXPECT_EQ((std::vector<std::string>{ (LPCSTR)AfxLoadText(IDS_QLC_JOB_NOT_STARTED) }), TakeMessages());
}

// --- Its own worker -------------------------------------------------------------------------

TEST_F(ProcessingDlgTest, ForeignDataIsImportedBesideTheTargetAndAFailureAsked)
{
    for (int nAnswer : { IDOK, IDCANCEL })
    {
        SCOPED_TRACE(nAnswer);
        CNotebookBuilder builder;
        const DWORD dwBox = builder.Folder("Box");
        builder.Note("inside", dwBox);
        CQuillcrestDoc* pDoc = OpenBuilt(builder, nAnswer == IDOK ? "ok.qlc" : "cancel.qlc");
        ASSERT_NE(nullptr, pDoc);
        CQlcTreeCtrl* pTree = TreeOf(pDoc);
        pTree->Expand(FindItem(*pTree, "Box"), TVE_EXPAND);
        const CString strA = MakeFile("a.bin", "first file");
        const CString strB = MakeFile("b.bin", "locked file");
        const CString strC = MakeFile("c.bin", "third file");
        // b cannot be read while the test holds it.
        HANDLE hLock = ::CreateFileA(strB, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hLock);

        CFileDialogEx files(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
        std::vector<char> buffer;
        Select(files, buffer, { "a.bin", "b.bin", "c.bin" });
        CTestProcessingDlg dlg(m_pMainFrame);
        dlg.m_pDoc = pDoc;
        dlg.m_hTargetItem = FindItem(*pTree, "Box/inside");
        dlg.m_nJobCode = CProcessingDlg::jobImportForeign;
        dlg.m_pFileDialog = &files;
        dlg.m_pTreeCtrl = pTree;
        CScriptedBoxes boxes;
        boxes.answers = { nAnswer };
        BOOL bLockFree = FALSE;
        boxes.onBox = [&]() {
            // The worker waits for this box without holding the notebook's lock.
            bLockFree = pDoc->GetLock().TryLock();
            if (bLockFree)
                pDoc->GetLock().Unlock();
        };
        EXPECT_EQ(IDOK, dlg.DoModal());
        ::CloseHandle(hLock);

        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ(std::string("Could not import data from '") + (LPCSTR)strB + "'.", boxes.boxes[0].text);
        EXPECT_EQ("Data import error", boxes.boxes[0].caption);
        EXPECT_EQ((UINT)(MB_OKCANCEL | MB_ICONEXCLAMATION), boxes.boxes[0].type);
        EXPECT_EQ(::GetCurrentThreadId(), boxes.threads[0]);
        EXPECT_NE(nullptr, boxes.owners[0]);
        EXPECT_TRUE(bLockFree);

        const std::vector<std::string> expected = nAnswer == IDOK ? std::vector<std::string>{ "a", "c", "inside" }
                                                                  : std::vector<std::string>{ "a", "inside" };
        EXPECT_EQ(expected, ChildNames(*pTree, FindItem(*pTree, "Box")));
        const DWORD dwA = NodeIdByName(pDoc, "a");
        ASSERT_NE(0u, dwA);
        CQlcNode a(pDoc, dwA);
        EXPECT_EQ(QLC_NODE_FOREIGN, a.GetType());
        EXPECT_EQ(NodeIdByName(pDoc, "Box"), a.GetParentId());
        EXPECT_EQ("first file", ReadPayload(pDoc, dwA));
        EXPECT_EQ(nAnswer == IDOK, NodeIdByName(pDoc, "c") != 0);
        EXPECT_EQ(0u, NodeIdByName(pDoc, "b"));
        EXPECT_TRUE(pDoc->GetModifiedFlag());
        EXPECT_FALSE(pDoc->IsPossiblyDamaged());
        EXPECT_EQ(nAnswer == IDOK ? "Importing file 3 of 3..." : "Importing file 2 of 3...", dlg.status);
        EXPECT_EQ(nAnswer == IDOK ? "c.bin" : "b.bin", dlg.item);
        pDoc->SetModified(FALSE);
        pDoc->OnCloseDocument();
    }
}

TEST_F(ProcessingDlgTest, HtmlPagesBecomeHtmlNodes)
{
    CNotebookBuilder builder;
    builder.Note("first");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    MakeFile("page.htm", "<html><body>one</body></html>");
    MakeFile("other.html", "<html><body>two</body></html>");
    CFileDialogEx files(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    std::vector<char> buffer;
    Select(files, buffer, { "page.htm", "other.html" });
    CTestProcessingDlg dlg(m_pMainFrame);
    dlg.m_pDoc = pDoc;
    dlg.m_hTargetItem = FindItem(*pTree, "first");
    dlg.m_nJobCode = CProcessingDlg::jobImportHtml;
    dlg.m_pFileDialog = &files;
    dlg.m_pTreeCtrl = pTree;
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(TakeMessages().empty());
    for (const char* name : { "page", "other" })
    {
        const DWORD dwId = NodeIdByName(pDoc, name);
        ASSERT_NE(0u, dwId) << name;
        EXPECT_EQ(QLC_NODE_HTML, CQlcNode(pDoc, dwId).GetType()) << name;
        EXPECT_EQ(0u, CQlcNode(pDoc, dwId).GetParentId()) << name;
    }
    EXPECT_EQ("<html><body>two</body></html>", ReadPayload(pDoc, NodeIdByName(pDoc, "other")));
    EXPECT_EQ((std::vector<std::string>{ "first", "other", "page" }), ChildNames(*pTree, nullptr));
}

TEST_F(ProcessingDlgTest, AWorkerThatDoesNotStopIsGivenUpAfterTheCountdown)
{
    CNotebookBuilder builder;
    builder.Note("kept");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    ASSERT_FALSE(pDoc->GetModifiedFlag());
    CFakeClock clock;
    HANDLE hNever = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> bWorkerRan{ false };

    CTestProcessingDlg dlg(m_pMainFrame);
    dlg.m_pDoc = pDoc;
    dlg.m_nJobCode = CProcessingDlg::jobImportForeign;
    dlg.ownJob = [&]() {
        bWorkerRan = true;
        ::WaitForSingleObject(hNever, INFINITE);
    };
    DWORD dwCancelledAt = 0;
    dlg.onTick = [&](CTestProcessingDlg& self) {
        if (self.nTicks == 2)
        {
            dwCancelledAt = clock.m_dwNow;
            self.PressCancel();
        }
        // Half a second between ticks from the cancel on.
        if (self.nTicks >= 2)
            clock.m_dwNow += 500;
    };
    CScriptedBoxes boxes;
    boxes.answers = { IDNO, IDYES, IDOK };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    ::CloseHandle(hNever);
    EXPECT_TRUE(bWorkerRan);

    // 9 down to 0 seconds, the question, No, and again.
    std::vector<std::string> countdown;
    for (int n = 9; n >= 0; --n)
        countdown.push_back("Cancelling..." + std::to_string(n));
    std::vector<std::string> expected = { "" };
    expected.insert(expected.end(), countdown.begin(), countdown.end());
    expected.insert(expected.end(), countdown.begin(), countdown.end());
    EXPECT_EQ(expected, dlg.cancelling);
    ASSERT_EQ(3u, boxes.boxes.size());
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ((LPCSTR)AfxLoadText(IDS_PROCESSING_NOT_RESPONDING), boxes.boxes[i].text);
        EXPECT_EQ("Import", boxes.boxes[i].caption);
        EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), boxes.boxes[i].type);
    }
    EXPECT_EQ(dwCancelledAt + 20000, clock.m_dwNow);
    // Given up: the notebook may be damaged, and the user is told.
    EXPECT_EQ((LPCSTR)AfxLoadText(IDS_PROCESSING_TERMINATED), boxes.boxes[2].text);
    EXPECT_TRUE(dlg.m_bTerminated);
    EXPECT_TRUE(pDoc->IsPossiblyDamaged());
    EXPECT_TRUE(pDoc->GetModifiedFlag());
    // Never written over the file it was opened from.
    EXPECT_FALSE(pDoc->OnSaveDocument(pDoc->GetPathName()));
    ASSERT_EQ(4u, boxes.boxes.size());
    EXPECT_NE(std::string::npos, boxes.boxes[3].text.find("it is never saved over the file it was opened from"));
    pDoc->SetModified(FALSE);
}

TEST_F(ProcessingDlgTest, AnOwnWorkerThatCannotStartEndsTheDialogAndCancelTerminatesNothing)
{
    CNotebookBuilder builder;
    builder.Note("kept");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    for (BOOL bCancel : { FALSE, TRUE })
    {
        SCOPED_TRACE(bCancel);
        CFakeClock clock;
        CTestProcessingDlg dlg(m_pMainFrame);
        dlg.m_pDoc = pDoc;
        dlg.m_nJobCode = CProcessingDlg::jobImportForeign;
        dlg.bStartFails = TRUE;
        CScriptedDialogs hook([&](CWnd*) {
            if (bCancel)
            {
                dlg.PressCancel();
                clock.m_dwNow += 60000;
            }
        });
        EXPECT_EQ(bCancel ? IDCANCEL : IDOK, dlg.DoModal());
        EXPECT_EQ(1, dlg.nTicks);
        EXPECT_EQ(nullptr, dlg.m_pWorker);
        EXPECT_FALSE(dlg.m_bTerminated);
        EXPECT_EQ((std::vector<std::string>{ (LPCSTR)AfxLoadText(IDS_QLC_JOB_NOT_STARTED) }), TakeMessages());
    }
    EXPECT_FALSE(pDoc->IsPossiblyDamaged());
}
