// The job framework and the batch import, without windows: the test thread
// plays the processing dialog (starts the job, answers its questions, sets
// the cancel request) while the job works on its own worker.
#include "core/CNodeBatchImport.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

#include "framework/base/CWinThread.h"

#include "CryptTestSupport.h"
#include "DocOpsSupport.h"
#include "JobTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace {

// A job that runs a script on its worker; its start can be made to fail.
class CScriptJob : public CNodeBatchProcess
{
public:
    explicit CScriptJob(std::function<void(CScriptJob&)> script, BOOL bStartFails = FALSE)
        : CNodeBatchProcess(nullptr), m_script(std::move(script)), m_bStartFails(bStartFails)
    {
    }
    void Run() override
    {
        ++nRuns;
        dwRunThread = ::GetCurrentThreadId();
        m_script(*this);
    }
    std::atomic<int> nRuns{ 0 };
    DWORD dwRunThread = 0;
    int nThreadsBegun = 0;   // worker starts asked for (made or not)

protected:
    CWinThread* BeginThread() override
    {
        ++nThreadsBegun;
        return m_bStartFails ? nullptr : CNodeBatchProcess::BeginThread();
    }

private:
    std::function<void(CScriptJob&)> m_script;
    BOOL m_bStartFails;
};

QLCNODE NodeOf(const CQuillcrestDoc& doc, DWORD dwId)
{
    QLCNODE node;
    EXPECT_TRUE(doc.Data_GetNode(dwId, node)) << dwId;
    return node;
}

std::string Status(CNodeProcess& job)
{
    return (LPCSTR)job.GetStatusText();
}

} // namespace

// --- The job framework -------------------------------------------------------------------

TEST(NodeJobTest, AQuestionIsAskedOnTheInterfaceThreadAndTheWorkerWaitsForItsAnswer)
{
    int nAnswer = 0;
    CScriptJob job([&](CScriptJob& self) {
        nAnswer = self.AskUser("Keep going?", MB_YESNO | MB_ICONQUESTION, 7);
        self.SetStatusText("answered");
    });
    CJobPlayer player(job);
    BOOL bFinishedWhileAsked = TRUE;
    std::string strStatusWhileAsked = "?";
    player.onQuestion = [&](const CJobRequest&) {
        // The worker waits for the answer, a cancel request or not: it has
        // gone no further while the question is on screen.
        job.SetCancel(TRUE);
        bFinishedWhileAsked = job.IsFinished();
        strStatusWhileAsked = Status(job);
        return IDNO;
    };
    ASSERT_TRUE(player.Play());
    ASSERT_EQ(1u, player.requests.size());
    EXPECT_EQ(CJobRequest::message, player.requests[0].nKind);
    EXPECT_EQ("Keep going?", player.requests[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONQUESTION), player.requests[0].nStyle);
    EXPECT_EQ(::GetCurrentThreadId(), player.requests[0].dwThreadId);
    EXPECT_FALSE(bFinishedWhileAsked);
    EXPECT_EQ("", strStatusWhileAsked);
    EXPECT_EQ(IDNO, nAnswer);
    EXPECT_EQ("answered", Status(job));
    EXPECT_NE(::GetCurrentThreadId(), job.dwRunThread);
    EXPECT_EQ("", std::string((LPCSTR)job.GetFailure()));
}

TEST(NodeJobTest, AJobWhoseWindowHasGoneAsksNobody)
{
    int nAnswer = 0;
    CString strPassword = "untouched";
    BOOL bUnlocked = TRUE;
    CScriptJob job([&](CScriptJob& self) {
        nAnswer = self.AskUser("Replace it?", MB_YESNO);
        bUnlocked = self.AskNodePassword(5, strPassword);
    });
    job.StopAsking();
    CJobPlayer player(job);
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(player.requests.empty());
    EXPECT_EQ(IDCANCEL, nAnswer);
    EXPECT_FALSE(bUnlocked);
    EXPECT_STREQ("untouched", strPassword);
}

TEST(NodeJobTest, APasswordRequestCarriesTheNodeAndBringsBackThePassword)
{
    BOOL bGiven = FALSE, bRefused = TRUE;
    CString strGiven, strRefused = "untouched";
    CScriptJob job([&](CScriptJob& self) {
        bGiven = self.AskNodePassword(42, strGiven);
        bRefused = self.AskNodePassword(43, strRefused);
    });
    CJobPlayer player(job);
    player.onPassword = [](const CJobRequest& request, CString& strPassword) {
        if (request.dwNodeId != 42)
            return FALSE;
        strPassword = "open sesame";
        return TRUE;
    };
    ASSERT_TRUE(player.Play());
    ASSERT_EQ(2u, player.requests.size());
    EXPECT_EQ(CJobRequest::password, player.requests[0].nKind);
    EXPECT_EQ(42u, player.requests[0].dwNodeId);
    EXPECT_EQ(43u, player.requests[1].dwNodeId);
    EXPECT_TRUE(bGiven);
    EXPECT_STREQ("open sesame", strGiven);
    EXPECT_FALSE(bRefused);
    EXPECT_STREQ("untouched", strRefused);
}

TEST(NodeJobTest, AJobWhoseThreadCannotStartStillFinishesWithItsFailure)
{
    CScriptJob job([](CScriptJob&) {}, TRUE);
    EXPECT_TRUE(job.Start());
    EXPECT_TRUE(job.IsFinished());
    EXPECT_EQ(1, job.nThreadsBegun);
    EXPECT_EQ(0, job.nRuns.load());
    EXPECT_EQ(AfxLoadText(IDS_QLC_JOB_NOT_STARTED), job.GetFailure());
    // A finished job is not started again: no second worker is asked for.
    EXPECT_TRUE(job.Start());
    EXPECT_EQ(1, job.nThreadsBegun);
    EXPECT_EQ(0, job.nRuns.load());

    // Nor is one that ran.
    CScriptJob once([](CScriptJob&) {});
    CJobPlayer player(once);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(1, once.nThreadsBegun);
    EXPECT_TRUE(once.Start());
    EXPECT_EQ(1, once.nThreadsBegun);
    EXPECT_EQ(1, once.nRuns.load());

    // A job that throws ends too, with a failure the dialog can tell.
    CScriptJob throwing([](CScriptJob& self) {
        self.SetItemText("half way");
        throw std::runtime_error("broken");
    });
    CJobPlayer player2(throwing);
    ASSERT_TRUE(player2.Play());
    EXPECT_EQ(AfxLoadText(IDS_QLC_JOB_FAILED), throwing.GetFailure());
    EXPECT_STREQ("half way", throwing.GetItemText());
}

TEST(NodeJobTest, ProgressFollowsCurrentOverTotal)
{
    CScriptJob job([](CScriptJob&) {});
    job.SetProgress(0.25f);
    job.SetCurrent(3);
    // Without a total the progress keeps its value.
    EXPECT_FLOAT_EQ(0.25f, job.GetProgress());
    job.SetTotal(4);
    EXPECT_FLOAT_EQ(0.75f, job.GetProgress());
    job.Step();
    EXPECT_EQ(4, job.GetCurrent());
    EXPECT_FLOAT_EQ(1.0f, job.GetProgress());
    job.SetTotal(8);
    EXPECT_FLOAT_EQ(0.5f, job.GetProgress());
}

// --- The batch import ---------------------------------------------------------------------

TEST(NodeJobTest, TheImportTableIsLookedUpByTheLastDotOfThePath)
{
    const QLCIMPORTTYPE* pTable = CNodeBatchImport::GetImportTypes();
    int nRows = 0;
    while (pTable[nRows].lpszExtension != nullptr)
        ++nRows;
    EXPECT_EQ(19, nRows);
    EXPECT_EQ(255, pTable[nRows].nNodeType);
    EXPECT_EQ(255, pTable[nRows].nImageFormat);

    struct CCase
    {
        LPCSTR lpszPath;
        int nType, nFormat, nCompress; // type 0: no row
    } cases[] = {
        { "C:\\notes\\a.txt", 1, 0, 1 },   { "x.TEXT", 1, 0, 1 },        { "letter.Rtf", 1, 0, 1 },
        { "photo.Png", 3, 7, 0 },          { "b.JPEG", 3, 3, 0 },        { "c.jif", 3, 3, 0 },
        { "d.jpg", 3, 3, 0 },              { "e.gif", 3, 2, 0 },         { "f.bmp", 3, 1, 1 },
        { "g.pcx", 3, 4, 1 },              { "h.pic", 3, 5, 1 },         { "h.pict", 3, 5, 1 },
        { "i.pgm", 3, 6, 1 },              { "j.tga", 3, 8, 1 },         { "k.tif", 3, 9, 1 },
        { "k.tiff", 3, 9, 1 },             { "l.emf", 3, 10, 1 },        { "l.wemf", 3, 10, 1 },
        { "l.wmf", 3, 10, 1 },             { "README", 0, 0, 0 },        { "ends.with.dot.", 0, 0, 0 },
        { "C:\\a.b\\file", 0, 0, 0 },      { "archive.tar.gz", 0, 0, 0 }, { "page.htm", 0, 0, 0 },
        { "picture.pct", 0, 0, 0 },        { "", 0, 0, 0 },
    };
    for (const CCase& c : cases)
    {
        const QLCIMPORTTYPE* pRow = CNodeBatchImport::LookupImportType(c.lpszPath);
        if (c.nType == 0)
        {
            EXPECT_EQ(nullptr, pRow) << c.lpszPath;
            continue;
        }
        ASSERT_NE(nullptr, pRow) << c.lpszPath;
        EXPECT_EQ(c.nType, pRow->nNodeType) << c.lpszPath;
        EXPECT_EQ(c.nFormat, pRow->nImageFormat) << c.lpszPath;
        EXPECT_EQ(c.nCompress, pRow->bCompress) << c.lpszPath;
    }
}

TEST(NodeJobTest, ABatchBecomesNotesAndImagesAndPassesOverWhatItCannotAdd)
{
    CTempDir dir;
    CJobTestServices services;
    CBuiltInConverters converters;
    CTestPrompts prompts;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, "Into");

    const Bytes jpeg = EncodeTestPicture(3, 20, 14, 1);
    const Bytes png = EncodeTestPicture(7, 9, 5, 2);
    WriteFileBytes(dir.Path("a.txt"), TextBytes(300, 1));
    WriteFileBytes(dir.Path("b.JPEG"), jpeg);
    WriteFileBytes(dir.Path("c"), png);                        // no extension: an image by content
    WriteFileBytes(dir.Path("d."), TextBytes(40, 2));          // no extension, not a picture: passed over
    ::CreateDirectoryA(dir.Path("sub.txt"), nullptr);          // a folder
    WriteFileBytes(dir.Path("e.text"), TextBytes(100, 3));     // ".text" is a note too
    WriteFileBytes(dir.Path("photo.Png"), png);
    WriteFileBytes(dir.Path("archive.tar.rtf"), Bytes{ '{', '\\', 'r', 't', 'f', '1', ' ', 'x', '}' });

    CNodeBatchImport job(&doc, dwFolder);
    const char* names[] = { "a.txt", "b.JPEG", "c", "d.", "sub.txt", "missing.txt", "e.text", "photo.Png",
                            "archive.tar.rtf" };
    for (const char* name : names)
        job.AddFile(dir.Path(name));
    EXPECT_EQ(9, job.GetTotal());
    CJobPlayer player(job);
    ASSERT_TRUE(player.Play());
    ::RemoveDirectoryA(dir.Path("sub.txt"));

    EXPECT_TRUE(player.requests.empty());
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ("Importing file 9 of 9...", Status(job));
    EXPECT_STREQ(dir.Path("archive.tar.rtf"), job.GetItemText());
    EXPECT_EQ(9, job.GetCurrent());
    EXPECT_FLOAT_EQ(1.0f, job.GetProgress());

    struct CExpected
    {
        LPCSTR lpszName;
        BYTE nType;
        BOOL bCompressed;
    } expected[] = {
        { "a", QLC_NODE_NOTE, TRUE },    { "b", QLC_NODE_IMAGE, FALSE },     { "c", QLC_NODE_IMAGE, TRUE },
        { "e", QLC_NODE_NOTE, TRUE },    { "photo", QLC_NODE_IMAGE, FALSE }, { "archive.tar", QLC_NODE_NOTE, TRUE },
    };
    EXPECT_EQ(1u + sizeof(expected) / sizeof(expected[0]), (size_t)doc.Data_GetNodeCount());
    for (const CExpected& e : expected)
    {
        const DWORD dwId = FindNodeByName(doc, e.lpszName);
        ASSERT_NE(0u, dwId) << e.lpszName;
        CQlcNode node(&doc, dwId);
        EXPECT_EQ(e.nType, node.GetType()) << e.lpszName;
        EXPECT_EQ(e.bCompressed, node.IsCompressed()) << e.lpszName;
        EXPECT_EQ(dwFolder, node.GetParentId()) << e.lpszName;
    }
    EXPECT_EQ(jpeg, ReadNodeData(doc, FindNodeByName(doc, "b")));
    EXPECT_EQ(png, ReadNodeData(doc, FindNodeByName(doc, "c")));
    EXPECT_EQ(0u, FindNodeByName(doc, "d"));
    EXPECT_EQ(0u, FindNodeByName(doc, "sub"));
    EXPECT_TRUE(doc.GetModifiedFlag());
}

TEST(NodeJobTest, NodeNamesAreTheFileNamesWithoutExtensionWhateverExplorerShows)
{
    // Explorer set to show every extension: the name still has none.
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", 0,
                                nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr));
    DWORD dwOld = 1, cbOld = sizeof(dwOld), dwType = 0;
    const BOOL bHadValue = ::RegQueryValueExA(hKey, "HideFileExt", nullptr, &dwType, (BYTE*)&dwOld, &cbOld) == ERROR_SUCCESS;
    const DWORD dwShow = 0;
    ::RegSetValueExA(hKey, "HideFileExt", 0, REG_DWORD, (const BYTE*)&dwShow, sizeof(dwShow));

    CTempDir dir;
    CJobTestServices services;
    CBuiltInConverters converters;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    WriteFileBytes(dir.Path("Shown.txt"), TextBytes(50, 4));
    WriteFileBytes(dir.Path("two.dots.png"), EncodeTestPicture(7, 4, 4, 1));
    CNodeBatchImport job(&doc, 0);
    job.AddFile(dir.Path("Shown.txt"));
    job.AddFile(dir.Path("two.dots.png"));
    CJobPlayer player(job);
    const bool bPlayed = player.Play();

    if (bHadValue)
        ::RegSetValueExA(hKey, "HideFileExt", 0, REG_DWORD, (const BYTE*)&dwOld, sizeof(dwOld));
    else
        ::RegDeleteValueA(hKey, "HideFileExt");
    ::RegCloseKey(hKey);

    ASSERT_TRUE(bPlayed);
    const DWORD dwNote = FindNodeByName(doc, "Shown");
    const DWORD dwImage = FindNodeByName(doc, "two.dots");
    ASSERT_NE(0u, dwNote);
    ASSERT_NE(0u, dwImage);
    // Top level without a parent.
    EXPECT_EQ(0u, NodeOf(doc, dwNote).dwParentId);
    EXPECT_EQ(0u, NodeOf(doc, dwImage).dwParentId);
}

TEST(NodeJobTest, CancelDuringTheThirdOfTenFilesFinishesItAndLeavesTheRest)
{
    CTempDir dir;
    CJobTestServices services;
    CBuiltInConverters converters;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());

    CNodeBatchImport job(&doc, 0);
    // Plain text is converted on the interface thread while the worker
    // waits for it: the cancel comes while the third file is converted.
    std::atomic<int> nConversions{ 0 };
    std::string strStatusWhileHeld;
    services.onImportFont = [&]() {
        if (++nConversions == 3)
        {
            strStatusWhileHeld = Status(job);
            job.SetCancel(TRUE);
        }
    };
    for (int i = 1; i <= 10; ++i)
    {
        const CString strName = CString("file") + std::to_string(i).c_str() + ".txt";
        WriteFileBytes(dir.Path(strName), TextBytes(60, (DWORD)i));
        job.AddFile(dir.Path(strName));
    }
    CJobPlayer player(job);
    ASSERT_TRUE(player.Play());

    EXPECT_EQ("Importing file 3 of 10...", strStatusWhileHeld);
    // File 3 was finished; 4 to 10 were not looked at.
    EXPECT_EQ(3, nConversions.load());
    EXPECT_EQ(3, (int)doc.Data_GetNodeCount());
    EXPECT_NE(0u, FindNodeByName(doc, "file3"));
    EXPECT_EQ(0u, FindNodeByName(doc, "file4"));
    EXPECT_EQ("Importing file 3 of 10...", Status(job));
    EXPECT_STREQ(dir.Path("file3.txt"), job.GetItemText());
    EXPECT_EQ(3, job.GetCurrent());
    EXPECT_NEAR(0.3f, job.GetProgress(), 1e-6);
}

TEST(NodeJobTest, AnEmptyListFinishesAtOnce)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CNodeBatchImport job(&doc, 0);
    CJobPlayer player(job);
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(job.IsFinished());
    EXPECT_EQ(0, job.GetTotal());
    EXPECT_EQ(0.0f, job.GetProgress());
    EXPECT_EQ("", Status(job));
    EXPECT_EQ(0, (int)doc.Data_GetNodeCount());
    EXPECT_FALSE(doc.GetModifiedFlag());
}
