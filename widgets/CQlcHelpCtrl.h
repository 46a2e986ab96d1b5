// The browser of the main frame's Help Bar: the plain browser control whose
// pages never write into the frame's status bar.
#pragma once

#include "widgets/CHtmlCtrl.h"

class CQlcHelpCtrl : public CHtmlCtrl
{
    DECLARE_DYNAMIC(CQlcHelpCtrl)
public:
    CQlcHelpCtrl() {}

    void OnStatusTextChange(LPCSTR lpszText) override;
};
