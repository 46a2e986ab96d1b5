// Printing from a notebook window: the shown note or image prints, not the
// tree pane that is the active view.
#include "app/CChildFrame.h"

#include "app/CBlankAreaView.h"

#include "framework/docview/CHtmlView.h"
#include "framework/docview/CView.h"

CView* CChildFrame::GetPrintableContentView() const
{
    CView* pView = GetContentView();
    if (pView == nullptr || pView == (CView*)m_pBlankView || pView->IsKindOf(RUNTIME_CLASS(CBlankAreaView)) ||
        pView->IsKindOf(RUNTIME_CLASS(CHtmlView)))
        return nullptr;
    return pView;
}

void CChildFrame::PrintContentView(UINT nID)
{
    CView* pView = GetPrintableContentView();
    if (pView == nullptr)
        return;
    if (nID == ID_FILE_PRINT_DIRECT)
        pView->OnFilePrintDirect();
    else
        pView->OnFilePrint();
}

void CChildFrame::PrintPreviewContentView()
{
    CView* pView = GetPrintableContentView();
    if (pView != nullptr)
        pView->OnFilePrintPreview();
}

void CChildFrame::OnUpdatePrintContent(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetPrintableContentView() != nullptr);
}
