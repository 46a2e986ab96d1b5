// The notebook document in the program's windows: opened by the document
// template into an MDI child frame, which it then asks for its note, its
// Tasks bar and its editor's modified state; closed through the frame; saved
// under a new name through the file prompt; a damaged notebook, which opens
// with a word on what is damaged; and the recent-file command with a wrong
// password, which keeps the entry.
#include "AppTestSupport.h"
#include "NotebookWindowSupport.h"

#include "app/CQlcPrompts.h"
#include "app/res/Resource.h"
#include "app/res/SetPasswordDlgRes.h"

#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"
#include "core/IQlcFrameCallbacks.h"

#include "framework/ui/CDialog.h"
#include "framework/docview/CDocManager.h"
#include "framework/ui/CMDIChildWnd.h"
#include "framework/docview/CMultiDocTemplate.h"
#include "framework/docview/CRecentFileList.h"
#include "framework/docview/CView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A child frame that is what the document asks for: it answers and records.
class CLifeChildFrame : public CMDIChildWnd, public IQlcFrameCallbacks
{
    DECLARE_DYNCREATE(CLifeChildFrame)
public:
    void OnDocumentLoaded() override { s_nLoaded++; }
    BOOL SaveCurrentNote() override
    {
        s_nNoteSaves++;
        return !s_bNoteSaveFails;
    }
    BOOL IsTasksBarVisible() override { return s_bTasksVisible; }
    void SetRichEditHostNames(LPCSTR lpszTitle) override { s_hostNames.push_back(lpszTitle); }
    BOOL IsEditorModified() override { return s_bEditorModified; }
    void UpdateTaskItem(DWORD) override {}
    void RefreshTreeNodeItem(DWORD) override {}
    void RedrawBlankArea() override {}

    static void Reset()
    {
        s_nLoaded = s_nNoteSaves = 0;
        s_bTasksVisible = s_bEditorModified = s_bNoteSaveFails = FALSE;
        s_hostNames.clear();
    }
    static int s_nLoaded;
    static int s_nNoteSaves;
    static BOOL s_bTasksVisible;
    static BOOL s_bEditorModified;
    static BOOL s_bNoteSaveFails;
    static std::vector<std::string> s_hostNames;
};

IMPLEMENT_DYNCREATE(CLifeChildFrame, CMDIChildWnd)

int CLifeChildFrame::s_nLoaded = 0;
int CLifeChildFrame::s_nNoteSaves = 0;
BOOL CLifeChildFrame::s_bTasksVisible = FALSE;
BOOL CLifeChildFrame::s_bEditorModified = FALSE;
BOOL CLifeChildFrame::s_bNoteSaveFails = FALSE;
std::vector<std::string> CLifeChildFrame::s_hostNames;

// The file prompt answered with the next name of a list (cancelled when it
// is empty).
class CAnsweringDocManager : public CDocManager
{
public:
    BOOL DoPromptFileName(CString& fileName, UINT, DWORD, BOOL, CDocTemplate*) override
    {
        ++nPrompts;
        if (names.empty())
            return FALSE;
        fileName = names.front();
        names.erase(names.begin());
        return TRUE;
    }
    std::vector<CString> names;
    int nPrompts = 0;
};

class DocLifeAppTest : public ::testing::Test
{
protected:
    CQlcApp& app = TestApp();
    CAnsweringDocManager* m_pManager = nullptr;
    char m_szDir[MAX_PATH] = {};

    void SetUp() override
    {
        CLifeChildFrame::Reset();
        ASSERT_NE(nullptr, MakeMainFrame());
        m_pManager = new CAnsweringDocManager;
        app.m_pDocManager = m_pManager;
        delete app.m_pRecentFileList;
        app.m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", 4);
        app.m_pDocumentClass = RUNTIME_CLASS(CQuillcrestDoc);

        char szTemp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, szTemp);
        wsprintfA(m_szDir, "%sqlclife-%lu", szTemp, ::GetCurrentProcessId());
        ::CreateDirectoryA(m_szDir, nullptr);
    }
    void TearDown() override
    {
        app.CloseAllDocuments(TRUE);
        DestroyMainFrame();
        delete app.m_pDocManager;
        app.m_pDocManager = nullptr;
        delete app.m_pRecentFileList;
        app.m_pRecentFileList = nullptr;
        QlcSetPrompts(nullptr);
        app.m_cryptHandler.Unload();
        PumpMessages();
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((std::string(m_szDir) + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE)
        {
            do
            {
                const std::string strFile = std::string(m_szDir) + "\\" + fd.cFileName;
                ::SetFileAttributesA(strFile.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(strFile.c_str());
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(m_szDir);
    }
    CString Path(LPCSTR lpszName) const { return CString(m_szDir) + "\\" + lpszName; }

    CMultiDocTemplate* AddLifeTemplate()
    {
        CMultiDocTemplate* pTemplate = new CMultiDocTemplate(IDR_QLCTYPE, RUNTIME_CLASS(CQuillcrestDoc),
                                                             RUNTIME_CLASS(CLifeChildFrame), RUNTIME_CLASS(CView));
        app.AddDocTemplate(pTemplate);
        return pTemplate;
    }
    // A notebook file with one note, made by a document of its own.
    void MakeNotebook(LPCSTR lpszPath, LPCSTR lpszPassword = nullptr)
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        CQlcNode note;
        note.Create(&doc, QLC_NODE_NOTE, "Note", 0);
        if (lpszPassword != nullptr)
        {
            ASSERT_TRUE(app.m_cryptHandler.IsLoaded());
            ASSERT_TRUE(doc.Data_SetFileEncryption(app.m_cryptHandler.m_pfnGetDefaultCipher(), 32,
                                                   app.m_cryptHandler.m_pfnGetDefaultHash(), lpszPassword,
                                                   (DWORD)strlen(lpszPassword)));
        }
        ASSERT_TRUE(doc.OnSaveDocument(lpszPath));
    }
    static BOOL IsHeld(LPCSTR lpszPath)
    {
        HANDLE h = ::CreateFileA(lpszPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return TRUE;
        ::CloseHandle(h);
        return FALSE;
    }
    static CQuillcrestDoc* OnlyDocument(CDocTemplate* pTemplate)
    {
        POSITION pos = pTemplate->GetFirstDocPosition();
        return pos ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pTemplate->GetNextDoc(pos)) : nullptr;
    }
};

} // namespace

TEST_F(DocLifeAppTest, TheTemplatesChildFrameIsTheDocumentsFrameUntilItClosesTheDocument)
{
    CRecordingPrompts prompts(IDNO);
    CMultiDocTemplate* pTemplate = AddLifeTemplate();
    const CString strPath = Path("framed.qlc");
    MakeNotebook(strPath);

    CQuillcrestDoc* pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strPath));
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(1, QlcApp().GetLastReadResult());
    POSITION pos = pDoc->GetFirstViewPosition();
    ASSERT_NE(nullptr, pos);
    CLifeChildFrame* pFrame = DYNAMIC_DOWNCAST(CLifeChildFrame, pDoc->GetNextView(pos)->GetParentFrame());
    ASSERT_NE(nullptr, pFrame);
    EXPECT_EQ(static_cast<IQlcFrameCallbacks*>(pFrame), pDoc->GetFrameCallbacks());
    EXPECT_EQ(1, CLifeChildFrame::s_nLoaded);
    EXPECT_STREQ("framed.qlc", pDoc->GetTitle());
    ASSERT_FALSE(CLifeChildFrame::s_hostNames.empty());
    EXPECT_EQ("framed.qlc", CLifeChildFrame::s_hostNames.back());
    EXPECT_TRUE(IsHeld(strPath));

    // A note edited in the frame makes the notebook modified.
    EXPECT_FALSE(pDoc->IsModified());
    CLifeChildFrame::s_bEditorModified = TRUE;
    EXPECT_TRUE(pDoc->IsModified());

    // The node clipboard holding this notebook is emptied when it closes.
    app.m_nodeClipboard.bHasContent = TRUE;
    app.m_nodeClipboard.dwNodeId = 1;
    QlcApp().SetHeldDocument(pDoc);
    EXPECT_EQ(pDoc, app.m_nodeClipboard.pDocument);

    // A note that cannot be stored keeps the window open.
    CLifeChildFrame::s_bNoteSaveFails = TRUE;
    pFrame->SendMessage(WM_CLOSE);
    PumpMessages();
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Warning: Could not verify correct saving of note data.", prompts.boxes[0].text);
    EXPECT_EQ(pDoc, OnlyDocument(pTemplate));
    prompts.boxes.clear();
    CLifeChildFrame::s_nNoteSaves = 0;
    CLifeChildFrame::s_bNoteSaveFails = FALSE;

    // Closing the frame stores the note, then asks to save (No).
    pFrame->SendMessage(WM_CLOSE);
    PumpMessages();
    EXPECT_EQ(1, CLifeChildFrame::s_nNoteSaves);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(std::string("Save changes to ") + (LPCSTR)strPath + "?", prompts.boxes[0].text);
    EXPECT_EQ(nullptr, OnlyDocument(pTemplate));
    EXPECT_FALSE(IsHeld(strPath));
    EXPECT_EQ(nullptr, QlcApp().GetHeldDocument());
    EXPECT_FALSE(app.m_nodeClipboard.bHasContent);
}

TEST_F(DocLifeAppTest, ADamagedNotebookOpensInItsWindowAndTheUserIsToldWhatIsDamaged)
{
    CRecordingPrompts prompts;
    AddLifeTemplate();
    const CString strPath = Path("damaged.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        CQlcNode note;
        note.Create(&doc, QLC_NODE_NOTE, "Lost note", 0);
        CQlcNodeData* pData = note.GetDataForWrite(FALSE);
        ASSERT_NE(nullptr, pData);
        const BYTE text[] = "some text";
        pData->Put(text, sizeof(text));
        ASSERT_TRUE(pData->Flush());
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
    }
    // The only node's stored size (its record follows magic and header)
    // now runs past the end of the file.
    HANDLE h = ::CreateFileA(strPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ::SetFilePointer(h, 36 + 76 + 20, nullptr, FILE_BEGIN);
    const DWORD dwHuge = 0x7FFFFFFF;
    DWORD dwWritten = 0;
    ::WriteFile(h, &dwHuge, 4, &dwWritten, nullptr);
    ::CloseHandle(h);

    CQuillcrestDoc* pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strPath));
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(1, QlcApp().GetLastReadResult());
    EXPECT_EQ(1, CLifeChildFrame::s_nLoaded);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(0u, prompts.boxes[0].text.find("1 node of this notebook is damaged; its contents cannot be read:\n"
                                             "    //Lost note\n\n"));
    EXPECT_EQ("Damaged Notebook", prompts.boxes[0].caption);
    EXPECT_EQ((UINT)MB_ICONWARNING, prompts.boxes[0].type & MB_ICONMASK);

    // Saved, the node stays with empty contents and nothing is told again.
    EXPECT_TRUE(pDoc->OnSaveDocument(strPath));
    app.CloseAllDocuments(TRUE);
    pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strPath));
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(1u, prompts.boxes.size());
    CQlcNode note(pDoc, 1);
    EXPECT_STREQ("Lost note", note.GetName());
    EXPECT_FALSE(note.HasData());
}

TEST_F(DocLifeAppTest, AFrameThatIsNoNotebookFrameGivesNoFrameCallbacks)
{
    CRecordingPrompts prompts;
    CMultiDocTemplate* pTemplate = new CMultiDocTemplate(IDR_QLCTYPE, RUNTIME_CLASS(CQuillcrestDoc),
                                                         RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CView));
    app.AddDocTemplate(pTemplate);
    const CString strPath = Path("plain.qlc");
    MakeNotebook(strPath);
    CQuillcrestDoc* pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strPath));
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ(pDoc, OnlyDocument(pTemplate));
    EXPECT_TRUE(pDoc->HasViews());
    EXPECT_EQ(nullptr, pDoc->GetFrameCallbacks());
    EXPECT_EQ(1u, pDoc->GetHeader().dwNodeCount);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(DocLifeAppTest, SaveOfANewNotebookAsksForANameAndAReadOnlyOneForAnother)
{
    CRecordingPrompts prompts(IDYES);
    CMultiDocTemplate* pTemplate = AddLifeTemplate();
    CQuillcrestDoc* pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, pTemplate->OpenDocumentFile(nullptr));
    ASSERT_NE(nullptr, pDoc);
    CLifeChildFrame::s_bTasksVisible = TRUE;
    CQlcNode folder;
    folder.Create(pDoc, QLC_NODE_FOLDER, "Folder", 0);
    ASSERT_TRUE(pDoc->IsModified());

    const CString strFirst = Path("first.qlc");
    m_pManager->names.push_back(strFirst);
    EXPECT_TRUE(pDoc->OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(1, m_pManager->nPrompts);
    EXPECT_STREQ(strFirst, pDoc->GetPathName());
    EXPECT_STREQ("first.qlc", pDoc->GetTitle());
    EXPECT_EQ("first.qlc", CLifeChildFrame::s_hostNames.back());
    EXPECT_EQ(strFirst, (*app.m_pRecentFileList)[0]);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(1, CLifeChildFrame::s_nNoteSaves);
    EXPECT_EQ((DWORD)QLC_FILEFLAG_TASKBAR, pDoc->GetFileFlags());
    EXPECT_TRUE(prompts.boxes.empty());

    // The file turned read-only: Save asks, Yes saves under another name.
    ASSERT_TRUE(::SetFileAttributesA(strFirst, FILE_ATTRIBUTE_READONLY));
    pDoc->SetModified(TRUE);
    const CString strSecond = Path("second.qlc");
    m_pManager->names.push_back(strSecond);
    EXPECT_TRUE(pDoc->OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr, nullptr));
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(std::string("The file '") + (LPCSTR)strFirst +
                  "' is read-only and has not been saved.\n\nWould you like to save it to a different location?",
              prompts.boxes[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), prompts.boxes[0].type);
    EXPECT_STREQ(strSecond, pDoc->GetPathName());
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_TRUE(IsHeld(strSecond));
    EXPECT_FALSE(IsHeld(strFirst)) << "the notebook moved to the new file";

    // A cancelled Save As says the file has not been saved.
    EXPECT_TRUE(pDoc->OnCmdMsg(ID_FILE_SAVE_AS, CN_COMMAND, nullptr, nullptr));
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_EQ(std::string("Warning, file '") + (LPCSTR)strSecond + "' has not been saved.", prompts.boxes[1].text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, prompts.boxes[1].type);

    // The saved notebook opens with its Tasks bar flag.
    app.CloseAllDocuments(FALSE);
    PumpMessages();
    CLifeChildFrame::Reset();
    pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strSecond));
    ASSERT_NE(nullptr, pDoc);
    EXPECT_EQ((DWORD)QLC_FILEFLAG_TASKBAR, pDoc->GetFileFlags());
    EXPECT_EQ(1u, pDoc->GetHeader().dwNodeCount);
}

TEST_F(DocLifeAppTest, ANotebookWhoseImportWasStoppedByForceIsNeverSavedOverItsFile)
{
    const CString strOwn = Path("own.qlc");
    MakeNotebook(strOwn);
    const std::string before = ReadFileBytes(strOwn);
    ASSERT_FALSE(before.empty());
    AddLifeTemplate();
    CQuillcrestDoc* pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strOwn));
    ASSERT_NE(nullptr, pDoc);
    CQlcNode folder;
    folder.Create(pDoc, QLC_NODE_FOLDER, "Half imported", 0);
    // As after the processing dialog terminated a worker that did not stop.
    pDoc->Data_RecoverFromTerminatedThread(0);
    ASSERT_TRUE(pDoc->IsPossiblyDamaged());

    CRecordingPrompts prompts(IDOK);
    const std::string strWhy = std::string("An import into this notebook was stopped by force, so the notebook may be "
                                           "incomplete or damaged.\n\nTo keep the file '") +
                               (LPCSTR)strOwn + "' as it was, the notebook is not saved over it. Choose a new name to "
                                                "save it to.";
    // Save says why and asks for a name; the same name is refused.
    m_pManager->names.push_back(strOwn);
    EXPECT_TRUE(pDoc->OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(1, m_pManager->nPrompts);
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_EQ(strWhy, prompts.boxes[0].text);
    EXPECT_EQ(std::string("The notebook was not saved to '") + (LPCSTR)strOwn +
                  "': an import into it was stopped by force, and it is never saved over the file it was opened "
                  "from. Choose a new name.",
              prompts.boxes[1].text);
    EXPECT_TRUE(pDoc->IsModified());

    // A new name takes the notebook; the file it came from stays as it was.
    const CString strNew = Path("rescued.qlc");
    m_pManager->names.push_back(strNew);
    EXPECT_TRUE(pDoc->OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(2, m_pManager->nPrompts);
    ASSERT_EQ(3u, prompts.boxes.size());
    EXPECT_EQ(strWhy, prompts.boxes[2].text);
    EXPECT_STREQ(strNew, pDoc->GetPathName());
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(before, ReadFileBytes(strOwn));
    // Later saves go to the new file without a word.
    pDoc->SetModified(TRUE);
    EXPECT_TRUE(pDoc->OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(2, m_pManager->nPrompts);
    EXPECT_EQ(3u, prompts.boxes.size());
    EXPECT_FALSE(pDoc->IsModified());
    app.CloseAllDocuments(FALSE);
    PumpMessages();

    // Reopened from the rescued file, it holds the folder; the own file not.
    CQuillcrestDoc rescued;
    ASSERT_TRUE(rescued.Data_OpenNotebookFile(strNew));
    ASSERT_EQ(1, rescued.Data_ReadFile());
    EXPECT_EQ(2, rescued.Data_GetNodeCount());
}

TEST_F(DocLifeAppTest, ClosingANotebookKeptFromItsFileAsksForANewNameWhenTheUserSaves)
{
    const CString strOwn = Path("closing.qlc");
    MakeNotebook(strOwn);
    const std::string before = ReadFileBytes(strOwn);
    ASSERT_FALSE(before.empty());
    AddLifeTemplate();
    CQuillcrestDoc* pDoc = DYNAMIC_DOWNCAST(CQuillcrestDoc, app.OpenDocumentFile(strOwn));
    ASSERT_NE(nullptr, pDoc);
    pDoc->Data_RecoverFromTerminatedThread(0);

    // "Save changes?" Yes: the reason, then the name prompt (cancelled
    // here), and the notebook stays open.
    CRecordingPrompts prompts(IDYES);
    EXPECT_FALSE(pDoc->SaveModified());
    EXPECT_EQ(1, m_pManager->nPrompts);
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[1].text.find("stopped by force"));
    pDoc->SetModified(FALSE);
    app.CloseAllDocuments(FALSE);
    PumpMessages();
    EXPECT_EQ(before, ReadFileBytes(strOwn));
}

TEST_F(DocLifeAppTest, TheRecentEntryOfANotebookWithAWrongPasswordStays)
{
    CRecordingPrompts prompts;
    ASSERT_TRUE(app.m_cryptHandler.Load());
    CQlcPrompts appPrompts;
    QlcSetPrompts(&appPrompts);
    AddLifeTemplate();
    const CString strSecret = Path("secret.qlc");
    MakeNotebook(strSecret, "open sesame");
    app.m_pRecentFileList->Add(Path("gone.qlc"));
    app.m_pRecentFileList->Add(strSecret);

    // The password dialog gets the wrong password.
    std::vector<std::string> typed = { "open barley", "open sesame" };
    int nDialogs = 0;
    CScriptedDialogs dialogs([&](CWnd* pDlg) {
        ::SetDlgItemTextA(pDlg->m_hWnd, IDC_PASSWORD_FIRST, typed.at(nDialogs++).c_str());
        ClickButton(pDlg, IDOK);
    });
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(1, nDialogs);
    EXPECT_EQ(2, QlcApp().GetLastReadResult());
    EXPECT_EQ(0, app.GetOpenDocumentCount());
    EXPECT_EQ(strSecret, (*app.m_pRecentFileList)[0]);
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Incorrect Password - Access Denied", prompts.boxes[0].text);
    EXPECT_FALSE(IsHeld(strSecret));

    // A file that is gone leaves the list.
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE2, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(0, QlcApp().GetLastReadResult());
    EXPECT_TRUE((*app.m_pRecentFileList)[1].IsEmpty());
    EXPECT_EQ("Failed to open file", prompts.boxes.back().text);

    // The right password opens it.
    EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(2, nDialogs);
    EXPECT_EQ(1, QlcApp().GetLastReadResult());
    EXPECT_EQ(1, app.GetOpenDocumentCount());
}
