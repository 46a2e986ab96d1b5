// The splash screen's own user-interface thread: it paints the splash while
// the interface thread is busy starting up. Start-up creates it suspended,
// gives it its picture and deadline, resumes it and later releases it; the
// window closes once released and past its deadline, which ends the thread.
//
// The object does not delete itself: the interface thread owns it and
// deletes it only once the thread has ended (WaitForEnd), so HideSplash can
// never meet a freed object, whether or not the window was ever made.
#pragma once

#include "framework/base/CScopedHandle.h"
#include "framework/base/CWinThread.h"

#include <atomic>

class CSplashWnd;

class CSplashThread : public CWinThread
{
    DECLARE_DYNCREATE(CSplashThread)
public:
    CSplashThread();
    ~CSplashThread() override;

    // Before the thread runs: the picture and the close deadline.
    void SetBitmap(UINT nIDResource);
    void SetBitmapFile(LPCSTR lpszFileName);
    void SetCloseDeadline(DWORD dwTick) { m_dwCloseDeadline = dwTick; }

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Shows and updates the window when it exists (either thread).
    void ShowSplash();
    // On the interface thread: waits until the window exists or the thread
    // has ended (answering what the splash thread sends meanwhile), then
    // releases the window.
    void HideSplash();
    // On the interface thread: waits up to dwTimeout ms for the thread to
    // end; TRUE when it has.
    BOOL WaitForEnd(DWORD dwTimeout);

    // The window object (made on first need) and its window, null until the
    // splash thread has made it.
    CSplashWnd* GetSplashWnd();
    HWND GetSplashHwnd() const { return m_hSplash.load(); }

protected:
    // Makes the window object; a derived thread may make another kind.
    virtual CSplashWnd* CreateSplashWnd();

private:
    DWORD m_dwCloseDeadline;
    CSplashWnd* m_pSplashWnd;
    DWORD m_dwUiThreadId;
    // Set once InitInstance is through, window made or not.
    CScopedHandle m_hStarted;
    std::atomic<HWND> m_hSplash;
};
