// CKeyDerivation.h - keys and check blocks from passwords.
#ifndef QLCCRYPT_CKEYDERIVATION_H
#define QLCCRYPT_CKEYDERIVATION_H

#include "outside/qlccrypt/QlcCryptApi.h"

// Stateless; safe from any thread.
class CKeyDerivation {
public:
    // PBKDF2 iterations for keys and check blocks. Opening an encrypted node
    // derives its key twice (password check, then load); this keeps both
    // together well under 50 ms: about 3 ms a key for the default cipher and
    // hash, under 10 ms for the longest key with SHA-1.
    static const unsigned int kIterations = 10000;
    static const DWORD kCheckBlockLength = 16;

    static BOOL DeriveKey(DWORD dwHashId, const char *pPassword, DWORD dwPasswordLength, BYTE *pKey,
                          DWORD dwKeyLength);
    static DWORD MakeCheckBlock(const char *pPassword, BYTE *pOut, DWORD dwPasswordLength);
};

#endif
