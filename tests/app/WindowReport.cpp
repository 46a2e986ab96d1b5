// Tells what the program's windows show, for the end-to-end scripts: run
// beside the program (same wine prefix and desktop), it prints one line per
// fact of the main window titled "Varlo Quillcrest...":
//
//   title <the main window's title>
//   notebook <normal|minimised|maximised> <active|-> <x> <y> <w> <h> <child title>
//   owned <class name> <x> <y> <w> <h> <front|behind>     (visible windows it owns)
//   helpbar <x> <y> <w> <h>                                (the Help Bar, when shown)
//
//   qlcwinreport <desktop name>
//
// The desktop is the wine virtual desktop the program runs in.
// Exit status 0 when the main window was found, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND g_hMain = nullptr;

BOOL CALLBACK FindMain(HWND hWnd, LPARAM)
{
    char szTitle[256] = "";
    ::GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (::IsWindowVisible(hWnd) && std::strncmp(szTitle, "Varlo Quillcrest", 16) == 0 &&
        ::GetWindow(hWnd, GW_OWNER) == nullptr)
    {
        g_hMain = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Whether the owned window is what shows at its own centre.
const char* FrontOrBehind(HWND hWnd)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    const POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    HWND hSeen = ::WindowFromPoint(pt);
    return hSeen == hWnd || ::IsChild(hWnd, hSeen) ? "front" : "behind";
}

BOOL CALLBACK FindHelpBar(HWND hWnd, LPARAM lParam)
{
    char szText[64] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    if (std::strcmp(szText, "Help Bar") == 0 && ::IsWindowVisible(hWnd))
    {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A floating Help Bar lives in a frame the main window owns.
BOOL CALLBACK FindFloatingHelpBar(HWND hWnd, LPARAM lParam)
{
    if (::GetWindow(hWnd, GW_OWNER) == g_hMain)
        ::EnumChildWindows(hWnd, &FindHelpBar, lParam);
    return *reinterpret_cast<HWND*>(lParam) == nullptr;
}

BOOL CALLBACK ReportOwned(HWND hWnd, LPARAM)
{
    if (::GetWindow(hWnd, GW_OWNER) != g_hMain || !::IsWindowVisible(hWnd))
        return TRUE;
    char szClass[128] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    std::printf("owned %s %ld %ld %ld %ld %s\n", szClass, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                FrontOrBehind(hWnd));
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
    {
        HDESK hDesk = ::OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL);
        if (hDesk == nullptr || !::SetThreadDesktop(hDesk))
        {
            std::printf("no desktop %s\n", argv[1]);
            return 1;
        }
    }
    ::EnumWindows(&FindMain, 0);
    if (g_hMain == nullptr)
    {
        std::printf("no main window\n");
        return 1;
    }
    char szText[512] = "";
    ::GetWindowTextA(g_hMain, szText, sizeof(szText));
    std::printf("title %s\n", szText);

    // The notebook windows under the MDI client.
    HWND hClient = ::FindWindowExA(g_hMain, nullptr, "MDIClient", nullptr);
    HWND hActive = hClient ? (HWND)::SendMessageA(hClient, WM_MDIGETACTIVE, 0, 0) : nullptr;
    for (HWND hChild = hClient ? ::GetWindow(hClient, GW_CHILD) : nullptr; hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (!::IsWindowVisible(hChild) && !::IsIconic(hChild))
            continue;
        szText[0] = '\0';
        ::GetWindowTextA(hChild, szText, sizeof(szText));
        const char* pszState = ::IsIconic(hChild) ? "minimised" : ::IsZoomed(hChild) ? "maximised" : "normal";
        RECT rc;
        ::GetWindowRect(hChild, &rc);
        std::printf("notebook %s %s %ld %ld %ld %ld %s\n", pszState, hChild == hActive ? "active" : "-", rc.left, rc.top,
                    rc.right - rc.left, rc.bottom - rc.top, szText);
    }
    ::EnumWindows(&ReportOwned, 0);
    // The Help Bar, docked in the main window or floating in a frame of its own.
    HWND hHelpBar = nullptr;
    ::EnumChildWindows(g_hMain, &FindHelpBar, (LPARAM)&hHelpBar);
    if (hHelpBar == nullptr)
        ::EnumWindows(&FindFloatingHelpBar, (LPARAM)&hHelpBar);
    if (hHelpBar != nullptr)
    {
        RECT rc;
        ::GetWindowRect(hHelpBar, &rc);
        std::printf("helpbar %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    }
    return 0;
}
