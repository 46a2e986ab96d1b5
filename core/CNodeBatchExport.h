// The batch export: the whole notebook as folders and files under a
// destination folder, one file per node, a folder per folder node.
#pragma once

#include "core/CNodeBatchProcess.h"

class CNodeBatchExport : public CNodeBatchProcess
{
public:
    explicit CNodeBatchExport(CQuillcrestDoc* pDoc);

    void SetDestination(LPCSTR lpszDirectory) { m_strDestination = lpszDirectory; }
    const CString& GetDestination() const { return m_strDestination; }
    void Run() override;

protected:
    CString m_strDestination;
};
