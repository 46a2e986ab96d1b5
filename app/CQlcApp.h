// The application object: start-up in a fixed order with a log line per
// phase, the objects the whole program shares (encryption binding, converter
// list, image lists, default logo, settings, node clipboard, search history),
// and the shutdown that saves the settings and frees the libraries.
#pragma once

#include "app/CQlcPrompts.h"
#include "app/CQlcSettings.h"

#include "core/CCryptDLLHandler.h"
#include "core/CQlcAppServices.h"
#include "core/CTextConvLib.h"

#include "framework/gdi/CImageList.h"
#include "framework/base/CStringList.h"
#include "framework/docview/CWinApp.h"

#include "imaging/PLWinBmp.h"

class CMainFrame;
class CMultiDocTemplate;
class CQlcTreeCtrl;
class CSplashThread;

// The node clipboard of the tree's Cut, Copy and Paste.
struct QLCNODECLIPBOARD
{
    BOOL bHasContent = FALSE;
    CQuillcrestDoc* pDocument = nullptr;
    CQlcTreeCtrl* pTree = nullptr;
    DWORD dwNodeId = 0;
    BOOL bCut = FALSE;
};

// The registered message "Options Changed" (no parameters), sent to the
// views after the options change.
extern UINT g_uOptionsChangedMsg;

class CQlcApp : public CWinApp, public CQlcAppServices
{
    DECLARE_DYNAMIC(CQlcApp)
public:
    CQlcApp();
    ~CQlcApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;
    virtual void LoadRichEditLibrary();

    // --- Start-up steps ------------------------------------------------------
    void LoadCryptLibrary();
    BOOL CheckLibraries();
    void LoadTreeImages();
    void LoadTaskImages();
    void RegisterFileTypes();
    void LoadSettings();
    void SaveSettings();
    CMultiDocTemplate* CreateDocTemplate();
    // Step 21: shows the main frame as stored, as asked, or into the tray.
    void PlaceMainWindow(CMainFrame* pFrame);
    // Whether the command line asks only for the shell registration.
    static BOOL IsRegRequest(LPCSTR lpszCmdLine);
    // Step 11: starts the splash thread with its picture and its 2 s
    // deadline; FALSE when the thread cannot be started.
    BOOL StartSplash();
    // Releases a pending splash (once: later calls do nothing).
    void ReleaseSplash();
    // At exit: releases the splash, waits for its thread and deletes it.
    void EndSplash();
    // The registry key of the settings.
    CString GetSettingsKeyPath() const;
    // Folder of the program (the module's file name up to its last backslash).
    static CString GetProgramFolder();

    // --- Services for the notebook core ---------------------------------------
    HWND GetMainWindow() override;
    void GetImportFont(CString& strFace, int& nSize) const override;
    // The processing dialog, owned by the main window.
    INT_PTR RunJob(CNodeProcess& job) override;
    // The save dialog of the single export.
    BOOL ChooseExportFile(QLCEXPORTFILE& file) override;
    // The held document is the node clipboard's: a notebook that goes away
    // empties the clipboard, so no pointer to it is left behind.
    CQuillcrestDoc* GetHeldDocument() const override { return m_nodeClipboard.pDocument; }
    void SetHeldDocument(CQuillcrestDoc* pDoc) override;
    // The notebook options sheet (File > Properties).
    BOOL RunNotebookOptions(CQuillcrestDoc* pDoc, QLCCRYPTCHOICE& crypt) override;

    // --- Shared state -----------------------------------------------------------
    void AddToHistoryList(LPCSTR lpszQuery);
    CMainFrame* GetMainFrame() const;

    // --- Commands -----------------------------------------------------------------
    BOOL OnOpenRecentFile(UINT nID);
    void OnAppAbout();

    // The notebook document class of the template.
    CRuntimeClass* m_pDocumentClass;
    // The class of the splash thread (a CSplashThread).
    CRuntimeClass* m_pSplashThreadClass;
    // The splash thread, owned here from its start until it has ended.
    CSplashThread* m_pSplashThread;
    BOOL m_bSplashPending;

    CCryptDLLHandler m_cryptHandler;
    PLWinBmp m_defaultLogo;
    CImageList m_treeImages;
    CImageList m_taskImages;
    CTextConvLib m_textConverters;
    CQlcSettings m_settings;
    QLCNODECLIPBOARD m_nodeClipboard;
    CStringList m_searchHistory;    // most recent first, no duplicates
    HMODULE m_hRichEdit;

    // Where start-up has come: settings are written at exit only after a
    // start-up that completed (and never for "/reg").
    BOOL m_bSettingsLoaded;
    BOOL m_bStartupComplete;
    BOOL m_bRegRequest;

protected:
    CQlcPrompts m_prompts;
    BOOL m_bOleInitialized;
    BOOL m_bSocketsInitialized;

    DECLARE_MESSAGE_MAP()
};

// The application object (null in a program without one).
CQlcApp* QlcGetApp();
