// A job that works through a number of items: current and total in the
// job's progress object, progress following current / total. The export of a branch
// of nodes to folders and files is shared here by the export jobs.
#pragma once

#include "core/CNodeProcess.h"

class CExportHelper;

class CNodeBatchProcess : public CNodeProcess
{
public:
    explicit CNodeBatchProcess(CQuillcrestDoc* pDoc);

    int GetCurrent();
    void SetCurrent(int nCurrent);
    int GetTotal();
    void SetTotal(int nTotal);
    // One more item done.
    void Step();

    // Writes every node below the parent into the directory (a folder
    // becomes a directory of its name). FALSE when the user chose Abort here
    // or below, which ends the whole export.
    BOOL BatchExportBranch(DWORD dwParentId, LPCSTR lpszDirectory);
    // The Abort / Retry / Ignore question for a node that could not be
    // written: 0 retry, 1 ignore, 2 abort.
    int AskExportError(CExportHelper& writer, DWORD dwNodeId, LPCSTR lpszDirectory);

protected:
    // Progress := current / total unless total is 0.
    void UpdateProgress();
};
