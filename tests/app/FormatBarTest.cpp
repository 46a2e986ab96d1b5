// The Formatting bar in the main frame, working on a real note: its make-up,
// which buttons follow the note's focus, the size typed and entered through
// the message loop, faces picked from the list, the face and size shown for
// a selection, the colour buttons with their popup and pictures, the
// underline kinds and the font list's order and kinds; and the status
// progress bar that loading and saving a note move on.
#include "NotebookWindowSupport.h"

#include "app/CFormatBar.h"
#include "app/res/Resource.h"

#include "widgets/CProgressBar.h"
#include "widgets/VarloColourPopup.h"

#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQlcStatus.h"

#include "framework/ui/CColorDialog.h"

#include <cstring>
#include <functional>
#include <mbstring.h>
#include <set>
#include <string>

namespace {

// Faces the test prefix has (Wine's own fonts).
const char kNoteRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}{\\f1 Courier;}}"
                        "\\f0\\fs24 alpha \\f1\\fs40 beta\\par}";

// How a test answers the colour popup (called with the live popup).
std::function<int(VarloColourPopup&)> s_answerPopup;
int AnswerPopup(VarloColourPopup& popup)
{
    return s_answerPopup(popup);
}

int ClickOn(VarloColourPopup& popup, int nIndex)
{
    const CPoint pt = popup.GetItemRect(nIndex).CenterPoint();
    popup.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    popup.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    popup.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    return popup.RunModalLoop();
}

// Messages dispatched as the program's loop does: pre-translated first.
void PumpTranslated()
{
    MSG msg;
    for (int i = 0; i < 1000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++)
    {
        if (msg.message == WM_QUIT)
            continue;
        if (CWnd::WalkPreTranslateTree(nullptr, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

class FormatBarTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        m_pfnOldRun = CFormatBar::s_pfnRunColourPopup;
        CFormatBar::s_pfnRunColourPopup = &AnswerPopup;
    }
    void TearDown() override
    {
        CFormatBar::s_pfnRunColourPopup = m_pfnOldRun;
        s_answerPopup = nullptr;
        NotebookWindowTest::TearDown();
    }
    // A notebook with one note, shown, with the focus in it.
    BOOL OpenNote()
    {
        CNotebookBuilder builder;
        builder.Note("Note", 0, kNoteRtf);
        CQuillcrestDoc* pDoc = OpenBuilt(builder);
        if (pDoc == nullptr)
            return FALSE;
        m_pFrame = FrameOf(pDoc);
        if (!m_pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")))
            return FALSE;
        m_pView = m_pFrame->GetRichEditView();
        if (m_pView == nullptr)
            return FALSE;
        m_pFrame->MDIActivate();
        // As a click or Tab into the note makes it.
        m_pFrame->SetActiveView(m_pView, FALSE);
        m_pView->SetFocus();
        PumpMessages();
        return TRUE;
    }
    CFormatBar& Bar() { return m_pMainFrame->GetFormatBar(); }
    CRichEditCtrl& Ctrl() { return m_pView->GetRichEditCtrl(); }
    CHARFORMAT2A Format(int nStart, int nEnd)
    {
        Ctrl().SetSel(nStart, nEnd);
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof(cf);
        Ctrl().SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
        return cf;
    }
    UINT State(UINT nID) { return (UINT)Bar().SendMessage(TB_GETSTATE, nID); }
    std::string EditText(CComboBoxEx& combo)
    {
        char sz[64] = "";
        ::GetWindowTextA(combo.GetEditCtrl(), sz, sizeof(sz));
        return sz;
    }
    // Types a size into the size field and presses Enter, through the loop.
    void EnterSize(LPCSTR lpszText)
    {
        HWND hEdit = Bar().GetFontSizeCombo().GetEditCtrl();
        ASSERT_NE(nullptr, hEdit);
        ::SetWindowTextA(hEdit, lpszText);
        ::SetFocus(hEdit);
        ::PostMessageA(hEdit, WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageA(hEdit, WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
        PumpTranslated();
    }
    LRESULT DropDown(UINT nID)
    {
        NMTOOLBARA nm = {};
        nm.hdr.hwndFrom = Bar().m_hWnd;
        nm.hdr.idFrom = ID_VIEW_TOOLBAR_FORMATTING;
        nm.hdr.code = TBN_DROPDOWN;
        nm.iItem = (int)nID;
        return m_pMainFrame->SendMessage(WM_NOTIFY, ID_VIEW_TOOLBAR_FORMATTING, (LPARAM)&nm);
    }
    // The colour in the bar of a colour button's picture.
    COLORREF PictureBarColour(UINT nID)
    {
        HIMAGELIST hList = (HIMAGELIST)Bar().SendMessage(TB_GETIMAGELIST);
        TBBUTTON button = {};
        Bar().SendMessage(TB_GETBUTTON, (WPARAM)Bar().CommandToIndex(nID), (LPARAM)&button);
        HDC hdcScreen = ::GetDC(nullptr);
        HDC hdc = ::CreateCompatibleDC(hdcScreen);
        HBITMAP hbm = ::CreateCompatibleBitmap(hdcScreen, 16, 15);
        ::ReleaseDC(nullptr, hdcScreen);
        HGDIOBJ hOld = ::SelectObject(hdc, hbm);
        ImageList_Draw(hList, button.iBitmap, hdc, 0, 0, ILD_NORMAL);
        const COLORREF clr = ::GetPixel(hdc, 8, 13);
        ::SelectObject(hdc, hOld);
        ::DeleteObject(hbm);
        ::DeleteDC(hdc);
        return clr;
    }

    CChildFrame* m_pFrame = nullptr;
    CQlcRichEditViewEx* m_pView = nullptr;
    int (*m_pfnOldRun)(VarloColourPopup&) = nullptr;
};

} // namespace

TEST_F(FormatBarTest, TheBarIsMadeFromItsResourceWithTheListsInPlace)
{
    CFormatBar& bar = Bar();
    ASSERT_NE(nullptr, bar.m_hWnd);
    CString strTitle;
    bar.GetWindowText(strTitle);
    EXPECT_EQ("Formatting", strTitle);
    EXPECT_TRUE(bar.IsWindowVisible());

    // The lists stand on separators of their widths.
    const int iName = bar.CommandToIndex(ID_FORMAT_FONTNAME);
    const int iSize = bar.CommandToIndex(ID_FORMAT_FONTSIZE);
    ASSERT_GE(iName, 0);
    ASSERT_GE(iSize, 0);
    CRect rectName, rectSize, rectCombo;
    bar.GetItemRect(iName, rectName);
    bar.GetItemRect(iSize, rectSize);
    EXPECT_EQ(190, rectName.Width());
    EXPECT_EQ(60, rectSize.Width());
    EXPECT_TRUE(bar.GetButtonStyle(iName) & TBSTYLE_SEP);
    bar.GetFontNameCombo().GetWindowRect(rectCombo);
    bar.ScreenToClient(rectCombo);
    EXPECT_EQ(rectName.left + 2, rectCombo.left);
    EXPECT_EQ(ID_FORMAT_FONTNAME, bar.GetFontNameCombo().GetDlgCtrlID());
    EXPECT_EQ(ID_FORMAT_FONTSIZE, bar.GetFontSizeCombo().GetDlgCtrlID());
    EXPECT_EQ(16, bar.GetFontSizeCombo().GetCount());
    EXPECT_EQ("72", std::string(bar.GetFontSizeCombo().GetItemText(15)));

    // The Font... picture is for the menus only; the rest are there.
    EXPECT_LT(bar.CommandToIndex(ID_FORMAT_FONT), 0);
    EXPECT_GE(bar.CommandToIndex(ID_EDIT_FIND), 0);
    for (UINT nID : { ID_CHAR_BOLD, ID_CHAR_ITALIC, ID_CHAR_STRIKEOUT, ID_PARA_LEFT, ID_PARA_JUSTIFY, ID_PARA_BULLETS })
        EXPECT_TRUE(bar.GetButtonStyle(bar.CommandToIndex(nID)) & TBSTYLE_CHECK) << nID;
    for (UINT nID : { ID_FORMAT_FONTCOLOUR, ID_FORMAT_HIGHLIGHT, ID_CHAR_UNDERLINE })
        EXPECT_TRUE(bar.GetButtonStyle(bar.CommandToIndex(nID)) & TBSTYLE_DROPDOWN) << nID;
    EXPECT_TRUE(bar.SendMessage(TB_GETEXTENDEDSTYLE) & TBSTYLE_EX_DRAWDDARROWS);

    // Every bar is as high as the font list's field and 15 pixels.
    const int nField = bar.GetFontNameCombo().GetItemHeight(-1);
    EXPECT_GT(nField, 0);
    EXPECT_EQ(nField + 15, m_pMainFrame->GetToolbarHeight());
    CRect rectBar;
    m_pMainFrame->GetStandardBar().GetWindowRect(rectBar);
    EXPECT_EQ(nField + 15, rectBar.Height());
}

TEST_F(FormatBarTest, FormattingFollowsTheNotesFocus)
{
    CFormatBar& bar = Bar();
    EXPECT_FALSE(bar.IsFormattingEnabled());
    EXPECT_FALSE(bar.GetFontNameCombo().IsWindowEnabled());
    EXPECT_FALSE(bar.GetFontSizeCombo().IsWindowEnabled());
    for (UINT nID : { ID_FORMAT_FONTCOLOUR, ID_FORMAT_HIGHLIGHT, ID_CHAR_BOLD, ID_PARA_INDENTMORE })
        EXPECT_EQ((UINT)TBSTATE_INDETERMINATE, State(nID)) << nID;
    EXPECT_EQ(0, QueryCommand(&bar, ID_FORMAT_FONTCOLOUR).nEnabled);

    ASSERT_TRUE(OpenNote());
    EXPECT_TRUE(bar.IsFormattingEnabled());
    EXPECT_TRUE(bar.GetFontNameCombo().IsWindowEnabled());
    EXPECT_TRUE(bar.GetFontSizeCombo().IsWindowEnabled());
    for (UINT nID : { ID_FORMAT_FONTCOLOUR, ID_FORMAT_HIGHLIGHT, ID_PARA_INDENTLESS, ID_PARA_INDENTMORE })
        EXPECT_TRUE(State(nID) & TBSTATE_ENABLED) << nID;
    EXPECT_EQ(1, QueryCommand(&bar, ID_FORMAT_FONTCOLOUR).nEnabled);
    EXPECT_EQ(1, QueryCommand(&bar, ID_FORMAT_HIGHLIGHT).nEnabled);
    // The note's own handlers give the other buttons back at idle time.
    Ctrl().SetSel(0, 3);
    bar.SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    for (UINT nID : { ID_CHAR_BOLD, ID_CHAR_ITALIC, ID_CHAR_UNDERLINE, ID_PARA_LEFT, ID_PARA_CENTER, ID_PARA_BULLETS })
    {
        EXPECT_TRUE(State(nID) & TBSTATE_ENABLED) << nID;
        EXPECT_FALSE(State(nID) & TBSTATE_INDETERMINATE) << nID;
    }
    EXPECT_TRUE(State(ID_PARA_LEFT) & TBSTATE_CHECKED);
    EXPECT_FALSE(State(ID_CHAR_BOLD) & TBSTATE_CHECKED);

    // The tree takes the keyboard: nothing to format.
    m_pFrame->GetTabsView()->GetTreeCtrl()->SetFocus();
    EXPECT_FALSE(bar.IsFormattingEnabled());
    EXPECT_EQ(0, QueryCommand(&bar, ID_FORMAT_HIGHLIGHT).nEnabled);
    m_pView->SetFocus();
    EXPECT_TRUE(bar.IsFormattingEnabled());

    // The note goes: formatting ends with it.
    app.CloseAllDocuments(TRUE);
    EXPECT_FALSE(bar.IsFormattingEnabled());
}

TEST_F(FormatBarTest, ASizeTypedAndEnteredGoesToTheSelection)
{
    ASSERT_TRUE(OpenNote());
    Ctrl().SetSel(0, 5);
    EnterSize("15");
    EXPECT_EQ(300, Format(0, 5).yHeight);
    EXPECT_EQ(::GetFocus(), m_pView->m_hWnd);
    EXPECT_TRUE(Ctrl().GetModify());
    // Text that is no size, zero, negative or too large changes nothing.
    for (LPCSTR lpszText : { "abc", "0", "-3", "1639", "", "12x", "99999999999" })
    {
        Ctrl().SetSel(0, 5);
        EnterSize(lpszText);
        EXPECT_EQ(300, Format(0, 5).yHeight) << lpszText;
    }
    Ctrl().SetSel(0, 5);
    EnterSize(" 1638 ");
    EXPECT_EQ(32760, Format(0, 5).yHeight);
    EXPECT_EQ(0, CFontSizeCombo::ParseTwips("1639"));
    EXPECT_EQ(20, CFontSizeCombo::ParseTwips("1"));

    // A size picked from the list.
    Ctrl().SetSel(0, 5);
    CFontSizeCombo& sizes = Bar().GetFontSizeCombo();
    sizes.SetCurSel(4); // 12
    Bar().SendMessage(WM_COMMAND, MAKEWPARAM(ID_FORMAT_FONTSIZE, CBN_SELCHANGE), (LPARAM)sizes.m_hWnd);
    EXPECT_EQ(240, Format(0, 5).yHeight);
}

TEST_F(FormatBarTest, AFacePickedFromTheListGoesToTheSelection)
{
    ASSERT_TRUE(OpenNote());
    CFontNameCombo& names = Bar().GetFontNameCombo();
    int iCourier = -1;
    for (int i = 0; i < names.GetCount(); i++)
    {
        if (std::string(names.GetItemText(i)) == "Courier")
            iCourier = i;
    }
    ASSERT_GE(iCourier, 0) << "the test prefix has Courier";
    Ctrl().SetSel(0, 5);
    names.SetCurSel(iCourier);
    Bar().SendMessage(WM_COMMAND, MAKEWPARAM(ID_FORMAT_FONTNAME, CBN_SELCHANGE), (LPARAM)names.m_hWnd);
    EXPECT_STREQ("Courier", Format(0, 5).szFaceName);
    EXPECT_EQ(::GetFocus(), m_pView->m_hWnd);
}

TEST_F(FormatBarTest, TheSelectionsFaceAndSizeAreShown)
{
    ASSERT_TRUE(OpenNote());
    CFormatBar& bar = Bar();
    // Through the note's own selection changes: one face and size, then a
    // selection over both runs.
    Ctrl().SetSel(1, 3);
    PumpMessages();
    EXPECT_EQ("Tahoma", EditText(bar.GetFontNameCombo()));
    EXPECT_EQ("12", EditText(bar.GetFontSizeCombo()));
    EXPECT_EQ(240, bar.GetFontSizeCombo().GetShownHeight());
    Ctrl().SetSel(0, 9);
    PumpMessages();
    EXPECT_EQ("", EditText(bar.GetFontNameCombo()));
    EXPECT_EQ("", EditText(bar.GetFontSizeCombo()));

    // Straight from a format: the masks decide.
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE;
    lstrcpyA(cf.szFaceName, "Courier");
    cf.yHeight = 410; // 20.5 points show as 20
    bar.ShowCharFormat(cf);
    EXPECT_EQ("Courier", EditText(bar.GetFontNameCombo()));
    EXPECT_EQ("Courier", std::string(bar.GetFontNameCombo().GetCurrentName()));
    EXPECT_EQ("20", EditText(bar.GetFontSizeCombo()));
    cf.dwMask = CFM_SIZE;
    bar.ShowCharFormat(cf);
    EXPECT_EQ("", EditText(bar.GetFontNameCombo()));
    EXPECT_EQ("20", EditText(bar.GetFontSizeCombo()));
    cf.dwMask = CFM_FACE;
    lstrcpyA(cf.szFaceName, "No Such Face Anywhere");
    bar.ShowCharFormat(cf);
    EXPECT_EQ("", EditText(bar.GetFontNameCombo()));
    EXPECT_EQ("No Such Face Anywhere", std::string(bar.GetFontNameCombo().GetCurrentName()));
    EXPECT_EQ("", EditText(bar.GetFontSizeCombo()));
}

TEST_F(FormatBarTest, TheColourButtonsApplyAutomaticOrExplicitColours)
{
    ASSERT_TRUE(OpenNote());
    CFormatBar& bar = Bar();
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), bar.GetFontColour());
    EXPECT_EQ(RGB(255, 255, 0), bar.GetHighlightColour());

    Ctrl().SetSel(0, 5);
    bar.SetFontColour(RGB(0, 128, 0));
    m_pMainFrame->SendMessage(WM_COMMAND, ID_FORMAT_FONTCOLOUR, (LPARAM)bar.m_hWnd);
    CHARFORMAT2A cf = Format(0, 5);
    EXPECT_FALSE(cf.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(RGB(0, 128, 0), cf.crTextColor);
    Ctrl().SetSel(0, 5);
    bar.SetFontColour(CFormatBar::kAutoColour);
    bar.ApplyFontColour();
    EXPECT_TRUE(Format(0, 5).dwEffects & CFE_AUTOCOLOR);

    Ctrl().SetSel(0, 5);
    m_pMainFrame->SendMessage(WM_COMMAND, ID_FORMAT_HIGHLIGHT, (LPARAM)bar.m_hWnd);
    cf = Format(0, 5);
    EXPECT_FALSE(cf.dwEffects & CFE_AUTOBACKCOLOR);
    EXPECT_EQ(RGB(255, 255, 0), cf.crBackColor);
    Ctrl().SetSel(0, 5);
    bar.SetHighlightColour(CFormatBar::kAutoColour);
    bar.ApplyHighlightColour();
    EXPECT_TRUE(Format(0, 5).dwEffects & CFE_AUTOBACKCOLOR);
}

TEST_F(FormatBarTest, TheColourPopupChoosesCancelsAndKeepsCustomColours)
{
    ASSERT_TRUE(OpenNote());
    CFormatBar& bar = Bar();
    app.m_settings.m_strCustomColours = "#000000ff;";

    // The font colour: red picked from the palette, starting from the
    // selection's own (automatic) colour.
    Ctrl().SetSel(0, 5);
    COLORREF clrInitial = 0;
    s_answerPopup = [&](VarloColourPopup& popup) {
        clrInitial = popup.GetInitialColour();
        EXPECT_EQ(RGB(255, 0, 0), popup.GetCustomColour(0));
        CRect rectPopup, rectButton;
        popup.GetWindowRect(rectPopup);
        bar.GetItemRect(bar.CommandToIndex(ID_FORMAT_FONTCOLOUR), rectButton);
        bar.ClientToScreen(rectButton);
        EXPECT_EQ(rectButton.left, rectPopup.left);
        EXPECT_EQ(rectButton.bottom, rectPopup.top);
        return ClickOn(popup, 16);
    };
    EXPECT_EQ(TBDDRET_DEFAULT, DropDown(ID_FORMAT_FONTCOLOUR));
    EXPECT_EQ(VarloColourPopup::kAutomatic, clrInitial);
    EXPECT_EQ(RGB(255, 0, 0), bar.GetFontColour());
    EXPECT_EQ(RGB(255, 0, 0), Format(0, 5).crTextColor);

    // The highlight: "Automatic".
    Ctrl().SetSel(0, 5);
    s_answerPopup = [&](VarloColourPopup& popup) { return ClickOn(popup, VarloColourPopup::kDefaultButton); };
    DropDown(ID_FORMAT_HIGHLIGHT);
    EXPECT_EQ(CFormatBar::kAutoColour, bar.GetHighlightColour());
    EXPECT_TRUE(Format(0, 5).dwEffects & CFE_AUTOBACKCOLOR);

    // Cancelled in the colour dialog after editing a custom colour: the
    // colour stays, the edited custom colour is kept in the settings.
    class CEditAndCancel : public IAfxCommonDialogHook
    {
    public:
        CEditAndCancel() { m_pOld = AfxSetCommonDialogHook(this); }
        ~CEditAndCancel() override { AfxSetCommonDialogHook(m_pOld); }
        INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
        {
            dynamic_cast<CColorDialog*>(pDialog)->m_cc.lpCustColors[1] = RGB(0, 0, 255);
            return IDCANCEL;
        }
        IAfxCommonDialogHook* m_pOld;
    } hook;
    Ctrl().SetSel(0, 5);
    s_answerPopup = [&](VarloColourPopup& popup) { return ClickOn(popup, VarloColourPopup::kCustomButton); };
    DropDown(ID_FORMAT_FONTCOLOUR);
    EXPECT_EQ(RGB(255, 0, 0), bar.GetFontColour());
    EXPECT_EQ(std::string("#000000ff;#00ff0000;"), std::string(app.m_settings.m_strCustomColours).substr(0, 20));
    EXPECT_EQ(160, app.m_settings.m_strCustomColours.GetLength());
}

TEST_F(FormatBarTest, TheColourPicturesShowTheColourTheyApply)
{
    CFormatBar& bar = Bar();
    HIMAGELIST hList = (HIMAGELIST)bar.SendMessage(TB_GETIMAGELIST);
    ASSERT_NE(nullptr, hList);
    const int nImages = ImageList_GetImageCount(hList);

    bar.SetFontColour(RGB(200, 30, 40));
    bar.UpdateColourImage(ID_FORMAT_FONTCOLOUR, nullptr);
    EXPECT_EQ(RGB(200, 30, 40), PictureBarColour(ID_FORMAT_FONTCOLOUR));
    // The list's transparent colour is drawn a shade darker.
    bar.SetFontColour(RGB(192, 192, 192));
    bar.UpdateColourImage(ID_FORMAT_FONTCOLOUR, nullptr);
    EXPECT_EQ(RGB(191, 191, 191), PictureBarColour(ID_FORMAT_FONTCOLOUR));
    bar.SetFontColour(CFormatBar::kAutoColour);
    bar.UpdateColourImage(ID_FORMAT_FONTCOLOUR, nullptr);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), PictureBarColour(ID_FORMAT_FONTCOLOUR));
    bar.SetHighlightColour(CFormatBar::kAutoColour);
    bar.UpdateColourImage(ID_FORMAT_HIGHLIGHT, nullptr);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), PictureBarColour(ID_FORMAT_HIGHLIGHT));
    // Made again any number of times, the list does not grow.
    EXPECT_EQ(nImages, ImageList_GetImageCount(hList));

    // Painting the bar makes the picture for the colour it has now.
    bar.SetHighlightColour(RGB(0, 0, 200));
    bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    EXPECT_EQ(RGB(0, 0, 200), PictureBarColour(ID_FORMAT_HIGHLIGHT));
}

TEST_F(FormatBarTest, TheUnderlineArrowOffersTheOtherKinds)
{
    ASSERT_TRUE(OpenNote());
    Ctrl().SetSel(0, 5);
    // The menu is answered from the keyboard: the second kind.
    ::PostMessageA(m_pMainFrame->m_hWnd, WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageA(m_pMainFrame->m_hWnd, WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageA(m_pMainFrame->m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    DropDown(ID_CHAR_UNDERLINE);
    CHARFORMAT2A cf = Format(0, 5);
    EXPECT_TRUE(cf.dwEffects & CFE_UNDERLINE);
    EXPECT_EQ(CFU_UNDERLINEDOUBLE, cf.bUnderlineType);
    // The single kind from the menu's first entry.
    Ctrl().SetSel(0, 5);
    m_pView->SendMessage(WM_COMMAND, ID_CHAR_UNDERLINE_SINGLE);
    EXPECT_EQ(CFU_UNDERLINE, Format(0, 5).bUnderlineType);
}

TEST_F(FormatBarTest, TheFontListIsSortedAndScreenFontsWin)
{
    CFontNameCombo& names = Bar().GetFontNameCombo();
    ASSERT_GT(names.GetCount(), 1);
    for (int i = 1; i < names.GetCount(); i++)
    {
        const CString a = names.GetItemText(i - 1), b = names.GetItemText(i);
        EXPECT_LT(_mbscmp((const unsigned char*)(LPCSTR)a, (const unsigned char*)(LPCSTR)b), 0) << a << " / " << b;
    }
    // A TrueType face shows its picture, another screen face none.
    auto imageOf = [&](LPCSTR lpszFace) {
        for (int i = 0; i < names.GetCount(); i++)
        {
            if (std::string(names.GetItemText(i)) != lpszFace)
                continue;
            COMBOBOXEXITEMA item = {};
            item.mask = CBEIF_IMAGE;
            item.iItem = i;
            names.GetItem(&item);
            return item.iImage;
        }
        ADD_FAILURE() << lpszFace << " is not in the list";
        return -100;
    };
    EXPECT_EQ(CFontObj::kScreenTrueType, names.GetFontKind("Tahoma"));
    EXPECT_EQ(CFontNameCombo::kImageTrueType, imageOf("Tahoma"));
    EXPECT_EQ(CFontObj::kScreenOther, names.GetFontKind("Courier"));
    EXPECT_EQ(I_IMAGENONE, imageOf("Courier"));

    // Found again on the printer, a screen face keeps its kind; a face
    // only the printer has is a printer face.
    names.AddFont("Tahoma", CFontObj::kPrinter);
    names.AddFont("Printer Only Face", CFontObj::kPrinter);
    names.FillFromMap();
    EXPECT_EQ(CFontObj::kScreenTrueType, names.GetFontKind("Tahoma"));
    EXPECT_EQ(CFontNameCombo::kImageTrueType, imageOf("Tahoma"));
    EXPECT_EQ(CFontObj::kPrinter, names.GetFontKind("Printer Only Face"));
    EXPECT_EQ(CFontNameCombo::kImagePrinter, imageOf("Printer Only Face"));
    EXPECT_EQ(-1, names.GetFontKind("Nowhere"));
}

namespace {

int CALLBACK CollectFace(const LOGFONTA* pLogFont, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    reinterpret_cast<std::set<std::string>*>(lParam)->insert(pLogFont->lfFaceName);
    return 1;
}

} // namespace

TEST_F(FormatBarTest, VerticalFacesAreNotOffered)
{
    // The screen's own families, as the system enumerates them.
    std::set<std::string> families;
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    HDC hdc = ::GetDC(nullptr);
    ::EnumFontFamiliesExA(hdc, &lf, &CollectFace, (LPARAM)&families, 0);
    ::ReleaseDC(nullptr, hdc);
    std::vector<std::string> vertical;
    for (const std::string& face : families)
    {
        if (!face.empty() && face[0] == '@')
            vertical.push_back(face);
    }
    if (vertical.empty())
        GTEST_SKIP() << "this system has no vertical face";

    CFontNameCombo& names = Bar().GetFontNameCombo();
    std::set<std::string> listed;
    for (int i = 0; i < names.GetCount(); i++)
        listed.insert(std::string(names.GetItemText(i)));
    for (const std::string& face : vertical)
    {
        EXPECT_EQ(0u, listed.count(face)) << face << " is offered";
        EXPECT_EQ(-1, names.GetFontKind(face.c_str())) << face;
        // Its upright twin is.
        EXPECT_EQ(1u, listed.count(face.substr(1))) << face.substr(1) << " is missing";
    }
}

TEST_F(FormatBarTest, TheFontTipShowsTheSelectedFaceWhileTheListIsDown)
{
    ASSERT_TRUE(OpenNote());
    CFontNameCombo& names = Bar().GetFontNameCombo();
    names.SendMessage(CB_SHOWDROPDOWN, TRUE);
    PumpMessages();
    ASSERT_NE(nullptr, names.GetTip().m_hWnd);
    HWND hCombo = names.GetComboBoxCtrl();
    const int nTop = (int)::SendMessageA(hCombo, CB_GETTOPINDEX, 0, 0);
    ::SendMessageA(hCombo, CB_SETCURSEL, (WPARAM)nTop, 0);
    names.UpdateTip();
    EXPECT_TRUE(names.GetTip().IsWindowVisible());
    EXPECT_EQ(std::string(names.GetItemText(nTop)), std::string(names.GetTip().GetText()));
    CRect rectList, rectTip;
    ::SendMessageA(hCombo, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)(LPRECT)rectList);
    names.GetTip().GetWindowRect(rectTip);
    EXPECT_EQ(rectList.right + 5, rectTip.left);
    names.SendMessage(CB_SHOWDROPDOWN, FALSE);
    PumpMessages();
    EXPECT_EQ(nullptr, names.GetTip().m_hWnd);
}

namespace {

// What the progress bars in the status bar were told while a hook is in.
// The progress bars shown in the status bar, in window order.
std::vector<HWND> VisibleProgressBars(CStatusBar& statusBar)
{
    std::vector<HWND> bars;
    for (HWND h = ::GetWindow(statusBar.m_hWnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        char szClass[64] = "";
        ::GetClassNameA(h, szClass, (int)sizeof(szClass));
        if (lstrcmpiA(szClass, PROGRESS_CLASSA) == 0 && ::IsWindowVisible(h))
            bars.push_back(h);
    }
    return bars;
}

struct ProgressWatch
{
    explicit ProgressWatch(CStatusBar& statusBar)
    {
        s_pStatusBar = &statusBar;
        s_hStatusBar = statusBar.m_hWnd;
        s_nMax = s_nLastPos = -1;
        s_nPositions = 0;
        s_label.clear();
        m_hHook = ::SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~ProgressWatch() { ::UnhookWindowsHookEx(m_hHook); }
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* p = (const CWPSTRUCT*)lParam;
        if (nCode == HC_ACTION && ::GetParent(p->hwnd) == s_hStatusBar)
        {
            if (p->message == PBM_SETRANGE32)
            {
                s_nMax = (int)p->lParam;
                s_label = s_pStatusBar->GetPaneText(0);
            }
            else if (p->message == PBM_SETPOS)
            {
                s_nLastPos = (int)p->wParam;
                s_nPositions++;
            }
        }
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    HHOOK m_hHook;
    static CStatusBar* s_pStatusBar;
    static HWND s_hStatusBar;
    static int s_nMax;
    static int s_nLastPos;
    static int s_nPositions;
    static std::string s_label;
};
CStatusBar* ProgressWatch::s_pStatusBar = nullptr;
HWND ProgressWatch::s_hStatusBar = nullptr;
int ProgressWatch::s_nMax = -1;
int ProgressWatch::s_nLastPos = -1;
int ProgressWatch::s_nPositions = 0;
std::string ProgressWatch::s_label;

} // namespace

TEST_F(FormatBarTest, LoadingAndSavingANoteMoveTheStatusProgressOn)
{
    // A note of a few hundred kilobytes: the payload hands it out in pieces.
    std::string rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < 300000)
        rtf += "Some words of a long note to read in pieces.\\par ";
    rtf += "}";
    CNotebookBuilder builder;
    builder.Note("Long", 0, rtf.c_str());
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    m_pFrame = FrameOf(pDoc);
    const DWORD dwNode = NodeIdByName(pDoc, "Long");
    CStatusBar& statusBar = m_pMainFrame->GetStatusBar();

    {
        // Shown: the bar runs over the note's size, one step per piece read.
        ProgressWatch watch(statusBar);
        ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, dwNode));
        EXPECT_EQ("Decompressing document...", ProgressWatch::s_label);
        EXPECT_EQ((int)rtf.size(), ProgressWatch::s_nMax);
        EXPECT_EQ((int)rtf.size(), ProgressWatch::s_nLastPos);
        EXPECT_GT(ProgressWatch::s_nPositions, 10);
    }
    // Done: the pane has the idle text back and no bar shows.
    EXPECT_EQ("For Help, press F1", statusBar.GetPaneText(0));
    for (HWND h = ::GetWindow(statusBar.m_hWnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
        EXPECT_FALSE(::IsWindowVisible(h));

    m_pView = m_pFrame->GetRichEditView();
    ASSERT_NE(nullptr, m_pView);
    Ctrl().SetSel(0, 0);
    Ctrl().ReplaceSel("x");
    {
        // Saved: the bar moves on with what is written.
        ProgressWatch watch(statusBar);
        EXPECT_TRUE(m_pView->SaveNode(pDoc, dwNode));
        EXPECT_EQ("Saving document...", ProgressWatch::s_label);
        EXPECT_GE(ProgressWatch::s_nMax, (int)rtf.size());
        EXPECT_GT(ProgressWatch::s_nPositions, 10);
        EXPECT_GT(ProgressWatch::s_nLastPos, (int)rtf.size() / 2);
    }
    EXPECT_EQ("For Help, press F1", statusBar.GetPaneText(0));

    // Stepped by hand: each status object moves its own bar.
    {
        CQlcStatus status;
        status.SetText("counting");
        status.ShowProgress(10);
        EXPECT_TRUE(status.HasProgress());
        const std::vector<HWND> bars = VisibleProgressBars(statusBar);
        ASSERT_EQ(1u, bars.size());
        status.StepProgress(4);
        status.StepProgress(3);
        EXPECT_EQ(7, (int)::SendMessageA(bars[0], PBM_GETPOS, 0, 0));
        EXPECT_EQ("counting", statusBar.GetPaneText(0));
        {
            CQlcStatus inner;
            inner.SetText("inner");
            inner.ShowProgress(100);
            std::vector<HWND> both = VisibleProgressBars(statusBar);
            ASSERT_EQ(2u, both.size());
            const HWND hInner = both[0] == bars[0] ? both[1] : both[0];
            inner.StepProgress(50);
            status.StepProgress(1);
            EXPECT_EQ(50, (int)::SendMessageA(hInner, PBM_GETPOS, 0, 0));
            EXPECT_EQ(8, (int)::SendMessageA(bars[0], PBM_GETPOS, 0, 0));
        }
        // The inner bar went with its status object; the outer one stays.
        EXPECT_EQ(bars, VisibleProgressBars(statusBar));
        status.StepProgress(1);
        EXPECT_EQ(9, (int)::SendMessageA(bars[0], PBM_GETPOS, 0, 0));
    }
    EXPECT_EQ("For Help, press F1", statusBar.GetPaneText(0));
    EXPECT_TRUE(VisibleProgressBars(statusBar).empty());

    // With the status bar hidden no bar is made.
    m_pMainFrame->ShowControlBar(&statusBar, FALSE, FALSE);
    {
        CQlcStatus status;
        status.SetText("hidden");
        status.ShowProgress(10);
        EXPECT_FALSE(status.HasProgress());
        status.StepProgress(3);
        EXPECT_TRUE(VisibleProgressBars(statusBar).empty());
    }
}
