#include "framework/docview/CWinApp.h"

#include "framework/ui/CPrintDialog.h"

#include "framework/base/AfxPath.h"
#include "framework/base/AfxPrompt.h"
#include "framework/base/CException.h"
#include "framework/base/CUiChannel.h"
#include "framework/docview/CCommandLineInfo.h"
#include "framework/docview/CDocManager.h"
#include "framework/docview/CDocTemplate.h"
#include "framework/docview/CRecentFileList.h"
#include "framework/ui/AfxState.h"
#include "framework/ui/CWnd.h"

#include <commctrl.h>
#include <commdlg.h>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

namespace {

CWinApp* g_pApp = nullptr;

HWND MainWindowForMessages()
{
    CWnd* pWnd = AfxGetMainWnd();
    return pWnd ? pWnd->GetSafeHwnd() : ::GetActiveWindow();
}

} // namespace

CWinApp* AFXAPI AfxGetApp()
{
    return g_pApp;
}

CWinThread* AFXAPI AfxGetThread()
{
    AFX_THREAD_STATE* pState = AfxGetThreadState();
    if (pState->m_pCurrentWinThread != nullptr)
        return pState->m_pCurrentWinThread;
    if (g_pApp != nullptr && g_pApp->m_nThreadID == ::GetCurrentThreadId())
        return g_pApp;
    return nullptr;
}

CWnd* AFXAPI AfxGetMainWnd()
{
    CWinThread* pThread = AfxGetThread();
    CWnd* pWnd = pThread ? pThread->GetMainWnd() : nullptr;
    if (pWnd == nullptr && g_pApp != nullptr)
        pWnd = g_pApp->m_pMainWnd;
    return pWnd;
}

HINSTANCE AFXAPI AfxGetInstanceHandle()
{
    return (g_pApp && g_pApp->m_hInstance) ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

LPCSTR AFXAPI AfxGetAppName()
{
    return (g_pApp && g_pApp->m_pszAppName) ? g_pApp->m_pszAppName : "";
}

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_hInstance(nullptr), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL), m_pszAppName(nullptr),
      m_pszRegistryKey(nullptr), m_pszProfileName(nullptr), m_pszExeName(nullptr), m_pDocManager(nullptr),
      m_pRecentFileList(nullptr), m_nNumPreviewPages(0), m_atomApp(0), m_atomSystemTopic(0),
      m_nDDECmdShow(-1), m_hDevMode(nullptr), m_hDevNames(nullptr)
{
    if (lpszAppName != nullptr)
        SetAppName(lpszAppName);
    // The application object is the main thread's.
    m_nThreadID = ::GetCurrentThreadId();
    m_hThread = nullptr;
    m_bAutoDelete = FALSE;
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (m_atomApp != 0)
        ::GlobalDeleteAtom(m_atomApp);
    if (m_atomSystemTopic != 0)
        ::GlobalDeleteAtom(m_atomSystemTopic);
    if (m_hDevMode != nullptr)
        ::GlobalFree(m_hDevMode);
    if (m_hDevNames != nullptr)
        ::GlobalFree(m_hDevNames);
    if (g_pApp == this)
        g_pApp = nullptr;
}

void CWinApp::SetAppName(LPCSTR lpszAppName)
{
    m_strAppName = lpszAppName;
    m_pszAppName = m_strAppName;
    if (m_strProfileName.IsEmpty() || m_pszProfileName == nullptr)
        m_pszProfileName = m_pszAppName;
    AfxSetMessageBoxCaption(m_strAppName);
}

BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int nCmdShow)
{
    AfxSetResourceHandle(hInstance);
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                                  ICC_DATE_CLASSES | ICC_TAB_CLASSES | ICC_USEREX_CLASSES };
    ::InitCommonControlsEx(&icc);
    AfxSetMessageBoxOwnerProvider(&MainWindowForMessages);

    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr)
    {
        pApp->m_hInstance = hInstance;
        pApp->m_lpCmdLine = lpCmdLine;
        pApp->m_nCmdShow = nCmdShow;
        AfxGetThreadState()->m_pCurrentWinThread = pApp;
    }
    return TRUE;
}

BOOL CWinApp::InitApplication()
{
    char szModule[MAX_PATH] = "";
    ::GetModuleFileNameA(m_hInstance, szModule, MAX_PATH);
    m_strExeName = AfxPathGetTitle(szModule);
    m_pszExeName = m_strExeName;
    if (m_pszAppName == nullptr)
    {
        CString strTitle;
        if (strTitle.LoadString(AFX_IDS_APP_TITLE))
            SetAppName(strTitle);
        else
            SetAppName(m_strExeName);
    }
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    return (int)m_msgCur.wParam;
}

int CWinApp::Run()
{
    if (m_pMainWnd == nullptr)
        ::PostQuitMessage(0); // nothing to run without a main window
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        // Command states of the main window's menus, bars and controls.
        CWnd* pMainWnd = m_pMainWnd;
        if (pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr && pMainWnd->IsWindowVisible())
        {
            AfxCallWndProc(pMainWnd, pMainWnd->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
            pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
        }
    }
    else if (lCount == 1)
    {
        AfxDeleteTempMaps();
    }
    return lCount < 1;
}

void CWinApp::WinHelp(DWORD_PTR /*dwData*/, UINT /*nCmd*/)
{
}

// ---------------------------------------------------------------------------
// Profile

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    m_strProfileName = m_pszAppName ? m_pszAppName : "";
    m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString strKey;
    strKey.LoadString(nIDRegistryKey);
    SetRegistryKey(strKey);
}

HKEY CWinApp::GetAppRegistryKey(BOOL bCreate)
{
    if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr)
        return nullptr;
    CString strPath = "Software\\";
    strPath += m_pszRegistryKey;
    strPath += '\\';
    strPath += m_pszProfileName;
    HKEY hKey = nullptr;
    const LONG l = bCreate ? ::RegCreateKeyExA(HKEY_CURRENT_USER, strPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr)
                           : ::RegOpenKeyExA(HKEY_CURRENT_USER, strPath, 0, KEY_READ, &hKey);
    return l == ERROR_SUCCESS ? hKey : nullptr;
}

HKEY CWinApp::GetSectionKey(LPCSTR lpszSection, BOOL bCreate)
{
    HKEY hAppKey = GetAppRegistryKey(bCreate);
    if (hAppKey == nullptr)
        return nullptr;
    HKEY hSectionKey = nullptr;
    const LONG l = bCreate ? ::RegCreateKeyExA(hAppKey, lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_READ | KEY_WRITE, nullptr, &hSectionKey, nullptr)
                           : ::RegOpenKeyExA(hAppKey, lpszSection, 0, KEY_READ, &hSectionKey);
    if (l != ERROR_SUCCESS)
        hSectionKey = nullptr;
    ::RegCloseKey(hAppKey);
    return hSectionKey;
}

namespace {

CString IniPath(LPCSTR lpszProfileName)
{
    // Without a registry key the profile is an .ini file in the Windows folder.
    CString s = lpszProfileName ? lpszProfileName : "";
    if (s.Find('.') < 0)
        s += ".ini";
    return s;
}

} // namespace

UINT CWinApp::GetProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nDefault)
{
    if (m_pszRegistryKey == nullptr)
        return ::GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, IniPath(m_pszProfileName));
    HKEY hSecKey = GetSectionKey(lpszSection, FALSE);
    if (hSecKey == nullptr)
        return (UINT)nDefault;
    DWORD dwValue = 0, dwType = 0, dwCount = sizeof(DWORD);
    const LONG lResult = ::RegQueryValueExA(hSecKey, lpszEntry, nullptr, &dwType, (LPBYTE)&dwValue, &dwCount);
    ::RegCloseKey(hSecKey);
    if (lResult == ERROR_SUCCESS && dwType == REG_DWORD && dwCount == sizeof(DWORD))
        return (UINT)dwValue;
    return (UINT)nDefault;
}

BOOL CWinApp::WriteProfileInt(LPCSTR lpszSection, LPCSTR lpszEntry, int nValue)
{
    if (m_pszRegistryKey == nullptr)
    {
        CString s;
        s.Format("%d", nValue);
        return ::WritePrivateProfileStringA(lpszSection, lpszEntry, s, IniPath(m_pszProfileName));
    }
    HKEY hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == nullptr)
        return FALSE;
    const DWORD dw = (DWORD)nValue;
    const LONG lResult = ::RegSetValueExA(hSecKey, lpszEntry, 0, REG_DWORD, (const BYTE*)&dw, sizeof(dw));
    ::RegCloseKey(hSecKey);
    return lResult == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault)
{
    if (m_pszRegistryKey == nullptr)
    {
        char sz[4096] = "";
        ::GetPrivateProfileStringA(lpszSection, lpszEntry, lpszDefault ? lpszDefault : "", sz, sizeof(sz),
                                   IniPath(m_pszProfileName));
        return CString(sz);
    }
    HKEY hSecKey = GetSectionKey(lpszSection, FALSE);
    CString strValue;
    DWORD dwType = 0, dwCount = 0;
    LONG lResult = hSecKey ? ::RegQueryValueExA(hSecKey, lpszEntry, nullptr, &dwType, nullptr, &dwCount)
                           : ERROR_FILE_NOT_FOUND;
    if (lResult == ERROR_SUCCESS && (dwType == REG_SZ || dwType == REG_EXPAND_SZ))
    {
        std::string buf((size_t)dwCount + 1, '\0');
        lResult = ::RegQueryValueExA(hSecKey, lpszEntry, nullptr, &dwType, (LPBYTE)&buf[0], &dwCount);
        if (lResult == ERROR_SUCCESS)
            strValue = buf.c_str();
    }
    else
    {
        lResult = ERROR_FILE_NOT_FOUND;
    }
    if (hSecKey != nullptr)
        ::RegCloseKey(hSecKey);
    if (lResult == ERROR_SUCCESS)
        return strValue;
    return CString(lpszDefault);
}

BOOL CWinApp::WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue)
{
    if (m_pszRegistryKey == nullptr)
        return ::WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, IniPath(m_pszProfileName));
    if (lpszEntry == nullptr)
    {
        // Delete the whole section.
        HKEY hAppKey = GetAppRegistryKey(FALSE);
        if (hAppKey == nullptr)
            return TRUE; // nothing to delete
        if (hAppKey == nullptr)
            return FALSE;
        const LONG l = ::RegDeleteKeyA(hAppKey, lpszSection);
        ::RegCloseKey(hAppKey);
        return l == ERROR_SUCCESS || l == ERROR_FILE_NOT_FOUND;
    }
    HKEY hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == nullptr)
        return FALSE;
    LONG lResult;
    if (lpszValue == nullptr)
        lResult = ::RegDeleteValueA(hSecKey, lpszEntry);
    else
        lResult = ::RegSetValueExA(hSecKey, lpszEntry, 0, REG_SZ, (const BYTE*)lpszValue, (DWORD)lstrlenA(lpszValue) + 1);
    ::RegCloseKey(hSecKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE* ppData, UINT* pBytes)
{
    *ppData = nullptr;
    *pBytes = 0;
    if (m_pszRegistryKey == nullptr)
    {
        // Stored in an .ini file as hexadecimal text.
        const CString s = GetProfileString(lpszSection, lpszEntry, "");
        if (s.IsEmpty() || (s.GetLength() % 2) != 0)
            return FALSE;
        const UINT n = (UINT)s.GetLength() / 2;
        *ppData = new BYTE[n];
        for (UINT i = 0; i < n; i++)
            (*ppData)[i] = (BYTE)strtoul(s.Mid((int)i * 2, 2), nullptr, 16);
        *pBytes = n;
        return TRUE;
    }
    HKEY hSecKey = GetSectionKey(lpszSection, FALSE);
    if (hSecKey == nullptr)
        return FALSE;
    DWORD dwType = 0, dwCount = 0;
    LONG lResult = ::RegQueryValueExA(hSecKey, lpszEntry, nullptr, &dwType, nullptr, &dwCount);
    if (lResult == ERROR_SUCCESS && dwType == REG_BINARY)
    {
        *ppData = new BYTE[dwCount ? dwCount : 1];
        lResult = ::RegQueryValueExA(hSecKey, lpszEntry, nullptr, &dwType, *ppData, &dwCount);
        if (lResult == ERROR_SUCCESS)
            *pBytes = dwCount;
    }
    else
    {
        lResult = ERROR_FILE_NOT_FOUND;
    }
    ::RegCloseKey(hSecKey);
    if (lResult != ERROR_SUCCESS)
    {
        delete[] *ppData;
        *ppData = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCSTR lpszSection, LPCSTR lpszEntry, LPBYTE pData, UINT nBytes)
{
    if (m_pszRegistryKey == nullptr)
    {
        CString s;
        for (UINT i = 0; i < nBytes; i++)
            s.AppendFormat("%02X", pData[i]);
        return WriteProfileString(lpszSection, lpszEntry, s);
    }
    HKEY hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == nullptr)
        return FALSE;
    const LONG lResult = ::RegSetValueExA(hSecKey, lpszEntry, 0, REG_BINARY, pData, nBytes);
    ::RegCloseKey(hSecKey);
    return lResult == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    if (nMaxMRU != 0)
    {
        delete m_pRecentFileList;
        m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", (int)nMaxMRU);
        m_pRecentFileList->ReadList();
    }
    m_nNumPreviewPages = GetProfileInt("Settings", "PreviewPages", 0);
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->WriteList();
    if (m_nNumPreviewPages != 0)
        WriteProfileInt("Settings", "PreviewPages", (int)m_nNumPreviewPages);
}

// ---------------------------------------------------------------------------
// Documents

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (m_pDocManager == nullptr)
        m_pDocManager = new CDocManager;
    m_pDocManager->AddDocTemplate(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const
{
    return m_pDocManager ? m_pDocManager->GetFirstDocTemplatePosition() : nullptr;
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const
{
    return m_pDocManager->GetNextDocTemplate(pos);
}

CDocument* CWinApp::OpenDocumentFile(LPCSTR lpszFileName)
{
    return m_pDocManager ? m_pDocManager->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::AddToRecentFileList(LPCSTR lpszPathName)
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->Add(lpszPathName);
}

BOOL CWinApp::SaveAllModified()
{
    return m_pDocManager ? m_pDocManager->SaveAllModified() : TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    if (m_pDocManager != nullptr)
        m_pDocManager->CloseAllDocuments(bEndSession);
}

int CWinApp::GetOpenDocumentCount()
{
    return m_pDocManager ? m_pDocManager->GetDocumentCount() : 0;
}

BOOL CWinApp::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                               CDocTemplate* pTemplate)
{
    return m_pDocManager && m_pDocManager->DoPromptFileName(fileName, nIDSTitle, lFlags, bOpenFileDialog, pTemplate);
}

// ---------------------------------------------------------------------------
// Command line and shell

void PASCAL CWinApp::ParseCommandLineArgs(CCommandLineInfo& rCmdInfo, int argc, char** argv)
{
    for (int i = 1; i < argc; i++)
    {
        LPCSTR pszParam = argv[i];
        BOOL bFlag = FALSE;
        const BOOL bLast = (i + 1) == argc;
        // A switch is a word after its '/' or '-'; "/home/me/notes.qlc" (a
        // path as Wine takes it) is a file name.
        if ((pszParam[0] == '-' || pszParam[0] == '/') && strpbrk(pszParam + 1, "/\\.") == nullptr)
        {
            bFlag = TRUE;
            ++pszParam;
        }
        rCmdInfo.ParseParam(pszParam, bFlag, bLast);
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    if (!m_bArgsSet)
    {
        ParseCommandLineArgs(rCmdInfo, __argc, __argv);
        return;
    }
    std::vector<char*> argv;
    for (CString& s : m_arrArgs)
        argv.push_back(s.GetBuffer());
    ParseCommandLineArgs(rCmdInfo, (int)argv.size(), argv.data());
    for (CString& s : m_arrArgs)
        s.ReleaseBuffer();
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    BOOL bResult = TRUE;
    switch (rCmdInfo.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew:
        if (!OnCmdMsg(ID_FILE_NEW, 0, nullptr, nullptr))
            OnFileNew();
        if (m_pMainWnd == nullptr)
            bResult = FALSE;
        break;
    case CCommandLineInfo::FileOpen:
        if (OpenDocumentFile(rCmdInfo.m_strFileName) == nullptr)
            bResult = FALSE;
        break;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // Print the file, then end.
        m_nCmdShow = SW_HIDE;
        if (OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr && m_pMainWnd != nullptr)
            m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        bResult = FALSE;
        break;
    case CCommandLineInfo::FileDDE:
        // Started by the shell to take a DDE open: stay hidden until then.
        m_nDDECmdShow = m_nCmdShow;
        m_nCmdShow = SW_HIDE;
        break;
    case CCommandLineInfo::AppUnregister:
        bResult = FALSE;
        break;
    case CCommandLineInfo::FileNothing:
    default:
        break;
    }
    return bResult;
}

void CWinApp::EnableShellOpen()
{
    if (m_atomApp != 0)
        return;
    m_atomApp = ::GlobalAddAtomA(m_pszExeName ? m_pszExeName : AfxGetAppName());
    m_atomSystemTopic = ::GlobalAddAtomA("system");
}

void CWinApp::RegisterShellFileTypes(BOOL bCompat)
{
    if (m_pDocManager != nullptr)
        m_pDocManager->RegisterShellFileTypes(bCompat);
}

BOOL CWinApp::OnDDECommand(LPSTR lpszCommand)
{
    return m_pDocManager && m_pDocManager->OnDDECommand(lpszCommand);
}

// ---------------------------------------------------------------------------
// Commands

void CWinApp::OnFileNew()
{
    if (m_pDocManager != nullptr)
        m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen()
{
    if (m_pDocManager != nullptr)
        m_pDocManager->OnFileOpen();
}

void CWinApp::OnFilePrintSetup()
{
    CPrintDialog dlg(TRUE);
    dlg.m_pd.hDevMode = m_hDevMode;
    dlg.m_pd.hDevNames = m_hDevNames;
    dlg.DoModal();
    // The dialog may have replaced the handles it was given.
    KeepPrinterSetup(dlg.m_pd);
    if (dlg.m_pd.hDC != nullptr)
        ::DeleteDC(dlg.m_pd.hDC);
}

void CWinApp::KeepPrinterSetup(const PRINTDLGA& pd)
{
    // Handles the dialog was given and replaced are the dialog's to free.
    m_hDevMode = pd.hDevMode;
    m_hDevNames = pd.hDevNames;
}

BOOL CWinApp::GetPrinterDeviceDefaults(PRINTDLGA* pPrintDlg)
{
    if (m_hDevNames == nullptr)
    {
        CPrintDialog dlg(FALSE);
        if (!dlg.GetDefaults())
            return FALSE;
        KeepPrinterSetup(dlg.m_pd);
        pPrintDlg->hDC = dlg.m_pd.hDC;   // the caller owns it now
    }
    pPrintDlg->hDevMode = m_hDevMode;
    pPrintDlg->hDevNames = m_hDevNames;
    return m_hDevNames != nullptr || pPrintDlg->hDC != nullptr;
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    if (m_pRecentFileList == nullptr)
        return FALSE;
    const int nIndex = (int)(nID - ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[nIndex].IsEmpty())
        return FALSE;
    if (OpenDocumentFile((*m_pRecentFileList)[nIndex]) == nullptr)
        m_pRecentFileList->Remove(nIndex);
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (m_pRecentFileList == nullptr)
        pCmdUI->Enable(FALSE);
    else
        m_pRecentFileList->UpdateMenu(pCmdUI);
}

void CWinApp::OnHelp()
{
    WinHelp(0, HELP_CONTENTS);
}

// ---------------------------------------------------------------------------
// Entry

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    int nReturnCode = -1;
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    // The thread that runs the program is its interface thread: workers
    // hand it their message boxes and questions through the channel.
    struct CChannelScope
    {
        CChannelScope() { CUiChannel::Create(); }
        ~CChannelScope() { CUiChannel::Destroy(); }
    } channel;
    try
    {
        if (!AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) || !pApp->InitApplication())
            return -1;
        if (!pApp->InitInstance())
        {
            if (pApp->m_pMainWnd != nullptr)
                pApp->m_pMainWnd->DestroyWindow();
            return pApp->ExitInstance();
        }
        nReturnCode = pApp->Run();
    }
    catch (CException& e)
    {
        e.ReportError(MB_ICONSTOP, AFX_IDP_INTERNAL_FAILURE);
    }
    catch (std::bad_alloc&)
    {
        AfxMessageBox(AFX_IDP_FAILED_MEMORY_ALLOC, MB_ICONSTOP);
    }
    catch (...)
    {
        AfxMessageBox(AFX_IDP_INTERNAL_FAILURE, MB_ICONSTOP);
    }
    return nReturnCode;
}
