#include "framework/base/CUiChannel.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <set>

namespace {

const UINT WM_CHANNEL_CALL = WM_APP + 1;
const char kClassName[] = "AfxUiChannel";

std::atomic<HWND> g_hWnd(nullptr);
// The interface thread stays known after its channel closed: it still runs
// its own calls in place, while workers are refused.
std::atomic<DWORD> g_dwUiThreadId(0);
std::atomic<bool> g_bEverOpened(false);
thread_local int t_nNoWaitDepth = 0;

// One call of a worker. It lives on the heap and is freed by whichever side
// lets go of it last: the worker (which may give up waiting) or the window
// (which may take the call late, or never when it goes first).
struct CCall
{
    enum { waiting, running, finished, dropped };
    const std::function<void()>* pfn = nullptr;
    std::exception_ptr error;
    std::atomic<int> state{ waiting };
    std::atomic<int> nRefs{ 2 };
    HANDLE hDone = nullptr; // set once the call has run or was dropped

    void Release()
    {
        if (--nRefs == 0)
        {
            ::CloseHandle(hDone);
            delete this;
        }
    }
};

// Calls sent to the window and not yet taken by it: a window that goes
// never takes them, so closing the channel drops them and releases their
// workers instead.
std::mutex g_pendingMutex;
std::set<CCall*> g_pending;
bool g_bClosed = false; // under g_pendingMutex

void RunCall(CCall* pCall)
{
    {
        // A call no longer pending was dropped by the closing channel.
        std::lock_guard<std::mutex> lock(g_pendingMutex);
        if (g_pending.erase(pCall) == 0)
            return;
    }
    int expected = CCall::waiting;
    if (pCall->state.compare_exchange_strong(expected, CCall::running))
    {
        try
        {
            (*pCall->pfn)();
        }
        catch (...)
        {
            // Carried back to the worker: nothing unwinds through user32.
            pCall->error = std::current_exception();
        }
        pCall->state = CCall::finished;
        ::SetEvent(pCall->hDone);
    }
    pCall->Release();
}

LRESULT CALLBACK ChannelWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CHANNEL_CALL)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    RunCall(reinterpret_cast<CCall*>(lParam));
    return 0;
}

// A worker may not wait for the interface thread while it holds a lock
// that thread may want.
BOOL RefusedForLocks()
{
    if (t_nNoWaitDepth == 0)
        return FALSE;
    TRACE("A worker holding a notebook's lock asked the interface thread; refused.\n");
    ASSERT(!"CUiChannel call under a lock");
    return TRUE;
}

// Hands fn to the interface thread and waits up to dwTimeout ms for it to be
// taken; once taken it runs to its end. TRUE when it ran.
BOOL CallOnUiThread(const std::function<void()>& fn, DWORD dwTimeout)
{
    HWND hWnd = g_hWnd.load();
    if (hWnd == nullptr)
        return FALSE;
    CCall* pCall = new CCall;
    pCall->pfn = &fn;
    pCall->hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (pCall->hDone == nullptr)
    {
        delete pCall;
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(g_pendingMutex);
        if (g_bClosed)
        {
            ::CloseHandle(pCall->hDone);
            delete pCall;
            return FALSE;
        }
        g_pending.insert(pCall);
    }
    // Queued with the messages sent to the thread: it takes the call at its
    // next message retrieval, modal loops and WaitPumping included.
    if (!::SendNotifyMessageA(hWnd, WM_CHANNEL_CALL, 0, reinterpret_cast<LPARAM>(pCall)))
    {
        // The window is gone: the call will never be taken.
        BOOL bOurs = FALSE;
        {
            std::lock_guard<std::mutex> lock(g_pendingMutex);
            bOurs = g_pending.erase(pCall) != 0;
        }
        if (bOurs)
            pCall->Release();
        pCall->Release();
        return FALSE;
    }
    if (::WaitForSingleObject(pCall->hDone, dwTimeout) != WAIT_OBJECT_0)
    {
        int expected = CCall::waiting;
        if (pCall->state.compare_exchange_strong(expected, CCall::dropped))
        {
            pCall->Release();
            return FALSE;
        }
        // Taken meanwhile: it runs to its end.
        ::WaitForSingleObject(pCall->hDone, INFINITE);
    }
    const BOOL bRan = pCall->state.load() == CCall::finished;
    std::exception_ptr error = pCall->error;
    pCall->Release();
    if (error)
        std::rethrow_exception(error);
    return bRan;
}

} // namespace

BOOL CUiChannel::Create()
{
    if (g_hWnd.load() != nullptr)
        return g_dwUiThreadId.load() == ::GetCurrentThreadId();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ChannelWndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return FALSE;
    HWND hWnd = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (hWnd == nullptr)
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(g_pendingMutex);
        g_bClosed = false;
    }
    g_dwUiThreadId = ::GetCurrentThreadId();
    g_bEverOpened = true;
    g_hWnd = hWnd;
    return TRUE;
}

void CUiChannel::Destroy()
{
    HWND hWnd = g_hWnd.exchange(nullptr);
    std::set<CCall*> pending;
    {
        std::lock_guard<std::mutex> lock(g_pendingMutex);
        g_bClosed = true;
        pending.swap(g_pending);
    }
    // Calls the window never took are dropped: their workers go on with
    // "not run", and the window's share of each is let go.
    for (CCall* pCall : pending)
    {
        int expected = CCall::waiting;
        pCall->state.compare_exchange_strong(expected, CCall::dropped);
        ::SetEvent(pCall->hDone);
        pCall->Release();
    }
    if (hWnd != nullptr)
        ::DestroyWindow(hWnd);
}

BOOL CUiChannel::IsOpen()
{
    return g_hWnd.load() != nullptr;
}

BOOL CUiChannel::IsUiThread()
{
    if (!g_bEverOpened.load())
        return TRUE;
    return g_dwUiThreadId.load() == ::GetCurrentThreadId();
}

void CUiChannel::EnterNoWaitRegion()
{
    ++t_nNoWaitDepth;
}

void CUiChannel::LeaveNoWaitRegion()
{
    if (t_nNoWaitDepth > 0)
        --t_nNoWaitDepth;
}

BOOL CUiChannel::InNoWaitRegion()
{
    return t_nNoWaitDepth > 0;
}

BOOL CUiChannel::Run(const std::function<void()>& fn)
{
    if (IsUiThread())
    {
        fn();
        return TRUE;
    }
    if (RefusedForLocks())
        return FALSE;
    return CallOnUiThread(fn, INFINITE);
}

BOOL CUiChannel::RunWithin(const std::function<void()>& fn, DWORD dwTimeout)
{
    if (IsUiThread())
    {
        fn();
        return TRUE;
    }
    if (RefusedForLocks())
        return FALSE;
    return CallOnUiThread(fn, dwTimeout);
}

DWORD CUiChannel::WaitPumping(HANDLE hObject, DWORD dwMilliseconds)
{
    return WaitPumping(1, &hObject, dwMilliseconds);
}

DWORD CUiChannel::WaitPumping(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds)
{
    // Waiting for a worker while holding a lock the worker may need can
    // only end by the time-out.
    if (t_nNoWaitDepth > 0)
        TRACE("WaitPumping called while a notebook's lock is held: a worker needing it cannot finish.\n");
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        DWORD dwLeft = INFINITE;
        if (dwMilliseconds != INFINITE)
        {
            const DWORD dwSpent = ::GetTickCount() - dwStart;
            dwLeft = dwSpent >= dwMilliseconds ? 0 : dwMilliseconds - dwSpent;
        }
        // A call already waiting counts even when an earlier look at the
        // queue has seen it: else the caller would wait for us in vain.
        const DWORD dwWait = ::MsgWaitForMultipleObjectsEx(nCount, pHandles, dwLeft, QS_SENDMESSAGE,
                                                           MWMO_INPUTAVAILABLE);
        if (dwWait != WAIT_OBJECT_0 + nCount)
            return dwWait;
        // Runs the messages sent to this thread's windows (the channel's
        // among them) and nothing else: posted input stays queued.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
