// What the Find in Nodes window and its search worker share: the query,
// the notebook searched, the nodes found and not yet listed, the progress
// and the stop request. The window and the worker each hold a reference, so
// the state lives as long as the longer of the two. Every field is read and
// written under the one mutex.
//
// The worker never touches the notebook itself, so that the notebook can
// close at any time without waiting for it. What the search needs of the
// notebook (the node list, keywords, stored payloads) the interface thread
// copies out for it through the channel, batch by batch, under the
// notebook's lock, while the worker holds no lock. The worker takes the mutex only to
// hand over what it found, once per batch and never for long, so the
// window's tick always gets it at once.
#pragma once

#include "framework/base/CList.h"
#include "framework/base/CMutex.h"
#include "framework/base/CProgressSync.h"
#include "framework/base/CString.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CFindNodesQuery;
class CQuillcrestDoc;

class CFindNodesState
{
public:
    // Scope bits (as the settings store them).
    enum { scopeTitles = 1, scopeKeywords = 2, scopeContent = 4 };

    CFindNodesState();

    CMutex m_mutex;

    // The stop request (its cancel), the worker's end (finished: no worker
    // runs) and the progress in tenths of a per cent (current of 1000):
    // flags either side may look at as often as it likes, without the mutex.
    CProgressSync m_progress;

    // --- Under the mutex ---------------------------------------------------------------
    BOOL m_bStatusPending;
    CString m_strStatus;
    CList<DWORD, DWORD> m_found;   // found, not yet listed, oldest first
    int m_nMode;                   // 0 all words, 1 any word, 2 exact phrase
    int m_nScopes;
    CString m_strQuery;            // trimmed, as typed
    CQuillcrestDoc* m_pDoc;        // null once its window closes

    // --- The worker ------------------------------------------------------------------------
    // Runs the search to its end, a stop, or the notebook's going; the done
    // flag is set by the thread procedure after it.
    void Search();

    // How often the worker has taken the mutex during its last search.
    LONG GetWorkerLockCount() const { return m_nWorkerLocks.load(); }

    // --- What the interface thread copies out of the notebook ---------------------------
    struct CNodeInfo
    {
        DWORD dwNodeId;
        BYTE nType;
        BOOL bEncrypted;
        CString strName;
    };
    struct CNodeList
    {
        std::vector<CNodeInfo> nodes;            // table order
        std::vector<DWORD> keywordIds;           // the keyword table
        std::vector<CString> keywordTexts;
        // Per node of the node-keywords table: node id, then its keyword ids.
        std::vector<std::pair<DWORD, std::vector<DWORD>>> nodeKeywords;
    };
    struct CPayload
    {
        BOOL bRead = FALSE;            // a plain note whose stored bytes are here
        BOOL bCompressed = FALSE;
        DWORD dwPlainSize = 0;
        std::vector<BYTE> stored;
    };

    // On the interface thread: the node list (and with bKeywords the
    // keyword tables). FALSE when the search is to end.
    BOOL TakeNodeList(CNodeList& list, BOOL bKeywords);
    // On the interface thread: the stored payloads of notes, from the first
    // on, until about nMaxBytes are read (at least one note). Encrypted
    // notes and nodes gone or changed into something else get no payload.
    // FALSE when the search is to end.
    BOOL TakePayloads(const std::vector<DWORD>& nodeIds, size_t nMaxBytes, std::vector<CPayload>& payloads);

    // A stored payload as the note's text; FALSE when it cannot be decoded.
    static BOOL DecodePayload(const CPayload& payload, std::vector<BYTE>& plain);

private:
    // Runs fn on the interface thread; FALSE when the channel is gone.
    template <class F> static BOOL OnUiThread(F fn);
    // Hands the ids found over and moves the progress; FALSE when the
    // search is to end.
    BOOL Publish(const std::vector<DWORD>& found, ULONGLONG ullDone, ULONGLONG ullTotal);

    std::atomic<LONG> m_nWorkerLocks;

    CFindNodesState(const CFindNodesState&) = delete;
    CFindNodesState& operator=(const CFindNodesState&) = delete;
};

typedef std::shared_ptr<CFindNodesState> CFindNodesStatePtr;

// The search worker. pParam is a new CFindNodesStatePtr, which the worker
// deletes; it marks the progress finished when it ends.
UINT __cdecl FindNodesThreadProc(LPVOID pParam);
