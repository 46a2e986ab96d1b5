// Helpers of the notebook-window tests: notebooks made on disk by the core,
// opened through the program's own document template into real child frames
// under the test display, and ways to look at and drive the tree, the
// bookmark list and the note view as the user would.
#pragma once

#include "AppTestSupport.h"

#include "app/CBlankAreaView.h"
#include "app/CBookmarkTreeCtrl.h"
#include "app/CChildFrame.h"
#include "app/CQlcRichEditViewEx.h"
#include "app/CQlcTabsView.h"
#include "app/CQlcTreeCtrl.h"

#include "core/CQuillcrestDoc.h"

#include "framework/base/CCmdUI.h"

#include "CUserInput.h"
#include "CWindowScript.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

// A notebook being put together in memory, then written to a file.
class CRichEditCntrItem;

class CNotebookBuilder
{
public:
    CNotebookBuilder();
    DWORD Folder(LPCSTR lpszName, DWORD dwParentId = 0);
    // A note; with RTF it gets that payload (compressed), without none.
    DWORD Note(LPCSTR lpszName, DWORD dwParentId = 0, LPCSTR lpszRtf = nullptr);
    // Any type with a payload of these bytes (none when empty).
    DWORD Node(BYTE nType, LPCSTR lpszName, DWORD dwParentId, const std::string& data);
    // A note whose stored payload does not decode.
    DWORD DamagedNote(LPCSTR lpszName, DWORD dwParentId = 0);
    DWORD Bookmark(LPCSTR lpszName, DWORD dwNodeId);
    DWORD Task(DWORD dwNodeId);
    // Enciphers a node with the application's encryption library.
    void Encrypt(DWORD dwNodeId, LPCSTR lpszPassword);
    void Sort(WORD wOrder, WORD wFolders) { doc.SetSortOptions(wOrder, wFolders); }
    BOOL Save(LPCSTR lpszPath) { return doc.OnSaveDocument(lpszPath); }

    CQuillcrestDoc doc;
};

// A command's state as the menus would show it.
struct CUpdateProbe : public CCmdUI
{
    int nEnabled = -1;
    int nChecked = -1;
    void Enable(BOOL bOn) override { nEnabled = bOn ? 1 : 0; m_bEnableChanged = TRUE; }
    void SetCheck(int nCheck) override { nChecked = nCheck; }
    void SetRadio(BOOL bOn) override { nChecked = bOn ? 1 : 0; }
    void SetText(LPCSTR) override {}
};
CUpdateProbe QueryCommand(CCmdTarget* pTarget, UINT nID);

// The fixture: a main frame, the program's template, a folder of its own,
// every message box recorded (answered with m_nAnswer).
class NotebookWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    CString Path(LPCSTR lpszName) const;
    // A file of the fixture's folder with these bytes; its path.
    CString MakeFile(LPCSTR lpszName, const std::string& bytes) const;
    // The open dialog's buffer for a multiple selection of files of the
    // fixture's folder: the folder, then the names, NUL-separated.
    std::string Selection(std::initializer_list<const char*> names) const;
    // Opens a notebook file through the template; null when it did not open.
    CQuillcrestDoc* Open(LPCSTR lpszPath);
    // Writes the builder's notebook and opens it.
    CQuillcrestDoc* OpenBuilt(CNotebookBuilder& builder, LPCSTR lpszName = "test.qlc");
    CChildFrame* FrameOf(CQuillcrestDoc* pDoc) const;
    CQlcTreeCtrl* TreeOf(CQuillcrestDoc* pDoc) const;
    CBookmarkTreeCtrl* BookmarksOf(CQuillcrestDoc* pDoc) const;

    // The messages shown since the last call.
    std::vector<std::string> TakeMessages();

    CQlcApp& app = TestApp();
    CMainFrame* m_pMainFrame = nullptr;
    CRecordingPrompts* m_pPrompts = nullptr;
    char m_szDir[MAX_PATH] = {};
};

// --- The tree as text -------------------------------------------------------------
// Items below hParent as "name" or "name[o<overlay>b]" (overlay when set, b
// when bold) with children in braces, siblings separated by ", ".
std::string DescribeTree(CTreeCtrl& tree, HTREEITEM hParent = nullptr, BOOL bMarks = FALSE);
// The item reached by names separated by "/", or null.
HTREEITEM FindItem(CTreeCtrl& tree, LPCSTR lpszPath);
int OverlayOf(CTreeCtrl& tree, HTREEITEM hItem);
BOOL IsBold(CTreeCtrl& tree, HTREEITEM hItem);
int ImageOf(CTreeCtrl& tree, HTREEITEM hItem);

// --- Input as the user gives it -----------------------------------------------------
void DoubleClickItem(CTreeCtrl& tree, HTREEITEM hItem);
void DoubleClickEmptySpace(CTreeCtrl& tree);
// A single click on the item's label (the control's own mouse handling runs).
void ClickItem(CTreeCtrl& tree, HTREEITEM hItem);
void PressKey(CWnd& wnd, UINT nVirtKey);
// Starts label editing as Rename does, types the text and ends the edit
// (bCancel: Escape).
void RenameThroughEdit(CTreeCtrl& tree, LPCSTR lpszText, BOOL bCancel = FALSE);

// A click (or double click) on an item's label through the program's loop.
void UserClickItem(CTreeCtrl& tree, LPCSTR lpszPath, BOOL bDouble = FALSE);
// Opens a note as the user does, a double click in the frame's tree, and
// clicks into its text; the note view, or null when none shows.
CQlcRichEditViewEx* OpenNoteAsUser(CChildFrame* pFrame, LPCSTR lpszPath);

// --- Menus as the user opens them ---------------------------------------------------
// Opens the frame's top-level menu whose text is lpszText (as "F&ormat") the
// way a click on it does: the frame is told the menu starts and the popup
// opens, and updates its items. Null when there is no such menu.
HMENU OpenMenu(CWnd* pFrame, LPCSTR lpszText);
struct CMenuItemState
{
    BOOL bFound;
    BOOL bEnabled;
    BOOL bChecked;
};
CMenuItemState ItemState(HMENU hMenu, UINT nID);
// What a popup menu tracked by this thread showed, read while it is open
// (the menu is then closed): from construction to destruction.
class CMenuWatch
{
public:
    CMenuWatch();
    ~CMenuWatch();

    HMENU hMenu = nullptr;
    RECT rcWindow = {};
    std::set<UINT> greyed;   // the greyed items' ids, submenus included
    int nSeen = 0;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static CMenuWatch* s_pThis;
    UINT_PTR m_nTimer;
};
// Chooses a menu item: the frame gets its command once the menu closes.
void ChooseMenuItem(CWnd* pFrame, UINT nID);
// The point in a note view's client area over character nChar.
POINT CharPoint(CRichEditCtrl& ctrl, long nChar);

// --- Notes ---------------------------------------------------------------------------
// The control's contents as RTF and as plain text.
std::string StreamOutRtf(CRichEditCtrl& ctrl);
std::string PlainText(CRichEditCtrl& ctrl);
// RTF of one paragraph of text.
std::string SimpleRtf(LPCSTR lpszText);
// A static picture object (an enhanced metafile of cx x cy) made by the
// document's item factory and inserted at the view's selection, as Insert
// Object does. S_OK with the item, or the failure (the system may make no
// such objects; nothing is left behind then).
HRESULT InsertStaticPicture(CQuillcrestDoc* pDoc, CQlcRichEditViewEx* pView, int cx, int cy,
                            CRichEditCntrItem** ppItem = nullptr);
// The format of the first occurrence of a word once the RTF is loaded into a
// rich-edit control (dwMask 0 when the word is not there).
CHARFORMAT2A FormatOfWord(const std::string& rtf, LPCSTR lpszWord);
// A file's bytes (read while the notebook holds it open).
std::string ReadFileBytes(LPCSTR lpszPath);
// The stored payload of a node (decoded), read through the core.
std::string ReadPayload(CQuillcrestDoc* pDoc, DWORD dwNodeId);
// The id of the first node with this name, or 0.
DWORD NodeIdByName(CQuillcrestDoc* pDoc, LPCSTR lpszName);
