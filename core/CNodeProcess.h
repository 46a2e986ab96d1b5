// A long operation on a notebook (an import or an export) run as a job on a
// worker thread while the modal processing dialog keeps the user out of the
// rest of the program. The worker writes its progress and texts into the
// job's progress object; the interface thread reads them on its timer and
// requests the cancel there, which the worker looks at as often as it likes
// (a flag, no kernel object).
//
// A worker never shows a window: its questions (AskUser, AskNodePassword)
// run on the interface thread through the framework's channel and come back
// with the answer. It never asks while it holds the notebook's lock.
#pragma once

#include "framework/base/CProgressSync.h"
#include "framework/base/CString.h"

#include <atomic>

class CQuillcrestDoc;
class CWinThread;

class CNodeProcess
{
public:
    explicit CNodeProcess(CQuillcrestDoc* pDoc);
    virtual ~CNodeProcess();

    // The job's work, on the worker thread.
    virtual void Run() = 0;

    BOOL IsFinished() const;
    void SetFinished(BOOL bFinished);
    BOOL IsCancelled() const;
    void SetCancel(BOOL bCancel);
    float GetProgress() const;
    void SetProgress(float fProgress);
    CString GetStatusText() const;
    void SetStatusText(LPCSTR lpszText);
    CString GetItemText() const;
    void SetItemText(LPCSTR lpszText);
    // Why the job did not do its work (empty when nothing went wrong that
    // the job itself did not report). Set by the worker before it finishes,
    // read once it has.
    CString GetFailure() const;
    void SetFailure(LPCSTR lpszFailure);
    CQuillcrestDoc* GetDocument() const { return m_pDoc; }
    // Everything the window shows, in one snapshot.
    CProgressSync& GetProgressSync() { return m_sync; }

    // Starts the worker unless the job is finished or running. When no
    // thread can be made the job ends at once: finished, with its failure
    // set. Always TRUE.
    BOOL Start();
    static UINT ThreadProc(LPVOID pParam);

    // --- The worker's questions, answered on the interface thread -------------
    // A message box (IDYES, IDNO, IDABORT ...); the cancel request does not
    // end the wait. IDCANCEL without a question once the job's window has
    // gone (see StopAsking), or when the channel cannot take it.
    int AskUser(LPCSTR lpszText, UINT nStyle, UINT nHelpId = 0);
    // Unlocks an encrypted node (the interface thread checks the encryption
    // library, asks for the password and tells the user when the node cannot
    // be opened). TRUE with the node's password.
    BOOL AskNodePassword(DWORD dwNodeId, CString& strPassword);
    // No more questions: the window that stood for the job has gone.
    void StopAsking() { m_bNoQuestions = TRUE; }

protected:
    // Starts the worker thread (suspended threads are not used); null when
    // it cannot be made.
    virtual CWinThread* BeginThread();
    CQuillcrestDoc* m_pDoc;
    CProgressSync m_sync;            // texts, cancel request, finished flag
    std::atomic<float> m_fProgress;  // 0.0 to 1.0
    std::atomic<BOOL> m_bStarting;
    std::atomic<BOOL> m_bNoQuestions;
    CString m_strFailure;

private:
    CNodeProcess(const CNodeProcess&) = delete;
    CNodeProcess& operator=(const CNodeProcess&) = delete;
};
