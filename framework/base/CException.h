// Base of the framework's exceptions. They are thrown by value and caught by
// reference: `throw CFileException(...)`, `catch (CException& e)`.
#pragma once

#include "framework/base/CObject.h"

class CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
    CException() {}
    CException(const CException&) : CObject() {}
    CException& operator=(const CException&) { return *this; }

    // Fills the buffer with a user-readable text; FALSE when there is none.
    virtual BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
    // Shows the error text in a message box (nMessageID: text when there is none).
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) const;
    // Kept so handlers read like the framework's; by-value exceptions need no delete.
    void Delete() {}
};

// Thrown where a handler cancels an operation after telling the user (dialog
// data validation); it carries no text of its own.
class CUserException : public CException
{
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException() {}
};

[[noreturn]] void AFXAPI AfxThrowUserException();
[[noreturn]] void AFXAPI AfxThrowMemoryException();
