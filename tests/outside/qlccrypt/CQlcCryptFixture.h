// CQlcCryptFixture.h - shared fixture of the qlccrypt.dll contract tests:
// loads the built library by path through the program's own binding and
// offers small helpers over its exports.
#ifndef TESTS_QLCCRYPT_CQLCCRYPTFIXTURE_H
#define TESTS_QLCCRYPT_CQLCCRYPTFIXTURE_H

#include "core/CCryptDLLHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

typedef std::vector<BYTE> Bytes;

// The folder of the running test program, with a trailing backslash.
std::string QlcCryptExeFolder();
// The library built beside the tests, and the test-only copy without
// ordinal 22 in a folder of its own.
std::string QlcCryptLibraryPath();
std::string QlcCryptMissingOrdinalLibraryPath();

struct QlcCipherDeleter {
    void operator()(QLC_CIPHER *p) const { QlcCipher_Delete(p); }
};
typedef std::unique_ptr<QLC_CIPHER, QlcCipherDeleter> CipherPtr;

// One enumerated algorithm.
struct QlcAlgorithm {
    DWORD dwId;
    DWORD dwMin, dwMax, dwDefault;
    std::string name;
};

class CQlcCryptFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<QlcAlgorithm> Ciphers();
    std::vector<QlcAlgorithm> Hashes();

    // DeriveKey result; a failed derivation fails the test.
    Bytes Key(DWORD dwHashId, const std::string &password, DWORD dwKeyLength);
    CipherPtr Encryptor(DWORD dwCipherId, const Bytes &key);
    CipherPtr Decryptor(DWORD dwCipherId, const Bytes &key);
    Bytes Verifier(QLC_CIPHER *pCipher);

    // Runs data through the object in pieces of the given sizes (each a
    // multiple of the block size; the rest of the data goes in one last
    // piece). Any refused call fails the test.
    Bytes Process(QLC_CIPHER *pCipher, Bytes data, const std::vector<size_t> &pieces = {});

    // Random block-aligned piece sizes covering n bytes.
    static std::vector<size_t> RandomPieces(size_t n, DWORD dwBlock, unsigned seed);
    static Bytes RandomBytes(size_t n, unsigned seed);

    CCryptDLLHandler m_api;
};

#endif
