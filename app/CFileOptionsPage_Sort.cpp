#include "app/CFileOptionsPage_Sort.h"

#include "app/res/FileOptionsSortDlgRes.h"

#include "framework/ui/CDataExchange.h"

IMPLEMENT_DYNAMIC(CFileOptionsPage_Sort, CPropertyPage)

CFileOptionsPage_Sort::CFileOptionsPage_Sort()
    : CPropertyPage(IDD_FILEOPTIONS_SORT), m_nFolders(-1), m_nOrder(-1), m_nNumerical(0)
{
}

void CFileOptionsPage_Sort::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_SORT_FOLDERS_FIRST, m_nFolders);
    DDX_Radio(pDX, IDC_SORT_A_TO_Z, m_nOrder);
    DDX_Check(pDX, IDC_SORT_NUMERICAL, m_nNumerical);
}
