// CCipherObject.h - the cipher objects handed out by CreateEncryptor and
// CreateDecryptor.
#ifndef QLCCRYPT_CCIPHEROBJECT_H
#define QLCCRYPT_CCIPHEROBJECT_H

#include "outside/qlccrypt/QlcCryptApi.h"

struct QlcCipherInfo;
namespace CryptoPP { class StreamTransformation; }

// The object starts with the QLC_CIPHER the caller sees, so a QLC_CIPHER*
// and a CCipherObject* share one address. Only plain members (no virtual
// functions, one access level) to keep it standard-layout, which makes that
// cast well defined.
class CCipherObject {
public:
    // Null for an unknown cipher, a null key or a length out of range.
    // May throw (allocation, Crypto++).
    static QLC_CIPHER *Create(DWORD dwCipherId, bool bEncrypt, const BYTE *pKey, DWORD dwKeyLength);

    // The object behind a handle, or null when the handle is not one of ours.
    static CCipherObject *FromHandle(QLC_CIPHER *pHandle);

    BOOL Process(BYTE *pBuffer, DWORD dwLength);
    DWORD BlockSize() const;
    DWORD VerifierSize() const;
    DWORD MakeVerifier(BYTE *pOut) const;

private:
    CCipherObject(const QlcCipherInfo *pInfo, bool bEncrypt, const BYTE *pKey, DWORD dwKeyLength);
    ~CCipherObject();
    CCipherObject(const CCipherObject &) = delete;
    CCipherObject &operator=(const CCipherObject &) = delete;

    static void WINAPI VDelete(QLC_CIPHER *pThis, DWORD dwFlags);
    static DWORD WINAPI VReserved(QLC_CIPHER *pThis);
    static DWORD WINAPI VGetBlockSize(QLC_CIPHER *pThis);

    static const QLC_CIPHER_VTBL s_vtbl;

    QLC_CIPHER m_handle;  // must stay first
    DWORD m_dwMagic;
    const QlcCipherInfo *m_pInfo;
    BYTE *m_pKey;         // the caller's key, copied; wiped on delete
    DWORD m_dwKeyLength;
    CryptoPP::StreamTransformation *m_pMode;  // holds the chaining state
};

#endif
