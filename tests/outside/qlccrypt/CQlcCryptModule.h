// CQlcCryptModule.h - test-side binding of qlccrypt.dll: loads a module by
// path and looks up every ordinal the way the program does, refusing a
// module that lacks one.
#ifndef TESTS_QLCCRYPT_CQLCCRYPTMODULE_H
#define TESTS_QLCCRYPT_CQLCCRYPTMODULE_H

#include "outside/qlccrypt/QlcCryptApi.h"

#include <string>

class CQlcCryptModule {
public:
    CQlcCryptModule() = default;
    ~CQlcCryptModule();
    CQlcCryptModule(const CQlcCryptModule &) = delete;
    CQlcCryptModule &operator=(const CQlcCryptModule &) = delete;

    // Loads and binds all 22 ordinals; on any failure the module is freed
    // and FALSE returned (MissingOrdinal tells which lookup failed).
    BOOL Load(const std::string &path);
    void Unload();
    bool IsLoaded() const { return m_hModule != nullptr; }
    HMODULE Module() const { return m_hModule; }
    int MissingOrdinal() const { return m_nMissing; }

    // The folder of the running test executable, with a trailing backslash.
    static std::string ExeFolder();
    // The library built beside the tests, and the test-only copy without
    // ordinal 22.
    static std::string LibraryPath();
    static std::string MissingOrdinalLibraryPath();

    PFN_QLC_PROCESSBUFFER m_pfnProcessBuffer = nullptr;
    PFN_QLC_RESERVED2 m_pfnReserved2 = nullptr;
    PFN_QLC_RESERVED3 m_pfnReserved3 = nullptr;
    PFN_QLC_RESERVED4 m_pfnReserved4 = nullptr;
    PFN_QLC_MAKEVERIFIER m_pfnMakeVerifier = nullptr;
    PFN_QLC_CREATEENCRYPTOR m_pfnCreateEncryptor = nullptr;
    PFN_QLC_CREATEDECRYPTOR m_pfnCreateDecryptor = nullptr;
    PFN_QLC_GETMAXKEYLENGTH m_pfnGetMaxKeyLength = nullptr;
    PFN_QLC_GETFIRSTCIPHER m_pfnGetFirstCipher = nullptr;
    PFN_QLC_GETFIRSTHASH m_pfnGetFirstHash = nullptr;
    PFN_QLC_GETNEXTCIPHER m_pfnGetNextCipher = nullptr;
    PFN_QLC_GETNEXTHASH m_pfnGetNextHash = nullptr;
    PFN_QLC_RESERVED13 m_pfnReserved13 = nullptr;
    PFN_QLC_RESERVED14 m_pfnReserved14 = nullptr;
    PFN_QLC_GETVERIFIERSIZE m_pfnGetVerifierSize = nullptr;
    PFN_QLC_GETDEFAULTCIPHER m_pfnGetDefaultCipher = nullptr;
    PFN_QLC_GETDEFAULTHASH m_pfnGetDefaultHash = nullptr;
    PFN_QLC_DERIVEKEY m_pfnDeriveKey = nullptr;
    PFN_QLC_ISALGORITHMSUPPORTED m_pfnIsAlgorithmSupported = nullptr;
    PFN_QLC_RESERVED20 m_pfnReserved20 = nullptr;
    PFN_QLC_RESERVED21 m_pfnReserved21 = nullptr;
    PFN_QLC_MAKECHECKBLOCK m_pfnMakeCheckBlock = nullptr;

private:
    template <class T> bool Bind(T &pfn, int nOrdinal);
    void ClearPointers();

    HMODULE m_hModule = nullptr;
    int m_nMissing = 0;
};

#endif
