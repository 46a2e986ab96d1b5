// The thread model: workers hand work to the interface thread through the
// channel, and report progress through a progress-sync object.
#include "framework/base/AfxPrompt.h"
#include "framework/base/CProgressSync.h"
#include "framework/base/CUiChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// Opens the channel on the test's thread for one test.
class UiChannelTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(CUiChannel::Create()); }
    void TearDown() override { CUiChannel::Destroy(); }
};

// Answers message boxes and notes the thread that was asked.
class CThreadNotingPrompts : public IAfxPromptHook
{
public:
    CThreadNotingPrompts() : m_pOld(AfxSetPromptHook(this)) {}
    ~CThreadNotingPrompts() override { AfxSetPromptHook(m_pOld); }
    int OnMessageBox(HWND, LPCSTR lpszText, LPCSTR, UINT) override
    {
        dwThread = ::GetCurrentThreadId();
        strText = lpszText;
        return IDNO;
    }
    DWORD dwThread = 0;
    std::string strText;

private:
    IAfxPromptHook* m_pOld;
};

} // namespace

TEST_F(UiChannelTest, AWorkersQuestionIsAnsweredOnTheInterfaceThreadWhileItPumps)
{
    const DWORD dwUi = ::GetCurrentThreadId();
    EXPECT_TRUE(CUiChannel::IsUiThread());

    // The interface thread keeps handling its own messages (a timer here)
    // while the worker waits for its answer.
    std::atomic<int> nTicks(0);
    std::atomic<bool> bWorkerDone(false);
    DWORD dwRanOn = 0;
    int nAnswer = 0;
    std::thread worker([&]() {
        EXPECT_FALSE(CUiChannel::IsUiThread());
        // Let the interface thread tick before and after the question.
        while (nTicks.load() < 2)
            ::Sleep(5);
        nAnswer = CUiChannel::Call([&]() {
            dwRanOn = ::GetCurrentThreadId();
            return 42;
        });
        bWorkerDone = true;
    });

    const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 10, nullptr);
    MSG msg;
    const DWORD dwStart = ::GetTickCount();
    while (!bWorkerDone.load() && ::GetTickCount() - dwStart < 10000)
    {
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_TIMER)
                ++nTicks;
            ::DispatchMessageA(&msg);
        }
        else
        {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    ::KillTimer(nullptr, nTimer);
    worker.join();

    EXPECT_TRUE(bWorkerDone.load());
    EXPECT_EQ(42, nAnswer);
    EXPECT_EQ(dwUi, dwRanOn);
    EXPECT_GE(nTicks.load(), 2);
}

TEST_F(UiChannelTest, MessageBoxesOfWorkersAndTheirExceptionsCrossOver)
{
    CThreadNotingPrompts prompts;
    int nButton = 0;
    bool bCaught = false;
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&]() {
        nButton = AfxMessageBox("Replace the node?", MB_YESNO);
        try
        {
            CUiChannel::Run([]() { throw std::runtime_error("refused"); });
        }
        catch (const std::runtime_error& e)
        {
            bCaught = std::string(e.what()) == "refused";
        }
        ::SetEvent(hDone);
    });
    // The interface thread waits for the worker but still takes its calls.
    EXPECT_EQ(WAIT_OBJECT_0, CUiChannel::WaitPumping(hDone, 10000));
    worker.join();
    ::CloseHandle(hDone);

    EXPECT_EQ(IDNO, nButton);
    EXPECT_EQ(::GetCurrentThreadId(), prompts.dwThread);
    EXPECT_EQ("Replace the node?", prompts.strText);
    EXPECT_TRUE(bCaught);
}

TEST_F(UiChannelTest, AClosedChannelRefusesAndTheInterfaceThreadRunsInPlace)
{
    int nInPlace = 0;
    EXPECT_TRUE(CUiChannel::Run([&]() { nInPlace = 1; }));
    EXPECT_EQ(1, nInPlace);

    CUiChannel::Destroy();
    EXPECT_FALSE(CUiChannel::IsOpen());
    // A worker's call is refused, never run on the worker itself (where a
    // message box or a password prompt would be made by the wrong thread).
    BOOL bRan = TRUE, bRanWithin = TRUE, bIsUi = TRUE;
    DWORD dwRanOn = 0;
    std::thread worker([&]() {
        bIsUi = CUiChannel::IsUiThread();
        bRan = CUiChannel::Run([&]() { dwRanOn = ::GetCurrentThreadId(); });
        bRanWithin = CUiChannel::RunWithin([&]() { dwRanOn = ::GetCurrentThreadId(); }, 100);
    });
    worker.join();
    EXPECT_FALSE(bIsUi);
    EXPECT_FALSE(bRan);
    EXPECT_FALSE(bRanWithin);
    EXPECT_EQ(0u, dwRanOn);
    // The interface thread still runs its own calls in place.
    nInPlace = 0;
    EXPECT_TRUE(CUiChannel::IsUiThread());
    EXPECT_TRUE(CUiChannel::Run([&]() { nInPlace = 2; }));
    EXPECT_EQ(2, nInPlace);
    EXPECT_EQ(WAIT_TIMEOUT, CUiChannel::WaitPumping(::GetCurrentThread(), 20));
}

TEST_F(UiChannelTest, ATimedCallWaitingWhenTheChannelClosesIsDroppedNotRun)
{
    // The interface thread does not pump while the worker's call waits; then
    // the channel closes: the call never runs, and the worker is released.
    std::atomic<bool> bSent(false);
    BOOL bResult = TRUE;
    int nRuns = 0;
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&]() {
        bSent = true;
        bResult = CUiChannel::RunWithin([&]() { ++nRuns; }, 60000);
        ::SetEvent(hDone);
    });
    while (!bSent.load())
        ::Sleep(1);
    CUiChannel::Destroy();
    // A message already sent to the window that went is answered unrun.
    EXPECT_EQ(WAIT_OBJECT_0, CUiChannel::WaitPumping(hDone, 20000));
    worker.join();
    ::CloseHandle(hDone);
    EXPECT_FALSE(bResult);
    EXPECT_EQ(0, nRuns);
}

TEST_F(UiChannelTest, AWorkerInsideANoWaitRegionIsRefused)
{
    // A thread holding a lock the interface thread may want must not wait
    // for it: the call is refused, however the interface thread pumps.
    BOOL bOutside = FALSE, bInside = TRUE, bWithinInside = TRUE;
    int nRuns = 0;
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&]() {
        bOutside = CUiChannel::Run([&]() { ++nRuns; });
        CUiChannel::EnterNoWaitRegion();
        CUiChannel::EnterNoWaitRegion();
        CUiChannel::LeaveNoWaitRegion();
        bInside = CUiChannel::Run([&]() { ++nRuns; });
        bWithinInside = CUiChannel::RunWithin([&]() { ++nRuns; }, 1000);
        CUiChannel::LeaveNoWaitRegion();
        ::SetEvent(hDone);
    });
    EXPECT_EQ(WAIT_OBJECT_0, CUiChannel::WaitPumping(hDone, 20000));
    worker.join();
    ::CloseHandle(hDone);
    EXPECT_TRUE(bOutside);
    EXPECT_FALSE(bInside);
    EXPECT_FALSE(bWithinInside);
    EXPECT_EQ(1, nRuns);
    EXPECT_FALSE(CUiChannel::InNoWaitRegion());
}

TEST(ProgressSyncTest, AReaderSeesConsistentSnapshotsAndTheWorkerSeesCancel)
{
    CProgressSync sync;
    sync.SetTotal(100000);
    std::atomic<bool> bStop(false);
    ULONGLONG ullLastSeen = 0;
    bool bConsistent = true;
    int nReads = 0;
    std::thread reader([&]() {
        DWORD dwLastChanges = 0;
        while (!bStop.load())
        {
            const CProgressSync::CState st = sync.GetState();
            // Written together, read together: the text always names the
            // position it came with.
            if (!st.strStatus.IsEmpty())
            {
                const ULONGLONG ullText = _strtoui64(st.strStatus, nullptr, 10);
                if (ullText != st.ullCurrent)
                    bConsistent = false;
            }
            if (st.ullCurrent < ullLastSeen || st.dwChanges < dwLastChanges)
                bConsistent = false;
            ullLastSeen = st.ullCurrent;
            dwLastChanges = st.dwChanges;
            ++nReads;
            if (st.ullCurrent >= 50000)
                sync.RequestCancel();
            if (st.bFinished)
                break;
        }
    });

    ULONGLONG i = 0;
    for (; i < 100000 && !sync.IsCancelRequested(); ++i)
    {
        char sz[32];
        sprintf(sz, "%llu", i + 1);
        sync.Update(i + 1, sz);
        // Halfway the worker waits for the reader's cancel, however the two
        // threads happen to be scheduled (bounded, so a lost cancel fails).
        if (i + 1 == 50000)
        {
            const ULONGLONG ullStart = ::GetTickCount64();
            while (!sync.IsCancelRequested() && ::GetTickCount64() - ullStart < 20000)
                ::Sleep(1);
        }
    }
    sync.SetFinished();
    reader.join();
    bStop = true;

    EXPECT_TRUE(bConsistent);
    EXPECT_GT(nReads, 0);
    EXPECT_EQ(50000u, i); // the cancel stopped the worker where it was asked
    const CProgressSync::CState st = sync.GetState();
    EXPECT_TRUE(st.bCancelRequested);
    EXPECT_TRUE(st.bFinished);
    EXPECT_EQ(i, st.ullCurrent);
    EXPECT_EQ(st.ullCurrent * 100 / 100000, (ULONGLONG)st.GetPercent());

    sync.Reset();
    EXPECT_FALSE(sync.IsCancelRequested());
    EXPECT_FALSE(sync.IsFinished());
    EXPECT_EQ(0, sync.GetState().GetPercent());
}

TEST_F(UiChannelTest, ATimedCallRunsWhenTakenInTimeAndIsDroppedForGoodWhenNot)
{
    // Taken while the interface thread pumps: it runs there, and a question
    // inside it may take longer than the time limit.
    DWORD dwRanOn = 0;
    BOOL bTaken = FALSE;
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&]() {
        bTaken = CUiChannel::RunWithin(
            [&]() {
                dwRanOn = ::GetCurrentThreadId();
                ::Sleep(300);
            },
            100);
        ::SetEvent(hDone);
    });
    EXPECT_EQ(WAIT_OBJECT_0, CUiChannel::WaitPumping(hDone, 10000));
    worker.join();
    EXPECT_TRUE(bTaken);
    EXPECT_EQ(::GetCurrentThreadId(), dwRanOn);

    // Not taken: the interface thread is busy without pumping. The worker
    // gives up, and the call does not run when the thread pumps later.
    std::atomic<int> nRuns(0);
    ::ResetEvent(hDone);
    bTaken = TRUE;
    std::thread late([&]() {
        bTaken = CUiChannel::RunWithin([&]() { ++nRuns; }, 100);
        ::SetEvent(hDone);
    });
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hDone, 10000));
    late.join();
    EXPECT_FALSE(bTaken);
    MSG msg;
    for (int i = 0; i < 20; i++)
    {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
    EXPECT_EQ(0, nRuns.load());

    // An exception of the call comes back to the worker.
    bool bCaught = false;
    ::ResetEvent(hDone);
    std::thread thrower([&]() {
        try
        {
            CUiChannel::RunWithin([]() { throw std::runtime_error("refused"); }, 5000);
        }
        catch (const std::runtime_error&)
        {
            bCaught = true;
        }
        ::SetEvent(hDone);
    });
    EXPECT_EQ(WAIT_OBJECT_0, CUiChannel::WaitPumping(hDone, 10000));
    thrower.join();
    ::CloseHandle(hDone);
    EXPECT_TRUE(bCaught);
}

TEST_F(UiChannelTest, WaitPumpingReturnsForTheFirstOfSeveralObjects)
{
    HANDLE hNever = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hLater = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int nAnswer = 0;
    std::thread worker([&]() {
        nAnswer = CUiChannel::Call([]() { return 7; });
        ::SetEvent(hLater);
    });
    const HANDLE handles[2] = { hNever, hLater };
    EXPECT_EQ(WAIT_OBJECT_0 + 1, CUiChannel::WaitPumping(2, handles, 10000));
    worker.join();
    EXPECT_EQ(7, nAnswer);
    EXPECT_EQ(WAIT_TIMEOUT, CUiChannel::WaitPumping(1, handles, 20));
    ::CloseHandle(hNever);
    ::CloseHandle(hLater);
}

TEST_F(UiChannelTest, WaitPumpingAnswersACallThatALookAtTheQueueHasAlreadySeen)
{
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int nAnswer = 0;
    std::thread worker([&]() {
        nAnswer = CUiChannel::Call([]() { return 9; });
        ::SetEvent(hDone);
    });
    // The worker's call waits in the queue; looking at the queue marks it
    // as seen without answering it.
    for (int i = 0; i < 30000 && !(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); i++)
        ::Sleep(1);
    EXPECT_EQ(WAIT_OBJECT_0, CUiChannel::WaitPumping(hDone, 30000));
    if (nAnswer == 0)
    {
        // Let the worker go so that it can be joined.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    worker.join();
    EXPECT_EQ(9, nAnswer);
    ::CloseHandle(hDone);
}
