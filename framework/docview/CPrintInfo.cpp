#include "framework/docview/CPrintInfo.h"

#include "framework/ui/CPrintDialog.h"

CPrintInfo::CPrintInfo()
    : m_pPD(new CPrintDialog(FALSE)), m_bDirect(FALSE), m_bPreview(FALSE), m_bContinuePrinting(TRUE), m_bError(FALSE),
      m_nCurPage(1), m_rectDraw(0, 0, 0, 0), m_lpUserData(nullptr)
{
    SetMinPage(1);
    SetMaxPage(kUnknownMaxPage);
}

CPrintInfo::~CPrintInfo()
{
    if (m_pPD->m_pd.hDC != nullptr)
        ::DeleteDC(m_pPD->m_pd.hDC);
    delete m_pPD;
}

void CPrintInfo::SetMinPage(UINT nMinPage)
{
    m_pPD->m_pd.nMinPage = (WORD)nMinPage;
}

void CPrintInfo::SetMaxPage(UINT nMaxPage)
{
    m_pPD->m_pd.nMaxPage = (WORD)nMaxPage;
}

UINT CPrintInfo::GetMinPage() const
{
    return m_pPD->m_pd.nMinPage;
}

UINT CPrintInfo::GetMaxPage() const
{
    return m_pPD->m_pd.nMaxPage;
}

UINT CPrintInfo::GetFromPage() const
{
    if (m_pPD->m_pd.Flags & PD_PAGENUMS)
        return m_pPD->m_pd.nFromPage;
    return GetMinPage();
}

UINT CPrintInfo::GetToPage() const
{
    if (m_pPD->m_pd.Flags & PD_PAGENUMS)
        return m_pPD->m_pd.nToPage;
    return GetMaxPage();
}
