#include "app/CProcessingDlg.h"

#include "app/res/ProcessingDlgRes.h"
#include "app/res/Resource.h"

#include "core/CNodeProcess.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/AfxSecure.h"
#include "framework/base/CSingleLock.h"
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
      m_mutex(FALSE), m_pFileDialog(nullptr), m_hTargetItem(nullptr), m_bFinished(FALSE), m_bShowingQuestion(FALSE),
      m_pWorker(nullptr), m_nJobCode(0), m_pJob(nullptr), m_fLastProgress(0.0f), m_dwCancelTime(0), m_nTimer(0),
      m_bTerminated(FALSE), m_bJobStarted(FALSE)
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

INT_PTR CProcessingDlg::DoModalProcess(CNodeProcess* pJob)
{
    m_bAttached = TRUE;
    m_pJob = pJob;
    m_bJobStarted = FALSE;
    const INT_PTR nResult = DoModal();
    // The job's owner destroys it next: a worker still running (the dialog
    // ended some other way) is stopped and waited for first.
    while (m_bJobStarted && !pJob->IsFinished())
    {
        pJob->SetCancel(TRUE);
        if (pJob->IsRequestPending())
            pJob->AnswerRequest(IDCANCEL);
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
    {
        CSingleLock lock(&m_mutex, TRUE);
        // A second Esc does not restart the countdown.
        if (m_bCancel)
            return;
        m_bCancel = TRUE;
        m_dwCancelTime = AfxGetTickCount();
    }
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

void CProcessingDlg::AnswerJobRequest()
{
    m_bShowingQuestion = TRUE;
    if (m_pJob->GetRequestKind() == CNodeProcess::requestPassword)
    {
        CString strPassword;
        const BOOL bUnlocked = QlcPrompts().UnlockNode(m_pJob->GetDocument(), m_pJob->GetRequestNodeId(), strPassword);
        m_pJob->AnswerPasswordRequest(bUnlocked ? IDOK : IDCANCEL, strPassword);
        AfxSecureWipe(strPassword);
    }
    else
    {
        CString strText;
        UINT nStyle = 0, nHelpId = 0;
        m_pJob->GetRequest(strText, nStyle, nHelpId);
        m_pJob->AnswerRequest(AfxShowMessageBox(m_hWnd, strText, AfxGetAppName(), nStyle));
    }
    m_bShowingQuestion = FALSE;
}

void CProcessingDlg::TickAttached()
{
    const float fProgress = m_pJob->GetProgress();
    if (fProgress != m_fLastProgress)
    {
        m_fLastProgress = fProgress;
        m_wndProgress.SetPos((int)(fProgress * 100));
    }
    ShowTexts(m_pJob->GetStatusText(), m_pJob->GetItemText());

    // Later ticks come while the question is on screen; they leave it be.
    if (!m_bShowingQuestion && m_pJob->IsRequestPending())
        AnswerJobRequest();

    if (m_pJob->IsFinished())
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
    CSingleLock lock(&m_mutex, TRUE);
    if (!m_bCancel)
        m_pWorker = BeginWorkerThread();
    if (m_pWorker == nullptr)
    {
        // Nothing runs: the dialog ends at its next tick.
        m_bFinished = TRUE;
        if (!m_bCancel)
            m_strFailure = AfxLoadText(IDS_QLC_JOB_NOT_STARTED);
    }
    return m_pWorker != nullptr;
}

UINT CProcessingDlg::ProcessingThreadProc(LPVOID pParam)
{
    CProcessingDlg* pDlg = static_cast<CProcessingDlg*>(pParam);
    int nJobCode = 0;
    {
        CSingleLock lock(&pDlg->m_mutex, TRUE);
        nJobCode = pDlg->m_nJobCode;
    }
    CString strFailure;
    try
    {
        pDlg->RunOwnJob(nJobCode);
    }
    catch (...)
    {
        strFailure = AfxLoadText(IDS_QLC_JOB_FAILED);
    }
    CSingleLock lock(&pDlg->m_mutex, TRUE);
    if (!strFailure.IsEmpty())
        pDlg->m_strFailure = strFailure;
    pDlg->m_bFinished = TRUE;
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
    CSingleLock lock(&m_mutex);
    if (!lock.Lock(100))
        return;
    const CProgressSync::CState state = m_progress.GetState();
    m_wndProgress.SetPos(state.GetPercent());
    ShowTexts(state.strStatus, m_strWorkerItem);

    if (m_bFinished)
    {
        const CString strFailure = m_strFailure;
        const int nResult = m_bCancel ? IDCANCEL : IDOK;
        lock.Unlock();
        Finish(nResult, strFailure);
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

    // The question is asked with the lock held: the worker waits at its
    // next cancel check until the user has answered.
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
    if (!m_bFinished && m_pWorker != nullptr)
    {
        ::TerminateThread(m_pWorker->m_hThread, (DWORD)-1);
        m_bTerminated = TRUE;
        m_bFinished = TRUE;
        if (m_pDoc != nullptr)
            m_pDoc->SetPossiblyDamaged();
    }
    const BOOL bTerminated = m_bTerminated;
    lock.Unlock();
    if (bTerminated && ::IsWindow(m_hWnd))
        AfxShowMessageBox(m_hWnd, AfxLoadText(IDS_PROCESSING_TERMINATED), AfxGetAppName(), MB_OK | MB_ICONWARNING);
    if (::IsWindow(m_hWnd))
        EndDialog(IDCANCEL);
}

void CProcessingDlg::ReleaseWorker()
{
    if (m_pWorker == nullptr)
        return;
    // A finished worker may still be leaving its thread procedure (and this
    // dialog's lock); a terminated one has ended.
    ::WaitForSingleObject(m_pWorker->m_hThread, INFINITE);
    delete m_pWorker;
    m_pWorker = nullptr;
}
