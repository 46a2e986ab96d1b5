// QlcCryptExports.cpp - the 22 exports of qlccrypt.dll (by ordinal only, see
// qlccrypt.def).
//
// Every export is called from another module: no exception may leave one.
// Failures come back as 0 / FALSE / null, as the interface says.
#include "outside/qlccrypt/QlcCryptApi.h"

#include "outside/qlccrypt/CCipherObject.h"
#include "outside/qlccrypt/CCryptAlgorithms.h"
#include "outside/qlccrypt/CKeyDerivation.h"

extern "C" {

BOOL WINAPI QlcProcessBuffer(QLC_CIPHER *pCipher, LPBYTE lpBuffer, DWORD dwLength)
{
    try {
        CCipherObject *pObject = CCipherObject::FromHandle(pCipher);
        return pObject ? pObject->Process(lpBuffer, dwLength) : FALSE;
    } catch (...) {
        return FALSE;
    }
}

DWORD WINAPI QlcReserved2(void) { return 0; }
DWORD WINAPI QlcReserved3(void) { return 0; }
DWORD WINAPI QlcReserved4(void) { return 0; }

DWORD WINAPI QlcMakeVerifier(QLC_CIPHER *pEncryptor, LPBYTE lpOut)
{
    try {
        CCipherObject *pObject = CCipherObject::FromHandle(pEncryptor);
        return pObject && lpOut ? pObject->MakeVerifier(lpOut) : 0;
    } catch (...) {
        return 0;
    }
}

QLC_CIPHER *WINAPI QlcCreateEncryptor(DWORD dwCipherId, const BYTE *lpKey, DWORD dwKeyLength)
{
    try {
        return CCipherObject::Create(dwCipherId, true, lpKey, dwKeyLength);
    } catch (...) {
        return nullptr;
    }
}

QLC_CIPHER *WINAPI QlcCreateDecryptor(DWORD dwCipherId, const BYTE *lpKey, DWORD dwKeyLength)
{
    try {
        return CCipherObject::Create(dwCipherId, false, lpKey, dwKeyLength);
    } catch (...) {
        return nullptr;
    }
}

DWORD WINAPI QlcGetMaxKeyLength(void)
{
    return CCryptAlgorithms::MaxKeyLength();
}

DWORD WINAPI QlcGetFirstCipher(void)
{
    return CCryptAlgorithms::FirstCipher();
}

DWORD WINAPI QlcGetFirstHash(void)
{
    return CCryptAlgorithms::FirstHash();
}

BOOL WINAPI QlcGetNextCipher(DWORD *lpdwPosition, QLC_CRYPT_TYPE *lpType)
{
    try {
        return CCryptAlgorithms::NextCipher(lpdwPosition, lpType);
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI QlcGetNextHash(DWORD *lpdwPosition, QLC_CRYPT_TYPE *lpType)
{
    try {
        return CCryptAlgorithms::NextHash(lpdwPosition, lpType);
    } catch (...) {
        return FALSE;
    }
}

DWORD WINAPI QlcReserved13(void) { return 0; }
DWORD WINAPI QlcReserved14(void) { return 0; }

DWORD WINAPI QlcGetVerifierSize(QLC_CIPHER *pEncryptor)
{
    try {
        CCipherObject *pObject = CCipherObject::FromHandle(pEncryptor);
        return pObject ? pObject->VerifierSize() : 0;
    } catch (...) {
        return 0;
    }
}

DWORD WINAPI QlcGetDefaultCipher(void)
{
    return CCryptAlgorithms::DefaultCipher();
}

DWORD WINAPI QlcGetDefaultHash(void)
{
    return CCryptAlgorithms::DefaultHash();
}

BOOL WINAPI QlcDeriveKey(DWORD dwHashId, LPCSTR lpszPassword, DWORD dwPasswordLength, LPBYTE lpKey,
                         DWORD dwKeyLength)
{
    try {
        return CKeyDerivation::DeriveKey(dwHashId, lpszPassword, dwPasswordLength, lpKey, dwKeyLength);
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI QlcIsAlgorithmSupported(DWORD dwId)
{
    return CCryptAlgorithms::IsSupported(dwId);
}

DWORD WINAPI QlcReserved20(void) { return 0; }
DWORD WINAPI QlcReserved21(void) { return 0; }

DWORD WINAPI QlcMakeCheckBlock(LPCSTR lpszPassword, LPBYTE lpOut, DWORD dwPasswordLength)
{
    try {
        return CKeyDerivation::MakeCheckBlock(lpszPassword, lpOut, dwPasswordLength);
    } catch (...) {
        return 0;
    }
}

} // extern "C"

// Each export must have exactly the type the binding calls it through; a
// mismatch (arguments or calling convention) fails to compile here.
namespace {
[[maybe_unused]] const PFN_QLC_PROCESSBUFFER kCheck1 = &QlcProcessBuffer;
[[maybe_unused]] const PFN_QLC_RESERVED2 kCheck2 = &QlcReserved2;
[[maybe_unused]] const PFN_QLC_RESERVED3 kCheck3 = &QlcReserved3;
[[maybe_unused]] const PFN_QLC_RESERVED4 kCheck4 = &QlcReserved4;
[[maybe_unused]] const PFN_QLC_MAKEVERIFIER kCheck5 = &QlcMakeVerifier;
[[maybe_unused]] const PFN_QLC_CREATEENCRYPTOR kCheck6 = &QlcCreateEncryptor;
[[maybe_unused]] const PFN_QLC_CREATEDECRYPTOR kCheck7 = &QlcCreateDecryptor;
[[maybe_unused]] const PFN_QLC_GETMAXKEYLENGTH kCheck8 = &QlcGetMaxKeyLength;
[[maybe_unused]] const PFN_QLC_GETFIRSTCIPHER kCheck9 = &QlcGetFirstCipher;
[[maybe_unused]] const PFN_QLC_GETFIRSTHASH kCheck10 = &QlcGetFirstHash;
[[maybe_unused]] const PFN_QLC_GETNEXTCIPHER kCheck11 = &QlcGetNextCipher;
[[maybe_unused]] const PFN_QLC_GETNEXTHASH kCheck12 = &QlcGetNextHash;
[[maybe_unused]] const PFN_QLC_RESERVED13 kCheck13 = &QlcReserved13;
[[maybe_unused]] const PFN_QLC_RESERVED14 kCheck14 = &QlcReserved14;
[[maybe_unused]] const PFN_QLC_GETVERIFIERSIZE kCheck15 = &QlcGetVerifierSize;
[[maybe_unused]] const PFN_QLC_GETDEFAULTCIPHER kCheck16 = &QlcGetDefaultCipher;
[[maybe_unused]] const PFN_QLC_GETDEFAULTHASH kCheck17 = &QlcGetDefaultHash;
[[maybe_unused]] const PFN_QLC_DERIVEKEY kCheck18 = &QlcDeriveKey;
[[maybe_unused]] const PFN_QLC_ISALGORITHMSUPPORTED kCheck19 = &QlcIsAlgorithmSupported;
[[maybe_unused]] const PFN_QLC_RESERVED20 kCheck20 = &QlcReserved20;
[[maybe_unused]] const PFN_QLC_RESERVED21 kCheck21 = &QlcReserved21;
[[maybe_unused]] const PFN_QLC_MAKECHECKBLOCK kCheck22 = &QlcMakeCheckBlock;
} // namespace
