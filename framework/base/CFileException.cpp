#include "framework/base/CFileException.h"

#include "framework/res/AfxRes.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CFileException, CException)

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName)
{
}

CFileException::CFileException(const CFileException& e)
    : CException(e), m_cause(e.m_cause), m_lOsError(e.m_lOsError), m_strFileName(e.m_strFileName)
{
}

CFileException& CFileException::operator=(const CFileException& e)
{
    m_cause = e.m_cause;
    m_lOsError = e.m_lOsError;
    m_strFileName = e.m_strFileName;
    return *this;
}

BOOL CFileException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;

    static const UINT s_ids[] = {
        AFX_IDP_FILE_NONE, AFX_IDP_FILE_GENERIC, AFX_IDP_FILE_NOT_FOUND, AFX_IDP_FILE_BAD_PATH,
        AFX_IDP_FILE_TOO_MANY_OPEN, AFX_IDP_FILE_ACCESS_DENIED, AFX_IDP_FILE_INVALID_FILE,
        AFX_IDP_FILE_REMOVE_CURRENT, AFX_IDP_FILE_DIR_FULL, AFX_IDP_FILE_BAD_SEEK,
        AFX_IDP_FILE_HARD_IO, AFX_IDP_FILE_SHARING, AFX_IDP_FILE_LOCKING, AFX_IDP_FILE_DISKFULL,
        AFX_IDP_FILE_EOF
    };
    const int cause = (m_cause >= none && m_cause <= endOfFile) ? m_cause : genericException;

    CString strFormat, strText;
    strFormat.LoadString(s_ids[cause]);
    LPCSTR lpszName = m_strFileName.IsEmpty() ? "" : (LPCSTR)m_strFileName;
    AfxFormatStrings(strText, strFormat, &lpszName, 1);
    lstrcpynA(lpszError, strText, (int)nMaxError);
    return !strText.IsEmpty();
}

int AFXAPI CFileException::OsErrorToException(LONG lOsError)
{
    switch ((DWORD)lOsError)
    {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    default: return genericException;
    }
}

void AFXAPI CFileException::ThrowOsError(LONG lOsError, LPCSTR lpszFileName)
{
    throw CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AFXAPI AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
{
    throw CFileException(cause, lOsError, lpszFileName);
}
