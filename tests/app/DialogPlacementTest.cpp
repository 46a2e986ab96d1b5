// Where the sheets and the formatting dialogs open, through the commands the
// user gives: the property sheets over the main window, every label of their
// pages readable whole, and the Font and Paragraph dialogs clear of the
// text they format.
#include "CWindowScript.h"
#include "NotebookWindowSupport.h"
#include "SheetScripts.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CQlcRichEditViewEx.h"
#include "app/res/Resource.h"

#include <functional>
#include <string>
#include <vector>

namespace {

struct Placed
{
    RECT rc;
    BOOL bVisible;
    std::vector<std::string> clipped; // labels of any page drawn cut off
};

CPoint Centre(const RECT& rc)
{
    return CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

// Static labels whose text does not fit their control as the control draws
// it (word-wrapped within its width), as "page: text".
void FindClippedLabels(HWND hPage, const std::string& strPage, std::vector<std::string>& clipped)
{
    for (HWND hCtrl = ::GetWindow(hPage, GW_CHILD); hCtrl != nullptr; hCtrl = ::GetWindow(hCtrl, GW_HWNDNEXT))
    {
        char szClass[32] = "";
        ::GetClassNameA(hCtrl, szClass, sizeof(szClass));
        const LONG lStyle = ::GetWindowLongA(hCtrl, GWL_STYLE);
        const LONG lType = lStyle & SS_TYPEMASK;
        if (lstrcmpiA(szClass, "Static") != 0 || (lType != SS_LEFT && lType != SS_CENTER && lType != SS_RIGHT))
            continue;
        char szText[256] = "";
        ::GetWindowTextA(hCtrl, szText, sizeof(szText));
        if (szText[0] == '\0')
            continue;
        RECT rcClient = {};
        ::GetClientRect(hCtrl, &rcClient);
        HDC hdc = ::GetDC(hCtrl);
        HGDIOBJ hOld = ::SelectObject(hdc, (HFONT)::SendMessageA(hCtrl, WM_GETFONT, 0, 0));
        RECT rcNeeded = rcClient;
        ::DrawTextA(hdc, szText, -1, &rcNeeded, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        ::SelectObject(hdc, hOld);
        ::ReleaseDC(hCtrl, hdc);
        if (rcNeeded.bottom > rcClient.bottom || rcNeeded.right > rcClient.right)
            clipped.push_back(strPage + ": " + szText);
    }
}

// Records where a sheet opened and the labels of each of its pages, then
// cancels it.
void RecordSheet(CPropertySheet* pSheet, Placed& placed)
{
    pSheet->GetWindowRect(&placed.rc);
    placed.bVisible = pSheet->IsWindowVisible();
    for (int i = 0; i < pSheet->GetPageCount(); i++)
    {
        pSheet->SetActivePage(i);
        CPropertyPage* pPage = pSheet->GetActivePage();
        if (pPage == nullptr || pPage->m_hWnd == nullptr)
            continue;
        CString strTitle;
        pPage->GetWindowText(strTitle);
        FindClippedLabels(pPage->m_hWnd, strTitle.GetString(), placed.clipped);
    }
}

// A note of numbered lines, enough to fill the view.
std::string LinesRtf(int nLines)
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= nLines; i++)
        rtf += "Line " + std::to_string(i) + " of the note\\par ";
    return rtf + "}";
}

long LineIndex(CRichEditCtrl& ctrl, long nLine)
{
    return (long)ctrl.SendMessage(EM_LINEINDEX, (WPARAM)nLine);
}

long LineLength(CRichEditCtrl& ctrl, long nChar)
{
    return (long)ctrl.SendMessage(EM_LINELENGTH, (WPARAM)nChar);
}

class DialogPlacementTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        // Away from the screen's middle, so that centred on the screen and
        // centred on the window differ.
        m_pMainFrame->MoveWindow(30, 20, 820, 640);
        CNotebookBuilder builder;
        builder.Note("Note", 0, LinesRtf(60).c_str());
        m_pDoc = OpenBuilt(builder, "placement.qlc");
        ASSERT_NE(nullptr, m_pDoc);
        m_pFrame = FrameOf(m_pDoc);
        m_pFrame->MDIMaximize();
        PumpMessages();
    }
    // The screen rectangle of the note's characters nFirst to nLast (lines
    // taken whole across the view).
    RECT LinesRect(CRichEditCtrl& ctrl, long nFirst, long nLast)
    {
        const CPoint ptFirst = ctrl.PosFromChar((UINT)nFirst);
        const CPoint ptAfter = ctrl.PosFromChar((UINT)LineIndex(ctrl, ctrl.LineFromChar(nLast) + 1));
        RECT rc = {};
        ::GetClientRect(ctrl.m_hWnd, &rc);
        rc.top = ptFirst.y;
        rc.bottom = ptAfter.y;
        ::MapWindowPoints(ctrl.m_hWnd, nullptr, (LPPOINT)&rc, 2);
        return rc;
    }
    // Selects the whole lines of the note that lie across the screen rows
    // top to bottom; the screen rectangle of the selection.
    RECT SelectLinesOver(CRichEditCtrl& ctrl, int yTop, int yBottom)
    {
        POINT ptTop = { 20, yTop }, ptBottom = { 20, yBottom };
        ::ScreenToClient(ctrl.m_hWnd, &ptTop);
        ::ScreenToClient(ctrl.m_hWnd, &ptBottom);
        const long nFirst = LineIndex(ctrl, ctrl.LineFromChar(ctrl.CharFromPos(ptTop)));
        const long nLastLine = ctrl.LineFromChar(ctrl.CharFromPos(ptBottom));
        const long nEnd = LineIndex(ctrl, nLastLine) + LineLength(ctrl, LineIndex(ctrl, nLastLine));
        ctrl.SetSel(nFirst, nEnd);
        return LinesRect(ctrl, nFirst, nEnd);
    }

    CQuillcrestDoc* m_pDoc = nullptr;
    CChildFrame* m_pFrame = nullptr;
};

} // namespace

TEST_F(DialogPlacementTest, SheetsOpenOverTheMainWindowWithEveryLabelWhole)
{
    RECT rcMain = {};
    m_pMainFrame->GetWindowRect(&rcMain);
    auto open = [&](std::function<void()> command) {
        Placed placed = {};
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) { RecordSheet(pSheet, placed); };
        command();
        EXPECT_EQ(1, scripts.nSheets);
        return placed;
    };
    CQlcTreeCtrl* pTree = TreeOf(m_pDoc);
    const Placed options = open([&] { ChooseMenuItem(m_pMainFrame, ID_TOOLS_OPTIONS); });
    const Placed file = open([&] { ChooseMenuItem(m_pMainFrame, ID_FILE_PROPERTIES); });
    const Placed node = open([&] {
        pTree->SetContextItem(FindItem(*pTree, "Note"));
        pTree->SendMessage(WM_COMMAND, ID_QLCPOPUP_PROPERTIES);
    });

    const CPoint ptMain = Centre(rcMain);
    for (const Placed* p : { &options, &file, &node })
    {
        SCOPED_TRACE(p == &options ? "Options" : p == &file ? "File Properties" : "Node Properties");
        EXPECT_TRUE(p->bVisible);
        const CPoint pt = Centre(p->rc);
        EXPECT_NEAR(ptMain.x, pt.x, 2) << "sheet at " << p->rc.left << "," << p->rc.top;
        EXPECT_NEAR(ptMain.y, pt.y, 2) << "sheet at " << p->rc.left << "," << p->rc.top;
        for (const std::string& label : p->clipped)
            ADD_FAILURE() << "label cut off: " << label;
    }
}

TEST_F(DialogPlacementTest, TheParagraphAndFontDialogsOpenClearOfTheSelection)
{
    CQlcRichEditViewEx* pView = OpenNoteAsUser(m_pFrame, "Note");
    ASSERT_NE(nullptr, pView);
    CRichEditCtrl& ctrl = pView->GetRichEditCtrl();
    ctrl.SetSel(0, 0);

    // Where each dialog opens when nothing it formats is in its way, then
    // with lines selected right across that place.
    auto paragraph = [&]() {
        RECT rc = {};
        CScriptedDialogs dialogs([&](CWnd* pDlg) {
            pDlg->GetWindowRect(&rc);
            ClickButton(pDlg, IDCANCEL);
        });
        ChooseMenuItem(m_pMainFrame, ID_FORMAT_PARAGRAPH);
        EXPECT_EQ(1, dialogs.nDialogs);
        return rc;
    };
    auto font = [&]() {
        RECT rc = {};
        CWindowScript script("Font", [&](HWND hDialog) {
            ::GetWindowRect(hDialog, &rc);
            ::PostMessageA(hDialog, WM_COMMAND, IDCANCEL, (LPARAM)::GetDlgItem(hDialog, IDCANCEL));
        });
        ChooseMenuItem(m_pMainFrame, ID_FORMAT_FONT);
        EXPECT_TRUE(script.HasRun());
        EXPECT_FALSE(script.TimedOut());
        return rc;
    };
    for (auto open : { std::function<RECT()>(paragraph), std::function<RECT()>(font) })
    {
        ctrl.SetSel(0, 0);
        const RECT rcFree = open();
        const int yMiddle = (rcFree.top + rcFree.bottom) / 2;
        const RECT rcSelection = SelectLinesOver(ctrl, yMiddle - 20, yMiddle + 20);
        ASSERT_LT(rcSelection.top, yMiddle);
        ASSERT_GT(rcSelection.bottom, yMiddle);
        const RECT rc = open();
        RECT rcCommon = {};
        EXPECT_FALSE(::IntersectRect(&rcCommon, &rc, &rcSelection))
            << "dialog " << rc.left << "," << rc.top << "-" << rc.right << "," << rc.bottom << " over the selection "
            << rcSelection.top << "-" << rcSelection.bottom;
        // Only moved up or down.
        EXPECT_EQ(rcFree.left, rc.left);
    }
}
