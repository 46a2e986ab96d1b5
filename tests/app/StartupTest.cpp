// Start-up and shutdown of the application object, run as the program runs
// them: the log phases, the "/reg" registration, the recent-file rules, and
// a failed start-up that must leave the user's settings alone.
#include "AppTestSupport.h"

#include "app/CSplashThread.h"
#include "widgets/CDocManagerEx.h"

#include "app/res/Resource.h"

#include "core/CLog.h"

#include "framework/docview/CDocManager.h"
#include "framework/ui/CMDIChildWnd.h"
#include "framework/ui/CMenu.h"
#include "framework/docview/CRecentFileList.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class StartupTest : public ::testing::Test
{
protected:
    CQlcApp& app = TestApp();
    CRecordingPrompts prompts;
    // The splash of each start closes at its first tick after the release.
    CSplashClock clock{ TRUE };

    void SetUp() override { PrepareStartup(); }
    void TearDown() override
    {
        RemoveCrashHandler();
        app.EndSplash();
        if (app.m_pMainWnd != nullptr)
        {
            app.CloseAllDocuments(TRUE);
            DestroyMainFrame();
        }
        if (app.m_pDocManager != nullptr)
        {
            delete app.m_pDocManager;
            app.m_pDocManager = nullptr;
        }
        g_log.Close();
        PumpMessages();
    }
    // As the program's entry: a FALSE start-up destroys the main window.
    int FinishFailedStart()
    {
        if (app.m_pMainWnd != nullptr)
            app.m_pMainWnd->DestroyWindow();
        PumpMessages();
        return app.ExitInstance();
    }
    int CloseAndExit()
    {
        app.m_pMainWnd->SendMessage(WM_CLOSE);
        PumpMessages();
        return app.ExitInstance();
    }
    static BOOL KeyExists(HKEY hRoot, LPCSTR lpszKey)
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExA(hRoot, lpszKey, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return FALSE;
        ::RegCloseKey(h);
        return TRUE;
    }
};

// Saves the window as it is on the screen.
void SaveScreenshot(HWND hWnd, LPCSTR lpszPath)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    void* pBits = nullptr;
    HBITMAP hbm = ::CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hMem, hbm);
    ::BitBlt(hMem, 0, 0, cx, cy, hScreen, rc.left, rc.top, SRCCOPY);
    ::SelectObject(hMem, hOld);
    const DWORD dwRow = ((DWORD)cx * 3 + 3) & ~3u;
    BITMAPFILEHEADER bf = {};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof(bf) + sizeof(bmi.bmiHeader);
    bf.bfSize = bf.bfOffBits + dwRow * (DWORD)cy;
    std::ofstream out(lpszPath, std::ios::binary);
    out.write((const char*)&bf, sizeof(bf));
    out.write((const char*)&bmi.bmiHeader, sizeof(bmi.bmiHeader));
    out.write((const char*)pBits, (std::streamsize)(dwRow * (DWORD)cy));
    ::DeleteObject(hbm);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
}

} // namespace

TEST_F(StartupTest, StartsShowsTheMainWindowLogsEachPhaseAndExits)
{
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* pFrame = app.GetMainFrame();
    ASSERT_NE(nullptr, pFrame);
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_TRUE(pFrame->IsPlaced());
    EXPECT_EQ(0, app.GetOpenDocumentCount()); // no empty notebook at start
    // File Open and Save As use the Explorer-style dialog.
    EXPECT_NE(nullptr, DYNAMIC_DOWNCAST(CDocManagerEx, app.m_pDocManager));
    CString strTitle;
    pFrame->GetWindowText(strTitle);
    EXPECT_EQ("Varlo Quillcrest", strTitle);
    ASSERT_NE(nullptr, pFrame->GetMenu());
    EXPECT_EQ(4u, pFrame->GetMenu()->GetMenuItemCount()); // File, View, Tools, Help
    EXPECT_TRUE(pFrame->GetStandardBar().IsWindowVisible());
    EXPECT_TRUE(pFrame->GetImageBar().IsWindowVisible());
    PumpMessages();
    EXPECT_EQ(CString("For Help, press F1"), pFrame->GetStatusBar().GetPaneText(0));
    EXPECT_EQ(21, app.m_treeImages.GetImageCount());
    EXPECT_EQ(4, app.m_taskImages.GetImageCount());
    EXPECT_NE(0u, g_uOptionsChangedMsg);
    EXPECT_TRUE(prompts.boxes.empty());

    // A picture of the window for the record (kept in the build folder),
    // once the splash has gone.
    ASSERT_NE(nullptr, app.m_pSplashThread);
    EXPECT_TRUE(app.m_pSplashThread->WaitForEnd(5000));
    PumpMessages();
    pFrame->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    ::CreateDirectoryA("..\\screenshots", nullptr);
    SaveScreenshot(pFrame->m_hWnd, "..\\screenshots\\main-window.bmp");

    CloseAndExit();
    EXPECT_EQ(nullptr, app.m_pMainWnd);

    const std::string log = ReadDayLog();
    const size_t start = log.rfind("#LOADING QUILLCREST#");
    ASSERT_NE(std::string::npos, start);
    const char* phases[] = {
        "#BEGIN CHECKING LIBRARIES#", "comctl32.dll Version: ", "shell32.dll Version: ", "riched20.dll Version: ",
        "#END CHECKING LIBRARIES#", "Initializing Sockets...Done.", "Initializing OLE...Done.",
        "Creating main document template...Done.", "Creating MDI frame window...Done.",
        "Creating splash screen...Done.", "#BEGIN QLCCRYPT.DLL LOAD#",
        "Calling LoadLibrary(\"qlccrypt.dll\")...", "#END QLCCRYPT.DLL LOAD#", "#BEGIN RICHED20.DLL LOAD#",
        "Calling LoadLibrary(\"riched20.dll\")...Done.", "#END RICHED20.DLL LOAD#", "Loading control images...Done.",
        "#LOADING COMPLETE#", "#BEGIN EXITINSTANCE#", "Saving settings...Done.", "Unloading riched20.dll...Done.",
        "#END EXITINSTANCE#",
    };
    size_t at = start;
    for (const char* phase : phases)
    {
        const size_t found = log.find(phase, at);
        ASSERT_NE(std::string::npos, found) << "missing or out of order: " << phase;
        at = found + strlen(phase);
    }
    // The settings and the frame's placement were written at exit.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, SettingsKeyPath()));
    CQlcSettings stored;
    stored.Load(HKEY_CURRENT_USER, SettingsKeyPath());
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), stored.m_wpLastPlacement.length);
}

TEST_F(StartupTest, RegRegistersTheShellNewTemplateAndWritesNoSettings)
{
    // The shell's New entry exists (as a setup program leaves it).
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CLASSES_ROOT, ".qlc\\ShellNew", 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &h, nullptr));
    ::RegSetValueExA(h, "NullFile", 0, REG_SZ, (const BYTE*)"", 1);
    ::RegCloseKey(h);

    app.m_lpCmdLine = (LPSTR) "/reg";
    EXPECT_FALSE(app.InitInstance());
    EXPECT_FALSE(app.GetMainFrame()->IsWindowVisible());
    FinishFailedStart();

    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CLASSES_ROOT, ".qlc\\ShellNew", 0, KEY_READ, &h));
    char sz[64] = "";
    DWORD dwSize = sizeof(sz), dwType = 0;
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(h, "FileName", nullptr, &dwType, (LPBYTE)sz, &dwSize));
    EXPECT_STREQ("quillapp.qlc", sz);
    EXPECT_EQ(REG_SZ, dwType);
    EXPECT_NE(ERROR_SUCCESS, ::RegQueryValueExA(h, "NullFile", nullptr, nullptr, nullptr, nullptr));
    ::RegCloseKey(h);
    LONG lSize = sizeof(sz);
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueA(HKEY_CLASSES_ROOT, "Quillcrest.Document", sz, &lSize));
    EXPECT_STREQ("Quillcrest Document", sz);

    // Nothing of the program's own was written: no settings, no bar layout,
    // no recent files.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Varlosoft"));
}

TEST_F(StartupTest, OnlyTheExactWordIsTheRegistrationRequest)
{
    EXPECT_TRUE(CQlcApp::IsRegRequest("/reg"));
    EXPECT_FALSE(CQlcApp::IsRegRequest("/REG"));
    EXPECT_FALSE(CQlcApp::IsRegRequest("/reg x"));
    EXPECT_FALSE(CQlcApp::IsRegRequest(" /reg"));
    EXPECT_FALSE(CQlcApp::IsRegRequest(""));
}

TEST_F(StartupTest, ReloadLastWithAnEmptyListOpensNothingAndSaysNothing)
{
    CQlcSettings stored;
    stored.m_nReloadLast = 1;
    stored.Save(HKEY_CURRENT_USER, SettingsKeyPath());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(1, app.m_settings.m_nReloadLast);
    EXPECT_EQ(0, app.GetOpenDocumentCount());
    EXPECT_TRUE(prompts.boxes.empty());
    CloseAndExit();
}

TEST_F(StartupTest, ReloadLastOpensTheMostRecentNotebook)
{
    CQlcSettings stored;
    stored.m_nReloadLast = 1;
    stored.Save(HKEY_CURRENT_USER, SettingsKeyPath());
    app.WriteProfileString("Recent File List", "File1", "C:\\good.qlc");
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(1, app.GetOpenDocumentCount());
    CloseAndExit();
}

TEST_F(StartupTest, AFailedStartLeavesTheStoredPlacementAndSettingsAlone)
{
    CQlcSettings stored;
    stored.m_wpLastPlacement.length = sizeof(WINDOWPLACEMENT);
    stored.m_wpLastPlacement.showCmd = SW_SHOWNORMAL;
    stored.m_wpLastPlacement.rcNormalPosition = { 11, 22, 333, 244 };
    stored.m_nWordWrap = 0;
    stored.Save(HKEY_CURRENT_USER, SettingsKeyPath());

    // A named notebook that cannot be opened ends start-up.
    app.SetCommandLineArgs({ CString("quillapp.exe"), CString("C:\\nowhere\\missing.qlc") });
    EXPECT_FALSE(app.InitInstance());
    app.m_settings.m_nWordWrap = 1; // a change in memory must not reach the registry
    FinishFailedStart();

    CQlcSettings after;
    after.Load(HKEY_CURRENT_USER, SettingsKeyPath());
    EXPECT_EQ(0, after.m_nWordWrap);
    EXPECT_EQ(11, after.m_wpLastPlacement.rcNormalPosition.left);
    EXPECT_EQ(244, after.m_wpLastPlacement.rcNormalPosition.bottom);
    CString strBars = SettingsKeyPath();
    strBars = strBars.Left(strBars.ReverseFind('\\')) + "\\Toolbars-Summary";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, strBars));
}

TEST_F(StartupTest, TheRecentFileCommandDropsOnlyFilesThatAreNotNotebooks)
{
    ASSERT_NE(nullptr, MakeMainFrame());
    app.m_pDocManager = new CDocManager;
    app.CreateDocTemplate();
    delete app.m_pRecentFileList;
    app.m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", 4);
    app.m_pRecentFileList->Add("C:\\cancelled.qlc");
    app.m_pRecentFileList->Add("C:\\missing.qlc");
    ASSERT_EQ("C:\\missing.qlc", (*app.m_pRecentFileList)[0]);

    // Gone (read result 0): removed.
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ("C:\\cancelled.qlc", (*app.m_pRecentFileList)[0]);
    // Password cancelled (read result 2): kept.
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ("C:\\cancelled.qlc", (*app.m_pRecentFileList)[0]);
    EXPECT_EQ(0, app.GetOpenDocumentCount());
}

TEST(AppStateTest, TheSearchHistoryKeepsOneCopyOfAQueryAtTheFront)
{
    CQlcApp& app = TestApp();
    app.m_searchHistory.RemoveAll();
    app.AddToHistoryList("alpha");
    app.AddToHistoryList("beta");
    app.AddToHistoryList("Alpha"); // another query: case counts
    app.AddToHistoryList("alpha");
    ASSERT_EQ(3, (int)app.m_searchHistory.GetCount());
    POSITION pos = app.m_searchHistory.GetHeadPosition();
    EXPECT_EQ("alpha", app.m_searchHistory.GetNext(pos));
    EXPECT_EQ("Alpha", app.m_searchHistory.GetNext(pos));
    EXPECT_EQ("beta", app.m_searchHistory.GetNext(pos));
}

TEST_F(StartupTest, ATiledNotebookWindowComesBackInsideTheMainWindowStartAfterStart)
{
    CQlcSettings stored;
    stored.m_wpLastPlacement.length = sizeof(WINDOWPLACEMENT);
    stored.m_wpLastPlacement.showCmd = SW_SHOWNORMAL;
    stored.m_wpLastPlacement.rcNormalPosition = { 0, 0, 768, 576 };
    stored.Save(HKEY_CURRENT_USER, SettingsKeyPath());
    app.SetCommandLineArgs({ CString("quillapp.exe"), CString("C:\\good.qlc") });

    for (int nStart = 1; nStart <= 3; nStart++)
    {
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* pFrame = app.GetMainFrame();
        ASSERT_NE(nullptr, pFrame);
        PumpMessages();
        CMDIChildWnd* pChild = pFrame->MDIGetActive();
        ASSERT_NE(nullptr, pChild) << nStart;
        HWND hClient = pFrame->m_hWndMDIClient;
        CRect rcClient, rcChild;
        ::GetClientRect(hClient, rcClient);
        pChild->GetWindowRect(rcChild);
        ::ScreenToClient(hClient, (POINT*)&rcChild.left);
        ::ScreenToClient(hClient, (POINT*)&rcChild.right);
        // Whole inside the client area, so the client needs no scroll bars.
        EXPECT_GE(rcChild.left, rcClient.left) << nStart;
        EXPECT_GE(rcChild.top, rcClient.top) << nStart;
        EXPECT_LE(rcChild.right, rcClient.right) << nStart;
        EXPECT_LE(rcChild.bottom, rcClient.bottom) << nStart;
        EXPECT_EQ(0, ::GetWindowLongA(hClient, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << nStart;
        // Window > Tile fills the client; the program is closed like that.
        pFrame->SendMessage(WM_COMMAND, ID_WINDOW_TILE_HORZ);
        PumpMessages();
        CloseAndExit();
    }
}
