// The notebook document's lifecycle driven without windows: a new notebook's
// header, the modified state, title and held document, opening (read results,
// messages, what stays held), saving (read-only and held targets, the frame's
// note and Tasks bar, failures that change nothing), the Save and Save As
// commands, and the removal of the temporary files with zeros first.
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQlcTempFile.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

#include "framework/base/CCmdUI.h"
#include "framework/base/CFileException.h"
#include "framework/res/AfxRes.h"
#include "imaging/PLTextException.h"

#include "CryptTestSupport.h"
#include "DocLifeSupport.h"
#include "DocOpsSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

const UINT kLoadBoxStyle = MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING;

class DocLifeTest : public ::testing::Test
{
protected:
    CTempDir dir;
    CTestPrompts prompts;
    CAfxBoxes afx;

    void SetUp() override { QlcApp().SetLastReadResult(-1); }

    // A small plain notebook: one folder and one note with text.
    void MakeNotebook(LPCSTR lpszPath, LPCSTR lpszText = "{\\rtf1 kept}")
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "Folder");
        const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Note", dwFolder);
        ASSERT_TRUE(WriteNodeData(doc, dwNote, Bytes(lpszText, lpszText + strlen(lpszText)), TRUE));
        ASSERT_TRUE(doc.OnSaveDocument(lpszPath));
    }
    std::string NoteText(CQuillcrestDoc& doc)
    {
        const Bytes data = ReadNodeData(doc, FindNodeByName(doc, "Note"));
        return std::string(data.begin(), data.end());
    }
    void ExpectBox(const CTestPrompts::CBox& box, const std::string& text, UINT nType)
    {
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(nType, box.nType);
    }
};

// Records what an update handler (or the lack of one) made of a command.
class CRecordingCmdUI : public CCmdUI
{
public:
    explicit CRecordingCmdUI(UINT nID) { m_nID = nID; }
    void Enable(BOOL bOn = TRUE) override
    {
        m_bEnableChanged = TRUE;
        nEnabled = bOn ? 1 : 0;
    }
    int nEnabled = -1;
};

// A document whose logo decoder fails in a way the file reader does not
// expect, standing in for any damage that throws past the reader.
class CThrowingLogoDoc : public CQuillcrestDoc
{
public:
    int nKind = 0;

protected:
    BOOL DecodeLogo(const BYTE*, size_t) override
    {
        if (nKind == 0)
            throw PLTextException(PL_ERR_UNKNOWN_TYPE, "unknown format");
        throw std::runtime_error("unexpected");
    }
};

} // namespace

// --- New, modified, title, held document ------------------------------------------

TEST_F(DocLifeTest, ANewNotebookHasTheMagicVersionSixAnEmptyHeaderAndTodaysCreationTime)
{
    SYSTEMTIME stNow;
    GetSystemTime(&stNow);
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());

    EXPECT_STREQ("Quillcrest File", doc.GetMagic());
    const QLCFILEHEADER& h = doc.GetHeader();
    EXPECT_EQ(6u, h.dwVersion);
    EXPECT_EQ(0u, h.dwNodeCount);
    EXPECT_EQ(0u, h.dwLogoOffset);
    EXPECT_EQ(0u, h.dwLogoLength);
    EXPECT_EQ(0u, h.dwReserved1);
    EXPECT_EQ(0u, h.dwBookmarkOffset);
    EXPECT_EQ(0u, h.dwFileFlags);
    EXPECT_EQ(0u, h.dwSectionTableOffset);
    EXPECT_EQ(0u, h.dwReserved2);
    EXPECT_EQ(0u, h.wSortOption1);
    EXPECT_EQ(0u, h.wSortOption2);
    EXPECT_EQ(0u, h.dwKeywordOffset);
    EXPECT_EQ(stNow.wYear, h.stCreated.wYear);
    EXPECT_EQ(stNow.wMonth, h.stCreated.wMonth);
    const SYSTEMTIME stZero = {};
    EXPECT_EQ(0, memcmp(&stZero, &h.stModified, sizeof(stZero)));
    const QLCSECTIONTABLE zeroSections = {};
    const QLCSECTIONTABLE sections = doc.GetSectionTable();
    EXPECT_EQ(0, memcmp(&zeroSections, &sections, sizeof(zeroSections)));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.GetPathName().IsEmpty());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(DocLifeTest, ModifiedIsTheOwnFlagOrElseTheEditorsAndTheFrameworkCannotMarkIt)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_FALSE(doc.IsModified());
    doc.SetModifiedFlag(TRUE);
    EXPECT_FALSE(doc.IsModified());

    AddNode(doc, QLC_NODE_FOLDER, "Folder");
    EXPECT_TRUE(doc.IsModified());
    doc.SetModified(FALSE);
    EXPECT_FALSE(doc.IsModified());

    CLifeFrame frame(doc);
    frame.bEditorModified = TRUE;
    EXPECT_TRUE(doc.IsModified()) << "a note edited on screen";
    frame.bEditorModified = FALSE;
    EXPECT_FALSE(doc.IsModified());
    doc.SetModified(TRUE);
    EXPECT_TRUE(doc.IsModified()) << "the own flag is asked first";
}

TEST_F(DocLifeTest, TheFrameIsTheOneSetAndNoneWithoutViews)
{
    CQuillcrestDoc doc;
    EXPECT_EQ(nullptr, doc.GetFrameCallbacks());
    {
        CLifeFrame frame(doc);
        EXPECT_EQ(&frame, doc.GetFrameCallbacks());
    }
    EXPECT_EQ(nullptr, doc.GetFrameCallbacks());
}

TEST_F(DocLifeTest, TheTitleReachesTheEditorsHostNames)
{
    CQuillcrestDoc doc;
    CLifeFrame frame(doc);
    doc.SetTitle("Recipes");
    EXPECT_STREQ("Recipes", doc.GetTitle());
    doc.SetPathName(dir.Path("Journal.qlc"), FALSE);
    EXPECT_STREQ("Journal.qlc", doc.GetTitle());
    EXPECT_EQ((std::vector<std::string>{ "Recipes", "Journal.qlc" }), frame.hostNames);
}

TEST_F(DocLifeTest, TheHeldDocumentIsForgottenWhenItsContentsGoOrItIsDestroyed)
{
    CQuillcrestDoc other;
    CQuillcrestDoc* pDoc = new CQuillcrestDoc;

    QlcApp().SetHeldDocument(&other);
    pDoc->DeleteContents();
    EXPECT_EQ(&other, QlcApp().GetHeldDocument()) << "another document's hold stays";

    QlcApp().SetHeldDocument(pDoc);
    pDoc->DeleteContents();
    EXPECT_EQ(nullptr, QlcApp().GetHeldDocument());

    QlcApp().SetHeldDocument(pDoc);
    ASSERT_TRUE(pDoc->OnNewDocument());
    EXPECT_EQ(nullptr, QlcApp().GetHeldDocument());

    QlcApp().SetHeldDocument(pDoc);
    delete pDoc;
    EXPECT_EQ(nullptr, QlcApp().GetHeldDocument());
}

// --- Opening ----------------------------------------------------------------------------

TEST_F(DocLifeTest, OpeningReadsTheNotebookKeepsItOpenUnsharedAndTellsTheFrame)
{
    const CString strPath = dir.Path("open.qlc");
    MakeNotebook(strPath, "{\\rtf1 hello}");
    {
        CQuillcrestDoc doc;
        CLifeFrame frame(doc);
        ASSERT_TRUE(doc.OnOpenDocument(strPath));
        EXPECT_EQ(1, QlcApp().GetLastReadResult());
        EXPECT_EQ(1, frame.nLoaded);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(2u, doc.GetHeader().dwNodeCount);
        EXPECT_EQ("{\\rtf1 hello}", NoteText(doc));
        EXPECT_FALSE(CanOpenForWriting(strPath)) << "the notebook is held while it is open";
    }
    EXPECT_TRUE(CanOpenForWriting(strPath));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_TRUE(afx.boxes.empty());
}

TEST_F(DocLifeTest, AMissingFileFailsToOpenWithItsMessageAndCountsAsNoNotebook)
{
    CQuillcrestDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.Path("missing.qlc")));
    EXPECT_EQ(0, QlcApp().GetLastReadResult());
    ASSERT_EQ(1u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0], "Failed to open file", kLoadBoxStyle);
    EXPECT_EQ("Load Failed", prompts.boxes[0].caption);
    EXPECT_EQ(nullptr, prompts.boxes[0].hOwner);
    EXPECT_TRUE(afx.boxes.empty());
}

TEST_F(DocLifeTest, AFileHeldBySomeoneElseIsRefusedAndKeepsItsRecentEntry)
{
    const CString strPath = dir.Path("held.qlc");
    MakeNotebook(strPath);
    HANDLE hHold = CreateFileA(strPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
    CQuillcrestDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(strPath));
    CloseHandle(hHold);
    EXPECT_EQ(2, QlcApp().GetLastReadResult());
    ASSERT_EQ(1u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0], "Failed to open file", kLoadBoxStyle);
}

TEST_F(DocLifeTest, AFileThatIsNoNotebookIsNotOpenedNorKeptOpen)
{
    const CString strPath = dir.Path("letter.qlc");
    const char szText[] = "Dear Ann, this is a letter and no notebook.";
    WriteFileBytes(strPath, Bytes(szText, szText + sizeof(szText)));
    CQuillcrestDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(strPath));
    EXPECT_EQ(0, QlcApp().GetLastReadResult());
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(std::string("Failed to open '") + (LPCSTR)strPath + "'.\n\nThis file is not a Varlo Quillcrest file.",
              prompts.boxes[0].text);
    EXPECT_TRUE(afx.boxes.empty());
    EXPECT_TRUE(CanOpenForWriting(strPath));
}

TEST_F(DocLifeTest, ADamagedNotebookIsReportedAsDamagedAndReleased)
{
    const CString strPath = dir.Path("damaged.qlc");
    MakeNotebook(strPath);
    Bytes bytes = ReadFileBytes(strPath);
    bytes.resize(kNodeTable + 20); // the node table ends in its first record
    WriteFileBytes(strPath, bytes);

    CQuillcrestDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(strPath));
    EXPECT_EQ(0, QlcApp().GetLastReadResult());
    EXPECT_TRUE(prompts.boxes.empty());
    ASSERT_EQ(1u, afx.boxes.size());
    EXPECT_EQ(std::string((LPCSTR)strPath) + " is damaged or is not a file this program can read.", afx.boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, afx.boxes[0].nType);
    EXPECT_TRUE(CanOpenForWriting(strPath));
}

TEST_F(DocLifeTest, ErrorsOutsideTheFileLayerNeverEscapeTheOpen)
{
    // A notebook with a logo, so that the logo decoder runs.
    const CString strPath = dir.Path("logo.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        WriteFileBytes(dir.Path("logo.bmp"), EncodeTestPicture(1, 8, 8, 1));
        doc.LoadLogoFromFile(dir.Path("logo.bmp"));
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
    }
    for (int nKind = 0; nKind < 2; ++nKind)
    {
        afx.boxes.clear();
        CThrowingLogoDoc doc;
        doc.nKind = nKind;
        BOOL bResult = TRUE;
        EXPECT_NO_THROW(bResult = doc.OnOpenDocument(strPath));
        EXPECT_FALSE(bResult);
        EXPECT_EQ(0, QlcApp().GetLastReadResult());
        ASSERT_EQ(1u, afx.boxes.size());
        EXPECT_EQ(nKind == 0 ? std::string((LPCSTR)strPath) + " is damaged or is not a file this program can read."
                             : std::string("Failed to open document."),
                  afx.boxes[0].text);
        EXPECT_TRUE(CanOpenForWriting(strPath));
    }
}

TEST_F(DocLifeTest, AWrongOrCancelledPasswordRefusesTheNotebookAndLeavesNoCopy)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    const CString strPath = dir.Path("secret.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        AddNode(doc, QLC_NODE_FOLDER, "Folder");
        ASSERT_TRUE(doc.Data_SetFileEncryption(crypt.handler.m_pfnGetDefaultCipher(), 32,
                                               crypt.handler.m_pfnGetDefaultHash(), "right", 5));
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
    }
    CTempFilesWatch temps;
    {
        CQuillcrestDoc doc;
        prompts.passwords.push_back("wrong");
        EXPECT_FALSE(doc.OnOpenDocument(strPath));
        EXPECT_EQ(2, QlcApp().GetLastReadResult());
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Incorrect Password - Access Denied", prompts.boxes[0].text);
        EXPECT_TRUE(CanOpenForWriting(strPath));
    }
    {
        CQuillcrestDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(strPath)); // no password given: cancelled
        EXPECT_EQ(2, QlcApp().GetLastReadResult());
    }
    EXPECT_EQ(2, prompts.nPasswordRequests);
    EXPECT_TRUE(afx.boxes.empty());
    EXPECT_TRUE(temps.Added().empty());
}

// --- Saving -----------------------------------------------------------------------------

TEST_F(DocLifeTest, SavingANewNotebookCreatesTheFileHoldsItAndClearsModified)
{
    const CString strPath = dir.Path("new.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Note");
        ASSERT_TRUE(WriteNodeData(doc, dwNote, Bytes(300, 'x'), TRUE));
        ASSERT_TRUE(doc.IsModified());
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
        EXPECT_FALSE(doc.IsModified());
        EXPECT_STREQ(strPath, doc.Data_GetNotebookPath());
        EXPECT_FALSE(CanOpenForWriting(strPath)) << "held for writing, shared for reading";
        EXPECT_FALSE(ReadFileBytes(strPath).empty());
    }
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(strPath));
    EXPECT_EQ(std::string(300, 'x'), NoteText(doc));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_TRUE(afx.boxes.empty());
}

TEST_F(DocLifeTest, SavingToAReadOnlyFileFailsSilentlyAndChangesNothing)
{
    const CString strPath = dir.Path("readonly.qlc");
    MakeNotebook(strPath);
    const Bytes before = ReadFileBytes(strPath);
    ASSERT_TRUE(SetFileAttributesA(strPath, FILE_ATTRIBUTE_READONLY));

    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_FOLDER, "Other");
    EXPECT_FALSE(doc.OnSaveDocument(strPath));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.Data_GetNotebookPath().IsEmpty());
    EXPECT_TRUE(before == ReadFileBytes(strPath));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_TRUE(afx.boxes.empty());
    SetFileAttributesA(strPath, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DocLifeTest, ANewNotebookThatCannotTakeItsFileSaysItIsReadOnlyOrOpenedBySomeoneElse)
{
    const CString strPath = dir.Path("taken.qlc");
    MakeNotebook(strPath);
    const Bytes before = ReadFileBytes(strPath);
    HANDLE hHold = CreateFileA(strPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);

    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_FOLDER, "Other");
    EXPECT_FALSE(doc.OnSaveDocument(strPath));
    CloseHandle(hHold);
    const CString strNoFolder = dir.Path("no such folder\\new.qlc");
    EXPECT_FALSE(doc.OnSaveDocument(strNoFolder));

    ASSERT_EQ(2u, afx.boxes.size());
    EXPECT_EQ(std::string("Unable to write to ") + (LPCSTR)strPath + ", it is read-only or opened by someone else.",
              afx.boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, afx.boxes[0].nType);
    EXPECT_EQ(std::string("Unable to write to ") + (LPCSTR)strNoFolder +
                  ", it is read-only or opened by someone else.",
              afx.boxes[1].text);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(before == ReadFileBytes(strPath));
    EXPECT_FALSE(FileExists(strNoFolder));
    EXPECT_TRUE(prompts.boxes.empty());

    // The file free again, the same document saves.
    EXPECT_TRUE(doc.OnSaveDocument(strPath));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocLifeTest, ANewNotebookWhoseWriteFailsLeavesNoFileBehind)
{
    const CString strPath = dir.Path("broken.qlc");
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // A payload said to lie in a source file the new notebook does not have.
    const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Note");
    QLCNODE node;
    ASSERT_TRUE(doc.Data_GetNode(dwNote, node));
    node.dwStoredSize = node.dwPlainSize = 100;
    doc.Data_SetNode(dwNote, node);
    const QLCDATALOC loc = { 1, 0, 0, 40 };
    doc.Data_SetDataLoc(dwNote, loc);

    EXPECT_FALSE(doc.OnSaveDocument(strPath));
    EXPECT_FALSE(FileExists(strPath));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.Data_GetNotebookPath().IsEmpty());
    ASSERT_EQ(1u, afx.boxes.size());
    EXPECT_EQ("Failed to save document.", afx.boxes[0].text);

    // Without the broken node the notebook saves.
    doc.Data_DeleteNode(dwNote);
    EXPECT_TRUE(doc.OnSaveDocument(strPath));
    EXPECT_TRUE(FileExists(strPath));
}

TEST_F(DocLifeTest, SavingStoresTheFramesNoteFirstAndRecordsTheTasksBar)
{
    const CString strPath = dir.Path("frame.qlc");
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Note");
        CLifeFrame frame(doc);
        frame.bTasksVisible = TRUE;
        frame.onSave = [&]() { WriteNodeData(doc, dwNote, Bytes(5000, 'n'), TRUE); };
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
        EXPECT_EQ(1, frame.nSaves);
        EXPECT_EQ((DWORD)QLC_FILEFLAG_TASKBAR, doc.GetFileFlags());
    }
    {
        CQuillcrestDoc doc;
        CLifeFrame frame(doc);
        ASSERT_TRUE(doc.OnOpenDocument(strPath));
        EXPECT_EQ(std::string(5000, 'n'), NoteText(doc)) << "the note stored by the frame was saved";
        EXPECT_EQ((DWORD)QLC_FILEFLAG_TASKBAR, doc.GetFileFlags());
        frame.bTasksVisible = FALSE;
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
        EXPECT_EQ(1, frame.nSaves);
    }
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(strPath));
    EXPECT_EQ(0u, doc.GetFileFlags());
}

TEST_F(DocLifeTest, ANoteThatCannotBeStoredStopsTheSaveAndSaysSo)
{
    const CString strPath = dir.Path("note.qlc");
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_NOTE, "Note");
    CLifeFrame frame(doc);
    frame.bSaveResult = FALSE;
    frame.bEditorModified = TRUE;
    EXPECT_FALSE(doc.OnSaveDocument(strPath));
    EXPECT_FALSE(FileExists(strPath));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(1u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0], "Warning: Could not verify correct saving of note data.", MB_OK | MB_ICONWARNING);
    EXPECT_TRUE(afx.boxes.empty());
}

TEST_F(DocLifeTest, AFailedSaveOfAnOpenNotebookChangesNothingAndCanBeRepeated)
{
    const CString strPath = dir.Path("busy.qlc");
    MakeNotebook(strPath, "{\\rtf1 first}");
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(strPath));
    ASSERT_TRUE(doc.OnSaveDocument(strPath)); // from now on shared for reading
    const DWORD dwNote = FindNodeByName(doc, "Note");
    ASSERT_TRUE(WriteNodeData(doc, dwNote, Bytes(7000, 's'), TRUE));
    const Bytes before = ReadFileBytes(strPath);

    HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
    EXPECT_FALSE(doc.OnSaveDocument(strPath));
    CloseHandle(hHold);

    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(before == ReadFileBytes(strPath));
    EXPECT_EQ(std::string(7000, 's'), NoteText(doc));
    // One message, with the cause.
    EXPECT_TRUE(afx.boxes.empty());
    ASSERT_EQ(1u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0],
              std::string("Warning, file '") + (LPCSTR)strPath +
                  "' has not been saved.\n\nThe file could not be replaced; another program may be using it. It was "
                  "left as it was.",
              MB_ICONEXCLAMATION);
    prompts.boxes.clear();

    EXPECT_TRUE(doc.OnSaveDocument(strPath));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(before == ReadFileBytes(strPath));
}

// --- Commands ---------------------------------------------------------------------------

TEST_F(DocLifeTest, SaveWritesToTheDocumentsPathThroughItsCommand)
{
    const CString strPath = dir.Path("command.qlc");
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_FOLDER, "Folder");
    doc.SetPathName(strPath, FALSE);
    EXPECT_TRUE(doc.OnCmdMsg(ID_FILE_SAVE, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(FileExists(strPath));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_STREQ(strPath, doc.GetPathName());
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_TRUE(afx.boxes.empty());
}

TEST_F(DocLifeTest, SaveOfAReadOnlyFileAsksToSaveElsewhere)
{
    const CString strPath = dir.Path("locked.qlc");
    MakeNotebook(strPath);
    const Bytes before = ReadFileBytes(strPath);
    ASSERT_TRUE(SetFileAttributesA(strPath, FILE_ATTRIBUTE_READONLY));
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddNode(doc, QLC_NODE_FOLDER, "Folder");
    doc.SetPathName(strPath, FALSE);

    const std::string strQuestion = std::string("The file '") + (LPCSTR)strPath +
                                    "' is read-only and has not been saved.\n\nWould you like to save it to a "
                                    "different location?";
    prompts.answers.push_back(IDNO);
    doc.OnFileSave();
    ASSERT_EQ(1u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0], strQuestion, MB_YESNO | MB_ICONQUESTION);

    // Yes goes on to Save As; with no file dialog here that fails and says so.
    prompts.boxes.clear();
    prompts.answers.push_back(IDYES);
    doc.OnFileSave();
    ASSERT_EQ(2u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0], strQuestion, MB_YESNO | MB_ICONQUESTION);
    ExpectBox(prompts.boxes[1], std::string("Warning, file '") + (LPCSTR)strPath + "' has not been saved.",
              MB_ICONEXCLAMATION);
    EXPECT_TRUE(before == ReadFileBytes(strPath));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(afx.boxes.empty());
    SetFileAttributesA(strPath, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DocLifeTest, ASaveThatFailsIsReportedOnceWithItsCause)
{
    const CString strPath = dir.Path("warn.qlc");
    MakeNotebook(strPath);
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(strPath));
    ASSERT_TRUE(doc.OnSaveDocument(strPath));
    doc.SetPathName(strPath, FALSE);
    AddNode(doc, QLC_NODE_FOLDER, "Folder");

    HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
    doc.OnFileSave();
    CloseHandle(hHold);
    EXPECT_TRUE(afx.boxes.empty());
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ(0u, prompts.boxes[0].text.find(std::string("Warning, file '") + (LPCSTR)strPath +
                                             "' has not been saved.\n\nThe file could not be replaced"));
    EXPECT_TRUE(doc.IsModified());

    // A failure with an error of its own is told once too, by the error.
    prompts.boxes.clear();
    const CString strNowhere = dir.Path("no such folder\\warn.qlc");
    doc.SetPathName(strNowhere, FALSE);
    doc.OnFileSave();
    EXPECT_EQ(1u, afx.boxes.size() + prompts.boxes.size());
}

TEST_F(DocLifeTest, SaveWithoutAPathAndSaveAsThatFailSayTheFileWasNotSaved)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // No file dialog in this program: Save As fails.
    EXPECT_FALSE(doc.FileSaveAs());
    EXPECT_TRUE(prompts.boxes.empty());
    doc.OnFileSave();
    ASSERT_EQ(1u, prompts.boxes.size());
    ExpectBox(prompts.boxes[0], "Warning, file has not been saved.", MB_ICONEXCLAMATION);

    const CString strPath = dir.Path("named.qlc");
    doc.SetPathName(strPath, FALSE);
    EXPECT_TRUE(doc.OnCmdMsg(ID_FILE_SAVE_AS, CN_COMMAND, nullptr, nullptr));
    ASSERT_EQ(2u, prompts.boxes.size());
    ExpectBox(prompts.boxes[1], std::string("Warning, file '") + (LPCSTR)strPath + "' has not been saved.",
              MB_ICONEXCLAMATION);
}

namespace {

// The notebook options as the user would close them, without a window.
class COptionsServices : public CQlcAppServices
{
public:
    explicit COptionsServices(CCryptDLLHandler* pCrypt) : m_pPrevious(QlcSetApp(this)) { SetCryptHandler(pCrypt); }
    ~COptionsServices() override { QlcSetApp(m_pPrevious); }
    BOOL RunNotebookOptions(CQuillcrestDoc* pDoc, QLCCRYPTCHOICE& crypt) override
    {
        nRuns++;
        pShown = pDoc;
        crypt = answer;
        return bOk;
    }
    BOOL bOk = TRUE;
    QLCCRYPTCHOICE answer;
    int nRuns = 0;
    CQuillcrestDoc* pShown = nullptr;

private:
    CQlcAppServices* m_pPrevious;
};

} // namespace

TEST_F(DocLifeTest, FilePropertiesHasAHandlerBesideTheSaveCommands)
{
    CQuillcrestDoc doc;
    const UINT ids[] = { ID_FILE_PROPERTIES, ID_FILE_SAVE, ID_FILE_SAVE_AS };
    for (UINT nID : ids)
    {
        CRecordingCmdUI cmd(nID);
        cmd.DoUpdate(&doc, TRUE);
        EXPECT_EQ(1, cmd.nEnabled) << nID;
    }
    // Without a user interface nothing is shown and nothing changes.
    ASSERT_TRUE(doc.OnNewDocument());
    doc.SetModified(FALSE);
    EXPECT_TRUE(doc.OnCmdMsg(ID_FILE_PROPERTIES, CN_COMMAND, nullptr, nullptr));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(DocLifeTest, FilePropertiesSetsUpTheEncryptionTheOptionsChose)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    COptionsServices options(&crypt.handler);
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.SetModified(FALSE);

    // Cancelled: nothing.
    options.bOk = FALSE;
    options.answer.bChanged = TRUE;
    options.answer.dwCipherId = crypt.handler.m_pfnGetDefaultCipher();
    options.answer.dwHashId = crypt.handler.m_pfnGetDefaultHash();
    options.answer.dwKeyLength = 32;
    options.answer.strPassword = "chosen";
    doc.OnCmdMsg(ID_FILE_PROPERTIES, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(1, options.nRuns);
    EXPECT_EQ(&doc, options.pShown);
    EXPECT_FALSE(doc.IsEncryptedNotebook());
    EXPECT_FALSE(doc.IsModified());

    // OK: set up for the next save, which a close must now ask for.
    options.bOk = TRUE;
    doc.OnCmdMsg(ID_FILE_PROPERTIES, CN_COMMAND, nullptr, nullptr);
    EXPECT_TRUE(doc.IsEncryptedNotebook());
    EXPECT_EQ(options.answer.dwCipherId, doc.GetCryptHeader().dwCipherId);
    EXPECT_EQ(32u, doc.GetCryptHeader().dwKeyLength);
    EXPECT_NE(0u, doc.GetCryptHeader().dwCheckBlockLength);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(prompts.boxes.empty());

    // A choice the library refuses is told, and the notebook keeps its encryption.
    const QLCCRYPTHEADER before = doc.GetCryptHeader();
    doc.SetModified(FALSE);
    options.answer.dwCipherId = 0x999;
    doc.OnCmdMsg(ID_FILE_PROPERTIES, CN_COMMAND, nullptr, nullptr);
    const QLCCRYPTHEADER after = doc.GetCryptHeader();
    EXPECT_EQ(0, memcmp(&before, &after, sizeof(before)));
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("The encryption of the notebook could not be changed: the encryption library refused the chosen "
              "settings.\n\nThe notebook keeps its previous encryption.",
              prompts.boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONWARNING, prompts.boxes[0].nType & MB_ICONMASK);

    // Turned off: the next save writes a plain notebook.
    options.answer = QLCCRYPTCHOICE();
    options.answer.bChanged = TRUE;
    doc.OnCmdMsg(ID_FILE_PROPERTIES, CN_COMMAND, nullptr, nullptr);
    EXPECT_FALSE(doc.IsEncryptedNotebook());
    EXPECT_EQ(0u, doc.GetCryptHeader().dwKeyLength);
    EXPECT_TRUE(doc.IsModified());
}

// --- Temporary files ---------------------------------------------------------------------

TEST_F(DocLifeTest, WipeFileTurnsAFileIntoZerosRoundedUpToTheSector)
{
    const CString strPath = dir.Path("wipe.bin");
    WriteFileBytes(strPath, TextBytes(10000, 3));
    const DWORD dwSector = SectorSizeOf(strPath);
    ASSERT_NE(0u, dwSector);
    EXPECT_EQ(dwSector, CQlcTempFile::GetSectorSize(strPath));
    ASSERT_TRUE(CQlcTempFile::WipeFile(strPath));
    const Bytes after = ReadFileBytes(strPath);
    EXPECT_EQ((10000 + dwSector - 1) / dwSector * dwSector, after.size());
    EXPECT_TRUE(IsAllZero(after));

    // An empty file stays empty; a missing one is not wiped.
    WriteFileBytes(dir.Path("empty.bin"), Bytes());
    EXPECT_TRUE(CQlcTempFile::WipeFile(dir.Path("empty.bin")));
    EXPECT_TRUE(ReadFileBytes(dir.Path("empty.bin")).empty());
    EXPECT_FALSE(CQlcTempFile::WipeFile(dir.Path("missing.bin")));
}

TEST_F(DocLifeTest, WipeFileWritesWholeBlocksWhenTheVolumeCannotBeAsked)
{
    // A path without a folder names no volume: the block is 4096 bytes.
    char szOld[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, szOld);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Dir()));
    WriteFileBytes("relative.bin", TextBytes(10000, 4));
    EXPECT_EQ(4096u, CQlcTempFile::GetSectorSize("relative.bin"));
    const BOOL bWiped = CQlcTempFile::WipeFile("relative.bin");
    SetCurrentDirectoryA(szOld);
    ASSERT_TRUE(bWiped);
    const Bytes after = ReadFileBytes(dir.Path("relative.bin"));
    EXPECT_EQ(12288u, after.size());
    EXPECT_TRUE(IsAllZero(after));
}

TEST_F(DocLifeTest, DestructionOverwritesTheWorkFileBeforeItGoes)
{
    CString strWork, strLink;
    Bytes payload = TextBytes(30000, 5);
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        const DWORD dwNode = AddNode(doc, QLC_NODE_FOREIGN, "Data");
        ASSERT_TRUE(WriteNodeData(doc, dwNode, payload, FALSE));
        strWork = doc.Data_GetWorkPath();
        ASSERT_TRUE(FileExists(strWork));
        strLink = LinkTo(dir, "work.link", strWork);
        if (strLink.IsEmpty())
            GTEST_SKIP() << "no hard links on this file system";
    }
    EXPECT_FALSE(FileExists(strWork));
    const Bytes after = ReadFileBytes(strLink);
    ASSERT_GE(after.size(), payload.size());
    EXPECT_EQ(0u, after.size() % SectorSizeOf(strLink));
    EXPECT_TRUE(IsAllZero(after));
}

namespace {

// Saves an encrypted notebook with a note and returns its path.
CString MakeEncryptedNotebook(const CTempDir& dir, CCryptDLLHandler& crypt)
{
    const CString strPath = dir.Path("encrypted.qlc");
    CQuillcrestDoc doc;
    doc.OnNewDocument();
    const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Note");
    WriteNodeData(doc, dwNote, NoiseBytes(20000, 6), TRUE);
    doc.Data_SetFileEncryption(crypt.m_pfnGetDefaultCipher(), 32, crypt.m_pfnGetDefaultHash(), "pass", 4);
    doc.OnSaveDocument(strPath);
    return strPath;
}

} // namespace

TEST_F(DocLifeTest, ClosingAnEncryptedNotebookOverwritesAndDeletesItsDecryptedCopy)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    const CString strPath = MakeEncryptedNotebook(dir, crypt.handler);
    CTempFilesWatch temps;
    CString strCopy, strLink;
    {
        CQuillcrestDoc doc;
        prompts.passwords.push_back("pass");
        ASSERT_TRUE(doc.OnOpenDocument(strPath));
        strCopy = doc.Data_GetSourcePath();
        ASSERT_STRNE(strPath, strCopy);
        ASSERT_TRUE(doc.IsSourceDecryptedCopy());
        ASSERT_TRUE(FileExists(strCopy));
        strLink = LinkTo(dir, "copy.link", strCopy);
        if (strLink.IsEmpty())
            GTEST_SKIP() << "no hard links on this file system";
    }
    EXPECT_FALSE(FileExists(strCopy));
    // The link is the copy's last state: the plain notebook's length in zeros.
    const Bytes after = ReadFileBytes(strLink);
    ASSERT_GT(after.size(), (size_t)20000);
    EXPECT_EQ(0u, after.size() % SectorSizeOf(strLink));
    EXPECT_TRUE(IsAllZero(after));
    EXPECT_TRUE(temps.Added().empty());
}

TEST_F(DocLifeTest, TheDecryptedCopyGoesAlsoWhenTheNotebookHandleIsAlreadyClosed)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    const CString strPath = MakeEncryptedNotebook(dir, crypt.handler);
    CTempFilesWatch temps;
    CString strCopy, strLink;
    {
        CQuillcrestDoc doc;
        prompts.passwords.push_back("pass");
        ASSERT_TRUE(doc.OnOpenDocument(strPath));
        strCopy = doc.Data_GetSourcePath();
        strLink = LinkTo(dir, "copy.link", strCopy);
        // As a failed save that could not open the notebook again leaves
        // it. Closing the copy deletes it, overwritten first.
        doc.Data_CloseNotebookFiles();
        EXPECT_FALSE(FileExists(strCopy));
    }
    EXPECT_FALSE(FileExists(strCopy));
    if (!strLink.IsEmpty())
    {
        EXPECT_TRUE(IsAllZero(ReadFileBytes(strLink)));
    }
    EXPECT_TRUE(temps.Added().empty());
    EXPECT_TRUE(CanOpenForWriting(strPath));
}

TEST_F(DocLifeTest, AFailedSaveAsNeverTakesTheOpenNotebookForADecryptedCopy)
{
    // A plain notebook whose Save As fails in the middle of writing: the
    // file it was opened on must survive the document.
    const CString strPath = dir.Path("original.qlc");
    MakeNotebook(strPath);
    const Bytes before = ReadFileBytes(strPath);
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(strPath));
        const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, "Broken");
        QLCNODE node;
        ASSERT_TRUE(doc.Data_GetNode(dwNote, node));
        node.dwStoredSize = node.dwPlainSize = 100;
        doc.Data_SetNode(dwNote, node);
        const QLCDATALOC loc = { 1, 1, 0, 0x7FFFFF00 }; // beyond the end of the work file
        doc.Data_SetDataLoc(dwNote, loc);
        EXPECT_FALSE(doc.OnSaveDocument(dir.Path("elsewhere.qlc")));
        EXPECT_STREQ(strPath, doc.Data_GetNotebookPath());
        EXPECT_FALSE(doc.IsSourceDecryptedCopy());
        ASSERT_EQ(1u, afx.boxes.size());
    }
    EXPECT_TRUE(before == ReadFileBytes(strPath));
    EXPECT_FALSE(FileExists(dir.Path("elsewhere.qlc")));
}

TEST_F(DocLifeTest, TheSaveAndLoadReportNamesTheCauseOfAFileError)
{
    CQuillcrestDoc doc;
    const char szPath[] = "C:\\notes\\book.qlc";
    struct
    {
        int nCause;
        BOOL bSaving;
        std::string text;
    } cases[] = {
        { CFileException::fileNotFound, FALSE,
          "C:\\notes\\book.qlc was not found.\nCheck that the folder and the file name are right." },
        { CFileException::badPath, TRUE,
          "C:\\notes\\book.qlc was not found.\nCheck that the folder and the file name are right." },
        { CFileException::diskFull, TRUE, "The disk is full: C:\\notes\\book.qlc could not be written." },
        { CFileException::accessDenied, FALSE, "Unable to read from C:\\notes\\book.qlc, it is opened by someone else." },
        { CFileException::sharingViolation, TRUE,
          "Unable to write to C:\\notes\\book.qlc, it is read-only or opened by someone else." },
        { CFileException::endOfFile, FALSE, "C:\\notes\\book.qlc is damaged or is not a file this program can read." },
        { CFileException::endOfFile, TRUE, "Failed to save document." },
        { CFileException::hardIO, FALSE, "An unexpected error occurred while reading C:\\notes\\book.qlc." },
        { CFileException::hardIO, TRUE, "An unexpected error occurred while writing C:\\notes\\book.qlc." },
        { CFileException::tooManyOpenFiles, FALSE, "Failed to open document." },
    };
    for (const auto& c : cases)
    {
        CFileException e(c.nCause, -1, szPath);
        doc.ReportSaveLoadException(szPath, &e, c.bSaving,
                                    c.bSaving ? AFX_IDP_FAILED_TO_SAVE_DOC : AFX_IDP_FAILED_TO_OPEN_DOC);
    }
    CUserException told;
    doc.ReportSaveLoadException(szPath, &told, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    ASSERT_EQ(sizeof(cases) / sizeof(cases[0]), afx.boxes.size());
    for (size_t i = 0; i < afx.boxes.size(); ++i)
    {
        EXPECT_EQ(cases[i].text, afx.boxes[i].text) << i;
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, afx.boxes[i].nType) << i;
    }
}
