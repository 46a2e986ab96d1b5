#include "core/CLog.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace {

FILETIME FileTimeFromSeconds(ULONGLONG ullSeconds)
{
    const ULONGLONG t = ullSeconds * 10000000ULL;
    FILETIME ft;
    ft.dwLowDateTime = (DWORD)t;
    ft.dwHighDateTime = (DWORD)(t >> 32);
    return ft;
}

std::string Text(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}

std::vector<std::string> Lines(const std::string& s)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i; (i = s.find("\r\n", start)) != std::string::npos; start = i + 2)
        lines.push_back(s.substr(start, i - start));
    if (start < s.size())
        lines.push_back(s.substr(start));
    return lines;
}

// A log in a folder of the test's own whose clock stands still.
class CDatedLog : public CLog
{
public:
    CDatedLog(LPCSTR lpszFolder, WORD wYear, WORD wMonth, WORD wDay, WORD wDayOfWeek, WORD wHour, WORD wMinute,
              WORD wSecond)
        : m_st()
    {
        SetFolder(lpszFolder);
        m_st.wYear = wYear;
        m_st.wMonth = wMonth;
        m_st.wDay = wDay;
        m_st.wDayOfWeek = wDayOfWeek;
        m_st.wHour = wHour;
        m_st.wMinute = wMinute;
        m_st.wSecond = wSecond;
    }

protected:
    void GetNow(SYSTEMTIME& stLocal) const override { stLocal = m_st; }

private:
    SYSTEMTIME m_st;
};

// A run's header at lines[at]: an empty line, the banner, the version, the
// date line (beginning with the date and time), the system line, an empty
// line.
void ExpectHeader(const std::vector<std::string>& lines, size_t at, const std::string& date)
{
    ASSERT_LE(at + 6, lines.size());
    EXPECT_EQ("", lines[at]);
    EXPECT_EQ("##### BEGIN LOG #####", lines[at + 1]);
    EXPECT_EQ("Varlo Quillcrest Log - v0.9.8 (build 20090817)", lines[at + 2]);
    EXPECT_EQ(0u, lines[at + 3].find(date)) << lines[at + 3];
    EXPECT_EQ(0u, lines[at + 4].find("Windows")) << lines[at + 4];
    EXPECT_EQ("", lines[at + 5]);
}

size_t Count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t i = s.find(what); i != std::string::npos; i = s.find(what, i + 1))
        ++n;
    return n;
}

} // namespace

TEST(LogTest, DayFileNameAndFolderBesideTheProgram)
{
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 8;
    EXPECT_EQ(CString("C:\\x\\Logs\\Quillcrest 08-Dec-26.log"), CLog::GetDayFileName("C:\\x\\Logs", st));
    st.wYear = 2009;
    st.wMonth = 5;
    st.wDay = 17;
    EXPECT_EQ(CString("L\\Quillcrest 17-May-09.log"), CLog::GetDayFileName("L", st));

    char szModule[MAX_PATH];
    GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    CString strExpected = szModule;
    strExpected = strExpected.Left(strExpected.ReverseFind('\\')) + "\\Logs";
    EXPECT_EQ(strExpected, CLog::GetLogFolder());
    // A log writes there unless given a folder of its own.
    CLog log;
    EXPECT_EQ(strExpected, log.GetFolder());
    log.SetFolder("C:\\elsewhere");
    EXPECT_EQ(CString("C:\\elsewhere"), log.GetFolder());
    log.SetFolder(nullptr);
    EXPECT_EQ(strExpected, log.GetFolder());
}

TEST(LogTest, AgeRuleCountsWholeDays)
{
    const ULONGLONG now = 13000000000ULL;
    const ULONGLONG day = 86400;
    EXPECT_EQ(15, CLog::AgeInDays(FileTimeFromSeconds(now), FileTimeFromSeconds(now - 15 * day)));
    EXPECT_TRUE(CLog::IsExpired(FileTimeFromSeconds(now), FileTimeFromSeconds(now - 15 * day)));
    // 14 days and 23 hours stay.
    EXPECT_EQ(14, CLog::AgeInDays(FileTimeFromSeconds(now), FileTimeFromSeconds(now - 15 * day + 3600)));
    EXPECT_FALSE(CLog::IsExpired(FileTimeFromSeconds(now), FileTimeFromSeconds(now - 15 * day + 3600)));
    EXPECT_FALSE(CLog::IsExpired(FileTimeFromSeconds(now), FileTimeFromSeconds(now)));
    // A creation time in the future is not old.
    EXPECT_FALSE(CLog::IsExpired(FileTimeFromSeconds(now), FileTimeFromSeconds(now + 40 * day)));
}

TEST(LogTest, DeletesOnlyLogsOfFifteenDaysOrMore)
{
    CTempDir dir;
    SYSTEMTIME stNow;
    GetSystemTime(&stNow);
    FILETIME ftNow;
    SystemTimeToFileTime(&stNow, &ftNow);
    const ULONGLONG now = (((ULONGLONG)ftNow.dwHighDateTime << 32) | ftNow.dwLowDateTime) / 10000000ULL;

    struct
    {
        const char* name;
        ULONGLONG age;
        bool kept;
    } files[] = {
        { "old.log", 15 * 86400 + 60, false },
        { "older.log", 300 * 86400, false },
        { "young.log", 14 * 86400 + 23 * 3600, true },
        { "today.log", 0, true },
        { "old.txt", 300 * 86400, true },
    };
    for (const auto& f : files)
    {
        WriteFileBytes(dir.Path(f.name), Bytes{ 'x' });
        HANDLE h = CreateFileA(dir.Path(f.name), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        // All three times: Wine keeps no creation time of its own apart from them.
        const FILETIME ft = FileTimeFromSeconds(now - f.age);
        ASSERT_TRUE(SetFileTime(h, &ft, &ft, &ft));
        CloseHandle(h);
    }
    CLog log;
    log.DeleteOldLogs(dir.Dir());
    for (const auto& f : files)
        EXPECT_EQ(f.kept, GetFileAttributesA(dir.Path(f.name)) != INVALID_FILE_ATTRIBUTES) << f.name;
}

TEST(LogTest, NothingIsWrittenBeforeOpen)
{
    CLog log;
    EXPECT_FALSE(log.IsOpen());
    log.WriteLine("lost");
    EXPECT_TRUE(log.GetLogFilePath().IsEmpty());
}

// Both runs in one test: the day file is shared and only one log may hold it.
TEST(LogTest, FormatIndentationAndTwoRunsAppending)
{
    CTempDir dir;
    const CString strPath = dir.Path("Quillcrest 08-Dec-26.log");
    {
        CDatedLog log(dir.Dir(), 2026, 12, 8, 2, 10, 20, 30); // a Tuesday
        log.Open();
        ASSERT_TRUE(log.IsOpen());
        EXPECT_EQ(strPath, log.GetLogFilePath());
        log.WriteLine("first");
        log.Write("a");
        log.WriteLine("b");
        log.Outdent(); // at depth 0: nothing
        log.Indent();
        log.Indent();
        log.WriteLine("x");
        log.Write("Loading...");
        log.WriteLine("Done.");
        log.Outdent();
        log.WriteLine("y");
        log.Outdent();
        log.Outdent();
        log.WriteLine(nullptr);
        log.WriteLine("z");
        log.WriteFileVersion("riched20.dll", 0x0005001E00260005ULL);
    }
    {
        CDatedLog log(dir.Dir(), 2026, 12, 8, 2, 23, 59, 59);
        log.Open();
        EXPECT_EQ(strPath, log.GetLogFilePath());
        log.WriteLine("second");
    }

    const std::string text = Text(ReadFileBytes(strPath));
    EXPECT_EQ(2u, Count(text, "##### BEGIN LOG #####"));

    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(21u, lines.size());
    ExpectHeader(lines, 0, "Tuesday 08 December, 10:20:30 ");
    EXPECT_EQ("first", lines[6]);
    EXPECT_EQ("ab", lines[7]);
    EXPECT_EQ("\t\tx", lines[8]);
    EXPECT_EQ("\t\tLoading...Done.", lines[9]);
    EXPECT_EQ("\ty", lines[10]);
    EXPECT_EQ("", lines[11]);
    EXPECT_EQ("z", lines[12]);
    EXPECT_EQ("riched20.dll Version: 5.30.38.5", lines[13]);
    // The second run appends its own header.
    ExpectHeader(lines, 14, "Tuesday 08 December, 23:59:59 ");
    EXPECT_EQ("second", lines[20]);
}

// A run on the next day starts that day's file and leaves the last one be.
TEST(LogTest, ANewDayStartsAFileOfItsOwn)
{
    CTempDir dir;
    {
        CDatedLog log(dir.Dir(), 2009, 5, 17, 0, 23, 59, 59); // a Sunday
        log.Open();
        log.WriteLine("before midnight");
    }
    const Bytes before = ReadFileBytes(dir.Path("Quillcrest 17-May-09.log"));
    {
        CDatedLog log(dir.Dir(), 2009, 5, 18, 1, 0, 0, 1);
        log.Open();
        EXPECT_EQ(dir.Path("Quillcrest 18-May-09.log"), log.GetLogFilePath());
        log.WriteLine("after midnight");
    }
    EXPECT_EQ(before, ReadFileBytes(dir.Path("Quillcrest 17-May-09.log")));
    const std::string text = Text(ReadFileBytes(dir.Path("Quillcrest 18-May-09.log")));
    EXPECT_EQ(1u, Count(text, "##### BEGIN LOG #####"));
    EXPECT_EQ(0u, Count(text, "before midnight"));
    EXPECT_EQ(1u, Count(text, "Monday 18 May, 00:00:01 "));
    EXPECT_EQ(1u, Count(text, "after midnight"));
}

// Two threads log nested steps at once: each line keeps its own thread's
// indentation and comes out whole.
TEST(LogTest, ThreadsKeepTheirOwnIndentationAndWholeLines)
{
    CTempDir dir;
    const std::string marker = "mt";
    CString strPath;
    {
        CLog log;
        log.SetFolder(dir.Dir());
        log.Open();
        ASSERT_TRUE(log.IsOpen());
        strPath = log.GetLogFilePath();
        auto run = [&log](const std::string& tag) {
            for (int i = 0; i < 200; ++i)
            {
                log.Indent(); // depth 1
                log.Write((tag + " step ").c_str());
                Sleep(0);
                log.WriteLine(std::to_string(i).c_str());
                log.Indent(); // depth 2
                log.WriteLine((tag + " inner").c_str());
                log.Outdent();
                log.Outdent();
            }
        };
        std::thread a(run, "A" + marker);
        std::thread b(run, "B" + marker);
        // This thread logs at depth 0 meanwhile.
        for (int i = 0; i < 200; ++i)
            log.WriteLine(("main " + marker).c_str());
        a.join();
        b.join();
    }

    const std::vector<std::string> lines = Lines(Text(ReadFileBytes(strPath)));
    size_t nMain = 0, nSteps = 0, nInner = 0;
    for (const std::string& line : lines)
    {
        if (line.find(marker) == std::string::npos)
            continue;
        if (line == "main " + marker)
            ++nMain;
        else if (line.rfind("\tA" + marker + " step ", 0) == 0 || line.rfind("\tB" + marker + " step ", 0) == 0)
        {
            // "\t<tag> step <n>": nothing of another line inside it.
            const std::string n = line.substr(line.rfind(' ') + 1);
            EXPECT_EQ(std::string::npos, n.find_first_not_of("0123456789")) << line;
            ++nSteps;
        }
        else if (line == "\t\tA" + marker + " inner" || line == "\t\tB" + marker + " inner")
            ++nInner;
        else
            ADD_FAILURE() << "mixed or misindented line: " << line;
    }
    EXPECT_EQ(200u, nMain);
    EXPECT_EQ(400u, nSteps);
    EXPECT_EQ(400u, nInner);
}
