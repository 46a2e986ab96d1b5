// The lock of one open notebook. The notebook takes it inside its own
// operations, so that any thread may call them; readers that walk its
// tables hold it for the walk. It is recursive (operations call each
// other) and costs one interlocked operation when nobody else holds it.
//
// While a thread holds it, that thread must not wait for the interface
// thread (which may be waiting for this lock): the channel refuses such a
// thread's calls.
#pragma once

#include "framework/base/AfxDefs.h"

#include <atomic>

class CQlcDocLock
{
public:
    CQlcDocLock();
    ~CQlcDocLock();

    void Lock();
    // Takes the lock only when nobody else holds it.
    BOOL TryLock();
    void Unlock();
    BOOL IsHeldByCurrentThread() const;

    // The thread was terminated (it will never unlock): when it held the
    // lock, the lock is free again and TRUE comes back.
    BOOL ReleaseAbandoned(DWORD dwThreadId);

    // How often a thread had to wait for another one (for the benchmark).
    LONG GetWaitCount() const { return m_nWaits.load(); }

    // Holds the lock for a scope, or until Unlock.
    class CScoped
    {
    public:
        explicit CScoped(CQlcDocLock& lock) : m_lock(lock), m_bHeld(TRUE) { m_lock.Lock(); }
        ~CScoped() { Unlock(); }
        void Unlock()
        {
            if (m_bHeld)
                m_lock.Unlock();
            m_bHeld = FALSE;
        }

    private:
        CScoped(const CScoped&) = delete;
        CScoped& operator=(const CScoped&) = delete;
        CQlcDocLock& m_lock;
        BOOL m_bHeld;
    };

    // Holds two locks for a scope, taken in a fixed order.
    class CScopedPair
    {
    public:
        CScopedPair(CQlcDocLock& a, CQlcDocLock& b)
            : m_first(&a < &b ? a : b), m_second(&a < &b ? b : a)
        {
        }

    private:
        CScoped m_first;
        CScoped m_second;
    };

private:
    CQlcDocLock(const CQlcDocLock&) = delete;
    CQlcDocLock& operator=(const CQlcDocLock&) = delete;

    std::atomic<LONG> m_nWanted;   // threads holding or waiting
    std::atomic<DWORD> m_dwOwner;  // 0 when free
    LONG m_nDepth;                 // the owner's nesting
    HANDLE m_hTurn;                // a waiter sleeps here until it is its turn
    std::atomic<LONG> m_nWaits;
};
