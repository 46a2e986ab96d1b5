// A thread started by the framework. Worker threads run a function; user-
// interface threads (derived classes) run InitInstance, a message loop and
// ExitInstance. The entry point catches everything: no exception may unwind
// through the system's thread start.
#pragma once

#include "framework/base/CCmdTarget.h"

typedef UINT (__cdecl* AFX_THREADPROC)(LPVOID);

// Raised (not continuable) by a thread's entry when a C++ exception escaped
// the thread and escaped exceptions are fatal: the program's unhandled-
// exception filter then handles it as the crash it is.
#define AFX_EXCEPTION_ESCAPED ((DWORD)0xE0515845)

class CWnd;

class CWinThread : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    int GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
    operator HANDLE() const { return m_hThread; }

    // User-interface threads.
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(LONG lCount);
    // Whether a message starts a new idle pass after it.
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    // Deletes the object when m_bAutoDelete is set (after the thread ends).
    virtual void Delete();

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    CWnd* m_pMainWnd;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

protected:
    MSG m_msgCur;

private:
    static unsigned __stdcall ThreadEntry(void* pParam);
};

// Whether a C++ exception that escapes a thread ends the process through the
// unhandled-exception filter (TRUE) or only ends its thread (the default,
// for programs without a filter). A program turns it on once its filter is
// in place.
void AFXAPI AfxSetEscapedExceptionsFatal(BOOL bFatal);
BOOL AFXAPI AfxGetEscapedExceptionsFatal();

// Starts a worker thread running pfnThreadProc(pParam). The returned object
// deletes itself when the thread ends unless m_bAutoDelete is cleared
// (create suspended to do that safely).
CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                  int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                  DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// Starts a user-interface thread of the given class.
CWinThread* AFXAPI AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL,
                                  UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
