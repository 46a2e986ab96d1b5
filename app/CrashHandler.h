// What happens when an exception reaches no handler: a minidump into the
// user's application data (through the system's debug-help library, bound
// at the first crash), a log line with its path, two messages, an offer to
// save the modified notebooks under a recovery name, and the end of the
// process.
//
// A crash on a worker hands the messages and the save offer to the
// interface thread (which owns the windows and the notebooks) and gives up
// on them, with a log line, when that thread does not answer in time.
#pragma once

#include "framework/base/AfxDefs.h"

class CDocument;
class CString;

// Result codes of the dump writer.
enum
{
    QLC_DUMP_WRITTEN = 0,
    QLC_DUMP_NO_LIBRARY = 1,    // DBGHELP.DLL cannot be loaded
    QLC_DUMP_NO_ENTRY = 2,      // it has no MiniDumpWriteDump
    QLC_DUMP_BAD_ARGUMENT = 3,  // path, exception pointers or thread id
    QLC_DUMP_NOT_CREATED = 4,   // the file cannot be created
    QLC_DUMP_WRITE_FAILED = 5,  // MiniDumpWriteDump failed
    QLC_DUMP_NOT_BOUND = 8,     // binding not tried yet
};

// Data segments, handle data, indirectly referenced memory, process and
// thread data, thread information.
const DWORD QLC_DUMP_TYPE = 0x1145;

// Installs the filter; from then on C++ exceptions that escape a thread are
// crashes too.
void InstallCrashHandler();

LONG WINAPI AppUnhandledExceptionFilter(EXCEPTION_POINTERS* pExceptionPointers);

// The path in the system code page, converted with the ANSI code page.
int WriteMiniDump(DWORD dwDumpType, LPCSTR lpszPath, DWORD dwThreadId, EXCEPTION_POINTERS* pExceptionPointers);
int WriteMiniDumpW(DWORD dwDumpType, LPCWSTR lpszPath, DWORD dwThreadId, EXCEPTION_POINTERS* pExceptionPointers);
BOOL LoadDbgHelp();
// The last result code (QLC_DUMP_NOT_BOUND before the first crash).
int GetMiniDumpResult();

// "<application data>\Varlo\Quillcrest\quillcrest-crash-yyyyMMddHHmmss.dmp",
// creating the folders; the bare name when there is no application-data
// folder. Uses no heap (it runs before the dump is written).
void BuildCrashDumpPath(LPSTR lpszPath, size_t cchPath);

// The two messages: the program ends; which files to send.
void ReportFatalError(LPCSTR lpszDumpPath);
// The save offer for the modified notebooks of the first template.
void SaveModifiedDocumentsOnCrash();
// "<folder>\<name> (recovered).qlc" beside the notebook's file (or its
// title when it has none).
CString GetRecoveryFileName(LPCSTR lpszPathName, LPCSTR lpszTitle);

// Test seams.
struct CCrashSeams
{
    LPCSTR lpszDbgHelpName = "DBGHELP.DLL";
    LPCSTR lpszEntryName = "MiniDumpWriteDump";
    // Fills the application-data folder (MAX_PATH); FALSE when there is none.
    BOOL (*pfnGetAppDataFolder)(LPSTR lpszFolder) = nullptr;
    void (*pfnGetLocalTime)(LPSYSTEMTIME lpTime) = nullptr;
    // How long a worker's crash waits for the interface thread to take the
    // messages and the save offer.
    DWORD dwUiTimeout = 15000;
};
CCrashSeams& CrashSeams();
// Forgets the bound entry and the last result (the state before any crash).
void ResetMiniDumpWriter();
