#include "app/CProcessingDlg.h"

#include "app/res/ProcessingDlgRes.h"
#include "app/res/Resource.h"

#include "core/CNodeProcess.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"
#include "framework/docview/CWinApp.h"
#include "framework/ui/AfxHooks.h"
#include "framework/ui/CDataExchange.h"

#include "core/CQuillcrestDoc.h"

IMPLEMENT_DYNAMIC(CProcessingDlg, CDialog)

BEGIN_MESSAGE_MAP(CProcessingDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CProcessingDlg::CProcessingDlg(CWnd* pParent)
    : CDialog(IDD_PROCESSING, pParent), m_bAttached(FALSE), m_pTreeCtrl(nullptr), m_pDoc(nullptr), m_bCancel(FALSE),
      m_pFileDialog(nullptr), m_hTargetItem(nullptr), m_pWorker(nullptr), m_nJobCode(0), m_pJob(nullptr),
      m_fLastProgress(0.0f), m_dwCancelTime(0), m_nTimer(0), m_bTerminated(FALSE), m_bJobStarted(FALSE)
{
}

CProcessingDlg::~CProcessingDlg()
{
    ReleaseWorker();
}

void CProcessingDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROCESSING_ITEM, m_wndItem);
    DDX_Control(pDX, IDC_PROCESSING_STATUS, m_wndStatus);
    DDX_Control(pDX, IDC_PROCESSING_PROGRESS, m_wndProgress);
    DDX_Control(pDX, IDC_PROCESSING_CANCELLING, m_wndCancelling);
}

CProgressSync& CProcessingDlg::Sync()
{
    return m_bAttached && m_pJob != nullptr ? m_pJob->GetProgressSync() : m_progress;
}

INT_PTR CProcessingDlg::DoModalProcess(CNodeProcess* pJob)
{
    m_bAttached = TRUE;
    m_pJob = pJob;
    m_bJobStarted = FALSE;
    const INT_PTR nResult = DoModal();
    // The job's owner destroys it next: a worker still running (the dialog
    // ended some other way) is stopped and waited for first, and asks
    // nobody any more.
    if (m_bJobStarted && !pJob->IsFinished())
    {
        pJob->StopAsking();
        pJob->SetCancel(TRUE);
        while (!pJob->IsFinished())
            CUiChannel::WaitPumping(::GetCurrentThread(), 10);
    }
    return nResult;
}

BOOL CProcessingDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_nTimer = SetTimer(kTimerId, kTickMs, nullptr);
    m_wndProgress.SetRange32(0, 100);
    if (m_bAttached)
    {
        m_fLastProgress = 0.0f;
        m_pJob->Start();
        m_bJobStarted = TRUE;
    }
    else
    {
        StartWorker();
    }
    return TRUE;
}

void CProcessingDlg::OnCancel()
{
    // A second Esc does not restart the countdown.
    if (m_bCancel)
        return;
    m_bCancel = TRUE;
    m_dwCancelTime = AfxGetTickCount();
    // The one way a cancel reaches either kind of worker.
    Sync().RequestCancel();
    if (CWnd* pButton = GetDlgItem(IDCANCEL))
        pButton->EnableWindow(FALSE);
}

void CProcessingDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTimerId)
    {
        Default();
        return;
    }
    if (m_bAttached)
        TickAttached();
    else
        TickOwnWorker();
}

void CProcessingDlg::ShowTexts(const CString& strStatus, const CString& strItem)
{
    if (!strStatus.IsEmpty() && strStatus != m_strLastStatus)
    {
        m_strLastStatus = strStatus;
        m_wndStatus.SetWindowText(strStatus);
    }
    if (!strItem.IsEmpty() && strItem != m_strLastItem)
    {
        m_strLastItem = strItem;
        m_wndItem.SetWindowText(strItem);
    }
}

void CProcessingDlg::Finish(int nResult, const CString& strFailure)
{
    if (m_nTimer != 0)
        KillTimer(m_nTimer);
    m_nTimer = 0;
    if (!::IsWindow(m_hWnd))
        return;
    if (!strFailure.IsEmpty())
        AfxShowMessageBox(m_hWnd, strFailure, AfxGetAppName(), MB_OK | MB_ICONWARNING);
    if (nResult == IDOK)
    {
        m_wndProgress.SetPos(100);
        m_wndProgress.UpdateWindow();
    }
    EndDialog(nResult);
}

// ---------------------------------------------------------------------------
// Attached job

void CProcessingDlg::TickAttached()
{
    const float fProgress = m_pJob->GetProgress();
    if (fProgress != m_fLastProgress)
    {
        m_fLastProgress = fProgress;
        m_wndProgress.SetPos((int)(fProgress * 100));
    }
    const CProgressSync::CState state = Sync().GetState();
    ShowTexts(state.strStatus, state.strItem);

    if (state.bFinished)
    {
        Finish(m_bCancel ? IDCANCEL : IDOK, m_pJob->GetFailure());
        return;
    }
    if (m_bCancel)
    {
        // The job decides when to stop; it is told on every tick.
        m_pJob->SetCancel(TRUE);
        m_wndCancelling.SetWindowText(AfxLoadText(IDS_PROCESSING_CANCELLING));
    }
}

// ---------------------------------------------------------------------------
// Own worker

CWinThread* CProcessingDlg::BeginWorkerThread()
{
    // The dialog keeps the thread object until the thread has ended (or was
    // terminated): it waits on its handle before it goes.
    CWinThread* pThread = AfxBeginThread(&CProcessingDlg::ProcessingThreadProc, this, THREAD_PRIORITY_NORMAL, 0,
                                         CREATE_SUSPENDED, nullptr);
    if (pThread == nullptr)
        return nullptr;
    pThread->m_bAutoDelete = FALSE;
    pThread->ResumeThread();
    return pThread;
}

BOOL CProcessingDlg::StartWorker()
{
    if (!m_bCancel)
        m_pWorker = BeginWorkerThread();
    if (m_pWorker == nullptr)
    {
        // Nothing runs: the dialog ends at its next tick.
        if (!m_bCancel)
            m_strFailure = AfxLoadText(IDS_QLC_JOB_NOT_STARTED);
        m_progress.SetFinished();
    }
    return m_pWorker != nullptr;
}

UINT CProcessingDlg::ProcessingThreadProc(LPVOID pParam)
{
    CProcessingDlg* pDlg = static_cast<CProcessingDlg*>(pParam);
    try
    {
        pDlg->RunOwnJob(pDlg->m_nJobCode);
    }
    catch (...)
    {
        pDlg->m_strFailure = AfxLoadText(IDS_QLC_JOB_FAILED);
    }
    pDlg->m_progress.SetFinished();
    return 0;
}

void CProcessingDlg::RunOwnJob(int nJobCode)
{
    switch (nJobCode)
    {
    case jobImportHtml: DoImportJob(QLC_NODE_HTML); break;
    case jobImportForeign: DoImportJob(QLC_NODE_FOREIGN); break;
    default: break;
    }
}

void CProcessingDlg::TickOwnWorker()
{
    const CProgressSync::CState state = m_progress.GetState();
    m_wndProgress.SetPos(state.GetPercent());
    ShowTexts(state.strStatus, state.strItem);

    if (state.bFinished)
    {
        Finish(m_bCancel ? IDCANCEL : IDOK, m_strFailure);
        return;
    }
    if (!m_bCancel)
        return;

    const DWORD dwWaited = AfxGetTickCount() - m_dwCancelTime;
    if (dwWaited < (DWORD)kGiveUpMs)
    {
        CString strText;
        strText.Format(AfxLoadText(IDS_PROCESSING_COUNTDOWN), (int)((kGiveUpMs - dwWaited) / 1000));
        m_wndCancelling.SetWindowText(strText);
        return;
    }

    KillTimer(m_nTimer);
    m_nTimer = 0;
    const int nAnswer = AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_PROCESSING_NOT_RESPONDING),
                                          AfxLoadText(IDS_PROCESSING_IMPORT_CAPTION), MB_YESNO | MB_ICONEXCLAMATION);
    if (nAnswer != IDYES)
    {
        m_dwCancelTime = AfxGetTickCount();
        m_nTimer = SetTimer(kTimerId, kRetryTickMs, nullptr);
        return;
    }
    // A worker that has finished meanwhile (or never ran) is not touched.
    if (!m_progress.IsFinished() && m_pWorker != nullptr)
        TerminateWorker();
    if (m_bTerminated && ::IsWindow(m_hWnd))
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_PROCESSING_TERMINATED), AfxGetAppName(), MB_OK | MB_ICONWARNING);
    if (::IsWindow(m_hWnd))
        EndDialog(IDCANCEL);
}

void CProcessingDlg::TerminateWorker()
{
    const DWORD dwThreadId = m_pWorker->m_nThreadID;
    ::TerminateThread(m_pWorker->m_hThread, (DWORD)-1);
    m_bTerminated = TRUE;
    // Termination completes on its own time: only a thread known to be gone
    // can have its hold on the notebook taken back.
    const BOOL bGone = ::WaitForSingleObject(m_pWorker->m_hThread, kGoneWaitMs) == WAIT_OBJECT_0;
    if (m_pDoc != nullptr)
    {
        if (bGone)
            m_pDoc->Data_RecoverFromTerminatedThread(dwThreadId);
        else
            m_pDoc->SetPossiblyDamaged();
    }
    m_progress.SetFinished();
}

void CProcessingDlg::ReleaseWorker()
{
    if (m_pWorker == nullptr)
        return;
    // A finished worker may still be leaving its thread procedure; a
    // terminated one has ended. The wait answers the channel meanwhile, and
    // a thread that does not end keeps its object rather than losing it
    // under its feet.
    if (CUiChannel::WaitPumping(m_pWorker->m_hThread, kGoneWaitMs) != WAIT_OBJECT_0)
    {
        TRACE("The import worker did not end; its thread object is left.\n");
        m_pWorker = nullptr;
        return;
    }
    delete m_pWorker;
    m_pWorker = nullptr;
}
