// Tells the end-to-end scripts where to click: the screen point at the
// middle of a shown top-level window, of one of its controls (at any
// depth), or of one item of a list box control, asked of the windows
// themselves (run in the same wine session as the program).
//
//   qlcwinpos <window caption> [control id [list item]]
//
// Prints "X Y" (screen coordinates, which are those of the wine desktop).
// Exit status 0 when found, 1 when the window, the control or the item is
// not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct CFindControl
{
    int nID;
    HWND hFound;
};

// Controls may lie in child dialogs (a toolbar of buttons): any depth.
BOOL CALLBACK FindControl(HWND hWnd, LPARAM lParam)
{
    CFindControl* pFind = reinterpret_cast<CFindControl*>(lParam);
    if (::GetDlgCtrlID(hWnd) != pFind->nID || !::IsWindowVisible(hWnd))
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4)
    {
        fprintf(stderr, "usage: qlcwinpos <window caption> [control id [list item]]\n");
        return 1;
    }
    HWND hWnd = ::FindWindowA(nullptr, argv[1]);
    if (hWnd == nullptr || !::IsWindowVisible(hWnd))
    {
        fprintf(stderr, "qlcwinpos: no window \"%s\" is shown\n", argv[1]);
        return 1;
    }
    if (argc >= 3)
    {
        CFindControl find = { atoi(argv[2]), nullptr };
        ::EnumChildWindows(hWnd, &FindControl, (LPARAM)&find);
        hWnd = find.hFound;
        if (hWnd == nullptr)
        {
            fprintf(stderr, "qlcwinpos: \"%s\" shows no control %s\n", argv[1], argv[2]);
            return 1;
        }
    }
    RECT rc = {};
    ::GetClientRect(hWnd, &rc);
    if (argc == 4)
    {
        // Items are rows of one height below the top item shown.
        const int nItem = atoi(argv[3]);
        const int nCount = (int)::SendMessageA(hWnd, LB_GETCOUNT, 0, 0);
        const int nTop = (int)::SendMessageA(hWnd, LB_GETTOPINDEX, 0, 0);
        const int nHeight = (int)::SendMessageA(hWnd, LB_GETITEMHEIGHT, 0, 0);
        if (nItem < nTop || nItem >= nCount || nHeight <= 0 || (nItem - nTop + 1) * nHeight > rc.bottom)
        {
            fprintf(stderr, "qlcwinpos: item %d of %d is not shown in the list\n", nItem, nCount);
            return 1;
        }
        rc.top = (nItem - nTop) * nHeight;
        rc.bottom = rc.top + nHeight;
    }
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    ::ClientToScreen(hWnd, &pt);
    printf("%ld %ld\n", (long)pt.x, (long)pt.y);
    return 0;
}
