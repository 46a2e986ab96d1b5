// Everything the notebook core asks the user goes through this interface:
// message boxes and password requests. The program installs prompts that show
// its windows; tests install prompts that record and answer.
#pragma once

#include "framework/base/CString.h"

class CQuillcrestDoc;

class IQlcPrompts
{
public:
    virtual ~IQlcPrompts() {}

    // A message box with the given owner, text, caption and style.
    virtual int MessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) = 0;
    // The framework's message box (main window owner, program caption).
    virtual int FrameworkMessageBox(LPCSTR lpszText, UINT nType) = 0;
    // Asks for one password (the password dialog's single-password mode).
    // FALSE when the user cancelled.
    virtual BOOL AskPassword(CString& strPassword) = 0;
    // Unlocks an encrypted node for reading: tells the user when the
    // encryption library cannot handle it, else asks for its password (the
    // dialog checks it) and tells the user when that is cancelled. TRUE with
    // the password. Without the program's dialogs nothing can be unlocked.
    virtual BOOL UnlockNode(CQuillcrestDoc* /*pDoc*/, DWORD /*dwNodeId*/, CString& /*strPassword*/) { return FALSE; }
};

// The installed prompts; by default message boxes are shown through the
// framework and no password can be asked for.
IQlcPrompts& QlcPrompts();
// Installs prompts (null restores the default); returns the previous ones.
IQlcPrompts* QlcSetPrompts(IQlcPrompts* pPrompts);
