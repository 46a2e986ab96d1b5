#include "CUserInput.h"

#include "framework/docview/CWinApp.h"

namespace {

BOOL IsExtendedKey(UINT nVirtKey)
{
    switch (nVirtKey)
    {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
        return TRUE;
    default:
        return FALSE;
    }
}

HWND KeyboardTarget()
{
    HWND hWnd = ::GetFocus();
    return hWnd != nullptr ? hWnd : ::GetActiveWindow();
}

} // namespace

void CUserInput::Pump()
{
    CWinThread* pThread = AfxGetThread();
    MSG msg;
    for (int i = 0; i < 2000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++)
    {
        if (msg.message == WM_QUIT)
            continue;
        if (pThread != nullptr && pThread->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // The queue is empty: the loop's idle work (command states, titles).
    for (LONG lCount = 0; pThread != nullptr && lCount < 10 && pThread->OnIdle(lCount); lCount++)
    {
    }
}

void CUserInput::SetModifiers(UINT nModifiers)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    auto hold = [&](int nKey, int nLeft, BOOL bDown) {
        keys[nKey] = bDown ? 0x80 : 0;
        keys[nLeft] = bDown ? 0x80 : 0;
    };
    hold(VK_SHIFT, VK_LSHIFT, (nModifiers & shift) != 0);
    hold(VK_CONTROL, VK_LCONTROL, (nModifiers & ctrl) != 0);
    hold(VK_MENU, VK_LMENU, (nModifiers & alt) != 0);
    ::SetKeyboardState(keys);
}

void CUserInput::PostKey(UINT nMessage, UINT nVirtKey, BOOL bUp, BOOL bAlt)
{
    HWND hWnd = KeyboardTarget();
    if (hWnd == nullptr)
        return;
    LPARAM lParam = 1 | ((LPARAM)::MapVirtualKeyA(nVirtKey, MAPVK_VK_TO_VSC) << 16);
    if (IsExtendedKey(nVirtKey))
        lParam |= 1 << 24;
    if (bAlt)
        lParam |= 1 << 29;
    if (bUp)
        lParam |= (1u << 30) | (1u << 31);
    ::PostMessageA(hWnd, nMessage, nVirtKey, lParam);
    Pump();
}

void CUserInput::Key(UINT nVirtKey, UINT nModifiers)
{
    const BOOL bAlt = (nModifiers & alt) != 0;
    SetModifiers(nModifiers);
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[nVirtKey] = 0x80;
    ::SetKeyboardState(keys);
    PostKey(bAlt ? WM_SYSKEYDOWN : WM_KEYDOWN, nVirtKey, FALSE, bAlt);
    ::GetKeyboardState(keys);
    keys[nVirtKey] = 0;
    ::SetKeyboardState(keys);
    PostKey(bAlt ? WM_SYSKEYUP : WM_KEYUP, nVirtKey, TRUE, bAlt);
    SetModifiers(0);
    Pump();
}

void CUserInput::Type(LPCSTR lpszText)
{
    for (LPCSTR p = lpszText; *p != '\0'; ++p)
    {
        const SHORT nScan = ::VkKeyScanA(*p);
        if (nScan == -1)
            continue;
        Key(LOBYTE(nScan), (HIBYTE(nScan) & 1) ? shift : 0);
    }
}

void CUserInput::Click(HWND hWnd, POINT ptClient, BOOL bDouble)
{
    HWND hTop = ::GetAncestor(hWnd, GA_ROOT);
    const LRESULT nActivate =
        ::SendMessageA(hWnd, WM_MOUSEACTIVATE, (WPARAM)hTop, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    if ((nActivate == MA_ACTIVATE || nActivate == MA_ACTIVATEANDEAT) && ::GetActiveWindow() != hTop)
        ::SetActiveWindow(hTop);
    ::SendMessageA(hWnd, WM_SETCURSOR, (WPARAM)hWnd, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    if (nActivate == MA_ACTIVATEANDEAT || nActivate == MA_NOACTIVATEANDEAT)
        return;
    POINT ptScreen = ptClient;
    ::ClientToScreen(hWnd, &ptScreen);
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    const LPARAM lPoint = MAKELPARAM(ptClient.x, ptClient.y);
    // A control that follows the press in a loop of its own finds the
    // release waiting in the queue.
    ::PostMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
    ::PostMessageA(hWnd, WM_LBUTTONUP, 0, lPoint);
    if (bDouble)
    {
        ::PostMessageA(hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, lPoint);
        ::PostMessageA(hWnd, WM_LBUTTONUP, 0, lPoint);
    }
    Pump();
}
