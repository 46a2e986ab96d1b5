// Key derivation and check blocks: determinism, edge cases, cost, and the
// library used from several threads at once.
#include "tests/outside/qlccrypt/CQlcCryptFixture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

TEST_F(CQlcCryptFixture, DeriveKeyIsDeterministicAndDependsOnEveryInput)
{
    std::vector<Bytes> seen;
    for (const QlcAlgorithm &h : Hashes()) {
        SCOPED_TRACE(h.name);
        for (const char *pw : {"secret", "Secret", "secret2", "s"}) {
            Bytes k = Key(h.dwId, pw, 32);
            EXPECT_EQ(k, Key(h.dwId, pw, 32));
            EXPECT_NE(Bytes(32, 0), k);
            seen.push_back(k);
        }
    }
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_NE(seen[i], seen[j]) << i << " vs " << j;

    // The same after the library is unloaded and loaded again.
    const DWORD hash = m_api.m_pfnGetDefaultHash();
    Bytes before = Key(hash, "reload", 24);
    m_api.Unload();
    ASSERT_TRUE(m_api.Load(QlcCryptLibraryPath().c_str()));
    EXPECT_EQ(before, Key(hash, "reload", 24));
}

// Only the given length of the password counts; no terminator is needed, and
// a NUL inside it is an ordinary byte.
TEST_F(CQlcCryptFixture, DeriveKeyUsesExactlyThePasswordLength)
{
    const DWORD hash = m_api.m_pfnGetDefaultHash();
    Bytes a(20), b(20), c(20);
    const char buf[] = {'s', 'e', 'c', 'r', 'e', 't', 'X', 'Y'};
    ASSERT_TRUE(m_api.m_pfnDeriveKey(hash, buf, 6, a.data(), 20));
    EXPECT_EQ(Key(hash, "secret", 20), a);
    const char withNul[] = {'a', '\0', 'b'};
    ASSERT_TRUE(m_api.m_pfnDeriveKey(hash, withNul, 3, b.data(), 20));
    ASSERT_TRUE(m_api.m_pfnDeriveKey(hash, withNul, 1, c.data(), 20));
    EXPECT_NE(b, c);
}

// An empty password is a password: the key is made (the same for a null
// and an empty string) and is not all zeros.
TEST_F(CQlcCryptFixture, DeriveKeyAcceptsAnEmptyPassword)
{
    for (const QlcAlgorithm &h : Hashes()) {
        SCOPED_TRACE(h.name);
        Bytes a(32, 0xAA), b(32, 0xBB);
        EXPECT_TRUE(m_api.m_pfnDeriveKey(h.dwId, "", 0, a.data(), 32));
        EXPECT_TRUE(m_api.m_pfnDeriveKey(h.dwId, nullptr, 0, b.data(), 32));
        EXPECT_EQ(a, b);
        EXPECT_NE(Bytes(32, 0), a);
        EXPECT_NE(Key(h.dwId, " ", 32), a);
    }
}

// An unknown hash (or a cipher id in its place) gives zeros and FALSE,
// writing exactly the key length.
TEST_F(CQlcCryptFixture, DeriveKeyWithAnUnknownHashGivesZeros)
{
    std::vector<DWORD> bad = {0, 0xFFFFFFFF, 0x12345};
    for (const QlcAlgorithm &c : Ciphers())
        bad.push_back(c.dwId);
    for (DWORD id : bad) {
        Bytes key(40, 0xAA);
        EXPECT_FALSE(m_api.m_pfnDeriveKey(id, "secret", 6, key.data(), 32)) << id;
        EXPECT_EQ(Bytes(32, 0), Bytes(key.begin(), key.begin() + 32)) << id;
        EXPECT_EQ(Bytes(8, 0xAA), Bytes(key.begin() + 32, key.end())) << id;
    }
    // A null password with a length is refused the same way.
    Bytes key(16, 0xAA);
    EXPECT_FALSE(m_api.m_pfnDeriveKey(m_api.m_pfnGetDefaultHash(), nullptr, 4, key.data(), 16));
    EXPECT_EQ(Bytes(16, 0), key);
}

TEST_F(CQlcCryptFixture, DeriveKeyWritesExactlyTheKeyLength)
{
    const DWORD hash = m_api.m_pfnGetDefaultHash();
    for (DWORD len : {1u, 5u, 16u, 20u, 33u, 56u, 200u}) {
        Bytes key(len + 8, 0xEE);
        ASSERT_TRUE(m_api.m_pfnDeriveKey(hash, "pw", 2, key.data(), len));
        EXPECT_EQ(Bytes(8, 0xEE), Bytes(key.end() - 8, key.end())) << len;
    }
    Bytes key(8, 0xEE);
    EXPECT_TRUE(m_api.m_pfnDeriveKey(hash, "pw", 2, key.data(), 0));
    EXPECT_EQ(Bytes(8, 0xEE), key);
    // Absurd lengths (from a damaged file) are refused, not attempted.
    EXPECT_FALSE(m_api.m_pfnDeriveKey(hash, "pw", 2, key.data(), QLC_MAX_DERIVED_KEY + 1));
    EXPECT_FALSE(m_api.m_pfnDeriveKey(hash, "pw", 2, key.data(), 0xFFFFFFFF));
    EXPECT_EQ(Bytes(8, 0xEE), key);
    EXPECT_FALSE(m_api.m_pfnDeriveKey(hash, "pw", 2, nullptr, 16));
}

// The longest key of any cipher is derived whole under every hash, the same
// each time and different between hashes. (How long it takes is measured by
// the benchmark, not here.)
TEST_F(CQlcCryptFixture, DeriveKeyFillsTheLongestKeyUnderEveryHash)
{
    const DWORD maxKey = m_api.m_pfnGetMaxKeyLength();
    std::vector<Bytes> keys;
    for (const QlcAlgorithm &h : Hashes()) {
        Bytes first(maxKey, 0), second(maxKey, 0xFF);
        ASSERT_TRUE(m_api.m_pfnDeriveKey(h.dwId, "longest", 7, first.data(), maxKey)) << h.name;
        ASSERT_TRUE(m_api.m_pfnDeriveKey(h.dwId, "longest", 7, second.data(), maxKey)) << h.name;
        EXPECT_EQ(first, second) << h.name;
        // Every block of the output is filled, not only the first.
        EXPECT_NE(Bytes(first.end() - 16, first.end()), Bytes(16, 0)) << h.name;
        for (const Bytes &other : keys)
            EXPECT_NE(other, first) << h.name;
        keys.push_back(first);
    }
}

TEST_F(CQlcCryptFixture, CheckBlockLengthQueryAndContent)
{
    const DWORD len = m_api.m_pfnMakeCheckBlock("secret", nullptr, 6);
    ASSERT_GT(len, 0u);
    Bytes block(len + 8, 0xCC);
    EXPECT_EQ(len, m_api.m_pfnMakeCheckBlock("secret", block.data(), 6));
    EXPECT_EQ(Bytes(8, 0xCC), Bytes(block.begin() + len, block.end())) << "wrote past the block";
    block.resize(len);
    EXPECT_NE(Bytes(len, 0), block);
    EXPECT_NE(Bytes(len, 0xCC), block);

    // Same password, same block, also after a reload; the length does not
    // depend on the password.
    Bytes again(len);
    EXPECT_EQ(len, m_api.m_pfnMakeCheckBlock("secret", again.data(), 6));
    EXPECT_EQ(block, again);
    m_api.Unload();
    ASSERT_TRUE(m_api.Load(QlcCryptLibraryPath().c_str()));
    Bytes reloaded(len);
    EXPECT_EQ(len, m_api.m_pfnMakeCheckBlock("secretXX", reloaded.data(), 6));
    EXPECT_EQ(block, reloaded);
    EXPECT_EQ(len, m_api.m_pfnMakeCheckBlock("another password", nullptr, 16));

    // Different passwords, different blocks; the empty password works.
    std::vector<Bytes> seen = {block};
    for (const char *pw : {"Secret", "secret2", "", "s"}) {
        Bytes b(len);
        EXPECT_EQ(len, m_api.m_pfnMakeCheckBlock(pw, b.data(), DWORD(std::strlen(pw))));
        seen.push_back(b);
    }
    Bytes empty(len);
    EXPECT_EQ(len, m_api.m_pfnMakeCheckBlock(nullptr, empty.data(), 0));
    EXPECT_EQ(seen[3], empty);
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_NE(seen[i], seen[j]) << i << " vs " << j;

    // It is stored in clear beside the ciphertext: it must not be a piece of
    // any key made from the same password.
    for (const QlcAlgorithm &h : Hashes()) {
        Bytes k = Key(h.dwId, "secret", 64);
        EXPECT_EQ(k.end(), std::search(k.begin(), k.end(), block.begin(), block.end())) << h.name;
    }

    Bytes untouched(len, 0x77);
    EXPECT_EQ(0u, m_api.m_pfnMakeCheckBlock(nullptr, untouched.data(), 3));
    EXPECT_EQ(Bytes(len, 0x77), untouched);
}

namespace {

struct Reference {
    std::string password;
    std::vector<Bytes> keys;       // per hash
    std::vector<Bytes> verifiers;  // per cipher
    std::vector<Bytes> ciphers;    // per cipher
    Bytes check;
};

} // namespace

// Export jobs call the library from a worker while the UI thread uses it:
// results from several threads at once equal those made one at a time.
TEST_F(CQlcCryptFixture, ConcurrentUseGivesTheSameResults)
{
    const std::vector<QlcAlgorithm> ciphers = Ciphers();
    const std::vector<QlcAlgorithm> hashes = Hashes();
    const Bytes plain = RandomBytes(16 * 2048 + 64, 99);
    const CCryptDLLHandler &api = m_api;

    auto compute = [&](const std::string &pw, Reference &r, bool &ok) {
        ok = true;
        r.password = pw;
        for (const QlcAlgorithm &h : hashes) {
            Bytes k(32);
            ok &= api.m_pfnDeriveKey(h.dwId, pw.data(), DWORD(pw.size()), k.data(), 32) != FALSE;
            r.keys.push_back(k);
        }
        for (const QlcAlgorithm &c : ciphers) {
            Bytes k(c.dwDefault);
            ok &= api.m_pfnDeriveKey(hashes[0].dwId, pw.data(), DWORD(pw.size()), k.data(), c.dwDefault) != FALSE;
            CipherPtr e(api.m_pfnCreateEncryptor(c.dwId, k.data(), c.dwDefault));
            if (!e) {
                ok = false;
                continue;
            }
            Bytes v(api.m_pfnGetVerifierSize(e.get()));
            ok &= api.m_pfnMakeVerifier(e.get(), v.data()) == v.size();
            r.verifiers.push_back(v);
            Bytes data = plain;
            ok &= api.m_pfnProcessBuffer(e.get(), data.data(), DWORD(data.size())) != FALSE;
            r.ciphers.push_back(data);
        }
        r.check.resize(api.m_pfnMakeCheckBlock(pw.data(), nullptr, DWORD(pw.size())));
        ok &= api.m_pfnMakeCheckBlock(pw.data(), r.check.data(), DWORD(pw.size())) == r.check.size();
    };

    std::vector<std::string> passwords;
    for (int i = 0; i < 8; ++i)
        passwords.push_back("password " + std::to_string(i));
    std::vector<Reference> refs(passwords.size());
    for (size_t i = 0; i < passwords.size(); ++i) {
        bool ok = false;
        compute(passwords[i], refs[i], ok);
        ASSERT_TRUE(ok);
    }

    std::atomic<int> mismatches(0), failures(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t]() {
            for (size_t n = 0; n < passwords.size(); ++n) {
                size_t i = (n + size_t(t) * 3) % passwords.size();
                Reference r;
                bool ok = false;
                compute(passwords[i], r, ok);
                if (!ok)
                    ++failures;
                if (r.keys != refs[i].keys || r.verifiers != refs[i].verifiers || r.ciphers != refs[i].ciphers ||
                    r.check != refs[i].check)
                    ++mismatches;
            }
        });
    }
    for (std::thread &th : threads)
        th.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(0, mismatches.load());
}
