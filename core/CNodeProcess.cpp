#include "core/CNodeProcess.h"

#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"
#include "framework/docview/CWinApp.h"

CNodeProcess::CNodeProcess(CQuillcrestDoc* pDoc)
    : m_pDoc(pDoc), m_fProgress(0.0f), m_bStarting(FALSE), m_bNoQuestions(FALSE)
{
}

CNodeProcess::~CNodeProcess()
{
}

// --- State shared with the interface thread ----------------------------------------

BOOL CNodeProcess::IsFinished() const
{
    return m_sync.IsFinished();
}

void CNodeProcess::SetFinished(BOOL bFinished)
{
    if (bFinished)
        m_sync.SetFinished();
}

BOOL CNodeProcess::IsCancelled() const
{
    return m_sync.IsCancelRequested();
}

void CNodeProcess::SetCancel(BOOL bCancel)
{
    m_sync.RequestCancel(bCancel);
}

float CNodeProcess::GetProgress() const
{
    return m_fProgress.load();
}

void CNodeProcess::SetProgress(float fProgress)
{
    m_fProgress = fProgress;
}

CString CNodeProcess::GetStatusText() const
{
    return m_sync.GetState().strStatus;
}

void CNodeProcess::SetStatusText(LPCSTR lpszText)
{
    m_sync.SetStatus(lpszText);
}

CString CNodeProcess::GetItemText() const
{
    return m_sync.GetState().strItem;
}

void CNodeProcess::SetItemText(LPCSTR lpszText)
{
    m_sync.SetItem(lpszText);
}

CString CNodeProcess::GetFailure() const
{
    return m_strFailure;
}

void CNodeProcess::SetFailure(LPCSTR lpszFailure)
{
    m_strFailure = lpszFailure;
}

// --- The worker -----------------------------------------------------------------------

CWinThread* CNodeProcess::BeginThread()
{
    return AfxBeginThread(&CNodeProcess::ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
}

BOOL CNodeProcess::Start()
{
    BOOL bExpected = FALSE;
    if (IsFinished() || !m_bStarting.compare_exchange_strong(bExpected, TRUE))
        return TRUE;
    m_sync.RequestCancel(FALSE);
    if (BeginThread() == nullptr)
    {
        // Nothing will run: the job ends now so that whoever waits for it
        // is released.
        m_strFailure = AfxLoadText(IDS_QLC_JOB_NOT_STARTED);
        m_sync.SetFinished();
    }
    return TRUE;
}

UINT CNodeProcess::ThreadProc(LPVOID pParam)
{
    CNodeProcess* pJob = static_cast<CNodeProcess*>(pParam);
    try
    {
        pJob->Run();
    }
    catch (...)
    {
        // The job still ends: its dialog waits for the finished flag.
        pJob->SetFailure(AfxLoadText(IDS_QLC_JOB_FAILED));
    }
    // The job may be destroyed as soon as it is seen finished.
    pJob->SetFinished(TRUE);
    return 0;
}

int CNodeProcess::AskUser(LPCSTR lpszText, UINT nStyle, UINT /*nHelpId*/)
{
    if (m_bNoQuestions)
        return IDCANCEL;
    const CString strText = lpszText != nullptr ? lpszText : "";
    int nAnswer = IDCANCEL;
    // Owned by the window in front (the processing dialog), on its thread.
    if (!CUiChannel::Run([&]() { nAnswer = QlcPrompts().MessageBox(::GetActiveWindow(), strText, AfxGetAppName(), nStyle); }))
        return IDCANCEL;
    return nAnswer;
}

BOOL CNodeProcess::AskNodePassword(DWORD dwNodeId, CString& strPassword)
{
    if (m_bNoQuestions)
        return FALSE;
    CString strGiven;
    BOOL bUnlocked = FALSE;
    if (!CUiChannel::Run([&]() { bUnlocked = QlcPrompts().UnlockNode(m_pDoc, dwNodeId, strGiven); }))
        bUnlocked = FALSE;
    if (bUnlocked)
        strPassword = strGiven;
    AfxSecureWipe(strGiven);
    return bUnlocked;
}
