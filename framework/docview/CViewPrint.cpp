// The framework's print procedure and the start of print preview.
#include "framework/docview/CView.h"

#include "framework/base/AfxPrompt.h"
#include "framework/docview/CDocument.h"
#include "framework/docview/CPrintInfo.h"
#include "framework/docview/CPrintPreviewWnd.h"
#include "framework/docview/CWinApp.h"
#include "framework/gdi/CDC.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/CPrintDialog.h"

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo)
{
    CWinApp* pApp = AfxGetApp();
    CPrintDialog* pDlg = pInfo->m_pPD;
    pDlg->m_pParentWnd = this;
    if (pInfo->m_bPreview || pInfo->m_bDirect)
    {
        if (pApp == nullptr || !pApp->GetPrinterDeviceDefaults(&pDlg->m_pd))
            return FALSE;
        if (pDlg->m_pd.hDC == nullptr)
            pDlg->m_pd.hDC = pDlg->CreatePrinterDC();
        return pDlg->m_pd.hDC != nullptr;
    }
    if (pApp != nullptr)
    {
        pDlg->m_pd.hDevMode = pApp->m_hDevMode;
        pDlg->m_pd.hDevNames = pApp->m_hDevNames;
    }
    const BOOL bOk = pDlg->DoModal() == IDOK;
    if (pApp != nullptr)
        pApp->KeepPrinterSetup(pDlg->m_pd);
    return bOk && pDlg->m_pd.hDC != nullptr;
}

void CView::OnBeginPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/)
{
}

void CView::OnPreparePrintDC(CDC* /*pDC*/, CPrintInfo* pInfo)
{
    if (pInfo->m_nCurPage > pInfo->GetMaxPage() ||
        (pInfo->GetMaxPage() == CPrintInfo::kUnknownMaxPage && pInfo->m_nCurPage != 1))
        pInfo->m_bContinuePrinting = FALSE;
}

void CView::OnPrint(CDC* pDC, CPrintInfo* /*pInfo*/)
{
    OnDraw(pDC);
}

void CView::OnEndPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/)
{
}

void CView::OnEndPrintPreview(CDC* pDC, CPrintInfo* pInfo)
{
    OnEndPrinting(pDC, pInfo);
}

BOOL CView::PrintDocument(CDC* pDC, CPrintInfo* pInfo)
{
    const HDC hDC = pDC->GetSafeHdc();
    OnBeginPrinting(pDC, pInfo);
    CString strTitle;
    if (m_pDocument != nullptr)
        strTitle = m_pDocument->GetTitle();
    if (strTitle.IsEmpty())
        strTitle = AfxLoadText(AFX_IDS_UNTITLED);
    DOCINFOA di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = strTitle;
    const BOOL bStarted = ::StartDocA(hDC, &di) > 0;
    BOOL bOk = bStarted;
    for (UINT nPage = pInfo->GetFromPage(); bOk && nPage <= pInfo->GetToPage(); ++nPage)
    {
        pInfo->m_nCurPage = nPage;
        pInfo->m_bContinuePrinting = TRUE;
        OnPreparePrintDC(pDC, pInfo);
        if (pInfo->m_bError)
            bOk = FALSE;
        if (!pInfo->m_bContinuePrinting || pInfo->m_bError)
            break;
        pInfo->m_rectDraw.SetRect(0, 0, pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
        if (::StartPage(hDC) <= 0)
        {
            bOk = FALSE;
            break;
        }
        OnPrint(pDC, pInfo);
        if (::EndPage(hDC) <= 0 || pInfo->m_bError)
            bOk = FALSE;
    }
    if (bStarted)
    {
        if (bOk)
            bOk = ::EndDoc(hDC) > 0;
        else
            ::AbortDoc(hDC);
    }
    OnEndPrinting(pDC, pInfo);
    return bOk;
}

void CView::OnFilePrint()
{
    RunPrint(FALSE);
}

void CView::OnFilePrintDirect()
{
    RunPrint(TRUE);
}

void CView::RunPrint(BOOL bDirect)
{
    CPrintInfo info;
    info.m_bDirect = bDirect;
    if (!OnPreparePrinting(&info))
    {
        // The dialog says itself that there is no printer; direct printing
        // has no dialog.
        if (bDirect)
            AfxMessageBox(AFX_IDS_NO_PRINTER, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDC dc;
    dc.Attach(info.m_pPD->m_pd.hDC);
    const BOOL bOk = PrintDocument(&dc, &info);
    dc.Detach();   // the print info deletes it
    if (!bOk)
        AfxMessageBox(AFX_IDS_PRINT_FAILED, MB_OK | MB_ICONEXCLAMATION);
}

void CView::OnFilePrintPreview()
{
    CPrintInfo* pInfo = new CPrintInfo;
    pInfo->m_bPreview = TRUE;
    if (!OnPreparePrinting(pInfo))
    {
        // Preview lays the pages out for the default printer; without one
        // there is nothing to lay them out for.
        delete pInfo;
        AfxMessageBox(AFX_IDS_NO_PRINTER, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The preview window owns the print info from here on.
    if (CPrintPreviewWnd::Start(this, pInfo) == nullptr)
        AfxMessageBox(AFX_IDP_COMMAND_FAILURE, MB_OK | MB_ICONEXCLAMATION);
}
