#include "core/CQlcNode.h"

#include "core/CCryptDLLHandler.h"
#include "core/CLog.h"
#include "core/CQlcFileReader.h"
#include "core/CQlcFileWriter.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"

#include <algorithm>

namespace {

const DWORD kCopyPiece = 16384;

} // namespace

CQlcNode::CQlcNode() : m_bValid(FALSE), m_dwNodeId(0), m_pDoc(nullptr), m_pData(nullptr)
{
}

CQlcNode::CQlcNode(CQuillcrestDoc* pDoc, DWORD dwNodeId) : CQlcNode()
{
    Open(pDoc, dwNodeId);
}

CQlcNode::CQlcNode(const CQlcNode& other)
    : m_bValid(other.m_bValid), m_dwNodeId(other.m_dwNodeId), m_pDoc(other.m_pDoc), m_node(other.m_node),
      m_pData(nullptr)
{
}

CQlcNode& CQlcNode::operator=(const CQlcNode& other)
{
    if (this != &other)
    {
        DeleteData();
        m_bValid = other.m_bValid;
        m_dwNodeId = other.m_dwNodeId;
        m_pDoc = other.m_pDoc;
        m_node = other.m_node;
    }
    return *this;
}

CQlcNode::~CQlcNode()
{
    DeleteData();
}

void CQlcNode::DeleteData()
{
    delete m_pData; // flushes a payload still being written
    m_pData = nullptr;
}

BOOL CQlcNode::Open(CQuillcrestDoc* pDoc, DWORD dwNodeId)
{
    DeleteData();
    m_pDoc = pDoc;
    m_dwNodeId = dwNodeId;
    m_node = QLCNODE();
    m_bValid = pDoc != nullptr && pDoc->Data_GetNode(dwNodeId, m_node);
    return m_bValid;
}

BOOL CQlcNode::IsDataType(BYTE nType)
{
    return nType == QLC_NODE_NOTE || nType == QLC_NODE_IMAGE || nType == QLC_NODE_HTML || nType == QLC_NODE_FOREIGN;
}

BOOL CQlcNode::HasTask() const
{
    return m_bValid && m_pDoc->Data_NodeHasTask(m_node.dwNodeId);
}

void CQlcNode::Update(BOOL bModified)
{
    if (!m_bValid)
        return;
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    const BOOL bWasModified = m_pDoc->GetModifiedFlag();
    m_pDoc->Data_SetNode(m_node.dwNodeId, m_node);
    m_pDoc->SetModified(bModified ? TRUE : bWasModified);
}

void CQlcNode::SetPassword(BOOL bKnown, LPCSTR lpszPassword)
{
    if (!m_bValid)
        return;
    m_node.bPasswordKnown = bKnown;
    m_node.strPassword = (bKnown && lpszPassword != nullptr) ? lpszPassword : "";
    // Only the password goes into the notebook's record: the rest of this
    // handle's copy may be older than another thread's change of the node.
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    QLCNODE current;
    if (!m_pDoc->Data_GetNode(m_node.dwNodeId, current))
        return;
    current.bPasswordKnown = m_node.bPasswordKnown;
    current.strPassword = m_node.strPassword;
    const BOOL bWasModified = m_pDoc->GetModifiedFlag();
    m_pDoc->Data_SetNode(m_node.dwNodeId, current);
    m_pDoc->SetModified(bWasModified);
    AfxSecureWipe(current.strPassword);
}

CString CQlcNode::GetPassword() const
{
    return (m_bValid && m_node.bPasswordKnown) ? m_node.strPassword : CString();
}

CQlcNodeData* CQlcNode::GetDataForRead()
{
    if (!m_bValid)
        return nullptr;
    if (m_pData == nullptr)
    {
        m_pData = new CQlcNodeData;
        m_pData->Open(*this, CQlcNodeData::modeRead, FALSE);
    }
    return m_pData;
}

CQlcNodeData* CQlcNode::GetDataForWrite(BOOL bCompress)
{
    if (!m_bValid)
        return nullptr;
    if (m_pData == nullptr)
    {
        m_pData = new CQlcNodeData;
        m_pData->Open(*this, CQlcNodeData::modeWrite, bCompress);
    }
    return m_pData;
}

WORD CQlcNode::GetDefaultIcon(BYTE nType)
{
    switch (nType)
    {
    case QLC_NODE_FOLDER: return 3;
    case QLC_NODE_NOTE: return 2;
    case QLC_NODE_IMAGE: return 6;
    case QLC_NODE_HTML: return 7;
    case QLC_NODE_FOREIGN: return 8;
    default: return 0;
    }
}

CString CQlcNode::GetDefaultName(BYTE nType)
{
    UINT nID = 0;
    switch (nType)
    {
    case QLC_NODE_FOLDER: nID = IDS_QLC_NEW_FOLDER; break;
    case QLC_NODE_NOTE: nID = IDS_QLC_NEW_NOTE; break;
    case QLC_NODE_IMAGE: nID = IDS_QLC_NEW_IMAGE; break;
    case QLC_NODE_HTML: nID = IDS_QLC_NEW_HTML; break;
    case QLC_NODE_FOREIGN: nID = IDS_QLC_NEW_FOREIGN; break;
    default: return CString();
    }
    CString strName;
    strName.LoadString(nID);
    return strName;
}

BOOL CQlcNode::Create(CQuillcrestDoc* pDoc, BYTE nType, LPCSTR lpszName, DWORD dwParentId)
{
    if (m_bValid)
        return TRUE;
    if (pDoc == nullptr)
        return FALSE;
    DeleteData();
    const DWORD dwId = pDoc->Data_NewNodeId();
    Open(pDoc, dwId);
    m_node.dwParentId = dwParentId;
    m_node.nType = nType;
    m_node.wIcon = GetDefaultIcon(nType);
    m_node.strName = lpszName != nullptr ? CString(lpszName) : GetDefaultName(nType);
    pDoc->Data_SetNode(dwId, m_node);
    return TRUE;
}

int CQlcNode::GetOverlay() const
{
    if (IsEncrypted())
        return QLC_OVERLAY_ENCRYPTED;
    if (HasTask())
        return QLC_OVERLAY_TASK;
    return 0;
}

void CQlcNode::GetInsertStruct(TVINSERTSTRUCTA& tvis) const
{
    TVITEMA& item = tvis.item;
    item = TVITEMA();
    if (!m_bValid)
        return;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    item.pszText = const_cast<LPSTR>((LPCSTR)m_node.strName);
    item.iImage = item.iSelectedImage = m_node.wIcon;
    item.lParam = (LPARAM)m_node.dwNodeId;
    item.stateMask = TVIS_OVERLAYMASK;
    const int nOverlay = GetOverlay();
    item.state = nOverlay ? INDEXTOOVERLAYMASK(nOverlay) : 0;
}

void CQlcNode::GetListItem(LVITEMA& item) const
{
    item = LVITEMA();
    if (!m_bValid)
        return;
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
    item.iSubItem = 0;
    item.pszText = const_cast<LPSTR>((LPCSTR)m_node.strName);
    item.iImage = m_node.wIcon;
    item.lParam = (LPARAM)m_node.dwNodeId;
    item.stateMask = LVIS_OVERLAYMASK;
    const int nOverlay = GetOverlay();
    item.state = nOverlay ? INDEXTOOVERLAYMASK(nOverlay) : 0;
}

BOOL CQlcNode::CheckPassword(LPCSTR lpszPassword)
{
    if (!m_bValid || m_node.dwKeyLength == 0)
        return FALSE;
    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr)
        return FALSE;
    // Opened first: a cipher the library cannot use is refused before any
    // key is derived.
    CQlcNodeData data;
    if (!data.Open(*this, CQlcNodeData::modeRaw, FALSE))
        return FALSE;
    const DWORD dwLength = lpszPassword != nullptr ? (DWORD)strlen(lpszPassword) : 0;
    CQlcCipherPtr pEncryptor =
        pCrypt->CreateCipher(TRUE, m_node.dwCipherId, m_node.dwHashId, m_node.dwKeyLength, lpszPassword, dwLength);
    if (!pEncryptor)
        return FALSE;
    const std::vector<BYTE> verifier = pCrypt->MakeVerifier(pEncryptor.get());
    pEncryptor.reset();
    if (verifier.empty() || verifier.size() != m_node.dwVerifierLength)
        return FALSE;
    return data.CompareStored(verifier.data(), (DWORD)verifier.size());
}

BOOL CQlcNode::SetEncryption(DWORD dwCipherId, DWORD dwKeyLength, DWORD dwHashId, LPCSTR lpszNewPassword,
                             DWORD dwNewPasswordLength, LPCSTR lpszOldPassword, DWORD dwOldPasswordLength)
{
    if (!m_bValid)
        return FALSE;
    DeleteData();
    DWORD dwVerifierLength = 0;
    {
        CQlcNodeData data;
        if (!data.Open(*this, CQlcNodeData::modeRaw, FALSE) ||
            !data.ChangeEncryption(dwCipherId, dwKeyLength, dwHashId, lpszNewPassword, dwNewPasswordLength,
                                   dwVerifierLength, lpszOldPassword, dwOldPasswordLength))
            return FALSE;
    }
    // The stream's close has set the flags, sizes and location.
    m_pDoc->Data_GetNode(m_node.dwNodeId, m_node);
    const BOOL bEncrypted = dwCipherId != 0 && dwKeyLength != 0;
    m_node.dwCipherId = bEncrypted ? dwCipherId : 0;
    m_node.dwKeyLength = bEncrypted ? dwKeyLength : 0;
    m_node.dwHashId = bEncrypted ? dwHashId : 0;
    m_node.dwVerifierLength = dwVerifierLength;
    // A remembered old password would no longer open the node.
    m_node.bPasswordKnown = bEncrypted;
    m_node.strPassword = bEncrypted && lpszNewPassword != nullptr ? CString(lpszNewPassword, (int)dwNewPasswordLength)
                                                                   : CString();
    m_pDoc->Data_SetNode(m_node.dwNodeId, m_node);
    return TRUE;
}

BOOL CQlcNode::CopyTo(CQuillcrestDoc* pTarget, const CQlcNode& source)
{
    if (m_bValid || pTarget == nullptr || !source.IsValid())
        return FALSE;
    CQuillcrestDoc* pSourceDoc = source.GetDocument();
    const DWORD dwSourceId = source.GetId();
    // A payload the document refuses to open is not copied, nor is its node.
    if (source.HasData() && !pSourceDoc->Data_CanOpenPayload(source.GetRecord()))
    {
        g_log.WriteLine("WARNING: A node whose cipher the encryption library does not support was not copied.");
        return FALSE;
    }

    // One step for other threads in both notebooks; the two locks are
    // always taken in the same order, so two copies cannot wait for each other.
    CQlcDocLock::CScopedPair locks(pSourceDoc->GetLock(), pTarget->GetLock());

    // 1. The record under a new id, at the top level.
    const DWORD dwId = pTarget->Data_NewNodeId();
    DeleteData();
    m_pDoc = pTarget;
    m_dwNodeId = dwId;
    m_bValid = TRUE;
    m_node = source.GetRecord();
    m_node.dwNodeId = dwId;
    m_node.dwParentId = 0;
    pTarget->Data_SetNode(dwId, m_node);

    // 2. Keywords; between notebooks by their text.
    QLCNODE_KEYWORDS sourceKeywords;
    if (pSourceDoc->Data_GetNodeKeywords(dwSourceId, sourceKeywords))
    {
        QLCNODE_KEYWORDS keywords;
        keywords.dwNodeId = dwId;
        keywords.keywordIds.reserve(sourceKeywords.keywordIds.size());
        for (DWORD dwKeywordId : sourceKeywords.keywordIds)
        {
            if (pSourceDoc == pTarget)
                keywords.keywordIds.push_back(dwKeywordId);
            else
            {
                CString strText;
                if (pSourceDoc->Data_GetKeywordText(dwKeywordId, strText))
                    keywords.keywordIds.push_back(pTarget->Data_GetKeywordId(strText));
            }
        }
        pTarget->Data_SetNodeKeywords(dwId, keywords);
    }

    // 3. The payload.
    BOOL bResult = TRUE;
    QLCDATALOC loc = {};
    if (source.HasData() && pSourceDoc->Data_GetDataLoc(dwSourceId, loc) && loc.bHasData)
    {
        if (pSourceDoc == pTarget)
        {
            loc.bTakenOver = 1; // both nodes refer to the same stored bytes
            pTarget->Data_SetDataLoc(dwId, loc);
        }
        else
        {
            QLCSTREAMHANDLE readHandle = {};
            pSourceDoc->Data_OpenStream(dwSourceId, FALSE, readHandle, FALSE);
            QLCSTREAM readStream = {};
            pSourceDoc->Data_GetStream(readHandle.dwStreamId, readStream);
            // The copy keeps the source's layout: compressed only when it was.
            QLCSTREAMHANDLE writeHandle = {};
            pTarget->Data_OpenStream(dwId, TRUE, writeHandle,
                                     (m_node.dwFlags & QLC_NODEFLAG_COMPRESSED) ? TRUE : FALSE);
            QLCSTREAM writeStream = {};
            pTarget->Data_GetStream(writeHandle.dwStreamId, writeStream);
            try
            {
                if (readStream.hFile == INVALID_HANDLE_VALUE || writeStream.hFile == INVALID_HANDLE_VALUE)
                    throw CFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE);
                LARGE_INTEGER liEnd = {};
                if (!GetFileSizeEx(writeStream.hFile, &liEnd))
                    CFileException::ThrowOsError((LONG)GetLastError());
                if ((ULONGLONG)liEnd.QuadPart + readStream.dwStoredSize > 0xFFFFFFFFull)
                    throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);
                writeStream.dwStart = (DWORD)liEnd.QuadPart;

                CQlcFileWriter writer(writeStream.hFile, nullptr, kCopyPiece);
                writer.Seek(writeStream.dwStart);
                writer.CopyFrom(readStream.hFile, nullptr, readStream.dwStart, readStream.dwStoredSize);
                writer.Flush();

                writeStream.dwStoredSize = readStream.dwStoredSize;
                writeStream.dwPlainSize = readStream.dwPlainSize;
                writeStream.dwPosition = readStream.dwStoredSize;
                pSourceDoc->Data_CloseStream(readHandle.dwStreamId);
                pTarget->Data_SetStream(writeHandle.dwStreamId, writeStream);
                pTarget->Data_CloseStream(writeHandle.dwStreamId);
            }
            catch (CFileException&)
            {
                pSourceDoc->Data_CloseStream(readHandle.dwStreamId);
                g_log.WriteLine("WARNING: A node's data could not be copied into the other notebook.");
                // The copy is left without data rather than pointing at a part.
                m_node.dwStoredSize = 0;
                m_node.dwPlainSize = 0;
                pTarget->Data_SetNode(dwId, m_node);
                bResult = FALSE;
            }
        }
    }

    // 4. The record as the document now holds it.
    pTarget->Data_GetNode(dwId, m_node);
    return bResult;
}
