#include "framework/base/CWinThread.h"

#include "framework/ui/AfxState.h"
#include "framework/ui/CWnd.h"

#include <process.h>

#include <atomic>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {

std::atomic<BOOL> g_bEscapedExceptionsFatal(FALSE);

} // namespace

void AFXAPI AfxSetEscapedExceptionsFatal(BOOL bFatal)
{
    g_bEscapedExceptionsFatal = bFatal;
}

BOOL AFXAPI AfxGetEscapedExceptionsFatal()
{
    return g_bEscapedExceptionsFatal.load();
}

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
    BOOL bEscaped = FALSE;
    AfxGetThreadState()->m_pCurrentWinThread = pThread;
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
        bEscaped = TRUE;
    }
    // Raised outside the handler, once the C++ exception is gone: nothing of
    // it unwinds through the system's thread start.
    if (bEscaped && g_bEscapedExceptionsFatal.load())
        ::RaiseException(AFX_EXCEPTION_ESCAPED, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    try
    {
        pThread->Delete();
    }
    catch (...)
    {
    }
    AfxTermThreadState();
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

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    // From the message's window up to the main window, each may take it
    // (accelerators, dialog navigation).
    CWnd* pMainWnd = GetMainWnd();
    if (pMsg->hwnd != nullptr && CWnd::WalkPreTranslateTree(pMainWnd ? pMainWnd->m_hWnd : nullptr, pMsg))
        return TRUE;
    // A modeless window of its own still gets the main window's accelerators.
    if (pMainWnd != nullptr && pMsg->hwnd != nullptr && pMainWnd->m_hWnd != nullptr)
    {
        HWND hTop = pMsg->hwnd;
        while (hTop != nullptr && (::GetWindowLongA(hTop, GWL_STYLE) & WS_CHILD))
            hTop = ::GetParent(hTop);
        if (hTop != pMainWnd->m_hWnd)
            return pMainWnd->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    if (lCount == 0)
        AfxDeleteTempMaps();
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Messages that come by themselves do not start another idle pass.
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE)
    {
        if (pState->m_ptCursorLast.x == pMsg->pt.x && pState->m_ptCursorLast.y == pMsg->pt.y &&
            pMsg->message == (UINT)pState->m_nMsgLast)
            return FALSE;
        pState->m_ptCursorLast = pMsg->pt;
        pState->m_nMsgLast = (int)pMsg->message;
        return TRUE;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /* caret blink */ && pMsg->message != WM_TIMER;
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
            if (IsIdleMessage(&m_msgCur))
            {
                bIdle = TRUE;
                lIdleCount = 0;
            }
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
