#include "framework/base/AfxLibrary.h"

#include "framework/base/AfxPath.h"

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_APPLICATION_DIR
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif
#ifndef LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000
#endif

namespace {

// "C:\..." or "\\server\...": nothing about it depends on the current folder.
BOOL IsFullPath(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return FALSE;
    const BOOL bDrive = ((lpszPath[0] >= 'A' && lpszPath[0] <= 'Z') || (lpszPath[0] >= 'a' && lpszPath[0] <= 'z')) &&
                        lpszPath[1] == ':' && (lpszPath[2] == '\\' || lpszPath[2] == '/');
    const BOOL bShare = (lpszPath[0] == '\\' || lpszPath[0] == '/') && (lpszPath[1] == '\\' || lpszPath[1] == '/');
    return bDrive || bShare;
}

} // namespace

void AFXAPI AfxRestrictLibrarySearch()
{
    // Systems before the search flags (Windows 7 without its update) lack
    // the first; the second takes the current folder out there.
    typedef BOOL(WINAPI * PFN_SETDEFAULTDLLDIRECTORIES)(DWORD);
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    const PFN_SETDEFAULTDLLDIRECTORIES pfnSetDefault = hKernel == nullptr ? nullptr
        : reinterpret_cast<PFN_SETDEFAULTDLLDIRECTORIES>(
              reinterpret_cast<void*>(::GetProcAddress(hKernel, "SetDefaultDllDirectories")));
    if (pfnSetDefault != nullptr)
        pfnSetDefault(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryA("");
}

CString AFXAPI AfxGetLibraryPathBeside(LPCSTR lpszName, HMODULE hModule)
{
    char szModule[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(hModule, szModule, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || lpszName == nullptr)
        return CString();
    const CString strFolder = AfxPathGetFolderWithSeparator(szModule);
    return strFolder.IsEmpty() ? CString() : strFolder + lpszName;
}

HMODULE AFXAPI AfxLoadLibrary(LPCSTR lpszPath)
{
    if (lpszPath == nullptr || *lpszPath == '\0')
    {
        ::SetLastError(ERROR_BAD_PATHNAME);
        return nullptr;
    }
    CString strPath = lpszPath;
    if (AfxPathFindFileName(lpszPath) == lpszPath)
        strPath = AfxGetLibraryPathBeside(lpszPath);
    if (!IsFullPath(strPath))
    {
        ::SetLastError(ERROR_BAD_PATHNAME);
        return nullptr;
    }
    HMODULE hModule =
        ::LoadLibraryExA(strPath, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // Systems without the search flags refuse them as a parameter.
    if (hModule == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER)
        hModule = ::LoadLibraryExA(strPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return hModule;
}

HMODULE AFXAPI AfxLoadSystemLibrary(LPCSTR lpszName)
{
    char szFolder[MAX_PATH + 1] = {};
    const UINT n = ::GetSystemDirectoryA(szFolder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || lpszName == nullptr)
    {
        ::SetLastError(ERROR_BAD_PATHNAME);
        return nullptr;
    }
    CString strPath = szFolder;
    if (strPath.Right(1) != "\\")
        strPath += "\\";
    return AfxLoadLibrary(strPath + lpszName);
}
