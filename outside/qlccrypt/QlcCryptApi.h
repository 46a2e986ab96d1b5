/*
 * QlcCryptApi.h - the interface of qlccrypt.dll.
 *
 * Shared by the library and by the program's binding, which loads the module
 * at run time and looks every function up by ordinal; the library exports no
 * names. All functions and all cipher-object slots are __stdcall (WINAPI).
 * Plain C, so the layout is the same for every compiler on both targets.
 */
#ifndef QLCCRYPTAPI_H
#define QLCCRYPTAPI_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------
 * Algorithm description, filled by GetNextCipher / GetNextHash.
 * Key lengths are in bytes. For a hash the three lengths are its digest size.
 * The name goes into the caller's buffer, cut to fit and always
 * NUL-terminated; with no buffer (or size 0) the name is left out.
 * ------------------------------------------------------------------------ */
typedef struct _QLC_CRYPT_TYPE {
    DWORD dwId;
    DWORD dwMinKeyLength;
    DWORD dwMaxKeyLength;
    DWORD dwDefaultKeyLength;
    LPSTR lpszName;     /* caller-owned name buffer */
    DWORD dwNameSize;   /* its size in bytes (callers pass 128) */
} QLC_CRYPT_TYPE, *LPQLC_CRYPT_TYPE;

/* ------------------------------------------------------------------------
 * Cipher object, made by CreateEncryptor / CreateDecryptor and owned by the
 * caller. Its first member points to a function table; the caller uses only
 * slot 0 (delete, called with 1) and slot 3 (block size in bytes). Every
 * other byte of the object belongs to the library.
 *
 * The object keeps the chaining state: successive ProcessBuffer calls on one
 * object continue where the previous call ended, so data may be split into
 * pieces at any block boundary.
 * ------------------------------------------------------------------------ */
typedef struct QLC_CIPHER QLC_CIPHER;

typedef void  (WINAPI *PFN_QLC_CIPHER_DELETE)(QLC_CIPHER *pThis, DWORD dwFlags);
typedef DWORD (WINAPI *PFN_QLC_CIPHER_RESERVED)(QLC_CIPHER *pThis);
typedef DWORD (WINAPI *PFN_QLC_CIPHER_GETBLOCKSIZE)(QLC_CIPHER *pThis);

typedef struct QLC_CIPHER_VTBL {
    PFN_QLC_CIPHER_DELETE       pfnDelete;       /* slot 0: frees the object */
    PFN_QLC_CIPHER_RESERVED     pfnReserved1;    /* slot 1: returns 0 */
    PFN_QLC_CIPHER_RESERVED     pfnReserved2;    /* slot 2: returns 0 */
    PFN_QLC_CIPHER_GETBLOCKSIZE pfnGetBlockSize; /* slot 3: block size in bytes */
} QLC_CIPHER_VTBL;

struct QLC_CIPHER {
    const QLC_CIPHER_VTBL *lpVtbl;
};

#define QLC_CIPHER_DELETE_FREE 1

/* Deletes a cipher object (null is ignored). */
static __inline void QlcCipher_Delete(QLC_CIPHER *pCipher)
{
    if (pCipher)
        pCipher->lpVtbl->pfnDelete(pCipher, QLC_CIPHER_DELETE_FREE);
}

/* Block size of a cipher object in bytes. */
static __inline DWORD QlcCipher_GetBlockSize(QLC_CIPHER *pCipher)
{
    return pCipher->lpVtbl->pfnGetBlockSize(pCipher);
}

/* ------------------------------------------------------------------------
 * Ordinals.
 * ------------------------------------------------------------------------ */
#define QLC_ORD_PROCESSBUFFER         1
#define QLC_ORD_RESERVED2             2
#define QLC_ORD_RESERVED3             3
#define QLC_ORD_RESERVED4             4
#define QLC_ORD_MAKEVERIFIER          5
#define QLC_ORD_CREATEENCRYPTOR       6
#define QLC_ORD_CREATEDECRYPTOR       7
#define QLC_ORD_GETMAXKEYLENGTH       8
#define QLC_ORD_GETFIRSTCIPHER        9
#define QLC_ORD_GETFIRSTHASH          10
#define QLC_ORD_GETNEXTCIPHER         11
#define QLC_ORD_GETNEXTHASH           12
#define QLC_ORD_RESERVED13            13
#define QLC_ORD_RESERVED14            14
#define QLC_ORD_GETVERIFIERSIZE       15
#define QLC_ORD_GETDEFAULTCIPHER      16
#define QLC_ORD_GETDEFAULTHASH        17
#define QLC_ORD_DERIVEKEY             18
#define QLC_ORD_ISALGORITHMSUPPORTED  19
#define QLC_ORD_RESERVED20            20
#define QLC_ORD_RESERVED21            21
#define QLC_ORD_MAKECHECKBLOCK        22
#define QLC_ORD_COUNT                 22

/* ------------------------------------------------------------------------
 * Exported functions, one pointer type per ordinal.
 * ------------------------------------------------------------------------ */

/* 1: enciphers or deciphers dwLength bytes in place. dwLength must be a
 * multiple of the block size (0 is); otherwise, or with a null object or
 * buffer, returns FALSE and leaves the buffer untouched. */
typedef BOOL (WINAPI *PFN_QLC_PROCESSBUFFER)(QLC_CIPHER *pCipher, LPBYTE lpBuffer, DWORD dwLength);

/* 2, 3, 4, 13, 14, 20, 21: present so every lookup succeeds; return 0. */
typedef DWORD (WINAPI *PFN_QLC_RESERVED2)(void);
typedef DWORD (WINAPI *PFN_QLC_RESERVED3)(void);
typedef DWORD (WINAPI *PFN_QLC_RESERVED4)(void);
typedef DWORD (WINAPI *PFN_QLC_RESERVED13)(void);
typedef DWORD (WINAPI *PFN_QLC_RESERVED14)(void);
typedef DWORD (WINAPI *PFN_QLC_RESERVED20)(void);
typedef DWORD (WINAPI *PFN_QLC_RESERVED21)(void);

/* 5: writes the password verifier of the object's key to lpOut, which must
 * hold GetVerifierSize bytes; returns the bytes written (0 on a null
 * argument). Leaves the object's chaining state as it was. */
typedef DWORD (WINAPI *PFN_QLC_MAKEVERIFIER)(QLC_CIPHER *pEncryptor, LPBYTE lpOut);

/* 6, 7: a new cipher object for the cipher id and key, or null for an unknown
 * id, a null key or a key length outside the cipher's range. Every length in
 * the range is accepted. The key is copied. */
typedef QLC_CIPHER *(WINAPI *PFN_QLC_CREATEENCRYPTOR)(DWORD dwCipherId, const BYTE *lpKey, DWORD dwKeyLength);
typedef QLC_CIPHER *(WINAPI *PFN_QLC_CREATEDECRYPTOR)(DWORD dwCipherId, const BYTE *lpKey, DWORD dwKeyLength);

/* 8: the longest key length of any cipher, in bytes; 0 = unusable. */
typedef DWORD (WINAPI *PFN_QLC_GETMAXKEYLENGTH)(void);

/* 9, 10: the position of the first cipher / hash; 0 when there is none.
 * A position is the id of the algorithm it stands on. */
typedef DWORD (WINAPI *PFN_QLC_GETFIRSTCIPHER)(void);
typedef DWORD (WINAPI *PFN_QLC_GETFIRSTHASH)(void);

/* 11, 12: fill *lpType with the algorithm at *lpdwPosition and move the
 * position to the next one (0 after the last). Nonzero when filled. A
 * position that is no cipher (hash), or a null lpType, fills nothing, sets
 * the position to 0 and returns FALSE. Calling with an id as the position fetches that record. */
typedef BOOL (WINAPI *PFN_QLC_GETNEXTCIPHER)(DWORD *lpdwPosition, QLC_CRYPT_TYPE *lpType);
typedef BOOL (WINAPI *PFN_QLC_GETNEXTHASH)(DWORD *lpdwPosition, QLC_CRYPT_TYPE *lpType);

/* 15: size in bytes of the verifiers MakeVerifier writes for this object. */
typedef DWORD (WINAPI *PFN_QLC_GETVERIFIERSIZE)(QLC_CIPHER *pEncryptor);

/* 16, 17: ids of the default cipher and hash. */
typedef DWORD (WINAPI *PFN_QLC_GETDEFAULTCIPHER)(void);
typedef DWORD (WINAPI *PFN_QLC_GETDEFAULTHASH)(void);

/* 18: derives dwKeyLength bytes of key from the password with the hash.
 * The password is dwPasswordLength bytes (no terminator needed; may be empty,
 * and may then be null). The same arguments always give the same key. An
 * unknown hash id (or a null password with a nonzero length) fills the key
 * with zeros and returns FALSE. A key length over QLC_MAX_DERIVED_KEY is
 * refused with FALSE and nothing written. */
typedef BOOL (WINAPI *PFN_QLC_DERIVEKEY)(DWORD dwHashId, LPCSTR lpszPassword, DWORD dwPasswordLength,
                                         LPBYTE lpKey, DWORD dwKeyLength);

#define QLC_MAX_DERIVED_KEY 1024

/* 19: nonzero for the id of every listed cipher and hash. */
typedef BOOL (WINAPI *PFN_QLC_ISALGORITHMSUPPORTED)(DWORD dwId);

/* 22: the check block of a password: returns its length, and writes it to
 * lpOut when lpOut is not null. Same password, same block. Returns 0 and
 * writes nothing for a null password with a nonzero length. */
typedef DWORD (WINAPI *PFN_QLC_MAKECHECKBLOCK)(LPCSTR lpszPassword, LPBYTE lpOut, DWORD dwPasswordLength);

#ifdef __cplusplus
}
#endif

#endif /* QLCCRYPTAPI_H */
