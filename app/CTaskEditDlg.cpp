#include "app/CTaskEditDlg.h"

#include "app/res/Resource.h"
#include "app/res/TaskEditDlgRes.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/CDataExchange.h"

#include <climits>

IMPLEMENT_DYNAMIC(CTaskEditDlg, CDialog)

time_t (*CTaskEditDlg::s_pfnTime)(time_t*) = &time;

namespace {

// Orders two local times (-1, 0, 1), to the second.
int CompareLocal(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    const WORD wa[] = { a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond };
    const WORD wb[] = { b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond };
    for (int i = 0; i < 6; i++)
    {
        if (wa[i] != wb[i])
            return wa[i] < wb[i] ? -1 : 1;
    }
    return 0;
}

// A stored time from the C library's, when it fits.
BOOL FitsStored(time_t t)
{
    return t >= 0 && t <= (time_t)LONG_MAX;
}

} // namespace

CTaskEditDlg::CTaskEditDlg(CWnd* pParent) : CDialog(IDD_TASK_EDIT, pParent), m_bEdit(TRUE)
{
    AfxInitCommonControls(ICC_DATE_CLASSES);
    const time_t now = s_pfnTime(nullptr);
    const LONG lNow = FitsStored(now) ? (LONG)now : 0;
    m_task.nPriority = 3;
    m_task.lCreated = lNow;
    m_task.lStart = lNow;
    // Due a calendar month after the start, at the same time of day; the
    // calendar settles a day the month does not have (31 February is early
    // March) and December goes on into January.
    m_task.lDue = lNow;
    const time_t tStart = (time_t)lNow;
    if (const struct tm* ptm = localtime(&tStart))
    {
        struct tm due = *ptm;
        due.tm_mon += 1;
        due.tm_isdst = -1;
        const time_t tDue = mktime(&due);
        if (tDue != (time_t)-1 && FitsStored(tDue))
            m_task.lDue = (LONG)tDue;
    }
}

// ---------------------------------------------------------------------------
// Times

SYSTEMTIME CTaskEditDlg::RangeMin()
{
    SYSTEMTIME st = {};
    st.wYear = 1970;
    st.wMonth = 1;
    st.wDay = 1;
    st.wDayOfWeek = 4;
    return st;
}

SYSTEMTIME CTaskEditDlg::RangeMax()
{
    SYSTEMTIME st = {};
    st.wYear = 2038;
    st.wMonth = 1;
    st.wDay = 18;
    st.wDayOfWeek = 1;
    st.wHour = 23;
    st.wMinute = 59;
    st.wSecond = 59;
    return st;
}

BOOL CTaskEditDlg::TimeToLocal(LONG lTime, SYSTEMTIME& st)
{
    if (lTime < 0)
        return FALSE;
    const time_t t = (time_t)lTime;
    const struct tm* ptm = localtime(&t);
    if (ptm == nullptr)
        return FALSE;
    st = SYSTEMTIME();
    st.wYear = (WORD)(ptm->tm_year + 1900);
    st.wMonth = (WORD)(ptm->tm_mon + 1);
    st.wDay = (WORD)ptm->tm_mday;
    st.wDayOfWeek = (WORD)ptm->tm_wday;
    st.wHour = (WORD)ptm->tm_hour;
    st.wMinute = (WORD)ptm->tm_min;
    st.wSecond = (WORD)ptm->tm_sec;
    return CompareLocal(st, RangeMin()) >= 0 && CompareLocal(st, RangeMax()) <= 0;
}

BOOL CTaskEditDlg::LocalToTime(const SYSTEMTIME& st, LONG& lTime)
{
    if (CompareLocal(st, RangeMin()) < 0 || CompareLocal(st, RangeMax()) > 0)
        return FALSE;
    struct tm local = {};
    local.tm_year = st.wYear - 1900;
    local.tm_mon = st.wMonth - 1;
    local.tm_mday = st.wDay;
    local.tm_hour = st.wHour;
    local.tm_min = st.wMinute;
    local.tm_sec = st.wSecond;
    local.tm_isdst = -1;
    // Near either end the time zone can still carry the moment out of what
    // 32 bits from 1970 hold.
    const time_t t = mktime(&local);
    if (t == (time_t)-1 || !FitsStored(t))
        return FALSE;
    lTime = (LONG)t;
    return TRUE;
}

void CTaskEditDlg::ShowTime(CDateTimeCtrl& picker, LONG lTime)
{
    SYSTEMTIME st;
    if (!TimeToLocal(lTime, st))
    {
        // Nothing to show for it: the picker offers now instead.
        ::GetLocalTime(&st);
        st.wMilliseconds = 0;
        if (CompareLocal(st, RangeMax()) > 0)
            st = RangeMax();
    }
    picker.SetTime(&st);
}

void CTaskEditDlg::ReadTime(CDataExchange* pDX, int nIDC, const SYSTEMTIME& st, LONG& lTime)
{
    if (LocalToTime(st, lTime))
        return;
    pDX->PrepareCtrl(nIDC);
    AfxMessageBox(IDS_TASK_DATE_RANGE, MB_OK | MB_ICONWARNING);
    pDX->Fail();
}

// ---------------------------------------------------------------------------
// Dialog

BOOL CTaskEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CRect rcCombo;
    m_wndPriority.GetWindowRect(rcCombo);
    m_wndPriority.SetWindowPos(nullptr, 0, 0, rcCombo.Width(), rcCombo.Height() + 120,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_bEdit)
        SetWindowText(AfxLoadText(IDS_TASK_ADD_CAPTION));

    m_wndDueTime.SetFormat("HH:mm");
    m_wndStartTime.SetFormat("HH:mm");
    m_wndCreated.SetFormat("ddd dd-MMM-yyyy HH:mm");
    m_wndDueDate.SetFormat("ddd dd-MMM-yyyy");
    m_wndStartDate.SetFormat(nullptr);
    const SYSTEMTIME stMin = RangeMin(), stMax = RangeMax();
    for (CDateTimeCtrl* pPicker : { &m_wndDueTime, &m_wndStartTime, &m_wndCreated, &m_wndStartDate, &m_wndDueDate })
        pPicker->SetRange(&stMin, &stMax);

    static const UINT s_priorities[] = { IDS_PRIORITY_IDLE, IDS_PRIORITY_LOW, IDS_PRIORITY_NORMAL, IDS_PRIORITY_HIGH,
                                         IDS_PRIORITY_URGENT };
    m_wndPriority.ResetContent();
    for (int i = 0; i < 5; i++)
    {
        const int nIndex = m_wndPriority.AddString(AfxLoadText(s_priorities[i]));
        m_wndPriority.SetItemData(nIndex, (DWORD_PTR)(i + 1));
    }
    UpdateData(FALSE);
    return TRUE;
}

void CTaskEditDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TASK_DUE_TIME, m_wndDueTime);
    DDX_Control(pDX, IDC_TASK_START_TIME, m_wndStartTime);
    DDX_Control(pDX, IDC_TASK_CREATED, m_wndCreated);
    DDX_Control(pDX, IDC_TASK_START_DATE, m_wndStartDate);
    DDX_Control(pDX, IDC_TASK_DUE_DATE, m_wndDueDate);
    DDX_Control(pDX, IDC_TASK_PRIORITY, m_wndPriority);

    if (!pDX->m_bSaveAndValidate)
    {
        DDX_Text(pDX, IDC_TASK_TITLE, m_task.strTitle);
        DDX_Text(pDX, IDC_TASK_NOTES, m_task.strNotes);
        ShowTime(m_wndCreated, m_task.lCreated);
        ShowTime(m_wndStartDate, m_task.lStart);
        ShowTime(m_wndStartTime, m_task.lStart);
        ShowTime(m_wndDueDate, m_task.lDue);
        ShowTime(m_wndDueTime, m_task.lDue);
        int nSelect = -1;
        for (int i = 0; i < m_wndPriority.GetCount(); i++)
        {
            if (m_wndPriority.GetItemData(i) == (DWORD_PTR)m_task.nPriority)
                nSelect = i;
        }
        m_wndPriority.SetCurSel(nSelect);
        return;
    }

    // Everything is read before anything is kept: a refused date leaves
    // the task as it was.
    CString strTitle, strNotes;
    DDX_Text(pDX, IDC_TASK_TITLE, strTitle);
    DDX_Text(pDX, IDC_TASK_NOTES, strNotes);
    SYSTEMTIME stCreated = {}, stStartDate = {}, stStartTime = {}, stDueDate = {}, stDueTime = {};
    m_wndCreated.GetTime(&stCreated);
    m_wndStartDate.GetTime(&stStartDate);
    m_wndStartTime.GetTime(&stStartTime);
    m_wndDueDate.GetTime(&stDueDate);
    m_wndDueTime.GetTime(&stDueTime);
    // The date pickers give the day, the time pickers the hour and minute.
    SYSTEMTIME stStart = stStartDate;
    stStart.wHour = stStartTime.wHour;
    stStart.wMinute = stStartTime.wMinute;
    stStart.wSecond = 0;
    SYSTEMTIME stDue = stDueDate;
    stDue.wHour = stDueTime.wHour;
    stDue.wMinute = stDueTime.wMinute;
    stDue.wSecond = 0;
    LONG lCreated = 0, lStart = 0, lDue = 0;
    ReadTime(pDX, IDC_TASK_CREATED, stCreated, lCreated);
    ReadTime(pDX, IDC_TASK_START_DATE, stStart, lStart);
    ReadTime(pDX, IDC_TASK_DUE_DATE, stDue, lDue);

    m_task.strTitle = strTitle;
    m_task.strNotes = strNotes;
    m_task.lCreated = lCreated;
    m_task.lStart = lStart;
    m_task.lDue = lDue;
    const int nSelect = m_wndPriority.GetCurSel();
    if (nSelect != CB_ERR)
        m_task.nPriority = (BYTE)m_wndPriority.GetItemData(nSelect);
}
