// The window probe of the end-to-end scripts, run as they run it: a process
// of its own looking into this test's desktop, at windows this test made
// (a frame with an edit, a check box, a tree and a list box, a hidden
// control; notebook windows in an MDI client; a picture on the screen) and
// answers to while the probe runs.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kEditId = 101, kCheckId = 102, kTreeId = 103, kListId = 104, kHiddenId = 105, kBarId = 106, kFilesId = 107;
const char kFrameClass[] = "QlcProbeFrame";

// The state words but "front", which other tests' windows on the same
// screen may take away.
std::string WithoutFront(std::string state)
{
    const size_t at = state.find(" front");
    if (at != std::string::npos)
        state.erase(at, 6);
    return state;
}

struct ProbeResult
{
    DWORD dwExit = 0xFFFFFFFF;
    std::string strOut;
    std::string strErr;
};

std::string ReadAll(HANDLE hFile)
{
    std::string text;
    ::SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(hFile, buf, sizeof(buf), &got, nullptr) && got != 0)
        text.append(buf, got);
    // The console's line ends, and the last one.
    std::string plain;
    for (char c : text)
        if (c != '\r')
            plain += c;
    if (!plain.empty() && plain.back() == '\n')
        plain.pop_back();
    return plain;
}

HANDLE TempFile()
{
    char szDir[MAX_PATH], szPath[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szDir);
    ::GetTempFileNameA(szDir, "qwp", 0, szPath);
    SECURITY_ATTRIBUTES sa = { sizeof(sa), nullptr, TRUE };
    return ::CreateFileA(szPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

class WindowProbeTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        char szName[256] = "";
        ::GetUserObjectInformationA(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, szName, sizeof(szName),
                                    nullptr);
        m_strDesktop = szName;
        char szExe[MAX_PATH];
        ::GetModuleFileNameA(nullptr, szExe, MAX_PATH);
        m_strProbe = szExe;
        m_strProbe = m_strProbe.substr(0, m_strProbe.find_last_of('\\') + 1) + "qlcwinprobe.exe";

        // A frame of the system's own drawing and hit testing.
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = kFrameClass;
        ::RegisterClassA(&wc);
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES };
        ::InitCommonControlsEx(&icc);
        m_strTitle = "Probe Target " + std::to_string(::GetCurrentProcessId());
        m_hwnd = ::CreateWindowExA(0, kFrameClass, m_strTitle.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 120,
                                   400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_hwndEdit = Child("EDIT", "hello probe", WS_BORDER, 10, 10, 150, 24, kEditId);
        m_hwndCheck = Child("BUTTON", "Keep", BS_AUTOCHECKBOX, 10, 40, 150, 20, kCheckId);
        m_hwndTree = Child(WC_TREEVIEWA, "", WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES, 170, 10, 200, 120, kTreeId);
        m_hwndList = Child("LISTBOX", "", WS_BORDER, 170, 140, 200, 100, kListId);
        Child("STATIC", "unseen", 0, 10, 70, 50, 20, kHiddenId);
        m_hwndBar = Child(TOOLBARCLASSNAMEA, "", CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_FLAT, 10, 200, 150, 30,
                          kBarId);
        ::SendMessageA(m_hwndBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON buttons[4] = {};
        const int ids[4] = { 201, 0, 202, 203 };
        const BYTE states[4] = { TBSTATE_ENABLED, 0, TBSTATE_ENABLED | TBSTATE_CHECKED, 0 };
        for (int i = 0; i < 4; ++i)
        {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = ids[i];
            buttons[i].fsState = states[i];
            buttons[i].fsStyle = ids[i] == 0 ? BTNS_SEP : BTNS_BUTTON;
        }
        ::SendMessageA(m_hwndBar, TB_ADDBUTTONSA, 4, (LPARAM)buttons);
        // A tooltip with one tool over a part of the frame, as the tray has
        // one for each icon.
        m_strTip = "Tip of " + std::to_string(::GetCurrentProcessId());
        m_hwndTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                      m_hwnd, nullptr, nullptr, nullptr);
        TTTOOLINFOA ti = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = m_hwnd;
        ti.uId = 1;
        ti.rect = { 20, 240, 44, 264 };
        ti.lpszText = (LPSTR)m_strTip.c_str();
        ::SendMessageA(m_hwndTip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
        ::ShowWindow(::GetDlgItem(m_hwnd, kHiddenId), SW_HIDE);
        ::SendMessageA(m_hwndCheck, BM_SETCHECK, BST_CHECKED, 0);

        m_hAlpha = Insert("Alpha", TVI_ROOT);
        m_hGamma = Insert("Gamma", m_hAlpha);
        Insert("Beta", TVI_ROOT);
        Insert("Delta", Insert("Hidden branch", TVI_ROOT));
        ::SendMessageA(m_hwndTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)m_hAlpha);
        for (const char* text : { "one", "two", "three" })
            ::SendMessageA(m_hwndList, LB_ADDSTRING, 0, (LPARAM)text);
        // A list of files as the file dialogs show one, longer than it
        // shows.
        m_hwndFiles = Child(WC_LISTVIEWA, "", WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER, 10, 100, 150, 90, kFilesId);
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageA(m_hwndFiles, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
        for (int i = 0; i < 20; ++i)
        {
            const std::string text = "part" + std::to_string(i) + ".bin";
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = (LPSTR)text.c_str();
            ::SendMessageA(m_hwndFiles, LVM_INSERTITEMA, 0, (LPARAM)&item);
        }
        ::ShowWindow(m_hwnd, SW_SHOW);
        ::UpdateWindow(m_hwnd);
    }

    void TearDown() override
    {
        if (m_hwndTip != nullptr)
            ::DestroyWindow(m_hwndTip);
        if (m_hwnd != nullptr)
            ::DestroyWindow(m_hwnd);
    }

    HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int cx, int cy, int id)
    {
        HWND hwnd = ::CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, m_hwnd,
                                      (HMENU)(INT_PTR)id, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr) << cls;
        return hwnd;
    }

    HTREEITEM Insert(const char* text, HTREEITEM hParent)
    {
        TVINSERTSTRUCTA tvis = {};
        tvis.hParent = hParent;
        tvis.hInsertAfter = TVI_LAST;
        tvis.item.mask = TVIF_TEXT;
        tvis.item.pszText = (LPSTR)text;
        return (HTREEITEM)::SendMessageA(m_hwndTree, TVM_INSERTITEMA, 0, (LPARAM)&tvis);
    }

    // Runs the probe on this test's desktop with the arguments, answering
    // the messages it sends meanwhile; fOnWait runs once after it started.
    ProbeResult Probe(const std::vector<std::string>& args, void (*fOnWait)(WindowProbeTest*) = nullptr)
    {
        ProbeResult result;
        std::string command = "\"" + m_strProbe + "\" \"" + m_strDesktop + "\"";
        for (const std::string& arg : args)
            command += " \"" + arg + "\"";
        HANDLE hOut = TempFile(), hErr = TempFile();
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = hOut;
        si.hStdError = hErr;
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                              &pi))
        {
            ADD_FAILURE() << "the probe did not start: " << command;
            return result;
        }
        if (fOnWait != nullptr)
            fOnWait(this);
        const DWORD dwStart = ::GetTickCount();
        while (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0)
        {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (::GetTickCount() - dwStart > 60000)
            {
                ::TerminateProcess(pi.hProcess, 99);
                ADD_FAILURE() << "the probe did not end: " << command;
            }
        }
        ::GetExitCodeProcess(pi.hProcess, &result.dwExit);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        result.strOut = ReadAll(hOut);
        result.strErr = ReadAll(hErr);
        ::CloseHandle(hOut);
        ::CloseHandle(hErr);
        return result;
    }

    std::string Top() const { return "title=" + m_strTitle; }

    static std::string Rect(RECT rc, HWND hwndFrom = nullptr)
    {
        if (hwndFrom != nullptr)
            ::MapWindowPoints(hwndFrom, HWND_DESKTOP, (POINT*)&rc, 2);
        return std::to_string(rc.left) + " " + std::to_string(rc.top) + " " + std::to_string(rc.right - rc.left) +
            " " + std::to_string(rc.bottom - rc.top);
    }

    std::string m_strDesktop, m_strProbe, m_strTitle;
    HWND m_hwnd = nullptr, m_hwndEdit = nullptr, m_hwndCheck = nullptr, m_hwndTree = nullptr, m_hwndList = nullptr;
    HWND m_hwndBar = nullptr, m_hwndTip = nullptr, m_hwndFiles = nullptr;
    std::string m_strTip;
    HTREEITEM m_hAlpha = nullptr, m_hGamma = nullptr;
    HWND m_hwndLate = nullptr;
};

TEST_F(WindowProbeTest, FindsWindowsByTitleClassAndIdAndTellsTheirPlace)
{
    ProbeResult r = Probe({ "rect", Top() });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "100 120 400 300");

    // A control below the frame by class and id, anywhere below it.
    r = Probe({ "client", Top(), "class=Edit,id=101" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    RECT rc;
    ::GetClientRect(m_hwndEdit, &rc);
    EXPECT_EQ(r.strOut, Rect(rc, m_hwndEdit));
    r = Probe({ "rect", "title=Probe Target*", "id=102" });
    POINT pt = { 10, 40 };
    ::ClientToScreen(m_hwnd, &pt);
    EXPECT_EQ(r.strOut, std::to_string(pt.x) + " " + std::to_string(pt.y) + " 150 20");

    r = Probe({ "find", Top(), "title=Keep" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "Button 102 \"Keep\" " + std::to_string(pt.x) + " " + std::to_string(pt.y) + " 150 20 visible");

    // The title bar point lies above the client area, inside the frame.
    r = Probe({ "caption", Top() });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    POINT client = { 0, 0 };
    ::ClientToScreen(m_hwnd, &client);
    int x = -1, y = -1;
    ASSERT_EQ(sscanf(r.strOut.c_str(), "%d %d", &x, &y), 2) << r.strOut;
    EXPECT_GT(x, 100);
    EXPECT_LT(x, 300);
    EXPECT_GT(y, 120);
    EXPECT_LT(y, client.y);
    EXPECT_EQ(::DefWindowProcA(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)), HTCAPTION);
}

TEST_F(WindowProbeTest, ReadsTextStateAndFocus)
{
    ProbeResult r = Probe({ "text", Top(), "id=101" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "hello probe");

    r = Probe({ "state", Top(), "id=102" });
    EXPECT_EQ(WithoutFront(r.strOut), "visible enabled checked");
    ::SendMessageA(m_hwndCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    ::EnableWindow(m_hwndCheck, FALSE);
    r = Probe({ "state", Top(), "id=102" });
    EXPECT_EQ(WithoutFront(r.strOut), "visible disabled unchecked");

    // The focus named by class, id and the title the system keeps (an
    // edit's text is not one).
    ::EnableWindow(m_hwndCheck, TRUE);
    ::SetFocus(m_hwndCheck);
    r = Probe({ "focus", Top() });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "Button 102 \"Keep\"");
    ::SetFocus(m_hwndTree);
    r = Probe({ "focus", Top() });
    EXPECT_EQ(r.strOut, "SysTreeView32 103 \"\"");
    r = Probe({ "state", Top(), "id=103" });
    EXPECT_NE(r.strOut.find(" focus"), std::string::npos) << r.strOut;
    r = Probe({ "state", Top(), "id=102" });
    EXPECT_EQ(r.strOut.find(" focus"), std::string::npos) << r.strOut;

    // The mouse held, as in a drag.
    ::SetCapture(m_hwndTree);
    r = Probe({ "state", Top(), "id=103" });
    EXPECT_NE(r.strOut.find(" capture"), std::string::npos) << r.strOut;
    ::ReleaseCapture();
    r = Probe({ "state", Top(), "id=103" });
    EXPECT_EQ(r.strOut.find(" capture"), std::string::npos) << r.strOut;
}

TEST_F(WindowProbeTest, ListsTheShownRowsOfATreeAndAListAndFindsOne)
{
    ProbeResult r = Probe({ "items", Top(), "id=103" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "Alpha\n  Gamma\nBeta\nHidden branch");

    r = Probe({ "item", "Gam*", Top(), "class=SysTreeView32" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    RECT rc = {};
    *(HTREEITEM*)&rc = m_hGamma;
    ASSERT_TRUE(::SendMessageA(m_hwndTree, TVM_GETITEMRECT, TRUE, (LPARAM)&rc));
    EXPECT_EQ(r.strOut, Rect(rc, m_hwndTree));
    // A row below a closed branch is not shown.
    r = Probe({ "item", "Delta", Top(), "id=103" });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("no row \"Delta\""), std::string::npos) << r.strErr;

    r = Probe({ "items", Top(), "class=ListBox" });
    EXPECT_EQ(r.strOut, "one\ntwo\nthree");
    r = Probe({ "item", "two", Top(), "class=ListBox" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    ASSERT_NE(::SendMessageA(m_hwndList, LB_GETITEMRECT, 1, (LPARAM)&rc), LB_ERR);
    EXPECT_EQ(r.strOut, Rect(rc, m_hwndList));

    // A list view's items by their labels; one scrolled out of sight has no
    // place.
    r = Probe({ "items", Top(), "id=107" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    std::string files;
    for (int i = 0; i < 20; ++i)
        files += (i == 0 ? "part" : "\npart") + std::to_string(i) + ".bin";
    EXPECT_EQ(r.strOut, files);
    r = Probe({ "item", "part1.bin", Top(), "class=SysListView32" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    rc = {};
    rc.left = LVIR_LABEL;
    ASSERT_TRUE(::SendMessageA(m_hwndFiles, LVM_GETITEMRECT, 1, (LPARAM)&rc));
    EXPECT_EQ(r.strOut, Rect(rc, m_hwndFiles));
    r = Probe({ "item", "part19.bin", Top(), "id=107" });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("the row \"part19.bin\" is out of sight"), std::string::npos) << r.strErr;

    // A toolbar's buttons by command id, with their states; separators are
    // no rows.
    r = Probe({ "items", Top(), "id=106" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "201\n202 checked\n203 disabled");
    r = Probe({ "item", "202", Top(), "class=ToolbarWindow32" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    ASSERT_TRUE(::SendMessageA(m_hwndBar, TB_GETITEMRECT, 2, (LPARAM)&rc));
    EXPECT_EQ(r.strOut, Rect(rc, m_hwndBar));

    // A tool found by its tip among every tooltip window (hidden, as they
    // are until they pop up); its place is the tool's, on the screen.
    r = Probe({ "item", m_strTip, "--hidden", "class=tooltips_class32" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, Rect({ 20, 240, 44, 264 }, m_hwnd));

    // An edit has no rows.
    r = Probe({ "items", Top(), "id=101" });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("has no rows"), std::string::npos) << r.strErr;
}

TEST_F(WindowProbeTest, SaysWhatItLookedForWhenItIsNotThere)
{
    // Hidden windows match only when asked for.
    ProbeResult r = Probe({ "text", Top(), "id=105" });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find("text " + Top() + " / id=105: no such window"), std::string::npos) << r.strErr;
    r = Probe({ "text", "--hidden", Top(), "id=105" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "unseen");

    // Output not as wanted: both are named.
    r = Probe({ "text", "--is", "goodbye*", Top(), "id=101" });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("it shows \"hello probe\", not \"goodbye*\""), std::string::npos) << r.strErr;
    r = Probe({ "text", "--is", "hello*", Top(), "id=101" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;

    r = Probe({ "gone", Top() });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("still there"), std::string::npos) << r.strErr;
    r = Probe({ "gone", "title=Nothing like this" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;

    r = Probe({ "find", Top(), "colour=red" });
    EXPECT_EQ(r.dwExit, 2u);
    EXPECT_NE(r.strErr.find("\"colour=red\" is not a window"), std::string::npos) << r.strErr;
}

TEST_F(WindowProbeTest, WaitsForAWindowToComeAndToGo)
{
    // A window that appears half a second after the probe started.
    const std::string late = "title=Late " + std::to_string(::GetCurrentProcessId());
    ProbeResult r = Probe({ "text", "--wait", "30", late },
                          [](WindowProbeTest* t) {
                              ::Sleep(500);
                              t->m_hwndLate = ::CreateWindowExA(
                                  0, "STATIC", ("Late " + std::to_string(::GetCurrentProcessId())).c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr, nullptr, nullptr);
                          });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "Late " + std::to_string(::GetCurrentProcessId()));

    // Text that changes while the probe waits for it.
    r = Probe({ "text", "--wait", "30", "--is", "changed", Top(), "id=101" },
              [](WindowProbeTest* t) {
                  ::Sleep(500);
                  ::SetWindowTextA(t->m_hwndEdit, "changed");
              });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;

    r = Probe({ "gone", "--wait", "30", late },
              [](WindowProbeTest* t) {
                  ::Sleep(500);
                  ::DestroyWindow(t->m_hwndLate);
              });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;

    // A deadline that passes says what was waited for and how long.
    const DWORD dwStart = ::GetTickCount();
    r = Probe({ "find", "--wait", "1", late });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_GE(::GetTickCount() - dwStart, 1000u);
    EXPECT_NE(r.strErr.find("find " + late + ": no such window (waited 1 s)"), std::string::npos) << r.strErr;
}

// Windows a test makes beyond the fixture's, gone at its end.
struct CWindowsMade
{
    std::vector<HWND> windows;
    HWND Add(HWND hwnd)
    {
        EXPECT_NE(hwnd, nullptr);
        windows.push_back(hwnd);
        return hwnd;
    }
    ~CWindowsMade()
    {
        for (auto it = windows.rbegin(); it != windows.rend(); ++it)
            if (::IsWindow(*it))
                ::DestroyWindow(*it);
    }
};

TEST_F(WindowProbeTest, FindsTheButtonsOfATitleBar)
{
    for (const char* button : { "min", "max", "close" })
    {
        ProbeResult r = Probe({ "button", button, Top() });
        EXPECT_EQ(r.dwExit, 0u) << button << ": " << r.strErr;
        int x = -1, y = -1;
        ASSERT_EQ(sscanf(r.strOut.c_str(), "%d %d", &x, &y), 2) << r.strOut;
        const LRESULT expected = button[1] == 'i' ? HTMINBUTTON : button[1] == 'a' ? HTMAXBUTTON : HTCLOSE;
        EXPECT_EQ(::DefWindowProcA(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)), expected) << button;
        // The middle of the button: its neighbours a few pixels aside are
        // the same button.
        EXPECT_EQ(::DefWindowProcA(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(x - 3, y)), expected) << button;
        EXPECT_EQ(::DefWindowProcA(m_hwnd, WM_NCHITTEST, 0, MAKELPARAM(x + 3, y)), expected) << button;
    }

    // No title bar, or no such button on it.
    ProbeResult r = Probe({ "button", "min", Top(), "id=101" });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("it has no title bar"), std::string::npos) << r.strErr;
    ::SetWindowLongA(m_hwnd, GWL_STYLE, (::GetWindowLongA(m_hwnd, GWL_STYLE) & ~WS_MINIMIZEBOX & ~WS_MAXIMIZEBOX));
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    r = Probe({ "button", "min", Top() });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("its title bar has no min button"), std::string::npos) << r.strErr;
    r = Probe({ "button", "middle", Top() });
    EXPECT_EQ(r.dwExit, 2u);
}

TEST_F(WindowProbeTest, TellsTheActiveNotebookWindowAndWhatIsInFront)
{
    // A frame with an MDI client and two notebook windows, the second
    // active as made.
    CWindowsMade made;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefMDIChildProcA;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "QlcProbeNotebook";
    ::RegisterClassA(&wc);
    const std::string frame = "Probe Notebooks " + std::to_string(::GetCurrentProcessId());
    HWND hwndFrame = made.Add(::CreateWindowExA(0, kFrameClass, frame.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN |
                                                WS_VISIBLE, 520, 120, 420, 320, nullptr, nullptr, nullptr, nullptr));
    CLIENTCREATESTRUCT ccs = { nullptr, 50000 };
    HWND hwndClient = made.Add(::CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0,
                                                 0, 400, 260, hwndFrame, (HMENU)1, nullptr, &ccs));
    HWND hwndNotebooks[2] = {};
    for (int i = 0; i < 2; ++i)
    {
        MDICREATESTRUCTA mcs = { "QlcProbeNotebook", i == 0 ? "first.qlc" : "second.qlc", nullptr, 10 + 30 * i,
                                 10 + 30 * i, 250, 150, WS_VISIBLE, 0 };
        hwndNotebooks[i] = (HWND)::SendMessageA(hwndClient, WM_MDICREATE, 0, (LPARAM)&mcs);
        ASSERT_NE(hwndNotebooks[i], nullptr);
    }
    const std::string top = "title=" + frame;
    ProbeResult r = Probe({ "state", top, "title=second.qlc" });
    EXPECT_NE(r.strOut.find(" active"), std::string::npos) << r.strOut;
    r = Probe({ "state", top, "title=first.qlc" });
    EXPECT_EQ(r.strOut.find(" active"), std::string::npos) << r.strOut;
    ::SendMessageA(hwndClient, WM_MDIACTIVATE, (WPARAM)hwndNotebooks[0], 0);
    r = Probe({ "state", "--is", "* active*", top, "title=first.qlc" });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    r = Probe({ "state", top, "title=second.qlc" });
    EXPECT_EQ(r.strOut.find(" active"), std::string::npos) << r.strOut;
    ::ShowWindow(hwndNotebooks[1], SW_MINIMIZE);
    r = Probe({ "state", top, "title=second.qlc" });
    EXPECT_NE(r.strOut.find(" minimized"), std::string::npos) << r.strOut;

    // In front: kept topmost, so that other tests' windows stay behind;
    // then a window over its middle, but not over its edit.
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    r = Probe({ "state", Top() });
    EXPECT_NE(r.strOut.find(" front"), std::string::npos) << r.strOut;
    RECT rc = {};
    ::GetWindowRect(m_hwnd, &rc);
    const POINT middle = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    HWND hwndCover = made.Add(::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kFrameClass, "Cover",
                                                WS_POPUP | WS_BORDER | WS_VISIBLE, middle.x - 40, middle.y - 40, 80, 80,
                                                nullptr, nullptr, nullptr, nullptr));
    r = Probe({ "state", Top() });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut.find(" front"), std::string::npos) << r.strOut;
    r = Probe({ "state", Top(), "id=101" });
    EXPECT_NE(r.strOut.find(" front"), std::string::npos) << r.strOut;
    ::DestroyWindow(hwndCover);
    r = Probe({ "state", "--is", "* front*", Top() });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
}

// A picture of distinct colours, row by row from the top, as 0x00RRGGBB.
std::vector<DWORD> TestPicture(int cx, int cy, bool bInverted)
{
    std::vector<DWORD> pixels;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
        {
            const DWORD pixel = (DWORD)((x * 4) << 16 | (y * 5) << 8 | ((x + y) * 2 + 7));
            pixels.push_back(bInverted ? ~pixel & 0x00FFFFFF : pixel);
        }
    return pixels;
}

HBITMAP TestBitmap(int cx, int cy, const std::vector<DWORD>& pixels)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HBITMAP hbm = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hbm != nullptr)
        memcpy(pBits, pixels.data(), pixels.size() * sizeof(DWORD));
    return hbm;
}

// A 24-bit BMP file, bottom-up, written byte by byte here.
std::string WriteBmp(const char* name, int cx, int cy, const std::vector<DWORD>& pixels)
{
    char szDir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szDir);
    const std::string path = std::string(szDir) + name + std::to_string(::GetCurrentProcessId()) + ".bmp";
    const int stride = (cx * 3 + 3) & ~3;
    std::string data(54 + stride * cy, '\0');
    auto put32 = [&data](size_t at, DWORD v) {
        for (int i = 0; i < 4; ++i)
            data[at + i] = (char)(v >> (8 * i));
    };
    data[0] = 'B';
    data[1] = 'M';
    put32(2, (DWORD)data.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, cx);
    put32(22, cy);
    data[26] = 1;
    data[28] = 24;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
        {
            const DWORD pixel = pixels[y * cx + x];
            const size_t at = 54 + (size_t)(cy - 1 - y) * stride + x * 3;
            data[at] = (char)pixel;
            data[at + 1] = (char)(pixel >> 8);
            data[at + 2] = (char)(pixel >> 16);
        }
    FILE* f = fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f != nullptr)
    {
        fwrite(data.data(), 1, data.size(), f);
        fclose(f);
    }
    return path;
}

TEST_F(WindowProbeTest, TellsWhenTheScreenShowsAPictureAndKeepsTheScreen)
{
    const int cx = 64, cy = 48;
    const std::vector<DWORD> picture = TestPicture(cx, cy, false);
    const std::string file = WriteBmp("qwp-picture", cx, cy, picture);
    const std::string other = WriteBmp("qwp-other", cx, cy, TestPicture(cx, cy, true));
    char szDir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szDir);
    const std::string shot = std::string(szDir) + "qwp-shot" + std::to_string(::GetCurrentProcessId()) + ".bmp";

    // The picture in a topmost window of its own, blank at first: it is
    // put in while the probe waits.
    CWindowsMade made;
    const std::string title = "Probe Picture " + std::to_string(::GetCurrentProcessId());
    static HWND s_hwndPicture = nullptr;
    static HBITMAP s_hbmPicture = nullptr;
    s_hbmPicture = TestBitmap(cx, cy, picture);
    HBITMAP hbmBlank = TestBitmap(cx, cy, std::vector<DWORD>(cx * cy, 0x00FFFFFF));
    s_hwndPicture = made.Add(::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", title.c_str(),
                                               WS_POPUP | SS_BITMAP | WS_VISIBLE, 600, 420, cx, cy, nullptr, nullptr,
                                               nullptr, nullptr));
    ::SendMessageA(s_hwndPicture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hbmBlank);
    ::UpdateWindow(s_hwndPicture);
    ProbeResult r = Probe({ "shows", file, "--shot", shot, "--wait", "30", "title=" + title },
                          [](WindowProbeTest*) {
                              ::Sleep(500);
                              ::SendMessageA(s_hwndPicture, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)s_hbmPicture);
                              ::UpdateWindow(s_hwndPicture);
                          });
    EXPECT_EQ(r.dwExit, 0u) << r.strErr;
    EXPECT_EQ(r.strOut, "600 420");

    // The screen as it was then: the desktop's size, the picture in place.
    HBITMAP hbmShot = (HBITMAP)::LoadImageA(nullptr, shot.c_str(), IMAGE_BITMAP, 0, 0,
                                            LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_NE(hbmShot, nullptr) << shot;
    DIBSECTION ds = {};
    ASSERT_EQ(::GetObjectA(hbmShot, sizeof(ds), &ds), (int)sizeof(ds));
    RECT rcDesk = {};
    ::GetWindowRect(::GetDesktopWindow(), &rcDesk);
    EXPECT_EQ(ds.dsBm.bmWidth, rcDesk.right - rcDesk.left);
    EXPECT_EQ(ds.dsBm.bmHeight, rcDesk.bottom - rcDesk.top);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    int differing = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
        {
            // Bottom-up rows, blue first.
            const BYTE* p = (const BYTE*)ds.dsBm.bmBits +
                (size_t)(ds.dsBm.bmHeight - 1 - (420 + y)) * ds.dsBm.bmWidthBytes + (600 + x) * 3;
            differing += (DWORD)(p[2] << 16 | p[1] << 8 | p[0]) != picture[y * cx + x];
        }
    EXPECT_LE(differing * 100, cx * cy);
    ::DeleteObject(hbmShot);

    // Another picture is not there; the place and the count are named.
    r = Probe({ "shows", other, "title=" + title });
    EXPECT_EQ(r.dwExit, 1u);
    EXPECT_NE(r.strErr.find("at 600,420 the screen differs from the picture in"), std::string::npos) << r.strErr;
    r = Probe({ "shows", shot + ".none", "title=" + title });
    EXPECT_EQ(r.dwExit, 2u);
    EXPECT_NE(r.strErr.find("is not a picture"), std::string::npos) << r.strErr;

    ::DestroyWindow(s_hwndPicture);
    ::DeleteObject(s_hbmPicture);
    ::DeleteObject(hbmBlank);
    ::DeleteFileA(file.c_str());
    ::DeleteFileA(other.c_str());
    ::DeleteFileA(shot.c_str());
}

} // namespace
