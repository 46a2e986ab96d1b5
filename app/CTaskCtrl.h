// The task list: a report of a notebook's tasks (title, priority, due time,
// the start of the notes), coloured by priority, sorted by any column both
// ways by clicking its header. In a notebook window it adds, edits and
// deletes tasks (context menu, double-click) and opens a task's linked node;
// read-only (the task picking dialog) it only shows them.
#pragma once

#include "framework/ui/CListCtrl.h"

class CMenu;
class CQuillcrestDoc;
struct QLCTASK;

class CTaskCtrl : public CListCtrl
{
    DECLARE_DYNAMIC(CTaskCtrl)
public:
    CTaskCtrl();

    enum Column { colTask = 0, colPriority = 1, colDue = 2, colNotes = 3 };
    // Notes longer than this show their start and "...".
    static const int kNotesShown = 40;

    void SetDocument(CQuillcrestDoc* pDoc) { m_pDoc = pDoc; }
    CQuillcrestDoc* GetDocument() const { return m_pDoc; }
    void SetReadOnly(BOOL bReadOnly) { m_bReadOnly = bReadOnly; }
    BOOL IsReadOnly() const { return m_bReadOnly; }

    // --- Rows ------------------------------------------------------------------------
    // One row per task of the document; a list never sorted is then sorted
    // by title.
    void RefreshTasks();
    // The row of a task added elsewhere, first, until the next sort.
    void AddTaskItem(DWORD dwTaskId);
    // The row of a task changed elsewhere shows it as it is now.
    void UpdateTaskItem(DWORD dwTaskId);
    // The row showing the task, or -1.
    int FindTaskItem(DWORD dwTaskId) const;
    // Flashes a row nCount times (blocks for about 100 ms a flash).
    void BlinkItem(int nItem, int nCount);

    // --- Sorting -------------------------------------------------------------------------
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bAscending; }
    void SortTasks();
    static int CALLBACK CompareTasksProc(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    // --- Commands ------------------------------------------------------------------------
    void NewTask();
    void EditTask(int nItem);
    // Enables the context menu's items for the selection.
    void PrepareContextMenu(CMenu* pPopup);
    // Shows a popup menu (tests answer it instead).
    static BOOL (*s_pfnTrackPopupMenu)(CMenu* pPopup, UINT nFlags, int x, int y, CWnd* pOwner);

    // --- What a row shows ------------------------------------------------------------------
    static CString FormatPriority(int nPriority);
    // Local time "Tue 08-Dec-26 14:30"; "Unknown" for a time that cannot be shown.
    static CString FormatDue(LONG lDue);
    // The first kNotesShown bytes and "..." when longer, never half a
    // double-byte character of the code page.
    static CString CutNotes(LPCSTR lpszNotes, UINT nCodePage = CP_ACP);
    static COLORREF PriorityColour(int nPriority);

    // --- Handlers ----------------------------------------------------------------------------
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnTaskNew();
    void OnTaskEdit();
    void OnTaskDelete();
    void OnTaskOpenNode();

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // Inserts the task's row at nItem; its index.
    int InsertTaskItem(int nItem, const QLCTASK& task);
    void SetItemFromTask(int nItem, const QLCTASK& task);
    int GetSelectedItem() const { return GetNextItem(-1, LVNI_SELECTED); }
    BOOL GetItemTask(int nItem, QLCTASK& task) const;

    int m_nSortColumn;
    int m_nPrevSortColumn;
    BOOL m_bAscending;
    BOOL m_bReadOnly;
    CQuillcrestDoc* m_pDoc;

    DECLARE_MESSAGE_MAP()
};
