// Seams for running the user interface without a person: a hook that sees
// every framework dialog when it opens, a hook that answers the common
// dialogs, and a replaceable clock. Message boxes have their own hook
// (framework/base/AfxPrompt.h).
#pragma once

#include "framework/base/AfxDefs.h"

class CWnd;
class CCommonDialog;

class IAfxDialogHook
{
public:
    virtual ~IAfxDialogHook() {}
    // Called once a dialog (or property sheet) has run its OnInitDialog. The
    // hook may fill fields and press buttons (send WM_COMMAND) right here or
    // post messages that the dialog's loop will handle.
    virtual void OnInitDialog(CWnd* pDialog) = 0;
};

class IAfxCommonDialogHook
{
public:
    virtual ~IAfxCommonDialogHook() {}
    // Answers a common dialog instead of showing it: fill the dialog's
    // structure and return IDOK or IDCANCEL.
    virtual INT_PTR OnCommonDialog(CCommonDialog* pDialog) = 0;
};

class IAfxClock
{
public:
    virtual ~IAfxClock() {}
    virtual DWORD GetTickCount() = 0;
    virtual void Sleep(DWORD dwMilliseconds) = 0;
};

// Each setter installs a hook (null removes it) and returns the previous one.
IAfxDialogHook* AFXAPI AfxSetDialogHook(IAfxDialogHook* pHook);
IAfxDialogHook* AFXAPI AfxGetDialogHook();
IAfxCommonDialogHook* AFXAPI AfxSetCommonDialogHook(IAfxCommonDialogHook* pHook);
IAfxCommonDialogHook* AFXAPI AfxGetCommonDialogHook();
IAfxClock* AFXAPI AfxSetClock(IAfxClock* pClock);

// The program's clock: the system's unless a test installed its own.
DWORD AFXAPI AfxGetTickCount();
void AFXAPI AfxSleep(DWORD dwMilliseconds);
