#include "CWindowScript.h"

#include <map>

namespace {

std::map<UINT_PTR, CWindowScript*>& Scripts()
{
    static std::map<UINT_PTR, CWindowScript*> s_scripts;
    return s_scripts;
}

struct CFind
{
    const std::string* pCaption;
    HWND hFound;
};

BOOL CALLBACK FindShown(HWND hWnd, LPARAM lParam)
{
    CFind* pFind = reinterpret_cast<CFind*>(lParam);
    if (!::IsWindowVisible(hWnd))
        return TRUE;
    char szText[256] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    if (*pFind->pCaption != szText)
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

BOOL CALLBACK CancelDialog(HWND hWnd, LPARAM)
{
    char szClass[16] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (::IsWindowVisible(hWnd) && lstrcmpA(szClass, "#32770") == 0)
        ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

CWindowScript::CWindowScript(LPCSTR lpszCaption, std::function<void(HWND)> script, DWORD dwDeadlineMs)
    : m_strCaption(lpszCaption), m_script(std::move(script)), m_dwDeadline(::GetTickCount() + dwDeadlineMs),
      m_nTimer(::SetTimer(nullptr, 0, 30, &OnTimer))
{
    Scripts()[m_nTimer] = this;
}

CWindowScript::~CWindowScript()
{
    ::KillTimer(nullptr, m_nTimer);
    Scripts().erase(m_nTimer);
}

void CALLBACK CWindowScript::OnTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    auto it = Scripts().find(nIDEvent);
    if (it != Scripts().end())
        it->second->Check();
}

void CWindowScript::Check()
{
    if (m_bRun || m_bRunning)
        return;
    CFind find = { &m_strCaption, nullptr };
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShown, (LPARAM)&find);
    if (find.hFound != nullptr)
    {
        // The script may pump messages itself: it must not run twice.
        m_bRunning = TRUE;
        m_script(find.hFound);
        m_bRunning = FALSE;
        m_bRun = TRUE;
        return;
    }
    if ((LONG)(::GetTickCount() - m_dwDeadline) > 0)
    {
        m_bTimedOut = TRUE;
        m_bRun = TRUE;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CancelDialog, 0);
    }
}
