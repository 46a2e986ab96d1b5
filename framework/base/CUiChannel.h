// The way for a worker thread to have something done on the interface thread
// and wait for it: windows belong to the thread that made them, so a worker
// never shows a message box, asks a question or prompts for a password
// itself. It hands a closure to the channel, which sends it to a hidden
// message-only window of the interface thread; that thread runs it while it
// pumps messages (in its message loop, a modal loop or a message box of its
// own) and the worker goes on with the answer.
//
// The interface thread must keep pumping while a worker may call: to wait
// for a worker it uses WaitPumping, never a bare WaitForSingleObject.
#pragma once

#include "framework/base/AfxDefs.h"

#include <functional>
#include <type_traits>

class CUiChannel
{
public:
    // Makes the calling thread the interface thread (creates the hidden
    // window). FALSE when the window cannot be made.
    static BOOL Create();
    // Closes the channel (on the interface thread); later calls from workers
    // are refused, never run on the worker. Timed calls still waiting to be
    // taken are dropped.
    static void Destroy();
    static BOOL IsOpen();

    // TRUE on the interface thread (also once its channel has closed), and
    // on any thread while no channel was ever made (a program or test
    // without one runs everything in place).
    static BOOL IsUiThread();

    // Runs fn on the interface thread and returns once it has run (at once
    // when called there). An exception fn throws comes back to the caller.
    // FALSE, and fn not run, when the channel is closed or closes before fn
    // could run, and when the caller holds a lock the interface thread may
    // want (see EnterNoWaitRegion).
    static BOOL Run(const std::function<void()>& fn);

    // Run with a result: the value fn returned, or R() when it did not run.
    template <class F>
    static auto Call(F fn) -> decltype(fn())
    {
        typedef decltype(fn()) R;
        if constexpr (std::is_void<R>::value)
        {
            Run(fn);
        }
        else
        {
            R result{};
            Run([&]() { result = fn(); });
            return result;
        }
    }

    // Run for a caller that cannot wait for ever (a crash report from a
    // worker): FALSE when the interface thread has not taken the call within
    // dwTimeout ms (busy without pumping, or the channel closed); the call is
    // then dropped and never runs later. Once taken, the call runs to its
    // end however long it takes (a question waits for its answer).
    static BOOL RunWithin(const std::function<void()>& fn, DWORD dwTimeout);

    // A thread holding a lock that the interface thread may need (a
    // notebook's) must not wait for that thread: it would wait for ever.
    // Such locks count themselves here while held; Run and RunWithin refuse
    // a worker inside such a region.
    static void EnterNoWaitRegion();
    static void LeaveNoWaitRegion();
    static BOOL InNoWaitRegion();

    // For the interface thread: waits for hObject (or the time-out) and runs
    // the calls workers send meanwhile. Returns as WaitForSingleObject.
    static DWORD WaitPumping(HANDLE hObject, DWORD dwMilliseconds = INFINITE);
    // The same for the first of several objects (WAIT_OBJECT_0 + its index).
    static DWORD WaitPumping(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds = INFINITE);
};
