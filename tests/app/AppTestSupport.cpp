#include "AppTestSupport.h"

#include "app/CSplashThread.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"

#include "framework/base/CWinThread.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

CQlcApp& TestApp()
{
    static CQlcApp* s_pApp = nullptr;
    if (s_pApp == nullptr)
    {
        s_pApp = new CQlcApp;
        AfxWinInit(::GetModuleHandleA(nullptr), nullptr, (LPSTR) "", SW_SHOWNORMAL);
        s_pApp->InitApplication();
        s_pApp->SetRegistryKey(IDS_REGISTRY_KEY);
        // The tests' own arguments are not the program's.
        s_pApp->SetCommandLineArgs({ CString("quillapp.exe") });
    }
    return *s_pApp;
}

void DeleteProgramKey()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Varlosoft");
}

CString SettingsKeyPath()
{
    return TestApp().GetSettingsKeyPath();
}

CMainFrame* MakeMainFrame()
{
    CQlcApp& app = TestApp();
    CMainFrame* pFrame = new CMainFrame;
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
        return nullptr;
    pFrame->SetAppTitle();
    app.m_pMainWnd = pFrame;
    return pFrame;
}

void DestroyMainFrame()
{
    CQlcApp& app = TestApp();
    if (app.m_pMainWnd != nullptr)
        app.m_pMainWnd->DestroyWindow();
    app.m_pMainWnd = nullptr;
    PumpMessages();
}

IMPLEMENT_DYNCREATE(CScriptedDoc, CQuillcrestDoc)

BOOL CScriptedDoc::s_bAllowClose = TRUE;

BOOL CScriptedDoc::OnOpenDocument(LPCSTR lpszPathName)
{
    const CString strPath = lpszPathName;
    if (strPath.Find("good") >= 0)
    {
        QlcApp().SetLastReadResult(1);
        return TRUE;
    }
    QlcApp().SetLastReadResult(strPath.Find("cancelled") >= 0 ? 2 : 0);
    return FALSE;
}

int TrayRecorder::s_nAdds = 0;
int TrayRecorder::s_nDeletes = 0;
BOOL TrayRecorder::s_bIconShown = FALSE;
BOOL TrayRecorder::s_bAddResult = TRUE;
CString TrayRecorder::s_strTip;

TrayRecorder::TrayRecorder()
{
    s_nAdds = s_nDeletes = 0;
    s_bIconShown = FALSE;
    s_bAddResult = TRUE;
    s_strTip.Empty();
    CMainFrame::s_pfnShellNotifyIcon = &Notify;
}

TrayRecorder::~TrayRecorder()
{
    CMainFrame::s_pfnShellNotifyIcon = &::Shell_NotifyIconA;
}

BOOL WINAPI TrayRecorder::Notify(DWORD dwMessage, PNOTIFYICONDATAA pData)
{
    if (dwMessage == NIM_ADD)
    {
        s_nAdds++;
        s_strTip = pData->szTip;
        s_bIconShown = s_bAddResult;
        return s_bAddResult;
    }
    if (dwMessage == NIM_DELETE)
    {
        s_nDeletes++;
        s_bIconShown = FALSE;
    }
    return TRUE;
}

CSplashClock::CSplashClock(BOOL bHurried) : m_bHurried(bHurried), m_pOld(AfxSetClock(this))
{
}

CSplashClock::~CSplashClock()
{
    AfxSetClock(m_pOld);
}

void RemoveCrashHandler()
{
    ::SetUnhandledExceptionFilter(nullptr);
    AfxSetEscapedExceptionsFatal(FALSE);
}

void PrepareStartup()
{
    CQlcApp& app = TestApp();
    DeleteProgramKey();
    app.m_settings = CQlcSettings();
    app.m_bStartupComplete = FALSE;
    app.m_bSettingsLoaded = FALSE;
    app.m_lpCmdLine = (LPSTR) "";
    app.SetCommandLineArgs({ CString("quillapp.exe") });
    app.m_pDocumentClass = RUNTIME_CLASS(CScriptedDoc);
    app.m_pSplashThreadClass = RUNTIME_CLASS(CSplashThread);
}

std::string MakeTestFolder(LPCSTR lpszPrefix)
{
    char szTemp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    char szDir[MAX_PATH];
    wsprintfA(szDir, "%s%s-%lu", szTemp, lpszPrefix, ::GetCurrentProcessId());
    ::CreateDirectoryA(szDir, nullptr);
    return szDir;
}

void DeleteTestFolder(const std::string& strDir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((strDir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string strName = fd.cFileName;
            if (strName == "." || strName == "..")
                continue;
            const std::string strPath = strDir + "\\" + strName;
            ::SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTestFolder(strPath);
            else
                ::DeleteFileA(strPath.c_str());
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(strDir.c_str());
}

std::string ReadDayLog(BOOL bLastStartOnly)
{
    const CString strPath = g_log.GetLogFilePath();
    g_log.Close();
    std::ifstream in((LPCSTR)strPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string log = ss.str();
    if (!bLastStartOnly)
        return log;
    const size_t start = log.rfind("#LOADING QUILLCREST#");
    return start == std::string::npos ? std::string() : log.substr(start);
}
