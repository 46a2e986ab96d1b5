// The program's document manager: the File Open and Save As prompts use the
// Explorer-style file dialog with every document type's filter.
#pragma once

#include "framework/docview/CDocManager.h"

class CDocManagerEx : public CDocManager
{
    DECLARE_DYNAMIC(CDocManagerEx)
public:
    BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                          CDocTemplate* pTemplate) override;
};
