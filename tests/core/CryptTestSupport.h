// Helpers of the payload, node and encryption tests: the encryption library
// installed as the application's, new log text, test data, payloads written
// and read through the node handle, and an independent look at the
// enciphered layouts.
#pragma once

#include "core/CCryptDLLHandler.h"
#include "core/CQuillcrestDoc.h"

#include "TestSupport.h"

#include <string>

// Ids of the stand-in library's algorithms.
const DWORD kAes = 0x101;       // 16-byte blocks, keys 16..32, the default cipher
const DWORD kBlowfish = 0x102;  // 8-byte blocks, keys 4..56
const DWORD kSha1 = 0x201;
const DWORD kSha256 = 0x202;    // the default hash

// A binding installed as the application's for the object's lifetime;
// loaded from beside the test program unless told otherwise.
class CCryptInstall
{
public:
    explicit CCryptInstall(BOOL bLoad = TRUE);
    ~CCryptInstall();
    CCryptDLLHandler handler;

private:
    CCryptDLLHandler* m_pPrevious;
};

// The folder of the test program, with a trailing backslash.
CString ExeFolder();

// Text the day log receives from now on. The log is opened for the
// watch's lifetime only, so other tests find the day file free.
class CLogWatch
{
public:
    CLogWatch();
    ~CLogWatch();
    std::string NewText() const;

private:
    ULONGLONG m_ullStart;
    BOOL m_bOpened;
};
size_t CountOf(const std::string& text, const std::string& what);

// Compressible, text-like bytes; and bytes deflate cannot shrink.
Bytes TextBytes(size_t n, DWORD dwSeed = 1);
Bytes NoiseBytes(size_t n, DWORD dwSeed = 1);

// Gzip as the payload writer makes it, and gunzip (throws on bad data).
Bytes Gzip(const Bytes& plain);
Bytes Gunzip(const Bytes& gz);

// Writes the node's payload through its handle in pieces; TRUE when Flush
// stored it.
BOOL WriteNodeData(CQuillcrestDoc& doc, DWORD dwNodeId, const Bytes& data, BOOL bCompress, size_t nPiece = 4000);
// Reads the decoded payload through a fresh handle; the node's remembered
// password (if any) deciphers it.
Bytes ReadNodeData(CQuillcrestDoc& doc, DWORD dwNodeId, BOOL* pbDamaged = nullptr, size_t nPiece = 5000);
// Sets the node's password as the password dialog's caller does.
void RememberPassword(CQuillcrestDoc& doc, DWORD dwNodeId, LPCSTR lpszPassword);

// The parts of an enciphered payload, taken apart by the test itself.
struct CEnvelopeParts
{
    Bytes verifier;
    DWORD dwHeaderLength = 0;
    DWORD dwCipherLength = 0;
    DWORD dwDataLength = 0;
    DWORD dwCheckBlockLength = 0;
    DWORD dwZero1 = 0;
    DWORD dwZero2 = 0;
    Bytes checkBlock;
    Bytes ciphertext;    // dwCipherLength bytes
    size_t nTrailing = 0; // stored bytes after the ciphertext
};
CEnvelopeParts SplitEnvelope(const Bytes& stored, DWORD dwVerifierLength);

// The chunk rule with the library directly: chunks of block size x 2048, the
// last padded with zeros to a block.
Bytes EncipherChunks(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword,
                     const Bytes& plain);
Bytes DecipherChunks(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword,
                     const Bytes& cipher);
// The verifier and check block a password gives.
Bytes VerifierOf(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword);
Bytes CheckBlockOf(CCryptDLLHandler& crypt, LPCSTR lpszPassword);

// Snapshot of the Qlc*.tmp files in %TEMP%; Added lists those that are new.
class CTempFilesWatch
{
public:
    CTempFilesWatch();
    std::vector<std::string> Added() const;

private:
    std::vector<std::string> m_before;
};
