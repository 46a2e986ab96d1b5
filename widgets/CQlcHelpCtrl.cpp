#include "widgets/CQlcHelpCtrl.h"

IMPLEMENT_DYNAMIC(CQlcHelpCtrl, CHtmlCtrl)

void CQlcHelpCtrl::OnStatusTextChange(LPCSTR /*lpszText*/)
{
    // Help pages keep their status texts to themselves.
}
