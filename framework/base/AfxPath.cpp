#include "framework/base/AfxPath.h"

namespace {

bool IsSeparator(char ch)
{
    return ch == '\\' || ch == '/' || ch == ':';
}

} // namespace

LPCSTR AFXAPI AfxPathFindFileName(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return nullptr;
    LPCSTR lpszName = lpszPath;
    for (LPCSTR p = lpszPath; *p != '\0'; p = CharNextA(p))
    {
        if (IsSeparator(*p))
            lpszName = p + 1; // separators are single-byte characters
    }
    return lpszName;
}

LPCSTR AFXAPI AfxPathFindExtension(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return nullptr;
    LPCSTR lpszName = AfxPathFindFileName(lpszPath);
    LPCSTR lpszDot = nullptr;
    LPCSTR p = lpszName;
    for (; *p != '\0'; p = CharNextA(p))
    {
        if (*p == '.' && p != lpszName)
            lpszDot = p;
    }
    return lpszDot != nullptr ? lpszDot : p;
}

CString AFXAPI AfxPathGetFileName(LPCSTR lpszPath)
{
    return lpszPath ? CString(AfxPathFindFileName(lpszPath)) : CString();
}

CString AFXAPI AfxPathGetTitle(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return CString();
    LPCSTR lpszName = AfxPathFindFileName(lpszPath);
    return CString(lpszName, (int)(AfxPathFindExtension(lpszPath) - lpszName));
}

CString AFXAPI AfxPathGetExtension(LPCSTR lpszPath)
{
    return lpszPath ? CString(AfxPathFindExtension(lpszPath)) : CString();
}

CString AFXAPI AfxPathGetFolderWithSeparator(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return CString();
    return CString(lpszPath, (int)(AfxPathFindFileName(lpszPath) - lpszPath));
}

CString AFXAPI AfxPathGetFolder(LPCSTR lpszPath)
{
    CString strFolder = AfxPathGetFolderWithSeparator(lpszPath);
    const int n = strFolder.GetLength();
    // "C:\" and "\" stay roots; "C:" (a drive's current folder) has no
    // separator to drop.
    const bool bRoot = (n == 1) || (n == 3 && strFolder[1] == ':');
    if (n > 0 && !bRoot && (strFolder[n - 1] == '\\' || strFolder[n - 1] == '/'))
        strFolder = strFolder.Left(n - 1);
    return strFolder;
}

CString AFXAPI AfxPathRemoveExtension(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return CString();
    return CString(lpszPath, (int)(AfxPathFindExtension(lpszPath) - lpszPath));
}

CString AFXAPI AfxGetModuleFolder(HMODULE hModule)
{
    char szModule[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(hModule, szModule, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString(".");
    const CString strFolder = AfxPathGetFolder(szModule);
    return strFolder.IsEmpty() ? CString(".") : strFolder;
}
