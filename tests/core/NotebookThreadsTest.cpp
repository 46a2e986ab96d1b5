// One notebook, two threads: a worker imports while another thread reads old
// and new nodes and stores notes, as the interface thread does while an
// import runs. Every byte is checked afterwards, in memory and in the saved
// file; a watchdog turns a deadlock into a failure.
#include "core/CQlcDocLock.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CUiChannel.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace {

// Waits for threads with a deadline. A thread that does not end is a
// deadlock: the test program ends with a failure instead of hanging.
class CWatchdog
{
public:
    explicit CWatchdog(DWORD dwLimitMs) : m_dwLimitMs(dwLimitMs)
    {
        m_hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this]() {
            if (::WaitForSingleObject(m_hDone, m_dwLimitMs) == WAIT_TIMEOUT)
            {
                std::fprintf(stderr, "FAILED: the threads did not end within %lu ms (deadlock?)\n", m_dwLimitMs);
                std::fflush(stderr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
        });
    }
    ~CWatchdog()
    {
        ::SetEvent(m_hDone);
        m_thread.join();
        ::CloseHandle(m_hDone);
    }

private:
    DWORD m_dwLimitMs;
    HANDLE m_hDone;
    std::thread m_thread;
};

// Bytes that compress somewhat: runs of a few values between noise.
Bytes MakeBytes(std::mt19937& rng, size_t nSize)
{
    Bytes bytes(nSize);
    for (size_t i = 0; i < nSize;)
    {
        const size_t nRun = std::min<size_t>(nSize - i, 1 + rng() % 64);
        const BYTE b = (BYTE)rng();
        const bool bNoise = rng() % 2 == 0;
        for (size_t k = 0; k < nRun; ++k)
            bytes[i++] = bNoise ? (BYTE)rng() : b;
    }
    return bytes;
}

// A 24-bit bottom-up BMP of noise: an image the import decodes and stores as is.
Bytes MakeBmp(std::mt19937& rng, int nWidth, int nHeight)
{
    const DWORD dwStride = ((DWORD)nWidth * 3 + 3) & ~3u;
    const DWORD dwPixels = dwStride * (DWORD)nHeight;
    CByteBuilder b;
    b.U8('B').U8('M').U32(54 + dwPixels).U32(0).U32(54);
    b.U32(40).U32((DWORD)nWidth).U32((DWORD)nHeight).U16(1).U16(24).U32(0).U32(dwPixels).U32(2835).U32(2835).U32(0).U32(0);
    Bytes bytes = b.Get();
    const Bytes pixels = MakeBytes(rng, dwPixels);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

// Sizes from 10 bytes to 1 MB, spread evenly over their magnitude.
size_t SomeSize(std::mt19937& rng)
{
    const double dExponent = 1.0 + 5.0 * (double)(rng() % 10001) / 10000.0;
    return (size_t)std::pow(10.0, dExponent) + (rng() % 2 == 0 ? 0 : 48576 * (rng() % 2));
}

// The payload read as the views read it: through the node's data, in pieces.
Bytes ReadPayload(CQuillcrestDoc& doc, DWORD dwNodeId, BOOL& bDamaged)
{
    Bytes bytes;
    CQlcNode node(&doc, dwNodeId);
    CQlcNodeData* pData = node.GetDataForRead();
    bDamaged = pData == nullptr || pData->IsDamaged();
    if (bDamaged)
        return bytes;
    BYTE piece[7919];
    for (;;)
    {
        const UINT n = pData->Get(piece, sizeof(piece));
        if (n == 0)
            break;
        bytes.insert(bytes.end(), piece, piece + n);
    }
    return bytes;
}

// Stores a payload as the rich-text view stores a note.
BOOL StorePayload(CQuillcrestDoc& doc, DWORD dwNodeId, const Bytes& bytes, BOOL bCompress)
{
    CQlcNode node(&doc, dwNodeId);
    CQlcNodeData* pData = node.GetDataForWrite(bCompress);
    if (pData == nullptr)
        return FALSE;
    for (size_t i = 0; i < bytes.size(); i += 5000)
        pData->Put(bytes.data() + i, (UINT)std::min<size_t>(5000, bytes.size() - i));
    return pData->Flush();
}

// What every node of the notebook should hold, shared by the two threads.
class CExpected
{
public:
    void Set(DWORD dwNodeId, const Bytes& bytes)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bytes[dwNodeId] = bytes;
        m_ids.push_back(dwNodeId);
    }
    BOOL Pick(std::mt19937& rng, DWORD& dwNodeId, Bytes& bytes)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ids.empty())
            return FALSE;
        dwNodeId = m_ids[rng() % m_ids.size()];
        bytes = m_bytes[dwNodeId];
        return TRUE;
    }
    std::map<DWORD, Bytes> All()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }

private:
    std::mutex m_mutex;
    std::map<DWORD, Bytes> m_bytes;
    std::vector<DWORD> m_ids;
};

void ExpectHolds(CQuillcrestDoc& doc, const std::map<DWORD, Bytes>& expected, LPCSTR lpszWhen)
{
    int nWrong = 0;
    std::string strFirst;
    for (const auto& entry : expected)
    {
        BOOL bDamaged = FALSE;
        const Bytes bytes = ReadPayload(doc, entry.first, bDamaged);
        if (!bDamaged && bytes == entry.second)
            continue;
        if (nWrong++ == 0)
            strFirst = "node " + std::to_string(entry.first) + (bDamaged ? " damaged" : "") + ", " +
                       std::to_string(bytes.size()) + " bytes for " + std::to_string(entry.second.size());
    }
    EXPECT_EQ(0, nWrong) << "nodes with wrong content " << lpszWhen << " (of " << expected.size() << "), first "
                         << strFirst;
}

struct CHolderArgs
{
    CQlcDocLock* pLock;
    HANDLE hHolding;
};

// Takes the lock and never lets go, as a worker stopped mid-operation would.
DWORD WINAPI HoldLockForever(LPVOID pParam)
{
    CHolderArgs* p = static_cast<CHolderArgs*>(pParam);
    p->pLock->Lock();
    ::SetEvent(p->hHolding);
    ::Sleep(INFINITE);
    return 0;
}

} // namespace

TEST(NotebookThreadsTest, AnImportAgainstReadsAndNoteSavesOnAnotherThreadKeepsEveryByte)
{
    CTempDir dir;
    std::mt19937 rng(29);

    // A notebook with notes in its file and more in the work file.
    const CString strPath = dir.Path("shared.qlc");
    CExpected expected;
    std::vector<DWORD> notes; // the other thread stores these again and again
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        for (int i = 0; i < 12; ++i)
        {
            const DWORD dwId = AddNode(doc, QLC_NODE_NOTE, "note");
            const Bytes bytes = MakeBytes(rng, SomeSize(rng));
            ASSERT_TRUE(StorePayload(doc, dwId, bytes, i % 3 != 0));
        }
        ASSERT_TRUE(doc.OnSaveDocument(strPath));
    }
    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, strPath));
    {
        CQlcDocLock::CScoped lock(doc.GetLock());
        for (const CQlcNodeMap::CPair* p = doc.GetNodeTable(lock).PGetFirstAssoc(); p != nullptr;
             p = doc.GetNodeTable(lock).PGetNextAssoc(p))
            notes.push_back(p->key);
    }
    ASSERT_EQ(12u, notes.size());
    for (DWORD dwId : notes)
    {
        BOOL bDamaged = FALSE;
        expected.Set(dwId, ReadPayload(doc, dwId, bDamaged));
        ASSERT_FALSE(bDamaged);
    }
    for (int i = 0; i < 6; ++i)
    {
        const DWORD dwId = AddNode(doc, QLC_NODE_NOTE, "work note");
        const Bytes bytes = MakeBytes(rng, SomeSize(rng));
        ASSERT_TRUE(StorePayload(doc, dwId, bytes, i % 2));
        expected.Set(dwId, bytes);
        notes.push_back(dwId);
    }

    // The files to import: foreign data (stored compressed) and pictures
    // (stored as they are), 10 bytes to 1 MB.
    struct CFile
    {
        CString strPath;
        int nType;
        BOOL bCompress;
        Bytes bytes;
    };
    std::vector<CFile> files;
    for (int i = 0; i < 30; ++i)
    {
        CFile file;
        char szName[32];
        if (i % 3 == 2)
        {
            const int nSide = 2 + (int)(rng() % 580);
            file.bytes = MakeBmp(rng, nSide, 1 + (int)(rng() % 580));
            std::snprintf(szName, sizeof(szName), "picture%02d.bmp", i);
            file.nType = QLC_NODE_IMAGE;
            file.bCompress = FALSE;
        }
        else
        {
            file.bytes = MakeBytes(rng, i == 0 ? 10 : i == 1 ? 1024 * 1024 : SomeSize(rng));
            std::snprintf(szName, sizeof(szName), "data%02d.bin", i);
            file.nType = QLC_NODE_FOREIGN;
            file.bCompress = TRUE;
        }
        file.strPath = dir.Path(szName);
        WriteFileBytes(file.strPath, file.bytes);
        files.push_back(file);
    }

    const int kRounds = 5;
    std::atomic<bool> bImportDone(false);
    std::atomic<int> nImportFailures(0), nWrongReads(0), nReads(0), nStores(0), nStoreFailures(0);
    {
        CWatchdog watchdog(600000);
        std::thread importer([&]() {
            for (int nRound = 0; nRound < kRounds; ++nRound)
            {
                for (const CFile& file : files)
                {
                    const DWORD dwId = doc.Data_AddFromFile(file.strPath, file.nType, 0, file.bCompress);
                    if (dwId == 0)
                    {
                        ++nImportFailures;
                        continue;
                    }
                    expected.Set(dwId, file.bytes);
                }
            }
            bImportDone = true;
        });
        std::thread other([&]() {
            std::mt19937 own(30);
            Bytes bytes;
            while (!bImportDone.load())
            {
                DWORD dwId = 0;
                if (own() % 8 == 0)
                {
                    // A note stored again, as the view does on a node change.
                    dwId = notes[own() % notes.size()];
                    const Bytes newBytes = MakeBytes(own, SomeSize(own) / 4);
                    if (StorePayload(doc, dwId, newBytes, own() % 2))
                    {
                        expected.Set(dwId, newBytes);
                        ++nStores;
                    }
                    else
                        ++nStoreFailures;
                    continue;
                }
                if (!expected.Pick(own, dwId, bytes))
                    continue;
                // Only this thread stores notes: what it read is what it
                // stored last, and the importer's nodes never change.
                BOOL bDamaged = FALSE;
                if (ReadPayload(doc, dwId, bDamaged) != bytes || bDamaged)
                    ++nWrongReads;
                ++nReads;
            }
        });
        importer.join();
        other.join();
    }

    EXPECT_EQ(0, nImportFailures.load());
    EXPECT_EQ(0, nStoreFailures.load());
    EXPECT_EQ(0, nWrongReads.load()) << "of " << nReads.load() << " reads";
    EXPECT_GT(nReads.load(), 0);
    EXPECT_GT(nStores.load(), 0);

    const std::map<DWORD, Bytes> all = expected.All();
    ASSERT_EQ(notes.size() + files.size() * kRounds, all.size());
    EXPECT_EQ((INT_PTR)all.size(), doc.Data_GetNodeCount());
    ExpectHolds(doc, all, "in memory");

    // Saved and read back: the file holds them all.
    ASSERT_TRUE(doc.OnSaveDocument(strPath));
    ExpectHolds(doc, all, "after the save");
    // Ids are renumbered in table order by the save: compare by order.
    std::vector<DWORD> oldOrder;
    {
        CQlcDocLock::CScoped lock(doc.GetLock());
        for (const CQlcNodeMap::CPair* p = doc.GetNodeTable(lock).PGetFirstAssoc(); p != nullptr;
             p = doc.GetNodeTable(lock).PGetNextAssoc(p))
            oldOrder.push_back(p->key);
    }
    doc.Data_ReleaseFiles();
    CQuillcrestDoc reread;
    ASSERT_EQ(1, OpenNotebook(reread, strPath));
    ASSERT_EQ((INT_PTR)all.size(), reread.Data_GetNodeCount());
    // The writer numbers the nodes 1, 2, 3 ... in table order.
    std::map<DWORD, Bytes> reExpected;
    for (size_t i = 0; i < oldOrder.size(); ++i)
        reExpected[(DWORD)i + 1] = all.at(oldOrder[i]);
    ExpectHolds(reread, reExpected, "in the saved file");
}

TEST(NotebookThreadsTest, TheLockIsRecursiveAndATerminatedHolderCanBeReleased)
{
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcDocLock& lock = doc.GetLock();

    // Held by one thread, the same thread may take it again; others wait.
    std::atomic<bool> bOtherGotIt(false);
    {
        CQlcDocLock::CScoped outer(lock);
        {
            CQlcDocLock::CScoped inner(lock);
            EXPECT_TRUE(lock.IsHeldByCurrentThread());
        }
        EXPECT_TRUE(lock.IsHeldByCurrentThread());
        std::thread other([&]() {
            CQlcDocLock::CScoped taken(lock);
            bOtherGotIt = true;
        });
        // The other thread is counted as waiting before the lock goes.
        for (int i = 0; i < 2000 && lock.GetWaitCount() == 0; ++i)
            ::Sleep(1);
        EXPECT_EQ(1, lock.GetWaitCount());
        EXPECT_FALSE(bOtherGotIt.load());
        outer.Unlock();
        other.join();
    }
    EXPECT_TRUE(bOtherGotIt.load());
    EXPECT_FALSE(lock.IsHeldByCurrentThread());

    // A worker terminated while it holds the lock: the notebook takes it
    // back and counts as possibly damaged.
    HANDLE hHolding = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CHolderArgs args = { &lock, hHolding };
    DWORD dwThreadId = 0;
    HANDLE hThread = ::CreateThread(nullptr, 0, HoldLockForever, &args, 0, &dwThreadId);
    ASSERT_NE(nullptr, hThread);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hHolding, 10000));
    ::TerminateThread(hThread, (DWORD)-1);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hThread, 10000));
    ::CloseHandle(hThread);
    ::CloseHandle(hHolding);

    EXPECT_FALSE(doc.IsPossiblyDamaged());
    doc.Data_RecoverFromTerminatedThread(dwThreadId);
    EXPECT_TRUE(doc.IsPossiblyDamaged());
    EXPECT_TRUE(doc.GetModifiedFlag());
    // Free again: this thread and another one take it.
    std::thread after([&]() { EXPECT_NE(0u, doc.Data_NewNodeId()); });
    after.join();
    EXPECT_EQ(1, doc.Data_GetNodeCount());
}

TEST(NotebookThreadsTest, AThreadHoldingTheLockIsOneThatMustNotWaitForTheInterfaceThread)
{
    // The channel refuses such a thread's calls (tested with the channel).
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_FALSE(CUiChannel::InNoWaitRegion());
    {
        CQlcDocLock::CScoped lock(doc.GetLock());
        EXPECT_TRUE(CUiChannel::InNoWaitRegion());
        {
            CQlcDocLock::CScoped again(doc.GetLock());
            EXPECT_TRUE(CUiChannel::InNoWaitRegion());
        }
        EXPECT_TRUE(CUiChannel::InNoWaitRegion());
    }
    EXPECT_FALSE(CUiChannel::InNoWaitRegion());
    // Every operation lets go of it again.
    doc.Data_NewNodeId();
    EXPECT_FALSE(CUiChannel::InNoWaitRegion());
}
