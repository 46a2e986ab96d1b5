// The note view: loading and storing the node's RTF (and what happens when
// either fails), the default font of new notes, the formatting commands and
// the paragraph dialog, find and replace, links, the options broadcast, and
// commands reaching the view once it is the active one.
#include "NotebookWindowSupport.h"

#include "app/CParagraphDlg.h"
#include "app/res/ParagraphDlgRes.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"

#include "framework/docview/CDocTemplate.h"
#include "framework/ui/CFindReplaceDialog.h"

#include <algorithm>
#include <cstring>

namespace {

const char kNoteRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 alpha Beta alpha beta gamma\\par}";

// A notebook document whose work file can be made unwritable, as a full or
// failing disk would make it.
class CBreakableDoc : public CQuillcrestDoc
{
    DECLARE_DYNCREATE(CBreakableDoc)
public:
    void BreakWorkFile(LPCSTR lpszReadOnlyFile)
    {
        m_hSpare = m_hWorkFile;
        m_hWorkFile = ::CreateFileA(lpszReadOnlyFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, 0, nullptr);
    }
    void MendWorkFile()
    {
        if (m_hSpare == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(m_hWorkFile);
        m_hWorkFile = m_hSpare;
        m_hSpare = INVALID_HANDLE_VALUE;
    }
    ~CBreakableDoc() override { MendWorkFile(); }

private:
    HANDLE m_hSpare = INVALID_HANDLE_VALUE;
};

IMPLEMENT_DYNCREATE(CBreakableDoc, CQuillcrestDoc)

// What the shell was asked to open.
std::string s_opened;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR lpszVerb, LPCSTR lpszFile, LPCSTR, LPCSTR, INT)
{
    s_opened = std::string(lpszVerb) + " " + lpszFile;
    return (HINSTANCE)42;
}

class RichTextViewTest : public NotebookWindowTest
{
protected:
    // Opens a notebook with the notes and shows the first one.
    CQuillcrestDoc* OpenWithNote(LPCSTR lpszRtf, LPCSTR lpszName = "test.qlc")
    {
        CNotebookBuilder builder;
        builder.Note("Note", 0, lpszRtf);
        builder.Note("Other", 0, "{\\rtf1 other\\par}");
        CQuillcrestDoc* pDoc = OpenBuilt(builder, lpszName);
        if (pDoc == nullptr)
            return nullptr;
        m_dwNote = NodeIdByName(pDoc, "Note");
        m_dwOther = NodeIdByName(pDoc, "Other");
        m_pFrame = FrameOf(pDoc);
        if (!m_pFrame->DisplayNode(TRUE, m_dwNote))
            return nullptr;
        m_pView = m_pFrame->GetRichEditView();
        return m_pView ? pDoc : nullptr;
    }
    CRichEditCtrl& Ctrl() { return m_pView->GetRichEditCtrl(); }
    void Command(UINT nID) { m_pView->SendMessage(WM_COMMAND, nID); }
    CHARFORMAT2A FormatOf(long nStart, long nEnd)
    {
        Ctrl().SetSel(nStart, nEnd);
        CHARFORMAT2A cf = {};
        Ctrl().GetSelectionCharFormat(cf);
        return cf;
    }
    PARAFORMAT2 ParaOf(long nChar)
    {
        Ctrl().SetSel(nChar, nChar);
        PARAFORMAT2 pf = {};
        Ctrl().GetParaFormat(pf);
        return pf;
    }

    DWORD m_dwNote = 0;
    DWORD m_dwOther = 0;
    CChildFrame* m_pFrame = nullptr;
    CQlcRichEditViewEx* m_pView = nullptr;
};

} // namespace

TEST_F(RichTextViewTest, ANoteLoadsUnmodifiedWithNothingToUndo)
{
    CQuillcrestDoc* pDoc = OpenWithNote(kNoteRtf);
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ("alpha Beta alpha beta gamma", PlainText(Ctrl()).substr(0, 27));
    EXPECT_FALSE(Ctrl().GetModify());
    EXPECT_FALSE(Ctrl().CanUndo());
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(0, QueryCommand(m_pView, ID_EDIT_UNDO).nEnabled);
}

TEST_F(RichTextViewTest, AnUneditedNoteIsNotWrittenBack)
{
    CQuillcrestDoc* pDoc = OpenWithNote(kNoteRtf);
    ASSERT_NE(nullptr, pDoc);
    QLCDATALOC before = {};
    pDoc->Data_GetDataLoc(m_dwNote, before);
    const LONGLONG llWorkBefore = [&] {
        LARGE_INTEGER li = {};
        ::GetFileSizeEx(pDoc->Data_GetWorkHandle(), &li);
        return li.QuadPart;
    }();
    ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, m_dwOther));
    QLCDATALOC after = {};
    pDoc->Data_GetDataLoc(m_dwNote, after);
    EXPECT_EQ(before.bInWorkFile, after.bInWorkFile);
    EXPECT_EQ(before.dwOffset, after.dwOffset);
    LARGE_INTEGER li = {};
    ::GetFileSizeEx(pDoc->Data_GetWorkHandle(), &li);
    EXPECT_EQ(llWorkBefore, li.QuadPart);
    EXPECT_FALSE(pDoc->IsModified());
}

TEST_F(RichTextViewTest, AnEditedNoteSurvivesSavingAndReopeningWithItsBoldRange)
{
    const CString strPath = Path("edited.qlc");
    {
        CQuillcrestDoc* pDoc = OpenWithNote(kNoteRtf, "edited.qlc");
        ASSERT_NE(nullptr, pDoc);
        Ctrl().SetSel(0, 0);
        Ctrl().ReplaceSel("Bold words then plain. ", TRUE);
        Ctrl().SetSel(0, 10);
        Command(ID_CHAR_BOLD);
        EXPECT_TRUE(pDoc->IsModified()); // through the editor's flag
        // File > Save from the window's menu: the note goes in first.
        m_pFrame->SendMessage(WM_COMMAND, ID_FILE_SAVE);
        EXPECT_TRUE(TakeMessages().empty());
        EXPECT_FALSE(pDoc->IsModified());
        EXPECT_FALSE(Ctrl().GetModify());
        pDoc->OnCloseDocument();
    }
    CQuillcrestDoc* pDoc = Open(strPath);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Note")));
    m_pView = pFrame->GetRichEditView();
    ASSERT_NE(nullptr, m_pView);
    EXPECT_EQ(0u, PlainText(Ctrl()).find("Bold words then plain. alpha Beta"));
    const CHARFORMAT2A bold = FormatOf(0, 10);
    EXPECT_TRUE((bold.dwMask & CFM_BOLD) && (bold.dwEffects & CFE_BOLD));
    const CHARFORMAT2A plain = FormatOf(11, 20);
    EXPECT_TRUE((plain.dwMask & CFM_BOLD) && !(plain.dwEffects & CFE_BOLD));
}

TEST_F(RichTextViewTest, ANewNoteStartsInTheDefaultFontAndStoresNothingUntilTyped)
{
    app.m_settings.m_strDefaultFontName = "Courier New";
    app.m_settings.m_nDefaultFontSize = 14;
    CNotebookBuilder builder;
    builder.Note("Empty");
    builder.Note("Other", 0, "{\\rtf1 other\\par}");
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    const DWORD dwEmpty = NodeIdByName(pDoc, "Empty");
    CChildFrame* pFrame = FrameOf(pDoc);
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, dwEmpty));
    m_pView = pFrame->GetRichEditView();
    ASSERT_NE(nullptr, m_pView);
    EXPECT_FALSE(Ctrl().GetModify());
    EXPECT_FALSE(Ctrl().CanUndo());

    // Leaving it untouched stores nothing.
    ASSERT_TRUE(pFrame->DisplayNode(TRUE, NodeIdByName(pDoc, "Other")));
    EXPECT_FALSE(CQlcNode(pDoc, dwEmpty).HasData());
    EXPECT_FALSE(pDoc->IsModified());

    ASSERT_TRUE(pFrame->DisplayNode(TRUE, dwEmpty));
    m_pView = pFrame->GetRichEditView();
    Ctrl().ReplaceSel("typed", TRUE);
    const CHARFORMAT2A cf = FormatOf(0, 5);
    EXPECT_STREQ("Courier New", cf.szFaceName);
    EXPECT_EQ(14 * 20, cf.yHeight);
    EXPECT_TRUE((cf.dwMask & CFM_BOLD) && !(cf.dwEffects & CFE_BOLD));
}

TEST_F(RichTextViewTest, ALongNoteLoadsWhole)
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ";
    // Many short paragraphs: one long line is slow to lay out.
    for (int i = 0; i < 2000; i++)
        rtf += "0123456789012345678901234567890123456789012345678901234567890\\par ";
    rtf += "END\\par}";
    CQuillcrestDoc* pDoc = OpenWithNote(rtf.c_str());
    ASSERT_NE(nullptr, pDoc);
    EXPECT_GE(Ctrl().GetTextLengthEx(), 2000 * 62);
    EXPECT_NE(std::string::npos, PlainText(Ctrl()).find("890\rEND"));
    EXPECT_GE(Ctrl().GetLimitText(), 2000 * 62);
    EXPECT_FALSE(Ctrl().GetModify());
}

TEST_F(RichTextViewTest, AFailedSaveKeepsTheNoteOnScreenAndModifiedAndSaysSo)
{
    POSITION pos = app.GetFirstDocTemplatePosition();
    CDocTemplate* pTemplate = app.GetNextDocTemplate(pos);
    pTemplate->m_pDocClass = RUNTIME_CLASS(CBreakableDoc);
    CQuillcrestDoc* pDoc = OpenWithNote(kNoteRtf);
    ASSERT_NE(nullptr, pDoc);
    CBreakableDoc* pBreakable = DYNAMIC_DOWNCAST(CBreakableDoc, pDoc);
    ASSERT_NE(nullptr, pBreakable);
    const std::string before = ReadPayload(pDoc, m_dwNote);
    Ctrl().SetSel(0, 0);
    Ctrl().ReplaceSel("Unsaved ", TRUE);

    pBreakable->BreakWorkFile(Path("readonly.tmp"));
    // Switching notes is refused.
    EXPECT_FALSE(m_pFrame->DisplayNode(TRUE, m_dwOther));
    std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Warning: Could not verify correct saving of note data.", messages[0]);
    EXPECT_EQ(m_dwNote, m_pFrame->GetShownNodeId());
    EXPECT_EQ(m_pView, m_pFrame->GetRichEditView());
    EXPECT_TRUE(Ctrl().GetModify());
    EXPECT_EQ(before, ReadPayload(pDoc, m_dwNote));

    // Saving the notebook is refused too, and nothing is written.
    const CString strPath = pDoc->GetPathName();
    const LONGLONG llSize = [&] {
        WIN32_FILE_ATTRIBUTE_DATA fad = {};
        ::GetFileAttributesExA(strPath, GetFileExInfoStandard, &fad);
        return ((LONGLONG)fad.nFileSizeHigh << 32) | fad.nFileSizeLow;
    }();
    EXPECT_FALSE(pDoc->OnSaveDocument(strPath));
    EXPECT_FALSE(TakeMessages().empty());
    EXPECT_TRUE(pDoc->IsModified());
    // Closing the window asks to save; Yes fails the same way and the window stays.
    m_pPrompts->m_nAnswer = IDYES;
    EXPECT_FALSE(pDoc->CanCloseFrame(m_pFrame));
    messages = TakeMessages();
    EXPECT_NE(messages.end(), std::find(messages.begin(), messages.end(),
                                        std::string("Warning: Could not verify correct saving of note data.")));
    EXPECT_TRUE(Ctrl().GetModify());
    m_pPrompts->m_nAnswer = IDOK;

    // Once the disk works again the note goes in.
    pBreakable->MendWorkFile();
    EXPECT_TRUE(m_pFrame->DisplayNode(TRUE, m_dwOther));
    EXPECT_NE(std::string::npos, ReadPayload(pDoc, m_dwNote).find("Unsaved alpha"));
    WIN32_FILE_ATTRIBUTE_DATA fad = {};
    ::GetFileAttributesExA(strPath, GetFileExInfoStandard, &fad);
    EXPECT_EQ(llSize, ((LONGLONG)fad.nFileSizeHigh << 32) | fad.nFileSizeLow);
}

TEST_F(RichTextViewTest, IndentsStepThroughTheirSequence)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    const LONG more[] = { 360, 720, 1440, 2160 };
    for (LONG expected : more)
    {
        Ctrl().SetSel(2, 2);
        Command(ID_PARA_INDENTMORE);
        EXPECT_EQ(expected, ParaOf(2).dxStartIndent);
    }
    EXPECT_EQ(1440, CQlcRichEditViewEx::NextIndentLess(2160));
    const LONG less[] = { 1440, 720, 360, 0, 0 };
    for (LONG expected : less)
    {
        Ctrl().SetSel(2, 2);
        Command(ID_PARA_INDENTLESS);
        EXPECT_EQ(expected, ParaOf(2).dxStartIndent);
    }
    EXPECT_TRUE(Ctrl().GetModify());
    EXPECT_EQ(1, QueryCommand(m_pView, ID_PARA_INDENTLESS).nEnabled);
}

TEST_F(RichTextViewTest, BulletsComeWithAHangingOffsetAndGoWithIt)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    Ctrl().SetSel(3, 3);
    EXPECT_EQ(0, QueryCommand(m_pView, ID_PARA_BULLETS).nChecked);
    Command(ID_PARA_BULLETS);
    PARAFORMAT2 pf = ParaOf(3);
    EXPECT_EQ(PFN_BULLET, pf.wNumbering);
    EXPECT_EQ(720, pf.dxOffset);
    EXPECT_EQ(1, QueryCommand(m_pView, ID_PARA_BULLETS).nChecked);
    Command(ID_PARA_BULLETS);
    pf = ParaOf(3);
    EXPECT_EQ(0, pf.wNumbering);
    EXPECT_EQ(0, pf.dxOffset);
}

TEST_F(RichTextViewTest, UnderlineTypesAndEffectsApplyToTheSelection)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    Ctrl().SetSel(0, 5);
    Command(ID_CHAR_UNDERLINE_DOUBLE);
    CHARFORMAT2A cf = FormatOf(0, 5);
    EXPECT_TRUE(cf.dwEffects & CFE_UNDERLINE);
    EXPECT_EQ(CFU_UNDERLINEDOUBLE, cf.bUnderlineType);
    // Dotted always sets, never toggles off.
    Command(ID_CHAR_UNDERLINE_DOTTED);
    Command(ID_CHAR_UNDERLINE_DOTTED);
    cf = FormatOf(0, 5);
    EXPECT_TRUE(cf.dwEffects & CFE_UNDERLINE);
    EXPECT_EQ(CFU_UNDERLINEDOTTED, cf.bUnderlineType);

    Ctrl().SetSel(6, 10);
    Command(ID_CHAR_STRIKEOUT);
    EXPECT_TRUE(FormatOf(6, 10).dwEffects & CFE_STRIKEOUT);
    Ctrl().SetSel(6, 10);
    EXPECT_EQ(1, QueryCommand(m_pView, ID_CHAR_STRIKEOUT).nChecked);
    // A mixed selection turns the effect on everywhere first.
    Ctrl().SetSel(0, 10);
    EXPECT_EQ(2, QueryCommand(m_pView, ID_CHAR_STRIKEOUT).nChecked);
    Command(ID_CHAR_STRIKEOUT);
    EXPECT_TRUE(FormatOf(0, 10).dwEffects & CFE_STRIKEOUT);

    Ctrl().SetSel(0, 3);
    Command(ID_PARA_JUSTIFY);
    EXPECT_EQ(PFA_JUSTIFY, ParaOf(1).wAlignment);
    EXPECT_EQ(1, QueryCommand(m_pView, ID_PARA_JUSTIFY).nChecked);
    Command(ID_PARA_CENTER);
    EXPECT_EQ(PFA_CENTER, ParaOf(1).wAlignment);
}

TEST_F(RichTextViewTest, ParagraphDialogWorksInPointsAndRefusesMoreThanSixInches)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_ALIGNMENT;
    pf.dxStartIndent = 1010;
    pf.dxRightIndent = 200;
    pf.wAlignment = PFA_RIGHT;
    Ctrl().SetSel(0, 0);
    Ctrl().SetParaFormat(pf);

    std::string shownLeft, shownRight;
    int nShownAlignment = -2;
    CScriptedDialogs dialogs([&](CWnd* pDialog) {
        CString s;
        pDialog->GetDlgItemText(IDC_PARA_LEFT, s);
        shownLeft = (LPCSTR)s;
        pDialog->GetDlgItemText(IDC_PARA_RIGHT, s);
        shownRight = (LPCSTR)s;
        nShownAlignment = (int)pDialog->SendDlgItemMessage(IDC_PARA_ALIGNMENT, CB_GETCURSEL);
        pDialog->SetDlgItemText(IDC_PARA_LEFT, "433");
        ClickButton(pDialog, IDOK); // refused: the dialog stays
        pDialog->SetDlgItemText(IDC_PARA_LEFT, shownLeft.c_str());
        ClickButton(pDialog, IDOK);
    });
    Ctrl().SetSel(0, 0);
    Command(ID_FORMAT_PARAGRAPH);
    EXPECT_EQ(1, dialogs.nDialogs);
    EXPECT_EQ("50", shownLeft);
    EXPECT_EQ("10", shownRight);
    EXPECT_EQ(2, nShownAlignment);
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Please enter an integer between 0 and 432.", messages[0]);
    pf = ParaOf(0);
    EXPECT_EQ(1000, pf.dxStartIndent);
    EXPECT_EQ(200, pf.dxRightIndent);
    EXPECT_EQ(PFA_RIGHT, pf.wAlignment);
}

TEST_F(RichTextViewTest, ParagraphDialogLeavesWhatAMixedSelectionDoesNotShare)
{
    ASSERT_NE(nullptr, OpenWithNote(
                           "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\pard\\li720\\qc First\\par\\pard\\li1440\\qr Second\\par}"));
    const long nSecond = (long)PlainText(Ctrl()).find("Second");
    ASSERT_GT(nSecond, 0);

    BOOL bTouch = FALSE;
    CScriptedDialogs dialogs([&](CWnd* pDialog) {
        CString s;
        pDialog->GetDlgItemText(IDC_PARA_LEFT, s);
        EXPECT_EQ("", std::string((LPCSTR)s));
        EXPECT_EQ(-1, (int)pDialog->SendDlgItemMessage(IDC_PARA_ALIGNMENT, CB_GETCURSEL));
        if (bTouch)
            pDialog->SendDlgItemMessage(IDC_PARA_ALIGNMENT, CB_SETCURSEL, 3);
        ClickButton(pDialog, IDOK);
    });
    // Unchanged: each paragraph keeps its own.
    Ctrl().SetSel(0, nSecond + 3);
    Command(ID_FORMAT_PARAGRAPH);
    ASSERT_EQ(1, dialogs.nDialogs);
    EXPECT_EQ(720, ParaOf(1).dxStartIndent);
    EXPECT_EQ(PFA_CENTER, ParaOf(1).wAlignment);
    EXPECT_EQ(1440, ParaOf(nSecond + 1).dxStartIndent);
    EXPECT_EQ(PFA_RIGHT, ParaOf(nSecond + 1).wAlignment);

    // Only the alignment chosen is applied to both.
    bTouch = TRUE;
    Ctrl().SetSel(0, nSecond + 3);
    Command(ID_FORMAT_PARAGRAPH);
    EXPECT_EQ(720, ParaOf(1).dxStartIndent);
    EXPECT_EQ(PFA_JUSTIFY, ParaOf(1).wAlignment);
    EXPECT_EQ(1440, ParaOf(nSecond + 1).dxStartIndent);
    EXPECT_EQ(PFA_JUSTIFY, ParaOf(nSecond + 1).wAlignment);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(RichTextViewTest, FindRunsForwardWrapsOnceAndReplaces)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    long nStart = 0, nEnd = 0;

    // Match case finds only the exact case; "up" still searches forward.
    Ctrl().SetSel(0, 0);
    m_pView->m_bFirstSearch = TRUE;
    m_pView->OnFindNext("beta", FALSE, TRUE, FALSE);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(17, nStart);
    EXPECT_EQ(21, nEnd);
    Ctrl().SetSel(0, 0);
    m_pView->m_bFirstSearch = TRUE;
    m_pView->OnFindNext("beta", FALSE, FALSE, FALSE);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(6, nStart);

    // From the middle: past the end it wraps to the top once only.
    Ctrl().SetSel(12, 12);
    m_pView->m_bFirstSearch = TRUE;
    m_pView->OnFindNext("alpha", TRUE, FALSE, FALSE);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(0, nStart);
    m_pView->OnFindNext("alpha", TRUE, FALSE, FALSE);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(11, nStart);
    EXPECT_FALSE(m_pView->m_bFirstSearch);
    m_pView->OnFindNext("alpha", TRUE, FALSE, FALSE);
    EXPECT_TRUE(m_pView->m_bFirstSearch); // not found: a new series next time
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(11, nStart);

    // Replace: the selected match goes, the next is found.
    Ctrl().SetSel(0, 5);
    m_pView->OnReplaceSel("alpha", TRUE, FALSE, FALSE, "omega");
    EXPECT_EQ(0u, PlainText(Ctrl()).find("omega Beta alpha"));
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(11, nStart);

    // Replace All, ending with the not-found beep.
    m_pView->m_bFirstSearch = TRUE;
    m_pView->OnReplaceAll("BETA", "delta", FALSE, FALSE);
    EXPECT_EQ(0u, PlainText(Ctrl()).find("omega delta alpha delta gamma"));
    EXPECT_TRUE(m_pView->m_bFirstSearch);
    EXPECT_TRUE(Ctrl().GetModify());
}

TEST_F(RichTextViewTest, TheFindDialogsMessagesReachTheView)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    Ctrl().SetSel(0, 0);
    Command(ID_EDIT_FIND);
    AFX_RICHEDIT_STATE* pState = AfxGetRichEditState();
    CFindReplaceDialog* pDlg = pState->pFindReplaceDlg;
    ASSERT_NE(nullptr, pDlg);
    ASSERT_NE(nullptr, pDlg->m_hWnd);
    EXPECT_EQ(m_pView->m_hWnd, pDlg->m_fr.hwndOwner);

    lstrcpyA(pDlg->m_fr.lpstrFindWhat, "gamma");
    pDlg->m_fr.Flags = FR_FINDNEXT | FR_DOWN | FR_MATCHCASE;
    m_pView->SendMessage(AfxGetFindReplaceMessage(), 0, (LPARAM)&pDlg->m_fr);
    long nStart = 0, nEnd = 0;
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(22, nStart);
    EXPECT_EQ("gamma", std::string((LPCSTR)pState->strFind));
    EXPECT_TRUE(pState->bCase);
    // Find Next (F3) repeats it from the keyboard.
    Ctrl().SetSel(0, 0);
    m_pView->m_bFirstSearch = TRUE;
    Command(ID_EDIT_REPEAT);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(22, nStart);

    // Closing the dialog forgets it.
    pDlg->SendMessage(WM_COMMAND, IDCANCEL);
    PumpMessages();
    EXPECT_EQ(nullptr, pState->pFindReplaceDlg);
}

TEST_F(RichTextViewTest, RedoFollowsTheControlsRedoState)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    EXPECT_EQ(0, QueryCommand(m_pView, ID_EDIT_REDO).nEnabled);
    Ctrl().SetSel(0, 0);
    Ctrl().ReplaceSel("Added ", TRUE);
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(0u, PlainText(Ctrl()).find("alpha"));
    EXPECT_EQ(1, QueryCommand(m_pView, ID_EDIT_REDO).nEnabled);
    Command(ID_EDIT_REDO);
    EXPECT_EQ(0u, PlainText(Ctrl()).find("Added alpha"));
    // Copy needs a selection.
    Ctrl().SetSel(2, 2);
    EXPECT_EQ(0, QueryCommand(m_pView, ID_EDIT_COPY).nEnabled);
    Ctrl().SetSel(2, 4);
    EXPECT_EQ(1, QueryCommand(m_pView, ID_EDIT_COPY).nEnabled);
}

TEST_F(RichTextViewTest, ALinkClickOpensTheAddressAndLeavesTheCaret)
{
    ASSERT_NE(nullptr, OpenWithNote("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Go to http://example.org/page now\\par}"));
    s_opened.clear();
    auto* pfnOld = CMainFrame::s_pfnShellExecute;
    CMainFrame::s_pfnShellExecute = &RecordShellExecute;
    Ctrl().SetSel(1, 1);
    ENLINK link = {};
    link.nmhdr.hwndFrom = m_pView->m_hWnd;
    link.nmhdr.idFrom = (UINT_PTR)m_pView->GetDlgCtrlID();
    link.nmhdr.code = EN_LINK;
    link.msg = WM_LBUTTONDOWN;
    link.chrg.cpMin = 6;
    link.chrg.cpMax = 29;
    const LRESULT lResult =
        m_pView->GetParent()->SendMessage(WM_NOTIFY, (WPARAM)link.nmhdr.idFrom, (LPARAM)&link);
    CMainFrame::s_pfnShellExecute = pfnOld;
    EXPECT_EQ("open http://example.org/page", s_opened);
    EXPECT_EQ(1, lResult);
    long nStart = 0, nEnd = 0;
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(1, nStart);
    EXPECT_EQ(1, nEnd);

    // Other mouse messages over a link are the control's.
    s_opened.clear();
    link.msg = WM_MOUSEMOVE;
    EXPECT_EQ(0, m_pView->GetParent()->SendMessage(WM_NOTIFY, (WPARAM)link.nmhdr.idFrom, (LPARAM)&link));
    EXPECT_TRUE(s_opened.empty());
}

TEST_F(RichTextViewTest, OptionsChangedAppliesWordWrapAndWordSelection)
{
    app.m_settings.m_nWordWrap = 1;
    app.m_settings.m_nAutoWordSelection = 1;
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    EXPECT_EQ(CRichEditView::WrapToWindow, m_pView->m_nWordWrap);
    EXPECT_NE(0u, Ctrl().GetOptions() & ECO_AUTOWORDSELECTION);

    app.m_settings.m_nWordWrap = 0;
    app.m_settings.m_nAutoWordSelection = 0;
    m_pMainFrame->BroadcastOptionsChanged();
    EXPECT_EQ(CRichEditView::WrapNone, m_pView->m_nWordWrap);
    EXPECT_EQ(0u, Ctrl().GetOptions() & ECO_AUTOWORDSELECTION);
    // Applied twice, the option does not flip back.
    m_pMainFrame->BroadcastOptionsChanged();
    EXPECT_EQ(0u, Ctrl().GetOptions() & ECO_AUTOWORDSELECTION);
}

TEST_F(RichTextViewTest, OnceActiveTheViewGetsTheWindowsCommandsBeforeTheDocument)
{
    CQuillcrestDoc* pDoc = OpenWithNote(kNoteRtf);
    ASSERT_NE(nullptr, pDoc);
    // Before: the tree's side has the commands, so Bold is nobody's.
    EXPECT_EQ(m_pFrame->GetTabsView(), m_pFrame->GetActiveView());
    Ctrl().SetSel(0, 5);
    m_pFrame->SendMessage(WM_COMMAND, ID_CHAR_BOLD);
    EXPECT_FALSE(FormatOf(0, 5).dwEffects & CFE_BOLD);
    // A click in the note makes it the active view.
    m_pView->SendMessage(WM_MOUSEACTIVATE, (WPARAM)m_pMainFrame->m_hWnd, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(m_pView, m_pFrame->GetActiveView());
    Ctrl().SetSel(0, 5);
    m_pFrame->SendMessage(WM_COMMAND, ID_CHAR_BOLD);
    EXPECT_TRUE(FormatOf(0, 5).dwEffects & CFE_BOLD);
    // The document still gets what the view leaves: File > Save.
    m_pFrame->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    EXPECT_FALSE(pDoc->IsModified());
    // Leaving the note takes the routing back to the tree's side.
    ASSERT_TRUE(m_pFrame->DisplayNode(TRUE, m_dwOther));
    EXPECT_EQ(m_pFrame->GetTabsView(), m_pFrame->GetActiveView());
}

TEST_F(RichTextViewTest, TheContextMenuIsOwnerDrawnAndGreysCutAndCopyWithoutASelection)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    // The frame's document menu puts the Standard bar's pictures (Cut
    // among them) in the shared list.
    CMainFrame* pMain = static_cast<CMainFrame*>(AfxGetMainWnd());
    ASSERT_NE(nullptr, pMain);
    ::DestroyMenu(pMain->LoadDocumentMenu());

    Ctrl().SetSel(0, 0);
    GlyphMenu menu;
    GlyphMenu* pPopup = m_pView->LoadContextMenu(menu);
    ASSERT_NE(nullptr, pPopup);
    EXPECT_NE(0u, pPopup->GetMenuState(ID_EDIT_CUT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_NE(0u, pPopup->GetMenuState(ID_EDIT_COPY, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(0u, pPopup->GetMenuState(ID_FORMAT_PARAGRAPH, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_GE(pPopup->m_itemData[0]->globalImageIndex, 0); // Cut has the Standard bar's picture

    Ctrl().SetSel(0, 5);
    GlyphMenu selected;
    pPopup = m_pView->LoadContextMenu(selected);
    ASSERT_NE(nullptr, pPopup);
    EXPECT_EQ(0u, pPopup->GetMenuState(ID_EDIT_COPY, MF_BYCOMMAND) & MF_GRAYED);
    // The view answers the menu's mnemonics: "&Paste" is the third item.
    EXPECT_EQ(0x20002, m_pView->SendMessage(WM_MENUCHAR, MAKEWPARAM('P', MF_POPUP), (LPARAM)pPopup->m_hMenu));
}

// --- As the user meets it: keys and clicks through the program's loop ---------------

TEST_F(RichTextViewTest, FormatCommandsReachANoteClickedIntoAfterTheMenuWasOpenedOverTheTree)
{
    CNotebookBuilder builder;
    builder.Note("Note", 0, kNoteRtf);
    CQuillcrestDoc* pDoc = OpenBuilt(builder);
    ASSERT_NE(nullptr, pDoc);
    CChildFrame* pFrame = FrameOf(pDoc);

    // The tree has the commands: the Format menu is greyed.
    UserClickItem(*pFrame->GetTreeCtrl(), "Note");
    HMENU hFormat = OpenMenu(m_pMainFrame, "F&ormat");
    ASSERT_NE(nullptr, hFormat);
    EXPECT_FALSE(ItemState(hFormat, ID_CHAR_BOLD).bEnabled);

    // Opened with a double click; a click into its text and a word picked
    // with the keyboard.
    ASSERT_NE(nullptr, OpenNoteAsUser(pFrame, "Note"));
    CUserInput::Key(VK_HOME, CUserInput::ctrl);
    CUserInput::Key(VK_RIGHT, CUserInput::ctrl | CUserInput::shift);

    hFormat = OpenMenu(m_pMainFrame, "F&ormat");
    for (UINT nID : { ID_CHAR_BOLD, ID_CHAR_ITALIC, ID_CHAR_UNDERLINE, ID_CHAR_STRIKEOUT, ID_PARA_LEFT, ID_PARA_CENTER,
                      ID_PARA_RIGHT, ID_PARA_JUSTIFY, ID_PARA_BULLETS })
    {
        EXPECT_TRUE(ItemState(hFormat, nID).bFound) << nID;
        EXPECT_TRUE(ItemState(hFormat, nID).bEnabled) << nID;
    }
    EXPECT_TRUE(ItemState(hFormat, ID_PARA_LEFT).bChecked);
    EXPECT_FALSE(ItemState(hFormat, ID_CHAR_BOLD).bChecked);

    // Ctrl+B, Ctrl+I and Ctrl+U format the word; Center and Bullets from
    // the menu its paragraph; Ctrl+S stores it.
    CUserInput::Key('B', CUserInput::ctrl);
    CUserInput::Key('I', CUserInput::ctrl);
    CUserInput::Key('U', CUserInput::ctrl);
    hFormat = OpenMenu(m_pMainFrame, "F&ormat");
    EXPECT_TRUE(ItemState(hFormat, ID_CHAR_BOLD).bChecked);
    EXPECT_TRUE(ItemState(hFormat, ID_CHAR_ITALIC).bChecked);
    EXPECT_TRUE(ItemState(hFormat, ID_CHAR_UNDERLINE).bChecked);
    ChooseMenuItem(m_pMainFrame, ID_PARA_CENTER);
    ChooseMenuItem(m_pMainFrame, ID_PARA_BULLETS);
    hFormat = OpenMenu(m_pMainFrame, "F&ormat");
    EXPECT_TRUE(ItemState(hFormat, ID_PARA_CENTER).bChecked);
    EXPECT_FALSE(ItemState(hFormat, ID_PARA_LEFT).bChecked);
    EXPECT_TRUE(ItemState(hFormat, ID_PARA_BULLETS).bChecked);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    pFrame->GetRichEditView()->GetRichEditCtrl().GetParaFormat(pf);
    EXPECT_EQ(PFA_CENTER, pf.wAlignment);
    EXPECT_EQ(PFN_BULLET, pf.wNumbering);
    CUserInput::Key('S', CUserInput::ctrl);
    EXPECT_FALSE(pDoc->IsModified());
    const std::string rtf = ReadPayload(pDoc, NodeIdByName(pDoc, "Note"));
    const CHARFORMAT2A cfWord = FormatOfWord(rtf, "alpha");
    EXPECT_TRUE((cfWord.dwMask & CFM_BOLD) && (cfWord.dwEffects & CFE_BOLD)) << rtf;
    EXPECT_TRUE((cfWord.dwMask & CFM_ITALIC) && (cfWord.dwEffects & CFE_ITALIC)) << rtf;
    EXPECT_TRUE((cfWord.dwMask & CFM_UNDERLINE) && (cfWord.dwEffects & CFE_UNDERLINE)) << rtf;
    const CHARFORMAT2A cfRest = FormatOfWord(rtf, "Beta");
    EXPECT_TRUE((cfRest.dwMask & CFM_BOLD) && !(cfRest.dwEffects & CFE_BOLD)) << rtf;
}

namespace {

// Thirty numbered lines; "needle" ends lines 6 and 22.
std::string LinesRtf()
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 1; i <= 30; i++)
        rtf += "line " + std::to_string(i) + (i == 6 || i == 22 ? " needle" : "") + "\\par ";
    return rtf + "}";
}

// The screen rectangle of the selection's line, up to the next line.
CRect SelectionLine(CRichEditCtrl& ctrl)
{
    long nStart = 0, nEnd = 0;
    ctrl.GetSel(nStart, nEnd);
    const CPoint ptStart = ctrl.PosFromChar((UINT)nStart);
    const CPoint ptEnd = ctrl.PosFromChar((UINT)nEnd);
    const int nLine = (int)ctrl.SendMessage(EM_EXLINEFROMCHAR, 0, nStart);
    const CPoint ptNext = ctrl.PosFromChar((UINT)ctrl.SendMessage(EM_LINEINDEX, nLine + 1, 0));
    CRect rc(ptStart.x, ptStart.y, std::max(ptEnd.x, ptStart.x + 1), ptNext.y);
    ctrl.ClientToScreen(rc);
    return rc;
}

BOOL Overlaps(HWND hDialog, const CRect& rcText)
{
    CRect rcDialog, rcCommon;
    ::GetWindowRect(hDialog, rcDialog);
    return rcCommon.IntersectRect(rcDialog, rcText);
}

} // namespace

TEST_F(RichTextViewTest, FindWorksFromTheKeyboardAndKeepsClearOfWhatItFinds)
{
    ASSERT_NE(nullptr, OpenWithNote(LinesRtf().c_str()));
    // The first "needle" selected with the mouse and the keyboard: it is
    // near the top, where the dialog opens by default.
    const CString strText = PlainText(Ctrl()).c_str();
    const long nFirst = strText.Find("needle");
    const long nSecond = strText.Find("needle", nFirst + 1);
    CUserInput::Click(m_pView->m_hWnd, CharPoint(Ctrl(), nFirst));
    CUserInput::Key(VK_END, CUserInput::shift);
    long nStart = 0, nEnd = 0;
    Ctrl().GetSel(nStart, nEnd);
    ASSERT_EQ(nFirst + 6, nEnd);

    CUserInput::Key('F', CUserInput::ctrl);
    CFindReplaceDialog* pDlg = AfxGetRichEditState()->pFindReplaceDlg;
    ASSERT_NE(nullptr, pDlg);
    HWND hDialog = pDlg->m_hWnd;
    HWND hFindWhat = ::GetDlgItem(hDialog, 0x480); // the "Find What" edit
    ASSERT_NE(nullptr, hFindWhat);
    EXPECT_EQ(hFindWhat, ::GetFocus());
    EXPECT_FALSE(Overlaps(hDialog, SelectionLine(Ctrl())));

    // The selection is the text to find; typed again it is the same.
    CUserInput::Type("needle");
    CUserInput::Key(VK_RETURN);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(nSecond, nStart);
    EXPECT_EQ(nSecond + 6, nEnd);
    EXPECT_FALSE(Overlaps(hDialog, SelectionLine(Ctrl())));
    // The series began at the first: Enter again finds nothing more.
    CUserInput::Key(VK_RETURN);
    Ctrl().GetSel(nStart, nEnd);
    EXPECT_EQ(nSecond, nStart);

    // Tab leaves the text box for the dialog's next control; Escape closes.
    CUserInput::Key(VK_TAB);
    EXPECT_NE(hFindWhat, ::GetFocus());
    EXPECT_TRUE(::IsChild(hDialog, ::GetFocus()));
    CUserInput::Key(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(hDialog));
    EXPECT_EQ(nullptr, AfxGetRichEditState()->pFindReplaceDlg);

    // Replace closes with Escape as well.
    CUserInput::Key('H', CUserInput::ctrl);
    pDlg = AfxGetRichEditState()->pFindReplaceDlg;
    ASSERT_NE(nullptr, pDlg);
    hDialog = pDlg->m_hWnd;
    CUserInput::Key(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(hDialog));
}

namespace {

// The face GDI draws when asked for this one.
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

std::string ComboText(HWND hCombo)
{
    char szText[LF_FACESIZE * 2] = "";
    ::GetWindowTextA(hCombo, szText, sizeof(szText));
    return szText;
}

} // namespace

TEST_F(RichTextViewTest, TheFontDialogStartsOnTheSelectionsFontAndAppliesOnlyWhatWasChanged)
{
    ASSERT_NE(nullptr, OpenWithNote("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs32 alpha Beta gamma\\par}"));
    // "Beta" picked with the mouse and the keyboard.
    CUserInput::Click(m_pView->m_hWnd, CharPoint(Ctrl(), 6));
    CUserInput::Key(VK_RIGHT, CUserInput::ctrl | CUserInput::shift);

    std::string face, size, style;
    std::vector<std::string> faces;
    CWindowScript script("Font", [&](HWND hDialog) {
        HWND hFace = ::GetDlgItem(hDialog, 0x470);  // face combo
        HWND hStyle = ::GetDlgItem(hDialog, 0x471); // style combo
        HWND hSize = ::GetDlgItem(hDialog, 0x472);  // size combo
        face = ComboText(hFace);
        style = ComboText(hStyle);
        size = ComboText(hSize);
        const int nFaces = (int)::SendMessageA(hFace, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < nFaces; i++)
        {
            char szFace[LF_FACESIZE * 2] = "";
            ::SendMessageA(hFace, CB_GETLBTEXT, (WPARAM)i, (LPARAM)szFace);
            faces.push_back(szFace);
        }
        // A click on "Bold" in the style list, then Enter.
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        ::GetComboBoxInfo(hStyle, &info);
        const int nBold = (int)::SendMessageA(info.hwndList, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "Bold");
        RECT rcItem = {};
        ::SendMessageA(info.hwndList, LB_GETITEMRECT, (WPARAM)nBold, (LPARAM)&rcItem);
        const LPARAM lPoint = MAKELPARAM((rcItem.left + rcItem.right) / 2, (rcItem.top + rcItem.bottom) / 2);
        ::PostMessageA(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        ::PostMessageA(info.hwndList, WM_LBUTTONUP, 0, lPoint);
        ::PostMessageA(info.hwndList, WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageA(info.hwndList, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
    });
    ChooseMenuItem(m_pMainFrame, ID_FORMAT_FONT);
    EXPECT_TRUE(script.HasRun());
    EXPECT_FALSE(script.TimedOut());

    // It showed the font the word is drawn in, at its size, in its style.
    EXPECT_EQ(DrawnFace("Arial"), DrawnFace(face.c_str())) << face;
    EXPECT_NE('@', face.empty() ? '@' : face[0]) << face;
    EXPECT_EQ("16", size);
    EXPECT_EQ("Regular", style);
    for (const std::string& listed : faces)
        EXPECT_NE('@', listed.empty() ? ' ' : listed[0]) << "a vertical font is listed: " << listed;

    // Only the weight changed: the word keeps its face and size.
    const CHARFORMAT2A cf = FormatOf(6, 10);
    EXPECT_TRUE((cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD));
    EXPECT_STREQ("Arial", cf.szFaceName);
    EXPECT_EQ(320, cf.yHeight);
    const CHARFORMAT2A cfOther = FormatOf(0, 5);
    EXPECT_FALSE(cfOther.dwEffects & CFE_BOLD);
    EXPECT_STREQ("Arial", cfOther.szFaceName);
}

TEST_F(RichTextViewTest, InsertObjectCancelledOrLeftWithoutATypeSaysNothing)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    CUserInput::Click(m_pView->m_hWnd, CharPoint(Ctrl(), 0));
    const std::string before = StreamOutRtf(Ctrl());
    // Edit > Insert New Object..., then a click on Cancel.
    CWindowScript cancel("Insert Object", [](HWND hDialog) {
        HWND hCancel = ::GetDlgItem(hDialog, IDCANCEL);
        ::PostMessageA(hCancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        ::PostMessageA(hCancel, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    });
    ChooseMenuItem(m_pMainFrame, ID_OLE_INSERT_NEW);
    EXPECT_TRUE(cancel.HasRun());
    EXPECT_FALSE(cancel.TimedOut());
    EXPECT_EQ(std::vector<std::string>(), TakeMessages());

    // OK with no type chosen: the dialog closes as for Cancel (some
    // systems' dialogs answer the same for both), and there is nothing to
    // create.
    CWindowScript none("Insert Object", [](HWND hDialog) {
        HWND hList = ::FindWindowExA(hDialog, nullptr, "ListBox", nullptr);
        ::SendMessageA(hList, LB_SETCURSEL, (WPARAM)-1, 0);
        ::PostMessageA(hDialog, WM_COMMAND, IDOK, (LPARAM)::GetDlgItem(hDialog, IDOK));
    });
    ChooseMenuItem(m_pMainFrame, ID_OLE_INSERT_NEW);
    EXPECT_TRUE(none.HasRun());
    EXPECT_FALSE(none.TimedOut());
    EXPECT_EQ(std::vector<std::string>(), TakeMessages());

    // Again, left with Escape from the list that has the keyboard.
    CWindowScript escape("Insert Object", [](HWND hDialog) {
        HWND hFocus = ::GetFocus();
        HWND hTarget = hFocus != nullptr && ::IsChild(hDialog, hFocus) ? hFocus : hDialog;
        ::PostMessageA(hTarget, WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageA(hTarget, WM_KEYUP, VK_ESCAPE, 1 | (3u << 30));
    });
    ChooseMenuItem(m_pMainFrame, ID_OLE_INSERT_NEW);
    EXPECT_TRUE(escape.HasRun());
    EXPECT_FALSE(escape.TimedOut());
    EXPECT_EQ(std::vector<std::string>(), TakeMessages());
    EXPECT_EQ(before, StreamOutRtf(Ctrl()));
    EXPECT_FALSE(Ctrl().GetModify());
}

TEST_F(RichTextViewTest, InsertObjectThatMakesNothingSaysSo)
{
    ASSERT_NE(nullptr, OpenWithNote(kNoteRtf));
    CUserInput::Click(m_pView->m_hWnd, CharPoint(Ctrl(), 0));
    const std::string before = StreamOutRtf(Ctrl());
    // Edit > Insert New Object..., "Package" clicked in the list, then OK:
    // no program makes it here.
    BOOL bListed = FALSE;
    CWindowScript package("Insert Object", [&](HWND hDialog) {
        HWND hList = ::FindWindowExA(hDialog, nullptr, "ListBox", nullptr);
        const int nItem = (int)::SendMessageA(hList, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "Package");
        bListed = nItem >= 0;
        RECT rc = {};
        ::SendMessageA(hList, LB_GETITEMRECT, (WPARAM)std::max(nItem, 0), (LPARAM)&rc);
        const LPARAM lPoint = MAKELPARAM(rc.left + 4, (rc.top + rc.bottom) / 2);
        ::PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        ::PostMessageA(hList, WM_LBUTTONUP, 0, lPoint);
        ::PostMessageA(hDialog, WM_COMMAND, IDOK, (LPARAM)::GetDlgItem(hDialog, IDOK));
    });
    ChooseMenuItem(m_pMainFrame, ID_OLE_INSERT_NEW);
    EXPECT_TRUE(package.HasRun());
    EXPECT_FALSE(package.TimedOut());
    if (!bListed)
        GTEST_SKIP() << "this system offers no Package object";
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find("The object could not be created.")) << messages[0];
    EXPECT_EQ(before, StreamOutRtf(Ctrl()));
    EXPECT_FALSE(Ctrl().GetModify());
}

TEST_F(RichTextViewTest, TheStoredNoteIsTheControlsOwnRtfIndentsIncluded)
{
    CQuillcrestDoc* pDoc = OpenWithNote(kNoteRtf);
    ASSERT_NE(nullptr, pDoc);
    CUserInput::Click(m_pView->m_hWnd, CharPoint(Ctrl(), 3));
    // Format > Paragraph..., a left indent of one inch.
    CScriptedDialogs dialogs([](CWnd* pDlg) {
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_PARA_LEFT, "72");
        ClickButton(pDlg, IDOK);
    });
    ChooseMenuItem(m_pMainFrame, ID_FORMAT_PARAGRAPH);
    ASSERT_EQ(1, dialogs.nDialogs);
    EXPECT_EQ(1440, ParaOf(3).dxStartIndent);
    CUserInput::Key('S', CUserInput::ctrl);
    EXPECT_FALSE(pDoc->IsModified());
    // Whatever the control writes for the indent is what the note keeps:
    // the streaming adds and drops nothing.
    EXPECT_EQ(StreamOutRtf(Ctrl()), ReadPayload(pDoc, m_dwNote));
}
