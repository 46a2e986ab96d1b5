// CQlcCryptModule.cpp - test-side binding of qlccrypt.dll.
#include "tests/outside/qlccrypt/CQlcCryptModule.h"

CQlcCryptModule::~CQlcCryptModule()
{
    Unload();
}

template <class T> bool CQlcCryptModule::Bind(T &pfn, int nOrdinal)
{
    FARPROC p = GetProcAddress(m_hModule, MAKEINTRESOURCEA(nOrdinal));
    pfn = reinterpret_cast<T>(reinterpret_cast<void (*)()>(p));
    if (!p && !m_nMissing)
        m_nMissing = nOrdinal;
    return p != nullptr;
}

BOOL CQlcCryptModule::Load(const std::string &path)
{
    Unload();
    m_nMissing = 0;
    m_hModule = LoadLibraryA(path.c_str());
    if (!m_hModule)
        return FALSE;
    // The program's lookup order; every lookup is made, then judged.
    bool ok = true;
    ok &= Bind(m_pfnReserved2, QLC_ORD_RESERVED2);
    ok &= Bind(m_pfnProcessBuffer, QLC_ORD_PROCESSBUFFER);
    ok &= Bind(m_pfnReserved3, QLC_ORD_RESERVED3);
    ok &= Bind(m_pfnReserved4, QLC_ORD_RESERVED4);
    ok &= Bind(m_pfnDeriveKey, QLC_ORD_DERIVEKEY);
    ok &= Bind(m_pfnReserved14, QLC_ORD_RESERVED14);
    ok &= Bind(m_pfnGetVerifierSize, QLC_ORD_GETVERIFIERSIZE);
    ok &= Bind(m_pfnMakeVerifier, QLC_ORD_MAKEVERIFIER);
    ok &= Bind(m_pfnCreateEncryptor, QLC_ORD_CREATEENCRYPTOR);
    ok &= Bind(m_pfnCreateDecryptor, QLC_ORD_CREATEDECRYPTOR);
    ok &= Bind(m_pfnGetMaxKeyLength, QLC_ORD_GETMAXKEYLENGTH);
    ok &= Bind(m_pfnGetDefaultCipher, QLC_ORD_GETDEFAULTCIPHER);
    ok &= Bind(m_pfnGetDefaultHash, QLC_ORD_GETDEFAULTHASH);
    ok &= Bind(m_pfnGetFirstCipher, QLC_ORD_GETFIRSTCIPHER);
    ok &= Bind(m_pfnGetFirstHash, QLC_ORD_GETFIRSTHASH);
    ok &= Bind(m_pfnGetNextCipher, QLC_ORD_GETNEXTCIPHER);
    ok &= Bind(m_pfnGetNextHash, QLC_ORD_GETNEXTHASH);
    ok &= Bind(m_pfnIsAlgorithmSupported, QLC_ORD_ISALGORITHMSUPPORTED);
    ok &= Bind(m_pfnReserved13, QLC_ORD_RESERVED13);
    ok &= Bind(m_pfnReserved20, QLC_ORD_RESERVED20);
    ok &= Bind(m_pfnReserved21, QLC_ORD_RESERVED21);
    ok &= Bind(m_pfnMakeCheckBlock, QLC_ORD_MAKECHECKBLOCK);
    if (!ok) {
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
        ClearPointers();
        return FALSE;
    }
    return TRUE;
}

void CQlcCryptModule::Unload()
{
    if (m_hModule) {
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
    ClearPointers();
}

void CQlcCryptModule::ClearPointers()
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

std::string CQlcCryptModule::ExeFolder()
{
    char path[MAX_PATH] = {0};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : s.substr(0, slash + 1);
}

std::string CQlcCryptModule::LibraryPath()
{
    return ExeFolder() + "qlccrypt.dll";
}

std::string CQlcCryptModule::MissingOrdinalLibraryPath()
{
    return ExeFolder() + "qlccrypt_missing\\qlccrypt.dll";
}
