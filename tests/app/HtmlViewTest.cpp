// The HTML view through real notebook windows: the page file it writes (the
// mark of the web first, held against other programs while shown), the
// names it takes, the files it removes (above all those of encrypted
// nodes), what it does when no file can be made, what the view answers the
// browser about ActiveX controls, and the quiet browser.
#include "NotebookWindowSupport.h"

#include "app/CQlcHtmlView.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"

#include <mshtmdid.h>
#include <olectl.h>
#include <urlmon.h>

namespace {

const char kPage[] = "<html><head><title>Page</title></head><body><p>Hello \x01\xff page</p></body></html>";
// The mark of the web that puts a page in the Internet zone, as the file
// must begin with it (written out here, not taken from the view).
const char kMark[] = "<!-- saved from url=(0014)about:internet -->\r\n";

// The mark in UTF-16 of either byte order.
std::string Utf16Mark(bool bLittleEndian)
{
    std::string mark;
    for (const char* p = kMark; *p; ++p)
    {
        mark += bLittleEndian ? *p : '\0';
        mark += bLittleEndian ? '\0' : *p;
    }
    return mark;
}

BOOL Exists(const CString& strPath)
{
    return ::GetFileAttributesA(strPath) != INVALID_FILE_ATTRIBUTES;
}

// Points the temporary folder (TMP) at a folder for the scope.
class CTempFolder
{
public:
    explicit CTempFolder(const CString& strFolder)
    {
        char szOld[MAX_PATH] = {};
        m_bHadOld = ::GetEnvironmentVariableA("TMP", szOld, MAX_PATH) != 0;
        m_strOld = szOld;
        ::SetEnvironmentVariableA("TMP", strFolder);
    }
    ~CTempFolder() { ::SetEnvironmentVariableA("TMP", m_bHadOld ? (LPCSTR)m_strOld : nullptr); }

private:
    CString m_strOld;
    BOOL m_bHadOld;
};

class HtmlViewTest : public NotebookWindowTest
{
protected:
    void TearDown() override
    {
        NotebookWindowTest::TearDown();
        const CString strDir = Path("tmp");
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA(strDir + "\\*", &fd);
        if (h != INVALID_HANDLE_VALUE)
        {
            do
                ::DeleteFileA(strDir + "\\" + fd.cFileName);
            while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(strDir);
        ::RemoveDirectoryA(m_szDir);
    }
    CString TempDir()
    {
        CString strDir = Path("tmp");
        ::CreateDirectoryA(strDir, nullptr);
        return strDir + "\\";
    }
    // Opens the notebook built and shows its page of the given name.
    CQlcHtmlView* ShowPage(CNotebookBuilder& builder, LPCSTR lpszName)
    {
        m_pDoc = OpenBuilt(builder);
        m_pFrame = m_pDoc != nullptr ? FrameOf(m_pDoc) : nullptr;
        if (m_pFrame == nullptr || !m_pFrame->DisplayNode(TRUE, NodeIdByName(m_pDoc, lpszName)))
            return nullptr;
        return m_pFrame->GetHtmlView();
    }
    CQuillcrestDoc* m_pDoc = nullptr;
    CChildFrame* m_pFrame = nullptr;

    // The files of ours in a folder, by name.
    std::vector<std::string> OurFiles(const CString& strDir)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA(strDir + "*", &fd);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do
        {
            // The notebook's own work files ("Qlc...") are not the view's.
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strncmp(fd.cFileName, "QLC", 3) == 0)
                names.push_back(fd.cFileName);
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST(HtmlViewNames, ThePageNameIsTheReservedNameWithHtml)
{
    EXPECT_EQ("C:\\t\\QLC1A.html", std::string(CQlcHtmlView::PageNameFor("C:\\t\\QLC1A.tmp")));
    EXPECT_EQ("C:\\t\\QLC1A.html", std::string(CQlcHtmlView::PageNameFor("C:\\t\\QLC1A.TMP")));
    EXPECT_EQ("", std::string(CQlcHtmlView::PageNameFor("tmp")));
    EXPECT_EQ("", std::string(CQlcHtmlView::PageNameFor(".tmp")));
    EXPECT_EQ("", std::string(CQlcHtmlView::PageNameFor("C:\\t\\QLC1A.txt")));
}

TEST_F(HtmlViewTest, ThePageIsWrittenAsStoredAndEachOpeningTakesItsOwnName)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "First", 0, kPage);
    builder.Node(QLC_NODE_HTML, "Second", 0, std::string(kPage) + "<!-- two -->");
    builder.Note("Note", 0, "{\\rtf1 text\\par}");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    TakeMessages();

    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "First")));
    CQlcHtmlView* pView = pFrame->GetHtmlView();
    ASSERT_NE(nullptr, pView);
    EXPECT_EQ(pView, pFrame->GetContentView());
    const CString strFirst = pView->GetPagePath();
    EXPECT_EQ(0, strFirst.Left(strTemp.GetLength() + 3).CompareNoCase(strTemp + "QLC"));
    EXPECT_EQ(std::string(kMark) + kPage, ReadFileBytes(strFirst));
    EXPECT_TRUE(Exists(pView->GetReservedPath()));
    EXPECT_EQ(std::string(CQlcHtmlView::PageNameFor(pView->GetReservedPath())), std::string(strFirst));
    // No browser here: nothing is said about it.
    EXPECT_TRUE(TakeMessages().empty());
    // Not printable, and the image commands stay grey.
    EXPECT_EQ(0, QueryCommand(pFrame, ID_IMAGE_ROTATECW).nEnabled);

    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Second")));
    pView = pFrame->GetHtmlView();
    ASSERT_NE(nullptr, pView);
    const CString strSecond = pView->GetPagePath();
    EXPECT_NE(std::string(strFirst), std::string(strSecond));
    EXPECT_EQ(std::string(kMark) + kPage + "<!-- two -->", ReadFileBytes(strSecond));
    // The first view took its files with it.
    EXPECT_FALSE(Exists(strFirst));
    EXPECT_EQ(2u, OurFiles(strTemp).size());

    // The frame goes on working after the browser's quiet failure.
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
    EXPECT_NE(nullptr, pFrame->GetRichEditView());
    EXPECT_TRUE(OurFiles(strTemp).empty());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(HtmlViewTest, AnEncryptedPageLeavesNothingBehindWhenItsViewCloses)
{
    ASSERT_TRUE(app.m_cryptHandler.Load());
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Encrypt(builder.Node(QLC_NODE_HTML, "Secret", 0, kPage), "pw");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CScriptedDialogs passwords([](CWnd* pDlg) {
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_PASSWORD_FIRST, "pw");
        ClickButton(pDlg, IDOK);
    });
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Secret")));
    ASSERT_NE(nullptr, pFrame->GetHtmlView());
    const CString strPage = pFrame->GetHtmlView()->GetPagePath();
    EXPECT_EQ(std::string(kMark) + kPage, ReadFileBytes(strPage));

    // Closing the notebook closes the view.
    pDoc->OnCloseDocument();
    PumpMessages();
    EXPECT_FALSE(Exists(strPage));
    EXPECT_TRUE(OurFiles(strTemp).empty());
}

TEST_F(HtmlViewTest, APageWithoutContentShowsEmpty)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "Empty", 0, std::string());
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    TakeMessages();
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Empty")));
    ASSERT_NE(nullptr, pFrame->GetHtmlView());
    EXPECT_EQ(kMark, ReadFileBytes(pFrame->GetHtmlView()->GetPagePath()));
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(HtmlViewTest, NoTemporaryFileOrAnUnwritablePageGivesTheLoadWarning)
{
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "Page", 0, kPage);
    // Stored plain, then said to be compressed: the page cannot be decoded.
    const DWORD dwDamaged = builder.Node(QLC_NODE_HTML, "Damaged", 0, kPage);
    QLCNODE record;
    builder.doc.Data_GetNode(dwDamaged, record);
    record.dwFlags |= QLC_NODEFLAG_COMPRESSED;
    record.dwPlainSize = 5000;
    builder.doc.Data_SetNode(dwDamaged, record);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    TakeMessages();
    {
        // A temporary folder that is not there.
        CTempFolder temp(Path("missing\\"));
        EXPECT_FALSE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Page")));
        const std::vector<std::string> messages = TakeMessages();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ("Warning: Could not load node data.", messages[0]);
        EXPECT_EQ(nullptr, pFrame->GetHtmlView());
        EXPECT_EQ(pFrame->GetBlankView(), pFrame->GetContentView());
    }
    {
        const CString strTemp = TempDir();
        CTempFolder temp(strTemp);
        EXPECT_FALSE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Damaged")));
        const std::vector<std::string> messages = TakeMessages();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ("Warning: Could not load node data.", messages[0]);
        // Neither the reserved name nor a half page is left.
        EXPECT_TRUE(OurFiles(strTemp).empty());
    }
}

TEST_F(HtmlViewTest, StaleFilesOfEarlierRunsAreRemovedButNotThoseOfALiveView)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "Live", 0, kPage);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Live")));
    ASSERT_NE(nullptr, pFrame->GetHtmlView());
    const CString strLive = pFrame->GetHtmlView()->GetPagePath();

    auto make = [&](LPCSTR lpszName, const std::string& bytes) {
        HANDLE h = ::CreateFileA(strTemp + lpszName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD dw = 0;
        ::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &dw, nullptr);
        ::CloseHandle(h);
    };
    make("QLC12AB.tmp", "");
    make("QLC12AB.html", "secret text");
    make("QLCF.html", "orphan page");
    // Not ours.
    make("QLCX1.html", "keep");
    make("QLC12345.tmp", "keep");
    make("notes.html", "keep");
    make("Qlc77.tmp", "the notebook core's");

    CQlcHtmlView::RemoveStaleFiles();
    const std::vector<std::string> left = OurFiles(strTemp);
    EXPECT_EQ(std::find(left.begin(), left.end(), "QLC12AB.html"), left.end());
    EXPECT_EQ(std::find(left.begin(), left.end(), "QLC12AB.tmp"), left.end());
    EXPECT_EQ(std::find(left.begin(), left.end(), "QLCF.html"), left.end());
    EXPECT_NE(std::find(left.begin(), left.end(), "QLCX1.html"), left.end());
    EXPECT_NE(std::find(left.begin(), left.end(), "QLC12345.tmp"), left.end());
    EXPECT_TRUE(Exists(strTemp + "notes.html"));
    EXPECT_TRUE(Exists(strTemp + "Qlc77.tmp"));
    // The live view's page and its name are still there.
    EXPECT_EQ(std::string(kMark) + kPage, ReadFileBytes(strLive));
    EXPECT_TRUE(Exists(pFrame->GetHtmlView()->GetReservedPath()));
}

TEST_F(HtmlViewTest, PagesInUnicodeGetTheMarkAfterTheirByteOrderMark)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    const std::string body = "<p>text</p>";
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    for (char ch : body)
    {
        utf16le += ch;
        utf16le += '\0';
        utf16be += '\0';
        utf16be += ch;
    }
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "UTF-8", 0, "\xEF\xBB\xBF" + body);
    builder.Node(QLC_NODE_HTML, "UTF-16LE", 0, utf16le);
    builder.Node(QLC_NODE_HTML, "UTF-16BE", 0, utf16be);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    const struct
    {
        const char* name;
        std::string expected;
    } cases[] = {
        { "UTF-8", "\xEF\xBB\xBF" + std::string(kMark) + body },
        { "UTF-16LE", "\xFF\xFE" + Utf16Mark(true) + utf16le.substr(2) },
        { "UTF-16BE", "\xFE\xFF" + Utf16Mark(false) + utf16be.substr(2) },
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, c.name))) << c.name;
        ASSERT_NE(nullptr, pFrame->GetHtmlView()) << c.name;
        EXPECT_EQ(c.expected, ReadFileBytes(pFrame->GetHtmlView()->GetPagePath())) << c.name;
    }
}

TEST_F(HtmlViewTest, NoOtherProgramMayChangeOrDeleteThePageWhileItIsShown)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "Page", 0, kPage);
    builder.Note("Note", 0, "{\\rtf1 text\\par}");
    CQlcHtmlView* pView = ShowPage(builder, "Page");
    ASSERT_NE(nullptr, pView);
    const CString strPage = pView->GetPagePath();

    // Reading, as the browser does, is allowed.
    EXPECT_EQ(std::string(kMark) + kPage, ReadFileBytes(strPage));
    // Writing, replacing and deleting are not.
    HANDLE h = ::CreateFileA(strPage, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, ::GetLastError());
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
    EXPECT_FALSE(::DeleteFileA(strPage));
    EXPECT_FALSE(::MoveFileA(strPage, strTemp + "moved.html"));
    EXPECT_EQ(std::string(kMark) + kPage, ReadFileBytes(strPage));

    // Once the page is no longer shown it is gone.
    ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, NodeIdByName(m_pDoc, "Note")));
    EXPECT_FALSE(Exists(strPage));
}

TEST_F(HtmlViewTest, TheBrowserIsToldToRunAndDownloadNoActiveXControls)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "Page", 0, kPage);
    CQlcHtmlView* pView = ShowPage(builder, "Page");
    ASSERT_NE(nullptr, pView);
    ASSERT_TRUE(pView->HasBrowser()) << "the system's browser object could not be made";

    // The site the browser object itself was given: what it asks, it asks
    // there.
    IOleObject* pObject = nullptr;
    ASSERT_TRUE(SUCCEEDED(pView->GetBrowser()->QueryInterface(IID_IOleObject, (void**)&pObject)));
    IOleClientSite* pSite = nullptr;
    ASSERT_TRUE(SUCCEEDED(pObject->GetClientSite(&pSite)) && pSite != nullptr);
    pObject->Release();

    // The ambient download control: no ActiveX control run or downloaded;
    // pictures, videos and sounds as usual.
    IDispatch* pAmbient = nullptr;
    ASSERT_TRUE(SUCCEEDED(pSite->QueryInterface(IID_IDispatch, (void**)&pAmbient)));
    DISPPARAMS none = { nullptr, nullptr, 0, 0 };
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(S_OK, pAmbient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                     &none, &result, nullptr, nullptr));
    ASSERT_EQ(VT_I4, result.vt);
    EXPECT_EQ(DLCTL_NO_RUNACTIVEXCTLS, result.lVal & DLCTL_NO_RUNACTIVEXCTLS);
    EXPECT_EQ(DLCTL_NO_DLACTIVEXCTLS, result.lVal & DLCTL_NO_DLACTIVEXCTLS);
    EXPECT_EQ(DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS,
              result.lVal & (DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS));
    // Other ambient properties are the browser's own.
    ::VariantInit(&result);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, pAmbient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                                      DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr));
    pAmbient->Release();

    // The security manager the browser asks before a page acts.
    IServiceProvider* pServices = nullptr;
    ASSERT_TRUE(SUCCEEDED(pSite->QueryInterface(IID_IServiceProvider, (void**)&pServices)));
    IInternetSecurityManager* pSecurity = nullptr;
    ASSERT_TRUE(SUCCEEDED(pServices->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                                  (void**)&pSecurity)));
    pServices->Release();
    const CString strUrl = pView->GetPagePath();
    const std::wstring url(strUrl.GetString(), strUrl.GetString() + strUrl.GetLength());
    for (DWORD dwAction : { (DWORD)URLACTION_ACTIVEX_RUN, (DWORD)URLACTION_DOWNLOAD_SIGNED_ACTIVEX,
                            (DWORD)URLACTION_DOWNLOAD_UNSIGNED_ACTIVEX, (DWORD)URLACTION_SCRIPT_OVERRIDE_SAFETY,
                            (DWORD)URLACTION_ACTIVEX_CONFIRM_NOOBJECTSAFETY })
    {
        DWORD dwPolicy = URLPOLICY_ALLOW;
        EXPECT_EQ(S_FALSE, pSecurity->ProcessUrlAction(url.c_str(), dwAction, (BYTE*)&dwPolicy, sizeof(dwPolicy),
                                                       nullptr, 0, PUAF_DEFAULT, 0))
            << std::hex << dwAction;
        EXPECT_EQ((DWORD)URLPOLICY_DISALLOW, dwPolicy) << std::hex << dwAction;
    }
    // Everything else is left to the zone the mark of the web puts it in.
    DWORD dwPolicy = 0;
    EXPECT_EQ(INET_E_DEFAULT_ACTION, pSecurity->ProcessUrlAction(url.c_str(), URLACTION_SCRIPT_RUN, (BYTE*)&dwPolicy,
                                                                 sizeof(dwPolicy), nullptr, 0, PUAF_DEFAULT, 0));
    pSecurity->Release();
    pSite->Release();
}

TEST_F(HtmlViewTest, TheStatusBarKeepsItsIdleTextWhenAPageOpens)
{
    const CString strTemp = TempDir();
    CTempFolder temp(strTemp);
    CNotebookBuilder builder;
    builder.Node(QLC_NODE_HTML, "Page", 0, kPage);
    builder.Note("Note", 0, "{\\rtf1 text\\par}");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    m_pMainFrame->SetStatusToken(0);
    ASSERT_EQ(std::string("For Help, press F1"), std::string(m_pMainFrame->GetStatusBar().GetPaneText(0)));

    // Opened as the user does, with a double click in the tree; the page
    // loads (or fails to) in its own time.
    UserClickItem(*TreeOf(pDoc), "Page", TRUE);
    ASSERT_NE(nullptr, pFrame->GetHtmlView());
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < 1000)
    {
        CUserInput::Pump();
        ::Sleep(20);
    }
    EXPECT_EQ(std::string("For Help, press F1"), std::string(m_pMainFrame->GetStatusBar().GetPaneText(0)));
}
