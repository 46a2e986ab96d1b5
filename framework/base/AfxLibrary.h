// Loading run-time libraries. A library asked for by bare name is looked
// for along the search path, which takes in the folder the program was
// started from (a folder of files from elsewhere, perhaps): a library lying
// there would run inside the program. So libraries are loaded by full path,
// and the search that remains (for what those libraries load in turn) is
// kept to the program's folder and the system's.
#pragma once

#include "framework/base/CString.h"

// Restricts the process's library search to the program's folder and the
// system folder; the current folder is never searched. Called first thing
// at start-up.
void AFXAPI AfxRestrictLibrarySearch();

// The full path of a library beside a module (null: the program). Empty
// when the module's folder cannot be told.
CString AFXAPI AfxGetLibraryPathBeside(LPCSTR lpszName, HMODULE hModule = nullptr);

// Loads a library by its full path; a bare name means the program's folder.
// A relative path is refused (null, ERROR_BAD_PATHNAME). The libraries it
// loads in turn come from its own folder first.
HMODULE AFXAPI AfxLoadLibrary(LPCSTR lpszPath);

// Loads a library of the system from the system folder.
HMODULE AFXAPI AfxLoadSystemLibrary(LPCSTR lpszName);
