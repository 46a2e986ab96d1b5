#include "core/CLog.h"

#include "core/QlcVersion.h"

#include "framework/base/AfxPath.h"

CLog g_log __attribute__((init_priority(101)));

namespace {

const char* const s_months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
const char* const s_monthNames[] = { "January", "February", "March", "April", "May", "June", "July",
                                     "August", "September", "October", "November", "December" };
const char* const s_dayNames[] = { "Sunday", "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday" };

ULONGLONG ToUll(const FILETIME& ft)
{
    return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
}

class CLogLock
{
public:
    explicit CLogLock(CRITICAL_SECTION* pcs) : m_pcs(pcs) { EnterCriticalSection(m_pcs); }
    ~CLogLock() { LeaveCriticalSection(m_pcs); }

private:
    CRITICAL_SECTION* m_pcs;
};

} // namespace

CLog::CLog() : m_bOpen(FALSE)
{
    InitializeCriticalSection(&m_cs);
}

CLog::~CLog()
{
    Close();
    DeleteCriticalSection(&m_cs);
}

CString CLog::GetLogFolder()
{
    return AfxGetModuleFolder() + "\\Logs";
}

void CLog::SetFolder(LPCSTR lpszFolder)
{
    CLogLock lock(&m_cs);
    m_strFolder = lpszFolder != nullptr ? lpszFolder : "";
}

CString CLog::GetFolder() const
{
    CLogLock lock(const_cast<CRITICAL_SECTION*>(&m_cs));
    return m_strFolder.IsEmpty() ? GetLogFolder() : m_strFolder;
}

void CLog::GetNow(SYSTEMTIME& stLocal) const
{
    GetLocalTime(&stLocal);
}

CString CLog::GetDayFileName(LPCSTR lpszFolder, const SYSTEMTIME& st)
{
    CString strName;
    strName.Format("%s\\Quillcrest %02u-%s-%02u.log", lpszFolder, (unsigned)st.wDay,
                   s_months[(st.wMonth >= 1 && st.wMonth <= 12) ? st.wMonth - 1 : 0],
                   (unsigned)(st.wYear % 100));
    return strName;
}

LONGLONG CLog::AgeInDays(const FILETIME& ftNow, const FILETIME& ftCreated)
{
    // File times count 100 ns units; the remainder of a day is dropped.
    const LONGLONG nSeconds = ((LONGLONG)ToUll(ftNow) - (LONGLONG)ToUll(ftCreated)) / 10000000LL;
    return nSeconds / 86400;
}

void CLog::Open()
{
    CLogLock lock(&m_cs);
    if (m_bOpen)
        return;
    const CString strFolder = GetFolder();
    CreateDirectoryA(strFolder, nullptr); // an existing folder is fine
    DeleteOldLogs(strFolder);

    SYSTEMTIME st;
    GetNow(st);
    try
    {
        CFileException e;
        if (!m_file.Open(GetDayFileName(strFolder, st),
                         CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate | CFile::shareDenyWrite, &e))
            return;
        m_file.SeekToEnd();
    }
    catch (CFileException&)
    {
        m_file.Abort();
        return;
    }
    m_bOpen = TRUE;
    // Lines begun before the file was open are dropped, not glued on.
    for (auto& entry : m_threads)
    {
        entry.second.strPending.Empty();
        entry.second.bPending = FALSE;
    }
    WriteHeader(st);
}

void CLog::WriteHeader(const SYSTEMTIME& st)
{
    WriteLine(nullptr);
    WriteLine("##### BEGIN LOG #####");
    CString str;
    str.Format("Varlo Quillcrest Log - v%s (build %s)", QLC_VERSION_STRING, QLC_BUILD_STRING);
    WriteLine(str);

    TIME_ZONE_INFORMATION tzi = {};
    const DWORD dwZone = GetTimeZoneInformation(&tzi);
    char szZone[64] = {};
    WideCharToMultiByte(CP_ACP, 0, dwZone == TIME_ZONE_ID_DAYLIGHT ? tzi.DaylightName : tzi.StandardName, -1,
                        szZone, sizeof(szZone) - 1, nullptr, nullptr);
    str.Format("%s %02u %s, %02u:%02u:%02u %s", s_dayNames[st.wDayOfWeek % 7], (unsigned)st.wDay,
               s_monthNames[(st.wMonth >= 1 && st.wMonth <= 12) ? st.wMonth - 1 : 0], (unsigned)st.wHour,
               (unsigned)st.wMinute, (unsigned)st.wSecond, szZone);
    WriteLine(str);
    WriteOSVersion();
    WriteLine(nullptr);
}

void CLog::WriteRaw(LPCSTR lpsz, size_t n)
{
    if (n == 0)
        return;
    try
    {
        m_file.Write(lpsz, (UINT)n);
    }
    catch (CFileException&)
    {
        // A full disk must not take the program down with it.
    }
}

void CLog::Close()
{
    CLogLock lock(&m_cs);
    // A step begun and never ended ("Saving...") still shows it began.
    if (m_bOpen)
    {
        for (auto& entry : m_threads)
        {
            if (entry.second.bPending)
                WriteRaw(entry.second.strPending, (size_t)entry.second.strPending.GetLength());
            entry.second.strPending.Empty();
            entry.second.bPending = FALSE;
        }
    }
    m_bOpen = FALSE;
    m_file.Abort();
}

CLog::ThreadState& CLog::CurrentThread()
{
    return m_threads[GetCurrentThreadId()];
}

void CLog::ForgetIfIdle(DWORD dwThreadId)
{
    auto it = m_threads.find(dwThreadId);
    if (it != m_threads.end() && it->second.nIndentDepth == 0 && !it->second.bPending)
        m_threads.erase(it);
}

void CLog::Write(LPCSTR lpszText)
{
    CLogLock lock(&m_cs);
    if (!m_bOpen)
        return;
    ThreadState& state = CurrentThread();
    if (!state.bPending)
    {
        state.strPending = CString('\t', state.nIndentDepth);
        state.bPending = TRUE;
    }
    if (lpszText != nullptr)
        state.strPending += lpszText;
}

void CLog::WriteLine(LPCSTR lpszText)
{
    CLogLock lock(&m_cs);
    if (!m_bOpen)
        return;
    Write(lpszText); // the lock is re-entrant
    ThreadState& state = CurrentThread();
    state.strPending += "\r\n";
    WriteRaw(state.strPending, (size_t)state.strPending.GetLength());
    state.strPending.Empty();
    state.bPending = FALSE;
    ForgetIfIdle(GetCurrentThreadId());
}

void CLog::Indent()
{
    CLogLock lock(&m_cs);
    ++CurrentThread().nIndentDepth;
}

void CLog::Outdent()
{
    CLogLock lock(&m_cs);
    ThreadState& state = CurrentThread();
    if (state.nIndentDepth > 0)
        --state.nIndentDepth;
    ForgetIfIdle(GetCurrentThreadId());
}

CString CLog::GetLogFilePath() const
{
    CLogLock lock(const_cast<CRITICAL_SECTION*>(&m_cs));
    return m_bOpen ? m_file.GetFilePath() : CString();
}

void CLog::WriteFileVersion(LPCSTR lpszName, ULONGLONG ullVersion)
{
    CString str;
    str.Format("%s Version: %u.%u.%u.%u", lpszName ? lpszName : "", (unsigned)((ullVersion >> 48) & 0xFFFF),
               (unsigned)((ullVersion >> 32) & 0xFFFF), (unsigned)((ullVersion >> 16) & 0xFFFF),
               (unsigned)(ullVersion & 0xFFFF));
    WriteLine(str);
}

void CLog::DeleteOldLogs(LPCSTR lpszFolder)
{
    SYSTEMTIME stNow;
    GetSystemTime(&stNow);
    FILETIME ftNow;
    SystemTimeToFileTime(&stNow, &ftNow);

    const CString strFolder = lpszFolder;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(strFolder + "\\*.log", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsExpired(ftNow, fd.ftCreationTime))
            DeleteFileA(strFolder + "\\" + fd.cFileName); // a failure leaves it for next time
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
}

void CLog::WriteOSVersion()
{
    OSVERSIONINFOEXA osvi = {};
    osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    BOOL bEx = TRUE;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA((OSVERSIONINFOA*)&osvi))
    {
        bEx = FALSE;
        osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA((OSVERSIONINFOA*)&osvi))
            return;
    }
#pragma GCC diagnostic pop

    CString strText;
    switch (osvi.dwPlatformId)
    {
    case VER_PLATFORM_WIN32_WINDOWS:
        if (osvi.dwMinorVersion == 0)
        {
            strText = "Windows 95";
            if (osvi.szCSDVersion[1] == 'B')
                strText += " OSR2";
            else if (osvi.szCSDVersion[1] == 'C')
                strText += " OSR2.1";
        }
        else if (osvi.dwMinorVersion == 10)
        {
            strText = "Windows 98";
            if (osvi.szCSDVersion[1] == 'A')
                strText += " SE";
        }
        else if (osvi.dwMinorVersion == 90)
        {
            strText = "Windows Me";
        }
        else
        {
            strText = "Windows";
        }
        break;

    case VER_PLATFORM_WIN32_NT:
    {
        strText = "Windows NT ";
        if (osvi.dwMajorVersion == 5)
        {
            if (osvi.dwMinorVersion == 0)
                strText = "Windows 2000 ";
            else if (osvi.dwMinorVersion == 1)
                strText = "Windows XP ";
        }
        if (!bEx)
        {
            HKEY hKey = nullptr;
            char szProduct[80] = {};
            DWORD cb = sizeof(szProduct) - 1;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0,
                              KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS)
            {
                if (RegQueryValueExA(hKey, "ProductType", nullptr, nullptr, (LPBYTE)szProduct, &cb) != ERROR_SUCCESS)
                    szProduct[0] = 0;
                RegCloseKey(hKey);
            }
            if (lstrcmpiA(szProduct, "WINNT") == 0)
                strText += "Professional ";
            else if (lstrcmpiA(szProduct, "LANMANNT") == 0)
                strText += "Server ";
            else if (lstrcmpiA(szProduct, "SERVERNT") == 0)
                strText += "Advanced Server ";
        }
        else if (osvi.wProductType == VER_NT_SERVER)
        {
            if (osvi.wSuiteMask & VER_SUITE_DATACENTER)
                strText += "DataCenter Server ";
            else if (osvi.wSuiteMask & VER_SUITE_ENTERPRISE)
                strText += "Advanced Server ";
            else
                strText += "Server ";
        }
        const unsigned nBuild = osvi.dwBuildNumber & 0xFFFF;
        if (osvi.dwMajorVersion > 4)
            strText.AppendFormat("%s (Build %u)", osvi.szCSDVersion, nBuild);
        else
            strText.AppendFormat("version %u.%u %s (Build %u)", (unsigned)osvi.dwMajorVersion,
                                 (unsigned)osvi.dwMinorVersion, osvi.szCSDVersion, nBuild);
        break;
    }

    default:
        strText = "Windows";
        break;
    }
    WriteLine(strText);
}
