#include "WindowTestSupport.h"

#include "framework/ui/CWnd.h"

CRecordingPrompts::CRecordingPrompts(int nAnswer) : m_nAnswer(nAnswer), m_pOld(AfxSetPromptHook(this))
{
}

CRecordingPrompts::~CRecordingPrompts()
{
    AfxSetPromptHook(m_pOld);
}

int CRecordingPrompts::OnMessageBox(HWND, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    boxes.push_back({ lpszText ? lpszText : "", lpszCaption ? lpszCaption : "", nType });
    return m_nAnswer;
}

CScriptedDialogs::CScriptedDialogs(std::function<void(CWnd*)> script)
    : m_script(std::move(script)), m_pOld(AfxSetDialogHook(this))
{
}

CScriptedDialogs::~CScriptedDialogs()
{
    AfxSetDialogHook(m_pOld);
}

void CScriptedDialogs::OnInitDialog(CWnd* pDialog)
{
    nDialogs++;
    m_script(pDialog);
}

CFakeClock::CFakeClock() : m_pOld(AfxSetClock(this))
{
}

CFakeClock::~CFakeClock()
{
    AfxSetClock(m_pOld);
}

void PumpMessages()
{
    MSG msg;
    for (int i = 0; i < 1000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++)
    {
        if (msg.message == WM_QUIT)
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void ClickButton(CWnd* pDialog, int nID)
{
    HWND hButton = ::GetDlgItem(pDialog->m_hWnd, nID);
    pDialog->SendMessage(WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), (LPARAM)hButton);
}
