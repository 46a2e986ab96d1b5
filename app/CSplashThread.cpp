#include "app/CSplashThread.h"

#include "app/CSplashWnd.h"

#include "framework/base/CUiChannel.h"

IMPLEMENT_DYNCREATE(CSplashThread, CWinThread)

CSplashThread::CSplashThread()
    : m_dwCloseDeadline(0), m_pSplashWnd(nullptr), m_dwUiThreadId(::GetCurrentThreadId()),
      m_hStarted(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_hSplash(nullptr)
{
    m_bAutoDelete = FALSE;
}

CSplashThread::~CSplashThread()
{
    // Deleted on the interface thread after the splash thread ended: the
    // window (if it was ever made) is gone and its object detached.
    delete m_pSplashWnd;
}

CSplashWnd* CSplashThread::CreateSplashWnd()
{
    return new CSplashWnd;
}

CSplashWnd* CSplashThread::GetSplashWnd()
{
    if (m_pSplashWnd == nullptr)
        m_pSplashWnd = CreateSplashWnd();
    return m_pSplashWnd;
}

void CSplashThread::SetBitmap(UINT nIDResource)
{
    if (CSplashWnd* pWnd = GetSplashWnd())
        pWnd->SetBitmap(nIDResource);
}

void CSplashThread::SetBitmapFile(LPCSTR lpszFileName)
{
    if (CSplashWnd* pWnd = GetSplashWnd())
        pWnd->SetBitmapFile(lpszFileName);
}

BOOL CSplashThread::InitInstance()
{
    // One input state with the interface thread: focus and activation move
    // between the splash and the program's windows as within one program.
    if (m_dwUiThreadId != m_nThreadID)
        ::AttachThreadInput(m_nThreadID, m_dwUiThreadId, TRUE);
    BOOL bCreated = FALSE;
    try
    {
        CSplashWnd* pWnd = GetSplashWnd();
        if (pWnd != nullptr && pWnd->Create())
        {
            m_pMainWnd = pWnd;
            pWnd->SetCloseDeadline(m_dwCloseDeadline);
            m_hSplash = pWnd->m_hWnd;
            bCreated = TRUE;
            ShowSplash();
        }
    }
    catch (...)
    {
        bCreated = FALSE;
    }
    ::SetEvent(m_hStarted);
    return bCreated;
}

int CSplashThread::ExitInstance()
{
    // A thread told to quit with its window still up takes it along: the
    // windows belong to this thread.
    if (m_pSplashWnd != nullptr && m_pSplashWnd->m_hWnd != nullptr)
        m_pSplashWnd->DestroyWindow();
    m_pMainWnd = nullptr;
    return CWinThread::ExitInstance();
}

void CSplashThread::ShowSplash()
{
    HWND hWnd = m_hSplash.load();
    if (hWnd == nullptr || !::IsWindow(hWnd))
        return;
    ::ShowWindow(hWnd, SW_SHOW);
    ::UpdateWindow(hWnd);
}

void CSplashThread::HideSplash()
{
    if (m_hThread == nullptr)
        return;
    // Whichever comes first: the window exists (or its making failed), or
    // the thread has ended without getting that far.
    const HANDLE handles[2] = { m_hStarted.Get(), m_hThread };
    CUiChannel::WaitPumping(2, handles, INFINITE);
    if (m_pSplashWnd != nullptr)
        m_pSplashWnd->Release();
}

BOOL CSplashThread::WaitForEnd(DWORD dwTimeout)
{
    if (m_hThread == nullptr)
        return TRUE;
    return CUiChannel::WaitPumping(m_hThread, dwTimeout) == WAIT_OBJECT_0;
}
