// Crash safety of saving: a process that saves a notebook is killed at the
// steps that matter, and afterwards no plain text and no temporary file of
// ours is left, and the notebook reads as the old or the new one. Also the
// start-up sweep, and where a save puts its new file.
#include "core/CQlcNode.h"
#include "core/CQlcTempFile.h"
#include "core/CQuillcrestDoc.h"
#include "core/IQlcFileProbe.h"

#include "CryptTestSupport.h"
#include "DocLifeSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kMarker[] = "QLC-KILLTEST-PLAINTEXT-7d31";
const char kPassword[] = "kill-pass";
const size_t kPayloadSize = 1536 * 1024;
const char* const kNoteNames[] = { "First note", "Second note", "Third note", "Fourth note" };

// A payload that shows the marker in plain text every 64 KB.
Bytes MarkedPayload(DWORD dwSeed)
{
    Bytes data = NoiseBytes(kPayloadSize, dwSeed);
    for (size_t at = 0; at + sizeof(kMarker) < data.size(); at += 65536)
        std::copy(kMarker, kMarker + sizeof(kMarker) - 1, data.begin() + at);
    return data;
}

// A notebook of a folder and four notes of 1.5 MB stored as they are.
void MakeNotebook(LPCSTR lpszPath, BOOL bEncrypted, CCryptDLLHandler& crypt)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwFolder = AddNode(doc, QLC_NODE_FOLDER, kMarker);
    DWORD dwSeed = 1;
    for (LPCSTR lpszName : kNoteNames)
    {
        const DWORD dwNote = AddNode(doc, QLC_NODE_NOTE, lpszName, dwFolder);
        ASSERT_TRUE(WriteNodeData(doc, dwNote, MarkedPayload(dwSeed++), FALSE, 256 * 1024));
    }
    if (bEncrypted)
    {
        ASSERT_TRUE(doc.Data_SetFileEncryption(crypt.m_pfnGetDefaultCipher(), 32, crypt.m_pfnGetDefaultHash(),
                                               kPassword, (DWORD)strlen(kPassword)));
    }
    doc.Data_SetNotebookPath(lpszPath);
    ASSERT_TRUE(doc.Data_WriteFile());
}

// The name the first note has in the notebook on disk ("" when it does not
// read), after checking that every payload is intact.
std::string FirstNoteName(LPCSTR lpszPath, BOOL bEncrypted)
{
    CTestPrompts prompts;
    if (bEncrypted)
        prompts.passwords.push_back(kPassword);
    CQuillcrestDoc doc;
    if (OpenNotebook(doc, lpszPath) != 1)
        return "";
    std::string first;
    CQlcDocLock::CScoped tableLock69(doc.GetLock());
    const CQlcNodeMap& nodes = doc.GetNodeTable(tableLock69);
    EXPECT_EQ(5, nodes.GetCount());
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        if (node.nType != QLC_NODE_NOTE)
            continue;
        const std::string name = (LPCSTR)node.strName;
        if (name.rfind("First note", 0) == 0)
            first = name;
        // Each note's payload was made from its place in kNoteNames.
        DWORD dwSeed = 0;
        for (DWORD i = 0; i < 4; ++i)
        {
            if (name.rfind(kNoteNames[i], 0) == 0)
                dwSeed = i + 1;
        }
        EXPECT_TRUE(dwSeed != 0 && ReadNodeData(doc, dwId) == MarkedPayload(dwSeed)) << name;
    }
    EXPECT_TRUE(prompts.boxes.empty());
    return first;
}

// Every file below a folder.
void ListFiles(const std::string& folder, std::vector<std::string>& files)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
    {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder + "\\" + name, files);
        else
            files.push_back(folder + "\\" + name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// The files below a folder that hold the notebook's plain text.
std::vector<std::string> FilesWithPlainText(LPCSTR lpszFolder)
{
    std::vector<std::string> files, holding;
    ListFiles(lpszFolder, files);
    const std::string marker = kMarker;
    for (const std::string& file : files)
    {
        const Bytes bytes = ReadFileBytes(file.c_str());
        if (std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end()) != bytes.end())
            holding.push_back(file);
    }
    return holding;
}

// Runs the save process with its temporary folder set to lpszTemp until it
// stops at the step (or ends). onStopped runs while it is stopped; then it is
// killed. TRUE when it stopped; the exit code otherwise.
BOOL RunChild(LPCSTR lpszNotebook, LPCSTR lpszPassword, int nStep, int nCount, LPCSTR lpszTemp,
              const std::function<void()>& onStopped, DWORD* pdwExit = nullptr)
{
    static LONG s_nRun = 0;
    char szEvent[64];
    sprintf(szEvent, "QlcSaveChildStopped-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&s_nRun));
    HANDLE hStopped = CreateEventA(nullptr, TRUE, FALSE, szEvent);
    EXPECT_NE(nullptr, hStopped);

    char szCommand[2 * MAX_PATH + 200];
    sprintf(szCommand, "\"%sqlcsavechild.exe\" \"%s\" %s %d %d %s", (LPCSTR)ExeFolder(), lpszNotebook,
            lpszPassword, nStep, nCount, szEvent);

    // The child takes its temporary folder from these.
    char szOldTmp[MAX_PATH + 1] = {}, szOldTemp[MAX_PATH + 1] = {};
    GetEnvironmentVariableA("TMP", szOldTmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", szOldTemp, MAX_PATH);
    SetEnvironmentVariableA("TMP", lpszTemp);
    SetEnvironmentVariableA("TEMP", lpszTemp);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted = CreateProcessA(nullptr, szCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("TMP", szOldTmp[0] ? szOldTmp : nullptr);
    SetEnvironmentVariableA("TEMP", szOldTemp[0] ? szOldTemp : nullptr);
    EXPECT_TRUE(bStarted) << szCommand;
    if (!bStarted)
    {
        CloseHandle(hStopped);
        return FALSE;
    }

    HANDLE waits[2] = { hStopped, pi.hProcess };
    const DWORD dwWait = WaitForMultipleObjects(2, waits, FALSE, 120000);
    const BOOL bStopped = dwWait == WAIT_OBJECT_0;
    if (bStopped && onStopped)
        onStopped();
    if (dwWait != WAIT_OBJECT_0 + 1)
    {
        EXPECT_NE(WAIT_TIMEOUT, dwWait) << "the child neither stopped nor ended";
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 30000);
    }
    DWORD dwExit = 0;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    if (pdwExit != nullptr)
        *pdwExit = dwExit;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(hStopped);
    return bStopped;
}

struct CKillPoint
{
    int nStep;
    int nCount;
    BOOL bReplaced;   // the new notebook is in place at that point
    const char* pszWhat;
};

} // namespace

TEST(CrashSafetyTest, AKilledSaveOfAnEncryptedNotebookLeavesNoPlainTextBehind)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    CTempDir notebookDir;
    CTempDir childTemp;
    const CString strPath = notebookDir.Path("locked.qlc");

    const CKillPoint points[] = {
        { 0, 1, FALSE, "the notebook open, its decrypted copy made" },
        { IQlcFileProbe::stepFilesCreated, 1, FALSE, "the save's files made" },
        { IQlcFileProbe::stepPayloadCopied, 3, FALSE, "during the write of the plain file" },
        { IQlcFileProbe::stepPlainWritten, 1, FALSE, "the plain file complete" },
        { IQlcFileProbe::stepChunkEnciphered, 100, FALSE, "during the write of the encrypted file" },
        { IQlcFileProbe::stepTargetReplaced, 1, TRUE, "the notebook replaced, the old copy still there" },
        { IQlcFileProbe::stepBlockWiped, 2, TRUE, "during the wipe of the old copy" },
    };
    for (const CKillPoint& point : points)
    {
        SCOPED_TRACE(point.pszWhat);
        MakeNotebook(strPath, TRUE, crypt.handler);
        ASSERT_TRUE(FilesWithPlainText(notebookDir.Dir()).empty());

        std::vector<std::string> tempsWhileStopped;
        const BOOL bStopped = RunChild(strPath, kPassword, point.nStep, point.nCount, childTemp.Dir(), [&]() {
            tempsWhileStopped = ListQlcTempFiles(childTemp.Dir());
        });
        ASSERT_TRUE(bStopped);
        // The work file and the decrypted copy (the new one too, later on).
        EXPECT_GE(tempsWhileStopped.size(), 2u);

        EXPECT_TRUE(ListQlcTempFiles(childTemp.Dir()).empty());
        EXPECT_TRUE(ListQlcTempFiles(notebookDir.Dir()).empty());
        EXPECT_EQ(std::vector<std::string>(), FilesWithPlainText(childTemp.Dir()));
        EXPECT_EQ(std::vector<std::string>(), FilesWithPlainText(notebookDir.Dir()));
        EXPECT_EQ(point.bReplaced ? "First note, edited" : "First note", FirstNoteName(strPath, TRUE));
    }

    // Not stopped, the same save goes through and leaves nothing either.
    MakeNotebook(strPath, TRUE, crypt.handler);
    DWORD dwExit = 1;
    EXPECT_FALSE(RunChild(strPath, kPassword, IQlcFileProbe::stepFilesCreated, 99, childTemp.Dir(), nullptr, &dwExit));
    EXPECT_EQ(0u, dwExit);
    EXPECT_EQ("First note, edited", FirstNoteName(strPath, TRUE));
    EXPECT_TRUE(ListQlcTempFiles(childTemp.Dir()).empty());
    EXPECT_TRUE(ListQlcTempFiles(notebookDir.Dir()).empty());
    EXPECT_EQ(std::vector<std::string>(), FilesWithPlainText(childTemp.Dir()));
}

TEST(CrashSafetyTest, AKilledSaveOfAPlainNotebookLeavesNoTemporaryFile)
{
    CCryptInstall crypt;
    CTempDir notebookDir;
    CTempDir childTemp;
    const CString strPath = notebookDir.Path("open.qlc");

    const CKillPoint points[] = {
        { 0, 1, FALSE, "the notebook open" },
        { IQlcFileProbe::stepFilesCreated, 1, FALSE, "the new file made" },
        { IQlcFileProbe::stepPayloadCopied, 3, FALSE, "during the write of the new file" },
        { IQlcFileProbe::stepPlainWritten, 1, FALSE, "the new file complete" },
        { IQlcFileProbe::stepTargetReplaced, 1, TRUE, "the notebook replaced" },
    };
    for (const CKillPoint& point : points)
    {
        SCOPED_TRACE(point.pszWhat);
        MakeNotebook(strPath, FALSE, crypt.handler);

        std::vector<std::string> besideWhileStopped;
        const BOOL bStopped = RunChild(strPath, "-", point.nStep, point.nCount, childTemp.Dir(),
                                       [&]() { besideWhileStopped = ListQlcTempFiles(notebookDir.Dir()); });
        ASSERT_TRUE(bStopped);
        // The new file is written beside the notebook, never in the
        // temporary folder, until it replaces the notebook.
        const BOOL bWriting = point.nStep != 0 && !point.bReplaced;
        EXPECT_EQ(bWriting ? 1u : 0u, besideWhileStopped.size());

        EXPECT_TRUE(ListQlcTempFiles(childTemp.Dir()).empty());
        EXPECT_TRUE(ListQlcTempFiles(notebookDir.Dir()).empty());
        std::vector<std::string> files;
        ListFiles((LPCSTR)notebookDir.Dir(), files);
        EXPECT_EQ(1u, files.size());
        EXPECT_EQ(point.bReplaced ? "First note, edited" : "First note", FirstNoteName(strPath, FALSE));
    }
}

TEST(CrashSafetyTest, TheSweepRemovesOnlyStaleFilesOfOurs)
{
    CTempDir dir;
    SYSTEMTIME st;
    GetSystemTime(&st);
    FILETIME ftNow;
    SystemTimeToFileTime(&st, &ftNow);
    auto shifted = [&](LONGLONG llSeconds) {
        ULARGE_INTEGER u;
        u.LowPart = ftNow.dwLowDateTime;
        u.HighPart = ftNow.dwHighDateTime;
        u.QuadPart += llSeconds * 10000000LL;
        FILETIME ft = { u.LowPart, u.HighPart };
        return ft;
    };
    const FILETIME ftOld = shifted(-3600);
    const FILETIME ftStart = shifted(-60);
    auto plant = [&](LPCSTR lpszName, BOOL bOld) {
        const CString strPath = dir.Path(lpszName);
        WriteFileBytes(strPath, Bytes(5000, 'p'));
        HANDLE h = CreateFileA(strPath, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        if (bOld)
            SetFileTime(h, &ftOld, &ftOld, &ftOld);
        CloseHandle(h);
        return strPath;
    };

    const CString strStale1 = plant("Qlc1A2B.tmp", TRUE);
    const CString strStale2 = plant("qlcff.TMP", TRUE);
    const CString strLink = LinkTo(dir, "stale.link", strStale1);
    const char* const kept[] = { "Qlc12345.tmp", "QlcNotes.tmp", "Qlc1234.txt", "Other1234.tmp", "Qlc.tmp",
                                 "XQlc1.tmp" };
    for (LPCSTR lpszName : kept)
        plant(lpszName, TRUE);
    const CString strNew = plant("Qlc9.tmp", FALSE);        // younger than the start
    const CString strHeld = plant("QlcBEEF.tmp", TRUE);     // another running copy holds it
    HANDLE hHeld = CreateFileA(strHeld, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    const CString strFolder = dir.Path("Qlc77.tmp");
    ASSERT_TRUE(CreateDirectoryA(strFolder, nullptr));

    EXPECT_EQ(2, CQlcTempFile::SweepFolder(dir.Dir(), ftStart, 100));
    EXPECT_FALSE(FileExists(strStale1));
    EXPECT_FALSE(FileExists(strStale2));
    if (!strLink.IsEmpty())
    {
        EXPECT_TRUE(IsAllZero(ReadFileBytes(strLink))) << "overwritten before removal";
    }
    for (LPCSTR lpszName : kept)
        EXPECT_TRUE(FileExists(dir.Path(lpszName))) << lpszName;
    EXPECT_TRUE(FileExists(strNew));
    EXPECT_TRUE(FileExists(strHeld));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strFolder));
    CloseHandle(hHeld);

    // Bounded: it looks at no more names than it is given.
    plant("Qlc1.tmp", TRUE);
    plant("Qlc2.tmp", TRUE);
    plant("Qlc3.tmp", TRUE);
    EXPECT_LE(CQlcTempFile::SweepFolder(dir.Dir(), ftStart, 2), 2);
    EXPECT_GE(CQlcTempFile::SweepFolder(dir.Dir(), ftStart, 100), 2); // the rest and the one let go
    EXPECT_FALSE(FileExists(dir.Path("Qlc1.tmp")));
    EXPECT_FALSE(FileExists(dir.Path("Qlc3.tmp")));
    RemoveDirectoryA(strFolder);

    EXPECT_TRUE(CQlcTempFile::IsOurName("QLCabcd.tmp"));
    EXPECT_FALSE(CQlcTempFile::IsOurName("Qlcabcde.tmp"));
    EXPECT_FALSE(CQlcTempFile::IsOurName("Qlc12.tmp.bak"));
}

TEST(CrashSafetyTest, AtStartTheProgramSweepsFilesOlderThanItself)
{
    CTempDir childTemp;
    // Both written an hour before the child starts.
    SYSTEMTIME st;
    GetSystemTime(&st);
    FILETIME ftOld;
    SystemTimeToFileTime(&st, &ftOld);
    ULARGE_INTEGER u;
    u.LowPart = ftOld.dwLowDateTime;
    u.HighPart = ftOld.dwHighDateTime;
    u.QuadPart -= 3600 * 10000000ULL;
    ftOld.dwLowDateTime = u.LowPart;
    ftOld.dwHighDateTime = u.HighPart;
    for (LPCSTR lpszName : { "Qlc7.tmp", "Qlc7.txt" })
    {
        WriteFileBytes(childTemp.Path(lpszName), Bytes(3000, 'p'));
        HANDLE h = CreateFileA(childTemp.Path(lpszName), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        EXPECT_TRUE(SetFileTime(h, &ftOld, &ftOld, &ftOld));
        CloseHandle(h);
    }
    DWORD dwExit = 1;
    EXPECT_FALSE(RunChild("-", "-", -1, 0, childTemp.Dir(), nullptr, &dwExit));
    EXPECT_EQ(0u, dwExit);
    EXPECT_FALSE(FileExists(childTemp.Path("Qlc7.tmp")));
    EXPECT_TRUE(FileExists(childTemp.Path("Qlc7.txt")));
}

// A save writes its new file beside the notebook and renames it over the
// notebook: no second copy through the temporary folder.
TEST(CrashSafetyTest, TheNewFileIsWrittenBesideTheNotebook)
{
    CCryptInstall crypt;
    CTempDir dir;
    for (BOOL bEncrypted : { FALSE, TRUE })
    {
        SCOPED_TRACE(bEncrypted ? "encrypted" : "plain");
        const CString strPath = dir.Path(bEncrypted ? "locked.qlc" : "open.qlc");
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        ASSERT_TRUE(WriteNodeData(doc, AddNode(doc, QLC_NODE_NOTE, "n"), NoiseBytes(300000, 3), FALSE));
        if (bEncrypted)
        {
            ASSERT_TRUE(doc.Data_SetFileEncryption(kAes, 32, kSha256, "pw", 2));
        }
        doc.Data_SetNotebookPath(strPath);
        const CTempFilesWatch temps; // the work file is there already

        struct CLook : IQlcFileProbe
        {
            std::function<void(int)> look;
            void OnStep(int nStep) override { look(nStep); }
        } probe;
        std::vector<std::string> beside, inTemp;
        probe.look = [&](int nStep) {
            // The last step before the new file takes the notebook's place.
            if (nStep == (bEncrypted ? IQlcFileProbe::stepChunkEnciphered : IQlcFileProbe::stepPlainWritten))
            {
                beside = ListQlcTempFiles(dir.Dir());
                inTemp = temps.Added();
            }
        };
        IQlcFileProbe* pPrevious = QlcSetFileProbe(&probe);
        const BOOL bSaved = doc.Data_WriteFile();
        QlcSetFileProbe(pPrevious);
        ASSERT_TRUE(bSaved);

        EXPECT_EQ(1u, beside.size());
        // An encrypted notebook's plain file lives in the temporary folder
        // and stays as the decrypted copy.
        EXPECT_EQ(bEncrypted ? 1u : 0u, inTemp.size());
        EXPECT_TRUE(ListQlcTempFiles(dir.Dir()).empty());
        EXPECT_EQ(bEncrypted ? 1u : 0u, temps.Added().size());
    }
}
