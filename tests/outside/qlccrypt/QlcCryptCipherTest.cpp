// Enciphering, deciphering and verifiers, used the way the program does:
// fresh objects per payload, data in block-aligned pieces, the verifier made
// on the encryptor just before enciphering.
#include "tests/outside/qlccrypt/CQlcCryptFixture.h"

#include <algorithm>
#include <cstring>

namespace {

// The key lengths worth trying for a cipher: both ends, the default, and one
// the block cipher does not take natively when there is such a length.
std::vector<DWORD> InterestingKeyLengths(const QlcAlgorithm &c)
{
    std::vector<DWORD> lengths = {c.dwMin, c.dwDefault, c.dwMax};
    if (c.dwMin + 1 < c.dwMax)
        lengths.push_back(c.dwMin + 1);
    return lengths;
}

} // namespace

// However the data is split at block boundaries, the ciphertext is the same,
// and a fresh decryptor gives back the plain text under any other split.
TEST_F(CQlcCryptFixture, SplittingDoesNotChangeTheResult)
{
    unsigned seed = 1;
    for (const QlcAlgorithm &c : Ciphers()) {
        for (DWORD len : InterestingKeyLengths(c)) {
            SCOPED_TRACE(c.name + " key " + std::to_string(len));
            const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "split test", len);
            CipherPtr probe = Encryptor(c.dwId, key);
            ASSERT_TRUE(probe);
            const DWORD block = QlcCipher_GetBlockSize(probe.get());
            const Bytes plain = RandomBytes(block * 2048 * 3 + block * 5, seed++);

            CipherPtr whole = Encryptor(c.dwId, key);
            const Bytes cipher = Process(whole.get(), plain);
            EXPECT_NE(plain, cipher);

            CipherPtr pieces = Encryptor(c.dwId, key);
            EXPECT_EQ(cipher, Process(pieces.get(), plain, RandomPieces(plain.size(), block, seed++)));

            CipherPtr chunked = Encryptor(c.dwId, key);  // the program's chunk size
            EXPECT_EQ(cipher, Process(chunked.get(), plain, std::vector<size_t>(4, block * 2048)));

            CipherPtr d1 = Decryptor(c.dwId, key);
            EXPECT_EQ(plain, Process(d1.get(), cipher));
            CipherPtr d2 = Decryptor(c.dwId, key);
            EXPECT_EQ(plain, Process(d2.get(), cipher, RandomPieces(cipher.size(), block, seed++)));
            CipherPtr d3 = Decryptor(c.dwId, key);
            EXPECT_EQ(plain, Process(d3.get(), cipher, std::vector<size_t>(cipher.size() / block, block)));
        }
    }
}

// The object carries the chaining state: the same block twice in a row
// enciphers differently, and a fresh object starts over.
TEST_F(CQlcCryptFixture, ChainingStateLivesInTheObject)
{
    for (const QlcAlgorithm &c : Ciphers()) {
        SCOPED_TRACE(c.name);
        const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "chain", c.dwDefault);
        CipherPtr e = Encryptor(c.dwId, key);
        const DWORD block = QlcCipher_GetBlockSize(e.get());
        const Bytes zeros(block, 0);
        Bytes first = Process(e.get(), zeros);
        Bytes second = Process(e.get(), zeros);
        EXPECT_NE(first, second);
        CipherPtr fresh = Encryptor(c.dwId, key);
        EXPECT_EQ(first, Process(fresh.get(), zeros));

        // Objects are independent: interleaving two does not disturb either.
        CipherPtr a = Encryptor(c.dwId, key);
        CipherPtr b = Encryptor(c.dwId, key);
        Bytes a1 = Process(a.get(), zeros);
        Bytes b1 = Process(b.get(), zeros);
        Bytes a2 = Process(a.get(), zeros);
        EXPECT_EQ(first, a1);
        EXPECT_EQ(first, b1);
        EXPECT_EQ(second, a2);
    }
}

// Same key, same ciphertext (the formats have no room for an IV); another
// key, cipher or key length, another ciphertext; a wrong key does not
// decipher.
TEST_F(CQlcCryptFixture, ResultDependsOnKeyAndCipherOnly)
{
    const DWORD hash = m_api.m_pfnGetDefaultHash();
    std::vector<Bytes> seen;
    for (const QlcAlgorithm &c : Ciphers()) {
        SCOPED_TRACE(c.name);
        const Bytes plain = RandomBytes(256, 11);
        const Bytes key = Key(hash, "alpha", c.dwDefault);
        CipherPtr e1 = Encryptor(c.dwId, key);
        CipherPtr e2 = Encryptor(c.dwId, key);
        const Bytes cipher = Process(e1.get(), plain);
        EXPECT_EQ(cipher, Process(e2.get(), plain));
        seen.push_back(cipher);

        CipherPtr other = Encryptor(c.dwId, Key(hash, "alphA", c.dwDefault));
        seen.push_back(Process(other.get(), plain));

        // A key one byte longer whose first bytes are the same.
        DWORD longer = c.dwDefault < c.dwMax ? c.dwDefault + 1 : c.dwDefault - 1;
        Bytes key2 = Key(hash, "alpha", longer);
        CipherPtr e3 = Encryptor(c.dwId, key2);
        seen.push_back(Process(e3.get(), plain));

        CipherPtr wrong = Decryptor(c.dwId, Key(hash, "alphA", c.dwDefault));
        EXPECT_NE(plain, Process(wrong.get(), cipher));
    }
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_NE(seen[i], seen[j]) << i << " vs " << j;
}

// The key is copied: changing or freeing the caller's buffer afterwards
// changes nothing.
TEST_F(CQlcCryptFixture, KeyIsCopied)
{
    for (const QlcAlgorithm &c : Ciphers()) {
        SCOPED_TRACE(c.name);
        const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "copy", c.dwDefault);
        Bytes scratch = key;
        CipherPtr e = Encryptor(c.dwId, scratch);
        Bytes v1 = Verifier(e.get());
        std::memset(scratch.data(), 0x5A, scratch.size());
        scratch.clear();
        scratch.shrink_to_fit();
        CipherPtr ref = Encryptor(c.dwId, key);
        const Bytes plain = RandomBytes(64, 5);
        EXPECT_EQ(Process(ref.get(), plain), Process(e.get(), plain));
        EXPECT_EQ(Verifier(ref.get()), Verifier(e.get()));
        EXPECT_EQ(v1, Verifier(e.get()));
    }
}

// A length that is not a multiple of the block size is refused and the
// buffer left alone; so are null and foreign objects.
TEST_F(CQlcCryptFixture, ProcessBufferRefusesBadArguments)
{
    for (const QlcAlgorithm &c : Ciphers()) {
        SCOPED_TRACE(c.name);
        const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "refuse", c.dwDefault);
        CipherPtr e = Encryptor(c.dwId, key);
        const DWORD block = QlcCipher_GetBlockSize(e.get());
        const Bytes plain = RandomBytes(block * 4, 9);
        for (DWORD len : {DWORD(1), block - 1, block + 1, 3 * block + block / 2}) {
            Bytes buf = plain;
            EXPECT_FALSE(m_api.m_pfnProcessBuffer(e.get(), buf.data(), len)) << "length " << len;
            EXPECT_EQ(plain, buf);
        }
        // A refused call does not advance the chaining state.
        CipherPtr ref = Encryptor(c.dwId, key);
        EXPECT_EQ(Process(ref.get(), plain), Process(e.get(), plain));

        Bytes buf = plain;
        EXPECT_TRUE(m_api.m_pfnProcessBuffer(e.get(), buf.data(), 0));
        EXPECT_TRUE(m_api.m_pfnProcessBuffer(e.get(), nullptr, 0));
        EXPECT_EQ(plain, buf);
        EXPECT_FALSE(m_api.m_pfnProcessBuffer(e.get(), nullptr, block));
        EXPECT_FALSE(m_api.m_pfnProcessBuffer(nullptr, buf.data(), block));
        EXPECT_EQ(plain, buf);
    }

    // Something that is not one of the library's objects.
    QLC_CIPHER_VTBL fakeTable = {};
    QLC_CIPHER fake = {&fakeTable};
    BYTE buf[16] = {1, 2, 3};
    EXPECT_FALSE(m_api.m_pfnProcessBuffer(&fake, buf, sizeof(buf)));
    EXPECT_EQ(0u, m_api.m_pfnGetVerifierSize(&fake));
    EXPECT_EQ(0u, m_api.m_pfnMakeVerifier(&fake, buf));
    EXPECT_EQ(0u, m_api.m_pfnGetVerifierSize(nullptr));
    EXPECT_EQ(0u, m_api.m_pfnMakeVerifier(nullptr, buf));
    EXPECT_EQ(1, buf[0]);
}

// The verifier: fixed size per object, same key same verifier, different
// password different verifier, and making it leaves the chaining state alone.
TEST_F(CQlcCryptFixture, VerifiersAreDeterministicAndDistinct)
{
    const char *passwords[] = {"", "a", "b", "password", "Password", "password ", "pässwörd",
                               "a much longer password with spaces in it"};
    std::vector<Bytes> all;
    for (const QlcAlgorithm &c : Ciphers()) {
        for (const QlcAlgorithm &h : Hashes()) {
            SCOPED_TRACE(c.name + "/" + h.name);
            for (const char *pw : passwords) {
                const Bytes key = Key(h.dwId, pw, c.dwDefault);
                CipherPtr e1 = Encryptor(c.dwId, key);
                CipherPtr e2 = Encryptor(c.dwId, key);
                const Bytes v = Verifier(e1.get());
                EXPECT_GE(v.size(), 8u);
                EXPECT_EQ(v, Verifier(e1.get()));
                EXPECT_EQ(v, Verifier(e2.get()));
                all.push_back(v);
            }
        }
    }
    for (size_t i = 0; i < all.size(); ++i)
        for (size_t j = i + 1; j < all.size(); ++j)
            EXPECT_NE(all[i], all[j]) << i << " vs " << j;

    // MakeVerifier null output.
    const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "x", Ciphers()[0].dwDefault);
    CipherPtr e = Encryptor(Ciphers()[0].dwId, key);
    EXPECT_EQ(0u, m_api.m_pfnMakeVerifier(e.get(), nullptr));
}

TEST_F(CQlcCryptFixture, MakeVerifierLeavesChainingStateAlone)
{
    for (const QlcAlgorithm &c : Ciphers()) {
        SCOPED_TRACE(c.name);
        const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "verify", c.dwDefault);
        CipherPtr plainRun = Encryptor(c.dwId, key);
        const DWORD block = QlcCipher_GetBlockSize(plainRun.get());
        const Bytes data = RandomBytes(block * 10, 21);
        const Bytes expected = Process(plainRun.get(), data);

        CipherPtr e = Encryptor(c.dwId, key);
        Verifier(e.get());
        Bytes out(data);
        ASSERT_TRUE(m_api.m_pfnProcessBuffer(e.get(), out.data(), block * 3));
        Verifier(e.get());
        ASSERT_TRUE(m_api.m_pfnProcessBuffer(e.get(), out.data() + block * 3, block * 7));
        EXPECT_EQ(expected, out);

        // On a decryptor too.
        CipherPtr d = Decryptor(c.dwId, key);
        Verifier(d.get());
        Bytes back(expected);
        ASSERT_TRUE(m_api.m_pfnProcessBuffer(d.get(), back.data(), block * 5));
        Verifier(d.get());
        ASSERT_TRUE(m_api.m_pfnProcessBuffer(d.get(), back.data() + block * 5, block * 5));
        EXPECT_EQ(data, back);
    }
}

// The program's chunk rule: chunks of block size x 2048, the last one padded
// with zeros to the block size; deciphering with the other side's chunk size
// (the re-encoding rule for two ciphers) still gives the data back.
TEST_F(CQlcCryptFixture, ChunkRuleRoundTripsForEveryCipher)
{
    std::vector<QlcAlgorithm> ciphers = Ciphers();
    for (const QlcAlgorithm &c : ciphers) {
        SCOPED_TRACE(c.name);
        const Bytes key = Key(m_api.m_pfnGetDefaultHash(), "chunks", c.dwDefault);
        CipherPtr e = Encryptor(c.dwId, key);
        const DWORD block = QlcCipher_GetBlockSize(e.get());
        const size_t chunk = size_t(block) * 2048;
        for (size_t size : {size_t(0), size_t(1), chunk - 1, chunk, chunk + 1, 3 * chunk + 17}) {
            SCOPED_TRACE(size);
            const Bytes plain = RandomBytes(size, unsigned(size) + 1);
            CipherPtr enc = Encryptor(c.dwId, key);
            Bytes cipher;
            for (size_t done = 0; done < size; done += chunk) {
                Bytes piece(plain.begin() + done, plain.begin() + std::min(size, done + chunk));
                piece.resize((piece.size() + block - 1) / block * block, 0);
                ASSERT_TRUE(m_api.m_pfnProcessBuffer(enc.get(), piece.data(), DWORD(piece.size())));
                cipher.insert(cipher.end(), piece.begin(), piece.end());
            }
            EXPECT_EQ((size + block - 1) / block * block, cipher.size());

            // Decipher in chunks of 16 x 8 x 256 bytes (mixed block sizes).
            CipherPtr dec = Decryptor(c.dwId, key);
            Bytes back = Process(dec.get(), cipher, std::vector<size_t>(cipher.size() / 32768 + 1, 32768));
            back.resize(size);
            EXPECT_EQ(plain, back);
        }
    }
}
