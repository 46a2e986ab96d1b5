#include "core/CQlcDocLock.h"

#include "framework/base/CUiChannel.h"

CQlcDocLock::CQlcDocLock() : m_nWanted(0), m_dwOwner(0), m_nDepth(0), m_nWaits(0)
{
    m_hTurn = ::CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
}

CQlcDocLock::~CQlcDocLock()
{
    if (m_hTurn != nullptr)
        ::CloseHandle(m_hTurn);
}

BOOL CQlcDocLock::IsHeldByCurrentThread() const
{
    // Only this thread can put its own id there.
    return m_dwOwner.load() == ::GetCurrentThreadId();
}

void CQlcDocLock::Lock()
{
    const DWORD dwThread = ::GetCurrentThreadId();
    if (m_dwOwner.load() == dwThread)
    {
        ++m_nDepth;
        return;
    }
    if (m_nWanted.fetch_add(1) > 0)
    {
        // Somebody holds it: the releasing thread hands over one turn.
        ++m_nWaits;
        ::WaitForSingleObject(m_hTurn, INFINITE);
    }
    m_dwOwner.store(dwThread);
    m_nDepth = 1;
    CUiChannel::EnterNoWaitRegion();
}

BOOL CQlcDocLock::TryLock()
{
    const DWORD dwThread = ::GetCurrentThreadId();
    if (m_dwOwner.load() == dwThread)
    {
        ++m_nDepth;
        return TRUE;
    }
    LONG nFree = 0;
    if (!m_nWanted.compare_exchange_strong(nFree, 1))
        return FALSE;
    m_dwOwner.store(dwThread);
    m_nDepth = 1;
    CUiChannel::EnterNoWaitRegion();
    return TRUE;
}

void CQlcDocLock::Unlock()
{
    if (m_dwOwner.load() != ::GetCurrentThreadId())
    {
        ASSERT(!"CQlcDocLock unlocked by a thread that does not hold it");
        return;
    }
    if (--m_nDepth > 0)
        return;
    m_dwOwner.store(0);
    CUiChannel::LeaveNoWaitRegion();
    if (m_nWanted.fetch_sub(1) > 1)
        ::ReleaseSemaphore(m_hTurn, 1, nullptr);
}

BOOL CQlcDocLock::ReleaseAbandoned(DWORD dwThreadId)
{
    if (dwThreadId == 0 || m_dwOwner.load() != dwThreadId)
        return FALSE;
    m_nDepth = 0;
    m_dwOwner.store(0);
    if (m_nWanted.fetch_sub(1) > 1)
        ::ReleaseSemaphore(m_hTurn, 1, nullptr);
    return TRUE;
}
