// The Find in Nodes benchmark: the search worker over a notebook of big
// notes (content) and one of many small nodes (titles), served by this
// thread as the window's interface thread serves it. It reports the time to
// the end of each search (one worker: one core), how long the interface
// thread was busy at a stretch and how long its tick waited for the lock
// (the window's responsiveness).
//
//   qlcfindbench [--notes N] [--nodes M] [--dir FOLDER] [--remake] [--smoke] [--stages]
//
// The notebooks are made by the notebook core on the first run (notes of
// about 60 KB RTF each, stored compressed) and kept in FOLDER (default
// bench-data beside the program). --smoke runs small sizes and only checks
// that every search finds what it must. Exit status 0 when every search found
// exactly the nodes it must. --stages first shows where a content search's
// time goes.
#include "app/CFindNodesQuery.h"
#include "app/CFindNodesState.h"
#include "app/CRtfTextReader.h"

#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CScopedHandle.h"
#include "framework/base/CSingleLock.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const size_t kNoteBytes = 60 * 1024;
// Every this many notes one holds the rare word; every note holds the common
// one.
const unsigned kRareEvery = 100;
const char kRareWord[] = "zeppelin";

unsigned long long Next(unsigned long long& seed)
{
    unsigned long long z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

const std::vector<std::string>& Vocabulary()
{
    static std::vector<std::string> s_words;
    if (s_words.empty())
    {
        static const char* const kSyllables[] = { "ka", "lo", "min", "tre", "sa", "vu", "del", "or", "pi", "nes",
                                                  "ta", "ro", "gel", "um", "fa", "ri", "bo", "chen", "dal", "fin",
                                                  "gra", "hu", "is", "jo", "kel", "lan", "mo", "nu", "op", "pra" };
        unsigned long long seed = 0xC0FFEEull;
        for (int i = 0; i < 2000; ++i)
        {
            std::string word;
            const unsigned n = 1 + (unsigned)(Next(seed) % 3);
            for (unsigned j = 0; j < n; ++j)
                word += kSyllables[Next(seed) % 30];
            s_words.push_back(word);
        }
    }
    return s_words;
}

// About nBytes of RTF prose with bold and italic runs, paragraphs and
// accented letters.
std::string MakeRtf(unsigned long long& seed, size_t nBytes, bool bRare)
{
    const std::vector<std::string>& words = Vocabulary();
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times;}}"
                      "{\\colortbl;\\red0\\green0\\blue128;}\\f0\\fs20 The garden ";
    const size_t nRareAt = bRare ? (size_t)(Next(seed) % (nBytes / 2)) : (size_t)-1;
    bool bRarePlaced = false;
    unsigned nWord = 0;
    while (rtf.size() < nBytes)
    {
        const unsigned r = (unsigned)(Next(seed) % 100);
        if (r < 3)
            rtf += "{\\b " + words[Next(seed) % words.size()] + "} ";
        else if (r < 5)
            rtf += "{\\i\\cf1 " + words[Next(seed) % words.size()] + "} ";
        else if (r < 6)
            rtf += "caf\\'e9 ";
        else
            rtf += words[Next(seed) % words.size()] + " ";
        if (++nWord % 90 == 0)
            rtf += "\\par\r\n";
        if (!bRarePlaced && rtf.size() >= nRareAt)
        {
            rtf += std::string("{\\b ") + kRareWord + "} ";
            bRarePlaced = true;
        }
    }
    rtf += "\\par}";
    return rtf;
}

bool AddNote(CQuillcrestDoc& doc, const char* pszName, DWORD dwParentId, const std::string& rtf)
{
    CQlcNode node;
    if (!node.Create(&doc, QLC_NODE_NOTE, pszName, dwParentId))
        return false;
    if (rtf.empty())
        return true;
    CQlcNodeData* pData = node.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return false;
    pData->Put((const BYTE*)rtf.data(), (UINT)rtf.size());
    return pData->Flush() != FALSE;
}

DWORD AddFolder(CQuillcrestDoc& doc, const char* pszName, DWORD dwParentId)
{
    CQlcNode node;
    node.Create(&doc, QLC_NODE_FOLDER, pszName, dwParentId);
    return node.GetId();
}

double Now()
{
    static LARGE_INTEGER s_freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)s_freq.QuadPart;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// n notes of about 60 KB in folders of 20.
bool MakeNotesNotebook(const std::string& path, unsigned nNotes)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return false;
    unsigned long long seed = 42;
    DWORD dwFolder = 0;
    for (unsigned i = 0; i < nNotes; ++i)
    {
        char szName[64];
        if (i % 20 == 0)
        {
            std::snprintf(szName, sizeof(szName), "Folder %u", i / 20);
            dwFolder = AddFolder(doc, szName, 0);
        }
        std::snprintf(szName, sizeof(szName), "Note %u", i);
        if (!AddNote(doc, szName, dwFolder, MakeRtf(seed, kNoteBytes, i % kRareEvery == 0)))
            return false;
    }
    return doc.OnSaveDocument(path.c_str()) != FALSE;
}

// n small nodes: folders of 50 notes without text.
bool MakeNodesNotebook(const std::string& path, unsigned nNodes)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return false;
    DWORD dwFolder = 0;
    for (unsigned i = 0; i < nNodes; ++i)
    {
        char szName[64];
        if (i % 51 == 0)
        {
            std::snprintf(szName, sizeof(szName), "Group %u", i / 51);
            dwFolder = AddFolder(doc, szName, 0);
            continue;
        }
        std::snprintf(szName, sizeof(szName), "Node %u of the %s list", i, i % kRareEvery == 1 ? kRareWord : "plain");
        if (!AddNote(doc, szName, dwFolder, std::string()))
            return false;
    }
    return doc.OnSaveDocument(path.c_str()) != FALSE;
}

struct SearchFigures
{
    size_t nFound = 0;
    double dSeconds = 0;
    double dLongestUiCall = 0; // seconds
    double dLongestLockWait = 0;
    unsigned nUiCalls = 0;
    LONG nWorkerLocks = 0;
};

// Runs one search as the window does: this thread serves the worker's calls
// and, every 50 ms, takes the lock as the window's tick does and empties the
// found list.
bool RunSearch(CQuillcrestDoc& doc, const char* pszQuery, int nMode, int nScopes, SearchFigures& figures)
{
    CFindNodesStatePtr pState = std::make_shared<CFindNodesState>();
    {
        CSingleLock lock(&pState->m_mutex, TRUE);
        pState->m_strQuery = pszQuery;
        pState->m_nMode = nMode;
        pState->m_nScopes = nScopes;
        pState->m_pDoc = &doc;
        pState->m_bDone = FALSE;
    }
    const double dStart = Now();
    CFindNodesStatePtr* pParam = new CFindNodesStatePtr(pState);
    CWinThread* pThread = AfxBeginThread(FindNodesThreadProc, pParam, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (pThread == nullptr)
    {
        delete pParam;
        return false;
    }
    HANDLE hThread = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread, ::GetCurrentProcess(), &hThread, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    CScopedHandle thread(hThread);
    pThread->ResumeThread();

    double dNextTick = dStart + 0.05;
    for (;;)
    {
        const DWORD dwWait = ::MsgWaitForMultipleObjects(1, &hThread, FALSE, 5, QS_SENDMESSAGE);
        if (dwWait == WAIT_OBJECT_0 + 1)
        {
            const double t0 = Now();
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            const double dCall = Now() - t0;
            figures.nUiCalls++;
            if (dCall > figures.dLongestUiCall)
                figures.dLongestUiCall = dCall;
        }
        if (Now() >= dNextTick || dwWait == WAIT_OBJECT_0)
        {
            dNextTick = Now() + 0.05;
            const double t0 = Now();
            CSingleLock lock(&pState->m_mutex);
            if (lock.Lock(100))
            {
                const double dWaited = Now() - t0;
                if (dWaited > figures.dLongestLockWait)
                    figures.dLongestLockWait = dWaited;
                figures.nFound += (size_t)pState->m_found.GetCount();
                pState->m_found.RemoveAll();
                if (pState->m_bDone)
                    break;
            }
            else
                figures.dLongestLockWait = 0.1;
        }
    }
    figures.dSeconds = Now() - dStart;
    ::WaitForSingleObject(hThread, INFINITE);
    figures.nWorkerLocks = pState->GetWorkerLockCount();
    return true;
}

bool Report(const char* pszName, CQuillcrestDoc& doc, const char* pszQuery, int nMode, int nScopes, size_t nExpected)
{
    SearchFigures figures;
    if (!RunSearch(doc, pszQuery, nMode, nScopes, figures))
    {
        std::printf("%-34s could not start\n", pszName);
        return false;
    }
    const bool bRight = figures.nFound == nExpected;
    std::printf("%-34s %8.3f s  found %7zu%s  longest UI call %6.1f ms  longest lock wait %5.1f ms  UI calls %5u  "
                "worker locks %5ld\n",
                pszName, figures.dSeconds, figures.nFound, bRight ? "" : " (WRONG)",
                figures.dLongestUiCall * 1000, figures.dLongestLockWait * 1000, figures.nUiCalls,
                (long)figures.nWorkerLocks);
    std::fflush(stdout);
    return bRight;
}

bool Open(CQuillcrestDoc& doc, const std::string& path)
{
    const double t0 = Now();
    if (!doc.Data_OpenNotebookFile(path.c_str()) || doc.Data_ReadFile() != 1)
    {
        std::printf("cannot read %s\n", path.c_str());
        return false;
    }
    std::printf("read %-40s %8.3f s (%d nodes)\n", path.c_str(), Now() - t0, (int)doc.GetNodeTable().GetCount());
    return true;
}

// Where a content search's time goes, stage by stage, over the first 2,000
// notes: copying the stored bytes out, inflating, reading the RTF, folding
// and comparing.
void ReportStages(CQuillcrestDoc& doc)
{
    CFindNodesState state;
    state.m_pDoc = &doc;
    std::vector<DWORD> ids;
    for (POSITION pos = doc.GetNodeTable().GetStartPosition(); pos != nullptr && ids.size() < 2000;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        doc.GetNodeTable().GetNextAssoc(pos, dwId, node);
        if (node.nType == QLC_NODE_NOTE)
            ids.push_back(dwId);
    }
    // Each stage three times; the fastest counts (the machine may be busy).
    double dRead = 1e9, dInflate = 1e9, dParse = 1e9, dMatch = 1e9;
    std::vector<CFindNodesState::CPayload> payloads;
    std::vector<std::vector<BYTE>> plain;
    std::vector<std::wstring> texts;
    size_t nPlain = 0;
    CRtfTextReader reader;
    CFindNodesQuery query;
    query.Set("quixotic xylograph", CFindNodesQuery::modeAnyWord);
    for (int nRound = 0; nRound < 3; ++nRound)
    {
        payloads.clear();
        double t0 = Now();
        state.TakePayloads(ids, (size_t)-1, payloads);
        dRead = std::min(dRead, Now() - t0);
        plain.assign(payloads.size(), std::vector<BYTE>());
        nPlain = 0;
        t0 = Now();
        for (size_t i = 0; i < payloads.size(); ++i)
        {
            CFindNodesState::DecodePayload(payloads[i], plain[i]);
            nPlain += plain[i].size();
        }
        dInflate = std::min(dInflate, Now() - t0);
        texts.assign(payloads.size(), std::wstring());
        t0 = Now();
        for (size_t i = 0; i < payloads.size(); ++i)
            reader.Read(plain[i].data(), plain[i].size(), texts[i], CFindNodesQuery::GetFoldTable());
        dParse = std::min(dParse, Now() - t0);
        t0 = Now();
        int nMatches = 0;
        for (const std::wstring& text : texts)
            nMatches += query.MatchesFoldedText(text);
        dMatch = std::min(dMatch, Now() - t0);
    }
    std::printf("stages over %zu notes (%.0f MB of RTF): copy out %.3f s, inflate %.3f s, read and fold RTF %.3f s, "
                "compare two words %.3f s\n",
                payloads.size(), nPlain / 1e6, dRead, dInflate, dParse, dMatch);
}

} // namespace

int main(int argc, char** argv)
{
    unsigned nNotes = 10000, nNodes = 100000;
    bool bRemake = false;
    bool bStages = false;
    std::string dir;
    for (int i = 1; i < argc; ++i)
    {
        if (!std::strcmp(argv[i], "--notes") && i + 1 < argc)
            nNotes = (unsigned)std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--nodes") && i + 1 < argc)
            nNodes = (unsigned)std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc)
            dir = argv[++i];
        else if (!std::strcmp(argv[i], "--remake"))
            bRemake = true;
        else if (!std::strcmp(argv[i], "--stages"))
            bStages = true;
        else if (!std::strcmp(argv[i], "--smoke"))
        {
            nNotes = 300;
            nNodes = 3000;
        }
        else
        {
            std::fprintf(stderr,
                         "usage: qlcfindbench [--notes N] [--nodes M] [--dir FOLDER] [--remake] [--smoke] [--stages]\n");
            return 2;
        }
    }
    if (dir.empty())
        dir = "bench-data";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    if (!CUiChannel::Create())
    {
        std::printf("no channel to the interface thread\n");
        return 1;
    }

    const std::string notesPath = dir + "\\find-notes-" + std::to_string(nNotes) + ".qlc";
    const std::string nodesPath = dir + "\\find-nodes-" + std::to_string(nNodes) + ".qlc";
    const auto makeIfMissing = [bRemake](const std::string& path, bool (*pfnMake)(const std::string&, unsigned),
                                          unsigned nSize) {
        if (!bRemake && Exists(path))
            return true;
        const double t0 = Now();
        if (!pfnMake(path, nSize))
        {
            std::printf("cannot make %s\n", path.c_str());
            return false;
        }
        std::printf("made %-40s %8.3f s\n", path.c_str(), Now() - t0);
        return true;
    };
    if (!makeIfMissing(notesPath, &MakeNotesNotebook, nNotes) || !makeIfMissing(nodesPath, &MakeNodesNotebook, nNodes))
        return 1;

    bool bRight = true;
    const int kTitles = CFindNodesState::scopeTitles, kKeywords = CFindNodesState::scopeKeywords,
              kContent = CFindNodesState::scopeContent;
    {
        CQuillcrestDoc doc;
        if (!Open(doc, notesPath))
            return 1;
        if (bStages)
            ReportStages(doc);
        const size_t nRare = (nNotes + kRareEvery - 1) / kRareEvery;
        std::printf("notes: %u of about %u KB RTF (about %u MB)\n", nNotes, (unsigned)(kNoteBytes / 1024),
                    (unsigned)((unsigned long long)nNotes * kNoteBytes >> 20));
        bRight &= Report("content, all words, rare", doc, "ZEPPELIN garden", 0, kContent, nRare);
        bRight &= Report("content, any word, none there", doc, "quixotic xylograph", 1, kContent, 0);
        bRight &= Report("content, phrase, every note", doc, "the garden", 2, kContent, nNotes);
        bRight &= Report("all scopes, any word, rare", doc, "zeppelin", 1, kTitles | kKeywords | kContent, nRare);
    }
    {
        CQuillcrestDoc doc;
        if (!Open(doc, nodesPath))
            return 1;
        size_t nRare = 0, nNotesIn = 0;
        for (unsigned i = 0; i < nNodes; ++i)
        {
            if (i % 51 != 0)
            {
                nNotesIn++;
                if (i % kRareEvery == 1)
                    nRare++;
            }
        }
        std::printf("nodes: %u\n", nNodes);
        bRight &= Report("titles, any word, rare", doc, "zeppelin", 1, kTitles, nRare);
        bRight &= Report("titles, all words, every note", doc, "list node", 0, kTitles, nNotesIn);
        bRight &= Report("titles and keywords, none there", doc, "quixotic", 0, kTitles | kKeywords, 0);
    }
    CUiChannel::Destroy();
    std::printf(bRight ? "every search found what it must\n" : "SOME SEARCH FOUND THE WRONG NODES\n");
    return bRight ? 0 : 1;
}
