// The small controls through real windows: the link label (set-up, colours
// under the pointer, opening and its failures, the fallback command line),
// the status-bar progress bar, the font tip and the browser control, whose
// engine may be missing (then it must fail quietly).
#include "WindowTestSupport.h"

#include "widgets/CHtmlCtrl.h"
#include "widgets/CHyperLink.h"
#include "widgets/CProgressBar.h"
#include "widgets/CQlcHelpCtrl.h"
#include "widgets/CTipWnd.h"

#include "framework/gdi/CScopedSelect.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CStatusBar.h"

#include <exdispid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kLinkId = 22780;

class CHostWnd : public CWnd
{
public:
    CHostWnd()
    {
        EXPECT_TRUE(CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 20, 20, 400, 300, nullptr, nullptr));
    }
    ~CHostWnd() override
    {
        if (m_hWnd != nullptr)
            DestroyWindow();
    }
};

// A static made as a dialog would have it, then taken over by the link.
HWND MakeStatic(CWnd& host, LPCSTR lpszText, DWORD dwStyle = SS_LEFT)
{
    return ::CreateWindowExA(0, "STATIC", lpszText, WS_CHILD | WS_VISIBLE | dwStyle, 10, 10, 300, 40, host.m_hWnd,
                             (HMENU)(UINT_PTR)kLinkId, ::GetModuleHandleA(nullptr), nullptr);
}

CSize TextExtentIn(HWND hWnd, LPCSTR lpszText)
{
    HDC hdc = ::GetDC(hWnd);
    HFONT hFont = (HFONT)::SendMessageA(hWnd, WM_GETFONT, 0, 0);
    SIZE size = {};
    {
        CScopedSelect select(hdc, hFont);
        ::GetTextExtentPoint32A(hdc, lpszText, lstrlenA(lpszText), &size);
    }
    ::ReleaseDC(hWnd, hdc);
    return CSize(size);
}

// The shell and command calls of the link, recorded.
struct OpenRecorder
{
    OpenRecorder(INT_PTR nShellResult) : pfnOldShell(CHyperLink::s_pfnShellExecute), pfnOldExec(CHyperLink::s_pfnWinExec)
    {
        s_nShellResult = nShellResult;
        s_urls.clear();
        s_commands.clear();
        CHyperLink::s_pfnShellExecute = &Shell;
        CHyperLink::s_pfnWinExec = &Exec;
    }
    ~OpenRecorder()
    {
        CHyperLink::s_pfnShellExecute = pfnOldShell;
        CHyperLink::s_pfnWinExec = pfnOldExec;
    }
    static HINSTANCE WINAPI Shell(HWND, LPCSTR lpszVerb, LPCSTR lpszFile, LPCSTR, LPCSTR, INT)
    {
        EXPECT_STREQ("open", lpszVerb);
        s_urls.push_back(lpszFile);
        return (HINSTANCE)s_nShellResult;
    }
    static UINT WINAPI Exec(LPCSTR lpszCommand, UINT)
    {
        s_commands.push_back(lpszCommand);
        return 33;
    }
    decltype(CHyperLink::s_pfnShellExecute) pfnOldShell;
    decltype(CHyperLink::s_pfnWinExec) pfnOldExec;
    static INT_PTR s_nShellResult;
    static std::vector<std::string> s_urls;
    static std::vector<std::string> s_commands;
};
INT_PTR OpenRecorder::s_nShellResult = 0;
std::vector<std::string> OpenRecorder::s_urls;
std::vector<std::string> OpenRecorder::s_commands;

// The ".htm" class of the test's registry, for the browser fallback.
class CHtmClass
{
public:
    CHtmClass()
    {
        ::RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, "QlcTestPage", 11);
        const char szCommand[] = "\"C:\\web\\browse.exe\" -nohome \"%1\"";
        ::RegSetValueA(HKEY_CLASSES_ROOT, "QlcTestPage\\shell\\open\\command", REG_SZ, szCommand,
                       sizeof(szCommand) - 1);
    }
    ~CHtmClass()
    {
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "QlcTestPage\\shell\\open\\command");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "QlcTestPage\\shell\\open");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "QlcTestPage\\shell");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "QlcTestPage");
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Hyperlink

TEST(HyperLinkTest, SetUpTakesTheTextOrTheURLAndFitsTheText)
{
    CHostWnd host;
    {
        // No text: the URL shows.
        CHyperLink link;
        link.SetLinkTarget("http://www.varlosoft.com/");
        ASSERT_TRUE(link.SubclassWindow(MakeStatic(host, "")));
        CString strText;
        link.GetWindowText(strText);
        EXPECT_EQ("http://www.varlosoft.com/", strText);
        EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
        LOGFONTA lf = {};
        ::GetObjectA((HFONT)link.SendMessage(WM_GETFONT), sizeof(lf), &lf);
        EXPECT_TRUE(lf.lfUnderline);
        // Fitted: as wide and high as the text, left edge kept.
        CRect rect;
        link.GetWindowRect(rect);
        host.ScreenToClient(rect);
        const CSize size = TextExtentIn(link.m_hWnd, strText);
        EXPECT_EQ(10, rect.left);
        EXPECT_EQ(10, rect.top);
        EXPECT_EQ(size.cx, rect.Width());
        EXPECT_EQ(size.cy, rect.Height());
        link.DestroyWindow();
    }
    {
        // Text without a URL: the text is the URL; right-aligned keeps the
        // right edge, centred shrinks both sides.
        CHyperLink link;
        ASSERT_TRUE(link.SubclassWindow(MakeStatic(host, "mailto:someone@example.com", SS_RIGHT)));
        EXPECT_EQ("mailto:someone@example.com", link.GetLinkTarget());
        CRect rect;
        link.GetWindowRect(rect);
        host.ScreenToClient(rect);
        EXPECT_EQ(310, rect.right);
        link.DestroyWindow();

        CHyperLink centred;
        ASSERT_TRUE(centred.SubclassWindow(MakeStatic(host, "centre", SS_CENTER | SS_CENTERIMAGE)));
        centred.GetWindowRect(rect);
        host.ScreenToClient(rect);
        const CSize size = TextExtentIn(centred.m_hWnd, "centre");
        EXPECT_NEAR(160, rect.CenterPoint().x, 1);
        EXPECT_NEAR(30, rect.CenterPoint().y, 1);
        EXPECT_EQ(size.cy, rect.Height());
        centred.DestroyWindow();
    }
    {
        // Underlining off makes a plain font again.
        CHyperLink link;
        ASSERT_TRUE(link.SubclassWindow(MakeStatic(host, "plain")));
        link.SetUnderlined(FALSE);
        LOGFONTA lf = {};
        ::GetObjectA((HFONT)link.SendMessage(WM_GETFONT), sizeof(lf), &lf);
        EXPECT_FALSE(lf.lfUnderline);
        link.DestroyWindow();
    }
}

TEST(HyperLinkTest, HoverChangesTheColourAndHoldsTheMouseUntilItLeaves)
{
    CHostWnd host;
    CHyperLink link;
    link.SetLinkTarget("http://x/");
    ASSERT_TRUE(link.SubclassWindow(MakeStatic(host, "link")));
    EXPECT_EQ(RGB(0, 0, 128), link.GetCurrentColour());

    // The colour the parent's paint asks for comes from the link.
    HDC hdc = ::CreateCompatibleDC(nullptr);
    auto paintColour = [&]() {
        ::SetTextColor(hdc, RGB(1, 1, 1));
        const LRESULT lBrush = host.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)link.m_hWnd);
        EXPECT_EQ((LRESULT)::GetStockObject(NULL_BRUSH), lBrush);
        EXPECT_EQ(TRANSPARENT, ::GetBkMode(hdc));
        return ::GetTextColor(hdc);
    };
    EXPECT_EQ(RGB(0, 0, 128), paintColour());

    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(link.m_hWnd, ::GetCapture());
    EXPECT_EQ(RGB(0, 0, 255), paintColour());
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
    EXPECT_TRUE(link.IsHovering());

    link.SetVisited(TRUE);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(500, 2));
    EXPECT_FALSE(link.IsHovering());
    EXPECT_NE(link.m_hWnd, ::GetCapture());
    EXPECT_EQ(RGB(128, 0, 128), paintColour());

    link.SetLinkColours(RGB(1, 0, 0), RGB(2, 0, 0), (COLORREF)-1);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), link.GetHoverColour());
    EXPECT_EQ(RGB(2, 0, 0), paintColour());
    ::DeleteDC(hdc);
    link.DestroyWindow();
}

TEST(HyperLinkTest, AClickOpensTheLinkOrExplainsWhyNot)
{
    CHostWnd host;
    CHyperLink link;
    link.SetLinkTarget("http://www.varlosoft.com/");
    ASSERT_TRUE(link.SubclassWindow(MakeStatic(host, "home")));
    {
        OpenRecorder opened(42);
        CRecordingPrompts prompts;
        host.SendMessage(WM_COMMAND, MAKEWPARAM(kLinkId, STN_CLICKED), (LPARAM)link.m_hWnd);
        ASSERT_EQ(1u, OpenRecorder::s_urls.size());
        EXPECT_EQ("http://www.varlosoft.com/", OpenRecorder::s_urls[0]);
        EXPECT_TRUE(link.GetVisited());
        EXPECT_TRUE(prompts.boxes.empty());
    }
    {
        // No program for the link and no browser registered: the reason.
        OpenRecorder opened(SE_ERR_NOASSOC);
        CRecordingPrompts prompts;
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        host.SendMessage(WM_COMMAND, MAKEWPARAM(kLinkId, STN_CLICKED), (LPARAM)link.m_hWnd);
        EXPECT_FALSE(link.GetVisited());
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.",
                  prompts.boxes[0].text);
        EXPECT_TRUE(prompts.boxes[0].type & MB_ICONEXCLAMATION);
        EXPECT_TRUE(OpenRecorder::s_commands.empty());
    }
    EXPECT_EQ("Unable to open hyperlink:\n\nThe specified file was not found.", CHyperLink::GetOpenErrorText(2));
    EXPECT_EQ("Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.",
              CHyperLink::GetOpenErrorText(0));
    EXPECT_EQ("Unable to open hyperlink:\n\nUnknown Error (7) occurred.", CHyperLink::GetOpenErrorText(7));
    link.DestroyWindow();
}

TEST(HyperLinkTest, TheBrowserFallbackBuildsABoundedCommandLine)
{
    CString strCommand;
    EXPECT_TRUE(CHyperLink::MakeOpenCommand("\"C:\\web\\browse.exe\" -nohome \"%1\"", "http://x/", strCommand));
    EXPECT_EQ("\"C:\\web\\browse.exe\" -nohome http://x/", strCommand);
    EXPECT_TRUE(CHyperLink::MakeOpenCommand("browse.exe %1 -new", "http://x/", strCommand));
    EXPECT_EQ("browse.exe http://x/", strCommand);
    EXPECT_TRUE(CHyperLink::MakeOpenCommand("browse.exe", "http://x/", strCommand));
    EXPECT_EQ("browse.exe http://x/", strCommand);
    // The quoted placeholder wins over an earlier bare one.
    EXPECT_TRUE(CHyperLink::MakeOpenCommand("b.exe -x%1y \"%1\"", "u", strCommand));
    EXPECT_EQ("b.exe -x%1y u", strCommand);

    // 520 characters with the terminator fit; one more does not.
    const std::string base = "browse.exe";
    const std::string fits(520 - 1 - base.size() - 1, 'u');
    EXPECT_TRUE(CHyperLink::MakeOpenCommand(base.c_str(), fits.c_str(), strCommand));
    EXPECT_EQ(519, strCommand.GetLength());
    EXPECT_FALSE(CHyperLink::MakeOpenCommand(base.c_str(), (fits + "u").c_str(), strCommand));
    EXPECT_TRUE(strCommand.IsEmpty());

    // Through the registry: the ".htm" class's command runs with the URL,
    // and a URL too long for the command line is refused.
    CHtmClass htm;
    {
        OpenRecorder opened(SE_ERR_NOASSOC);
        EXPECT_EQ(33, CHyperLink::OpenLinkTarget("http://x/", SW_SHOW));
        ASSERT_EQ(1u, OpenRecorder::s_commands.size());
        EXPECT_EQ("\"C:\\web\\browse.exe\" -nohome http://x/", OpenRecorder::s_commands[0]);
    }
    {
        OpenRecorder opened(SE_ERR_NOASSOC);
        const std::string longURL = "http://x/" + std::string(600, 'a');
        EXPECT_EQ(SE_ERR_NOASSOC, CHyperLink::OpenLinkTarget(longURL.c_str(), SW_SHOW));
        EXPECT_TRUE(OpenRecorder::s_commands.empty());
    }
}

// ---------------------------------------------------------------------------
// Progress bar

namespace {

// A frame with a status bar of two panes.
class CStatusFrame : public CFrameWnd
{
public:
    CStatusFrame()
    {
        EXPECT_TRUE(Create(nullptr, "status", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(30, 30, 630, 330)));
        static const UINT ids[] = { ID_SEPARATOR, ID_SEPARATOR };
        EXPECT_TRUE(m_bar.Create(this));
        EXPECT_TRUE(m_bar.SetIndicators(ids, 2));
        m_bar.SetPaneInfo(1, ID_SEPARATOR, SBPS_NORMAL, 120);
        RecalcLayout();
    }
    ~CStatusFrame() override {}
    void PostNcDestroy() override {}
    CStatusBar m_bar;
};

int BlankWidth(CStatusBar& bar, LPCSTR lpszText, int* pcxText)
{
    HDC hdc = ::GetDC(bar.m_hWnd);
    CScopedSelect select(hdc, (HFONT)bar.SendMessage(WM_GETFONT));
    SIZE size = {}, blank = {};
    ::GetTextExtentPoint32A(hdc, lpszText, lstrlenA(lpszText), &size);
    ::GetTextExtentPoint32A(hdc, " ", 1, &blank);
    ::ReleaseDC(bar.m_hWnd, hdc);
    *pcxText = size.cx;
    return blank.cx;
}

} // namespace

TEST(ProgressBarTest, TheBarSitsAfterTheMessageInItsPane)
{
    // The layout rule on its own.
    const CRect rect = CProgressBar::CalcBarRect(CRect(0, 0, 1000, 20), 100, 4, 98);
    EXPECT_EQ(116, rect.left);
    EXPECT_EQ(1000 - 884 * 2 / 100 - 1, rect.right);
    EXPECT_EQ(2, rect.top);
    EXPECT_EQ(18, rect.bottom);
    // A size of 0 and a message wider than the pane leave no room, never less.
    const CRect none = CProgressBar::CalcBarRect(CRect(0, 0, 100, 20), 500, 4, 0);
    EXPECT_EQ(none.left - 1, none.right);

    CStatusFrame frame;
    CStatusBar& bar = frame.m_bar;
    bar.SetPaneText(0, "Ready");
    {
        CProgressBar progress("Saving document...", 98, 1000, TRUE, 0, &bar);
        ASSERT_NE(nullptr, progress.m_hWnd);
        EXPECT_EQ(bar.m_hWnd, ::GetParent(progress.m_hWnd));
        EXPECT_EQ(1, progress.GetDlgCtrlID());
        EXPECT_TRUE(progress.GetStyle() & PBS_SMOOTH);
        EXPECT_FALSE(progress.GetExStyle() & WS_EX_STATICEDGE);
        EXPECT_TRUE(progress.IsWindowVisible());
        EXPECT_EQ("Saving document...", bar.GetPaneText(0));

        int cxText = 0;
        const int cxBlank = BlankWidth(bar, "Saving document...", &cxText);
        CRect rectPane;
        bar.GetItemRect(0, rectPane);
        CRect rectBar;
        progress.GetWindowRect(rectBar);
        bar.ScreenToClient(rectBar);
        EXPECT_EQ(CProgressBar::CalcBarRect(rectPane, cxText, cxBlank, 98), rectBar);
        EXPECT_EQ(rectPane.left + cxText + 4 * cxBlank, rectBar.left);

        // The range and steps.
        progress.SetPos(10);
        EXPECT_EQ(10, progress.GetPos());
        progress.StepIt();
        EXPECT_EQ(11, progress.GetPos());
        progress.OffsetPos(100);
        EXPECT_EQ(111, progress.GetPos());
        progress.SetPos(5000);
        EXPECT_EQ(1000, progress.GetPos());
    }
    // Gone: pane 0 shows the idle text.
    EXPECT_EQ("For Help, press F1", bar.GetPaneText(0));

    bar.SetPaneText(1, "earlier");
    {
        CProgressBar progress("", 100, 10, FALSE, 1, &bar);
        ASSERT_NE(nullptr, progress.m_hWnd);
        CRect rectPane, rectBar;
        bar.GetItemRect(1, rectPane);
        progress.GetWindowRect(rectBar);
        bar.ScreenToClient(rectBar);
        // No message: the whole pane less the margins.
        EXPECT_EQ(rectPane.left, rectBar.left);
        EXPECT_EQ(rectPane.right - 1, rectBar.right);
        progress.SetText("Loading...");
        EXPECT_EQ("Loading...", bar.GetPaneText(1));
    }
    EXPECT_EQ("earlier", bar.GetPaneText(1));
    frame.DestroyWindow();
}

TEST(ProgressBarTest, WithoutAStatusBarNothingIsMadeAndNothingHappens)
{
    CProgressBar progress("Saving document...", 98, 100, TRUE, 0, nullptr);
    EXPECT_EQ(nullptr, progress.m_hWnd);
    EXPECT_EQ(0, progress.SetPos(5));
    EXPECT_EQ(0, progress.StepIt());
    EXPECT_EQ(0, progress.OffsetPos(5));
    EXPECT_EQ(0, progress.GetPos());
    EXPECT_EQ(CLR_DEFAULT, progress.SetBarColour(RGB(1, 2, 3)));
    EXPECT_EQ(CLR_DEFAULT, progress.SetBkColour(RGB(1, 2, 3)));
    progress.Clear();
    CProgressBar unmade;
    EXPECT_EQ(nullptr, unmade.m_hWnd);
}

// ---------------------------------------------------------------------------
// Font tip

namespace {

class CCountingTip : public CTipWnd
{
public:
    int nPaints = 0;
    void OnPaint()
    {
        nPaints++;
        CTipWnd::OnPaint();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingTip, CTipWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

} // namespace

TEST(TipWndTest, TheTipShowsANameInItsFaceAndIgnoresTheSameNameAgain)
{
    CHostWnd host;
    CCountingTip tip;
    ASSERT_TRUE(tip.Create(&host));
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(host.m_hWnd, ::GetWindow(tip.m_hWnd, GW_OWNER));
    EXPECT_TRUE(tip.GetStyle() & WS_BORDER);

    tip.ShowFontName(50, 60, "Arial");
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_EQ("Arial", tip.GetText());
    EXPECT_EQ(1, tip.nPaints);
    CRect rect;
    tip.GetWindowRect(rect);
    EXPECT_EQ(CPoint(50, 60), rect.TopLeft());
    // The window is the text in an 18-pixel face plus 8 each way.
    LOGFONTA lf = {};
    lf.lfHeight = -18;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(lf.lfFaceName, "Arial");
    HFONT hFont = ::CreateFontIndirectA(&lf);
    HDC hdc = ::GetDC(tip.m_hWnd);
    SIZE size = {};
    {
        CScopedSelect select(hdc, hFont);
        ::GetTextExtentPoint32A(hdc, "Arial", 5, &size);
    }
    ::ReleaseDC(tip.m_hWnd, hdc);
    ::DeleteObject(hFont);
    EXPECT_EQ(size.cx + 8, rect.Width());
    EXPECT_EQ(size.cy + 8, rect.Height());

    // The same name again: not moved, not painted.
    tip.SetWindowPos(nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    const int nPaints = tip.nPaints;
    tip.ShowFontName(50, 60, "Arial");
    PumpMessages();
    tip.GetWindowRect(rect);
    EXPECT_EQ(CPoint(70, 80), rect.TopLeft());
    EXPECT_EQ(nPaints, tip.nPaints);

    tip.ShowFontName(50, 60, "Courier New");
    EXPECT_EQ("Courier New", tip.GetText());
    EXPECT_GT(tip.nPaints, nPaints);

    // Made again, it starts empty: the same name shows.
    tip.DestroyWindow();
    ASSERT_TRUE(tip.Create(&host));
    EXPECT_EQ("", tip.GetText());
    tip.ShowFontName(50, 60, "Courier New");
    EXPECT_TRUE(tip.IsWindowVisible());
    tip.DestroyWindow();
}

// ---------------------------------------------------------------------------
// Browser control

namespace {

class CRecordingHtmlCtrl : public CHtmlCtrl
{
public:
    void HandleAppLink(LPCSTR lpszCommand) override { commands.push_back(lpszCommand); }
    std::vector<std::string> commands;
};

// The browser's before-navigate event for a URL, as the browser sends it.
VARIANT_BOOL SendBeforeNavigate(CHtmlView& view, LPCSTR lpszURL)
{
    const int cch = ::MultiByteToWideChar(CP_ACP, 0, lpszURL, -1, nullptr, 0);
    std::wstring wide((size_t)cch, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, lpszURL, -1, &wide[0], cch);
    BSTR bstrURL = ::SysAllocString(wide.c_str());
    VARIANT url, flags, target, postData, headers;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = bstrURL;
    ::VariantInit(&flags);
    flags.vt = VT_I4;
    ::VariantInit(&target);
    ::VariantInit(&postData);
    ::VariantInit(&headers);
    VARIANT_BOOL bCancel = VARIANT_FALSE;
    VARIANTARG args[7];
    for (VARIANTARG& a : args)
        ::VariantInit(&a);
    args[6].vt = VT_DISPATCH;
    args[5].vt = VT_VARIANT | VT_BYREF;
    args[5].pvarVal = &url;
    args[4].vt = VT_VARIANT | VT_BYREF;
    args[4].pvarVal = &flags;
    args[3].vt = VT_VARIANT | VT_BYREF;
    args[3].pvarVal = &target;
    args[2].vt = VT_VARIANT | VT_BYREF;
    args[2].pvarVal = &postData;
    args[1].vt = VT_VARIANT | VT_BYREF;
    args[1].pvarVal = &headers;
    args[0].vt = VT_BOOL | VT_BYREF;
    args[0].pboolVal = &bCancel;
    DISPPARAMS params = { args, nullptr, 7, 0 };
    view.OnBrowserEvent(DISPID_BEFORENAVIGATE2, &params);
    ::SysFreeString(bstrURL);
    return bCancel;
}

void SendStatusText(CHtmlView& view, const wchar_t* pszText)
{
    BSTR bstr = ::SysAllocString(pszText);
    VARIANTARG arg;
    ::VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = bstr;
    DISPPARAMS params = { &arg, nullptr, 1, 0 };
    view.OnBrowserEvent(DISPID_STATUSTEXTCHANGE, &params);
    ::SysFreeString(bstr);
}

struct OleScope
{
    OleScope() { hr = ::OleInitialize(nullptr); }
    ~OleScope()
    {
        if (SUCCEEDED(hr))
            ::OleUninitialize();
    }
    HRESULT hr;
};

} // namespace

TEST(HtmlCtrlTest, ThePlainChildFailsQuietlyWithoutABrowserEngine)
{
    OleScope ole;
    CRecordingPrompts prompts;
    CHostWnd host;
    CRecordingHtmlCtrl ctrl;
    ASSERT_TRUE(ctrl.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &host, 22781));
    EXPECT_EQ(host.m_hWnd, ::GetParent(ctrl.m_hWnd));
    EXPECT_EQ(nullptr, ctrl.GetDocument());

    // Navigating works or fails, but it asks nothing and does not hang.
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string page = std::string("file:///") + szTemp + "qlc-no-such-page.html";
    const BOOL bNavigated = ctrl.Navigate2(page.c_str());
    if (!ctrl.HasBrowser())
    {
        EXPECT_FALSE(bNavigated);
    }
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < 500)
    {
        PumpMessages();
        ::Sleep(20);
    }
    EXPECT_TRUE(prompts.boxes.empty());
    ctrl.MoveWindow(0, 0, 200, 100);
    EXPECT_TRUE(::IsWindow(ctrl.m_hWnd));
    EXPECT_TRUE(::IsWindow(host.m_hWnd));

    // The owner keeps the object after its window has gone.
    ctrl.DestroyWindow();
    EXPECT_EQ(nullptr, ctrl.m_hWnd);
    EXPECT_FALSE(ctrl.HasBrowser());
    EXPECT_FALSE(ctrl.Navigate2("about:blank"));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST(HtmlCtrlTest, ABrowserThatCannotBeMadeLeavesAnEmptyWindow)
{
    // A system without the browser object.
    class CNoEngineCtrl : public CHtmlCtrl
    {
    protected:
        HRESULT CreateBrowserObject(IOleObject** ppObject) override
        {
            *ppObject = nullptr;
            return REGDB_E_CLASSNOTREG;
        }
    };
    OleScope ole;
    CRecordingPrompts prompts;
    CHostWnd host;
    CNoEngineCtrl ctrl;
    ASSERT_TRUE(ctrl.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &host, 22784));
    EXPECT_FALSE(ctrl.HasBrowser());
    EXPECT_EQ(nullptr, ctrl.GetBrowser());
    EXPECT_FALSE(ctrl.Navigate2("about:blank"));
    ctrl.Stop();
    ctrl.MoveWindow(0, 0, 100, 50);
    ctrl.UpdateWindow();
    EXPECT_TRUE(prompts.boxes.empty());
    ctrl.DestroyWindow();
    EXPECT_TRUE(::IsWindow(host.m_hWnd));
}

TEST(HtmlCtrlTest, AppLinksAreHandledNotFollowed)
{
    CRecordingHtmlCtrl ctrl;
    EXPECT_EQ(VARIANT_TRUE, SendBeforeNavigate(ctrl, "app:OpenOptions"));
    EXPECT_EQ(VARIANT_TRUE, SendBeforeNavigate(ctrl, "APP:Tip 2"));
    EXPECT_EQ(VARIANT_FALSE, SendBeforeNavigate(ctrl, "http://www.varlosoft.com/app:x"));
    EXPECT_EQ(VARIANT_FALSE, SendBeforeNavigate(ctrl, "ap"));
    ASSERT_EQ(2u, ctrl.commands.size());
    EXPECT_EQ("OpenOptions", ctrl.commands[0]);
    EXPECT_EQ("Tip 2", ctrl.commands[1]);
    // The plain control's own handler does nothing with them.
    CHtmlCtrl plain;
    EXPECT_EQ(VARIANT_TRUE, SendBeforeNavigate(plain, "app:x"));
}

TEST(HtmlCtrlTest, HelpPagesKeepTheirStatusTextsAwayFromTheFrame)
{
    CStatusFrame frame;
    frame.m_bar.SetPaneText(0, "before");
    CHtmlCtrl plain;
    ASSERT_TRUE(plain.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), &frame, 22782));
    CQlcHelpCtrl help;
    ASSERT_TRUE(help.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), &frame, 22783));
    SendStatusText(help, L"from help");
    EXPECT_EQ("before", frame.m_bar.GetPaneText(0));
    SendStatusText(plain, L"from a page");
    EXPECT_EQ("from a page", frame.m_bar.GetPaneText(0));
    plain.DestroyWindow();
    help.DestroyWindow();
    frame.DestroyWindow();
}
