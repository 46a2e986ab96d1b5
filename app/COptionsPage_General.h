// The General page of the Options sheet: prompts, image resizing and
// single-click activation.
#pragma once

#include "framework/ui/CPropertyPage.h"

class COptionsPage_General : public CPropertyPage
{
    DECLARE_DYNAMIC(COptionsPage_General)
public:
    // Starts from the application's settings.
    COptionsPage_General();

    void DoDataExchange(CDataExchange* pDX) override;

    int m_nPromptDelete;
    int m_nPromptMove;
    int m_nResizeBilinear;
    int m_nSingleClick;
};
