// Compound operations of a notebook document: nodes added from files and
// written out to files, branch deletion, node paths, keyword lists, task
// links and the notebook logo.
#include "core/CQuillcrestDoc.h"

#include "core/CExportHelper.h"
#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcFileWriter.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CTextConvLib.h"
#include "core/IQlcFrameCallbacks.h"
#include "core/res/CoreRes.h"

#include "framework/base/CFile.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLBmpEncoder.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLTIFFEncoder.h"
#include "imaging/PLTextException.h"

#include <commctrl.h>
#include <cryptopp/gzip.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <memory>
#include <new>
#include <set>
#include <unordered_map>
#include <vector>

namespace {

// Files go into and out of payloads in pieces of this size.
const UINT kPiece = 16384;
// A node's bytes go to a file in pieces of up to this size.
const size_t kWritePiece = 1024 * 1024;
// Detection looks at no more than this many leading bytes.
const int kSniffBytes = 540;

// Removes a temporary file when the scope ends, however it ends.
class CTempFileRemover
{
public:
    explicit CTempFileRemover(const CString& strPath) : m_strPath(strPath) {}
    ~CTempFileRemover()
    {
        if (!m_strPath.IsEmpty())
            DeleteFileA(m_strPath);
    }

private:
    CString m_strPath;
};

// A new temporary file's name in the temporary folder (the file exists,
// empty); FALSE when none can be made.
BOOL MakeTempFileName(CString& strPath)
{
    char szTempDir[MAX_PATH + 1] = {};
    char szTempFile[MAX_PATH + 1] = {};
    strPath.Empty();
    if (GetTempPathA(MAX_PATH, szTempDir) == 0 || GetTempFileNameA(szTempDir, "Qlc", 0, szTempFile) == 0)
        return FALSE;
    strPath = szTempFile;
    return TRUE;
}

void SetError(LPSTR lpszError, LPCSTR lpszText)
{
    if (lpszError != nullptr)
        lstrcpynA(lpszError, lpszText, (int)QLC_EXPORT_ERROR_SIZE);
}

void SetError(LPSTR lpszError, UINT nTextId)
{
    SetError(lpszError, AfxLoadText(nTextId));
}

void SetError(LPSTR lpszError, const CException& e, UINT nFallbackId)
{
    if (lpszError == nullptr)
        return;
    if (!e.GetErrorMessage(lpszError, QLC_EXPORT_ERROR_SIZE) || *lpszError == '\0')
        SetError(lpszError, nFallbackId);
}

// Stored as it is (0), BMP, JPEG, PNG or TIFF.
BOOL IsImageExportFormat(int nFormat)
{
    return nFormat == 0 || nFormat == 1 || nFormat == 3 || nFormat == 7 || nFormat == 9;
}

// Makes a top-level node of the type from an open file and stores the
// file's bytes in it. 0, and no node left behind, when the bytes cannot be
// read or stored.
DWORD NodeFromFile(CQuillcrestDoc* pDoc, CFile& file, BYTE nType, BOOL bCompress)
{
    // The file is read without the notebook's lock: other threads go on
    // meanwhile, and may change the notebook too.
    BOOL bWasModified = FALSE;
    DWORD dwChangesBefore = 0;
    const DWORD dwOwnChangesBefore = CQuillcrestDoc::GetThreadChangeCount();
    {
        CQlcDocLock::CScoped lock(pDoc->GetLock());
        bWasModified = pDoc->GetModifiedFlag();
        dwChangesBefore = pDoc->GetChangeCount();
    }
    CQlcNode node;
    CQlcNodeData* pData = nullptr;
    LPCSTR lpszWarning = nullptr;
    try
    {
        node.Create(pDoc, nType, file.GetFileTitle(), 0);
        pData = node.GetDataForWrite(bCompress);
        if (pData != nullptr)
        {
            file.SeekToBegin();
            std::vector<BYTE> piece(kPiece);
            for (;;)
            {
                const UINT n = file.Read(piece.data(), kPiece);
                if (n == 0)
                    break;
                pData->Put(piece.data(), n);
            }
            if (pData->Flush())
                return node.GetId();
        }
        lpszWarning = "WARNING: The data of a file to import could not be stored; it was not added.";
    }
    catch (CException&)
    {
        lpszWarning = "WARNING: A file to import could not be read or stored; it was not added.";
    }
    catch (CryptoPP::Exception&)
    {
        lpszWarning = "WARNING: A file to import could not be compressed; it was not added.";
    }
    catch (std::bad_alloc&)
    {
        lpszWarning = "WARNING: A file to import is too large for the memory available; it was not added.";
    }
    g_log.WriteLine(lpszWarning);
    // A half-stored node is not kept: the import reports 0 and may try the
    // file again as another kind of node.
    if (pData != nullptr)
        pData->Close();
    const DWORD dwId = node.GetId();
    node.Open(nullptr, 0);
    CQlcDocLock::CScoped lock(pDoc->GetLock());
    if (dwId != 0)
        pDoc->Data_DeleteNode(dwId);
    // The notebook is as it was, unless another thread changed it meanwhile.
    if (pDoc->GetChangeCount() - dwChangesBefore == CQuillcrestDoc::GetThreadChangeCount() - dwOwnChangesBefore)
        pDoc->SetModified(bWasModified);
    return 0;
}

// Logs the call (never the file's name), then makes a node of the type from
// the whole file, compressed. 0 when the file cannot be opened.
DWORD NodeFromPath(CQuillcrestDoc* pDoc, LPCSTR lpszCaller, LPCSTR lpszPath, int nFormat, BYTE nType)
{
    CString strLine;
    strLine.Format("%s([FILENAME NOT LOGGED], %d);", lpszCaller, nFormat);
    g_log.WriteLine(strLine);
    CFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return 0;
    return NodeFromFile(pDoc, file, nType, TRUE);
}

// Keeps walking into folders below the parent; seen stops a damaged
// notebook whose parents form a loop.
// Descendants of a node, each folder's after its own descendants, children
// in table order. The table is grouped by parent in one pass and walked
// without recursion, so a branch of any size or depth costs one pass.
void CollectBelow(const CQlcNodeMap& nodes, DWORD dwParentId, std::vector<DWORD>& nodeIds, std::set<DWORD>& seen)
{
    std::unordered_map<DWORD, std::vector<const CQlcNodeMap::CPair*>> children;
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
        children[p->value.dwParentId].push_back(p);

    struct CFrame
    {
        DWORD dwId;
        size_t nNext;
    };
    std::vector<CFrame> stack(1, CFrame{ dwParentId, 0 });
    while (!stack.empty())
    {
        CFrame& frame = stack.back();
        auto found = children.find(frame.dwId);
        if (found == children.end() || frame.nNext == found->second.size())
        {
            const DWORD dwDone = frame.dwId;
            stack.pop_back();
            if (!stack.empty())
                nodeIds.push_back(dwDone); // a folder, after what lies below it
            continue;
        }
        const CQlcNodeMap::CPair* p = found->second[frame.nNext++];
        if (!seen.insert(p->key).second)
            continue;
        if (CQlcNode::IsFolderType(p->value.nType))
            stack.push_back(CFrame{ p->key, 0 });
        else
            nodeIds.push_back(p->key);
    }
}

} // namespace

// --- Adding nodes from files ----------------------------------------------------

DWORD CQuillcrestDoc::Data_AddFromFile(LPCSTR lpszPath, int nType, int nFormat, BOOL bCompress)
{
    switch (nType)
    {
    case QLC_NODE_NOTE: return Data_AddDocumentFromFile(lpszPath, nFormat, bCompress);
    case QLC_NODE_IMAGE: return Data_AddImageFromFile(lpszPath, nFormat, bCompress);
    case QLC_NODE_HTML: return Data_AddHtmlFromFile(lpszPath, nFormat);
    case QLC_NODE_FOREIGN: return Data_AddForeignFromFile(lpszPath, nFormat);
    default: return 0;
    }
}

DWORD CQuillcrestDoc::Data_AddDocumentFromFile(LPCSTR lpszPath, int nFormat, BOOL bCompress)
{
    CString strLine;
    strLine.Format("Data_AddDocumentFromFile([FILENAME NOT LOGGED], %d);", nFormat);
    g_log.WriteLine(strLine);

    try
    {
        CFile source;
        if (!source.Open(lpszPath, CFile::modeRead | CFile::shareDenyNone))
            return 0;
        CTextConvLib* pConverters = QlcApp().GetTextConverters();
        if (pConverters == nullptr)
        {
            g_log.WriteLine("WARNING: There are no text converters; a document could not be imported.");
            return 0;
        }
        CString strTemp;
        if (!MakeTempFileName(strTemp))
        {
            g_log.WriteLine("WARNING: No temporary file could be made for a document to import.");
            return 0;
        }
        // The converted note is a plain copy of the user's text: it goes
        // once it is in the node.
        CTempFileRemover remover(strTemp);
        if (!pConverters->ImportFile(lpszPath, strTemp))
            return 0;

        CFile rtf;
        if (!rtf.Open(strTemp, CFile::modeRead | CFile::shareDenyWrite))
            return 0;
        // The node is named after the document, not the temporary file.
        rtf.SetFilePath(source.GetFilePath());
        return NodeFromFile(this, rtf, QLC_NODE_NOTE, bCompress);
    }
    catch (CException&)
    {
        g_log.WriteLine("WARNING: A document could not be converted; it was not added.");
    }
    catch (std::exception&)
    {
        g_log.WriteLine("WARNING: A document could not be converted (out of memory or a library error); it was not added.");
    }
    return 0;
}

DWORD CQuillcrestDoc::Data_AddImageFromFile(LPCSTR lpszPath, int nFormat, BOOL bCompress)
{
    CFile file;
    if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite))
        return 0;
    try
    {
        // Only a picture the image layer can show is added.
        PLWinBmp bmp;
        PLAnyPicDecoder decoder;
        decoder.DecodeFile(lpszPath, &bmp);
    }
    catch (PLTextException& e)
    {
        CString strLine;
        strLine.Format("WARNING: An image to import (format %d) does not decode (image error %d); it was not added.",
                       nFormat, e.GetCode());
        g_log.WriteLine(strLine);
        return 0;
    }
    catch (std::bad_alloc&)
    {
        g_log.WriteLine("WARNING: An image to import is too large for the memory available; it was not added.");
        return 0;
    }
    return NodeFromFile(this, file, QLC_NODE_IMAGE, bCompress);
}

DWORD CQuillcrestDoc::Data_AddHtmlFromFile(LPCSTR lpszPath, int nFormat)
{
    return NodeFromPath(this, "Data_AddHtmlFromFile", lpszPath, nFormat, QLC_NODE_HTML);
}

DWORD CQuillcrestDoc::Data_AddForeignFromFile(LPCSTR lpszPath, int nFormat)
{
    return NodeFromPath(this, "Data_AddForeignFromFile", lpszPath, nFormat, QLC_NODE_FOREIGN);
}

// --- Writing out ----------------------------------------------------------------

BOOL CQuillcrestDoc::Data_CopyToFile(DWORD dwNodeId, LPCSTR lpszPath, HWND hProgress)
{
    return CopyPayloadToFile(dwNodeId, lpszPath, hProgress, FALSE);
}

BOOL CQuillcrestDoc::Data_CopyToNewFile(DWORD dwNodeId, LPCSTR lpszPath)
{
    return CopyPayloadToFile(dwNodeId, lpszPath, nullptr, TRUE);
}

BOOL CQuillcrestDoc::CopyPayloadToFile(DWORD dwNodeId, LPCSTR lpszPath, HWND hProgress, BOOL bOnlyNew)
{
    CFile file;
    BOOL bCreated = FALSE;
    try
    {
        CQlcNode node(this, dwNodeId);
        CQlcNodeData* pData = node.GetDataForRead();
        // A first try for a new file leaves the telling to the full one.
        if (pData == nullptr)
        {
            if (!bOnlyNew)
                g_log.WriteLine("WARNING: Failed to acquire CQlcNodeData object in CQuillcrestDoc::Data_CopyToFile");
            return FALSE;
        }
        // A payload that cannot be read must not leave an empty file that
        // looks like a finished export.
        if (pData->IsDamaged())
        {
            if (!bOnlyNew)
                g_log.WriteLine("WARNING: A node's data could not be read; it was not written to a file.");
            return FALSE;
        }
        if (bOnlyNew)
        {
            // The caller goes on to ask about an existing file: nothing to log.
            SECURITY_ATTRIBUTES sa = { sizeof(sa), nullptr, TRUE };
            const HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr);
            if (hFile == INVALID_HANDLE_VALUE)
                return FALSE;
            file.m_hFile = hFile;
            file.SetFilePath(lpszPath);
        }
        else if (!file.Open(lpszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite))
        {
            g_log.WriteLine("WARNING: The file to write a node's data to could not be created.");
            return FALSE;
        }
        bCreated = TRUE;

        const ULONGLONG ullSize = node.GetPlainSize();
        ULONGLONG ullDone = 0;
        // Read and written in large pieces: one read and one write for most
        // nodes. A progress bar moves in small ones.
        const size_t nPiece =
            hProgress != nullptr ? kPiece : (size_t)std::min<ULONGLONG>(std::max<ULONGLONG>(ullSize, 1), kWritePiece);
        CSecureBytes piece(nPiece);
        for (;;)
        {
            const UINT n = pData->Get(piece.data(), (UINT)nPiece);
            if (n == 0)
                break;
            file.Write(piece.data(), n);
            ullDone += n;
            if (hProgress != nullptr && ullSize != 0)
                SendMessageA(hProgress, PBM_SETPOS, (WPARAM)(ullDone * 1000 / ullSize), 0);
        }
        if (ullDone != ullSize)
        {
            g_log.WriteLine("WARNING: A node's data ended before its size; the file written was removed.");
            file.Abort();
            DeleteFileA(lpszPath);
            return FALSE;
        }
        file.Close();
        return TRUE;
    }
    catch (CException&)
    {
        g_log.WriteLine("WARNING: A node's data could not be written to a file.");
    }
    catch (std::exception&)
    {
        g_log.WriteLine("WARNING: A node's data could not be written to a file (out of memory or a library error).");
    }
    if (bCreated)
    {
        file.Abort();
        DeleteFileA(lpszPath);
    }
    return FALSE;
}

BOOL CQuillcrestDoc::Data_ReadPayload(DWORD dwNodeId, CSecureBytes& data, UINT& nReason)
{
    // One read: no other thread's write comes between its pieces.
    CQlcDocLock::CScoped lock(GetLock());
    data.clear();
    CQlcNode node(this, dwNodeId);
    CQlcNodeData* pData = node.GetDataForRead();
    if (pData == nullptr)
    {
        nReason = IDS_QLC_NODE_MISSING;
        return FALSE;
    }
    if (pData->IsDamaged())
    {
        nReason = IDS_QLC_NODE_DATA_UNREADABLE;
        return FALSE;
    }
    data.reserve(node.GetPlainSize());
    CSecureBytes piece(kPiece);
    for (;;)
    {
        const UINT n = pData->Get(piece.data(), kPiece);
        if (n == 0)
            break;
        data.insert(data.end(), piece.begin(), piece.begin() + n);
    }
    if (data.size() != node.GetPlainSize())
    {
        nReason = IDS_QLC_NODE_DATA_SHORT;
        return FALSE;
    }
    return TRUE;
}

BOOL CQuillcrestDoc::Data_GetImageExportPath(DWORD dwNodeId, LPCSTR lpszPath, int nFormat, CString& strFinalPath)
{
    strFinalPath = lpszPath;
    if (!IsImageExportFormat(nFormat))
        return FALSE;
    if (nFormat != 0)
    {
        strFinalPath = CExportHelper::ForceExtension(nFormat, lpszPath);
        return TRUE;
    }
    try
    {
        CSecureBytes data;
        UINT nReason = 0;
        if (!Data_ReadPayload(dwNodeId, data, nReason) || data.size() > (size_t)INT_MAX)
            return FALSE;
        // The same detection the decoder makes on the bytes in memory.
        const int nSize = (int)data.size();
        const int nCode = PLAnyPicDecoder::SniffFormat(data.data(), std::min(nSize, kSniffBytes), nSize);
        if (CExportHelper::MapExportType(nCode) == 0)
            return FALSE;
        strFinalPath = CExportHelper::ForceStoredExtension(nCode, lpszPath);
        return TRUE;
    }
    catch (CException&)
    {
    }
    catch (std::exception&)
    {
    }
    g_log.WriteLine("WARNING: An image node's data could not be read to name its export.");
    return FALSE;
}

BOOL CQuillcrestDoc::Data_ExportImage(DWORD dwNodeId, LPCSTR lpszPath, int nFormat, LPSTR lpszError,
                                      CString* pstrFinalPath)
{
    SetError(lpszError, "");
    CString strTarget = lpszPath;
    if (pstrFinalPath != nullptr)
        *pstrFinalPath = strTarget;

    if (!IsImageExportFormat(nFormat))
    {
        SetError(lpszError, IDS_QLC_EXPORT_BAD_FORMAT);
        return FALSE;
    }

    BOOL bCreated = FALSE;
    CFile file;
    try
    {
        // Format 0 writes the bytes imported: the payload deciphered and
        // decompressed, never as stored.
        CSecureBytes data;
        UINT nReason = 0;
        if (!Data_ReadPayload(dwNodeId, data, nReason))
        {
            SetError(lpszError, nReason);
            return FALSE;
        }
        if (data.size() > (size_t)INT_MAX)
        {
            SetError(lpszError, IDS_QLC_EXPORT_TOO_LARGE);
            return FALSE;
        }
        PLWinBmp bmp;
        PLAnyPicDecoder decoder;
        decoder.DecodeMemory(data.data(), (int)data.size(), &bmp);

        if (nFormat == 0)
        {
            strTarget = CExportHelper::ForceStoredExtension(decoder.LastFormatCode(), strTarget);
            if (pstrFinalPath != nullptr)
                *pstrFinalPath = strTarget;
            CFileException error;
            if (!file.Open(strTarget, CFile::modeCreate | CFile::modeReadWrite | CFile::shareDenyWrite, &error))
            {
                SetError(lpszError, error, IDS_QLC_EXPORT_NOT_CREATED);
                return FALSE;
            }
            bCreated = TRUE;
            for (size_t nDone = 0; nDone < data.size();)
            {
                const UINT n = (UINT)std::min<size_t>(kPiece, data.size() - nDone);
                file.Write(data.data() + nDone, n);
                nDone += n;
            }
            file.Close();
            return TRUE;
        }

        strTarget = CExportHelper::ForceExtension(nFormat, strTarget);
        if (pstrFinalPath != nullptr)
            *pstrFinalPath = strTarget;
        // The encoder writes the file only once the image is encoded.
        std::unique_ptr<PLPicEncoder> pEncoder;
        switch (nFormat)
        {
        case 1: pEncoder.reset(new PLBmpEncoder); break;
        case 3: pEncoder.reset(new PLJPEGEncoder); break;
        case 7: pEncoder.reset(new PLPNGEncoder); break;
        default: pEncoder.reset(new PLTIFFEncoder); break;
        }
        pEncoder->EncodeToFile(strTarget, &bmp);
        return TRUE;
    }
    catch (PLTextException& e)
    {
        SetError(lpszError, e.GetText());
    }
    catch (CException& e)
    {
        SetError(lpszError, e, IDS_QLC_EXPORT_NOT_WRITTEN);
    }
    catch (std::bad_alloc&)
    {
        SetError(lpszError, IDS_QLC_EXPORT_NO_MEMORY);
    }
    catch (std::exception&)
    {
        SetError(lpszError, IDS_QLC_EXPORT_NOT_DECODED);
    }
    if (bCreated)
    {
        file.Abort();
        DeleteFileA(strTarget);
    }
    g_log.WriteLine("WARNING: An image node could not be exported.");
    return FALSE;
}

// --- Structure --------------------------------------------------------------------

void CQuillcrestDoc::Data_CollectChildren(DWORD dwParentId, std::vector<DWORD>& nodeIds) const
{
    CQlcDocLock::CScoped lock(m_lock);
    std::set<DWORD> seen(nodeIds.begin(), nodeIds.end());
    seen.insert(dwParentId);
    CollectBelow(m_mapNodes, dwParentId, nodeIds, seen);
}

void CQuillcrestDoc::Data_DeleteNode(DWORD dwNodeId)
{
    CQlcDocLock::CScoped lock(m_lock);
    QLCNODE node;
    if (!m_mapNodes.Lookup(dwNodeId, node))
        return;
    std::vector<DWORD> nodeIds(1, dwNodeId);
    Data_CollectChildren(dwNodeId, nodeIds);

    for (DWORD dwId : nodeIds)
    {
        QLCNODE_KEYWORDS keywords;
        if (m_mapNodeKeywords.Lookup(dwId, keywords))
        {
            QLCNODE_KEYWORDS none;
            none.dwNodeId = dwId;
            Data_SetNodeKeywords(dwId, none);
            m_mapNodeKeywords.RemoveKey(dwId);
        }
        m_mapNodes.RemoveKey(dwId);
        m_mapDataLocs.RemoveKey(dwId);
        m_damagedNodes.erase(std::remove(m_damagedNodes.begin(), m_damagedNodes.end(), dwId), m_damagedNodes.end());
        if (m_header.dwNodeCount > 0)
            --m_header.dwNodeCount;
        Data_RemoveNodeTasks(dwId);
    }
    SetModified(TRUE);
}

CString CQuillcrestDoc::Data_GetNodePath(DWORD dwNodeId) const
{
    CQlcDocLock::CScoped lock(m_lock);
    std::vector<CString> names;
    std::set<DWORD> seen;
    QLCNODE node;
    for (DWORD dwId = dwNodeId; m_mapNodes.Lookup(dwId, node) && seen.insert(dwId).second; dwId = node.dwParentId)
    {
        names.push_back(node.strName);
        if (node.dwParentId == 0)
            break;
    }
    CString strPath = "//";
    for (auto it = names.rbegin(); it != names.rend(); ++it)
    {
        if (it != names.rbegin())
            strPath += "/";
        strPath += *it;
    }
    return strPath;
}

void CQuillcrestDoc::Data_RelinkNode(DWORD dwOldNodeId, DWORD dwNewNodeId)
{
    CQlcDocLock::CScoped lock(m_lock);
    for (POSITION pos = m_mapBookmarks.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCBOOKMARK bookmark;
        m_mapBookmarks.GetNextAssoc(pos, dwId, bookmark);
        if (bookmark.dwNodeId != dwOldNodeId)
            continue;
        bookmark.dwNodeId = dwNewNodeId;
        m_mapBookmarks.SetAt(dwId, bookmark);
    }
    for (POSITION pos = m_mapTasks.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCTASK task;
        m_mapTasks.GetNextAssoc(pos, dwId, task);
        if (!(task.dwFlags & QLC_TASKFLAG_LINKED) || task.dwLinkedNodeId != dwOldNodeId)
            continue;
        task.dwLinkedNodeId = dwNewNodeId;
        m_mapTasks.SetAt(dwId, task);
    }
}

void CQuillcrestDoc::Data_SetNodeKeywords(DWORD dwNodeId, const QLCNODE_KEYWORDS& keywords)
{
    CQlcDocLock::CScoped lock(m_lock);
    QLCNODE_KEYWORDS old;
    if (m_mapNodeKeywords.Lookup(dwNodeId, old))
    {
        // Keywords the node drops leave the table unless another node has them.
        for (DWORD dwKeywordId : old.keywordIds)
        {
            if (keywords.Contains(dwKeywordId))
                continue;
            BOOL bUsed = FALSE;
            for (POSITION pos = m_mapNodeKeywords.GetStartPosition(); pos != nullptr && !bUsed;)
            {
                DWORD dwOtherId;
                QLCNODE_KEYWORDS other;
                m_mapNodeKeywords.GetNextAssoc(pos, dwOtherId, other);
                bUsed = dwOtherId != dwNodeId && other.Contains(dwKeywordId);
            }
            if (!bUsed)
                m_mapKeywords.RemoveKey(dwKeywordId);
        }
    }
    m_mapNodeKeywords.SetAt(dwNodeId, keywords);
}

// --- Tasks --------------------------------------------------------------------------

BOOL CQuillcrestDoc::Data_NodeHasTask(DWORD dwNodeId) const
{
    CQlcDocLock::CScoped lock(m_lock);
    // Asked for every item of a list: the tasks are looked at, not copied.
    for (const CQlcTaskMap::CPair* p = m_mapTasks.PGetFirstAssoc(); p != nullptr; p = m_mapTasks.PGetNextAssoc(p))
    {
        if ((p->value.dwFlags & QLC_TASKFLAG_LINKED) && p->value.dwLinkedNodeId == dwNodeId)
            return TRUE;
    }
    return FALSE;
}

void CQuillcrestDoc::Data_RemoveNodeTasks(DWORD dwNodeId)
{
    CQlcDocLock::CScoped lock(m_lock);
    std::vector<DWORD> taskIds;
    for (POSITION pos = m_mapTasks.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwTaskId;
        QLCTASK task;
        m_mapTasks.GetNextAssoc(pos, dwTaskId, task);
        if ((task.dwFlags & QLC_TASKFLAG_LINKED) && task.dwLinkedNodeId == dwNodeId)
            taskIds.push_back(dwTaskId);
    }
    for (DWORD dwTaskId : taskIds)
    {
        QLCTASK task;
        m_mapTasks.Lookup(dwTaskId, task);
        task.dwFlags &= ~(DWORD)QLC_TASKFLAG_LINKED;
        task.dwLinkedNodeId = 0;
        Data_SetTask(dwTaskId, task);
        if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
            pFrame->UpdateTaskItem(dwTaskId);
    }
}

void CQuillcrestDoc::Data_DeleteTask(DWORD dwTaskId)
{
    CQlcDocLock::CScoped lock(m_lock);
    QLCTASK task;
    if (!m_mapTasks.Lookup(dwTaskId, task))
        return;
    m_mapTasks.RemoveKey(dwTaskId);
    SetModified(TRUE);
    // The node's tree item loses its task mark with its last task.
    if ((task.dwFlags & QLC_TASKFLAG_LINKED) && !Data_NodeHasTask(task.dwLinkedNodeId))
    {
        if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
            pFrame->RefreshTreeNodeItem(task.dwLinkedNodeId);
    }
}

// --- Logo ---------------------------------------------------------------------------

void CQuillcrestDoc::LoadLogoFromFile(LPCSTR lpszPath)
{
    // Nothing changes until the picture has decoded and its file's bytes are
    // kept in the work file.
    PLWinBmp logo;
    PLAnyPicDecoder decoder;
    decoder.DecodeFile(lpszPath, &logo);

    CFile file(lpszPath, CFile::modeRead | CFile::shareDenyWrite);
    CryptoPP::Gzip gzip(nullptr, 6, 15);
    std::vector<BYTE> piece(kPiece);
    for (;;)
    {
        const UINT n = file.Read(piece.data(), kPiece);
        if (n == 0)
            break;
        gzip.Put(piece.data(), n);
    }
    gzip.MessageEnd();
    const ULONGLONG ullLength = gzip.MaxRetrievable();

    // Appending to the work file is one step: nobody else may take its end.
    CQlcDocLock::CScoped lock(m_lock);
    if (m_hWorkFile == INVALID_HANDLE_VALUE)
        throw CFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strWorkPath);
    LARGE_INTEGER liEnd = {};
    if (!GetFileSizeEx(m_hWorkFile, &liEnd))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strWorkPath);
    if ((ULONGLONG)liEnd.QuadPart + ullLength > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE, m_strWorkPath);
    const DWORD dwOffset = (DWORD)liEnd.QuadPart;

    CQlcFileWriter writer(m_hWorkFile, m_strWorkPath, kPiece);
    writer.Seek(dwOffset);
    while (gzip.MaxRetrievable() > 0)
    {
        const size_t n = gzip.Get(piece.data(), kPiece);
        writer.Write(piece.data(), (UINT)n);
    }
    writer.Flush();

    m_logo = logo;
    m_bHasLogo = TRUE;
    m_dwNewLogoOffset = dwOffset;
    m_dwNewLogoLength = (DWORD)ullLength;
    SetModified(TRUE);
    RepaintLogo();
}

void CQuillcrestDoc::SetLogo(BOOL bHasLogo, const PLWinBmp* pBitmap)
{
    CQlcDocLock::CScoped lock(m_lock);
    if (pBitmap != nullptr && pBitmap != &m_logo)
        m_logo = *pBitmap;
    m_bHasLogo = bHasLogo;
    if (!bHasLogo)
    {
        m_dwNewLogoOffset = 0;
        m_dwNewLogoLength = 0;
    }
    SetModified(TRUE);
    RepaintLogo();
}

PLWinBmp* CQuillcrestDoc::GetLogo()
{
    CQlcDocLock::CScoped lock(m_lock);
    return m_bHasLogo ? &m_logo : QlcApp().GetDefaultLogo();
}

void CQuillcrestDoc::RepaintLogo()
{
    if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
        pFrame->RedrawBlankArea();
}
