#include "framework/ui/CWaitCursor.h"

namespace {

LONG g_nWaitDepth = 0;
HCURSOR g_hcurRestore = nullptr;

} // namespace

void CWaitCursor::Begin()
{
    if (InterlockedIncrement(&g_nWaitDepth) == 1)
        g_hcurRestore = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    else
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void CWaitCursor::End()
{
    if (g_nWaitDepth <= 0)
        return;
    if (InterlockedDecrement(&g_nWaitDepth) == 0)
        SetCursor(g_hcurRestore ? g_hcurRestore : LoadCursor(nullptr, IDC_ARROW));
}

void CWaitCursor::Restore()
{
    if (g_nWaitDepth > 0)
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

int CWaitCursor::GetDepth()
{
    return (int)g_nWaitDepth;
}
