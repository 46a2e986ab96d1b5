// The binding of qlccrypt.dll, the outside encryption library: loaded at
// start-up by the application, looked up by ordinal. Without it the program
// runs without encryption, so every caller asks IsLoaded first (or uses
// QlcCrypt(), which answers null then).
#pragma once

#include "framework/base/AfxSecure.h"
#include "framework/base/CString.h"

#include "outside/qlccrypt/QlcCryptApi.h"

#include <memory>
#include <vector>

class CCryptDLLHandler;

// Deletes a cipher object through its own table (slot 0, called with 1),
// then lets go of the use of the module the object held.
struct CQlcCipherDeleter
{
    const CCryptDLLHandler* pOwner = nullptr;
    void operator()(QLC_CIPHER* pCipher) const;
};
typedef std::unique_ptr<QLC_CIPHER, CQlcCipherDeleter> CQlcCipherPtr;

class CCryptDLLHandler
{
public:
    CCryptDLLHandler();
    virtual ~CCryptDLLHandler();

    // Loads the module (a bare name from the program's folder, never from
    // the search path) and binds its ordinals. A module that lacks an ordinal the
    // program calls is freed again and counts as not loaded.
    BOOL Load(LPCSTR lpszModule = "qlccrypt.dll");
    BOOL IsLoaded() const { return m_hModule != nullptr; }
    // Frees the module once nobody uses it: waits (taking the calls workers
    // send to the interface thread meanwhile) until every use has ended, and
    // leaves it loaded when uses remain after a while.
    void Unload();

    // Workers run the library while the interface thread may be closing the
    // program, so every call into the module holds a use: a cipher object
    // holds one for its life, the helpers below one per call, and code that
    // calls the bound exports itself holds a CCryptUse. AddUse is FALSE when
    // the module is not loaded or is being unloaded.
    BOOL AddUse() const;
    void ReleaseUse() const;
    LONG GetUseCount() const;

    // Ordinal of the first missing export the last Load met; 0 when none.
    int GetMissingOrdinal() const { return m_nMissingOrdinal; }

    // Loaded, the cipher is one the library offers and its longest key is
    // at least dwKeyLength: an encrypted node or notebook can be opened.
    BOOL CanUseCipher(DWORD dwCipherId, DWORD dwKeyLength) const;

    // --- Helpers over the pointers (all need IsLoaded) -------------------------
    // A key of dwKeyLength bytes from the password; FALSE when the library
    // refuses (unknown hash; the key is zeros then) or the length is longer
    // than the library's longest key (the key is empty then).
    BOOL DeriveKey(DWORD dwHashId, LPCSTR lpszPassword, DWORD dwPasswordLength, CSecureBytes& key,
                   DWORD dwKeyLength) const;
    // An encryptor or decryptor for a password: derives the key, creates the
    // object and wipes the key. Null when the library is absent or refuses.
    CQlcCipherPtr CreateCipher(BOOL bEncryptor, DWORD dwCipherId, DWORD dwHashId, DWORD dwKeyLength,
                               LPCSTR lpszPassword, DWORD dwPasswordLength) const;
    // An encryptor or decryptor for a key already derived.
    CQlcCipherPtr CreateCipherFromKey(BOOL bEncryptor, DWORD dwCipherId, const CSecureBytes& key) const;
    // The verifier of an encryptor: GetVerifierSize bytes, cut to what
    // MakeVerifier wrote. Empty when it made none.
    std::vector<BYTE> MakeVerifier(QLC_CIPHER* pEncryptor) const;
    // The check block of a password (may be empty).
    CSecureBytes MakeCheckBlock(LPCSTR lpszPassword, DWORD dwPasswordLength) const;
    // Block size of a cipher object; 0 when the object reports one the
    // chunk arithmetic cannot use.
    static DWORD GetBlockSize(QLC_CIPHER* pCipher);

    // --- The bound exports ------------------------------------------------------
    PFN_QLC_PROCESSBUFFER m_pfnProcessBuffer;
    PFN_QLC_RESERVED2 m_pfnReserved2;
    PFN_QLC_RESERVED3 m_pfnReserved3;
    PFN_QLC_RESERVED4 m_pfnReserved4;
    PFN_QLC_MAKEVERIFIER m_pfnMakeVerifier;
    PFN_QLC_CREATEENCRYPTOR m_pfnCreateEncryptor;
    PFN_QLC_CREATEDECRYPTOR m_pfnCreateDecryptor;
    PFN_QLC_GETMAXKEYLENGTH m_pfnGetMaxKeyLength;
    PFN_QLC_GETFIRSTCIPHER m_pfnGetFirstCipher;
    PFN_QLC_GETFIRSTHASH m_pfnGetFirstHash;
    PFN_QLC_GETNEXTCIPHER m_pfnGetNextCipher;
    PFN_QLC_GETNEXTHASH m_pfnGetNextHash;
    PFN_QLC_RESERVED13 m_pfnReserved13;
    PFN_QLC_RESERVED14 m_pfnReserved14;
    PFN_QLC_GETVERIFIERSIZE m_pfnGetVerifierSize;
    PFN_QLC_GETDEFAULTCIPHER m_pfnGetDefaultCipher;
    PFN_QLC_GETDEFAULTHASH m_pfnGetDefaultHash;
    PFN_QLC_DERIVEKEY m_pfnDeriveKey;
    PFN_QLC_ISALGORITHMSUPPORTED m_pfnIsAlgorithmSupported;
    PFN_QLC_RESERVED20 m_pfnReserved20;
    PFN_QLC_RESERVED21 m_pfnReserved21;
    PFN_QLC_MAKECHECKBLOCK m_pfnMakeCheckBlock;

private:
    CCryptDLLHandler(const CCryptDLLHandler&) = delete;
    CCryptDLLHandler& operator=(const CCryptDLLHandler&) = delete;

    void ClearPointers();

    HMODULE m_hModule;
    int m_nMissingOrdinal;
    mutable CRITICAL_SECTION m_csUses;
    mutable LONG m_nUses;
    BOOL m_bUnloading;
    HANDLE m_hNoUses; // set while m_nUses is 0
};

// A use of the module for a scope (see CCryptDLLHandler::AddUse).
class CCryptUse
{
public:
    explicit CCryptUse(const CCryptDLLHandler* pHandler)
        : m_pHandler(pHandler != nullptr && pHandler->AddUse() ? pHandler : nullptr)
    {
    }
    ~CCryptUse()
    {
        if (m_pHandler != nullptr)
            m_pHandler->ReleaseUse();
    }
    // FALSE when the module is absent or going away: do not call it then.
    BOOL IsHeld() const { return m_pHandler != nullptr; }

private:
    CCryptUse(const CCryptUse&) = delete;
    CCryptUse& operator=(const CCryptUse&) = delete;
    const CCryptDLLHandler* m_pHandler;
};

// The application's binding when it is loaded, else null.
CCryptDLLHandler* QlcCrypt();
