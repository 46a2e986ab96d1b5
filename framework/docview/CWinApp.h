// The application: the program's main thread, its start-up and message loop
// with idle-time command updates, the profile (registry) functions, the
// document templates, the recent-file list, the command line and the shell
// registration. One object per program; AfxGetApp returns it.
#pragma once

#include "framework/base/CString.h"
#include "framework/base/CWinThread.h"

#include <commdlg.h>
#include <vector>

class CDocManager;
class CDocTemplate;
class CDocument;
class CRecentFileList;
class CCommandLineInfo;
class CCmdUI;

class CWinApp : public CWinThread
{
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // --- Start-up, loop, exit ------------------------------------------------
    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;   // frees the recent-file list; saves nothing
    int Run() override;
    BOOL OnIdle(LONG lCount) override;
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    void SetAppName(LPCSTR lpszAppName);

    // --- Profile (HKEY_CURRENT_USER\Software\<key>\<profile>) --------------------
    void SetRegistryKey(LPCSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // The caller closes these; null on failure. Reading (bCreate FALSE)
    // creates no keys.
    HKEY GetAppRegistryKey(BOOL bCreate = TRUE);
    HKEY GetSectionKey(LPCSTR lpszSection, BOOL bCreate = TRUE);
    UINT GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue);
    CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = nullptr);
    // A null entry deletes the section; a null value deletes the entry.
    BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue);
    // *ppData is allocated with new[]; the caller deletes it.
    BOOL GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes);
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();

    // --- Documents -----------------------------------------------------------
    void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
    virtual CDocument* OpenDocumentFile(LPCSTR lpszFileName);
    virtual void AddToRecentFileList(LPCSTR lpszPathName);
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    int GetOpenDocumentCount();
    BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                          CDocTemplate* pTemplate);

    // --- Command line and shell ----------------------------------------------
    // Parses the program's arguments (or those set with SetCommandLineArgs).
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Arguments to parse instead of the process's (argument 0 is the program).
    void SetCommandLineArgs(const std::vector<CString>& args) { m_arrArgs = args; m_bArgsSet = TRUE; }
    static void PASCAL ParseCommandLineArgs(CCommandLineInfo& rCmdInfo, int argc, char** argv);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    void EnableShellOpen();
    void RegisterShellFileTypes(BOOL bCompat = FALSE);
    virtual BOOL OnDDECommand(LPSTR lpszCommand);

    // --- Commands --------------------------------------------------------------
    void OnFileNew();
    void OnFileOpen();
    // Print Setup: the chosen printer and its set-up are kept for printing.
    void OnFilePrintSetup();
    // The chosen printer (or the default one, which then becomes the chosen
    // one) into the structure; a device context the answer brought is left in
    // hDC for the caller. FALSE when there is no printer.
    BOOL GetPrinterDeviceDefaults(PRINTDLGA* pPrintDlg);
    // Takes the set-up handles a print dialog left (it frees those it replaced).
    void KeepPrinterSetup(const PRINTDLGA& pd);
    void OnAppExit();
    BOOL OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    void OnHelp();

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    LPCSTR m_pszAppName;
    LPCSTR m_pszRegistryKey;
    LPCSTR m_pszProfileName;
    LPCSTR m_pszExeName;
    CDocManager* m_pDocManager;
    CRecentFileList* m_pRecentFileList;
    UINT m_nNumPreviewPages;
    ATOM m_atomApp;
    ATOM m_atomSystemTopic;
    int m_nDDECmdShow;       // show command kept while started hidden for DDE
    HGLOBAL m_hDevMode;      // printer set-up chosen by Print Setup
    HGLOBAL m_hDevNames;

protected:
    CString m_strAppName;
    CString m_strRegistryKey;
    CString m_strProfileName;
    CString m_strExeName;
    std::vector<CString> m_arrArgs;
    BOOL m_bArgsSet = FALSE;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AFXAPI AfxGetApp();
CWinThread* AFXAPI AfxGetThread();
HINSTANCE AFXAPI AfxGetInstanceHandle();
LPCSTR AFXAPI AfxGetAppName();
// Prepares the framework for the program (instance, command line, common
// controls, message-box caption and owner).
BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The program's entry: InitInstance, then the message loop; a FALSE from
// InitInstance destroys a created main window and runs ExitInstance.
int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
