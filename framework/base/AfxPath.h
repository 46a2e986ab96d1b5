// Splitting file paths. Paths are in the system code page, where a trail
// byte of a double-byte character may be 0x5C ('\') or 0x2E ('.'): every
// helper here steps through the path by character (CharNextA), so such a
// byte is never taken for a separator.
#pragma once

#include "framework/base/CString.h"

// The file name: what follows the last '\', '/' or ':' (the whole path when
// there is none).
LPCSTR AFXAPI AfxPathFindFileName(LPCSTR lpszPath);
// The extension of the file name, dot included: the last '.' of the name,
// or the terminating zero when the name has none. A leading dot (".profile")
// is a name, not an extension.
LPCSTR AFXAPI AfxPathFindExtension(LPCSTR lpszPath);

CString AFXAPI AfxPathGetFileName(LPCSTR lpszPath);
// The file name without its extension.
CString AFXAPI AfxPathGetTitle(LPCSTR lpszPath);
// The extension, dot included ("" when none).
CString AFXAPI AfxPathGetExtension(LPCSTR lpszPath);
// The folder, without the separator before the file name; a root keeps its
// separator ("C:\" for "C:\a.qlc"). Empty when the path has no folder.
CString AFXAPI AfxPathGetFolder(LPCSTR lpszPath);
// The folder with a trailing separator ("C:\dir\" for "C:\dir\a.qlc"), so a
// file name can be appended. Empty when the path has no folder.
CString AFXAPI AfxPathGetFolderWithSeparator(LPCSTR lpszPath);
// The path without the extension of its file name.
CString AFXAPI AfxPathRemoveExtension(LPCSTR lpszPath);

// The folder of a loaded module (null: the program), without a trailing
// separator; "." when it cannot be told.
CString AFXAPI AfxGetModuleFolder(HMODULE hModule = nullptr);
