#include "core/CQlcStatus.h"

#include "framework/ui/AfxHooks.h"
#include "framework/ui/CStatusBar.h"
#include "framework/ui/CWnd.h"

#include <atomic>
#include <climits>

CQlcStatus::CQlcStatus() : m_pHost(nullptr), m_dwToken(0), m_bHasToken(FALSE), m_bProgress(FALSE)
{
    m_pHost = dynamic_cast<IQlcStatusHost*>(AfxGetMainWnd());
}

CQlcStatus::~CQlcStatus()
{
    try
    {
        if (m_pHost != nullptr && m_bHasToken && m_pHost->GetStatusToken() == m_dwToken)
            m_pHost->SetStatusToken(0);
        // The bar gives its pane the text it had before back.
        if (m_pHost != nullptr && m_bProgress)
            m_pHost->EndStatusProgress(this);
        m_bProgress = FALSE;
    }
    catch (...)
    {
    }
}

DWORD CQlcStatus::NextToken()
{
    // Workers set status texts too: the last token is swapped in atomically
    // so two threads never get the same one.
    static std::atomic<DWORD> s_dwLast(0);
    const DWORD dwNow = AfxGetTickCount();
    DWORD dwLast = s_dwLast.load();
    DWORD dw;
    do
    {
        dw = (LONG)(dwNow - dwLast) <= 0 ? dwLast + 1 : dwNow;
        if (dw == 0)
            dw = 1;
    } while (!s_dwLast.compare_exchange_weak(dwLast, dw));
    return dw;
}

void CQlcStatus::SetText(LPCSTR lpszText)
{
    if (m_pHost == nullptr)
        return;
    if (CStatusBar* pBar = m_pHost->GetStatusBarIfVisible())
        pBar->SetPaneText(0, lpszText, TRUE);
    m_dwToken = NextToken();
    m_bHasToken = TRUE;
    m_pHost->SetStatusToken(m_dwToken);
}

void CQlcStatus::ShowProgress(DWORD dwMaximum)
{
    if (m_pHost == nullptr)
        return;
    // The range is an int: a larger maximum would run the bar backwards.
    const int nMaximum = dwMaximum > (DWORD)INT_MAX ? INT_MAX : (int)dwMaximum;
    m_bProgress = m_pHost->ShowStatusProgress(this, nMaximum);
}

void CQlcStatus::StepProgress(int nStep)
{
    if (m_pHost == nullptr || !m_bProgress)
        return;
    m_pHost->StepStatusProgress(this, nStep);
}
