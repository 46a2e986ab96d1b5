// The Options sheet through real windows: every page's controls worked as the
// user works them, the font dialog answered through its seam, the language
// list read from dictionaries of the test's own, and Tools > Options telling
// the open note views.
#include "CTestDictionaries.h"
#include "CUserInput.h"
#include "CWindowScript.h"
#include "NotebookWindowSupport.h"
#include "SheetScripts.h"

#include "app/CLexomoLib.h"
#include "app/CMainFrame.h"
#include "app/COptionsSheet.h"
#include "app/res/OptionsEditorDlgRes.h"
#include "app/res/OptionsGeneralDlgRes.h"
#include "app/res/OptionsSpellingDlgRes.h"
#include "app/res/OptionsStartupDlgRes.h"
#include "app/res/Resource.h"

#include "framework/ui/CFontDialog.h"

#include <set>
#include <string>
#include <vector>

namespace {

// Answers each font dialog with the next face and size (Cancel once the list
// is used up) and keeps what each was opened with.
class CFontAnswers : public IAfxCommonDialogHook
{
public:
    struct Choice
    {
        std::string face;
        int nPoints;
    };
    explicit CFontAnswers(std::vector<Choice> choices) : m_choices(std::move(choices)), m_pOld(AfxSetCommonDialogHook(this)) {}
    ~CFontAnswers() override { AfxSetCommonDialogHook(m_pOld); }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        CFontDialog* pFont = DYNAMIC_DOWNCAST(CFontDialog, pDialog);
        if (pFont == nullptr)
            return IDCANCEL;
        shown.push_back({ pFont->m_lf.lfFaceName, pFont->m_cf.iPointSize });
        flags.push_back(pFont->m_cf.Flags);
        heights.push_back(pFont->m_lf.lfHeight);
        if (m_nNext >= m_choices.size())
            return IDCANCEL;
        const Choice& c = m_choices[m_nNext++];
        lstrcpynA(pFont->m_lf.lfFaceName, c.face.c_str(), LF_FACESIZE);
        pFont->m_cf.iPointSize = c.nPoints * 10;
        return IDOK;
    }
    std::vector<Choice> shown;   // face and tenths of a point
    std::vector<DWORD> flags;
    std::vector<LONG> heights;

private:
    std::vector<Choice> m_choices;
    size_t m_nNext = 0;
    IAfxCommonDialogHook* m_pOld;
};

std::vector<std::string> ComboEntries(HWND hCombo)
{
    std::vector<std::string> entries;
    const int nCount = (int)::SendMessageA(hCombo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < nCount; i++)
    {
        char sz[256] = {};
        ::SendMessageA(hCombo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
        entries.push_back(sz);
    }
    return entries;
}

std::string ComboSelection(HWND hCombo)
{
    const int nIndex = (int)::SendMessageA(hCombo, CB_GETCURSEL, 0, 0);
    if (nIndex < 0)
        return "(none)";
    char sz[256] = {};
    ::SendMessageA(hCombo, CB_GETLBTEXT, (WPARAM)nIndex, (LPARAM)sz);
    return sz;
}

// The face the system draws a face name in (the name itself when installed).
std::string DrawnFace(LPCSTR lpszFace)
{
    LOGFONTA lf = {};
    lf.lfHeight = -16;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, lpszFace, LF_FACESIZE);
    HDC hdc = ::GetDC(nullptr);
    HFONT hFont = ::CreateFontIndirectA(&lf);
    HGDIOBJ hOld = ::SelectObject(hdc, hFont);
    char szFace[LF_FACESIZE] = "";
    ::GetTextFaceA(hdc, LF_FACESIZE, szFace);
    ::SelectObject(hdc, hOld);
    ::DeleteObject(hFont);
    ::ReleaseDC(nullptr, hdc);
    return szFace;
}

// What the system's Font dialog showed when it opened.
struct ShownFont
{
    std::string face;
    std::string size;
    std::vector<std::string> listed;
};

std::string WindowText(HWND hWnd)
{
    char sz[256] = "";
    ::GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

// Presses a "Change..." button of the Editor page and answers the system's
// own Font dialog with OK, nothing touched; what it showed.
ShownFont ChangeUntouched(CWnd* pPage, int nButton)
{
    ShownFont shown;
    CWindowScript script("Font", [&](HWND hDialog) {
        HWND hFace = ::GetDlgItem(hDialog, 0x470);
        shown.face = WindowText(hFace);
        shown.size = WindowText(::GetDlgItem(hDialog, 0x472));
        const int nFaces = (int)::SendMessageA(hFace, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < nFaces; i++)
        {
            char sz[LF_FACESIZE * 2] = "";
            ::SendMessageA(hFace, CB_GETLBTEXT, (WPARAM)i, (LPARAM)sz);
            shown.listed.push_back(sz);
        }
        ::PostMessageA(hDialog, WM_COMMAND, IDOK, (LPARAM)::GetDlgItem(hDialog, IDOK));
    });
    Press(pPage, nButton);
    EXPECT_TRUE(script.HasRun());
    EXPECT_FALSE(script.TimedOut());
    return shown;
}

class OptionsSheetTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        CQlcSettings& s = app.m_settings;
        s.m_nPromptDelete = 1;
        s.m_nPromptMove = 0;
        s.m_nResizeBilinear = 1;
        s.m_nSingleClick = 0;
        s.m_nReloadLast = 1;
        s.m_nStartInTray = 0;
        s.m_nShowSplash = 1;
        s.m_strDefaultFontName = "Courier New";
        s.m_nDefaultFontSize = 10;
        s.m_strImportFontName = "Times New Roman";
        s.m_nImportFontSize = 12;
        s.m_nWordWrap = 1;
        s.m_nAutoWordSelection = 0;
        s.m_strSpellLang = "";
    }
    // Turns to a page; the page.
    static CWnd* Page(CPropertySheet* pSheet, int nPage)
    {
        pSheet->SetActivePage(nPage);
        return pSheet->GetActivePage();
    }
    // Changes every value on every page.
    void ChangeEverything(CPropertySheet* pSheet)
    {
        CWnd* pGeneral = Page(pSheet, 0);
        for (int nID : { IDC_OPT_PROMPT_DELETE, IDC_OPT_PROMPT_MOVE, IDC_OPT_RESIZE_BILINEAR, IDC_OPT_SINGLE_CLICK })
            Press(pGeneral, nID);
        CWnd* pEditor = Page(pSheet, 1);
        Press(pEditor, IDC_OPT_CHANGE_EDITOR_FONT);
        Press(pEditor, IDC_OPT_CHANGE_IMPORT_FONT);
        Press(pEditor, IDC_OPT_WORD_WRAP);
        Press(pEditor, IDC_OPT_AUTO_WORD_SELECT);
        m_strEditorLabel = TextOf(pEditor, IDC_OPT_EDITOR_FONT);
        m_strImportLabel = TextOf(pEditor, IDC_OPT_IMPORT_FONT);
        CWnd* pSpelling = Page(pSheet, 2);
        ::SendMessageA(Item(pSpelling, IDC_OPT_LANGUAGE), CB_SELECTSTRING, (WPARAM)-1, (LPARAM)"English");
        CWnd* pStartup = Page(pSheet, 3);
        for (int nID : { IDC_OPT_RELOAD_LAST, IDC_OPT_START_IN_TRAY, IDC_OPT_SHOW_SPLASH })
            Press(pStartup, nID);
    }

    std::string m_strEditorLabel;
    std::string m_strImportLabel;
};

} // namespace

TEST_F(OptionsSheetTest, OkCopiesEveryValueAndCancelNone)
{
    // Every value changed on every page, the fonts through the font dialog,
    // then the sheet ended with the button; what the font dialogs were shown.
    std::vector<CFontAnswers::Choice> shown;
    std::vector<DWORD> flags;
    std::vector<LONG> heights;
    auto run = [&](int nButton) {
        CFontAnswers fonts({ { "Arial", 14 }, { "Courier New", 9 } });
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            ChangeEverything(pSheet);
            ClickButton(pSheet, nButton);
        };
        COptionsSheet sheet(IDS_OPTIONS_CAPTION, m_pMainFrame);
        EXPECT_EQ(nButton, sheet.DoModal());
        EXPECT_EQ(1, scripts.nSheets);
        shown = fonts.shown;
        flags = fonts.flags;
        heights = fonts.heights;
    };

    const CQlcSettings before = app.m_settings;
    run(IDCANCEL);
    const CQlcSettings& s = app.m_settings;
    EXPECT_EQ(before.m_nPromptDelete, s.m_nPromptDelete);
    EXPECT_EQ(before.m_nPromptMove, s.m_nPromptMove);
    EXPECT_EQ(before.m_nResizeBilinear, s.m_nResizeBilinear);
    EXPECT_EQ(before.m_nSingleClick, s.m_nSingleClick);
    EXPECT_EQ(before.m_nReloadLast, s.m_nReloadLast);
    EXPECT_EQ(before.m_nStartInTray, s.m_nStartInTray);
    EXPECT_EQ(before.m_nShowSplash, s.m_nShowSplash);
    EXPECT_STREQ(before.m_strDefaultFontName, s.m_strDefaultFontName);
    EXPECT_EQ(before.m_nDefaultFontSize, s.m_nDefaultFontSize);
    EXPECT_STREQ(before.m_strImportFontName, s.m_strImportFontName);
    EXPECT_EQ(before.m_nImportFontSize, s.m_nImportFontSize);
    EXPECT_EQ(before.m_nWordWrap, s.m_nWordWrap);
    EXPECT_EQ(before.m_nAutoWordSelection, s.m_nAutoWordSelection);
    EXPECT_STREQ(before.m_strSpellLang, s.m_strSpellLang);

    run(IDOK);
    // Each font dialog started from the font it changes, screen fonts
    // without effects or the script list.
    ASSERT_EQ(2u, shown.size());
    // A face the system lacks opens as the face it is drawn in.
    EXPECT_EQ(DrawnFace("Courier New"), shown[0].face);
    EXPECT_EQ(100, shown[0].nPoints);
    EXPECT_EQ(DrawnFace("Times New Roman"), shown[1].face);
    EXPECT_EQ(120, shown[1].nPoints);
    EXPECT_LT(heights[1], 0);
    EXPECT_EQ((DWORD)(CF_SCREENFONTS | CF_NOSCRIPTSEL), flags[0] & (CF_SCREENFONTS | CF_NOSCRIPTSEL | CF_EFFECTS));
    EXPECT_EQ("Arial, 14 pt", m_strEditorLabel);
    EXPECT_EQ("Courier New, 9 pt", m_strImportLabel);
    EXPECT_EQ(0, s.m_nPromptDelete);
    EXPECT_EQ(1, s.m_nPromptMove);
    EXPECT_EQ(0, s.m_nResizeBilinear);
    EXPECT_EQ(1, s.m_nSingleClick);
    EXPECT_EQ(0, s.m_nReloadLast);
    EXPECT_EQ(1, s.m_nStartInTray);
    EXPECT_EQ(0, s.m_nShowSplash);
    EXPECT_STREQ("Arial", s.m_strDefaultFontName);
    EXPECT_EQ(14, s.m_nDefaultFontSize);
    EXPECT_STREQ("Courier New", s.m_strImportFontName);
    EXPECT_EQ(9, s.m_nImportFontSize);
    EXPECT_EQ(0, s.m_nWordWrap);
    EXPECT_EQ(1, s.m_nAutoWordSelection);
    EXPECT_STREQ("English", s.m_strSpellLang);
}

TEST_F(OptionsSheetTest, PagesShowTheSettingsAndACancelledFontDialogChangesNothing)
{
    CFontAnswers fonts({});
    CSheetScripts scripts;
    std::vector<std::string> titles;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        EXPECT_EQ(0, pSheet->GetActiveIndex());
        CWnd* pGeneral = Page(pSheet, 0);
        EXPECT_TRUE(IsChecked(pGeneral, IDC_OPT_PROMPT_DELETE));
        EXPECT_FALSE(IsChecked(pGeneral, IDC_OPT_PROMPT_MOVE));
        CWnd* pEditor = Page(pSheet, 1);
        EXPECT_EQ("Courier New, 10 pt", TextOf(pEditor, IDC_OPT_EDITOR_FONT));
        EXPECT_EQ("Times New Roman, 12 pt", TextOf(pEditor, IDC_OPT_IMPORT_FONT));
        Press(pEditor, IDC_OPT_CHANGE_EDITOR_FONT);
        EXPECT_EQ("Courier New, 10 pt", TextOf(pEditor, IDC_OPT_EDITOR_FONT));
        EXPECT_TRUE(IsChecked(pEditor, IDC_OPT_WORD_WRAP));
        CWnd* pStartup = Page(pSheet, 3);
        EXPECT_TRUE(IsChecked(pStartup, IDC_OPT_SHOW_SPLASH));
        EXPECT_FALSE(IsChecked(pStartup, IDC_OPT_START_IN_TRAY));
        HWND hTabs = (HWND)pSheet->SendMessage(PSM_GETTABCONTROL);
        for (int i = 0; i < 4; i++)
        {
            char sz[64] = {};
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = sz;
            item.cchTextMax = sizeof(sz);
            ::SendMessageA(hTabs, TCM_GETITEMA, (WPARAM)i, (LPARAM)&item);
            titles.push_back(sz);
        }
        // No Apply button.
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pSheet->m_hWnd, 0x3021)));
        ClickButton(pSheet, IDOK);
    };
    COptionsSheet sheet(IDS_OPTIONS_CAPTION, m_pMainFrame);
    EXPECT_EQ(IDOK, sheet.DoModal());
    EXPECT_EQ((std::vector<std::string>{ "General", "Editor", "Spelling", "Start Up" }), titles);
    EXPECT_EQ(1u, fonts.shown.size());
    EXPECT_STREQ("Courier New", app.m_settings.m_strDefaultFontName);
    EXPECT_EQ(10, app.m_settings.m_nDefaultFontSize);
}

TEST_F(OptionsSheetTest, TheFontDialogOpensOnTheStoredFontAndOkLeavesItAsItWas)
{
    // The defaults of a first start; the system may lack both faces.
    app.m_settings.m_strDefaultFontName = "Arial";
    app.m_settings.m_nDefaultFontSize = 12;
    app.m_settings.m_strImportFontName = "Courier New";
    app.m_settings.m_nImportFontSize = 11;
    ShownFont editor, import;
    std::string strEditorLabel, strImportLabel;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CWnd* pEditor = Page(pSheet, 1);
        editor = ChangeUntouched(pEditor, IDC_OPT_CHANGE_EDITOR_FONT);
        import = ChangeUntouched(pEditor, IDC_OPT_CHANGE_IMPORT_FONT);
        strEditorLabel = TextOf(pEditor, IDC_OPT_EDITOR_FONT);
        strImportLabel = TextOf(pEditor, IDC_OPT_IMPORT_FONT);
        ClickButton(pSheet, IDOK);
    };
    COptionsSheet sheet(IDS_OPTIONS_CAPTION, m_pMainFrame);
    EXPECT_EQ(IDOK, sheet.DoModal());

    // Each dialog showed the face the stored one is drawn in, at its size;
    // no vertical face was offered.
    EXPECT_EQ(DrawnFace("Arial"), editor.face);
    EXPECT_EQ("12", editor.size);
    EXPECT_EQ(DrawnFace("Courier New"), import.face);
    EXPECT_EQ("11", import.size);
    EXPECT_FALSE(editor.listed.empty());
    for (const std::string& face : editor.listed)
        EXPECT_NE('@', face.empty() ? ' ' : face[0]) << "a vertical face is offered: " << face;
    // Confirmed untouched, the stored fonts stay.
    EXPECT_EQ("Arial, 12 pt", strEditorLabel);
    EXPECT_EQ("Courier New, 11 pt", strImportLabel);
    EXPECT_STREQ("Arial", app.m_settings.m_strDefaultFontName);
    EXPECT_EQ(12, app.m_settings.m_nDefaultFontSize);
    EXPECT_STREQ("Courier New", app.m_settings.m_strImportFontName);
    EXPECT_EQ(11, app.m_settings.m_nImportFontSize);
}

TEST_F(OptionsSheetTest, CtrlTabTurnsThePagesAndTabMovesWithinOne)
{
    std::vector<int> pages;
    HWND hFirst = nullptr, hAfterTab = nullptr;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        CWnd* pGeneral = Page(pSheet, 0);
        hFirst = Item(pGeneral, IDC_OPT_PROMPT_DELETE);
        ::SetFocus(hFirst);
        CUserInput::Key(VK_TAB);
        hAfterTab = ::GetFocus();
        pages.push_back(pSheet->GetActiveIndex());
        CUserInput::Key(VK_TAB, CUserInput::ctrl);
        pages.push_back(pSheet->GetActiveIndex());
        CUserInput::Key(VK_TAB, CUserInput::ctrl);
        pages.push_back(pSheet->GetActiveIndex());
        CUserInput::Key(VK_TAB, CUserInput::ctrl | CUserInput::shift);
        pages.push_back(pSheet->GetActiveIndex());
        ClickButton(pSheet, IDCANCEL);
    };
    COptionsSheet sheet(IDS_OPTIONS_CAPTION, m_pMainFrame);
    EXPECT_EQ(IDCANCEL, sheet.DoModal());
    EXPECT_NE(hFirst, hAfterTab);
    EXPECT_EQ((std::vector<int>{ 0, 1, 2, 1 }), pages);
}

TEST_F(OptionsSheetTest, TheLanguageListComesFromTheDictionaryFolderAndPrefersTheWholeName)
{
    CTestDictionaries folders(m_szDir);
    folders.Add("uk", "English (UK)");
    folders.Add("us", "English");
    folders.Add("de", "Deutsch");

    struct Case
    {
        const char* spellLang;
        const char* selected;
        const char* afterOk;
    };
    const Case cases[] = {
        { "English", "English", "English" },
        { "english (uk)", "English (UK)", "English (UK)" },
        { "", "(none)", "" },
        { "Deu", "Deutsch", "Deutsch" },           // a prefix when no name is whole
        { "French", "(none)", "French" },          // no longer installed: kept
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.spellLang);
        app.m_settings.m_strSpellLang = c.spellLang;
        std::vector<std::string> entries;
        std::string selected;
        int nPage = -1;
        CSheetScripts scripts;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            nPage = pSheet->GetActiveIndex();
            CWnd* pPage = pSheet->GetActivePage();
            HWND hCombo = Item(pPage, IDC_OPT_LANGUAGE);
            entries = ComboEntries(hCombo);
            selected = ComboSelection(hCombo);
            ClickButton(pSheet, IDOK);
        };
        COptionsSheet sheet(IDS_OPTIONS_CAPTION, m_pMainFrame);
        sheet.m_bOpenOnSpelling = TRUE;
        sheet.m_pageSpelling.m_strDictionaryFolder = folders.Root();
        EXPECT_EQ(IDOK, sheet.DoModal());
        EXPECT_EQ(2, nPage);
        EXPECT_EQ((std::set<std::string>{ "English", "English (UK)", "Deutsch" }),
                  std::set<std::string>(entries.begin(), entries.end()));
        EXPECT_EQ(3u, entries.size());
        EXPECT_EQ(c.selected, selected);
        EXPECT_STREQ(c.afterOk, app.m_settings.m_strSpellLang);
    }
}

TEST_F(OptionsSheetTest, WithoutDictionariesTheListIsEmptyAndTheLinkIsUnderlined)
{
    const CString strEmpty = Path("empty");
    ::CreateDirectoryA(strEmpty, nullptr);
    app.m_settings.m_strSpellLang = "English";
    int nCount = -1;
    std::string link;
    BOOL bUnderlined = FALSE;
    CSheetScripts scripts;
    scripts.sheet = [&](CPropertySheet* pSheet) {
        COptionsSheet* pOptions = DYNAMIC_DOWNCAST(COptionsSheet, pSheet);
        CWnd* pPage = pSheet->GetActivePage();
        nCount = (int)::SendMessageA(Item(pPage, IDC_OPT_LANGUAGE), CB_GETCOUNT, 0, 0);
        link = (LPCSTR)pOptions->m_pageSpelling.m_wndLink.GetLinkTarget();
        bUnderlined = pOptions->m_pageSpelling.m_wndLink.GetUnderlined();
        ClickButton(pSheet, IDOK);
    };
    COptionsSheet sheet("Options", m_pMainFrame);
    sheet.m_bOpenOnSpelling = TRUE;
    sheet.m_pageSpelling.m_strDictionaryFolder = strEmpty;
    EXPECT_EQ(IDOK, sheet.DoModal());
    ::RemoveDirectoryA(strEmpty);
    EXPECT_EQ(0, nCount);
    EXPECT_EQ(0u, link.find("http://"));
    EXPECT_TRUE(bUnderlined);
    EXPECT_STREQ("English", app.m_settings.m_strSpellLang);
}

TEST_F(OptionsSheetTest, ToolsOptionsTellsEveryNoteViewOnOkAndNoneOnCancel)
{
    std::vector<CQlcRichEditViewEx*> views;
    for (LPCSTR lpszName : { "one.qlc", "two.qlc" })
    {
        CNotebookBuilder builder;
        builder.Note("Note", 0, SimpleRtf("some text").c_str());
        CQuillcrestDoc* pDoc = OpenBuilt(builder, lpszName);
        ASSERT_NE(nullptr, pDoc);
        CChildFrame* pFrame = FrameOf(pDoc);
        ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
        views.push_back(pFrame->GetRichEditView());
        ASSERT_NE(nullptr, views.back());
        EXPECT_EQ(CRichEditView::WrapToWindow, views.back()->m_nWordWrap);
    }
    EXPECT_EQ(1, QueryCommand(m_pMainFrame, ID_TOOLS_OPTIONS).nEnabled);

    auto run = [&](int nButton) {
        CSheetScripts scripts;
        std::string caption;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            char sz[64] = {};
            ::GetWindowTextA(pSheet->m_hWnd, sz, sizeof(sz));
            caption = sz;
            Press(Page(pSheet, 1), IDC_OPT_WORD_WRAP);
            ClickButton(pSheet, nButton);
        };
        m_pMainFrame->SendMessage(WM_COMMAND, ID_TOOLS_OPTIONS);
        EXPECT_EQ(1, scripts.nSheets);
        EXPECT_EQ("Options", caption);
    };
    run(IDCANCEL);
    EXPECT_EQ(1, app.m_settings.m_nWordWrap);
    // The settings are changed behind the sheet's back: only a broadcast
    // would bring them to the views.
    app.m_settings.m_nAutoWordSelection = 1;
    for (CQlcRichEditViewEx* pView : views)
        EXPECT_EQ(0u, pView->GetRichEditCtrl().GetOptions() & ECO_AUTOWORDSELECTION);

    run(IDOK);
    EXPECT_EQ(0, app.m_settings.m_nWordWrap);
    for (CQlcRichEditViewEx* pView : views)
    {
        EXPECT_EQ(CRichEditView::WrapNone, pView->m_nWordWrap);
        EXPECT_NE(0u, pView->GetRichEditCtrl().GetOptions() & ECO_AUTOWORDSELECTION);
    }
}
