#include "core/CQlcNodeData.h"

#include "core/CQlcStatus.h"

#include "core/CCryptDLLHandler.h"
#include "core/CLog.h"
#include "core/CQlcFileReader.h"
#include "core/CQlcFileWriter.h"
#include "core/CQlcNode.h"
#include "core/CQlcStatus.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxSecure.h"

#include <cryptopp/gzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Gzip I/O goes in pieces of this size.
const DWORD kPieceSize = 16384;
// A compressed payload is read in pieces of up to this size.
const DWORD kReadPiece = 262144;
// Cipher I/O goes in chunks of this many cipher blocks.
const DWORD kBlocksPerChunk = 2048;
// Deflate never expands data more than about 1032 times; a plain size
// beyond that for its stored bytes is damage, not a payload to allocate for.
const ULONGLONG kMaxInflateRatio = 1100;
// Header lengths of an enciphered payload: the current one and the old one.
const DWORD kHeaderLength = 24;
const DWORD kOldHeaderLength = 12;

DWORD RoundUp(DWORD n, DWORD dwBlock)
{
    return (n + dwBlock - 1) / dwBlock * dwBlock;
}

[[noreturn]] void ThrowDamaged()
{
    throw CFileException(CFileException::invalidFile, ERROR_FILE_CORRUPT);
}

void RequireHandle(HANDLE hFile)
{
    if (hFile == INVALID_HANDLE_VALUE || hFile == nullptr)
        throw CFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE);
}

ULONGLONG FileEnd(HANDLE hFile)
{
    RequireHandle(hFile);
    LARGE_INTEGER li;
    if (!GetFileSizeEx(hFile, &li))
        CFileException::ThrowOsError((LONG)GetLastError());
    return (ULONGLONG)li.QuadPart;
}

// Fills the buffer with compressor output as far as there is any: a chunk
// is short only at the end, so only the last one is ever padded.
DWORD TakeOutput(CryptoPP::Gzip& gzip, BYTE* pBuffer, DWORD dwSize)
{
    DWORD dwTaken = 0;
    while (dwTaken < dwSize && gzip.MaxRetrievable() > 0)
        dwTaken += (DWORD)gzip.Get(pBuffer + dwTaken, dwSize - dwTaken);
    return dwTaken;
}

// The header of an enciphered payload, checked against the bytes stored.
struct CEnvelopeHeader
{
    DWORD dwHeaderLength;
    DWORD dwCipherLength;
    DWORD dwDataLength;
    DWORD dwCheckBlockLength;
};

// Reads the header after the verifier and skips the check block; throws
// when a length cannot be right for a payload of dwStoredSize bytes.
CEnvelopeHeader ReadEnvelopeHeader(CQlcFileReader& reader, DWORD dwVerifierLength, DWORD dwStoredSize,
                                   DWORD dwBlock)
{
    if (dwVerifierLength > dwStoredSize)
        ThrowDamaged();
    reader.Skip(dwVerifierLength);

    CEnvelopeHeader h = {};
    h.dwHeaderLength = reader.ReadU32();
    h.dwCipherLength = reader.ReadU32();
    h.dwDataLength = reader.ReadU32();
    if (h.dwHeaderLength == kHeaderLength)
    {
        h.dwCheckBlockLength = reader.ReadU32();
        reader.Skip(8);
    }
    else if (h.dwHeaderLength != kOldHeaderLength)
        ThrowDamaged();

    const ULONGLONG ullOverhead = (ULONGLONG)dwVerifierLength + h.dwHeaderLength + h.dwCheckBlockLength;
    if (h.dwCipherLength > dwStoredSize || h.dwDataLength > dwStoredSize || h.dwCheckBlockLength > dwStoredSize ||
        ullOverhead > dwStoredSize || h.dwCipherLength > dwStoredSize - ullOverhead ||
        h.dwDataLength > h.dwCipherLength || h.dwCipherLength % dwBlock != 0)
        ThrowDamaged();
    reader.Skip(h.dwCheckBlockLength);
    return h;
}

// Writes the current header of an enciphered payload. The two lengths are
// not known before the data is out: the header is written with zeros first
// and again over itself at the end.
void WriteEnvelopeHeader(CQlcFileWriter& writer, DWORD dwCipherLength, DWORD dwDataLength, DWORD dwCheckBlockLength)
{
    for (DWORD dw : { kHeaderLength, dwCipherLength, dwDataLength, dwCheckBlockLength, 0UL, 0UL })
        writer.WriteU32(dw);
}

// Inflates one gzip member into a buffer of exactly the plain size (zlib:
// a stored payload is read far more often than written, and this is where a
// batch export or a search spends its time). Bytes after the member are no
// part of it. Throws CError when the member is damaged or gives more or
// fewer bytes than that size.
class CGunzip
{
public:
    struct CError
    {
    };

    CGunzip(BYTE* pOut, DWORD dwSize) : m_z(), m_bEnded(FALSE)
    {
        if (inflateInit2(&m_z, 16 + MAX_WBITS) != Z_OK)
            throw std::bad_alloc();
        m_z.next_out = pOut;
        m_z.avail_out = dwSize;
    }
    ~CGunzip() { inflateEnd(&m_z); }

    BOOL IsEnded() const { return m_bEnded; }
    void Put(const BYTE* pIn, DWORD n)
    {
        if (m_bEnded)
            return;
        m_z.next_in = const_cast<BYTE*>(pIn);
        m_z.avail_in = n;
        const int nResult = inflate(&m_z, Z_NO_FLUSH);
        if (nResult == Z_STREAM_END)
        {
            m_bEnded = TRUE;
            return;
        }
        if (nResult == Z_MEM_ERROR)
            throw std::bad_alloc();
        if (nResult != Z_OK && nResult != Z_BUF_ERROR)
            throw CError();
        // Input left over while the member goes on: it gives more than the size.
        if (m_z.avail_in != 0)
            throw CError();
    }
    void End() const
    {
        if (!m_bEnded || m_z.avail_out != 0)
            throw CError();
    }

private:
    CGunzip(const CGunzip&) = delete;
    CGunzip& operator=(const CGunzip&) = delete;
    z_stream m_z;
    BOOL m_bEnded;
};

} // namespace

CQlcNodeData::CQlcNodeData()
    : m_pStatus(nullptr), m_stream(), m_pDoc(nullptr), m_bOpen(FALSE), m_bHasData(FALSE), m_nOpenMode(0), m_dwStreamId(0),
      m_nReadMode(rfFile), m_nWriteMode(wtFile), m_lpBuffer(nullptr), m_dwBufferSize(0), m_bDamaged(FALSE)
{
}

CQlcNodeData::~CQlcNodeData()
{
    try
    {
        if (m_bOpen && m_dwStreamId != 0 && m_stream.bWrite)
            Flush();
    }
    catch (...)
    {
        g_log.WriteLine("WARNING: A node's new data could not be stored; the node keeps its previous data.");
        AbandonWrite();
    }
    Close();
}

void CQlcNodeData::AllocBuffer(DWORD dwSize)
{
    FreeBuffer();
    m_lpBuffer = new BYTE[dwSize];
    m_dwBufferSize = dwSize;
}

void CQlcNodeData::FreeBuffer()
{
    // The payload of an encrypted node, deciphered: nothing of it goes back
    // to the heap.
    AfxSecureWipe(m_lpBuffer, m_dwBufferSize);
    delete[] m_lpBuffer;
    m_lpBuffer = nullptr;
    m_dwBufferSize = 0;
}

void CQlcNodeData::Close()
{
    if (m_pDoc != nullptr && m_dwStreamId != 0 && m_dwStreamId != QLC_STREAM_NO_NODE)
    {
        if (m_stream.bWrite)
            AbandonWrite(); // closing a write stream would store it
        else
            m_pDoc->Data_CloseStream(m_dwStreamId);
    }
    m_dwStreamId = 0;
    FreeBuffer();
    m_pGzip.reset();
    m_bOpen = FALSE;
    m_bHasData = FALSE;
    m_bDamaged = FALSE;
    m_nOpenMode = 0;
    m_stream = QLCSTREAM();
    m_pDoc = nullptr;
    m_node = QLCNODE();
}

void CQlcNodeData::AbandonWrite()
{
    // The record stays in the document's table as every closed stream does;
    // the node is not pointed at the unfinished bytes.
    m_dwStreamId = 0;
    m_pGzip.reset();
    FreePending();
}

void CQlcNodeData::FreePending()
{
    // The bytes of a note may be its plain text: its buffer wipes them, also
    // those it left behind as it grew.
    CSecureBytes().swap(m_pending);
}

BOOL CQlcNodeData::Open(const CQlcNode& node, int nMode, BOOL bCompress)
{
    Close();
    CQuillcrestDoc* pDoc = node.GetDocument();
    if (pDoc == nullptr)
        return FALSE;
    // Reading decodes the whole payload at once: one step for other threads.
    CQlcDocLock::CScoped lock(pDoc->GetLock());
    m_pDoc = pDoc;
    if (!m_pDoc->Data_GetNode(node.GetId(), m_node))
    {
        m_pDoc = nullptr;
        return FALSE;
    }
    // The handle's copy carries the password entered for the node.
    m_node.bPasswordKnown = node.HasPassword();
    m_node.strPassword = node.GetPassword();

    QLCDATALOC loc = {};
    m_bHasData = m_pDoc->Data_GetDataLoc(m_node.dwNodeId, loc) && loc.bHasData;

    // A cipher the library cannot use is refused before anything is read or
    // derived: reading gives an empty, damaged payload; writing and raw
    // access are not opened.
    if (!m_pDoc->Data_CanOpenPayload(m_node))
    {
        if (nMode != modeRead)
        {
            g_log.WriteLine("WARNING: An encrypted node cannot be opened: the encryption library does not support it.");
            Close();
            return FALSE;
        }
        m_nOpenMode = nMode;
        m_bOpen = TRUE;
        SetDamaged(QlcCrypt() == nullptr
                       ? "WARNING: A node is encrypted and the encryption library is not available; it reads as empty."
                       : "WARNING: A node's cipher, hash or key length is not one the encryption library supports; "
                         "it reads as empty.");
        return TRUE;
    }
    m_nOpenMode = nMode;
    m_bOpen = TRUE;

    if (nMode == modeRead)
    {
        m_nReadMode = rfBuffer;
        if (m_bHasData && m_pDoc->Data_IsNodeDamaged(m_node.dwNodeId))
        {
            SetDamaged("WARNING: A node's stored data runs past the end of the file; it reads as empty.");
        }
        else if (m_bHasData)
        {
            QLCSTREAMHANDLE handle = {};
            m_pDoc->Data_OpenStream(m_node.dwNodeId, FALSE, handle, FALSE);
            if (handle.dwStreamId != 0 && handle.dwStreamId != QLC_STREAM_NO_NODE)
            {
                m_dwStreamId = handle.dwStreamId;
                m_pDoc->Data_GetStream(m_dwStreamId, m_stream);
                Load();
            }
        }
    }
    else if (nMode == modeWrite)
    {
        // Enciphering works on compressed bytes only: an encrypted node is
        // always written compressed.
        const BOOL bEncrypted = (m_node.dwFlags & QLC_NODEFLAG_ENCRYPTED) != 0;
        QLCSTREAMHANDLE handle = {};
        m_pDoc->Data_OpenStream(m_node.dwNodeId, TRUE, handle, bCompress || bEncrypted);
        m_dwStreamId = handle.dwStreamId;
        m_pDoc->Data_GetStream(m_dwStreamId, m_stream);
        ResetWrite();
    }
    return TRUE;
}

void CQlcNodeData::ResetWrite()
{
    m_nWriteMode = m_stream.bCompressed ? wtFilter : wtFile;
    m_stream.dwPosition = 0;
    FreePending();
    m_pGzip.reset();
    if (m_nWriteMode == wtFilter)
        m_pGzip.reset(new CryptoPP::Gzip(nullptr, 6, 15, true));
}

void CQlcNodeData::AnchorWriteStart()
{
    m_stream.dwStart = 0;
    const ULONGLONG ullEnd = FileEnd(m_stream.hFile);
    if (ullEnd >= 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);
    m_stream.dwStart = (DWORD)ullEnd;
}

// --- Reading ------------------------------------------------------------------

void CQlcNodeData::SetDamaged(LPCSTR lpszWarning)
{
    FreeBuffer();
    m_nReadMode = rfBuffer;
    m_stream.dwPlainSize = 0;
    m_stream.dwPosition = 0;
    m_bDamaged = TRUE;
    g_log.WriteLine(lpszWarning);
}

void CQlcNodeData::Load()
{
    m_stream.dwPosition = 0;
    if (m_stream.dwEncrypted)
    {
        m_nReadMode = rfBuffer;
        LoadEnciphered();
    }
    else if (m_stream.bCompressed)
    {
        m_nReadMode = rfBuffer;
        LoadCompressed();
    }
    else
        m_nReadMode = rfFile; // Get reads straight from the file
}

void CQlcNodeData::LoadCompressed()
{
    // Stored bytes said to hold nothing must decompress to nothing.
    const DWORD dwPlain = m_stream.dwPlainSize;
    if (dwPlain == 0 && m_stream.dwStoredSize == 0)
        return;
    try
    {
        if (dwPlain > (ULONGLONG)m_stream.dwStoredSize * kMaxInflateRatio + 1024)
            ThrowDamaged();
        RequireHandle(m_stream.hFile);
        // Inflated straight into the payload's buffer, which holds exactly
        // the plain size: a member that gives more or less is damaged. The
        // inflater needs somewhere to write even when that is nothing.
        BYTE bNothing = 0;
        if (dwPlain != 0)
            AllocBuffer(dwPlain);
        CGunzip gunzip(dwPlain != 0 ? m_lpBuffer : &bNothing, dwPlain);
        // Most payloads are read in one piece.
        const DWORD dwPiece = std::max<DWORD>(1, std::min(kReadPiece, m_stream.dwStoredSize));
        std::unique_ptr<BYTE[]> piece(new BYTE[dwPiece]);
        for (DWORD dwDone = 0; dwDone < m_stream.dwStoredSize && !gunzip.IsEnded();)
        {
            const DWORD n = std::min(dwPiece, m_stream.dwStoredSize - dwDone);
            if (CQlcFileReader::ReadAt(m_stream.hFile, (ULONGLONG)m_stream.dwStart + dwDone, piece.get(), n,
                                       nullptr) != n)
                ThrowDamaged();
            gunzip.Put(piece.get(), n);
            dwDone += n;
        }
        gunzip.End();
    }
    catch (CFileException&)
    {
        FreeBuffer(); // nothing half inflated is read as the note
        SetDamaged("WARNING: A node's stored data is damaged; it reads as empty.");
    }
    catch (CGunzip::CError&)
    {
        FreeBuffer(); // nothing half inflated is read as the note
        SetDamaged("WARNING: A node's compressed data cannot be decompressed; it reads as empty.");
    }
    catch (std::bad_alloc&)
    {
        FreeBuffer(); // nothing half inflated is read as the note
        SetDamaged("WARNING: A node's data is too large to be read; it reads as empty.");
    }
}

void CQlcNodeData::LoadEnciphered()
{
    const DWORD dwPlain = m_stream.dwPlainSize;
    if (dwPlain == 0)
        return;

    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr)
    {
        SetDamaged("WARNING: A node is encrypted and the encryption library is not available; it reads as empty.");
        return;
    }
    CQlcCipherPtr pDecryptor =
        pCrypt->CreateCipher(FALSE, m_node.dwCipherId, m_node.dwHashId, m_node.dwKeyLength, m_node.strPassword,
                             (DWORD)m_node.strPassword.GetLength());
    if (!pDecryptor)
    {
        SetDamaged("WARNING: The encryption library cannot decipher a node; it reads as empty.");
        return;
    }
    const DWORD dwBlock = CCryptDLLHandler::GetBlockSize(pDecryptor.get());
    const DWORD dwChunk = dwBlock * kBlocksPerChunk;

    try
    {
        RequireHandle(m_stream.hFile);
        CQlcFileReader reader(m_stream.hFile, nullptr);
        reader.Seek(m_stream.dwStart);
        const CEnvelopeHeader h = ReadEnvelopeHeader(reader, m_node.dwVerifierLength, m_stream.dwStoredSize, dwBlock);

        const BOOL bCompressed = m_stream.bCompressed;
        if (bCompressed ? dwPlain > (ULONGLONG)h.dwDataLength * kMaxInflateRatio + 1024 : h.dwDataLength != dwPlain)
            ThrowDamaged();

        AllocBuffer(dwPlain);
        CryptoPP::Gunzip gunzip;
        CSecureBytes chunk(dwChunk);
        DWORD dwCopied = 0;
        for (DWORD dwDone = 0; dwDone < h.dwCipherLength;)
        {
            const DWORD u = std::min(dwChunk, h.dwCipherLength - dwDone);
            reader.Read(chunk.data(), u);
            if (!pCrypt->m_pfnProcessBuffer(pDecryptor.get(), chunk.data(), u))
                ThrowDamaged();
            // The padding of the last chunk is not part of the data.
            const DWORD dwGive = dwDone < h.dwDataLength ? std::min(u, h.dwDataLength - dwDone) : 0;
            if (bCompressed)
            {
                gunzip.Put(chunk.data(), dwGive);
                if (gunzip.MaxRetrievable() > dwPlain)
                    ThrowDamaged();
            }
            else
            {
                const DWORD n = std::min(dwGive, dwPlain - dwCopied);
                std::memcpy(m_lpBuffer + dwCopied, chunk.data(), n);
                dwCopied += n;
            }
            dwDone += u;
        }
        if (bCompressed)
        {
            gunzip.MessageEnd();
            if (gunzip.MaxRetrievable() != dwPlain)
                ThrowDamaged();
            gunzip.Get(m_lpBuffer, dwPlain);
        }
        else if (dwCopied != dwPlain)
            ThrowDamaged();
    }
    catch (CFileException&)
    {
        SetDamaged("WARNING: A node's enciphered data is damaged; it reads as empty.");
    }
    catch (CryptoPP::Exception&)
    {
        // What a wrong password gives: the deciphered bytes are no gzip.
        SetDamaged("WARNING: A node's enciphered data does not decipher (wrong password or damage); it reads as empty.");
    }
    catch (std::bad_alloc&)
    {
        SetDamaged("WARNING: A node's data is too large to be read; it reads as empty.");
    }
}

UINT CQlcNodeData::Get(LPBYTE lpBuffer, UINT nCount)
{
    if (!m_bOpen || lpBuffer == nullptr)
        return 0;
    DWORD dwSize = m_stream.dwPlainSize;
    if (m_nReadMode == rfFile)
    {
        g_log.WriteLine("WARNING: Using old rfFile method in CQlcNodeData::Get function");
        dwSize = std::min(dwSize, m_stream.dwStoredSize); // never past the stored bytes
    }
    if (m_stream.dwPosition >= dwSize)
        return 0;
    UINT n = (UINT)std::min<DWORD>(nCount, dwSize - m_stream.dwPosition);
    if (n == 0)
        return 0;

    if (m_nReadMode == rfBuffer)
    {
        if (m_lpBuffer == nullptr)
        {
            g_log.WriteLine("WARNING: m_lpBuffer was NULL in call to CQlcNodeData::Get with m_nReadMode := rfBuffer");
            return 0;
        }
        std::memcpy(lpBuffer, m_lpBuffer + m_stream.dwPosition, n);
    }
    else
    {
        CQlcDocLock::CScoped lock(m_pDoc->GetLock());
        // A save or a new payload may have moved the node's bytes since it
        // was opened: the rest is not read from a place that may hold
        // something else now.
        QLCDATALOC loc = {};
        if (!m_pDoc->Data_GetDataLoc(m_node.dwNodeId, loc) || !loc.bHasData || loc.dwOffset != m_stream.dwStart ||
            (loc.bInWorkFile ? m_pDoc->Data_GetWorkHandle() : m_pDoc->Data_GetSourceHandle()) != m_stream.hFile)
            throw CFileException(CFileException::genericException, ERROR_INVALID_DATA);
        RequireHandle(m_stream.hFile);
        // A file shorter than its record says ends the data early.
        n = CQlcFileReader::ReadAt(m_stream.hFile, (ULONGLONG)m_stream.dwStart + m_stream.dwPosition, lpBuffer, n,
                                   nullptr);
    }
    m_stream.dwPosition += n;
    if (m_pStatus != nullptr)
        m_pStatus->StepProgress((int)n);
    return n;
}

BOOL CQlcNodeData::CompareStored(const BYTE* lpBuffer, DWORD dwLength)
{
    if (!m_bOpen || m_pDoc == nullptr || lpBuffer == nullptr)
        return FALSE;
    if (m_node.dwVerifierLength == 0 || m_node.dwVerifierLength != dwLength)
        return FALSE;
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    QLCDATALOC loc = {};
    if (!m_pDoc->Data_GetDataLoc(m_node.dwNodeId, loc) || !loc.bHasData || m_node.dwStoredSize < dwLength)
        return FALSE;
    const HANDLE hFile = loc.bInWorkFile ? m_pDoc->Data_GetWorkHandle() : m_pDoc->Data_GetSourceHandle();
    try
    {
        RequireHandle(hFile);
        CQlcFileReader reader(hFile, nullptr);
        reader.Seek(loc.dwOffset);
        std::vector<BYTE> stored(dwLength);
        reader.Read(stored.data(), dwLength);
        return std::memcmp(stored.data(), lpBuffer, dwLength) == 0;
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: A node's password verifier could not be read.");
        return FALSE;
    }
}

// --- Writing ------------------------------------------------------------------

void CQlcNodeData::Put(const BYTE* lpBuffer, UINT nCount)
{
    if (!m_bOpen || m_nOpenMode != modeWrite || m_dwStreamId == 0 || nCount == 0 || lpBuffer == nullptr)
        return;
    if ((ULONGLONG)m_stream.dwPosition + nCount > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);

    if (m_nWriteMode == wtFilter)
    {
        m_pGzip->Put(lpBuffer, nCount);
    }
    else
    {
        g_log.WriteLine("WARNING: Using old wtFile method in CQlcNodeData::Put function");
        // Kept until Flush, which appends the whole payload in one step:
        // pieces written as they come would interleave with other writers
        // at the end of the work file.
        m_pending.insert(m_pending.end(), lpBuffer, lpBuffer + nCount);
    }
    m_stream.dwPosition += nCount;
    if (m_pStatus != nullptr)
        m_pStatus->StepProgress((int)nCount);
}

BOOL CQlcNodeData::Flush()
{
    if (!m_bOpen || m_nOpenMode != modeWrite || m_dwStreamId == 0 || m_dwStreamId == QLC_STREAM_NO_NODE)
        return FALSE;
    // Taking the end of the work file, writing there and pointing the node
    // at it are one step.
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    try
    {
        if (m_nWriteMode == wtFilter)
        {
            if (m_stream.dwEncrypted)
            {
                if (!FlushEnciphered())
                {
                    AbandonWrite();
                    return FALSE;
                }
            }
            else
                FlushCompressed();
        }
        else
        {
            // An empty payload still gets its own place.
            AnchorWriteStart();
            if ((ULONGLONG)m_stream.dwStart + m_pending.size() > 0xFFFFFFFFull)
                throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);
            if (!m_pending.empty())
                CQlcFileWriter::WriteAt(m_stream.hFile, m_stream.dwStart, m_pending.data(), (DWORD)m_pending.size(),
                                        nullptr);
            FreePending();
            m_stream.dwStoredSize = m_stream.dwPosition;
        }
    }
    catch (CryptoPP::Exception&)
    {
        AbandonWrite();
        throw CFileException(CFileException::genericException, ERROR_INVALID_DATA);
    }
    catch (...)
    {
        AbandonWrite();
        throw;
    }
    m_pGzip.reset();
    m_pDoc->Data_SetStream(m_dwStreamId, m_stream);
    m_pDoc->Data_CloseStream(m_dwStreamId);
    m_dwStreamId = 0;
    return TRUE;
}

void CQlcNodeData::FlushCompressed()
{
    const DWORD dwPlain = m_stream.dwPosition;
    m_pGzip->MessageEnd();
    const ULONGLONG ullTotal = m_pGzip->MaxRetrievable();

    AnchorWriteStart();
    if (m_stream.dwStart + ullTotal > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);
    CQlcFileWriter writer(m_stream.hFile, nullptr, kPieceSize);
    writer.Seek(m_stream.dwStart);
    std::vector<BYTE> piece(kPieceSize);
    DWORD dwWritten = 0;
    while (m_pGzip->MaxRetrievable() > 0)
    {
        const size_t n = m_pGzip->Get(piece.data(), piece.size());
        writer.Write(piece.data(), (UINT)n);
        dwWritten += (DWORD)n;
    }
    writer.Flush();
    m_stream.dwPlainSize = dwPlain;
    m_stream.dwPosition = m_stream.dwStoredSize = dwWritten;
}

BOOL CQlcNodeData::FlushEnciphered()
{
    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr)
    {
        g_log.WriteLine("WARNING: An encrypted node could not be stored: the encryption library is not available.");
        return FALSE;
    }
    const CString& strPassword = m_node.strPassword;
    CQlcCipherPtr pEncryptor = pCrypt->CreateCipher(TRUE, m_node.dwCipherId, m_node.dwHashId, m_node.dwKeyLength,
                                                    strPassword, (DWORD)strPassword.GetLength());
    if (!pEncryptor)
    {
        g_log.WriteLine("WARNING: An encrypted node could not be stored: the encryption library refused its cipher.");
        return FALSE;
    }
    const std::vector<BYTE> verifier = pCrypt->MakeVerifier(pEncryptor.get());
    if (verifier.empty() || verifier.size() != m_node.dwVerifierLength)
    {
        // A reader skips the node's verifier length: any other would make
        // the payload unreadable.
        g_log.WriteLine("WARNING: An encrypted node could not be stored: its verifier does not match the node.");
        return FALSE;
    }
    const DWORD dwBlock = CCryptDLLHandler::GetBlockSize(pEncryptor.get());
    const DWORD dwChunk = dwBlock * kBlocksPerChunk;
    const CSecureBytes checkBlock = pCrypt->MakeCheckBlock(strPassword, (DWORD)strPassword.GetLength());

    const DWORD dwPlain = m_stream.dwPosition;
    m_pGzip->MessageEnd();
    const ULONGLONG ullGzip = m_pGzip->MaxRetrievable();

    AnchorWriteStart();
    const ULONGLONG ullTotal = verifier.size() + kHeaderLength + checkBlock.size() + ullGzip + dwBlock;
    if (m_stream.dwStart + ullTotal > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);

    CQlcFileWriter writer(m_stream.hFile, nullptr, dwChunk);
    writer.Seek(m_stream.dwStart);
    writer.Write(verifier.data(), (UINT)verifier.size());
    const DWORD dwHeaderPos = writer.GetPosition();
    WriteEnvelopeHeader(writer, 0, 0, (DWORD)checkBlock.size());
    if (!checkBlock.empty())
        writer.Write(checkBlock.data(), (UINT)checkBlock.size());

    DWORD dwCipherLength = 0, dwGzipLength = 0;
    CSecureBytes chunk(dwChunk);
    while (m_pGzip->MaxRetrievable() > 0)
    {
        const DWORD n = TakeOutput(*m_pGzip, chunk.data(), dwChunk);
        const DWORD dwPadded = RoundUp(n, dwBlock);
        std::fill(chunk.begin() + n, chunk.begin() + dwPadded, 0);
        if (!pCrypt->m_pfnProcessBuffer(pEncryptor.get(), chunk.data(), dwPadded))
        {
            g_log.WriteLine("WARNING: An encrypted node could not be stored: enciphering failed.");
            return FALSE;
        }
        writer.Write(chunk.data(), dwPadded);
        dwCipherLength += dwPadded;
        dwGzipLength += n;
    }
    const DWORD dwEnd = writer.GetPosition();
    writer.Seek(dwHeaderPos);
    WriteEnvelopeHeader(writer, dwCipherLength, dwGzipLength, (DWORD)checkBlock.size());
    writer.Flush();

    m_stream.dwPlainSize = dwPlain;
    m_stream.dwPosition = m_stream.dwStoredSize = dwEnd - m_stream.dwStart;
    return TRUE;
}

// --- Re-encoding ----------------------------------------------------------------

BOOL CQlcNodeData::ChangeEncryption(DWORD dwCipherId, DWORD dwKeyLength, DWORD dwHashId, LPCSTR lpszPassword,
                                    DWORD dwPasswordLength, DWORD& dwVerifierLength, LPCSTR lpszOldPassword,
                                    DWORD dwOldPasswordLength)
{
    dwVerifierLength = 0;
    if (!m_bOpen || m_pDoc == nullptr)
        return FALSE;
    // Reading the old payload and appending the new one are one step.
    CQlcDocLock::CScoped lock(m_pDoc->GetLock());
    if (!m_pDoc->Data_GetNode(m_node.dwNodeId, m_node))
        return FALSE;
    QLCDATALOC loc = {};
    m_bHasData = m_pDoc->Data_GetDataLoc(m_node.dwNodeId, loc) && loc.bHasData;

    const BOOL bNewSide = dwCipherId != 0 && dwKeyLength != 0;
    const BOOL bOldSide = (m_node.dwFlags & QLC_NODEFLAG_ENCRYPTED) != 0;
    if (!bNewSide && !bOldSide)
        return TRUE; // plain stays plain

    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr)
    {
        g_log.WriteLine("WARNING: A node's encryption cannot change: the encryption library is not available.");
        return FALSE;
    }

    CQlcCipherPtr pEncryptor;
    if (bNewSide)
    {
        pEncryptor = pCrypt->CreateCipher(TRUE, dwCipherId, dwHashId, dwKeyLength, lpszPassword, dwPasswordLength);
        if (!pEncryptor || pCrypt->MakeVerifier(pEncryptor.get()).empty())
        {
            g_log.WriteLine("WARNING: A node's encryption cannot change: the library refused the new cipher.");
            return FALSE;
        }
    }

    CQlcCipherPtr pDecryptor;
    if (bOldSide)
    {
        CSecureBytes key;
        pCrypt->DeriveKey(m_node.dwHashId, lpszOldPassword, dwOldPasswordLength, key, m_node.dwKeyLength);
        pDecryptor = pCrypt->CreateCipherFromKey(FALSE, m_node.dwCipherId, key);
        // Deciphering with a wrong password would turn the payload into
        // noise for good: prove the old password first.
        BOOL bProven = !m_bHasData;
        if (pDecryptor && m_bHasData)
        {
            CQlcCipherPtr pCheck = pCrypt->CreateCipherFromKey(TRUE, m_node.dwCipherId, key);
            const std::vector<BYTE> verifier = pCrypt->MakeVerifier(pCheck.get());
            bProven = !verifier.empty() && CompareStored(verifier.data(), (DWORD)verifier.size());
        }
        key.clear();
        if (!pDecryptor)
        {
            g_log.WriteLine("WARNING: A node's encryption cannot change: the library refused its cipher.");
            return FALSE;
        }
        if (!bProven)
        {
            g_log.WriteLine("WARNING: A node's encryption was not changed: the old password is not the node's.");
            return FALSE;
        }
    }

    try
    {
        return Recode(pEncryptor.get(), pDecryptor.get(), lpszPassword, dwPasswordLength, dwVerifierLength);
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: A node's data could not be re-encoded; it was left as it was.");
    }
    catch (CryptoPP::Exception&)
    {
        g_log.WriteLine("WARNING: A node's data could not be re-encoded; it was left as it was.");
    }
    catch (std::bad_alloc&)
    {
        g_log.WriteLine("WARNING: A node's data could not be re-encoded; it was left as it was.");
    }
    dwVerifierLength = 0;
    return FALSE;
}

BOOL CQlcNodeData::Recode(QLC_CIPHER* pEncryptor, QLC_CIPHER* pDecryptor, LPCSTR lpszPassword,
                          DWORD dwPasswordLength, DWORD& dwVerifierLength)
{
    CCryptDLLHandler* pCrypt = QlcCrypt();
    const DWORD dwEncBlock = CCryptDLLHandler::GetBlockSize(pEncryptor);
    const DWORD dwDecBlock = CCryptDLLHandler::GetBlockSize(pDecryptor);

    // Both streams; the write stream is only stored when all went well.
    QLCSTREAM readStream = {};
    DWORD dwReadId = 0;
    if (m_bHasData)
    {
        QLCSTREAMHANDLE handle = {};
        m_pDoc->Data_OpenStream(m_node.dwNodeId, FALSE, handle, FALSE);
        if (handle.dwStreamId != 0 && handle.dwStreamId != QLC_STREAM_NO_NODE)
        {
            dwReadId = handle.dwStreamId;
            m_pDoc->Data_GetStream(dwReadId, readStream);
        }
    }
    QLCSTREAMHANDLE writeHandle = {};
    m_pDoc->Data_OpenStream(m_node.dwNodeId, TRUE, writeHandle, FALSE);
    QLCSTREAM writeStream = {};
    m_pDoc->Data_GetStream(writeHandle.dwStreamId, writeStream);

    struct CCloseRead
    {
        CQuillcrestDoc* pDoc;
        DWORD dwId;
        ~CCloseRead()
        {
            if (dwId != 0)
                pDoc->Data_CloseStream(dwId);
        }
    } closeRead = { m_pDoc, dwReadId };

    RequireHandle(writeStream.hFile);
    const ULONGLONG ullStart = FileEnd(writeStream.hFile);
    if (ullStart >= 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);
    writeStream.dwStart = (DWORD)ullStart;

    // Where the bytes to carry over are, and where they end.
    std::unique_ptr<CQlcFileReader> pReader;
    DWORD dwSourceLength = 0; // bytes to read
    DWORD dwCutLength = 0;    // bytes of them that are data
    if (dwReadId != 0)
    {
        RequireHandle(readStream.hFile);
        pReader.reset(new CQlcFileReader(readStream.hFile, nullptr));
        pReader->Seek(readStream.dwStart);
        if (pDecryptor != nullptr)
        {
            const CEnvelopeHeader h =
                ReadEnvelopeHeader(*pReader, m_node.dwVerifierLength, readStream.dwStoredSize, dwDecBlock);
            dwSourceLength = h.dwCipherLength;
            dwCutLength = h.dwDataLength;
        }
        else
            dwSourceLength = dwCutLength = readStream.dwStoredSize;
    }

    // Chunks hold whole blocks of both ciphers.
    DWORD dwChunk;
    if (dwEncBlock != 0 && dwDecBlock != 0 && dwEncBlock != dwDecBlock)
        dwChunk = dwEncBlock * dwDecBlock * 256;
    else
        dwChunk = (dwEncBlock != 0 ? dwEncBlock : dwDecBlock) * kBlocksPerChunk;

    const ULONGLONG ullMax = (ULONGLONG)writeStream.dwStart + 4096 + dwSourceLength + dwEncBlock;
    if (ullMax > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE);

    CQlcFileWriter writer(writeStream.hFile, nullptr, dwChunk);
    writer.Seek(writeStream.dwStart);

    CSecureBytes checkBlock;
    DWORD dwHeaderPos = 0;
    DWORD dwNewVerifier = 0;
    if (pEncryptor != nullptr)
    {
        const std::vector<BYTE> verifier = pCrypt->MakeVerifier(pEncryptor);
        writer.Write(verifier.data(), (UINT)verifier.size());
        dwNewVerifier = (DWORD)verifier.size();
        checkBlock = pCrypt->MakeCheckBlock(lpszPassword, dwPasswordLength);
        dwHeaderPos = writer.GetPosition();
        WriteEnvelopeHeader(writer, 0, 0, (DWORD)checkBlock.size());
        if (!checkBlock.empty())
            writer.Write(checkBlock.data(), (UINT)checkBlock.size());
    }

    DWORD dwCipherLength = 0, dwDataLength = 0;
    CSecureBytes chunk(dwChunk);
    for (DWORD dwRead = 0; dwRead < dwCutLength;)
    {
        const DWORD m = std::min(dwChunk, dwSourceLength - dwRead);
        pReader->Read(chunk.data(), m);
        if (pDecryptor != nullptr && !pCrypt->m_pfnProcessBuffer(pDecryptor, chunk.data(), m))
            ThrowDamaged();
        // The new side never sees the old padding.
        const DWORD dwGive = std::min(m, dwCutLength - dwRead);
        if (pEncryptor != nullptr)
        {
            const DWORD dwPadded = RoundUp(dwGive, dwEncBlock);
            std::fill(chunk.begin() + dwGive, chunk.begin() + dwPadded, 0);
            if (!pCrypt->m_pfnProcessBuffer(pEncryptor, chunk.data(), dwPadded))
                ThrowDamaged();
            writer.Write(chunk.data(), dwPadded);
            dwCipherLength += dwPadded;
        }
        else
            writer.Write(chunk.data(), dwGive);
        dwDataLength += dwGive;
        dwRead += m;
    }

    const DWORD dwEnd = writer.GetPosition();
    if (pEncryptor != nullptr)
    {
        writer.Seek(dwHeaderPos);
        WriteEnvelopeHeader(writer, dwCipherLength, dwDataLength, (DWORD)checkBlock.size());
    }
    writer.Flush();

    writeStream.dwEncrypted = pEncryptor != nullptr ? (DWORD)QLC_NODEFLAG_ENCRYPTED : 0;
    if (dwReadId != 0)
        writeStream.bCompressed = readStream.bCompressed;
    writeStream.dwPosition = writeStream.dwStoredSize = dwEnd - writeStream.dwStart;
    m_pDoc->Data_SetStream(writeHandle.dwStreamId, writeStream);
    m_pDoc->Data_CloseStream(writeHandle.dwStreamId);

    dwVerifierLength = dwNewVerifier;
    m_pDoc->Data_GetNode(m_node.dwNodeId, m_node);
    m_bHasData = TRUE;
    return TRUE;
}
