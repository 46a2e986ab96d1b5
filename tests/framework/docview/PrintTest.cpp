// Printing through the views' hooks: a long rich text laid out over pages
// (every word once, in order, the pages filled up to the margins), the
// preview window and its toolbar driven by real messages, and the print
// procedure's answers when the dialog is cancelled, the device refuses the
// document or the control lays nothing out. A display device context stands
// in for the printer: it has no spooler, so StartDoc fails on it as it would
// on a printer gone offline. The control's page layout is the stand-in's
// (see CFormatRangeStandIn.h).
#include "CFormatRangeStandIn.h"
#include "PrintTestSupport.h"
#include "WindowTestSupport.h"

#include "framework/base/AfxPrompt.h"
#include "framework/docview/CCreateContext.h"
#include "framework/docview/CPrintInfo.h"
#include "framework/docview/CPrintPreviewWnd.h"
#include "framework/docview/CRichEditView.h"
#include "framework/docview/CWinApp.h"
#include "framework/gdi/CDC.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/AfxHooks.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CPrintDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

CWinApp& PrintTestApp()
{
    static CWinApp* s_pApp = nullptr;
    if (s_pApp == nullptr)
    {
        s_pApp = new CWinApp;
        s_pApp->SetAppName("Print Test");
    }
    return *s_pApp;
}

class CNoteFrame : public CFrameWnd
{
public:
    BOOL OnCreateClient(LPCREATESTRUCTA, CCreateContext* pContext) override
    {
        return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
    }
};

struct NoteFixture
{
    CNoteFrame* pFrame = new CNoteFrame;
    CRichEditView* pView = nullptr;
    std::unique_ptr<CFormatRangeStandIn> pLayout;

    explicit NoteFixture(int nWords)
    {
        PrintTestApp();
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CRichEditView);
        if (!pFrame->Create(nullptr, "Note", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr,
                            nullptr, 0, &context))
        {
            pFrame = nullptr;
            return;
        }
        pView = DYNAMIC_DOWNCAST(CRichEditView, pFrame->GetDlgItem(AFX_IDW_PANE_FIRST));
        std::string strText;
        for (int i = 1; i <= nWords; i++)
        {
            char sz[16];
            wsprintfA(sz, "w%04d", i);
            strText += sz;
            strText += (i % 4 == 0) ? "\r\n" : " ";
        }
        if (pView != nullptr)
        {
            pView->SetWindowText(strText.c_str());
            pLayout.reset(new CFormatRangeStandIn(pView->m_hWnd));
        }
        PumpMessages();
    }
    ~NoteFixture()
    {
        pLayout.reset();
        if (pFrame != nullptr)
            pFrame->DestroyWindow();
        PumpMessages();
    }
};

// A preview that cannot open: one message that begins with lpszStart, and
// the frame usable.
void ExpectPreviewFails(NoteFixture& f, LPCSTR lpszStart)
{
    CRecordingPrompts prompts;
    f.pView->OnFilePrintPreview();
    PumpMessages();
    EXPECT_EQ(nullptr, FindPrintPreview());
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(0u, prompts.boxes[0].text.find(lpszStart)) << prompts.boxes[0].text;
    EXPECT_TRUE(::IsWindowEnabled(f.pFrame->m_hWnd));
}

} // namespace

TEST(PrintTest, PreviewLaysTheNoteOutOverPagesWithEveryWordOnceInOrder)
{
    const int kWords = 2400;
    NoteFixture f(kWords);
    ASSERT_NE(nullptr, f.pView);
    CDisplayPrinter printer;
    CRecordingPrompts prompts;

    ::SendMessageA(f.pView->m_hWnd, WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    PumpMessages();
    EXPECT_TRUE(prompts.boxes.empty());
    // Preview asks for the default printer, without showing the dialog.
    EXPECT_EQ(1, printer.nAsked);
    EXPECT_NE(0u, printer.dwLastFlags & PD_RETURNDEFAULT);
    CPrintPreviewWnd* pPreview = FindPrintPreview();
    ASSERT_NE(nullptr, pPreview);
    EXPECT_FALSE(::IsWindowEnabled(f.pFrame->m_hWnd));
    EXPECT_EQ(1u, pPreview->GetCurrentPage());
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pPreview->GetToolBar(), AFX_ID_PREVIEW_PREV)));

    // Next Page until it greys: the words of all pages, in order, once each.
    std::vector<int> all;
    std::vector<size_t> perPage;
    for (UINT nPage = 1; nPage < 100; nPage++)
    {
        EXPECT_EQ(nPage, pPreview->GetCurrentPage());
        const std::vector<int> words = WordsOfPage(pPreview->GetPageMetafile(nPage));
        perPage.push_back(words.size());
        all.insert(all.end(), words.begin(), words.end());
        if (!::IsWindowEnabled(::GetDlgItem(pPreview->GetToolBar(), AFX_ID_PREVIEW_NEXT)))
            break;
        ClickPreviewButton(pPreview, AFX_ID_PREVIEW_NEXT);
    }
    ASSERT_GE(perPage.size(), 3u);
    ASSERT_EQ((size_t)kWords, all.size());
    for (int i = 0; i < kWords; i++)
        ASSERT_EQ(i + 1, all[i]) << "at word " << i;
    // Full pages hold the same amount of text; the last holds the rest.
    EXPECT_EQ(perPage[0], perPage[1]);
    EXPECT_LE(perPage.back(), perPage[0]);
    // The text goes between the margins (the display has no unprintable
    // edge) and is laid out for the printer.
    const HDC hdcScreen = ::GetDC(nullptr);
    const int cxTwips = ::MulDiv(::GetDeviceCaps(hdcScreen, HORZRES), 1440, ::GetDeviceCaps(hdcScreen, LOGPIXELSX));
    const int cyTwips = ::MulDiv(::GetDeviceCaps(hdcScreen, VERTRES), 1440, ::GetDeviceCaps(hdcScreen, LOGPIXELSY));
    ::ReleaseDC(nullptr, hdcScreen);
    const RECT rcExpected = { 1800, 1440, cxTwips - 1800, cyTwips - 1440 };
    EXPECT_TRUE(::EqualRect(&rcExpected, &f.pLayout->rcLast));
    EXPECT_EQ(cxTwips, f.pLayout->rcPageLast.right);
    EXPECT_EQ((size_t)((rcExpected.bottom - rcExpected.top) / CFormatRangeStandIn::kLineTwips * 4), perPage[0]);
    char szPage[32];
    ::GetDlgItemTextA(pPreview->GetToolBar(), AFX_IDC_PREVIEW_PAGE, szPage, sizeof(szPage));
    EXPECT_EQ("Page " + std::to_string(perPage.size()), std::string(szPage));

    // Two pages side by side, a choice the application keeps; the label
    // names both pages while there is a second.
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_PREV);
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_NUMPAGE);
    EXPECT_EQ(2u, pPreview->GetPagesShown());
    EXPECT_EQ(2u, PrintTestApp().m_nNumPreviewPages);
    ::UpdateWindow(pPreview->m_hWnd);
    const UINT nLast = (UINT)perPage.size();
    ::GetDlgItemTextA(pPreview->GetToolBar(), AFX_IDC_PREVIEW_PAGE, szPage, sizeof(szPage));
    EXPECT_EQ("Pages " + std::to_string(nLast - 1) + "-" + std::to_string(nLast), std::string(szPage));
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_NEXT);
    ::GetDlgItemTextA(pPreview->GetToolBar(), AFX_IDC_PREVIEW_PAGE, szPage, sizeof(szPage));
    EXPECT_EQ("Page " + std::to_string(nLast), std::string(szPage));
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_NUMPAGE);
    EXPECT_EQ(1u, pPreview->GetPagesShown());
    EXPECT_EQ(1u, PrintTestApp().m_nNumPreviewPages);

    // After a click the keys are the preview's again: Page Up goes back.
    EXPECT_EQ(pPreview->m_hWnd, ::GetFocus());
    ::SendMessageA(::GetFocus(), WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(nLast - 1, pPreview->GetCurrentPage());
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_NEXT);

    // Back a page, then Close: the owner is enabled again, the view keeps
    // its text and its control lays out for the screen again.
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_PREV);
    EXPECT_EQ((UINT)perPage.size() - 1, pPreview->GetCurrentPage());
    ClickPreviewButton(pPreview, AFX_ID_PREVIEW_CLOSE);
    EXPECT_EQ(nullptr, FindPrintPreview());
    EXPECT_TRUE(::IsWindowEnabled(f.pFrame->m_hWnd));
    EXPECT_TRUE(f.pView->GetPageStarts().empty());
    EXPECT_GE(f.pLayout->nClears, 1);
    EXPECT_EQ(kWords * 6, f.pView->GetTextLengthPrecise());
}

TEST(PrintTest, AnEmptyNoteHasOnePageAndEscapeClosesThePreview)
{
    NoteFixture f(0);
    ASSERT_NE(nullptr, f.pView);
    CDisplayPrinter printer;
    CRecordingPrompts prompts;
    f.pView->OnFilePrintPreview();
    CPrintPreviewWnd* pPreview = FindPrintPreview();
    ASSERT_NE(nullptr, pPreview);
    EXPECT_EQ(1u, pPreview->GetPagesDrawn());
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pPreview->GetToolBar(), AFX_ID_PREVIEW_NEXT)));
    ::SendMessageA(pPreview->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, FindPrintPreview());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST(PrintTest, WithoutAPrinterPreviewSaysThatNoPrinterIsAvailable)
{
    NoteFixture f(10);
    ASSERT_NE(nullptr, f.pView);
    CDisplayPrinter printer;
    printer.bAnswer = FALSE;
    ExpectPreviewFails(f, "No printer is available.");
}

TEST(PrintTest, PrintingAsksTheDialogAndReportsADeviceThatRefusesTheDocument)
{
    NoteFixture f(40);
    ASSERT_NE(nullptr, f.pView);
    CDisplayPrinter printer;
    CRecordingPrompts prompts;

    // Cancelled: nothing printed, nothing said.
    printer.bAnswer = FALSE;
    ::SendMessageA(f.pView->m_hWnd, WM_COMMAND, ID_FILE_PRINT, 0);
    EXPECT_EQ(1, printer.nAsked);
    EXPECT_EQ(0u, printer.dwLastFlags & PD_RETURNDEFAULT);
    EXPECT_NE(0u, printer.dwLastFlags & PD_RETURNDC);
    EXPECT_TRUE(prompts.boxes.empty());

    // A device without a spooler refuses the document: the user is told,
    // and the view is left as it was.
    printer.bAnswer = TRUE;
    ::SendMessageA(f.pView->m_hWnd, WM_COMMAND, ID_FILE_PRINT, 0);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[0].text.find("could not be printed"));
    EXPECT_TRUE(f.pView->GetPageStarts().empty());

    // Print Direct takes the default printer without a dialog.
    ::SendMessageA(f.pView->m_hWnd, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    EXPECT_NE(0u, printer.dwLastFlags & PD_RETURNDEFAULT);
    EXPECT_EQ(2u, prompts.boxes.size());
    // Without a default printer there is no dialog to say so: the program does.
    printer.bAnswer = FALSE;
    ::SendMessageA(f.pView->m_hWnd, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    ASSERT_EQ(3u, prompts.boxes.size());
    EXPECT_EQ(0u, prompts.boxes[2].text.find("No printer is available."));
}

TEST(PrintTest, PagesAskedForFromTheMiddleAreLaidOutFromTheStart)
{
    NoteFixture f(2400);
    ASSERT_NE(nullptr, f.pView);
    CRichEditView& view = *f.pView;
    const HDC hdcPrinter = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hdcPrinter);
    // Page 3 alone, as a page range would ask: pages 1 and 2 are measured
    // first, so page 3 starts where a full run would start it.
    std::vector<int> wordsOf3;
    long nStart3 = 0;
    for (int nRun = 0; nRun < 2; nRun++)
    {
        CPrintInfo info;
        CDC dc;
        dc.Attach(hdcPrinter);
        view.OnBeginPrinting(&dc, &info);
        for (UINT nPage = nRun == 0 ? 1 : 3; nPage <= 3; nPage++)
        {
            info.m_nCurPage = nPage;
            info.m_bContinuePrinting = TRUE;
            const HDC hdcMeta = ::CreateEnhMetaFileA(hdcPrinter, nullptr, nullptr, nullptr);
            CDC meta;
            meta.Attach(hdcMeta);
            meta.m_hAttribDC = hdcPrinter;
            view.OnPreparePrintDC(&meta, &info);
            ASSERT_TRUE(info.m_bContinuePrinting);
            view.OnPrint(&meta, &info);
            meta.Detach();
            HENHMETAFILE hPage = ::CloseEnhMetaFile(hdcMeta);
            if (nPage == 3)
            {
                const std::vector<int> words = WordsOfPage(hPage);
                ASSERT_FALSE(words.empty());
                if (nRun == 0)
                {
                    wordsOf3 = words;
                    nStart3 = view.GetPageStarts()[2];
                }
                else
                {
                    EXPECT_EQ(wordsOf3, words);
                    EXPECT_EQ(nStart3, view.GetPageStarts()[2]);
                }
            }
            ::DeleteEnhMetaFile(hPage);
        }
        view.OnEndPrinting(&dc, &info);
        dc.Detach();
    }
    ::DeleteDC(hdcPrinter);
}

TEST(PrintTest, AControlThatLaysNothingOutIsAFailureNotABlankPrint)
{
    NoteFixture f(400);
    ASSERT_NE(nullptr, f.pView);
    f.pLayout->bStuck = TRUE;
    CDisplayPrinter printer;
    ExpectPreviewFails(f, "Command failed.");

    // Straight through the page loop with a device that takes documents is
    // not possible here; the loop's verdict on the first page is.
    CPrintInfo info;
    const HDC hdcPrinter = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    CDC dc;
    dc.Attach(hdcPrinter);
    f.pView->OnBeginPrinting(&dc, &info);
    info.m_nCurPage = 1;
    f.pView->OnPreparePrintDC(&dc, &info);
    EXPECT_TRUE(info.m_bContinuePrinting);
    f.pView->OnPrint(&dc, &info);
    EXPECT_TRUE(info.m_bError);
    EXPECT_FALSE(info.m_bContinuePrinting);
    f.pView->OnEndPrinting(&dc, &info);
    dc.Detach();
    ::DeleteDC(hdcPrinter);
}
