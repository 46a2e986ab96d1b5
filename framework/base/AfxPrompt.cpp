#include "framework/base/AfxPrompt.h"

#include "framework/base/CString.h"
#include "framework/base/CUiChannel.h"

namespace {

IAfxPromptHook* g_pHook = nullptr;
CString g_strCaption;
HWND (*g_pfnGetOwner)() = nullptr;

} // namespace

IAfxPromptHook* AFXAPI AfxSetPromptHook(IAfxPromptHook* pHook)
{
    IAfxPromptHook* pOld = g_pHook;
    g_pHook = pHook;
    return pOld;
}

IAfxPromptHook* AFXAPI AfxGetPromptHook()
{
    return g_pHook;
}

int AFXAPI AfxShowMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    // A worker's box is shown by the interface thread.
    if (!CUiChannel::IsUiThread())
        return CUiChannel::Call([&]() { return AfxShowMessageBox(hOwner, lpszText, lpszCaption, nType); });
    if (g_pHook != nullptr)
        return g_pHook->OnMessageBox(hOwner, lpszText, lpszCaption, nType);
    return ::MessageBoxA(hOwner, lpszText, lpszCaption, nType);
}

void AFXAPI AfxSetMessageBoxCaption(LPCSTR lpszCaption)
{
    g_strCaption = lpszCaption;
}

LPCSTR AFXAPI AfxGetMessageBoxCaption()
{
    return g_strCaption;
}

void AFXAPI AfxSetMessageBoxOwnerProvider(HWND (*pfnGetOwner)())
{
    g_pfnGetOwner = pfnGetOwner;
}

int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    // The owner is found on the interface thread, where the windows are.
    if (!CUiChannel::IsUiThread())
        return CUiChannel::Call([&]() { return AfxMessageBox(lpszText, nType, nIDHelp); });
    HWND hOwner = g_pfnGetOwner ? g_pfnGetOwner() : GetActiveWindow();
    if (hOwner != nullptr && !IsWindowEnabled(hOwner))
        hOwner = nullptr;

    // A box without an icon gets the one its buttons suggest.
    if ((nType & MB_ICONMASK) == 0)
    {
        switch (nType & MB_TYPEMASK)
        {
        case MB_OK:
        case MB_OKCANCEL: nType |= MB_ICONEXCLAMATION; break;
        case MB_YESNO:
        case MB_YESNOCANCEL: nType |= MB_ICONQUESTION; break;
        default: break;
        }
    }
    LPCSTR lpszCaption = g_strCaption.IsEmpty() ? "Varlo Quillcrest" : (LPCSTR)g_strCaption;
    return AfxShowMessageBox(hOwner, lpszText, lpszCaption, nType);
}

int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strText;
    strText.LoadString(nIDPrompt);
    return AfxMessageBox(strText, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}
