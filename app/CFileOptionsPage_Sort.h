// The Sorting page of a notebook's options: folders first, last or mixed in,
// A to Z or Z to A, and numbers in names compared by value.
#pragma once

#include "framework/ui/CPropertyPage.h"

class CFileOptionsPage_Sort : public CPropertyPage
{
    DECLARE_DYNAMIC(CFileOptionsPage_Sort)
public:
    CFileOptionsPage_Sort();

    void DoDataExchange(CDataExchange* pDX) override;

    int m_nFolders;     // 0 first, 1 last, 2 mixed; -1 none chosen
    int m_nOrder;       // 0 A to Z, 1 Z to A; -1 none chosen
    int m_nNumerical;   // "Intelligent Numerical Sorting"
};
