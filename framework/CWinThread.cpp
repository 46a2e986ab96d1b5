#include "framework/CWinThread.h"

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread()
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pMainWnd(nullptr),
      m_pfnThreadProc(nullptr), m_pThreadParams(nullptr), m_msgCur()
{
}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) : CWinThread()
{
    m_pfnThreadProc = pfnThreadProc;
    m_pThreadParams = pParam;
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    // Always start suspended so the handle and id are stored before the
    // thread can run (and possibly delete this object).
    unsigned nThreadID = 0;
    HANDLE h = (HANDLE)_beginthreadex(lpSecurityAttrs, nStackSize, &ThreadEntry, this,
                                      CREATE_SUSPENDED, &nThreadID);
    if (h == nullptr)
        return FALSE;
    m_hThread = h;
    m_nThreadID = nThreadID;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(h);
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pParam)
{
    CWinThread* pThread = static_cast<CWinThread*>(pParam);
    unsigned nResult = (unsigned)-1;
    try
    {
        if (pThread->m_pfnThreadProc != nullptr)
        {
            nResult = pThread->m_pfnThreadProc(pThread->m_pThreadParams);
        }
        else if (pThread->InitInstance())
        {
            nResult = (unsigned)pThread->Run();
        }
        else
        {
            nResult = (unsigned)pThread->ExitInstance();
        }
    }
    catch (...)
    {
        OutputDebugStringA("Unhandled exception in a thread; the thread ends.\n");
        nResult = (unsigned)-1;
    }
    try
    {
        pThread->Delete();
    }
    catch (...)
    {
    }
    return nResult;
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return (int)m_msgCur.wParam;
}

BOOL CWinThread::PreTranslateMessage(MSG* /*pMsg*/)
{
    return FALSE;
}

BOOL CWinThread::OnIdle(LONG /*lCount*/)
{
    return FALSE;
}

int CWinThread::Run()
{
    // Idle processing runs until OnIdle has nothing more to do, then the
    // thread waits for the next message.
    LONG lIdleCount = 0;
    BOOL bIdle = TRUE;
    for (;;)
    {
        while (bIdle && !PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do
        {
            const BOOL bRet = GetMessageA(&m_msgCur, nullptr, 0, 0);
            if (bRet == 0 || bRet == -1)
                return ExitInstance();
            if (!PreTranslateMessage(&m_msgCur))
            {
                TranslateMessage(&m_msgCur);
                DispatchMessageA(&m_msgCur);
            }
            bIdle = TRUE;
            lIdleCount = 0;
        } while (PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                                  UINT nStackSize, DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    CWinThread* pThread = new CWinThread(pfnThreadProc, pParam);
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
    {
        delete pThread;
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        pThread->ResumeThread();
    return pThread;
}

CWinThread* AFXAPI AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize,
                                  DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    CWinThread* pThread = static_cast<CWinThread*>(pThreadClass->CreateObject());
    if (pThread == nullptr)
        return nullptr;
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
    {
        delete pThread;
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        pThread->ResumeThread();
    return pThread;
}
