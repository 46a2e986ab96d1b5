// The reader and writer of one node's stored payload. Opened for reading it
// decodes the whole payload (deciphering and decompressing it) into memory
// and hands it out through Get; opened for writing it takes bytes through
// Put, compresses them on the fly and on Flush appends the finished payload,
// enciphered for an encrypted node, to the document's work file.
#pragma once

#include "core/QlcRecords.h"

#include "framework/base/AfxDefs.h"
#include "framework/base/AfxSecure.h"

#include <memory>
#include <vector>

#include <richedit.h>

class CQlcNode;
class CQlcStatus;
class CQuillcrestDoc;
struct QLC_CIPHER;
namespace CryptoPP { class Gzip; }

class CQlcNodeData
{
public:
    // Open modes.
    enum { modeRead = 1, modeWrite = 2, modeRaw = 4 };
    // How Get reads: straight from the file (plain payloads) or from the
    // decoded buffer.
    enum { rfFile = 0, rfBuffer = 1 };
    // How Put writes: straight to the file or through the compressor.
    enum { wtFile = 0, wtFilter = 1 };

    CQlcNodeData();

    // Hands out up to nCount bytes of the payload; 0 at the end. Throws
    // CFileException when a plain payload cannot be read from its file.
    virtual UINT Get(LPBYTE lpBuffer, UINT nCount);
    // Frees the buffer; an open read stream is closed, an open write stream
    // flushed (errors are logged, never thrown).
    virtual ~CQlcNodeData();

    // Closes what was open and opens the node's payload in a mode. Reading
    // decodes it at once. FALSE when the node is not in its document, and
    // for writing or raw access when the document refuses its cipher
    // (reading such a node gives an empty, damaged payload).
    BOOL Open(const CQlcNode& node, int nMode, BOOL bCompress);
    // Takes payload bytes (write mode). Throws CFileException on a write
    // error of the uncompressed way or when the payload would pass 4 GB.
    void Put(const BYTE* lpBuffer, UINT nCount);
    // Starts the payload being written over (nothing put so far counts).
    void ResetWrite();
    // Finishes a write: stores the payload and points the node at it. FALSE
    // when there was nothing to flush or the payload could not be enciphered
    // (the node keeps its old payload then). Throws CFileException when the
    // work file cannot be written; the node keeps its old payload.
    BOOL Flush();
    // Closes the stream without flushing and forgets the node.
    void Close();

    BOOL IsOpen() const { return m_bOpen; }
    BOOL HasStream() const { return m_bOpen && m_bHasData; }
    // The payload read could not be decoded (damaged, wrong password, no
    // encryption library): Get hands out nothing.
    BOOL IsDamaged() const { return m_bDamaged; }
    int GetReadMode() const { return m_nReadMode; }
    // A status whose progress bar moves on by every byte handed out or
    // taken in (null: none).
    void SetStatus(CQlcStatus* pStatus) { m_pStatus = pStatus; }
    int GetWriteMode() const { return m_nWriteMode; }

    // Compares the first dwLength stored bytes with the buffer; FALSE unless
    // the node's verifier is exactly that long.
    BOOL CompareStored(const BYTE* lpBuffer, DWORD dwLength);

    // Re-encodes the payload for a new cipher (cipher id and key length not
    // 0), none (both 0), or a new password, deciphering it with the old
    // password when the node is encrypted. TRUE when the node now holds the
    // re-encoded payload; dwVerifierLength receives the new verifier's
    // length (0 without encryption). On FALSE nothing changed.
    BOOL ChangeEncryption(DWORD dwCipherId, DWORD dwKeyLength, DWORD dwHashId, LPCSTR lpszPassword,
                          DWORD dwPasswordLength, DWORD& dwVerifierLength, LPCSTR lpszOldPassword,
                          DWORD dwOldPasswordLength);

protected:
    void Load();
    void LoadEnciphered();
    void LoadCompressed();
    // Marks the payload read as unreadable: nothing will be handed out.
    void SetDamaged(LPCSTR lpszWarning);
    void AllocBuffer(DWORD dwSize);
    // Wipes the decoded payload before it is freed.
    void FreeBuffer();
    // Forgets the bytes an uncompressed write holds until Flush.
    void FreePending();
    BOOL FlushEnciphered();
    void FlushCompressed();
    // Forgets a write stream without storing it: the node keeps its payload.
    void AbandonWrite();
    BOOL Recode(QLC_CIPHER* pEncryptor, QLC_CIPHER* pDecryptor, LPCSTR lpszPassword, DWORD dwPasswordLength,
                DWORD& dwVerifierLength);
    // Places a write that has not written anything yet at the current end
    // of the work file, so that two writers never share a place.
    void AnchorWriteStart();

    CQlcStatus* m_pStatus;           // stepped by the bytes handed out or taken in
    QLCSTREAM m_stream;              // copy of the document's stream record
    CQuillcrestDoc* m_pDoc;
    QLCNODE m_node;                  // the node as it was opened (with its password)
    BOOL m_bOpen;
    BOOL m_bHasData;
    int m_nOpenMode;
    DWORD m_dwStreamId;              // 0 = none
    int m_nReadMode;
    int m_nWriteMode;
    LPBYTE m_lpBuffer;               // the decoded payload (rfBuffer)
    DWORD m_dwBufferSize;
    std::unique_ptr<CryptoPP::Gzip> m_pGzip;
    CSecureBytes m_pending;          // an uncompressed write's bytes, until Flush
    BOOL m_bDamaged;

private:
    CQlcNodeData(const CQlcNodeData&) = delete;
    CQlcNodeData& operator=(const CQlcNodeData&) = delete;
};

// EDITSTREAM callbacks of the rich-text control; the cookie is the
// CQlcNodeData. A failure ends the stream with a nonzero result.
DWORD CALLBACK NodeDataStreamInCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
DWORD CALLBACK NodeDataStreamOutCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
