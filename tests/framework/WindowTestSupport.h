// Helpers of the window tests: a message-box hook that records and answers,
// a dialog hook that runs a script, and message pumping.
#pragma once

#include "framework/AfxHooks.h"
#include "framework/AfxPrompt.h"
#include "framework/CString.h"

#include <functional>
#include <string>
#include <vector>

class CWnd;

struct RecordedBox
{
    std::string text;
    std::string caption;
    UINT type;
};

// Installs itself for its lifetime; answers every box with m_nAnswer.
class CRecordingPrompts : public IAfxPromptHook
{
public:
    explicit CRecordingPrompts(int nAnswer = IDOK);
    ~CRecordingPrompts() override;
    int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override;

    std::vector<RecordedBox> boxes;
    int m_nAnswer;

private:
    IAfxPromptHook* m_pOld;
};

// Installs itself for its lifetime; calls the script with each dialog.
class CScriptedDialogs : public IAfxDialogHook
{
public:
    explicit CScriptedDialogs(std::function<void(CWnd*)> script);
    ~CScriptedDialogs() override;
    void OnInitDialog(CWnd* pDialog) override;

    int nDialogs = 0;

private:
    std::function<void(CWnd*)> m_script;
    IAfxDialogHook* m_pOld;
};

// A clock that does not wait: it records the sleeps asked for.
class CFakeClock : public IAfxClock
{
public:
    CFakeClock();
    ~CFakeClock() override;
    DWORD GetTickCount() override { return m_dwNow; }
    void Sleep(DWORD dwMilliseconds) override
    {
        sleeps.push_back(dwMilliseconds);
        m_dwNow += dwMilliseconds;
    }

    DWORD m_dwNow = 100000;
    std::vector<DWORD> sleeps;

private:
    IAfxClock* m_pOld;
};

// Dispatches what is queued (no waiting) and drops a posted WM_QUIT, which a
// destroyed main window leaves for the next modal loop otherwise.
void PumpMessages();
// Presses a dialog's button as a click would.
void ClickButton(CWnd* pDialog, int nID);
