#include "app/CrashHandler.h"

#include "app/res/Resource.h"

#include "core/CLog.h"

#include "framework/base/AfxLibrary.h"
#include "framework/base/AfxPath.h"
#include "framework/base/AfxPrompt.h"
#include "framework/base/CString.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"
#include "framework/docview/CDocTemplate.h"
#include "framework/docview/CDocument.h"
#include "framework/docview/CWinApp.h"
#include "framework/res/AfxRes.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <atomic>
#include <vector>

namespace {

typedef BOOL(WINAPI* PFN_MINIDUMPWRITEDUMP)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                            PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// The dump writer's process-wide state. Crashes are handled one at a time
// (the filter's guard), so no lock.
PFN_MINIDUMPWRITEDUMP g_pfnMiniDumpWriteDump = nullptr;
int g_nDumpResult = QLC_DUMP_NOT_BOUND;
// How the binding went: not tried, bound, no library or no entry. Kept
// apart from the last result, which a bad argument overwrites.
int g_nBindResult = QLC_DUMP_NOT_BOUND;

CCrashSeams g_seams;

// The thread handling a crash, and the thread running its messages and
// save offer (itself, or the interface thread for a worker's crash). An
// exception on either while the crash is handled ends the process at once.
std::atomic<DWORD> g_dwCrashThread(0);
std::atomic<DWORD> g_dwCrashWorkThread(0);

int StoreResult(int nResult)
{
    g_nDumpResult = nResult;
    return nResult;
}

// Appends without the heap; FALSE when it does not fit (nothing appended).
BOOL Append(LPSTR lpszBuffer, size_t cchBuffer, LPCSTR lpszText)
{
    const size_t nUsed = strlen(lpszBuffer);
    const size_t nText = strlen(lpszText);
    if (nUsed + nText + 1 > cchBuffer)
        return FALSE;
    memcpy(lpszBuffer + nUsed, lpszText, nText + 1);
    return TRUE;
}

// Whether the last character (not byte: a double-byte character may end in
// 0x5C) is a backslash.
BOOL EndsWithBackslash(LPCSTR lpszText)
{
    if (*lpszText == '\0')
        return FALSE;
    LPCSTR lpszEnd = lpszText + strlen(lpszText);
    LPCSTR lpszLast = ::CharPrevA(lpszText, lpszEnd);
    return lpszLast + 1 == lpszEnd && *lpszLast == '\\';
}

BOOL GetAppDataFolder(LPSTR lpszFolder)
{
    if (g_seams.pfnGetAppDataFolder != nullptr)
        return g_seams.pfnGetAppDataFolder(lpszFolder);
    return SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                        lpszFolder));
}

DWORD ExceptionCodeOf(EXCEPTION_POINTERS* p)
{
    if (p == nullptr || ::IsBadReadPtr(p, sizeof(*p)) || p->ExceptionRecord == nullptr ||
        ::IsBadReadPtr(p->ExceptionRecord, sizeof(EXCEPTION_RECORD)))
        return (DWORD)EXCEPTION_NONCONTINUABLE_EXCEPTION;
    return p->ExceptionRecord->ExceptionCode;
}

// The messages and the save offer, on the thread that shows windows.
void ReportOnScreen(LPCSTR lpszDumpPath)
{
    g_dwCrashWorkThread = ::GetCurrentThreadId();
    try
    {
        ReportFatalError(lpszDumpPath);
        SaveModifiedDocumentsOnCrash();
    }
    catch (...)
    {
        // Nothing more can be done for the user: the process ends anyway.
    }
    g_dwCrashWorkThread = 0;
}

} // namespace

CCrashSeams& CrashSeams()
{
    return g_seams;
}

void ResetMiniDumpWriter()
{
    g_pfnMiniDumpWriteDump = nullptr;
    g_nDumpResult = QLC_DUMP_NOT_BOUND;
    g_nBindResult = QLC_DUMP_NOT_BOUND;
}

int GetMiniDumpResult()
{
    return g_nDumpResult;
}

void InstallCrashHandler()
{
    ::SetUnhandledExceptionFilter(&AppUnhandledExceptionFilter);
    AfxSetEscapedExceptionsFatal(TRUE);
}

// ---------------------------------------------------------------------------
// The dump writer

BOOL LoadDbgHelp()
{
    HMODULE hModule = ::GetModuleHandleA(g_seams.lpszDbgHelpName);
    if (hModule == nullptr)
        hModule = AfxLoadSystemLibrary(g_seams.lpszDbgHelpName);
    if (hModule == nullptr)
    {
        g_nDumpResult = g_nBindResult = QLC_DUMP_NO_LIBRARY;
        return FALSE;
    }
    g_pfnMiniDumpWriteDump = reinterpret_cast<PFN_MINIDUMPWRITEDUMP>(
        reinterpret_cast<void*>(::GetProcAddress(hModule, g_seams.lpszEntryName)));
    if (g_pfnMiniDumpWriteDump == nullptr)
    {
        g_nDumpResult = g_nBindResult = QLC_DUMP_NO_ENTRY;
        return FALSE;
    }
    g_nBindResult = QLC_DUMP_WRITTEN;
    return TRUE;
}

int WriteMiniDump(DWORD dwDumpType, LPCSTR lpszPath, DWORD dwThreadId, EXCEPTION_POINTERS* pExceptionPointers)
{
    if (lpszPath == nullptr || ::IsBadStringPtrA(lpszPath, MAX_PATH + 1) || strnlen(lpszPath, MAX_PATH + 1) > MAX_PATH)
        return StoreResult(QLC_DUMP_BAD_ARGUMENT);
    // 2 x length + 2 bytes: room for every character and the terminator.
    WCHAR szWide[MAX_PATH + 1];
    const int nLength = (int)strlen(lpszPath);
    if (::MultiByteToWideChar(CP_ACP, 0, lpszPath, nLength + 1, szWide, nLength + 1) == 0)
        return StoreResult(QLC_DUMP_BAD_ARGUMENT);
    return WriteMiniDumpW(dwDumpType, szWide, dwThreadId, pExceptionPointers);
}

int WriteMiniDumpW(DWORD dwDumpType, LPCWSTR lpszPath, DWORD dwThreadId, EXCEPTION_POINTERS* pExceptionPointers)
{
    if (g_pfnMiniDumpWriteDump == nullptr)
    {
        // Bound once: a library or entry that was missing is not looked for
        // again.
        if (g_nBindResult == QLC_DUMP_NOT_BOUND)
            LoadDbgHelp();
        if (g_pfnMiniDumpWriteDump == nullptr)
            return StoreResult(g_nBindResult);
    }
    if (lpszPath == nullptr || ::IsBadStringPtrW(lpszPath, MAX_PATH + 1) || wcsnlen(lpszPath, MAX_PATH + 1) > MAX_PATH ||
        pExceptionPointers == nullptr || ::IsBadReadPtr(pExceptionPointers, sizeof(EXCEPTION_POINTERS)) ||
        dwThreadId == 0)
        return StoreResult(QLC_DUMP_BAD_ARGUMENT);
    HANDLE hFile = ::CreateFileW(lpszPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return StoreResult(QLC_DUMP_NOT_CREATED);
    MINIDUMP_EXCEPTION_INFORMATION info;
    info.ThreadId = dwThreadId;
    info.ExceptionPointers = pExceptionPointers;
    info.ClientPointers = TRUE;
    const BOOL bWritten = g_pfnMiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), hFile,
                                                 (MINIDUMP_TYPE)dwDumpType, &info, nullptr, nullptr);
    ::CloseHandle(hFile);
    return StoreResult(bWritten ? QLC_DUMP_WRITTEN : QLC_DUMP_WRITE_FAILED);
}

void BuildCrashDumpPath(LPSTR lpszPath, size_t cchPath)
{
    if (cchPath == 0)
        return;
    lpszPath[0] = '\0';
    char szFolder[MAX_PATH] = "";
    if (GetAppDataFolder(szFolder) && szFolder[0] != '\0')
    {
        char szPath[MAX_PATH + 32] = "";
        Append(szPath, sizeof(szPath), szFolder);
        if (!EndsWithBackslash(szPath))
            Append(szPath, sizeof(szPath), "\\");
        Append(szPath, sizeof(szPath), "Varlo");
        ::CreateDirectoryA(szPath, nullptr);
        Append(szPath, sizeof(szPath), "\\Quillcrest");
        ::CreateDirectoryA(szPath, nullptr);
        Append(szPath, sizeof(szPath), "\\");
        if (!Append(lpszPath, cchPath, szPath))
            lpszPath[0] = '\0';
    }
    SYSTEMTIME st;
    if (g_seams.pfnGetLocalTime != nullptr)
        g_seams.pfnGetLocalTime(&st);
    else
        ::GetLocalTime(&st);
    char szDate[32] = "", szTime[32] = "";
    ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "yyyyMMdd", szDate, sizeof(szDate));
    ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, "HHmmss", szTime, sizeof(szTime));
    char szName[96] = "quillcrest-crash-";
    Append(szName, sizeof(szName), szDate);
    Append(szName, sizeof(szName), szTime);
    Append(szName, sizeof(szName), ".dmp");
    if (!Append(lpszPath, cchPath, szName))
    {
        lpszPath[0] = '\0';
        Append(lpszPath, cchPath, szName);
    }
}

// ---------------------------------------------------------------------------
// The filter

LONG WINAPI AppUnhandledExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers)
{
    const DWORD dwThisThread = ::GetCurrentThreadId();
    DWORD dwHandling = 0;
    if (!g_dwCrashThread.compare_exchange_strong(dwHandling, dwThisThread))
    {
        // An exception while a crash is handled: from the handling itself it
        // ends the process here, without going round again; from another
        // thread it waits for the first crash to end the process.
        if (dwHandling == dwThisThread || g_dwCrashWorkThread.load() == dwThisThread)
            ::TerminateProcess(::GetCurrentProcess(), ExceptionCodeOf(pExceptionPointers));
        for (;;)
            ::Sleep(INFINITE);
    }

    // The dump first, while the process is as the crash left it: the path
    // is built on the stack, nothing before it allocates.
    char szDumpPath[MAX_PATH + 64];
    BuildCrashDumpPath(szDumpPath, sizeof(szDumpPath));
    WriteMiniDump(QLC_DUMP_TYPE, szDumpPath, dwThisThread, pExceptionPointers);

    try
    {
        g_log.WriteLine("");
        g_log.Write("# Unhandled exception occurred, minidump written to ");
        g_log.WriteLine(szDumpPath);
    }
    catch (...)
    {
    }

    if (CUiChannel::IsUiThread())
    {
        ReportOnScreen(szDumpPath);
    }
    else
    {
        // A worker shows no window and leaves the notebooks to the thread
        // that owns them; a busy interface thread gets a time limit.
        BOOL bTaken = FALSE;
        try
        {
            bTaken = CUiChannel::RunWithin([&]() { ReportOnScreen(szDumpPath); }, g_seams.dwUiTimeout);
        }
        catch (...)
        {
            bTaken = TRUE;
        }
        if (!bTaken)
        {
            try
            {
                g_log.WriteLine("WARNING: The interface thread did not answer: the crash was not reported on "
                                "screen and no notebook was offered for saving.");
            }
            catch (...)
            {
            }
        }
    }

    g_dwCrashThread = 0;
    return EXCEPTION_EXECUTE_HANDLER;
}

// ---------------------------------------------------------------------------
// Messages and the save offer

void ReportFatalError(LPCSTR lpszDumpPath)
{
    AfxMessageBox(IDS_CRASH_FATAL, MB_OK | MB_ICONSTOP);
    CString strFormat, strText;
    strFormat.LoadString(IDS_CRASH_SEND_FILES);
    const CString strLogPath = g_log.GetLogFilePath();
    strText.Format(strFormat, (LPCSTR)strLogPath, lpszDumpPath);
    AfxMessageBox(strText, MB_OK | MB_ICONINFORMATION);
}

CString GetRecoveryFileName(LPCSTR lpszPathName, LPCSTR lpszTitle)
{
    CString strFolder, strName;
    if (lpszPathName != nullptr && *lpszPathName != '\0')
    {
        strFolder = AfxPathGetFolderWithSeparator(lpszPathName);
        strName = AfxPathGetTitle(lpszPathName);
    }
    else
    {
        strName = AfxPathRemoveExtension(lpszTitle ? lpszTitle : "");
    }
    CString strFormat, strRecovered;
    strFormat.LoadString(IDS_CRASH_RECOVERED_NAME);
    strRecovered.Format(strFormat, (LPCSTR)strName);
    return strFolder + strRecovered + ".qlc";
}

namespace {

// Saves one notebook under a name the user confirms, never over an existing
// file (its last good copy above all) without a second, explicit yes.
void SaveRecoveryCopy(CWinApp* pApp, CDocTemplate* pTemplate, CDocument* pDoc)
{
    CString strName = GetRecoveryFileName(pDoc->GetPathName(), pDoc->GetTitle());
    for (;;)
    {
        if (!pApp->DoPromptFileName(strName, AFX_IDS_SAVEFILE, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, FALSE,
                                    pTemplate))
            return;
        if (::GetFileAttributesA(strName) == INVALID_FILE_ATTRIBUTES)
            break;
        CString strFormat, strText;
        strFormat.LoadString(IDS_CRASH_REPLACE_FILE);
        strText.Format(strFormat, (LPCSTR)strName);
        if (AfxMessageBox(strText, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            break;
    }
    // A failed save has told the user through the document's own messages.
    pDoc->DoSave(strName, TRUE);
}

} // namespace

void SaveModifiedDocumentsOnCrash()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    POSITION posTemplate = pApp->GetFirstDocTemplatePosition();
    if (posTemplate == nullptr)
        return;
    CDocTemplate* pTemplate = pApp->GetNextDocTemplate(posTemplate);
    if (pTemplate == nullptr || pTemplate->GetFirstDocPosition() == nullptr)
        return;
    if (AfxMessageBox(IDS_CRASH_SAVE_OFFER, MB_YESNO | MB_ICONSTOP) != IDYES)
        return;
    std::vector<CDocument*> documents;
    for (POSITION pos = pTemplate->GetFirstDocPosition(); pos != nullptr;)
        documents.push_back(pTemplate->GetNextDoc(pos));
    for (CDocument* pDoc : documents)
    {
        if (pDoc != nullptr && pDoc->IsModified())
            SaveRecoveryCopy(pApp, pTemplate, pDoc);
    }
}
