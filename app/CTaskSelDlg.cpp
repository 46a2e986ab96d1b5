#include "app/CTaskSelDlg.h"

#include "app/res/TaskSelDlgRes.h"

IMPLEMENT_DYNAMIC(CTaskSelDlg, CDialog)

BEGIN_MESSAGE_MAP(CTaskSelDlg, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_TASK_SELECT_LIST, OnClickList)
END_MESSAGE_MAP()

CTaskSelDlg::CTaskSelDlg(CWnd* pParent) : CDialog(IDD_TASK_SELECT, pParent), m_dwTaskId(kNoTask), m_pDoc(nullptr)
{
    AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
}

BOOL CTaskSelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect rect;
    GetWindowRect(rect);
    SetWindowPos(nullptr, 0, 0, 450, rect.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The task list in place of the template's list, over the whole dialog.
    if (HWND hOld = ::GetDlgItem(m_hWnd, IDC_TASK_SELECT_LIST))
        ::DestroyWindow(hOld);
    CRect rcList;
    GetClientRect(rcList);
    rcList.DeflateRect(4, 4);
    m_wndTasks.SetReadOnly(TRUE);
    m_wndTasks.SetDocument(m_pDoc);
    if (m_wndTasks.CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rcList, this,
                            IDC_TASK_SELECT_LIST))
    {
        m_wndTasks.RefreshTasks();
        m_wndTasks.SetFocus();
        return FALSE; // the focus is set
    }
    return TRUE;
}

void CTaskSelDlg::OnClickList(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    *pResult = 0;
    const int nItem = m_wndTasks.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return;
    m_wndTasks.BlinkItem(nItem, 8);
    m_dwTaskId = (DWORD)m_wndTasks.GetItemData(nItem);
    EndDialog(IDOK);
}
