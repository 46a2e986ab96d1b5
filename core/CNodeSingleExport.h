// The export of one node to a file the user chooses: the command runs on
// the interface thread (password, save dialog, overwrite question), the
// writing on the job's worker under the processing dialog, and a failure is
// told once the dialog has closed.
#pragma once

#include "core/CNodeBatchProcess.h"

class CQlcNode;

class CNodeSingleExport : public CNodeBatchProcess
{
public:
    explicit CNodeSingleExport(CQuillcrestDoc* pDoc);

    // The whole command. TRUE when the node was written; FALSE when the
    // user cancelled, the node could not be unlocked, or the writing failed
    // (the user has been told).
    BOOL ExportNode(DWORD dwNodeId);
    void Run() override;

    // The image format of the image filter's entry (1-based): JPEG, PNG,
    // TIFF, BMP; 0 for any other.
    static int ImageFormatOfFilter(DWORD nFilterIndex);

    CString m_strTargetPath;
    int m_nExportFormat;        // images: 0 as stored, else an image format id
    CString m_strNodeName;
    DWORD m_dwNodeId;
    // The worker's result, read once the job has finished.
    BOOL m_bSucceeded;
    CString m_strError;

protected:
    // The save dialog and the question about an existing file of the name
    // an image will really get. FALSE when the user cancelled.
    BOOL ChooseTarget(CQlcNode& node);
    // Runs the job under the processing dialog and tells a failure.
    BOOL RunExport();
};
