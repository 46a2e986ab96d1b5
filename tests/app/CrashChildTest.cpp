// Crashes of the real start-up in a child process (qlccrashhelper): an
// access violation on the interface thread or on a worker, a C++ exception
// escaping a thread, a worker whose interface thread cannot answer, and a
// second fault inside the handling. The test reads what the child left: the
// dump, the log line, the messages it was answered, the saved notebooks and
// its exit code.
#include "AppTestSupport.h"

#include "core/CQlcNode.h"

#include "framework/base/AfxPath.h"
#include "framework/base/CWinThread.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct RecordLine
{
    std::string kind;    // box or saveas
    std::string thread;  // ui or worker
    UINT nType;          // the box's type, the dialog's flags
    std::string text;
};

struct ChildResult
{
    DWORD dwExitCode = 0;
    BOOL bEnded = FALSE;
    std::vector<RecordLine> lines;
    std::string log;  // what the child wrote to its day log
    std::string strLogPath;  // the day log, the only file in its log folder
    std::string strDump;  // the path the log line names
};

std::string ReadFile(const std::string& strPath)
{
    std::ifstream in(strPath.c_str(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The files in a folder, by full path.
std::vector<std::string> FilesIn(const std::string& strDir)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((strDir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return files;
    do
    {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            files.push_back(strDir + "\\" + fd.cFileName);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return files;
}

std::vector<RecordLine> ReadRecord(const std::string& strPath)
{
    std::vector<RecordLine> lines;
    std::istringstream in(ReadFile(strPath));
    std::string line;
    while (std::getline(in, line))
    {
        RecordLine r;
        size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
        if (c == std::string::npos)
            continue;
        r.kind = line.substr(0, a);
        r.thread = line.substr(a + 1, b - a - 1);
        r.nType = (UINT)strtoul(line.substr(b + 1, c - b - 1).c_str(), nullptr, 16);
        for (size_t i = c + 1; i < line.size(); i++)
        {
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'n')
            {
                r.text += '\n';
                i++;
            }
            else
            {
                r.text += line[i];
            }
        }
        lines.push_back(r);
    }
    return lines;
}

int NodeCount(const std::string& strPath, const char* lpszName = nullptr)
{
    CQuillcrestDoc doc;
    if (!doc.Data_OpenNotebookFile(strPath.c_str()) || doc.Data_ReadFile() != 1)
        return -1;
    int nCount = 0;
    CQlcDocLock::CScoped tableLock95(doc.GetLock());
    const CQlcNodeMap& nodes = doc.GetNodeTable(tableLock95);
    POSITION pos = nodes.GetStartPosition();
    while (pos != nullptr)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        if (lpszName == nullptr || node.strName == lpszName)
            nCount++;
    }
    return nCount;
}

class CrashChildTest : public ::testing::Test
{
protected:
    std::string m_strDir;
    std::string m_strNotebook;
    std::string m_strOriginal;  // the notebook's bytes before the run

    void SetUp() override
    {
        TestApp();
        // The child starts from known settings: no splash, nothing reloaded.
        DeleteProgramKey();
        CQlcSettings stored;
        stored.m_nShowSplash = 0;
        stored.Save(HKEY_CURRENT_USER, SettingsKeyPath());

        m_strDir = MakeTestFolder("qlcchild");
        m_strNotebook = m_strDir + "\\crash.qlc";
        {
            CQuillcrestDoc doc;
            ASSERT_TRUE(doc.OnNewDocument());
            CQlcNode note;
            note.Create(&doc, QLC_NODE_NOTE, "Saved before", 0);
            ASSERT_TRUE(doc.OnSaveDocument(m_strNotebook.c_str()));
        }
        m_strOriginal = ReadFile(m_strNotebook);
        ASSERT_FALSE(m_strOriginal.empty());
    }
    void TearDown() override
    {
        DeleteTestFolder(m_strDir);
        DeleteProgramKey();
    }

    // Runs the helper with the notebook on its command line and the given
    // environment; collects what it left and removes its dump.
    ChildResult Run(const std::vector<std::pair<std::string, std::string>>& env)
    {
        ChildResult result;
        const std::string strRecord = m_strDir + "\\record.txt";
        ::DeleteFileA(strRecord.c_str());
        // The child logs into a folder of the test's own, empty at its start.
        const std::string strLogs = m_strDir + "\\Logs";
        DeleteTestFolder(strLogs);

        static const char* s_names[] = { "QLC_CRASH_MODE",    "QLC_CRASH_MODIFY", "QLC_CRASH_ANSWERS", "QLC_CRASH_SAVEAS",
                                         "QLC_CRASH_TIMEOUT", "QLC_CRASH_IN_BOX", "QLC_CRASH_LOGS" };
        for (const char* lpszName : s_names)
            ::SetEnvironmentVariableA(lpszName, nullptr);
        ::SetEnvironmentVariableA("QLC_CRASH_RECORD", strRecord.c_str());
        ::SetEnvironmentVariableA("QLC_CRASH_LOGS", strLogs.c_str());
        for (const auto& var : env)
            ::SetEnvironmentVariableA(var.first.c_str(), var.second.c_str());

        const std::string strHelper = std::string((LPCSTR)AfxGetModuleFolder()) + "\\qlccrashhelper.exe";
        std::string strCommand = "\"" + strHelper + "\" " + m_strNotebook;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        const BOOL bStarted = ::CreateProcessA(strHelper.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr,
                                               m_strDir.c_str(), &si, &pi);
        for (const char* lpszName : s_names)
            ::SetEnvironmentVariableA(lpszName, nullptr);
        ::SetEnvironmentVariableA("QLC_CRASH_RECORD", nullptr);
        EXPECT_TRUE(bStarted) << "cannot start " << strHelper;
        if (!bStarted)
            return result;
        result.bEnded = ::WaitForSingleObject(pi.hProcess, 90000) == WAIT_OBJECT_0;
        if (!result.bEnded)
            ::TerminateProcess(pi.hProcess, 99);
        ::GetExitCodeProcess(pi.hProcess, &result.dwExitCode);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);

        result.lines = ReadRecord(strRecord);
        // One run opens one day file, whatever the date.
        const std::vector<std::string> logs = FilesIn(strLogs);
        EXPECT_EQ(1u, logs.size()) << "the child's log folder " << strLogs;
        if (!logs.empty())
        {
            result.strLogPath = logs[0];
            result.log = ReadFile(logs[0]);
            EXPECT_EQ(0u, result.strLogPath.find(strLogs + "\\Quillcrest ")) << result.strLogPath;
        }
        static const std::string s_line = "# Unhandled exception occurred, minidump written to ";
        const size_t at = result.log.find(s_line);
        if (at != std::string::npos)
        {
            const size_t end = result.log.find("\r\n", at);
            result.strDump = result.log.substr(at + s_line.size(), end - at - s_line.size());
        }
        return result;
    }
    // The dump the child named: in the application-data folder, a
    // minidump; removed once checked.
    static void CheckAndRemoveDump(const ChildResult& result)
    {
        char szAppData[MAX_PATH] = "";
        ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szAppData)));
        const std::string strPrefix = std::string(szAppData) + "\\Varlo\\Quillcrest\\quillcrest-crash-";
        ASSERT_EQ(strPrefix.size() + 14 + 4, result.strDump.size()) << result.strDump;
        EXPECT_EQ(strPrefix, result.strDump.substr(0, strPrefix.size()));
        // yyyyMMddHHmmss
        const std::string strStamp = result.strDump.substr(strPrefix.size(), 14);
        EXPECT_EQ(std::string::npos, strStamp.find_first_not_of("0123456789")) << strStamp;
        EXPECT_EQ(".dmp", result.strDump.substr(result.strDump.size() - 4));
        EXPECT_EQ("MDMP", ReadFile(result.strDump).substr(0, 4));
        ::DeleteFileA(result.strDump.c_str());
    }
    // Yes to the offer and the proposed name taken: the notebook with the
    // change under "<name> (recovered).qlc", the original as it was.
    void CheckRecoverySaved(const ChildResult& result) const
    {
        const std::string strRecovered = m_strDir + "\\crash (recovered).qlc";
        ASSERT_EQ(1, DialogCount(result));
        EXPECT_EQ(strRecovered, result.lines.back().text);
        EXPECT_EQ(1, NodeCount(strRecovered, "Added before the crash"));
        EXPECT_EQ(1, NodeCount(strRecovered, "Saved before"));
        EXPECT_EQ(m_strOriginal, ReadFile(m_strNotebook));
    }
    // A modified notebook, a crash on the given thread, Yes to the offer and
    // the proposed name taken.
    ChildResult RunAndSave(LPCSTR lpszMode)
    {
        return Run({ { "QLC_CRASH_MODE", lpszMode },
                     { "QLC_CRASH_MODIFY", "1" },
                     { "QLC_CRASH_ANSWERS", "ok,ok,yes" },
                     { "QLC_CRASH_SAVEAS", "accept" } });
    }
    static std::vector<RecordLine> Boxes(const ChildResult& result)
    {
        std::vector<RecordLine> boxes;
        for (const RecordLine& r : result.lines)
            if (r.kind == "box")
                boxes.push_back(r);
        return boxes;
    }
    static int DialogCount(const ChildResult& result)
    {
        int n = 0;
        for (const RecordLine& r : result.lines)
            n += r.kind == "saveas";
        return n;
    }
    // The fatal message, then which files to send (the log and the dump).
    static void CheckMessages(const ChildResult& result, const std::vector<RecordLine>& boxes)
    {
        ASSERT_GE(boxes.size(), 2u);
        EXPECT_EQ("A fatal error has occurred.\n\nQuillcrest will now exit.", boxes[0].text);
        EXPECT_EQ((UINT)MB_ICONSTOP, boxes[0].nType & MB_ICONMASK);
        EXPECT_EQ("Varlo would be most grateful if you could send the following log files to "
                  "support@varlosoft.com.\n\n'" +
                      result.strLogPath + "'\n'" + result.strDump + "'\n\nThank you.",
                  boxes[1].text);
        EXPECT_EQ((UINT)MB_ICONINFORMATION, boxes[1].nType & MB_ICONMASK);
        for (const RecordLine& r : result.lines)
            EXPECT_EQ("ui", r.thread) << r.kind << ": " << r.text;
    }
};

} // namespace

TEST_F(CrashChildTest, AFaultOnTheInterfaceThreadLeavesADumpAndNoSavesNothingOnNo)
{
    const ChildResult result =
        Run({ { "QLC_CRASH_MODE", "ui" }, { "QLC_CRASH_MODIFY", "1" }, { "QLC_CRASH_ANSWERS", "ok,ok,no" } });
    ASSERT_TRUE(result.bEnded);
    EXPECT_EQ((DWORD)EXCEPTION_ACCESS_VIOLATION, result.dwExitCode);
    CheckAndRemoveDump(result);
    EXPECT_NE(std::string::npos, result.log.find("#LOADING COMPLETE#"));
    const std::vector<RecordLine> boxes = Boxes(result);
    ASSERT_EQ(3u, boxes.size());
    CheckMessages(result, boxes);
    EXPECT_EQ("Do you want to attempt to save any modified files?", boxes[2].text);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONSTOP), boxes[2].nType & (MB_TYPEMASK | MB_ICONMASK));
    // No: no dialog, nothing written.
    EXPECT_EQ(0, DialogCount(result));
    EXPECT_EQ(m_strOriginal, ReadFile(m_strNotebook));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((m_strDir + "\\crash (recovered).qlc").c_str()));
}

TEST_F(CrashChildTest, YesSavesTheModifiedNotebookUnderTheRecoveryNameAndLeavesTheOriginal)
{
    const ChildResult result = RunAndSave("ui");
    ASSERT_TRUE(result.bEnded);
    EXPECT_EQ((DWORD)EXCEPTION_ACCESS_VIOLATION, result.dwExitCode);
    CheckAndRemoveDump(result);
    CheckMessages(result, Boxes(result));
    CheckRecoverySaved(result);
}

TEST_F(CrashChildTest, AWorkersFaultIsToldAndSavedByTheInterfaceThread)
{
    const ChildResult result = RunAndSave("worker");
    ASSERT_TRUE(result.bEnded);
    EXPECT_EQ((DWORD)EXCEPTION_ACCESS_VIOLATION, result.dwExitCode);
    CheckAndRemoveDump(result);
    // Every box and the file dialog ran on the interface thread.
    ASSERT_EQ(3u, Boxes(result).size());
    CheckMessages(result, Boxes(result));
    CheckRecoverySaved(result);
}

TEST_F(CrashChildTest, AWorkersFaultWhileTheInterfaceThreadCannotAnswerSkipsTheOfferAndSaysSo)
{
    const ChildResult result = Run({ { "QLC_CRASH_MODE", "worker-blocked" },
                                     { "QLC_CRASH_MODIFY", "1" },
                                     { "QLC_CRASH_TIMEOUT", "500" },
                                     { "QLC_CRASH_ANSWERS", "ok,ok,yes" },
                                     { "QLC_CRASH_SAVEAS", "accept" } });
    ASSERT_TRUE(result.bEnded);
    EXPECT_EQ((DWORD)EXCEPTION_ACCESS_VIOLATION, result.dwExitCode);
    CheckAndRemoveDump(result);
    // No window on the worker, none on the busy interface thread.
    EXPECT_TRUE(result.lines.empty());
    EXPECT_NE(std::string::npos, result.log.find("WARNING: The interface thread did not answer"));
    EXPECT_EQ(m_strOriginal, ReadFile(m_strNotebook));
}

TEST_F(CrashChildTest, ACppExceptionEscapingAThreadIsACrash)
{
    const ChildResult result = Run({ { "QLC_CRASH_MODE", "throw" }, { "QLC_CRASH_ANSWERS", "ok,ok,no" } });
    ASSERT_TRUE(result.bEnded);
    EXPECT_EQ(AFX_EXCEPTION_ESCAPED, result.dwExitCode);
    CheckAndRemoveDump(result);
    const std::vector<RecordLine> boxes = Boxes(result);
    ASSERT_EQ(3u, boxes.size());
    CheckMessages(result, boxes);
}

TEST_F(CrashChildTest, AFaultInsideTheHandlingEndsTheProcessAtOnce)
{
    // The first message itself faults: the process ends there, with the
    // dump already written, and is not handled a second time.
    const ChildResult result = Run({ { "QLC_CRASH_MODE", "ui" }, { "QLC_CRASH_IN_BOX", "1" } });
    ASSERT_TRUE(result.bEnded);
    EXPECT_EQ((DWORD)EXCEPTION_ACCESS_VIOLATION, result.dwExitCode);
    CheckAndRemoveDump(result);
    ASSERT_EQ(1u, result.lines.size());
    EXPECT_EQ("A fatal error has occurred.\n\nQuillcrest will now exit.", result.lines[0].text);
    size_t nLines = 0;
    for (size_t at = result.log.find("# Unhandled exception"); at != std::string::npos;
         at = result.log.find("# Unhandled exception", at + 1))
        nLines++;
    EXPECT_EQ(1u, nLines);
}
