// Where the real program takes its libraries from: a copy of it, started
// from a folder of files from elsewhere, that holds a library named as the
// encryption library while none lies beside the program. The program runs
// without encryption then; the stranger must never be loaded (it would get
// the passwords).
#include "AppTestSupport.h"

#include "framework/base/AfxPath.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadWholeFile(const std::string& strPath)
{
    std::ifstream in(strPath.c_str(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Every day log the copy wrote beside itself (a run across midnight writes two).
std::string ReadLogs(const std::string& strProgramDir)
{
    std::string text;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((strProgramDir + "\\Logs\\*.log").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    do
        text += ReadWholeFile(strProgramDir + "\\Logs\\" + fd.cFileName);
    while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return text;
}

class LibrarySearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strRoot = MakeTestFolder("qlclibs");
        m_strProgramDir = m_strRoot + "\\program";
        m_strStartDir = m_strRoot + "\\notebooks from elsewhere";
        ASSERT_TRUE(::CreateDirectoryA(m_strProgramDir.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(m_strStartDir.c_str(), nullptr));
        // The build puts the program in bin\, beside the tests' own folder.
        const std::string strBuilt =
            std::string((LPCSTR)AfxPathGetFolder(AfxGetModuleFolder())) + "\\bin\\quillapp.exe";
        ASSERT_TRUE(::CopyFileA(strBuilt.c_str(), (m_strProgramDir + "\\quillapp.exe").c_str(), FALSE))
            << "the program is not built: " << strBuilt;
        m_strLibrary = std::string((LPCSTR)AfxGetModuleFolder()) + "\\qlccrypt.dll";
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_strLibrary.c_str())) << "qlccrypt.dll not built";
    }
    void TearDown() override { DeleteTestFolder(m_strRoot); }

    // Runs the copy with "/reg" (which loads the encryption library, then
    // ends without a window) from the start folder; the log it wrote.
    std::string RunFromStartFolder()
    {
        DeleteTestFolder(m_strProgramDir + "\\Logs");
        const std::string strProgram = m_strProgramDir + "\\quillapp.exe";
        std::string strCommand = "\"" + strProgram + "\" /reg";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(strProgram.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr,
                              m_strStartDir.c_str(), &si, &pi))
        {
            ADD_FAILURE() << "cannot start " << strProgram << " (error " << ::GetLastError() << ")";
            return std::string();
        }
        const BOOL bEnded = ::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
        if (!bEnded)
            ::TerminateProcess(pi.hProcess, 99);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        EXPECT_TRUE(bEnded) << "the program did not end its \"/reg\" run within 120 s";
        return ReadLogs(m_strProgramDir);
    }

    std::string m_strRoot;
    std::string m_strProgramDir;
    std::string m_strStartDir;
    std::string m_strLibrary;
};

} // namespace

TEST_F(LibrarySearchTest, ALibraryInTheFolderTheProgramStartsFromIsNeverLoaded)
{
    ASSERT_TRUE(::CopyFileA(m_strLibrary.c_str(), (m_strStartDir + "\\qlccrypt.dll").c_str(), FALSE));
    const std::string strLog = RunFromStartFolder();
    ASSERT_NE(std::string::npos, strLog.find("#BEGIN QLCCRYPT.DLL LOAD#")) << strLog;
    EXPECT_NE(std::string::npos, strLog.find("Calling LoadLibrary(\"qlccrypt.dll\")...FAILED.")) << strLog;
    EXPECT_EQ(std::string::npos, strLog.find("Calling LoadLibrary(\"qlccrypt.dll\")...Done.")) << strLog;

    // The program's own copy, beside it, is the one it takes.
    ASSERT_TRUE(::CopyFileA(m_strLibrary.c_str(), (m_strProgramDir + "\\qlccrypt.dll").c_str(), FALSE));
    const std::string strWithOwn = RunFromStartFolder();
    EXPECT_NE(std::string::npos, strWithOwn.find("Calling LoadLibrary(\"qlccrypt.dll\")...Done.")) << strWithOwn;
}
