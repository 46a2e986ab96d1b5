// The test program's application object and helpers shared by the app tests.
#pragma once

#include "app/CMainFrame.h"
#include "app/CQlcApp.h"

#include "WindowTestSupport.h"

#include "core/CQuillcrestDoc.h"

#include <atomic>
#include <string>

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

// A clock for start-ups with a splash: the splash thread reads it while the
// test moves it. Sleeps do not wait; a hurried clock jumps 5 s at each, so a
// splash started under it is past its deadline at once and closes at its
// first tick after the release.
class CSplashClock : public IAfxClock
{
public:
    explicit CSplashClock(BOOL bHurried = FALSE);
    ~CSplashClock() override;
    DWORD GetTickCount() override { return m_dwNow.load(); }
    void Sleep(DWORD dwMilliseconds) override { m_dwNow += m_bHurried ? 5000 : dwMilliseconds; }
    void Advance(DWORD dwMilliseconds) { m_dwNow += dwMilliseconds; }

    std::atomic<DWORD> m_dwNow{ 100000 };

private:
    BOOL m_bHurried;
    IAfxClock* m_pOld;
};

// Start-up installs the crash filter; a test process takes it out again, so
// that its own faults end it as they would without the program.
void RemoveCrashHandler();

// Puts the application object as a fresh start of the program finds it: no
// stored settings, an empty command line, the scripted notebook class and
// the program's own splash thread.
void PrepareStartup();

// A folder of the test's own in the temporary folder ("<prefix>-<process>"),
// and its removal with everything in it.
std::string MakeTestFolder(LPCSTR lpszPrefix);
void DeleteTestFolder(const std::string& strDir);

// Closes the day log and returns its text (from the last start-up on when
// bLastStartOnly).
std::string ReadDayLog(BOOL bLastStartOnly = FALSE);
