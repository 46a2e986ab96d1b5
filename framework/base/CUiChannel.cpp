#include "framework/base/CUiChannel.h"

#include <atomic>
#include <exception>

namespace {

const UINT WM_CHANNEL_CALL = WM_APP + 1;
const UINT WM_CHANNEL_TIMED_CALL = WM_APP + 2;
const char kClassName[] = "AfxUiChannel";

std::atomic<HWND> g_hWnd(nullptr);
std::atomic<DWORD> g_dwUiThreadId(0);

struct CCall
{
    const std::function<void()>* pfn;
    std::exception_ptr error;
    BOOL bRan;
};

// A call whose caller may give up. It lives on the heap and is freed by
// whichever side lets go of it last: a sent message that timed out may still
// reach the window later, and must then find the call dropped, not freed.
struct CTimedCall
{
    enum { waiting, running, finished, dropped };
    const std::function<void()>* pfn = nullptr;
    std::exception_ptr error;
    std::atomic<int> state{ waiting };
    std::atomic<int> nRefs{ 2 };
    HANDLE hFinished = nullptr;

    void Release()
    {
        if (--nRefs == 0)
        {
            ::CloseHandle(hFinished);
            delete this;
        }
    }
};

void RunTimedCall(CTimedCall* pCall)
{
    int expected = CTimedCall::waiting;
    if (pCall->state.compare_exchange_strong(expected, CTimedCall::running))
    {
        try
        {
            (*pCall->pfn)();
        }
        catch (...)
        {
            pCall->error = std::current_exception();
        }
        pCall->state = CTimedCall::finished;
        ::SetEvent(pCall->hFinished);
    }
    pCall->Release();
}

LRESULT CALLBACK ChannelWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHANNEL_TIMED_CALL)
    {
        RunTimedCall(reinterpret_cast<CTimedCall*>(lParam));
        return 0;
    }
    if (message != WM_CHANNEL_CALL)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    CCall* pCall = reinterpret_cast<CCall*>(lParam);
    pCall->bRan = TRUE;
    try
    {
        (*pCall->pfn)();
    }
    catch (...)
    {
        // Carried back to the worker: nothing unwinds through user32.
        pCall->error = std::current_exception();
    }
    return 0;
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
    g_dwUiThreadId = ::GetCurrentThreadId();
    g_hWnd = hWnd;
    return TRUE;
}

void CUiChannel::Destroy()
{
    HWND hWnd = g_hWnd.exchange(nullptr);
    g_dwUiThreadId = 0;
    if (hWnd != nullptr)
        ::DestroyWindow(hWnd);
}

BOOL CUiChannel::IsOpen()
{
    return g_hWnd.load() != nullptr;
}

BOOL CUiChannel::IsUiThread()
{
    const DWORD dwUi = g_dwUiThreadId.load();
    return dwUi == 0 || dwUi == ::GetCurrentThreadId();
}

BOOL CUiChannel::Run(const std::function<void()>& fn)
{
    if (IsUiThread())
    {
        fn();
        return TRUE;
    }
    HWND hWnd = g_hWnd.load();
    if (hWnd == nullptr)
        return FALSE;
    CCall call = { &fn, nullptr, FALSE };
    // SendMessage waits until the interface thread has run the call; that
    // thread takes it at its next message retrieval, modal loops included.
    ::SendMessageA(hWnd, WM_CHANNEL_CALL, 0, reinterpret_cast<LPARAM>(&call));
    if (call.error)
        std::rethrow_exception(call.error);
    return call.bRan;
}

BOOL CUiChannel::RunWithin(const std::function<void()>& fn, DWORD dwTimeout)
{
    if (IsUiThread())
    {
        fn();
        return TRUE;
    }
    HWND hWnd = g_hWnd.load();
    if (hWnd == nullptr)
        return FALSE;
    CTimedCall* pCall = new CTimedCall;
    pCall->pfn = &fn;
    pCall->hFinished = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (pCall->hFinished == nullptr)
    {
        delete pCall;
        return FALSE;
    }
    DWORD_PTR dwResult = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_CHANNEL_TIMED_CALL, 0, reinterpret_cast<LPARAM>(pCall), SMTO_NORMAL,
                               dwTimeout, &dwResult))
    {
        // Not taken in time, or the window is gone (then the message never
        // arrives and the call is never freed: a small loss on a path that
        // ends the program).
        int expected = CTimedCall::waiting;
        if (pCall->state.compare_exchange_strong(expected, CTimedCall::dropped))
        {
            pCall->Release();
            return FALSE;
        }
        // Taken meanwhile: it runs to its end.
        ::WaitForSingleObject(pCall->hFinished, INFINITE);
    }
    const BOOL bRan = pCall->state.load() == CTimedCall::finished;
    std::exception_ptr error = pCall->error;
    pCall->Release();
    if (error)
        std::rethrow_exception(error);
    return bRan;
}

DWORD CUiChannel::WaitPumping(HANDLE hObject, DWORD dwMilliseconds)
{
    return WaitPumping(1, &hObject, dwMilliseconds);
}

DWORD CUiChannel::WaitPumping(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds)
{
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
