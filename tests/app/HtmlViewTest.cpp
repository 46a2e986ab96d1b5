// The HTML view through real notebook windows: the page file it writes, the
// names it takes, the files it removes (above all those of encrypted
// nodes), what it does when no file can be made, and the quiet browser.
#include "NotebookWindowSupport.h"

#include "app/CQlcHtmlView.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"

namespace {

const char kPage[] = "<html><head><title>Page</title></head><body><p>Hello \x01\xff page</p></body></html>";

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
    EXPECT_EQ(std::string(kPage), ReadFileBytes(strFirst));
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
    EXPECT_EQ(std::string(kPage) + "<!-- two -->", ReadFileBytes(strSecond));
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
    EXPECT_EQ(std::string(kPage), ReadFileBytes(strPage));

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
    EXPECT_EQ("", ReadFileBytes(pFrame->GetHtmlView()->GetPagePath()));
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
    EXPECT_EQ(std::string(kPage), ReadFileBytes(strLive));
    EXPECT_TRUE(Exists(pFrame->GetHtmlView()->GetReservedPath()));
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
