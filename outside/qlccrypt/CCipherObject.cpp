// CCipherObject.cpp - the cipher objects handed out by CreateEncryptor and
// CreateDecryptor.
//
// Each object is CBC over its block cipher. The file formats leave no room
// for an IV, so it is derived from the key; the password verifier is derived
// from the key the same way, under another label, and never touches the
// chaining state (callers make it just before enciphering).
#include "outside/qlccrypt/CCipherObject.h"

#include "outside/qlccrypt/CCryptAlgorithms.h"

#include <cryptopp/cryptlib.h>
#include <cryptopp/hmac.h>
#include <cryptopp/misc.h>
#include <cryptopp/sha.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace {

const DWORD kMagic = 0x51434950;  // "QCIP"

// HMAC-SHA-256 of (label, cipher id, extra) under pKey; 32 bytes out.
void KeyedDigest(const BYTE *pKey, size_t nKey, const char *pszLabel, DWORD dwId, DWORD dwExtra, BYTE *pOut)
{
    CryptoPP::HMAC<CryptoPP::SHA256> mac(pKey, nKey);
    mac.Update(reinterpret_cast<const BYTE *>(pszLabel), std::strlen(pszLabel));
    const BYTE tail[8] = {BYTE(dwId), BYTE(dwId >> 8), BYTE(dwId >> 16), BYTE(dwId >> 24),
                          BYTE(dwExtra), BYTE(dwExtra >> 8), BYTE(dwExtra >> 16), BYTE(dwExtra >> 24)};
    mac.Update(tail, sizeof(tail));
    mac.Final(pOut);
}

} // namespace

static_assert(std::is_standard_layout<CCipherObject>::value,
              "the handle must share the object's address");

const QLC_CIPHER_VTBL CCipherObject::s_vtbl = {
    &CCipherObject::VDelete,
    &CCipherObject::VReserved,
    &CCipherObject::VReserved,
    &CCipherObject::VGetBlockSize,
};

QLC_CIPHER *CCipherObject::Create(DWORD dwCipherId, bool bEncrypt, const BYTE *pKey, DWORD dwKeyLength)
{
    const QlcCipherInfo *pInfo = CCryptAlgorithms::FindCipher(dwCipherId);
    if (!pInfo || !pKey || dwKeyLength < pInfo->dwMinKey || dwKeyLength > pInfo->dwMaxKey)
        return nullptr;
    CCryptAlgorithms::Prepare();
    CCipherObject *pObject = new CCipherObject(pInfo, bEncrypt, pKey, dwKeyLength);
    return &pObject->m_handle;
}

CCipherObject *CCipherObject::FromHandle(QLC_CIPHER *pHandle)
{
    if (!pHandle || pHandle->lpVtbl != &s_vtbl)
        return nullptr;
    CCipherObject *pObject = reinterpret_cast<CCipherObject *>(pHandle);
    return pObject->m_dwMagic == kMagic ? pObject : nullptr;
}

CCipherObject::CCipherObject(const QlcCipherInfo *pInfo, bool bEncrypt, const BYTE *pKey, DWORD dwKeyLength)
    : m_dwMagic(kMagic), m_pInfo(pInfo), m_pKey(nullptr), m_dwKeyLength(dwKeyLength), m_pMode(nullptr)
{
    m_handle.lpVtbl = &s_vtbl;
    BYTE digest[32];
    BYTE native[32];
    try {
        m_pKey = new BYTE[dwKeyLength];
        std::memcpy(m_pKey, pKey, dwKeyLength);

        // A key length the block cipher does not take itself is stretched
        // to the next one it does, so every length in range is usable.
        const size_t nNative = pInfo->pfnNativeKeyLength(dwKeyLength);
        const BYTE *pNative = m_pKey;
        if (nNative != dwKeyLength) {
            if (nNative > sizeof(native))
                throw std::length_error("qlccrypt: key stretch too long");
            KeyedDigest(m_pKey, dwKeyLength, "qlccrypt key stretch", pInfo->dwId, dwKeyLength, digest);
            std::memcpy(native, digest, nNative);
            pNative = native;
        }

        KeyedDigest(m_pKey, dwKeyLength, "qlccrypt iv", pInfo->dwId, dwKeyLength, digest);
        m_pMode = pInfo->pfnMakeMode(bEncrypt, pNative, nNative, digest);
        CryptoPP::SecureWipeArray(native, sizeof(native));
        CryptoPP::SecureWipeArray(digest, sizeof(digest));
    } catch (...) {
        CryptoPP::SecureWipeArray(native, sizeof(native));
        CryptoPP::SecureWipeArray(digest, sizeof(digest));
        if (m_pKey) {
            CryptoPP::SecureWipeArray(m_pKey, m_dwKeyLength);
            delete[] m_pKey;
        }
        throw;
    }
}

CCipherObject::~CCipherObject()
{
    delete m_pMode;  // Crypto++ wipes its key schedule and chaining register
    CryptoPP::SecureWipeArray(m_pKey, m_dwKeyLength);
    delete[] m_pKey;
    m_dwMagic = 0;
    m_handle.lpVtbl = nullptr;
}

BOOL CCipherObject::Process(BYTE *pBuffer, DWORD dwLength)
{
    if (dwLength % m_pInfo->dwBlockSize != 0)
        return FALSE;
    if (dwLength == 0)
        return TRUE;
    if (!pBuffer)
        return FALSE;
    m_pMode->ProcessData(pBuffer, pBuffer, dwLength);
    return TRUE;
}

DWORD CCipherObject::BlockSize() const
{
    return m_pInfo->dwBlockSize;
}

DWORD CCipherObject::VerifierSize() const
{
    // Two blocks, within the 32 bytes of the digest it is cut from.
    const DWORD dwSize = 2 * m_pInfo->dwBlockSize;
    return dwSize < 32 ? dwSize : 32;
}

DWORD CCipherObject::MakeVerifier(BYTE *pOut) const
{
    BYTE digest[32];
    KeyedDigest(m_pKey, m_dwKeyLength, "qlccrypt verifier", m_pInfo->dwId, m_dwKeyLength, digest);
    const DWORD dwSize = VerifierSize();
    std::memcpy(pOut, digest, dwSize);
    CryptoPP::SecureWipeArray(digest, sizeof(digest));
    return dwSize;
}

void WINAPI CCipherObject::VDelete(QLC_CIPHER *pThis, DWORD /*dwFlags*/)
{
    // Called by other modules: nothing may unwind out of here. The only flag
    // callers pass is 1 (free); a shell without contents would be useless,
    // so every call frees.
    try {
        delete FromHandle(pThis);
    } catch (...) {
    }
}

DWORD WINAPI CCipherObject::VReserved(QLC_CIPHER * /*pThis*/)
{
    return 0;
}

DWORD WINAPI CCipherObject::VGetBlockSize(QLC_CIPHER *pThis)
{
    const CCipherObject *pObject = FromHandle(pThis);
    return pObject ? pObject->BlockSize() : 0;
}
