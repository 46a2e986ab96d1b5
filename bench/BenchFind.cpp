#include "BenchFind.h"

#include "BenchNotebooks.h"

#include "app/CFindNodesState.h"

#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CScopedHandle.h"
#include "framework/base/CSingleLock.h"
#include "framework/base/CUiChannel.h"
#include "framework/base/CWinThread.h"

#include <algorithm>
#include <cstdio>

namespace {

const size_t kNoteBytes = 60 * 1024;
// Every this many nodes one holds the rare word (which the made-up words
// never spell); every note starts with the common phrase.
const unsigned kRareEvery = 100;
const char kRareWord[] = "zeppelin";
const char kCommonPhrase[] = "The garden ";

double Now()
{
    LARGE_INTEGER f, t;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)f.QuadPart;
}

bool AddNode(CQuillcrestDoc& doc, BYTE nType, const char* pszName, DWORD dwParentId, const std::string& rtf,
             DWORD& dwId)
{
    CQlcNode node;
    if (!node.Create(&doc, nType, pszName, dwParentId))
        return false;
    dwId = node.GetId();
    if (rtf.empty())
        return true;
    CQlcNodeData* pData = node.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return false;
    pData->Put((const BYTE*)rtf.data(), (UINT)rtf.size());
    return pData->Flush() != FALSE;
}

// A note's RTF: the common phrase first, the rare word in bold somewhere in
// the first half when asked for.
std::string NoteRtf(unsigned long long& seed, bool bRare)
{
    std::string rtf = MakeRtf(seed, kNoteBytes);
    const size_t iText = rtf.find("\\fs20 ");
    if (iText != std::string::npos)
        rtf.insert(iText + 6, kCommonPhrase);
    if (bRare)
    {
        const size_t iSpace = rtf.find(' ', rtf.size() / 4 + (size_t)(seed % (rtf.size() / 4)));
        if (iSpace != std::string::npos)
            rtf.insert(iSpace + 1, std::string("{\\b ") + kRareWord + "} ");
    }
    return rtf;
}

// n notes of about 60 KB in folders of 20.
bool MakeNotesNotebook(const std::string& path, unsigned nNotes)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return false;
    unsigned long long seed = 42;
    DWORD dwFolder = 0, dwId = 0;
    for (unsigned i = 0; i < nNotes; ++i)
    {
        char szName[64];
        if (i % 20 == 0)
        {
            std::snprintf(szName, sizeof(szName), "Folder %u", i / 20);
            if (!AddNode(doc, QLC_NODE_FOLDER, szName, 0, std::string(), dwFolder))
                return false;
        }
        std::snprintf(szName, sizeof(szName), "Note %u", i);
        if (!AddNode(doc, QLC_NODE_NOTE, szName, dwFolder, NoteRtf(seed, i % kRareEvery == 0), dwId))
            return false;
    }
    return doc.OnSaveDocument(path.c_str()) != FALSE;
}

// Folders of 50 notes without text; every 51st node is a folder.
bool IsNodesFolder(unsigned i)
{
    return i % 51 == 0;
}

bool MakeNodesNotebook(const std::string& path, unsigned nNodes)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return false;
    DWORD dwFolder = 0, dwId = 0;
    for (unsigned i = 0; i < nNodes; ++i)
    {
        char szName[64];
        if (IsNodesFolder(i))
        {
            std::snprintf(szName, sizeof(szName), "Group %u", i / 51);
            if (!AddNode(doc, QLC_NODE_FOLDER, szName, 0, std::string(), dwFolder))
                return false;
            continue;
        }
        std::snprintf(szName, sizeof(szName), "Node %u of the %s list", i, i % kRareEvery == 1 ? kRareWord : "plain");
        if (!AddNode(doc, QLC_NODE_NOTE, szName, dwFolder, std::string(), dwId))
            return false;
    }
    return doc.OnSaveDocument(path.c_str()) != FALSE;
}

// Made under a temporary name, so a stopped run leaves no half notebook.
bool MakeIfMissing(const std::string& path, bool bRemake, bool (*pfnMake)(const std::string&, unsigned),
                   unsigned nSize, std::string& strError)
{
    if (!bRemake && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const double t = Now();
    const std::string partial = path + ".part";
    ::DeleteFileA(partial.c_str());
    if (!pfnMake(partial, nSize) || !::MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    {
        ::DeleteFileA(partial.c_str());
        strError = path + " could not be made";
        return false;
    }
    std::fprintf(stderr, "(made %s in %.1f s)\n", path.c_str(), Now() - t);
    return true;
}

// Runs one search as the window does: this thread serves the worker's calls
// and, every 50 ms, takes the lock as the window's tick does (waiting at most
// 100 ms) and empties the found list.
bool RunSearch(CQuillcrestDoc& doc, const char* pszQuery, int nMode, int nScopes, BenchFindFigure& figure)
{
    CFindNodesStatePtr pState = std::make_shared<CFindNodesState>();
    {
        CSingleLock lock(&pState->m_mutex, TRUE);
        pState->m_strQuery = pszQuery;
        pState->m_nMode = nMode;
        pState->m_nScopes = nScopes;
        pState->m_pDoc = &doc;
        pState->m_progress.Reset();
        pState->m_progress.SetTotal(1000);
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
        const DWORD dwWait = ::MsgWaitForMultipleObjectsEx(1, &hThread, 5, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (dwWait == WAIT_OBJECT_0 + 1)
        {
            const double t0 = Now();
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            const double dCall = Now() - t0;
            figure.dLongestUiCall = std::max(figure.dLongestUiCall, dCall);
            figure.dUiTotal += dCall;
        }
        if (Now() >= dNextTick || dwWait == WAIT_OBJECT_0)
        {
            dNextTick = Now() + 0.05;
            const double t0 = Now();
            CSingleLock lock(&pState->m_mutex);
            if (!lock.Lock(100))
            {
                figure.dLongestLockWait = 0.1;
                continue;
            }
            figure.dLongestLockWait = std::max(figure.dLongestLockWait, Now() - t0);
            figure.nFound += (size_t)pState->m_found.GetCount();
            pState->m_found.RemoveAll();
            if (pState->m_progress.IsFinished())
                break;
        }
    }
    figure.dSeconds = Now() - dStart;
    ::WaitForSingleObject(hThread, INFINITE);
    return true;
}

bool Search(CQuillcrestDoc& doc, const char* pszCase, const char* pszQuery, int nMode, int nScopes, size_t nExpected,
            std::vector<BenchFindFigure>& figures)
{
    BenchFindFigure figure;
    figure.strCase = pszCase;
    if (!RunSearch(doc, pszQuery, nMode, nScopes, figure))
        return false;
    figure.bRight = figure.nFound == nExpected;
    figures.push_back(figure);
    return true;
}

bool Read(CQuillcrestDoc& doc, const std::string& path, std::string& strError)
{
    if (doc.Data_OpenNotebookFile(path.c_str()) && doc.Data_ReadFile() == 1)
        return true;
    strError = path + " could not be read";
    return false;
}

} // namespace

bool RunFindBench(const BenchFindOptions& options, std::vector<BenchFindFigure>& figures, std::string& strError)
{
    const std::string notesPath = options.strDir + "\\find-notes-" + std::to_string(options.nNotes) + ".qlc";
    const std::string nodesPath = options.strDir + "\\find-nodes-" + std::to_string(options.nNodes) + ".qlc";
    if (!MakeIfMissing(notesPath, options.bRemake, &MakeNotesNotebook, options.nNotes, strError) ||
        !MakeIfMissing(nodesPath, options.bRemake, &MakeNodesNotebook, options.nNodes, strError))
        return false;

    // The worker asks this thread for the notebook's contents.
    const bool bOwnChannel = !CUiChannel::IsOpen();
    if (bOwnChannel && !CUiChannel::Create())
    {
        strError = "no channel to the interface thread";
        return false;
    }
    const int kTitles = CFindNodesState::scopeTitles, kKeywords = CFindNodesState::scopeKeywords,
              kContent = CFindNodesState::scopeContent;
    bool bOk = true;
    {
        CQuillcrestDoc doc;
        bOk = Read(doc, notesPath, strError);
        const size_t nNotes = options.nNotes, nRare = (nNotes + kRareEvery - 1) / kRareEvery;
        bOk = bOk && Search(doc, "content, all words, rare", "ZEPPELIN garden", 0, kContent, nRare, figures);
        bOk = bOk && Search(doc, "content, any word, none there", "quixotic xylograph", 1, kContent, 0, figures);
        bOk = bOk && Search(doc, "content, phrase, every note", "the garden", 2, kContent, nNotes, figures);
        bOk = bOk && Search(doc, "all scopes, any word, rare", "zeppelin", 1, kTitles | kKeywords | kContent, nRare,
                            figures);
    }
    if (bOk)
    {
        CQuillcrestDoc doc;
        bOk = Read(doc, nodesPath, strError);
        size_t nRare = 0, nNotesIn = 0;
        for (unsigned i = 0; i < options.nNodes; ++i)
        {
            if (!IsNodesFolder(i))
            {
                nNotesIn++;
                nRare += i % kRareEvery == 1;
            }
        }
        bOk = bOk && Search(doc, "titles, any word, rare", "zeppelin", 1, kTitles, nRare, figures);
        bOk = bOk && Search(doc, "titles, all words, every note", "list node", 0, kTitles, nNotesIn, figures);
        bOk = bOk && Search(doc, "titles and keywords, none there", "quixotic", 0, kTitles | kKeywords, 0, figures);
    }
    if (bOwnChannel)
        CUiChannel::Destroy();
    if (!bOk && strError.empty())
        strError = "a search could not start";
    return bOk;
}
