#include "core/CNodeSingleExport.h"

#include "core/CExportHelper.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/CTextConvLib.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"

CNodeSingleExport::CNodeSingleExport(CQuillcrestDoc* pDoc)
    : CNodeBatchProcess(pDoc), m_nExportFormat(0), m_dwNodeId(0), m_bSucceeded(FALSE)
{
}

int CNodeSingleExport::ImageFormatOfFilter(DWORD nFilterIndex)
{
    switch (nFilterIndex)
    {
    case 1: return 3; // JPEG
    case 2: return 7; // PNG
    case 3: return 9; // TIFF
    case 4: return 1; // BMP
    default: return 0;
    }
}

BOOL CNodeSingleExport::ExportNode(DWORD dwNodeId)
{
    CQlcNode node(m_pDoc, dwNodeId);
    if (!node.IsValid() || node.IsFolder())
        return FALSE;
    m_dwNodeId = dwNodeId;
    m_strNodeName = node.GetName();

    // The password is asked here, on the interface thread, and forgotten
    // once the node is written.
    BOOL bTyped = FALSE;
    if (node.IsEncrypted() && !node.HasPassword())
    {
        CString strPassword;
        if (!QlcPrompts().UnlockNode(m_pDoc, dwNodeId, strPassword))
            return FALSE;
        node.SetPassword(TRUE, strPassword);
        AfxSecureWipe(strPassword);
        bTyped = TRUE;
    }
    BOOL bResult = FALSE;
    if (ChooseTarget(node))
        bResult = RunExport();
    if (bTyped)
        node.SetPassword(FALSE, "");
    return bResult;
}

BOOL CNodeSingleExport::ChooseTarget(CQlcNode& node)
{
    // A note is offered every export converter's type (it is written as
    // RTF whichever is chosen).
    CTextConvLib* pConverters = QlcApp().GetTextConverters();
    LPCSTR lpszDefExt = nullptr;
    CString strFilter;
    switch (node.GetType())
    {
    case QLC_NODE_NOTE:
        lpszDefExt = "rtf";
        if (pConverters == nullptr)
            strFilter = AfxLoadText(IDS_QLC_EXPORT_RTF_FILTER);
        break;
    case QLC_NODE_IMAGE:
        strFilter = AfxLoadText(IDS_QLC_EXPORT_IMAGE_FILTER);
        break;
    case QLC_NODE_HTML:
        lpszDefExt = "htm";
        strFilter = AfxLoadText(IDS_QLC_EXPORT_HTML_FILTER);
        break;
    default:
        strFilter = AfxLoadText(IDS_QLC_EXPORT_ALL_FILTER);
        break;
    }
    QLCEXPORTFILE file;
    file.strTitle = AfxLoadText(IDS_QLC_EXPORT_TITLE);
    // The name proposed is the node's, made safe as a file name.
    file.strFileName = CExportHelper::MakeSafeFileName(m_strNodeName);
    file.lpszDefExt = lpszDefExt;
    file.strFilter = strFilter;
    if (node.GetType() == QLC_NODE_NOTE && pConverters != nullptr)
        file.lpszFilterBlock = pConverters->GetExportFilter();
    if (!QlcApp().ChooseExportFile(file))
        return FALSE;

    m_strTargetPath = file.strPath;
    m_nExportFormat = node.GetType() == QLC_NODE_IMAGE ? ImageFormatOfFilter(file.nFilterIndex) : 0;
    if (node.GetType() != QLC_NODE_IMAGE)
        return TRUE;

    // The dialog asked about the name typed; an image gets its format's
    // extension, and an existing file of that name is asked about too.
    CString strFinal;
    if (m_pDoc->Data_GetImageExportPath(m_dwNodeId, m_strTargetPath, m_nExportFormat, strFinal) &&
        strFinal.CompareNoCase(m_strTargetPath) != 0 && CExportHelper::FileExists(strFinal))
    {
        CString strQuestion;
        strQuestion.Format(AfxLoadText(IDS_QLC_EXPORT_OVERWRITE), (LPCSTR)strFinal);
        if (QlcPrompts().FrameworkMessageBox(strQuestion, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return FALSE;
    }
    return TRUE;
}

BOOL CNodeSingleExport::RunExport()
{
    m_bSucceeded = FALSE;
    m_strError.Empty();
    const INT_PTR nResult = QlcApp().RunJob(*this);
    if (m_bSucceeded)
        return TRUE;
    // A job that could not run (or broke off) was told by its dialog.
    if (nResult >= 0 && !GetFailure().IsEmpty())
        return FALSE;
    const CString strReason = m_strError.IsEmpty() ? GetFailure() : m_strError;
    CString strMessage;
    strMessage.Format(AfxLoadText(IDS_QLC_EXPORT_FAILED), (LPCSTR)m_strTargetPath, (LPCSTR)strReason);
    QlcPrompts().FrameworkMessageBox(strMessage, MB_OK | MB_ICONWARNING);
    return FALSE;
}

void CNodeSingleExport::Run()
{
    SetTotal(1);
    SetCurrent(0);
    SetItemText(m_strNodeName);
    CString strStatus;
    strStatus.Format(AfxLoadText(IDS_QLC_EXPORTING_FILE), 1, 1);
    SetStatusText(strStatus);
    CExportHelper writer(m_pDoc, nullptr);
    m_bSucceeded = writer.ExportNodeById(m_dwNodeId, m_strTargetPath, m_nExportFormat);
    m_strError = writer.GetErrorMessage();
    Step();
}
