// CCryptAlgorithms.cpp - the ciphers and hashes qlccrypt.dll offers.
//
// Ids are ours and fixed for good: they are stored in notebooks. Cipher ids
// (0x1xx) and hash ids (0x2xx) never overlap, so one IsAlgorithmSupported
// answers for both, and an id in the wrong place is refused.
#include "outside/qlccrypt/CCryptAlgorithms.h"

#include <cryptopp/aes.h>
#include <cryptopp/blowfish.h>
#include <cryptopp/modes.h>
#include <cryptopp/pwdbased.h>
#include <cryptopp/sha.h>

#include <cstring>

namespace {

template <class BlockCipher>
CryptoPP::StreamTransformation *MakeCbc(bool bEncrypt, const BYTE *pKey, size_t nKey, const BYTE *pIv)
{
    if (bEncrypt)
        return new typename CryptoPP::CBC_Mode<BlockCipher>::Encryption(pKey, nKey, pIv);
    return new typename CryptoPP::CBC_Mode<BlockCipher>::Decryption(pKey, nKey, pIv);
}

// AES takes 16, 24 or 32 bytes; other lengths in range are widened to the
// next of these (the cipher object stretches the key).
size_t AesNativeKeyLength(size_t nKey)
{
    if (nKey <= 16)
        return 16;
    if (nKey <= 24)
        return 24;
    return 32;
}

// Blowfish takes every length from 4 to 56 bytes.
size_t SameKeyLength(size_t nKey)
{
    return nKey;
}

template <class Hash>
void Pbkdf2(BYTE *pOut, size_t nOut, const BYTE *pSecret, size_t nSecret, const BYTE *pSalt, size_t nSalt,
            unsigned int nIterations)
{
    // HMAC wants a real pointer even for an empty secret.
    static const BYTE kEmpty = 0;
    CryptoPP::PKCS5_PBKDF2_HMAC<Hash> kdf;
    kdf.DeriveKey(pOut, nOut, 0, nSecret ? pSecret : &kEmpty, nSecret, pSalt, nSalt, nIterations);
}

const QlcCipherInfo kCiphers[] = {
    {0x101, "AES", 16, 32, 32, 16, &MakeCbc<CryptoPP::AES>, &AesNativeKeyLength},
    {0x102, "Blowfish", 4, 56, 16, 8, &MakeCbc<CryptoPP::Blowfish>, &SameKeyLength},
};

const QlcHashInfo kHashes[] = {
    {0x201, "SHA-1", 20, &Pbkdf2<CryptoPP::SHA1>},
    {0x202, "SHA-256", 32, &Pbkdf2<CryptoPP::SHA256>},
};

const DWORD kDefaultCipher = 0x101;
const DWORD kDefaultHash = 0x202;

const size_t kCipherCount = sizeof(kCiphers) / sizeof(kCiphers[0]);
const size_t kHashCount = sizeof(kHashes) / sizeof(kHashes[0]);

} // namespace

const QlcCipherInfo *CCryptAlgorithms::FindCipher(DWORD dwId)
{
    for (size_t i = 0; i < kCipherCount; ++i)
        if (kCiphers[i].dwId == dwId)
            return &kCiphers[i];
    return nullptr;
}

const QlcHashInfo *CCryptAlgorithms::FindHash(DWORD dwId)
{
    for (size_t i = 0; i < kHashCount; ++i)
        if (kHashes[i].dwId == dwId)
            return &kHashes[i];
    return nullptr;
}

DWORD CCryptAlgorithms::FirstCipher()
{
    return kCipherCount ? kCiphers[0].dwId : 0;
}

DWORD CCryptAlgorithms::FirstHash()
{
    return kHashCount ? kHashes[0].dwId : 0;
}

BOOL CCryptAlgorithms::NextCipher(DWORD *pdwPosition, QLC_CRYPT_TYPE *pType)
{
    if (!pdwPosition)
        return FALSE;
    for (size_t i = 0; i < kCipherCount; ++i) {
        const QlcCipherInfo &c = kCiphers[i];
        if (c.dwId != *pdwPosition)
            continue;
        if (!pType)
            break;
        Fill(pType, c.dwId, c.dwMinKey, c.dwMaxKey, c.dwDefaultKey, c.pszName);
        *pdwPosition = i + 1 < kCipherCount ? kCiphers[i + 1].dwId : 0;
        return TRUE;
    }
    // Nothing filled: end the caller's loop rather than let it spin.
    *pdwPosition = 0;
    return FALSE;
}

BOOL CCryptAlgorithms::NextHash(DWORD *pdwPosition, QLC_CRYPT_TYPE *pType)
{
    if (!pdwPosition)
        return FALSE;
    for (size_t i = 0; i < kHashCount; ++i) {
        const QlcHashInfo &h = kHashes[i];
        if (h.dwId != *pdwPosition)
            continue;
        if (!pType)
            break;
        Fill(pType, h.dwId, h.dwDigestSize, h.dwDigestSize, h.dwDigestSize, h.pszName);
        *pdwPosition = i + 1 < kHashCount ? kHashes[i + 1].dwId : 0;
        return TRUE;
    }
    *pdwPosition = 0;
    return FALSE;
}

DWORD CCryptAlgorithms::MaxKeyLength()
{
    DWORD dwMax = 0;
    for (size_t i = 0; i < kCipherCount; ++i)
        if (kCiphers[i].dwMaxKey > dwMax)
            dwMax = kCiphers[i].dwMaxKey;
    return dwMax;
}

DWORD CCryptAlgorithms::DefaultCipher()
{
    return kDefaultCipher;
}

DWORD CCryptAlgorithms::DefaultHash()
{
    return kDefaultHash;
}

BOOL CCryptAlgorithms::IsSupported(DWORD dwId)
{
    return FindCipher(dwId) != nullptr || FindHash(dwId) != nullptr;
}

void CCryptAlgorithms::Prepare()
{
    static const bool s_bPrepared = []() {
        BYTE key[64] = {0};
        BYTE iv[32] = {0};
        BYTE block[32] = {0};
        for (size_t i = 0; i < kCipherCount; ++i) {
            const QlcCipherInfo &c = kCiphers[i];
            const size_t nKey = c.pfnNativeKeyLength(c.dwDefaultKey);
            for (bool bEncrypt : {true, false}) {
                CryptoPP::StreamTransformation *pMode = c.pfnMakeMode(bEncrypt, key, nKey, iv);
                pMode->ProcessData(block, block, c.dwBlockSize);
                delete pMode;
            }
        }
        for (size_t i = 0; i < kHashCount; ++i)
            kHashes[i].pfnPbkdf2(block, sizeof(block), key, 1, key, 1, 1);
        return true;
    }();
    (void)s_bPrepared;
}

void CCryptAlgorithms::Fill(QLC_CRYPT_TYPE *pType, DWORD dwId, DWORD dwMin, DWORD dwMax, DWORD dwDefault,
                            const char *pszName)
{
    pType->dwId = dwId;
    pType->dwMinKeyLength = dwMin;
    pType->dwMaxKeyLength = dwMax;
    pType->dwDefaultKeyLength = dwDefault;
    if (pType->lpszName && pType->dwNameSize) {
        size_t n = std::strlen(pszName);
        if (n > pType->dwNameSize - 1)
            n = pType->dwNameSize - 1;
        std::memcpy(pType->lpszName, pszName, n);
        pType->lpszName[n] = '\0';
    }
}
