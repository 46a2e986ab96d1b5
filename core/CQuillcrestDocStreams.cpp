// Payload streams of a notebook document, and the rich-text control's
// stream callbacks over a node's payload.
#include "core/CQuillcrestDoc.h"

#include "core/CCryptDLLHandler.h"
#include "core/CLog.h"
#include "core/CQlcNodeData.h"

BOOL CQuillcrestDoc::Data_CanOpenPayload(const QLCNODE& node) const
{
    if ((node.dwFlags & QLC_NODEFLAG_ENCRYPTED) == 0)
        return TRUE;
    const CCryptDLLHandler* pCrypt = QlcCrypt();
    return pCrypt != nullptr && node.dwKeyLength != 0 && pCrypt->CanUseCipher(node.dwCipherId, node.dwKeyLength) &&
           pCrypt->m_pfnIsAlgorithmSupported(node.dwHashId);
}

BOOL CQuillcrestDoc::Data_OpenStream(DWORD dwNodeId, BOOL bWrite, QLCSTREAMHANDLE& handle, BOOL bCompress)
{
    CQlcDocLock::CScoped lock(m_lock);
    handle.dwStreamId = 0;
    handle.dwReserved = 0;
    handle.pDoc = this;

    QLCNODE node;
    if (!Data_GetNode(dwNodeId, node))
    {
        handle.dwStreamId = QLC_STREAM_NO_NODE;
        return TRUE;
    }
    if (!Data_CanOpenPayload(node))
    {
        g_log.WriteLine(QlcCrypt() == nullptr
                            ? "WARNING: A node is encrypted and the encryption library is not available; it was not opened."
                            : "WARNING: A node's cipher, hash or key length is not one the encryption library supports; "
                              "it was not opened.");
        return FALSE;
    }
    QLCDATALOC loc = {};
    const BOOL bHasLoc = Data_GetDataLoc(dwNodeId, loc);
    if (!bWrite && (!bHasLoc || !loc.bHasData))
        return TRUE; // nothing stored to read

    QLCSTREAM stream = {};
    stream.hFile = (bWrite || loc.bInWorkFile) ? m_hWorkFile : m_hSourceFile;
    if (stream.hFile == INVALID_HANDLE_VALUE)
        g_log.WriteLine("WARNING: A stream has been opened without a source/destination");

    if (bWrite)
    {
        // The end of the work file; the writer places itself there again when
        // it writes its first byte.
        LARGE_INTEGER liEnd = {};
        if (stream.hFile != INVALID_HANDLE_VALUE && GetFileSizeEx(stream.hFile, &liEnd) &&
            liEnd.QuadPart < 0xFFFFFFFFLL)
            stream.dwStart = (DWORD)liEnd.QuadPart;
    }
    else
        stream.dwStart = loc.dwOffset;

    stream.dwPosition = 0;
    stream.dwStoredSize = node.dwStoredSize;
    stream.dwPlainSize = node.dwPlainSize;
    stream.bWrite = bWrite ? 1 : 0;
    stream.bCompressed = ((bWrite && bCompress) || (node.dwFlags & QLC_NODEFLAG_COMPRESSED)) ? 1 : 0;
    stream.dwEncrypted = node.dwFlags & QLC_NODEFLAG_ENCRYPTED;
    if (stream.dwEncrypted)
    {
        stream.dwHashId = node.dwHashId;
        stream.dwCipherId = node.dwCipherId;
    }
    stream.dwNodeId = dwNodeId;

    handle.dwStreamId = m_dwNextStreamId++;
    m_mapStreams.SetAt(handle.dwStreamId, stream);
    return TRUE;
}

BOOL CQuillcrestDoc::Data_CloseStream(DWORD dwStreamId)
{
    CQlcDocLock::CScoped lock(m_lock);
    if (dwStreamId == 0)
        return TRUE;
    QLCSTREAM stream;
    if (!m_mapStreams.Lookup(dwStreamId, stream))
        return FALSE;
    if (!stream.bWrite)
        return TRUE;

    // The node takes the payload just written.
    QLCNODE node;
    if (!Data_GetNode(stream.dwNodeId, node))
        return TRUE; // deleted while it was being written
    node.dwFlags = (stream.bCompressed ? (DWORD)QLC_NODEFLAG_COMPRESSED : 0) |
                   (stream.dwEncrypted ? (DWORD)QLC_NODEFLAG_ENCRYPTED : 0);
    node.dwStoredSize = stream.dwPosition;
    node.dwPlainSize = (stream.bCompressed || stream.dwEncrypted) ? stream.dwPlainSize : stream.dwPosition;
    Data_SetNode(stream.dwNodeId, node);

    const QLCDATALOC loc = { 1, 1, 0, stream.dwStart };
    Data_SetDataLoc(stream.dwNodeId, loc);
    return TRUE;
}

// --- Rich-text stream callbacks -----------------------------------------------

DWORD CALLBACK NodeDataStreamInCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    if (pcb != nullptr)
        *pcb = 0;
    try
    {
        CQlcNodeData* pData = reinterpret_cast<CQlcNodeData*>(dwCookie);
        if (pData == nullptr || pcb == nullptr || cb < 0)
            return ERROR_INVALID_PARAMETER;
        *pcb = (LONG)pData->Get(pbBuff, (UINT)cb);
        return 0;
    }
    catch (...)
    {
        // Nothing may unwind through the control; a nonzero result ends the
        // stream with what came so far.
        g_log.WriteLine("WARNING: A note could not be read from its node.");
        if (pcb != nullptr)
            *pcb = 0;
        return ERROR_READ_FAULT;
    }
}

DWORD CALLBACK NodeDataStreamOutCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    if (pcb != nullptr)
        *pcb = 0;
    try
    {
        CQlcNodeData* pData = reinterpret_cast<CQlcNodeData*>(dwCookie);
        if (pData == nullptr || pcb == nullptr || cb < 0)
            return ERROR_INVALID_PARAMETER;
        pData->Put(pbBuff, (UINT)cb);
        *pcb = cb;
        return 0;
    }
    catch (...)
    {
        g_log.WriteLine("WARNING: A note could not be written to its node.");
        if (pcb != nullptr)
            *pcb = 0;
        return ERROR_WRITE_FAULT;
    }
}
