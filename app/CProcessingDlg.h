// The small modal dialog in front of the program while an import or export
// runs on a worker thread: a progress bar, the current step and item, and
// Cancel turned into a cancel request. The worker's questions reach the
// user through the framework's channel while the dialog's modal loop pumps.
// Two modes, both read through one progress object:
// - an attached job (DoModalProcess): the dialog starts the job and polls it
//   every 50 ms until it has finished;
// - its own worker (job code, document, file dialog, tree and target item
//   set, then DoModal): imports foreign data (job 2) or HTML pages (job 1).
//   A worker that does not stop after Cancel can be given up after a
//   countdown; the notebook is then marked possibly damaged, and is never
//   saved over its own file.
// The dialog ends only when its worker has finished (or was terminated).
#pragma once

#include "framework/base/CProgressSync.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CProgressCtrl.h"
#include "framework/ui/CStatic.h"

#include <commctrl.h>

class CFileDialogEx;
class CNodeProcess;
class CQlcTreeCtrl;
class CQuillcrestDoc;
class CWinThread;

class CProcessingDlg : public CDialog
{
    DECLARE_DYNAMIC(CProcessingDlg)
public:
    explicit CProcessingDlg(CWnd* pParent = nullptr);
    // Waits for an own worker that has finished but not yet returned.
    ~CProcessingDlg() override;

    // Job codes of the own worker.
    enum { jobImportHtml = 1, jobImportForeign = 2 };
    enum
    {
        kTimerId = 1,
        kTickMs = 50,          // the poll
        kRetryTickMs = 100,    // the poll after "wait 10 more seconds"
        kGiveUpMs = 10000,     // from Cancel to the terminate question
        kGoneWaitMs = 5000     // for a worker's thread to end
    };

    // Runs the job under the dialog: 1 finished, 2 finished after Cancel
    // (-1 when the dialog could not be made; the job is not started then).
    INT_PTR DoModalProcess(CNodeProcess* pJob);

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnTimer(UINT_PTR nIDEvent);
    void DoDataExchange(CDataExchange* pDX) override;

    // Own worker: starts it unless Cancel came first. Without a worker the
    // dialog ends at its next tick (with the failure told).
    BOOL StartWorker();
    static UINT ProcessingThreadProc(LPVOID pParam);
    // The import of the file dialog's selection as nodes of the type, beside
    // the target item (into the folder of a placeholder), on the worker.
    void DoImportJob(BYTE nNodeType);

    // Inputs and state. The worker side of the own worker's state is its
    // progress object: texts, cancel request and finished flag.
    BOOL m_bAttached;
    CQlcTreeCtrl* m_pTreeCtrl;
    CQuillcrestDoc* m_pDoc;
    BOOL m_bCancel;            // Cancel was pressed (the interface thread's own)
    CFileDialogEx* m_pFileDialog;
    HTREEITEM m_hTargetItem;
    CWinThread* m_pWorker;
    int m_nJobCode;
    CStatic m_wndItem;
    CStatic m_wndStatus;
    CProgressCtrl m_wndProgress;
    CStatic m_wndCancelling;
    CNodeProcess* m_pJob;
    float m_fLastProgress;
    CString m_strLastStatus;
    CString m_strLastItem;
    DWORD m_dwCancelTime;
    UINT_PTR m_nTimer;
    // What the own worker reports: position, total, texts, cancel, finished.
    CProgressSync m_progress;
    CString m_strFailure;      // why the own worker did not run (set before it finishes)
    BOOL m_bTerminated;
    BOOL m_bJobStarted;        // the attached job was handed its worker

protected:
    // Starts the own worker thread; null when it cannot be made.
    virtual CWinThread* BeginWorkerThread();
    // The own worker's work for a job code (on the worker).
    virtual void RunOwnJob(int nJobCode);
    void TickAttached();
    void TickOwnWorker();
    // The progress object of the mode: the attached job's or the own one.
    CProgressSync& Sync();
    // Shows the status and item texts when they changed.
    void ShowTexts(const CString& strStatus, const CString& strItem);
    // Gives up the own worker that does not stop: terminated, and the
    // notebook marked possibly damaged.
    void TerminateWorker();
    // Ends the dialog once its worker is done, telling a failure first.
    void Finish(int nResult, const CString& strFailure);
    // The own worker's thread object goes once its thread has ended.
    void ReleaseWorker();

    DECLARE_MESSAGE_MAP()
};
