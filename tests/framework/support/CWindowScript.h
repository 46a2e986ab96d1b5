// Acts on a window of the system's own (a common dialog, a message box that
// no hook answers) once it shows, from a timer that fires inside whatever
// modal loop is running it: the script looks at the window and presses keys
// or buttons as a person would. A window that never shows is noted, and any
// dialog still open after the deadline is cancelled, so no test waits for a
// person.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CWindowScript
{
public:
    // Runs the script once, on the first visible window of this thread whose
    // caption is lpszCaption.
    CWindowScript(LPCSTR lpszCaption, std::function<void(HWND)> script, DWORD dwDeadlineMs = 15000);
    ~CWindowScript();

    BOOL HasRun() const { return m_bRun; }
    // TRUE when the deadline passed first and the dialogs were cancelled.
    BOOL TimedOut() const { return m_bTimedOut; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD);
    void Check();

    std::string m_strCaption;
    std::function<void(HWND)> m_script;
    DWORD m_dwDeadline;
    UINT_PTR m_nTimer;
    BOOL m_bRun = FALSE;
    BOOL m_bTimedOut = FALSE;
    BOOL m_bRunning = FALSE;
};
