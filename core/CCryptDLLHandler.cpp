#include "core/CCryptDLLHandler.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"

#include "framework/base/AfxLibrary.h"
#include "framework/base/AfxSecure.h"
#include "framework/base/CUiChannel.h"

#include <algorithm>

namespace {

// Cipher blocks larger than this would make the chunk buffers absurd; no
// block cipher has them.
const DWORD kMaxBlockSize = 256;

// How long Unload waits for workers to stop using the module.
const DWORD kUnloadWaitMs = 10000;

template <class T>
void BindOrdinal(HMODULE hModule, T& pfn, int nOrdinal)
{
    pfn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hModule, MAKEINTRESOURCEA(nOrdinal))));
}

} // namespace

CCryptDLLHandler* QlcCrypt()
{
    CCryptDLLHandler* pCrypt = QlcApp().GetCryptHandler();
    return pCrypt != nullptr && pCrypt->IsLoaded() ? pCrypt : nullptr;
}

void CQlcCipherDeleter::operator()(QLC_CIPHER* pCipher) const
{
    QlcCipher_Delete(pCipher);
    if (pOwner != nullptr)
        pOwner->ReleaseUse();
}

CCryptDLLHandler::CCryptDLLHandler()
    : m_hModule(nullptr), m_nMissingOrdinal(0), m_nUses(0), m_bUnloading(FALSE),
      m_hNoUses(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
    InitializeCriticalSection(&m_csUses);
    ClearPointers();
}

CCryptDLLHandler::~CCryptDLLHandler()
{
    Unload();
    if (m_hNoUses != nullptr)
        CloseHandle(m_hNoUses);
    DeleteCriticalSection(&m_csUses);
}

BOOL CCryptDLLHandler::AddUse() const
{
    EnterCriticalSection(&m_csUses);
    const BOOL bOk = m_hModule != nullptr && !m_bUnloading;
    if (bOk && m_nUses++ == 0 && m_hNoUses != nullptr)
        ResetEvent(m_hNoUses);
    LeaveCriticalSection(&m_csUses);
    return bOk;
}

void CCryptDLLHandler::ReleaseUse() const
{
    EnterCriticalSection(&m_csUses);
    if (m_nUses > 0 && --m_nUses == 0 && m_hNoUses != nullptr)
        SetEvent(m_hNoUses);
    LeaveCriticalSection(&m_csUses);
}

LONG CCryptDLLHandler::GetUseCount() const
{
    EnterCriticalSection(&m_csUses);
    const LONG n = m_nUses;
    LeaveCriticalSection(&m_csUses);
    return n;
}

void CCryptDLLHandler::ClearPointers()
{
    m_pfnProcessBuffer = nullptr;
    m_pfnReserved2 = nullptr;
    m_pfnReserved3 = nullptr;
    m_pfnReserved4 = nullptr;
    m_pfnMakeVerifier = nullptr;
    m_pfnCreateEncryptor = nullptr;
    m_pfnCreateDecryptor = nullptr;
    m_pfnGetMaxKeyLength = nullptr;
    m_pfnGetFirstCipher = nullptr;
    m_pfnGetFirstHash = nullptr;
    m_pfnGetNextCipher = nullptr;
    m_pfnGetNextHash = nullptr;
    m_pfnReserved13 = nullptr;
    m_pfnReserved14 = nullptr;
    m_pfnGetVerifierSize = nullptr;
    m_pfnGetDefaultCipher = nullptr;
    m_pfnGetDefaultHash = nullptr;
    m_pfnDeriveKey = nullptr;
    m_pfnIsAlgorithmSupported = nullptr;
    m_pfnReserved20 = nullptr;
    m_pfnReserved21 = nullptr;
    m_pfnMakeCheckBlock = nullptr;
}

BOOL CCryptDLLHandler::Load(LPCSTR lpszModule)
{
    if (IsLoaded())
        return TRUE;

    CString strLine;
    strLine.Format("Calling LoadLibrary(\"%s\")...", lpszModule);
    g_log.Write(strLine);
    m_nMissingOrdinal = 0;
    HMODULE hModule = AfxLoadLibrary(lpszModule);
    if (hModule == nullptr)
    {
        g_log.WriteLine("FAILED.");
        return FALSE;
    }

    BindOrdinal(hModule, m_pfnReserved2, QLC_ORD_RESERVED2);
    BindOrdinal(hModule, m_pfnProcessBuffer, QLC_ORD_PROCESSBUFFER);
    BindOrdinal(hModule, m_pfnReserved3, QLC_ORD_RESERVED3);
    BindOrdinal(hModule, m_pfnReserved4, QLC_ORD_RESERVED4);
    BindOrdinal(hModule, m_pfnDeriveKey, QLC_ORD_DERIVEKEY);
    BindOrdinal(hModule, m_pfnReserved14, QLC_ORD_RESERVED14);
    BindOrdinal(hModule, m_pfnGetVerifierSize, QLC_ORD_GETVERIFIERSIZE);
    BindOrdinal(hModule, m_pfnMakeVerifier, QLC_ORD_MAKEVERIFIER);
    BindOrdinal(hModule, m_pfnCreateEncryptor, QLC_ORD_CREATEENCRYPTOR);
    BindOrdinal(hModule, m_pfnCreateDecryptor, QLC_ORD_CREATEDECRYPTOR);
    BindOrdinal(hModule, m_pfnGetMaxKeyLength, QLC_ORD_GETMAXKEYLENGTH);
    BindOrdinal(hModule, m_pfnGetDefaultCipher, QLC_ORD_GETDEFAULTCIPHER);
    BindOrdinal(hModule, m_pfnGetDefaultHash, QLC_ORD_GETDEFAULTHASH);
    BindOrdinal(hModule, m_pfnGetFirstCipher, QLC_ORD_GETFIRSTCIPHER);
    BindOrdinal(hModule, m_pfnGetFirstHash, QLC_ORD_GETFIRSTHASH);
    BindOrdinal(hModule, m_pfnGetNextCipher, QLC_ORD_GETNEXTCIPHER);
    BindOrdinal(hModule, m_pfnGetNextHash, QLC_ORD_GETNEXTHASH);
    BindOrdinal(hModule, m_pfnIsAlgorithmSupported, QLC_ORD_ISALGORITHMSUPPORTED);
    BindOrdinal(hModule, m_pfnReserved13, QLC_ORD_RESERVED13);
    BindOrdinal(hModule, m_pfnReserved20, QLC_ORD_RESERVED20);
    BindOrdinal(hModule, m_pfnReserved21, QLC_ORD_RESERVED21);
    BindOrdinal(hModule, m_pfnMakeCheckBlock, QLC_ORD_MAKECHECKBLOCK);

    // Every export the program calls must be there: a null pointer would be
    // called later, far from here. The bound-but-never-called ones may lack.
    const struct
    {
        const void* pfn;
        int nOrdinal;
    } required[] = {
        { reinterpret_cast<const void*>(m_pfnProcessBuffer), QLC_ORD_PROCESSBUFFER },
        { reinterpret_cast<const void*>(m_pfnMakeVerifier), QLC_ORD_MAKEVERIFIER },
        { reinterpret_cast<const void*>(m_pfnCreateEncryptor), QLC_ORD_CREATEENCRYPTOR },
        { reinterpret_cast<const void*>(m_pfnCreateDecryptor), QLC_ORD_CREATEDECRYPTOR },
        { reinterpret_cast<const void*>(m_pfnGetMaxKeyLength), QLC_ORD_GETMAXKEYLENGTH },
        { reinterpret_cast<const void*>(m_pfnGetFirstCipher), QLC_ORD_GETFIRSTCIPHER },
        { reinterpret_cast<const void*>(m_pfnGetFirstHash), QLC_ORD_GETFIRSTHASH },
        { reinterpret_cast<const void*>(m_pfnGetNextCipher), QLC_ORD_GETNEXTCIPHER },
        { reinterpret_cast<const void*>(m_pfnGetNextHash), QLC_ORD_GETNEXTHASH },
        { reinterpret_cast<const void*>(m_pfnGetVerifierSize), QLC_ORD_GETVERIFIERSIZE },
        { reinterpret_cast<const void*>(m_pfnGetDefaultCipher), QLC_ORD_GETDEFAULTCIPHER },
        { reinterpret_cast<const void*>(m_pfnGetDefaultHash), QLC_ORD_GETDEFAULTHASH },
        { reinterpret_cast<const void*>(m_pfnDeriveKey), QLC_ORD_DERIVEKEY },
        { reinterpret_cast<const void*>(m_pfnIsAlgorithmSupported), QLC_ORD_ISALGORITHMSUPPORTED },
        { reinterpret_cast<const void*>(m_pfnMakeCheckBlock), QLC_ORD_MAKECHECKBLOCK },
    };
    for (const auto& entry : required)
    {
        if (entry.pfn == nullptr)
        {
            m_nMissingOrdinal = entry.nOrdinal;
            break;
        }
    }
    if (m_nMissingOrdinal != 0)
    {
        FreeLibrary(hModule);
        ClearPointers();
        g_log.WriteLine("FAILED.");
        strLine.Format("WARNING: The encryption library lacks its function %d; encryption is not available.",
                       m_nMissingOrdinal);
        g_log.WriteLine(strLine);
        return FALSE;
    }

    m_hModule = hModule;
    g_log.WriteLine("Done.");
    return TRUE;
}

void CCryptDLLHandler::Unload()
{
    if (!IsLoaded())
        return;
    g_log.Write("Unloading qlccrypt.dll...");
    EnterCriticalSection(&m_csUses);
    m_bUnloading = TRUE; // no new uses from here on
    LeaveCriticalSection(&m_csUses);
    // A worker still in the library (or holding a cipher) finishes first;
    // it may need the interface thread meanwhile, so its calls are taken.
    if (m_hNoUses == nullptr || CUiChannel::WaitPumping(m_hNoUses, kUnloadWaitMs) != WAIT_OBJECT_0)
    {
        // Freeing it now could pull code out from under a worker; the
        // system frees it with the process.
        EnterCriticalSection(&m_csUses);
        m_bUnloading = FALSE;
        LeaveCriticalSection(&m_csUses);
        g_log.WriteLine("still in use; left loaded.");
        return;
    }
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
    ClearPointers();
    m_bUnloading = FALSE;
    g_log.WriteLine("Done.");
}

BOOL CCryptDLLHandler::CanUseCipher(DWORD dwCipherId, DWORD dwKeyLength) const
{
    CCryptUse use(this);
    return use.IsHeld() && m_pfnIsAlgorithmSupported(dwCipherId) && m_pfnGetMaxKeyLength() >= dwKeyLength;
}

BOOL CCryptDLLHandler::DeriveKey(DWORD dwHashId, LPCSTR lpszPassword, DWORD dwPasswordLength,
                                 CSecureBytes& key, DWORD dwKeyLength) const
{
    key.clear();
    CCryptUse use(this);
    // A length from a damaged record must not become an allocation.
    if (!use.IsHeld() || dwKeyLength == 0 || dwKeyLength > m_pfnGetMaxKeyLength())
        return FALSE;
    key.assign(dwKeyLength, 0);
    return m_pfnDeriveKey(dwHashId, lpszPassword ? lpszPassword : "", lpszPassword ? dwPasswordLength : 0,
                          key.data(), dwKeyLength);
}

CQlcCipherPtr CCryptDLLHandler::CreateCipherFromKey(BOOL bEncryptor, DWORD dwCipherId,
                                                     const CSecureBytes& key) const
{
    if (key.empty() || !AddUse())
        return CQlcCipherPtr();
    QLC_CIPHER* pMade = bEncryptor ? m_pfnCreateEncryptor(dwCipherId, key.data(), (DWORD)key.size())
                                   : m_pfnCreateDecryptor(dwCipherId, key.data(), (DWORD)key.size());
    if (pMade == nullptr)
    {
        ReleaseUse();
        return CQlcCipherPtr();
    }
    // The object holds the use until it is deleted.
    CQlcCipherPtr pCipher(pMade, CQlcCipherDeleter{ this });
    // An object whose block size the chunk rule cannot use is no cipher.
    if (pCipher && GetBlockSize(pCipher.get()) == 0)
        pCipher.reset();
    return pCipher;
}

CQlcCipherPtr CCryptDLLHandler::CreateCipher(BOOL bEncryptor, DWORD dwCipherId, DWORD dwHashId, DWORD dwKeyLength,
                                             LPCSTR lpszPassword, DWORD dwPasswordLength) const
{
    CSecureBytes key;
    if (!DeriveKey(dwHashId, lpszPassword, dwPasswordLength, key, dwKeyLength))
        return CQlcCipherPtr();
    return CreateCipherFromKey(bEncryptor, dwCipherId, key);
}

std::vector<BYTE> CCryptDLLHandler::MakeVerifier(QLC_CIPHER* pEncryptor) const
{
    std::vector<BYTE> verifier;
    CCryptUse use(this);
    if (!use.IsHeld() || pEncryptor == nullptr)
        return verifier;
    verifier.assign(m_pfnGetVerifierSize(pEncryptor), 0);
    if (verifier.empty())
        return verifier;
    const DWORD dwMade = m_pfnMakeVerifier(pEncryptor, verifier.data());
    verifier.resize(std::min<size_t>(dwMade, verifier.size()));
    return verifier;
}

CSecureBytes CCryptDLLHandler::MakeCheckBlock(LPCSTR lpszPassword, DWORD dwPasswordLength) const
{
    CSecureBytes block;
    CCryptUse use(this);
    if (!use.IsHeld())
        return block;
    if (lpszPassword == nullptr)
    {
        lpszPassword = "";
        dwPasswordLength = 0;
    }
    block.assign(m_pfnMakeCheckBlock(lpszPassword, nullptr, dwPasswordLength), 0);
    if (!block.empty())
    {
        const DWORD dwMade = m_pfnMakeCheckBlock(lpszPassword, block.data(), dwPasswordLength);
        if (dwMade != block.size())
            block.clear(); // the library changed its mind: no block is safer than a wrong one
    }
    return block;
}

DWORD CCryptDLLHandler::GetBlockSize(QLC_CIPHER* pCipher)
{
    if (pCipher == nullptr)
        return 0;
    const DWORD dwBlock = QlcCipher_GetBlockSize(pCipher);
    return (dwBlock == 0 || dwBlock > kMaxBlockSize) ? 0 : dwBlock;
}
