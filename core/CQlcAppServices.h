// What the notebook core needs of the application object: the main window
// (owner of messages), the result of the last notebook read and the document
// held for copying nodes between notebooks. The application derives from this
// and fills in the rest; tests use it as it is.
#pragma once

#include "framework/base/AfxDefs.h"
#include "framework/base/CString.h"

class CCryptDLLHandler;
class CNodeProcess;
class CQuillcrestDoc;
class CTextConvLib;
class PLWinBmp;

// What the notebook options decided about the notebook's encryption: with
// bChanged, the cipher, hash and key length to set (all 0: encryption off)
// and the new password.
struct QLCCRYPTCHOICE
{
    BOOL bChanged = FALSE;
    DWORD dwCipherId = 0;
    DWORD dwHashId = 0;
    DWORD dwKeyLength = 0;
    CString strPassword;
};

// The save dialog of an export: what it shows, and what the user chose.
struct QLCEXPORTFILE
{
    CString strTitle;
    CString strFileName;                // the name proposed
    LPCSTR lpszDefExt = nullptr;        // null: none
    CString strFilter;                  // the file types, "Name|pattern|...|"
    LPCSTR lpszFilterBlock = nullptr;   // used instead when given: the system's NUL-separated pairs
    CString strPath;                    // chosen: the full path
    DWORD nFilterIndex = 1;             // chosen: the 1-based entry of the type
};

class CQlcAppServices
{
public:
    CQlcAppServices();
    virtual ~CQlcAppServices() {}

    // The main window when it exists (owner of the core's messages), else null.
    virtual HWND GetMainWindow();

    // Result of the last notebook read: 1 loaded, 0 not a notebook, 2 refused.
    virtual void SetLastReadResult(int nResult) { m_nLastReadResult = nResult; }
    virtual int GetLastReadResult() const { return m_nLastReadResult; }

    // A document held for copying nodes between notebooks.
    virtual CQuillcrestDoc* GetHeldDocument() const { return m_pHeldDocument; }
    virtual void SetHeldDocument(CQuillcrestDoc* pDoc) { m_pHeldDocument = pDoc; }

    // The binding of the encryption library (the application owns it); null
    // means the program runs without encryption. Callers use QlcCrypt(),
    // which also answers null while the library is not loaded.
    virtual CCryptDLLHandler* GetCryptHandler() const { return m_pCryptHandler; }
    void SetCryptHandler(CCryptDLLHandler* pHandler) { m_pCryptHandler = pHandler; }

    // The text converter list (the application owns it and loads it at
    // start-up); null while there is none.
    virtual CTextConvLib* GetTextConverters() const { return m_pTextConverters; }
    void SetTextConverters(CTextConvLib* pConverters) { m_pTextConverters = pConverters; }
    // Font that plain text turned into rich text is set in (the settings
    // ImportFontName and ImportFontSize, in points); their defaults here.
    virtual void GetImportFont(CString& strFace, int& nSize) const
    {
        strFace = "Courier New";
        nSize = 11;
    }

    // The logo shown for notebooks without one of their own (the application
    // owns it); null while there is none.
    virtual PLWinBmp* GetDefaultLogo() const { return m_pDefaultLogo; }
    void SetDefaultLogo(PLWinBmp* pLogo) { m_pDefaultLogo = pLogo; }

    // Shows the options of an open notebook (sort order, logo, encryption),
    // which apply the sort order and logo themselves. TRUE when the user
    // pressed OK; the encryption choice is then left in crypt for the
    // document to apply. Without a user interface: FALSE.
    virtual BOOL RunNotebookOptions(CQuillcrestDoc* /*pDoc*/, QLCCRYPTCHOICE& /*crypt*/) { return FALSE; }
    // Runs a job on its worker under the processing dialog and returns when
    // it has finished: 1, or 2 after the user cancelled it; the dialog tells
    // the user when the job could not run. Without the program there is no
    // dialog: the job is not run (-1, with its failure set).
    virtual INT_PTR RunJob(CNodeProcess& job);
    // Asks for the file a node is exported to (the program's save dialog,
    // which asks before a file is replaced). TRUE with the path and type
    // chosen; FALSE when the user cancelled. Without a user interface:
    // FALSE.
    virtual BOOL ChooseExportFile(QLCEXPORTFILE& /*file*/) { return FALSE; }

protected:
    int m_nLastReadResult;
    CQuillcrestDoc* m_pHeldDocument;
    CCryptDLLHandler* m_pCryptHandler;
    CTextConvLib* m_pTextConverters = nullptr;
    PLWinBmp* m_pDefaultLogo = nullptr;
};

// The installed services (a plain instance until the application installs its own).
CQlcAppServices& QlcApp();
CQlcAppServices* QlcSetApp(CQlcAppServices* pServices);
