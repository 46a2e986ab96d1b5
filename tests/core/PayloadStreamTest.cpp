// Node payload streams: the three stored layouts, byte for byte, at the
// sizes around the piece boundaries; the chunk rule; old and uncompressed
// enciphered payloads; damaged payloads; the stream records and the
// rich-text callbacks.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CFileException.h"

#include "CryptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const size_t kSizes[] = { 0, 1, 16383, 16384, 16385, 200000 };

enum ELayout
{
    kPlain,
    kCompressed,
    kEncipheredAes,
    kEncipheredBlowfish
};

const char* LayoutName(ELayout e)
{
    switch (e)
    {
    case kPlain: return "plain";
    case kCompressed: return "compressed";
    case kEncipheredAes: return "enciphered AES";
    default: return "enciphered Blowfish";
    }
}

DWORD RoundUp(size_t n, DWORD dwBlock)
{
    return (DWORD)((n + dwBlock - 1) / dwBlock * dwBlock);
}

// Mixed data: text with stretches of noise, so gzip output has no size a
// test could fit by luck.
Bytes MixedBytes(size_t n, DWORD dwSeed)
{
    Bytes b = TextBytes(n, dwSeed);
    const Bytes noise = NoiseBytes(n, dwSeed);
    for (size_t i = 0; i < n; ++i)
        if ((i / 1000) % 3 == 1)
            b[i] = noise[i];
    return b;
}

DWORD WorkFileEnd(const CQuillcrestDoc& doc)
{
    LARGE_INTEGER li = {};
    GetFileSizeEx(doc.Data_GetWorkHandle(), &li);
    return (DWORD)li.QuadPart;
}

// A new encrypted foreign-data node (no payload yet), its password remembered.
DWORD AddEncryptedNode(CQuillcrestDoc& doc, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword)
{
    CQlcNode node;
    node.Create(&doc, QLC_NODE_FOREIGN, "secret", 0);
    EXPECT_TRUE(node.SetEncryption(dwCipher, dwKeyLength, dwHash, lpszPassword, (DWORD)strlen(lpszPassword),
                                   nullptr, 0));
    return node.GetId();
}

// A node with hand-made stored bytes and encryption fields.
DWORD AddRawNode(CQuillcrestDoc& doc, const Bytes& stored, DWORD dwFlags, DWORD dwPlainSize, DWORD dwCipher = 0,
                 DWORD dwHash = 0, DWORD dwKeyLength = 0, DWORD dwVerifierLength = 0)
{
    const DWORD dwId = AddNode(doc, QLC_NODE_FOREIGN, "raw");
    AppendPayload(doc, dwId, stored, dwFlags);
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    node.dwPlainSize = dwPlainSize;
    node.dwCipherId = dwCipher;
    node.dwHashId = dwHash;
    node.dwKeyLength = dwKeyLength;
    node.dwVerifierLength = dwVerifierLength;
    doc.Data_SetNode(dwId, node);
    return dwId;
}

// An enciphered payload made by the test: verifier, header, check block and
// the gzip (or raw) bytes enciphered by the chunk rule.
Bytes MakeEnvelope(CCryptDLLHandler& crypt, DWORD dwCipher, DWORD dwHash, DWORD dwKeyLength, LPCSTR lpszPassword,
                   const Bytes& data, BOOL bOldHeader)
{
    const Bytes verifier = VerifierOf(crypt, dwCipher, dwHash, dwKeyLength, lpszPassword);
    const Bytes cipher = EncipherChunks(crypt, dwCipher, dwHash, dwKeyLength, lpszPassword, data);
    CByteBuilder b;
    b.Raw(verifier);
    if (bOldHeader)
        b.U32(12).U32((DWORD)cipher.size()).U32((DWORD)data.size());
    else
    {
        const Bytes check = CheckBlockOf(crypt, lpszPassword);
        b.U32(24).U32((DWORD)cipher.size()).U32((DWORD)data.size()).U32((DWORD)check.size()).U32(0).U32(0);
        b.Raw(check);
    }
    b.Raw(cipher);
    return b.Get();
}

// Gives the test access to a payload object's state.
class CProbeNodeData : public CQlcNodeData
{
public:
    using CQlcNodeData::m_bOpen;
    using CQlcNodeData::m_lpBuffer;
    using CQlcNodeData::m_nOpenMode;
    using CQlcNodeData::m_nReadMode;
    using CQlcNodeData::m_nWriteMode;
    using CQlcNodeData::m_stream;
    using CQlcNodeData::m_dwStreamId;
};

} // namespace

TEST(PayloadStreamTest, EveryLayoutRoundTripsAtEverySize)
{
    CCryptInstall crypt;
    ASSERT_TRUE(crypt.handler.IsLoaded());
    CTempDir dir;

    for (ELayout layout : { kPlain, kCompressed, kEncipheredAes, kEncipheredBlowfish })
    {
        for (size_t nSize : kSizes)
        {
            SCOPED_TRACE(testing::Message() << LayoutName(layout) << ", " << nSize << " bytes");
            const Bytes data = MixedBytes(nSize, (DWORD)nSize + 7);
            const BOOL bEnciphered = layout == kEncipheredAes || layout == kEncipheredBlowfish;
            const DWORD dwCipher = layout == kEncipheredAes ? kAes : kBlowfish;
            const DWORD dwHash = layout == kEncipheredAes ? kSha256 : kSha1;
            const DWORD dwKeyLength = layout == kEncipheredAes ? 32 : 20;
            const DWORD dwBlock = layout == kEncipheredAes ? 16 : 8;

            CQuillcrestDoc doc;
            ASSERT_TRUE(doc.OnNewDocument());
            DWORD dwId;
            if (bEnciphered)
                dwId = AddEncryptedNode(doc, dwCipher, dwHash, dwKeyLength, "Pass word");
            else
                dwId = AddNode(doc, QLC_NODE_FOREIGN, "data");
            const DWORD dwStart = WorkFileEnd(doc);
            doc.SetModified(FALSE);
            ASSERT_TRUE(WriteNodeData(doc, dwId, data, layout != kPlain));
            EXPECT_TRUE(doc.GetModifiedFlag());

            QLCNODE node;
            ASSERT_TRUE(doc.Data_GetNode(dwId, node));
            QLCDATALOC loc = {};
            ASSERT_TRUE(doc.Data_GetDataLoc(dwId, loc));
            EXPECT_EQ(1u, loc.bHasData);
            EXPECT_EQ(1u, loc.bInWorkFile);
            EXPECT_EQ(0u, loc.bTakenOver);
            EXPECT_EQ(dwStart, loc.dwOffset);
            EXPECT_EQ((DWORD)nSize, node.dwPlainSize);

            const Bytes stored = ReadStoredPayload(doc, dwId);
            ASSERT_EQ(node.dwStoredSize, stored.size());
            EXPECT_EQ(dwStart + node.dwStoredSize, WorkFileEnd(doc));
            if (layout == kPlain)
            {
                EXPECT_EQ(0u, node.dwFlags);
                EXPECT_EQ(data, stored);
            }
            else if (layout == kCompressed)
            {
                EXPECT_EQ(QLC_NODEFLAG_COMPRESSED, node.dwFlags);
                EXPECT_EQ(data, Gunzip(stored));
            }
            else
            {
                EXPECT_EQ(QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED, node.dwFlags);
                EXPECT_EQ(dwCipher, node.dwCipherId);
                const Bytes verifier = VerifierOf(crypt.handler, dwCipher, dwHash, dwKeyLength, "Pass word");
                ASSERT_EQ(verifier.size(), node.dwVerifierLength);
                const CEnvelopeParts parts = SplitEnvelope(stored, node.dwVerifierLength);
                EXPECT_EQ(verifier, parts.verifier);
                EXPECT_EQ(24u, parts.dwHeaderLength);
                EXPECT_EQ(RoundUp(parts.dwDataLength, dwBlock), parts.dwCipherLength);
                EXPECT_EQ(CheckBlockOf(crypt.handler, "Pass word"), parts.checkBlock);
                EXPECT_EQ(parts.checkBlock.size(), parts.dwCheckBlockLength);
                EXPECT_EQ(0u, parts.dwZero1);
                EXPECT_EQ(0u, parts.dwZero2);
                EXPECT_EQ(0u, parts.nTrailing);
                EXPECT_EQ(verifier.size() + 24 + parts.checkBlock.size() + parts.dwCipherLength, stored.size());
                Bytes deciphered =
                    DecipherChunks(crypt.handler, dwCipher, dwHash, dwKeyLength, "Pass word", parts.ciphertext);
                deciphered.resize(parts.dwDataLength);
                EXPECT_EQ(data, Gunzip(deciphered)); // one gzip stream, cut at its length
            }

            BOOL bDamaged = TRUE;
            EXPECT_EQ(data, ReadNodeData(doc, dwId, &bDamaged, 7000));
            EXPECT_FALSE(bDamaged);

            // Saved and read again, the payload lies in the file and decodes alike.
            const CString strPath = dir.Path("layouts.qlc");
            doc.Data_SetNotebookPath(strPath);
            ASSERT_TRUE(doc.Data_WriteFile());
            doc.Data_CloseNotebookFiles();
            CQuillcrestDoc reread;
            ASSERT_EQ(1, OpenNotebook(reread, strPath));
            ASSERT_TRUE(reread.Data_GetDataLoc(dwId, loc));
            EXPECT_EQ(0u, loc.bInWorkFile);
            EXPECT_EQ(stored, ReadStoredPayload(reread, dwId));
            if (bEnciphered)
                RememberPassword(reread, dwId, "Pass word");
            EXPECT_EQ(data, ReadNodeData(reread, dwId, &bDamaged, 16384));
            EXPECT_FALSE(bDamaged);
        }
    }
}

TEST(PayloadStreamTest, AnExactMultipleOfTheChunkGetsNoPaddingAndOneByteMoreOneBlock)
{
    CCryptInstall crypt;
    for (DWORD dwCipher : { kAes, kBlowfish })
    {
        const DWORD dwBlock = dwCipher == kAes ? 16 : 8;
        const DWORD dwChunk = dwBlock * 2048;
        for (DWORD dwTarget : { dwChunk, dwChunk + 1, 2 * dwChunk })
        {
            SCOPED_TRACE(testing::Message() << "cipher " << dwCipher << ", gzip length " << dwTarget);
            // Noise does not compress: find the length whose gzip is the target.
            Bytes data;
            for (DWORD dwSeed = 1; dwSeed < 8 && data.empty(); ++dwSeed)
            {
                long n = (long)dwTarget - 40;
                for (int i = 0; i < 40; ++i)
                {
                    const Bytes candidate = NoiseBytes((size_t)n, dwSeed);
                    const long g = (long)Gzip(candidate).size();
                    if (g == (long)dwTarget)
                    {
                        data = candidate;
                        break;
                    }
                    n += (g < (long)dwTarget) ? std::max(1L, ((long)dwTarget - g) / 2) : -std::max(1L, (g - (long)dwTarget) / 2);
                }
            }
            ASSERT_FALSE(data.empty()) << "no data found whose gzip has the length";

            CQuillcrestDoc doc;
            ASSERT_TRUE(doc.OnNewDocument());
            const DWORD dwId = AddEncryptedNode(doc, dwCipher, kSha1, 16, "chunk");
            ASSERT_TRUE(WriteNodeData(doc, dwId, data, TRUE, 65536));
            QLCNODE node;
            doc.Data_GetNode(dwId, node);
            const CEnvelopeParts parts = SplitEnvelope(ReadStoredPayload(doc, dwId), node.dwVerifierLength);
            EXPECT_EQ(dwTarget, parts.dwDataLength);
            EXPECT_EQ(RoundUp(dwTarget, dwBlock), parts.dwCipherLength);
            if (dwTarget % dwChunk == 0)
            {
                EXPECT_EQ(dwTarget, parts.dwCipherLength); // no padding at all
            }
            else
            {
                EXPECT_EQ(dwChunk + dwBlock, parts.dwCipherLength); // one padded block
            }
            EXPECT_EQ(data, ReadNodeData(doc, dwId));
        }
    }
}

TEST(PayloadStreamTest, OldHeaderAndUncompressedEncipheredPayloadsDecode)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());

    for (DWORD dwCipher : { kAes, kBlowfish })
    {
        SCOPED_TRACE(testing::Message() << "cipher " << dwCipher);
        const Bytes data = MixedBytes(40000, dwCipher);
        const DWORD dwVerifier = (DWORD)VerifierOf(crypt.handler, dwCipher, kSha1, 24, "old").size();

        // The old 12-byte header, compressed.
        const DWORD dwOld = AddRawNode(doc, MakeEnvelope(crypt.handler, dwCipher, kSha1, 24, "old", Gzip(data), TRUE),
                                       QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED, (DWORD)data.size(), dwCipher,
                                       kSha1, 24, dwVerifier);
        RememberPassword(doc, dwOld, "old");
        BOOL bDamaged = TRUE;
        EXPECT_EQ(data, ReadNodeData(doc, dwOld, &bDamaged));
        EXPECT_FALSE(bDamaged);

        // Enciphered but not compressed, with either header.
        for (BOOL bOldHeader : { FALSE, TRUE })
        {
            const DWORD dwRaw = AddRawNode(doc, MakeEnvelope(crypt.handler, dwCipher, kSha1, 24, "old", data, bOldHeader),
                                           QLC_NODEFLAG_ENCRYPTED, (DWORD)data.size(), dwCipher, kSha1, 24, dwVerifier);
            RememberPassword(doc, dwRaw, "old");
            EXPECT_EQ(data, ReadNodeData(doc, dwRaw, &bDamaged));
            EXPECT_FALSE(bDamaged);
        }
    }
}

TEST(PayloadStreamTest, AnEncipheredPayloadStopsAtItsOwnEnd)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes data = MixedBytes(50000, 3);
    const DWORD dwFirst = AddEncryptedNode(doc, kAes, kSha256, 32, "a");
    ASSERT_TRUE(WriteNodeData(doc, dwFirst, data, TRUE));
    // Another payload follows it in the work file.
    const DWORD dwSecond = AddNode(doc, QLC_NODE_NOTE, "next");
    ASSERT_TRUE(WriteNodeData(doc, dwSecond, NoiseBytes(999, 5), FALSE));
    EXPECT_EQ(data, ReadNodeData(doc, dwFirst));

    // A record whose stored size takes in bytes after the payload.
    QLCNODE node;
    doc.Data_GetNode(dwFirst, node);
    Bytes stored = ReadStoredPayload(doc, dwFirst);
    const Bytes junk = NoiseBytes(37, 9);
    stored.insert(stored.end(), junk.begin(), junk.end());
    const DWORD dwPadded = AddRawNode(doc, stored, node.dwFlags, node.dwPlainSize, node.dwCipherId, node.dwHashId,
                                      node.dwKeyLength, node.dwVerifierLength);
    RememberPassword(doc, dwPadded, "a");
    BOOL bDamaged = TRUE;
    EXPECT_EQ(data, ReadNodeData(doc, dwPadded, &bDamaged));
    EXPECT_FALSE(bDamaged);
}

TEST(PayloadStreamTest, DamagedPayloadsReadAsEmptyWithAWarning)
{
    CCryptInstall crypt;
    CLogWatch log;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes data = MixedBytes(30000, 11);
    const Bytes gz = Gzip(data);
    const DWORD dwPlain = (DWORD)data.size();

    struct CCase
    {
        const char* what;
        DWORD dwId;
    };
    std::vector<CCase> cases;

    cases.push_back({ "plain size too small", AddRawNode(doc, gz, QLC_NODEFLAG_COMPRESSED, dwPlain - 1) });
    cases.push_back({ "plain size too large", AddRawNode(doc, gz, QLC_NODEFLAG_COMPRESSED, dwPlain + 1) });
    cases.push_back({ "absurd plain size", AddRawNode(doc, gz, QLC_NODEFLAG_COMPRESSED, 0xFFFFFFF0) });
    {
        Bytes broken = gz;
        broken[broken.size() / 2] ^= 0x5A;
        cases.push_back({ "broken gzip", AddRawNode(doc, broken, QLC_NODEFLAG_COMPRESSED, dwPlain) });
        Bytes badCrc = gz;
        badCrc[badCrc.size() - 6] ^= 1;
        cases.push_back({ "bad CRC", AddRawNode(doc, badCrc, QLC_NODEFLAG_COMPRESSED, dwPlain) });
    }
    {
        // Stored size larger than what the work file holds.
        const DWORD dwId = AddRawNode(doc, gz, QLC_NODEFLAG_COMPRESSED, dwPlain);
        QLCNODE node;
        doc.Data_GetNode(dwId, node);
        node.dwStoredSize = 0x7FFFFFF0;
        doc.Data_SetNode(dwId, node);
        cases.push_back({ "stored size past the end of the file", dwId });
    }

    const Bytes verifier = VerifierOf(crypt.handler, kAes, kSha256, 32, "pw");
    const DWORD dwVerifier = (DWORD)verifier.size();
    const Bytes envelope = MakeEnvelope(crypt.handler, kAes, kSha256, 32, "pw", gz, FALSE);
    const DWORD kFlags3 = QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED;
    for (DWORD dwHeaderLength : { 7u, 0xFFFFFFFFu, 0u, 16u })
    {
        Bytes bad = envelope;
        for (int i = 0; i < 4; ++i)
            bad[dwVerifier + i] = (BYTE)(dwHeaderLength >> (8 * i));
        cases.push_back({ "header length not 12 or 24",
                          AddRawNode(doc, bad, kFlags3, dwPlain, kAes, kSha256, 32, dwVerifier) });
    }
    for (size_t nField : { 4u, 8u, 12u }) // ciphertext, gzip and check-block lengths
    {
        Bytes bad = envelope;
        for (int i = 0; i < 4; ++i)
            bad[dwVerifier + nField + i] = (BYTE)(0x7FFFFFF0u >> (8 * i));
        cases.push_back({ "a length beyond the stored size",
                          AddRawNode(doc, bad, kFlags3, dwPlain, kAes, kSha256, 32, dwVerifier) });
    }
    {
        Bytes cut = envelope;
        cut.resize(cut.size() - 16); // the header promises more ciphertext than is stored
        cases.push_back({ "ciphertext cut short", AddRawNode(doc, cut, kFlags3, dwPlain, kAes, kSha256, 32, dwVerifier) });
        cases.push_back({ "verifier longer than the payload",
                          AddRawNode(doc, envelope, kFlags3, dwPlain, kAes, kSha256, 32, (DWORD)envelope.size() + 1) });
        const Bytes raw = MakeEnvelope(crypt.handler, kAes, kSha256, 32, "pw", data, FALSE);
        cases.push_back({ "uncompressed with a wrong plain size",
                          AddRawNode(doc, raw, QLC_NODEFLAG_ENCRYPTED, dwPlain + 3, kAes, kSha256, 32, dwVerifier) });
    }
    BOOL bDamaged = FALSE;
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        RememberPassword(doc, c.dwId, "pw");
        bDamaged = FALSE;
        EXPECT_TRUE(ReadNodeData(doc, c.dwId, &bDamaged).empty());
        EXPECT_TRUE(bDamaged);
    }

    // Bytes after the gzip member (a second member, or junk) never reach the
    // buffer: the payload reads as its member holds it.
    for (const Bytes& tail : { gz, NoiseBytes(20000, 4) })
    {
        SCOPED_TRACE(tail.size());
        Bytes more = gz;
        more.insert(more.end(), tail.begin(), tail.end());
        const DWORD dwId = AddRawNode(doc, more, QLC_NODEFLAG_COMPRESSED, dwPlain);
        bDamaged = TRUE;
        EXPECT_EQ(data, ReadNodeData(doc, dwId, &bDamaged));
        EXPECT_FALSE(bDamaged);
    }

    // The right envelope reads; with a wrong password gunzip refuses it.
    const DWORD dwGood = AddRawNode(doc, envelope, kFlags3, dwPlain, kAes, kSha256, 32, dwVerifier);
    RememberPassword(doc, dwGood, "pw");
    EXPECT_EQ(data, ReadNodeData(doc, dwGood));
    RememberPassword(doc, dwGood, "wrong");
    EXPECT_TRUE(ReadNodeData(doc, dwGood, &bDamaged).empty());
    EXPECT_TRUE(bDamaged);

    // Without the library an encrypted node reads as empty, too.
    crypt.handler.Unload();
    RememberPassword(doc, dwGood, "pw");
    EXPECT_TRUE(ReadNodeData(doc, dwGood, &bDamaged).empty());
    EXPECT_TRUE(bDamaged);

    const std::string text = log.NewText();
    EXPECT_LE(cases.size(), CountOf(text, "WARNING: A node's"));
    EXPECT_NE(std::string::npos, text.find("encryption library is not available; it reads as empty."));
}

TEST(PayloadStreamTest, AnEncryptedNodeWithoutDataReadsAsEmptyWithoutError)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwId = AddEncryptedNode(doc, kAes, kSha256, 32, "pw");
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    EXPECT_EQ(0u, node.dwPlainSize);
    EXPECT_TRUE(node.dwFlags & QLC_NODEFLAG_ENCRYPTED);
    BOOL bDamaged = TRUE;
    EXPECT_TRUE(ReadNodeData(doc, dwId, &bDamaged).empty());
    EXPECT_FALSE(bDamaged);
    // An empty write gives an empty, still enciphered payload.
    ASSERT_TRUE(WriteNodeData(doc, dwId, Bytes(), TRUE));
    doc.Data_GetNode(dwId, node);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED, node.dwFlags);
    EXPECT_TRUE(ReadNodeData(doc, dwId, &bDamaged).empty());
    EXPECT_FALSE(bDamaged);
}

TEST(PayloadStreamTest, AnEncryptedNodeIsAlwaysWrittenCompressedAndEnciphered)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    // An image stored as it is, then encrypted: enciphered, not compressed.
    const Bytes jpeg = NoiseBytes(5000, 6);
    const DWORD dwId = AddNode(doc, QLC_NODE_IMAGE, "photo");
    ASSERT_TRUE(WriteNodeData(doc, dwId, jpeg, FALSE));
    ASSERT_TRUE(CQlcNode(&doc, dwId).SetEncryption(kAes, 16, kSha1, "pw", 2, nullptr, 0));
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    ASSERT_EQ(QLC_NODEFLAG_ENCRYPTED, node.dwFlags);

    // Written again uncompressed by request: the plain bytes must never be
    // stored as if they were enciphered.
    const Bytes other = NoiseBytes(7000, 7);
    ASSERT_TRUE(WriteNodeData(doc, dwId, other, FALSE));
    doc.Data_GetNode(dwId, node);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED, node.dwFlags);
    const Bytes stored = ReadStoredPayload(doc, dwId);
    EXPECT_EQ(stored.end(), std::search(stored.begin(), stored.end(), other.begin(), other.begin() + 64));
    EXPECT_EQ(other, ReadNodeData(doc, dwId));
}

TEST(PayloadStreamTest, GetHandsOutWhatIsLeftAndLogsTheFileWay)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const Bytes data = NoiseBytes(100, 2);
    const DWORD dwPlain = AddNode(doc, QLC_NODE_IMAGE, "plain");
    ASSERT_TRUE(WriteNodeData(doc, dwPlain, data, FALSE));
    const DWORD dwZipped = AddNode(doc, QLC_NODE_NOTE, "zipped");
    ASSERT_TRUE(WriteNodeData(doc, dwZipped, data, TRUE));

    for (DWORD dwId : { dwPlain, dwZipped })
    {
        CLogWatch log;
        CQlcNode node(&doc, dwId);
        CQlcNodeData* pData = node.GetDataForRead();
        ASSERT_NE(nullptr, pData);
        EXPECT_EQ(dwId == dwPlain ? CQlcNodeData::rfFile : CQlcNodeData::rfBuffer, pData->GetReadMode());
        BYTE buf[300];
        EXPECT_EQ(60u, pData->Get(buf, 60));
        EXPECT_EQ(0, memcmp(buf, data.data(), 60));
        EXPECT_EQ(40u, pData->Get(buf, 300)); // more asked than is left
        EXPECT_EQ(0, memcmp(buf, data.data() + 60, 40));
        EXPECT_EQ(0u, pData->Get(buf, 300)); // after the end
        EXPECT_EQ(0u, pData->Get(buf, 1));
        EXPECT_EQ(node.GetDataForRead(), pData); // the same object again
        const size_t nWarnings = CountOf(log.NewText(), "WARNING: Using old rfFile method in CQlcNodeData::Get function");
        EXPECT_EQ(dwId == dwPlain ? 4u : 0u, nWarnings); // once for every Get
    }
}

TEST(PayloadStreamTest, GetInBufferModeWithoutABufferWritesNothing)
{
    CLogWatch log;
    CProbeNodeData data;
    data.m_bOpen = TRUE;
    data.m_nOpenMode = CQlcNodeData::modeRead;
    data.m_nReadMode = CQlcNodeData::rfBuffer;
    data.m_stream.dwPlainSize = 100;
    BYTE buf[8];
    memset(buf, 0xCC, sizeof(buf));
    EXPECT_EQ(0u, data.Get(buf, 2));
    for (BYTE b : buf)
        EXPECT_EQ(0xCC, b);
    EXPECT_EQ(0u, data.m_stream.dwPosition);
    EXPECT_NE(std::string::npos,
              log.NewText().find("WARNING: m_lpBuffer was NULL in call to CQlcNodeData::Get with m_nReadMode := rfBuffer"));
    data.m_bOpen = FALSE;
}

TEST(PayloadStreamTest, StreamRecordsFollowTheNodeAndItsLocation)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwId = AddNode(doc, QLC_NODE_NOTE, "n");

    QLCSTREAMHANDLE handle = {};
    EXPECT_TRUE(doc.Data_OpenStream(777, FALSE, handle, TRUE));
    EXPECT_EQ(QLC_STREAM_NO_NODE, handle.dwStreamId);
    EXPECT_EQ(&doc, handle.pDoc);
    EXPECT_TRUE(doc.Data_OpenStream(dwId, FALSE, handle, TRUE));
    EXPECT_EQ(0u, handle.dwStreamId); // nothing stored to read
    EXPECT_TRUE(doc.Data_CloseStream(0));
    EXPECT_FALSE(doc.Data_CloseStream(12345));

    // Writing: at the end of the work file, compressed when asked.
    AppendPayload(doc, dwId, NoiseBytes(50, 1), 0);
    const DWORD dwEnd = WorkFileEnd(doc);
    EXPECT_TRUE(doc.Data_OpenStream(dwId, TRUE, handle, TRUE));
    const DWORD dwWriteId = handle.dwStreamId;
    EXPECT_NE(0u, dwWriteId);
    QLCSTREAM stream;
    ASSERT_TRUE(doc.Data_GetStream(dwWriteId, stream));
    EXPECT_EQ(dwEnd, stream.dwStart);
    EXPECT_EQ(doc.Data_GetWorkHandle(), stream.hFile);
    EXPECT_EQ(1u, stream.bWrite);
    EXPECT_EQ(1u, stream.bCompressed);
    EXPECT_EQ(0u, stream.dwEncrypted);
    EXPECT_EQ(0u, stream.dwCipherId);
    EXPECT_EQ(dwId, stream.dwNodeId);
    // Not asked and not compressed before: not compressed.
    EXPECT_TRUE(doc.Data_OpenStream(dwId, TRUE, handle, FALSE));
    ASSERT_TRUE(doc.Data_GetStream(handle.dwStreamId, stream));
    EXPECT_EQ(0u, stream.bCompressed);
    EXPECT_GT(handle.dwStreamId, dwWriteId); // ids only grow

    // Closing a write stream hands the node its new payload.
    ASSERT_TRUE(doc.Data_GetStream(dwWriteId, stream));
    stream.dwPosition = 30;
    stream.dwPlainSize = 90;
    stream.dwStart = 1234;
    doc.Data_SetStream(dwWriteId, stream);
    doc.SetModified(FALSE);
    EXPECT_TRUE(doc.Data_CloseStream(dwWriteId));
    EXPECT_TRUE(doc.GetModifiedFlag());
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED, node.dwFlags);
    EXPECT_EQ(30u, node.dwStoredSize);
    EXPECT_EQ(90u, node.dwPlainSize);
    QLCDATALOC loc;
    doc.Data_GetDataLoc(dwId, loc);
    EXPECT_EQ(1u, loc.bHasData);
    EXPECT_EQ(1u, loc.bInWorkFile);
    EXPECT_EQ(1234u, loc.dwOffset);
    EXPECT_TRUE(doc.Data_GetStream(dwWriteId, stream)); // closed streams stay in the table

    // Reading a node whose payload lies in the work file, and an encrypted
    // one; a key longer than the library's is refused with no stream.
    node.dwFlags = QLC_NODEFLAG_COMPRESSED | QLC_NODEFLAG_ENCRYPTED;
    node.dwCipherId = kBlowfish;
    node.dwHashId = kSha1;
    node.dwKeyLength = 57;
    doc.Data_SetNode(dwId, node);
    EXPECT_FALSE(doc.Data_OpenStream(dwId, FALSE, handle, FALSE));
    EXPECT_EQ(0u, handle.dwStreamId);
    EXPECT_FALSE(doc.Data_OpenStream(dwId, TRUE, handle, FALSE));
    EXPECT_EQ(0u, handle.dwStreamId);
    node.dwKeyLength = 56;
    doc.Data_SetNode(dwId, node);
    EXPECT_TRUE(doc.Data_OpenStream(dwId, FALSE, handle, FALSE));
    ASSERT_TRUE(doc.Data_GetStream(handle.dwStreamId, stream));
    EXPECT_EQ(1234u, stream.dwStart);
    EXPECT_EQ(doc.Data_GetWorkHandle(), stream.hFile);
    EXPECT_EQ(0u, stream.bWrite);
    EXPECT_EQ(QLC_NODEFLAG_ENCRYPTED, stream.dwEncrypted);
    EXPECT_EQ(kBlowfish, stream.dwCipherId);
    EXPECT_EQ(kSha1, stream.dwHashId);
    EXPECT_TRUE(doc.Data_CloseStream(handle.dwStreamId));
    doc.Data_GetNode(dwId, node);
    EXPECT_EQ(30u, node.dwStoredSize); // a read stream changes nothing
}

TEST(PayloadStreamTest, AStreamWithoutAFileWarnsAndFailsCleanly)
{
    CLogWatch log;
    CQuillcrestDoc doc; // a new notebook has no source file
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwId = AddNode(doc, QLC_NODE_FOREIGN, "lost");
    QLCNODE node;
    doc.Data_GetNode(dwId, node);
    node.dwStoredSize = node.dwPlainSize = 10;
    doc.Data_SetNode(dwId, node);
    const QLCDATALOC loc = { 1, 0, 0, 0 }; // "in the source file"
    doc.Data_SetDataLoc(dwId, loc);

    CQlcNode handle(&doc, dwId);
    CQlcNodeData* pData = handle.GetDataForRead();
    ASSERT_NE(nullptr, pData);
    BYTE buf[16];
    EXPECT_THROW(pData->Get(buf, sizeof(buf)), CFileException);

    // Through the rich-text callback the error ends the stream instead.
    LONG nDone = -1;
    EXPECT_NE(0u, NodeDataStreamInCallback((DWORD_PTR)pData, buf, sizeof(buf), &nDone));
    EXPECT_EQ(0, nDone);
    EXPECT_NE(std::string::npos, log.NewText().find("WARNING: A stream has been opened without a source/destination"));
}

TEST(PayloadStreamTest, RichTextCallbacksForwardToGetAndPut)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwId = AddNode(doc, QLC_NODE_NOTE, "note");
    const Bytes rtf = TextBytes(70000, 4);
    {
        CQlcNode node(&doc, dwId);
        CQlcNodeData* pData = node.GetDataForWrite(TRUE);
        ASSERT_NE(nullptr, pData);
        EXPECT_EQ(CQlcNodeData::wtFilter, pData->GetWriteMode());
        Bytes block(4096);
        for (size_t i = 0; i < rtf.size(); i += block.size())
        {
            const LONG n = (LONG)std::min(block.size(), rtf.size() - i);
            memcpy(block.data(), rtf.data() + i, (size_t)n);
            LONG nDone = -1;
            EXPECT_EQ(0u, NodeDataStreamOutCallback((DWORD_PTR)pData, block.data(), n, &nDone));
            EXPECT_EQ(n, nDone);
        }
        // The handle's end flushes what was put.
    }
    QLCNODE record;
    doc.Data_GetNode(dwId, record);
    EXPECT_EQ(rtf.size(), record.dwPlainSize);
    EXPECT_EQ(QLC_NODEFLAG_COMPRESSED, record.dwFlags);

    CQlcNode node(&doc, dwId);
    CQlcNodeData* pData = node.GetDataForRead();
    Bytes back;
    BYTE buf[3000];
    for (;;)
    {
        LONG nDone = -1;
        EXPECT_EQ(0u, NodeDataStreamInCallback((DWORD_PTR)pData, buf, sizeof(buf), &nDone));
        if (nDone == 0)
            break;
        back.insert(back.end(), buf, buf + nDone);
    }
    EXPECT_EQ(rtf, back);

    // A write that fails ends the stream with an error, not an exception.
    CProbeNodeData probe;
    probe.m_bOpen = TRUE;
    probe.m_nOpenMode = CQlcNodeData::modeWrite;
    probe.m_nWriteMode = CQlcNodeData::wtFile;
    probe.m_dwStreamId = 99;
    probe.m_stream.bWrite = 0; // nothing to flush at its end
    probe.m_stream.hFile = INVALID_HANDLE_VALUE;
    probe.m_stream.dwPosition = 0xFFFFFFFA; // ten bytes more would pass 4 GB
    LONG nDone = -1;
    EXPECT_NE(0u, NodeDataStreamOutCallback((DWORD_PTR)&probe, buf, 10, &nDone));
    EXPECT_EQ(0, nDone);
    probe.m_dwStreamId = 0;
    probe.m_bOpen = FALSE;
}

TEST(PayloadStreamTest, ResetWriteStartsOverAndCloseStoresNothing)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwId = AddNode(doc, QLC_NODE_NOTE, "n");
    ASSERT_TRUE(WriteNodeData(doc, dwId, TextBytes(500, 1), TRUE));
    QLCNODE before;
    doc.Data_GetNode(dwId, before);

    {
        CQlcNode node(&doc, dwId);
        CQlcNodeData* pData = node.GetDataForWrite(TRUE);
        const Bytes junk = NoiseBytes(1000, 3);
        pData->Put(junk.data(), (UINT)junk.size());
        pData->Close(); // dropped: the node keeps its payload
        EXPECT_FALSE(pData->IsOpen());
    }
    QLCNODE after;
    doc.Data_GetNode(dwId, after);
    EXPECT_EQ(before.dwStoredSize, after.dwStoredSize);
    EXPECT_EQ(TextBytes(500, 1), ReadNodeData(doc, dwId));

    {
        CQlcNode node(&doc, dwId);
        CQlcNodeData* pData = node.GetDataForWrite(TRUE);
        const Bytes junk = NoiseBytes(1000, 3);
        pData->Put(junk.data(), (UINT)junk.size());
        pData->ResetWrite();
        const Bytes text = TextBytes(321, 8);
        pData->Put(text.data(), (UINT)text.size());
        EXPECT_TRUE(pData->Flush());
        EXPECT_FALSE(pData->Flush()); // nothing left to flush
    }
    EXPECT_EQ(TextBytes(321, 8), ReadNodeData(doc, dwId));
}

TEST(PayloadStreamTest, TwoWritersNeverShareAPlace)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    const DWORD dwA = AddNode(doc, QLC_NODE_NOTE, "a");
    const DWORD dwB = AddNode(doc, QLC_NODE_NOTE, "b");
    CQlcNode a(&doc, dwA), b(&doc, dwB);
    CQlcNodeData* pA = a.GetDataForWrite(TRUE);
    CQlcNodeData* pB = b.GetDataForWrite(TRUE);
    const Bytes textA = TextBytes(20000, 1), textB = TextBytes(30000, 2);
    pA->Put(textA.data(), (UINT)textA.size());
    pB->Put(textB.data(), (UINT)textB.size());
    ASSERT_TRUE(pA->Flush());
    ASSERT_TRUE(pB->Flush());
    EXPECT_EQ(textA, ReadNodeData(doc, dwA));
    EXPECT_EQ(textB, ReadNodeData(doc, dwB));
}
