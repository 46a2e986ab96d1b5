// The task list in a notebook window's Tasks bar: its report view and row
// texts, sorting by header clicks, the priority colours, adding, editing and
// deleting tasks through its menu and the task dialog, opening a linked
// node, the picking dialog, and the Tasks bar itself (shown by the file,
// toggled by its command, its sizes kept for the next window).
#include "NotebookWindowSupport.h"

#include "app/CTaskCtrl.h"
#include "app/CTaskEditDlg.h"
#include "app/CTaskSelDlg.h"
#include "app/res/Resource.h"
#include "app/res/TaskEditDlgRes.h"
#include "app/res/TaskSelDlgRes.h"

#include "core/CQlcNode.h"

#include "framework/ui/CMenu.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

namespace {

const char kNoteRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 A note\\par}";

// Local time is US Eastern Standard Time, without summer time, meanwhile.
class CFixedTimeZone
{
public:
    CFixedTimeZone()
    {
        _putenv("TZ=EST5");
        _tzset();
    }
    ~CFixedTimeZone()
    {
        _putenv("TZ=");
        _tzset();
    }
};

// A clock that moves a millisecond each time it is read.
class CSteppingClock : public IAfxClock
{
public:
    CSteppingClock() : m_pOld(AfxSetClock(this)) {}
    ~CSteppingClock() override { AfxSetClock(m_pOld); }
    DWORD GetTickCount() override { return ++m_dwNow; }
    void Sleep(DWORD) override {}
    DWORD m_dwNow = 5000;

private:
    IAfxClock* m_pOld;
};

// The menu the list would have shown, as it was prepared.
struct MenuRecord
{
    static int s_nShown;
    static std::map<UINT, BOOL> s_enabled;
    static BOOL Track(CMenu* pPopup, UINT /*nFlags*/, int /*x*/, int /*y*/, CWnd* /*pOwner*/)
    {
        s_nShown++;
        s_enabled.clear();
        for (UINT nID : { (UINT)ID_TASK_NEW, (UINT)ID_TASK_EDIT, (UINT)ID_TASK_DELETE, (UINT)ID_TASK_OPENNODE })
            s_enabled[nID] = !(pPopup->GetMenuState(nID, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
        return TRUE;
    }
};
int MenuRecord::s_nShown = 0;
std::map<UINT, BOOL> MenuRecord::s_enabled;

time_t g_tNow = 0;
time_t FixedNow(time_t* pt)
{
    if (pt != nullptr)
        *pt = g_tNow;
    return g_tNow;
}

class TaskListTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        if (app.m_taskImages.GetSafeHandle() == nullptr)
            app.LoadTaskImages();
        m_pfnOldTrack = CTaskCtrl::s_pfnTrackPopupMenu;
        CTaskCtrl::s_pfnTrackPopupMenu = &MenuRecord::Track;
        MenuRecord::s_nShown = 0;
    }
    void TearDown() override
    {
        CTaskCtrl::s_pfnTrackPopupMenu = m_pfnOldTrack;
        CTaskEditDlg::s_pfnTime = &time;
        NotebookWindowTest::TearDown();
    }

    static DWORD AddTask(CNotebookBuilder& builder, LPCSTR lpszTitle, int nPriority, LONG lDue,
                         LPCSTR lpszNotes = "", DWORD dwLinkedNode = 0)
    {
        QLCTASK task;
        task.dwTaskId = builder.doc.Data_AddTask();
        task.strTitle = lpszTitle;
        task.nPriority = (BYTE)nPriority;
        task.lCreated = task.lStart = 1600000000;
        task.lDue = lDue;
        task.strNotes = lpszNotes;
        if (dwLinkedNode != 0)
        {
            task.dwFlags = QLC_TASKFLAG_LINKED;
            task.dwLinkedNodeId = dwLinkedNode;
        }
        builder.doc.Data_SetTask(task.dwTaskId, task);
        return task.dwTaskId;
    }

    CTaskCtrl& ListOf(CQuillcrestDoc* pDoc) { return FrameOf(pDoc)->GetTaskCtrl(); }

    // Drags the docked Tasks bar's top edge by dy pixels (up when negative);
    // the program's loop then lays the window out in its idle time.
    static void DragTopEdge(CChildFrame* pFrame, int dy)
    {
        CSizingControlBarCF& bar = pFrame->GetTasksBar();
        CRect rcBar;
        bar.GetWindowRect(rcBar);
        const CPoint ptTop(rcBar.CenterPoint().x, rcBar.top + 2);
        ASSERT_EQ((LRESULT)HTTOP, bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(ptTop.x, ptTop.y)));
        bar.SendMessage(WM_NCLBUTTONDOWN, HTTOP, MAKELPARAM(ptTop.x, ptTop.y));
        CPoint ptTo(ptTop.x, ptTop.y + dy);
        bar.ScreenToClient(&ptTo);
        bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((short)ptTo.x, (short)ptTo.y));
        bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM((short)ptTo.x, (short)ptTo.y));
        CUserInput::Pump();
    }

    // The rows' texts of one column, top to bottom, separated by ",".
    static std::string Column(CTaskCtrl& list, int nColumn)
    {
        std::string s;
        for (int i = 0; i < list.GetItemCount(); i++)
        {
            if (i > 0)
                s += ",";
            s += (LPCSTR)list.GetItemText(i, nColumn);
        }
        return s;
    }

    static int RowOf(CTaskCtrl& list, LPCSTR lpszTitle)
    {
        for (int i = 0; i < list.GetItemCount(); i++)
        {
            if (list.GetItemText(i, 0) == lpszTitle)
                return i;
        }
        return -1;
    }

    static void Select(CTaskCtrl& list, int nItem)
    {
        list.SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    // A click on a column's header, as the mouse gives it.
    static void ClickHeader(CTaskCtrl& list, int nColumn)
    {
        HWND hHeader = (HWND)list.SendMessage(LVM_GETHEADER);
        RECT rc = {};
        ::SendMessageA(hHeader, HDM_GETITEMRECT, (WPARAM)nColumn, (LPARAM)&rc);
        const LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        ::SendMessageA(hHeader, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        ::SendMessageA(hHeader, WM_LBUTTONUP, 0, lPoint);
    }

    static int HeaderFormat(CTaskCtrl& list, int nColumn, int* pImage = nullptr)
    {
        HDITEMA hdi = {};
        hdi.mask = HDI_FORMAT | HDI_IMAGE;
        ::SendMessageA((HWND)list.SendMessage(LVM_GETHEADER), HDM_GETITEMA, (WPARAM)nColumn, (LPARAM)&hdi);
        if (pImage != nullptr)
            *pImage = hdi.iImage;
        return hdi.fmt;
    }

    BOOL (*m_pfnOldTrack)(CMenu*, UINT, int, int, CWnd*) = nullptr;
};

} // namespace

TEST_F(TaskListTest, TheListIsAReportViewWithFourColumnsAndOneRowPerTask)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "Write", 3, 1796740200);
    AddTask(builder, "Read", 2, 1796740200);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CTaskCtrl& list = ListOf(pDoc);
    ASSERT_NE(nullptr, list.m_hWnd);
    // The creation styles made it a report view (a style set after creation
    // would not be seen by every list view).
    EXPECT_EQ((DWORD)LVS_REPORT, list.GetStyle() & LVS_TYPEMASK);
    EXPECT_EQ(LV_VIEW_DETAILS, (int)list.SendMessage(LVM_GETVIEW));
    EXPECT_NE(0u, list.GetStyle() & LVS_SINGLESEL);
    EXPECT_NE(0u, list.GetStyle() & LVS_SHOWSELALWAYS);
    EXPECT_NE(0u, list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
    EXPECT_EQ(app.m_taskImages.GetSafeHandle(), list.GetImageList(LVSIL_SMALL));
    HWND hHeader = (HWND)list.SendMessage(LVM_GETHEADER);
    ASSERT_NE(nullptr, hHeader);
    ASSERT_EQ(4, (int)::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0));
    const char* names[] = { "Task", "Priority", "Due", "Notes" };
    const int widths[] = { 200, 80, 120, 180 };
    for (int i = 0; i < 4; i++)
    {
        char szText[32] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = szText;
        column.cchTextMax = sizeof(szText);
        ASSERT_TRUE(list.GetColumn(i, &column));
        EXPECT_STREQ(names[i], szText);
        EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
        EXPECT_EQ(widths[i], list.GetColumnWidth(i));
    }
    // Rows below each other, sorted by title.
    EXPECT_EQ("Read,Write", Column(list, 0));
    CRect rc0, rc1;
    rc0.left = rc1.left = LVIR_BOUNDS;
    list.SendMessage(LVM_GETITEMRECT, 0, (LPARAM)(LPRECT)rc0);
    list.SendMessage(LVM_GETITEMRECT, 1, (LPARAM)(LPRECT)rc1);
    EXPECT_EQ(rc0.left, rc1.left);
    EXPECT_GT(rc1.top, rc0.top);
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    list.GetItem(&item);
    EXPECT_EQ(0, item.iImage);
}

TEST_F(TaskListTest, RowTextsShowPriorityDueTimeAndTheStartOfTheNotes)
{
    CFixedTimeZone zone;
    const std::string notes40(40, 'n');
    const std::string notes41 = notes40 + "x";
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "P1", 1, 1796740200, notes40.c_str());
    AddTask(builder, "P2", 2, 0, notes41.c_str());
    AddTask(builder, "P3", 3, -1);
    AddTask(builder, "P4", 4, LONG_MAX);
    AddTask(builder, "P5", 5, 1796740200, "", dwNote);
    AddTask(builder, "P9", 9, 1796740200);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CTaskCtrl& list = ListOf(pDoc);
    EXPECT_EQ("P1,P2,P3,P4,P5,P9", Column(list, 0));
    EXPECT_EQ("Idle,Low,Normal,High,Urgent,Unknown", Column(list, 1));
    // 14:30 UTC is 09:30 in the zone; a time before 1970 cannot be shown.
    EXPECT_EQ("Tue 08-Dec-26 09:30,Wed 31-Dec-69 19:00,Unknown,Mon 18-Jan-38 22:14,Tue 08-Dec-26 09:30,"
              "Tue 08-Dec-26 09:30",
              Column(list, 2));
    EXPECT_EQ(notes40, std::string((LPCSTR)list.GetItemText(0, 3)));
    EXPECT_EQ(notes40 + "...", std::string((LPCSTR)list.GetItemText(1, 3)));
    // The linked task carries the link mark.
    for (int i = 0; i < list.GetItemCount(); i++)
        EXPECT_EQ(i == 4 ? 6u : 0u, (list.GetItemState(i, LVIS_OVERLAYMASK) & LVIS_OVERLAYMASK) >> 8) << i;
}

TEST_F(TaskListTest, TheNotesCutNeverSplitsADoubleByteCharacter)
{
    // In code page 932 "\x95\x5C" is one character whose second byte is '\'.
    const std::string strAscii39(39, 'a');
    EXPECT_EQ(strAscii39 + "b...", std::string((LPCSTR)CTaskCtrl::CutNotes((strAscii39 + "bcd").c_str(), 932)));
    // The 40th byte would be the first half of a character: the cut is at 39.
    const std::string strSplit = strAscii39 + "\x95\x5C" + "tail";
    EXPECT_EQ(strAscii39 + "...", std::string((LPCSTR)CTaskCtrl::CutNotes(strSplit.c_str(), 932)));
    // A character ending at byte 40 stays whole.
    const std::string strWhole = std::string(38, 'a') + "\x95\x5C" + "tail";
    EXPECT_EQ(std::string(38, 'a') + "\x95\x5C" + "...", std::string((LPCSTR)CTaskCtrl::CutNotes(strWhole.c_str(), 932)));
    // Single-byte code pages cut at 40 whatever the bytes.
    EXPECT_EQ(strAscii39 + "\x95...", std::string((LPCSTR)CTaskCtrl::CutNotes(strSplit.c_str(), 1252)));
}

TEST_F(TaskListTest, HeaderClicksSortEachColumnBothWaysAndMoveTheArrow)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    // Due times at both ends of what is stored: a difference would overflow.
    AddTask(builder, "beta", 5, LONG_MAX, "zzz");
    AddTask(builder, "Alpha", 5, -2000000000, "yyy");
    AddTask(builder, "gamma", 1, 0, "aaa");
    AddTask(builder, "Delta", 3, 1796740200, "bbb");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    pFrame->ShowTasksBar(TRUE);
    CTaskCtrl& list = ListOf(pDoc);
    EXPECT_EQ("Alpha,beta,Delta,gamma", Column(list, 0)); // by title, whatever the case
    int nImage = -1;
    EXPECT_NE(0, HeaderFormat(list, 0, &nImage) & HDF_IMAGE);
    EXPECT_EQ(1, nImage);

    // Priority: lowest first; ties by title in the same direction.
    ClickHeader(list, CTaskCtrl::colPriority);
    EXPECT_EQ(CTaskCtrl::colPriority, list.GetSortColumn());
    EXPECT_EQ("gamma,Delta,Alpha,beta", Column(list, 0));
    EXPECT_EQ(0, HeaderFormat(list, 0) & HDF_IMAGE); // the old column loses its arrow
    EXPECT_NE(0, HeaderFormat(list, 1, &nImage) & HDF_IMAGE);
    EXPECT_NE(0, HeaderFormat(list, 1) & HDF_BITMAP_ON_RIGHT);
    EXPECT_EQ(1, nImage);
    // Again: Urgent first, and the two Urgent ones in reverse title order.
    ClickHeader(list, CTaskCtrl::colPriority);
    EXPECT_FALSE(list.IsSortAscending());
    EXPECT_EQ("beta,Alpha,Delta,gamma", Column(list, 0));
    HeaderFormat(list, 1, &nImage);
    EXPECT_EQ(2, nImage);

    // Due: compared, so the far ends keep their order both ways.
    ClickHeader(list, CTaskCtrl::colDue);
    EXPECT_TRUE(list.IsSortAscending());
    EXPECT_EQ("Alpha,gamma,Delta,beta", Column(list, 0));
    EXPECT_EQ(0, HeaderFormat(list, 1) & HDF_IMAGE);
    ClickHeader(list, CTaskCtrl::colDue);
    EXPECT_EQ("beta,Delta,gamma,Alpha", Column(list, 0));

    // Notes sort by title; so does the title column, both ways.
    ClickHeader(list, CTaskCtrl::colNotes);
    EXPECT_EQ("Alpha,beta,Delta,gamma", Column(list, 0));
    ClickHeader(list, CTaskCtrl::colNotes);
    EXPECT_EQ("gamma,Delta,beta,Alpha", Column(list, 0));
    ClickHeader(list, CTaskCtrl::colTask);
    EXPECT_EQ("Alpha,beta,Delta,gamma", Column(list, 0));
    ClickHeader(list, CTaskCtrl::colTask);
    EXPECT_EQ("gamma,Delta,beta,Alpha", Column(list, 0));
    EXPECT_EQ(0, HeaderFormat(list, 3) & HDF_IMAGE);
    EXPECT_NE(0, HeaderFormat(list, 0) & HDF_IMAGE);
}

TEST_F(TaskListTest, FillingAgainSortsOnlyAListThatWasNeverSorted)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "beta", 5, 0);
    AddTask(builder, "Alpha", 5, 0);
    AddTask(builder, "gamma", 1, 0);
    AddTask(builder, "Delta", 3, 0);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    FrameOf(pDoc)->ShowTasksBar(TRUE);
    CTaskCtrl& list = ListOf(pDoc);
    // Filled once, never sorted before: by title.
    EXPECT_EQ("Alpha,beta,Delta,gamma", Column(list, 0));
    ClickHeader(list, CTaskCtrl::colPriority);
    EXPECT_EQ("gamma,Delta,Alpha,beta", Column(list, 0));

    // Filled again: each task's row goes first, in the table's order, and
    // stays so until the next sort.
    list.RefreshTasks();
    std::string expected;
    CQlcDocLock::CScoped lock(pDoc->GetLock());
    const CQlcTaskMap& tasks = pDoc->GetTaskTable(lock);
    for (POSITION pos = tasks.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwTaskId = 0;
        QLCTASK task;
        tasks.GetNextAssoc(pos, dwTaskId, task);
        expected = (LPCSTR)task.strTitle + (expected.empty() ? "" : "," + expected);
    }
    lock.Unlock();
    EXPECT_EQ(expected, Column(list, 0));
    EXPECT_NE("gamma,Delta,Alpha,beta", Column(list, 0));
    EXPECT_EQ(CTaskCtrl::colPriority, list.GetSortColumn());
    ClickHeader(list, CTaskCtrl::colPriority);
    EXPECT_EQ("beta,Alpha,Delta,gamma", Column(list, 0));
}

TEST_F(TaskListTest, RowsAreDrawnInTheirPriorityColour)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    const int priorities[] = { 1, 2, 3, 4, 5, 9 };
    for (int nPriority : priorities)
        AddTask(builder, (std::string("Task ") + std::to_string(nPriority)).c_str(), nPriority, 1796740200);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    pFrame->ShowTasksBar(TRUE);
    CTaskCtrl& list = ListOf(pDoc);
    CSizingControlBarCF& bar = pFrame->GetTasksBar();

    // The notifications reach the list through the bar that holds it.
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.hdr.hwndFrom = list.m_hWnd;
    draw.nmcd.hdr.idFrom = IDC_TASK_LIST;
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ((LRESULT)CDRF_NOTIFYITEMDRAW, bar.SendMessage(WM_NOTIFY, IDC_TASK_LIST, (LPARAM)&draw));
    const COLORREF expected[] = { RGB(128, 128, 128), RGB(48, 48, 48), RGB(0, 0, 0),
                                  RGB(192, 0, 0),     RGB(255, 0, 0), RGB(0, 0, 0) };
    for (int i = 0; i < 6; i++)
    {
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = (DWORD_PTR)i;
        draw.nmcd.lItemlParam = (LPARAM)list.GetItemData(i);
        draw.clrText = RGB(1, 2, 3);
        EXPECT_EQ((LRESULT)CDRF_DODEFAULT, bar.SendMessage(WM_NOTIFY, IDC_TASK_LIST, (LPARAM)&draw));
        EXPECT_EQ(expected[i], draw.clrText) << list.GetItemText(i, 0);
    }

    // And on screen: the Urgent row has pure red text, the Normal one none.
    m_pMainFrame->SetForegroundWindow();
    list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    auto CountColour = [&](int nItem, COLORREF cr) {
        CRect rc;
        rc.left = LVIR_LABEL;
        list.SendMessage(LVM_GETITEMRECT, (WPARAM)nItem, (LPARAM)(LPRECT)rc);
        HDC hdc = ::GetDC(list.m_hWnd);
        int n = 0;
        for (int y = rc.top; y < rc.bottom; y++)
            for (int x = rc.left; x < rc.right; x++)
                n += ::GetPixel(hdc, x, y) == cr;
        ::ReleaseDC(list.m_hWnd, hdc);
        return n;
    };
    EXPECT_GT(CountColour(4, RGB(255, 0, 0)), 0);
    EXPECT_EQ(0, CountColour(2, RGB(255, 0, 0)));
}

TEST_F(TaskListTest, ANewTaskIsNormalStartsNowAndIsDueAMonthLater)
{
    CFixedTimeZone zone;
    CTaskEditDlg::s_pfnTime = &FixedNow;
    // 31 January 2021, 10:00: 31 February is 3 March.
    g_tNow = 1612087200 + 5 * 3600;
    {
        CTaskEditDlg dlg;
        EXPECT_EQ(3, dlg.m_task.nPriority);
        EXPECT_EQ((LONG)g_tNow, dlg.m_task.lCreated);
        EXPECT_EQ((LONG)g_tNow, dlg.m_task.lStart);
        EXPECT_EQ(1614765600 + 5 * 3600, dlg.m_task.lDue);
        EXPECT_TRUE(dlg.m_bEdit);
        EXPECT_TRUE(dlg.m_task.strTitle.IsEmpty());
    }
    // In a leap year 31 February is 2 March.
    g_tNow = 1706695200 + 5 * 3600;
    EXPECT_EQ(1709373600 + 5 * 3600, CTaskEditDlg().m_task.lDue);
    // December goes on into January of the next year.
    g_tNow = 1639559100 + 5 * 3600;
    EXPECT_EQ(1642237500 + 5 * 3600, CTaskEditDlg().m_task.lDue);

    // The dialog in add mode shows them: "Add Task", Normal, the pickers.
    g_tNow = 1612087200 + 5 * 3600;
    CTaskEditDlg dlg;
    dlg.m_bEdit = FALSE;
    std::string strCaption, strPriority;
    SYSTEMTIME stCreated = {}, stDue = {}, stDueTime = {}, stMin = {};
    CScriptedDialogs script([&](CWnd* pDialog) {
        CString s;
        pDialog->GetWindowText(s);
        strCaption = (LPCSTR)s;
        CWnd* pCombo = pDialog->GetDlgItem(IDC_TASK_PRIORITY);
        const int nSel = (int)pCombo->SendMessage(CB_GETCURSEL);
        char szText[32] = "";
        pCombo->SendMessage(CB_GETLBTEXT, (WPARAM)nSel, (LPARAM)szText);
        strPriority = szText;
        EXPECT_EQ(5, (int)pCombo->SendMessage(CB_GETCOUNT));
        EXPECT_EQ(5, (int)pCombo->SendMessage(CB_GETITEMDATA, 4));
        pDialog->GetDlgItem(IDC_TASK_CREATED)->SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)&stCreated);
        pDialog->GetDlgItem(IDC_TASK_DUE_DATE)->SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)&stDue);
        pDialog->GetDlgItem(IDC_TASK_DUE_TIME)->SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)&stDueTime);
        SYSTEMTIME range[2] = {};
        EXPECT_EQ((DWORD)(GDTR_MIN | GDTR_MAX),
                  (DWORD)pDialog->GetDlgItem(IDC_TASK_DUE_DATE)->SendMessage(DTM_GETRANGE, 0, (LPARAM)range));
        stMin = range[0];
        EXPECT_EQ(2038, range[1].wYear);
        EXPECT_EQ(18, range[1].wDay);
        pDialog->SetDlgItemText(IDC_TASK_TITLE, "Plan");
        ClickButton(pDialog, IDOK);
    });
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("Add Task", strCaption);
    EXPECT_EQ("Normal", strPriority);
    EXPECT_EQ(2021, stCreated.wYear);
    EXPECT_EQ(31, stCreated.wDay);
    EXPECT_EQ(10, stCreated.wHour);
    EXPECT_EQ(3, stDue.wMonth);
    EXPECT_EQ(3, stDue.wDay);
    EXPECT_EQ(10, stDueTime.wHour);
    EXPECT_EQ(1970, stMin.wYear);
    EXPECT_EQ("Plan", std::string((LPCSTR)dlg.m_task.strTitle));
    EXPECT_EQ(1614765600 + 5 * 3600, dlg.m_task.lDue);
}

TEST_F(TaskListTest, ADueDateOf2040IsNeitherAcceptedNorACrash)
{
    CFixedTimeZone zone;
    SYSTEMTIME st2040 = {};
    st2040.wYear = 2040;
    st2040.wMonth = 6;
    st2040.wDay = 1;
    st2040.wHour = 12;
    LONG lTime = 12345;
    EXPECT_FALSE(CTaskEditDlg::LocalToTime(st2040, lTime));
    EXPECT_EQ(12345, lTime);
    // The last day, late in the evening here, is past what 32 bits hold.
    SYSTEMTIME stLast = CTaskEditDlg::RangeMax();
    EXPECT_FALSE(CTaskEditDlg::LocalToTime(stLast, lTime));
    stLast.wHour = 12;
    stLast.wMinute = stLast.wSecond = 0;
    EXPECT_TRUE(CTaskEditDlg::LocalToTime(stLast, lTime));
    EXPECT_EQ(2147446800, lTime);
    SYSTEMTIME stShown;
    EXPECT_FALSE(CTaskEditDlg::TimeToLocal(-1, stShown));
    EXPECT_FALSE(CTaskEditDlg::TimeToLocal(0, stShown)); // 31-Dec-1969 in this zone
    EXPECT_TRUE(CTaskEditDlg::TimeToLocal(18000, stShown));
    EXPECT_EQ(1970, stShown.wYear);

    CTaskEditDlg dlg;
    dlg.m_task.strTitle = "Old";
    dlg.m_task.lDue = 1796740200;
    WORD wYearTaken = 0;
    CScriptedDialogs script([&](CWnd* pDialog) {
        pDialog->SetDlgItemText(IDC_TASK_TITLE, "New");
        CWnd* pDue = pDialog->GetDlgItem(IDC_TASK_DUE_DATE);
        // The picker keeps to its range.
        pDue->SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st2040);
        SYSTEMTIME stNow = {};
        pDue->SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)&stNow);
        wYearTaken = stNow.wYear;
        // Even a picker without a range cannot bring 2040 in: OK warns and
        // the dialog stays.
        pDue->SendMessage(DTM_SETRANGE, 0, 0);
        pDue->SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st2040);
        ClickButton(pDialog, IDOK);
        EXPECT_EQ("Old", std::string((LPCSTR)dlg.m_task.strTitle)); // nothing taken
        ClickButton(pDialog, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(2026, wYearTaken);
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("18-Jan-2038"));
    EXPECT_EQ("Old", std::string((LPCSTR)dlg.m_task.strTitle));
    EXPECT_EQ(1796740200, dlg.m_task.lDue);
}

TEST_F(TaskListTest, TheContextMenuEnablesWhatTheSelectionAllowsAndDeleteAsksNothing)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "Plain", 3, 1796740200);
    AddTask(builder, "Linked", 3, 1796740200, "", dwNote);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CTaskCtrl& list = ListOf(pDoc);
    ASSERT_EQ(2, list.GetItemCount());

    list.SendMessage(WM_CONTEXTMENU, (WPARAM)list.m_hWnd, MAKELPARAM(10, 10));
    ASSERT_EQ(1, MenuRecord::s_nShown);
    EXPECT_TRUE(MenuRecord::s_enabled[ID_TASK_NEW]);
    EXPECT_FALSE(MenuRecord::s_enabled[ID_TASK_EDIT]);
    EXPECT_FALSE(MenuRecord::s_enabled[ID_TASK_DELETE]);
    EXPECT_FALSE(MenuRecord::s_enabled[ID_TASK_OPENNODE]);

    Select(list, RowOf(list, "Plain"));
    list.SendMessage(WM_CONTEXTMENU, (WPARAM)list.m_hWnd, MAKELPARAM(-1, -1)); // from the keyboard
    EXPECT_TRUE(MenuRecord::s_enabled[ID_TASK_EDIT]);
    EXPECT_TRUE(MenuRecord::s_enabled[ID_TASK_DELETE]);
    EXPECT_FALSE(MenuRecord::s_enabled[ID_TASK_OPENNODE]);

    Select(list, RowOf(list, "Linked"));
    list.SendMessage(WM_CONTEXTMENU, (WPARAM)list.m_hWnd, MAKELPARAM(10, 10));
    EXPECT_TRUE(MenuRecord::s_enabled[ID_TASK_OPENNODE]);

    // Delete: gone at once, from the list and the notebook, no question.
    pDoc->SetModified(FALSE);
    const DWORD dwTaskId = (DWORD)list.GetItemData(RowOf(list, "Linked"));
    list.SendMessage(WM_COMMAND, ID_TASK_DELETE);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ("Plain", Column(list, 0));
    QLCTASK task;
    EXPECT_FALSE(pDoc->Data_GetTask(dwTaskId, task));
    EXPECT_TRUE(pDoc->IsModified());
    // The node lost its task mark with its only task.
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    EXPECT_EQ(0, OverlayOf(*pTree, FindItem(*pTree, "Note")));
}

TEST_F(TaskListTest, NewAndEditGoThroughTheDialogAndKeepTheListSorted)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "Middle", 3, 1796740200, "old notes");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CTaskCtrl& list = ListOf(pDoc);

    // A double-click on no row adds a task.
    CScriptedDialogs addScript([&](CWnd* pDialog) {
        pDialog->SetDlgItemText(IDC_TASK_TITLE, "Aardvark");
        pDialog->SetDlgItemText(IDC_TASK_NOTES, "new notes");
        pDialog->GetDlgItem(IDC_TASK_PRIORITY)->SendMessage(CB_SETCURSEL, 4);
        ClickButton(pDialog, IDOK);
    });
    NMITEMACTIVATE activate = {};
    activate.hdr.hwndFrom = list.m_hWnd;
    activate.hdr.idFrom = IDC_TASK_LIST;
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = -1;
    FrameOf(pDoc)->GetTasksBar().SendMessage(WM_NOTIFY, IDC_TASK_LIST, (LPARAM)&activate);
    EXPECT_EQ(1, addScript.nDialogs);
    EXPECT_EQ("Aardvark,Middle", Column(list, 0));
    EXPECT_EQ("Urgent", std::string((LPCSTR)list.GetItemText(0, 1)));
    QLCTASK added;
    ASSERT_TRUE(pDoc->Data_GetTask((DWORD)list.GetItemData(0), added));
    EXPECT_EQ("new notes", std::string((LPCSTR)added.strNotes));
    EXPECT_EQ(5, added.nPriority);
    EXPECT_EQ((DWORD)list.GetItemData(0), added.dwTaskId);
}

TEST_F(TaskListTest, EditingARowKeepsItsLinkAndSortsItIntoPlace)
{
    CNotebookBuilder builder;
    const DWORD dwNote = builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "Alpha", 3, 1796740200, "", dwNote);
    AddTask(builder, "Beta", 3, 1796740200);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CTaskCtrl& list = ListOf(pDoc);
    QLCTASK before;
    ASSERT_TRUE(pDoc->Data_GetTask((DWORD)list.GetItemData(0), before));

    CScriptedDialogs editScript([&](CWnd* pDialog) {
        CString s;
        pDialog->GetWindowText(s);
        EXPECT_EQ("Edit Task", std::string((LPCSTR)s));
        pDialog->GetDlgItemText(IDC_TASK_TITLE, s);
        EXPECT_EQ("Alpha", std::string((LPCSTR)s));
        pDialog->SetDlgItemText(IDC_TASK_TITLE, "Zulu");
        ClickButton(pDialog, IDOK);
    });
    Select(list, 0);
    list.SendMessage(WM_COMMAND, ID_TASK_EDIT);
    EXPECT_EQ(1, editScript.nDialogs);
    EXPECT_EQ("Beta,Zulu", Column(list, 0));
    QLCTASK after;
    ASSERT_TRUE(pDoc->Data_GetTask(before.dwTaskId, after));
    EXPECT_EQ("Zulu", std::string((LPCSTR)after.strTitle));
    EXPECT_EQ(before.dwFlags, after.dwFlags);
    EXPECT_EQ(before.dwLinkedNodeId, after.dwLinkedNodeId);
    EXPECT_EQ(before.lCreated, after.lCreated);
    EXPECT_EQ(1, RowOf(list, "Zulu"));
    EXPECT_NE(0u, list.GetItemState(1, LVIS_SELECTED));
    EXPECT_EQ(6u, (list.GetItemState(1, LVIS_OVERLAYMASK) & LVIS_OVERLAYMASK) >> 8);
}

TEST_F(TaskListTest, ALinkedTaskOpensItsNodeThroughTheFrame)
{
    CNotebookBuilder builder;
    builder.Note("First", 0, kNoteRtf);
    const DWORD dwTarget = builder.Note("Target", 0, kNoteRtf);
    AddTask(builder, "Go", 3, 1796740200, "", dwTarget);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    pFrame->GetTabsView()->SelectTab(1);
    CTaskCtrl& list = ListOf(pDoc);
    Select(list, 0);
    list.SendMessage(WM_COMMAND, ID_TASK_OPENNODE);
    const DWORD dwNode = NodeIdByName(pDoc, "Target");
    EXPECT_EQ(dwNode, pFrame->GetShownNodeId());
    EXPECT_EQ(0, pFrame->GetTabsView()->GetCurTab());
    CQlcTreeCtrl* pTree = TreeOf(pDoc);
    EXPECT_EQ(FindItem(*pTree, "Target"), pTree->GetSelectedItem());
    ASSERT_NE(nullptr, pFrame->GetRichEditView());
    EXPECT_EQ("A note", PlainText(pFrame->GetRichEditView()->GetRichEditCtrl()).substr(0, 6));
}

TEST_F(TaskListTest, ThePickingDialogChoosesByAClickAfterTheRowFlashes)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    AddTask(builder, "One", 3, 1796740200);
    AddTask(builder, "Two", 3, 1796740200);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CSteppingClock clock;

    CTaskSelDlg dlg(FrameOf(pDoc));
    dlg.m_pDoc = pDoc;
    DWORD dwExpected = 0;
    int nWidth = 0;
    CScriptedDialogs script([&](CWnd* pDialog) {
        CRect rc;
        pDialog->GetWindowRect(rc);
        nWidth = rc.Width();
        CTaskCtrl& list = dlg.m_wndTasks;
        EXPECT_TRUE(list.IsReadOnly());
        EXPECT_EQ(IDC_TASK_SELECT_LIST, list.GetDlgCtrlID());
        EXPECT_EQ("One,Two", Column(list, 0));
        // Read-only: no menu, no dialog from a double-click.
        list.SendMessage(WM_CONTEXTMENU, (WPARAM)list.m_hWnd, MAKELPARAM(5, 5));
        NMITEMACTIVATE activate = {};
        activate.hdr.hwndFrom = list.m_hWnd;
        activate.hdr.idFrom = IDC_TASK_SELECT_LIST;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = 1;
        pDialog->SendMessage(WM_NOTIFY, IDC_TASK_SELECT_LIST, (LPARAM)&activate);
        // A click on the second row picks it.
        Select(list, 1);
        dwExpected = (DWORD)list.GetItemData(1);
        activate.hdr.code = NM_CLICK;
        const DWORD dwBefore = clock.m_dwNow;
        pDialog->SendMessage(WM_NOTIFY, IDC_TASK_SELECT_LIST, (LPARAM)&activate);
        EXPECT_GE(clock.m_dwNow - dwBefore, 825u);
        EXPECT_NE(0u, list.GetItemState(1, LVIS_SELECTED)); // eight flashes end selected
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, script.nDialogs);
    EXPECT_EQ(0, MenuRecord::s_nShown);
    EXPECT_EQ(450, nWidth);
    EXPECT_EQ(dwExpected, dlg.m_dwTaskId);
}

TEST_F(TaskListTest, TheTasksBarFollowsItsCommandAndKeepsItsSizeForTheNextWindow)
{
    DeleteProgramKey();
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    CSizingControlBarCF& bar = pFrame->GetTasksBar();
    EXPECT_EQ(IDW_TASKS_BAR, bar.GetDlgCtrlID());
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_BOTTOM, bar.GetDockBarID());
    EXPECT_EQ((DWORD)CBRS_ALIGN_BOTTOM, bar.m_dwDockStyle);
    EXPECT_FALSE(bar.IsWindowVisible()); // the file did not ask for it
    EXPECT_FALSE(pFrame->IsTasksBarVisible());
    EXPECT_EQ(0, QueryCommand(pFrame, ID_VIEW_TASKBAR).nChecked);

    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_EQ(1, QueryCommand(pFrame, ID_VIEW_TASKBAR).nChecked);
    // Laid out at the bottom, under the panes.
    CRect rcBar, rcSplitter;
    bar.GetWindowRect(rcBar);
    pFrame->GetSplitter().GetWindowRect(rcSplitter);
    EXPECT_LE(rcSplitter.bottom, rcBar.top + 2);
    EXPECT_EQ(200, rcBar.Height());

    // Resized by its top edge, then closed: the next window has that size.
    const CPoint ptTop(rcBar.CenterPoint().x, rcBar.top + 2);
    ASSERT_EQ((LRESULT)HTTOP, bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(ptTop.x, ptTop.y)));
    bar.SendMessage(WM_NCLBUTTONDOWN, HTTOP, MAKELPARAM(ptTop.x, ptTop.y));
    CPoint ptUp(ptTop.x, ptTop.y - 40);
    bar.ScreenToClient(&ptUp);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((short)ptUp.x, (short)ptUp.y));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM((short)ptUp.x, (short)ptUp.y));
    pFrame->RecalcLayout();
    EXPECT_EQ(240, bar.m_szHorz.cy);
    pDoc->OnCloseDocument();
    PumpMessages();
    EXPECT_EQ(240u, app.GetProfileInt("TasksBar-SCBar-126", "sizeHorzCY", 0));

    CNotebookBuilder second;
    second.Note("Other", 0, kNoteRtf);
    pDoc = OpenBuilt(second, "second.qlc");
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(240, FrameOf(pDoc)->GetTasksBar().m_szHorz.cy);
    FrameOf(pDoc)->ShowTasksBar(TRUE);
    FrameOf(pDoc)->GetTasksBar().GetWindowRect(rcBar);
    EXPECT_EQ(240, rcBar.Height());
    // The command hides it again.
    FrameOf(pDoc)->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    EXPECT_FALSE(FrameOf(pDoc)->IsTasksBarVisible());
    DeleteProgramKey();
}

TEST_F(TaskListTest, OfTwoWindowsTheOneWhoseTasksBarTheUserChangedLastKeepsItsSize)
{
    DeleteProgramKey();
    CNotebookBuilder first, second;
    first.Note("Note", 0, kNoteRtf);
    second.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pFirst = OpenBuilt(first, "first.qlc");
    CQuillcrestDoc* pSecond = OpenBuilt(second, "second.qlc");
    ASSERT_NE(nullptr, pFirst);
    ASSERT_NE(nullptr, pSecond);
    // Windows with room for the bars, as the user sized them.
    FrameOf(pFirst)->MoveWindow(0, 0, 700, 520);
    FrameOf(pSecond)->MoveWindow(20, 20, 700, 520);
    FrameOf(pFirst)->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    FrameOf(pSecond)->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    PumpMessages();
    ASSERT_EQ(200, FrameOf(pSecond)->GetTasksBar().m_szHorz.cy);

    // Changed in the first window, which closes first; the second, closed
    // later without a change, leaves that size stored.
    DragTopEdge(FrameOf(pFirst), -40);
    ASSERT_EQ(240, FrameOf(pFirst)->GetTasksBar().m_szHorz.cy);
    pFirst->OnCloseDocument();
    PumpMessages();
    EXPECT_EQ(240u, app.GetProfileInt("TasksBar-SCBar-126", "sizeHorzCY", 0));
    pSecond->OnCloseDocument();
    PumpMessages();
    EXPECT_EQ(240u, app.GetProfileInt("TasksBar-SCBar-126", "sizeHorzCY", 0))
        << "a window the user did not change overwrote the size";

    // Both changed: the later change is kept whichever window closes last.
    CNotebookBuilder third, fourth;
    third.Note("Note", 0, kNoteRtf);
    fourth.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pThird = OpenBuilt(third, "third.qlc");
    CQuillcrestDoc* pFourth = OpenBuilt(fourth, "fourth.qlc");
    ASSERT_NE(nullptr, pThird);
    ASSERT_NE(nullptr, pFourth);
    FrameOf(pThird)->MoveWindow(0, 0, 700, 520);
    FrameOf(pFourth)->MoveWindow(20, 20, 700, 520);
    FrameOf(pThird)->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    FrameOf(pFourth)->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    PumpMessages();
    ASSERT_EQ(240, FrameOf(pThird)->GetTasksBar().m_szHorz.cy);
    DragTopEdge(FrameOf(pThird), -30);
    DragTopEdge(FrameOf(pFourth), 50);
    ASSERT_EQ(270, FrameOf(pThird)->GetTasksBar().m_szHorz.cy);
    ASSERT_EQ(190, FrameOf(pFourth)->GetTasksBar().m_szHorz.cy);
    pFourth->OnCloseDocument();
    PumpMessages();
    EXPECT_EQ(190u, app.GetProfileInt("TasksBar-SCBar-126", "sizeHorzCY", 0));
    pThird->OnCloseDocument();
    PumpMessages();
    EXPECT_EQ(190u, app.GetProfileInt("TasksBar-SCBar-126", "sizeHorzCY", 0))
        << "an earlier change overwrote the later one";
    DeleteProgramKey();
}

TEST_F(TaskListTest, AFloatingTasksBarFloatsAgainInTheNextWindowShownOnlyWhenItsNotebookAsks)
{
    DeleteProgramKey();
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    pFrame->ShowTasksBar(TRUE);
    pFrame->FloatControlBar(&pFrame->GetTasksBar(), CPoint(300, 260), CBRS_ALIGN_BOTTOM);
    ASSERT_TRUE(pFrame->GetTasksBar().IsFloating());
    pFrame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    pFrame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    CRect rcFloating;
    pFrame->GetTasksBar().GetParentFrame()->GetWindowRect(rcFloating);
    // Hidden from its close button, still floating.
    CSizingControlBarCF& bar = pFrame->GetTasksBar();
    CRect rcBar;
    bar.GetWindowRect(rcBar);
    CRect rcClose = bar.GetCloseRect();
    rcClose.OffsetRect(rcBar.left, rcBar.top);
    bar.SendMessage(WM_NCLBUTTONUP, HTCLOSE, MAKELPARAM(rcClose.CenterPoint().x, rcClose.CenterPoint().y));
    EXPECT_FALSE(pFrame->IsTasksBarVisible());
    EXPECT_FALSE(bar.GetParentFrame()->IsWindowVisible());
    EXPECT_TRUE(bar.IsFloating());
    pDoc->OnCloseDocument();
    PumpMessages();

    // The next window: floating at the same place, hidden until asked.
    CNotebookBuilder second;
    second.Note("Other", 0, kNoteRtf);
    pDoc = OpenBuilt(second, "second.qlc");
    ASSERT_NE(nullptr, pDoc);
    pFrame = FrameOf(pDoc);
    CSizingControlBarCF& next = pFrame->GetTasksBar();
    EXPECT_TRUE(next.IsFloating());
    EXPECT_FALSE(pFrame->IsTasksBarVisible());
    EXPECT_FALSE(next.GetParentFrame()->IsWindowVisible());
    pFrame->SendMessage(WM_COMMAND, ID_VIEW_TASKBAR);
    EXPECT_TRUE(pFrame->IsTasksBarVisible());
    EXPECT_TRUE(next.GetParentFrame()->IsWindowVisible());
    pFrame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    CRect rcAgain;
    next.GetParentFrame()->GetWindowRect(rcAgain);
    EXPECT_EQ(rcFloating.TopLeft(), rcAgain.TopLeft());
    // Docked again by a double-click on its caption.
    next.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 4));
    EXPECT_FALSE(next.IsFloating());
    EXPECT_EQ((UINT)AFX_IDW_DOCKBAR_BOTTOM, next.GetDockBarID());
    DeleteProgramKey();
}
