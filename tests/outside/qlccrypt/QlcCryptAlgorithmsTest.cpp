// Enumeration of ciphers and hashes, defaults, support and key ranges.
#include "tests/outside/qlccrypt/CQlcCryptFixture.h"

#include <algorithm>
#include <set>

TEST_F(CQlcCryptFixture, CipherEnumerationEndsAndAgreesWithSupport)
{
    std::vector<QlcAlgorithm> ciphers = Ciphers();
    ASSERT_GE(ciphers.size(), 2u);
    std::set<DWORD> ids;
    DWORD maxKey = 0;
    for (const QlcAlgorithm &c : ciphers) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(0u, c.dwId);
        EXPECT_TRUE(ids.insert(c.dwId).second) << "id listed twice";
        EXPECT_FALSE(c.name.empty());
        EXPECT_TRUE(m_api.m_pfnIsAlgorithmSupported(c.dwId));
        EXPECT_GT(c.dwMin, 0u);
        EXPECT_LE(c.dwMin, c.dwDefault);
        EXPECT_LE(c.dwDefault, c.dwMax);
        maxKey = std::max(maxKey, c.dwMax);
    }
    EXPECT_EQ(maxKey, m_api.m_pfnGetMaxKeyLength());
    EXPECT_NE(ids.end(), ids.find(m_api.m_pfnGetDefaultCipher()));
}

TEST_F(CQlcCryptFixture, HashEnumerationEndsAndIdsAreDisjointFromCiphers)
{
    std::vector<QlcAlgorithm> hashes = Hashes();
    ASSERT_GE(hashes.size(), 2u);
    std::set<DWORD> cipherIds;
    for (const QlcAlgorithm &c : Ciphers())
        cipherIds.insert(c.dwId);
    std::set<DWORD> ids;
    for (const QlcAlgorithm &h : hashes) {
        SCOPED_TRACE(h.name);
        EXPECT_NE(0u, h.dwId);
        EXPECT_TRUE(ids.insert(h.dwId).second) << "id listed twice";
        EXPECT_EQ(cipherIds.end(), cipherIds.find(h.dwId)) << "hash id is also a cipher id";
        EXPECT_FALSE(h.name.empty());
        EXPECT_TRUE(m_api.m_pfnIsAlgorithmSupported(h.dwId));
    }
    EXPECT_NE(ids.end(), ids.find(m_api.m_pfnGetDefaultHash()));
}

TEST_F(CQlcCryptFixture, UnknownIdsAreNotSupported)
{
    std::set<DWORD> known;
    for (const QlcAlgorithm &a : Ciphers())
        known.insert(a.dwId);
    for (const QlcAlgorithm &a : Hashes())
        known.insert(a.dwId);
    EXPECT_FALSE(m_api.m_pfnIsAlgorithmSupported(0));
    EXPECT_FALSE(m_api.m_pfnIsAlgorithmSupported(0xFFFFFFFF));
    for (DWORD id = 1; id < 0x1000; ++id)
        if (known.find(id) == known.end()) {
            ASSERT_FALSE(m_api.m_pfnIsAlgorithmSupported(id)) << id;
        }
}

// The option sheets fetch one record by passing its id as the position.
TEST_F(CQlcCryptFixture, NextWithAnIdFetchesThatRecord)
{
    for (const QlcAlgorithm &c : Ciphers()) {
        DWORD pos = c.dwId;
        char name[128];
        QLC_CRYPT_TYPE t = {0, 0, 0, 0, name, sizeof(name)};
        ASSERT_TRUE(m_api.m_pfnGetNextCipher(&pos, &t));
        EXPECT_EQ(c.dwId, t.dwId);
        EXPECT_EQ(c.dwDefault, t.dwDefaultKeyLength);
        EXPECT_EQ(c.name, std::string(name));
    }
    for (const QlcAlgorithm &h : Hashes()) {
        DWORD pos = h.dwId;
        char name[128];
        QLC_CRYPT_TYPE t = {0, 0, 0, 0, name, sizeof(name)};
        ASSERT_TRUE(m_api.m_pfnGetNextHash(&pos, &t));
        EXPECT_EQ(h.dwId, t.dwId);
        EXPECT_EQ(h.name, std::string(name));
    }
}

// A position of the wrong kind fills nothing and ends the caller's loop.
TEST_F(CQlcCryptFixture, NextWithAForeignPositionEndsTheLoop)
{
    QLC_CRYPT_TYPE t = {0x55, 0x55, 0x55, 0x55, nullptr, 0};
    DWORD pos = m_api.m_pfnGetFirstHash();
    EXPECT_FALSE(m_api.m_pfnGetNextCipher(&pos, &t));
    EXPECT_EQ(0u, pos);
    EXPECT_EQ(0x55u, t.dwId);

    pos = m_api.m_pfnGetFirstCipher();
    EXPECT_FALSE(m_api.m_pfnGetNextHash(&pos, &t));
    EXPECT_EQ(0u, pos);

    pos = 0;
    EXPECT_FALSE(m_api.m_pfnGetNextCipher(&pos, &t));
    EXPECT_FALSE(m_api.m_pfnGetNextHash(&pos, &t));
    EXPECT_FALSE(m_api.m_pfnGetNextCipher(nullptr, &t));
    EXPECT_FALSE(m_api.m_pfnGetNextHash(nullptr, &t));
    pos = m_api.m_pfnGetFirstCipher();
    EXPECT_FALSE(m_api.m_pfnGetNextCipher(&pos, nullptr));
    EXPECT_EQ(0u, pos);
    pos = m_api.m_pfnGetFirstHash();
    EXPECT_FALSE(m_api.m_pfnGetNextHash(&pos, nullptr));
    EXPECT_EQ(0u, pos);
}

// The name is cut to the caller's buffer and always terminated; no buffer
// still fills the numbers.
TEST_F(CQlcCryptFixture, NameBufferIsRespected)
{
    std::vector<QlcAlgorithm> ciphers = Ciphers();
    ASSERT_FALSE(ciphers.empty());
    const QlcAlgorithm &c = ciphers[0];
    ASSERT_GE(c.name.size(), 3u);

    char small[8];
    std::fill(small, small + sizeof(small), '#');
    QLC_CRYPT_TYPE t = {0, 0, 0, 0, small, 3};
    DWORD pos = c.dwId;
    ASSERT_TRUE(m_api.m_pfnGetNextCipher(&pos, &t));
    EXPECT_EQ(c.name.substr(0, 2), std::string(small));
    for (size_t i = 3; i < sizeof(small); ++i)
        EXPECT_EQ('#', small[i]) << "wrote past the name buffer";

    std::fill(small, small + sizeof(small), '#');
    t.dwNameSize = 1;
    pos = c.dwId;
    ASSERT_TRUE(m_api.m_pfnGetNextCipher(&pos, &t));
    EXPECT_EQ('\0', small[0]);
    EXPECT_EQ('#', small[1]);

    QLC_CRYPT_TYPE none = {0, 0, 0, 0, nullptr, 128};
    pos = c.dwId;
    ASSERT_TRUE(m_api.m_pfnGetNextCipher(&pos, &none));
    EXPECT_EQ(c.dwId, none.dwId);
    EXPECT_EQ(c.dwMax, none.dwMaxKeyLength);
}

// Every key length in a cipher's range gives an object; anything else,
// an unknown id or a null key gives null.
TEST_F(CQlcCryptFixture, KeyLengthsOutsideTheRangeGiveNull)
{
    const Bytes key = RandomBytes(1024, 7);
    for (const QlcAlgorithm &c : Ciphers()) {
        SCOPED_TRACE(c.name);
        for (DWORD len = c.dwMin; len <= c.dwMax; ++len) {
            CipherPtr e(m_api.m_pfnCreateEncryptor(c.dwId, key.data(), len));
            CipherPtr d(m_api.m_pfnCreateDecryptor(c.dwId, key.data(), len));
            EXPECT_TRUE(e) << "length " << len;
            EXPECT_TRUE(d) << "length " << len;
        }
        const DWORD bad[] = {0, c.dwMin - 1, c.dwMax + 1, 1000, 0xFFFFFFFF};
        for (DWORD len : bad) {
            if (len >= c.dwMin && len <= c.dwMax)
                continue;
            EXPECT_EQ(nullptr, m_api.m_pfnCreateEncryptor(c.dwId, key.data(), len)) << "length " << len;
            EXPECT_EQ(nullptr, m_api.m_pfnCreateDecryptor(c.dwId, key.data(), len)) << "length " << len;
        }
        EXPECT_EQ(nullptr, m_api.m_pfnCreateEncryptor(c.dwId, nullptr, c.dwDefault));
        EXPECT_EQ(nullptr, m_api.m_pfnCreateDecryptor(c.dwId, nullptr, c.dwDefault));
    }
    for (const QlcAlgorithm &h : Hashes()) {
        EXPECT_EQ(nullptr, m_api.m_pfnCreateEncryptor(h.dwId, key.data(), 16)) << "a hash id is no cipher";
        EXPECT_EQ(nullptr, m_api.m_pfnCreateDecryptor(h.dwId, key.data(), 16));
    }
    EXPECT_EQ(nullptr, m_api.m_pfnCreateEncryptor(0, key.data(), 16));
    EXPECT_EQ(nullptr, m_api.m_pfnCreateDecryptor(0xFFFFFFFF, key.data(), 16));
}

// At least two block sizes, so the callers' mixed chunk rule gets exercised;
// encryptor and decryptor agree.
TEST_F(CQlcCryptFixture, CiphersHaveDifferentBlockSizes)
{
    std::set<DWORD> sizes;
    const Bytes key = RandomBytes(64, 3);
    for (const QlcAlgorithm &c : Ciphers()) {
        Bytes k(key.begin(), key.begin() + c.dwDefault);
        CipherPtr e = Encryptor(c.dwId, k);
        CipherPtr d = Decryptor(c.dwId, k);
        ASSERT_TRUE(e && d);
        DWORD block = QlcCipher_GetBlockSize(e.get());
        EXPECT_EQ(block, QlcCipher_GetBlockSize(d.get()));
        EXPECT_TRUE(block > 0 && (block & (block - 1)) == 0) << c.name << ": " << block;
        // The unused slots answer 0 rather than crash.
        EXPECT_EQ(0u, e->lpVtbl->pfnReserved1(e.get()));
        EXPECT_EQ(0u, e->lpVtbl->pfnReserved2(e.get()));
        sizes.insert(block);
    }
    EXPECT_GE(sizes.size(), 2u);
}
