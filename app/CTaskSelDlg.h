// Picks one of a notebook's tasks (to link a node to): a read-only task
// list; a click on a row flashes it and ends the dialog with its task.
#pragma once

#include "app/CTaskCtrl.h"

#include "framework/ui/CDialog.h"

class CQuillcrestDoc;

class CTaskSelDlg : public CDialog
{
    DECLARE_DYNAMIC(CTaskSelDlg)
public:
    explicit CTaskSelDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnClickList(NMHDR* pNMHDR, LRESULT* pResult);

    static const DWORD kNoTask = (DWORD)-1;

    DWORD m_dwTaskId;           // the chosen task after OK
    CQuillcrestDoc* m_pDoc;     // set by the caller
    CTaskCtrl m_wndTasks;

protected:
    DECLARE_MESSAGE_MAP()
};
