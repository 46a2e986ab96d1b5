// The crash handler inside the test process: the dump writer's result codes
// through its seams, the dump path and its folders, two crashes that give
// two dumps from one binding, a filter without the debug-help library, and
// the save offer that never writes over a notebook's last good file without
// an explicit yes.
#include "AppTestSupport.h"

#include "app/CrashHandler.h"
#include "app/res/Resource.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"

#include "framework/docview/CDocManager.h"
#include "framework/docview/CMultiDocTemplate.h"
#include "framework/docview/CView.h"
#include "framework/ui/CMDIChildWnd.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

char g_szAppData[MAX_PATH] = "";
BOOL g_bHasAppData = TRUE;
SYSTEMTIME g_stNow = {};

BOOL TestAppData(LPSTR lpszFolder)
{
    if (!g_bHasAppData)
        return FALSE;
    lstrcpynA(lpszFolder, g_szAppData, MAX_PATH);
    return TRUE;
}

void TestLocalTime(LPSYSTEMTIME lpTime)
{
    *lpTime = g_stNow;
}

void SetNow(WORD wHour, WORD wMinute, WORD wSecond)
{
    g_stNow = {};
    g_stNow.wYear = 2009;
    g_stNow.wMonth = 8;
    g_stNow.wDay = 17;
    g_stNow.wHour = wHour;
    g_stNow.wMinute = wMinute;
    g_stNow.wSecond = wSecond;
}

// A real context of this thread and a record of an access violation in it,
// as the system hands them to the filter.
struct CapturedException
{
    CONTEXT context;
    EXCEPTION_RECORD record;
    EXCEPTION_POINTERS pointers;

    CapturedException()
    {
        ::RtlCaptureContext(&context);
        record = {};
        record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
#ifdef _WIN64
        record.ExceptionAddress = (PVOID)context.Rip;
#else
        record.ExceptionAddress = (PVOID)context.Eip;
#endif
        pointers.ExceptionRecord = &record;
        pointers.ContextRecord = &context;
    }
};

std::string ReadFile(const std::string& strPath)
{
    std::ifstream in(strPath.c_str(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

BOOL Exists(const std::string& strPath)
{
    return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class CrashHandlerTest : public ::testing::Test
{
protected:
    std::string m_strDir;

    void SetUp() override
    {
        m_strDir = MakeTestFolder("qlccrash");
        lstrcpynA(g_szAppData, m_strDir.c_str(), MAX_PATH);
        g_bHasAppData = TRUE;
        SetNow(9, 5, 3);
        CrashSeams() = CCrashSeams();
        CrashSeams().pfnGetAppDataFolder = &TestAppData;
        CrashSeams().pfnGetLocalTime = &TestLocalTime;
        ResetMiniDumpWriter();
    }
    void TearDown() override
    {
        g_log.Close();
        CrashSeams() = CCrashSeams();
        ResetMiniDumpWriter();
        DeleteTestFolder(m_strDir);
    }
    std::string DumpFolder() const { return m_strDir + "\\Varlo\\Quillcrest\\"; }
};

} // namespace

TEST_F(CrashHandlerTest, TheDumpPathIsInTheApplicationDataFolderNamedByTheLocalTime)
{
    char szPath[MAX_PATH + 64];
    BuildCrashDumpPath(szPath, sizeof(szPath));
    EXPECT_EQ(DumpFolder() + "quillcrest-crash-20090817090503.dmp", szPath);
    // Both folders were made.
    EXPECT_TRUE(::GetFileAttributesA((m_strDir + "\\Varlo").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(DumpFolder().c_str()));

    // A folder given with its separator gets no second one.
    lstrcpynA(g_szAppData, (m_strDir + "\\").c_str(), MAX_PATH);
    SetNow(23, 59, 59);
    BuildCrashDumpPath(szPath, sizeof(szPath));
    EXPECT_EQ(DumpFolder() + "quillcrest-crash-20090817235959.dmp", szPath);

    // Without an application-data folder: the bare name.
    g_bHasAppData = FALSE;
    BuildCrashDumpPath(szPath, sizeof(szPath));
    EXPECT_STREQ("quillcrest-crash-20090817235959.dmp", szPath);
}

TEST_F(CrashHandlerTest, TheDumpWriterAnswersWithItsResultCodes)
{
    CapturedException crash;
    const std::string strDump = m_strDir + "\\codes.dmp";
    EXPECT_EQ(QLC_DUMP_NOT_BOUND, GetMiniDumpResult());

    // No library: 1, and it is not looked for again.
    CrashSeams().lpszDbgHelpName = "qlc-no-such-dbghelp.dll";
    EXPECT_EQ(QLC_DUMP_NO_LIBRARY,
              WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), ::GetCurrentThreadId(), &crash.pointers));
    CrashSeams().lpszDbgHelpName = "DBGHELP.DLL";
    EXPECT_EQ(QLC_DUMP_NO_LIBRARY,
              WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), ::GetCurrentThreadId(), &crash.pointers));
    EXPECT_FALSE(Exists(strDump));

    // A library without the entry: 2.
    ResetMiniDumpWriter();
    CrashSeams().lpszEntryName = "NoSuchMiniDumpWriter";
    EXPECT_EQ(QLC_DUMP_NO_ENTRY,
              WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), ::GetCurrentThreadId(), &crash.pointers));
    EXPECT_EQ(QLC_DUMP_NO_ENTRY, GetMiniDumpResult());

    // Bad arguments: 3.
    ResetMiniDumpWriter();
    CrashSeams().lpszEntryName = "MiniDumpWriteDump";
    EXPECT_EQ(QLC_DUMP_BAD_ARGUMENT, WriteMiniDump(QLC_DUMP_TYPE, nullptr, ::GetCurrentThreadId(), &crash.pointers));
    const std::string strLong = m_strDir + "\\" + std::string(300, 'x') + ".dmp";
    EXPECT_EQ(QLC_DUMP_BAD_ARGUMENT,
              WriteMiniDump(QLC_DUMP_TYPE, strLong.c_str(), ::GetCurrentThreadId(), &crash.pointers));
    EXPECT_EQ(QLC_DUMP_BAD_ARGUMENT, WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), ::GetCurrentThreadId(), nullptr));
    EXPECT_EQ(QLC_DUMP_BAD_ARGUMENT,
              WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), ::GetCurrentThreadId(), (EXCEPTION_POINTERS*)(ULONG_PTR)8));
    EXPECT_EQ(QLC_DUMP_BAD_ARGUMENT, WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), 0, &crash.pointers));
    EXPECT_EQ(QLC_DUMP_BAD_ARGUMENT, GetMiniDumpResult());
    EXPECT_FALSE(Exists(strDump));

    // A file that cannot be created: 4.
    const std::string strNowhere = m_strDir + "\\no-such-folder\\x.dmp";
    EXPECT_EQ(QLC_DUMP_NOT_CREATED,
              WriteMiniDump(QLC_DUMP_TYPE, strNowhere.c_str(), ::GetCurrentThreadId(), &crash.pointers));

    // Written: 0, a minidump.
    EXPECT_EQ(QLC_DUMP_WRITTEN, WriteMiniDump(QLC_DUMP_TYPE, strDump.c_str(), ::GetCurrentThreadId(), &crash.pointers));
    EXPECT_EQ(QLC_DUMP_WRITTEN, GetMiniDumpResult());
    EXPECT_EQ("MDMP", ReadFile(strDump).substr(0, 4));

    // The wide entry takes a name beyond the system code page.
    const std::wstring strWide = std::wstring(m_strDir.begin(), m_strDir.end()) + L"\\\x0436\x00e9.dmp";
    EXPECT_EQ(QLC_DUMP_WRITTEN,
              WriteMiniDumpW(QLC_DUMP_TYPE, strWide.c_str(), ::GetCurrentThreadId(), &crash.pointers));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(strWide.c_str()));
    ::DeleteFileW(strWide.c_str());
}

TEST_F(CrashHandlerTest, TwoCrashesInDifferentSecondsGiveTwoDumpsFromOneBinding)
{
    g_log.Open();
    const CString strLogPath = g_log.GetLogFilePath();
    const size_t nLogStart = ReadFile((LPCSTR)strLogPath).size();

    // Each box notes whether the dump was already on disk.
    struct CCheckingPrompts : CRecordingPrompts
    {
        std::string strExpectedDump;
        std::vector<BOOL> dumpThere;
        int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override
        {
            dumpThere.push_back(Exists(strExpectedDump));
            return CRecordingPrompts::OnMessageBox(hOwner, lpszText, lpszCaption, nType);
        }
    } prompts;

    CapturedException crash;
    prompts.strExpectedDump = DumpFolder() + "quillcrest-crash-20090817090503.dmp";
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, AppUnhandledExceptionFilter(&crash.pointers));
    EXPECT_EQ(QLC_DUMP_WRITTEN, GetMiniDumpResult());

    // The second binds nothing: a library that could not be found now
    // changes nothing.
    CrashSeams().lpszDbgHelpName = "qlc-no-such-dbghelp.dll";
    SetNow(9, 5, 4);
    prompts.strExpectedDump = DumpFolder() + "quillcrest-crash-20090817090504.dmp";
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, AppUnhandledExceptionFilter(&crash.pointers));
    EXPECT_EQ(QLC_DUMP_WRITTEN, GetMiniDumpResult());

    const std::string strFirst = DumpFolder() + "quillcrest-crash-20090817090503.dmp";
    const std::string strSecond = DumpFolder() + "quillcrest-crash-20090817090504.dmp";
    EXPECT_EQ("MDMP", ReadFile(strFirst).substr(0, 4));
    EXPECT_EQ("MDMP", ReadFile(strSecond).substr(0, 4));

    // Each crash: two messages (no notebooks: no save offer), the dump on
    // disk before the first.
    ASSERT_EQ(4u, prompts.boxes.size());
    for (BOOL bThere : prompts.dumpThere)
        EXPECT_TRUE(bThere);
    EXPECT_EQ("A fatal error has occurred.\n\nQuillcrest will now exit.", prompts.boxes[0].text);
    EXPECT_EQ((UINT)MB_ICONSTOP, prompts.boxes[0].type & MB_ICONMASK);
    EXPECT_EQ("Varlo would be most grateful if you could send the following log files to support@varlosoft.com.\n\n'" +
                  std::string((LPCSTR)strLogPath) + "'\n'" + strFirst + "'\n\nThank you.",
              prompts.boxes[1].text);
    EXPECT_EQ((UINT)MB_ICONINFORMATION, prompts.boxes[1].type & MB_ICONMASK);
    EXPECT_NE(std::string::npos, prompts.boxes[3].text.find(strSecond));

    g_log.Close();
    // From the end of the line before: an empty line comes first.
    const std::string log = ReadFile((LPCSTR)strLogPath).substr(nLogStart - 2);
    EXPECT_NE(std::string::npos, log.find("\r\n\r\n# Unhandled exception occurred, minidump written to " + strFirst + "\r\n"));
    EXPECT_NE(std::string::npos, log.find("# Unhandled exception occurred, minidump written to " + strSecond + "\r\n"));
}

TEST_F(CrashHandlerTest, WithoutTheLibraryTheFilterStillLogsAndTellsButWritesNoFile)
{
    CRecordingPrompts prompts;
    g_log.Open();
    const CString strLogPath = g_log.GetLogFilePath();
    const size_t nLogStart = ReadFile((LPCSTR)strLogPath).size();
    CrashSeams().lpszDbgHelpName = "qlc-no-such-dbghelp.dll";
    CapturedException crash;
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, AppUnhandledExceptionFilter(&crash.pointers));
    EXPECT_EQ(QLC_DUMP_NO_LIBRARY, GetMiniDumpResult());

    const std::string strDump = DumpFolder() + "quillcrest-crash-20090817090503.dmp";
    EXPECT_FALSE(Exists(strDump));
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_NE(std::string::npos, prompts.boxes[1].text.find("'" + strDump + "'"));
    g_log.Close();
    const std::string log = ReadFile((LPCSTR)strLogPath).substr(nLogStart);
    EXPECT_NE(std::string::npos, log.find("# Unhandled exception occurred, minidump written to " + strDump));
}

TEST(CrashRecoveryNameTest, TheRecoveryNameLiesBesideTheNotebook)
{
    EXPECT_EQ("C:\\notes\\Diary (recovered).qlc", GetRecoveryFileName("C:\\notes\\Diary.qlc", "Diary.qlc"));
    EXPECT_EQ("C:\\notes\\a.b (recovered).qlc", GetRecoveryFileName("C:\\notes\\a.b.qlc", "a.b.qlc"));
    EXPECT_EQ("\\\\server\\share\\Work (recovered).qlc", GetRecoveryFileName("\\\\server\\share\\Work.qlc", "x"));
    // A notebook never saved: its title, in the dialog's folder.
    EXPECT_EQ("Untitled 1 (recovered).qlc", GetRecoveryFileName("", "Untitled 1"));
}

namespace {

// The file prompt answered from a list; records what it proposed.
class CRecoveryDocManager : public CDocManager
{
public:
    BOOL DoPromptFileName(CString& fileName, UINT, DWORD dwFlags, BOOL bOpen, CDocTemplate*) override
    {
        proposed.push_back((LPCSTR)fileName);
        EXPECT_FALSE(bOpen);
        EXPECT_FALSE(dwFlags & OFN_OVERWRITEPROMPT) << "the replace question is the handler's own";
        if (answers.empty())
            return FALSE;
        fileName = answers.front().c_str();
        answers.erase(answers.begin());
        return TRUE;
    }
    std::vector<std::string> answers;
    std::vector<std::string> proposed;
};

class CrashSaveOfferTest : public ::testing::Test
{
protected:
    CQlcApp& app = TestApp();
    CRecoveryDocManager* m_pManager = nullptr;
    CMultiDocTemplate* m_pTemplate = nullptr;
    std::string m_strDir;
    std::vector<CQuillcrestDoc*> m_docs;
    std::string m_strOriginal;

    void SetUp() override
    {
        m_strDir = MakeTestFolder("qlcrecover");
        m_pManager = new CRecoveryDocManager;
        app.m_pDocManager = m_pManager;
        m_pTemplate = new CMultiDocTemplate(IDR_QLCTYPE, RUNTIME_CLASS(CQuillcrestDoc), RUNTIME_CLASS(CMDIChildWnd),
                                           RUNTIME_CLASS(CView));
        app.AddDocTemplate(m_pTemplate);
    }
    void TearDown() override
    {
        CloseAll();
        delete app.m_pDocManager;
        app.m_pDocManager = nullptr;
        DeleteTestFolder(m_strDir);
    }
    // The documents let go of their files.
    void CloseAll()
    {
        for (CQuillcrestDoc* pDoc : m_docs)
        {
            m_pTemplate->RemoveDocument(pDoc);
            delete pDoc;
        }
        m_docs.clear();
    }
    // A notebook file (its bytes kept in m_strOriginal), then open in a
    // document of the template; modified (a node added) when asked.
    CQuillcrestDoc* Open(LPCSTR lpszName, BOOL bModify)
    {
        const std::string strPath = m_strDir + "\\" + lpszName;
        {
            CQuillcrestDoc doc;
            doc.OnNewDocument();
            CQlcNode note;
            note.Create(&doc, QLC_NODE_NOTE, "First", 0);
            doc.OnSaveDocument(strPath.c_str());
        }
        m_strOriginal = ReadFile(strPath);
        CQuillcrestDoc* pDoc = new CQuillcrestDoc;
        m_pTemplate->AddDocument(pDoc);
        m_docs.push_back(pDoc);
        EXPECT_TRUE(pDoc->OnOpenDocument(strPath.c_str()));
        pDoc->SetPathName(strPath.c_str(), FALSE);
        if (bModify)
        {
            CQlcNode note;
            note.Create(pDoc, QLC_NODE_NOTE, "Second", 0);
            pDoc->SetModified(TRUE);
        }
        return pDoc;
    }
    static int NodeCount(const std::string& strPath)
    {
        CQuillcrestDoc doc;
        if (!doc.Data_OpenNotebookFile(strPath.c_str()) || doc.Data_ReadFile() != 1)
            return -1;
        return (int)doc.Data_GetNodeCount();
    }
};

} // namespace

TEST_F(CrashSaveOfferTest, YesProposesTheRecoveryNameForEachModifiedNotebookOnly)
{
    CRecordingPrompts prompts(IDYES);
    Open("kept.qlc", FALSE);
    Open("changed.qlc", TRUE);
    const std::string strOriginal = m_strOriginal;
    const std::string strRecovered = m_strDir + "\\changed (recovered).qlc";
    m_pManager->answers = { strRecovered };

    SaveModifiedDocumentsOnCrash();
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Do you want to attempt to save any modified files?", prompts.boxes[0].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONSTOP), prompts.boxes[0].type & (MB_TYPEMASK | MB_ICONMASK));
    ASSERT_EQ(1u, m_pManager->proposed.size());
    EXPECT_EQ(strRecovered, m_pManager->proposed[0]);
    CloseAll();
    EXPECT_EQ(2, NodeCount(strRecovered));
    EXPECT_EQ(strOriginal, ReadFile(m_strDir + "\\changed.qlc"));
    EXPECT_EQ(1, NodeCount(m_strDir + "\\changed.qlc"));
}

TEST_F(CrashSaveOfferTest, NoSavesNothingAndNoNotebookAsksNothing)
{
    {
        CRecordingPrompts prompts(IDYES);
        SaveModifiedDocumentsOnCrash();
        EXPECT_TRUE(prompts.boxes.empty());
    }
    CRecordingPrompts prompts(IDNO);
    Open("changed.qlc", TRUE);
    SaveModifiedDocumentsOnCrash();
    EXPECT_EQ(1u, prompts.boxes.size());
    EXPECT_TRUE(m_pManager->proposed.empty());
    EXPECT_FALSE(Exists(m_strDir + "\\changed (recovered).qlc"));
}

TEST_F(CrashSaveOfferTest, SavingOverTheOriginalTakesAnExplicitYesToReplaceIt)
{
    // The user picks the original file and then declines to replace it:
    // asked again, cancels; the original stays as it was.
    struct CReplacePrompts : CRecordingPrompts
    {
        std::vector<int> replies;
        int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override
        {
            CRecordingPrompts::OnMessageBox(hOwner, lpszText, lpszCaption, nType);
            const int nReply = replies.empty() ? IDNO : replies.front();
            if (!replies.empty())
                replies.erase(replies.begin());
            return nReply;
        }
    } prompts;
    Open("changed.qlc", TRUE);
    const std::string strPath = m_strDir + "\\changed.qlc";
    const std::string strOriginal = m_strOriginal;
    prompts.replies = { IDYES, IDNO };
    m_pManager->answers = { strPath };
    SaveModifiedDocumentsOnCrash();
    ASSERT_EQ(2u, prompts.boxes.size());
    EXPECT_EQ(strPath + " already exists.\nDo you want to replace it?", prompts.boxes[1].text);
    ASSERT_EQ(2u, m_pManager->proposed.size());
    EXPECT_EQ(strPath, m_pManager->proposed[1]);
    CloseAll();
    EXPECT_EQ(strOriginal, ReadFile(strPath));

    // Answered yes: the user's own choice is saved.
    Open("again.qlc", TRUE);
    const std::string strAgain = m_strDir + "\\again.qlc";
    prompts.boxes.clear();
    prompts.replies = { IDYES, IDYES };
    m_pManager->answers = { strAgain };
    SaveModifiedDocumentsOnCrash();
    ASSERT_EQ(2u, prompts.boxes.size());
    CloseAll();
    EXPECT_EQ(2, NodeCount(strAgain));
}
