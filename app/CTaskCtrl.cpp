#include "app/CTaskCtrl.h"

#include "app/CChildFrame.h"
#include "app/CQlcApp.h"
#include "app/CTaskEditDlg.h"
#include "app/res/Resource.h"

#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/ui/AfxHooks.h"
#include "framework/ui/CMenu.h"

#include <ctime>
#include <mbstring.h>

IMPLEMENT_DYNAMIC(CTaskCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CTaskCtrl, CListCtrl)
    ON_WM_CREATE()
    ON_WM_CONTEXTMENU()
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_COMMAND(ID_TASK_NEW, OnTaskNew)
    ON_COMMAND(ID_TASK_EDIT, OnTaskEdit)
    ON_COMMAND(ID_TASK_DELETE, OnTaskDelete)
    ON_COMMAND(ID_TASK_OPENNODE, OnTaskOpenNode)
END_MESSAGE_MAP()

namespace {

BOOL TrackPopup(CMenu* pPopup, UINT nFlags, int x, int y, CWnd* pOwner)
{
    return pPopup->TrackPopupMenu(nFlags, x, y, pOwner);
}

BOOL IsLinked(const QLCTASK& task)
{
    return (task.dwFlags & QLC_TASKFLAG_LINKED) != 0;
}

} // namespace

BOOL (*CTaskCtrl::s_pfnTrackPopupMenu)(CMenu*, UINT, int, int, CWnd*) = &TrackPopup;

CTaskCtrl::CTaskCtrl()
    : m_nSortColumn(-1), m_nPrevSortColumn(-1), m_bAscending(TRUE), m_bReadOnly(FALSE), m_pDoc(nullptr)
{
}

// ---------------------------------------------------------------------------
// Creation

BOOL CTaskCtrl::PreCreateWindow(CREATESTRUCTA& cs)
{
    // The list view takes its view from the creation styles (later style
    // changes are not seen by every implementation of the control).
    cs.style &= ~LVS_TYPEMASK;
    cs.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    return CListCtrl::PreCreateWindow(cs);
}

int CTaskCtrl::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CListCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    if (CQlcApp* pApp = QlcGetApp())
        SetImageList(pApp->m_taskImages.GetSafeHandle(), LVSIL_SMALL);
    static const struct { UINT nID; int cx; } s_columns[] = {
        { IDS_TASK_COLUMN_TASK, 200 },
        { IDS_TASK_COLUMN_PRIORITY, 80 },
        { IDS_TASK_COLUMN_DUE, 120 },
        { IDS_TASK_COLUMN_NOTES, 180 },
    };
    for (int i = 0; i < (int)(sizeof(s_columns) / sizeof(s_columns[0])); i++)
        InsertColumn(i, AfxLoadText(s_columns[i].nID), LVCFMT_LEFT, s_columns[i].cx, i);
    return 0;
}

// ---------------------------------------------------------------------------
// What a row shows

CString CTaskCtrl::FormatPriority(int nPriority)
{
    static const UINT s_names[] = { IDS_PRIORITY_IDLE, IDS_PRIORITY_LOW, IDS_PRIORITY_NORMAL, IDS_PRIORITY_HIGH,
                                    IDS_PRIORITY_URGENT };
    if (nPriority >= 1 && nPriority <= 5)
        return AfxLoadText(s_names[nPriority - 1]);
    return AfxLoadText(IDS_TASK_UNKNOWN);
}

CString CTaskCtrl::FormatDue(LONG lDue)
{
    // Times are stored as 32-bit seconds since 1970: one before it, or one
    // the C library cannot turn into local time, is not shown as a date.
    if (lDue < 0)
        return AfxLoadText(IDS_TASK_UNKNOWN);
    const time_t t = (time_t)lDue;
    const struct tm* ptm = localtime(&t);
    char szDue[64];
    if (ptm == nullptr || strftime(szDue, sizeof(szDue), "%a %d-%b-%y %H:%M", ptm) == 0)
        return AfxLoadText(IDS_TASK_UNKNOWN);
    return CString(szDue);
}

CString CTaskCtrl::CutNotes(LPCSTR lpszNotes, UINT nCodePage)
{
    const CString strNotes = lpszNotes ? lpszNotes : "";
    if (strNotes.GetLength() <= kNotesShown)
        return strNotes;
    // Up to kNotesShown bytes, whole characters only.
    int nCut = 0;
    while (nCut < kNotesShown)
    {
        const BYTE b = (BYTE)strNotes[nCut];
        const int nStep = (::IsDBCSLeadByteEx(nCodePage, b) && nCut + 1 < strNotes.GetLength()) ? 2 : 1;
        if (nCut + nStep > kNotesShown)
            break;
        nCut += nStep;
    }
    return strNotes.Left(nCut) + "...";
}

COLORREF CTaskCtrl::PriorityColour(int nPriority)
{
    switch (nPriority)
    {
    case 1: return RGB(128, 128, 128);
    case 2: return RGB(48, 48, 48);
    case 4: return RGB(192, 0, 0);
    case 5: return RGB(255, 0, 0);
    default: return RGB(0, 0, 0);
    }
}

void CTaskCtrl::SetItemFromTask(int nItem, const QLCTASK& task)
{
    SetItemData(nItem, task.dwTaskId);
    SetItemText(nItem, colTask, task.strTitle);
    SetItemText(nItem, colPriority, FormatPriority(task.nPriority));
    SetItemText(nItem, colDue, FormatDue(task.lDue));
    SetItemText(nItem, colNotes, CutNotes(task.strNotes));
    SetItemState(nItem, INDEXTOOVERLAYMASK(IsLinked(task) ? 6 : 0), LVIS_OVERLAYMASK);
}

int CTaskCtrl::InsertTaskItem(int nItem, const QLCTASK& task)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = nItem;
    item.pszText = const_cast<LPSTR>((LPCSTR)task.strTitle);
    item.iImage = 0;
    item.lParam = (LPARAM)task.dwTaskId;
    const int nNew = InsertItem(&item);
    if (nNew >= 0)
        SetItemFromTask(nNew, task);
    return nNew;
}

BOOL CTaskCtrl::GetItemTask(int nItem, QLCTASK& task) const
{
    if (nItem < 0 || m_pDoc == nullptr)
        return FALSE;
    return m_pDoc->Data_GetTask((DWORD)GetItemData(nItem), task);
}

// ---------------------------------------------------------------------------
// Rows

void CTaskCtrl::RefreshTasks()
{
    DeleteAllItems();
    if (m_pDoc == nullptr)
        return;
    {
        CQlcDocLock::CScoped lock(m_pDoc->GetLock());
        const CQlcTaskMap& tasks = m_pDoc->GetTaskTable(lock);
        for (POSITION pos = tasks.GetStartPosition(); pos != nullptr;)
        {
            DWORD dwTaskId;
            QLCTASK task;
            tasks.GetNextAssoc(pos, dwTaskId, task);
            InsertTaskItem(0, task);
        }
    }
    // A fresh list starts sorted by title; one the user has sorted keeps
    // the rows as filled until the next sort.
    if (m_nSortColumn == -1)
    {
        m_nSortColumn = colTask;
        m_bAscending = TRUE;
        SortTasks();
    }
}

void CTaskCtrl::AddTaskItem(DWORD dwTaskId)
{
    QLCTASK task;
    if (m_pDoc != nullptr && m_pDoc->Data_GetTask(dwTaskId, task))
        InsertTaskItem(0, task);
}

int CTaskCtrl::FindTaskItem(DWORD dwTaskId) const
{
    const int nCount = GetItemCount();
    for (int i = 0; i < nCount; i++)
    {
        if ((DWORD)GetItemData(i) == dwTaskId)
            return i;
    }
    return -1;
}

void CTaskCtrl::UpdateTaskItem(DWORD dwTaskId)
{
    const int nItem = FindTaskItem(dwTaskId);
    QLCTASK task;
    if (nItem >= 0 && m_pDoc != nullptr && m_pDoc->Data_GetTask(dwTaskId, task))
        SetItemFromTask(nItem, task);
}

void CTaskCtrl::BlinkItem(int nItem, int nCount)
{
    const DWORD dwStart = AfxGetTickCount();
    while (AfxGetTickCount() - dwStart < 25)
        AfxSleep(0);
    for (int i = 0; i < nCount; i++)
    {
        while (AfxGetTickCount() - dwStart < (DWORD)(125 + 100 * i))
            AfxSleep(0);
        const UINT nState = GetItemState(nItem, LVIS_SELECTED);
        SetItemState(nItem, nState ^ LVIS_SELECTED, LVIS_SELECTED);
        RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
    }
}

// ---------------------------------------------------------------------------
// Sorting

void CTaskCtrl::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLISTVIEW* pList = (const NMLISTVIEW*)pNMHDR;
    *pResult = 0;
    m_nPrevSortColumn = m_nSortColumn;
    if (pList->iSubItem == m_nSortColumn)
    {
        m_bAscending = !m_bAscending;
    }
    else
    {
        m_nSortColumn = pList->iSubItem;
        m_bAscending = TRUE;
    }
    SortTasks();
}

void CTaskCtrl::SortTasks()
{
    HWND hHeader = (HWND)SendMessage(LVM_GETHEADER);
    if (hHeader != nullptr)
    {
        // The arrow leaves the column sorted before.
        if (m_nPrevSortColumn != -1 && m_nPrevSortColumn != m_nSortColumn)
        {
            HDITEMA hdi = {};
            hdi.mask = HDI_FORMAT;
            ::SendMessageA(hHeader, HDM_GETITEMA, (WPARAM)m_nPrevSortColumn, (LPARAM)&hdi);
            hdi.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
            hdi.fmt |= HDF_STRING;
            ::SendMessageA(hHeader, HDM_SETITEMA, (WPARAM)m_nPrevSortColumn, (LPARAM)&hdi);
        }
        if (m_nSortColumn >= 0)
        {
            HDITEMA hdi = {};
            hdi.mask = HDI_FORMAT | HDI_IMAGE;
            ::SendMessageA(hHeader, HDM_GETITEMA, (WPARAM)m_nSortColumn, (LPARAM)&hdi);
            hdi.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT | HDF_STRING;
            hdi.iImage = m_bAscending ? 1 : 2;
            ::SendMessageA(hHeader, HDM_SETITEMA, (WPARAM)m_nSortColumn, (LPARAM)&hdi);
        }
    }
    SortItems(&CTaskCtrl::CompareTasksProc, (DWORD_PTR)this);
}

int CALLBACK CTaskCtrl::CompareTasksProc(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const CTaskCtrl* pList = (const CTaskCtrl*)lParamSort;
    QLCTASK taskA, taskB;
    if (pList->m_pDoc != nullptr)
    {
        pList->m_pDoc->Data_GetTask((DWORD)lParam1, taskA);
        pList->m_pDoc->Data_GetTask((DWORD)lParam2, taskB);
    }
    // Compared, never subtracted: times far apart overflow a difference.
    int nResult = 0;
    if (pList->m_nSortColumn == colPriority && taskA.nPriority != taskB.nPriority)
        nResult = taskA.nPriority < taskB.nPriority ? -1 : 1;
    else if (pList->m_nSortColumn == colDue && taskA.lDue != taskB.lDue)
        nResult = taskA.lDue < taskB.lDue ? -1 : 1;
    else
        nResult = _mbsicmp((const unsigned char*)(LPCSTR)taskA.strTitle, (const unsigned char*)(LPCSTR)taskB.strTitle);
    return pList->m_bAscending ? nResult : -nResult;
}

// ---------------------------------------------------------------------------
// Colours

void CTaskCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVCUSTOMDRAW* pDraw = (NMLVCUSTOMDRAW*)pNMHDR;
    *pResult = CDRF_DODEFAULT;
    if (pDraw->nmcd.dwDrawStage == CDDS_PREPAINT)
    {
        *pResult = CDRF_NOTIFYITEMDRAW;
    }
    else if (pDraw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
    {
        QLCTASK task;
        if (m_pDoc != nullptr)
            m_pDoc->Data_GetTask((DWORD)pDraw->nmcd.lItemlParam, task);
        pDraw->clrText = PriorityColour(task.nPriority);
    }
}

// ---------------------------------------------------------------------------
// Commands

void CTaskCtrl::PrepareContextMenu(CMenu* pPopup)
{
    const int nItem = GetSelectedItem();
    QLCTASK task;
    const BOOL bLinked = GetItemTask(nItem, task) && IsLinked(task);
    pPopup->EnableMenuItem(ID_TASK_NEW, MF_BYCOMMAND | MF_ENABLED);
    pPopup->EnableMenuItem(ID_TASK_EDIT, MF_BYCOMMAND | (nItem >= 0 ? MF_ENABLED : MF_GRAYED));
    pPopup->EnableMenuItem(ID_TASK_DELETE, MF_BYCOMMAND | (nItem >= 0 ? MF_ENABLED : MF_GRAYED));
    pPopup->EnableMenuItem(ID_TASK_OPENNODE, MF_BYCOMMAND | (bLinked ? MF_ENABLED : MF_GRAYED));
}

void CTaskCtrl::OnContextMenu(CWnd* /*pWnd*/, CPoint point)
{
    if (m_bReadOnly)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_POPUP_TASKS))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return;
    PrepareContextMenu(pPopup);
    if (point.x == -1 && point.y == -1)
    {
        // From the keyboard: at the selected row, or the list's corner.
        CRect rect;
        rect.left = LVIR_LABEL;
        const int nItem = GetSelectedItem();
        if (nItem < 0 || !SendMessage(LVM_GETITEMRECT, (WPARAM)nItem, (LPARAM)(LPRECT)rect))
            GetClientRect(rect);
        point = CPoint(rect.left, rect.bottom);
        ClientToScreen(&point);
    }
    s_pfnTrackPopupMenu(pPopup, TPM_LEFTALIGN, point.x, point.y, this);
}

void CTaskCtrl::OnDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bReadOnly)
        return;
    const NMITEMACTIVATE* pActivate = (const NMITEMACTIVATE*)pNMHDR;
    if (pActivate->iItem < 0)
        NewTask();
    else
        EditTask(pActivate->iItem);
}

void CTaskCtrl::NewTask()
{
    if (m_pDoc == nullptr)
        return;
    CTaskEditDlg dlg(this);
    dlg.m_bEdit = FALSE;
    if (dlg.DoModal() != IDOK)
        return;
    const DWORD dwTaskId = m_pDoc->Data_AddTask();
    dlg.m_task.dwTaskId = dwTaskId;
    m_pDoc->Data_SetTask(dwTaskId, dlg.m_task);
    InsertTaskItem(0, dlg.m_task);
    SortTasks();
}

void CTaskCtrl::EditTask(int nItem)
{
    QLCTASK task;
    if (!GetItemTask(nItem, task))
        return;
    CTaskEditDlg dlg(this);
    dlg.m_task = task;
    dlg.m_bEdit = TRUE;
    if (dlg.DoModal() != IDOK)
        return;
    m_pDoc->Data_SetTask(task.dwTaskId, dlg.m_task);
    SetItemFromTask(nItem, dlg.m_task);
    SetFocus();
    SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessage(LVM_SETSELECTIONMARK, 0, (LPARAM)nItem);
    SortTasks();
}

void CTaskCtrl::OnTaskNew()
{
    NewTask();
}

void CTaskCtrl::OnTaskEdit()
{
    const int nItem = GetSelectedItem();
    if (nItem >= 0)
        EditTask(nItem);
}

void CTaskCtrl::OnTaskDelete()
{
    // No question: the row and the task go at once.
    const int nItem = GetSelectedItem();
    if (nItem < 0 || m_pDoc == nullptr)
        return;
    const DWORD dwTaskId = (DWORD)GetItemData(nItem);
    DeleteItem(nItem);
    m_pDoc->Data_DeleteTask(dwTaskId);
}

void CTaskCtrl::OnTaskOpenNode()
{
    if (m_bReadOnly || m_pDoc == nullptr)
        return;
    QLCTASK task;
    if (!GetItemTask(GetSelectedItem(), task) || !IsLinked(task))
        return;
    CChildFrame* pFrame = dynamic_cast<CChildFrame*>(m_pDoc->GetFrameCallbacks());
    if (pFrame != nullptr)
        pFrame->GotoNode(task.dwLinkedNodeId, TRUE);
}
