// How a notebook document is created, opened, saved, tracked as modified,
// titled, closed and destroyed: the framework's overrides, the document's
// file commands and the removal of its temporary files.
#include "core/CQuillcrestDoc.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcTempFile.h"
#include "core/IQlcFrameCallbacks.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"
#include "framework/base/CUiChannel.h"
#include "framework/docview/CView.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CWaitCursor.h"
#include "imaging/PLTextException.h"

#include <cryptopp/cryptlib.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace {

BOOL IsReadOnlyFile(LPCSTR lpszPathName)
{
    const DWORD dwAttrib = GetFileAttributesA(lpszPathName);
    return dwAttrib != INVALID_FILE_ATTRIBUTES && (dwAttrib & FILE_ATTRIBUTE_READONLY) != 0;
}

BOOL IsAccessRefused(DWORD dwError)
{
    return dwError == ERROR_ACCESS_DENIED || dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_LOCK_VIOLATION;
}

// Two names of one file (as far as their full paths tell).
BOOL IsSameFile(LPCSTR lpszPath1, LPCSTR lpszPath2)
{
    char sz1[MAX_PATH * 2] = {}, sz2[MAX_PATH * 2] = {};
    if (GetFullPathNameA(lpszPath1, sizeof(sz1), sz1, nullptr) == 0 ||
        GetFullPathNameA(lpszPath2, sizeof(sz2), sz2, nullptr) == 0)
        return lstrcmpiA(lpszPath1, lpszPath2) == 0;
    return lstrcmpiA(sz1, sz2) == 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CQuillcrestDoc, CDocBase)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
    ON_COMMAND(ID_FILE_PROPERTIES, OnFileProperties)
END_MESSAGE_MAP()

CQuillcrestDoc::~CQuillcrestDoc()
{
    if (QlcApp().GetHeldDocument() == this)
        QlcApp().SetHeldDocument(nullptr);

    // The work file holds every payload written since opening, possibly in
    // plain text: zeros over it before the close deletes it.
    if (m_hWorkFile != INVALID_HANDLE_VALUE)
    {
        if (!CQlcTempFile::Wipe(m_hWorkFile, CQlcTempFile::GetSectorSize(m_strWorkPath)))
            g_log.WriteLine("WARNING: The temporary work file could not be overwritten before its removal.");
        CloseHandle(m_hWorkFile); // deleted on close
        m_hWorkFile = INVALID_HANDLE_VALUE;
    }

    // Whatever state a failed save left behind: a decrypted copy never
    // outlives its document.
    Data_ReleaseFiles();

    AfxSecureWipe(m_key);
    AfxSecureWipe(m_checkBlock);
}

// --- Frame and modified state ---------------------------------------------------

IQlcFrameCallbacks* CQuillcrestDoc::GetFrameCallbacks() const
{
    if (!CUiChannel::IsUiThread())
        return nullptr;
    if (m_pFrameCallbacks != nullptr)
        return m_pFrameCallbacks;
    POSITION pos = GetFirstViewPosition();
    if (pos == nullptr)
        return nullptr;
    CView* pView = GetNextView(pos);
    CFrameWnd* pFrame = pView != nullptr ? pView->GetParentFrame() : nullptr;
    return pFrame != nullptr ? dynamic_cast<IQlcFrameCallbacks*>(pFrame) : nullptr;
}

BOOL CQuillcrestDoc::IsModified()
{
    if (m_bDocModified)
        return TRUE;
    // A note edited on screen but not yet stored counts as well.
    if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
        return pFrame->IsEditorModified();
    return FALSE;
}

void CQuillcrestDoc::SetModifiedFlag(BOOL /*bModified*/)
{
    // Marking goes through SetModified only.
}

void CQuillcrestDoc::SetTitle(LPCSTR lpszTitle)
{
    CDocBase::SetTitle(lpszTitle);
    if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
        pFrame->SetRichEditHostNames(GetTitle());
}

void CQuillcrestDoc::DeleteContents()
{
    if (QlcApp().GetHeldDocument() == this)
        QlcApp().SetHeldDocument(nullptr);
    CDocBase::DeleteContents();
}

BOOL CQuillcrestDoc::CanCloseFrame(CFrameWnd* pFrame)
{
    // The note on screen is stored first, so that the question to save sees
    // it and the answer covers it.
    // A note that cannot be stored keeps its window open: closing would lose it.
    if (IQlcFrameCallbacks* pCallbacks = pFrame != nullptr ? dynamic_cast<IQlcFrameCallbacks*>(pFrame) : nullptr)
    {
        if (!pCallbacks->SaveCurrentNote())
        {
            g_log.WriteLine("WARNING: The note on screen could not be stored; the window stays open.");
            QlcPrompts().FrameworkMessageBox(AfxLoadText(IDS_QLC_NOTE_NOT_STORED), MB_OK | MB_ICONWARNING);
            m_bSaveFailureTold = TRUE;
            return FALSE;
        }
    }
    return CDocBase::CanCloseFrame(pFrame);
}

// --- New and open ------------------------------------------------------------------

BOOL CQuillcrestDoc::OnNewDocument()
{
    if (!CDocBase::OnNewDocument())
        return FALSE;
    m_strMagic = QLC_MAGIC_PLAIN;
    m_header = QLCFILEHEADER();
    m_header.dwVersion = QLC_FILE_VERSION;
    GetSystemTime(&m_header.stCreated);
    m_sectionTable = QLCSECTIONTABLE();
    return TRUE;
}

BOOL CQuillcrestDoc::OnOpenDocument(LPCSTR lpszPathName)
{
    if (!CDocBase::OnNewDocument())
        return FALSE;

    // A document opened again must not leave its decrypted copy behind.
    Data_ReleaseFiles();
    if (!Data_OpenNotebookFile(lpszPathName))
    {
        // A file held by someone else is refused access, which keeps its
        // recent-file entry; a missing one is not a notebook at all.
        const DWORD dwError = GetLastError();
        QlcApp().SetLastReadResult(IsAccessRefused(dwError) ? 2 : 0);
        QlcPrompts().MessageBox(nullptr, AfxLoadText(IDS_QLC_FAILED_TO_OPEN_FILE), AfxLoadText(IDS_QLC_CAPTION_LOAD_FAILED),
                                MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING);
        return FALSE;
    }

    int nResult = 0;
    BOOL bFailed = TRUE;
    UINT nIDPrompt = AFX_IDP_FAILED_TO_OPEN_DOC;
    CException* pReported = nullptr;
    CFileException fileError;
    try
    {
        CWaitCursor wait;
        nResult = Data_ReadFile();
        bFailed = FALSE;
    }
    catch (CFileException& e)
    {
        g_log.WriteLine("WARNING: The notebook could not be read (file error).");
        fileError = e;
        pReported = &fileError;
    }
    catch (CException& e)
    {
        g_log.WriteLine("WARNING: The notebook could not be read (framework error).");
        if (e.IsKindOf(RUNTIME_CLASS(CUserException)))
            nIDPrompt = 0; // told already
    }
    catch (std::bad_alloc&)
    {
        g_log.WriteLine("WARNING: The notebook could not be read (out of memory).");
        nIDPrompt = AFX_IDP_FAILED_MEMORY_ALLOC;
    }
    catch (CryptoPP::Exception&)
    {
        g_log.WriteLine("WARNING: The notebook could not be read (damaged compressed data).");
        nIDPrompt = AFX_IDP_FAILED_INVALID_FORMAT;
    }
    catch (PLTextException& e)
    {
        CString strLine;
        strLine.Format("WARNING: The notebook could not be read (image error %d).", e.GetCode());
        g_log.WriteLine(strLine);
        nIDPrompt = AFX_IDP_FAILED_INVALID_FORMAT;
    }
    catch (std::exception&)
    {
        g_log.WriteLine("WARNING: The notebook could not be read (unexpected error).");
    }

    if (bFailed)
    {
        QlcApp().SetLastReadResult(0);
        DeleteContents();
        Data_ReleaseFiles();
        if (nIDPrompt != 0)
            ReportSaveLoadException(lpszPathName, pReported, FALSE, nIDPrompt);
        return FALSE;
    }

    QlcApp().SetLastReadResult(nResult);
    SetModified(FALSE);
    if (nResult != 1)
    {
        // Refused or not a notebook: the file is not kept open.
        Data_ReleaseFiles();
        return FALSE;
    }
    return TRUE;
}

// --- Save ---------------------------------------------------------------------------

BOOL CQuillcrestDoc::OnSaveDocument(LPCSTR lpszPathName)
{
    m_bSaveFailureTold = FALSE;
    if (IsReadOnlyFile(lpszPathName))
        return FALSE;
    const CString strKept = GetKeptFile();
    if (!strKept.IsEmpty() && IsSameFile(strKept, lpszPathName))
    {
        g_log.WriteLine("WARNING: A notebook whose import was stopped by force was not saved over its own file.");
        CString strText;
        strText.Format(AfxLoadText(IDS_QLC_SAVE_FORCED_REFUSED), lpszPathName);
        QlcPrompts().FrameworkMessageBox(strText, MB_OK | MB_ICONWARNING);
        m_bSaveFailureTold = TRUE;
        return FALSE;
    }

    const CString strPreviousPath = Data_GetNotebookPath();
    Data_SetNotebookPath(lpszPathName);
    if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
    {
        if (!pFrame->SaveCurrentNote())
        {
            // Saving without the note would drop it silently: the file
            // stays as it was and the note stays on screen.
            g_log.WriteLine("WARNING: The note on screen could not be stored; the notebook was not saved.");
            Data_SetNotebookPath(strPreviousPath);
            QlcPrompts().FrameworkMessageBox(AfxLoadText(IDS_QLC_NOTE_NOT_STORED), MB_OK | MB_ICONWARNING);
            m_bSaveFailureTold = TRUE;
            return FALSE;
        }
        const BOOL bTasksBar = pFrame->IsTasksBarVisible();
        CQlcDocLock::CScoped lock(m_lock);
        if (bTasksBar)
            m_header.dwFileFlags |= QLC_FILEFLAG_TASKBAR;
        else
            m_header.dwFileFlags &= ~(DWORD)QLC_FILEFLAG_TASKBAR;
    }

    // The whole write is one step for other threads; the messages after it
    // are shown without the lock.
    CQlcDocLock::CScoped lock(m_lock);
    // A new notebook takes hold of its file first.
    BOOL bNewNotebook = FALSE;
    BOOL bCreated = FALSE;
    if (m_hNotebookFile == INVALID_HANDLE_VALUE)
    {
        bCreated = GetFileAttributesA(lpszPathName) == INVALID_FILE_ATTRIBUTES;
        if (!Data_OpenNotebookHandle(lpszPathName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS))
        {
            m_strNotebookPath = strPreviousPath;
            lock.Unlock();
            ReportSaveLoadException(lpszPathName, nullptr, TRUE, AFX_IDP_FAILED_ACCESS_WRITE);
            m_bSaveFailureTold = TRUE;
            return FALSE;
        }
        bNewNotebook = TRUE;
    }

    BOOL bSaved = FALSE;
    UINT nIDPrompt = AFX_IDP_FAILED_TO_SAVE_DOC;
    CException* pReported = nullptr;
    CFileException fileError;
    BOOL bThrew = TRUE;
    try
    {
        CWaitCursor wait;
        bSaved = Data_WriteFile();
        if (!bSaved)
            g_log.WriteLine("WARNING: The notebook was not saved.");
        bThrew = FALSE;
    }
    catch (CFileException& e)
    {
        g_log.WriteLine("WARNING: The notebook was not saved (file error).");
        fileError = e;
        pReported = &fileError;
    }
    catch (CException& e)
    {
        g_log.WriteLine("WARNING: The notebook was not saved (framework error).");
        if (e.IsKindOf(RUNTIME_CLASS(CUserException)))
            nIDPrompt = 0; // told already
    }
    catch (std::bad_alloc&)
    {
        g_log.WriteLine("WARNING: The notebook was not saved (out of memory).");
        nIDPrompt = AFX_IDP_FAILED_MEMORY_ALLOC;
    }
    catch (CryptoPP::Exception&)
    {
        g_log.WriteLine("WARNING: The notebook was not saved (compression error).");
    }
    catch (PLTextException& e)
    {
        CString strLine;
        strLine.Format("WARNING: The notebook was not saved (image error %d).", e.GetCode());
        g_log.WriteLine(strLine);
    }
    catch (std::exception&)
    {
        g_log.WriteLine("WARNING: The notebook was not saved (unexpected error).");
    }

    if (!bSaved)
    {
        // Nothing changes: the target is as it was, the document keeps its
        // path, its contents and its modified state.
        m_strNotebookPath = strPreviousPath;
        if (bNewNotebook && m_hNotebookFile != INVALID_HANDLE_VALUE)
        {
            if (m_hSourceFile == m_hNotebookFile)
                m_hSourceFile = INVALID_HANDLE_VALUE;
            LARGE_INTEGER liSize = {};
            const BOOL bEmpty = GetFileSizeEx(m_hNotebookFile, &liSize) && liSize.QuadPart == 0;
            CloseHandle(m_hNotebookFile);
            m_hNotebookFile = INVALID_HANDLE_VALUE;
            // The empty file made only for this save goes again.
            if (bCreated && bEmpty)
                DeleteFileA(lpszPathName);
        }
        lock.Unlock();
        if (!bThrew && m_nWriteFailure != 0)
        {
            // One message for the failure, naming its cause.
            CString strText;
            strText.Format(AfxLoadText(IDS_QLC_NOT_SAVED_BECAUSE), lpszPathName,
                           (LPCSTR)AfxLoadText(m_nWriteFailure));
            QlcPrompts().FrameworkMessageBox(strText, MB_ICONEXCLAMATION);
        }
        else if (nIDPrompt != 0)
        {
            ReportSaveLoadException(lpszPathName, pReported, TRUE, nIDPrompt);
        }
        m_bSaveFailureTold = TRUE;
        return FALSE;
    }

    SetModified(FALSE);
    return TRUE;
}

BOOL CQuillcrestDoc::FileSaveAs()
{
    return DoSave(nullptr);
}

BOOL CQuillcrestDoc::DoFileSave()
{
    const CString strKept = GetKeptFile();
    if (!strKept.IsEmpty() && !m_strPathName.IsEmpty() && IsSameFile(strKept, m_strPathName))
    {
        CString strText;
        strText.Format(AfxLoadText(IDS_QLC_SAVE_FORCED_NEW_NAME), (LPCSTR)m_strPathName);
        QlcPrompts().FrameworkMessageBox(strText, MB_OK | MB_ICONWARNING);
        return DoSave(nullptr);
    }
    return CDocBase::DoFileSave();
}

void CQuillcrestDoc::OnFileSave()
{
    if (m_strPathName.IsEmpty())
    {
        OnFileSaveAs();
        return;
    }
    CString strText;
    const CString strKept = GetKeptFile();
    if (!strKept.IsEmpty() && IsSameFile(strKept, m_strPathName))
    {
        strText.Format(AfxLoadText(IDS_QLC_SAVE_FORCED_NEW_NAME), (LPCSTR)m_strPathName);
        QlcPrompts().FrameworkMessageBox(strText, MB_OK | MB_ICONWARNING);
        OnFileSaveAs();
        return;
    }
    if (IsReadOnlyFile(m_strPathName))
    {
        strText.Format(AfxLoadText(IDS_QLC_SAVE_READ_ONLY), (LPCSTR)m_strPathName);
        if (QlcPrompts().FrameworkMessageBox(strText, MB_YESNO | MB_ICONQUESTION) == IDYES)
            OnFileSaveAs();
        return;
    }
    const CString strPath = m_strPathName;
    m_bSaveFailureTold = FALSE;
    // A failure the save has shown already is not warned about twice.
    if (!DoSave(strPath) && !m_bSaveFailureTold)
    {
        strText.Format(AfxLoadText(IDS_QLC_NOT_SAVED), (LPCSTR)strPath);
        QlcPrompts().FrameworkMessageBox(strText, MB_ICONEXCLAMATION);
    }
}

void CQuillcrestDoc::OnFileProperties()
{
    QLCCRYPTCHOICE crypt;
    if (!QlcApp().RunNotebookOptions(this, crypt))
        return;
    if (crypt.bChanged)
    {
        if (Data_SetFileEncryption(crypt.dwCipherId, crypt.dwKeyLength, crypt.dwHashId, crypt.strPassword,
                                   (DWORD)crypt.strPassword.GetLength()))
        {
            // Only a save writes the new envelope: closing must ask for it.
            SetModified(TRUE);
        }
        else
        {
            QlcPrompts().MessageBox(GetMessageOwner(FALSE), AfxLoadText(IDS_QLC_FILE_CRYPT_FAILED),
                                    AfxLoadText(IDS_QLC_CAPTION_WARNING), MB_OK | MB_ICONWARNING);
        }
    }
    AfxSecureWipe(crypt.strPassword);
}

void CQuillcrestDoc::OnFileSaveAs()
{
    m_bSaveFailureTold = FALSE;
    if (FileSaveAs() || m_bSaveFailureTold)
        return;
    CString strText;
    if (m_strPathName.IsEmpty())
        strText = AfxLoadText(IDS_QLC_NOT_SAVED_NO_NAME);
    else
        strText.Format(AfxLoadText(IDS_QLC_NOT_SAVED), (LPCSTR)m_strPathName);
    QlcPrompts().FrameworkMessageBox(strText, MB_ICONEXCLAMATION);
}

// --- Files -----------------------------------------------------------------------

BOOL CQuillcrestDoc::IsSourceDecryptedCopy() const
{
    CQlcDocLock::CScoped lock(m_lock);
    if (m_strSourcePath.IsEmpty())
        return FALSE;
    if (m_hSourceFile != INVALID_HANDLE_VALUE && m_hSourceFile == m_hNotebookFile)
        return FALSE;
    // Named positively: never the file the notebook was opened on or is
    // being saved to, whatever a failed save left in the paths.
    return m_strSourcePath.CompareNoCase(m_strNotebookPath) != 0 &&
           m_strSourcePath.CompareNoCase(m_strNotebookHandlePath) != 0;
}

void CQuillcrestDoc::Data_ReleaseFiles()
{
    CQlcDocLock::CScoped lock(m_lock);
    Data_CloseNotebookFiles();
}
