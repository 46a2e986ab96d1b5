// A long operation on a notebook (an import or an export) run as a job on a
// worker thread while the modal processing dialog keeps the user out of the
// rest of the program. The worker writes its progress and texts; the
// interface thread reads them on its timer, sets the cancel request and
// answers the worker's questions. Every member is guarded by the job's
// mutex, which is never held across anything else (no window call, no
// other lock).
//
// A worker never shows a window: it asks through AskUser (a message box)
// or AskNodePassword (unlocking an encrypted node), which block until the
// interface thread has answered with AnswerRequest.
#pragma once

#include "framework/base/CEvent.h"
#include "framework/base/CMutex.h"
#include "framework/base/CString.h"

class CQuillcrestDoc;
class CWinThread;

class CNodeProcess
{
public:
    explicit CNodeProcess(CQuillcrestDoc* pDoc);
    virtual ~CNodeProcess();

    // The job's work, on the worker thread.
    virtual void Run() = 0;

    // Kinds of question a worker asks.
    enum { requestMessage = 0, requestPassword = 1 };

    BOOL IsFinished();
    void SetFinished(BOOL bFinished);
    BOOL IsCancelled();
    void SetCancel(BOOL bCancel);
    BOOL IsRequestPending();
    void SetRequestPending(BOOL bPending);
    int GetRequestResult();
    // Clears the pending flag and stores the answer in one step.
    void AnswerRequest(int nResult);
    // The answer to a password request: IDOK with the password, or IDCANCEL.
    void AnswerPasswordRequest(int nResult, LPCSTR lpszPassword);
    float GetProgress();
    void SetProgress(float fProgress);
    CString GetStatusText();
    void SetStatusText(LPCSTR lpszText);
    CString GetItemText();
    void SetItemText(LPCSTR lpszText);
    // The pending question: text, message-box style and help id (a
    // message), or the node to unlock (a password request).
    void GetRequest(CString& strText, UINT& nStyle, UINT& nHelpId);
    int GetRequestKind();
    DWORD GetRequestNodeId();
    // Why the job did not do its work (empty when nothing went wrong that
    // the job itself did not report).
    CString GetFailure();
    void SetFailure(LPCSTR lpszFailure);
    CQuillcrestDoc* GetDocument() const { return m_pDoc; }

    // Starts the worker unless the job is finished or running. When no
    // thread can be made the job ends at once: finished, with its failure
    // set. Always TRUE.
    BOOL Start();
    static UINT ThreadProc(LPVOID pParam);

    // --- The worker's questions ---------------------------------------------------
    // Waits until the interface thread answered; returns the answer (IDYES,
    // IDNO, IDABORT ...). The cancel request does not end the wait.
    int AskUser(LPCSTR lpszText, UINT nStyle, UINT nHelpId = 0);
    // Asks the interface thread to unlock an encrypted node (it checks the
    // encryption library, asks for the password and tells the user when the
    // node cannot be opened). TRUE with the node's password.
    BOOL AskNodePassword(DWORD dwNodeId, CString& strPassword);

protected:
    // Starts the worker thread (suspended threads are not used); null when
    // it cannot be made.
    virtual CWinThread* BeginThread();
    // Stores a question and waits for its answer.
    int WaitForAnswer(int nKind, LPCSTR lpszText, UINT nStyle, UINT nHelpId, DWORD dwNodeId);
    // One wait of WaitForAnswer between two looks at the pending flag.
    virtual void WaitForAnswerEvent();

    CString m_strRequestText;
    UINT m_nRequestStyle;
    UINT m_nRequestHelpId;
    CQuillcrestDoc* m_pDoc;
    CMutex m_mutex;
    BOOL m_bFinished;
    BOOL m_bCancel;
    BOOL m_bRequestPending;
    int m_nRequestResult;
    float m_fProgress;
    CString m_strStatusText;
    CString m_strItemText;
    CWinThread* m_pThread;

    int m_nRequestKind;
    DWORD m_dwRequestNodeId;
    CString m_strRequestPassword;   // the answer to a password request
    CString m_strFailure;
    CEvent m_answered;              // set with each answer

private:
    CNodeProcess(const CNodeProcess&) = delete;
    CNodeProcess& operator=(const CNodeProcess&) = delete;
};
