#include "core/CNodeProcess.h"

#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"
#include "framework/base/CSingleLock.h"
#include "framework/base/CWinThread.h"

CNodeProcess::CNodeProcess(CQuillcrestDoc* pDoc)
    : m_nRequestStyle(0), m_nRequestHelpId(0), m_pDoc(pDoc), m_mutex(FALSE), m_bFinished(FALSE), m_bCancel(FALSE),
      m_bRequestPending(FALSE), m_nRequestResult(0), m_fProgress(0.0f), m_pThread(nullptr),
      m_nRequestKind(requestMessage), m_dwRequestNodeId(0)
{
}

CNodeProcess::~CNodeProcess()
{
    AfxSecureWipe(m_strRequestPassword);
}

// --- State shared with the interface thread ----------------------------------------

BOOL CNodeProcess::IsFinished()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_bFinished;
}

void CNodeProcess::SetFinished(BOOL bFinished)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_bFinished = bFinished;
}

BOOL CNodeProcess::IsCancelled()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_bCancel;
}

void CNodeProcess::SetCancel(BOOL bCancel)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_bCancel = bCancel;
}

BOOL CNodeProcess::IsRequestPending()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_bRequestPending;
}

void CNodeProcess::SetRequestPending(BOOL bPending)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_bRequestPending = bPending;
}

int CNodeProcess::GetRequestResult()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_nRequestResult;
}

void CNodeProcess::AnswerRequest(int nResult)
{
    AnswerPasswordRequest(nResult, nullptr);
}

void CNodeProcess::AnswerPasswordRequest(int nResult, LPCSTR lpszPassword)
{
    CSingleLock lock(&m_mutex, TRUE);
    AfxSecureWipe(m_strRequestPassword);
    if (lpszPassword != nullptr)
        m_strRequestPassword = lpszPassword;
    m_nRequestResult = nResult;
    m_bRequestPending = FALSE;
    m_answered.SetEvent();
}

float CNodeProcess::GetProgress()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_fProgress;
}

void CNodeProcess::SetProgress(float fProgress)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_fProgress = fProgress;
}

CString CNodeProcess::GetStatusText()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_strStatusText;
}

void CNodeProcess::SetStatusText(LPCSTR lpszText)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_strStatusText = lpszText;
}

CString CNodeProcess::GetItemText()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_strItemText;
}

void CNodeProcess::SetItemText(LPCSTR lpszText)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_strItemText = lpszText;
}

void CNodeProcess::GetRequest(CString& strText, UINT& nStyle, UINT& nHelpId)
{
    CSingleLock lock(&m_mutex, TRUE);
    strText = m_strRequestText;
    nStyle = m_nRequestStyle;
    nHelpId = m_nRequestHelpId;
}

int CNodeProcess::GetRequestKind()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_nRequestKind;
}

DWORD CNodeProcess::GetRequestNodeId()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_dwRequestNodeId;
}

CString CNodeProcess::GetFailure()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_strFailure;
}

void CNodeProcess::SetFailure(LPCSTR lpszFailure)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_strFailure = lpszFailure;
}

// --- The worker -----------------------------------------------------------------------

CWinThread* CNodeProcess::BeginThread()
{
    return AfxBeginThread(&CNodeProcess::ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
}

BOOL CNodeProcess::Start()
{
    CSingleLock lock(&m_mutex, TRUE);
    if (m_bFinished || m_pThread != nullptr)
        return TRUE;
    m_bCancel = FALSE;
    // The worker forgets the thread under this lock, so it cannot do so
    // before the thread is known here.
    m_pThread = BeginThread();
    if (m_pThread == nullptr)
    {
        // Nothing will run: the job ends now so that whoever waits for it
        // is released.
        m_strFailure = AfxLoadText(IDS_QLC_JOB_NOT_STARTED);
        m_bFinished = TRUE;
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
    {
        CSingleLock lock(&pJob->m_mutex, TRUE);
        pJob->m_pThread = nullptr;
    }
    pJob->SetFinished(TRUE);
    return 0;
}

int CNodeProcess::WaitForAnswer(int nKind, LPCSTR lpszText, UINT nStyle, UINT nHelpId, DWORD dwNodeId)
{
    {
        CSingleLock lock(&m_mutex, TRUE);
        m_nRequestKind = nKind;
        m_strRequestText = lpszText != nullptr ? lpszText : "";
        m_nRequestStyle = nStyle;
        m_nRequestHelpId = nHelpId;
        m_dwRequestNodeId = dwNodeId;
        m_answered.ResetEvent();
        m_bRequestPending = TRUE;
    }
    for (;;)
    {
        {
            CSingleLock lock(&m_mutex, TRUE);
            if (!m_bRequestPending)
                return m_nRequestResult;
        }
        // However long the user takes; the event only shortens the wait.
        WaitForAnswerEvent();
    }
}

void CNodeProcess::WaitForAnswerEvent()
{
    ::WaitForSingleObject(m_answered, 100);
}

int CNodeProcess::AskUser(LPCSTR lpszText, UINT nStyle, UINT nHelpId)
{
    return WaitForAnswer(requestMessage, lpszText, nStyle, nHelpId, 0);
}

BOOL CNodeProcess::AskNodePassword(DWORD dwNodeId, CString& strPassword)
{
    const int nResult = WaitForAnswer(requestPassword, "", 0, 0, dwNodeId);
    CSingleLock lock(&m_mutex, TRUE);
    if (nResult == IDOK)
        strPassword = m_strRequestPassword;
    AfxSecureWipe(m_strRequestPassword);
    return nResult == IDOK;
}
