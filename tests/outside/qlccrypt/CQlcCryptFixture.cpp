// CQlcCryptFixture.cpp - shared fixture of the qlccrypt.dll contract tests.
#include "tests/outside/qlccrypt/CQlcCryptFixture.h"

#include <algorithm>
#include <random>

std::string QlcCryptExeFolder()
{
    char path[MAX_PATH] = {0};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : s.substr(0, slash + 1);
}

std::string QlcCryptLibraryPath()
{
    return QlcCryptExeFolder() + "qlccrypt.dll";
}

std::string QlcCryptMissingOrdinalLibraryPath()
{
    return QlcCryptExeFolder() + "qlccrypt_missing\\qlccrypt.dll";
}

void CQlcCryptFixture::SetUp()
{
    ASSERT_TRUE(m_api.Load(QlcCryptLibraryPath().c_str()))
        << "cannot load " << QlcCryptLibraryPath() << ", missing ordinal " << m_api.GetMissingOrdinal();
}

void CQlcCryptFixture::TearDown()
{
    m_api.Unload();
}

namespace {

std::vector<QlcAlgorithm> Enumerate(DWORD dwFirst, PFN_QLC_GETNEXTCIPHER pfnNext)
{
    std::vector<QlcAlgorithm> list;
    DWORD pos = dwFirst;
    // Bounded: a position that never reaches 0 is a fault, not a hang.
    for (int guard = 0; pos != 0 && guard < 64; ++guard) {
        char name[128];
        QLC_CRYPT_TYPE t = {0, 0, 0, 0, name, sizeof(name)};
        DWORD before = pos;
        if (!pfnNext(&pos, &t)) {
            ADD_FAILURE() << "position " << before << " not filled";
            break;
        }
        EXPECT_EQ(before, t.dwId) << "the position is the algorithm id";
        list.push_back({t.dwId, t.dwMinKeyLength, t.dwMaxKeyLength, t.dwDefaultKeyLength, name});
    }
    EXPECT_EQ(0u, pos) << "enumeration does not end";
    return list;
}

} // namespace

std::vector<QlcAlgorithm> CQlcCryptFixture::Ciphers()
{
    return Enumerate(m_api.m_pfnGetFirstCipher(), m_api.m_pfnGetNextCipher);
}

std::vector<QlcAlgorithm> CQlcCryptFixture::Hashes()
{
    return Enumerate(m_api.m_pfnGetFirstHash(), m_api.m_pfnGetNextHash);
}

Bytes CQlcCryptFixture::Key(DWORD dwHashId, const std::string &password, DWORD dwKeyLength)
{
    Bytes key(dwKeyLength);
    EXPECT_TRUE(m_api.m_pfnDeriveKey(dwHashId, password.data(), DWORD(password.size()), key.data(), dwKeyLength));
    return key;
}

CipherPtr CQlcCryptFixture::Encryptor(DWORD dwCipherId, const Bytes &key)
{
    CipherPtr p(m_api.m_pfnCreateEncryptor(dwCipherId, key.data(), DWORD(key.size())));
    EXPECT_TRUE(p) << "no encryptor for cipher " << dwCipherId << ", key length " << key.size();
    return p;
}

CipherPtr CQlcCryptFixture::Decryptor(DWORD dwCipherId, const Bytes &key)
{
    CipherPtr p(m_api.m_pfnCreateDecryptor(dwCipherId, key.data(), DWORD(key.size())));
    EXPECT_TRUE(p) << "no decryptor for cipher " << dwCipherId << ", key length " << key.size();
    return p;
}

Bytes CQlcCryptFixture::Verifier(QLC_CIPHER *pCipher)
{
    DWORD size = m_api.m_pfnGetVerifierSize(pCipher);
    Bytes v(size + 8, 0xCD);  // guard bytes after the verifier
    DWORD written = m_api.m_pfnMakeVerifier(pCipher, v.data());
    EXPECT_EQ(size, written);
    for (size_t i = size; i < v.size(); ++i)
        EXPECT_EQ(0xCD, v[i]) << "MakeVerifier wrote past GetVerifierSize";
    v.resize(size);
    return v;
}

Bytes CQlcCryptFixture::Process(QLC_CIPHER *pCipher, Bytes data, const std::vector<size_t> &pieces)
{
    size_t done = 0;
    for (size_t piece : pieces) {
        if (done + piece > data.size())
            break;
        EXPECT_TRUE(m_api.m_pfnProcessBuffer(pCipher, data.data() + done, DWORD(piece)));
        done += piece;
    }
    if (done < data.size()) {
        EXPECT_TRUE(m_api.m_pfnProcessBuffer(pCipher, data.data() + done, DWORD(data.size() - done)));
    }
    return data;
}

std::vector<size_t> CQlcCryptFixture::RandomPieces(size_t n, DWORD dwBlock, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<size_t> pieces;
    size_t done = 0;
    while (done < n) {
        // Mostly small pieces, some of one block, now and then a large one.
        size_t blocks = rng() % 8 == 0 ? 1 + rng() % 600 : rng() % 5;
        size_t piece = std::min<size_t>(blocks * dwBlock, n - done);
        pieces.push_back(piece);
        done += piece;
    }
    return pieces;
}

Bytes CQlcCryptFixture::RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (BYTE &x : b)
        x = BYTE(rng());
    return b;
}
