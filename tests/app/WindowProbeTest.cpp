// The window probe of the end-to-end scripts, run as they run it: a process
// of its own looking into this test's desktop, at windows this test made
// (a frame with an edit, a check box, a tree and a list box, a hidden
// control) and answers to while the probe runs.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kEditId = 101, kCheckId = 102, kTreeId = 103, kListId = 104, kHiddenId = 105;

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

        m_strTitle = "Probe Target " + std::to_string(::GetCurrentProcessId());
        m_hwnd = ::CreateWindowExA(0, "STATIC", m_strTitle.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 120,
                                   400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_hwndEdit = Child("EDIT", "hello probe", WS_BORDER, 10, 10, 150, 24, kEditId);
        m_hwndCheck = Child("BUTTON", "Keep", BS_AUTOCHECKBOX, 10, 40, 150, 20, kCheckId);
        m_hwndTree = Child(WC_TREEVIEWA, "", WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES, 170, 10, 200, 120, kTreeId);
        m_hwndList = Child("LISTBOX", "", WS_BORDER, 170, 140, 200, 100, kListId);
        Child("STATIC", "unseen", 0, 10, 70, 50, 20, kHiddenId);
        ::ShowWindow(::GetDlgItem(m_hwnd, kHiddenId), SW_HIDE);
        ::SendMessageA(m_hwndCheck, BM_SETCHECK, BST_CHECKED, 0);

        m_hAlpha = Insert("Alpha", TVI_ROOT);
        m_hGamma = Insert("Gamma", m_hAlpha);
        Insert("Beta", TVI_ROOT);
        Insert("Delta", Insert("Hidden branch", TVI_ROOT));
        ::SendMessageA(m_hwndTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)m_hAlpha);
        for (const char* text : { "one", "two", "three" })
            ::SendMessageA(m_hwndList, LB_ADDSTRING, 0, (LPARAM)text);
        ::ShowWindow(m_hwnd, SW_SHOW);
        ::UpdateWindow(m_hwnd);
    }

    void TearDown() override
    {
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
    EXPECT_EQ(r.strOut, "visible enabled checked");
    ::SendMessageA(m_hwndCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    ::EnableWindow(m_hwndCheck, FALSE);
    r = Probe({ "state", Top(), "id=102" });
    EXPECT_EQ(r.strOut, "visible disabled unchecked");

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

} // namespace
