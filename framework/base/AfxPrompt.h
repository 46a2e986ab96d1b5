// Every message box of the program goes through AfxShowMessageBox, so tests
// can install a hook that records the box and answers it.
#pragma once

#include "framework/base/AfxDefs.h"

class IAfxPromptHook
{
public:
    virtual ~IAfxPromptHook() {}
    // Returns the button the user "pressed" (IDOK, IDYES, ...).
    virtual int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) = 0;
};

// Installs a hook (null removes it); returns the previous one.
IAfxPromptHook* AFXAPI AfxSetPromptHook(IAfxPromptHook* pHook);
IAfxPromptHook* AFXAPI AfxGetPromptHook();

int AFXAPI AfxShowMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType);

// The framework's message box: owned by the program's main window, with the
// program's title as caption.
int AFXAPI AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

// Caption and owner used by AfxMessageBox; the application object sets them.
void AFXAPI AfxSetMessageBoxCaption(LPCSTR lpszCaption);
LPCSTR AFXAPI AfxGetMessageBoxCaption();
void AFXAPI AfxSetMessageBoxOwnerProvider(HWND (*pfnGetOwner)());
