// The program's answers to the notebook core's questions: message boxes
// through the framework, passwords through the password dialog.
#pragma once

#include "core/IQlcPrompts.h"

class CQlcPrompts : public IQlcPrompts
{
public:
    int MessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override;
    int FrameworkMessageBox(LPCSTR lpszText, UINT nType) override;
    // The password dialog in its enter mode.
    BOOL AskPassword(CString& strPassword) override;
    // The library check and the password dialog with the node attached.
    BOOL UnlockNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, CString& strPassword) override;
};
