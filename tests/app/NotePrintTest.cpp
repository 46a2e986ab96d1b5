// Printing from a notebook window: File > Print and Print Preview greyed
// while nothing printable (the blank view, a page view) is shown; with a note shown and the tree holding
// the focus, the note (not the tree) is previewed and printed with half-inch
// margins; the note's window is left as it was; Print Setup goes through the
// print dialog. The control's page layout is the stand-in's (Wine's rich
// edit does not lay out for other devices).
#include "NotebookWindowSupport.h"

#include "CFormatRangeStandIn.h"
#include "PrintTestSupport.h"

#include "app/CMainFrame.h"
#include "app/res/Resource.h"

#include "framework/docview/CHtmlView.h"
#include "framework/docview/CPrintPreviewWnd.h"

#include <memory>

namespace {

class NotePrintTest : public NotebookWindowTest
{
};

// Reaches the frame's own way of putting a view into the content pane, for
// a page view (the program's own is not needed to know it does not print).
class CContentPane : public CChildFrame
{
public:
    static CView* Show(CChildFrame* pFrame, CRuntimeClass* pViewClass)
    {
        return static_cast<CContentPane*>(pFrame)->ReplaceContentView(pViewClass);
    }
};

// A note of numbered words, four to a paragraph.
std::string WordsRtf(int nWords)
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ";
    for (int i = 1; i <= nWords; i++)
    {
        char sz[16];
        wsprintfA(sz, "w%04d", i);
        rtf += sz;
        rtf += (i % 4 == 0) ? "\\par\n" : " ";
    }
    return rtf + "}";
}

} // namespace

TEST_F(NotePrintTest, PrintCommandsFollowWhatTheContentPaneShows)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, WordsRtf(8).c_str());
    builder.Folder("Folder");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    CDisplayPrinter printer;
    // The blank view: greyed, and the commands do nothing.
    for (UINT nID : { (UINT)ID_FILE_PRINT, (UINT)ID_FILE_PRINT_DIRECT, (UINT)ID_FILE_PRINT_PREVIEW })
    {
        EXPECT_EQ(0, QueryCommand(pFrame, nID).nEnabled) << nID;
        m_pMainFrame->SendMessage(WM_COMMAND, nID, 0);
    }
    EXPECT_EQ(0, printer.nAsked);
    EXPECT_EQ(nullptr, FindPrintPreview());
    EXPECT_TRUE(TakeMessages().empty());

    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
    ASSERT_EQ(pFrame->GetTabsView(), pFrame->GetActiveView());
    for (UINT nID : { (UINT)ID_FILE_PRINT, (UINT)ID_FILE_PRINT_DIRECT, (UINT)ID_FILE_PRINT_PREVIEW })
        EXPECT_EQ(1, QueryCommand(pFrame, nID).nEnabled) << nID;
    // With the note's own view active too.
    pFrame->SetActiveView(pFrame->GetRichEditView(), FALSE);
    EXPECT_EQ(1, QueryCommand(pFrame, ID_FILE_PRINT_PREVIEW).nEnabled);

    // A page view: greyed, and the commands do nothing.
    pFrame->SetActiveView(pFrame->GetTabsView(), FALSE);
    CView* pPage = CContentPane::Show(pFrame, RUNTIME_CLASS(CHtmlView));
    ASSERT_NE(nullptr, pPage);
    ASSERT_TRUE(pPage->IsKindOf(RUNTIME_CLASS(CHtmlView)));
    for (UINT nID : { (UINT)ID_FILE_PRINT, (UINT)ID_FILE_PRINT_DIRECT, (UINT)ID_FILE_PRINT_PREVIEW })
    {
        EXPECT_EQ(0, QueryCommand(pFrame, nID).nEnabled) << nID;
        m_pMainFrame->SendMessage(WM_COMMAND, nID, 0);
    }
    EXPECT_EQ(0, printer.nAsked);
    EXPECT_EQ(nullptr, FindPrintPreview());

    // A folder shows the blank view again: greyed again.
    ASSERT_TRUE(pFrame->DisplayNode(FALSE, NodeIdByName(pDoc, "Folder")));
    EXPECT_EQ(0, QueryCommand(pFrame, ID_FILE_PRINT).nEnabled);
    EXPECT_EQ(0, QueryCommand(pFrame, ID_FILE_PRINT_PREVIEW).nEnabled);
}

TEST_F(NotePrintTest, PreviewFromTheTreeShowsTheNoteWithHalfInchMarginsAndCloses)
{
    const int kWords = 1200;
    CNotebookBuilder builder;
    builder.Note("Long", 0, WordsRtf(kWords).c_str());
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Long")));
    CQlcRichEditViewEx* pView = pFrame->GetRichEditView();
    ASSERT_NE(nullptr, pView);
    CFormatRangeStandIn layout(pView->m_hWnd);
    CDisplayPrinter printer;
    pFrame->GetTreeCtrl()->SetFocus();

    m_pMainFrame->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    PumpMessages();
    EXPECT_TRUE(TakeMessages().empty());
    CPrintPreviewWnd* pPreview = FindPrintPreview();
    ASSERT_NE(nullptr, pPreview);
    EXPECT_FALSE(::IsWindowEnabled(m_pMainFrame->m_hWnd));
    // Laying pages out never paints over the note's window.
    EXPECT_NE(0u, pView->GetExStyle() & WS_EX_TRANSPARENT);
    EXPECT_EQ(720, layout.rcLast.left);
    EXPECT_EQ(720, layout.rcLast.top);
    EXPECT_EQ(layout.rcPageLast.right - 720, layout.rcLast.right);
    EXPECT_EQ(layout.rcPageLast.bottom - 720, layout.rcLast.bottom);

    std::vector<int> all;
    UINT nPages = 0;
    for (;;)
    {
        const std::vector<int> words = WordsOfPage(pPreview->GetPageMetafile(pPreview->GetCurrentPage()));
        all.insert(all.end(), words.begin(), words.end());
        nPages++;
        if (!::IsWindowEnabled(::GetDlgItem(pPreview->GetToolBar(), AFX_ID_PREVIEW_NEXT)) || nPages > 50)
            break;
        ClickPreviewButton(pPreview, AFX_ID_PREVIEW_NEXT);
    }
    EXPECT_GE(nPages, 2u);
    ASSERT_EQ((size_t)kWords, all.size());
    for (int i = 0; i < kWords; i++)
        ASSERT_EQ(i + 1, all[i]);

    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_CLOSE);
    EXPECT_EQ(nullptr, FindPrintPreview());
    EXPECT_TRUE(::IsWindowEnabled(m_pMainFrame->m_hWnd));
    EXPECT_EQ(0u, pView->GetExStyle() & WS_EX_TRANSPARENT);
    EXPECT_GE(layout.nClears, 1);
    // The note is neither changed nor marked changed by printing.
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pView, pFrame->GetRichEditView());
}

TEST_F(NotePrintTest, PrintFromTheToolbarOfThePreviewAndPrintSetupUseThePrintDialog)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, WordsRtf(40).c_str());
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
    CFormatRangeStandIn layout(pFrame->GetRichEditView()->m_hWnd);
    CDisplayPrinter printer;

    // Print Setup: the set-up dialog, nothing printed.
    m_pMainFrame->SendMessage(WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
    EXPECT_EQ(1, printer.nAsked);
    EXPECT_NE(0u, printer.dwLastFlags & PD_PRINTSETUP);
    EXPECT_EQ(0, layout.nCalls);

    // Print on the preview's toolbar closes it and runs File > Print: the
    // Print dialog, then the device (no spooler here) refuses the document
    // and the user is told.
    m_pMainFrame->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    CPrintPreviewWnd* pPreview = FindPrintPreview();
    ASSERT_NE(nullptr, pPreview);
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_PRINT);
    PumpMessages();
    EXPECT_EQ(nullptr, FindPrintPreview());
    EXPECT_EQ(0u, printer.dwLastFlags & (PD_PRINTSETUP | PD_RETURNDEFAULT));
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("could not be printed"));
    EXPECT_TRUE(::IsWindowEnabled(m_pMainFrame->m_hWnd));
}
