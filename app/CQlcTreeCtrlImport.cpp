// The node tree's import and export commands.
#include "app/CQlcTreeCtrl.h"

#include "app/CChildFrame.h"
#include "app/CProcessingDlg.h"
#include "app/res/Resource.h"

#include "core/CNodeBatchImport.h"
#include "core/CNodeSingleExport.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/CTextConvLib.h"

#include "framework/ui/CWaitCursor.h"
#include "widgets/CFileDialogEx.h"

#include <vector>

namespace {

// The name buffer of a multiple selection.
const DWORD kSelectionBufferSize = 16384;
const DWORD kImportFlags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

} // namespace

DWORD CQlcTreeCtrl::GetNewNodeParentId(HTREEITEM hItem) const
{
    if (hItem == nullptr)
        return 0;
    if (!IsPlaceholder(hItem))
    {
        CQlcNode node(m_pDoc, GetItemNodeId(hItem));
        if (node.IsFolder())
            return node.GetId();
    }
    HTREEITEM hParent = GetParentItem(hItem);
    return hParent != nullptr ? GetItemNodeId(hParent) : 0;
}

void CQlcTreeCtrl::ImportFiles(DWORD dwParentId, const CStringList& paths, BOOL bKeepExpanded)
{
    CNodeBatchImport job(m_pDoc, dwParentId);
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;)
        job.AddFile(paths.GetNext(pos));
    CProcessingDlg dlg(this);
    dlg.DoModalProcess(&job);
    // Whatever was added shows, also after a cancel.
    RefreshTree(bKeepExpanded);
}

void CQlcTreeCtrl::ImportChosenFiles(UINT nTitleId, LPCSTR lpszFilter, LPCSTR lpszFilterBlock)
{
    HTREEITEM hContext = m_hContextItem;
    m_hContextItem = nullptr;
    if (hContext != nullptr)
        SelectItem(hContext);

    CFileDialogEx dlg(TRUE, nullptr, nullptr, kImportFlags, lpszFilter, this);
    if (lpszFilterBlock != nullptr)
        dlg.m_ofn.lpstrFilter = lpszFilterBlock;
    const CString strTitle = AfxLoadText(nTitleId);
    dlg.m_ofn.lpstrTitle = strTitle;
    std::vector<char> names(kSelectionBufferSize, '\0');
    dlg.m_ofn.lpstrFile = names.data();
    dlg.m_ofn.nMaxFile = kSelectionBufferSize;
    if (dlg.DoModal() != IDOK)
        return;

    CStringList paths;
    for (POSITION pos = dlg.GetStartPosition(); pos != nullptr;)
        paths.AddTail(dlg.GetNextPathName(pos));
    ImportFiles(GetNewNodeParentId(hContext), paths, FALSE);
}

void CQlcTreeCtrl::ImportChosenFilesOnWorker(int nJobCode, UINT nTitleId, UINT nFilterId)
{
    HTREEITEM hContext = m_hContextItem;
    if (hContext != nullptr)
        SelectItem(hContext);

    CFileDialogEx dlg(TRUE, nullptr, nullptr, kImportFlags, AfxLoadText(nFilterId), this);
    const CString strTitle = AfxLoadText(nTitleId);
    dlg.m_ofn.lpstrTitle = strTitle;
    std::vector<char> names(kSelectionBufferSize, '\0');
    dlg.m_ofn.lpstrFile = names.data();
    dlg.m_ofn.nMaxFile = kSelectionBufferSize;
    if (dlg.DoModal() == IDOK)
    {
        CWaitCursor wait;
        CProcessingDlg dlgProcessing(this);
        dlgProcessing.m_pDoc = m_pDoc;
        dlgProcessing.m_hTargetItem = hContext;
        dlgProcessing.m_nJobCode = nJobCode;
        dlgProcessing.m_pFileDialog = &dlg;
        dlgProcessing.m_pTreeCtrl = this;
        dlgProcessing.DoModal();
    }
    m_hContextItem = nullptr;
}

void CQlcTreeCtrl::OnQlcPopupImportNotes()
{
    const CTextConvLib* pConverters = QlcApp().GetTextConverters();
    ImportChosenFiles(IDS_IMPORT_NOTES_TITLE, nullptr, pConverters ? pConverters->GetImportFilter() : nullptr);
}

void CQlcTreeCtrl::OnQlcPopupImportImages()
{
    ImportChosenFiles(IDS_IMPORT_IMAGES_TITLE, AfxLoadText(IDS_IMPORT_IMAGES_FILTER), nullptr);
}

void CQlcTreeCtrl::OnQlcPopupImportForeignData()
{
    ImportChosenFilesOnWorker(CProcessingDlg::jobImportForeign, IDS_IMPORT_FOREIGN_TITLE, IDS_IMPORT_FOREIGN_FILTER);
}

void CQlcTreeCtrl::OnQlcPopupImportHtml()
{
    ImportChosenFilesOnWorker(CProcessingDlg::jobImportHtml, IDS_IMPORT_HTML_TITLE, IDS_IMPORT_HTML_FILTER);
}

void CQlcTreeCtrl::OnQlcPopupExport()
{
    HTREEITEM hContext = m_hContextItem;
    m_hContextItem = nullptr;
    if (hContext == nullptr || IsPlaceholder(hContext))
        return;
    SelectItem(hContext);
    const DWORD dwNodeId = GetItemNodeId(hContext);
    // The note on screen is exported as it stands.
    CChildFrame* pFrame = GetChildFrame();
    if (pFrame != nullptr && pFrame->GetShownNodeId() == dwNodeId)
        pFrame->SaveCurrentNote();
    CNodeSingleExport job(m_pDoc);
    job.ExportNode(dwNodeId);
}
