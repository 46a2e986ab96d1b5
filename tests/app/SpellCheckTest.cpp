// Spell checking a note through the real broker, the stand-in engine with the
// English dictionary and the note view's RichEdit control, every word's answer
// given through the Spelling dialog as the user gives it; the dialog's
// placement; and the Check Spelling command with its messages.
#include "CTestDictionaries.h"
#include "NotebookWindowSupport.h"
#include "SheetScripts.h"

#include "app/CLexomoLib.h"
#include "app/COptionsSheet.h"
#include "app/CSpellCheckDlg.h"
#include "app/res/OptionsSpellingDlgRes.h"
#include "app/res/Resource.h"
#include "app/res/SpellCheckDlgRes.h"


#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace {

// The answer to one Spelling dialog: the button and, for Change, the text.
struct Answer
{
    int nButton;
    std::string replacement;
};
Answer Ignore() { return { IDC_SPELL_IGNORE, "" }; }
Answer IgnoreAll() { return { IDC_SPELL_IGNOREALL, "" }; }
Answer Add() { return { IDC_SPELL_ADD, "" }; }
Answer Cancel() { return { IDC_SPELL_CANCEL, "" }; }
Answer Change(const std::string& to) { return { IDC_SPELL_CHANGE, to }; }

// What a Spelling dialog showed.
struct Asked
{
    std::string word;           // in the dialog
    std::string selected;       // the control's selected text meanwhile
    long nStart;                // the selection's start
    std::vector<std::string> suggestions;
    BOOL bListEnabled;
};

// Answers the Spelling dialogs from a list (Cancel once it is used up) and
// records what each showed. Any other dialog is cancelled.
class CSpellScript
{
public:
    CSpellScript(CRichEditCtrl& ctrl, std::deque<Answer> answers)
        : m_ctrl(ctrl), m_answers(std::move(answers)), m_hook([this](CWnd* pWnd) { Dispatch(pWnd); })
    {
    }
    std::vector<Asked> asked;
    // Property sheets go here (then are cancelled if still open).
    std::function<void(CPropertySheet*)> sheet;
    int nSheets = 0;
    std::vector<std::string> Words() const
    {
        std::vector<std::string> words;
        for (const Asked& a : asked)
            words.push_back(a.word);
        return words;
    }

private:
    void Dispatch(CWnd* pWnd)
    {
        CSpellCheckDlg* pDlg = DYNAMIC_DOWNCAST(CSpellCheckDlg, pWnd);
        if (pDlg == nullptr)
        {
            CPropertySheet* pSheet = DYNAMIC_DOWNCAST(CPropertySheet, pWnd);
            if (pSheet != nullptr)
            {
                nSheets++;
                if (sheet)
                    sheet(pSheet);
            }
            if (::IsWindow(pWnd->m_hWnd) && pWnd->ContinueModal())
                ClickButton(pWnd, IDCANCEL);
            return;
        }
        Asked a;
        a.word = TextOf(pDlg, IDC_SPELL_WORD);
        CString strSelected = m_ctrl.GetSelText();
        a.selected = (LPCSTR)strSelected;
        long nEnd = 0;
        m_ctrl.GetSel(a.nStart, nEnd);
        HWND hList = Item(pDlg, IDC_SPELL_SUGGESTIONS);
        const int nCount = (int)::SendMessageA(hList, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < nCount; i++)
        {
            char sz[256] = {};
            ::SendMessageA(hList, LB_GETTEXT, (WPARAM)i, (LPARAM)sz);
            a.suggestions.push_back(sz);
        }
        a.bListEnabled = ::IsWindowEnabled(hList);
        asked.push_back(a);

        // A check that never ends would ask for ever: stop it.
        if (m_answers.empty() || asked.size() > 50)
        {
            Press(pDlg, IDC_SPELL_CANCEL);
            return;
        }
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        if (answer.nButton == IDC_SPELL_CHANGE)
            Type(pDlg, IDC_SPELL_REPLACEMENT, answer.replacement.c_str());
        Press(pDlg, answer.nButton);
    }

    CRichEditCtrl& m_ctrl;
    std::deque<Answer> m_answers;
    CScriptedDialogs m_hook;
};

// Known words, as many as fit in nLength characters, each followed by a space.
std::string Filler(size_t nLength)
{
    static const char* const kWords[] = { "the ", "cat ", "sat ", "on ", "a ", "mat ", "and ", "dog " };
    std::string text;
    for (size_t i = 0; text.size() < nLength; i++)
        text += kWords[i % 8];
    text.resize(nLength);
    if (!text.empty() && text.back() != ' ')
        text.back() = ' ';
    return text;
}

class SpellCheckTest : public NotebookWindowTest
{
protected:
    void SetUp() override
    {
        NotebookWindowTest::SetUp();
        CNotebookBuilder builder;
        builder.Note("Note", 0, SimpleRtf("x").c_str());
        CQuillcrestDoc* pDoc = OpenBuilt(builder, "spell.qlc");
        ASSERT_NE(nullptr, pDoc);
        m_pFrame = FrameOf(pDoc);
        ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
        m_pView = m_pFrame->GetRichEditView();
        ASSERT_NE(nullptr, m_pView);
        app.m_settings.m_strSpellLang = "English";
    }
    CRichEditCtrl& Ctrl() { return m_pView->GetRichEditCtrl(); }
    void SetText(const std::string& text)
    {
        Ctrl().SetSel(0, -1);
        Ctrl().ReplaceSel(text.c_str());
        Ctrl().SetSel(0, 0);
    }
    std::string Text()
    {
        std::string text = PlainText(Ctrl());
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        return text;
    }
    // A client bound to the program's English dictionary.
    static void Bind(CLexomoLib& lib, LPCSTR lpszFolder = nullptr, LPCSTR lpszName = "English")
    {
        lib.RegisterDictionaries(lpszFolder ? CString(lpszFolder) : CLexomoLib::GetDictionaryFolder());
        ASSERT_TRUE(lib.SelectDictionary(lpszName));
    }

    CChildFrame* m_pFrame = nullptr;
    CQlcRichEditViewEx* m_pView = nullptr;
};

} // namespace

// --- The client ------------------------------------------------------------------------------

TEST_F(SpellCheckTest, TheEnglishDictionaryIsFoundBesideTheProgramAndSuggestsTheIntendedWord)
{
    CLexomoLib lib;
    ASSERT_TRUE(lib.IsLoaded());
    lib.RegisterDictionaries(CLexomoLib::GetDictionaryFolder());
    ASSERT_EQ(1, lib.GetDictionaryCount());
    CString strName;
    lib.GetDictionaryName(0, strName);
    EXPECT_STREQ("English", strName);
    // Any case selects it; another name does not.
    EXPECT_FALSE(lib.SelectDictionary("Englis"));
    EXPECT_TRUE(lib.SelectDictionary("eNGLISH"));

    SetText("I will recieve it");
    CSpellScript script(Ctrl(), { Ignore() });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    ASSERT_EQ(1u, script.asked.size());
    EXPECT_EQ("recieve", script.asked[0].word);
    EXPECT_EQ("recieve", script.asked[0].selected);
    ASSERT_FALSE(script.asked[0].suggestions.empty());
    EXPECT_EQ("receive", script.asked[0].suggestions[0]);
    EXPECT_TRUE(script.asked[0].bListEnabled);
}

TEST_F(SpellCheckTest, AWordWithoutSuggestionsShowsADisabledNoSuggestionsLine)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("the qqqqqqqqqqzzzzzz end");
    CSpellScript script(Ctrl(), { Ignore() });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    ASSERT_EQ(1u, script.asked.size());
    EXPECT_EQ(std::vector<std::string>{ "No Suggestions" }, script.asked[0].suggestions);
    EXPECT_FALSE(script.asked[0].bListEnabled);
}

TEST_F(SpellCheckTest, AWordAcrossThePieceBoundaryIsReportedOnceAndWhole)
{
    CLexomoLib lib;
    Bind(lib);
    // Character 1,024 (index 1,023) lies inside "recieve"; 3,000 in all.
    std::string text = Filler(1020) + "recieve " + Filler(3000 - 1028 - 4) + "teh.";
    ASSERT_EQ(3000u, text.size());
    SetText(text);
    CSpellScript script(Ctrl(), { Ignore(), Ignore() });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    ASSERT_EQ((std::vector<std::string>{ "recieve", "teh" }), script.Words());
    EXPECT_EQ("recieve", script.asked[0].selected);
    EXPECT_EQ(1020, script.asked[0].nStart);
    EXPECT_EQ("teh", script.asked[1].selected);
    EXPECT_EQ(2996, script.asked[1].nStart);
    EXPECT_EQ(text, Text());
}

TEST_F(SpellCheckTest, IgnoreAllSkipsTheSameWordButNotAnotherCaseAndLastsOneCheck)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("teh cat teh dog. Teh mat teh end");
    {
        CSpellScript script(Ctrl(), { IgnoreAll(), Ignore() });
        EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
        EXPECT_EQ((std::vector<std::string>{ "teh", "Teh" }), script.Words());
        EXPECT_EQ(17, script.asked[1].nStart);
    }
    // A new check asks about it again.
    {
        CSpellScript script(Ctrl(), { Ignore(), Ignore(), Ignore(), Ignore() });
        EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
        EXPECT_EQ((std::vector<std::string>{ "teh", "teh", "Teh", "teh" }), script.Words());
    }
}

TEST_F(SpellCheckTest, ChangeToLongerShorterAndEmptyTextKeepsTheFollowingWordsInPlace)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("a teh b adress c recieve d wich e");
    CSpellScript script(Ctrl(), { Change("the extra"), Change("ad"), Change(""), Change("which") });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    EXPECT_EQ((std::vector<std::string>{ "teh", "adress", "recieve", "wich" }), script.Words());
    // Each word was selected where it stood at the time it was asked about.
    for (const Asked& a : script.asked)
        EXPECT_EQ(a.word, a.selected);
    EXPECT_EQ("a the extra b ad c  d which e", Text());
}

TEST_F(SpellCheckTest, ChangesInTheFirstPieceMoveTheSecondPieceWithThem)
{
    CLexomoLib lib;
    Bind(lib);
    // Two misspellings early, one after the first piece, one in the last.
    const std::string text = "teh " + Filler(600) + "adress " + Filler(800) + "wich " + Filler(900) + "recieve";
    SetText(text);
    CSpellScript script(Ctrl(), { Change("the longer text here"), Change(""), Change("which"), Change("receive") });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    EXPECT_EQ((std::vector<std::string>{ "teh", "adress", "wich", "recieve" }), script.Words());
    for (const Asked& a : script.asked)
        EXPECT_EQ(a.word, a.selected);
    const std::string expected =
        "the longer text here " + Filler(600) + " " + Filler(800) + "which " + Filler(900) + "receive";
    EXPECT_EQ(expected, Text());
}

TEST_F(SpellCheckTest, EmptyingAWordChecksTheTextThatMovesIntoItsPlace)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("teh wich");
    CSpellScript script(Ctrl(), { Change(""), Ignore() });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    EXPECT_EQ((std::vector<std::string>{ "teh", "wich" }), script.Words());
    EXPECT_EQ(" wich", Text());
}

TEST_F(SpellCheckTest, CancelStopsAtOnceAndRestoresTheSelection)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("the teh cat wich");
    Ctrl().SetSel(4, 9);
    CSpellScript script(Ctrl(), { Cancel() });
    EXPECT_FALSE(lib.CheckSpelling(Ctrl()));
    EXPECT_EQ(1u, script.asked.size());
    long nStart = 0, nEnd = 0;
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(4, nStart);
    EXPECT_EQ(9, nEnd);
    EXPECT_EQ("the teh cat wich", Text());
}

TEST_F(SpellCheckTest, ARunOfWordCharactersLongerThanAPieceEnds)
{
    CLexomoLib lib;
    Bind(lib);
    SetText(std::string(1500, 'q') + " teh");
    CSpellScript script(Ctrl(), { Ignore(), Ignore(), Ignore() });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    // Checked as it stands: the first piece whole, the rest of the run in the
    // next piece, then the word after it.
    ASSERT_EQ(3u, script.asked.size());
    EXPECT_EQ(std::string(1024, 'q'), script.asked[0].selected);
    EXPECT_EQ(std::string(476, 'q'), script.asked[1].selected);
    EXPECT_EQ("teh", script.asked[2].selected);
}

TEST_F(SpellCheckTest, WithoutTheBrokerOrAnEngineEveryCallIsHarmless)
{
    SetText("teh cat");
    CSpellScript script(Ctrl(), {});
    {
        CLexomoLib lib;
        lib.Unload();
        EXPECT_FALSE(lib.IsLoaded());
        lib.RegisterDictionaries(CLexomoLib::GetDictionaryFolder());
        EXPECT_EQ(0, lib.GetDictionaryCount());
        CString strName = "stale";
        lib.GetDictionaryName(0, strName);
        EXPECT_TRUE(strName.IsEmpty());
        EXPECT_FALSE(lib.SelectDictionary("English"));
        EXPECT_FALSE(lib.CheckSpelling(Ctrl()));
        EXPECT_EQ(0, lib.GetSuggestionCount());
        EXPECT_FALSE(lib.AddWord("teh"));
    }
    {
        // The broker without a dictionary chosen: no engine to call.
        CLexomoLib lib;
        ASSERT_TRUE(lib.IsLoaded());
        lib.RegisterDictionaries(CLexomoLib::GetDictionaryFolder());
        EXPECT_FALSE(lib.SelectDictionary("Klingon"));
        EXPECT_FALSE(lib.IsEngineReady());
        EXPECT_FALSE(lib.CheckSpelling(Ctrl()));
        EXPECT_EQ(0, lib.GetSuggestionCount());
        // A missing folder registers nothing more.
        EXPECT_EQ(1, lib.GetDictionaryCount());
        lib.RegisterDictionaries(Path("no such folder"));
        EXPECT_EQ(1, lib.GetDictionaryCount());
    }
    EXPECT_TRUE(script.asked.empty());
    EXPECT_EQ("teh cat", Text());
}

TEST_F(SpellCheckTest, AnAddedWordIsKnownToTheNextCheckAndTheNextRun)
{
    CTestDictionaries dictionaries(m_szDir);
    dictionaries.Add("English", "English", TRUE);
    SetText("the zorblax cat");
    {
        CLexomoLib lib;
        Bind(lib, dictionaries.Root());
        CSpellScript script(Ctrl(), { Add() });
        EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
        EXPECT_EQ(std::vector<std::string>{ "zorblax" }, script.Words());
    }
    // A new client starts the engine afresh, which reads the user's words again.
    {
        CLexomoLib lib;
        Bind(lib, dictionaries.Root());
        CSpellScript script(Ctrl(), {});
        EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
        EXPECT_TRUE(script.asked.empty());
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(dictionaries.Root() + "English\\English.usr"));
}

TEST_F(SpellCheckTest, TextOutsideTheCodePageAndObjectsDoNotShiftTheWords)
{
    CLexomoLib lib;
    Bind(lib);
    // Greek and CJK letters have no place in the 8-bit code page; each still
    // counts as one character of the control.
    const wchar_t kText[] = L"\x03b1\x03b2\x03b3 \x65e5\x672c teh cat wich";
    SETTEXTEX st = { ST_DEFAULT, 1200 };
    Ctrl().SendMessage(EM_SETTEXTEX, (WPARAM)&st, (LPARAM)kText);
    CSpellScript script(Ctrl(), { Change("the"), Change("which") });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    EXPECT_EQ((std::vector<std::string>{ "teh", "wich" }), script.Words());
    EXPECT_EQ(7, script.asked[0].nStart);
    wchar_t szAfter[64] = {};
    GETTEXTEX gt = { sizeof(szAfter), GT_DEFAULT, 1200, nullptr, nullptr };
    Ctrl().SendMessage(EM_GETTEXTEX, (WPARAM)&gt, (LPARAM)szAfter);
    std::wstring after(szAfter);
    while (!after.empty() && after.back() == L'\r')
        after.pop_back();
    EXPECT_TRUE(after == L"\x03b1\x03b2\x03b3 \x65e5\x672c the cat which");
}

TEST_F(SpellCheckTest, AnEmbeddedObjectBeforeAWordDoesNotMoveTheChange)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("the teh cat wich");
    // A static picture inserted at the start, as Insert Object does.
    Ctrl().SetSel(0, 0);
    CRichEditCntrItem* pItem = nullptr;
    const HRESULT hr = InsertStaticPicture(m_pFrame->GetNotebook(), m_pView, 60, 30, &pItem);
    if (pItem == nullptr)
        GTEST_SKIP() << "this system makes no static picture objects (0x" << std::hex << hr << ")";
    ASSERT_EQ(S_OK, hr);
    ASSERT_EQ(1, m_pView->GetRichEditOle()->GetObjectCount());

    CSpellScript script(Ctrl(), { Change("the"), Change("which") });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    EXPECT_EQ((std::vector<std::string>{ "teh", "wich" }), script.Words());
    for (const Asked& a : script.asked)
        EXPECT_EQ(a.word, a.selected);
    EXPECT_EQ(5, script.asked[0].nStart);
    EXPECT_EQ(1, m_pView->GetRichEditOle()->GetObjectCount());
    const std::string text = Text();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ("the the cat which", text.substr(text.size() - 17));
}

TEST(CLexomoLibPiece, ByteOffsetsMapBackToCharacters)
{
    CLexomoLib::CPiece piece;
    piece.Assign(L"a\xfffc" L"b\x65e5z");
    // One byte each here: the object and the unmapped letter stand in.
    EXPECT_EQ("a b?z", piece.Bytes());
    for (int i = 0; i <= piece.Length(); i++)
        EXPECT_EQ(i, piece.CharFromByte(piece.ByteFromChar(i)));
    piece.Replace(1, 1, L"xyz");
    EXPECT_EQ("axyzb?z", piece.Bytes());
    EXPECT_EQ(7, piece.Length());
    piece.Truncate(2);
    EXPECT_EQ("ax", piece.Bytes());
}

TEST_F(SpellCheckTest, TheDialogsOwnWays)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("I recieve teh adress");
    std::vector<POINT> places;
    CScriptedDialogs hook([&](CWnd* pWnd) {
        CSpellCheckDlg* pDlg = DYNAMIC_DOWNCAST(CSpellCheckDlg, pWnd);
        ASSERT_NE(nullptr, pDlg);
        RECT rc = {};
        pDlg->GetWindowRect(&rc);
        places.push_back({ rc.left, rc.top });
        HWND hList = Item(pDlg, IDC_SPELL_SUGGESTIONS);
        switch (places.size())
        {
        case 1:
            // A double click on the first suggestion changes the word to it;
            // the dialog is left elsewhere first.
            pDlg->SetWindowPos(nullptr, 20, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            ::SendMessageA(hList, LB_SETCURSEL, 0, 0);
            pDlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SPELL_SUGGESTIONS, LBN_DBLCLK), (LPARAM)hList);
            break;
        case 2:
            // Escape reaching the dialog window itself is Ignore.
            pDlg->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        default:
            // The dialog's own cancel (Escape through the dialog manager).
            pDlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
            break;
        }
    });
    EXPECT_FALSE(lib.CheckSpelling(Ctrl()));
    ASSERT_EQ(3u, places.size());
    EXPECT_EQ("I receive teh adress", Text());
    // The second word found the dialog where it was left.
    EXPECT_EQ(20, places[1].x);
    EXPECT_EQ(500, places[1].y);
}

TEST_F(SpellCheckTest, ASuggestionClickedOnceIsWhatChangeWrites)
{
    CLexomoLib lib;
    Bind(lib);
    SetText("I will recieve it");
    BOOL bListed = FALSE;
    CScriptedDialogs hook([&](CWnd* pWnd) {
        CSpellCheckDlg* pDlg = DYNAMIC_DOWNCAST(CSpellCheckDlg, pWnd);
        ASSERT_NE(nullptr, pDlg);
        HWND hList = Item(pDlg, IDC_SPELL_SUGGESTIONS);
        const int nItem = (int)::SendMessageA(hList, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "receive");
        bListed = nItem >= 0;
        // One click on the suggestion, then a click on Change, as the
        // dialog's loop gets them.
        RECT rc = {};
        ::SendMessageA(hList, LB_GETITEMRECT, (WPARAM)std::max(nItem, 0), (LPARAM)&rc);
        const LPARAM lPoint = MAKELPARAM(rc.left + 4, (rc.top + rc.bottom) / 2);
        ::PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        ::PostMessageA(hList, WM_LBUTTONUP, 0, lPoint);
        HWND hChange = Item(pDlg, IDC_SPELL_CHANGE);
        ::PostMessageA(pDlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SPELL_CHANGE, BN_CLICKED), (LPARAM)hChange);
    });
    EXPECT_TRUE(lib.CheckSpelling(Ctrl()));
    EXPECT_TRUE(bListed);
    EXPECT_EQ(1, hook.nDialogs);
    EXPECT_EQ("I will receive it", Text());
}

// --- The dialog's place ------------------------------------------------------------------------

TEST(SpellCheckDlgPlacement, BesideTheWordAndNeverOverIt)
{
    const RECT rcScreen = { 0, 0, 1000, 800 };
    const SIZE size = { 300, 200 };
    const POINT ptNone = { -1, -1 };
    auto place = [&](RECT rcWord, POINT ptRemembered) {
        const POINT pt = CSpellCheckDlg::PlaceBesideWord(rcWord, size, rcScreen, ptRemembered);
        return std::make_pair((int)pt.x, (int)pt.y);
    };
    // First word: below and to the right, 4 pixels away.
    EXPECT_EQ(std::make_pair(204, 124), place({ 100, 100, 200, 120 }, ptNone));
    // Near the bottom right corner: above and to the left.
    EXPECT_EQ(std::make_pair(596, 556), place({ 900, 760, 960, 780 }, ptNone));
    // Where the user left it, when it does not cover the word.
    EXPECT_EQ(std::make_pair(50, 400), place({ 100, 100, 200, 120 }, { 50, 400 }));
    // Covering the word: it moves below it, keeping the user's x.
    EXPECT_EQ(std::make_pair(50, 124), place({ 100, 100, 200, 120 }, { 50, 20 }));
    EXPECT_EQ(std::make_pair(50, 124), place({ 100, 100, 200, 120 }, { 50, 110 }));
    // Never off the top or left edge.
    EXPECT_EQ(std::make_pair(0, 174), place({ 10, 150, 990, 170 }, ptNone));
    EXPECT_EQ(std::make_pair(596, 0), place({ 900, 10, 960, 790 }, ptNone));
}

// --- The command ------------------------------------------------------------------------------

TEST_F(SpellCheckTest, TheCommandReportsCompleteOrCancelled)
{
    SetText("the teh cat");
    {
        CSpellScript script(Ctrl(), { Change("the") });
        m_pView->SendMessage(WM_COMMAND, ID_TOOLS_CHECKSPELLING);
        EXPECT_EQ(1u, script.asked.size());
    }
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("Spell Check Complete.", m_pPrompts->boxes[0].text);
    EXPECT_EQ("Spelling", m_pPrompts->boxes[0].caption);
    EXPECT_EQ((UINT)MB_ICONINFORMATION, m_pPrompts->boxes[0].type & MB_ICONMASK);
    EXPECT_EQ("the the cat", Text());
    m_pPrompts->boxes.clear();

    SetText("the teh cat");
    {
        CSpellScript script(Ctrl(), { Cancel() });
        // From the frame, as F7 with the focus in the tree sends it.
        m_pFrame->SendMessage(WM_COMMAND, ID_TOOLS_CHECKSPELLING);
        EXPECT_EQ(1u, script.asked.size());
    }
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("Spell Check Cancelled.", m_pPrompts->boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, m_pPrompts->boxes[0].type & MB_ICONMASK);
    EXPECT_EQ(1, QueryCommand(m_pFrame, ID_TOOLS_CHECKSPELLING).nEnabled);
}

TEST_F(SpellCheckTest, AnUnknownLanguageCannotLoadADictionary)
{
    app.m_settings.m_strSpellLang = "Klingon";
    SetText("the teh cat");
    CSpellScript script(Ctrl(), {});
    m_pView->SendMessage(WM_COMMAND, ID_TOOLS_CHECKSPELLING);
    EXPECT_TRUE(script.asked.empty());
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("Could not load dictionary!\nPlease check your selection in the Options.", m_pPrompts->boxes[0].text);
    EXPECT_EQ("Spelling", m_pPrompts->boxes[0].caption);
}

TEST_F(SpellCheckTest, WithoutALanguageTheUserIsAskedAndTheOptionsOpenOnSpelling)
{
    app.m_settings.m_strSpellLang.Empty();
    SetText("the teh cat");

    // No: nothing more happens.
    m_pPrompts->m_nAnswer = IDNO;
    {
        CSheetScripts scripts;
        m_pView->SendMessage(WM_COMMAND, ID_TOOLS_CHECKSPELLING);
        EXPECT_EQ(0, scripts.nSheets);
    }
    ASSERT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_EQ("You have not yet selected your default langauge.\nWould you like to choose now?",
              m_pPrompts->boxes[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONEXCLAMATION), m_pPrompts->boxes[0].type);
    m_pPrompts->boxes.clear();

    // Yes, then Cancel on the sheet: nothing more either.
    m_pPrompts->m_nAnswer = IDYES;
    {
        CSheetScripts scripts;
        std::string caption;
        int nPage = -1;
        scripts.sheet = [&](CPropertySheet* pSheet) {
            char sz[64] = {};
            ::GetWindowTextA(pSheet->m_hWnd, sz, sizeof(sz));
            caption = sz;
            nPage = pSheet->GetActiveIndex();
        };
        m_pView->SendMessage(WM_COMMAND, ID_TOOLS_CHECKSPELLING);
        EXPECT_EQ(1, scripts.nSheets);
        EXPECT_EQ("Options", caption);
        EXPECT_EQ(2, nPage);
    }
    EXPECT_EQ(1u, m_pPrompts->boxes.size());
    EXPECT_TRUE(app.m_settings.m_strSpellLang.IsEmpty());
    m_pPrompts->boxes.clear();

    // Yes, English chosen on the sheet: the check runs.
    {
        CSpellScript script(Ctrl(), { Ignore() });
        script.sheet = [&](CPropertySheet* pSheet) {
            CWnd* pPage = pSheet->GetActivePage();
            HWND hCombo = Item(pPage, IDC_OPT_LANGUAGE);
            EXPECT_EQ(-1, (int)::SendMessageA(hCombo, CB_GETCURSEL, 0, 0));
            ::SendMessageA(hCombo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)"English");
            ClickButton(pSheet, IDOK);
        };
        m_pView->SendMessage(WM_COMMAND, ID_TOOLS_CHECKSPELLING);
        EXPECT_EQ(1, script.nSheets);
        EXPECT_EQ(std::vector<std::string>{ "teh" }, script.Words());
    }
    EXPECT_STREQ("English", app.m_settings.m_strSpellLang);
    ASSERT_EQ(2u, m_pPrompts->boxes.size());
    EXPECT_EQ("Spell Check Complete.", m_pPrompts->boxes[1].text);
}
