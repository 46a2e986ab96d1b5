// The framework's window half: message maps and reflection, handle maps,
// the exception barrier, MDI command routing, command updates of menus and
// toolbars, dialogs with data exchange, the profile and the recent-file list.
#include "WindowTestRes.h"
#include "WindowTestSupport.h"

#include "framework/FrameworkWin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_trace;

// --- A window whose own handlers record what they saw -------------------------

class CProbeWnd : public CWnd
{
public:
    std::string log;
    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        log += "create;";
        return CWnd::OnCreate(lpcs);
    }
    void OnSize(UINT, int cx, int cy)
    {
        log += "size" + std::to_string(cx) + "x" + std::to_string(cy) + ";";
        Default();
    }
    LRESULT OnPing(WPARAM w, LPARAM l)
    {
        log += "ping;";
        return (LRESULT)(w + l);
    }
    void OnCommandA() { log += "cmdA;"; }
    void OnChildClicked() { log += "child-clicked;"; }
    void OnChildNotify(NMHDR*, LRESULT* pResult)
    {
        log += "parent-notify;";
        *pResult = 7;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_APP + 1, OnPing)
    ON_COMMAND(500, OnCommandA)
    ON_BN_CLICKED(501, OnChildClicked)
    ON_NOTIFY(NM_CLICK, 502, OnChildNotify)
    ON_NOTIFY(NM_DBLCLK, 502, OnChildNotify)
END_MESSAGE_MAP()

// A control that handles its own notifications (reflection).
class CSelfishButton : public CWnd
{
public:
    std::string log;
    void OnReflectedClick() { log += "reflected-click;"; }
    void OnReflectedNotify(NMHDR*, LRESULT* pResult)
    {
        log += "reflected-notify;";
        *pResult = 42;
    }
    BOOL OnReflectedNotifyEx(NMHDR*, LRESULT*)
    {
        log += "reflected-ex;";
        return FALSE; // the parent sees it too
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfishButton, CWnd)
    ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
    ON_NOTIFY_REFLECT(NM_CLICK, OnReflectedNotify)
    ON_NOTIFY_REFLECT_EX(NM_DBLCLK, OnReflectedNotifyEx)
END_MESSAGE_MAP()

class CThrowingWnd : public CWnd
{
public:
    int OnCreate(LPCREATESTRUCTA) { throw CUserException(); }
    LRESULT OnBoom(WPARAM, LPARAM) { throw std::runtime_error("boom"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_APP + 2, OnBoom)
END_MESSAGE_MAP()

} // namespace

TEST(WindowTest, DerivedClassSeesItsOwnCreateAndCrackedMessages)
{
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "probe", WS_POPUP, 0, 0, 50, 40, nullptr, nullptr));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    wnd.SetWindowPos(nullptr, 0, 0, 120, 80, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(5, wnd.SendMessage(WM_APP + 1, 2, 3));
    EXPECT_EQ(0, wnd.log.find("create;"));
    EXPECT_NE(std::string::npos, wnd.log.find("size120x80;"));
    EXPECT_NE(std::string::npos, wnd.log.find("ping;"));
    HWND hWnd = wnd.m_hWnd;
    wnd.DestroyWindow();
    EXPECT_EQ(nullptr, wnd.m_hWnd); // detached after its last message
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(WindowTest, ChildNotificationsGoToTheControlFirst)
{
    CProbeWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    CSelfishButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_CHILD | BS_PUSHBUTTON, 0, 0, 40, 20, parent.m_hWnd,
                                (HMENU)501));

    // BN_CLICKED: the button's reflected handler takes it; the parent's does not run.
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(501, BN_CLICKED), (LPARAM)button.m_hWnd);
    EXPECT_EQ("reflected-click;", button.log);
    EXPECT_EQ(std::string::npos, parent.log.find("child-clicked;"));

    // NM_CLICK reflected with its result; NM_DBLCLK reflected and passed on.
    NMHDR nm = { button.m_hWnd, 502, (UINT)NM_CLICK };
    EXPECT_EQ(42, parent.SendMessage(WM_NOTIFY, 502, (LPARAM)&nm));
    nm.code = (UINT)NM_DBLCLK;
    EXPECT_EQ(7, parent.SendMessage(WM_NOTIFY, 502, (LPARAM)&nm));
    EXPECT_EQ("reflected-click;reflected-notify;reflected-ex;", button.log);
    EXPECT_NE(std::string::npos, parent.log.find("parent-notify;"));

    // A plain control's notification reaches the parent's map.
    HWND hPlain = ::CreateWindowExA(0, "BUTTON", "p", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd, (HMENU)501, nullptr, nullptr);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(501, BN_CLICKED), (LPARAM)hPlain);
    EXPECT_NE(std::string::npos, parent.log.find("child-clicked;"));
    parent.DestroyWindow();
}

TEST(WindowTest, FromHandleGivesThePermanentObjectElseATemporaryOne)
{
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    HWND hOther = ::CreateWindowExA(0, "STATIC", "s", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));
    CWnd* pTemp = CWnd::FromHandle(hOther);
    ASSERT_NE(nullptr, pTemp);
    EXPECT_EQ(hOther, pTemp->m_hWnd);
    EXPECT_EQ(pTemp, CWnd::FromHandle(hOther)); // the same wrapper while it lives
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hOther));
    AfxDeleteTempMaps();
    EXPECT_TRUE(::IsWindow(hOther)); // the wrapper went, not the window
    ::DestroyWindow(hOther);
    wnd.DestroyWindow();
}

TEST(WindowTest, ExceptionsStopAtTheWindowProcedure)
{
    CRecordingPrompts prompts;
    CThrowingWnd* pWnd = new CThrowingWnd;
    // WM_CREATE throwing makes creation fail cleanly.
    EXPECT_FALSE(pWnd->CreateEx(0, nullptr, "t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    delete pWnd;

    CThrowingWnd wnd2;
    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, nullptr, "p", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ASSERT_TRUE(wnd2.SubclassWindow(plain.Detach()));
    EXPECT_EQ(0, wnd2.SendMessage(WM_APP + 2)); // the exception ends here
    ASSERT_FALSE(prompts.boxes.empty());
    EXPECT_EQ("An unexpected internal error occurred; the action was not completed.", prompts.boxes.back().text);
    wnd2.DestroyWindow();
}

// --- Documents, frames and command routing ------------------------------------

namespace {

class CTraceDoc : public CDocument
{
    DECLARE_DYNCREATE(CTraceDoc)
public:
    static BOOL s_bOpenResult;
    BOOL OnOpenDocument(LPCSTR) override { return s_bOpenResult; }
    BOOL OnRoute(UINT) { g_trace += "doc;"; return FALSE; }
    DECLARE_MESSAGE_MAP()
};
BOOL CTraceDoc::s_bOpenResult = TRUE;
IMPLEMENT_DYNCREATE(CTraceDoc, CDocument)
BEGIN_MESSAGE_MAP(CTraceDoc, CDocument)
    ON_COMMAND_EX(IDS_TEST_COMMAND, OnRoute)
END_MESSAGE_MAP()

class CTraceView : public CView
{
    DECLARE_DYNCREATE(CTraceView)
public:
    BOOL OnRoute(UINT) { g_trace += "view;"; return FALSE; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTraceView, CView)
BEGIN_MESSAGE_MAP(CTraceView, CView)
    ON_COMMAND_EX(IDS_TEST_COMMAND, OnRoute)
END_MESSAGE_MAP()

class CTraceChild : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CTraceChild)
public:
    BOOL OnRoute(UINT) { g_trace += "child;"; return FALSE; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTraceChild, CMDIChildWnd)
BEGIN_MESSAGE_MAP(CTraceChild, CMDIChildWnd)
    ON_COMMAND_EX(IDS_TEST_COMMAND, OnRoute)
END_MESSAGE_MAP()

class CTraceTemplate : public CMultiDocTemplate
{
public:
    CTraceTemplate()
        : CMultiDocTemplate(IDR_TEST_DOC, RUNTIME_CLASS(CTraceDoc), RUNTIME_CLASS(CTraceChild),
                            RUNTIME_CLASS(CTraceView))
    {
    }
    BOOL OnRoute(UINT) { g_trace += "template;"; return FALSE; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTraceTemplate, CMultiDocTemplate)
    ON_COMMAND_EX(IDS_TEST_COMMAND, OnRoute)
END_MESSAGE_MAP()

class CTraceApp : public CWinApp
{
public:
    BOOL OnRoute(UINT) { g_trace += "app;"; return TRUE; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTraceApp, CWinApp)
    ON_COMMAND_EX(IDS_TEST_COMMAND, OnRoute)
END_MESSAGE_MAP()

class CTraceFrame : public CMDIFrameWnd
{
public:
    BOOL OnRoute(UINT) { g_trace += "frame;"; return FALSE; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTraceFrame, CMDIFrameWnd)
    ON_COMMAND_EX(IDS_TEST_COMMAND, OnRoute)
END_MESSAGE_MAP()

// One application object per test program; the framework tests share it.
CTraceApp& TestApp()
{
    static CTraceApp* s_pApp = nullptr;
    if (s_pApp == nullptr)
    {
        if (AfxGetApp() != nullptr)
            return *static_cast<CTraceApp*>(AfxGetApp());
        s_pApp = new CTraceApp;
        s_pApp->SetAppName("Framework Test");
        s_pApp->SetRegistryKey("QuillcrestTests");
    }
    return *s_pApp;
}

struct MdiFixture
{
    CTraceApp& app = TestApp();
    CTraceFrame* pFrame = nullptr;
    CTraceTemplate* pTemplate = nullptr;

    MdiFixture()
    {
        pFrame = new CTraceFrame;
        // The main frame of the tests uses the template's menu (it has a Window menu).
        if (!pFrame->Create(nullptr, "Main", WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault, nullptr,
                            MAKEINTRESOURCEA(IDR_TEST_DOC)))
            pFrame = nullptr;
        app.m_pMainWnd = pFrame;
        delete app.m_pDocManager;
        app.m_pDocManager = nullptr;
        pTemplate = new CTraceTemplate;
        app.AddDocTemplate(pTemplate);
    }
    ~MdiFixture()
    {
        app.CloseAllDocuments(TRUE);
        if (app.m_pMainWnd != nullptr)
            app.m_pMainWnd->DestroyWindow();
        app.m_pMainWnd = nullptr;
        delete app.m_pDocManager;
        app.m_pDocManager = nullptr;
        PumpMessages();
    }
};

} // namespace

TEST(FrameRoutingTest, CommandsGoFromTheActiveViewThroughTheDocumentToTheApplication)
{
    MdiFixture f;
    ASSERT_NE(nullptr, f.pFrame);
    CDocument* pDoc = f.app.OpenDocumentFile("routing.tst");
    ASSERT_NE(nullptr, pDoc);
    POSITION pos = pDoc->GetFirstViewPosition();
    ASSERT_NE(nullptr, pos);
    CView* pView = pDoc->GetNextView(pos);
    CFrameWnd* pChild = pView->GetParentFrame();
    ASSERT_TRUE(pChild->IsKindOf(RUNTIME_CLASS(CTraceChild)));
    EXPECT_EQ(pView, pChild->GetActiveView());
    EXPECT_EQ(pChild, f.pFrame->MDIGetActive());

    g_trace.clear();
    EXPECT_TRUE(f.pFrame->OnCmdMsg(IDS_TEST_COMMAND, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ("view;doc;template;child;app;", g_trace);

    // The same through WM_COMMAND from a menu.
    g_trace.clear();
    f.pFrame->SendMessage(WM_COMMAND, IDS_TEST_COMMAND, 0);
    EXPECT_EQ("view;doc;template;child;app;", g_trace);

    // The title follows the document; closing the last frame deletes it.
    CString strTitle;
    pChild->GetWindowText(strTitle);
    EXPECT_EQ("routing.tst", strTitle);
    pChild->SendMessage(WM_CLOSE);
    EXPECT_EQ(0, f.app.GetOpenDocumentCount());
}

TEST(FrameRoutingTest, AFailedOpenLeavesNoFrameAndNoDocument)
{
    MdiFixture f;
    CTraceDoc::s_bOpenResult = FALSE;
    EXPECT_EQ(nullptr, f.app.OpenDocumentFile("broken.tst"));
    CTraceDoc::s_bOpenResult = TRUE;
    EXPECT_EQ(0, f.app.GetOpenDocumentCount());
    EXPECT_EQ(nullptr, f.pFrame->MDIGetActive());
}

TEST(FrameRoutingTest, OpeningAnOpenFileActivatesItsDocument)
{
    MdiFixture f;
    CDocument* pFirst = f.app.OpenDocumentFile("same.tst");
    ASSERT_NE(nullptr, pFirst);
    EXPECT_EQ(pFirst, f.app.OpenDocumentFile("same.tst"));
    EXPECT_EQ(1, f.app.GetOpenDocumentCount());
}

TEST(CmdUITest, MenuPopupsAreEnabledOnlyForHandledCommands)
{
    MdiFixture f;
    CMenu* pMenu = f.pFrame->GetMenu();
    ASSERT_NE(nullptr, pMenu);
    CMenu* pFile = pMenu->GetSubMenu(0);
    ::EnableMenuItem(pFile->m_hMenu, IDS_TEST_COMMAND, MF_BYCOMMAND | MF_GRAYED);
    f.pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pFile->m_hMenu, MAKELPARAM(0, FALSE));
    EXPECT_EQ(0u, pFile->GetMenuState(IDS_TEST_COMMAND, MF_BYCOMMAND) & MF_GRAYED); // the app handles it
    EXPECT_NE(0u, pFile->GetMenuState(0x9002, MF_BYCOMMAND) & MF_GRAYED);           // nobody does

    // A disabled command from an accelerator does not run.
    g_trace.clear();
    f.pFrame->SendMessage(WM_COMMAND, 0x9002, 0);
    EXPECT_EQ("", g_trace);
}

TEST(CmdUITest, TheRecentFileListFillsTheMenuAndDropsEntries)
{
    CTraceApp& app = TestApp();
    delete app.m_pRecentFileList;
    app.m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", 4);
    CRecentFileList& list = *app.m_pRecentFileList;
    list.Add("C:\\a.tst");
    list.Add("C:\\b.tst");
    list.Add("C:\\A.TST"); // the same file moves to the front, once
    EXPECT_EQ("C:\\A.TST", list[0]);
    EXPECT_EQ("C:\\b.tst", list[1]);
    EXPECT_TRUE(list[2].IsEmpty());

    MdiFixture f;
    CMenu* pFile = f.pFrame->GetMenu()->GetSubMenu(0);
    const UINT nBefore = pFile->GetMenuItemCount();
    f.pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pFile->m_hMenu, MAKELPARAM(0, FALSE));
    EXPECT_EQ(nBefore + 1, pFile->GetMenuItemCount()); // the placeholder became two entries
    CString strItem;
    pFile->GetMenuString(ID_FILE_MRU_FILE2, strItem, MF_BYCOMMAND);
    EXPECT_EQ("&2 C:\\b.tst", strItem);

    list.Remove(0);
    EXPECT_EQ("C:\\b.tst", list[0]);
    list.WriteList();
    list.Remove(0);
    list.ReadList();
    EXPECT_EQ("C:\\b.tst", list[0]);
    delete app.m_pRecentFileList;
    app.m_pRecentFileList = nullptr;
}

TEST(CmdUITest, ToolbarButtonsFollowTheirUpdateHandlers)
{
    MdiFixture f;
    CToolBar bar;
    ASSERT_TRUE(bar.CreateEx(f.pFrame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, CRect(0, 0, 0, 0), 0xE820));
    CSize sizeImage;
    std::vector<UINT> ids;
    ASSERT_TRUE(CToolBar::ReadToolBarResource(AfxGetResourceHandle(), IDR_TEST_TOOLBAR, sizeImage, ids));
    EXPECT_EQ(CSize(16, 15), sizeImage);
    ASSERT_EQ(4u, ids.size());
    ASSERT_TRUE(bar.SetButtons(ids.data(), (int)ids.size()));
    EXPECT_EQ(ID_SEPARATOR, bar.GetItemID(1));
    EXPECT_EQ(2, bar.CommandToIndex(0x9001));

    bar.OnUpdateCmdUI(f.pFrame, TRUE);
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, IDS_TEST_COMMAND));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, 0x9001));
    bar.DestroyWindow();
}

// --- Docking and bar state ------------------------------------------------------

TEST(DockTest, BarsDockInRowsAndTheirLayoutSurvivesTheProfile)
{
    MdiFixture f;
    f.pFrame->EnableDocking(CBRS_ALIGN_ANY);
    CToolBar bar1, bar2;
    UINT ids[] = { IDS_TEST_COMMAND, 0x9001 };
    ASSERT_TRUE(bar1.CreateEx(f.pFrame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER,
                              CRect(0, 0, 0, 0), 0xE821));
    ASSERT_TRUE(bar2.CreateEx(f.pFrame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER,
                              CRect(0, 0, 0, 0), 0xE822));
    bar1.SetButtons(ids, 2);
    bar2.SetButtons(ids, 2);
    bar1.EnableDocking(CBRS_ALIGN_ANY);
    bar2.EnableDocking(CBRS_ALIGN_ANY);
    f.pFrame->DockControlBar(&bar1, AFX_IDW_DOCKBAR_TOP);
    f.pFrame->DockControlBar(&bar2, AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(AFX_IDW_DOCKBAR_TOP, bar1.m_pDockBar->GetDlgCtrlID());
    EXPECT_TRUE(bar2.IsVisible());

    // Hidden bar 2, bar 1 moved to the bottom: saved, then undone, then loaded.
    f.pFrame->ShowControlBar(&bar2, FALSE, FALSE);
    f.pFrame->DockControlBar(&bar1, AFX_IDW_DOCKBAR_BOTTOM);
    f.pFrame->SaveBarState("DockTest");
    f.pFrame->ShowControlBar(&bar2, TRUE, FALSE);
    f.pFrame->DockControlBar(&bar1, AFX_IDW_DOCKBAR_TOP);
    f.pFrame->LoadBarState("DockTest");
    EXPECT_EQ(AFX_IDW_DOCKBAR_BOTTOM, bar1.m_pDockBar->GetDlgCtrlID());
    EXPECT_FALSE(bar2.IsVisible());

    // Floating and back.
    f.pFrame->FloatControlBar(&bar1, CPoint(30, 30));
    EXPECT_TRUE(bar1.IsFloating());
    CDockState state;
    f.pFrame->GetDockState(state);
    bool bFoundFloating = false;
    for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); i++)
    {
        CControlBarInfo* pInfo = (CControlBarInfo*)state.m_arrBarInfo[i];
        if (pInfo->m_nBarID == 0xE821)
        {
            bFoundFloating = pInfo->m_bFloating != FALSE;
            EXPECT_EQ(CPoint(30, 30), pInfo->m_pointPos);
        }
    }
    EXPECT_TRUE(bFoundFloating);
    f.pFrame->DockControlBar(&bar1, AFX_IDW_DOCKBAR_TOP);
    EXPECT_FALSE(bar1.IsFloating());
    bar1.DestroyWindow();
    bar2.DestroyWindow();
}

// --- Dialogs ---------------------------------------------------------------------

namespace {

class CTestDialog : public CDialog
{
public:
    CTestDialog() : CDialog(IDD_TEST_DIALOG) {}
    CString m_strName = "start";
    int m_nCheck = 1;
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_TEST_EDIT, m_strName);
        DDV_MaxChars(pDX, m_strName, 5);
        DDX_Check(pDX, IDC_TEST_CHECK, m_nCheck);
    }
};

} // namespace

TEST(DialogTest, ModalDialogExchangesDataAndValidates)
{
    CRecordingPrompts prompts;
    CTestDialog dlg;
    int nRound = 0;
    CScriptedDialogs script([&](CWnd* pDlg) {
        CString s;
        pDlg->GetDlgItemText(IDC_TEST_EDIT, s);
        EXPECT_EQ("start", s); // filled from the member
        EXPECT_EQ(1u, pDlg->IsDlgButtonChecked(IDC_TEST_CHECK));
        EXPECT_EQ(5, pDlg->SendDlgItemMessage(IDC_TEST_EDIT, EM_GETLIMITTEXT, 0, 0));
        // Too long: refused with the framework's message, the dialog stays.
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_TEST_EDIT, "toolong");
        ClickButton(pDlg, IDOK);
        nRound++;
        EXPECT_TRUE(::IsWindow(pDlg->m_hWnd));
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_TEST_EDIT, "ok");
        pDlg->CheckDlgButton(IDC_TEST_CHECK, BST_UNCHECKED);
        ClickButton(pDlg, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, nRound);
    EXPECT_EQ("ok", dlg.m_strName);
    EXPECT_EQ(0, dlg.m_nCheck);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Please enter no more than 5 characters.", prompts.boxes[0].text);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(DialogTest, CancelKeepsTheMembersAndModelessDialogsWork)
{
    CTestDialog dlg;
    CScriptedDialogs script([&](CWnd* pDlg) {
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_TEST_EDIT, "other");
        ClickButton(pDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("start", dlg.m_strName);

    CTestDialog modeless;
    ASSERT_TRUE(modeless.Create(IDD_TEST_DIALOG));
    EXPECT_TRUE(::IsWindow(modeless.m_hWnd));
    modeless.DestroyWindow();
}

// --- Command line and profile -------------------------------------------------------

TEST(CommandLineTest, FlagsAndFileNamesAreParsedTheFrameworkWay)
{
    struct Case { std::vector<const char*> args; int nCommand; const char* pszFile; };
    const Case cases[] = {
        { { "prog" }, CCommandLineInfo::FileNew, "" },
        { { "prog", "/reg" }, CCommandLineInfo::FileNew, "" },      // an unknown flag
        { { "prog", "/REG" }, CCommandLineInfo::FileNew, "" },
        { { "prog", "/reg", "x" }, CCommandLineInfo::FileOpen, "x" },
        { { "prog", "book.qlc" }, CCommandLineInfo::FileOpen, "book.qlc" },
        { { "prog", "/p", "book.qlc" }, CCommandLineInfo::FilePrint, "book.qlc" },
        { { "prog", "-dde" }, CCommandLineInfo::FileDDE, "" },
        // A path that begins with a slash (as Wine takes it) is no switch.
        { { "prog", "/home/me/notes.qlc" }, CCommandLineInfo::FileOpen, "/home/me/notes.qlc" },
        { { "prog", "/notes.qlc" }, CCommandLineInfo::FileOpen, "/notes.qlc" },
        { { "prog", "/p", "/home/me/notes.qlc" }, CCommandLineInfo::FilePrint, "/home/me/notes.qlc" },
        { { "prog", "-dde", "\\\\server\\share\\a.qlc" }, CCommandLineInfo::FileDDE, "\\\\server\\share\\a.qlc" },
    };
    for (const Case& c : cases)
    {
        CCommandLineInfo info;
        std::vector<char*> argv;
        for (const char* p : c.args)
            argv.push_back(const_cast<char*>(p));
        CWinApp::ParseCommandLineArgs(info, (int)argv.size(), argv.data());
        EXPECT_EQ(c.nCommand, (int)info.m_nShellCommand) << c.args.size();
        EXPECT_EQ(c.pszFile, info.m_strFileName);
    }
}

TEST(ProfileTest, ValuesRoundTripThroughTheRegistry)
{
    CTraceApp& app = TestApp();
    EXPECT_TRUE(app.WriteProfileInt("Section", "Int", -5));
    EXPECT_EQ((UINT)-5, app.GetProfileInt("Section", "Int", 3));
    EXPECT_EQ(3u, app.GetProfileInt("Section", "Missing", 3));
    EXPECT_TRUE(app.WriteProfileString("Section", "Str", "text"));
    EXPECT_EQ("text", app.GetProfileString("Section", "Str"));
    // A value of another type is not an int.
    EXPECT_EQ(9u, app.GetProfileInt("Section", "Str", 9));
    BYTE data[3] = { 1, 2, 3 };
    EXPECT_TRUE(app.WriteProfileBinary("Section", "Bin", data, 3));
    LPBYTE pData = nullptr;
    UINT nBytes = 0;
    ASSERT_TRUE(app.GetProfileBinary("Section", "Bin", &pData, &nBytes));
    EXPECT_EQ(3u, nBytes);
    EXPECT_EQ(0, memcmp(pData, data, 3));
    delete[] pData;
    EXPECT_TRUE(app.WriteProfileString("Section", nullptr, nullptr)); // the whole section goes
    EXPECT_EQ("gone", app.GetProfileString("Section", "Str", "gone"));
}
