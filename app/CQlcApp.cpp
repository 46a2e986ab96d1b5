// Sockets first: its header must come before the system headers.
#include <winsock2.h>

#include "app/CQlcApp.h"
#include "app/CQlcHtmlView.h"

#include "app/CAboutDlg.h"
#include "app/CBlankAreaView.h"
#include "app/CChildFrame.h"
#include "app/CFileOptionsSheet.h"
#include "app/CMainFrame.h"
#include "app/CProcessingDlg.h"
#include "app/CSplashThread.h"
#include "app/CrashHandler.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcTempFile.h"
#include "core/CQuillcrestDoc.h"
#include "core/QlcVersion.h"

#include "framework/base/AfxPath.h"
#include "framework/base/AfxPrompt.h"
#include "framework/docview/CCommandLineInfo.h"
#include "framework/docview/CMultiDocTemplate.h"
#include "framework/docview/CRecentFileList.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedGdiObject.h"
#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/AfxHooks.h"
#include "framework/ui/CWaitCursor.h"

#include "imaging/PLTextException.h"
#include "widgets/CDocManagerEx.h"
#include "widgets/CFileDialogEx.h"

#include <ole2.h>

UINT g_uOptionsChangedMsg = 0;

IMPLEMENT_DYNAMIC(CQlcApp, CWinApp)

BEGIN_MESSAGE_MAP(CQlcApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, OnOpenRecentFile)
END_MESSAGE_MAP()

CQlcApp* QlcGetApp()
{
    CWinApp* pApp = AfxGetApp();
    return pApp ? DYNAMIC_DOWNCAST(CQlcApp, pApp) : nullptr;
}

CQlcApp::CQlcApp()
    : m_pDocumentClass(RUNTIME_CLASS(CQuillcrestDoc)), m_pSplashThreadClass(RUNTIME_CLASS(CSplashThread)),
      m_pSplashThread(nullptr), m_bSplashPending(FALSE), m_hRichEdit(nullptr), m_bSettingsLoaded(FALSE), m_bStartupComplete(FALSE), m_bRegRequest(FALSE),
      m_bOleInitialized(FALSE), m_bSocketsInitialized(FALSE)
{
    SetCryptHandler(&m_cryptHandler);
    SetTextConverters(&m_textConverters);
    QlcSetApp(this);
}

CQlcApp::~CQlcApp()
{
    if (&QlcApp() == this)
        QlcSetApp(nullptr);
    QlcSetPrompts(nullptr);
}

HWND CQlcApp::GetMainWindow()
{
    return m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
}

void CQlcApp::GetImportFont(CString& strFace, int& nSize) const
{
    strFace = m_settings.m_strImportFontName;
    nSize = m_settings.m_nImportFontSize;
}

INT_PTR CQlcApp::RunJob(CNodeProcess& job)
{
    CProcessingDlg dlg(AfxGetMainWnd());
    return dlg.DoModalProcess(&job);
}

BOOL CQlcApp::ChooseExportFile(QLCEXPORTFILE& file)
{
    // The save dialog's name buffer.
    const DWORD kNameBufferSize = 1024;
    CFileDialogEx dlg(FALSE, file.lpszDefExt, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                      file.strFilter.IsEmpty() ? nullptr : (LPCSTR)file.strFilter, nullptr);
    if (file.lpszFilterBlock != nullptr)
        dlg.m_ofn.lpstrFilter = file.lpszFilterBlock;
    dlg.m_ofn.lpstrTitle = file.strTitle;
    char szName[kNameBufferSize] = "";
    lstrcpynA(szName, file.strFileName, (int)sizeof(szName));
    dlg.m_ofn.lpstrFile = szName;
    dlg.m_ofn.nMaxFile = kNameBufferSize;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    file.strPath = dlg.GetPathName();
    file.nFilterIndex = dlg.m_ofn.nFilterIndex;
    return TRUE;
}

CMainFrame* CQlcApp::GetMainFrame() const
{
    return m_pMainWnd ? DYNAMIC_DOWNCAST(CMainFrame, m_pMainWnd) : nullptr;
}

BOOL CQlcApp::IsRegRequest(LPCSTR lpszCmdLine)
{
    return lpszCmdLine != nullptr && strcmp(lpszCmdLine, "/reg") == 0;
}

CString CQlcApp::GetProgramFolder()
{
    return AfxGetModuleFolder();
}

CString CQlcApp::GetSettingsKeyPath() const
{
    CString strCompany, strTitle, strSection;
    strCompany.LoadString(IDS_REGISTRY_KEY);
    strTitle.LoadString(AFX_IDS_APP_TITLE);
    strSection.LoadString(IDS_SETTINGS_SECTION);
    return CQlcSettings::BuildKeyPath(strCompany, strTitle, strSection);
}

// ---------------------------------------------------------------------------
// Start-up

BOOL CQlcApp::CheckLibraries()
{
    g_log.WriteLine("#BEGIN CHECKING LIBRARIES#");
    g_log.Indent();
    static const struct { LPCSTR lpszName; DWORD dwMinimum; LPCSTR lpszFailure; UINT nIDPrompt; } s_libraries[] = {
        { "comctl32.dll", MAKELONG(71, 4), "!FAILED LIBRARY CHECK: COMCTL32.DLL!", IDS_LIBRARY_MISSING },
        { "shell32.dll", MAKELONG(0, 4), "!FAILED LIBRARY CHECK: SHELL32.DLL!", IDS_LIBRARY_MISSING },
        { "riched20.dll", MAKELONG(30, 5), "!FAILED LIBRARY CHECK: RICHED20.DLL!", IDS_RICHED_MISSING },
    };
    for (const auto& lib : s_libraries)
    {
        BOOL bOK = FALSE;
        DWORD dwHandle = 0;
        const DWORD dwSize = ::GetFileVersionInfoSizeA(lib.lpszName, &dwHandle);
        if (dwSize != 0)
        {
            std::vector<BYTE> info(dwSize);
            VS_FIXEDFILEINFO* pFixed = nullptr;
            UINT nLen = 0;
            if (::GetFileVersionInfoA(lib.lpszName, 0, dwSize, info.data()) &&
                ::VerQueryValueA(info.data(), "\\", (LPVOID*)&pFixed, &nLen) && pFixed != nullptr &&
                nLen >= sizeof(VS_FIXEDFILEINFO))
            {
                g_log.WriteFileVersion(lib.lpszName,
                                       ((ULONGLONG)pFixed->dwFileVersionMS << 32) | pFixed->dwFileVersionLS);
                bOK = pFixed->dwFileVersionMS >= lib.dwMinimum;
            }
        }
        if (!bOK)
        {
            g_log.WriteLine(lib.lpszFailure);
            AfxMessageBox(lib.nIDPrompt, MB_OK | MB_ICONSTOP);
            return FALSE;
        }
    }
    g_log.Outdent();
    g_log.WriteLine("#END CHECKING LIBRARIES#");
    return TRUE;
}

void CQlcApp::LoadCryptLibrary()
{
    g_log.WriteLine("#BEGIN QLCCRYPT.DLL LOAD#");
    g_log.Indent();
    m_cryptHandler.Load();
    g_log.Outdent();
    g_log.WriteLine("#END QLCCRYPT.DLL LOAD#");
}

void CQlcApp::LoadRichEditLibrary()
{
    g_log.WriteLine("#BEGIN RICHED20.DLL LOAD#");
    g_log.Indent();
    g_log.Write("Calling LoadLibrary(\"riched20.dll\")...");
    m_hRichEdit = ::LoadLibraryA("RICHED20.DLL");
    g_log.WriteLine(m_hRichEdit ? "Done." : "FAILED.");
    g_log.Outdent();
    g_log.WriteLine("#END RICHED20.DLL LOAD#");
}

namespace {

// Adds the icons in order; a missing one keeps its place with an empty image
// so the images after it keep their indexes.
void AddIcons(CImageList& list, const UINT* pIcons, int nIcons)
{
    for (int i = 0; i < nIcons; i++)
    {
        HICON hIcon = (HICON)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(pIcons[i]), IMAGE_ICON, 16, 16, 0);
        if (hIcon == nullptr)
        {
            CScopedGdiObject<HBITMAP> bitmap(::CreateBitmap(16, 16, 1, 1, nullptr));
            CScopedGdiObject<HBITMAP> mask(::CreateBitmap(16, 16, 1, 1, nullptr));
            {
                // An all-transparent image: a white mask.
                CScopedDC dc = CScopedDC::Compatible(nullptr);
                CScopedSelect select(dc, mask);
                ::PatBlt(dc, 0, 0, 16, 16, WHITENESS);
            }
            ImageList_Add(list.m_hImageList, bitmap, mask);
            continue;
        }
        list.Add(hIcon);
        ::DestroyIcon(hIcon);
    }
}

} // namespace

void CQlcApp::LoadTreeImages()
{
    static const UINT s_icons[] = {
        IDI_TREE_SHOWN_MARK, IDI_TREE_PATH_MARK, IDI_TREE_NOTE, IDI_TREE_FOLDER, IDI_TREE_FOLDER_OPEN,
        IDI_TREE_EMPTY, IDI_TREE_IMAGE, IDI_TREE_HTML, IDI_TREE_FOREIGN, IDI_TREE_NOTE_CUT, IDI_TREE_FOLDER_CUT,
        IDI_TREE_FOLDER_OPEN_CUT, IDI_TREE_EMPTY_CUT, IDI_TREE_IMAGE_CUT, IDI_TREE_HTML_CUT, IDI_TREE_FOREIGN_CUT,
        IDI_TREE_BOOKMARK, IDI_TREE_KEYWORD, IDI_TREE_OVERLAY_3, IDI_TREE_OVERLAY_LOCK, IDI_TREE_OVERLAY_TASK,
    };
    m_treeImages.DeleteImageList();
    if (!m_treeImages.Create(16, 16, ILC_COLOR8 | ILC_MASK, 12, 4))
        return;
    AddIcons(m_treeImages, s_icons, (int)(sizeof(s_icons) / sizeof(s_icons[0])));
    m_treeImages.SetOverlayImage(0, 1);
    m_treeImages.SetOverlayImage(1, 2);
    m_treeImages.SetOverlayImage(18, 3);
    m_treeImages.SetOverlayImage(19, 4);
    m_treeImages.SetOverlayImage(20, 5);
}

void CQlcApp::LoadTaskImages()
{
    static const UINT s_icons[] = { IDI_TASK_OPEN, IDI_TASK_DONE, IDI_TASK_LATE, IDI_TASK_OVERLAY_LINK };
    m_taskImages.DeleteImageList();
    if (!m_taskImages.Create(16, 16, ILC_COLOR8 | ILC_MASK, 4, 1))
        return;
    AddIcons(m_taskImages, s_icons, (int)(sizeof(s_icons) / sizeof(s_icons[0])));
    m_taskImages.SetOverlayImage(3, 6);
}

void CQlcApp::LoadSettings()
{
    m_settings.Load(HKEY_CURRENT_USER, GetSettingsKeyPath());
    m_bSettingsLoaded = TRUE;
}

void CQlcApp::SaveSettings()
{
    m_settings.Save(HKEY_CURRENT_USER, GetSettingsKeyPath());
}

CMultiDocTemplate* CQlcApp::CreateDocTemplate()
{
    // The notebook windows: the child frame with its panes, the blank logo
    // view first.
    CMultiDocTemplate* pTemplate = new CMultiDocTemplate(IDR_QLCTYPE, m_pDocumentClass,
                                                         RUNTIME_CLASS(CChildFrame), RUNTIME_CLASS(CBlankAreaView));
    pTemplate->SetContainerInfo(IDR_CNTR_INPLACE);
    AddDocTemplate(pTemplate);
    return pTemplate;
}

void CQlcApp::RegisterFileTypes()
{
    RegisterShellFileTypes(FALSE);
    // The shell's New menu makes a copy of the template notebook.
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, ".qlc\\ShellNew", 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
        return;
    ::RegDeleteValueA(hKey, "NullFile");
    static const char s_szFileName[] = "quillapp.qlc";
    ::RegSetValueExA(hKey, "FileName", 0, REG_SZ, (const BYTE*)s_szFileName, sizeof(s_szFileName));
    ::RegCloseKey(hKey);
}

void CQlcApp::PlaceMainWindow(CMainFrame* pFrame)
{
    WINDOWPLACEMENT& wp = m_settings.m_wpLastPlacement;
    int nCmdShow = m_nCmdShow;
    if (m_settings.m_nStartInTray)
    {
        wp.showCmd = SW_MINIMIZE;
        nCmdShow = SW_MINIMIZE;
    }
    else if (wp.showCmd == SW_HIDE || wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE)
    {
        wp.showCmd = SW_SHOWNORMAL;
    }
    if (wp.length == sizeof(WINDOWPLACEMENT) && wp.showCmd != 0)
        pFrame->SetWindowPlacement(&wp);
    else
        pFrame->ShowWindow(nCmdShow);
    pFrame->SetPlaced();
    if (m_settings.m_nStartInTray)
        pFrame->SendToTray();
    else
        pFrame->UpdateWindow();
}

BOOL CQlcApp::StartSplash()
{
    EndSplash();
    CSplashThread* pThread = static_cast<CSplashThread*>(
        AfxBeginThread(m_pSplashThreadClass, THREAD_PRIORITY_ABOVE_NORMAL, 0, CREATE_SUSPENDED));
    if (pThread == nullptr)
        return FALSE;
    // Owned here until its thread has ended (it never deletes itself).
    pThread->m_bAutoDelete = FALSE;
    m_pSplashThread = pThread;
    pThread->SetBitmap(IDB_SPLASH);
    pThread->SetCloseDeadline(AfxGetTickCount() + 2000);
    pThread->ResumeThread();
    AfxSleep(50);
    pThread->ShowSplash();
    AfxSleep(50);
    m_bSplashPending = TRUE;
    return TRUE;
}

void CQlcApp::ReleaseSplash()
{
    if (!m_bSplashPending)
        return;
    m_bSplashPending = FALSE;
    if (m_pSplashThread != nullptr)
        m_pSplashThread->HideSplash();
}

void CQlcApp::EndSplash()
{
    if (m_pSplashThread == nullptr)
        return;
    ReleaseSplash();
    // Released, the window closes within a tick of its deadline (2 s from
    // its start at most); a thread that still has not ended is left to the
    // end of the process rather than deleted under it.
    if (m_pSplashThread->WaitForEnd(10000))
        delete m_pSplashThread;
    m_pSplashThread = nullptr;
}

BOOL CQlcApp::InitInstance()
{
    // The crash handler first: whatever fails from here on leaves a dump.
    InstallCrashHandler();

    // The document manager, the wait cursor and whether this run only
    // registers the file types ("/reg").
    if (m_pDocManager == nullptr)
        m_pDocManager = new CDocManagerEx;
    CWaitCursor wait;
    m_bRegRequest = IsRegRequest(m_lpCmdLine);

    // The program's name, its prompts and the day log.
    CString strTitle;
    strTitle.LoadString(AFX_IDS_APP_TITLE);
    SetAppName(strTitle);
    QlcSetPrompts(&m_prompts);
    g_log.Open();
    g_log.WriteLine("#LOADING QUILLCREST#");
    g_log.Indent();
    // What a run that died left in the temporary folder (only our own names).
    g_log.Write("Removing stale temporary files...");
    CQlcTempFile::SweepStale();
    g_log.WriteLine("Done.");

    // The system libraries the program cannot run without.
    if (!CheckLibraries())
        return FALSE;

    // The message that tells every window the options changed.
    CString strMessage;
    strMessage.LoadString(IDS_OPTIONS_CHANGED_MESSAGE);
    g_uOptionsChangedMsg = ::RegisterWindowMessageA(strMessage);

    // Sockets.
    g_log.Write("Initializing Sockets...");
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(1, 1), &wsa) != 0)
    {
        g_log.WriteLine("FAILED.");
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED);
        return FALSE;
    }
    m_bSocketsInitialized = TRUE;
    g_log.WriteLine("Done.");

    // OLE, for the objects embedded in notes and for drag and drop.
    g_log.Write("Initializing OLE...");
    if (FAILED(::OleInitialize(nullptr)))
    {
        g_log.WriteLine("FAILED.");
        AfxMessageBox(IDS_OLE_INIT_FAILED);
        return FALSE;
    }
    m_bOleInitialized = TRUE;
    g_log.WriteLine("Done.");

    // Settings: the registry key, the recent files and the options.
    SetRegistryKey(IDS_REGISTRY_KEY);
    LoadStdProfileSettings(4);
    LoadSettings();
    // Pages that an earlier run could not remove (it ended abruptly).
    CQlcHtmlView::RemoveStaleFiles();

    // The notebook document template.
    g_log.Write("Creating main document template...");
    CMultiDocTemplate* pTemplate = CreateDocTemplate();
    g_log.WriteLine("Done.");

    // The main window.
    g_log.Write("Creating MDI frame window...");
    CMainFrame* pMainFrame = new CMainFrame;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
    {
        g_log.WriteLine("FAILED.");
        return FALSE;
    }
    g_log.WriteLine("Done.");
    pMainFrame->SetAppTitle();
    m_pMainWnd = pMainFrame;

    // The splash screen, on a thread of its own (not for "/reg", which shows
    // no window).
    if (m_settings.m_nShowSplash != 0 && !m_bRegRequest)
    {
        g_log.Write("Creating splash screen...");
        if (!StartSplash())
        {
            g_log.WriteLine("FAILED.");
            AfxMessageBox(IDS_SPLASH_FAILED, MB_OK | MB_ICONSTOP);
            return FALSE;
        }
        g_log.WriteLine("Done.");
    }

    // The encryption library and the rich-text control.
    LoadCryptLibrary();
    LoadRichEditLibrary();

    // The images of the trees and the task list.
    g_log.Write("Loading control images...");
    LoadTreeImages();
    LoadTaskImages();
    g_log.WriteLine("Done.");

    // The default logo, dropped files and the shell's open command.
    try
    {
        m_defaultLogo.LoadFromResource(AfxGetResourceHandle(), IDB_DEFAULT_LOGO);
        // Notebooks without a logo of their own show this one.
        SetDefaultLogo(&m_defaultLogo);
    }
    catch (PLTextException&)
    {
        // No default logo: the blank view shows nothing then.
    }
    pMainFrame->DragAcceptFiles();
    EnableShellOpen();

    // "/reg" only registers the file types, then ends.
    if (m_bRegRequest)
    {
        RegisterFileTypes();
        return FALSE;
    }

    // The text converters for import and export.
    m_textConverters.LoadConverters();

    // The menus with and without an open notebook.
    if (HMENU hDocumentMenu = pMainFrame->LoadDocumentMenu())
    {
        if (pTemplate->m_hMenuShared != nullptr && pTemplate->m_hMenuShared != hDocumentMenu)
            ::DestroyMenu(pTemplate->m_hMenuShared);
        pTemplate->m_hMenuShared = hDocumentMenu;
    }
    pMainFrame->SetDefaultMenu(pMainFrame->LoadDefaultMenu());

    // The command line; no empty notebook at start.
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew)
        cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    // A notebook to open may ask for its password: the splash goes first.
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen || cmdInfo.m_nShellCommand == CCommandLineInfo::FilePrint ||
        cmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo)
        ReleaseSplash();

    // Opens or prints what the command line names.
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;

    // Without a file to open, the last notebook when the user asked for it.
    if (m_settings.m_nReloadLast && cmdInfo.m_nShellCommand == CCommandLineInfo::FileNothing &&
        m_pRecentFileList != nullptr && !(*m_pRecentFileList)[0].IsEmpty())
    {
        const CString strLast = (*m_pRecentFileList)[0];
        ReleaseSplash();
        OpenDocumentFile(strLast);
    }

    // Shows the main window where it was last (or in the tray).
    PlaceMainWindow(pMainFrame);
    // The splash closes at its next tick once its 2 s are up.
    ReleaseSplash();

    // Start-up is complete: settings may be saved on exit from now on.
    g_log.Outdent();
    g_log.WriteLine("#LOADING COMPLETE#");
    g_log.WriteLine("");
    m_bStartupComplete = TRUE;
    return TRUE;
}

// ---------------------------------------------------------------------------
// Shutdown

int CQlcApp::ExitInstance()
{
    // A start-up that failed may have left the splash up.
    EndSplash();
    g_log.WriteLine("#BEGIN EXITINSTANCE#");
    g_log.Indent();
    // Settings only after a start-up that read them and got through: a
    // failed start-up must not overwrite the user's settings.
    const BOOL bSave = !m_bRegRequest && m_bSettingsLoaded && m_bStartupComplete;
    if (bSave)
    {
        g_log.Write("Saving settings...");
        SaveSettings();
        g_log.WriteLine("Done.");
    }
    g_log.Write("Unloading riched20.dll...");
    if (m_hRichEdit != nullptr)
    {
        ::FreeLibrary(m_hRichEdit);
        m_hRichEdit = nullptr;
    }
    g_log.WriteLine("Done.");
    m_cryptHandler.Unload();
    g_log.Outdent();
    g_log.WriteLine("#END EXITINSTANCE#");
    ::Sleep(0);
    if (bSave)
        SaveStdProfileSettings();

    const int nResult = CWinApp::ExitInstance();
    delete m_pDocManager;
    m_pDocManager = nullptr;
    QlcSetPrompts(nullptr);
    if (m_bOleInitialized)
    {
        ::OleUninitialize();
        m_bOleInitialized = FALSE;
    }
    if (m_bSocketsInitialized)
    {
        ::WSACleanup();
        m_bSocketsInitialized = FALSE;
    }
    return nResult;
}

// ---------------------------------------------------------------------------
// Commands and shared state

void CQlcApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    // There is no help window: the request is only traced.
    TRACE("WinHelp: %d (%d), %d\n", (int)dwData, (int)(dwData & ~(DWORD_PTR)0x20000), (int)nCmd);
}

BOOL CQlcApp::OnOpenRecentFile(UINT nID)
{
    if (m_pRecentFileList == nullptr)
        return FALSE;
    const int nIndex = (int)(nID - ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[nIndex].IsEmpty())
        return FALSE;
    SetLastReadResult(0);
    const CString strPath = (*m_pRecentFileList)[nIndex];
    // Only a file that is not a notebook (or is gone) leaves the list; one
    // whose password was refused or cancelled stays.
    if (OpenDocumentFile(strPath) == nullptr && GetLastReadResult() == 0)
        m_pRecentFileList->Remove(nIndex);
    return TRUE;
}

void CQlcApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

void CQlcApp::AddToHistoryList(LPCSTR lpszQuery)
{
    POSITION pos = m_searchHistory.GetHeadPosition();
    while (pos != nullptr)
    {
        POSITION posThis = pos;
        if (m_searchHistory.GetNext(pos) == lpszQuery)
        {
            m_searchHistory.RemoveAt(posThis);
            break;
        }
    }
    m_searchHistory.AddHead(lpszQuery);
}

void CQlcApp::SetHeldDocument(CQuillcrestDoc* pDoc)
{
    if (pDoc == nullptr)
        m_nodeClipboard = QLCNODECLIPBOARD();
    else
        m_nodeClipboard.pDocument = pDoc;
}

BOOL CQlcApp::RunNotebookOptions(CQuillcrestDoc* pDoc, QLCCRYPTCHOICE& crypt)
{
    return CFileOptionsSheet::Run(pDoc, crypt);
}
