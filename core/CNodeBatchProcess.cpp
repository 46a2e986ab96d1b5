#include "core/CNodeBatchProcess.h"

#include "framework/base/CSingleLock.h"

CNodeBatchProcess::CNodeBatchProcess(CQuillcrestDoc* pDoc) : CNodeProcess(pDoc), m_nCurrent(0), m_nTotal(0)
{
}

int CNodeBatchProcess::GetCurrent()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_nCurrent;
}

void CNodeBatchProcess::SetCurrent(int nCurrent)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_nCurrent = nCurrent;
    UpdateProgress();
}

int CNodeBatchProcess::GetTotal()
{
    CSingleLock lock(&m_mutex, TRUE);
    return m_nTotal;
}

void CNodeBatchProcess::SetTotal(int nTotal)
{
    CSingleLock lock(&m_mutex, TRUE);
    m_nTotal = nTotal;
    UpdateProgress();
}

void CNodeBatchProcess::Step()
{
    CSingleLock lock(&m_mutex, TRUE);
    m_nCurrent++;
    UpdateProgress();
}

void CNodeBatchProcess::UpdateProgress()
{
    if (m_nTotal != 0)
        m_fProgress = (float)m_nCurrent / (float)m_nTotal;
}
