// CCryptAlgorithms.h - the ciphers and hashes qlccrypt.dll offers.
#ifndef QLCCRYPT_CCRYPTALGORITHMS_H
#define QLCCRYPT_CCRYPTALGORITHMS_H

#include "outside/qlccrypt/QlcCryptApi.h"

#include <cstddef>

namespace CryptoPP { class StreamTransformation; }

// One cipher: CBC over a block cipher. MakeMode expects a key of a length the
// block cipher itself takes (see NormaliseKey) and an IV of one block.
struct QlcCipherInfo {
    DWORD dwId;
    const char *pszName;
    DWORD dwMinKey, dwMaxKey, dwDefaultKey;
    DWORD dwBlockSize;
    CryptoPP::StreamTransformation *(*pfnMakeMode)(bool bEncrypt, const BYTE *pKey, size_t nKey,
                                                  const BYTE *pIv);
    // Length the block cipher takes for a caller's key length (in range).
    size_t (*pfnNativeKeyLength)(size_t nKey);
};

// One hash, used as PBKDF2-HMAC-<hash>.
struct QlcHashInfo {
    DWORD dwId;
    const char *pszName;
    DWORD dwDigestSize;
    void (*pfnPbkdf2)(BYTE *pOut, size_t nOut, const BYTE *pSecret, size_t nSecret,
                      const BYTE *pSalt, size_t nSalt, unsigned int nIterations);
};

// Static tables; no state, so every member is safe from any thread.
class CCryptAlgorithms {
public:
    static const QlcCipherInfo *FindCipher(DWORD dwId);
    static const QlcHashInfo *FindHash(DWORD dwId);

    static DWORD FirstCipher();
    static DWORD FirstHash();
    static BOOL NextCipher(DWORD *pdwPosition, QLC_CRYPT_TYPE *pType);
    static BOOL NextHash(DWORD *pdwPosition, QLC_CRYPT_TYPE *pType);

    static DWORD MaxKeyLength();
    static DWORD DefaultCipher();
    static DWORD DefaultHash();
    static BOOL IsSupported(DWORD dwId);

    // Runs every cipher and hash once, the first time only, so that the
    // tables Crypto++ builds on first use (and its CPU feature probe) are
    // made under a guard rather than raced for by two threads.
    static void Prepare();

private:
    static void Fill(QLC_CRYPT_TYPE *pType, DWORD dwId, DWORD dwMin, DWORD dwMax, DWORD dwDefault,
                     const char *pszName);
};

#endif
