// The processing dialog's own worker: files of a multiple selection become
// foreign-data or HTML nodes. The worker touches no window itself: its
// progress goes through the dialog's progress object, and the tree and its
// messages are handled by the interface thread through the channel. The
// notebook's operations take its lock themselves; the worker holds no lock
// while it waits for the interface thread.
#include "app/CProcessingDlg.h"

#include "app/CQlcTreeCtrl.h"
#include "app/res/Resource.h"

#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxPath.h"
#include "framework/base/AfxPrompt.h"
#include "framework/base/CUiChannel.h"
#include "widgets/CFileDialogEx.h"

void CProcessingDlg::DoImportJob(BYTE nNodeType)
{
    // New nodes go beside the target item: under its parent item.
    HTREEITEM hParentItem = TVI_ROOT;
    DWORD dwParentId = 0;
    if (m_hTargetItem != nullptr && m_pTreeCtrl != nullptr)
    {
        CUiChannel::Run([&]() {
            if (HTREEITEM hParent = m_pTreeCtrl->GetParentItem(m_hTargetItem))
            {
                hParentItem = hParent;
                dwParentId = m_pTreeCtrl->GetItemNodeId(hParent);
            }
        });
    }

    int nCount = 0;
    for (POSITION pos = m_pFileDialog->GetStartPosition(); pos != nullptr; ++nCount)
        m_pFileDialog->GetNextPathName(pos);
    m_progress.SetTotal((ULONGLONG)nCount);

    int nIndex = 0;
    for (POSITION pos = m_pFileDialog->GetStartPosition(); pos != nullptr;)
    {
        const CString strPath = m_pFileDialog->GetNextPathName(pos);
        ++nIndex;
        if (m_progress.IsCancelRequested())
            break;
        m_progress.SetItem(AfxPathGetFileName(strPath));
        CString strStatus;
        strStatus.Format(AfxLoadText(IDS_QLC_IMPORTING_FILE), nIndex, nCount);
        m_progress.SetStatus(strStatus);

        const DWORD dwNodeId = m_pDoc->Data_AddFromFile(strPath, nNodeType, 0, TRUE);
        if (dwNodeId != 0)
        {
            if (dwParentId != 0)
            {
                CQlcNode node(m_pDoc, dwNodeId);
                node.SetParent(dwParentId);
                node.Update(TRUE);
            }
            if (m_pTreeCtrl != nullptr)
            {
                CUiChannel::Run([&]() {
                    m_pTreeCtrl->InsertNodeItem(dwNodeId, hParentItem,
                                                m_pTreeCtrl->GetSortedInsertAfter(hParentItem, dwNodeId));
                });
            }
        }
        else
        {
            // Shown by the interface thread; Cancel ends the import there.
            CString strText;
            strText.Format(AfxLoadText(IDS_IMPORT_DATA_FAILED), (LPCSTR)strPath);
            if (AfxShowMessageBox(m_hWnd, strText, AfxLoadText(IDS_IMPORT_DATA_FAILED_CAPTION),
                                  MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
                break;
        }
        m_progress.SetCurrent((ULONGLONG)nIndex);
    }
}
