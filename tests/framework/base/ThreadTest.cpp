#include "framework/base/CEvent.h"
#include "framework/base/CMutex.h"
#include "framework/base/CSingleLock.h"
#include "framework/base/CWinThread.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct CShared
{
    CMutex mutex;
    LONG nCounter = 0;
    CEvent done{ FALSE, TRUE };
};

UINT __cdecl AddMany(LPVOID pParam)
{
    CShared* p = static_cast<CShared*>(pParam);
    for (int i = 0; i < 1000; ++i)
    {
        CSingleLock lock(&p->mutex, TRUE);
        const LONG n = p->nCounter;
        Sleep(0);
        p->nCounter = n + 1;
    }
    return 7;
}

UINT __cdecl Throws(LPVOID pParam)
{
    static_cast<CEvent*>(pParam)->SetEvent();
    throw std::runtime_error("worker failure");
}

} // namespace

TEST(ThreadTest, WorkersShareStateUnderAMutex)
{
    CShared shared;
    CWinThread* a = AfxBeginThread(AddMany, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    CWinThread* b = AfxBeginThread(AddMany, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    a->m_bAutoDelete = FALSE;
    b->m_bAutoDelete = FALSE;
    a->ResumeThread();
    b->ResumeThread();
    HANDLE h[2] = { a->m_hThread, b->m_hThread };
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, h, TRUE, 20000));
    DWORD dwCode = 0;
    GetExitCodeThread(a->m_hThread, &dwCode);
    EXPECT_EQ(7u, dwCode);
    EXPECT_EQ(2000, shared.nCounter);
    delete a;
    delete b;
}

TEST(ThreadTest, AnExceptionEndsOnlyTheThread)
{
    CEvent started(FALSE, TRUE);
    CWinThread* p = AfxBeginThread(Throws, &started, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, p);
    p->m_bAutoDelete = FALSE;
    p->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p->m_hThread, 20000));
    DWORD dwCode = 0;
    GetExitCodeThread(p->m_hThread, &dwCode);
    EXPECT_EQ((DWORD)-1, dwCode);
    delete p;
}

TEST(ThreadTest, SingleLockUnlocksOnScopeExit)
{
    CMutex mutex;
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
    }
    // Another thread can take it now.
    struct CProbe
    {
        static UINT __cdecl Run(LPVOID p)
        {
            CSingleLock lock(static_cast<CMutex*>(p));
            return lock.Lock(1000) ? 1 : 0;
        }
    };
    CWinThread* t = AfxBeginThread(&CProbe::Run, &mutex, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    WaitForSingleObject(t->m_hThread, 20000);
    DWORD dwCode = 0;
    GetExitCodeThread(t->m_hThread, &dwCode);
    EXPECT_EQ(1u, dwCode);
    delete t;
}
