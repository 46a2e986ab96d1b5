#include "framework/ui/AfxHooks.h"

namespace {

IAfxDialogHook* g_pDialogHook = nullptr;
IAfxCommonDialogHook* g_pCommonDialogHook = nullptr;
IAfxClock* g_pClock = nullptr;

} // namespace

IAfxDialogHook* AFXAPI AfxSetDialogHook(IAfxDialogHook* pHook)
{
    IAfxDialogHook* pOld = g_pDialogHook;
    g_pDialogHook = pHook;
    return pOld;
}

IAfxDialogHook* AFXAPI AfxGetDialogHook()
{
    return g_pDialogHook;
}

IAfxCommonDialogHook* AFXAPI AfxSetCommonDialogHook(IAfxCommonDialogHook* pHook)
{
    IAfxCommonDialogHook* pOld = g_pCommonDialogHook;
    g_pCommonDialogHook = pHook;
    return pOld;
}

IAfxCommonDialogHook* AFXAPI AfxGetCommonDialogHook()
{
    return g_pCommonDialogHook;
}

IAfxClock* AFXAPI AfxSetClock(IAfxClock* pClock)
{
    IAfxClock* pOld = g_pClock;
    g_pClock = pClock;
    return pOld;
}

DWORD AFXAPI AfxGetTickCount()
{
    return g_pClock ? g_pClock->GetTickCount() : ::GetTickCount();
}

void AFXAPI AfxSleep(DWORD dwMilliseconds)
{
    if (g_pClock)
        g_pClock->Sleep(dwMilliseconds);
    else
        ::Sleep(dwMilliseconds);
}
