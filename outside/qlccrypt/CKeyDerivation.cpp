// CKeyDerivation.cpp - keys and check blocks from passwords.
//
// PBKDF2-HMAC with a fixed salt: the file formats have no room for one. The
// check block is a second PBKDF2 result under another salt, so that it is no
// cheaper to attack than the key.
#include "outside/qlccrypt/CKeyDerivation.h"

#include "outside/qlccrypt/CCryptAlgorithms.h"

#include <cryptopp/pwdbased.h>
#include <cryptopp/sha.h>

#include <cstring>

namespace {

const char kKeySalt[] = "Quillcrest qlccrypt key salt";
const char kCheckSalt[] = "Quillcrest qlccrypt check block";

const BYTE *Bytes(const char *p)
{
    return reinterpret_cast<const BYTE *>(p);
}

} // namespace

BOOL CKeyDerivation::DeriveKey(DWORD dwHashId, const char *pPassword, DWORD dwPasswordLength, BYTE *pKey,
                               DWORD dwKeyLength)
{
    if (dwKeyLength > QLC_MAX_DERIVED_KEY || (!pKey && dwKeyLength))
        return FALSE;
    const QlcHashInfo *pHash = CCryptAlgorithms::FindHash(dwHashId);
    if (!pHash || (!pPassword && dwPasswordLength)) {
        if (dwKeyLength)
            SecureZeroMemory(pKey, dwKeyLength);
        return FALSE;
    }
    if (dwKeyLength == 0)
        return TRUE;
    CCryptAlgorithms::Prepare();
    pHash->pfnPbkdf2(pKey, dwKeyLength, Bytes(pPassword), dwPasswordLength, Bytes(kKeySalt),
                     sizeof(kKeySalt) - 1, kIterations);
    return TRUE;
}

DWORD CKeyDerivation::MakeCheckBlock(const char *pPassword, BYTE *pOut, DWORD dwPasswordLength)
{
    if (!pPassword && dwPasswordLength)
        return 0;
    if (pOut) {
        CCryptAlgorithms::Prepare();
        CryptoPP::PKCS5_PBKDF2_HMAC<CryptoPP::SHA256> kdf;
        static const BYTE kEmpty = 0;
        kdf.DeriveKey(pOut, kCheckBlockLength, 0, dwPasswordLength ? Bytes(pPassword) : &kEmpty,
                      dwPasswordLength, Bytes(kCheckSalt), sizeof(kCheckSalt) - 1, kIterations);
    }
    return kCheckBlockLength;
}
