#include "framework/base/CProgressSync.h"

namespace {

class CLock
{
public:
    explicit CLock(CRITICAL_SECTION* pcs) : m_pcs(pcs) { ::EnterCriticalSection(m_pcs); }
    ~CLock() { ::LeaveCriticalSection(m_pcs); }

private:
    CRITICAL_SECTION* m_pcs;
};

} // namespace

int CProgressSync::CState::GetPercent() const
{
    if (ullTotal == 0)
        return 0;
    if (ullCurrent >= ullTotal)
        return 100;
    return (int)((ullCurrent * 100.0) / (double)ullTotal);
}

CProgressSync::CProgressSync() : m_bCancelRequested(FALSE), m_bFinished(FALSE)
{
    ::InitializeCriticalSection(&m_cs);
}

CProgressSync::~CProgressSync()
{
    ::DeleteCriticalSection(&m_cs);
}

void CProgressSync::SetTotal(ULONGLONG ullTotal)
{
    CLock lock(&m_cs);
    m_state.ullTotal = ullTotal;
    ++m_state.dwChanges;
}

void CProgressSync::SetCurrent(ULONGLONG ullCurrent)
{
    CLock lock(&m_cs);
    m_state.ullCurrent = ullCurrent;
    ++m_state.dwChanges;
}

void CProgressSync::Step(ULONGLONG ullBy)
{
    CLock lock(&m_cs);
    m_state.ullCurrent += ullBy;
    ++m_state.dwChanges;
}

void CProgressSync::SetStatus(LPCSTR lpszStatus)
{
    CLock lock(&m_cs);
    m_state.strStatus = lpszStatus;
    ++m_state.dwChanges;
}

void CProgressSync::SetItem(LPCSTR lpszItem)
{
    CLock lock(&m_cs);
    m_state.strItem = lpszItem;
    ++m_state.dwChanges;
}

void CProgressSync::Update(ULONGLONG ullCurrent, LPCSTR lpszStatus)
{
    CLock lock(&m_cs);
    m_state.ullCurrent = ullCurrent;
    m_state.strStatus = lpszStatus;
    ++m_state.dwChanges;
}

void CProgressSync::SetFinished()
{
    CLock lock(&m_cs);
    m_bFinished = TRUE;
    ++m_state.dwChanges;
}

void CProgressSync::RequestCancel(BOOL bCancel)
{
    CLock lock(&m_cs);
    m_bCancelRequested = bCancel;
    ++m_state.dwChanges;
}

CProgressSync::CState CProgressSync::GetState() const
{
    CLock lock(&m_cs);
    CState state = m_state;
    state.bCancelRequested = m_bCancelRequested.load();
    state.bFinished = m_bFinished.load();
    return state;
}

BOOL CProgressSync::IsCancelRequested() const
{
    return m_bCancelRequested.load();
}

BOOL CProgressSync::IsFinished() const
{
    return m_bFinished.load();
}

void CProgressSync::Reset()
{
    CLock lock(&m_cs);
    const DWORD dwChanges = m_state.dwChanges + 1;
    m_state = CState();
    m_state.dwChanges = dwChanges;
    m_bCancelRequested = FALSE;
    m_bFinished = FALSE;
}
