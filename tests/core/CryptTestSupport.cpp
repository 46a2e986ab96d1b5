#include "CryptTestSupport.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"

#include <cryptopp/gzip.h>

#include <gtest/gtest.h>

#include <algorithm>

CCryptInstall::CCryptInstall(BOOL bLoad) : m_pPrevious(QlcApp().GetCryptHandler())
{
    if (bLoad)
        handler.Load();
    QlcApp().SetCryptHandler(&handler);
}

CCryptInstall::~CCryptInstall()
{
    QlcApp().SetCryptHandler(m_pPrevious);
}

CString ExeFolder()
{
    char szModule[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    CString str = szModule;
    return str.Left(str.ReverseFind('\\') + 1);
}

CLogWatch::CLogWatch() : m_ullStart(0), m_bOpened(!g_log.IsOpen())
{
    g_log.Open();
    m_ullStart = ReadFileBytes(g_log.GetLogFilePath()).size();
}

CLogWatch::~CLogWatch()
{
    if (m_bOpened)
        g_log.Close();
}

std::string CLogWatch::NewText() const
{
    const Bytes bytes = ReadFileBytes(g_log.GetLogFilePath());
    if (bytes.size() <= m_ullStart)
        return std::string();
    return std::string(bytes.begin() + (ptrdiff_t)m_ullStart, bytes.end());
}

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t i = text.find(what); i != std::string::npos; i = text.find(what, i + 1))
        ++n;
    return n;
}

Bytes TextBytes(size_t n, DWORD dwSeed)
{
    static const char* const words[] = { "notebook ", "quill ", "crest ", "the ", "of ", "page ", "\\par\r\n",
                                         "{\\b bold} ", "ink ", "margin " };
    Bytes b;
    b.reserve(n);
    DWORD x = dwSeed * 2654435761u + 1;
    while (b.size() < n)
    {
        x = x * 1103515245u + 12345u;
        const char* w = words[(x >> 16) % 10];
        while (*w && b.size() < n)
            b.push_back((BYTE)*w++);
    }
    return b;
}

Bytes NoiseBytes(size_t n, DWORD dwSeed)
{
    Bytes b(n);
    unsigned long long x = 0x9E3779B97F4A7C15ull ^ dwSeed;
    for (size_t i = 0; i < n; ++i)
    {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        b[i] = (BYTE)(x >> 24);
    }
    return b;
}

Bytes Gzip(const Bytes& plain)
{
    CryptoPP::Gzip gzip(nullptr, 6, 15, true);
    if (!plain.empty())
        gzip.Put(plain.data(), plain.size());
    gzip.MessageEnd();
    Bytes out((size_t)gzip.MaxRetrievable());
    if (!out.empty())
        gzip.Get(out.data(), out.size());
    return out;
}

Bytes Gunzip(const Bytes& gz)
{
    CryptoPP::Gunzip gunzip;
    if (!gz.empty())
        gunzip.Put(gz.data(), gz.size());
    gunzip.MessageEnd();
    Bytes out((size_t)gunzip.MaxRetrievable());
    if (!out.empty())
        gunzip.Get(out.data(), out.size());
    return out;
}

BOOL WriteNodeData(CQuillcrestDoc& doc, DWORD dwNodeId, const Bytes& data, BOOL bCompress, size_t nPiece)
{
    CQlcNode node(&doc, dwNodeId);
    CQlcNodeData* pData = node.GetDataForWrite(bCompress);
    if (pData == nullptr)
        return FALSE;
    for (size_t i = 0; i < data.size(); i += nPiece)
        pData->Put(data.data() + i, (UINT)std::min(nPiece, data.size() - i));
    return pData->Flush();
}

Bytes ReadNodeData(CQuillcrestDoc& doc, DWORD dwNodeId, BOOL* pbDamaged, size_t nPiece)
{
    Bytes out;
    CQlcNode node(&doc, dwNodeId);
    CQlcNodeData* pData = node.GetDataForRead();
    if (pData == nullptr)
        return out;
    Bytes piece(nPiece);
    for (;;)
    {
        const UINT n = pData->Get(piece.data(), (UINT)piece.size());
        if (n == 0)
            break;
        out.insert(out.end(), piece.begin(), piece.begin() + n);
    }
    if (pbDamaged != nullptr)
        *pbDamaged = pData->IsDamaged();
    return out;
}

void RememberPassword(CQuillcrestDoc& doc, DWORD dwNodeId, LPCSTR lpszPassword)
{
    CQlcNode node(&doc, dwNodeId);
    node.SetPassword(TRUE, lpszPassword);
}

namespace {

DWORD U32At(const Bytes& b, size_t i)
{
    return (DWORD)b.at(i) | ((DWORD)b.at(i + 1) << 8) | ((DWORD)b.at(i + 2) << 16) | ((DWORD)b.at(i + 3) << 24);
}

Bytes ProcessChunks(CCryptDLLHandler& crypt, BOOL bEncrypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength,
                    LPCSTR lpszPassword, const Bytes& in)
{
    CQlcCipherPtr pCipher =
        crypt.CreateCipher(bEncrypt, dwCipher, dwHash, dwKeyLength, lpszPassword, (DWORD)strlen(lpszPassword));
    if (!pCipher)
        return Bytes();
    const DWORD dwBlock = CCryptDLLHandler::GetBlockSize(pCipher.get());
    const size_t nChunk = dwBlock * 2048;
    Bytes out;
    for (size_t i = 0; i < in.size(); i += nChunk)
    {
        Bytes chunk(in.begin() + (ptrdiff_t)i, in.begin() + (ptrdiff_t)std::min(in.size(), i + nChunk));
        chunk.resize((chunk.size() + dwBlock - 1) / dwBlock * dwBlock, 0);
        if (!crypt.m_pfnProcessBuffer(pCipher.get(), chunk.data(), (DWORD)chunk.size()))
            return Bytes();
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

} // namespace

CEnvelopeParts SplitEnvelope(const Bytes& stored, DWORD dwVerifierLength)
{
    CEnvelopeParts p;
    size_t i = 0;
    p.verifier.assign(stored.begin(), stored.begin() + dwVerifierLength);
    i = dwVerifierLength;
    p.dwHeaderLength = U32At(stored, i);
    p.dwCipherLength = U32At(stored, i + 4);
    p.dwDataLength = U32At(stored, i + 8);
    if (p.dwHeaderLength == 24)
    {
        p.dwCheckBlockLength = U32At(stored, i + 12);
        p.dwZero1 = U32At(stored, i + 16);
        p.dwZero2 = U32At(stored, i + 20);
    }
    i += p.dwHeaderLength;
    p.checkBlock.assign(stored.begin() + (ptrdiff_t)i, stored.begin() + (ptrdiff_t)(i + p.dwCheckBlockLength));
    i += p.dwCheckBlockLength;
    p.ciphertext.assign(stored.begin() + (ptrdiff_t)i, stored.begin() + (ptrdiff_t)(i + p.dwCipherLength));
    i += p.dwCipherLength;
    p.nTrailing = stored.size() - i;
    return p;
}

Bytes EncipherChunks(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword,
                     const Bytes& plain)
{
    return ProcessChunks(crypt, TRUE, dwCipher, dwHash, dwKeyLength, lpszPassword, plain);
}

Bytes DecipherChunks(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword,
                     const Bytes& cipher)
{
    return ProcessChunks(crypt, FALSE, dwCipher, dwHash, dwKeyLength, lpszPassword, cipher);
}

Bytes VerifierOf(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword)
{
    CQlcCipherPtr pCipher =
        crypt.CreateCipher(TRUE, dwCipher, dwHash, dwKeyLength, lpszPassword, (DWORD)strlen(lpszPassword));
    return crypt.MakeVerifier(pCipher.get());
}

Bytes CheckBlockOf(CCryptDLLHandler& crypt, LPCSTR lpszPassword)
{
    const CSecureBytes block = crypt.MakeCheckBlock(lpszPassword, (DWORD)strlen(lpszPassword));
    return Bytes(block.begin(), block.end());
}

CTempFilesWatch::CTempFilesWatch() : m_before(ListQlcTempFiles())
{
}

std::vector<std::string> CTempFilesWatch::Added() const
{
    std::vector<std::string> added;
    for (const std::string& name : ListQlcTempFiles())
    {
        if (std::find(m_before.begin(), m_before.end(), name) == m_before.end())
            added.push_back(name);
    }
    return added;
}
