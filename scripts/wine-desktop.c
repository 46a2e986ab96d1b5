/* Holds wine's desktop for a whole test run.

   The first program of a prefix that touches a window starts wine's desktop
   process, which inherits that program's output streams and lives until the
   last program with a window ends. Started by a test, it would keep the
   test's output pipe open and CTest would count the test as running until
   every other windowed test had ended. Started from here, with no streams,
   it is nobody's; and this program staying on the desktop keeps it from
   closing between tests. wine-exec.sh --stop ends it with the server.

   The one argument names a file made once the desktop is up. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPSTR lpCmdLine, int nShow)
{
    (void)hPrev;
    (void)nShow;
    GetDesktopWindow();
    if (!CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, hInstance, NULL))
        return 1;
    if (*lpCmdLine)
    {
        HANDLE hReady = CreateFileA(lpCmdLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (hReady != INVALID_HANDLE_VALUE)
            CloseHandle(hReady);
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
