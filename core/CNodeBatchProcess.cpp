#include "core/CNodeBatchProcess.h"

CNodeBatchProcess::CNodeBatchProcess(CQuillcrestDoc* pDoc) : CNodeProcess(pDoc)
{
}

int CNodeBatchProcess::GetCurrent()
{
    return (int)m_sync.GetState().ullCurrent;
}

void CNodeBatchProcess::SetCurrent(int nCurrent)
{
    m_sync.SetCurrent((ULONGLONG)nCurrent);
    UpdateProgress();
}

int CNodeBatchProcess::GetTotal()
{
    return (int)m_sync.GetState().ullTotal;
}

void CNodeBatchProcess::SetTotal(int nTotal)
{
    m_sync.SetTotal((ULONGLONG)nTotal);
    UpdateProgress();
}

void CNodeBatchProcess::Step()
{
    m_sync.Step(1);
    UpdateProgress();
}

void CNodeBatchProcess::UpdateProgress()
{
    // Only the worker moves current and total (the total is set before it
    // starts): the snapshot is the latest.
    const CProgressSync::CState state = m_sync.GetState();
    if (state.ullTotal != 0)
        m_fProgress = (float)state.ullCurrent / (float)state.ullTotal;
}
