// Construction, destruction and the record tables of a notebook document.
#include "core/CQuillcrestDoc.h"

#include "core/CLog.h"
#include "core/CQlcTempFile.h"
#include "core/IQlcFrameCallbacks.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CQuillcrestDoc, CRichEditDoc)

BOOL QLCNODE_KEYWORDS::Contains(DWORD dwKeywordId) const
{
    return std::find(keywordIds.begin(), keywordIds.end(), dwKeywordId) != keywordIds.end();
}

CQuillcrestDoc::CQuillcrestDoc()
    : m_dwNextNodeId(1), m_dwNextBookmarkId(1), m_dwNextKeywordId(1), m_dwNextTaskId(1), m_dwNextStreamId(1),
      m_hWorkFile(INVALID_HANDLE_VALUE), m_hNotebookFile(INVALID_HANDLE_VALUE), m_dwNotebookAccess(0),
      m_dwNotebookShare(0), m_hSourceFile(INVALID_HANDLE_VALUE), m_header(), m_sectionTable(), m_cryptHeader(),
      m_bHasLogo(FALSE), m_dwNewLogoOffset(0), m_dwNewLogoLength(0), m_bDocModified(FALSE),
      m_pFrameCallbacks(nullptr), m_nWriteFailure(0), m_bSaveFailureTold(FALSE), m_dwDamagedSections(0)
{
    // Every payload written while the notebook is open goes to this file.
    // It may hold payloads in plain text: the system deletes it with its
    // handle, also when the program dies.
    CQlcTempFile work;
    if (work.CreateInTempFolder(0))
    {
        m_strWorkPath = work.GetPath();
        m_hWorkFile = work.Detach();
    }
    if (m_hWorkFile == INVALID_HANDLE_VALUE)
    {
        char szTempDir[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, szTempDir);
        g_log.WriteLine("WARNING: A temporary file could not be constructed at ");
        g_log.WriteLine(szTempDir);
    }
}

void CQuillcrestDoc::Data_CloseNotebookFiles()
{
    CQlcDocLock::CScoped lock(m_lock);
    Data_DiscardDecryptedCopy();
    if (m_hNotebookFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hNotebookFile);
    m_hSourceFile = m_hNotebookFile = INVALID_HANDLE_VALUE;
}

namespace {
thread_local DWORD t_dwChanges = 0;
}

DWORD CQuillcrestDoc::GetThreadChangeCount()
{
    return t_dwChanges;
}

void CQuillcrestDoc::SetModified(BOOL bModified)
{
    // Under the lock: a caller that reads the flag and puts it back holds
    // the lock across, and must not lose another thread's change.
    CQlcDocLock::CScoped lock(m_lock);
    if (bModified)
    {
        ++m_dwChanges;
        ++t_dwChanges;
    }
    m_bDocModified = bModified;
}

void CQuillcrestDoc::Data_RecoverFromTerminatedThread(DWORD dwThreadId)
{
    if (m_lock.ReleaseAbandoned(dwThreadId))
        g_log.WriteLine("WARNING: A terminated worker held the notebook's lock; it was released.");
    SetPossiblyDamaged();
}

void CQuillcrestDoc::Data_SetNotebookPath(LPCSTR lpszPathName)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_strNotebookPath = lpszPathName;
}

CString CQuillcrestDoc::Data_GetNotebookPath() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_strNotebookPath;
}

CString CQuillcrestDoc::GetKeptFile() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_strKeptFile;
}

CString CQuillcrestDoc::Data_GetSourcePath() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_strSourcePath;
}

DWORD CQuillcrestDoc::GetFileFlags() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_header.dwFileFlags;
}

QLCFILEHEADER CQuillcrestDoc::GetHeader() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_header;
}

QLCSECTIONTABLE CQuillcrestDoc::GetSectionTable() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_sectionTable;
}

QLCCRYPTHEADER CQuillcrestDoc::GetCryptHeader() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_cryptHeader;
}

CString CQuillcrestDoc::GetMagic() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_strMagic;
}

BOOL CQuillcrestDoc::IsEncryptedNotebook() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_cryptHeader.dwCipherId != 0;
}

INT_PTR CQuillcrestDoc::Data_GetNodeCount() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapNodes.GetCount();
}

INT_PTR CQuillcrestDoc::Data_GetBookmarkCount() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapBookmarks.GetCount();
}

INT_PTR CQuillcrestDoc::Data_GetKeywordCount() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapKeywords.GetCount();
}

INT_PTR CQuillcrestDoc::Data_GetTaskCount() const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapTasks.GetCount();
}

void CQuillcrestDoc::SetPossiblyDamaged()
{
    CQlcDocLock::CScoped lock(m_lock);
    // The file as it was is the last sound copy: it stays as it is.
    if (!m_bPossiblyDamaged && m_strKeptFile.IsEmpty())
        m_strKeptFile = !m_strNotebookHandlePath.IsEmpty() ? m_strNotebookHandlePath : m_strNotebookPath;
    m_bPossiblyDamaged = TRUE;
    g_log.WriteLine("WARNING: Work on the notebook was stopped by force; it may be damaged in memory.");
    SetModified(TRUE);
}

void CQuillcrestDoc::GetSortOptions(WORD& wOption1, WORD& wOption2) const
{
    CQlcDocLock::CScoped lock(m_lock);
    wOption1 = m_header.wSortOption1;
    wOption2 = m_header.wSortOption2;
}

void CQuillcrestDoc::SetSortOptions(WORD wOption1, WORD wOption2)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_header.wSortOption1 = wOption1;
    m_header.wSortOption2 = wOption2;
}

// --- Nodes ------------------------------------------------------------------

DWORD CQuillcrestDoc::Data_NewNodeId()
{
    CQlcDocLock::CScoped lock(m_lock);
    const DWORD dwId = m_dwNextNodeId++;
    ++m_header.dwNodeCount;

    QLCNODE node;
    node.dwNodeId = dwId;
    m_mapNodes.SetAt(dwId, node);

    const QLCDATALOC loc = { 0, 1, 0, 0 };
    m_mapDataLocs.SetAt(dwId, loc);
    SetModified(TRUE);
    return dwId;
}

void CQuillcrestDoc::Data_SetNode(DWORD dwNodeId, const QLCNODE& node)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_mapNodes.SetAt(dwNodeId, node);
    SetModified(TRUE);
}

BOOL CQuillcrestDoc::Data_GetNode(DWORD dwNodeId, QLCNODE& node) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapNodes.Lookup(dwNodeId, node);
}

void CQuillcrestDoc::Data_SetDataLoc(DWORD dwNodeId, const QLCDATALOC& loc)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_mapDataLocs.SetAt(dwNodeId, loc);
    // A payload of its own replaces what was left of a damaged one.
    const auto it = std::lower_bound(m_damagedNodes.begin(), m_damagedNodes.end(), dwNodeId);
    if (it != m_damagedNodes.end() && *it == dwNodeId)
        m_damagedNodes.erase(it);
}

BOOL CQuillcrestDoc::Data_IsNodeDamaged(DWORD dwNodeId) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return std::binary_search(m_damagedNodes.begin(), m_damagedNodes.end(), dwNodeId);
}

BOOL CQuillcrestDoc::Data_GetDataLoc(DWORD dwNodeId, QLCDATALOC& loc) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapDataLocs.Lookup(dwNodeId, loc);
}

// --- Bookmarks ----------------------------------------------------------------

DWORD CQuillcrestDoc::Data_AddBookmark()
{
    CQlcDocLock::CScoped lock(m_lock);
    const DWORD dwId = m_dwNextBookmarkId++;
    QLCBOOKMARK bookmark;
    bookmark.dwBookmarkId = dwId;
    m_mapBookmarks.SetAt(dwId, bookmark);
    SetModified(TRUE);
    return dwId;
}

void CQuillcrestDoc::Data_SetBookmark(DWORD dwBookmarkId, const QLCBOOKMARK& bookmark)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_mapBookmarks.SetAt(dwBookmarkId, bookmark);
    SetModified(TRUE);
}

BOOL CQuillcrestDoc::Data_GetBookmark(DWORD dwBookmarkId, QLCBOOKMARK& bookmark) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapBookmarks.Lookup(dwBookmarkId, bookmark);
}

void CQuillcrestDoc::Data_DeleteBookmark(DWORD dwBookmarkId)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_mapBookmarks.RemoveKey(dwBookmarkId);
    SetModified(TRUE);
}

// --- Tasks --------------------------------------------------------------------

DWORD CQuillcrestDoc::Data_AddTask()
{
    CQlcDocLock::CScoped lock(m_lock);
    const DWORD dwId = m_dwNextTaskId++;
    QLCTASK task;
    task.dwTaskId = dwId;
    m_mapTasks.SetAt(dwId, task);
    SetModified(TRUE);
    return dwId;
}

BOOL CQuillcrestDoc::Data_GetTask(DWORD dwTaskId, QLCTASK& task) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapTasks.Lookup(dwTaskId, task);
}

void CQuillcrestDoc::Data_SetTask(DWORD dwTaskId, const QLCTASK& task)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_mapTasks.SetAt(dwTaskId, task);
    SetModified(TRUE);
}

// --- Keywords -----------------------------------------------------------------

DWORD CQuillcrestDoc::Data_GetKeywordId(LPCSTR lpszText)
{
    CQlcDocLock::CScoped lock(m_lock);
    CString strText = lpszText;
    strText.MakeLower();

    POSITION pos = m_mapKeywords.GetStartPosition();
    while (pos != nullptr)
    {
        DWORD dwId;
        CString strStored;
        m_mapKeywords.GetNextAssoc(pos, dwId, strStored);
        if (strStored == strText)
            return dwId;
    }
    const DWORD dwId = m_dwNextKeywordId++;
    m_mapKeywords.SetAt(dwId, strText);
    return dwId;
}

BOOL CQuillcrestDoc::Data_GetKeywordText(DWORD dwKeywordId, CString& strText) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapKeywords.Lookup(dwKeywordId, strText);
}

BOOL CQuillcrestDoc::Data_GetNodeKeywords(DWORD dwNodeId, QLCNODE_KEYWORDS& keywords) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapNodeKeywords.Lookup(dwNodeId, keywords);
}

// --- Streams ------------------------------------------------------------------

BOOL CQuillcrestDoc::Data_GetStream(DWORD dwStreamId, QLCSTREAM& stream) const
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_mapStreams.Lookup(dwStreamId, stream);
}

void CQuillcrestDoc::Data_SetStream(DWORD dwStreamId, const QLCSTREAM& stream)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_mapStreams.SetAt(dwStreamId, stream);
}
