// The program's day log: one text file a day in "Logs" beside the program,
// appended line by line with tab indentation for nested steps.
//
// Any thread may log. Each thread has its own indentation and its own line
// in the making: a worker's nested steps never indent the interface
// thread's lines, and a line reaches the file whole, never mixed with
// another thread's. Opening, closing and every write take the log's lock.
#pragma once

#include "framework/base/CFile.h"
#include "framework/base/CString.h"

#include <map>

class CLog
{
public:
    CLog();
    virtual ~CLog();

    // Creates the folder, deletes old logs, opens the day file at its end and
    // writes the run's header. Nothing is written before (or without) it.
    void Open();
    BOOL IsOpen() const { return m_bOpen; }
    // Lets go of the day file (another log may open it); Open starts again.
    void Close();

    void Write(LPCSTR lpszText);
    void WriteLine(LPCSTR lpszText = nullptr);
    void Indent();
    void Outdent();

    CString GetLogFilePath() const;
    void WriteFileVersion(LPCSTR lpszName, ULONGLONG ullVersion);
    void DeleteOldLogs(LPCSTR lpszFolder);
    void WriteOSVersion();

    // The folder the next Open puts the day file in; null or empty: the
    // program's (GetLogFolder).
    void SetFolder(LPCSTR lpszFolder);
    CString GetFolder() const;
    // The folder of the program's logs: its folder followed by "\Logs".
    static CString GetLogFolder();
    // "<folder>\Quillcrest dd-Mon-yy.log" for the given local date.
    static CString GetDayFileName(LPCSTR lpszFolder, const SYSTEMTIME& stLocal);
    // Whole days from the creation time to now; logs of 15 or more days go.
    static LONGLONG AgeInDays(const FILETIME& ftNow, const FILETIME& ftCreated);
    static BOOL IsExpired(const FILETIME& ftNow, const FILETIME& ftCreated) { return AgeInDays(ftNow, ftCreated) >= 15; }

protected:
    // The local date and time that name the day file and head each run.
    virtual void GetNow(SYSTEMTIME& stLocal) const;

private:
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    void WriteRaw(LPCSTR lpsz, size_t n);
    // The run's header, dated as the day file was chosen.
    void WriteHeader(const SYSTEMTIME& stLocal);

    // What one thread has under way: its depth and the start of a line that
    // Write began and WriteLine has not ended yet.
    struct ThreadState
    {
        int nIndentDepth = 0;
        CString strPending;
        BOOL bPending = FALSE;
    };
    // The calling thread's state (made on first use). Needs the lock.
    ThreadState& CurrentThread();
    // Forgets a thread's state once it holds nothing.
    void ForgetIfIdle(DWORD dwThreadId);

    std::map<DWORD, ThreadState> m_threads;
    CString m_strFolder;    // empty: the program's
    BOOL m_bOpen;
    CFile m_file;
    CRITICAL_SECTION m_cs;
};

// The one log of the program. It is constructed before and destroyed after
// every other static object, so their destructors may still log.
extern CLog g_log;
