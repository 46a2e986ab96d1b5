// The splash screen through real windows on its own thread, with a clock
// the test moves: it stays up for its 2 s and until start-up releases it,
// closes within a tick once both hold, lets start-up go on when its thread
// ends without a window, comes before a notebook's password dialog, and is
// left out when the settings say so.
#include "AppTestSupport.h"

#include "app/CSplashThread.h"
#include "app/CSplashWnd.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"

#include "framework/docview/CDocManager.h"
#include "framework/ui/CDialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

// A splash window whose making fails, as when the system refuses it.
class CFailingSplashWnd : public CSplashWnd
{
public:
    BOOL Create() override { return FALSE; }
};

// A splash thread that ends without ever having a window.
class CWindowlessSplashThread : public CSplashThread
{
    DECLARE_DYNCREATE(CWindowlessSplashThread)
protected:
    CSplashWnd* CreateSplashWnd() override { return new CFailingSplashWnd; }
};

IMPLEMENT_DYNCREATE(CWindowlessSplashThread, CSplashThread)

// A class the framework cannot make: its thread never starts.
class CUnstartableSplashThread : public CSplashThread
{
    DECLARE_DYNAMIC(CUnstartableSplashThread)
};

IMPLEMENT_DYNAMIC(CUnstartableSplashThread, CSplashThread)

// Waits (answering the splash thread) until the window is gone; the real
// milliseconds it took, or -1 when it stayed.
int WaitUntilGone(HWND hWnd, DWORD dwLimit)
{
    const DWORD dwStart = ::GetTickCount();
    while (::IsWindow(hWnd))
    {
        if (::GetTickCount() - dwStart > dwLimit)
            return -1;
        PumpMessages();
        ::Sleep(10);
    }
    return (int)(::GetTickCount() - dwStart);
}

// Lets the splash thread run its timer for a while.
void RunFor(DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < dwMilliseconds)
    {
        PumpMessages();
        ::Sleep(10);
    }
}

// The pixels of a bitmap, top-down, 0x00RRGGBB.
std::vector<DWORD> PixelsOf(HBITMAP hBitmap, int& cx, int& cy)
{
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    cx = bm.bmWidth;
    cy = bm.bmHeight;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels((size_t)cx * (size_t)cy);
    HDC hdc = ::GetDC(nullptr);
    ::GetDIBits(hdc, hBitmap, 0, (UINT)cy, pixels.data(), &bmi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hdc);
    return pixels;
}

// Writes an 8-bit BMP file whose colour table has nColours entries.
void WriteIndexedBmp(LPCSTR lpszPath, const std::vector<RGBQUAD>& colours, int cx, int cy)
{
    const DWORD dwRow = ((DWORD)cx + 3) & ~3u;
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy;
    bih.biPlanes = 1;
    bih.biBitCount = 8;
    bih.biClrUsed = (DWORD)colours.size();
    bih.biSizeImage = dwRow * (DWORD)cy;
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = (DWORD)(sizeof(bfh) + sizeof(bih) + colours.size() * sizeof(RGBQUAD));
    bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
    std::vector<BYTE> bits(bih.biSizeImage);
    for (int y = 0; y < cy; y++)
        for (int x = 0; x < cx; x++)
            bits[(size_t)y * dwRow + (size_t)x] = (BYTE)((x / 4) % colours.size());
    std::ofstream out(lpszPath, std::ios::binary);
    out.write((const char*)&bfh, sizeof(bfh));
    out.write((const char*)&bih, sizeof(bih));
    out.write((const char*)colours.data(), (std::streamsize)(colours.size() * sizeof(RGBQUAD)));
    out.write((const char*)bits.data(), (std::streamsize)bits.size());
}

class SplashTest : public ::testing::Test
{
protected:
    CQlcApp& app = TestApp();
    CRecordingPrompts prompts;
    CSplashClock clock;
    std::string m_strDir;

    void SetUp() override
    {
        PrepareStartup();
        m_strDir = MakeTestFolder("qlcsplash");
    }
    void TearDown() override
    {
        RemoveCrashHandler();
        // Whatever a test left up closes now.
        clock.Advance(60000);
        app.EndSplash();
        app.m_pSplashThreadClass = RUNTIME_CLASS(CSplashThread);
        if (app.m_pMainWnd != nullptr)
        {
            app.CloseAllDocuments(TRUE);
            DestroyMainFrame();
        }
        delete app.m_pDocManager;
        app.m_pDocManager = nullptr;
        app.m_cryptHandler.Unload();
        QlcSetPrompts(nullptr);
        g_log.Close();
        PumpMessages();
        DeleteTestFolder(m_strDir);
    }
    std::string Path(LPCSTR lpszName) const { return m_strDir + "\\" + lpszName; }
    int FinishStart(BOOL bStarted)
    {
        if (bStarted)
            app.m_pMainWnd->SendMessage(WM_CLOSE);
        else if (app.m_pMainWnd != nullptr)
            app.m_pMainWnd->DestroyWindow();
        PumpMessages();
        return app.ExitInstance();
    }
};

} // namespace

TEST_F(SplashTest, AShortStartKeepsTheSplashUpForItsTwoSecondsThenItClosesAtItsNextTick)
{
    ASSERT_TRUE(app.InitInstance());
    // Start-up is over and has released the splash; on the clock no time
    // has passed.
    ASSERT_NE(nullptr, app.m_pSplashThread);
    EXPECT_FALSE(app.m_bSplashPending);
    CSplashWnd* pSplash = app.m_pSplashThread->GetSplashWnd();
    ASSERT_NE(nullptr, pSplash);
    EXPECT_TRUE(pSplash->IsReleased());
    const HWND hSplash = app.m_pSplashThread->GetSplashHwnd();
    ASSERT_TRUE(::IsWindow(hSplash));
    EXPECT_EQ(100000u + 2000u, pSplash->GetCloseDeadline());

    // A borderless topmost popup of the picture's size, centred, owned by a
    // hidden window that carries the program's icon.
    EXPECT_TRUE(::IsWindowVisible(hSplash));
    const LONG lStyle = ::GetWindowLongA(hSplash, GWL_STYLE);
    EXPECT_TRUE(lStyle & WS_POPUP);
    EXPECT_FALSE(lStyle & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(::GetWindowLongA(hSplash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND hOwner = ::GetWindow(hSplash, GW_OWNER);
    ASSERT_NE(nullptr, hOwner);
    EXPECT_FALSE(::IsWindowVisible(hOwner));
    EXPECT_NE(0u, (ULONG_PTR)::GetClassLongPtrA(hOwner, GCLP_HICON));
    HBITMAP hPicture = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0,
                                             0, LR_CREATEDIBSECTION);
    ASSERT_NE(nullptr, hPicture);
    int cx = 0, cy = 0;
    const std::vector<DWORD> picture = PixelsOf(hPicture, cx, cy);
    ::DeleteObject(hPicture);
    RECT rc;
    ::GetWindowRect(hSplash, &rc);
    EXPECT_EQ(cx, rc.right - rc.left);
    EXPECT_EQ(cy, rc.bottom - rc.top);
    RECT rcWork;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    EXPECT_NEAR((rcWork.left + rcWork.right) / 2, (rc.left + rc.right) / 2, 1);
    EXPECT_NEAR((rcWork.top + rcWork.bottom) / 2, (rc.top + rc.bottom) / 2, 1);

    // Ticks before the deadline leave it up, painted 1:1 with the picture.
    clock.Advance(1900);
    RunFor(400);
    ASSERT_TRUE(::IsWindow(hSplash));
    HDC hScreen = ::GetDC(nullptr);
    const POINT samples[] = { { cx / 2, cy / 2 }, { 5, 5 }, { cx - 6, cy - 6 }, { cx / 3, cy / 4 } };
    for (const POINT& pt : samples)
    {
        const COLORREF cr = ::GetPixel(hScreen, rc.left + pt.x, rc.top + pt.y);
        const DWORD dwExpected = picture[(size_t)pt.y * (size_t)cx + (size_t)pt.x];
        EXPECT_EQ(dwExpected, (DWORD)RGB(GetBValue(cr), GetGValue(cr), GetRValue(cr)))
            << "at " << pt.x << "," << pt.y;
    }
    ::ReleaseDC(nullptr, hScreen);

    // Past the deadline it goes at its next tick, and its thread ends.
    clock.Advance(101);
    const int nMs = WaitUntilGone(hSplash, 3000);
    EXPECT_GE(nMs, 0);
    EXPECT_TRUE(app.m_pSplashThread->WaitForEnd(3000));
    EXPECT_FALSE(::IsWindow(hOwner));
    FinishStart(TRUE);
    EXPECT_EQ(nullptr, app.m_pSplashThread);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(SplashTest, ALongStartClosesTheSplashWithinATickOfItsRelease)
{
    ASSERT_NE(nullptr, MakeMainFrame());
    ASSERT_TRUE(app.StartSplash());
    ASSERT_TRUE(app.m_bSplashPending);
    // Start-up runs long: the 2 s pass while the splash is held.
    clock.Advance(2500);
    // The window exists once the thread is through its start (ShowSplash
    // waited 2 x 50 ms on the clock only).
    const DWORD dwStart = ::GetTickCount();
    while (app.m_pSplashThread->GetSplashHwnd() == nullptr && ::GetTickCount() - dwStart < 5000)
        RunFor(10);
    const HWND hSplash = app.m_pSplashThread->GetSplashHwnd();
    ASSERT_TRUE(::IsWindow(hSplash));
    RunFor(400);
    EXPECT_TRUE(::IsWindow(hSplash)) << "closed before its release";

    app.ReleaseSplash();
    EXPECT_FALSE(app.m_bSplashPending);
    const int nMs = WaitUntilGone(hSplash, 3000);
    ASSERT_GE(nMs, 0);
    // One 100 ms tick, with room for a loaded machine.
    EXPECT_LT(nMs, 1000);
    EXPECT_TRUE(app.m_pSplashThread->WaitForEnd(3000));
    // A second release does nothing.
    app.ReleaseSplash();
    DestroyMainFrame();
}

TEST_F(SplashTest, TheSplashPaintsWhileStartUpKeepsTheInterfaceThreadBusy)
{
    // Start-up has made its main window and goes on loading after the
    // splash starts, looking at none of its messages for a while: the
    // splash's own thread must get its picture on the screen meanwhile.
    HBITMAP hPicture = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0,
                                             0, LR_CREATEDIBSECTION);
    ASSERT_NE(nullptr, hPicture);
    int cx = 0, cy = 0;
    const std::vector<DWORD> picture = PixelsOf(hPicture, cx, cy);
    ::DeleteObject(hPicture);
    ASSERT_NE(nullptr, MakeMainFrame());
    ASSERT_TRUE(app.StartSplash());

    const POINT samples[] = { { cx / 2, cy / 2 }, { 5, 5 }, { cx - 6, cy - 6 }, { cx / 3, cy / 4 } };
    BOOL bShown = FALSE;
    const DWORD dwStart = ::GetTickCount();
    while (!bShown && ::GetTickCount() - dwStart < 1500)
    {
        ::Sleep(20);
        const HWND hSplash = app.m_pSplashThread->GetSplashHwnd();
        RECT rc;
        if (hSplash == nullptr || !::IsWindowVisible(hSplash) || !::GetWindowRect(hSplash, &rc))
            continue;
        HDC hScreen = ::GetDC(nullptr);
        bShown = TRUE;
        for (const POINT& pt : samples)
        {
            const COLORREF cr = ::GetPixel(hScreen, rc.left + pt.x, rc.top + pt.y);
            if (picture[(size_t)pt.y * (size_t)cx + (size_t)pt.x] != (DWORD)RGB(GetBValue(cr), GetGValue(cr), GetRValue(cr)))
                bShown = FALSE;
        }
        ::ReleaseDC(nullptr, hScreen);
    }
    EXPECT_TRUE(bShown) << "the splash picture was not on the screen within 1.5 s of a busy start-up";

    clock.Advance(2001);
    app.EndSplash();
    DestroyMainFrame();
}

TEST_F(SplashTest, AThreadThatEndsWithoutAWindowLetsTheReleaseReturn)
{
    app.m_pSplashThreadClass = RUNTIME_CLASS(CWindowlessSplashThread);
    ASSERT_NE(nullptr, MakeMainFrame());

    // Released while the thread may still be starting.
    ASSERT_TRUE(app.StartSplash());
    app.ReleaseSplash();
    ASSERT_NE(nullptr, app.m_pSplashThread);
    EXPECT_TRUE(app.m_pSplashThread->WaitForEnd(5000));
    EXPECT_EQ(nullptr, app.m_pSplashThread->GetSplashHwnd());
    app.EndSplash();
    EXPECT_EQ(nullptr, app.m_pSplashThread);

    // Released after the thread has ended: the object is still there to ask.
    ASSERT_TRUE(app.StartSplash());
    ASSERT_TRUE(app.m_pSplashThread->WaitForEnd(5000));
    app.ReleaseSplash();
    EXPECT_TRUE(app.m_pSplashThread->GetSplashWnd()->IsReleased());
    app.EndSplash();
    DestroyMainFrame();
}

TEST_F(SplashTest, ANotebookThatAsksForItsPasswordAtStartAsksWithTheSplashReleased)
{
    // An encrypted notebook named on the command line.
    ASSERT_TRUE(app.m_cryptHandler.Load());
    const std::string strPath = Path("locked.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        CQlcNode note;
        note.Create(&doc, QLC_NODE_NOTE, "Note", 0);
        ASSERT_TRUE(doc.Data_SetFileEncryption(app.m_cryptHandler.m_pfnGetDefaultCipher(), 32,
                                               app.m_cryptHandler.m_pfnGetDefaultHash(), "secret", 6));
        ASSERT_TRUE(doc.OnSaveDocument(strPath.c_str()));
    }
    app.m_cryptHandler.Unload();
    app.m_pDocumentClass = RUNTIME_CLASS(CQuillcrestDoc);
    app.SetCommandLineArgs({ CString("quillapp.exe"), CString(strPath.c_str()) });

    BOOL bAsked = FALSE, bPendingThen = TRUE, bReleasedThen = FALSE, bSplashUpThen = FALSE;
    CScriptedDialogs dialogs([&](CWnd* pDialog) {
        if (::GetDlgItem(pDialog->m_hWnd, IDC_PASSWORD_FIRST) == nullptr)
            return;
        bAsked = TRUE;
        bPendingThen = app.m_bSplashPending;
        bReleasedThen = app.m_pSplashThread && app.m_pSplashThread->GetSplashWnd()->IsReleased();
        bSplashUpThen = app.m_pSplashThread && ::IsWindow(app.m_pSplashThread->GetSplashHwnd());
        ClickButton(pDialog, IDCANCEL);
    });
    // The refused password ends start-up, as any file that cannot open.
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(bAsked);
    EXPECT_FALSE(bPendingThen);
    EXPECT_TRUE(bReleasedThen);
    // Within its 2 s the splash is still up, released.
    EXPECT_TRUE(bSplashUpThen);
    clock.Advance(2001);
    FinishStart(FALSE);
    EXPECT_EQ(nullptr, app.m_pSplashThread);
}

TEST_F(SplashTest, ShowSplashOffStartsNoSplash)
{
    CQlcSettings stored;
    stored.m_nShowSplash = 0;
    stored.Save(HKEY_CURRENT_USER, SettingsKeyPath());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(nullptr, app.m_pSplashThread);
    EXPECT_FALSE(app.m_bSplashPending);
    FinishStart(TRUE);
    const std::string log = ReadDayLog(TRUE);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(std::string::npos, log.find("splash"));
    EXPECT_NE(std::string::npos, log.find("#LOADING COMPLETE#"));
}

TEST_F(SplashTest, ASplashThreadThatCannotStartStopsStartUpWithItsMessage)
{
    app.m_pSplashThreadClass = RUNTIME_CLASS(CUnstartableSplashThread);
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Failed to create splash screen", prompts.boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONSTOP, prompts.boxes[0].type & MB_ICONMASK);
    FinishStart(FALSE);
    const std::string log = ReadDayLog(TRUE);
    EXPECT_NE(std::string::npos, log.find("Creating splash screen...FAILED."));
    EXPECT_EQ(std::string::npos, log.find("#LOADING COMPLETE#"));
}

TEST_F(SplashTest, ThePaletteOfAnIndexedPictureHasOnlyTheEntriesOfItsTable)
{
    // A picture with a three-colour table, from a file.
    const std::vector<RGBQUAD> colours = { { 0x10, 0x20, 0x30, 0 }, { 0x40, 0x50, 0x60, 0 }, { 0xF0, 0xE0, 0xD0, 0 } };
    const std::string strPath = Path("three.bmp");
    WriteIndexedBmp(strPath.c_str(), colours, 40, 20);

    CSplashWnd wnd;
    wnd.SetBitmapFile(strPath.c_str());
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(40, wnd.GetBitmapWidth());
    EXPECT_EQ(20, wnd.GetBitmapHeight());
    ASSERT_EQ(3, wnd.GetPalette().GetEntryCount());
    PALETTEENTRY entries[3] = {};
    ASSERT_EQ(3u, ::GetPaletteEntries((HPALETTE)wnd.GetPalette().GetSafeHandle(), 0, 3, entries));
    for (int i = 0; i < 3; i++)
    {
        EXPECT_EQ(colours[i].rgbRed, entries[i].peRed);
        EXPECT_EQ(colours[i].rgbGreen, entries[i].peGreen);
        EXPECT_EQ(colours[i].rgbBlue, entries[i].peBlue);
        EXPECT_EQ(0, entries[i].peFlags);
    }
    wnd.DestroyWindow();

    // A true-colour picture gets the screen's halftone palette.
    CSplashWnd truecolour;
    truecolour.SetBitmap(IDB_SPLASH);
    ASSERT_TRUE(truecolour.Create());
    EXPECT_GT(truecolour.GetPalette().GetEntryCount(), 3);
    truecolour.DestroyWindow();

    // A picture that cannot be read leaves a window without size and no
    // message.
    CSplashWnd missing;
    missing.SetBitmapFile(Path("missing.bmp").c_str());
    ASSERT_TRUE(missing.Create());
    EXPECT_EQ(0, missing.GetBitmapWidth());
    RECT rc;
    ::GetWindowRect(missing.m_hWnd, &rc);
    EXPECT_EQ(0, rc.right - rc.left);
    missing.DestroyWindow();
    EXPECT_TRUE(prompts.boxes.empty());
}
