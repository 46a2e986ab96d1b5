// The test program's application object and helpers shared by the app tests.
#pragma once

#include "app/CMainFrame.h"
#include "app/CQlcApp.h"

#include "WindowTestSupport.h"

#include "core/CQuillcrestDoc.h"

// The one application object of the test program (as quillapp has its own).
CQlcApp& TestApp();

// The settings key of the program, removed with everything under it.
void DeleteProgramKey();
CString SettingsKeyPath();

// A main frame made as start-up makes it (not yet placed or shown).
CMainFrame* MakeMainFrame();
// Destroys the application's main window and drops its quit message.
void DestroyMainFrame();

// A notebook document for the template whose open fails or succeeds as the
// file name says: "cancelled" is a refused password (read result 2), "good"
// opens (an empty notebook), anything else is not a notebook (read result 0).
// A notebook, since the template's child frame shows notebooks only.
class CScriptedDoc : public CQuillcrestDoc
{
    DECLARE_DYNCREATE(CScriptedDoc)
public:
    BOOL OnOpenDocument(LPCSTR lpszPathName) override;
    BOOL SaveModified() override { return s_bAllowClose; }
    static BOOL s_bAllowClose;
};

// Records what the tray would have been told.
struct TrayRecorder
{
    TrayRecorder();
    ~TrayRecorder();
    static BOOL WINAPI Notify(DWORD dwMessage, PNOTIFYICONDATAA pData);
    static int s_nAdds;
    static int s_nDeletes;
    static BOOL s_bIconShown;
    static BOOL s_bAddResult;
    static CString s_strTip;
};
