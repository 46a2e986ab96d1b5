#include "framework/base/CUiChannel.h"

#include <atomic>
#include <exception>

namespace {

const UINT WM_CHANNEL_CALL = WM_APP + 1;
const char kClassName[] = "AfxUiChannel";

std::atomic<HWND> g_hWnd(nullptr);
std::atomic<DWORD> g_dwUiThreadId(0);

struct CCall
{
    const std::function<void()>* pfn;
    std::exception_ptr error;
    BOOL bRan;
};

LRESULT CALLBACK ChannelWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
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

DWORD CUiChannel::WaitPumping(HANDLE hObject, DWORD dwMilliseconds)
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
        const DWORD dwWait = ::MsgWaitForMultipleObjects(1, &hObject, FALSE, dwLeft, QS_SENDMESSAGE);
        if (dwWait != WAIT_OBJECT_0 + 1)
            return dwWait;
        // Runs the messages sent to this thread's windows (the channel's
        // among them) and nothing else: posted input stays queued.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
